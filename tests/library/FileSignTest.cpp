#include "FileSign.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr qint64 tenMiB = 10485760;

QByteArray pattern(qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + (i >> 13)) & 0xff);
    return bytes;
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QString md5(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex());
}

int openDescriptors() {
    return int(
        QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}
} // namespace

TEST(FileSign, SmallAndEmptyFilesAreSignedWhole) {
    TestHome home;
    write(home.file("empty"), {});
    EXPECT_EQ(FileSign::fileSign(home.file("empty")), "d41d8cd98f00b204e9800998ecf8427e");

    const QByteArray bytes = pattern(1000);
    write(home.file("small"), bytes);
    const auto sign = FileSign::fileSign(home.file("small"));
    ASSERT_TRUE(sign);
    EXPECT_EQ(*sign, md5(bytes));
    EXPECT_EQ(*sign, sign->toLower());
    EXPECT_EQ(sign->size(), 32);
}

TEST(FileSign, OnlyTheFirstTenMebibytesCount) {
    TestHome home;
    QByteArray bytes = pattern(tenMiB + 4096);
    write(home.file("exact"), bytes.left(tenMiB));
    write(home.file("longer"), bytes);
    const auto exact = FileSign::fileSign(home.file("exact"));
    ASSERT_TRUE(exact);
    EXPECT_EQ(*exact, md5(bytes.left(tenMiB)));
    EXPECT_EQ(FileSign::fileSign(home.file("longer")), exact);

    // The last byte inside the sampled range changes the sign; the first byte after it does not.
    QByteArray inside = bytes;
    inside[tenMiB - 1] = char(inside[tenMiB - 1] ^ 0x5a);
    write(home.file("inside"), inside);
    EXPECT_NE(FileSign::fileSign(home.file("inside")), exact);

    QByteArray outside = bytes;
    outside[tenMiB] = char(outside[tenMiB] ^ 0x5a);
    write(home.file("outside"), outside);
    EXPECT_EQ(FileSign::fileSign(home.file("outside")), exact);
}

TEST(FileSign, MissingAndNonRegularPathsHaveNoSign) {
    TestHome home;
    write(home.file("gone"), "x");
    QFile::remove(home.file("gone"));
    EXPECT_FALSE(FileSign::fileSign(home.file("gone")));
    EXPECT_FALSE(FileSign::fileSign(home.file("gone/below")));
    EXPECT_FALSE(FileSign::fileSign(""));
    EXPECT_FALSE(FileSign::fileSign(home.path()));

    // A named pipe with no writer would block a plain open; it must be refused at once.
    ASSERT_EQ(::mkfifo(QFile::encodeName(home.file("pipe")).constData(), 0600), 0);
    EXPECT_FALSE(FileSign::fileSign(home.file("pipe")));

    // A file that cannot be opened has no sign (root can open anything, so skip the check there).
    write(home.file("locked"), "secret");
    QFile::setPermissions(home.file("locked"), QFileDevice::Permissions());
    if (::geteuid() != 0) {
        EXPECT_FALSE(FileSign::fileSign(home.file("locked")));
    }
}

TEST(FileSign, RepeatableAndLeavesNoDescriptorOpen) {
    TestHome home;
    write(home.file("clip"), pattern(300000));
    const int before = openDescriptors();
    const auto first = FileSign::fileSign(home.file("clip"));
    const auto second = FileSign::fileSign(home.file("clip"));
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_TRUE(first);
    EXPECT_EQ(first, second);
}

TEST(FileSign, FollowsSymbolicLinksToRegularFiles) {
    TestHome home;
    write(home.file("target"), "abc");
    ASSERT_TRUE(QFile::link(home.file("target"), home.file("link")));
    EXPECT_EQ(FileSign::fileSign(home.file("link")), md5("abc"));
}
