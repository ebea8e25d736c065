#include "ResumeData.h"

#include "PropertyList.h"

#include <QDir>
#include <QVariantMap>

namespace {
const QString urlKey = QStringLiteral("url");
const QString partialKey = QStringLiteral("partialPath");
const QString bytesKey = QStringLiteral("bytes");
const QString etagKey = QStringLiteral("etag");
const QString lastModifiedKey = QStringLiteral("lastModified");
} // namespace

QByteArray ResumeData::encode() const {
    QVariantMap map{
        {urlKey, url.toString(QUrl::FullyEncoded)},
        {partialKey, partialPath},
        {bytesKey, bytes},
    };
    if (!etag.isEmpty())
        map.insert(etagKey, etag);
    if (!lastModified.isEmpty())
        map.insert(lastModifiedKey, lastModified);
    return PropertyList::toXml(map);
}

std::optional<ResumeData> ResumeData::decode(const QByteArray& bytes) {
    const std::optional<QVariant> plist = PropertyList::fromXml(bytes);
    if (!plist || plist->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = plist->toMap();
    const QVariant url = map.value(urlKey);
    const QVariant partial = map.value(partialKey);
    const QVariant count = map.value(bytesKey);
    if (url.typeId() != QMetaType::QString || partial.typeId() != QMetaType::QString ||
        count.typeId() != QMetaType::LongLong)
        return std::nullopt;
    ResumeData data;
    data.url = QUrl(url.toString(), QUrl::StrictMode);
    data.partialPath = partial.toString();
    data.bytes = count.toLongLong();
    const QString scheme = data.url.scheme();
    if (!data.url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        data.url.host().isEmpty() || !QDir::isAbsolutePath(data.partialPath) || data.bytes < 0)
        return std::nullopt;
    const QVariant etag = map.value(etagKey);
    const QVariant lastModified = map.value(lastModifiedKey);
    if ((etag.isValid() && etag.typeId() != QMetaType::QString) ||
        (lastModified.isValid() && lastModified.typeId() != QMetaType::QString))
        return std::nullopt;
    data.etag = etag.toString();
    data.lastModified = lastModified.toString();
    return data;
}
