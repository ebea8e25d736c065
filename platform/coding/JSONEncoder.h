#pragma once

#include "Coding.h"

#include <QByteArray>
#include <QJsonValue>
#include <optional>

// Writes records as JSON with the rules of Coding.h. Integers are written exactly; a double that
// is not finite cannot be written. The text is compact; the members of an object appear in the
// order JSON objects keep here (by key), which readers must not rely on.
class JSONEncoder {
public:
    template <typename T>
    static std::optional<QJsonValue> encodeValue(const T& value, CodingError* error = nullptr) {
        QJsonValue out;
        if (!encodeToValue([&](Encoder& encoder) { return Coding<T>::encode(encoder, value); }, out, error))
            return std::nullopt;
        return out;
    }

    // The compact JSON text of `value`, whose top must be an object or a list.
    template <typename T>
    static std::optional<QByteArray> encode(const T& value, CodingError* error = nullptr) {
        const auto json = encodeValue(value, error);
        if (!json)
            return std::nullopt;
        return text(*json, error);
    }

    static bool encodeToValue(FunctionRef<bool(Encoder&)> write, QJsonValue& out, CodingError* error);
    static std::optional<QByteArray> text(const QJsonValue& value, CodingError* error);
};
