#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

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

    // Shows the window as a child of `mainWindow` (kept in front of it, not of other programs),
    // centred on it, and makes it the active window; it follows the main window to its centre
    // whenever that moves or changes size. Without a main window it shows on its own, centred on
    // the screen.
    void showCentredOn(QWidget* mainWindow);
    // Closes and releases the window.
    void close();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void centre();

    QPointer<ProgressWindow> m_window;
    QPointer<QWidget> m_mainWindow;
};
