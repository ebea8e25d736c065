#pragma once

#include "CustomAlertWindowController.h"
#include "Disposable.h"
#include "UpgradeInfo.h"
#include "UpgradeWindowController.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DistributedNotificationCenter;
class NotificationCenter;
class Preferences;
class StatusBarManager;
class VideoPlayerManager;
class WebModel;

// The agent as an application: starts its parts in order once the event loop is about to run,
// follows screen changes, occlusion and waking from sleep, announces its own end to the main
// application, and decides what the update check's answer shows.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    static constexpr const char* terminateNotificationName = "com.tovan.corvex.mac.ter";

    // The parts are made on first use by `startUp` through the given accessors.
    AppDelegate(std::function<VideoPlayerManager&()> playerManager,
                std::function<StatusBarManager&()> statusBar, Preferences& preferences,
                DistributedNotificationCenter& distributedCenter, NotificationCenter& center,
                std::function<WebModel&()> webModel, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The application's delegate, the object the menu hands manual update checks to.
    static AppDelegate* applicationDelegate();
    static void setApplicationDelegate(AppDelegate* delegate);

    // The running version the update check compares with, and the one the alert names.
    void setVersions(const QString& fullVersion, const QString& displayVersion);

    CustomAlertWindowController& upToDateWindowController();
    UpgradeWindowController* upgradeWC() const { return m_upgradeWC.get(); }

    // Launch: desktop windows and player, the menu, waking from sleep, the silent update check.
    void startUp();
    // Posts the end notification (once) and waits until it has left the process.
    void applicationWillTerminate();
    void applicationDidChangeOcclusionState();
    void applicationDidChangeScreenParameters();
    void didWakeNotification();

    // Queues showUpdateResult after whatever the main loop is doing now.
    void dispatchUpdateResult(std::optional<UpgradeInfo> info, bool manual);
    void showUpdateResult(const std::optional<UpgradeInfo>& info, bool manual);

private:
    std::function<VideoPlayerManager&()> m_playerManager;
    std::function<StatusBarManager&()> m_statusBar;
    Preferences& m_preferences;
    DistributedNotificationCenter& m_distributedCenter;
    std::function<WebModel&()> m_webModel;
    QString m_fullVersion;
    QString m_displayVersion;

    std::unique_ptr<CustomAlertWindowController> m_upToDateWindowController;
    std::unique_ptr<UpgradeWindowController> m_upgradeWC;
    std::optional<Disposable> m_screenParametersObservation;
    bool m_terminated = false;
};
