#include "VideoDetailView.h"
#include "ButtonWithHoverBackGround.h"
#include "DownloadManager.h"
#include "LocalVideoDBManager.h"
#include "NotificationCenter.h"
#include "TestHome.h"
#include "VideoDetailSamples.h"
#include "VideoDetailViewDelegate.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct RecordingDelegate : VideoDetailViewDelegate {
    DetailChanged closure;
    std::vector<QString> calls;
    QString titleAtDownload;
    QPushButton* button = nullptr;

    DetailChanged videoDetailDidChanged() const override { return closure; }
    void setVideoDetailDidChanged(DetailChanged c) override { closure = std::move(c); }
    void filterOnlineList(const QString& author) override { calls.push_back("author " + author); }
    void downloadVideo(const VideoDetail& video) override {
        calls.push_back("download " + video.sign);
        titleAtDownload = button ? button->text() : QString();
    }
    void playVideo(const QString& sign) override { calls.push_back("play " + sign); }
    void showDownloadTab() override { calls.push_back("downloadTab"); }
};

struct Rig {
    TestHome home;
    LocalVideoDBManager database{home.file("Corvex.db")};
    NotificationCenter notifications;
    DownloadManager downloads{DownloadManager::Dependencies{home.file("caches"),
                                                            home.file("library"),
                                                            &database,
                                                            &notifications,
                                                            nullptr,
                                                            [](qint64, int) {},
                                                            {},
                                                            10000}};
    std::vector<QUrl> loads;
    std::vector<QUrl> previews;
    VideoDetailView pane{VideoDetailView::Dependencies{
        &database, &downloads, &notifications,
        [this](const QUrl& url, QObject*, std::function<void(const QImage&)> done) {
            loads.push_back(url);
            QImage image(40, 20, QImage::Format_RGB32);
            image.fill(url.path().contains("avatar") ? Qt::red : Qt::green);
            done(image);
        },
        [](const QString& name) {
            QImage image(10, 10, QImage::Format_RGB32);
            image.fill(name == "default_avatar" ? Qt::gray : Qt::darkGray);
            return image;
        },
        [this](const QUrl& url) { previews.push_back(url); }}};
    RecordingDelegate delegate;

    Rig() {
        QDir().mkpath(home.file("caches"));
        QDir().mkpath(home.file("library"));
        delegate.button = pane.downloadButton();
        pane.setDelegate(&delegate);
        pane.resize(260, 560);
        pane.show();
    }
    void show(const std::optional<VideoDetail>& video) { delegate.closure(video); }
    void press() { QTest::mouseClick(pane.downloadButton(), Qt::LeftButton); }
};

TEST(VideoDetailView, WithoutASelectionShowsDefaultsAndDisablesTheButton) {
    Rig rig;
    rig.show(VideoDetailSamples::video(1));
    rig.show(std::nullopt);
    EXPECT_EQ(rig.pane.thumbnailImage().pixelColor(0, 0), QColor(Qt::darkGray));
    EXPECT_EQ(rig.pane.avatarImage().pixelColor(0, 0), QColor(Qt::gray));
    EXPECT_FALSE(rig.pane.userAvatar()->isEnabled());
    EXPECT_EQ(rig.pane.userName()->text(), "");
    for (QLabel* label :
         {rig.pane.titleLabel(), rig.pane.downloadLabel(), rig.pane.sizeLabel(), rig.pane.durationLabel(),
          rig.pane.dimensionsLabel(), rig.pane.audioLabel(), rig.pane.requirementLabel()})
        EXPECT_EQ(label->text(), "");
    EXPECT_EQ(rig.pane.userVideCount()->text(), "0");
    EXPECT_TRUE(rig.pane.previewPlayerButton()->isHidden());
    EXPECT_FALSE(rig.pane.downloadButton()->isEnabled());
}

TEST(VideoDetailView, ShowsTheVideosFacts) {
    Rig rig;
    VideoDetail video = VideoDetailSamples::video(2);
    video.title = "Night City";
    video.time = 65'000;
    video.size = 3 * 1048576 / 2;
    video.width = 1920;
    video.height = 1080;
    video.ratio = "16:9";
    video.audio = 0;
    video.frame = 30;
    video.rate = 4'000'000;
    video.down = 1234;
    video.upcount = 17;
    video.author = "Mira";
    video.imgurl = "https://cdn.example/thumbs/night city é.jpg";
    rig.show(video);
    EXPECT_EQ(rig.pane.titleLabel()->text(), "Night City");
    EXPECT_EQ(rig.pane.durationLabel()->text(), "00:01:05");
    EXPECT_EQ(rig.pane.sizeLabel()->text(), "1.50 MB");
    EXPECT_EQ(rig.pane.dimensionsLabel()->text(), QString::fromUtf8("1920×1080(16:9)"));
    EXPECT_EQ(rig.pane.audioLabel()->text(), "NO");
    EXPECT_EQ(rig.pane.requirementLabel()->text(), "Normal Performance");
    EXPECT_EQ(rig.pane.downloadLabel()->text(), "1234");
    EXPECT_EQ(rig.pane.userVideCount()->text(), "17");
    EXPECT_EQ(rig.pane.userName()->text(), "Mira");
    EXPECT_TRUE(rig.pane.userAvatar()->isEnabled());
    EXPECT_FALSE(rig.pane.previewPlayerButton()->isHidden());
    // The thumbnail address is percent-encoded before it is loaded, and both pictures land.
    ASSERT_EQ(rig.loads.size(), 2u);
    EXPECT_EQ(rig.loads[0].toString(QUrl::FullyEncoded),
              "https://cdn.example/thumbs/night%20city%20%C3%A9.jpg");
    EXPECT_EQ(rig.pane.thumbnailImage().pixelColor(0, 0), QColor(Qt::green));
    EXPECT_EQ(rig.pane.avatarImage().pixelColor(0, 0), QColor(Qt::red));

    video.audio = 1;
    video.preurl.clear();
    video.width = 3840;
    video.height = 2160;
    rig.show(video);
    EXPECT_EQ(rig.pane.audioLabel()->text(), "YES");
    EXPECT_TRUE(rig.pane.previewPlayerButton()->isHidden());
    EXPECT_EQ(rig.pane.requirementLabel()->text(), "High Performance");
}

TEST(VideoDetailView, ImpossibleFiguresShowAsNothing) {
    Rig rig;
    VideoDetail video = VideoDetailSamples::video(3);
    video.size = -1;
    video.time = -5000;
    video.width = -1;
    video.height = -1;
    rig.show(video);
    EXPECT_EQ(rig.pane.sizeLabel()->text(), "");
    EXPECT_EQ(rig.pane.durationLabel()->text(), "");
    EXPECT_EQ(rig.pane.dimensionsLabel()->text(), "");

    // Hours past the int range once wrapped to a negative figure.
    video.time = 3600LL * 3'000'000'000LL * 1000;
    video.size = 5;
    rig.show(video);
    EXPECT_EQ(rig.pane.durationLabel()->text(), "");
    EXPECT_EQ(rig.pane.sizeLabel()->text(), "5 Byte");
}

TEST(VideoDetailView, TheButtonIsBlueForLocalVideosAndGreenOtherwise) {
    Rig rig;
    const VideoDetail local = VideoDetailSamples::video(1);
    rig.database.insert(local);
    rig.show(local);
    EXPECT_EQ(rig.pane.downloadButton()->text(), "Set as Wallpaper");
    EXPECT_EQ(rig.pane.downloadButton()->normalColor(), QColor(52, 155, 255));
    EXPECT_EQ(rig.pane.downloadButton()->hoverColor(), QColor(74, 168, 255));
    EXPECT_EQ(rig.pane.downloadButton()->pressedColor(), QColor(7, 136, 255));
    EXPECT_EQ(rig.pane.downloadButton()->grab().toImage().pixelColor(3, 18), QColor(52, 155, 255));

    const VideoDetail online = VideoDetailSamples::video(2);
    rig.show(online);
    EXPECT_EQ(rig.pane.downloadButton()->text(), "Download");
    EXPECT_EQ(rig.pane.downloadButton()->normalColor(), QColor(39, 215, 110));
    EXPECT_EQ(rig.pane.downloadButton()->grab().toImage().pixelColor(3, 18), QColor(39, 215, 110));

    rig.downloads.add(online);
    rig.show(online);
    EXPECT_EQ(rig.pane.downloadButton()->text(), "Downloading");
    EXPECT_EQ(rig.pane.downloadButton()->normalColor(), QColor(39, 215, 110));
    // Local wins over queued.
    rig.database.insert(online);
    rig.show(online);
    EXPECT_EQ(rig.pane.downloadButton()->text(), "Set as Wallpaper");
}

TEST(VideoDetailView, TheButtonsActionsFollowItsTitle) {
    Rig rig;
    const VideoDetail video = VideoDetailSamples::video(3);
    rig.show(video);
    rig.press();
    EXPECT_EQ(rig.delegate.titleAtDownload, "Downloading")
        << "the title changes before the delegate is asked";
    rig.press();
    EXPECT_EQ(rig.delegate.calls, (std::vector<QString>{"download " + video.sign, "downloadTab"}));

    rig.delegate.calls.clear();
    rig.database.insert(video);
    rig.show(video);
    rig.press();
    QTest::mouseClick(rig.pane.userAvatar(), Qt::LeftButton);
    EXPECT_EQ(rig.delegate.calls, (std::vector<QString>{"play " + video.sign, "author " + video.author}));
}

TEST(VideoDetailView, ThePreviewButtonShowsTheClip) {
    Rig rig;
    VideoDetail video = VideoDetailSamples::video(4);
    video.preurl = "https://cdn.example/pre view.mp4";
    rig.show(video);
    QTest::mouseClick(rig.pane.previewPlayerButton(), Qt::LeftButton);
    ASSERT_EQ(rig.previews.size(), 1u);
    EXPECT_EQ(rig.previews[0].toString(QUrl::FullyEncoded), "https://cdn.example/pre%20view.mp4");
}

TEST(VideoDetailView, TheListsDownloadItemDownloadsOrShowsTheQueue) {
    Rig rig;
    const VideoDetail video = VideoDetailSamples::video(5);
    rig.show(video);
    QVariantMap info{{"video", QVariant::fromValue(video)}};
    // Something that is not a video is ignored.
    rig.notifications.post("rightClickNotification", nullptr, {{"video", QString("nonsense")}});
    EXPECT_TRUE(rig.delegate.calls.empty());

    rig.notifications.post("rightClickNotification", nullptr, info);
    EXPECT_EQ(rig.pane.downloadButton()->text(), "Downloading");
    EXPECT_EQ(rig.delegate.calls, std::vector<QString>{"download " + video.sign});

    rig.downloads.add(video);
    rig.notifications.post("rightClickNotification", nullptr, info);
    EXPECT_EQ(rig.delegate.calls, (std::vector<QString>{"download " + video.sign, "downloadTab"}));
}

} // namespace

namespace {
// Pixels drawn in the system red (255, 59, 48) or near it.
int redPixels(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 180 && c.green() < 140 && c.blue() < 140 && c.red() - c.green() > 80;
        }
    return count;
}
} // namespace

TEST(VideoDetailView, ThePerformanceTextTakesItsColourFromItsOwnRequirementEveryTime) {
    Rig rig;
    VideoDetail normal = VideoDetailSamples::video(1);
    normal.width = 1280;
    normal.height = 720;
    normal.rate = 1'000'000;
    normal.frame = 25;
    VideoDetail high = normal;
    high.sign = VideoDetailSamples::sign(2);
    high.width = 3840;
    high.height = 2160;

    rig.show(normal);
    ASSERT_EQ(rig.pane.requirementLabel()->text(), "Normal Performance");
    EXPECT_EQ(redPixels(rig.pane.requirementLabel()), 0);
    rig.show(high);
    ASSERT_EQ(rig.pane.requirementLabel()->text(), "High Performance");
    EXPECT_GT(redPixels(rig.pane.requirementLabel()), 10);
    rig.show(normal);
    ASSERT_EQ(rig.pane.requirementLabel()->text(), "Normal Performance");
    EXPECT_EQ(redPixels(rig.pane.requirementLabel()), 0) << "a normal video after a high one is not red";
}

TEST(VideoDetailView, TheButtonLooksDisabledWithNothingSelected) {
    Rig rig;
    rig.show(VideoDetailSamples::video(1));
    const QImage enabled = rig.pane.downloadButton()->grab().toImage();
    rig.show(std::nullopt);
    ASSERT_FALSE(rig.pane.downloadButton()->isEnabled());
    const QImage disabled = rig.pane.downloadButton()->grab().toImage();
    // The middle of the left edge: background, not title.
    const QPoint at(4, enabled.height() / 2);
    const QColor before = enabled.pixelColor(at);
    const QColor after = disabled.pixelColor(at);
    EXPECT_NE(before, after);
    // Faded towards the pane's light background: lighter, less saturated.
    EXPECT_GT(after.lightness(), before.lightness());
    EXPECT_LT(after.hsvSaturation(), before.hsvSaturation());
}
