#include "LocalVideoPath.h"

#include <QUrl>

std::optional<QString> LocalVideoPath::fromStoredUrl(const QString& stored) {
    if (stored.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        QUrl url(stored);
        if (!url.isValid() || !url.isLocalFile())
            return std::nullopt;
        // A file on another machine ("file://host/...") is no path here; "localhost" is this one.
        if (url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
            url.setHost(QString());
        if (!url.host().isEmpty())
            return std::nullopt;
        const QString path = url.toLocalFile();
        // A relative file address would be judged against the working folder, and a row could be
        // taken for missing (and deleted) while its file exists: only absolute paths count.
        if (!path.startsWith(QLatin1Char('/')))
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
