#include "DownloadManager.h"
#include "DistributedNotificationCenter.h"
#include "DownloadStore.h"
#include "KeyedArchive.h"
#include "LocalVideoDBManager.h"
#include "NotificationCenter.h"
#include "PropertyList.h"
#include "ProtocolTestServer.h"
#include "ResumeData.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "VideoDetailSamples.h"
#include "WebModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <memory>

namespace {
QByteArray randomBody(qsizetype size, quint32 seed) {
    QByteArray body(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (qsizetype i = 0; i < size; ++i)
        body[i] = char(generator.bounded(256));
    return body;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class DownloadManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        caches = home.file("Caches");
        library = home.file("DownloadVideo");
        QDir().mkpath(caches);
        QDir().mkpath(library);
        database = std::make_unique<LocalVideoDBManager>(home.file("Corvex.db"));
        standard = std::make_unique<UserDefaults>(home.file("standard.ini"));
        suite = std::make_unique<UserDefaults>(home.file("suite.ini"));
        suite->setString("TEST-INSTALLATION", "uuid");
        WebModel::Options options;
        options.baseURL = server.baseUrl();
        options.standardDefaults = standard.get();
        options.suite = suite.get();
        options.scheduleRefreshes = false;
        client = std::make_unique<WebModel>(options);
        TestHome::spin(std::chrono::milliseconds(150)); // notifications of the previous test land first
        reloadToken.emplace(NotificationCenter::defaultCenter().addObserver(
            DownloadManager::reloadNotification,
            [this](const Notification& n) { reloads.append(n.userInfo); }));
        updateToken.emplace(
            DistributedNotificationCenter::shared().addObserver("UpdateVideoList", [this] { ++updates; }));
    }

    std::unique_ptr<DownloadManager> makeManager(int timeoutMs = 10000) {
        DownloadManager::Dependencies dependencies;
        dependencies.cachesDirectory = caches;
        dependencies.libraryDirectory = library;
        dependencies.database = database.get();
        dependencies.notificationCenter = &NotificationCenter::defaultCenter();
        dependencies.distributedCenter = &DistributedNotificationCenter::shared();
        dependencies.reportDownloadStatus = [this](qint64 id, int status) {
            reports.append({id, status});
            client->reportDownloadStatus(id, status);
        };
        dependencies.transferTimeoutMs = timeoutMs;
        return std::make_unique<DownloadManager>(dependencies);
    }

    // A record whose sign is that of `body`, served under `name`.
    VideoDetail serve(const QString& name, const QByteArray& body, int n = 1) {
        VideoDetail video = VideoDetailSamples::video(ProtocolTestServer::signOf(body), n);
        video.url = server.serveFile(name, body).toString();
        return video;
    }

    static ItemStatus statusOf(const DownloadManager& manager, qsizetype index) {
        return manager.progressArray().at(index)->status();
    }

    // The requests for served files (the download reports go elsewhere).
    QList<ProtocolTestServer::ReceivedRequest> fileRequests() const {
        QList<ProtocolTestServer::ReceivedRequest> found;
        for (const auto& request : server.requests())
            if (request.path.startsWith("/files/"))
                found.append(request);
        return found;
    }
    QStringList partials() const { return QDir(caches).entryList({"*.partial"}, QDir::Files); }
    qint64 partialBytes() const {
        qint64 held = 0;
        for (const QFileInfo& info : QDir(caches).entryInfoList({"*.partial"}, QDir::Files))
            held += info.size();
        return held;
    }
    // A failed download that must not be continued: no partial body, no resume data, nothing in
    // the library or its database, no slot held.
    void expectNothingKept(const DownloadManager& manager, const DownloadItem& item) {
        EXPECT_EQ(item.status(), ItemStatus::error);
        EXPECT_TRUE(partials().isEmpty());
        if (item.cacheURL()) {
            EXPECT_FALSE(ResumeData::decode(readFile(item.cacheURL()->toLocalFile())).has_value());
        }
        EXPECT_TRUE(libraryFiles().isEmpty());
        EXPECT_TRUE(QDir(manager.temporaryDirectory()).entryList(QDir::Files | QDir::Hidden).isEmpty());
        EXPECT_FALSE(database->selectBySign(item.videoInfo().sign).has_value());
        EXPECT_EQ(manager.runningCount(), 0);
        EXPECT_EQ(updates, 0);
    }
    QStringList libraryFiles() const { return QDir(library).entryList(QDir::Files | QDir::Hidden); }

    TestHome home;
    ProtocolTestServer server;
    QString caches;
    QString library;
    std::unique_ptr<LocalVideoDBManager> database;
    std::unique_ptr<UserDefaults> standard;
    std::unique_ptr<UserDefaults> suite;
    std::unique_ptr<WebModel> client;
    QList<QVariantMap> reloads;
    int updates = 0;
    QList<QPair<qint64, int>> reports;
    std::optional<Disposable> reloadToken;
    std::optional<Disposable> updateToken;
};
} // namespace

TEST_F(DownloadManagerTest, AVerifiedDownloadIsRecordedAnnouncedAndReported) {
    const QByteArray body = randomBody(200000, 1);
    const VideoDetail video = serve("v.mp4", body, 7);
    auto manager = makeManager();
    manager->add(video);
    ASSERT_EQ(reloads.size(), 1);
    EXPECT_EQ(reloads.front().value("sign").toString(), video.sign);
    EXPECT_TRUE(manager->contains(video.sign));
    EXPECT_FALSE(manager->contains(video.sign.toUpper()));

    ASSERT_TRUE(TestHome::waitUntil([&] { return manager->progressArray().isEmpty() && updates == 1; }));
    const QString file = library + "/" + video.sign + ".mp4";
    EXPECT_EQ(readFile(file), body);
    const auto row = database->selectBySign(video.sign);
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->url, QUrl::fromLocalFile(file).toString());
    EXPECT_TRUE(row->url.startsWith("file:///"));
    EXPECT_EQ(row->title, video.title);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports.front(), qMakePair(video.id, 1));
    ASSERT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("503").size() == 1; }));
    const QJsonObject report = server.requestsFor("503").front().object();
    EXPECT_EQ(report.value("vid").toInteger(), video.id);
    EXPECT_EQ(report.value("status").toInteger(), 1);
    EXPECT_EQ(report.value("ui").toString(), "TEST-INSTALLATION");
    ASSERT_EQ(reloads.size(), 2);
    EXPECT_TRUE(reloads.back().isEmpty());
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(libraryFiles(), QStringList({video.sign + ".mp4"}));
    EXPECT_TRUE(partials().isEmpty());
    // The store was rewritten without the finished item.
    manager->waitForStoreWrites();
    const auto stored = DownloadStore::unarchive(readFile(manager->storePath()));
    ASSERT_TRUE(stored.has_value());
    EXPECT_TRUE(stored->empty());
}

// A killed run leaves finished bodies that were waiting for their sign check; the next start removes
// them from the engine's own folder only. A video in the library is the user's, whatever its name.
TEST_F(DownloadManagerTest, LeftoversAreCleanedOnlyInTheEnginesOwnFolder) {
    const QString imported = library + "/.abcDEF1234.download";
    writeFile(imported, "an imported video");
    const QString temporary = caches + "/" + DownloadManager::temporaryFolderName;
    QDir().mkpath(temporary);
    const QString leftover = temporary + "/.zyxWVU9876.download";
    writeFile(leftover, "unchecked body");
    auto manager = makeManager();
    EXPECT_EQ(manager->temporaryDirectory(), temporary);
    EXPECT_EQ(readFile(imported), "an imported video");
    EXPECT_FALSE(QFileInfo::exists(leftover));

    // A download passes through that folder and leaves nothing there or beside the video.
    const VideoDetail video = serve("t.mp4", randomBody(50000, 9), 4);
    manager->add(video);
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager->progressArray().isEmpty() && updates == 1; }));
    EXPECT_EQ(libraryFiles(), QStringList({imported.section('/', -1), video.sign + ".mp4"}));
    EXPECT_TRUE(QDir(temporary).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// A user's file that happens to carry the video's name keeps its bytes; the download goes beside it
// under a name of its own, and its row says where. A second copy of a video already recorded goes.
TEST_F(DownloadManagerTest, ADownloadNeverReplacesAFileItDidNotMake) {
    const QByteArray body = randomBody(60000, 21);
    const VideoDetail video = serve("n.mp4", body, 6);
    const QString taken = library + "/" + video.sign + ".mp4";
    writeFile(taken, "the user's own video");
    VideoDetail users;
    users.sign = "users-own-sign";
    users.url = QUrl::fromLocalFile(taken).toString();
    ASSERT_TRUE(database->insert(users));

    auto manager = makeManager();
    manager->add(video);
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager->progressArray().isEmpty() && updates == 1; }));
    EXPECT_EQ(readFile(taken), "the user's own video");
    const auto row = database->selectBySign(video.sign);
    ASSERT_TRUE(row.has_value());
    const QString placed = QUrl(row->url).toLocalFile();
    EXPECT_NE(placed, taken);
    EXPECT_EQ(QFileInfo(placed).absolutePath(), library);
    EXPECT_TRUE(placed.endsWith(".mp4"));
    EXPECT_EQ(readFile(placed), body);
    EXPECT_EQ(libraryFiles().size(), 2);
    EXPECT_EQ(database->selectBySign("users-own-sign")->url, users.url);

    // The same video again, its file still in place: no second copy stays behind.
    manager->add(video);
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager->progressArray().isEmpty() && updates == 2; }));
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_EQ(libraryFiles().size(), 2);
    EXPECT_EQ(database->selectBySign(video.sign)->url, row->url);
    EXPECT_EQ(readFile(placed), body);
}

TEST_F(DownloadManagerTest, ALibraryFolderGoneSinceTheStartIsMadeAgain) {
    auto manager = makeManager();
    ASSERT_TRUE(QDir(library).removeRecursively());
    const VideoDetail video = serve("g.mp4", randomBody(30000, 11), 5);
    manager->add(video);
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager->progressArray().isEmpty() && updates == 1; }));
    EXPECT_EQ(libraryFiles(), QStringList({video.sign + ".mp4"}));
}

TEST_F(DownloadManagerTest, TwoTransfersAtOnceAndAPauseFreesItsSlotAtOnce) {
    server.setFileRate(400000);
    const QByteArray a = randomBody(300000, 11), b = randomBody(300000, 12), c = randomBody(300000, 13);
    auto manager = makeManager();
    manager->add(serve("a.mp4", a, 1));
    manager->add(serve("b.mp4", b, 2));
    manager->add(serve("c.mp4", c, 3));
    ASSERT_TRUE(TestHome::waitUntil([&] { return fileRequests().size() >= 2; }));
    TestHome::spin(std::chrono::milliseconds(200));
    EXPECT_EQ(fileRequests().size(), 2);
    EXPECT_EQ(manager->runningCount(), 2);
    EXPECT_EQ(statusOf(*manager, 0), ItemStatus::downloading);
    EXPECT_EQ(statusOf(*manager, 1), ItemStatus::downloading);
    EXPECT_EQ(statusOf(*manager, 2), ItemStatus::wait);

    const auto first = manager->progressArray().at(0);
    std::vector<std::pair<ItemStatus, ItemStatus>> changes;
    const auto closure = first->statusChanged();
    first->setStatusChanged([&, closure](ItemStatus o, ItemStatus n) {
        changes.emplace_back(o, n);
        closure(o, n);
    });
    first->pause();
    // The third starts before the cancelled transfer's response has even been handled.
    EXPECT_EQ(statusOf(*manager, 2), ItemStatus::downloading);
    EXPECT_FALSE(first->cacheURL().has_value());
    EXPECT_EQ(changes,
              (std::vector<std::pair<ItemStatus, ItemStatus>>{{ItemStatus::downloading, ItemStatus::pause}}));
    ASSERT_TRUE(TestHome::waitUntil([&] { return first->cacheURL().has_value(); }));
    EXPECT_EQ(first->status(), ItemStatus::pause); // a cancel asked for by the user stays a pause
    EXPECT_TRUE(reloads.back().isEmpty());
    const auto resume = ResumeData::decode(readFile(first->cacheURL()->toLocalFile()));
    ASSERT_TRUE(resume.has_value());
    EXPECT_GT(resume->bytes, 0);

    // Resumed: it waits for a slot, then continues from its partial body.
    manager->restart(0);
    EXPECT_EQ(first->status(), ItemStatus::wait);
    server.setFileRate(0);
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager->progressArray().isEmpty() && updates == 3; },
                                    std::chrono::seconds(20)));
    EXPECT_EQ(readFile(library + "/" + ProtocolTestServer::signOf(a) + ".mp4"), a);
    EXPECT_EQ(readFile(library + "/" + ProtocolTestServer::signOf(b) + ".mp4"), b);
    EXPECT_EQ(readFile(library + "/" + ProtocolTestServer::signOf(c) + ".mp4"), c);
    bool ranged = false;
    for (const auto& request : server.requests())
        ranged = ranged || request.header("Range") == "bytes=" + QByteArray::number(resume->bytes) + "-";
    EXPECT_TRUE(ranged);
    EXPECT_TRUE(partials().isEmpty());
    EXPECT_EQ(database->selectAll().size(), 3u);
    EXPECT_EQ(reports.size(), 3);
}

TEST_F(DownloadManagerTest, StoredDownloadsComeBackAfterARelaunchAndResume) {
    server.setFileRate(300000);
    const QByteArray a = randomBody(400000, 21), b = randomBody(400000, 22), c = randomBody(400000, 23);
    const VideoDetail va = serve("a.mp4", a, 1), vb = serve("b.mp4", b, 2), vc = serve("c.mp4", c, 3);
    {
        auto manager = makeManager();
        manager->add(va);
        manager->add(vb);
        manager->add(vc);
        const auto first = manager->progressArray().at(0);
        ASSERT_TRUE(TestHome::waitUntil([&] { return first->request() && fileRequests().size() >= 2; }));
        TestHome::spin(std::chrono::milliseconds(300));
        first->pause(); // paused before quitting; the third starts in its place
        ASSERT_TRUE(TestHome::waitUntil([&] { return first->cacheURL().has_value(); }));
        TestHome::spin(std::chrono::milliseconds(200));
        manager->cancelAll(); // quitting: the running ones keep resume data, the store is written
        EXPECT_TRUE(manager->progressArray().at(1)->cacheURL().has_value());
        EXPECT_TRUE(manager->progressArray().at(2)->cacheURL().has_value());
    }
    const auto stored = DownloadStore::unarchive(readFile(caches + "/downloadInfo.bat"));
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->size(), 3u);
    EXPECT_EQ(stored->at(0).videoInfo.sign, va.sign);
    EXPECT_EQ(stored->at(0).videoInfo.url, va.url);
    EXPECT_TRUE(stored->at(0).cacheURL.has_value());
    const auto resumeA = ResumeData::decode(readFile(stored->at(0).cacheURL->toLocalFile()));
    ASSERT_TRUE(resumeA.has_value());
    EXPECT_EQ(readFile(resumeA->partialPath), a.left(resumeA->bytes));

    server.clearRequests();
    auto relaunched = makeManager();
    ASSERT_EQ(relaunched->progressArray().size(), 3);
    for (const auto& item : relaunched->progressArray())
        EXPECT_EQ(item->status(), ItemStatus::wait);
    ASSERT_TRUE(TestHome::waitUntil([&] { return fileRequests().size() >= 2; }));
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_EQ(relaunched->runningCount(), 2);
    EXPECT_EQ(statusOf(*relaunched, 2), ItemStatus::wait);
    EXPECT_EQ(fileRequests().at(0).header("Range"), "bytes=" + QByteArray::number(resumeA->bytes) + "-");
    server.setFileRate(0);
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return relaunched->progressArray().isEmpty(); }, std::chrono::seconds(20)));
    EXPECT_EQ(readFile(library + "/" + va.sign + ".mp4"), a);
    EXPECT_EQ(readFile(library + "/" + vb.sign + ".mp4"), b);
    EXPECT_EQ(readFile(library + "/" + vc.sign + ".mp4"), c);
    EXPECT_TRUE(partials().isEmpty());
}

TEST_F(DownloadManagerTest, AStoreThatIsNoKeyedArchiveGivesAnEmptyListAndIsOverwritten) {
    writeFile(caches + "/downloadInfo.bat", "bplist00 this is not what we wrote");
    auto manager = makeManager();
    EXPECT_TRUE(manager->progressArray().isEmpty());
    server.setFailure(ProtocolTestServer::Failure::stall);
    const VideoDetail video = serve("s.mp4", "body");
    manager->add(video);
    manager->waitForStoreWrites();
    const auto stored = DownloadStore::unarchive(readFile(manager->storePath()));
    ASSERT_TRUE(stored.has_value());
    ASSERT_EQ(stored->size(), 1u);
    EXPECT_EQ(stored->front().videoInfo.sign, video.sign);
    EXPECT_EQ(stored->front().videoInfo.description, video.description);
    EXPECT_FALSE(stored->front().cacheURL.has_value());
}

TEST_F(DownloadManagerTest, ASignMismatchDeletesOnlyTheNewBodyAndTellsNobody) {
    const QByteArray good = randomBody(50000, 31);
    VideoDetail video = serve("m.mp4", randomBody(50000, 32));
    video.sign = ProtocolTestServer::signOf(good);
    const QString existing = library + "/" + video.sign + ".mp4";
    writeFile(existing, good);
    auto manager = makeManager();
    manager->add(video);
    const auto item = manager->progressArray().front();
    ASSERT_TRUE(TestHome::waitUntil([&] { return item->status() == ItemStatus::error; }));
    TestHome::spin(std::chrono::milliseconds(200));
    EXPECT_EQ(readFile(existing), good);
    EXPECT_EQ(libraryFiles(), QStringList({video.sign + ".mp4"}));
    EXPECT_EQ(reloads.size(), 1); // only the add's
    EXPECT_EQ(updates, 0);
    EXPECT_TRUE(reports.isEmpty());
    EXPECT_FALSE(database->selectBySign(video.sign).has_value());
    EXPECT_EQ(manager->progressArray().size(), 1);
    EXPECT_EQ(manager->runningCount(), 0);

    // The server's error page arrives whole and fails the same check.
    server.setFailure(ProtocolTestServer::Failure::serverError, "m.mp4");
    manager->restart(0);
    ASSERT_TRUE(TestHome::waitUntil(
        [&] { return fileRequests().size() == 2 && item->status() == ItemStatus::error; }));
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_EQ(readFile(existing), good);
    EXPECT_EQ(libraryFiles().size(), 1);
}

TEST_F(DownloadManagerTest, NetworkFailuresEndInErrorKeepResumeDataAndCanBeRestarted) {
    const QByteArray body = randomBody(200000, 41);
    const VideoDetail video = serve("n.mp4", body);
    server.setFailure(ProtocolTestServer::Failure::dropMidBody, "n.mp4");
    server.setDropAfter(80000);
    auto manager = makeManager(400);
    manager->add(video);
    const auto item = manager->progressArray().front();
    ASSERT_TRUE(TestHome::waitUntil([&] { return item->status() == ItemStatus::error; }));
    EXPECT_EQ(item->lastStatus(), ItemStatus::downloading);
    ASSERT_TRUE(item->cacheURL().has_value());
    EXPECT_EQ(reloads.size(), 2);
    manager->waitForStoreWrites();
    const auto stored = DownloadStore::unarchive(readFile(manager->storePath()));
    ASSERT_TRUE(stored && stored->size() == 1 && stored->front().cacheURL == item->cacheURL());

    server.resetSwitches();
    manager->restart(0);
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager->progressArray().isEmpty(); }));
    EXPECT_EQ(readFile(library + "/" + video.sign + ".mp4"), body);
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_TRUE(partials().isEmpty());

    // A server that stalls past the inactivity time-out fails the transfer the same way.
    server.setFailure(ProtocolTestServer::Failure::stall, "t.mp4");
    manager->add(serve("t.mp4", body.left(1000), 2));
    const auto stalled = manager->progressArray().front();
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return stalled->status() == ItemStatus::error; }, std::chrono::seconds(5)));
    EXPECT_TRUE(stalled->cacheURL().has_value());
    EXPECT_EQ(manager->runningCount(), 0);
    EXPECT_TRUE(partials().isEmpty());
}

TEST_F(DownloadManagerTest, ResumeDataThatCannotBeKeptEndsInErrorAndFreesTheSlot) {
    const VideoDetail video = serve("r.mp4", randomBody(100000, 71));
    server.setFailure(ProtocolTestServer::Failure::dropMidBody, "r.mp4");
    server.setDropAfter(60000);
    server.setFileRate(100000);
    auto manager = makeManager();
    manager->add(video);
    const auto item = manager->progressArray().front();
    ASSERT_TRUE(TestHome::waitUntil([&] { return fileRequests().size() == 1; }));
    QDir(caches).removeRecursively(); // nowhere left to keep the resume data
    ASSERT_TRUE(TestHome::waitUntil([&] { return item->status() == ItemStatus::error; }));
    EXPECT_FALSE(item->cacheURL().has_value());
    EXPECT_EQ(manager->runningCount(), 0);
    EXPECT_EQ(reloads.size(), 2);
    EXPECT_TRUE(reloads.back().isEmpty());
}

TEST_F(DownloadManagerTest, UnsafeSignsAndAddressesNeverTouchTheDiskAndFreeTheirSlot) {
    // Folders two levels inside the test home, so that a sign climbing two levels out of either
    // would land in the home, where nothing but this test can have made an "x".
    const QString nest = home.file("nest");
    caches = nest + "/Caches";
    library = nest + "/DownloadVideo";
    QDir().mkpath(caches);
    QDir().mkpath(library);
    VideoDetail escaping = VideoDetailSamples::video(1);
    escaping.sign = "../../x";
    escaping.url = server.serveFile("x.mp4", "x").toString();
    VideoDetail local = VideoDetailSamples::video(2);
    local.url = "file:///etc/passwd";
    const QByteArray body = randomBody(1000, 51);
    const VideoDetail fine = serve("ok.mp4", body, 3);
    auto manager = makeManager();
    manager->add(escaping);
    manager->add(local);
    manager->add(fine);
    EXPECT_EQ(statusOf(*manager, 0), ItemStatus::error);
    EXPECT_EQ(statusOf(*manager, 1), ItemStatus::error);
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager->progressArray().size() == 2; }));
    EXPECT_EQ(fileRequests().size(), 1);
    EXPECT_EQ(libraryFiles(), QStringList({fine.sign + ".mp4"}));
    for (const QString& folder : {home.path(), nest, caches, library})
        EXPECT_EQ(QDir(folder).entryList({"x*"}, QDir::AllEntries | QDir::Hidden), QStringList())
            << folder.toStdString();
}

TEST_F(DownloadManagerTest, AQuickPauseAndResumeIgnoresTheOldResponse) {
    server.setFileRate(200000);
    const QByteArray body = randomBody(150000, 61);
    auto manager = makeManager();
    manager->add(serve("q.mp4", body));
    const auto item = manager->progressArray().front();
    ASSERT_TRUE(TestHome::waitUntil(
        [&] { return item->status() == ItemStatus::downloading && fileRequests().size() == 1; }));
    item->pause();
    manager->restart(0); // before the cancelled response has been handled
    EXPECT_EQ(item->status(), ItemStatus::downloading);
    TestHome::spin(std::chrono::milliseconds(200));
    EXPECT_EQ(item->status(), ItemStatus::downloading);
    EXPECT_FALSE(item->cacheURL().has_value());
    server.setFileRate(0);
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager->progressArray().isEmpty(); }));
    EXPECT_EQ(readFile(library + "/" + ProtocolTestServer::signOf(body) + ".mp4"), body);
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_TRUE(partials().isEmpty());
}

TEST_F(DownloadManagerTest, ListOperationsAtTheirEdges) {
    server.setFailure(ProtocolTestServer::Failure::stall);
    auto manager = makeManager();
    manager->cancelAll(); // nothing to cancel
    manager->restart(0);  // out of range
    manager->add(serve("e.mp4", "e"));
    manager->add(serve("f.mp4", "f", 2));
    manager->add(serve("g.mp4", "g", 3));
    manager->waitForStoreWrites();
    const QByteArray before = readFile(manager->storePath());
    manager->restart(3);
    DownloadItem stranger(VideoDetailSamples::video(9), std::nullopt, {});
    manager->remove(&stranger);
    manager->waitForStoreWrites();
    EXPECT_EQ(readFile(manager->storePath()), before);
    EXPECT_EQ(manager->progressArray().size(), 3);

    // A waiting item paused before its turn never starts; removing a running one frees its slot.
    const auto third = manager->progressArray().at(2);
    third->pause();
    EXPECT_EQ(third->status(), ItemStatus::pause);
    manager->remove(manager->progressArray().at(0).get());
    EXPECT_EQ(manager->runningCount(), 1);
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_EQ(third->status(), ItemStatus::pause);
    manager->waitForStoreWrites();
    EXPECT_EQ(DownloadStore::unarchive(readFile(manager->storePath()))->size(), 2u);

    // Restarting a running item keeps it to one slot.
    manager->add(serve("h.mp4", "h", 4));
    EXPECT_EQ(manager->runningCount(), 2);
    manager->restart(0);
    manager->progressArray().at(2)->pause(); // h makes room; the restarted item takes it
    EXPECT_EQ(statusOf(*manager, 0), ItemStatus::downloading);
    EXPECT_EQ(manager->runningCount(), 1);
}

TEST_F(DownloadManagerTest, ADownloadPastItsRecordedSizeEndsInErrorAndKeepsNothing) {
    const QByteArray body = randomBody(200000, 81);
    VideoDetail video = serve("big.mp4", body);
    video.size = body.size();
    constexpr qint64 extra = 64 * 1024 * 1024;
    server.setOverrun(ProtocolTestServer::Overrun::announced, extra, "big.mp4");
    auto manager = makeManager();
    manager->add(video);
    const auto item = manager->progressArray().front();
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return item->status() == ItemStatus::error; }, std::chrono::seconds(60)));
    EXPECT_EQ(item->lastStatus(), ItemStatus::downloading);
    EXPECT_EQ(reloads.size(), 2);
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_LT(server.overrunBytesSent(), body.size() + extra / 2);
    expectNothingKept(*manager, *item);

    // Without a length, and without end: the same.
    server.setOverrun(ProtocolTestServer::Overrun::endless, 0, "big.mp4");
    manager->restart(0);
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return fileRequests().size() == 2 && item->status() == ItemStatus::error; },
                            std::chrono::seconds(60)));
    TestHome::spin(std::chrono::milliseconds(100));
    expectNothingKept(*manager, *item);

    // Within its size it downloads, is checked and lands as ever.
    server.resetSwitches();
    manager->restart(0);
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager->progressArray().isEmpty() && updates == 1; }));
    EXPECT_EQ(readFile(library + "/" + video.sign + ".mp4"), body);
    EXPECT_TRUE(partials().isEmpty());
}

TEST_F(DownloadManagerTest, AResumedDownloadCountsItsPartTowardTheRecordedSize) {
    server.setFileRate(200000);
    const QByteArray body = randomBody(400000, 91);
    VideoDetail video = serve("p.mp4", body);
    video.size = body.size();
    auto manager = makeManager();
    manager->add(video);
    const auto item = manager->progressArray().front();
    ASSERT_TRUE(TestHome::waitUntil([&] { return partialBytes() > 20000; }));
    item->pause();
    ASSERT_TRUE(TestHome::waitUntil([&] { return item->cacheURL().has_value(); }));
    const auto resume = ResumeData::decode(readFile(item->cacheURL()->toLocalFile()));
    ASSERT_TRUE(resume.has_value());
    ASSERT_GT(resume->bytes, 0);

    // The rest of the file and as many zeros as the part held: within the size only if that part
    // were not counted.
    server.setFileRate(0);
    server.setOverrun(ProtocolTestServer::Overrun::unannounced, resume->bytes, "p.mp4");
    manager->restart(0);
    ASSERT_TRUE(TestHome::waitUntil(
        [&] { return fileRequests().size() == 2 && item->status() == ItemStatus::error; }));
    EXPECT_EQ(fileRequests().constLast().header("Range"), "bytes=" + QByteArray::number(resume->bytes) + "-");
    EXPECT_FALSE(QFileInfo::exists(resume->partialPath));
    expectNothingKept(*manager, *item);
    manager->waitForStoreWrites();
    const auto stored = DownloadStore::unarchive(readFile(manager->storePath()));
    ASSERT_TRUE(stored && stored->size() == 1);
    EXPECT_EQ(stored->front().cacheURL, item->cacheURL());
}

TEST_F(DownloadManagerTest, WithoutASizeAnywhereTheFreeSpaceReserveEndsTheDownload) {
    // A small disk: 4 MiB free before any download, 3 MiB of it kept in reserve.
    QStringList measured;
    qint64 mostHeld = 0;
    const auto manager = [&] {
        DownloadManager::Dependencies dependencies;
        dependencies.cachesDirectory = caches;
        dependencies.libraryDirectory = library;
        dependencies.database = database.get();
        dependencies.distributedCenter = &DistributedNotificationCenter::shared();
        dependencies.freeSpaceReserve = 3 * 1024 * 1024;
        dependencies.freeSpace = [&](const QString& path) {
            measured.append(path);
            mostHeld = std::max(mostHeld, partialBytes());
            return 4 * 1024 * 1024 - partialBytes();
        };
        return std::make_unique<DownloadManager>(dependencies);
    }();
    const QByteArray body = randomBody(300000, 95);
    VideoDetail video = serve("z.mp4", body);
    video.size = 0;
    server.setOverrun(ProtocolTestServer::Overrun::endless, 0, "z.mp4");
    manager->add(video);
    const auto item = manager->progressArray().front();
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return item->status() == ItemStatus::error; }, std::chrono::seconds(60)));
    expectNothingKept(*manager, *item);
    // It wrote up to the reserve it was given, not the default one.
    EXPECT_GT(mostHeld, 0);
    EXPECT_LE(mostHeld, 1024 * 1024);
    for (const QString& path : std::as_const(measured))
        EXPECT_EQ(QFileInfo(path).absolutePath(), QDir(caches).absolutePath());

    // Continued from resume data, the file changed meanwhile: the whole body comes again without a
    // length, and the same reserve ends it.
    server.resetSwitches();
    server.setFileRate(100000);
    manager->restart(0);
    ASSERT_TRUE(TestHome::waitUntil([&] { return partialBytes() > 10000; }));
    item->pause();
    ASSERT_TRUE(TestHome::waitUntil(
        [&] { return item->cacheURL() && ResumeData::decode(readFile(item->cacheURL()->toLocalFile())); }));
    server.setFileRate(0);
    server.serveFile("z.mp4", randomBody(300000, 96));
    server.setOverrun(ProtocolTestServer::Overrun::endless, 0, "z.mp4");
    measured.clear();
    mostHeld = 0;
    manager->restart(0);
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return fileRequests().size() == 3 && item->status() == ItemStatus::error; },
                            std::chrono::seconds(60)));
    EXPECT_FALSE(fileRequests().constLast().header("Range").isEmpty());
    expectNothingKept(*manager, *item);
    EXPECT_FALSE(measured.isEmpty());
    EXPECT_GT(mostHeld, 0);
}

TEST(DownloadItem, FileNamesAndAddresses) {
    DownloadItem::Context context;
    context.libraryDirectory = "/lib";
    VideoDetail video = VideoDetailSamples::video(1);
    video.url = "http://127.0.0.1/a/clip.mov";
    EXPECT_EQ(DownloadItem(video, std::nullopt, context).cacheFileURL(), "/lib/" + video.sign + ".mov");
    video.url = "http://127.0.0.1/a/clip.MOV";
    EXPECT_EQ(DownloadItem(video, std::nullopt, context).cacheFileURL(), "/lib/" + video.sign + ".mp4");
    video.url = "http://127.0.0.1/a/clip";
    EXPECT_EQ(DownloadItem(video, std::nullopt, context).cacheFileURL(), "/lib/" + video.sign + ".mp4");
    video.url = "http://127.0.0.1/a b/clip.mp4";
    EXPECT_EQ(DownloadItem(video, std::nullopt, context).videoURL()->toString(QUrl::FullyEncoded),
              "http://127.0.0.1/a%20b/clip.mp4");
    video.url = "ftp://127.0.0.1/x";
    EXPECT_FALSE(DownloadItem(video, std::nullopt, context).videoURL().has_value());
    video.sign = video.sign.toUpper();
    EXPECT_FALSE(DownloadItem(video, std::nullopt, context).cacheFileURL().has_value());
    EXPECT_FALSE(DownloadItem::isSafeSign("0123456789abcdef0123456789abcde/"));
    EXPECT_TRUE(DownloadItem::isSafeSign("0123456789abcdef0123456789abcdef"));
}

TEST(DownloadStore, KeepsEveryFieldAndTheResumeFileInOrder) {
    std::vector<DownloadStore> entries{
        {VideoDetailSamples::video(1), QUrl::fromLocalFile("/c/a b/AbCdEfGhIj")},
        {VideoDetailSamples::video(2), std::nullopt}};
    entries[1].videoInfo.title = "ünïcode & <markup>";
    const QByteArray bytes = DownloadStore::archive(entries);
    const auto back = DownloadStore::unarchive(bytes);
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(back->size(), 2u);
    EXPECT_EQ(back->at(0).videoInfo, entries[0].videoInfo);
    EXPECT_EQ(back->at(0).cacheURL, entries[0].cacheURL);
    EXPECT_EQ(back->at(1).videoInfo, entries[1].videoInfo);
    EXPECT_FALSE(back->at(1).cacheURL.has_value());

    // The URL form with a base resolves against it.
    QVariantMap withBase{
        {"videoInfo", DownloadStore::videoInfoToPropertyList(entries[0].videoInfo)},
        {"cacheURL", QVariantMap{{"relative", QString("AbCdEfGhIj")},
                                 {"base", QVariantMap{{"relative", QString("file:///c/d/")}}}}}};
    const auto based =
        DownloadStore::unarchive(KeyedArchive::archiveRootData(PropertyList::toXml(QVariantList{withBase})));
    ASSERT_TRUE(based.has_value());
    EXPECT_EQ(based->front().cacheURL, QUrl("file:///c/d/AbCdEfGhIj"));

    // One malformed entry (a field of the wrong type, or missing) makes the whole store unreadable.
    QVariantMap broken = DownloadStore::videoInfoToPropertyList(entries[0].videoInfo);
    broken["size"] = QString("12");
    EXPECT_FALSE(DownloadStore::unarchive(KeyedArchive::archiveRootData(PropertyList::toXml(
                                              QVariantList{withBase, QVariantMap{{"videoInfo", broken}}})))
                     .has_value());
    broken.remove("size");
    EXPECT_FALSE(DownloadStore::unarchive(KeyedArchive::archiveRootData(PropertyList::toXml(
                                              QVariantList{QVariantMap{{"videoInfo", broken}}})))
                     .has_value());
}
