#include "SuggestibleTextFieldCell.h"

#include "PlainText.h"

#include <QPainter>

SuggestibleTextFieldCell::SuggestibleTextFieldCell(QWidget* parent) : QLabel(parent) {
    PlainText::keep(this);
}

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
    // is left untouched, so it returns when the highlight moves on). The laid-out line is kept
    // until the text, font or width change: a popup repaints dozens of these on every keystroke.
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QString full = text();
    if (full != m_laidOutSource || area.width() != m_laidOutWidth || font() != m_laidOutFont) {
        m_laidOutSource = full;
        m_laidOutWidth = area.width();
        m_laidOutFont = font();
        m_laidOut.setTextFormat(Qt::PlainText);
        m_laidOut.setText(full);
        m_laidOut.prepare(QTransform(), font());
        if (m_laidOut.size().width() > area.width()) {
            m_laidOut.setText(fontMetrics().elidedText(full, Qt::ElideRight, area.width()));
            m_laidOut.prepare(QTransform(), font());
        }
    }
    const QSizeF size = m_laidOut.size();
    qreal x = area.left();
    if (alignment() & Qt::AlignRight)
        x += area.width() - size.width();
    else if (alignment() & Qt::AlignHCenter)
        x += (area.width() - size.width()) / 2;
    qreal y = area.top();
    if (alignment() & Qt::AlignBottom)
        y += area.height() - size.height();
    else if (alignment() & Qt::AlignVCenter)
        y += (area.height() - size.height()) / 2;
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(drawnTextColor());
    painter.drawStaticText(QPointF(x, y), m_laidOut);
}

#include "PlainText.h"
#include "moc_SuggestibleTextFieldCell.cpp"
