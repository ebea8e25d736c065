#include "LooseUrl.h"

std::optional<QUrl> LooseUrl::fromString(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    QUrl url(text, QUrl::StrictMode);
    if (url.isValid() && !url.scheme().isEmpty())
        return url;
    static const QByteArray queryAllowed = "!$&'()*+,-./:;=?@_~";
    url = QUrl(QString::fromLatin1(QUrl::toPercentEncoding(text, queryAllowed)), QUrl::StrictMode);
    if (url.isValid() && !url.isEmpty())
        return url;
    return std::nullopt;
}
