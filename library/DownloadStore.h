#pragma once

#include "VideoDetail.h"

#include <QByteArray>
#include <QUrl>
#include <QVariantMap>
#include <optional>
#include <vector>

// One download as the store file keeps it: the record and, when there is one, the file of resume
// data to continue from. The file "downloadInfo.bat" is a keyed archive whose root data object holds
// a property list: an array of {"videoInfo": the 25 fields, "cacheURL": {"relative": URL text}}.
struct DownloadStore {
    VideoDetail videoInfo;
    std::optional<QUrl> cacheURL;

    // The whole file's bytes for a list of entries, in order.
    static QByteArray archive(const std::vector<DownloadStore>& entries);
    // The entries of a store file; none when it is not such an archive or any entry is malformed.
    static std::optional<std::vector<DownloadStore>> unarchive(const QByteArray& bytes);

    static QVariantMap videoInfoToPropertyList(const VideoDetail& video);
    static std::optional<VideoDetail> videoInfoFromPropertyList(const QVariant& value);
};
