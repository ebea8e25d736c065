#include "WebLibraryViewModel.h"

#include "AppImage.h"
#include "DownloadManager.h"
#include "Envelope.h"
#include "ListModelTestSupport.h"
#include "LocalVideoDBManager.h"
#include "Preferences.h"
#include "ProtocolTestServer.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "VideoItemImageView.h"
#include "WebLibraryRefreshSubView.h"
#include "WebModel.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QJsonObject>
#include <QLabel>

using namespace std::chrono_literals;

namespace {
QString sign(int i) {
    return QStringLiteral("%1").arg(i, 32, 10, QLatin1Char('0'));
}

QList<QJsonObject> catalogue(int count, const QString& prefix = "video") {
    QList<QJsonObject> videos;
    for (int i = 0; i < count; ++i)
        videos << ProtocolTestServer::videoRecord(sign(i + (prefix == "video" ? 0 : 1000)),
                                                  prefix + QString::number(i));
    return videos;
}
} // namespace

class WebLibraryViewModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        server.setPageSize(20);
        server.setVideos(catalogue(135));
        standard = std::make_unique<UserDefaults>(home.file("standard.ini"));
        suite = std::make_unique<UserDefaults>(home.file("suite.ini"));
        suite->setString("TEST-INSTALLATION", "uuid");
        web = makeWebModel(server.baseUrl());
        database = std::make_unique<LocalVideoDBManager>(home.file("Corvex.db"));
        DownloadManager::Dependencies downloadDeps;
        downloadDeps.cachesDirectory = home.file("caches");
        downloadDeps.libraryDirectory = home.file("library");
        downloadDeps.database = database.get();
        downloadDeps.reportDownloadStatus = [](qint64, int) {};
        downloads = std::make_unique<DownloadManager>(downloadDeps);
        preferences = std::make_unique<Preferences>(*suite);
        ImageLoader::Options imageOptions;
        imageOptions.network = &network;
        imageOptions.diskCacheDirectory = home.file("images");
        images = std::make_unique<ImageLoader>(imageOptions);
        model = makeModel();
    }

    std::unique_ptr<WebModel> makeWebModel(const QUrl& base) {
        WebModel::Options options;
        options.baseURL = base;
        options.standardDefaults = standard.get();
        options.suite = suite.get();
        options.notifications = &notifications;
        options.scheduleRefreshes = false;
        return std::make_unique<WebModel>(options);
    }

    std::unique_ptr<WebLibraryViewModel> makeModel() {
        WebLibraryViewModel::Dependencies deps;
        deps.webModel = web.get();
        deps.database = database.get();
        deps.downloads = downloads.get();
        deps.preferences = preferences.get();
        deps.menus = &menus;
        deps.images = images.get();
        deps.notifications = &notifications;
        auto made = std::make_unique<WebLibraryViewModel>(deps);
        made->videoDetailDidChanged = [this](const std::optional<VideoDetail>& video) {
            reported.append(video);
        };
        made->bind(rig.collectionView);
        return made;
    }

    int listSize() const { return model->videoList() ? int(model->videoList()->size()) : -1; }
    // What the state view says around its refresh link.
    QString subtitles() const {
        WebLibraryRefreshSubView* view = model->refreshSubView();
        return view->leftSubTitle()->text() + " refresh " + view->rightSubTitle()->text();
    }

    // Loads the first page and waits for it to be shown.
    void loadFirstPage() {
        model->loadData();
        ASSERT_TRUE(TestHome::waitUntil([&] { return model->loadStatus() != LoadStatus::loading; }));
        TestHome::spin(50ms);
    }

    // Scrolls to the end of the content and reports the end of the scroll.
    void scrollToEnd() {
        CollectionView* view = rig.collectionView;
        view->setContentOffset(
            QPointF(0, std::max<qreal>(0, view->contentSize().height() - view->bounds().height())));
        model->collectionViewDidEndScrolling(view, false);
    }

    bool waitIdle() {
        const bool idle = TestHome::waitUntil([&] { return model->loadStatus() != LoadStatus::loading; });
        TestHome::spin(30ms);
        return idle;
    }

    QList<QJsonObject> listRequests() const {
        QList<QJsonObject> out;
        for (const auto& request : server.requestsFor("502"))
            out << request.object();
        return out;
    }

    TestHome home;
    ProtocolTestServer server;
    QNetworkAccessManager network;
    NotificationCenter notifications;
    FakeMenuPresenter menus;
    GridRig rig;
    std::unique_ptr<UserDefaults> standard;
    std::unique_ptr<UserDefaults> suite;
    std::unique_ptr<WebModel> web;
    std::unique_ptr<LocalVideoDBManager> database;
    std::unique_ptr<DownloadManager> downloads;
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<ImageLoader> images;
    std::unique_ptr<WebLibraryViewModel> model;
    QList<std::optional<VideoDetail>> reported;
};

TEST_F(WebLibraryViewModelTest, CatalogueGrowsPageByPageUntilEverythingIsShown) {
    loadFirstPage();
    EXPECT_EQ(listSize(), 20);
    EXPECT_EQ(model->totalVideoCount(), 135);
    EXPECT_EQ(model->loadStatus(), LoadStatus::none);
    EXPECT_EQ(model->footerText(), QString());
    ASSERT_FALSE(reported.isEmpty());
    EXPECT_EQ(reported.last()->sign, sign(0)) << "item 0 is selected and reported";

    for (int page = 2; page <= 7; ++page) {
        scrollToEnd();
        EXPECT_EQ(model->loadStatus(), LoadStatus::loading);
        EXPECT_EQ(model->footerText(), "Loading more videos ...");
        ASSERT_TRUE(waitIdle());
        EXPECT_EQ(listSize(), std::min(135, page * 20));
    }
    EXPECT_EQ(model->loadStatus(), LoadStatus::loadedAll);
    EXPECT_EQ(model->footerText(), "---- No more videos ----");
    rig.collectionView->setContentOffset(QPointF(0, rig.collectionView->contentSize().height()));
    EXPECT_EQ(rig.footerText(), "---- No more videos ----");
    EXPECT_EQ(model->videoList()->back().sign, sign(134));
    EXPECT_EQ(model->totalVideoCount(), 135) << "later pages leave the total alone";

    // At the end nothing more is asked for.
    const int before = server.requestCount();
    scrollToEnd();
    TestHome::spin(100ms);
    EXPECT_EQ(server.requestCount(), before);
    QList<qint64> pages;
    for (const QJsonObject& request : listRequests())
        pages << request.value("page").toInteger();
    EXPECT_EQ(pages, (QList<qint64>{1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(WebLibraryViewModelTest, ScrollEndingFarFromTheBottomAsksForNothing) {
    rig.container->resize(800, 300);
    loadFirstPage();
    rig.collectionView->setContentOffset(QPointF(0, 0));
    ASSERT_GE(rig.collectionView->contentSize().height() - rig.collectionView->bounds().height(), 100);
    const int before = server.requestCount();
    model->collectionViewDidEndScrolling(rig.collectionView, false);
    TestHome::spin(100ms);
    EXPECT_EQ(server.requestCount(), before);
    EXPECT_EQ(model->loadStatus(), LoadStatus::none);

    // Within 100 points of the end it does.
    rig.collectionView->setContentOffset(
        QPointF(0, rig.collectionView->contentSize().height() - rig.collectionView->bounds().height() - 99));
    model->collectionViewDidEndScrolling(rig.collectionView, false);
    EXPECT_EQ(model->loadStatus(), LoadStatus::loading);
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(listSize(), 40);
}

TEST_F(WebLibraryViewModelTest, FailedNextPageAsksForTheSamePageAgain) {
    loadFirstPage();
    server.setFailure(ProtocolTestServer::Failure::garbage, "502");
    scrollToEnd();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(model->loadStatus(), LoadStatus::failed);
    EXPECT_EQ(model->footerText(), "Try to scroll to reload again");
    EXPECT_EQ(listSize(), 20) << "the items shown stay";
    EXPECT_EQ(web->latestRequest()->page, 1);

    server.resetSwitches();
    scrollToEnd();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(listSize(), 40);
    const auto requests = listRequests();
    ASSERT_EQ(requests.size(), 3);
    EXPECT_EQ(requests[1].value("page").toInteger(), 2);
    EXPECT_EQ(requests[2].value("page").toInteger(), 2);
}

TEST_F(WebLibraryViewModelTest, StateViewsForNoServerBrokenServerAndEmptyCatalogue) {
    // Nothing listens: no answer at all.
    QUrl dead;
    {
        ProtocolTestServer probe;
        probe.start();
        dead = probe.baseUrl();
    }
    web = makeWebModel(dead);
    model = makeModel();
    loadFirstPage();
    EXPECT_EQ(model->loadStatus(), LoadStatus::loadedAll);
    EXPECT_FALSE(model->videoList().has_value());
    EXPECT_EQ(model->totalVideoCount(), 0);
    ASSERT_NE(model->refreshSubView(), nullptr);
    EXPECT_EQ(model->refreshSubView()->title(), "Fail to connect network");
    EXPECT_TRUE(model->refreshSubView()->showRefreshButton());
    EXPECT_TRUE(subtitles().contains("network")) << "a failure asks to check the network";
    EXPECT_EQ(rig.container->overlay(), model->refreshSubView());
    EXPECT_EQ(rig.container->image(), AppImage::named("network_error"));

    // An answer that cannot be read.
    web = makeWebModel(server.baseUrl());
    model = makeModel();
    server.setFailure(ProtocolTestServer::Failure::garbage, "502");
    loadFirstPage();
    EXPECT_EQ(model->refreshSubView()->title(), "The server is under maintenance");
    EXPECT_TRUE(subtitles().contains("network"));
    EXPECT_EQ(rig.collectionView->numberOfItems(), 0);

    // The refresh link asks again and the grid comes back without the state view.
    server.resetSwitches();
    model->refreshSubView()->clickRefreshButton();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(listSize(), 20);
    EXPECT_EQ(rig.container->overlay(), nullptr);
    EXPECT_TRUE(rig.container->image().isNull());

    // A catalogue without videos.
    server.setVideos({});
    model->retry();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(model->refreshSubView()->title(), "List is empty");
    EXPECT_TRUE(model->refreshSubView()->showRefreshButton());
    EXPECT_FALSE(subtitles().contains("network")) << "nothing failed: " << subtitles().toStdString();

    // A failure after an empty list asks for the network again.
    server.setFailure(ProtocolTestServer::Failure::garbage, "502");
    model->retry();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(model->refreshSubView()->title(), "The server is under maintenance");
    EXPECT_TRUE(subtitles().contains("network"));
    server.resetSwitches();
    server.setVideos({});
    model->retry();
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(rig.container->image(), AppImage::named("empty_video_list"));
    EXPECT_EQ(model->loadStatus(), LoadStatus::loadedAll) << "page 1 of 1";
    EXPECT_EQ(model->footerText(), QString());
    EXPECT_FALSE(reported.isEmpty());
    EXPECT_FALSE(reported.last().has_value()) << "an empty list reports no video";
}

// A first page that is never sent (it cannot be enciphered) fails at once instead of loading for ever.
TEST_F(WebLibraryViewModelTest, AFirstPageThatCannotBeSentShowsTheFailure) {
    WebModel::Options options;
    options.baseURL = server.baseUrl();
    options.standardDefaults = standard.get();
    options.suite = suite.get();
    options.notifications = &notifications;
    options.scheduleRefreshes = false;
    options.envelope = Envelope("not a key", Envelope::defaultIV());
    web = std::make_unique<WebModel>(options);
    model = makeModel();
    loadFirstPage();
    EXPECT_EQ(model->loadStatus(), LoadStatus::loadedAll);
    ASSERT_NE(model->refreshSubView(), nullptr);
    EXPECT_EQ(model->refreshSubView()->title(), "Fail to connect network");
    EXPECT_TRUE(server.requestsFor("502").isEmpty());
}

TEST_F(WebLibraryViewModelTest, OnlyTheReplyToTheLatestListingCounts) {
    QStringList a, b;
    for (int i = 0; i < 30; ++i)
        a << sign(i);
    for (int i = 100; i < 105; ++i)
        b << sign(i);
    server.setCategoryVideos(1, a);
    server.setCategoryVideos(2, b);

    // Category A is slow; B is chosen before A's reply arrives.
    server.setDelay(400ms, "502");
    VideoListRequest request = model->defaultRequest();
    request.cate = 1;
    model->load(request);
    ASSERT_TRUE(server.waitForRequests(1));
    server.resetSwitches();
    request.cate = 2;
    model->load(request);
    ASSERT_TRUE(TestHome::waitUntil([&] { return listSize() == 5; }));
    const LoadStatus status = model->loadStatus();
    TestHome::spin(600ms); // A's reply arrives meanwhile
    EXPECT_EQ(listSize(), 5);
    EXPECT_EQ(model->videoList()->front().sign, sign(100));
    EXPECT_EQ(model->loadStatus(), status);
    EXPECT_EQ(model->totalVideoCount(), 5);

    // A next page of A still on its way when B is chosen changes nothing either.
    request.cate = 1;
    model->load(request);
    ASSERT_TRUE(waitIdle());
    ASSERT_EQ(listSize(), 20);
    server.setDelay(400ms, "502");
    scrollToEnd();
    ASSERT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("502").size() == 4; }));
    server.resetSwitches();
    request.cate = 2;
    model->load(request);
    ASSERT_TRUE(TestHome::waitUntil([&] { return listSize() == 5; }));
    TestHome::spin(600ms);
    EXPECT_EQ(listSize(), 5);
    EXPECT_EQ(web->latestRequest()->cate, 2);
    EXPECT_EQ(web->latestRequest()->page, 1);
}

TEST_F(WebLibraryViewModelTest, RequestsKeepOrDropTheLatestQueryFields) {
    VideoListRequest request = model->defaultRequest();
    EXPECT_EQ(request.ui, "TEST-INSTALLATION");
    EXPECT_EQ(request.sort, 1);
    request.cate = 3;
    request.sort = 2;
    request.page = 4;
    web->setLatestRequest(request);

    model->searchKeyword("Été sea");
    ASSERT_TRUE(server.waitForRequests(1));
    QJsonObject sent = listRequests().last();
    EXPECT_EQ(sent.value("cate").toInteger(), 3);
    EXPECT_EQ(sent.value("sort").toInteger(), 2);
    EXPECT_EQ(sent.value("page").toInteger(), 1);
    EXPECT_EQ(sent.value("keywords").toString(), QString::fromLatin1(QString("Été sea").toUtf8().toBase64()));
    EXPECT_EQ(sent.value("author").toString(), "");
    ASSERT_TRUE(waitIdle());

    model->loadAuthorVideos("Ann");
    ASSERT_TRUE(server.waitForRequests(2));
    sent = listRequests().last();
    EXPECT_EQ(sent.value("cate").toInteger(), 0);
    EXPECT_EQ(sent.value("sort").toInteger(), 2);
    EXPECT_EQ(sent.value("keywords").toString(), "");
    EXPECT_EQ(sent.value("author").toString(), "QW5u");
    ASSERT_TRUE(waitIdle());

    // With items shown, showing the list again asks for nothing.
    model->retry();
    ASSERT_TRUE(server.waitForRequests(3));
    EXPECT_EQ(listRequests().last().value("author").toString(), "QW5u") << "the refresh repeats the query";
    ASSERT_TRUE(waitIdle());
    model->setVideoList(std::vector<VideoDetail>{VideoDetail{}});
    model->loadData();
    TestHome::spin(100ms);
    EXPECT_EQ(server.requestCount(), 3);

    // With nothing shown it asks for page 1 of the category, without keyword or author.
    model->setVideoList(std::nullopt);
    model->loadData();
    ASSERT_TRUE(server.waitForRequests(4));
    sent = listRequests().last();
    EXPECT_EQ(sent.value("page").toInteger(), 1);
    EXPECT_EQ(sent.value("keywords").toString(), "");
    EXPECT_EQ(sent.value("author").toString(), "");
}

TEST_F(WebLibraryViewModelTest, ContextMenuOffersDownloadListOrWallpaperAndActsOnTheVideo) {
    loadFirstPage();
    std::optional<VideoDetail> posted;
    int posts = 0;
    Disposable observation = notifications.addObserver("rightClickNotification", [&](const Notification& n) {
        ++posts;
        posted = WebLibraryViewModel::videoOf(n);
    });

    // Empty space: nothing.
    auto press = mouseEvent(QEvent::MouseButtonPress, Qt::RightButton);
    model->didRightClickItemAt(rig.collectionView, std::nullopt, press.get());
    EXPECT_TRUE(menus.shown.isEmpty());

    reported.clear();
    model->didRightClickItemAt(rig.collectionView, IndexPath(3), press.get());
    EXPECT_EQ(menus.titles(), (QStringList{"Preview", "Download Menu"}));
    ASSERT_FALSE(reported.isEmpty());
    EXPECT_EQ(reported.first()->sign, sign(3)) << "the detail pane shows it first";
    EXPECT_EQ(model->currentItem()->sign, sign(3));
    EXPECT_TRUE(rig.collectionView->indexPathsForSelectedItems().contains(IndexPath(3)));
    ASSERT_TRUE(menus.choose("Download Menu"));
    EXPECT_EQ(posts, 1);
    ASSERT_TRUE(posted.has_value());
    EXPECT_EQ(posted->sign, sign(3));

    // Queued for download: the same post, titled as the download list.
    downloads->add(*model->videoAt(4));
    model->didRightClickItemAt(rig.collectionView, IndexPath(4), press.get());
    EXPECT_EQ(menus.titles(), (QStringList{"Preview", "Download List"}));
    menus.choose("Download List");
    EXPECT_EQ(posts, 2);

    // In the local library (also while queued): set as wallpaper.
    database->insert(*model->videoAt(4));
    model->didRightClickItemAt(rig.collectionView, IndexPath(4), press.get());
    EXPECT_EQ(menus.titles(), (QStringList{"Preview", "Set as Wallpaper"}));
    preferences->setIsOpenPlayer(false);
    menus.choose("Set as Wallpaper");
    EXPECT_EQ(preferences->playingVideoSign(), sign(4));
    EXPECT_TRUE(preferences->isOpenPlayer());
    EXPECT_EQ(posts, 2);

    // A video that became local after its menu opened is set as wallpaper too.
    model->didRightClickItemAt(rig.collectionView, IndexPath(5), press.get());
    database->insert(*model->videoAt(5));
    menus.choose("Download Menu");
    EXPECT_EQ(preferences->playingVideoSign(), sign(5));
    EXPECT_EQ(posts, 2);
}

TEST_F(WebLibraryViewModelTest, BadgesShowDownloadingAndDownloadedWhichWins) {
    loadFirstPage();
    downloads->add(*model->videoAt(0));
    downloads->add(*model->videoAt(1));
    database->insert(*model->videoAt(1));
    auto badge = [&](int item) {
        auto* cell = qobject_cast<VideoItemCell*>(model->cellForItemAt(rig.collectionView, IndexPath(item)));
        return cell ? cell->coverImageView()->image() : QImage();
    };
    EXPECT_EQ(badge(0), AppImage::named("online_video_list_downloading_corvex.png"));
    EXPECT_EQ(badge(1), AppImage::named("online_video_list_downloaded_corvex.png"));
    EXPECT_TRUE(badge(2).isNull());
}

TEST_F(WebLibraryViewModelTest, PreviewsOnlyWebAddressesEncodingLooseText) {
    QList<QJsonObject> videos = catalogue(3);
    videos[0]["preurl"] = "http://127.0.0.1:9/preview page é.html";
    videos[1]["preurl"] = "file:///etc/passwd";
    videos[2]["preurl"] = "";
    server.setVideos(videos);
    loadFirstPage();

    auto click = mouseEvent(QEvent::MouseButtonDblClick, Qt::LeftButton);
    model->didDoubleClickItemAt(rig.collectionView, IndexPath(0), click.get());
    ASSERT_EQ(rig.window.previews.size(), 1);
    EXPECT_EQ(rig.window.previews[0].toString(QUrl::FullyEncoded),
              "http://127.0.0.1:9/preview%20page%20%C3%A9.html");
    model->didDoubleClickItemAt(rig.collectionView, IndexPath(1), click.get());
    model->didDoubleClickItemAt(rig.collectionView, IndexPath(2), click.get());
    model->didDoubleClickItemAt(rig.collectionView, std::nullopt, click.get());
    EXPECT_EQ(rig.window.previews.size(), 1);

    auto press = mouseEvent(QEvent::MouseButtonPress, Qt::RightButton);
    model->didRightClickItemAt(rig.collectionView, IndexPath(1), press.get());
    menus.choose("Preview");
    model->didRightClickItemAt(rig.collectionView, IndexPath(0), press.get());
    menus.choose("Preview");
    EXPECT_EQ(rig.window.previews.size(), 2);
}

TEST_F(WebLibraryViewModelTest, ThumbnailsServedByTheServerAppearInTheCells) {
    QList<QJsonObject> videos = catalogue(8);
    for (int i = 0; i < videos.size(); ++i) {
        QImage picture(320, 180, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(i * 40, 255, 255));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "JPEG");
        videos[i]["imgurl"] = server.serveFile(QString("t%1.jpg").arg(i), bytes).toString();
    }
    server.setVideos(videos);
    loadFirstPage();
    const QImage placeholder = AppImage::named("default_thumbnail");
    auto shown = [&] {
        int count = 0;
        for (CollectionViewCell* cell : rig.collectionView->visibleCells()) {
            auto* video = qobject_cast<VideoItemCell*>(cell);
            if (video && !video->imageView()->image().isNull() && video->imageView()->image() != placeholder)
                ++count;
        }
        return count;
    };
    ASSERT_TRUE(TestHome::waitUntil([&] { return shown() == 8; }));
    EXPECT_EQ(model->imageCache().size(), 8);
    EXPECT_TRUE(model->downloadTaskCache().isEmpty());
}
