#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>

// The query for one page of videos. `keywords` and `author` are the Base64 text of the UTF-8
// bytes of the search words and the uploader's name, or the empty text; every field is always sent.
struct VideoListRequest {
    QString ui;
    qint64 cate = 0;
    qint64 page = 0;
    QString keywords;
    qint64 sort = 0;
    QString author;

    static auto codingFields() {
        return std::tuple{codingField(u"ui", &VideoListRequest::ui),
                          codingField(u"cate", &VideoListRequest::cate),
                          codingField(u"page", &VideoListRequest::page),
                          codingField(u"keywords", &VideoListRequest::keywords),
                          codingField(u"sort", &VideoListRequest::sort),
                          codingField(u"author", &VideoListRequest::author)};
    }

    // Read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<VideoListRequest> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<VideoListRequest>(jsonText);
    }
    // The compact JSON text of the query, one object of the six members.
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const VideoListRequest&) const = default;
};
