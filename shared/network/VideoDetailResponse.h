#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"
#include "VideoDetail.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>

// The reply to the video-detail request.
struct VideoDetailResponse {
    qint64 status = 0;
    QString info;
    VideoDetail data;

    static auto codingFields() {
        return std::tuple{codingField(u"status", &VideoDetailResponse::status),
                          codingField(u"info", &VideoDetailResponse::info),
                          codingField(u"data", &VideoDetailResponse::data)};
    }

    // The reply read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<VideoDetailResponse> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<VideoDetailResponse>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const VideoDetailResponse&) const = default;
};
