#pragma once

#include "Coding.h"

// Stands for JSON null inside a dynamic value (JSONAny).
class JSONNull {
public:
    JSONNull() = default;

    // Succeeds only on a null value; anything else is a type mismatch "Wrong type for JSONNull".
    static bool decode(Decoder& decoder, JSONNull& out);
    bool encode(Encoder& encoder) const { return encoder.encodeNil(); }

    friend bool operator==(const JSONNull&, const JSONNull&) { return true; }
};

template <> struct Coding<JSONNull> {
    static bool decode(Decoder& decoder, JSONNull& out) { return JSONNull::decode(decoder, out); }
    static bool encode(Encoder& encoder, const JSONNull& value) { return value.encode(encoder); }
};
