#include "JSONAny.h"

namespace {

using Value = JSONAny::Value;
using List = JSONAny::List;
using Map = JSONAny::Map;

const QString cannotDecode = QStringLiteral("Cannot decode JSONAny");
const QString cannotEncode = QStringLiteral("Cannot encode JSONAny");
const QString tooDeep = QStringLiteral("JSONAny nested deeper than %1 levels").arg(JSONAny::maximumDepth);

std::optional<List> decodeArrayAt(UnkeyedDecodingContainer& container, int depth);
std::optional<Map> decodeDictionaryAt(KeyedDecodingContainer& container, int depth);
bool encodeArrayAt(UnkeyedEncodingContainer& container, const List& list, int depth);
bool encodeDictionaryAt(KeyedEncodingContainer& container, const Map& map, int depth);

// The attempts on one value, in their fixed order; a failed attempt is dropped and the next one
// follows. With `containers`, a nested list or map is tried last; its own failure (`failed`) ends
// the decoding instead of being dropped.
std::optional<Value> attempt(Decoder& decoder, int depth, bool containers, bool& failed) {
    if (const auto value = decoder.decodeBool())
        return Value{*value};
    if (const auto value = decoder.decodeInt64())
        return Value{*value};
    if (const auto value = decoder.decodeDouble())
        return Value{*value};
    if (auto value = decoder.decodeString())
        return Value{std::move(*value)};
    if (decoder.decodeNil())
        return Value{JSONNull()};
    if (!containers)
        return std::nullopt;

    bool opened = false;
    std::optional<Value> result;
    decoder.decodeUnkeyed([&](UnkeyedDecodingContainer& list) {
        opened = true;
        if (auto elements = decodeArrayAt(list, depth + 1))
            result.emplace().kind.emplace<List>(std::move(*elements));
        return result.has_value();
    });
    if (!opened) {
        decoder.decodeKeyed([&](KeyedDecodingContainer& map) {
            opened = true;
            if (auto entries = decodeDictionaryAt(map, depth + 1))
                result.emplace().kind.emplace<Map>(std::move(*entries));
            return result.has_value();
        });
    }
    failed = opened && !result;
    return result;
}

std::optional<Value> decodeElementAt(UnkeyedDecodingContainer& container, int depth) {
    bool reached = false;
    bool failed = false;
    std::optional<Value> result;
    container.decodeNext([&](Decoder& element) {
        reached = true;
        result = attempt(element, depth, true, failed);
        return result.has_value();
    });
    if (reached && !result && !failed)
        container.error() = {CodingError::Kind::typeMismatch, container.codingPath(), cannotDecode};
    return result;
}

std::optional<Value> decodeKeyedValueAt(KeyedDecodingContainer& container, const JSONCodingKey& key,
                                        int depth) {
    bool reached = false;
    bool failed = false;
    std::optional<Value> result;
    container.decode(key.stringValue(), [&](Decoder& value) {
        reached = true;
        result = attempt(value, depth, true, failed);
        return result.has_value();
    });
    if (reached && !result && !failed)
        container.error() = {CodingError::Kind::typeMismatch, container.codingPath(), cannotDecode};
    return result;
}

std::optional<List> decodeArrayAt(UnkeyedDecodingContainer& container, int depth) {
    if (depth > JSONAny::maximumDepth) {
        container.error() = {CodingError::Kind::dataCorrupted, container.codingPath(), tooDeep};
        return std::nullopt;
    }
    List list;
    while (!container.isAtEnd()) {
        auto element = decodeElementAt(container, depth);
        if (!element)
            return std::nullopt;
        list.push_back(std::move(*element));
    }
    return list;
}

std::optional<Map> decodeDictionaryAt(KeyedDecodingContainer& container, int depth) {
    if (depth > JSONAny::maximumDepth) {
        container.error() = {CodingError::Kind::dataCorrupted, container.codingPath(), tooDeep};
        return std::nullopt;
    }
    Map map;
    for (const QString& key : container.allKeys()) {
        auto value = decodeKeyedValueAt(container, JSONCodingKey(key), depth);
        if (!value)
            return std::nullopt;
        map.insert_or_assign(key, std::move(*value));
    }
    return map;
}

// One element of a list or map: a plain kind written as it is, a list or map as a nested container.
bool encodeNested(Encoder& encoder, const Value& value, int depth) {
    if (const auto* list = std::get_if<List>(&value.kind))
        return encoder.encodeUnkeyed(
            [&](UnkeyedEncodingContainer& nested) { return encodeArrayAt(nested, *list, depth + 1); });
    if (const auto* map = std::get_if<Map>(&value.kind))
        return encoder.encodeKeyed(
            [&](KeyedEncodingContainer& nested) { return encodeDictionaryAt(nested, *map, depth + 1); });
    return JSONAny::encodeSingleValue(encoder, value);
}

bool encodeArrayAt(UnkeyedEncodingContainer& container, const List& list, int depth) {
    if (depth > JSONAny::maximumDepth) {
        container.error() = {CodingError::Kind::invalidValue, container.codingPath(), tooDeep};
        return false;
    }
    for (const Value& element : list) {
        if (!container.append([&](Encoder& slot) { return encodeNested(slot, element, depth); }))
            return false;
    }
    return true;
}

bool encodeDictionaryAt(KeyedEncodingContainer& container, const Map& map, int depth) {
    if (depth > JSONAny::maximumDepth) {
        container.error() = {CodingError::Kind::invalidValue, container.codingPath(), tooDeep};
        return false;
    }
    for (const auto& [text, value] : map) {
        const JSONCodingKey key(text);
        if (!container.encode(key.stringValue(),
                              [&, &value = value](Encoder& slot) { return encodeNested(slot, value, depth); }))
            return false;
    }
    return true;
}

} // namespace

bool JSONAny::decode(Decoder& decoder, JSONAny& out) {
    bool opened = false;
    std::optional<Value> result;
    decoder.decodeUnkeyed([&](UnkeyedDecodingContainer& list) {
        opened = true;
        if (auto elements = decodeArrayAt(list, 1))
            result.emplace().kind.emplace<List>(std::move(*elements));
        return result.has_value();
    });
    if (!opened) {
        decoder.decodeKeyed([&](KeyedDecodingContainer& map) {
            opened = true;
            if (auto entries = decodeDictionaryAt(map, 1))
                result.emplace().kind.emplace<Map>(std::move(*entries));
            return result.has_value();
        });
    }
    if (!opened)
        result = decodeSingleValue(decoder);
    if (!result)
        return false;
    out = JSONAny(std::move(*result));
    return true;
}

bool JSONAny::encode(Encoder& encoder) const {
    if (const auto* list = std::get_if<List>(&m_value.kind))
        return encoder.encodeUnkeyed(
            [&](UnkeyedEncodingContainer& container) { return encodeArrayAt(container, *list, 1); });
    if (const auto* map = std::get_if<Map>(&m_value.kind))
        return encoder.encodeKeyed(
            [&](KeyedEncodingContainer& container) { return encodeDictionaryAt(container, *map, 1); });
    return encodeSingleValue(encoder, m_value);
}

std::optional<JSONAny::Value> JSONAny::decodeSingleValue(Decoder& decoder) {
    bool failed = false;
    auto result = attempt(decoder, 0, false, failed);
    if (!result)
        decoder.error() = {CodingError::Kind::typeMismatch, decoder.codingPath(), cannotDecode};
    return result;
}

std::optional<JSONAny::Value> JSONAny::decodeElement(UnkeyedDecodingContainer& container) {
    return decodeElementAt(container, 1);
}

std::optional<JSONAny::Value> JSONAny::decodeKeyedValue(KeyedDecodingContainer& container,
                                                        const JSONCodingKey& key) {
    return decodeKeyedValueAt(container, key, 1);
}

std::optional<JSONAny::List> JSONAny::decodeArray(UnkeyedDecodingContainer& container) {
    return decodeArrayAt(container, 1);
}

std::optional<JSONAny::Map> JSONAny::decodeDictionary(KeyedDecodingContainer& container) {
    return decodeDictionaryAt(container, 1);
}

bool JSONAny::encodeSingleValue(Encoder& encoder, const Value& value) {
    if (const auto* boolean = std::get_if<bool>(&value.kind))
        return encoder.encodeBool(*boolean);
    if (const auto* integer = std::get_if<qint64>(&value.kind))
        return encoder.encodeInt64(*integer);
    if (const auto* floating = std::get_if<double>(&value.kind))
        return encoder.encodeDouble(*floating);
    if (const auto* text = std::get_if<QString>(&value.kind))
        return encoder.encodeString(*text);
    if (std::holds_alternative<JSONNull>(value.kind))
        return encoder.encodeNil();
    encoder.error() = {CodingError::Kind::invalidValue, encoder.codingPath(), cannotEncode};
    return false;
}

bool JSONAny::encodeArray(UnkeyedEncodingContainer& container, const List& list) {
    return encodeArrayAt(container, list, 1);
}

bool JSONAny::encodeDictionary(KeyedEncodingContainer& container, const Map& map) {
    return encodeDictionaryAt(container, map, 1);
}
