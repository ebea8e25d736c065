#include "ButtonWithLinkTitle.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStyleOptionButton>
#include <cmath>

ButtonWithLinkTitle::ButtonWithLinkTitle(QWidget* parent) : ButtonWithPointCursor(parent) {
    setFlat(true);
    setAutoDefault(false);
}

void ButtonWithLinkTitle::setVerticalMargin(double margin) {
    m_verticalMargin = margin;
    updateGeometry();
}

void ButtonWithLinkTitle::setAttributedTitle(const AttributedTitle& title) {
    m_titleColor = title.foregroundColor();
    setFont(title.font());
    setText(title.text());
    updateGeometry();
    update();
}

QColor ButtonWithLinkTitle::titleColor() const {
    return m_titleColor.value_or(palette().color(QPalette::ButtonText));
}

QSizeF ButtonWithLinkTitle::intrinsicContentSize(const QSizeF& titleBounds, double verticalMargin) {
    return QSizeF(titleBounds.width() * 1.2, titleBounds.height() + 2 * verticalMargin);
}

QSizeF ButtonWithLinkTitle::titleBounds() const {
    const QFontMetricsF metrics(font());
    return QSizeF(metrics.horizontalAdvance(text()), metrics.lineSpacing());
}

QSize ButtonWithLinkTitle::sizeHint() const {
    const QSizeF size = intrinsicContentSize(titleBounds(), m_verticalMargin);
    return QSize(int(std::ceil(size.width())), int(std::ceil(size.height())));
}

QSize ButtonWithLinkTitle::minimumSizeHint() const {
    // The title is cut at the tail rather than pushing its neighbours away.
    return QSize(0, sizeHint().height());
}

void ButtonWithLinkTitle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(isEnabled() ? titleColor() : palette().color(QPalette::Disabled, QPalette::ButtonText));
    const QFontMetricsF metrics(font());
    const QString shown = metrics.elidedText(text(), lineBreakMode(), width());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, shown);
}

#include "moc_ButtonWithLinkTitle.cpp"
