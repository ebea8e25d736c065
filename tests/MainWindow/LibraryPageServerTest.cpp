#include "ButtonWithColorfulLink.h"
#include "ButtonWithHoverBackGround.h"
#include "CollectionViewLayout.h"
#include "DownloadManager.h"
#include "ImageLoader.h"
#include "ImportFixtures.h"
#include "LibraryViewModels.h"
#include "LocalLibraryModel.h"
#include "LocalVideoDBManager.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "ProtocolTestServer.h"
#include "TabTitleView.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "VideoLibraryViewController.h"
#include "WebModel.h"
#include "ZFCollectionView.h"

#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Real imports and server round trips on a loaded machine.
constexpr std::chrono::seconds kPatience(20);

// The whole page over a real library (the generated sample videos imported for real), the real
// server client and the protocol test server.
TEST(LibraryPage, RunsAgainstTheServerWithARealLibrary) {
    TestHome home;
    qputenv("ZERAFIN_RESOURCES", QByteArray(ZERAFIN_BINARY_DIR) + "/resources");
    ProtocolTestServer server;
    ASSERT_TRUE(server.start());
    for (int i = 0; i < 25; ++i)
        server.addVideo(ProtocolTestServer::videoRecord(ProtocolTestServer::signOf(QByteArray::number(i)),
                                                        QStringLiteral("Clip %1").arg(i)));
    server.setHotTags({"calm", "city", "sea"});
    server.setCategories(QJsonArray{QJsonObject{{"id", 4}, {"title", "Space"}}});
    QJsonObject heartbeat = ProtocolTestServer::defaultHeartbeatData();
    QJsonObject msg = heartbeat["msg"].toObject();
    msg["msg_bottom"] = QJsonObject{{"msgid", 5},
                                    {"msg", "What's new"},
                                    {"url", "https://news.example/"},
                                    {"color", "#FF8000"},
                                    {"back", 0}};
    heartbeat["msg"] = msg;
    server.setHeartbeatData(heartbeat);

    UserDefaults standard(home.file("standard.ini"));
    UserDefaults suite(home.file("suite.ini"));
    suite.setString("PAGE-TEST", "uuid");
    Preferences preferences(suite);
    NotificationCenter notifications;
    WebModel::Options options;
    options.baseURL = server.baseUrl();
    options.standardDefaults = &standard;
    options.suite = &suite;
    options.notifications = &notifications;
    options.scheduleRefreshes = false;
    WebModel webModel(options);
    LocalVideoDBManager database(home.file("Corvex.db"));
    QDir().mkpath(home.file("library"));
    QDir().mkpath(home.file("thumbnails"));
    QDir().mkpath(home.file("caches"));
    LocalLibraryModel importer(database, {}, home.file("library"), home.file("thumbnails"));
    DownloadManager downloads(DownloadManager::Dependencies{home.file("caches"),
                                                            home.file("library"),
                                                            &database,
                                                            &notifications,
                                                            nullptr,
                                                            [](qint64, int) {},
                                                            {},
                                                            10000});
    ImageLoader::Options imageOptions;
    imageOptions.ownFolders = {home.file("thumbnails")};
    ImageLoader images(imageOptions);
    LibraryViewModels lists(
        WebLibraryViewModel::Dependencies{&webModel, &database, &downloads, &preferences, nullptr, &images,
                                          &notifications},
        LocalLibraryViewModel::Dependencies{&database, &preferences, &importer, home.file("library"), nullptr,
                                            nullptr, nullptr, nullptr, nullptr, &images, &notifications},
        DownloadViewModel::Dependencies{&downloads, &images, &notifications});

    VideoLibraryViewController::Dependencies deps;
    deps.preferences = &preferences;
    deps.webModel = &webModel;
    deps.database = &database;
    deps.downloads = &downloads;
    deps.notifications = &notifications;
    deps.lists = &lists;
    VideoLibraryViewController page(deps);
    page.resize(1200, 700);

    // First run: the six samples, then the flag, the last row's sign, the player.
    std::vector<std::string> order;
    std::vector<Disposable> tokens;
    tokens.push_back(observe(&preferences, &Preferences::alreadyImportVideoChanged, &preferences,
                             [&](bool) { order.push_back("imported"); }));
    tokens.push_back(observe(
        &preferences, &Preferences::playingVideoSignChanged, &preferences,
        [&](const std::optional<QString>& sign) { order.push_back(sign.value_or("").toStdString()); }));
    tokens.push_back(observe(&preferences, &Preferences::isOpenPlayerChanged, &preferences,
                             [&](bool on) { order.push_back(on ? "on" : "off"); }));
    page.show();
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return preferences.alreadyImportVideo(); }, std::chrono::seconds(60)));
    const std::vector<VideoDetail> rows = database.selectAll();
    ASSERT_EQ(rows.size(), 6u) << "six samples with six different signs";
    EXPECT_EQ(order, (std::vector<std::string>{"imported", rows.back().sign.toStdString(), "on"}));
    EXPECT_TRUE(page.localTab()->highlight());
    ASSERT_TRUE(TestHome::waitUntil([&] { return page.pageStatus()->text() == "6/6"; }, kPatience));

    // The detail pane shows the first sample as the import recorded it.
    ASSERT_TRUE(TestHome::waitUntil([&] { return page.detailView()->videoDetail().has_value(); }, kPatience));
    VideoDetailView* pane = page.detailView();
    EXPECT_EQ(pane->downloadButton()->text(), "Set as Wallpaper");
    EXPECT_EQ(pane->downloadButton()->normalColor(), QColor(52, 155, 255));
    EXPECT_EQ(pane->durationLabel()->text(), "00:00:10");
    EXPECT_EQ(pane->dimensionsLabel()->text(), QString::fromUtf8("1920×1080(16:9)"));
    EXPECT_EQ(pane->audioLabel()->text(), "NO");
    EXPECT_EQ(pane->requirementLabel()->text(), "Normal Performance");

    // Online tab: its first page.
    QTest::mouseClick(page.onlineTab(), Qt::LeftButton, {}, QPoint(4, 4));
    ASSERT_TRUE(TestHome::waitUntil([&] { return page.pageStatus()->text() == "20/25"; }, kPatience));
    EXPECT_EQ(page.collectionView()->numberOfItems(), 20);
    EXPECT_TRUE(page.onlineTab()->highlight());
    EXPECT_EQ(page.columnLayout()->footerHeight(), 30.0);
    ASSERT_TRUE(TestHome::waitUntil([&] { return pane->downloadButton()->text() == "Download"; }, kPatience));

    // Download tab: the list layout, no page status.
    QTest::mouseClick(page.downloadTab(), Qt::LeftButton);
    EXPECT_EQ(page.collectionView()->collectionViewLayout()->itemRect(0, 800).height(), 63.5);
    EXPECT_TRUE(page.pageStatus()->isHidden());
    EXPECT_TRUE(page.downloadTab()->highlight());
    EXPECT_FALSE(page.onlineTab()->highlight());

    // A category from the menu, then a new sort order: both ask for their first page.
    server.clearRequests();
    page.categoryButtonAction();
    ASSERT_TRUE(TestHome::waitUntil(
        [&] { return page.categoryMenuShown() && !page.categoryMenuShown()->actions().isEmpty(); }));
    page.categoryMenuShown()->actions().first()->trigger();
    page.categoryMenuShown()->close();
    EXPECT_EQ(page.onlineTabTitle()->text(), "Space");
    ASSERT_TRUE(TestHome::waitUntil([&] { return !server.requestsFor("502").isEmpty(); }, kPatience));
    QJsonObject query = server.requestsFor("502").last().object();
    EXPECT_EQ(query["cate"].toInt(), 4);
    EXPECT_EQ(query["page"].toInt(), 1);

    webModel.setLatestRequest(VideoListRequest{"PAGE-TEST", 4, 3, "", 1, ""});
    server.clearRequests();
    page.sortButton()->setCurrentIndex(1);
    emit page.sortButton()->activated(1);
    const auto sortedRequest = [&]() -> std::optional<QJsonObject> {
        for (const auto& request : server.requestsFor("502"))
            if (request.object()["sort"].toInt() == 2)
                return request.object();
        return std::nullopt;
    };
    ASSERT_TRUE(TestHome::waitUntil([&] { return sortedRequest().has_value(); }, kPatience));
    query = *sortedRequest();
    EXPECT_EQ(query["sort"].toInt(), 2);
    EXPECT_EQ(query["page"].toInt(), 1);
    EXPECT_EQ(query["cate"].toInt(), 4);

    // A hot tag searches for its word.
    ASSERT_TRUE(TestHome::waitUntil([&] { return page.hotTagButtons().size() == 3; }, kPatience));
    server.clearRequests();
    QTest::mouseClick(page.hotTagButtons().first(), Qt::LeftButton);
    ASSERT_TRUE(TestHome::waitUntil([&] { return !server.requestsFor("502").isEmpty(); }, kPatience));
    EXPECT_EQ(server.requestsFor("502").last().object()["keywords"].toString(),
              QString("sea").toUtf8().toBase64());

    // The news link in the heartbeat's colour.
    webModel.sendHeartbeat(WebModel::HeartBeatType::Boot, "1000");
    ASSERT_TRUE(TestHome::waitUntil([&] { return !page.newsLinkButton()->isHidden(); }, kPatience));
    EXPECT_EQ(page.newsLinkButton()->titleColor(), QColor(255, 128, 0));
    EXPECT_EQ(page.newsLinkButton()->text(), "What's new");

    // A drop of a.MP4 and b.txt on the local tab imports the one video.
    QTest::mouseClick(page.localTab(), Qt::LeftButton);
    const QString clip = ImportFixtures::clip(home.file("a.MP4"), 320, 180, 1.0, 7);
    ASSERT_FALSE(clip.isEmpty());
    QFile text(home.file("b.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("notes");
    text.close();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(clip), QUrl::fromLocalFile(home.file("b.txt"))});
    QWidget* viewport = page.collectionView()->viewport();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return database.selectAll().size() == 7u; }, std::chrono::seconds(30)));
    TestHome::spin(std::chrono::milliseconds(300));
    EXPECT_EQ(database.selectAll().size(), 7u) << "b.txt is not imported";
    ASSERT_TRUE(TestHome::waitUntil([&] { return page.pageStatus()->text() == "7/7"; }, kPatience));
    qunsetenv("ZERAFIN_RESOURCES");
}

} // namespace
