#pragma once

#include "CodingError.h"
#include "FunctionRef.h"

#include <QString>
#include <QStringList>

class KeyedEncodingContainer;
class UnkeyedEncodingContainer;

// One value of a document being written: exactly one of the calls below fills it. A call that the
// format cannot write records its reason in error() and reports failure.
class Encoder {
public:
    virtual ~Encoder() = default;

    virtual QStringList codingPath() const = 0;
    virtual CodingError& error() = 0;

    virtual bool encodeNil() = 0;
    virtual bool encodeBool(bool value) = 0;
    virtual bool encodeInt64(qint64 value) = 0;
    virtual bool encodeDouble(double value) = 0;
    virtual bool encodeString(const QString& value) = 0;

    // Makes the value a container and lets `fill` write its contents; fails with `fill`.
    virtual bool encodeKeyed(FunctionRef<bool(KeyedEncodingContainer&)> fill) = 0;
    virtual bool encodeUnkeyed(FunctionRef<bool(UnkeyedEncodingContainer&)> fill) = 0;
};
