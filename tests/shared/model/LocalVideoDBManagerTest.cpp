#include "LocalVideoDBManager.h"
#include "AppInfo.h"
#include "Database.h"
#include "TestHome.h"
#include "VideoDetailSamples.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <gtest/gtest.h>
#include <thread>

namespace {

// Runs `body` and returns what it printed on standard output.
template <typename Body> std::string printed(Body body) {
    testing::internal::CaptureStdout();
    body();
    return testing::internal::GetCapturedStdout();
}

QSet<QString> signsIn(LocalVideoDBManager& db) {
    QSet<QString> signs;
    for (const VideoDetail& video : db.selectAll())
        signs.insert(video.sign);
    return signs;
}

} // namespace

TEST(LocalVideoDBManager, SeedsAWritableCopyWithTheTwentySixColumns) {
    TestHome home;
    const QString path = home.file("Corvex.db");
    std::string lines = printed([&] { LocalVideoDBManager db(path); });
    EXPECT_EQ(lines, path.toStdString() + "\n");
    EXPECT_TRUE(QFileInfo(path).isWritable());
    EXPECT_TRUE(QFileInfo(path).permissions() & QFileDevice::WriteOwner);

    Database raw(path);
    ASSERT_TRUE(raw.open());
    auto columns = raw.executeQuery("select name from pragma_table_info('LocalVideos')");
    ASSERT_TRUE(columns);
    QStringList names;
    while (columns->next())
        names << columns->stringForColumn("name");
    EXPECT_EQ(names.join(','),
              "vid,sign,preurl,title,url,description,time,size,imgurl,imgsize,tags,ratio,width,"
              "height,frame,rate,audio,uptime,down,view,author,avatar,avatarsize,hp,upcount,state");
}

TEST(LocalVideoDBManager, InsertsOncePerSignAndReadsEveryFieldBack) {
    TestHome home;
    LocalVideoDBManager db(home.file("Corvex.db"));
    const VideoDetail video = VideoDetailSamples::video(1);

    EXPECT_EQ(printed([&] { EXPECT_TRUE(db.insert(video)); }), "insert true\n");
    EXPECT_EQ(db.selectBySign(video.sign), video); // 3 GiB size included
    VideoDetail again = VideoDetailSamples::video(2);
    again.sign = video.sign;
    EXPECT_EQ(printed([&] { EXPECT_FALSE(db.insert(again)); }), "");
    EXPECT_EQ(db.selectBySign(video.sign), video);
    EXPECT_EQ(db.selectAll().size(), 1u);

    EXPECT_FALSE(db.selectBySign(VideoDetailSamples::sign(99)));
    EXPECT_FALSE(db.selectBySign(""));
    VideoDetail unsigned_ = VideoDetailSamples::video(3);
    unsigned_.sign = "";
    EXPECT_TRUE(db.insert(unsigned_));
    EXPECT_EQ(db.selectBySign("")->id, unsigned_.id);

    Database raw(db.databasePath());
    ASSERT_TRUE(raw.open());
    auto state = raw.executeQuery("select state from LocalVideos");
    ASSERT_TRUE(state);
    while (state->next())
        EXPECT_EQ(state->longLongIntForColumn("state"), 1);
}

TEST(LocalVideoDBManager, AnEmptyTextIsStoredAsTextNeverAsNull) {
    TestHome home;
    LocalVideoDBManager db(home.file("Corvex.db"));
    // A record fresh from a default or a decoder may hold texts that were never assigned.
    VideoDetail blank = VideoDetailSamples::video(4);
    blank.sign = QString();
    blank.hp = QString();
    EXPECT_TRUE(db.insert(blank));
    ASSERT_TRUE(db.selectBySign(QString("")));
    EXPECT_EQ(db.selectBySign(QString())->id, blank.id);
    EXPECT_EQ(printed([&] { EXPECT_FALSE(db.insert(blank)); }), ""); // one row per sign
    EXPECT_EQ(db.selectAll().size(), 1u);

    Database raw(db.databasePath());
    ASSERT_TRUE(raw.open());
    auto nulls = raw.executeQuery("select count(*) as n from LocalVideos where sign is null or hp is null");
    ASSERT_TRUE(nulls && nulls->next());
    EXPECT_EQ(nulls->longLongIntForColumn("n"), 0);
}

TEST(LocalVideoDBManager, NullColumnsReadAsEmptyTextAndZero) {
    TestHome home;
    LocalVideoDBManager db(home.file("Corvex.db"));
    Database raw(db.databasePath());
    ASSERT_TRUE(raw.open());
    ASSERT_TRUE(raw.executeUpdate("INSERT INTO LocalVideos (sign) VALUES ('s')"));
    const auto video = db.selectBySign("s");
    ASSERT_TRUE(video);
    VideoDetail expected;
    expected.sign = "s";
    EXPECT_EQ(*video, expected);
    EXPECT_EQ(db.selectAll(), std::vector<VideoDetail>{expected});
}

TEST(LocalVideoDBManager, DeletesReportTheirResult) {
    TestHome home;
    LocalVideoDBManager db(home.file("Corvex.db"));
    for (int n = 1; n <= 3; ++n)
        db.insert(VideoDetailSamples::video(n));
    const QString sign = VideoDetailSamples::sign(2);
    EXPECT_EQ(printed([&] { EXPECT_TRUE(db.deleteBySign(sign)); }),
              "delete " + sign.toStdString() + " true\n");
    EXPECT_EQ(printed([&] { EXPECT_TRUE(db.deleteBySign("nothing")); }), "delete nothing true\n");
    EXPECT_EQ(signsIn(db), (QSet<QString>{VideoDetailSamples::sign(1), VideoDetailSamples::sign(3)}));
    EXPECT_EQ(printed([&] { EXPECT_TRUE(db.deleteAll()); }), "delete all true\n");
    EXPECT_TRUE(db.selectAll().empty());
}

TEST(LocalVideoDBManager, AnExistingDamagedFileIsNeverReseeded) {
    TestHome home;
    const QString path = home.file("Corvex.db");
    const QByteArray garbage(2048, '\x7f');
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(garbage);
    }
    std::string lines;
    lines += printed([&] {
        LocalVideoDBManager db(path);
        EXPECT_FALSE(db.insert(VideoDetailSamples::video(1)));
        EXPECT_FALSE(db.selectBySign(VideoDetailSamples::sign(1)));
        EXPECT_TRUE(db.selectAll().empty());
        EXPECT_FALSE(db.deleteAll());
    });
    EXPECT_EQ(lines, path.toStdString() + "\ndb open failure\ninsert false\ndelete all false\n");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), garbage);

    // An empty file is a database without the table: kept too, and every statement fails.
    const QString empty = home.file("empty.db");
    QFile(empty).open(QIODevice::WriteOnly);
    LocalVideoDBManager emptyDb(empty);
    EXPECT_FALSE(emptyDb.insert(VideoDetailSamples::video(1)));
    EXPECT_EQ(QFileInfo(empty).size(), 0);
}

TEST(LocalVideoDBManager, AMissingFolderIsReportedAndLeavesNoFileBehind) {
    TestHome home;
    const QString path = home.file("missing/Corvex.db");
    const std::string lines = printed([&] {
        LocalVideoDBManager db(path);
        EXPECT_FALSE(db.insert(VideoDetailSamples::video(1)));
        EXPECT_TRUE(db.selectAll().empty());
    });
    EXPECT_NE(lines.find("Cannot copy the seed database to " + path.toStdString()), std::string::npos);
    EXPECT_NE(lines.find(path.toStdString() + "\ndb open failure\ninsert false\n"), std::string::npos);
    EXPECT_FALSE(QFile::exists(path));
}

TEST(LocalVideoDBManager, TheSharedLibraryLivesInApplicationSupport) {
    EXPECT_EQ(LocalVideoDBManager::defaultDatabasePath(),
              AppInfo::applicationSupportDirectory() + "/Corvex.db");
    printed([] { LocalVideoDBManager::shared(); });
    EXPECT_EQ(LocalVideoDBManager::shared().databasePath(), LocalVideoDBManager::defaultDatabasePath());
    EXPECT_TRUE(QFileInfo(LocalVideoDBManager::defaultDatabasePath()).isWritable());
}

TEST(LocalVideoDBManager, OneManagerIsSafeToShareBetweenThreads) {
    TestHome home;
    LocalVideoDBManager db(home.file("Corvex.db"));
    printed([&] {
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&db] {
                // Every thread inserts the same signs: exactly one row per sign may result.
                for (int n = 0; n < 50; ++n) {
                    db.insert(VideoDetailSamples::video(n));
                    db.selectAll();
                }
            });
        for (auto& thread : threads)
            thread.join();
    });
    EXPECT_EQ(db.selectAll().size(), 50u);
}

TEST(LocalVideoDBManager, TwoConnectionsInsertingTheSameSignsMakeOneRowEach) {
    TestHome home;
    const QString path = home.file("Corvex.db");
    LocalVideoDBManager first(path);
    printed([&] {
        LocalVideoDBManager second(path);
        std::thread thread([&] {
            for (int n = 0; n < 100; ++n)
                second.insert(VideoDetailSamples::video(n));
        });
        for (int n = 0; n < 100; ++n)
            first.insert(VideoDetailSamples::video(n));
        thread.join();
    });
    EXPECT_EQ(first.selectAll().size(), 100u);
}

TEST(LocalVideoDBManager, TwoProgramsWritingAtOnceLoseNothing) {
    TestHome home;
    const QString path = home.file("Corvex.db");
    // Enough rounds to interleave the three writers many times, few enough that a loaded machine
    // running the other suites at once keeps every wait far below the busy time-out.
    const int count = 60;
    LocalVideoDBManager db(path);
    QProcess other;
    other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    other.start(TestHome::toolPath("localdb_writer"), {path, "b", QString::number(count)});
    ASSERT_TRUE(other.waitForStarted());

    bool allSucceeded = true;
    printed([&] {
        // A second connection in this process too, from another thread.
        LocalVideoDBManager second(path);
        std::thread thread([&] {
            for (int n = 0; n < count; ++n)
                allSucceeded &= second.insert(VideoDetailSamples::video("c-" + QString::number(n), n));
        });
        for (int n = 0; n < count; ++n) {
            const QString sign = "a-" + QString::number(n);
            allSucceeded &= db.insert(VideoDetailSamples::video(sign, n));
            if (n % 2 == 0)
                allSucceeded &= db.deleteBySign(sign);
        }
        thread.join();
        other.waitForFinished(60000);
    });
    EXPECT_TRUE(allSucceeded);
    EXPECT_EQ(other.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(other.exitCode(), 0);

    QSet<QString> expected;
    for (int n = 0; n < count; ++n) {
        expected.insert("c-" + QString::number(n));
        if (n % 2)
            expected << "a-" + QString::number(n) << "b-" + QString::number(n);
    }
    EXPECT_EQ(signsIn(db), expected);
}
