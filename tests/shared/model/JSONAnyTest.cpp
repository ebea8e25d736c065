#include "JSONAny.h"
#include "JSONDecoder.h"
#include "JSONEncoder.h"
#include "VariantDecoder.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

using Value = JSONAny::Value;
using List = JSONAny::List;
using Map = JSONAny::Map;

// Decodes the single element of a one-element JSON list.
std::optional<JSONAny> any(const QByteArray& element, CodingError* error = nullptr) {
    const auto list = JSONDecoder::decode<std::vector<JSONAny>>("[" + element + "]", error);
    if (!list)
        return std::nullopt;
    EXPECT_EQ(list->size(), 1u);
    return list->at(0);
}

template <typename Kind> bool holds(const std::optional<JSONAny>& value) {
    return value && std::holds_alternative<Kind>(value->value().kind);
}

Value nested(int depth) {
    Value value{qint64(1)};
    for (int i = 0; i < depth; ++i) {
        Value outer;
        outer.kind = List{std::move(value)};
        value = std::move(outer);
    }
    return value;
}

} // namespace

TEST(JSONAny, KeepsTheSevenKindsApart) {
    EXPECT_EQ(any("true")->value(), Value{true});
    EXPECT_EQ(any("0")->value(), Value{qint64(0)});
    EXPECT_EQ(any("1")->value(), Value{qint64(1)});
    EXPECT_EQ(any("42")->value(), Value{qint64(42)});
    EXPECT_EQ(any("2.5")->value(), Value{2.5});
    EXPECT_EQ(any("2.0")->value(), Value{qint64(2)}); // integral: the integer attempt wins
    EXPECT_TRUE(holds<double>(any("18446744073709551616")));
    EXPECT_EQ(any("\"\"")->value(), Value{QString()});
    EXPECT_TRUE(holds<JSONNull>(any("null")));
    EXPECT_EQ(any("[]")->value(), Value{List{}});
    EXPECT_EQ(any("{}")->value(), Value{Map{}});
    EXPECT_TRUE(holds<JSONNull>(JSONDecoder::decode<JSONAny>(QJsonValue(QJsonValue::Null))));
}

TEST(JSONAny, KeepsNestingAndOrderOfLists) {
    const auto tree = any(R"([1, "s", null, [true], {"k": 2.5}])");
    ASSERT_TRUE(tree);
    const List& list = std::get<List>(tree->value().kind);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0], Value{qint64(1)});
    EXPECT_EQ(list[1], Value{QString("s")});
    EXPECT_TRUE(std::holds_alternative<JSONNull>(list[2].kind));
    EXPECT_EQ(list[3], Value{List{Value{true}}});
    EXPECT_EQ(list[4], (Value{Map{{"k", Value{2.5}}}}));
}

TEST(JSONAny, RoundTripsThroughJson) {
    const QByteArray text =
        R"([{"a":[1,-2.75,"x",null,{"deep":[[],{}]}],"b":false,"ü":"ß"}, 9223372036854775807, 1e300])";
    const auto tree = JSONDecoder::decode<std::vector<JSONAny>>(text);
    ASSERT_TRUE(tree);
    const auto written = JSONEncoder::encode(*tree);
    ASSERT_TRUE(written);
    EXPECT_EQ(JSONDecoder::decode<std::vector<JSONAny>>(*written), tree);
    EXPECT_EQ(QJsonDocument::fromJson(*written), QJsonDocument::fromJson(text));
}

TEST(JSONAny, NullMarkerAcceptsOnlyNull) {
    for (const QJsonValue& value : {QJsonValue(0), QJsonValue(""), QJsonValue(QJsonObject())}) {
        CodingError error;
        EXPECT_FALSE(JSONDecoder::decode<JSONNull>(value, &error));
        EXPECT_EQ(error.kind, CodingError::Kind::typeMismatch);
        EXPECT_EQ(error.debugDescription, "Wrong type for JSONNull");
    }
    EXPECT_TRUE(JSONDecoder::decode<JSONNull>(QJsonValue(QJsonValue::Null)));
}

TEST(JSONAny, AValueOfNoneOfTheKindsCannotBeDecoded) {
    // JSON has nothing else, but a property list does: a date.
    const QVariant date(QDateTime::fromSecsSinceEpoch(0));
    CodingError error;
    EXPECT_FALSE(VariantDecoder::decode<JSONAny>(date, &error));
    EXPECT_EQ(error.kind, CodingError::Kind::typeMismatch);
    EXPECT_EQ(error.debugDescription, "Cannot decode JSONAny");

    const QVariantMap map{{"list", QVariantList{1, date}}};
    EXPECT_FALSE(VariantDecoder::decode<JSONAny>(map, &error));
    EXPECT_EQ(error.debugDescription, "Cannot decode JSONAny");
    EXPECT_EQ(error.codingPath, QStringList{"list"}); // the path of the list holding it
}

TEST(JSONAny, ValuesThatAreNotTreesCannotBeEncodedSingly) {
    CodingError error;
    QJsonValue out;
    const Value list{List{Value{true}}};
    EXPECT_FALSE(JSONEncoder::encodeToValue([&](Encoder& e) { return JSONAny::encodeSingleValue(e, list); },
                                            out, &error));
    EXPECT_EQ(error.kind, CodingError::Kind::invalidValue);
    EXPECT_EQ(error.debugDescription, "Cannot encode JSONAny");
}

TEST(JSONAny, NestingIsBoundedBothWays) {
    // At the bound: fine in both directions.
    const JSONAny deepest(nested(JSONAny::maximumDepth - 1));
    const auto value = JSONEncoder::encodeValue(deepest);
    ASSERT_TRUE(value);
    EXPECT_TRUE(JSONDecoder::decode<JSONAny>(*value));

    // Past it: an error, not a stack overflow.
    CodingError error;
    const JSONAny tooDeep(nested(JSONAny::maximumDepth + 10));
    EXPECT_FALSE(JSONEncoder::encodeValue(tooDeep, &error));
    EXPECT_EQ(error.kind, CodingError::Kind::invalidValue);

    QJsonArray array{1};
    for (int i = 0; i < JSONAny::maximumDepth + 10; ++i) {
        QJsonArray outer;
        outer.append(array);
        array = outer;
    }
    EXPECT_FALSE(JSONDecoder::decode<JSONAny>(QJsonValue(array), &error));
    EXPECT_EQ(error.kind, CodingError::Kind::dataCorrupted);

    // JSON text nested beyond the bound never reaches the tree.
    EXPECT_FALSE(JSONDecoder::decode<JSONAny>(QByteArray(5000, '[') + QByteArray(5000, ']')));
}

TEST(JSONAny, CodingKeysAreTextsOnly) {
    EXPECT_FALSE(JSONCodingKey::fromIntValue(3));
    const JSONCodingKey empty{QString()};
    EXPECT_EQ(empty.stringValue(), "");
    EXPECT_FALSE(empty.intValue());
}
