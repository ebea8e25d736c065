#pragma once

#include "Encoder.h"

#include <QStringView>

// An object being written, one key at a time, in the order the writer visits them.
class KeyedEncodingContainer {
public:
    virtual ~KeyedEncodingContainer() = default;

    virtual QStringList codingPath() const = 0;
    virtual CodingError& error() = 0;

    // Lets `write` fill the value under `key`; the key is stored only when `write` succeeds.
    virtual bool encode(QStringView key, FunctionRef<bool(Encoder&)> write) = 0;
};
