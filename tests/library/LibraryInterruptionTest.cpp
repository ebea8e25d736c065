// The local library ended at chosen moments in another process (tools/library_runner): Clear All
// killed just after its "OK", and a 20-file import ended by SIGTERM or killed. Whatever the moment,
// a restart finds at most one row without its file and no file, thumbnail or hidden part of an
// import that no row names.
#include "Database.h"
#include "ImportFixtures.h"
#include "LocalVideoDBManager.h"
#include "LocalVideoPath.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <csignal>

using namespace std::chrono_literals;

namespace {
struct Runner {
    QProcess process;
    QString output;

    bool start(const QString& home, const QStringList& arguments) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(TestHome::toolPath("library_runner"), QStringList{home} + arguments);
        return process.waitForStarted(10000);
    }
    bool waitForLine(const QString& line, int ms = 60000) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            output += QString::fromUtf8(process.readAllStandardOutput());
            if (output.split('\n').contains(line))
                return true;
            if (process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(5);
        }
        return false;
    }
    void signal(int number) { ::kill(pid_t(process.processId()), number); }
};

// What the library holds once a process has ended: rows whose video file is missing, and files of
// the library and thumbnail folders (hidden ones included) that no row names.
struct Survey {
    int rows = 0;
    QStringList rowsWithoutFile;
    QStringList filesWithoutRow;
};

Survey survey(const QString& home) {
    Survey result;
    QSet<QString> named;
    {
        LocalVideoDBManager database(home + "/Corvex.db");
        for (const VideoDetail& row : database.selectAll()) {
            ++result.rows;
            const auto video = LocalVideoPath::fromStoredUrl(row.url);
            if (!video || !QFileInfo::exists(*video))
                result.rowsWithoutFile << row.sign;
            if (video)
                named.insert(*video);
            if (const auto thumbnail = LocalVideoPath::fromStoredUrl(row.imgurl))
                named.insert(*thumbnail);
        }
    }
    for (const QString& folder : {home + "/library", home + "/thumbnails"}) {
        for (const QFileInfo& file : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System))
            if (!named.contains(file.absoluteFilePath()))
                result.filesWithoutRow << file.fileName();
    }
    return result;
}
} // namespace

class LibraryInterruptionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        clips = std::make_unique<TestHome>();
        for (int i = 0; i < 20; ++i)
            sources << ImportFixtures::clip(clips->file(QString("clip%1.mp4").arg(i)), 160, 90, 1.0, 100 + i);
    }
    static void TearDownTestSuite() { clips.reset(); }

    static inline std::unique_ptr<TestHome> clips;
    static inline QStringList sources;
};

TEST_F(LibraryInterruptionTest, ClearAllKilledAtAnyMomentLeavesAtMostOneRowWithoutItsFile) {
    // Enough videos that removing their files takes longer than the latest kill.
    constexpr int videos = 1500;
    for (const int delayMs : {0, 50, 150}) {
        TestHome home;
        QDir(home.path()).mkpath("library");
        LocalVideoDBManager(home.file("Corvex.db")); // the seeded table
        {
            // One transaction for all rows: the programs' own inserts commit one by one.
            Database database(home.file("Corvex.db"));
            ASSERT_TRUE(database.open());
            ASSERT_TRUE(database.executeUpdate("BEGIN"));
            for (int i = 0; i < videos; ++i) {
                const QString path = home.file(QString("library/v%1.mp4").arg(i, 4, 10, QLatin1Char('0')));
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                file.write(QByteArray(16384, char(i)));
                ASSERT_TRUE(
                    database.executeUpdate("INSERT INTO LocalVideos (sign, url) VALUES (?, ?)",
                                           {QString("sign%1").arg(i), LocalVideoPath::fileUrlText(path)}));
            }
            ASSERT_TRUE(database.executeUpdate("COMMIT"));
        }
        Runner runner;
        ASSERT_TRUE(runner.start(home.path(), {"clear"}));
        ASSERT_TRUE(runner.waitForLine("started"));
        QThread::msleep(delayMs);
        runner.signal(SIGKILL);
        ASSERT_TRUE(runner.process.waitForFinished(10000));

        const Survey after = survey(home.path());
        EXPECT_LE(after.rowsWithoutFile.size(), 1)
            << "killed " << delayMs << " ms after OK: " << after.rowsWithoutFile.size()
            << " rows without their file, first " << after.rowsWithoutFile.mid(0, 5).join(' ').toStdString();
        std::printf("clear all killed %d ms after OK: %d of %d rows left, %d without their file\n", delayMs,
                    after.rows, videos, int(after.rowsWithoutFile.size()));
    }
}

TEST_F(LibraryInterruptionTest, SigtermDuringATwentyFileImportEndsWithinFiveSecondsLeavingNoOrphan) {
    ASSERT_EQ(sources.size(), 20);
    ASSERT_FALSE(sources.contains(QString()));
    for (const QString mode : {"silent", "answer"}) {
        for (const int delayMs : {50, 600}) {
            TestHome home;
            Runner runner;
            ASSERT_TRUE(runner.start(home.path(), QStringList{"import", mode} + sources));
            ASSERT_TRUE(runner.waitForLine("started"));
            QThread::msleep(delayMs);
            QElapsedTimer ending;
            ending.start();
            runner.signal(SIGTERM);
            const bool ended = runner.process.waitForFinished(5000);
            const qint64 took = ending.elapsed();
            if (!ended) {
                runner.signal(SIGKILL);
                runner.process.waitForFinished(5000);
            }
            ASSERT_TRUE(ended) << mode.toStdString() << " server, SIGTERM after " << delayMs << " ms";
            EXPECT_EQ(runner.process.exitCode(), 0);
            EXPECT_TRUE(runner.waitForLine("ended", 1000));

            const Survey after = survey(home.path());
            EXPECT_TRUE(after.rowsWithoutFile.isEmpty()) << after.rowsWithoutFile.join(' ').toStdString();
            EXPECT_TRUE(after.filesWithoutRow.isEmpty()) << after.filesWithoutRow.join(' ').toStdString();
            std::printf("%s server, SIGTERM after %d ms: ended in %lld ms with %d rows\n",
                        mode.toStdString().c_str(), delayMs, qint64(took), after.rows);
        }
    }
}

TEST_F(LibraryInterruptionTest, AnImportKilledMidBatchLeavesNothingForGoodAfterARestart) {
    ASSERT_EQ(sources.size(), 20);
    for (const int delayMs : {30, 200, 500, 900}) {
        TestHome home;
        Runner runner;
        ASSERT_TRUE(runner.start(home.path(), QStringList{"import", "answer"} + sources));
        ASSERT_TRUE(runner.waitForLine("started"));
        QThread::msleep(delayMs);
        runner.signal(SIGKILL);
        ASSERT_TRUE(runner.process.waitForFinished(10000));

        Runner restart;
        ASSERT_TRUE(restart.start(home.path(), {"start"}));
        ASSERT_TRUE(restart.process.waitForFinished(30000));
        const Survey after = survey(home.path());
        EXPECT_TRUE(after.rowsWithoutFile.isEmpty()) << after.rowsWithoutFile.join(' ').toStdString();
        EXPECT_TRUE(after.filesWithoutRow.isEmpty())
            << "killed after " << delayMs << " ms: " << after.filesWithoutRow.join(' ').toStdString();
        std::printf("import killed after %d ms: %d rows after the restart\n", delayMs, after.rows);
    }
}
