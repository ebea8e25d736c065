#include "LeftMenuBar.h"
#include "AppImage.h"
#include "ClickableImageView.h"
#include "GuideModel.h"
#include "ImageView.h"
#include "LeftMenuCell.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "RecordingUrlOpener.h"
#include "SwitchButton.h"
#include "TestHome.h"
#include "ThemeColors.h"
#include "UserDefaults.h"

#include <QFontInfo>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
struct SideBarTest : ::testing::Test {
    void SetUp() override {
        suite = std::make_unique<UserDefaults>(home.file("suite.ini"));
        Preferences::registerDefaults(*suite);
        preferences = std::make_unique<Preferences>(*suite);
        bar = std::make_unique<LeftMenuBar>(
            QRect(0, 0, 160, 640), [this](int index) { chosen << index; },
            LeftMenuBar::Dependencies{preferences.get(), &notifications, &opener});
        bar->show();
    }
    void click(QWidget* widget, QPoint at = {}) {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at.isNull() ? widget->rect().center() : at);
    }
    void postLeaflet(const GuideModel::Pictures& pictures) {
        notifications.post("leafletUpdated", nullptr, {{"leftPanel", QVariant::fromValue(pictures)}});
    }
    static QImage picture(QColor color) {
        QImage image(140, 260, QImage::Format_ARGB32);
        image.fill(color);
        return image;
    }

    TestHome home;
    std::unique_ptr<UserDefaults> suite;
    std::unique_ptr<Preferences> preferences;
    NotificationCenter notifications;
    RecordingUrlOpener opener;
    std::unique_ptr<LeftMenuBar> bar;
    QList<int> chosen;
};
} // namespace

TEST_F(SideBarTest, TheBarIsLaidOutFromTheTop) {
    EXPECT_EQ(bar->logo()->geometry(), QRect(56, 37, 48, 48));
    EXPECT_EQ(bar->separator()->geometry().top(), 104);
    EXPECT_EQ(bar->cell(0)->geometry(), QRect(0, 117, 160, 36));
    EXPECT_EQ(bar->cell(1)->geometry(), QRect(0, 153, 160, 36));
    EXPECT_EQ(bar->leaflet()->geometry(), QRect(10, 370, 140, 260));
    EXPECT_FALSE(bar->leaflet()->isVisible());
    bar->resize(160, 800);
    EXPECT_EQ(bar->leaflet()->geometry(), QRect(10, 530, 140, 260));
    EXPECT_EQ(bar->cell(0)->titleLabel()->text(), "Video");
    EXPECT_EQ(bar->cell(1)->titleLabel()->text(), "About");
    // The bar paints its own dark colour.
    const QImage shot = bar->grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 300), LeftMenuBar::barColor());
}

TEST_F(SideBarTest, VideoStartsSelectedWithTheOnlyVisibleSwitch) {
    LeftMenuCell* video = bar->cell(0);
    LeftMenuCell* about = bar->cell(1);
    EXPECT_TRUE(video->isSelected());
    EXPECT_FALSE(about->isSelected());
    EXPECT_EQ(video->titleColor(), ThemeColors::themeBlue());
    EXPECT_EQ(about->titleColor(), QColor(Qt::white));
    EXPECT_EQ(video->imageView()->image(), AppImage::named("leftPanel_videoDesktop_pressed_corvex"));
    EXPECT_EQ(about->imageView()->image(), AppImage::named("leftPanel_about_normal_corvex"));
    EXPECT_TRUE(video->rightButton()->isVisible());
    EXPECT_FALSE(about->rightButton()->isVisible());
}

TEST_F(SideBarTest, ClickingAnEntrySelectsItRestylesBothAndShowsItsPage) {
    LeftMenuCell* video = bar->cell(0);
    LeftMenuCell* about = bar->cell(1);
    click(about, QPoint(60, 18));
    EXPECT_EQ(chosen, QList<int>{1});
    EXPECT_TRUE(about->isSelected());
    EXPECT_FALSE(video->isSelected());
    EXPECT_EQ(about->titleColor(), ThemeColors::themeBlue());
    EXPECT_EQ(about->titleBackgroundColor(), about->labelSelectedColor());
    EXPECT_EQ(video->titleColor(), QColor(Qt::white));
    EXPECT_EQ(video->titleBackgroundColor(), video->labelNormalColor());
    EXPECT_EQ(about->imageView()->image(), AppImage::named("leftPanel_about_pressed_corvex"));
    EXPECT_EQ(video->imageView()->image(), AppImage::named("leftPanel_videoDesktop_normal_corvex"));
    // The selected entry is drawn on the text background.
    const QImage shot = bar->grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 153 + 18), about->labelSelectedColor());
    EXPECT_EQ(shot.pixelColor(5, 117 + 18), LeftMenuBar::barColor());

    // Clicking the selected entry keeps it selected and shows its page again.
    click(about, QPoint(60, 18));
    click(about, QPoint(60, 18));
    EXPECT_EQ(chosen, (QList<int>{1, 1, 1}));
    EXPECT_TRUE(about->isSelected());
    click(video, QPoint(60, 18));
    EXPECT_EQ(chosen.last(), 0);
    EXPECT_TRUE(video->isSelected());
    EXPECT_FALSE(about->isSelected());
}

TEST_F(SideBarTest, TheSwitchFollowsThePlayerSettingAndClickingItInvertsTheSetting) {
    SwitchButton* player = bar->cell(0)->rightButton();
    EXPECT_TRUE(preferences->isOpenPlayer());
    EXPECT_TRUE(player->isOpen());
    // The agent turned the player off: the switch follows without writing anything back.
    preferences->setIsOpenPlayer(false);
    EXPECT_FALSE(player->isOpen());
    click(player);
    EXPECT_TRUE(preferences->isOpenPlayer());
    EXPECT_TRUE(player->isOpen());
    EXPECT_TRUE(UserDefaults(suite->filePath()).boolForKey("IsOpenPlayer"));
    click(player);
    EXPECT_FALSE(preferences->isOpenPlayer());
    EXPECT_FALSE(player->isOpen());
    // A click on the switch is not a click on the entry.
    EXPECT_TRUE(chosen.isEmpty());
}

TEST_F(SideBarTest, OneLeafletPictureShowsAndOpensItsWebPageOnly) {
    postLeaflet({{picture(Qt::red), QUrl("https://www.zerafin.example/offer")}});
    ASSERT_TRUE(bar->leaflet()->isVisible());
    EXPECT_EQ(bar->leaflet()->image().pixelColor(5, 5), QColor(Qt::red));
    click(bar->leaflet());
    EXPECT_EQ(opener.opened, QList<QUrl>{QUrl("https://www.zerafin.example/offer")});

    // Two pictures, none, or no list at all: the leaflet stays as it was.
    postLeaflet(
        {{picture(Qt::green), QUrl("https://a.example")}, {picture(Qt::blue), QUrl("https://b.example")}});
    postLeaflet({});
    notifications.post("leafletUpdated");
    EXPECT_EQ(bar->leaflet()->image().pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(bar->leafletLink(), QUrl("https://www.zerafin.example/offer"));

    // A link that is no web page is shown but never opened.
    postLeaflet({{picture(Qt::yellow), QUrl("file:///etc/passwd")}});
    EXPECT_EQ(bar->leaflet()->image().pixelColor(5, 5), QColor(Qt::yellow));
    opener.opened.clear();
    click(bar->leaflet());
    EXPECT_TRUE(opener.opened.isEmpty());
}

TEST_F(SideBarTest, TwoOrNoPicturesBeforeAnyLeafletKeepItHidden) {
    postLeaflet({});
    postLeaflet(
        {{picture(Qt::green), QUrl("https://a.example")}, {picture(Qt::blue), QUrl("https://b.example")}});
    EXPECT_FALSE(bar->leaflet()->isVisible());
}

TEST_F(SideBarTest, TheLogoOpensTheWebSite) {
    click(bar->logo());
    EXPECT_EQ(opener.opened, QList<QUrl>{QUrl("https://www.zerafin.example")});
}

TEST_F(SideBarTest, TheAgentTurningThePlayerOffMovesTheSwitchAtTheNextRefresh) {
    SwitchButton* player = bar->cell(0)->rightButton();
    ASSERT_TRUE(player->isOpen());
    // The agent's menu writes the shared suite from its own process.
    ASSERT_EQ(
        QProcess::execute(TestHome::toolPath("suite_writer"), {suite->filePath(), "bool:IsOpenPlayer=false"}),
        0);
    EXPECT_TRUE(player->isOpen());
    preferences->updateUserDefaultFromDisk();
    EXPECT_FALSE(player->isOpen());
}

TEST_F(SideBarTest, TitlesFitTheirFramesAndALongerOneEndsInAnEllipsisBeforeTheSwitch) {
    for (int index : {0, 1}) {
        QLabel* title = bar->cell(index)->titleLabel();
        EXPECT_EQ(QFontInfo(title->font()).pixelSize(), 16);
        EXPECT_LE(title->fontMetrics().height(), title->height()) << "the title is not cut at the bottom";
    }
    LeftMenuCell* video = bar->cell(0);
    QLabel* title = video->titleLabel();
    ASSERT_TRUE(video->rightButton()->isVisible());
    title->setText("Wallpapers and videos");
    // What it draws is what a label shows of the text cut before the switch with an ellipsis.
    const int room = video->rightButton()->x() - title->x() - 4;
    QLabel expected;
    expected.setFont(title->font());
    expected.setPalette(title->palette());
    expected.setAutoFillBackground(true);
    expected.setText(title->fontMetrics().elidedText(title->text(), Qt::ElideRight, room));
    expected.resize(title->size());
    ASSERT_TRUE(expected.text().endsWith(QChar(0x2026)));
    EXPECT_EQ(title->grab().toImage(), expected.grab().toImage());
}
