#pragma once

#include "Coding.h"
#include "JSONCodingKey.h"
#include "JSONNull.h"

#include <QString>
#include <map>
#include <optional>
#include <variant>
#include <vector>

// One JSON value of any shape, kept as received so that it can be written back. The value is one
// of seven kinds, kept apart: boolean, integer (a number that reads as a signed 64-bit integer),
// floating (any other number), text, null, list, map. The elements of lists and maps are values
// of the same seven kinds.
//
// Nesting is bounded by maximumDepth (the JSON parser's own limit), in both directions, so that
// no input can run the recursion out of stack: a deeper value fails to decode or encode.
class JSONAny {
public:
    struct Value;
    using List = std::vector<Value>;
    using Map = std::map<QString, Value>; // keeps no order of its own
    struct Value {
        std::variant<bool, qint64, double, QString, JSONNull, List, Map> kind;
        bool operator==(const Value&) const = default;
    };

    static constexpr int maximumDepth = 1024;

    JSONAny() = default; // holds null
    explicit JSONAny(Value value) : m_value(std::move(value)) {}
    const Value& value() const { return m_value; }

    // Tries a list, then a map, then a single value.
    static bool decode(Decoder& decoder, JSONAny& out);
    bool encode(Encoder& encoder) const;

    // Boolean, integer, double, text, then null; otherwise "Cannot decode JSONAny".
    static std::optional<Value> decodeSingleValue(Decoder& decoder);
    // The element at the container's position, or the value under `key`: the single-value
    // attempts, then a nested list, then a nested map.
    static std::optional<Value> decodeElement(UnkeyedDecodingContainer& container);
    static std::optional<Value> decodeKeyedValue(KeyedDecodingContainer& container, const JSONCodingKey& key);
    static std::optional<List> decodeArray(UnkeyedDecodingContainer& container);
    static std::optional<Map> decodeDictionary(KeyedDecodingContainer& container);

    static bool encodeSingleValue(Encoder& encoder, const Value& value);
    static bool encodeArray(UnkeyedEncodingContainer& container, const List& list);
    static bool encodeDictionary(KeyedEncodingContainer& container, const Map& map);

    bool operator==(const JSONAny&) const = default;

private:
    Value m_value{JSONNull()};
};

template <> struct Coding<JSONAny> {
    static bool decode(Decoder& decoder, JSONAny& out) { return JSONAny::decode(decoder, out); }
    static bool encode(Encoder& encoder, const JSONAny& value) { return value.encode(encoder); }
};
