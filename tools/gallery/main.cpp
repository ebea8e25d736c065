#include "Gallery.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QTextStream>
#include <cstdio>

namespace {
// All shots on one sheet, each under its name, so the whole gallery can be looked at at once.
QImage contactSheet(const QList<GalleryShots::Shot>& shots) {
    constexpr int cell = 300, label = 18, gap = 10, columns = 5;
    const int rows = (int(shots.size()) + columns - 1) / columns;
    QImage sheet(columns * (cell + gap) + gap, rows * (cell + label + gap) + gap, QImage::Format_RGB32);
    sheet.fill(QColor(0xe8, 0xea, 0xee));
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    for (int i = 0; i < shots.size(); ++i) {
        const QRect box(gap + (i % columns) * (cell + gap), gap + (i / columns) * (cell + label + gap), cell,
                        cell + label);
        painter.setPen(Qt::black);
        painter.drawText(
            box.left(), box.top() + 13,
            painter.fontMetrics().elidedText(shots[i].page + " / " + shots[i].state, Qt::ElideRight, cell));
        const QImage& picture = shots[i].picture;
        QSizeF size = picture.deviceIndependentSize();
        if (size.width() > cell || size.height() > cell)
            size.scale(cell, cell, Qt::KeepAspectRatio);
        painter.drawImage(QRectF(QPointF(box.left(), box.top() + label), size), picture);
    }
    return sheet;
}
} // namespace

// zerafin_gallery [folder] [page...]: writes every page's shots (or only the named pages') as PNG
// files into the folder ("gallery" by default), with index.html and contact-sheet.png.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const QString folder = arguments.value(0, QStringLiteral("gallery"));
    const QStringList only = arguments.mid(1);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot make the folder %s\n", qPrintable(folder));
        return 1;
    }
    QList<GalleryShots::Shot> all;
    for (const auto& [page, function] : Gallery::pages()) {
        if (!only.isEmpty() && !only.contains(page))
            continue;
        GalleryShots shots;
        shots.page = page;
        function(shots);
        all += shots.shots;
    }
    QFile index(QDir(folder).filePath(QStringLiteral("index.html")));
    if (!index.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(index.fileName()));
        return 1;
    }
    QTextStream html(&index);
    html << "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Widget gallery</title></head>"
            "<body style=\"background:#e8eaee;font-family:sans-serif\">\n";
    QString lastPage;
    for (const auto& shot : all) {
        const QString file = shot.page + "-" + QString(shot.state).replace(' ', '_') + ".png";
        if (!shot.picture.save(QDir(folder).filePath(file))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
        if (shot.page != lastPage)
            html << "<h2>" << shot.page.toHtmlEscaped() << "</h2>\n";
        lastPage = shot.page;
        html << "<figure style=\"display:inline-block\"><img src=\"" << file.toHtmlEscaped()
             << "\"><figcaption>" << shot.state.toHtmlEscaped() << "</figcaption></figure>\n";
    }
    html << "</body></html>\n";
    contactSheet(all).save(QDir(folder).filePath(QStringLiteral("contact-sheet.png")));
    std::printf("%lld pictures in %s\n", static_cast<long long>(all.size()),
                qPrintable(QDir(folder).absolutePath()));
    return 0;
}
