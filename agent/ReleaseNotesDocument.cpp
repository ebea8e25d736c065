#include "ReleaseNotesDocument.h"

ReleaseNotesDocument::ReleaseNotesDocument(QObject* parent) : QTextDocument(parent) {}

QVariant ReleaseNotesDocument::loadResource(int, const QUrl&) {
    return {};
}
