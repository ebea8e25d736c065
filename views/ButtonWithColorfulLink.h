#pragma once

#include "ButtonWithPointCursor.h"

#include <QColor>
#include <QUrl>
#include <optional>

// A borderless button whose centred title looks like a link, in one of three colours: at rest,
// while the pointer is over it and while it is pressed. The hover and pressed colours are optional;
// without them the title keeps its colour. A disabled button keeps whatever look it had.
//
// Made the way an interface file makes it (parent constructor), it styles its title once when it is
// first polished, after the loader assigned its properties. Made in code with a frame, its owner
// calls updateTitle() after setting the text, since setting the text alone does not restyle it.
class ButtonWithColorfulLink : public ButtonWithPointCursor {
    Q_OBJECT
    Q_PROPERTY(QColor titleColor READ titleColor WRITE setTitleColor)
    Q_PROPERTY(QColor titleHoverColor READ titleHoverColorOrInvalid WRITE setTitleHoverColor)
    Q_PROPERTY(QColor titlePressedColor READ titlePressedColorOrInvalid WRITE setTitlePressedColor)
    Q_PROPERTY(double fontSize READ fontSize WRITE setFontSize)

public:
    explicit ButtonWithColorfulLink(QWidget* parent = nullptr);
    explicit ButtonWithColorfulLink(const QRect& frame, QWidget* parent = nullptr);

    // The platform's label colour, the default title colour.
    static QColor labelColor();

    QColor titleColor() const { return m_titleColor; }
    // Restyles the title in the new colour at once, whatever the pointer is doing.
    void setTitleColor(const QColor& color);
    std::optional<QColor> titleHoverColor() const { return m_titleHoverColor; }
    void setTitleHoverColor(const QColor& color); // an invalid colour clears it
    std::optional<QColor> titlePressedColor() const { return m_titlePressedColor; }
    void setTitlePressedColor(const QColor& color); // an invalid colour clears it
    double fontSize() const { return m_fontSize; }
    void setFontSize(double size) { m_fontSize = size; }
    // An address carried for the button's owner; the button never reads it.
    std::optional<QUrl> link() const { return m_link; }
    void setLink(const std::optional<QUrl>& link) { m_link = link; }

    // The one-time set-up of a button loaded from an interface file: the title in titleColor.
    void awakeFromNib();
    // Styles the current title text: centred, in the given colour, in the system font of fontSize.
    virtual void updateTitle(const QColor& color);

    // The colour the title is drawn in; none until the title was first styled.
    std::optional<QColor> shownTitleColor() const { return m_shownColor; }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor titleHoverColorOrInvalid() const { return m_titleHoverColor.value_or(QColor()); }
    QColor titlePressedColorOrInvalid() const { return m_titlePressedColor.value_or(QColor()); }
    void setUpDefaults();

    QColor m_titleColor;
    std::optional<QColor> m_titleHoverColor;
    std::optional<QColor> m_titlePressedColor;
    double m_fontSize = 14.0;
    std::optional<QUrl> m_link;

    bool m_fromInterfaceFile = false;
    bool m_awoken = false;
    std::optional<QColor> m_shownColor;
};
