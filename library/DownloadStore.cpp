#include "DownloadStore.h"

#include "KeyedArchive.h"
#include "PropertyList.h"

namespace {
struct IntegerField {
    const char* key;
    qint64 VideoDetail::*member;
};
struct TextField {
    const char* key;
    QString VideoDetail::*member;
};

const IntegerField integerFields[] = {
    {"id", &VideoDetail::id},           {"time", &VideoDetail::time},
    {"size", &VideoDetail::size},       {"imgsize", &VideoDetail::imgsize},
    {"width", &VideoDetail::width},     {"height", &VideoDetail::height},
    {"frame", &VideoDetail::frame},     {"rate", &VideoDetail::rate},
    {"audio", &VideoDetail::audio},     {"down", &VideoDetail::down},
    {"view", &VideoDetail::view},       {"avatarsize", &VideoDetail::avatarsize},
    {"upcount", &VideoDetail::upcount},
};
const TextField textFields[] = {
    {"sign", &VideoDetail::sign},
    {"preurl", &VideoDetail::preurl},
    {"title", &VideoDetail::title},
    {"url", &VideoDetail::url},
    {"description", &VideoDetail::description},
    {"imgurl", &VideoDetail::imgurl},
    {"tags", &VideoDetail::tags},
    {"ratio", &VideoDetail::ratio},
    {"uptime", &VideoDetail::uptime},
    {"author", &VideoDetail::author},
    {"avatar", &VideoDetail::avatar},
    {"hp", &VideoDetail::hp},
};

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

QVariantMap DownloadStore::videoInfoToPropertyList(const VideoDetail& video) {
    QVariantMap map;
    for (const IntegerField& field : integerFields)
        map.insert(QLatin1String(field.key), QVariant(qint64(video.*field.member)));
    for (const TextField& field : textFields)
        map.insert(QLatin1String(field.key), QVariant(video.*field.member));
    return map;
}

std::optional<VideoDetail> DownloadStore::videoInfoFromPropertyList(const QVariant& value) {
    if (value.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = value.toMap();
    VideoDetail video;
    for (const IntegerField& field : integerFields) {
        const QVariant v = map.value(QLatin1String(field.key));
        if (v.typeId() != QMetaType::LongLong)
            return std::nullopt;
        video.*field.member = v.toLongLong();
    }
    for (const TextField& field : textFields) {
        const QVariant v = map.value(QLatin1String(field.key));
        if (v.typeId() != QMetaType::QString)
            return std::nullopt;
        video.*field.member = v.toString();
    }
    return video;
}

QByteArray DownloadStore::archive(const std::vector<DownloadStore>& entries) {
    QVariantList list;
    for (const DownloadStore& entry : entries) {
        QVariantMap element{{videoInfoKey, videoInfoToPropertyList(entry.videoInfo)}};
        if (entry.cacheURL)
            element.insert(cacheURLKey, urlToPropertyList(*entry.cacheURL));
        list.append(element);
    }
    return KeyedArchive::archiveRootData(PropertyList::toXml(list));
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
