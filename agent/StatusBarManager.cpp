#include "StatusBarManager.h"

#include "AgentArtwork.h"
#include "AppInfo.h"
#include "ApplicationLauncher.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "ScreenChangeMonitor.h"
#include "ScreenList.h"
#include "VideoPlayerManager.h"
#include "WebModel.h"

#include <QCoreApplication>
#include <QCursor>
#include <QKeySequence>

namespace {
QString localized(const char* key, const char* comment) {
    return QCoreApplication::translate("Localizable", key, comment);
}

// Menu key equivalents are chosen with the Control key here.
QKeySequence keyEquivalent(const QString& key) {
    return QKeySequence(QStringLiteral("Ctrl+") + key.toUpper());
}
} // namespace

StatusBarManager::StatusBarManager(VideoPlayerManager& playerManager, Preferences& preferences,
                                   ScreenList& screens, NotificationCenter& center,
                                   std::function<WebModel&()> webModel, const ApplicationLauncher& launcher,
                                   QObject* parent)
    : QObject(parent), m_playerManager(playerManager), m_preferences(preferences), m_screens(screens),
      m_center(center), m_webModel(std::move(webModel)), m_launcher(launcher),
      m_openVideoTitle(localized("Open Video Wallpaper", "start/stop Video Desktop")),
      m_closeVideoTitle(localized("Close Video Wallpaper", "start/stop Video Desktop")),
      m_playTitle(localized("Play", "play/pause")), m_pauseTitle(localized("Pause", "pause play")) {}

StatusBarManager::~StatusBarManager() {
    m_observersDispose.clear();
    m_screenParametersObservation.reset();
    if (m_barItem)
        m_barItem->setContextMenu(nullptr);
    delete m_menu;
}

StatusBarManager& StatusBarManager::shared() {
    static StatusBarManager* instance = new StatusBarManager(
        VideoPlayerManager::shared(), Preferences::shared(), ScreenList::shared(),
        NotificationCenter::defaultCenter(), []() -> WebModel& { return WebModel::shared(); },
        ApplicationLauncher::shared());
    return *instance;
}

QAction* StatusBarManager::makeItem(const QString& title, QObject* owner,
                                    std::function<void(QAction*)> action) {
    auto* item = new QAction(title, owner);
    if (action)
        connect(item, &QAction::triggered, this, [item, action = std::move(action)] {
            // A chosen item keeps its check mark as it was; the action decides what it becomes.
            if (item->isCheckable())
                item->setChecked(!item->isChecked());
            action(item);
        });
    return item;
}

QSystemTrayIcon& StatusBarManager::barItem() {
    if (!m_barItem) {
        m_barItem = std::make_unique<QSystemTrayIcon>();
        // A click on the icon opens the menu, as the context click does.
        connect(m_barItem.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger && m_menu)
                        m_menu->popup(QCursor::pos());
                });
    }
    return *m_barItem;
}

QAction& StatusBarManager::toggleVideoDestopItem() {
    if (!m_toggleVideoDestopItem)
        m_toggleVideoDestopItem =
            makeItem(m_preferences.isOpenPlayer() ? m_closeVideoTitle : m_openVideoTitle, this,
                     [this](QAction* sender) { toggleVideoDesktop(sender); });
    return *m_toggleVideoDestopItem;
}

QAction& StatusBarManager::playPauseItem() {
    if (!m_playPauseItem) {
        m_playPauseItem = makeItem(m_preferences.isPlaying() ? m_pauseTitle : m_playTitle, this,
                                   [this](QAction* sender) { playPauseAction(sender); });
        m_playPauseItem->setEnabled(m_preferences.isOpenPlayer());
    }
    return *m_playPauseItem;
}

QAction& StatusBarManager::hideDesktopIconItem() {
    if (!m_hideDesktopIconItem) {
        m_hideDesktopIconItem = makeItem(localized("Hide Desktop Icon", "hide desktop icon"), this,
                                         [this](QAction*) { hideDesktopIconAction(); });
        m_hideDesktopIconItem->setCheckable(true);
        m_hideDesktopIconItem->setEnabled(m_preferences.isOpenPlayer());
    }
    return *m_hideDesktopIconItem;
}

QAction& StatusBarManager::muteItem() {
    if (!m_muteItem) {
        m_muteItem = makeItem(localized("Mute", "Mute desktop video"), this,
                              [this](QAction* sender) { mutePlayerViewAction(sender); });
        m_muteItem->setCheckable(true);
        m_muteItem->setChecked(m_playerManager.isMuted());
    }
    return *m_muteItem;
}

QAction& StatusBarManager::comboItem() {
    if (!m_comboItem) {
        m_comboItem = makeItem(localized("Integration", "make up all monitors into one player"), this,
                               [this](QAction* sender) { changeMonitorArray(sender); });
        m_comboItem->setCheckable(true);
    }
    return *m_comboItem;
}

QAction& StatusBarManager::dynamicItem() {
    if (!m_dynamicItem) {
        m_dynamicItem = makeItem(localized("Mirror", "each monitor has same content"), this,
                                 [this](QAction* sender) { changeMonitorArray(sender); });
        m_dynamicItem->setCheckable(true);
    }
    return *m_dynamicItem;
}

QAction& StatusBarManager::lonelyItem() {
    if (!m_lonelyItem) {
        // Carries the screen numbers; choosing it alone does nothing.
        m_lonelyItem = makeItem(localized("Single", "Only play on one monitor"), this, {});
        m_lonelyItem->setCheckable(true);
    }
    return *m_lonelyItem;
}

QMenu& StatusBarManager::lonelyMenu() {
    if (!m_lonelyMenu) {
        auto menu = std::make_unique<QMenu>(localized("Single", "Only play on one monitor"));
        rebuildScreenMenu(*menu);
        m_lonelyMenu = std::move(menu);
    }
    return *m_lonelyMenu;
}

qsizetype StatusBarManager::checkedScreenRow(qsizetype itemCount) const {
    const qint64 index = m_playerManager.screenIndex();
    if (index >= 0 && index < itemCount)
        return qsizetype(index);
    return itemCount > 0 ? 0 : -1;
}

void StatusBarManager::rebuildScreenMenu(QMenu& menu) {
    menu.clear();
    const qsizetype count = qsizetype(m_screens.screens().size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString number = QString::number(i + 1);
        QAction* item = makeItem(number, &menu, [this](QAction* sender) { changeScreenIndex(sender); });
        if (number.size() == 1)
            item->setShortcut(keyEquivalent(number));
        item->setData(qint64(i));
        item->setCheckable(true);
        menu.addAction(item);
    }
    const qsizetype row = checkedScreenRow(menu.actions().size());
    if (row >= 0)
        menu.actions().at(row)->setChecked(true);
}

void StatusBarManager::screenDidChanged() {
    rebuildScreenMenu(lonelyMenu());
}

void StatusBarManager::buildMenu() {
    if (!m_screenParametersObservation)
        m_screenParametersObservation =
            m_center.addObserver(QString::fromLatin1(ScreenChangeMonitor::notificationName),
                                 [this](const Notification&) { screenDidChanged(); });

    m_observersDispose.push_back(
        observe(&m_preferences, &Preferences::isPlayingChanged, this,
                [this](bool playing) { playPauseItem().setText(playing ? m_pauseTitle : m_playTitle); }));

    barItem().setIcon(AgentArtwork::statusBarIcon());
    barItem().setToolTip(QCoreApplication::applicationName());

    auto* menu = new QMenu();
    // The separators are part of the layout: two in a row stay two.
    menu->setSeparatorsCollapsible(false);
    QAction* mainWindow = makeItem(localized("Main Window", "use to show main window"), menu,
                                   [this](QAction*) { showMainWindowMenuItemAction(); });
    QAction* quit =
        makeItem(localized("Quit", "quit application"), menu, [this](QAction*) { quitMenuItemAction(); });
    quit->setShortcut(keyEquivalent(QStringLiteral("q")));
    auto* screenMenu = new QMenu(localized("Screen", "title"), menu);
    QAction* screenItem = screenMenu->menuAction();

    lonelyItem().setMenu(&lonelyMenu());
    screenMenu->addAction(&comboItem());
    screenMenu->addAction(&dynamicItem());
    screenMenu->addAction(&lonelyItem());

    // Only turns a check mark on; what earlier changes turned off stays off.
    switch (m_playerManager.screenType()) {
    case VideoPlayerScreenType::dynamic:
        dynamicItem().setChecked(true);
        break;
    case VideoPlayerScreenType::lonely: {
        const qsizetype row = checkedScreenRow(lonelyMenu().actions().size());
        if (row >= 0)
            lonelyMenu().actions().at(row)->setChecked(true);
        break;
    }
    default:
        comboItem().setChecked(true);
        break;
    }

    menu->addAction(mainWindow);
    QAction* version = menu->addAction(AppInfo::displayVersion());
    version->setEnabled(false);
    menu->addAction(makeItem(localized("Check for Updates...", "Check Update"), menu,
                             [this](QAction*) { checkUpdates(); }));
    menu->addSeparator();
    menu->addAction(&toggleVideoDestopItem());
    menu->addAction(&playPauseItem());
    menu->addAction(&hideDesktopIconItem());
    menu->addAction(&muteItem());
    menu->addSeparator();
    if (m_screens.screens().size() > 1)
        menu->addAction(screenItem);
    menu->addSeparator();
    menu->addAction(quit);

    barItem().setContextMenu(menu);
    m_menu = menu;
    if (!barItem().isVisible())
        barItem().show();

    m_observersDispose.push_back(observe(&m_preferences, &Preferences::muteChanged, this,
                                         [this](bool mute) { muteItem().setChecked(mute); }));
    m_observersDispose.push_back(
        observe(&m_preferences, &Preferences::monitorArrangeChanged, this, [this](qint64 arrange) {
            // Values the other program may write outside the three arrangements change nothing.
            if (arrange < 0 || arrange > 2)
                return;
            comboItem().setChecked(arrange == 0);
            dynamicItem().setChecked(arrange == 1);
            lonelyItem().setChecked(arrange == 2);
        }));
    m_observersDispose.push_back(
        observe(&m_preferences, &Preferences::screenIndexChanged, this, [this](qint64 index) {
            const QList<QAction*> items = lonelyMenu().actions();
            for (qsizetype i = 0; i < items.size(); ++i)
                items.at(i)->setChecked(i == index);
        }));
    m_observersDispose.push_back(
        observe(&m_preferences, &Preferences::isOpenPlayerChanged, this, [this](bool open) {
            toggleVideoDestopItem().setText(open ? m_closeVideoTitle : m_openVideoTitle);
            hideDesktopIconItem().setEnabled(open);
            playPauseItem().setEnabled(open);
            if (!open) {
                m_desktopIconIsHiden = false;
                m_playerManager.setHideDesktopIcon(false);
                hideDesktopIconItem().setChecked(false);
            }
        }));
}

void StatusBarManager::resetMenu() {
    barItem().setContextMenu(nullptr);
    if (m_menu) {
        // The long-lived items belong to this manager and leave with the menu's other entries;
        // the menu itself goes once the event loop is done with it.
        m_menu->clear();
        m_menu->deleteLater();
        m_menu = nullptr;
    }
    m_observersDispose.clear();
}

void StatusBarManager::showMainWindowMenuItemAction() {
    m_launcher.launch(QStringLiteral("com.tovan.zerafin.macOS"));
}

void StatusBarManager::checkUpdates() {
    QPointer<StatusBarManager> self(this);
    m_webModel().checkUpdate([self](std::optional<UpgradeInfo> info) {
        if (self)
            emit self->updateCheckAnswered(info);
    });
}

void StatusBarManager::toggleVideoDesktop(QAction*) {
    if (m_preferences.isOpenPlayer())
        m_playerManager.closePlayer();
    else
        m_playerManager.reloadAndPlay();
    m_preferences.setIsOpenPlayer(!m_preferences.isOpenPlayer());
}

void StatusBarManager::playPauseAction(QAction* sender) {
    if (m_preferences.isPlaying()) {
        sender->setText(localized("Play", "pause play"));
        m_playerManager.player().pause();
    } else {
        sender->setText(localized("Pause", "play"));
        m_playerManager.orderWindows();
        m_playerManager.player().play();
        m_playerManager.syncPlayingVideoSign();
    }
    m_preferences.setIsPlaying(!m_preferences.isPlaying());
}

void StatusBarManager::hideDesktopIconAction() {
    m_desktopIconIsHiden = !m_desktopIconIsHiden;
    m_playerManager.setHideDesktopIcon(m_desktopIconIsHiden);
    hideDesktopIconItem().setChecked(m_desktopIconIsHiden);
}

void StatusBarManager::mutePlayerViewAction(QAction* sender) {
    const bool wasOff = !sender->isChecked();
    m_playerManager.setIsMuted(wasOff);
    sender->setChecked(wasOff);
    m_preferences.setMute(sender->isChecked());
}

void StatusBarManager::changeMonitorArray(QAction* sender) {
    const bool combo = sender == m_comboItem;
    m_playerManager.setScreenType(combo ? VideoPlayerScreenType::combo : VideoPlayerScreenType::dynamic);
    m_playerManager.setScreenIndex(0);
    m_playerManager.rebuildWindows();
    m_preferences.setMonitorArrange(combo ? 0 : 1);
}

void StatusBarManager::changeScreenIndex(QAction* sender) {
    const qint64 tag = sender->data().toLongLong();
    m_playerManager.setScreenType(VideoPlayerScreenType::lonely);
    m_playerManager.setScreenIndex(tag);
    m_playerManager.rebuildWindows();
    m_preferences.setMonitorArrange(2);
    m_preferences.setScreenIndex(tag);
}

void StatusBarManager::quitMenuItemAction() {
    // The application's ordinary end: the delegate announces it while the event loop winds down.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}
