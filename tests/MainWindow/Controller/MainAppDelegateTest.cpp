#include "MainAppDelegate.h"
#include "DistributedNotificationCenter.h"
#include "HelperAgentControl.h"
#include "MainWindowHost.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "ProtocolTestServer.h"
#include "QuitSignalHandler.h"
#include "TestHome.h"
#include "UrlOpener.h"
#include "UserDefaults.h"
#include "WebModel.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {
const QString helper = "com.tovan.zerafinHelper";

struct FakeAgent : HelperAgentControl {
    void setLoginItemEnabled(const QString& id, bool enabled) override {
        loginItem << QStringLiteral("%1=%2").arg(id, enabled ? "on" : "off");
        log->push_back("login item");
        entry = enabled;
        if (onChange)
            onChange();
    }
    bool isLoginItemEnabled(const QString&) override { return entry; }
    bool isRunning(const QString&) override { return running; }
    void launch(const QString& id) override {
        launched << id;
        log->push_back("launch");
    }
    QStringList loginItem;
    QStringList launched;
    bool running = false;
    bool entry = true; // the autostart entry exists
    std::function<void()> onChange;
    std::vector<std::string>* log = nullptr;
};

struct FakeHost : MainWindowHost {
    QWidget* window() const override { return hasWindow ? const_cast<QWidget*>(&widget) : nullptr; }
    void showWindow() override {
        widget.show();
        log->push_back("show window");
    }
    void setIsShowGuide(bool guide) override { isShowGuide = guide; }
    void showConfigureWindow() override { ++configureShown; }
    QWidget widget;
    bool hasWindow = true;
    bool isShowGuide = true;
    int configureShown = 0;
    std::vector<std::string>* log = nullptr;
};

struct FakeOpener : UrlOpener {
    bool openUrl(const QUrl& url) override {
        opened << url;
        return true;
    }
    QList<QUrl> opened;
};

struct DelegateTest : ::testing::Test {
    void SetUp() override {
        ASSERT_TRUE(server.start());
        suite = std::make_unique<UserDefaults>(home.file("suite.ini"));
        standard = std::make_unique<UserDefaults>(home.file("standard.ini"));
        Preferences::registerDefaults(*suite);
        WebModel::Options options;
        options.baseURL = server.baseUrl();
        options.standardDefaults = standard.get();
        options.suite = suite.get();
        options.notifications = &notifications;
        options.scheduleRefreshes = false;
        web = std::make_unique<WebModel>(options);
        crashFolder = home.file("cache/com.tovan.zerafin.macOS/Crash");
        agent.log = &log;
        host.log = &log;
    }
    void TearDown() override { host.widget.hide(); }

    // The delegate over what the suite holds now.
    MainAppDelegate& make(const QString& fullVersion = "1.0.10.0") {
        preferences = std::make_unique<Preferences>(*suite);
        MainAppDelegate::Dependencies deps;
        deps.preferences = preferences.get();
        deps.sharedDefaults = suite.get();
        deps.webModel = [this]() -> WebModel& { return *web; };
        deps.distributedCenter = &distributed;
        deps.helperAgent = &agent;
        deps.urlOpener = &opener;
        deps.mainWindowController = [this]() -> MainWindowHost& { return host; };
        deps.cancelDownloads = [this] { log.push_back("cancel downloads"); };
        deps.installCrashHandler = [this] { log.push_back("crash handler"); };
        deps.limitImageMemoryCache = [this] { log.push_back("image cache"); };
        deps.terminate = [this] { log.push_back("terminate"); };
        deps.crashFolder = crashFolder;
        deps.fullVersion = fullVersion;
        delegate = std::make_unique<MainAppDelegate>(deps);
        return *delegate;
    }
    void storeVersion(const QString& version) {
        suite->setString(version, "appVersion");
        suite->synchronize();
    }
    void setImported(bool done) {
        suite->setBool(done, "alreadyImportVideo");
        suite->synchronize();
    }
    // The install reports the server got, as their "type" (1 update, 2 first install).
    QStringList installReports() {
        TestHome::waitUntil([&] { return !server.requestsFor("21").isEmpty(); });
        TestHome::spin(std::chrono::milliseconds(150));
        QStringList kinds;
        for (const auto& request : server.requestsFor("13"))
            kinds << QString::number(request.object().value("type").toInt());
        return kinds;
    }
    std::vector<std::string> logged(const std::string& what) const {
        std::vector<std::string> found;
        for (const auto& line : log)
            if (line == what)
                found.push_back(line);
        return found;
    }

    TestHome home;
    ProtocolTestServer server;
    NotificationCenter notifications;
    DistributedNotificationCenter distributed{QDBusConnection::sessionBus()};
    std::unique_ptr<UserDefaults> suite;
    std::unique_ptr<UserDefaults> standard;
    std::unique_ptr<WebModel> web;
    std::unique_ptr<Preferences> preferences;
    std::unique_ptr<MainAppDelegate> delegate;
    FakeAgent agent;
    FakeHost host;
    FakeOpener opener;
    QString crashFolder;
    std::vector<std::string> log;
};
} // namespace

TEST_F(DelegateTest, AFirstLaunchReportsTheInstallAndRegistersTheAgentOnlyOnceTheImportIsDone) {
    MainAppDelegate& app = make();
    app.applicationDidFinishLaunching();
    EXPECT_TRUE(app.isFirstLaunch());
    EXPECT_EQ(installReports(), QStringList{"2"});
    EXPECT_EQ(UserDefaults(suite->filePath()).stringForKey("appVersion"), "1.0.10.0");
    EXPECT_EQ(server.requestsFor("21").size(), 1);
    EXPECT_EQ(server.requestsFor("21").first().object().value("type").toString(), "1");
    EXPECT_EQ(server.requestsFor("501").size(), 1);
    // The crash handler comes first, the window is shown, and the agent waits for the import.
    EXPECT_EQ(log, (std::vector<std::string>{"crash handler", "image cache", "show window"}));
    EXPECT_TRUE(agent.loginItem.isEmpty());

    preferences->setAlreadyImportVideo(false);
    EXPECT_TRUE(agent.loginItem.isEmpty());
    preferences->setAlreadyImportVideo(true);
    EXPECT_EQ(agent.loginItem, QStringList{helper + "=on"});
    EXPECT_TRUE(agent.launched.isEmpty());

    // The setting is followed from then on, whoever changes it; the agent is never stopped.
    preferences->setAutolaunch(false);
    EXPECT_EQ(agent.loginItem, (QStringList{helper + "=on", helper + "=off"}));
    // A later import round runs the rule again, now with the setting off.
    preferences->setAlreadyImportVideo(false);
    preferences->setAlreadyImportVideo(true);
    EXPECT_EQ(agent.loginItem.last(), helper + "=off");
    EXPECT_TRUE(agent.launched.isEmpty());
}

TEST_F(DelegateTest, AFirstLaunchWithAutolaunchOffNeitherRegistersNorStartsTheAgent) {
    suite->setBool(false, "autolaunch");
    setImported(true);
    make().applicationDidFinishLaunching();
    EXPECT_EQ(agent.loginItem, QStringList{helper + "=off"});
    EXPECT_TRUE(agent.launched.isEmpty());
}

TEST_F(DelegateTest, VersionsAreComparedAsVersions) {
    struct Case {
        QString stored;
        QStringList reports;
    };
    for (const Case& c :
         {Case{"1.0.9.3", {"1"}}, Case{"1.0.10.0", {}}, Case{"1.0.11.0", {}}, Case{"1.0.10", {}}}) {
        server.clearRequests();
        storeVersion(c.stored);
        MainAppDelegate& app = make("1.0.10.0");
        app.applicationDidFinishLaunching();
        EXPECT_FALSE(app.isFirstLaunch());
        EXPECT_EQ(installReports(), c.reports) << c.stored.toStdString();
        EXPECT_EQ(UserDefaults(suite->filePath()).stringForKey("appVersion"), "1.0.10.0");
    }
}

TEST_F(DelegateTest, ALaterLaunchStartsTheAgentOnlyWhenItIsNotRunningAndLeavesTheLoginItem) {
    storeVersion("1.0.10.0");
    setImported(true);
    agent.running = true;
    make().applicationDidFinishLaunching();
    EXPECT_TRUE(agent.launched.isEmpty());

    agent.running = false;
    make().applicationDidFinishLaunching();
    EXPECT_EQ(agent.launched, QStringList{helper});
    EXPECT_TRUE(agent.loginItem.isEmpty());
}

TEST_F(DelegateTest, EachLaterStartBringsTheLoginItemInStepWithTheStoredSetting) {
    storeVersion("1.0.10.0");
    setImported(true);
    agent.running = true;
    // A run killed between writing the setting and removing the entry: the entry goes now.
    suite->setBool(false, "autolaunch");
    suite->synchronize();
    agent.entry = true;
    make().applicationDidFinishLaunching();
    EXPECT_EQ(agent.loginItem, QStringList{helper + "=off"});

    // And the other way round: the entry comes back, and enabling it is what starts the agent.
    agent.loginItem.clear();
    agent.running = false;
    suite->setBool(true, "autolaunch");
    suite->synchronize();
    agent.entry = false;
    make().applicationDidFinishLaunching();
    EXPECT_EQ(agent.loginItem, QStringList{helper + "=on"});
    EXPECT_TRUE(agent.launched.isEmpty());
    agent.running = true;

    // In step already: left alone.
    agent.loginItem.clear();
    make().applicationDidFinishLaunching();
    EXPECT_TRUE(agent.loginItem.isEmpty());
    EXPECT_TRUE(agent.launched.isEmpty());
}

TEST_F(DelegateTest, UntickingLaunchAtLoginWritesTheSettingBeforeTheLoginItemChanges) {
    storeVersion("1.0.10.0");
    setImported(true);
    agent.running = true;
    make().applicationDidFinishLaunching();
    std::optional<QString> storedAtChange;
    agent.onChange = [&] { storedAtChange = UserDefaults(suite->filePath()).stringForKey("autolaunch"); };
    preferences->setAutolaunch(false);
    EXPECT_EQ(agent.loginItem, QStringList{helper + "=off"});
    EXPECT_EQ(storedAtChange, QString("false"));
}

TEST_F(DelegateTest, ALaterLaunchBeforeTheImportWaitsForIt) {
    storeVersion("1.0.10.0");
    make().applicationDidFinishLaunching();
    EXPECT_TRUE(agent.launched.isEmpty());
    preferences->setAlreadyImportVideo(true);
    EXPECT_EQ(agent.launched, QStringList{helper});
    EXPECT_TRUE(agent.loginItem.isEmpty());
}

TEST_F(DelegateTest, CrashLogsAreDeletedOnlyOnceTheServerTookThem) {
    QDir().mkpath(crashFolder + "/older");
    auto write = [&](const QString& name) {
        QFile file(crashFolder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("std::runtime_error\n\n(null)\n\nversion: 1.0.10\n\nboom\n\nframe");
    };
    write("1700000000.txt");
    write("older/1600000000.txt");

    // The server refuses: both stay for the next start.
    server.setStatus(500, "25");
    storeVersion("1.0.10.0");
    make().applicationDidFinishLaunching();
    EXPECT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("25").size() >= 2; }));
    TestHome::spin(std::chrono::milliseconds(200));
    EXPECT_TRUE(QFile::exists(crashFolder + "/1700000000.txt"));
    EXPECT_TRUE(QFile::exists(crashFolder + "/older/1600000000.txt"));

    // No answer at all: still kept.
    server.resetSwitches();
    server.setFailure(ProtocolTestServer::Failure::closeConnection, "25");
    make().uploadCrashReports();
    EXPECT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("25").size() >= 4; }));
    TestHome::spin(std::chrono::milliseconds(200));
    EXPECT_TRUE(QFile::exists(crashFolder + "/1700000000.txt"));

    // Taken: both go.
    server.resetSwitches();
    make().uploadCrashReports();
    EXPECT_TRUE(TestHome::waitUntil([&] {
        return !QFile::exists(crashFolder + "/1700000000.txt") &&
               !QFile::exists(crashFolder + "/older/1600000000.txt");
    }));
}

TEST_F(DelegateTest, OnlyCompleteLogsAreUploaded) {
    const QStringList names{"1700000000.txt", "1700000001.txt.part", ".1700000002.txt", ".old/1600000000.txt",
                            "older/1600000001.txt.part"};
    for (const QString& name : names) {
        QDir().mkpath(QFileInfo(crashFolder + "/" + name).absolutePath());
        QFile file(crashFolder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("std::runtime_error\n\n(null)\n\nversion: 1.0.10\n\nboom");
    }
    storeVersion("1.0.10.0");
    make().applicationDidFinishLaunching();
    EXPECT_TRUE(TestHome::waitUntil([&] { return !QFile::exists(crashFolder + "/1700000000.txt"); }));
    TestHome::spin(std::chrono::milliseconds(300));
    EXPECT_EQ(server.requestsFor("25").size(), 1);
    for (const QString& name : names.mid(1))
        EXPECT_TRUE(QFile::exists(crashFolder + "/" + name)) << name.toStdString();
}

TEST_F(DelegateTest, NoCrashFolderUploadsNothing) {
    storeVersion("1.0.10.0");
    make().applicationDidFinishLaunching();
    TestHome::spin(std::chrono::milliseconds(200));
    EXPECT_TRUE(server.requestsFor("25").isEmpty());
}

TEST_F(DelegateTest, TheAgentsQuitEndsTheApplicationAndQuittingKeepsTheDownloadsOnce) {
    storeVersion("1.0.10.0");
    make().applicationDidFinishLaunching();
    distributed.post("com.tovan.corvex.mac.ter");
    EXPECT_TRUE(TestHome::waitUntil([&] { return !logged("terminate").empty(); }));
    delegate->applicationWillTerminate();
    delegate->applicationWillTerminate();
    EXPECT_EQ(logged("cancel downloads").size(), 1u);
}

TEST_F(DelegateTest, ReopenShowsTheHiddenWindowAndAlwaysAnswersTrue) {
    storeVersion("1.0.10.0");
    MainAppDelegate& app = make();
    app.applicationDidFinishLaunching();
    EXPECT_TRUE(host.widget.isVisible());
    EXPECT_FALSE(host.isShowGuide);
    host.widget.hide();
    EXPECT_TRUE(app.applicationShouldHandleReopen(false));
    EXPECT_TRUE(host.widget.isVisible());
    EXPECT_TRUE(app.applicationShouldHandleReopen(true));
    EXPECT_EQ(logged("show window").size(), 2u);

    // A controller without a window: nothing to show.
    host.widget.hide();
    host.hasWindow = false;
    EXPECT_TRUE(app.applicationShouldHandleReopen(false));
    EXPECT_FALSE(host.widget.isVisible());
}

TEST_F(DelegateTest, TheMenuActionsOpenHelpAndTheSettings) {
    MainAppDelegate& app = make();
    app.showHelp();
    ASSERT_EQ(opener.opened.size(), 1);
    EXPECT_EQ(opener.opened.first().toString(), "https://www.zerafin.example/67.html");
    app.showPreferences();
    EXPECT_EQ(host.configureShown, 1);
}

TEST_F(DelegateTest, QuittingTheEventLoopRunsTheWillTerminatePathAsDoesSigterm) {
    storeVersion("1.0.10.0");
    make().applicationDidFinishLaunching();
    // The Quit menu item ends the event loop.
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    EXPECT_EQ(logged("cancel downloads").size(), 1u);

    // The session ending the program: SIGTERM goes the same way.
    log.clear();
    make().applicationDidFinishLaunching();
    QuitSignalHandler::install([] { QCoreApplication::quit(); });
    QTimer::singleShot(0, [] { ::kill(::getpid(), SIGTERM); });
    bool timedOut = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::quit();
    });
    guard.start(10000);
    QCoreApplication::exec();
    EXPECT_FALSE(timedOut);
    EXPECT_EQ(logged("cancel downloads").size(), 1u);
}
