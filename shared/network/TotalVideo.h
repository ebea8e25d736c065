#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"
#include "VideoDetail.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>
#include <vector>

// One page of a video list: the paging figures and the videos of the page in the server's order.
// A page whose `page` equals `pages` is the last one.
struct TotalVideo {
    qint64 pages = 0;
    qint64 page = 0;
    qint64 total = 0;
    qint64 count = 0;
    std::vector<VideoDetail> vlist;

    static auto codingFields() {
        return std::tuple{codingField(u"pages", &TotalVideo::pages), codingField(u"page", &TotalVideo::page),
                          codingField(u"total", &TotalVideo::total),
                          codingField(u"count", &TotalVideo::count),
                          codingField(u"vlist", &TotalVideo::vlist)};
    }

    // Read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<TotalVideo> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<TotalVideo>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const TotalVideo&) const = default;
};
