#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>
#include <vector>

// The reply to a keyword-suggestion query: the suggestions in the server's order.
struct KeywordResponse {
    qint64 status = 0;
    QString info;
    std::vector<QString> data;

    static auto codingFields() {
        return std::tuple{codingField(u"status", &KeywordResponse::status),
                          codingField(u"info", &KeywordResponse::info),
                          codingField(u"data", &KeywordResponse::data)};
    }

    // The reply read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<KeywordResponse> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<KeywordResponse>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const KeywordResponse&) const = default;
};
