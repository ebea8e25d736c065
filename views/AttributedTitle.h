#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextCharFormat>
#include <optional>

// A one-line title drawn in one colour and the 13-pixel system font, cut at the tail with an
// ellipsis when it does not fit; link-style titles may also be underlined. Views apply it to a
// label or button; the value itself needs no widget.
class AttributedTitle {
public:
    static AttributedTitle attributedTitle(const QString& text, const QColor& color);
    // Clickable names and status texts: the system blue.
    static AttributedTitle linkStyleTitle(const QString& text);
    // Error texts: the system red.
    static AttributedTitle redLinkStyleTitle(const QString& text);
    // The link-style title with a single blue underline.
    static AttributedTitle underlinedLinkTitle(const QString& text);

    static constexpr qreal fontSize = 13.0;

    QString text() const { return m_text; }
    QColor foregroundColor() const { return m_foreground; }
    Qt::TextElideMode lineBreakMode() const { return Qt::ElideRight; }
    bool isUnderlined() const { return m_underlineColor.has_value(); }
    std::optional<QColor> underlineColor() const { return m_underlineColor; }
    // The system font at 13 pixels (needs the application object).
    QFont font() const;
    // The character format of the whole text, for rich-text views.
    QTextCharFormat charFormat() const;

private:
    AttributedTitle(const QString& text, const QColor& foreground) : m_text(text), m_foreground(foreground) {}

    QString m_text;
    QColor m_foreground;
    std::optional<QColor> m_underlineColor;
};
