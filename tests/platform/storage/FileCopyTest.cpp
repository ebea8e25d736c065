#include "FileCopy.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace {
void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}
QByteArray read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
} // namespace

TEST(FileCopy, ClaimIsExclusive) {
    TestHome home;
    bool exists = true;
    EXPECT_TRUE(FileCopy::createExclusive(home.file("a.mp4"), nullptr, &exists));
    EXPECT_FALSE(exists);
    QString error;
    EXPECT_FALSE(FileCopy::createExclusive(home.file("a.mp4"), &error, &exists));
    EXPECT_TRUE(exists);
    EXPECT_FALSE(error.isEmpty());

    // A link at the name, even one pointing nowhere, is not overwritten through.
    ASSERT_TRUE(QFile::link(home.file("nowhere"), home.file("link.mp4")));
    EXPECT_FALSE(FileCopy::createExclusive(home.file("link.mp4"), nullptr, &exists));
    EXPECT_TRUE(exists);
    EXPECT_FALSE(QFile::exists(home.file("nowhere")));

    // A missing folder is a failure, not a clash.
    EXPECT_FALSE(FileCopy::createExclusive(home.file("missing/a.mp4"), nullptr, &exists));
    EXPECT_FALSE(exists);
}

TEST(FileCopy, CopiesWholeFiles) {
    TestHome home;
    QByteArray large(3 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (int i = 0; i < large.size(); ++i)
        large[i] = char(i * 7 + (i >> 11));
    write(home.file("source"), large);
    write(home.file("empty"), {});
    ASSERT_TRUE(FileCopy::createExclusive(home.file("copy")));
    ASSERT_TRUE(FileCopy::createExclusive(home.file("empty copy")));
    EXPECT_TRUE(FileCopy::copy(home.file("source"), home.file("copy")));
    EXPECT_TRUE(FileCopy::copy(home.file("empty"), home.file("empty copy")));
    EXPECT_EQ(read(home.file("copy")), large);
    EXPECT_EQ(QFileInfo(home.file("empty copy")).size(), 0);
}

TEST(FileCopy, FailuresAreReported) {
    TestHome home;
    write(home.file("source"), "data");
    QString error;
    EXPECT_FALSE(FileCopy::copy(home.file("missing"), home.file("x"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(FileCopy::copy(home.path(), home.file("x"), &error)); // a folder is not copied
    EXPECT_FALSE(FileCopy::copy(home.file("source"), home.file("unclaimed/x"), &error));
    // /dev/full takes no data: the full disk case.
    if (QFileInfo::exists("/dev/full")) {
        EXPECT_FALSE(FileCopy::copy(home.file("source"), "/dev/full", &error));
        EXPECT_FALSE(error.isEmpty());
    }
}
