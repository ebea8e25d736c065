#pragma once

#include <QObject>
#include <QPointer>

class ProgressWindow;
class QWidget;

// Owns one progress window for one import batch; the window is never reused.
class ProgressWindowController : public QObject {
    Q_OBJECT

public:
    explicit ProgressWindowController(QObject* parent = nullptr);
    ~ProgressWindowController() override;

    // The window, made with the controller (null once closed).
    ProgressWindow* window() const { return m_window; }

    // Shows the window as a child of `mainWindow` (kept in front of it), centred on it, and makes
    // it the active window. Without a main window it shows on its own, centred on the screen.
    void showCentredOn(QWidget* mainWindow);
    // Closes and releases the window.
    void close();

private:
    QPointer<ProgressWindow> m_window;
};
