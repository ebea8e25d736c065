#pragma once

#include "CodingError.h"
#include "FunctionRef.h"

#include <QString>
#include <QStringList>
#include <optional>

class KeyedDecodingContainer;
class UnkeyedDecodingContainer;

// One value of a document being read, in whatever format the document has. The value can be read
// as a single value of a plain type, or opened as a keyed container (an object) or an unkeyed one
// (a list). Every read that fails records its reason in error() and reports failure, changing
// nothing else, so a caller may try another shape after a failure.
class Decoder {
public:
    virtual ~Decoder() = default;

    virtual QStringList codingPath() const = 0;
    // The last failure of the document this value belongs to.
    virtual CodingError& error() = 0;

    // Whether the value is null; never a failure.
    virtual bool decodeNil() = 0;
    virtual std::optional<bool> decodeBool() = 0;
    // A number with a fractional part, or one outside the signed 64-bit range, is no integer.
    virtual std::optional<qint64> decodeInt64() = 0;
    virtual std::optional<double> decodeDouble() = 0;
    virtual std::optional<QString> decodeString() = 0;

    // Open the value as a container and hand it to `read`, whose result is the result. A value of
    // another shape fails without calling `read`.
    virtual bool decodeKeyed(FunctionRef<bool(KeyedDecodingContainer&)> read) = 0;
    virtual bool decodeUnkeyed(FunctionRef<bool(UnkeyedDecodingContainer&)> read) = 0;
};
