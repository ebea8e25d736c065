#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

// The main application's own pictures and named colours, compiled into the program and looked up
// by name ("download_pause_hover", "playing.svg", "LeftSideBarColor"...). An unknown name gives
// none: a null image or no colour.
class AppImage {
public:
    // The picture at its own size, drawn at twice that many pixels (device pixel ratio 2) so that
    // it stays sharp on dense screens.
    static QImage named(const QString& name);
    // The same picture drawn for exactly `pixelSize` pixels (ratio 1).
    static QImage named(const QString& name, QSize pixelSize);
    static QPixmap pixmap(const QString& name);
    // The picture's size in device-independent pixels; an invalid size for an unknown name.
    static QSize naturalSize(const QString& name);
    // The resource file behind a name (":/images/..."), for views that load it themselves (an
    // animated SVG); empty for an unknown name.
    static QString resourcePath(const QString& name);

    static std::optional<QColor> namedColor(const QString& name);

    // Every name known, for the gallery and the tests.
    static QStringList imageNames();
    static QStringList colorNames();
};
