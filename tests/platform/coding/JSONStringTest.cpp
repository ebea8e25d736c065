#include "JSONString.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {
// What a JSON reader makes of the escaped text between quotes.
QString readBack(const QString& escaped) {
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(QStringLiteral("{\"v\":\"%1\"}").arg(escaped).toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << escaped.toStdString();
    return document.object().value("v").toString();
}
} // namespace

TEST(JSONString, OrdinaryTextIsUnchanged) {
    for (const QString& text : {QString(), QString("hello world"), QString("日本 wallpaper 100% 'ok' / é"),
                                QString("fn5+/w=="), QString("%1 %2")})
        EXPECT_EQ(JSONString::escaped(text), text) << text.toStdString();
}

TEST(JSONString, QuotesBackslashesAndControlCharactersReadBackExactly) {
    EXPECT_EQ(JSONString::escaped("say \"hi\""), "say \\\"hi\\\"");
    EXPECT_EQ(JSONString::escaped("a\\b"), "a\\\\b");
    EXPECT_EQ(JSONString::escaped("1\n2\r3\t4\b5\f"), "1\\n2\\r3\\t4\\b5\\f");
    EXPECT_EQ(JSONString::escaped(QString(QChar(0x01)) + QChar(0x1f)), "\\u0001\\u001f");
    // U+007F and beyond need no escape.
    EXPECT_EQ(JSONString::escaped(QString(QChar(0x7f))), QString(QChar(0x7f)));

    QString every;
    for (int c = 0; c < 0x80; ++c)
        every += QChar(c);
    every += "\\\"\\\\ end\\";
    EXPECT_EQ(readBack(JSONString::escaped(every)), every);
}
