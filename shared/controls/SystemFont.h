#pragma once

#include <QFont>

class QTextCharFormat;

// Text sizes in this program are given the way the design gives them: in points of a screen where
// one point is one pixel, and every frame and layout number around a text assumes that. A point
// size here is drawn about a third larger (96 dots per inch), so texts would overflow their frames;
// every size is therefore set in pixels, and only through this class.
class SystemFont {
public:
    // The system's general font at `size` pixels.
    static QFont font(double size);
    // `font` with its size set to `size` pixels, everything else kept.
    static QFont sized(QFont font, double size);
    // A character format whose text is `size` pixels high.
    static void setSize(QTextCharFormat& format, double size);
    // How many pixels high `font` is drawn, whether its size was set in pixels or in points.
    static double pixelSize(const QFont& font);
};
