#include "MainAppDelegate.h"

#include "AppInfo.h"
#include "Console.h"
#include "DistributedNotificationCenter.h"
#include "HelperAgentControl.h"
#include "MainWindowHost.h"
#include "Preferences.h"
#include "UrlOpener.h"
#include "UserDefaults.h"
#include "VersionComparison.h"
#include "WebModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QWidget>

MainAppDelegate::MainAppDelegate(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_deps(std::move(dependencies)) {}

MainAppDelegate::~MainAppDelegate() = default;

void MainAppDelegate::applicationDidFinishLaunching() {
    if (m_launched)
        return;
    m_launched = true;
    // The application posts no desktop notifications, so there are none to clear first.
    if (m_deps.installCrashHandler)
        m_deps.installCrashHandler();
    WebModel& web = m_deps.webModel();
    web.sendHeartbeat(WebModel::HeartBeatType::Boot, QStringLiteral("1000"));
    // Only fills the client's cache for the library page.
    web.requestBaseInfo([](std::optional<BaseInfoResponse>) {});
    if (m_deps.limitImageMemoryCache)
        m_deps.limitImageMemoryCache();
    uploadCrashReports();
    recordVersion();

    Preferences& preferences = *m_deps.preferences;
    if (preferences.alreadyImportVideo()) {
        runHelperRule();
    } else {
        // The agent waits for the first-run import, which turns the player on with a sample.
        m_importDefaultVideo =
            observe(&preferences, &Preferences::alreadyImportVideoChanged, this, [this](bool done) {
                if (done)
                    runHelperRule();
            });
    }

    if (m_deps.distributedCenter)
        m_terminateObservation = m_deps.distributedCenter->addObserver(
            QString::fromLatin1(terminateNotificationName), [this] { terminal(); });

    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &MainAppDelegate::applicationWillTerminate);

    showMainWindow(false);

    m_autolaunchObserveDispose =
        observe(&preferences, &Preferences::autolaunchChanged, this, [this](bool enabled) {
            // The setting reaches the file before the login item changes: a program killed in
            // between leaves the file right, and the next start brings the login item in step.
            m_deps.preferences->suite().synchronize();
            m_deps.helperAgent->setLoginItemEnabled(QString::fromLatin1(helperBundleIdentifier), enabled);
        });
}

void MainAppDelegate::recordVersion() {
    UserDefaults& suite = *m_deps.sharedDefaults;
    const QString key = QString::fromLatin1(appVersionKey);
    const std::optional<QString> stored = suite.stringForKey(key);
    WebModel& web = m_deps.webModel();
    if (!stored) {
        web.reportInstall(WebModel::InstallWay::Reinstall, QStringLiteral("1000"));
        m_firstLaunch = true;
    } else if (VersionComparison::compare(*stored, m_deps.fullVersion) < 0) {
        // Compared as versions: 1.0.9.3 is older than 1.0.10.0, and a downgrade is no update.
        web.reportInstall(WebModel::InstallWay::Update, QStringLiteral("1000"));
    }
    suite.setString(m_deps.fullVersion, key);
    suite.synchronize();
}

void MainAppDelegate::runHelperRule() {
    const QString identifier = QString::fromLatin1(helperBundleIdentifier);
    const bool autolaunch = m_deps.preferences->autolaunch();
    if (m_firstLaunch) {
        m_deps.helperAgent->setLoginItemEnabled(identifier, autolaunch);
        return;
    }
    // An earlier run may have ended between writing the setting and changing the login item; the
    // stored setting is what the user chose.
    if (m_deps.helperAgent->isLoginItemEnabled(identifier) != autolaunch) {
        m_deps.helperAgent->setLoginItemEnabled(identifier, autolaunch);
        // Enabling has started the agent where it was not running: a second start would race it.
        if (autolaunch)
            return;
    }
    launchHelperIfNeeded();
}

void MainAppDelegate::launchHelperIfNeeded() {
    const QString identifier = QString::fromLatin1(helperBundleIdentifier);
    if (!m_deps.helperAgent->isRunning(identifier))
        m_deps.helperAgent->launch(identifier);
}

bool MainAppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows) {
    Q_UNUSED(hasVisibleWindows);
    showMainWindow(false);
    Console::line("applicationShouldHandleReopen");
    return true;
}

void MainAppDelegate::applicationWillTerminate() {
    if (m_terminated)
        return;
    m_terminated = true;
    if (m_deps.cancelDownloads)
        m_deps.cancelDownloads();
    Console::line("applicationWillTerminate");
}

void MainAppDelegate::terminal() {
    if (m_deps.terminate)
        m_deps.terminate();
    else
        QCoreApplication::quit();
}

void MainAppDelegate::showMainWindow(bool showGuide) {
    MainWindowHost& controller = m_deps.mainWindowController();
    controller.setIsShowGuide(showGuide);
    QWidget* window = controller.window();
    if (!window)
        return;
    if (!window->isVisible())
        controller.showWindow();
    window->raise();
    window->activateWindow();
}

void MainAppDelegate::showHelp() {
    if (m_deps.urlOpener)
        m_deps.urlOpener->openUrl(AppInfo::helpURL());
}

void MainAppDelegate::showPreferences() {
    m_deps.mainWindowController().showConfigureWindow();
}

void MainAppDelegate::uploadCrashReports() {
    const QString folder = m_deps.crashFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    // Hidden files and folders are left out, and so are logs still being written (".part"): the
    // writer renames a log to its own name only once it is complete.
    QDirIterator entries(folder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    const QDir base(folder);
    WebModel& web = m_deps.webModel();
    while (entries.hasNext()) {
        const QString path = entries.next();
        const QString relative = base.relativeFilePath(path);
        if (relative.endsWith(QLatin1String(".part")) || relative.startsWith(QLatin1Char('.')) ||
            relative.contains(QLatin1String("/.")))
            continue;
        Console::line(relative);
        // The flag is true only when the server took the log; any other outcome keeps the file
        // for the next start.
        web.uploadCrashLog(path, [path](std::optional<QString>, bool delivered) {
            if (!delivered)
                return;
            if (!QFile::remove(path))
                Console::line("delete crash file failure");
        });
    }
}
