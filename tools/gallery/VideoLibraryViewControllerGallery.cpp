// Gallery page of the library page: its bottom bar with the player on, eight hot tags and a news
// line, at the page's width in the main window's default size (1180) and minimum size (1000), less
// the side bar's 160.
#include "Gallery.h"

#include "BaseInfoResponse.h"
#include "ButtonWithColorfulLink.h"
#include "LocalVideoDBManager.h"
#include "Preferences.h"
#include "UserDefaults.h"
#include "VideoLibraryViewController.h"

#include <QTemporaryDir>

GALLERY_PAGE("VideoLibraryViewController") {
    QTemporaryDir dir;
    UserDefaults suite(dir.filePath("suite.ini"));
    Preferences::registerDefaults(suite);
    Preferences preferences(suite);
    preferences.setAlreadyImportVideo(true);
    LocalVideoDBManager database(dir.filePath("Corvex.db"));
    VideoDetail playing;
    playing.sign = QStringLiteral("0123456789abcdef0123456789abcdef");
    playing.title = QStringLiteral("Harbour lights at the blue hour over the old town");
    database.insert(playing);
    preferences.setPlayingVideoSign(playing.sign);
    preferences.setIsOpenPlayer(true);

    VideoLibraryViewController::Dependencies deps;
    deps.preferences = &preferences;
    deps.database = &database;
    VideoLibraryViewController page(deps);
    BaseInfoResponse reply;
    reply.data.hottags = {"nightscape", "space", "city", "autumn", "ocean", "abstract", "rain", "forest"};
    page.layoutHotTags(reply);
    ButtonWithColorfulLink* news = page.newsLinkButton();
    news->setHidden(false);
    news->setText(QStringLiteral("New wallpapers every week"));
    news->setTitleColor(QColor(0xFF, 0x80, 0x00));
    news->setFontSize(10.0);
    news->updateTitle(news->titleColor());

    for (const auto& [state, width] :
         {std::pair<QString, int>{"default size", 1020}, {"minimum size", 840}}) {
        page.resize(width, 600);
        shots.shot(state, &page);
        page.show();
        shots.image("bottom bar at " + state, page.bottomArea()->grab().toImage());
    }
}
