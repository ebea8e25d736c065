#include "NowPlayingView.h"
#include "LocalVideoDBManager.h"
#include "Preferences.h"
#include "ReplyLimits.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "VideoDetailSamples.h"

#include <QLabel>
#include <QPushButton>
#include <QSvgRenderer>
#include <QSvgWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct Rig {
    TestHome home;
    UserDefaults suite{home.file("suite.ini")};
    Preferences preferences{suite};
    LocalVideoDBManager database{home.file("Corvex.db")};
    NowPlayingView view{preferences, database};
    std::vector<std::optional<QString>> clicks;

    Rig() {
        view.clickVideoTitleClosure = [this](const std::optional<QString>& sign) { clicks.push_back(sign); };
        view.resize(400, 30);
        view.show();
    }
    VideoDetail add(int n, const QString& title) {
        VideoDetail video = VideoDetailSamples::video(n);
        video.title = title;
        database.insert(video);
        return video;
    }
    QString title() const { return view.playingFileNameLabel()->text(); }
    void clickTitle() {
        QTest::mouseClick(view.playingFileNameLabel(), Qt::LeftButton, {},
                          view.playingFileNameLabel()->rect().center());
    }
};

TEST(NowPlayingView, OnShowsThePlayingTitleAndOffClearsItAndMakesItInert) {
    Rig rig;
    const VideoDetail video = rig.add(1, "Ocean Waves");
    rig.preferences.setPlayingVideoSign(video.sign);
    rig.view.setIsOpenPlay(true);
    EXPECT_EQ(rig.view.statusLabel()->text(), "Playing");
    EXPECT_EQ(rig.title(), "Ocean Waves");
    EXPECT_TRUE(rig.view.loadedIconPath().endsWith("playing.svg"));
    EXPECT_TRUE(rig.view.statusIcon()->renderer()->isValid());
    rig.clickTitle();
    ASSERT_EQ(rig.clicks.size(), 1u);
    EXPECT_EQ(rig.clicks[0], video.sign);

    rig.view.setIsOpenPlay(false);
    EXPECT_EQ(rig.view.statusLabel()->text(), "No Video Played");
    EXPECT_EQ(rig.title(), "");
    EXPECT_TRUE(rig.view.loadedIconPath().endsWith("no_playing.svg"));
    rig.clickTitle();
    EXPECT_EQ(rig.clicks.size(), 1u) << "an empty title does nothing";
}

TEST(NowPlayingView, TheTitleFollowsTheSignOnlyWhileThePlayerIsOnAndOnlyForKnownVideos) {
    Rig rig;
    const VideoDetail first = rig.add(1, "First");
    const VideoDetail second = rig.add(2, "Second");
    rig.preferences.setIsOpenPlayer(true);
    rig.preferences.setPlayingVideoSign(first.sign);
    rig.view.setIsOpenPlay(true);
    EXPECT_EQ(rig.title(), "First");

    rig.preferences.setPlayingVideoSign(second.sign);
    EXPECT_EQ(rig.title(), "Second");
    // Unknown and absent signs leave the title alone; so does the status.
    rig.preferences.setPlayingVideoSign(VideoDetailSamples::sign(99));
    EXPECT_EQ(rig.title(), "Second");
    rig.preferences.setPlayingVideoSign(std::nullopt);
    EXPECT_EQ(rig.title(), "Second");
    EXPECT_EQ(rig.view.statusLabel()->text(), "Playing");

    // Off: a new sign shows nothing until the player is on again.
    rig.preferences.setIsOpenPlayer(false);
    rig.view.setIsOpenPlay(false);
    rig.preferences.setPlayingVideoSign(first.sign);
    EXPECT_EQ(rig.title(), "");
    rig.preferences.setIsOpenPlayer(true);
    rig.view.setIsOpenPlay(true);
    EXPECT_EQ(rig.title(), "First");
}

TEST(NowPlayingView, AStoredEnormousTitleIsShownCut) {
    Rig rig;
    const VideoDetail video = rig.add(3, QString(2'000'000, QChar('T')));
    rig.preferences.setPlayingVideoSign(video.sign);
    rig.view.setIsOpenPlay(true);
    // The label shows what fits; the tooltip holds the whole title, as cut for display.
    EXPECT_EQ(rig.view.playingFileNameLabel()->toolTip().size(), ReplyLimits::maximumTextLength);
    EXPECT_LT(rig.title().size(), 200);
}

// Whether anything inside the icon's renderer ticks on its own.
bool rendererTicks(const NowPlayingView& view) {
    const auto timers = view.statusIcon()->renderer()->findChildren<QTimer*>();
    return std::any_of(timers.begin(), timers.end(), [](const QTimer* timer) { return timer->isActive(); });
}

TEST(NowPlayingView, ThePlayingIconMovesOnlyWhileShownWithThePlayerOnAndPlaying) {
    Rig rig;
    rig.preferences.setIsPlaying(true);
    rig.view.setIsOpenPlay(true);
    ASSERT_TRUE(rig.view.statusIcon()->renderer()->animated()) << "the playing icon is a moving one";
    EXPECT_TRUE(rig.view.isAnimating());
    EXPECT_FALSE(rendererTicks(rig.view)) << "only the view paces the icon";

    // The wallpaper paused, then playing again (as the other program writes it).
    rig.preferences.setIsPlaying(false);
    EXPECT_FALSE(rig.view.isAnimating());
    rig.preferences.setIsPlaying(true);
    EXPECT_TRUE(rig.view.isAnimating());

    // The window hidden, minimised, and back.
    rig.view.hide();
    EXPECT_FALSE(rig.view.isAnimating());
    rig.view.show();
    EXPECT_TRUE(rig.view.isAnimating());
    rig.view.setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(rig.view.isAnimating());
    rig.view.setWindowState(Qt::WindowNoState);
    rig.view.show();
    EXPECT_TRUE(rig.view.isAnimating());

    // The player off shows the still icon; on again, it moves again.
    rig.view.setIsOpenPlay(false);
    EXPECT_FALSE(rig.view.isAnimating());
    rig.view.setIsOpenPlay(true);
    EXPECT_TRUE(rig.view.isAnimating());
    EXPECT_FALSE(rendererTicks(rig.view));
}

TEST(NowPlayingView, InsideAWindowTheIconStopsWhenTheWindowCloses) {
    TestHome home;
    UserDefaults suite(home.file("suite.ini"));
    Preferences preferences(suite);
    preferences.setIsPlaying(true);
    LocalVideoDBManager database(home.file("Corvex.db"));
    QWidget window;
    auto* view = new NowPlayingView(preferences, database, {}, &window);
    view->setIsOpenPlay(true);
    EXPECT_FALSE(view->isAnimating()) << "never shown yet";
    window.show();
    EXPECT_TRUE(view->isAnimating());
    window.close();
    EXPECT_FALSE(view->isAnimating());
    window.show();
    EXPECT_TRUE(view->isAnimating());
    window.setWindowState(Qt::WindowMinimized);
    EXPECT_FALSE(view->isAnimating());
}

TEST(NowPlayingView, AMissingIconShowsNothing) {
    TestHome home;
    UserDefaults suite(home.file("suite.ini"));
    Preferences preferences(suite);
    LocalVideoDBManager database(home.file("Corvex.db"));
    NowPlayingView view(preferences, database, [](const QString&) { return QString(); });
    view.setIsOpenPlay(true);
    EXPECT_EQ(view.loadedIconPath(), "");
    EXPECT_FALSE(view.statusIcon()->renderer()->isValid());
    EXPECT_EQ(view.statusLabel()->text(), "Playing");
}

} // namespace

TEST(NowPlayingView, ALongTitleEndsInAnEllipsisWithinTheViewsOneWidth) {
    Rig rig;
    const QString whole = "A very long title of a wallpaper video that no bottom bar could ever show whole";
    const VideoDetail video = rig.add(1, whole);
    rig.preferences.setPlayingVideoSign(video.sign);
    rig.view.setIsOpenPlay(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(rig.view.width(), NowPlayingView::viewWidth);
    QPushButton* title = rig.view.playingFileNameLabel();
    EXPECT_TRUE(rig.title().endsWith(QChar(0x2026))) << rig.title().toStdString();
    EXPECT_TRUE(whole.startsWith(rig.title().chopped(1)));
    EXPECT_EQ(title->toolTip(), whole);
    EXPECT_LE(title->geometry().right(), rig.view.rect().right());
    EXPECT_LE(title->fontMetrics().horizontalAdvance(rig.title()), title->width());
    rig.clickTitle();
    EXPECT_EQ(rig.clicks.size(), 1u);
}
