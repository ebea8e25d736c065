#include "HighlightingView.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

HighlightingView::HighlightingView(QWidget* parent) : QWidget(parent) {}

QColor HighlightingView::highlightColor() {
    return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

void HighlightingView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(event->rect(), m_highlighted ? highlightColor() : QColor(Qt::transparent));
}

#include "moc_HighlightingView.cpp"
