#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <functional>

class QWidget;

// The widget gallery: renders every widget of the main application in each of its states to PNG
// files, so that a person can look at them all. Each widget has one page function in a file of its
// own (tools/gallery/<Widget>Gallery.cpp) that builds the widget, puts it in a state and calls
// shot(); the page registers itself with GALLERY_PAGE and is picked up by the build.
class GalleryShots {
public:
    // Renders `widget` (a top-level widget, shown offscreen at its current size, or at its size
    // hint when it has none) as "<page>-<state>.png". The widget stays the caller's.
    void shot(const QString& state, QWidget* widget);
    // Stores a picture made some other way.
    void image(const QString& state, const QImage& picture);

    struct Shot {
        QString page;
        QString state;
        QImage picture;
    };
    QList<Shot> shots;
    QString page;
};

class Gallery {
public:
    using PageFunction = std::function<void(GalleryShots&)>;
    static int add(const QString& page, PageFunction function);
    static QList<std::pair<QString, PageFunction>>& pages();
};

#define GALLERY_CONCAT_INNER(a, b) a##b
#define GALLERY_CONCAT(a, b) GALLERY_CONCAT_INNER(a, b)
// GALLERY_PAGE("SwitchButton") { ...; shots.shot("on", &button); }
#define GALLERY_PAGE(name)                                                                                   \
    static void GALLERY_CONCAT(galleryPage, __LINE__)(GalleryShots & shots);                                 \
    static const int GALLERY_CONCAT(galleryRegistration, __LINE__) =                                         \
        Gallery::add(QStringLiteral(name), &GALLERY_CONCAT(galleryPage, __LINE__));                          \
    static void GALLERY_CONCAT(galleryPage, __LINE__)(GalleryShots & shots)
