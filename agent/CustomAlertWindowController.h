#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <memory>

// A small alert window with a title, a message and one button that closes it. Its title bar
// offers the close button alone. Made once and reused; the caller fills the two labels.
class CustomAlertWindowController : public QObject {
    Q_OBJECT
public:
    static constexpr const char* nibName = "CustomAlertWindowController";

    explicit CustomAlertWindowController(QObject* parent = nullptr);
    ~CustomAlertWindowController() override;

    // Both exist once the window is loaded.
    QLabel* titleLabel() const { return m_titleLabel; }
    QLabel* infoLabel() const { return m_infoLabel; }

    bool isWindowLoaded() const { return m_window != nullptr; }
    void loadWindow();
    QWidget* window();
    void showWindow();
    // The button's action.
    void ok();

private:
    void windowDidLoad();

    QPointer<QLabel> m_titleLabel;
    QPointer<QLabel> m_infoLabel;
    std::unique_ptr<QWidget> m_window;
};
