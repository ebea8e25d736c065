#include "AgentArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {
// A screen with a play mark cut out of it and a stand below: black on transparent, so that only
// its shape counts when it is used as a mask.
QImage statusBar(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 22.0, size.height() / 22.0);
    QPainterPath screen;
    screen.addRoundedRect(QRectF(2, 4, 18, 12), 2.5, 2.5);
    QPainterPath play;
    play.moveTo(9, 7);
    play.lineTo(14.5, 10);
    play.lineTo(9, 13);
    play.closeSubpath();
    p.fillPath(screen.subtracted(play), Qt::black);
    p.fillRect(QRectF(9.5, 16, 3, 2), Qt::black);
    p.fillRect(QRectF(6.5, 18, 9, 1.5), Qt::black);
    return image;
}

// A dusk-blue field with soft light rising from the lower left and a wave across the bottom.
QImage upgradeBackGround(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(QPointF(0, 0), QSizeF(size));
    QLinearGradient sky(r.topLeft(), r.bottomRight());
    sky.setColorAt(0.0, QColor(0x1b, 0x24, 0x4a));
    sky.setColorAt(0.6, QColor(0x23, 0x4e, 0x78));
    sky.setColorAt(1.0, QColor(0x2f, 0x8f, 0x9d));
    p.fillRect(r, sky);
    QRadialGradient glow(QPointF(r.width() * 0.15, r.height() * 0.9), r.width() * 0.6);
    glow.setColorAt(0.0, QColor(255, 214, 150, 110));
    glow.setColorAt(1.0, QColor(255, 214, 150, 0));
    p.fillRect(r, glow);
    QPainterPath wave;
    wave.moveTo(0, r.height() * 0.82);
    wave.cubicTo(r.width() * 0.3, r.height() * 0.7, r.width() * 0.6, r.height() * 0.95, r.width(),
                 r.height() * 0.78);
    wave.lineTo(r.width(), r.height());
    wave.lineTo(0, r.height());
    wave.closeSubpath();
    p.fillPath(wave, QColor(255, 255, 255, 28));
    return image;
}
} // namespace

QImage AgentArtwork::image(const QString& name, QSize size) {
    if (size.isEmpty())
        return {};
    if (name == QLatin1String("corvex_statusBar"))
        return statusBar(size);
    if (name == QLatin1String("upgrade_back_ground"))
        return upgradeBackGround(size);
    return {};
}

QIcon AgentArtwork::statusBarIcon() {
    QIcon icon;
    for (int side : {16, 22, 32, 44, 64}) {
        QImage shape = image(QStringLiteral("corvex_statusBar"), QSize(side, side));
        // Trays that tint mask icons use only the shape; the others show this neutral grey, which
        // reads on dark and on light panels alike.
        QPainter tint(&shape);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(shape.rect(), QColor(0xa0, 0xa0, 0xa0));
        tint.end();
        icon.addPixmap(QPixmap::fromImage(shape));
    }
    icon.setIsMask(true);
    return icon;
}
