#include "ImageDiskCache.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace {
void writeFile(const QString& path, qint64 size, const QDateTime& modified) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'p'));
    file.flush(); // a write at close would set the time to now
    file.setFileTime(modified, QFileDevice::FileModificationTime);
}
} // namespace

TEST(ImageDiskCache, AWriteOverTheBoundDropsTheOldestFilesFirst) {
    TestHome home;
    const QDateTime base = QDateTime::currentDateTime().addDays(-1);
    // Names in an order unlike their ages, so that only the times can decide.
    const QStringList names{"e", "a", "d", "b", "c"};
    for (int i = 0; i < names.size(); ++i)
        writeFile(home.file(names[i]), 100, base.addSecs(60 * i));
    ImageDiskCache cache(home.path(), 450);
    ASSERT_TRUE(cache.store(home.file("new"), QByteArray(100, 'n')));

    // 600 bytes against a bound of 450: the oldest go until at most nine tenths of it is left.
    EXPECT_FALSE(QFile::exists(home.file("e")));
    EXPECT_FALSE(QFile::exists(home.file("a")));
    for (const char* kept : {"d", "b", "c", "new"})
        EXPECT_TRUE(QFile::exists(home.file(kept))) << kept;
    EXPECT_EQ(cache.knownSize(), 400);

    // Under the bound nothing goes.
    ASSERT_TRUE(cache.store(home.file("newer"), QByteArray(10, 'n')));
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files).size(), 5);
}

TEST(ImageDiskCache, ACacheLeftOverTheBoundShrinksWhenTrimmed) {
    TestHome home;
    const QDateTime base = QDateTime::currentDateTime().addDays(-1);
    for (int i = 0; i < 10; ++i)
        writeFile(home.file(QString::number(i)), 1000, base.addSecs(i));
    ImageDiskCache cache(home.path(), 5000);
    cache.trim();
    EXPECT_LE(cache.knownSize(), 4500);
    EXPECT_FALSE(QFile::exists(home.file("0")));
    EXPECT_TRUE(QFile::exists(home.file("9")));
}

TEST(ImageDiskCache, OnlyRegularFilesWithinTheBoundAreRead) {
    TestHome home;
    const QString fifo = home.file("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    writeFile(home.file("small"), 10, QDateTime::currentDateTime());
    writeFile(home.file("large"), 2000, QDateTime::currentDateTime());

    EXPECT_FALSE(ImageDiskCache::readRegularFile(fifo, 1000)) << "returns at once, never waits for a writer";
    EXPECT_FALSE(ImageDiskCache::readRegularFile("/dev/zero", 1000));
    EXPECT_FALSE(ImageDiskCache::readRegularFile(home.path(), 1000));
    EXPECT_FALSE(ImageDiskCache::readRegularFile(home.file("missing"), 1000));
    EXPECT_FALSE(ImageDiskCache::readRegularFile(home.file("large"), 1000));
    EXPECT_EQ(ImageDiskCache::readRegularFile(home.file("small"), 1000), QByteArray(10, 'p'));
}
