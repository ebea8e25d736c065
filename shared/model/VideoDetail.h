#pragma once

#include "CodingField.h"
#include "PerformanceRequirement.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>
#include <tuple>

// The one description of a video: an item of the server's lists, one row of the local library,
// the record a download keeps. Every field is required by its coders; the JSON key of each is its
// name, and the declaration order is the order the coders visit the keys.
struct VideoDetail {
    qint64 id = 0;
    QString sign; // MD5 of the file's first 10 MiB, 32 lower-case hexadecimal digits
    QString preurl;
    QString title;
    QString url; // the download address from the server; the local file's location in the library
    QString description;
    qint64 time = 0; // duration in milliseconds
    qint64 size = 0; // file size in bytes
    QString imgurl;
    qint64 imgsize = 0;
    QString tags;
    QString ratio;
    qint64 width = 0;
    qint64 height = 0;
    qint64 frame = 0; // frames per second
    qint64 rate = 0;  // bit rate
    qint64 audio = 0; // 1 when the video has sound
    QString uptime;
    qint64 down = 0;
    qint64 view = 0;
    QString author;
    QString avatar;
    qint64 avatarsize = 0;
    QString hp;
    qint64 upcount = 0;

    static auto codingFields() {
        return std::tuple{codingField(u"id", &VideoDetail::id),
                          codingField(u"sign", &VideoDetail::sign),
                          codingField(u"preurl", &VideoDetail::preurl),
                          codingField(u"title", &VideoDetail::title),
                          codingField(u"url", &VideoDetail::url),
                          codingField(u"description", &VideoDetail::description),
                          codingField(u"time", &VideoDetail::time),
                          codingField(u"size", &VideoDetail::size),
                          codingField(u"imgurl", &VideoDetail::imgurl),
                          codingField(u"imgsize", &VideoDetail::imgsize),
                          codingField(u"tags", &VideoDetail::tags),
                          codingField(u"ratio", &VideoDetail::ratio),
                          codingField(u"width", &VideoDetail::width),
                          codingField(u"height", &VideoDetail::height),
                          codingField(u"frame", &VideoDetail::frame),
                          codingField(u"rate", &VideoDetail::rate),
                          codingField(u"audio", &VideoDetail::audio),
                          codingField(u"uptime", &VideoDetail::uptime),
                          codingField(u"down", &VideoDetail::down),
                          codingField(u"view", &VideoDetail::view),
                          codingField(u"author", &VideoDetail::author),
                          codingField(u"avatar", &VideoDetail::avatar),
                          codingField(u"avatarsize", &VideoDetail::avatarsize),
                          codingField(u"hp", &VideoDetail::hp),
                          codingField(u"upcount", &VideoDetail::upcount)};
    }

    // Strict reading: any missing key, null or value of another type gives nothing.
    static std::optional<VideoDetail> fromJson(const QByteArray& jsonText);
    static std::optional<VideoDetail> fromJsonObject(const QJsonObject& object);
    QByteArray toJson() const;
    QJsonObject toJsonObject() const;

    // Whether the video is heavy for an ordinary machine, as the detail pane shows it: normal when
    // it has fewer pixels than 2560 x 1440, a bit rate of at most 5,120,000 and under 31 frames
    // per second; high otherwise.
    bool isHighPerformance() const;
    PerformanceRequirement requirement() const;

    bool operator==(const VideoDetail&) const = default;
};
