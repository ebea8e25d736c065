#include "AppDelegate.h"
#include "Bundle.h"
#include "DistributedNotificationCenter.h"
#include "NotificationCenter.h"
#include "OcclusionMonitor.h"
#include "Preferences.h"
#include "QuitSignalHandler.h"
#include "ScreenChangeMonitor.h"
#include "ScreenList.h"
#include "SessionBusName.h"
#include "StatusBarManager.h"
#include "VideoPlayerManager.h"
#include "WebModel.h"
#include "X11Platform.h"

#include <QApplication>
#include <QTimer>

// ZerafinHelper: no main window, only the desktop windows, the tray menu and the update panels.
// It runs until it is told to quit: its menu's "Quit", SIGTERM or SIGINT, all the same way.
int main(int argc, char* argv[]) {
    if (!X11Platform::prepare(QStringLiteral("zerafin-helper")))
        return 1;
    // The player renders each frame once into a texture that every desktop window's view samples.
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZerafinHelper"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QString identifier = QStringLiteral("com.tovan.zerafinHelper");
    Bundle::setIdentifier(identifier);

    // One agent per session: a second start leaves the running one alone and ends without a word.
    if (SessionBusName::claim(identifier) == SessionBusName::Claim::alreadyOwned)
        return 0;

    QuitSignalHandler::install([] { QCoreApplication::quit(); });

    AppDelegate delegate([]() -> VideoPlayerManager& { return VideoPlayerManager::shared(); },
                         []() -> StatusBarManager& { return StatusBarManager::shared(); },
                         Preferences::shared(), DistributedNotificationCenter::shared(),
                         NotificationCenter::defaultCenter(),
                         []() -> WebModel& { return WebModel::shared(); });
    AppDelegate::setApplicationDelegate(&delegate);
    QObject::connect(
        &StatusBarManager::shared(), &StatusBarManager::updateCheckAnswered, &delegate,
        [&delegate](const std::optional<UpgradeInfo>& info) { delegate.dispatchUpdateResult(info, true); });

    ScreenChangeMonitor screens(ScreenList::shared(), NotificationCenter::defaultCenter());
    // Occlusion: the screen saver or lock covering or uncovering the whole desktop.
    OcclusionMonitor occlusion;
    QObject::connect(&occlusion, &OcclusionMonitor::occlusionStateChanged, &delegate,
                     &AppDelegate::applicationDidChangeOcclusionState);

    // Launching is finished once the event loop runs.
    QTimer::singleShot(0, &delegate, &AppDelegate::startUp);
    const int status = app.exec();
    AppDelegate::setApplicationDelegate(nullptr);
    return status;
}
