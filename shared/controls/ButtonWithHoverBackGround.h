#pragma once

#include "ButtonWithPointCursor.h"

#include <QColor>
#include <QIcon>
#include <optional>

// A pointing-hand button with its own rounded background, a styled title and hover and press
// colours. Made the way an interface file makes it (parent constructor), it sets itself up when it
// is first polished, after the loader assigned its properties: from then on it follows the pointer.
// Made in code with a frame, it keeps the defaults and shows no hover colours. Disabled, it shows
// its resting background and title faded.
class ButtonWithHoverBackGround : public ButtonWithPointCursor {
    Q_OBJECT
    Q_PROPERTY(QIcon hoverImage READ hoverImageOrNull WRITE setHoverImage)
    Q_PROPERTY(QIcon normalImage READ normalImageOrNull WRITE setNormalImage)
    Q_PROPERTY(QColor hoverColor READ hoverColorOrInvalid WRITE setHoverColor)
    Q_PROPERTY(QColor normalColor READ normalColor WRITE setNormalColor)
    Q_PROPERTY(QColor pressedColor READ pressedColorOrInvalid WRITE setPressedColor)
    Q_PROPERTY(QColor titleColor READ titleColor WRITE setTitleColor)
    Q_PROPERTY(bool isCustomBorder READ isCustomBorder WRITE setIsCustomBorder)
    Q_PROPERTY(double cornerRadius READ cornerRadius WRITE setCornerRadius)

public:
    // As loaded from an interface file: set up (tracking, layer, title) when first polished.
    explicit ButtonWithHoverBackGround(QWidget* parent = nullptr);
    // Made in code with a frame: the defaults only.
    explicit ButtonWithHoverBackGround(const QRect& frame, QWidget* parent = nullptr);

    // The platform's text background and label colours, the defaults of the two colour fields.
    static QColor textBackgroundColor();
    static QColor labelColor();

    std::optional<QIcon> hoverImage() const { return m_hoverImage; }
    void setHoverImage(const QIcon& image) { m_hoverImage = image; }
    std::optional<QIcon> normalImage() const { return m_normalImage; }
    void setNormalImage(const QIcon& image) { m_normalImage = image; }
    std::optional<QColor> hoverColor() const { return m_hoverColor; }
    void setHoverColor(const QColor& color);
    QColor normalColor() const { return m_normalColor; }
    void setNormalColor(const QColor& color);
    std::optional<QColor> pressedColor() const { return m_pressedColor; }
    void setPressedColor(const QColor& color);
    QColor titleColor() const { return m_titleColor; }
    void setTitleColor(const QColor& color);
    bool isCustomBorder() const { return m_isCustomBorder; }
    void setIsCustomBorder(bool custom);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);

    // The one-time set-up of a button loaded from an interface file.
    void awakeFromNib();

    // What the button's layer shows (no layer: the platform's plain button).
    bool hasLayer() const { return m_hasLayer; }
    std::optional<QColor> layerBackgroundColor() const { return m_layerBackground; }
    double layerCornerRadius() const { return m_layerCornerRadius; }
    double layerBorderWidth() const { return m_layerBorderWidth; }
    bool tracksHover() const { return m_tracksHover; }
    bool isTitleStyled() const { return m_titleStyled; }

protected:
    bool event(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QIcon hoverImageOrNull() const { return m_hoverImage.value_or(QIcon()); }
    QIcon normalImageOrNull() const { return m_normalImage.value_or(QIcon()); }
    QColor hoverColorOrInvalid() const { return m_hoverColor.value_or(QColor()); }
    QColor pressedColorOrInvalid() const { return m_pressedColor.value_or(QColor()); }
    void setUpDefaults();
    void makeLayer();
    void setLayerBackground(const QColor& color);
    void restyleTitle();
    void applyStyle();

    std::optional<QIcon> m_hoverImage;
    std::optional<QIcon> m_normalImage;
    std::optional<QColor> m_hoverColor;
    QColor m_normalColor;
    std::optional<QColor> m_pressedColor;
    QColor m_titleColor;
    bool m_isCustomBorder = false;
    double m_cornerRadius = 5.0;

    bool m_fromInterfaceFile = false;
    bool m_awoken = false;
    bool m_tracksHover = false;
    bool m_hasLayer = false;
    bool m_titleStyled = false;
    std::optional<QColor> m_layerBackground;
    double m_layerCornerRadius = 0.0;
    double m_layerBorderWidth = 0.0;
};
