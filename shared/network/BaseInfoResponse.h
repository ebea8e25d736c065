#pragma once

#include "BaseInfo.h"
#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>

// The reply to the base-information request.
struct BaseInfoResponse {
    qint64 status = 0;
    QString info;
    BaseInfo data;

    static auto codingFields() {
        return std::tuple{codingField(u"status", &BaseInfoResponse::status),
                          codingField(u"info", &BaseInfoResponse::info),
                          codingField(u"data", &BaseInfoResponse::data)};
    }

    // The reply read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<BaseInfoResponse> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<BaseInfoResponse>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const BaseInfoResponse&) const = default;
};
