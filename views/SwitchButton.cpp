#include "SwitchButton.h"

#include "AppImage.h"

#include <QMouseEvent>

SwitchButton::SwitchButton(const QRect& frame, std::function<void(bool)> clickClosure, QWidget* parent)
    : ImageView(parent), m_clickClosure(std::move(clickClosure)) {
    setGeometry(frame);
    setImage(AppImage::named(uncheckedImageName));
    setCursor(Qt::PointingHandCursor);
}

void SwitchButton::setIsOpen(bool open) {
    m_isOpen = open;
    m_state = open ? SwitchButtonState::open_normal : SwitchButtonState::close_normal;
    setImage(AppImage::named(open ? checkedImageName : uncheckedImageName));
    emit isOpenChanged(open);
}

void SwitchButton::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void SwitchButton::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const bool wasPressed = m_pressed;
    m_pressed = false;
    // Like a click recogniser: a press and a release of the left button, both inside.
    if (wasPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        clickGestureRecognizerAction();
}

void SwitchButton::clickGestureRecognizerAction() {
    setIsOpen(!isOpen());
    if (m_clickClosure) {
        const auto closure = m_clickClosure;
        closure(isOpen());
    }
}
