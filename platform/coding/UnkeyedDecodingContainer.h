#pragma once

#include "Decoder.h"

// A list being read from its first element on.
class UnkeyedDecodingContainer {
public:
    virtual ~UnkeyedDecodingContainer() = default;

    virtual QStringList codingPath() const = 0;
    virtual CodingError& error() = 0;

    virtual std::optional<qsizetype> count() const = 0;
    virtual bool isAtEnd() const = 0;
    virtual qsizetype currentIndex() const = 0;
    // Hands the element at the current position to `read` and moves past it only when `read`
    // succeeds, so that a failed attempt can be followed by another. At the end: valueNotFound.
    virtual bool decodeNext(FunctionRef<bool(Decoder&)> read) = 0;
};
