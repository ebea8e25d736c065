#include "ButtonWithHoverBackGround.h"

#include "SystemFont.h"

#include <QApplication>
#include <QEnterEvent>
#include <QEvent>
#include <QMouseEvent>
#include <QPalette>

namespace {
// How strongly a disabled button shows its colours.
constexpr double disabledOpacity = 0.4;

QColor faded(QColor color) {
    color.setAlphaF(float(color.alphaF() * disabledOpacity));
    return color;
}
} // namespace

ButtonWithHoverBackGround::ButtonWithHoverBackGround(QWidget* parent)
    : ButtonWithPointCursor(parent), m_fromInterfaceFile(true) {
    setUpDefaults();
}

ButtonWithHoverBackGround::ButtonWithHoverBackGround(const QRect& frame, QWidget* parent)
    : ButtonWithPointCursor(frame, parent) {
    setUpDefaults();
}

QColor ButtonWithHoverBackGround::textBackgroundColor() {
    return QApplication::palette().color(QPalette::Base);
}

QColor ButtonWithHoverBackGround::labelColor() {
    return QApplication::palette().color(QPalette::Text);
}

void ButtonWithHoverBackGround::setUpDefaults() {
    // Defaults are stored without their effects, so that later assignments override them.
    m_normalColor = textBackgroundColor();
    m_titleColor = labelColor();
    m_isCustomBorder = false;
    m_cornerRadius = 5.0;
}

void ButtonWithHoverBackGround::setHoverColor(const QColor& color) {
    m_hoverColor = color.isValid() ? std::optional<QColor>(color) : std::nullopt;
}

void ButtonWithHoverBackGround::setPressedColor(const QColor& color) {
    m_pressedColor = color.isValid() ? std::optional<QColor>(color) : std::nullopt;
}

void ButtonWithHoverBackGround::setNormalColor(const QColor& color) {
    m_normalColor = color;
    if (m_hasLayer)
        setLayerBackground(m_normalColor);
}

void ButtonWithHoverBackGround::setTitleColor(const QColor& color) {
    m_titleColor = color;
    restyleTitle();
}

void ButtonWithHoverBackGround::setIsCustomBorder(bool custom) {
    m_isCustomBorder = custom;
    makeLayer();
    // A custom border is a thin light-grey line; turning it off takes the line away again.
    m_layerBorderWidth = custom ? 0.5 : 0.0;
    applyStyle();
}

void ButtonWithHoverBackGround::setCornerRadius(double radius) {
    m_cornerRadius = radius;
    if (m_hasLayer) {
        m_layerCornerRadius = radius;
        applyStyle();
    }
}

void ButtonWithHoverBackGround::awakeFromNib() {
    if (m_awoken)
        return;
    m_awoken = true;
    // Hover tracking for as long as the button lives.
    m_tracksHover = true;
    setAttribute(Qt::WA_Hover);
    makeLayer();
    m_layerCornerRadius = m_cornerRadius;
    setLayerBackground(m_normalColor);
    restyleTitle();
}

bool ButtonWithHoverBackGround::event(QEvent* event) {
    // An interface-file loader assigns the properties right after construction; the first polish
    // comes after that and before the button is shown.
    if (event->type() == QEvent::Polish && m_fromInterfaceFile)
        awakeFromNib();
    return ButtonWithPointCursor::event(event);
}

void ButtonWithHoverBackGround::makeLayer() {
    m_hasLayer = true;
}

void ButtonWithHoverBackGround::setLayerBackground(const QColor& color) {
    // Without a layer there is no background of our own to change.
    if (!m_hasLayer)
        return;
    m_layerBackground = color;
    applyStyle();
}

void ButtonWithHoverBackGround::restyleTitle() {
    if (m_hasLayer)
        m_layerBackground = m_normalColor;
    m_titleStyled = true;
    setFont(SystemFont::sized(QApplication::font(), 14));
    applyStyle();
}

void ButtonWithHoverBackGround::applyStyle() {
    if (!m_hasLayer && !m_titleStyled)
        return;
    QString style = QStringLiteral("QPushButton {");
    if (m_hasLayer) {
        if (m_layerBackground)
            style += QStringLiteral(" background-color: %1;").arg(m_layerBackground->name(QColor::HexArgb));
        style += QStringLiteral(" border-radius: %1px;").arg(m_layerCornerRadius);
        if (m_layerBorderWidth > 0)
            style += QStringLiteral(" border: %1px solid #aaaaaa;").arg(m_layerBorderWidth);
        else
            style += QStringLiteral(" border: none;");
    }
    if (m_titleStyled)
        style += QStringLiteral(" color: %1; text-align: center;").arg(m_titleColor.name(QColor::HexArgb));
    style += QStringLiteral(" }");
    // Disabled, the button shows its resting colours faded, whatever the pointer last did to it.
    QString disabled;
    if (m_hasLayer)
        disabled += QStringLiteral(" background-color: %1;").arg(faded(m_normalColor).name(QColor::HexArgb));
    if (m_titleStyled)
        disabled += QStringLiteral(" color: %1;").arg(faded(m_titleColor).name(QColor::HexArgb));
    style += QStringLiteral(" QPushButton:disabled {%1 }").arg(disabled);
    setStyleSheet(style);
}

void ButtonWithHoverBackGround::enterEvent(QEnterEvent* event) {
    ButtonWithPointCursor::enterEvent(event);
    if (!m_tracksHover || !isEnabled())
        return;
    if (m_hoverImage)
        setIcon(*m_hoverImage);
    if (m_hoverColor)
        setLayerBackground(*m_hoverColor);
}

void ButtonWithHoverBackGround::leaveEvent(QEvent* event) {
    ButtonWithPointCursor::leaveEvent(event);
    if (!m_tracksHover || !isEnabled())
        return;
    if (m_normalImage)
        setIcon(*m_normalImage);
    setLayerBackground(m_normalColor);
}

void ButtonWithHoverBackGround::mousePressEvent(QMouseEvent* event) {
    if (isEnabled() && m_pressedColor)
        setLayerBackground(*m_pressedColor);
    ButtonWithPointCursor::mousePressEvent(event);
}

void ButtonWithHoverBackGround::mouseReleaseEvent(QMouseEvent* event) {
    // The release ends the press and sends the action, which may disable the button.
    ButtonWithPointCursor::mouseReleaseEvent(event);
    if (isEnabled() && m_hoverColor)
        setLayerBackground(*m_hoverColor);
}
