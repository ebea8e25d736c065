#include "AppInfo.h"
#include "ApplicationInstance.h"
#include "ApplicationLauncher.h"
#include "Bundle.h"
#include "CrashLogWriter.h"
#include "DesktopFileRevealer.h"
#include "DesktopUrlOpener.h"
#include "DialogFileChooser.h"
#include "DistributedNotificationCenter.h"
#include "DownloadManager.h"
#include "DownloadViewModel.h"
#include "ImageLoader.h"
#include "LibraryViewModels.h"
#include "LocalLibraryModel.h"
#include "LocalLibraryViewModel.h"
#include "LocalVideoDBManager.h"
#include "LoginItem.h"
#include "MainAppDelegate.h"
#include "MainWindowController.h"
#include "MallocTuning.h"
#include "MessageBoxAlertPresenter.h"
#include "MpvPlayer.h"
#include "NotificationCenter.h"
#include "PopupMenuPresenter.h"
#include "Preferences.h"
#include "QuitSignalHandler.h"
#include "ScreenList.h"
#include "SearchHistoryManager.h"
#include "SystemHelperAgentControl.h"
#include "WebLibraryViewModel.h"
#include "WebModel.h"
#include "X11Platform.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QOpenGLContext>
#include <QPointer>
#include <QTimer>
#include <memory>

Q_LOGGING_CATEGORY(lcProgram, "zerafin.main")

// Qt's own setter of the context every OpenGL context of the program shares with (exported by
// QtGui, declared only in its private headers).
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {
// The preview's player draws each frame once into a texture that the preview window's view
// samples, so their contexts must share. Making that shared context is the slowest part of an
// OpenGL start, so it is made when the first preview needs it, not with the application
// (Qt::AA_ShareOpenGLContexts would make it before the first window shows).
void ensureSharedOpenGLContext() {
    if (QOpenGLContext::globalShareContext())
        return;
    auto* context = new QOpenGLContext(qApp);
    if (!context->create())
        qCWarning(lcProgram) << "no OpenGL context: previews play without picture";
    qt_gl_set_global_share_context(context);
}
} // namespace

// Zerafin Video Desktop: the library window. One copy runs per session: a second start asks the
// running one to show its window and ends. Closing the window keeps the program running; it ends
// on its menu's Quit, SIGTERM or SIGINT, or when the helper agent quits, always the same way (the
// running downloads stop and are kept for the next start).
int main(int argc, char* argv[]) {
    // Previews start and end players with many threads; one pool keeps what they free reusable.
    MallocTuning::shareOneArena();
    if (!X11Platform::prepare(QStringLiteral("zerafin-video-desktop")))
        return 1;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zerafin Video Desktop"));
    QApplication::setApplicationDisplayName(QStringLiteral("Zerafin Video Desktop"));
    QApplication::setDesktopFileName(QStringLiteral("com.tovan.zerafin.macOS"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QString identifier = QStringLiteral("com.tovan.zerafin.macOS");
    Bundle::setIdentifier(identifier);

    ApplicationInstance instance;
    switch (instance.start(identifier)) {
    case ApplicationInstance::Start::forwarded:
        return 0;
    case ApplicationInstance::Start::noBus:
        qCWarning(lcProgram) << "no session bus: this copy runs on its own";
        break;
    case ApplicationInstance::Start::first:
        break;
    }
    QuitSignalHandler::install([] { QCoreApplication::quit(); });

    Preferences& preferences = Preferences::shared();
    NotificationCenter& notifications = NotificationCenter::defaultCenter();
    WebModel& webModel = WebModel::shared();
    LocalVideoDBManager& database = LocalVideoDBManager::shared();
    ImageLoader& images = ImageLoader::shared();
    DesktopUrlOpener urlOpener;
    PopupMenuPresenter menus;
    MessageBoxAlertPresenter alerts;
    DialogFileChooser fileChooser;
    DesktopFileRevealer revealer;

    // The three lists of the library page, made with the window.
    std::unique_ptr<LibraryViewModels> lists;
    auto makeLists = [&]() -> VideoLibraryLists* {
        DownloadManager& downloads = DownloadManager::shared();
        lists = std::make_unique<LibraryViewModels>(
            WebLibraryViewModel::Dependencies{&webModel, &database, &downloads, &preferences, &menus, &images,
                                              &notifications},
            LocalLibraryViewModel::Dependencies{&database, &preferences, &LocalLibraryModel::shared(),
                                                LocalLibraryModel::downloadDirectory(),
                                                &DistributedNotificationCenter::shared(), &menus, &alerts,
                                                &fileChooser, &revealer, &images, &notifications},
            DownloadViewModel::Dependencies{&downloads, &images, &notifications});
        return lists.get();
    };

    std::unique_ptr<MainWindowController> mainWindow;
    std::unique_ptr<MainAppDelegate> delegate;
    auto makeMainWindow = [&]() -> MainWindowHost& {
        if (mainWindow)
            return *mainWindow;
        MainWindowController::Dependencies deps;
        deps.preferences = &preferences;
        deps.notifications = &notifications;
        deps.urlOpener = &urlOpener;
        deps.webModel = &webModel;
        deps.screens = &ScreenList::shared();
        deps.searchHistory = &SearchHistoryManager::shared();
        deps.ensureDownloadManager = [] { DownloadManager::shared(); };
        deps.makePreviewPlayer = [] {
            ensureSharedOpenGLContext();
            // The preview plays the server's clip addresses, so it may open http and https.
            MpvPlayer::Options options;
            options.allowWebAddresses = true;
            return std::unique_ptr<Player>(new MpvPlayer(options));
        };
        deps.menuActions.showPreferences = [&delegate] { delegate->showPreferences(); };
        deps.menuActions.showHelp = [&delegate] { delegate->showHelp(); };
        deps.menuActions.quit = [] { QCoreApplication::quit(); };

        VideoLibraryViewController::Dependencies& page = deps.libraryPage;
        page.preferences = &preferences;
        page.webModel = &webModel;
        page.database = &database;
        page.downloads = &DownloadManager::shared();
        page.notifications = &notifications;
        page.lists = makeLists();
        page.openURL = [&urlOpener](const QUrl& url) { urlOpener.openUrl(url); };
        page.chooseFiles = [&fileChooser](QWidget* parent, std::function<void(const QList<QUrl>&)> chosen) {
            fileChooser.chooseFiles(parent, VideoLibraryViewController::acceptTypes(), std::move(chosen));
        };
        page.loadImage = [&images](const QUrl& url, QObject* context,
                                   std::function<void(const QImage&)> done) {
            images.loadImage(
                url, [context = QPointer<QObject>(context), done = std::move(done)](const QImage& image) {
                    if (context && !image.isNull())
                        done(image);
                });
        };
        mainWindow = std::make_unique<MainWindowController>(std::move(deps));
        return *mainWindow;
    };

    SystemHelperAgentControl helperAgent(LoginItem::shared(), ApplicationLauncher::shared());
    MainAppDelegate::Dependencies deps;
    deps.preferences = &preferences;
    deps.sharedDefaults = &Preferences::sharedDefaults();
    deps.webModel = []() -> WebModel& { return WebModel::shared(); };
    deps.distributedCenter = &DistributedNotificationCenter::shared();
    deps.helperAgent = &helperAgent;
    deps.urlOpener = &urlOpener;
    deps.mainWindowController = makeMainWindow;
    deps.cancelDownloads = [] { DownloadManager::shared().cancelAll(); };
    deps.installCrashHandler = [identifier] {
        CrashLogWriter::install(CrashLogWriter::crashFolder(identifier),
                                CrashLogWriter::versionLine(Bundle::shortVersion(), Bundle::buildNumber()));
    };
    deps.limitImageMemoryCache = [&images] { images.setMemoryCostLimit(1); };
    deps.crashFolder = CrashLogWriter::crashFolder(identifier);
    deps.fullVersion = AppInfo::fullVersion();
    delegate = std::make_unique<MainAppDelegate>(std::move(deps));

    QObject::connect(&instance, &ApplicationInstance::reopenRequested, delegate.get(),
                     [&delegate] { delegate->applicationShouldHandleReopen(true); });

    // Launching is finished once the event loop runs.
    QTimer::singleShot(0, delegate.get(), &MainAppDelegate::applicationDidFinishLaunching);
    const int status = app.exec();
    // The window and its lists go before the shared managers they use.
    mainWindow.reset();
    lists.reset();
    return status;
}
