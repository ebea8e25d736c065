#pragma once

#include <QStringList>
#include <QStringView>

// One step of a coding path (a key, or a list position) kept on the call stack while a document is
// walked, linked to the step above it; turned into text only when an error needs it.
struct CodingPathLink {
    const CodingPathLink* parent = nullptr;
    QStringView key;
    qsizetype index = -1;

    QStringList toList() const {
        QStringList path;
        for (const CodingPathLink* link = this; link && link->parent; link = link->parent)
            path.prepend(link->index >= 0 ? QStringLiteral("Index %1").arg(link->index)
                                          : link->key.toString());
        return path;
    }
};
