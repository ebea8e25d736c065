#include "AppImage.h"

#include <gtest/gtest.h>

#include <QSvgRenderer>

TEST(AppImage, EveryNameTheApplicationUsesResolvesToAVisiblePicture) {
    QStringList required = {"leftPanel_icon_corvex",
                            "leftPanel_videoDesktop_normal_corvex",
                            "leftPanel_videoDesktop_pressed_corvex",
                            "leftPanel_about_normal_corvex",
                            "leftPanel_about_pressed_corvex",
                            "leftPanel_videoDesktop_checkBox_checked_normal",
                            "leftPanel_videoDesktop_checkBox_unchecked_normal",
                            "download_pause_normal",
                            "download_pause_hover",
                            "download_download_normal",
                            "download_download_hover",
                            "download_delete_normal",
                            "download_delete_hover",
                            "default_thumbnail",
                            "default_avatar",
                            "empty_video_list",
                            "network_connecting",
                            "network_error",
                            "online_video_list_downloading_corvex.png",
                            "online_video_list_downloaded_corvex.png",
                            "tray_mute_normal",
                            "tray_voice_normal",
                            "play_normal",
                            "pause_normal",
                            "playing.svg",
                            "no_playing.svg",
                            "QRCode"};
    for (int i = 0; i <= 6; ++i)
        required << QString("NewFeature%1").arg(i);
    for (const QString& name : required) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(AppImage::imageNames().contains(name));
        const QImage image = AppImage::named(name);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.devicePixelRatio(), 2.0);
        EXPECT_EQ(image.deviceIndependentSize().toSize(), AppImage::naturalSize(name));
        // Something is drawn: not every pixel is transparent.
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; y += 2)
            for (int x = 0; x < image.width() && !drawn; x += 2)
                drawn = image.pixelColor(x, y).alpha() > 0;
        EXPECT_TRUE(drawn);
        EXPECT_TRUE(QSvgRenderer(AppImage::resourcePath(name)).isValid());
        EXPECT_EQ(AppImage::named(name, QSize(30, 20)).size(), QSize(30, 20));
    }
}

TEST(AppImage, PairedPicturesDiffer) {
    const std::pair<const char*, const char*> pairs[] = {
        {"download_pause_normal", "download_pause_hover"},
        {"download_download_normal", "download_download_hover"},
        {"download_delete_normal", "download_delete_hover"},
        {"leftPanel_videoDesktop_normal_corvex", "leftPanel_videoDesktop_pressed_corvex"},
        {"leftPanel_about_normal_corvex", "leftPanel_about_pressed_corvex"},
        {"leftPanel_videoDesktop_checkBox_checked_normal",
         "leftPanel_videoDesktop_checkBox_unchecked_normal"},
        {"tray_mute_normal", "tray_voice_normal"},
        {"play_normal", "pause_normal"},
        {"playing.svg", "no_playing.svg"},
        {"online_video_list_downloading_corvex.png", "online_video_list_downloaded_corvex.png"},
        {"NewFeature0", "NewFeature1"},
    };
    for (const auto& [a, b] : pairs) {
        SCOPED_TRACE(std::string(a) + " / " + b);
        EXPECT_NE(AppImage::named(a), AppImage::named(b));
    }
}

TEST(AppImage, UnknownNamesGiveNothing) {
    for (const QString& name :
         {QString("no_such_image"), QString(), QString("playing"), QString("QRCode.svg"),
          QString("../images/QRCode"), QString("LeftSideBarColor")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_TRUE(AppImage::named(name).isNull());
        EXPECT_TRUE(AppImage::named(name, QSize(10, 10)).isNull());
        EXPECT_TRUE(AppImage::pixmap(name).isNull());
        EXPECT_TRUE(AppImage::resourcePath(name).isEmpty());
        EXPECT_FALSE(AppImage::naturalSize(name).isValid());
    }
    EXPECT_FALSE(AppImage::namedColor("no_such_color").has_value());
    EXPECT_FALSE(AppImage::namedColor("leftsidebarcolor").has_value());
    EXPECT_FALSE(AppImage::namedColor("QRCode").has_value());
}

TEST(AppImage, NamedColoursAreOpaqueAndTheSideBarIsDark) {
    EXPECT_EQ(AppImage::colorNames(), (QStringList{"LeftSideBarColor", "bottomAreaColor"}));
    const auto sideBar = AppImage::namedColor("LeftSideBarColor");
    const auto bottom = AppImage::namedColor("bottomAreaColor");
    ASSERT_TRUE(sideBar && bottom);
    EXPECT_EQ(sideBar->alpha(), 255);
    EXPECT_EQ(bottom->alpha(), 255);
    EXPECT_LT(sideBar->lightness(), 80);
    EXPECT_GT(bottom->lightness(), 200);
}
