#include "ClickableImageView.h"

#include <QEnterEvent>
#include <QMouseEvent>

ClickableImageView::ClickableImageView(QWidget* parent) : ImageView(parent) {
    setCursor(Qt::PointingHandCursor);
}

ClickableImageView::ClickableImageView(const QRect& frame, QWidget* parent) : ClickableImageView(parent) {
    setGeometry(frame);
}

void ClickableImageView::setChangeCurser(bool change) {
    m_changeCurser = change;
    if (change)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void ClickableImageView::enterEvent(QEnterEvent* event) {
    ImageView::enterEvent(event);
    // Hover follows the pointer only in the window that has the keyboard focus.
    if (!window()->isActiveWindow())
        return;
    if (!m_hoverImage.isNull())
        setImage(m_hoverImage);
}

void ClickableImageView::leaveEvent(QEvent* event) {
    ImageView::leaveEvent(event);
    if (!m_normalImage.isNull())
        setImage(m_normalImage);
}

void ClickableImageView::mousePressEvent(QMouseEvent* event) {
    // Taking the press makes the release come here, wherever it happens.
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void ClickableImageView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const bool wasPressed = m_pressed;
    m_pressed = false;
    // A release outside the image is the user changing their mind: nothing runs.
    if (!wasPressed || event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    if (m_clickAction) {
        // Copied first: the action may replace itself or delete this view.
        const auto action = m_clickAction;
        action();
    }
}
