#pragma once

#include "Cate.h"
#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>
#include <vector>

// The catalogue's categories, hot tags and hot search keywords, each in the server's order.
struct BaseInfo {
    std::vector<Cate> cate;
    std::vector<QString> hottags;
    std::vector<QString> hotkey;

    static auto codingFields() {
        return std::tuple{codingField(u"cate", &BaseInfo::cate), codingField(u"hottags", &BaseInfo::hottags),
                          codingField(u"hotkey", &BaseInfo::hotkey)};
    }

    // Read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<BaseInfo> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<BaseInfo>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const BaseInfo&) const = default;
};
