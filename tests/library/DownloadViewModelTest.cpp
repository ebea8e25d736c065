#include "DownloadViewModel.h"

#include "AppImage.h"
#include "AttributedTitle.h"
#include "ClickableImageView.h"
#include "DownloadItem.h"
#include "DownloadManager.h"
#include "ListModelTestSupport.h"
#include "LocalVideoDBManager.h"
#include "ProtocolTestServer.h"
#include "ReplyLimits.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QTest>

using namespace std::chrono_literals;

class DownloadViewModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.start());
        server.setFileRate(20000); // slow enough to stay downloading during the test
        database = std::make_unique<LocalVideoDBManager>(home.file("Corvex.db"));
        DownloadManager::Dependencies deps;
        deps.cachesDirectory = home.file("caches");
        deps.libraryDirectory = home.file("library");
        deps.database = database.get();
        deps.reportDownloadStatus = [](qint64, int) {};
        downloads = std::make_unique<DownloadManager>(deps);
        ImageLoader::Options imageOptions;
        imageOptions.network = &network;
        images = std::make_unique<ImageLoader>(imageOptions);
        model = std::make_unique<DownloadViewModel>(
            DownloadViewModel::Dependencies{downloads.get(), images.get(), &notifications});
        model->videoDetailDidChanged = [this](const std::optional<VideoDetail>& video) {
            reported.append(video);
        };
        model->bind(rig.collectionView);
    }

    VideoDetail video(int i, bool missing = false) {
        const QByteArray body(400000, char('a' + i));
        VideoDetail detail;
        detail.sign = ProtocolTestServer::signOf(body);
        detail.title = QString("Video %1").arg(i);
        detail.size = body.size();
        const QString name = QString("v%1.mp4").arg(i);
        detail.url = (missing ? server.fileUrl(name) : server.serveFile(name, body)).toString();
        return detail;
    }

    DownloadItemCell* row(int i) {
        return qobject_cast<DownloadItemCell*>(rig.collectionView->cellForItem(IndexPath(i)));
    }
    QString statusOf(int i) {
        return row(i) && row(i)->status() ? row(i)->status()->text() : QString("<no row>");
    }
    void reload() {
        rig.collectionView->reloadData();
        TestHome::spin(20ms);
    }
    std::shared_ptr<DownloadItem> item(int i) { return downloads->progressArray().at(i); }

    TestHome home;
    ProtocolTestServer server;
    QNetworkAccessManager network;
    NotificationCenter notifications;
    GridRig rig{true};
    std::unique_ptr<LocalVideoDBManager> database;
    std::unique_ptr<DownloadManager> downloads;
    std::unique_ptr<ImageLoader> images;
    std::unique_ptr<DownloadViewModel> model;
    QList<std::optional<VideoDetail>> reported;
};

TEST_F(DownloadViewModelTest, RowsFollowTheQueueThroughPauseResumeErrorAndDelete) {
    downloads->add(video(0));
    downloads->add(video(1));
    downloads->add(video(2, true)); // the server has no such file
    ASSERT_TRUE(TestHome::waitUntil([&] { return item(0)->status() == ItemStatus::downloading; }));
    reload();
    EXPECT_EQ(rig.collectionView->numberOfItems(), 3);
    EXPECT_EQ(statusOf(0), "Downloading...");
    EXPECT_EQ(row(0)->title()->text(), "Video 0");
    EXPECT_EQ(statusOf(2), "Waiting...");
    EXPECT_EQ(row(2)->downloadImageView()->image(), AppImage::named("download_pause_normal"));
    EXPECT_EQ(row(2)->deleteImageView()->hoverImage(), AppImage::named("download_delete_hover"));

    // Pause with a real click, then resume.
    QTest::mouseClick(row(0)->downloadImageView(), Qt::LeftButton);
    EXPECT_EQ(item(0)->status(), ItemStatus::pause);
    TestHome::spin(50ms);
    EXPECT_EQ(statusOf(0), "Pause...");
    EXPECT_EQ(row(0)->downloadImageView()->image(), AppImage::named("download_download_normal"));
    EXPECT_EQ(row(0)->downloadImageView()->hoverImage(), AppImage::named("download_download_hover"));

    // Item 2 ends in error once it runs (its slot came free with the pause).
    ASSERT_TRUE(TestHome::waitUntil([&] { return item(2)->status() == ItemStatus::error; }));
    reload();
    EXPECT_EQ(statusOf(2), "Network Error");
    EXPECT_EQ(row(2)->status()->palette().color(row(2)->status()->foregroundRole()),
              AttributedTitle::redLinkStyleTitle("Network Error").foregroundColor());

    QTest::mouseClick(row(0)->downloadImageView(), Qt::LeftButton);
    EXPECT_NE(item(0)->status(), ItemStatus::pause);
    TestHome::spin(50ms);
    EXPECT_TRUE(statusOf(0) == "Waiting..." || statusOf(0) == "Downloading...") << statusOf(0).toStdString();

    // The failed one restarts on a click.
    QTest::mouseClick(row(2)->downloadImageView(), Qt::LeftButton);
    EXPECT_NE(item(2)->status(), ItemStatus::error);

    // Delete every row.
    for (int left = 3; left > 0; --left) {
        TestHome::spin(30ms);
        ASSERT_NE(row(0), nullptr);
        QTest::mouseClick(row(0)->deleteImageView(), Qt::LeftButton);
        EXPECT_EQ(downloads->progressArray().size(), left - 1);
        TestHome::spin(30ms);
        EXPECT_EQ(rig.collectionView->numberOfItems(), left - 1);
    }
    reported.clear();
    model->reloadData();
    TestHome::spin(20ms);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_FALSE(reported[0].has_value()) << "the download list reports no video";
}

TEST_F(DownloadViewModelTest, ToggleRestartsTheItemTheRowShowsEvenAfterTheQueueMoved) {
    downloads->add(video(0));
    downloads->add(video(1));
    downloads->add(video(2));
    ASSERT_TRUE(TestHome::waitUntil([&] { return item(1)->status() == ItemStatus::downloading; }));
    reload();
    QTest::mouseClick(row(1)->downloadImageView(), Qt::LeftButton);
    ASSERT_EQ(item(1)->status(), ItemStatus::pause);
    TestHome::spin(50ms);
    const std::shared_ptr<DownloadItem> shown = item(1);
    QPointer<DownloadItemCell> staleRow = row(1);

    // The first download leaves the queue before the list reloads: row 1 now names the third item.
    downloads->remove(item(0).get());
    ASSERT_TRUE(staleRow);
    QTest::mouseClick(staleRow->downloadImageView(), Qt::LeftButton);
    EXPECT_NE(shown->status(), ItemStatus::pause) << "the paused item the row showed restarts";
}

TEST_F(DownloadViewModelTest, ProgressTextsAndAZeroSize) {
    EXPECT_EQ(DownloadViewModel::progressValue(50, 200), 25);
    EXPECT_EQ(DownloadViewModel::progressValue(100, 0), 0);
    EXPECT_EQ(DownloadViewModel::progressValue(0, 0), 0);

    VideoDetail unsized = video(3);
    unsized.size = 0;
    server.setFailure(ProtocolTestServer::Failure::stall, "v3.mp4");
    downloads->add(unsized);
    item(0)->setDownloadedSize(1234);
    reload();
    EXPECT_EQ(row(0)->progressIndicator()->value(), 0);
    EXPECT_EQ(row(0)->percent()->text(), "1.21 KB/0 Byte");

    ASSERT_TRUE(item(0)->downloadProgressHandler());
    item(0)->downloadProgressHandler()(DownloadProgress{1572864, 20971520});
    EXPECT_EQ(row(0)->percent()->text(), "1.50 MB/20.00 MB");
    EXPECT_EQ(row(0)->progressIndicator()->value(), 7);
    EXPECT_EQ(item(0)->downloadedSize(), 1572864);
    EXPECT_EQ(statusOf(0), "Downloading...");

    // Impossible sizes read as nothing known rather than as negative bytes.
    item(0)->downloadProgressHandler()(DownloadProgress{-1, -1});
    EXPECT_EQ(row(0)->percent()->text(), "0 Byte/0 Byte");
}

TEST_F(DownloadViewModelTest, AStoredRowWithAnEnormousTitleIsShownCut) {
    VideoDetail stored = video(4);
    stored.title = QString(3'000'000, QChar('T'));
    server.setFailure(ProtocolTestServer::Failure::stall, "v4.mp4");
    downloads->add(stored);
    reload();
    ASSERT_TRUE(row(0));
    EXPECT_EQ(row(0)->title()->text().size(), ReplyLimits::maximumTextLength);
    EXPECT_EQ(item(0)->videoInfo().title.size(), stored.title.size());
}
