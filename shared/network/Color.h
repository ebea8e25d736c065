#pragma once

#include "CodingField.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <tuple>

// The three colours of the heartbeat's top message, as the server writes them.
struct Color {
    QString show;
    QString hover;
    QString click;

    static auto codingFields() {
        return std::tuple{codingField(u"show", &Color::show), codingField(u"hover", &Color::hover),
                          codingField(u"click", &Color::click)};
    }

    // Read from JSON text; nothing when any part of it is missing, null or of another type.
    static std::optional<Color> fromJson(const QByteArray& jsonText) {
        return JSONDecoder::decode<Color>(jsonText);
    }
    QByteArray toJson() const { return JSONEncoder::encode(*this).value_or(QByteArray()); }

    bool operator==(const Color&) const = default;
};
