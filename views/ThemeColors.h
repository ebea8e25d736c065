#pragma once

#include <QColor>

// The colours of the main application's themed buttons and selections. Each is made once, on
// first use, and is the same value on every thread.
class ThemeColors {
public:
    static const QColor& themeBlue();         // 52, 155, 255
    static const QColor& themeBlueHover();    // 74, 168, 255
    static const QColor& themeBluePressed();  // 7, 136, 255
    static const QColor& themeGreen();        // 39, 215, 110
    static const QColor& themeGreenHover();   // 58, 231, 128
    static const QColor& themeGreenPressed(); // 26, 195, 94
    static const QColor& lightGrey();         // 217, 217, 217

    // The system's link blue and alert red, used by the link-style titles.
    static const QColor& systemBlue();
    static const QColor& systemRed();
};
