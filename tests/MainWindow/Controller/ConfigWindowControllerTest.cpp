#include "ConfigWindowController.h"
#include "FakeScreenList.h"
#include "Preferences.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
struct SettingsTest : ::testing::Test {
    void SetUp() override {
        suite = std::make_unique<UserDefaults>(home.file("suite.ini"));
        Preferences::registerDefaults(*suite);
    }
    ConfigWindowController& open() {
        preferences = std::make_unique<Preferences>(*suite);
        window = std::make_unique<ConfigWindowController>(*preferences, screens);
        window->show();
        return *window;
    }
    QRadioButton* checkedRadio() const {
        for (QRadioButton* radio :
             {window->multipleRadioButton(), window->mirrorRadioButton(), window->singleRadioButton()})
            if (radio->isChecked())
                return radio;
        return nullptr;
    }
    void choose(int item) {
        QComboBox* list = window->monitorList();
        list->setCurrentIndex(item);
        emit list->activated(item);
    }

    TestHome home;
    std::unique_ptr<UserDefaults> suite;
    std::unique_ptr<Preferences> preferences;
    FakeScreenList screens{{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)}};
    std::unique_ptr<ConfigWindowController> window;
};
} // namespace

TEST_F(SettingsTest, TheRadiosShowTheStoredArrangementAndAnythingElseShowsTheFirst) {
    suite->setInteger(1, "MonitorArrange");
    open();
    EXPECT_EQ(checkedRadio(), window->mirrorRadioButton());
    suite->setInteger(5, "MonitorArrange");
    open();
    EXPECT_EQ(checkedRadio(), window->multipleRadioButton());
    // A later change to a value outside the three leaves the buttons as they are.
    preferences->setMonitorArrange(2);
    EXPECT_EQ(checkedRadio(), window->singleRadioButton());
    preferences->setMonitorArrange(7);
    EXPECT_EQ(checkedRadio(), window->singleRadioButton());
}

TEST_F(SettingsTest, ClickingARadioWritesItsArrangement) {
    open();
    QTest::mouseClick(window->mirrorRadioButton(), Qt::LeftButton, {},
                      QPoint(6, window->mirrorRadioButton()->height() / 2));
    EXPECT_EQ(preferences->monitorArrange(), 1);
    QTest::mouseClick(window->singleRadioButton(), Qt::LeftButton, {},
                      QPoint(6, window->singleRadioButton()->height() / 2));
    EXPECT_EQ(preferences->monitorArrange(), 2);
    EXPECT_EQ(UserDefaults(suite->filePath()).integerForKey("MonitorArrange"), 2);
    QTest::mouseClick(window->multipleRadioButton(), Qt::LeftButton, {},
                      QPoint(6, window->multipleRadioButton()->height() / 2));
    EXPECT_EQ(preferences->monitorArrange(), 0);
}

TEST_F(SettingsTest, TheMonitorListNamesEveryScreenAndWritesTheChosenIndex) {
    suite->setInteger(1, "ScreenIndex");
    open();
    ASSERT_EQ(window->monitorList()->count(), 2);
    EXPECT_EQ(window->monitorList()->itemText(0), "Monitor 1");
    EXPECT_EQ(window->monitorList()->itemText(1), "Monitor 2");
    EXPECT_EQ(window->monitorList()->currentIndex(), 1);
    const auto monitors = window->monitorArray();
    ASSERT_EQ(monitors.size(), 2);
    EXPECT_EQ(monitors[1].value("name").toString(), "Monitor 2");
    EXPECT_EQ(monitors[1].value("tag").toInt(), 1);

    choose(0);
    EXPECT_EQ(preferences->screenIndex(), 0);
    choose(1);
    EXPECT_EQ(preferences->screenIndex(), 1);
    // An index beyond the screens leaves the list where it was; a known one moves it.
    preferences->setScreenIndex(9);
    EXPECT_EQ(window->monitorList()->currentIndex(), 1);
    preferences->setScreenIndex(0);
    EXPECT_EQ(window->monitorList()->currentIndex(), 0);
}

TEST_F(SettingsTest, TheMonitorListFollowsScreensComingAndGoing) {
    suite->setInteger(1, "ScreenIndex");
    open();
    screens.setScreens({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024), QRect(3200, 0, 800, 600)});
    ASSERT_EQ(window->monitorList()->count(), 3);
    EXPECT_EQ(window->monitorList()->itemText(2), "Monitor 3");
    EXPECT_EQ(window->monitorList()->currentIndex(), 1);
    screens.setScreens({QRect(0, 0, 1920, 1080)});
    EXPECT_EQ(window->monitorList()->count(), 1);
    EXPECT_EQ(window->monitorList()->itemText(0), "Monitor 1");
}

TEST_F(SettingsTest, TheCheckBoxShowsAutolaunchAndWritesItBack) {
    open();
    EXPECT_TRUE(window->autoStartCheckBox()->isChecked());
    QTest::mouseClick(window->autoStartCheckBox(), Qt::LeftButton, {},
                      QPoint(6, window->autoStartCheckBox()->height() / 2));
    EXPECT_FALSE(preferences->autolaunch());
    // The next refresh (at most a second later) writes it where the agent reads it.
    suite->synchronize();
    EXPECT_FALSE(UserDefaults(suite->filePath()).boolForKey("autolaunch"));
    // A change made elsewhere (the agent, through the shared suite) moves the box.
    preferences->setAutolaunch(true);
    EXPECT_TRUE(window->autoStartCheckBox()->isChecked());
}

TEST_F(SettingsTest, ClosingOnlyHidesTheWindow) {
    open();
    window->close();
    EXPECT_FALSE(window->isVisible());
    window->show();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowFlags() & Qt::WindowMaximizeButtonHint, 0);
    EXPECT_EQ(window->windowFlags() & Qt::WindowMinimizeButtonHint, 0);
    // A dialog of one size: window managers offer neither minimise nor maximise for it.
    EXPECT_EQ(window->windowType(), Qt::Dialog);
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::CustomizeWindowHint));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
}
