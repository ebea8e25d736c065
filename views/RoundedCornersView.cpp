#include "RoundedCornersView.h"

#include <QPainter>
#include <QPainterPath>

RoundedCornersView::RoundedCornersView(const QRect& frame, QWidget* parent) : QWidget(parent) {
    setGeometry(frame);
    m_cornerRadius = defaultCornerRadius;
}

RoundedCornersView::RoundedCornersView(QWidget* parent) : QWidget(parent) {}

void RoundedCornersView::setRcvCornerRadius(double radius) {
    m_cornerRadius = radius;
    update();
}

void RoundedCornersView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
    painter.fillPath(path, palette().color(QPalette::Window));
}

#include "moc_RoundedCornersView.cpp"
