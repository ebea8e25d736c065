#include "ButtonWithColorfulLink.h"

#include "SystemFont.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

ButtonWithColorfulLink::ButtonWithColorfulLink(QWidget* parent)
    : ButtonWithPointCursor(parent), m_fromInterfaceFile(true) {
    setUpDefaults();
}

ButtonWithColorfulLink::ButtonWithColorfulLink(const QRect& frame, QWidget* parent)
    : ButtonWithPointCursor(frame, parent) {
    setUpDefaults();
}

QColor ButtonWithColorfulLink::labelColor() {
    return QApplication::palette().color(QPalette::WindowText);
}

void ButtonWithColorfulLink::setUpDefaults() {
    m_titleColor = labelColor();
    m_fontSize = 14.0;
    setFlat(true);
    setAutoDefault(false);
    setAttribute(Qt::WA_Hover);
}

void ButtonWithColorfulLink::setTitleColor(const QColor& color) {
    m_titleColor = color;
    updateTitle(color);
}

void ButtonWithColorfulLink::setTitleHoverColor(const QColor& color) {
    m_titleHoverColor = color.isValid() ? std::optional<QColor>(color) : std::nullopt;
}

void ButtonWithColorfulLink::setTitlePressedColor(const QColor& color) {
    m_titlePressedColor = color.isValid() ? std::optional<QColor>(color) : std::nullopt;
}

void ButtonWithColorfulLink::awakeFromNib() {
    if (m_awoken)
        return;
    m_awoken = true;
    updateTitle(m_titleColor);
}

void ButtonWithColorfulLink::updateTitle(const QColor& color) {
    m_shownColor = color;
    setFont(SystemFont::font(m_fontSize));
    updateGeometry();
    update();
}

QSize ButtonWithColorfulLink::sizeHint() const {
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()) + 4, metrics.height() + 4);
}

bool ButtonWithColorfulLink::event(QEvent* event) {
    // An interface-file loader assigns the properties right after construction; the first polish
    // comes after that and before the button is shown.
    if (event->type() == QEvent::Polish && m_fromInterfaceFile)
        awakeFromNib();
    return ButtonWithPointCursor::event(event);
}

void ButtonWithColorfulLink::enterEvent(QEnterEvent* event) {
    ButtonWithPointCursor::enterEvent(event);
    if (isEnabled() && m_titleHoverColor)
        updateTitle(*m_titleHoverColor);
}

void ButtonWithColorfulLink::leaveEvent(QEvent* event) {
    ButtonWithPointCursor::leaveEvent(event);
    if (isEnabled())
        updateTitle(m_titleColor);
}

void ButtonWithColorfulLink::mousePressEvent(QMouseEvent* event) {
    if (isEnabled() && m_titlePressedColor)
        updateTitle(*m_titlePressedColor);
    ButtonWithPointCursor::mousePressEvent(event);
}

void ButtonWithColorfulLink::mouseReleaseEvent(QMouseEvent* event) {
    // The release ends the press and sends the action, which may disable the button.
    ButtonWithPointCursor::mouseReleaseEvent(event);
    if (isEnabled() && m_titleHoverColor)
        updateTitle(*m_titleHoverColor);
}

void ButtonWithColorfulLink::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    // An unstyled title is drawn the platform's plain way.
    painter.setPen(m_shownColor.value_or(palette().color(QPalette::ButtonText)));
    // A title wider than the button (held narrower by its owner) is cut at its tail.
    const QString shown = painter.fontMetrics().elidedText(text(), Qt::ElideRight, width());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, shown);
}

#include "moc_ButtonWithColorfulLink.cpp"
