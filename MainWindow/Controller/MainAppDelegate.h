#pragma once

#include "Disposable.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class DistributedNotificationCenter;
class HelperAgentControl;
class MainWindowHost;
class Preferences;
class UrlOpener;
class UserDefaults;
class WebModel;

// The main application's delegate: the start-up sequence (crash handler, start-up report, crash-log
// upload, install or update report, the helper agent kept running or registered at login, the
// agent's quit followed, the main window shown, the login item kept in step with "autolaunch"),
// reopening, the Help and Preferences menu actions, and quitting.
class MainAppDelegate : public QObject {
    Q_OBJECT
public:
    static constexpr const char* helperBundleIdentifier = "com.tovan.zerafinHelper";
    static constexpr const char* terminateNotificationName = "com.tovan.corvex.mac.ter";
    static constexpr const char* appVersionKey = "appVersion";

    struct Dependencies {
        Preferences* preferences = nullptr;
        UserDefaults* sharedDefaults = nullptr; // holds "appVersion"
        std::function<WebModel&()> webModel;
        DistributedNotificationCenter* distributedCenter = nullptr;
        HelperAgentControl* helperAgent = nullptr;
        UrlOpener* urlOpener = nullptr;
        // The main window's controller, made on first use and kept.
        std::function<MainWindowHost&()> mainWindowController;
        // Stops every running download keeping what it has, and writes the download store.
        std::function<void()> cancelDownloads;
        // Makes the crash-log writer the handler of uncaught exceptions.
        std::function<void()> installCrashHandler;
        // Keeps the thumbnail memory cache as small as it goes (optional).
        std::function<void()> limitImageMemoryCache;
        // Ends the event loop; QCoreApplication::quit when empty.
        std::function<void()> terminate;
        QString crashFolder; // where earlier runs left their crash logs
        QString fullVersion; // this build, as "appVersion" records it
    };

    explicit MainAppDelegate(Dependencies dependencies, QObject* parent = nullptr);
    ~MainAppDelegate() override;

    // Once the event loop is about to run.
    void applicationDidFinishLaunching();
    // A second start of the program asked this one to show itself. Always true.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    // Nothing to do here: session-bus notifications keep arriving in the background.
    void applicationDidResignActive() {}
    // Quitting: running downloads stop and are kept for the next start. Runs once.
    void applicationWillTerminate();
    // The helper agent quit: so does the application.
    void terminal();

    void showMainWindow(bool showGuide);
    void showHelp();
    void showPreferences();

    void uploadCrashReports();
    void launchHelperIfNeeded();

    // Whether "appVersion" was missing at this start.
    bool isFirstLaunch() const { return m_firstLaunch; }

private:
    void recordVersion();
    void runHelperRule();

    Dependencies m_deps;
    std::optional<Disposable> m_autolaunchObserveDispose;
    std::optional<Disposable> m_importDefaultVideo;
    std::optional<Disposable> m_terminateObservation;
    bool m_firstLaunch = false;
    bool m_launched = false;
    bool m_terminated = false;
};
