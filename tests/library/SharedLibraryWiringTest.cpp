// The application's own import model and download manager (the shared instances, not test-built
// ones) talk to the application's server client: an import asks it for the file's record, and a
// finished download is reported to it.
#include "DownloadManager.h"
#include "FileSign.h"
#include "ImportFixtures.h"
#include "LocalLibraryModel.h"
#include "LocalVideoDBManager.h"
#include "ProtocolTestServer.h"
#include "TestHome.h"

#include <QMutex>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {
// One server for the whole program: the shared server client reads its address once.
ProtocolTestServer* server() {
    static ProtocolTestServer* made = [] {
        auto* started = new ProtocolTestServer;
        if (!started->start())
            ADD_FAILURE() << "the protocol test server did not start";
        qputenv("ZERAFIN_SERVER_URL", started->baseUrl().toString().toUtf8());
        return started;
    }();
    return made;
}
} // namespace

TEST(SharedLibraryWiring, TheSharedImportAsksTheServerForItsRecord) {
    ProtocolTestServer& web = *server();
    TestHome clips;
    const QString clip = ImportFixtures::clip(clips.file("shared import.mp4"), 320, 180, 1.5, 11);
    ASSERT_FALSE(clip.isEmpty());
    const QString sign = *FileSign::fileSign(clip);
    web.setVideoDetail(sign, ProtocolTestServer::videoRecord(sign, "Known to the server"));

    QMutex mutex;
    QList<ImportVideoStatus> reports;
    LocalLibraryModel::shared().importVideo(QUrl::fromLocalFile(clip), true,
                                            [&](const QString&, ImportVideoStatus status) {
                                                QMutexLocker lock(&mutex);
                                                reports.append(status);
                                            });
    ASSERT_TRUE(TestHome::waitUntil(
        [&] {
            QMutexLocker lock(&mutex);
            return !reports.isEmpty();
        },
        20000ms));
    EXPECT_EQ(reports.value(0), ImportVideoStatus::complete);
    EXPECT_EQ(web.requestsFor("504").size(), 1);
    const auto record = LocalVideoDBManager::shared().selectBySign(sign);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(record->title, "Known to the server");
}

TEST(SharedLibraryWiring, TheSharedDownloadManagerReportsAFinishedDownload) {
    ProtocolTestServer& web = *server();
    const QByteArray body(150000, 'z');
    const QString sign = ProtocolTestServer::signOf(body);
    VideoDetail video;
    video.id = 4711;
    video.sign = sign;
    video.title = "Downloaded";
    video.url = web.serveFile("shared.mp4", body).toString();

    DownloadManager& manager = DownloadManager::shared();
    manager.add(video);
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager.progressArray().isEmpty(); }, 20000ms));
    EXPECT_TRUE(LocalVideoDBManager::shared().selectBySign(sign).has_value());
    ASSERT_TRUE(TestHome::waitUntil([&] { return web.requestsFor("503").size() == 1; }, 5000ms));
    EXPECT_EQ(web.requestsFor("503").front().object().value("vid").toInteger(), 4711);
    EXPECT_EQ(web.requestsFor("503").front().object().value("status").toInteger(), 1);
}
