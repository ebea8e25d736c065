#include "JSONDecoder.h"
#include "JSONEncoder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <gtest/gtest.h>

namespace {

struct Inner {
    qint64 n = 0;
    QString s;
    static auto codingFields() {
        return std::tuple{codingField(u"n", &Inner::n), codingField(u"s", &Inner::s)};
    }
    bool operator==(const Inner&) const = default;
};

struct Outer {
    qint64 count = 0;
    double ratio = 0;
    bool on = false;
    std::vector<Inner> items;
    std::vector<qint64> numbers;
    static auto codingFields() {
        return std::tuple{codingField(u"count", &Outer::count), codingField(u"ratio", &Outer::ratio),
                          codingField(u"on", &Outer::on), codingField(u"items", &Outer::items),
                          codingField(u"numbers", &Outer::numbers)};
    }
    bool operator==(const Outer&) const = default;
};

QByteArray outerText(const QString& countLiteral = "3", const QString& items = R"([{"n":1,"s":"a"}])") {
    return QStringLiteral(R"({"count":%1,"ratio":0.5,"on":true,"items":%2,"numbers":[1,2]})")
        .arg(countLiteral, items)
        .toUtf8();
}

std::optional<qint64> integerOf(const char* literal, CodingError* error = nullptr) {
    const auto list = JSONDecoder::decode<std::vector<qint64>>(QByteArray("[") + literal + "]", error);
    return list ? std::optional<qint64>(list->at(0)) : std::nullopt;
}

} // namespace

TEST(JSONCoding, IntegersAreNumbersWithAnIntegralValueWithin64Bits) {
    EXPECT_EQ(integerOf("42"), 42);
    EXPECT_EQ(integerOf("-9223372036854775808"), std::numeric_limits<qint64>::min());
    EXPECT_EQ(integerOf("9223372036854775807"), std::numeric_limits<qint64>::max());
    // A zero fraction or an exponent does not stop an integral value from being an integer.
    EXPECT_EQ(integerOf("2.0"), 2);
    EXPECT_EQ(integerOf("1e2"), 100);

    CodingError error;
    EXPECT_FALSE(integerOf("2.5", &error));
    EXPECT_EQ(error.kind, CodingError::Kind::dataCorrupted);
    EXPECT_EQ(error.codingPath, QStringList{"Index 0"});
    EXPECT_FALSE(integerOf("9223372036854775808"));
    EXPECT_FALSE(integerOf("1e300"));
    EXPECT_FALSE(integerOf("true", &error));
    EXPECT_EQ(error.kind, CodingError::Kind::typeMismatch);
    EXPECT_FALSE(integerOf("\"3\"", &error));
    EXPECT_EQ(error.kind, CodingError::Kind::typeMismatch);
    EXPECT_FALSE(integerOf("null", &error));
    EXPECT_EQ(error.kind, CodingError::Kind::valueNotFound);
}

TEST(JSONCoding, RecordsDecodeStrictlyAndIgnoreUnknownKeys) {
    const auto outer = JSONDecoder::decode<Outer>(outerText());
    ASSERT_TRUE(outer);
    EXPECT_EQ(outer->count, 3);
    EXPECT_EQ(outer->ratio, 0.5);
    EXPECT_TRUE(outer->on);
    EXPECT_EQ(outer->items, (std::vector<Inner>{{1, "a"}}));
    EXPECT_EQ(outer->numbers, (std::vector<qint64>{1, 2}));

    EXPECT_TRUE(JSONDecoder::decode<Outer>(
        QByteArray(R"({"extra":{"x":null},"count":3,"ratio":1,"on":false,"items":[],"numbers":[]})")));

    CodingError error;
    EXPECT_FALSE(JSONDecoder::decode<Outer>(outerText("null"), &error));
    EXPECT_EQ(error.kind, CodingError::Kind::valueNotFound);
    EXPECT_FALSE(JSONDecoder::decode<Outer>(outerText("\"3\""), &error));
    EXPECT_EQ(error.kind, CodingError::Kind::typeMismatch);

    // One bad element anywhere fails the whole value, and the error says where.
    EXPECT_FALSE(JSONDecoder::decode<Outer>(outerText("3", R"([{"n":1,"s":"a"},{"n":2}])"), &error));
    EXPECT_EQ(error.kind, CodingError::Kind::keyNotFound);
    EXPECT_EQ(error.codingPath, (QStringList{"items", "Index 1"}));
    EXPECT_FALSE(JSONDecoder::decode<Outer>(outerText("3", R"([{"n":1,"s":7}])"), &error));
    EXPECT_EQ(error.codingPath, (QStringList{"items", "Index 0", "s"}));

    // Keys match exactly.
    EXPECT_FALSE(JSONDecoder::decode<Outer>(
        QByteArray(R"({"Count":3,"ratio":1,"on":false,"items":[],"numbers":[]})"), &error));
    EXPECT_EQ(error.kind, CodingError::Kind::keyNotFound);
}

TEST(JSONCoding, TextThatIsNotTheExpectedDocumentGivesNothing) {
    CodingError error;
    EXPECT_FALSE(JSONDecoder::decode<Outer>(QByteArray("not json"), &error));
    EXPECT_EQ(error.kind, CodingError::Kind::dataCorrupted);
    EXPECT_FALSE(JSONDecoder::decode<Outer>(QByteArray("[1,2]"), &error));
    EXPECT_EQ(error.kind, CodingError::Kind::typeMismatch);
    EXPECT_FALSE(JSONDecoder::decode<Outer>(QByteArray(outerText() + ",")));
    EXPECT_FALSE(JSONDecoder::decode<Outer>(QByteArray()));
    // Nesting deeper than the parser allows is refused, not recursed into.
    EXPECT_FALSE(JSONDecoder::decode<std::vector<qint64>>(QByteArray(100000, '[') + QByteArray(100000, ']')));
}

TEST(JSONCoding, EncodingWritesEveryFieldAndReadsBackEqual) {
    Outer outer{std::numeric_limits<qint64>::max(), 2.25, true, {{-5, "é"}, {0, ""}}, {}};
    const auto text = JSONEncoder::encode(outer);
    ASSERT_TRUE(text);
    const QJsonObject object = QJsonDocument::fromJson(*text).object();
    EXPECT_EQ(object.keys(), (QStringList{"count", "items", "numbers", "on", "ratio"}));
    EXPECT_TRUE(object["numbers"].isArray());
    EXPECT_TRUE(text->contains("9223372036854775807"));
    EXPECT_EQ(JSONDecoder::decode<Outer>(*text), outer);

    CodingError error;
    outer.ratio = std::nan("");
    EXPECT_FALSE(JSONEncoder::encode(outer, &error));
    EXPECT_EQ(error.kind, CodingError::Kind::invalidValue);
    EXPECT_EQ(error.codingPath, QStringList{"ratio"});
    EXPECT_FALSE(JSONEncoder::encode(qint64(1), &error)); // no JSON text for a bare number
}
