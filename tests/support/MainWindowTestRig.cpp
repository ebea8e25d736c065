#include "MainWindowTestRig.h"

#include "DistributedNotificationCenter.h"
#include "DownloadViewModel.h"
#include "FakePlayer.h"
#include "LocalLibraryViewModel.h"
#include "WebLibraryViewModel.h"

#include <QDir>

namespace {
QString folder(const TestHome& home, const QString& name) {
    const QString path = home.file(name);
    QDir().mkpath(path);
    return path;
}

std::unique_ptr<WebModel> makeWebModel(const QUrl& server, UserDefaults& standard, UserDefaults& suite,
                                       NotificationCenter& notifications) {
    WebModel::Options options;
    options.baseURL = server;
    options.standardDefaults = &standard;
    options.suite = &suite;
    options.notifications = &notifications;
    options.scheduleRefreshes = false;
    return std::make_unique<WebModel>(options);
}
} // namespace

MainWindowTestRig::MainWindowTestRig() : MainWindowTestRig(Options{}) {}

MainWindowTestRig::MainWindowTestRig(Options options)
    : standard(home.file("standard.ini")), suite(home.file("suite.ini")), preferences(suite),
      webModel(makeWebModel(options.serverUrl, standard, suite, notifications)),
      database(home.file("Corvex.db")),
      importer(database, {}, folder(home, "library"), folder(home, "thumbnails")),
      downloads(DownloadManager::Dependencies{folder(home, "caches"),
                                              home.file("library"),
                                              &database,
                                              &notifications,
                                              nullptr,
                                              [](qint64, int) {},
                                              {},
                                              10000}),
      images([this] {
          ImageLoader::Options options;
          options.ownFolders = {home.file("thumbnails")};
          return options;
      }()),
      history(home.file("caches/searchHistory.info")) {
    suite.setString("RIG-UUID", "uuid");
    if (!options.firstRun)
        preferences.setAlreadyImportVideo(true);

    lists = std::make_unique<LibraryViewModels>(
        WebLibraryViewModel::Dependencies{webModel.get(), &database, &downloads, &preferences, &menus,
                                          &images, &notifications},
        LocalLibraryViewModel::Dependencies{&database, &preferences, &importer, home.file("library"),
                                            &DistributedNotificationCenter::shared(), &menus, &alerts,
                                            &fileChooser, &revealer, &images, &notifications},
        DownloadViewModel::Dependencies{&downloads, &images, &notifications});

    MainWindowController::Dependencies deps;
    deps.preferences = &preferences;
    deps.notifications = &notifications;
    deps.urlOpener = &urlOpener;
    deps.webModel = webModel.get();
    deps.screens = &screens;
    deps.searchHistory = &history;
    deps.ensureDownloadManager = [this] { ++downloadManagerRequests; };
    deps.makePreviewPlayer = [] { return std::unique_ptr<Player>(new FakePlayer()); };
    deps.menuActions.showHelp = [this] { ++helpRequests; };
    deps.menuActions.quit = [this] { ++quitRequests; };
    VideoLibraryViewController::Dependencies& page = deps.libraryPage;
    page.preferences = &preferences;
    page.webModel = webModel.get();
    page.database = &database;
    page.downloads = &downloads;
    page.notifications = &notifications;
    page.lists = lists.get();
    page.openURL = [this](const QUrl& url) { urlOpener.openUrl(url); };
    m_window = std::make_unique<MainWindowController>(std::move(deps));
}

MainWindowTestRig::~MainWindowTestRig() {
    m_window.reset();
    lists.reset();
}
