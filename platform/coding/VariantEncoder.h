#pragma once

#include "Coding.h"

#include <QVariant>
#include <optional>

// Writes records as a tree of QVariants a property list can hold: qint64, double, bool, QString,
// QVariantList and QVariantMap. Null has no place in a property list and cannot be written.
class VariantEncoder {
public:
    template <typename T>
    static std::optional<QVariant> encode(const T& value, CodingError* error = nullptr) {
        QVariant out;
        if (!encodeValue([&](Encoder& encoder) { return Coding<T>::encode(encoder, value); }, out, error))
            return std::nullopt;
        return out;
    }

    static bool encodeValue(FunctionRef<bool(Encoder&)> write, QVariant& out, CodingError* error);
};
