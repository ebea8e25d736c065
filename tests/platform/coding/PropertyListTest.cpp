#include "PropertyList.h"
#include "KeyedArchive.h"
#include "ResumeData.h"

#include <QDateTime>
#include <QPoint>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {
// A binary property list of the given objects (object 0 on top), references one byte wide.
QByteArray binaryPlist(const QList<QByteArray>& objects) {
    QByteArray out = "bplist00";
    QByteArray table;
    for (const QByteArray& object : objects) {
        table.append(char(out.size()));
        out += object;
    }
    const qsizetype tableOffset = out.size();
    out += table;
    out += QByteArray(6, '\0');
    out += char(1); // offset size
    out += char(1); // reference size
    auto be64 = [](quint64 v) {
        QByteArray b(8, '\0');
        for (int i = 7; i >= 0; --i, v >>= 8)
            b[i] = char(v & 0xff);
        return b;
    };
    out += be64(objects.size()) + be64(0) + be64(tableOffset);
    return out;
}
} // namespace

TEST(PropertyList, RoundTripsEveryKindOfValue) {
    const QVariantMap value{
        {"text", QString("a <b> & \"c\" ünïcode")},
        {"empty", QString()},
        {"count", qint64(-9007199254740993LL)},
        {"real", 2.5},
        {"yes", true},
        {"no", false},
        {"bytes", QByteArray("\x00\x01\xff binary", 10)},
        {"when", QDateTime(QDate(2024, 2, 29), QTime(12, 30, 5), Qt::UTC)},
        {"list", QVariantList{QString("x"), qint64(1), QVariantList{}, QVariantMap{}}},
    };
    const QByteArray xml = PropertyList::toXml(value);
    ASSERT_TRUE(xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist"));
    EXPECT_TRUE(xml.contains("<key>text</key>\n\t<string>a &lt;b&gt; &amp; \"c\" ünïcode</string>"));
    const auto back = PropertyList::fromXml(xml);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, QVariant(value));
}

TEST(PropertyList, BinaryFormRoundTripsEveryKindOfValue) {
    QVariantList many;
    for (int i = 0; i < 300; ++i) // past one-byte references and 15-element short lengths
        many.append(QString("item %1").arg(i));
    const QVariantMap value{
        {"text", QString("a <b> & \"c\" \u00FCn\u00EFcode \U0001F3AC")},
        {"ascii", QString("plain text that is longer than fifteen characters")},
        {"empty", QString()},
        {"count", qint64(-9007199254740993LL)},
        {"small", qint64(200)},
        {"wide", qint64(70000)},
        {"huge", qint64(5000000000LL)},
        {"real", 2.5},
        {"yes", true},
        {"no", false},
        {"bytes", QByteArray("\x00\x01\xff binary", 10)},
        {"when", QDateTime(QDate(2024, 2, 29), QTime(12, 30, 5, 123), Qt::UTC)},
        {"before", QDateTime(QDate(1970, 1, 1), QTime(0, 0, 0, 1), Qt::UTC)},
        {"ref", PropertyList::uid(300)},
        {"list", QVariantList{QString("x"), qint64(1), QVariantList{}, QVariantMap{}}},
        {"many", many},
    };
    const QByteArray binary = PropertyList::toBinary(value);
    ASSERT_TRUE(binary.startsWith("bplist00"));
    EXPECT_EQ(PropertyList::fromData(binary), QVariant(value));
    EXPECT_FALSE(PropertyList::tryToBinary(QVariant(QPoint(1, 2))).has_value());
}

// A date is a count of seconds in a double: one no writer could have made (beyond any calendar,
// or not a number) marks a damaged file, never a conversion that overflows.
TEST(PropertyList, BinaryDatesBeyondAnyCalendarAreDamage) {
    auto dateDocument = [](double seconds) {
        quint64 bits;
        std::memcpy(&bits, &seconds, 8);
        QByteArray date("\x33", 1);
        for (int i = 7; i >= 0; --i)
            date += char((bits >> (8 * i)) & 0xFF);
        return binaryPlist({QByteArray("\xA1\x01", 2), date});
    };
    for (const double seconds : {1e300, -1e300, std::nan(""), HUGE_VAL, -HUGE_VAL, 9.3e15})
        EXPECT_FALSE(PropertyList::fromData(dateDocument(seconds)).has_value()) << seconds;
    const auto real = PropertyList::fromData(dateDocument(86400.5));
    ASSERT_TRUE(real.has_value());
    EXPECT_EQ(real->toList().value(0).toDateTime(),
              QDateTime(QDate(2001, 1, 2), QTime(0, 0, 0, 500), Qt::UTC));
}

TEST(PropertyList, ReadsTheHandWrittenFormsOtherWritersUse) {
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>hex</key><integer> 0x1F </integer>
  <key>data</key><data>
    aGVs
    bG8=
  </data>
  <key>inf</key><real>-infinity</real>
</dict></plist>)";
    const auto back = PropertyList::fromXml(xml);
    ASSERT_TRUE(back.has_value());
    const QVariantMap map = back->toMap();
    EXPECT_EQ(map.value("hex").toLongLong(), 31);
    EXPECT_EQ(map.value("data").toByteArray(), QByteArray("hello"));
    EXPECT_TRUE(std::isinf(map.value("inf").toDouble()));
}

TEST(PropertyList, RefusesDamagedDocuments) {
    const char* damaged[] = {
        "",
        "not xml at all",
        "<plist><array><string>open",
        "<plist><dict><string>no key</string></dict></plist>",
        "<plist><dict><key>k</key></dict></plist>",
        "<plist><integer>12x</integer></plist>",
        "<plist><data>!!!not base64</data></plist>",
        "<plist><unknown/></plist>",
        "<notaplist><array/></notaplist>",
        "<plist><array/><array/></plist>",
        "<plist><string>a</string>trailing</plist>",
    };
    for (const char* text : damaged)
        EXPECT_FALSE(PropertyList::fromXml(QByteArray(text)).has_value()) << text;

    // Deep nesting from a damaged or hostile file is refused, not followed down the stack.
    QByteArray deep = "<plist>";
    for (int i = 0; i < 100000; ++i)
        deep += "<array>";
    EXPECT_FALSE(PropertyList::fromXml(deep).has_value());
}

TEST(PropertyList, RefusesValuesItCannotHold) {
    EXPECT_FALSE(PropertyList::tryToXml(QVariant()).has_value());
    EXPECT_FALSE(PropertyList::tryToXml(QVariantList{QVariant::fromValue(QPoint(1, 2))}).has_value());
}

TEST(PropertyList, ReadsTheBinaryForm) {
    const QByteArray array = binaryPlist({QByteArray("\xA3\x01\x02\x03", 4),
                                          QByteArray("\x51"
                                                     "a"),
                                          QByteArray("\x61\x00\xFC", 3), QByteArray("\x11\x01\x00", 3)});
    const auto value = PropertyList::fromData(array);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(*value, QVariant(QVariantList{QString("a"), QString("\u00FC"), qint64(256)}));

    const QByteArray dictionary = binaryPlist({QByteArray("\xD1\x01\x02", 3),
                                               QByteArray("\x53"
                                                          "key"),
                                               QByteArray("\x09")});
    EXPECT_EQ(PropertyList::fromData(dictionary), QVariant(QVariantMap{{"key", true}}));

    // A reference outside the table, an array that contains itself, and a cut-off file.
    EXPECT_FALSE(PropertyList::fromData(binaryPlist({QByteArray("\xA1\x07", 2)})).has_value());
    EXPECT_FALSE(PropertyList::fromData(binaryPlist({QByteArray("\xA1\x00", 2)})).has_value());
    EXPECT_FALSE(PropertyList::fromData(array.left(array.size() - 5)).has_value());
    EXPECT_FALSE(PropertyList::fromData(binaryPlist({QByteArray("\x5F\x10\x7F"
                                                                "abc",
                                                                6)}))
                     .has_value());

    // Thirty arrays each holding the next one twice: over a billion nodes once expanded. Refused
    // at once instead of working for ever.
    QList<QByteArray> chain;
    for (char i = 0; i < 30; ++i)
        chain.push_back(QByteArray("\xA2", 1) + char(i + 1) + char(i + 1));
    chain.push_back(QByteArray("\x51"
                               "a"));
    EXPECT_FALSE(PropertyList::fromData(binaryPlist(chain)).has_value());
    // Sharing within what the data could hold is fine: one string referenced three times.
    EXPECT_EQ(PropertyList::fromData(binaryPlist({QByteArray("\xA3\x01\x01\x01", 4), QByteArray("\x51"
                                                                                                "b")})),
              QVariant(QVariantList{QString("b"), QString("b"), QString("b")}));
}

TEST(KeyedArchive, WrapsOneDataObjectAndReadsItBack) {
    const QByteArray inner = PropertyList::toXml(QVariantList{QString("x")});
    const QByteArray archive = KeyedArchive::archiveRootData(inner);
    // The envelope is itself a binary property list with the archiver's own keys.
    ASSERT_TRUE(archive.startsWith("bplist00"));
    const auto plist = PropertyList::fromBinary(archive);
    ASSERT_TRUE(plist.has_value());
    const QVariantMap map = plist->toMap();
    EXPECT_EQ(map.value("$archiver").toString(), "NSKeyedArchiver");
    EXPECT_EQ(map.value("$version").toLongLong(), 100000);
    EXPECT_EQ(map.value("$objects").toList().value(0).toString(), "$null");
    EXPECT_EQ(PropertyList::uidValue(map.value("$top").toMap().value("root")), 1);

    EXPECT_EQ(KeyedArchive::unarchiveRootData(archive), inner);
    EXPECT_EQ(KeyedArchive::unarchiveRootData(KeyedArchive::archiveRootData(QByteArray())), QByteArray());
}

TEST(KeyedArchive, AnythingElseIsNoArchive) {
    EXPECT_FALSE(KeyedArchive::unarchiveRootData("garbage").has_value());
    EXPECT_FALSE(KeyedArchive::unarchiveRootData(PropertyList::toXml(QVariantList{})).has_value());
    // A root that is not a data object, and a root reference outside the table.
    QVariantMap archive{{"$archiver", QString("NSKeyedArchiver")},
                        {"$objects", QVariantList{QString("$null"), QString("text")}},
                        {"$top", QVariantMap{{"root", PropertyList::uid(1)}}},
                        {"$version", qint64(100000)}};
    EXPECT_FALSE(KeyedArchive::unarchiveRootData(PropertyList::toXml(archive)).has_value());
    archive["$top"] = QVariantMap{{"root", PropertyList::uid(7)}};
    EXPECT_FALSE(KeyedArchive::unarchiveRootData(PropertyList::toXml(archive)).has_value());
}

TEST(ResumeData, RoundTripsAndRefusesWhatCouldNotBeOurs) {
    ResumeData data;
    data.url = QUrl("http://127.0.0.1:8080/files/a b.mp4");
    data.partialPath = "/tmp/x/abc.partial";
    data.bytes = 12345;
    data.etag = "\"v1\"";
    const auto back = ResumeData::decode(data.encode());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->url, data.url);
    EXPECT_EQ(back->partialPath, data.partialPath);
    EXPECT_EQ(back->bytes, 12345);
    EXPECT_EQ(back->validator(), "\"v1\"");

    ResumeData other = data;
    other.url = QUrl("file:///etc/passwd");
    EXPECT_FALSE(ResumeData::decode(other.encode()).has_value());
    other = data;
    other.partialPath = "relative.partial";
    EXPECT_FALSE(ResumeData::decode(other.encode()).has_value());
    other = data;
    other.bytes = -1;
    EXPECT_FALSE(ResumeData::decode(other.encode()).has_value());
    EXPECT_FALSE(ResumeData::decode("junk").has_value());
}

// Texts from the server or the user may hold characters an XML document cannot carry; what is
// written must still read back, or a whole stored list would be lost at the next start.
TEST(PropertyList, TextsWithControlCharactersStayReadable) {
    const QString title = QString::fromUtf8("line\r\nbreak\ttab \x01\x1f end") + QChar(0xFFFE);
    const QVariantMap value{{"title", title}, {QString("key\x02"), QString("x")}};
    const auto back = PropertyList::fromXml(PropertyList::toXml(value));
    ASSERT_TRUE(back.has_value());
    const QVariantMap map = back->toMap();
    // Carriage returns and tabs survive as they are; the rest become the replacement character.
    EXPECT_EQ(map.value("title").toString(),
              QString::fromUtf8("line\r\nbreak\ttab \xEF\xBF\xBD\xEF\xBF\xBD end\xEF\xBF\xBD"));
    EXPECT_EQ(map.value(QString::fromUtf8("key\xEF\xBF\xBD")).toString(), "x");
}
