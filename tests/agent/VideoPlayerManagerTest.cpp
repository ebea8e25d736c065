#include "VideoPlayerManager.h"
#include "DistributedNotificationCenter.h"
#include "FakePlayer.h"
#include "FakeScreenList.h"
#include "LocalVideoDBManager.h"
#include "LocalVideoPath.h"
#include "Preferences.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "WorkspaceMonitor.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

class VideoPlayerManagerTest : public ::testing::Test {
protected:
    VideoPlayerManagerTest() : suite(home.file("suite.ini")), preferences(suite), db(home.file("Corvex.db")) {
        preferences.setIsOpenPlayer(true);
        preferences.setIsPlaying(true);
        preferences.setVolume(0.5f);
        preferences.setPlayingVideoSign(std::nullopt);
        db.deleteAll();
    }

    // A library row whose file exists, stored as a plain path with a space in it.
    QString addVideo(const QString& sign) {
        const QString path = writeFile(sign);
        addRow(sign, path);
        return path;
    }
    QString writeFile(const QString& sign) {
        QDir().mkpath(home.file("Application Support"));
        const QString path = home.file("Application Support/" + sign + ".mp4");
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("video");
        return path;
    }
    void addRow(const QString& sign, const QString& url) {
        VideoDetail video;
        video.sign = sign;
        video.url = url;
        ASSERT_TRUE(db.insert(video));
    }

    VideoPlayerManager& make() {
        manager = std::make_unique<VideoPlayerManager>(preferences, db, screens, workspace,
                                                       DistributedNotificationCenter::shared(), [this] {
                                                           auto made = std::make_unique<FakePlayer>();
                                                           player = made.get();
                                                           return made;
                                                       });
        return *manager;
    }
    FakePlayer& fake() {
        manager->player();
        return *player;
    }
    QString currentSign() const {
        return manager->videoList().current ? manager->videoList().current->val.sign : QString();
    }
    std::optional<QString> item() const { return player ? player->currentItem() : std::nullopt; }
    QString path(const QString& sign) const { return home.file("Application Support/" + sign + ".mp4"); }

    TestHome home;
    UserDefaults suite;
    Preferences preferences;
    LocalVideoDBManager db;
    FakeScreenList screens;
    WorkspaceMonitor workspace;
    FakePlayer* player = nullptr;
    std::unique_ptr<VideoPlayerManager> manager;
};

TEST_F(VideoPlayerManagerTest, ListModelPlaysInTableOrderAndWraps) {
    addVideo("one");
    addVideo("two");
    addVideo("three");
    preferences.setPlayModel(1);
    make();
    EXPECT_EQ(fake().currentItem(), path("one"));
    EXPECT_EQ(currentSign(), "one");

    std::vector<QString> played;
    for (int i = 0; i < 4; ++i) {
        player->finishItem();
        played.push_back(currentSign());
        EXPECT_EQ(item(), path(currentSign()));
        EXPECT_EQ(preferences.playingVideoSign(), currentSign());
    }
    EXPECT_EQ(played, (std::vector<QString>{"two", "three", "one", "two"}));
    // The rate is kept across items: nothing calls play on an item change.
    EXPECT_EQ(player->playCalls, 0);
}

TEST_F(VideoPlayerManagerTest, StoredSignChoosesTheCurrentRow) {
    addVideo("one");
    addVideo("two");
    addVideo("three");
    preferences.setPlayingVideoSign(QStringLiteral("two"));
    make();
    EXPECT_EQ(fake().currentItem(), path("two"));
    EXPECT_EQ(currentSign(), "two");
}

TEST_F(VideoPlayerManagerTest, RandomDrawsWithoutReplacementAndReshufflesAtTheEnd) {
    addVideo("one");
    addVideo("two");
    addVideo("three");
    preferences.setPlayModel(2);
    make();
    std::vector<quint32> bounds;
    // Always the last element: the shuffled order is the reverse of the table's.
    manager->setRandomSource([&bounds](quint32 bound) {
        bounds.push_back(bound);
        return bound - 1;
    });
    manager->rebuildVideoList();
    EXPECT_EQ(bounds, (std::vector<quint32>{3, 2, 1}));
    EXPECT_EQ(manager->videoList().head->val.sign, "three");
    EXPECT_EQ(manager->videoList().tail->val.sign, "one");

    fake();
    manager->rebuildVideoList();
    manager->playNext(); // three -> two
    manager->playNext(); // two -> one
    EXPECT_EQ(currentSign(), "one");
    bounds.clear();
    player->finishItem(); // end of the list: a new order, and its head plays
    EXPECT_EQ(bounds, (std::vector<quint32>{3, 2, 1}));
    EXPECT_EQ(currentSign(), "three");
    EXPECT_EQ(item(), path("three"));
    EXPECT_TRUE(manager->shuffleVideos({}).empty());
}

TEST_F(VideoPlayerManagerTest, SingleRewindsWithoutTouchingTheSign) {
    addVideo("one");
    addVideo("two");
    make();
    fake();
    manager->syncPlayingVideoSign();
    const size_t loads = player->loads.size();
    player->finishItem();
    EXPECT_EQ(player->seeks, 1);
    EXPECT_EQ(player->loads.size(), loads);
    EXPECT_EQ(currentSign(), "one");
    EXPECT_EQ(preferences.playingVideoSign(), QStringLiteral("one"));
}

TEST_F(VideoPlayerManagerTest, UnreadableAndMissingRowsAreSkippedAndKept) {
    addRow("unreadable", "not a location");
    addRow("gone", home.file("Application Support/gone.mp4"));
    const QString good = addVideo("good");
    addRow("asurl", LocalVideoPath::fileUrlText(writeFile("asurl")));
    preferences.setPlayModel(1);
    make();
    EXPECT_EQ(fake().currentItem(), good);
    EXPECT_EQ(currentSign(), "good");
    player->finishItem();
    EXPECT_EQ(currentSign(), "asurl");
    EXPECT_EQ(item(), path("asurl"));
    player->finishItem(); // round the head, past the two bad rows
    EXPECT_EQ(currentSign(), "good");
    EXPECT_EQ(db.selectAll().size(), 4u);
}

TEST_F(VideoPlayerManagerTest, ASignWhoseFileIsGoneDeletesItsRowOnly) {
    addVideo("one");
    addRow("gone", home.file("Application Support/gone.mp4"));
    addRow("unreadable", "relative/name.mp4");
    make();
    fake();
    const size_t loads = player->loads.size();
    preferences.setPlayingVideoSign(QStringLiteral("gone"));
    EXPECT_FALSE(db.selectBySign("gone"));
    preferences.setPlayingVideoSign(QStringLiteral("unreadable"));
    EXPECT_TRUE(db.selectBySign("unreadable"));
    EXPECT_EQ(player->loads.size(), loads);
    EXPECT_EQ(currentSign(), "one");
    EXPECT_FALSE(manager->videoFileExists("gone"));
    EXPECT_TRUE(manager->videoFileExists("one"));
}

TEST_F(VideoPlayerManagerTest, WhatExistsButIsNoVideoFailsAsAnItemAndKeepsItsRow) {
    addVideo("good");
    const QString folder = home.file("Application Support/folder.mp4");
    ASSERT_TRUE(QDir().mkpath(folder));
    addRow("folder", folder);
    const QString fifo = home.file("Application Support/fifo.mp4");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    addRow("fifo", fifo);
    addRow("device", "/dev/null");
    addRow("elsewhere", "file://host/Application%20Support/good.mp4");
    preferences.setPlayModel(1);
    make();
    fake();
    for (const QString sign : {"folder", "fifo", "device"}) {
        preferences.setPlayingVideoSign(sign);
        ASSERT_TRUE(db.selectBySign(sign)) << sign.toStdString();
        EXPECT_EQ(currentSign(), sign);
        EXPECT_TRUE(item().has_value());
        EXPECT_TRUE(manager->videoFileExists(sign));
        player->failItem(); // the player cannot play it: list play moves on
        EXPECT_NE(currentSign(), sign);
    }
    const size_t loads = player->loads.size();
    preferences.setPlayingVideoSign(QStringLiteral("elsewhere"));
    EXPECT_EQ(player->loads.size(), loads);
    EXPECT_EQ(db.selectAll().size(), 5u);
}

TEST_F(VideoPlayerManagerTest, ChoosingAnotherSignSwitchesAndTheEchoDoesNothing) {
    addVideo("one");
    addVideo("two");
    make();
    fake();
    preferences.setPlayingVideoSign(QStringLiteral("two"));
    EXPECT_EQ(currentSign(), "two");
    EXPECT_EQ(item(), path("two"));
    EXPECT_TRUE(player->isPlaying());
    const size_t loads = player->loads.size();
    const int pauses = player->pauseCalls;
    preferences.setPlayingVideoSign(QStringLiteral("two"));
    preferences.setPlayingVideoSign(std::nullopt);
    EXPECT_EQ(player->loads.size(), loads);
    EXPECT_EQ(player->pauseCalls, pauses);
    EXPECT_EQ(currentSign(), "two");
}

TEST_F(VideoPlayerManagerTest, OutOfRangeSettings) {
    preferences.setPlayModel(7);
    preferences.setMonitorArrange(7);
    make();
    EXPECT_EQ(manager->playModel(), VideoPlayerPlayModel::single);
    EXPECT_EQ(manager->screenType(), VideoPlayerScreenType::dynamic);
    preferences.setMonitorArrange(7);
    EXPECT_EQ(manager->screenType(), VideoPlayerScreenType::lonely);
    preferences.setMonitorArrange(0);
    EXPECT_EQ(manager->screenType(), VideoPlayerScreenType::combo);
    preferences.setPlayModel(2);
    EXPECT_EQ(manager->playModel(), VideoPlayerPlayModel::random);
    preferences.setPlayModel(-1);
    EXPECT_EQ(manager->playModel(), VideoPlayerPlayModel::single);
    preferences.setScreenIndex(1);
    EXPECT_EQ(manager->screenType(), VideoPlayerScreenType::lonely);
    EXPECT_EQ(manager->screenIndex(), 1);
    EXPECT_EQ(manager->property("screenType").toLongLong(), 2);
}

TEST_F(VideoPlayerManagerTest, SpanningFrames) {
    using Type = VideoPlayerScreenType;
    // Side by side, tops aligned.
    EXPECT_EQ(
        VideoPlayerManager::playerFrames(Type::combo, {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}),
        (std::vector<QRect>{QRect(0, 0, 3200, 1080), QRect(-1920, 0, 3200, 1080)}));
    // Side by side, bottoms aligned (the second screen's top lies 56 pixels lower).
    EXPECT_EQ(
        VideoPlayerManager::playerFrames(Type::combo, {QRect(0, 0, 1920, 1080), QRect(1920, 56, 1280, 1024)}),
        (std::vector<QRect>{QRect(0, 0, 3200, 1080), QRect(-1920, -56, 3200, 1080)}));
    // A second screen to the left.
    EXPECT_EQ(VideoPlayerManager::playerFrames(Type::combo,
                                               {QRect(0, 0, 1920, 1080), QRect(-1280, 56, 1280, 1024)}),
              (std::vector<QRect>{QRect(-1280, 0, 3200, 1080), QRect(0, -56, 3200, 1080)}));
    EXPECT_EQ(VideoPlayerManager::playerFrames(Type::combo, {QRect(0, 0, 1440, 900)}),
              (std::vector<QRect>{QRect(0, 0, 1440, 900)}));
    EXPECT_EQ(VideoPlayerManager::playerFrames(Type::dynamic,
                                               {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}),
              (std::vector<QRect>{QRect(0, 0, 1920, 1080), QRect(0, 0, 1280, 1024)}));
    EXPECT_TRUE(VideoPlayerManager::playerFrames(Type::combo, {}).empty());
}

TEST_F(VideoPlayerManagerTest, WindowsFollowTheArrangement) {
    screens.setScreens({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)});
    addVideo("one");
    preferences.setMonitorArrange(2);
    preferences.setScreenIndex(3);
    make();
    manager->setUpWindows();
    ASSERT_EQ(manager->windowList().size(), 1u);
    EXPECT_EQ(manager->windowList()[0]->screenFrame(), QRect(0, 0, 1920, 1080));
    EXPECT_TRUE(manager->windowList()[0]->isVisible());
    EXPECT_EQ(manager->windowList()[0]->lastOrder(), DesktopWindow::Order::back);
    EXPECT_TRUE(player->isPlaying());

    QPointer<DesktopWindow> old = manager->windowList()[0];
    preferences.setMonitorArrange(1);
    EXPECT_TRUE(old.isNull()) << "a replaced window is destroyed";
    ASSERT_EQ(manager->windowList().size(), 2u);
    EXPECT_EQ(manager->windowList()[1]->geometry(), QRect(1920, 0, 1280, 1024));

    preferences.setScreenIndex(1);
    ASSERT_EQ(manager->windowList().size(), 1u);
    EXPECT_EQ(manager->windowList()[0]->screenFrame(), QRect(1920, 0, 1280, 1024));
}

TEST_F(VideoPlayerManagerTest, CoveredIconsAreReappliedOnAWorkspaceChange) {
    addVideo("one");
    make();
    manager->setUpWindows();
    DesktopWindow* window = manager->windowList().at(0);
    manager->setHideDesktopIcon(true);
    EXPECT_EQ(window->lastOrder(), DesktopWindow::Order::front);
    window->orderBack();
    emit workspace.activeSpaceDidChange();
    EXPECT_EQ(window->lastOrder(), DesktopWindow::Order::front);
    manager->setHideDesktopIcon(false);
    window->orderFront();
    emit workspace.activeSpaceDidChange();
    EXPECT_EQ(window->lastOrder(), DesktopWindow::Order::back);
}

TEST_F(VideoPlayerManagerTest, AClickOnADesktopWindowIsReported) {
    make();
    manager->setUpWindows();
    testing::internal::CaptureStdout();
    emit manager->windowList().at(0)->clicked();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "tapVideoPlayerViewAction\n");
}

TEST_F(VideoPlayerManagerTest, ClosedPlayerKeepsItsWindowsOffScreen) {
    addVideo("one");
    screens.setScreens({QRect(0, 0, 1920, 1080)});
    make();
    manager->setUpWindows();
    DesktopWindow* window = manager->windowList().at(0);
    preferences.setIsOpenPlayer(false);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(player->isPlaying());

    // Icons and screens may change while closed: the flag is stored, nothing is rebuilt.
    manager->setHideDesktopIcon(true);
    EXPECT_EQ(window->lastOrder(), DesktopWindow::Order::out);
    screens.setScreens({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)});
    manager->screensDidChange();
    ASSERT_EQ(manager->windowList().size(), 1u);
    EXPECT_EQ(manager->windowList()[0], window);

    preferences.setIsOpenPlayer(true);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->lastOrder(), DesktopWindow::Order::front);
    EXPECT_TRUE(player->isPlaying());
    manager->screensDidChange();
    EXPECT_EQ(manager->windowList().size(), 2u);
}

TEST_F(VideoPlayerManagerTest, ScreenChangesRebuildOnlyWhenTheFramesDiffer) {
    screens.setScreens({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)});
    make();
    manager->setUpWindows();
    DesktopWindow* first = manager->windowList().at(0);
    screens.setScreens({QRect(1920, 0, 1280, 1024), QRect(0, 0, 1920, 1080)});
    manager->screensDidChange();
    EXPECT_EQ(manager->windowList().at(0), first);
    screens.setScreens({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1080)});
    manager->screensDidChange();
    EXPECT_EQ(manager->windowList().at(1)->screenFrame(), QRect(1920, 0, 1920, 1080));
}

TEST_F(VideoPlayerManagerTest, EmptyLibraryDoesNotHangAndTheNextUpdateTriesAgain) {
    make();
    manager->setUpWindows();
    EXPECT_FALSE(fake().hasCurrentItem());
    manager->reloadAndPlay();
    manager->playNext();
    player->finishItem();
    EXPECT_FALSE(player->hasCurrentItem());
    EXPECT_EQ(preferences.playingVideoSign(), std::nullopt);

    addVideo("one");
    DistributedNotificationCenter::shared().post(QStringLiteral("UpdateVideoList"));
    ASSERT_TRUE(TestHome::waitUntil([&] { return player->hasCurrentItem(); }));
    EXPECT_EQ(item(), path("one"));
    EXPECT_TRUE(player->isPlaying());
    EXPECT_EQ(preferences.playingVideoSign(), QStringLiteral("one"));
}

TEST_F(VideoPlayerManagerTest, UpdateVideoListRebuildsTheList) {
    addVideo("one");
    make();
    fake();
    addVideo("two");
    DistributedNotificationCenter::shared().post(QStringLiteral("UpdateVideoList"));
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager->videoList().count() == 2; }));
    EXPECT_EQ(item(), path("one"));
}

TEST_F(VideoPlayerManagerTest, AFailedItemMovesOnAndAWholeRoundOfFailuresStops) {
    addVideo("one");
    addVideo("two");
    addVideo("three");
    preferences.setPlayModel(1);
    make();
    fake();
    manager->reloadAndPlay();
    player->failItem();
    EXPECT_EQ(currentSign(), "two");
    player->startItem(); // two plays: the streak ends
    player->failItem();
    player->failItem();
    EXPECT_EQ(currentSign(), "one");
    EXPECT_TRUE(player->hasCurrentItem());
    player->failItem(); // three failures in a row on three rows
    EXPECT_FALSE(player->hasCurrentItem());
    EXPECT_TRUE(manager->stoppedAfterFailures());
    player->failItem(); // nothing is loaded any more: nothing moves
    EXPECT_FALSE(player->hasCurrentItem());

    DistributedNotificationCenter::shared().post(QStringLiteral("UpdateVideoList"));
    ASSERT_TRUE(TestHome::waitUntil([&] { return player->hasCurrentItem(); }));
    EXPECT_FALSE(manager->stoppedAfterFailures());
}

TEST_F(VideoPlayerManagerTest, SettingsReachThePlayer) {
    addVideo("one");
    make();
    fake();
    EXPECT_FLOAT_EQ(player->volume(), 0.5f);
    preferences.setVolume(0.25f);
    EXPECT_FLOAT_EQ(player->volume(), 0.25f);
    preferences.setMute(true);
    EXPECT_TRUE(manager->isMuted());
    preferences.setIsPlaying(false);
    EXPECT_FALSE(player->isPlaying());
    preferences.setIsPlaying(true);
    EXPECT_TRUE(player->isPlaying());
}

TEST(VideoInfoList, AppendAdvanceAndRemoveAll) {
    VideoInfoList list;
    list.advance();
    EXPECT_FALSE(list.current);
    for (int i = 0; i < 3; ++i) {
        VideoDetail video;
        video.sign = QString::number(i);
        list.append(video);
    }
    EXPECT_EQ(list.current, list.head);
    list.advance();
    list.advance();
    EXPECT_EQ(list.current, list.tail);
    list.advance();
    EXPECT_EQ(list.current, list.head);
    std::weak_ptr<VideoInfoNode> last = list.tail;
    list.removeAll();
    EXPECT_FALSE(list.head || list.tail || list.current);
    EXPECT_TRUE(last.expired());
    // A long list goes without deep recursion.
    for (int i = 0; i < 200000; ++i)
        list.append(VideoDetail());
    list.removeAll();
    EXPECT_EQ(list.count(), 0u);
}

} // namespace
