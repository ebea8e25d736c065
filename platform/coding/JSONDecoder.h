#pragma once

#include "Coding.h"

#include <QByteArray>
#include <QJsonValue>
#include <optional>

// Reads records from JSON with the strict rules of Coding.h. Numbers: a number whose value is
// integral and within the signed 64-bit range reads as an integer (so 2.0 and 1e2 do, 2.5 and
// 1e19 do not); any number reads as a double. Documents nest at most 1024 levels deep.
class JSONDecoder {
public:
    template <typename T>
    static std::optional<T> decode(const QByteArray& json, CodingError* error = nullptr) {
        T value{};
        if (!decodeDocument(
                json, [&](Decoder& decoder) { return Coding<T>::decode(decoder, value); }, error))
            return std::nullopt;
        return value;
    }

    template <typename T>
    static std::optional<T> decode(const QJsonValue& json, CodingError* error = nullptr) {
        T value{};
        if (!decodeValue(
                json, [&](Decoder& decoder) { return Coding<T>::decode(decoder, value); }, error))
            return std::nullopt;
        return value;
    }

    // Parses `json` (an object or an array at the top) and hands its top value to `read`. Text
    // that is not JSON fails as dataCorrupted.
    static bool decodeDocument(const QByteArray& json, FunctionRef<bool(Decoder&)> read, CodingError* error);
    static bool decodeValue(const QJsonValue& json, FunctionRef<bool(Decoder&)> read, CodingError* error);
};
