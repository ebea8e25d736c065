#include "FunctionViewController.h"
#include "Preferences.h"
#include "SwitchButton.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

TEST(FunctionViewController, ThePlayerSwitchWritesAndFollowsTheSettingAndTheOtherDoesNothing) {
    TestHome home;
    UserDefaults suite(home.file("suite.ini"));
    Preferences::registerDefaults(suite);
    Preferences preferences(suite);
    FunctionViewController page(preferences);
    page.show();
    SwitchButton* player = page.videoButton();
    EXPECT_TRUE(player->isOpen());
    EXPECT_EQ(player->geometry().left(), page.videoLabel()->geometry().right() + 1 + 100);
    EXPECT_EQ(player->y() + player->height() / 2.0,
              page.videoLabel()->y() + page.videoLabel()->height() / 2.0);
    EXPECT_EQ(page.lockButton()->geometry().left(), player->geometry().left());

    QTest::mouseClick(player, Qt::LeftButton);
    EXPECT_FALSE(preferences.isOpenPlayer());
    preferences.setIsOpenPlayer(true);
    EXPECT_TRUE(player->isOpen());

    QTest::mouseClick(page.lockButton(), Qt::LeftButton);
    EXPECT_TRUE(preferences.isOpenPlayer());

    // Appearing again re-reads the setting, even one changed behind the binding's back.
    page.hide();
    player->setIsOpen(false);
    page.show();
    EXPECT_TRUE(player->isOpen());
}
