#include "AgentTestRig.h"
#include "ScreenChangeMonitor.h"
#include "UpgradeWindow.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

namespace {
UpgradeInfo update(const QString& ver, const QString& url = "https://www.zerafin.example/get") {
    return UpgradeInfo{url, QString(), ver, "<p>notes</p>"};
}

int visibleUpgradePanels() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<UpgradeWindow*>(widget) && widget->isVisible())
            ++count;
    return count;
}

bool alertVisible(AppDelegate& delegate) {
    return delegate.upToDateWindowController().isWindowLoaded() &&
           delegate.upToDateWindowController().window()->isVisible();
}

struct DelegateTest : ::testing::Test {
    void SetUp() override {
        rig.build();
        rig.delegate->setVersions("1.2.0.15", "1.2.0(15)");
    }
    void TearDown() override {
        for (QWidget* widget : QApplication::topLevelWidgets())
            widget->close();
    }
    AgentTestRig rig;
};
} // namespace

TEST_F(DelegateTest, AnOlderBuildIsNotOfferedAndAManualCheckSaysUpToDate) {
    rig.delegate->showUpdateResult(update("1.2.0.9"), false);
    EXPECT_EQ(rig.delegate->upgradeWC(), nullptr);
    EXPECT_FALSE(alertVisible(*rig.delegate));
    rig.delegate->showUpdateResult(update("1.2.0.15"), true);
    EXPECT_EQ(rig.delegate->upgradeWC(), nullptr);
    ASSERT_TRUE(alertVisible(*rig.delegate));
    EXPECT_EQ(rig.delegate->upToDateWindowController().titleLabel()->text(), "You're up to date");
    EXPECT_EQ(rig.delegate->upToDateWindowController().infoLabel()->text(),
              "1.2.0(15) is currently the newest version");
}

TEST_F(DelegateTest, ANewerVersionOpensOnePanelAndTheLatestAnswerReplacesIt) {
    rig.delegate->showUpdateResult(update("1.2.0.1.1"), false);
    rig.delegate->setVersions("1.2.0.1", "1.2.0(1)");
    rig.delegate->showUpdateResult(update("1.2.0.1.1"), false);
    ASSERT_TRUE(rig.delegate->upgradeWC());
    EXPECT_TRUE(rig.delegate->upgradeWC()->window()->isVisible());
    rig.delegate->showUpdateResult(update("1.3"), false);
    EXPECT_EQ(visibleUpgradePanels(), 1);
    EXPECT_EQ(rig.delegate->upgradeWC()->upgradeInfo()->ver, "1.3");
    EXPECT_FALSE(alertVisible(*rig.delegate));
}

TEST_F(DelegateTest, TheDecisionIsQueuedBehindTheCurrentWork) {
    rig.delegate->dispatchUpdateResult(std::nullopt, true);
    EXPECT_FALSE(alertVisible(*rig.delegate));
    EXPECT_TRUE(TestHome::waitUntil([&] { return alertVisible(*rig.delegate); }));
}

TEST_F(DelegateTest, TheServersAnswerDecidesThroughTheMenuAndTheSilentCheck) {
    // Data without "url": no record; the manual check says up to date.
    rig.server.setUpdateData(QJsonObject{{"ver", "9.9"}, {"exp", "x"}});
    rig.menu->checkUpdates();
    EXPECT_TRUE(TestHome::waitUntil([&] { return alertVisible(*rig.delegate); }));
    EXPECT_EQ(rig.delegate->upgradeWC(), nullptr);
    rig.delegate->upToDateWindowController().window()->close();

    // "url" without "ver": an empty version is never newer.
    rig.server.setUpdateData(QJsonObject{{"url", "https://www.zerafin.example/get"}});
    rig.menu->checkUpdates();
    EXPECT_TRUE(TestHome::waitUntil([&] { return alertVisible(*rig.delegate); }));
    EXPECT_EQ(rig.delegate->upgradeWC(), nullptr);
    rig.delegate->upToDateWindowController().window()->close();

    rig.server.setUpdateData(QJsonObject{{"url", "https://www.zerafin.example/get"},
                                         {"ver", "1.2.0.16"},
                                         {"md5", "x"},
                                         {"exp", "<b>new</b>"}});
    rig.menu->checkUpdates();
    EXPECT_TRUE(TestHome::waitUntil([&] { return rig.delegate->upgradeWC() != nullptr; }));
    EXPECT_EQ(visibleUpgradePanels(), 1);
    EXPECT_EQ(rig.server.requestsFor("24").size(), 3);
}

TEST(AppDelegate, StartUpWithThePlayerClosedBuildsEverythingAndChecksSilently) {
    AgentTestRig rig;
    rig.addClip("one");
    rig.preset([](UserDefaults& s) { s.setBool(false, "IsOpenPlayer"); });
    rig.server.setUpdateData(QJsonObject{{"url", "https://www.zerafin.example/get"}, {"ver", "0.1"}});
    rig.build();
    rig.delegate->startUp();
    ASSERT_TRUE(rig.player);
    EXPECT_FALSE(rig.player->isPlaying());
    ASSERT_FALSE(rig.manager->windowList().empty());
    for (auto* window : rig.manager->windowList())
        EXPECT_FALSE(window->isVisible());
    ASSERT_TRUE(rig.menu->menu());
    EXPECT_EQ(rig.menu->toggleVideoDestopItem().text(), "Open Video Wallpaper");
    EXPECT_TRUE(rig.server.waitForRequests(1));
    TestHome::spin(std::chrono::milliseconds(300));
    const auto checks = rig.server.requestsFor("24");
    ASSERT_EQ(checks.size(), 1);
    EXPECT_EQ(checks.first().path, "/litecount.html");
    EXPECT_EQ(rig.delegate->upgradeWC(), nullptr);
    EXPECT_FALSE(alertVisible(*rig.delegate));
}

TEST(AppDelegate, OcclusionReloadsOnlyWhilePlaying) {
    AgentTestRig rig;
    rig.addClip("one");
    rig.build();
    rig.delegate->startUp();
    ASSERT_TRUE(rig.player);
    const std::size_t loads = rig.player->loads.size();
    rig.delegate->applicationDidChangeOcclusionState();
    EXPECT_EQ(rig.player->loads.size(), loads + 1);
    EXPECT_TRUE(rig.player->isPlaying());

    rig.preferences->setIsPlaying(false);
    ASSERT_FALSE(rig.player->isPlaying());
    rig.delegate->applicationDidChangeOcclusionState();
    EXPECT_EQ(rig.player->loads.size(), loads + 1);
    EXPECT_FALSE(rig.player->isPlaying());
}

TEST(AppDelegate, WakingWhilePlayingResumesWithoutReloading) {
    AgentTestRig rig;
    rig.addClip("one");
    rig.build();
    rig.delegate->startUp();
    ASSERT_TRUE(rig.player);
    rig.player->pause(); // the machine slept with the video running
    const std::size_t loads = rig.player->loads.size();
    rig.delegate->didWakeNotification();
    EXPECT_TRUE(rig.player->isPlaying());
    EXPECT_EQ(rig.player->loads.size(), loads);
    for (auto* window : rig.manager->windowList())
        EXPECT_TRUE(window->isVisible());

    // Paused by the user: waking leaves it paused.
    rig.preferences->setIsPlaying(false);
    rig.delegate->didWakeNotification();
    EXPECT_FALSE(rig.player->isPlaying());
}

TEST(AppDelegate, ScreenChangesWhileClosedKeepTheWindowsButRebuildTheMenu) {
    AgentTestRig rig({QRect(0, 0, 1920, 1080)});
    rig.preset([](UserDefaults& s) { s.setBool(false, "IsOpenPlayer"); });
    rig.build();
    rig.delegate->startUp();
    const auto windows = rig.manager->windowList();
    QMenu* menu = rig.menu->menu();
    rig.screens.setScreens({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)});
    rig.center.post(ScreenChangeMonitor::notificationName);
    EXPECT_EQ(rig.manager->windowList(), windows);
    EXPECT_NE(rig.menu->menu(), menu);
    EXPECT_EQ(rig.menu->lonelyMenu().actions().size(), 2);
}

TEST(AppDelegate, QuittingPostsTheEndNotificationOnce) {
    AgentTestRig rig;
    rig.build();
    if (!rig.distributedCenter.isConnected())
        GTEST_SKIP() << "no session bus";
    DistributedNotificationCenter listener(
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "listener"));
    int received = 0;
    Disposable token = listener.addObserver(AppDelegate::terminateNotificationName, [&] { ++received; });
    rig.delegate->applicationWillTerminate();
    rig.delegate->applicationWillTerminate();
    EXPECT_TRUE(TestHome::waitUntil([&] { return received == 1; }));
    TestHome::spin(std::chrono::milliseconds(200));
    EXPECT_EQ(received, 1);
}
