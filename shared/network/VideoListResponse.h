#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"
#include "TotalVideo.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>

// The reply to a video-list query: one page of videos. One malformed video fails the whole page.
struct VideoListResponse {
    qint64 status = 0;
    QString info;
    TotalVideo data;

    static auto codingFields() {
        return std::tuple{codingField(u"status", &VideoListResponse::status),
                          codingField(u"info", &VideoListResponse::info),
                          codingField(u"data", &VideoListResponse::data)};
    }

    // The reply read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<VideoListResponse> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<VideoListResponse>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const VideoListResponse&) const = default;
};
