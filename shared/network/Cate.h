#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>

// One category of the online catalogue: its identifier (the tag of its menu entry) and its name.
struct Cate {
    qint64 id = 0;
    QString title;

    static auto codingFields() {
        return std::tuple{codingField(u"id", &Cate::id), codingField(u"title", &Cate::title)};
    }

    // Read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<Cate> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<Cate>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const Cate&) const = default;
};
