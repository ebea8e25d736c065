#include "DownloadStore.h"

#include "KeyedArchive.h"
#include "PropertyList.h"
#include "VariantDecoder.h"
#include "VariantEncoder.h"

namespace {
const QString videoInfoKey = QStringLiteral("videoInfo");
const QString cacheURLKey = QStringLiteral("cacheURL");
const QString relativeKey = QStringLiteral("relative");
const QString baseKey = QStringLiteral("base");

// A URL the way the store keeps it: its relative text and, when it has one, its base in the same form.
QVariantMap urlToPropertyList(const QUrl& url) {
    return QVariantMap{{relativeKey, url.toString(QUrl::FullyEncoded)}};
}

std::optional<QUrl> urlFromPropertyList(const QVariant& value, int depth = 0) {
    if (depth > 8 || value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = value.toMap();
    const QVariant relative = map.value(relativeKey);
    if (relative.typeId() != QMetaType::QString)
        return std::nullopt;
    QUrl url(relative.toString(), QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    if (map.contains(baseKey)) {
        const std::optional<QUrl> base = urlFromPropertyList(map.value(baseKey), depth + 1);
        if (!base)
            return std::nullopt;
        url = base->resolved(url);
    }
    return url;
}
} // namespace

// The record is written and read through its one field declaration, in property-list form.
QVariantMap DownloadStore::videoInfoToPropertyList(const VideoDetail& video) {
    return VariantEncoder::encode(video).value_or(QVariant()).toMap();
}

std::optional<VideoDetail> DownloadStore::videoInfoFromPropertyList(const QVariant& value) {
    return VariantDecoder::decode<VideoDetail>(value);
}

QByteArray DownloadStore::archive(const std::vector<DownloadStore>& entries) {
    QVariantList list;
    for (const DownloadStore& entry : entries) {
        QVariantMap element{{videoInfoKey, videoInfoToPropertyList(entry.videoInfo)}};
        if (entry.cacheURL)
            element.insert(cacheURLKey, urlToPropertyList(*entry.cacheURL));
        list.append(element);
    }
    return KeyedArchive::archiveRootData(PropertyList::toBinary(list));
}

std::optional<std::vector<DownloadStore>> DownloadStore::unarchive(const QByteArray& bytes) {
    const std::optional<QByteArray> data = KeyedArchive::unarchiveRootData(bytes);
    if (!data)
        return std::nullopt;
    const std::optional<QVariant> plist = PropertyList::fromData(*data);
    if (!plist || plist->typeId() != QMetaType::QVariantList)
        return std::nullopt;
    std::vector<DownloadStore> entries;
    for (const QVariant& element : plist->toList()) {
        if (element.typeId() != QMetaType::QVariantMap)
            return std::nullopt;
        const QVariantMap map = element.toMap();
        DownloadStore entry;
        const std::optional<VideoDetail> video = videoInfoFromPropertyList(map.value(videoInfoKey));
        if (!video)
            return std::nullopt;
        entry.videoInfo = *video;
        if (map.contains(cacheURLKey)) {
            entry.cacheURL = urlFromPropertyList(map.value(cacheURLKey));
            if (!entry.cacheURL)
                return std::nullopt;
        }
        entries.push_back(entry);
    }
    return entries;
}
