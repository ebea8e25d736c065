#include "Envelope.h"
#include "AesCipher.h"

#include <gtest/gtest.h>

// Made with the openssl command-line tool from the escaped text {\"ui\":\"ABC\"} under the
// product's key and vector: an independent check of the cipher, padding and Base64.
static const char* const knownSealed = "ByXB9yEXLMQ+ql8xvJSlwu3HFvPvM9Q0c0WlkM4WEso=";

TEST(Envelope, SealsByteForByteAsAnIndependentImplementation) {
    const auto sealed = Envelope().seal(R"({"ui":"ABC"})");
    ASSERT_EQ(sealed.status, Envelope::SealStatus::sealed);
    EXPECT_EQ(sealed.base64, QString::fromLatin1(knownSealed));
    EXPECT_EQ(Envelope().open(knownSealed), QString(R"({\"ui\":\"ABC\"})"));
}

TEST(Envelope, EscapesEveryDoubleQuoteAndNothingElse) {
    const QString text = R"({"a":"b","c":"d"})"; // 8 double quotes
    EXPECT_EQ(Envelope::escapeQuotes(text).size(), text.size() + 8);
    EXPECT_EQ(Envelope::escapeQuotes(text), QString(R"({\"a\":\"b\",\"c\":\"d\"})"));
    const QString plain = "no quotes \\ here\nat all";
    EXPECT_EQ(Envelope::escapeQuotes(plain), plain);
    EXPECT_EQ(Envelope::unescapeQuotes(Envelope::escapeQuotes(text)), text);
}

TEST(Envelope, OpensRepliesAndDropsEveryNulCharacter) {
    const Envelope envelope;
    const QByteArray json = R"({"status":1,"info":"ok","data":"é€"})";
    auto body = envelope.sealVerbatim(json + QByteArray(3, '\0'));
    ASSERT_TRUE(body);
    EXPECT_EQ(envelope.open(body->toLatin1()), QString::fromUtf8(json));

    body = envelope.sealVerbatim(QByteArray("{\"a\"\0:1}", 9));
    ASSERT_TRUE(body);
    EXPECT_EQ(envelope.open(body->toLatin1()), QString(R"({"a":1})"));
}

TEST(Envelope, RefusesRepliesThatDoNotDecipher) {
    const Envelope envelope;
    const QByteArray good = envelope.sealVerbatim("{\"ok\":true}")->toLatin1();
    EXPECT_FALSE(envelope.open(QByteArray()));               // empty body
    EXPECT_FALSE(envelope.open("not base64 at all!"));       // outside the alphabet
    EXPECT_FALSE(envelope.open(good + "\n"));                // a trailing line break
    EXPECT_FALSE(envelope.open(good.left(good.size() - 4))); // not whole blocks
    EXPECT_FALSE(envelope.open(QByteArray("QUJD")));         // 3 bytes: not a block

    QByteArray damaged = QByteArray::fromBase64(good);
    damaged[damaged.size() - 1] = char(damaged.at(damaged.size() - 1) ^ 0x5a); // breaks the padding
    EXPECT_FALSE(envelope.open(damaged.toBase64()));

    const auto invalidUtf8 = envelope.sealVerbatim(QByteArray("\xff\xfe{}", 4));
    ASSERT_TRUE(invalidUtf8);
    EXPECT_FALSE(envelope.open(invalidUtf8->toLatin1()));
}

TEST(Envelope, AKeyAesCannotUseFailsEverySealAndOpen) {
    const Envelope broken(QByteArray("short key"), Envelope::defaultIV());
    EXPECT_EQ(broken.seal("{}").status, Envelope::SealStatus::cipherError);
    EXPECT_FALSE(broken.sealVerbatim("{}"));
    EXPECT_FALSE(broken.open(knownSealed));
    EXPECT_FALSE(AesCipher::make(QByteArray(16, 'k'), QByteArray(15, 'v')));
    EXPECT_TRUE(AesCipher::make(QByteArray(32, 'k'), QByteArray(16, 'v')));
}

TEST(Envelope, FormEncodingKeepsBase64Intact) {
    const QString value = "ab+/cd==";
    const QByteArray body = Envelope::formEncode({{"f", "501"}, {"i", value}});
    EXPECT_EQ(body, QByteArray("f=501&i=ab%2B%2Fcd%3D%3D"));
    const auto fields = Envelope::formDecode(body);
    ASSERT_TRUE(fields);
    ASSERT_EQ(fields->size(), 2);
    EXPECT_EQ(fields->at(1).second, value);
    EXPECT_EQ(Envelope::formDecode("a=1+2")->at(0).second, QString("1 2"));
    EXPECT_FALSE(Envelope::formDecode("novalue"));
}
