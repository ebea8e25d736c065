#include "ButtonWithPointCursor.h"

ButtonWithPointCursor::ButtonWithPointCursor(QWidget* parent) : QPushButton(parent) {
    setCursor(Qt::PointingHandCursor);
}

ButtonWithPointCursor::ButtonWithPointCursor(const QRect& frame, QWidget* parent) : QPushButton(parent) {
    setGeometry(frame);
    setCursor(Qt::PointingHandCursor);
}
