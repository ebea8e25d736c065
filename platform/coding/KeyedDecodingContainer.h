#pragma once

#include "Decoder.h"

#include <QStringView>

// An object being read: values reached by their exact key (letter case counts).
class KeyedDecodingContainer {
public:
    virtual ~KeyedDecodingContainer() = default;

    virtual QStringList codingPath() const = 0;
    virtual CodingError& error() = 0;

    // Every key the object holds, in the order the format keeps them.
    virtual QStringList allKeys() const = 0;
    virtual bool contains(QStringView key) const = 0;
    // Hands the value under `key` to `read`; a missing key fails as keyNotFound without calling it.
    virtual bool decode(QStringView key, FunctionRef<bool(Decoder&)> read) = 0;
};
