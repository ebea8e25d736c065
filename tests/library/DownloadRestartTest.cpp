// A download survives its process: stopped the way a session ends the program (the quit path keeps
// the partial body and its resume data) or killed outright, the next start finishes it with the
// right sign.
#include "DownloadStore.h"
#include "FileSign.h"
#include "ProtocolTestServer.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {
class DownloadRestartTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        caches = home.file("Caches");
        library = home.file("DownloadVideo");
        QDir().mkpath(caches);
        QDir().mkpath(library);
        body = QByteArray(24 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator generator(7);
        generator.fillRange(reinterpret_cast<quint32*>(body.data()), body.size() / 4);
        sign = ProtocolTestServer::signOf(body);
        url = server.serveFile("big.mp4", body);
        server.setFileRate(4 * 1024 * 1024);
    }

    void start(QProcess& runner, bool add) {
        QStringList args{caches, library, home.file("Corvex.db")};
        if (add)
            args << url.toString() << sign;
        runner.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        runner.start(TestHome::toolPath("download_runner"), args);
        ASSERT_TRUE(runner.waitForStarted());
    }

    qint64 partialBytes() const {
        qint64 total = 0;
        for (const QFileInfo& info : QDir(caches).entryInfoList({"*.partial"}, QDir::Files))
            total += info.size();
        return total;
    }

    bool runToEnd(QProcess& runner) {
        const bool ended = TestHome::waitUntil([&] { return runner.state() == QProcess::NotRunning; },
                                               std::chrono::seconds(60));
        return ended && runner.exitStatus() == QProcess::NormalExit && runner.exitCode() == 0;
    }

    TestHome home;
    ProtocolTestServer server;
    QString caches;
    QString library;
    QByteArray body;
    QString sign;
    QUrl url;
};
} // namespace

TEST_F(DownloadRestartTest, StoppedByTheSessionItResumesWhereItStopped) {
    QProcess first;
    start(first, true);
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return partialBytes() > 4 * 1024 * 1024; }, std::chrono::seconds(20)));
    first.terminate();
    ASSERT_TRUE(TestHome::waitUntil([&] { return first.state() == QProcess::NotRunning; }));
    EXPECT_EQ(first.exitCode(), 1);
    const qint64 kept = partialBytes();
    EXPECT_GT(kept, 4 * 1024 * 1024);
    QFile store(caches + "/downloadInfo.bat");
    ASSERT_TRUE(store.open(QIODevice::ReadOnly));
    const auto stored = DownloadStore::unarchive(store.readAll());
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->size(), 1u);
    EXPECT_TRUE(stored->front().cacheURL.has_value());

    server.clearRequests();
    server.setFileRate(0);
    QProcess second;
    start(second, false);
    ASSERT_TRUE(runToEnd(second));
    EXPECT_EQ(FileSign::fileSign(library + "/" + sign + ".mp4"), sign);
    EXPECT_EQ(QFileInfo(library + "/" + sign + ".mp4").size(), body.size());
    const auto requests = server.requests();
    ASSERT_FALSE(requests.isEmpty());
    EXPECT_TRUE(requests.front().header("Range").startsWith("bytes="));
    EXPECT_EQ(partialBytes(), 0);
}

TEST_F(DownloadRestartTest, KilledOutrightItStartsOverAndLeavesNothingBehind) {
    QProcess first;
    start(first, true);
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return partialBytes() > 2 * 1024 * 1024; }, std::chrono::seconds(20)));
    first.kill();
    ASSERT_TRUE(TestHome::waitUntil([&] { return first.state() == QProcess::NotRunning; }));

    server.setFileRate(0);
    QProcess second;
    start(second, false);
    ASSERT_TRUE(runToEnd(second));
    QFile file(library + "/" + sign + ".mp4");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == body);
    EXPECT_EQ(partialBytes(), 0);
    EXPECT_EQ(QDir(library).entryList(QDir::Files | QDir::Hidden), QStringList({sign + ".mp4"}));
}
