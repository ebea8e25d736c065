#pragma once

#include "CodingField.h"
#include "JSONAny.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"
#include "Msg.h"
#include "Time.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>
#include <vector>

// The payload of the heartbeat reply. `upgrade` is a list of values of any shape, kept as received.
struct DataBody {
    qint64 ct = 0;
    Time time;
    Msg msg;
    std::vector<JSONAny> upgrade;
    qint64 speedlimit = 0;

    static auto codingFields() {
        return std::tuple{codingField(u"ct", &DataBody::ct), codingField(u"time", &DataBody::time),
                          codingField(u"msg", &DataBody::msg), codingField(u"upgrade", &DataBody::upgrade),
                          codingField(u"speedlimit", &DataBody::speedlimit)};
    }

    // Read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<DataBody> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<DataBody>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const DataBody&) const = default;
};
