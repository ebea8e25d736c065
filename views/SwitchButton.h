#pragma once

#include "ImageView.h"
#include "SwitchButtonState.h"

#include <functional>

// The on/off check box of the side bar and the settings: a click flips isOpen (its observers see
// the change) and then tells the click closure the new value. Setting isOpen from outside, as a
// binding to a setting does, only changes the picture: the closure is not called.
class SwitchButton : public ImageView {
    Q_OBJECT
    Q_PROPERTY(bool isOpen READ isOpen WRITE setIsOpen NOTIFY isOpenChanged)

public:
    static inline const QString checkedImageName =
        QStringLiteral("leftPanel_videoDesktop_checkBox_checked_normal");
    static inline const QString uncheckedImageName =
        QStringLiteral("leftPanel_videoDesktop_checkBox_unchecked_normal");

    // The only way to make a switch: off, showing the unchecked image.
    SwitchButton(const QRect& frame, std::function<void(bool)> clickClosure, QWidget* parent = nullptr);

    SwitchButtonState state() const { return m_state; }

    bool isOpen() const { return m_isOpen; }
    // Stores the value, sets the state and the picture on every assignment (also of the same
    // value) and emits isOpenChanged; never calls the click closure.
    void setIsOpen(bool open);

signals:
    void isOpenChanged(bool open);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void clickGestureRecognizerAction();

    SwitchButtonState m_state = SwitchButtonState::close_normal;
    bool m_isOpen = false;
    std::function<void(bool)> m_clickClosure;
    bool m_pressed = false;
};
