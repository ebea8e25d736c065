#include "CollectionReusableView.h"

#include <QPainter>

CollectionReusableView::CollectionReusableView(QWidget* parent) : QWidget(parent) {}

void CollectionReusableView::setBackgroundColor(const QColor& color) {
    if (color == m_backgroundColor)
        return;
    m_backgroundColor = color;
    update();
}

void CollectionReusableView::paintEvent(QPaintEvent*) {
    if (m_backgroundColor.alpha() == 0)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), m_backgroundColor);
}
