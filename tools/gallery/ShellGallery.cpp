// Gallery pages of the main window's shell: side bar, settings, about page, feedback, QR code and
// the new-features page.
#include "Gallery.h"

#include "AboutViewController.h"
#include "ConfigWindowController.h"
#include "FeedbackWindowController.h"
#include "GuideModel.h"
#include "LeftMenuBar.h"
#include "LeftMenuCell.h"
#include "NewFeaturesViewControlller.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "QRCodeController.h"
#include "ScreenList.h"
#include "UrlOpener.h"
#include "UserDefaults.h"
#include "WebModel.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <memory>

namespace {
struct NoBrowser : UrlOpener {
    bool openUrl(const QUrl&) override { return true; }
};

// Settings over a suite of their own, so the gallery never touches the user's.
struct Settings {
    QTemporaryDir dir;
    UserDefaults suite{dir.filePath("suite.ini")};
    std::unique_ptr<Preferences> preferences;
    Settings() {
        Preferences::registerDefaults(suite);
        preferences = std::make_unique<Preferences>(suite);
    }
};

struct TwoScreens : ScreenList {
    std::vector<QRect> screens() const override {
        return {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    }
};

// A web model that never sends: the gallery only needs one to hand to the views.
std::unique_ptr<WebModel> offlineWebModel(Settings& settings, NotificationCenter& center) {
    WebModel::Options options;
    options.baseURL = QUrl("http://127.0.0.1:9");
    options.standardDefaults = &settings.suite;
    options.suite = &settings.suite;
    options.notifications = &center;
    options.scheduleRefreshes = false;
    return std::make_unique<WebModel>(options);
}

QImage leafletPicture() {
    QImage image(280, 520, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    QLinearGradient fill(0, 0, 0, 520);
    fill.setColorAt(0, QColor(0x34, 0x9b, 0xff));
    fill.setColorAt(1, QColor(0x1d, 0x24, 0x3a));
    p.fillRect(image.rect(), fill);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(40);
    font.setBold(true);
    p.setFont(font);
    p.drawText(image.rect(), Qt::AlignCenter, "New\nwallpapers");
    return image;
}
} // namespace

GALLERY_PAGE("LeftMenuBar") {
    Settings settings;
    NotificationCenter center;
    NoBrowser browser;
    LeftMenuBar bar(
        QRect(0, 0, 160, 640), [](int) {},
        LeftMenuBar::Dependencies{settings.preferences.get(), &center, &browser});
    shots.shot("video selected player on", &bar);
    settings.preferences->setIsOpenPlayer(false);
    bar.select(1);
    shots.shot("about selected player off", &bar);
    center.post("leafletUpdated", nullptr,
                {{"leftPanel", QVariant::fromValue(GuideModel::Pictures{
                                   {leafletPicture(), QUrl("https://www.zerafin.example")}})}});
    bar.select(0);
    settings.preferences->setIsOpenPlayer(true);
    shots.shot("with leaflet", &bar);
}

GALLERY_PAGE("ConfigWindowController") {
    Settings settings;
    TwoScreens screens;
    ConfigWindowController window(*settings.preferences, screens);
    shots.shot("defaults", &window);
    settings.preferences->setMonitorArrange(2);
    settings.preferences->setScreenIndex(1);
    settings.preferences->setAutolaunch(false);
    shots.shot("single second monitor no autolaunch", &window);
}

GALLERY_PAGE("AboutViewController") {
    Settings settings;
    NotificationCenter center;
    NoBrowser browser;
    auto web = offlineWebModel(settings, center);
    AboutViewController about(browser, *web);
    about.resize(760, 560);
    shots.shot("page", &about);
}

GALLERY_PAGE("FeedbackWindowController") {
    Settings settings;
    NotificationCenter center;
    auto web = offlineWebModel(settings, center);
    FeedbackWindowController form(*web);
    form.resetForm();
    shots.shot("empty", &form);
    form.submit();
    shots.shot("empty submitted", &form);
    form.resetForm();
    form.bugButton()->click();
    form.contentTextView()->setPlainText("The wallpaper stops after waking from sleep.");
    shots.shot("bug written", &form);
}

GALLERY_PAGE("QRCodeController") {
    QRCodeController window;
    shots.shot("window", &window);
}

GALLERY_PAGE("NewFeaturesViewControlller") {
    Settings settings;
    NotificationCenter center;
    NoBrowser browser;
    auto web = offlineWebModel(settings, center);
    NewFeaturesViewControlller page(*web, center, browser);
    page.resize(1040, 640);
    shots.shot("built-in pictures", &page);
}
