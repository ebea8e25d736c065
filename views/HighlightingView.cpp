#include "HighlightingView.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

HighlightingView::HighlightingView(QWidget* parent) : QWidget(parent) {}

QColor HighlightingView::highlightColor() {
    return QApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

void HighlightingView::paintEvent(QPaintEvent* event) {
    // The clear colour drawn over what lies beneath changes nothing, so an unhighlighted row
    // paints nothing at all.
    if (!m_highlighted)
        return;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(event->rect(), highlightColor());
}

#include "moc_HighlightingView.cpp"
