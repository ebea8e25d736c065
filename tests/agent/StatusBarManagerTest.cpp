#include "AgentTestRig.h"
#include "AppInfo.h"
#include "ScreenChangeMonitor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
const QRect mainScreen(0, 0, 1920, 1080);
const QRect secondScreen(1920, 0, 1280, 1024);

// The titles of a menu's entries, separators as "-".
QStringList titles(const QMenu& menu) {
    QStringList out;
    for (QAction* action : menu.actions())
        out << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return out;
}

QAction* find(const QMenu& menu, const QString& title) {
    for (QAction* action : menu.actions())
        if (action->text() == title)
            return action;
    return nullptr;
}

QList<bool> checks(const QMenu& menu) {
    QList<bool> out;
    for (QAction* action : menu.actions())
        out << action->isChecked();
    return out;
}
} // namespace

TEST(StatusBarManager, OneScreenHasNoScreenEntryAndTwoSeparatorsInARow) {
    AgentTestRig rig;
    rig.build();
    rig.menu->buildMenu();
    ASSERT_TRUE(rig.menu->menu());
    EXPECT_EQ(titles(*rig.menu->menu()),
              (QStringList{"Main Window", AppInfo::displayVersion(), "Check for Updates...", "-",
                           "Close Video Wallpaper", "Pause", "Hide Desktop Icon", "Mute", "-", "-", "Quit"}));
    EXPECT_FALSE(find(*rig.menu->menu(), AppInfo::displayVersion())->isEnabled());
    EXPECT_EQ(find(*rig.menu->menu(), "Quit")->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(rig.menu->barItem().contextMenu(), rig.menu->menu());
    EXPECT_FALSE(rig.menu->barItem().icon().isNull());
    EXPECT_EQ(rig.menu->observationCount(), 5u);
}

TEST(StatusBarManager, TwoScreensOfferTheArrangementsAndOneNumberPerScreen) {
    AgentTestRig rig({mainScreen, secondScreen});
    rig.build();
    rig.menu->buildMenu();
    QAction* screen = find(*rig.menu->menu(), "Screen");
    ASSERT_TRUE(screen);
    ASSERT_TRUE(screen->menu());
    EXPECT_EQ(titles(*screen->menu()), (QStringList{"Integration", "Mirror", "Single"}));
    QMenu& numbers = rig.menu->lonelyMenu();
    EXPECT_EQ(rig.menu->lonelyItem().menu(), &numbers);
    EXPECT_EQ(titles(numbers), (QStringList{"1", "2"}));
    EXPECT_EQ(numbers.actions().at(0)->shortcut(), QKeySequence("Ctrl+1"));
    EXPECT_EQ(numbers.actions().at(1)->shortcut(), QKeySequence("Ctrl+2"));
    EXPECT_EQ(numbers.actions().at(1)->data().toLongLong(), 1);
}

TEST(StatusBarManager, LonelyAtStartWithAnIndexBeyondTheScreensChecksTheFirstNumberOnly) {
    AgentTestRig rig({mainScreen, secondScreen});
    rig.preset([](UserDefaults& s) {
        s.setInteger(2, "MonitorArrange");
        s.setInteger(5, "ScreenIndex");
    });
    rig.build();
    ASSERT_EQ(rig.manager->screenType(), VideoPlayerScreenType::lonely);
    ASSERT_EQ(rig.manager->screenIndex(), 5);
    rig.menu->buildMenu();
    EXPECT_EQ(checks(rig.menu->lonelyMenu()), (QList<bool>{true, false}));
    EXPECT_FALSE(rig.menu->lonelyItem().isChecked());
    EXPECT_FALSE(rig.menu->comboItem().isChecked());
    EXPECT_FALSE(rig.menu->dynamicItem().isChecked());
}

TEST(StatusBarManager, TheOtherProgramsArrangementMovesTheCheckMarksOnlyForKnownValues) {
    AgentTestRig rig({mainScreen, secondScreen});
    rig.build();
    rig.menu->buildMenu();
    EXPECT_TRUE(rig.menu->comboItem().isChecked());
    rig.otherProgramWrites([](UserDefaults& s) { s.setInteger(2, "MonitorArrange"); });
    EXPECT_TRUE(rig.menu->lonelyItem().isChecked());
    EXPECT_FALSE(rig.menu->comboItem().isChecked());
    EXPECT_FALSE(rig.menu->dynamicItem().isChecked());
    rig.otherProgramWrites([](UserDefaults& s) { s.setInteger(7, "MonitorArrange"); });
    EXPECT_TRUE(rig.menu->lonelyItem().isChecked());
    EXPECT_FALSE(rig.menu->comboItem().isChecked());
    EXPECT_FALSE(rig.menu->dynamicItem().isChecked());
    rig.otherProgramWrites([](UserDefaults& s) { s.setInteger(-1, "MonitorArrange"); });
    EXPECT_TRUE(rig.menu->lonelyItem().isChecked());
}

TEST(StatusBarManager, ChoosingAScreenNumberGoesSingleOnThatScreen) {
    AgentTestRig rig({mainScreen, secondScreen});
    rig.build();
    rig.menu->buildMenu();
    rig.menu->lonelyMenu().actions().at(1)->trigger();
    EXPECT_EQ(rig.manager->screenType(), VideoPlayerScreenType::lonely);
    EXPECT_EQ(rig.manager->screenIndex(), 1);
    EXPECT_EQ(rig.preferences->monitorArrange(), 2);
    EXPECT_EQ(rig.preferences->screenIndex(), 1);
    EXPECT_EQ(rig.suite->integerForKey("MonitorArrange"), 2);
    EXPECT_EQ(rig.suite->integerForKey("ScreenIndex"), 1);
    EXPECT_EQ(checks(rig.menu->lonelyMenu()), (QList<bool>{false, true}));
    EXPECT_TRUE(rig.menu->lonelyItem().isChecked());
    EXPECT_FALSE(rig.menu->comboItem().isChecked());
    EXPECT_EQ(rig.manager->windowList().size(), 1u);
}

TEST(StatusBarManager, ChoosingMirrorLeavesTheStoredScreenIndexAlone) {
    AgentTestRig rig({mainScreen, secondScreen});
    rig.preset([](UserDefaults& s) {
        s.setInteger(2, "MonitorArrange");
        s.setInteger(1, "ScreenIndex");
    });
    rig.build();
    rig.menu->buildMenu();
    rig.menu->dynamicItem().trigger();
    EXPECT_EQ(rig.manager->screenType(), VideoPlayerScreenType::dynamic);
    EXPECT_EQ(rig.preferences->monitorArrange(), 1);
    EXPECT_EQ(rig.preferences->screenIndex(), 1);
    EXPECT_EQ(rig.suite->integerForKey("ScreenIndex"), 1);
    EXPECT_TRUE(rig.menu->dynamicItem().isChecked());
    EXPECT_FALSE(rig.menu->comboItem().isChecked());
    EXPECT_FALSE(rig.menu->lonelyItem().isChecked());
    EXPECT_EQ(rig.manager->windowList().size(), 2u);
}

TEST(StatusBarManager, ThePlayerClosedFromOutsideDisablesItsItemsAndShowsTheIcons) {
    AgentTestRig rig;
    rig.build();
    rig.manager->setUpWindows();
    rig.menu->buildMenu();
    rig.menu->hideDesktopIconItem().trigger();
    ASSERT_TRUE(rig.menu->desktopIconIsHiden());
    ASSERT_TRUE(rig.menu->hideDesktopIconItem().isChecked());
    ASSERT_TRUE(rig.manager->isHideDesktopIcon());

    rig.otherProgramWrites([](UserDefaults& s) { s.setBool(false, "IsOpenPlayer"); });
    EXPECT_EQ(rig.menu->toggleVideoDestopItem().text(), "Open Video Wallpaper");
    EXPECT_FALSE(rig.menu->playPauseItem().isEnabled());
    EXPECT_FALSE(rig.menu->hideDesktopIconItem().isEnabled());
    EXPECT_FALSE(rig.menu->hideDesktopIconItem().isChecked());
    EXPECT_FALSE(rig.menu->desktopIconIsHiden());
    EXPECT_FALSE(rig.manager->isHideDesktopIcon());

    // Opened again from the menu: the switch and the items come back.
    rig.menu->toggleVideoDestopItem().trigger();
    EXPECT_TRUE(rig.preferences->isOpenPlayer());
    EXPECT_EQ(rig.menu->toggleVideoDestopItem().text(), "Close Video Wallpaper");
    EXPECT_TRUE(rig.menu->playPauseItem().isEnabled());
    EXPECT_TRUE(rig.menu->hideDesktopIconItem().isEnabled());
}

TEST(StatusBarManager, ACheckedMuteClickedUnmutesAndWritesTheSetting) {
    AgentTestRig rig;
    rig.build();
    rig.menu->buildMenu();
    rig.otherProgramWrites([](UserDefaults& s) { s.setBool(true, "Mute"); });
    ASSERT_TRUE(rig.menu->muteItem().isChecked());
    ASSERT_TRUE(rig.manager->isMuted());
    rig.menu->muteItem().trigger();
    EXPECT_FALSE(rig.manager->isMuted());
    EXPECT_FALSE(rig.menu->muteItem().isChecked());
    EXPECT_FALSE(rig.preferences->mute());
    EXPECT_FALSE(rig.suite->boolForKey("Mute"));
    rig.menu->muteItem().trigger();
    EXPECT_TRUE(rig.manager->isMuted());
    EXPECT_TRUE(rig.menu->muteItem().isChecked());
    EXPECT_TRUE(rig.suite->boolForKey("Mute"));
}

TEST(StatusBarManager, PlayPauseActsOnThePlayerAndFlipsTheSetting) {
    AgentTestRig rig;
    rig.addClip("one");
    rig.build();
    rig.manager->setUpWindows();
    rig.menu->buildMenu();
    ASSERT_TRUE(rig.player);
    ASSERT_TRUE(rig.player->isPlaying());
    rig.menu->playPauseItem().trigger();
    EXPECT_FALSE(rig.player->isPlaying());
    EXPECT_FALSE(rig.preferences->isPlaying());
    EXPECT_EQ(rig.menu->playPauseItem().text(), "Play");
    rig.menu->playPauseItem().trigger();
    EXPECT_TRUE(rig.player->isPlaying());
    EXPECT_TRUE(rig.preferences->isPlaying());
    EXPECT_EQ(rig.menu->playPauseItem().text(), "Pause");
}

TEST(StatusBarManager, LongLivedItemsKeepTheirStateAcrossRebuilds) {
    AgentTestRig rig;
    rig.build();
    rig.menu->buildMenu();
    QAction* mute = &rig.menu->muteItem();
    mute->trigger();
    ASSERT_TRUE(mute->isChecked());
    rig.menu->resetMenu();
    EXPECT_EQ(rig.menu->observationCount(), 0u);
    EXPECT_EQ(rig.menu->barItem().contextMenu(), nullptr);
    // Without observations the menu no longer follows the settings...
    rig.otherProgramWrites([](UserDefaults& s) { s.setBool(false, "IsOpenPlayer"); });
    EXPECT_EQ(rig.menu->toggleVideoDestopItem().text(), "Close Video Wallpaper");
    rig.menu->buildMenu();
    // ...and the new menu holds the same items with their states.
    EXPECT_EQ(find(*rig.menu->menu(), "Mute"), mute);
    EXPECT_TRUE(mute->isChecked());
    rig.otherProgramWrites([](UserDefaults& s) { s.setBool(true, "IsOpenPlayer"); });
    rig.otherProgramWrites([](UserDefaults& s) { s.setBool(false, "IsOpenPlayer"); });
    EXPECT_EQ(rig.menu->toggleVideoDestopItem().text(), "Open Video Wallpaper");
    EXPECT_EQ(rig.menu->observationCount(), 5u);
}

TEST(StatusBarManager, ManyScreenChangesLeaveOneRegistrationAndOneNumberPerScreen) {
    AgentTestRig rig({mainScreen});
    rig.build();
    rig.menu->buildMenu();
    for (int round = 0; round < 4; ++round) {
        rig.menu->resetMenu();
        rig.menu->buildMenu();
    }
    rig.screens.setScreens({mainScreen, secondScreen, QRect(3200, 0, 800, 600)});
    // Each refill replaces the number items: one notification must replace them exactly once.
    int replaced = 0;
    for (QAction* item : rig.menu->lonelyMenu().actions())
        QObject::connect(item, &QObject::destroyed, [&] { ++replaced; });
    const int before = int(rig.menu->lonelyMenu().actions().size());
    rig.center.post(ScreenChangeMonitor::notificationName);
    EXPECT_EQ(replaced, before);
    EXPECT_EQ(titles(rig.menu->lonelyMenu()), (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(find(*rig.menu->menu(), "Screen"));
    rig.screens.setScreens({mainScreen});
    rig.center.post(ScreenChangeMonitor::notificationName);
    EXPECT_EQ(titles(rig.menu->lonelyMenu()), (QStringList{"1"}));
    EXPECT_FALSE(find(*rig.menu->menu(), "Screen"));
}

namespace {
TEST(StatusBarManager, OpeningTheMainApplicationGoesThroughTheLauncherItWasGiven) {
    AgentTestRig rig;
    // The main application as an executable in a folder of the rig's launcher only.
    const QString folder = rig.home.file("bin");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString marker = rig.home.file("launched");
    QFile program(folder + "/zerafin-video-desktop");
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write(("#!/bin/sh\ntouch '" + marker + "'\n").toUtf8());
    program.close();
    program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
    rig.launcher = ApplicationLauncher({}, {folder});
    rig.build();
    rig.menu->showMainWindowMenuItemAction();
    EXPECT_TRUE(TestHome::waitUntil([&] { return QFileInfo::exists(marker); }));
}
} // namespace
