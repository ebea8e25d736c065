#include "TabTitleView.h"

#include <QPainter>

TabTitleView::TabTitleView(QWidget* parent) : QWidget(parent) {}

void TabTitleView::setHighlight(bool highlight) {
    m_highlight = highlight;
    update();
}

QColor TabTitleView::barColor() const {
    return palette().color(QPalette::Active, QPalette::Highlight);
}

void TabTitleView::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!m_highlight)
        return;
    QPainter painter(this);
    painter.fillRect(QRect(0, height() - barHeight, width(), barHeight), barColor());
}
