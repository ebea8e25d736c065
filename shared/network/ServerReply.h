#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>

// A reply of the server: its status, its message and the payload its request asks for. Each reply
// type names its payload (BaseInfoResponse, VideoListResponse, ...).
template <typename Payload> struct ServerReply {
    qint64 status = 0;
    QString info;
    Payload data;

    static auto codingFields() {
        return std::tuple{codingField(u"status", &ServerReply::status),
                          codingField(u"info", &ServerReply::info), codingField(u"data", &ServerReply::data)};
    }

    // The reply read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<ServerReply> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<ServerReply>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const ServerReply&) const = default;
};
