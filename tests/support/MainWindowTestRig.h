#pragma once

#include "../library/ListModelTestSupport.h"
#include "DownloadManager.h"
#include "FakeScreenList.h"
#include "LibraryViewModels.h"
#include "LocalLibraryModel.h"
#include "LocalVideoDBManager.h"
#include "MainWindowController.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "RecordingUrlOpener.h"
#include "SearchHistoryManager.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "WebModel.h"

#include <QUrl>
#include <memory>

// The whole main window built on fakes and a temporary home, wired as main() wires it: the real
// library page over the product's three list models, the side bar, the about page, the settings
// window over a fake screen list; addresses opened are recorded, menus and alerts are recorded, the
// server is whatever `serverUrl` names (by default nothing listens there).
class MainWindowTestRig {
public:
    struct Options {
        QUrl serverUrl = QUrl(QStringLiteral("http://127.0.0.1:9"));
        // Off: the first-run import of the sample videos is taken as done.
        bool firstRun = false;
    };

    MainWindowTestRig();
    explicit MainWindowTestRig(Options options);
    ~MainWindowTestRig();

    MainWindowController& window() { return *m_window; }

    TestHome home;
    UserDefaults standard;
    UserDefaults suite;
    Preferences preferences;
    NotificationCenter notifications;
    std::unique_ptr<WebModel> webModel;
    LocalVideoDBManager database;
    LocalLibraryModel importer;
    DownloadManager downloads;
    ImageLoader images;
    FakeMenuPresenter menus;
    FakeAlertPresenter alerts;
    FakeFileChooser fileChooser;
    FakeFileRevealer revealer;
    RecordingUrlOpener urlOpener;
    FakeScreenList screens;
    SearchHistoryManager history;
    // Number of times the window made sure the download engine exists.
    int downloadManagerRequests = 0;
    int quitRequests = 0;
    int helpRequests = 0;
    std::unique_ptr<LibraryViewModels> lists;

private:
    std::unique_ptr<MainWindowController> m_window;
};
