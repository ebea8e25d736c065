#pragma once

#include "CodingField.h"
#include "Decoder.h"
#include "Encoder.h"
#include "KeyedDecodingContainer.h"
#include "KeyedEncodingContainer.h"
#include "UnkeyedDecodingContainer.h"
#include "UnkeyedEncodingContainer.h"

#include <QString>
#include <tuple>
#include <vector>

// How a type is read from and written to any document format:
//     static bool decode(Decoder&, T& out);
//     static bool encode(Encoder&, const T&);
// Plain types and lists are given here; a record gets both from its field list (CodingField.h).
// Reading is strict: every declared key must be there with a value of its type (no null, no other
// type), and the first failure fails the whole value. Keys a record does not declare are skipped.
// Writing visits the fields in declaration order and writes every one as a plain value.
template <typename T> struct Coding;

template <typename T>
concept CodableRecord = requires {
    T::codingFields();
};

template <> struct Coding<bool> {
    static bool decode(Decoder& decoder, bool& out) {
        const auto value = decoder.decodeBool();
        if (value)
            out = *value;
        return value.has_value();
    }
    static bool encode(Encoder& encoder, bool value) { return encoder.encodeBool(value); }
};

template <> struct Coding<qint64> {
    static bool decode(Decoder& decoder, qint64& out) {
        const auto value = decoder.decodeInt64();
        if (value)
            out = *value;
        return value.has_value();
    }
    static bool encode(Encoder& encoder, qint64 value) { return encoder.encodeInt64(value); }
};

template <> struct Coding<double> {
    static bool decode(Decoder& decoder, double& out) {
        const auto value = decoder.decodeDouble();
        if (value)
            out = *value;
        return value.has_value();
    }
    static bool encode(Encoder& encoder, double value) { return encoder.encodeDouble(value); }
};

template <> struct Coding<QString> {
    static bool decode(Decoder& decoder, QString& out) {
        auto value = decoder.decodeString();
        if (value)
            out = std::move(*value);
        return value.has_value();
    }
    static bool encode(Encoder& encoder, const QString& value) { return encoder.encodeString(value); }
};

template <typename Element> struct Coding<std::vector<Element>> {
    static bool decode(Decoder& decoder, std::vector<Element>& out) {
        return decoder.decodeUnkeyed([&](UnkeyedDecodingContainer& list) {
            std::vector<Element> elements;
            if (const auto count = list.count())
                elements.reserve(size_t(*count));
            while (!list.isAtEnd()) {
                Element element{};
                if (!list.decodeNext([&](Decoder& item) { return Coding<Element>::decode(item, element); }))
                    return false;
                elements.push_back(std::move(element));
            }
            out = std::move(elements);
            return true;
        });
    }
    static bool encode(Encoder& encoder, const std::vector<Element>& value) {
        return encoder.encodeUnkeyed([&](UnkeyedEncodingContainer& list) {
            for (const Element& element : value) {
                if (!list.append([&](Encoder& item) { return Coding<Element>::encode(item, element); }))
                    return false;
            }
            return true;
        });
    }
};

template <CodableRecord Record> struct Coding<Record> {
    static bool decode(Decoder& decoder, Record& out) {
        return decoder.decodeKeyed([&](KeyedDecodingContainer& object) {
            return std::apply(
                [&](const auto&... fields) { return (decodeField(object, fields, out) && ...); },
                Record::codingFields());
        });
    }
    static bool encode(Encoder& encoder, const Record& value) {
        return encoder.encodeKeyed([&](KeyedEncodingContainer& object) {
            return std::apply(
                [&](const auto&... fields) { return (encodeField(object, fields, value) && ...); },
                Record::codingFields());
        });
    }

private:
    template <typename Member>
    static bool decodeField(KeyedDecodingContainer& object, const CodingField<Record, Member>& field,
                            Record& out) {
        return object.decode(
            field.key, [&](Decoder& value) { return Coding<Member>::decode(value, out.*(field.member)); });
    }
    template <typename Member>
    static bool encodeField(KeyedEncodingContainer& object, const CodingField<Record, Member>& field,
                            const Record& value) {
        return object.encode(
            field.key, [&](Encoder& slot) { return Coding<Member>::encode(slot, value.*(field.member)); });
    }
};
