#include "AttributedTitle.h"

#include "SystemFont.h"
#include "ThemeColors.h"

AttributedTitle AttributedTitle::attributedTitle(const QString& text, const QColor& color) {
    return AttributedTitle(text, color);
}

AttributedTitle AttributedTitle::linkStyleTitle(const QString& text) {
    return attributedTitle(text, ThemeColors::systemBlue());
}

AttributedTitle AttributedTitle::redLinkStyleTitle(const QString& text) {
    return attributedTitle(text, ThemeColors::systemRed());
}

AttributedTitle AttributedTitle::underlinedLinkTitle(const QString& text) {
    AttributedTitle title = linkStyleTitle(text);
    title.m_underlineColor = ThemeColors::systemBlue();
    return title;
}

QFont AttributedTitle::font() const {
    QFont font = SystemFont::font(fontSize);
    font.setUnderline(isUnderlined());
    return font;
}

QTextCharFormat AttributedTitle::charFormat() const {
    QTextCharFormat format;
    format.setForeground(m_foreground);
    SystemFont::setSize(format, fontSize);
    if (m_underlineColor) {
        format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        format.setUnderlineColor(*m_underlineColor);
    }
    return format;
}
