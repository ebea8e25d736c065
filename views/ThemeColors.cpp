#include "ThemeColors.h"

namespace {
// Components are given in 0...255 and stored as fractions of 255 with full opacity.
QColor rgb(int red, int green, int blue) {
    return QColor::fromRgbF(float(red) / 255.0f, float(green) / 255.0f, float(blue) / 255.0f, 1.0f);
}
} // namespace

// Function-local statics are initialised once, thread-safely, on first use.
const QColor& ThemeColors::themeBlue() {
    static const QColor color = rgb(52, 155, 255);
    return color;
}

const QColor& ThemeColors::themeBlueHover() {
    static const QColor color = rgb(74, 168, 255);
    return color;
}

const QColor& ThemeColors::themeBluePressed() {
    static const QColor color = rgb(7, 136, 255);
    return color;
}

const QColor& ThemeColors::themeGreen() {
    static const QColor color = rgb(39, 215, 110);
    return color;
}

const QColor& ThemeColors::themeGreenHover() {
    static const QColor color = rgb(58, 231, 128);
    return color;
}

const QColor& ThemeColors::themeGreenPressed() {
    static const QColor color = rgb(26, 195, 94);
    return color;
}

const QColor& ThemeColors::lightGrey() {
    static const QColor color = rgb(217, 217, 217);
    return color;
}

const QColor& ThemeColors::systemBlue() {
    static const QColor color = rgb(0, 122, 255);
    return color;
}

const QColor& ThemeColors::systemRed() {
    static const QColor color = rgb(255, 59, 48);
    return color;
}
