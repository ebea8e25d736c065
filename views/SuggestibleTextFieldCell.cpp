#include "SuggestibleTextFieldCell.h"

#include <QPainter>

SuggestibleTextFieldCell::SuggestibleTextFieldCell(QWidget* parent) : QLabel(parent) {}

void SuggestibleTextFieldCell::setBackgroundStyle(BackgroundStyle style) {
    if (m_backgroundStyle == style)
        return;
    m_backgroundStyle = style;
    update();
}

QColor SuggestibleTextFieldCell::drawnTextColor() const {
    return m_backgroundStyle == Dark ? QColor(Qt::white) : palette().color(foregroundRole());
}

void SuggestibleTextFieldCell::paintEvent(QPaintEvent*) {
    // One line, cut at the tail; white on the highlight, the label's own colour otherwise (which
    // is left untouched, so it returns when the highlight moves on).
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
    painter.setPen(drawnTextColor());
    painter.drawText(area, int(alignment()) | Qt::TextSingleLine, shown);
}

#include "moc_SuggestibleTextFieldCell.cpp"
