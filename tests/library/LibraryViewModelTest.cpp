#include "LibraryViewModel.h"

#include "AppImage.h"
#include "ListModelTestSupport.h"
#include "LocalLibraryViewModel.h"
#include "ProtocolTestServer.h"
#include "TestHome.h"
#include "VideoItemImageView.h"

#include <gtest/gtest.h>

#include <QBuffer>

using namespace std::chrono_literals;

namespace {
// The base list with its thumbnail table reachable.
class TestListModel : public LibraryViewModel {
public:
    using LibraryViewModel::insertIntoImageCache;
    using LibraryViewModel::LibraryViewModel;
};

VideoDetail video(const QString& sign, const QString& imgurl = {}) {
    VideoDetail detail;
    detail.sign = sign;
    detail.title = "Title " + sign;
    detail.imgurl = imgurl;
    return detail;
}

std::vector<VideoDetail> videos(int count) {
    std::vector<VideoDetail> list;
    for (int i = 0; i < count; ++i)
        list.push_back(video(QString("s%1").arg(i)));
    return list;
}

QByteArray jpeg(QColor color) {
    QImage image(320, 180, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}
} // namespace

class LibraryViewModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ImageLoader::Options options;
        options.network = &network;
        images = std::make_unique<ImageLoader>(options);
        model = makeModel();
        amounts.emplace(
            notifications.addObserver("updateVideoAmount", [this](const Notification&) { ++amountPosts; }));
    }

    std::unique_ptr<TestListModel> makeModel() {
        auto made = std::make_unique<TestListModel>(*images, notifications);
        made->videoDetailDidChanged = [this](const std::optional<VideoDetail>& video) {
            reported.append(video);
        };
        return made;
    }

    void settle() { TestHome::spin(30ms); }

    QNetworkAccessManager network;
    NotificationCenter notifications;
    GridRig rig;
    std::unique_ptr<ImageLoader> images;
    std::unique_ptr<TestListModel> model;
    QList<std::optional<VideoDetail>> reported;
    int amountPosts = 0;
    std::optional<Disposable> amounts;
};

TEST_F(LibraryViewModelTest, ReloadOnMainQueueSelectsItemZeroOrReportsNone) {
    // Unbound: only the post.
    model->reloadOnMainQueue();
    EXPECT_EQ(amountPosts, 0) << "queued, not run on the caller's stack";
    settle();
    EXPECT_EQ(amountPosts, 1);
    EXPECT_TRUE(reported.isEmpty());

    model->bind(rig.collectionView);
    model->reloadOnMainQueue();
    settle();
    ASSERT_EQ(reported.size(), 1);
    EXPECT_FALSE(reported[0].has_value());
    EXPECT_EQ(amountPosts, 2);

    model->setVideoList(videos(5));
    model->reloadOnMainQueue();
    settle();
    EXPECT_EQ(rig.collectionView->numberOfItems(), 5);
    EXPECT_EQ(rig.collectionView->indexPathsForSelectedItems(), QSet<IndexPath>{IndexPath(0)});
    ASSERT_EQ(reported.size(), 2);
    EXPECT_EQ(reported[1]->sign, "s0");
}

TEST_F(LibraryViewModelTest, ReloadDataReportsTheKeptSelectionOrNothing) {
    model->reloadData();
    settle();
    ASSERT_EQ(reported.size(), 1) << "an empty list reports none, also unbound";
    EXPECT_FALSE(reported[0].has_value());

    model->bind(rig.collectionView);
    model->setVideoList(videos(5));
    reported.clear();
    model->reloadData();
    settle();
    EXPECT_TRUE(reported.isEmpty()) << "no selection: nothing reported";

    rig.collectionView->selectItem(IndexPath(3), false, 0);
    reported.clear();
    model->reloadData();
    settle();
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported[0]->sign, "s3");
}

TEST_F(LibraryViewModelTest, DownloadNotificationsRefreshOneCellOrTheWholeList) {
    model->bind(rig.collectionView);
    std::vector<VideoDetail> list = videos(4);
    list.push_back(video("s1")); // the same sign twice
    model->setVideoList(list);
    model->reloadOnMainQueue();
    settle();
    reported.clear();

    // A sign not in the list: nothing at all.
    notifications.post("reloadCollectionView.Notification", nullptr, {{"sign", "elsewhere"}});
    settle();
    EXPECT_TRUE(reported.isEmpty());

    // A known sign: the first cell showing it is configured again.
    auto* cell = qobject_cast<VideoItemCell*>(rig.collectionView->cellForItem(IndexPath(1)));
    ASSERT_NE(cell, nullptr);
    cell->title()->setText("stale");
    auto* twin = qobject_cast<VideoItemCell*>(rig.collectionView->cellForItem(IndexPath(4)));
    twin->title()->setText("stale");
    notifications.post("reloadCollectionView.Notification", nullptr, {{"sign", "s1"}});
    EXPECT_EQ(cell->title()->text(), "Title s1");
    EXPECT_EQ(twin->title()->text(), "stale");

    // Without a sign: the whole list again, reporting the selection.
    rig.collectionView->selectItem(IndexPath(2), false, 0);
    reported.clear();
    notifications.post("reloadCollectionView.Notification");
    settle();
    ASSERT_EQ(reported.size(), 1);
    EXPECT_EQ(reported[0]->sign, "s2");
    auto* again = qobject_cast<VideoItemCell*>(rig.collectionView->cellForItem(IndexPath(4)));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->title()->text(), "Title s1") << "every cell shown is configured again";
}

TEST_F(LibraryViewModelTest, BindingAnotherModelDetachesTheFirst) {
    auto other = makeModel();
    int firstSeen = 0;
    model->setVideoList(std::vector<VideoDetail>{}); // a reload of an empty list always reports
    model->bind(rig.collectionView);
    other->bind(rig.collectionView);
    EXPECT_EQ(model->collectionView(), nullptr);
    EXPECT_EQ(other->collectionView(), rig.collectionView);
    EXPECT_EQ(rig.collectionView->delegate(), other.get());
    EXPECT_EQ(rig.collectionView->dataSource(), other.get());

    model->videoDetailDidChanged = [&](const std::optional<VideoDetail>&) { ++firstSeen; };
    notifications.post("reloadCollectionView.Notification");
    settle();
    EXPECT_EQ(firstSeen, 0) << "an unbound model no longer hears the download manager";

    model->bind(rig.collectionView);
    model->bind(rig.collectionView);
    notifications.post("reloadCollectionView.Notification");
    settle();
    EXPECT_EQ(firstSeen, 1) << "bound twice, told once";
}

TEST_F(LibraryViewModelTest, ThumbnailCacheDropsOneEntryAtFiveHundredAndOne) {
    QImage picture(4, 4, QImage::Format_RGB32);
    for (int i = 0; i < 500; ++i)
        model->insertIntoImageCache(QString("k%1").arg(i), picture);
    EXPECT_EQ(model->imageCache().size(), 500);
    const QString first = model->imageCache().begin().key();
    model->insertIntoImageCache("new", picture);
    EXPECT_EQ(model->imageCache().size(), 500);
    EXPECT_FALSE(model->imageCache().contains(first));
}

TEST_F(LibraryViewModelTest, ThumbnailGoesOnlyOnTheCellStillShowingItsVideo) {
    ProtocolTestServer server;
    ASSERT_TRUE(server.start());
    server.setDelay(200ms, "a.jpg");
    server.setDelay(800ms, "b.jpg");
    const QUrl a = server.serveFile("a.jpg", jpeg(Qt::red));
    const QUrl b = server.serveFile("b.jpg", jpeg(Qt::blue));
    const QUrl broken = server.fileUrl("none.jpg");

    model->bind(rig.collectionView);
    model->setVideoList(std::vector<VideoDetail>{video("A", a.toString())});
    rig.collectionView->reloadData();
    auto* cell = qobject_cast<VideoItemCell*>(rig.collectionView->cellForItem(IndexPath(0)));
    ASSERT_NE(cell, nullptr);
    const QImage placeholder = AppImage::named("default_thumbnail");
    EXPECT_EQ(cell->imageView()->image(), placeholder);

    // The same cell now shows video B before A's picture arrives.
    model->setVideoList(std::vector<VideoDetail>{video("B", b.toString())});
    EXPECT_EQ(model->cellForItemAt(rig.collectionView, IndexPath(0)), cell);
    TestHome::spin(500ms);
    EXPECT_EQ(cell->imageView()->image(), placeholder) << "A's picture is kept, not shown on B's cell";
    EXPECT_TRUE(model->imageCache().contains("A"));

    ASSERT_TRUE(TestHome::waitUntil([&] { return cell->imageView()->image() != placeholder; }));
    const QColor shown = cell->imageView()->image().pixelColor(10, 10);
    EXPECT_GT(shown.blue(), 200);
    EXPECT_LT(shown.red(), 50);
    const QSize expected = cell->imageView()->size() * 2;
    const QSize got = cell->imageView()->image().size();
    EXPECT_TRUE(got.width() >= expected.width() && got.height() >= expected.height());
    EXPECT_TRUE(got.width() == expected.width() || got.height() == expected.height())
        << "aspect fill of twice the view";
    EXPECT_TRUE(model->downloadTaskCache().isEmpty());

    // A picture that fails leaves the placeholder; its task waits for the end of display.
    model->setVideoList(std::vector<VideoDetail>{video("C", broken.toString())});
    rig.collectionView->reloadData();
    auto* failed = qobject_cast<VideoItemCell*>(rig.collectionView->cellForItem(IndexPath(0)));
    TestHome::spin(200ms);
    EXPECT_EQ(failed->imageView()->image(), placeholder);
    EXPECT_TRUE(model->downloadTaskCache().contains("C"));
    model->didEndDisplayingCell(rig.collectionView, failed, IndexPath(0));
    EXPECT_FALSE(model->downloadTaskCache().contains("C"));
}

TEST_F(LibraryViewModelTest, AReusedCellForAVideoWithoutPictureShowsThePlaceholder) {
    model->bind(rig.collectionView);
    model->setVideoList(std::vector<VideoDetail>{video("A")});
    QImage red(32, 18, QImage::Format_RGB32);
    red.fill(Qt::red);
    model->insertIntoImageCache("A", red);
    rig.collectionView->reloadData();
    auto* cell = qobject_cast<VideoItemCell*>(rig.collectionView->cellForItem(IndexPath(0)));
    ASSERT_NE(cell, nullptr);
    ASSERT_EQ(cell->imageView()->image(), red);

    // The same cell now shows a video whose record names no picture (or one that is no address).
    for (const QString& address : {QString(), QString("::not an address::")}) {
        model->setVideoList(std::vector<VideoDetail>{video("B", address)});
        ASSERT_EQ(model->cellForItemAt(rig.collectionView, IndexPath(0)), cell);
        EXPECT_EQ(cell->imageView()->image(), AppImage::named("default_thumbnail")) << address.toStdString();
    }
}

TEST_F(LibraryViewModelTest, EndOfDisplayAndTabSwitchCancelLoadsInFlight) {
    ProtocolTestServer server;
    ASSERT_TRUE(server.start());
    server.setDelay(300ms);
    std::vector<VideoDetail> list;
    for (int i = 0; i < 3; ++i)
        list.push_back(video(QString("v%1").arg(i),
                             server.serveFile(QString("%1.jpg").arg(i), jpeg(Qt::green)).toString()));
    model->bind(rig.collectionView);
    model->setVideoList(list);
    rig.collectionView->reloadData();
    ASSERT_EQ(model->downloadTaskCache().size(), 3);
    const auto first = model->downloadTaskCache().value("v0");
    model->didEndDisplayingCell(rig.collectionView, nullptr, IndexPath(0));
    EXPECT_TRUE(first->isCancelled());
    model->cancelImageDownloads();
    EXPECT_TRUE(model->downloadTaskCache().isEmpty());
    TestHome::spin(500ms);
    EXPECT_TRUE(model->imageCache().isEmpty()) << "no cancelled load completes";
}
