#pragma once

#include "Disposable.h"
#include "UpgradeInfo.h"

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ApplicationLauncher;
class NotificationCenter;
class Preferences;
class ScreenList;
class VideoPlayerManager;
class WebModel;

// The agent's icon in the system tray and the menu behind it: open the main application, check
// for updates, open or close the wallpaper, play or pause, hide the desktop icons, mute, choose the
// monitor arrangement and screen, quit. Commands act on the player manager first and then write
// the shared settings; five settings are observed so that titles, check marks and enabled flags
// follow whoever changed them (the main application, the player manager or this menu).
//
// The seven long-lived items and the screen-number menu are made once and keep their titles,
// check marks and enabled flags across rebuilds; each build puts them into new menus.
class StatusBarManager : public QObject {
    Q_OBJECT
public:
    // `launcher` starts the main application; the answer of a check chosen in the menu is
    // announced with updateCheckAnswered for whoever decides what it shows.
    StatusBarManager(VideoPlayerManager& playerManager, Preferences& preferences, ScreenList& screens,
                     NotificationCenter& center, std::function<WebModel&()> webModel,
                     const ApplicationLauncher& launcher, QObject* parent = nullptr);
    ~StatusBarManager() override;
    static StatusBarManager& shared();

    // Registers for screen changes (once), makes the tray icon when needed, builds the whole menu
    // and starts the five settings observations.
    void buildMenu();
    // Detaches the menu and ends the settings observations; buildMenu then makes a new one.
    void resetMenu();
    // Refills `menu` with one number per screen and checks the current one.
    void rebuildScreenMenu(QMenu& menu);
    // The screen-number menu under "Single", made and filled on first use.
    QMenu& lonelyMenu();
    void screenDidChanged();

    // The menu actions; those taking a sender receive the item that was chosen.
    void showMainWindowMenuItemAction();
    void checkUpdates();
    void toggleVideoDesktop(QAction* sender);
    void playPauseAction(QAction* sender);
    void hideDesktopIconAction();
    void mutePlayerViewAction(QAction* sender);
    void changeMonitorArray(QAction* sender);
    void changeScreenIndex(QAction* sender);
    void quitMenuItemAction();

    // State, for whoever needs to look.
    bool desktopIconIsHiden() const { return m_desktopIconIsHiden; }
    QSystemTrayIcon& barItem();
    QMenu* menu() const { return m_menu; }
    std::size_t observationCount() const { return m_observersDispose.size(); }
    QAction& toggleVideoDestopItem();
    QAction& playPauseItem();
    QAction& hideDesktopIconItem();
    QAction& muteItem();
    QAction& comboItem();
    QAction& dynamicItem();
    QAction& lonelyItem();

    QString openVideoTitle() const { return m_openVideoTitle; }
    QString closeVideoTitle() const { return m_closeVideoTitle; }
    QString playTitle() const { return m_playTitle; }
    QString pauseTitle() const { return m_pauseTitle; }

signals:
    // The server answered the update check chosen in the menu (none: no update record).
    void updateCheckAnswered(const std::optional<UpgradeInfo>& info);

private:
    QAction* makeItem(const QString& title, QObject* owner, std::function<void(QAction*)> action);
    qsizetype checkedScreenRow(qsizetype itemCount) const;

    VideoPlayerManager& m_playerManager;
    Preferences& m_preferences;
    ScreenList& m_screens;
    NotificationCenter& m_center;
    std::function<WebModel&()> m_webModel;
    const ApplicationLauncher& m_launcher;

    bool m_desktopIconIsHiden = false;
    std::vector<Disposable> m_observersDispose;
    std::optional<Disposable> m_screenParametersObservation;
    std::unique_ptr<QSystemTrayIcon> m_barItem;
    QString m_openVideoTitle;
    QString m_closeVideoTitle;
    QString m_playTitle;
    QString m_pauseTitle;
    QPointer<QAction> m_toggleVideoDestopItem;
    QPointer<QAction> m_playPauseItem;
    QPointer<QAction> m_hideDesktopIconItem;
    QPointer<QAction> m_muteItem;
    QPointer<QAction> m_comboItem;
    QPointer<QAction> m_dynamicItem;
    QPointer<QAction> m_lonelyItem;
    std::unique_ptr<QMenu> m_lonelyMenu;
    QPointer<QMenu> m_menu;
};
