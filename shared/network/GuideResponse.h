#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"
#include "PurpleData.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>

// The reply to the guide-information request.
struct GuideResponse {
    qint64 status = 0;
    QString info;
    PurpleData data;

    static auto codingFields() {
        return std::tuple{codingField(u"status", &GuideResponse::status),
                          codingField(u"info", &GuideResponse::info),
                          codingField(u"data", &GuideResponse::data)};
    }

    // The reply read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<GuideResponse> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<GuideResponse>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const GuideResponse&) const = default;
};
