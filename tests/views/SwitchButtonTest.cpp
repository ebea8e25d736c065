#include "SwitchButton.h"
#include "AppImage.h"
#include "Disposable.h"
#include "Preferences.h"
#include "TestHome.h"
#include "UserDefaults.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <vector>

namespace {
// The picture a switch shows, compared with the named images pixel for pixel.
bool shows(const SwitchButton& button, const QString& name) {
    return button.image() == AppImage::named(name);
}

struct Clicks {
    std::vector<bool> values;
    std::function<void(bool)> closure() {
        return [this](bool open) { values.push_back(open); };
    }
};
} // namespace

TEST(SwitchButton, StartsOffAndEachClickFlipsThenReportsTheNewValue) {
    Clicks clicks;
    SwitchButton button(QRect(0, 0, 36, 18), clicks.closure());
    button.show();
    EXPECT_FALSE(button.isOpen());
    EXPECT_EQ(button.state(), SwitchButtonState::close_normal);
    EXPECT_TRUE(shows(button, SwitchButton::uncheckedImageName));
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);

    // Observers see the flip before the closure runs.
    std::vector<QString> order;
    QObject::connect(&button, &SwitchButton::isOpenChanged,
                     [&](bool v) { order.push_back("kvo " + QString::number(v)); });
    clicks.values.clear();
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 9));
    ASSERT_EQ(clicks.values, std::vector<bool>{true});
    EXPECT_TRUE(button.isOpen());
    EXPECT_EQ(button.state(), SwitchButtonState::open_normal);
    EXPECT_TRUE(shows(button, SwitchButton::checkedImageName));
    EXPECT_EQ(order, std::vector<QString>{"kvo 1"});

    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(30, 5));
    EXPECT_EQ(clicks.values, (std::vector<bool>{true, false}));
    EXPECT_FALSE(button.isOpen());
    EXPECT_TRUE(shows(button, SwitchButton::uncheckedImageName));
}

TEST(SwitchButton, OnlyALeftPressAndReleaseInsideCountAsAClick) {
    Clicks clicks;
    SwitchButton button(QRect(0, 0, 36, 18), clicks.closure());
    button.show();
    // Pressed inside, released outside: the user changed their mind.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(60, 5));
    QTest::mouseClick(&button, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_TRUE(clicks.values.empty());
    EXPECT_FALSE(button.isOpen());
}

TEST(SwitchButton, SettingTheValueRedrawsEveryTimeButNeverCallsTheClosure) {
    Clicks clicks;
    SwitchButton button(QRect(0, 0, 36, 18), clicks.closure());
    QSignalSpy changes(&button, &SwitchButton::isOpenChanged);

    ASSERT_TRUE(button.setProperty("isOpen", true));
    EXPECT_TRUE(button.isOpen());
    EXPECT_TRUE(shows(button, SwitchButton::checkedImageName));

    // The same value again is applied again (observers hear it too).
    button.setImage(QImage());
    button.setIsOpen(true);
    EXPECT_TRUE(shows(button, SwitchButton::checkedImageName));
    EXPECT_EQ(button.state(), SwitchButtonState::open_normal);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_TRUE(clicks.values.empty());
}

TEST(SwitchButton, BoundToThePlayerSettingItFollowsNewValuesWithoutCallingTheClosure) {
    TestHome home;
    UserDefaults suite(home.file("suite.ini"));
    Preferences preferences(suite);
    Clicks clicks;
    SwitchButton button(QRect(0, 0, 36, 18), clicks.closure());
    const bool initial = preferences.isOpenPlayer();
    {
        Disposable link =
            bind(&preferences, &Preferences::isOpenPlayerChanged, &button, &SwitchButton::setIsOpen);
        // Nothing is copied at binding time.
        EXPECT_FALSE(button.isOpen());
        preferences.setIsOpenPlayer(!initial);
        EXPECT_EQ(button.isOpen(), !initial);
        preferences.setIsOpenPlayer(true);
        EXPECT_TRUE(button.isOpen());
        EXPECT_TRUE(shows(button, SwitchButton::checkedImageName));
        preferences.setIsOpenPlayer(false);
        EXPECT_FALSE(button.isOpen());
        EXPECT_TRUE(clicks.values.empty());
    }
    // Released: the switch no longer follows.
    preferences.setIsOpenPlayer(true);
    EXPECT_FALSE(button.isOpen());
}

TEST(SwitchButton, AClickWrittenBackToTheSettingDoesNotCallTheClosureAgain) {
    TestHome home;
    UserDefaults suite(home.file("suite.ini"));
    Preferences preferences(suite);
    preferences.setIsOpenPlayer(false);
    Clicks clicks;
    SwitchButton* raw = nullptr;
    SwitchButton button(QRect(0, 0, 36, 18), [&](bool open) {
        clicks.values.push_back(open);
        preferences.setIsOpenPlayer(open);
    });
    raw = &button;
    Disposable link = bind(&preferences, &Preferences::isOpenPlayerChanged, raw, &SwitchButton::setIsOpen);
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 9));
    EXPECT_EQ(clicks.values, std::vector<bool>{true});
    EXPECT_TRUE(preferences.isOpenPlayer());
    EXPECT_TRUE(button.isOpen());
}
