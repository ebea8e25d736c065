#include "AppDelegate.h"

#include "AppInfo.h"
#include "DistributedNotificationCenter.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "ScreenChangeMonitor.h"
#include "SleepMonitor.h"
#include "StatusBarManager.h"
#include "VersionComparison.h"
#include "VideoPlayerManager.h"
#include "WebModel.h"

#include <QCoreApplication>

namespace {
QPointer<AppDelegate>& delegateSlot() {
    static QPointer<AppDelegate> slot;
    return slot;
}

QString localized(const char* key, const char* comment) {
    return QCoreApplication::translate("Localizable", key, comment);
}
} // namespace

AppDelegate::AppDelegate(std::function<VideoPlayerManager&()> playerManager,
                         std::function<StatusBarManager&()> statusBar, Preferences& preferences,
                         DistributedNotificationCenter& distributedCenter, NotificationCenter& center,
                         std::function<WebModel&()> webModel, QObject* parent)
    : QObject(parent), m_playerManager(std::move(playerManager)), m_statusBar(std::move(statusBar)),
      m_preferences(preferences), m_distributedCenter(distributedCenter), m_webModel(std::move(webModel)),
      m_fullVersion(AppInfo::fullVersion()), m_displayVersion(AppInfo::displayVersion()) {
    // The delegate hears of screen changes before the menu does (the menu registers when it is
    // first built), so the windows follow the screens before the screen numbers are refilled.
    m_screenParametersObservation =
        center.addObserver(QString::fromLatin1(ScreenChangeMonitor::notificationName),
                           [this](const Notification&) { applicationDidChangeScreenParameters(); });
    if (auto* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &AppDelegate::applicationWillTerminate);
    // The session bus delivers the main application's notifications at any time; there is no
    // suspension to lift when the agent goes to the background.
}

AppDelegate::~AppDelegate() = default;

AppDelegate* AppDelegate::applicationDelegate() {
    return delegateSlot();
}

void AppDelegate::setApplicationDelegate(AppDelegate* delegate) {
    delegateSlot() = delegate;
}

void AppDelegate::setVersions(const QString& fullVersion, const QString& displayVersion) {
    m_fullVersion = fullVersion;
    m_displayVersion = displayVersion;
}

CustomAlertWindowController& AppDelegate::upToDateWindowController() {
    if (!m_upToDateWindowController)
        m_upToDateWindowController = std::make_unique<CustomAlertWindowController>();
    return *m_upToDateWindowController;
}

void AppDelegate::startUp() {
    VideoPlayerManager& player = m_playerManager();
    player.setUpWindows();

    m_statusBar().buildMenu();

    auto* sleep = SleepMonitor::onSystemBus(this);
    connect(sleep, &SleepMonitor::didWake, this, &AppDelegate::didWakeNotification);

    // Making the client schedules its guide refresh and midnight heartbeat.
    QPointer<AppDelegate> self(this);
    m_webModel().checkUpdate([self](std::optional<UpgradeInfo> info) {
        if (self)
            self->dispatchUpdateResult(std::move(info), false);
    });
}

void AppDelegate::applicationWillTerminate() {
    if (m_terminated)
        return;
    m_terminated = true;
    m_distributedCenter.post(QString::fromLatin1(terminateNotificationName));
    // The process may end right after this: the signal must have left it by then.
    m_distributedCenter.flush();
}

void AppDelegate::applicationDidChangeOcclusionState() {
    if (m_preferences.isOpenPlayer() && m_preferences.isPlaying())
        m_playerManager().reloadAndPlay();
}

void AppDelegate::applicationDidChangeScreenParameters() {
    m_playerManager().screensDidChange();
    StatusBarManager& statusBar = m_statusBar();
    statusBar.resetMenu();
    statusBar.buildMenu();
}

void AppDelegate::didWakeNotification() {
    if (!m_preferences.isOpenPlayer() || !m_preferences.isPlaying())
        return;
    VideoPlayerManager& player = m_playerManager();
    player.orderWindows();
    player.player().play();
    player.syncPlayingVideoSign();
}

void AppDelegate::dispatchUpdateResult(std::optional<UpgradeInfo> info, bool manual) {
    QMetaObject::invokeMethod(
        this, [this, info = std::move(info), manual] { showUpdateResult(info, manual); },
        Qt::QueuedConnection);
}

void AppDelegate::showUpdateResult(const std::optional<UpgradeInfo>& info, bool manual) {
    if (info && VersionComparison::isNewer(info->ver, m_fullVersion)) {
        // One upgrade panel at a time: the newest answer replaces the panel of an earlier one.
        if (m_upgradeWC)
            m_upgradeWC->close();
        m_upgradeWC = std::make_unique<UpgradeWindowController>();
        m_upgradeWC->setUpgradeInfo(info);
        m_upgradeWC->showWindow();
        return;
    }
    if (!manual)
        return;
    const QString title = localized("You're up to date", "You're up to date");
    const QString message = localized("%@ is currently the newest version", "newest version")
                                .replace(QLatin1String("%@"), m_displayVersion);
    CustomAlertWindowController& alert = upToDateWindowController();
    if (!alert.isWindowLoaded())
        alert.loadWindow();
    alert.titleLabel()->setText(title);
    alert.infoLabel()->setText(message);
    alert.showWindow();
}
