#pragma once

#include "CodingField.h"
#include "DataBody.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>

// The reply to the heartbeat.
struct HeartbeatResponse {
    qint64 status = 0;
    QString info;
    DataBody data;

    static auto codingFields() {
        return std::tuple{codingField(u"status", &HeartbeatResponse::status),
                          codingField(u"info", &HeartbeatResponse::info),
                          codingField(u"data", &HeartbeatResponse::data)};
    }

    // The reply read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<HeartbeatResponse> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<HeartbeatResponse>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const HeartbeatResponse&) const = default;
};
