// The application's own import model and download manager (the shared instances, not test-built
// ones) talk to the application's server client: an import asks it for the file's record, and a
// finished download is reported to it. The application's image loader keeps to connections of its
// own and reads the importer's thumbnails only.
#include "AppInfo.h"
#include "DownloadManager.h"
#include "FileSign.h"
#include "ImageLoader.h"
#include "ImportFixtures.h"
#include "LocalLibraryModel.h"
#include "LocalVideoDBManager.h"
#include "ProtocolTestServer.h"
#include "TestHome.h"
#include "WebModel.h"

#include <QDir>
#include <QImage>
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

TEST(SharedLibraryWiring, StalledPicturesNeverHoldUpTheCatalogue) {
    ProtocolTestServer& web = *server();
    web.setFailure(ProtocolTestServer::Failure::stall, "stalled.jpg");
    const QUrl stalled = web.serveFile("stalled.jpg", ProtocolTestServer::samplePng());
    // More pictures than a network manager opens connections to one host.
    // The count outlives the test: the shared loader ends these transfers at its own time-out.
    auto pictures = std::make_shared<int>(0);
    for (int i = 0; i < 8; ++i)
        ImageLoader::shared().loadImage(stalled, [pictures](const QImage&) { ++*pictures; });
    TestHome::spin(300ms); // they hold their connections by now

    const QString sign = QString(32, QLatin1Char('c'));
    web.setVideoDetail(sign, ProtocolTestServer::videoRecord(sign, "Reachable"));
    std::optional<VideoDetail> detail;
    bool answered = false;
    WebModel::shared().requestVideoDetail(sign, [&](std::optional<VideoDetail> record) {
        detail = std::move(record);
        answered = true;
    });
    ASSERT_TRUE(TestHome::waitUntil([&] { return answered; }, 5000ms));
    ASSERT_TRUE(detail.has_value());
    EXPECT_EQ(detail->title, "Reachable");
    EXPECT_EQ(*pictures, 0) << "the pictures are still stalled, yet the catalogue answered";
    web.resetSwitches();
}

TEST(SharedLibraryWiring, TheSharedLoaderReadsTheImportersThumbnailsAndNoOtherFiles) {
    const QString folder = AppInfo::applicationSupportDirectory();
    ASSERT_TRUE(QDir().mkpath(folder));
    QImage thumbnail(40, 30, QImage::Format_RGB32);
    thumbnail.fill(Qt::darkCyan);
    const QString path = QDir(folder).filePath("imported-thumbnail.png");
    ASSERT_TRUE(thumbnail.save(path));

    QImage own, zero;
    int calls = 0;
    ImageLoader::shared().loadImage(QUrl::fromLocalFile(path), [&](const QImage& image) {
        own = image;
        ++calls;
    });
    // A server record once stored in the library with this address ended the program at start.
    ImageLoader::shared().loadImage(QUrl("file:///dev/zero"), [&](const QImage& image) {
        zero = image;
        ++calls;
    });
    ASSERT_TRUE(TestHome::waitUntil([&] { return calls == 2; }, 5000ms));
    EXPECT_EQ(own.size(), QSize(40, 30));
    EXPECT_TRUE(zero.isNull());
}
