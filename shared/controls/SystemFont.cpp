#include "SystemFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QTextCharFormat>
#include <QtMath>

namespace {
// Qt takes whole pixels; a size below one pixel would be refused.
int wholePixels(double size) {
    return qMax(1, qRound(size));
}
} // namespace

QFont SystemFont::font(double size) {
    return sized(QFontDatabase::systemFont(QFontDatabase::GeneralFont), size);
}

QFont SystemFont::sized(QFont font, double size) {
    font.setPixelSize(wholePixels(size));
    return font;
}

void SystemFont::setSize(QTextCharFormat& format, double size) {
    // A point size in the format would win over the pixel size.
    format.clearProperty(QTextFormat::FontPointSize);
    format.setProperty(QTextFormat::FontPixelSize, wholePixels(size));
}

double SystemFont::pixelSize(const QFont& font) {
    if (font.pixelSize() > 0)
        return font.pixelSize();
    return QFontInfo(font).pixelSize();
}
