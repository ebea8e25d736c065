#include "IniText.h"
#include "TestHome.h"

#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

namespace {
const IniText::Values kTricky{
    {"plain", "value"},
    {"empty", ""},
    {"list", "a,b \"c\"=d"},
    {"spaces", "  padded  "},
    {"at", "@looks like a type"},
    {"control", "tab\there\nline\x01"
                "1"},
    {"unicode", QString::fromUtf8("Vid\xC3\xA9o \xE2\x9C\x93 \xF0\x9F\x8E\xAC")},
    {"semi", "x;y"},
    {"back\\slash", "C:\\path\\"},
    {"key with space", "1"},
    {QString::fromUtf8("cl\xC3\xA9"), "2"},
    {"Group/inner", "3"},
};
} // namespace

// Qt's own settings class is the independent reader and writer: both directions must agree.
TEST(IniText, WhatItWritesQtReadsAndWhatQtWritesItReads) {
    TestHome home;
    const QString ours = home.file("ours.ini");
    {
        QFile file(ours);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(IniText::serialize(kTricky));
    }
    QSettings qtReads(ours, QSettings::IniFormat);
    for (auto it = kTricky.cbegin(); it != kTricky.cend(); ++it) {
        const QVariant value = qtReads.value(it.key());
        ASSERT_TRUE(value.isValid()) << qPrintable(it.key());
        EXPECT_EQ(value.toString(), it.value()) << qPrintable(it.key());
    }
    EXPECT_EQ(qtReads.allKeys().size(), kTricky.size());

    const QString theirs = home.file("theirs.ini");
    {
        QSettings qtWrites(theirs, QSettings::IniFormat);
        for (auto it = kTricky.cbegin(); it != kTricky.cend(); ++it)
            qtWrites.setValue(it.key(), it.value());
    }
    QFile file(theirs);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(IniText::parse(file.readAll()), kTricky);
}

TEST(IniText, HandWrittenFilesReadLeniently) {
    const QByteArray text = "\xEF\xBB\xBF; a comment\n"
                            "[general]\r\n"
                            "  Volume = 0.5   ; trailing comment\n"
                            "list = one , two,three\n"
                            "quoted = \" kept \" \n"
                            "not a key line\n"
                            "=no key\n"
                            "[Other]\n"
                            "x=1";
    const IniText::Values values = IniText::parse(text);
    EXPECT_EQ(values.value("Volume"), "0.5");
    EXPECT_EQ(values.value("list"), "one,two,three");
    EXPECT_EQ(values.value("quoted"), " kept ");
    EXPECT_EQ(values.value("Other/x"), "1");
    EXPECT_EQ(values.size(), 4);
}

TEST(IniText, DamagedTextNeverReadsOutOfBounds) {
    for (const QByteArray& text : {QByteArray("a=\\"), QByteArray("a=\"open"), QByteArray("a=\\x"),
                                   QByteArray("%U12=1"), QByteArray("%4=1"), QByteArray("[open\nb=2"),
                                   QByteArray("a=\\0777777"), QByteArray(";"), QByteArray("\\")}) {
        (void)IniText::parse(text);
    }
    EXPECT_EQ(IniText::parse("[open\nb=2").value("open/b"), "2");
}
