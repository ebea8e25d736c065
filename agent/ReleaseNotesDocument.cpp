#include "ReleaseNotesDocument.h"

#include <QImage>

ReleaseNotesDocument::ReleaseNotesDocument(QObject* parent) : QTextDocument(parent) {}

QVariant ReleaseNotesDocument::loadResource(int type, const QUrl&) {
    // A picture left without data would be read from disk by the text layout itself (a plain path
    // or a file address in the notes); an empty picture stands in for every one of them.
    if (type == QTextDocument::ImageResource) {
        QImage blank(1, 1, QImage::Format_ARGB32_Premultiplied);
        blank.fill(Qt::transparent);
        return blank;
    }
    return {};
}
