#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>
#include <vector>

// Timing figures of the heartbeat, carried as received.
struct Time {
    qint64 st = 0;
    std::vector<qint64> vt;
    qint64 tt = 0;

    static auto codingFields() {
        return std::tuple{codingField(u"st", &Time::st), codingField(u"vt", &Time::vt),
                          codingField(u"tt", &Time::tt)};
    }

    // Read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<Time> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<Time>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const Time&) const = default;
};
