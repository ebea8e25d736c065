#include "Gallery.h"

#include <QApplication>
#include <QWidget>

int Gallery::add(const QString& page, PageFunction function) {
    pages().append({page, std::move(function)});
    return pages().size();
}

QList<std::pair<QString, Gallery::PageFunction>>& Gallery::pages() {
    static QList<std::pair<QString, PageFunction>> all;
    return all;
}

void GalleryShots::shot(const QString& state, QWidget* widget) {
    if (widget->size().isEmpty() || !widget->testAttribute(Qt::WA_Resized))
        widget->resize(widget->sizeHint().expandedTo(QSize(16, 16)));
    const bool wasVisible = widget->isVisible();
    widget->show();
    // Let layouts settle and deferred updates run before the picture is taken.
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    image(state, widget->grab().toImage());
    if (!wasVisible)
        widget->hide();
}

void GalleryShots::image(const QString& state, const QImage& picture) {
    shots.append({page, state, picture});
}
