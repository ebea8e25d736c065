#include "AppImage.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QSvgRenderer>

// Resources of a static library are registered by hand, outside any namespace.
static void registerImageResources() {
    Q_INIT_RESOURCE(images);
}

namespace {
const QStringList& knownImageNames() {
    static const QStringList names = {
        // Side bar.
        QStringLiteral("leftPanel_icon_corvex"),
        QStringLiteral("leftPanel_videoDesktop_normal_corvex"),
        QStringLiteral("leftPanel_videoDesktop_pressed_corvex"),
        QStringLiteral("leftPanel_about_normal_corvex"),
        QStringLiteral("leftPanel_about_pressed_corvex"),
        QStringLiteral("leftPanel_videoDesktop_checkBox_checked_normal"),
        QStringLiteral("leftPanel_videoDesktop_checkBox_unchecked_normal"),
        // Link buttons along the top of the main window.
        QStringLiteral("topBar_website"),
        QStringLiteral("topBar_mobile"),
        QStringLiteral("topBar_help"),
        QStringLiteral("topBar_setting"),
        QStringLiteral("topBar_forum"),
        // Download row buttons.
        QStringLiteral("download_pause_normal"),
        QStringLiteral("download_pause_hover"),
        QStringLiteral("download_download_normal"),
        QStringLiteral("download_download_hover"),
        QStringLiteral("download_delete_normal"),
        QStringLiteral("download_delete_hover"),
        // Placeholders and list states.
        QStringLiteral("default_thumbnail"),
        QStringLiteral("default_avatar"),
        QStringLiteral("empty_video_list"),
        QStringLiteral("network_connecting"),
        QStringLiteral("network_error"),
        // Badges over a thumbnail.
        QStringLiteral("online_video_list_downloading_corvex.png"),
        QStringLiteral("online_video_list_downloaded_corvex.png"),
        // Play controls.
        QStringLiteral("tray_mute_normal"),
        QStringLiteral("tray_voice_normal"),
        QStringLiteral("play_normal"),
        QStringLiteral("pause_normal"),
        QStringLiteral("playing.svg"),
        QStringLiteral("no_playing.svg"),
        // New-features pages.
        QStringLiteral("NewFeature0"),
        QStringLiteral("NewFeature1"),
        QStringLiteral("NewFeature2"),
        QStringLiteral("NewFeature3"),
        QStringLiteral("NewFeature4"),
        QStringLiteral("NewFeature5"),
        QStringLiteral("NewFeature6"),
        // The web site's address as a QR code.
        QStringLiteral("QRCode"),
    };
    return names;
}

const QHash<QString, QColor>& knownColors() {
    static const QHash<QString, QColor> colors = {
        {QStringLiteral("LeftSideBarColor"), QColor(0x1f, 0x24, 0x30)},
        {QStringLiteral("bottomAreaColor"), QColor(0xf5, 0xf6, 0xf8)},
    };
    return colors;
}

// Every picture is an SVG file; a name that carries another extension (".png") names the same
// picture drawn as SVG.
QString fileFor(const QString& name) {
    QString base = name;
    if (base.endsWith(QLatin1String(".png")) || base.endsWith(QLatin1String(".svg")))
        base.chop(4);
    return QStringLiteral(":/images/") + base + QStringLiteral(".svg");
}

QImage render(const QString& path, QSize pixels, qreal ratio) {
    QSvgRenderer renderer(path);
    if (!renderer.isValid() || pixels.isEmpty())
        return {};
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    image.setDevicePixelRatio(ratio);
    return image;
}
} // namespace

QString AppImage::resourcePath(const QString& name) {
    static const bool registered = (registerImageResources(), true);
    Q_UNUSED(registered);
    if (!knownImageNames().contains(name))
        return {};
    return fileFor(name);
}

QSize AppImage::naturalSize(const QString& name) {
    const QString path = resourcePath(name);
    if (path.isEmpty())
        return {};
    QSvgRenderer renderer(path);
    return renderer.isValid() ? renderer.defaultSize() : QSize();
}

QImage AppImage::named(const QString& name) {
    static QMutex mutex;
    static QHash<QString, QImage> cache;
    QMutexLocker lock(&mutex);
    const auto found = cache.constFind(name);
    if (found != cache.constEnd())
        return *found;
    const QString path = resourcePath(name);
    if (path.isEmpty())
        return {};
    const QSize size = naturalSize(name);
    QImage image = render(path, size * 2, 2.0);
    if (!image.isNull())
        cache.insert(name, image);
    return image;
}

QImage AppImage::named(const QString& name, QSize pixelSize) {
    const QString path = resourcePath(name);
    if (path.isEmpty())
        return {};
    return render(path, pixelSize, 1.0);
}

QPixmap AppImage::pixmap(const QString& name) {
    return QPixmap::fromImage(named(name));
}

std::optional<QColor> AppImage::namedColor(const QString& name) {
    const auto found = knownColors().constFind(name);
    if (found == knownColors().constEnd())
        return std::nullopt;
    return *found;
}

QStringList AppImage::imageNames() {
    return knownImageNames();
}

QStringList AppImage::colorNames() {
    QStringList names = knownColors().keys();
    names.sort();
    return names;
}
