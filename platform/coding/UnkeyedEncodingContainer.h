#pragma once

#include "Encoder.h"

// A list being written, element after element.
class UnkeyedEncodingContainer {
public:
    virtual ~UnkeyedEncodingContainer() = default;

    virtual QStringList codingPath() const = 0;
    virtual CodingError& error() = 0;

    virtual qsizetype count() const = 0;
    // Lets `write` fill the next element; the element is kept only when `write` succeeds.
    virtual bool append(FunctionRef<bool(Encoder&)> write) = 0;
};
