#pragma once

#include "Coding.h"

#include <QVariant>
#include <optional>

// Reads records from a tree of QVariants in the shape a property list takes in memory: integers
// (any integral type), doubles, booleans, texts, QVariantList and QVariantMap; an invalid QVariant
// or a null one stands for null. The rules are those of Coding.h; an integer field takes only an
// integral value and a double field takes integers too. Trees nest at most 1024 levels deep.
class VariantDecoder {
public:
    template <typename T> static std::optional<T> decode(const QVariant& tree, CodingError* error = nullptr) {
        T value{};
        if (!decodeValue(
                tree, [&](Decoder& decoder) { return Coding<T>::decode(decoder, value); }, error))
            return std::nullopt;
        return value;
    }

    static bool decodeValue(const QVariant& tree, FunctionRef<bool(Decoder&)> read, CodingError* error);
};
