#include "FileSign.h"
#include "ImportFixtures.h"
#include "LocalLibraryModel.h"
#include "LocalVideoDBManager.h"
#include "LocalVideoPath.h"
#include "ProtocolTestServer.h"
#include "TestHome.h"
#include "WebModel.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMutex>
#include <memory>

using namespace std::chrono_literals;

// Imports that ask the product's server (the protocol test server on loopback) for its record.
class LocalLibraryServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        clips = std::make_unique<TestHome>();
        spaced = ImportFixtures::clip(clips->file("my holiday clip.mp4"), 640, 360, 1.5, 5);
    }
    static void TearDownTestSuite() { clips.reset(); }

    void SetUp() override {
        ASSERT_TRUE(server.start());
        WebModel::Options options;
        options.baseURL = server.baseUrl();
        options.scheduleRefreshes = false;
        web = std::make_unique<WebModel>(options);
        database = std::make_unique<LocalVideoDBManager>(home.file("Corvex.db"));
        QDir(home.path()).mkpath("DownloadVideo");
        model = std::make_unique<LocalLibraryModel>(
            *database,
            [this](const QString& sign, LocalLibraryModel::DetailCompletion completion) {
                web->requestVideoDetail(sign, std::move(completion));
            },
            home.file("DownloadVideo"), home.path());
    }

    // Imports the spaced clip, asking the server, and waits for the one report.
    ImportVideoStatus importSpaced(QString* sign = nullptr) {
        QMutex mutex;
        QList<ImportVideoStatus> reports;
        QString reportedSign;
        model->importVideo(QUrl::fromLocalFile(spaced), true,
                           [&](const QString& s, ImportVideoStatus status) {
                               QMutexLocker lock(&mutex);
                               reports.append(status);
                               reportedSign = s;
                           });
        const bool reported = TestHome::waitUntil(
            [&] {
                QMutexLocker lock(&mutex);
                return !reports.isEmpty();
            },
            20000ms);
        TestHome::spin(100ms);
        QMutexLocker lock(&mutex);
        EXPECT_TRUE(reported);
        EXPECT_EQ(reports.size(), 1);
        if (sign)
            *sign = reportedSign;
        return reports.value(0, ImportVideoStatus::failure);
    }

    ProtocolTestServer server;
    TestHome home;
    std::unique_ptr<WebModel> web;
    std::unique_ptr<LocalVideoDBManager> database;
    std::unique_ptr<LocalLibraryModel> model;

    static inline std::unique_ptr<TestHome> clips;
    static inline QString spaced;
};

TEST_F(LocalLibraryServerTest, KnownVideoKeepsTheServersRecordWithThePlainPath) {
    ASSERT_FALSE(spaced.isEmpty());
    const QString sign = *FileSign::fileSign(spaced);
    QJsonObject known =
        ProtocolTestServer::videoRecord(sign, "Holiday by the sea", "https://127.0.0.1/v.mp4");
    known["preurl"] = "https://127.0.0.1/preview/1";
    known["imgurl"] = "https://127.0.0.1/pictures/1.jpg";
    known["view"] = 4321;
    server.setVideoDetail(sign, known);

    QString reported;
    ASSERT_EQ(importSpaced(&reported), ImportVideoStatus::complete);
    EXPECT_EQ(reported, sign);
    ASSERT_EQ(server.requestsFor("504").size(), 1);
    EXPECT_TRUE(server.requestsFor("504").first().json.contains(sign));

    const auto record = database->selectBySign(sign);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->title, "Holiday by the sea");
    EXPECT_EQ(record->preurl, "https://127.0.0.1/preview/1");
    EXPECT_EQ(record->imgurl, "https://127.0.0.1/pictures/1.jpg");
    EXPECT_EQ(record->view, 4321);
    // The url is the copy's plain path, spaces and all, and the shared resolver finds the file.
    const QString copy = QDir(home.file("DownloadVideo")).filePath("my holiday clip.mp4");
    EXPECT_EQ(record->url, copy);
    EXPECT_EQ(LocalVideoPath::fromStoredUrl(record->url), copy);
    QFile source(spaced), copied(copy);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly) && copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(source.readAll(), copied.readAll());
    // A record from the server brings its own picture: nothing is written beside the library.
    EXPECT_TRUE(QDir(home.path()).entryList({"*.png"}, QDir::Files).isEmpty());
}

TEST_F(LocalLibraryServerTest, FailingServerGivesTheFilesRecord) {
    const QString sign = *FileSign::fileSign(spaced);
    server.setVideoDetail(sign, ProtocolTestServer::videoRecord(sign, "never seen"));
    for (const auto failure :
         {ProtocolTestServer::Failure::serverError, ProtocolTestServer::Failure::garbage,
          ProtocolTestServer::Failure::closeConnection, ProtocolTestServer::Failure::stall}) {
        database->deleteAll();
        QDir(home.file("DownloadVideo")).removeRecursively();
        server.setFailure(failure, "504");
        ASSERT_EQ(importSpaced(), ImportVideoStatus::complete) << int(failure);
        const auto record = database->selectBySign(sign);
        ASSERT_TRUE(record);
        EXPECT_EQ(record->title, "my holiday clip");
        EXPECT_EQ(record->ratio, "16:9");
        EXPECT_TRUE(record->url.startsWith("file://"));
        // The file-URL form resolves to the same kind of path as the plain one.
        EXPECT_EQ(LocalVideoPath::fromStoredUrl(record->url),
                  QDir(home.file("DownloadVideo")).filePath("my holiday clip.mp4"));
        EXPECT_TRUE(QFileInfo::exists(*LocalVideoPath::fromStoredUrl(record->imgurl)));
    }
}
