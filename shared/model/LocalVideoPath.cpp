#include "LocalVideoPath.h"

#include <QUrl>

std::optional<QString> LocalVideoPath::fromStoredUrl(const QString& stored) {
    if (stored.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(stored);
        if (!url.isValid() || !url.isLocalFile())
            return std::nullopt;
        const QString path = url.toLocalFile();
        if (path.isEmpty())
            return std::nullopt;
        return path;
    }
    if (stored.startsWith(QLatin1Char('/')))
        return stored;
    return std::nullopt;
}

QString LocalVideoPath::fileUrlText(const QString& path) {
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}
