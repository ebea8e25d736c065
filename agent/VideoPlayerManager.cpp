#include "VideoPlayerManager.h"

#include "Console.h"
#include "DistributedNotificationCenter.h"
#include "LocalVideoDBManager.h"
#include "LocalVideoPath.h"
#include "MpvPlayer.h"
#include "PlayerView.h"
#include "ScreenList.h"
#include "WorkspaceMonitor.h"

#include <QFile>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace {
Q_LOGGING_CATEGORY(lcAgentPlayer, "zerafin.agent.player")

const QString kUpdateVideoList = QStringLiteral("UpdateVideoList");

VideoPlayerPlayModel playModelFrom(qint64 value) {
    switch (value) {
    case 1:
        return VideoPlayerPlayModel::list;
    case 2:
        return VideoPlayerPlayModel::random;
    default:
        return VideoPlayerPlayModel::single;
    }
}

// Whether anything at all (a file, a folder, a FIFO, a device, even a dangling link) is at the path.
// Only when nothing is there is a row's video gone; whatever else is there is handed to the player,
// which fails it when it cannot be played. A path that cannot be examined counts as present.
bool somethingExistsAt(const QString& path) {
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0)
        return true;
    return errno != ENOENT && errno != ENOTDIR;
}
} // namespace

VideoPlayerManager::VideoPlayerManager(Preferences& preferences, LocalVideoDBManager& database,
                                       ScreenList& screens, WorkspaceMonitor& workspace,
                                       DistributedNotificationCenter& notifications, PlayerFactory makePlayer,
                                       QObject* parent)
    : QObject(parent), m_preferences(preferences), m_database(database), m_screens(screens),
      m_workspace(workspace), m_notifications(notifications), m_playerFactory(std::move(makePlayer)),
      m_random([](quint32 bound) { return QRandomGenerator::global()->bounded(bound); }) {
    // A stored arrangement outside the three known ones means the mirrored picture at start-up.
    const qint64 arrange = m_preferences.monitorArrange();
    m_screenType = arrange == 0   ? VideoPlayerScreenType::combo
                   : arrange == 2 ? VideoPlayerScreenType::lonely
                                  : VideoPlayerScreenType::dynamic;
    m_screenIndex = m_preferences.screenIndex();
    m_playModel = playModelFrom(m_preferences.playModel());
    m_currentScreenList = m_screens.screens();

    connect(&m_workspace, &WorkspaceMonitor::activeSpaceDidChange, this,
            &VideoPlayerManager::activeSpaceDidChangeWithNotif);
    m_notificationDisposables.push_back(
        m_notifications.addObserver(kUpdateVideoList, [this] { updateVideoList(); }));

    Preferences* prefs = &m_preferences;
    m_observerDisposables.push_back(observe(prefs, &Preferences::playingVideoSignChanged, this,
                                            [this](const std::optional<QString>& sign) {
                                                if (sign)
                                                    playVideoWithSign(*sign);
                                            }));
    m_observerDisposables.push_back(observe(prefs, &Preferences::isPlayingChanged, this,
                                            [this](bool playing) { applyPlaying(playing); }));
    m_observerDisposables.push_back(
        observe(prefs, &Preferences::playModelChanged, this, [this](qint64 model) {
            m_playModel = playModelFrom(model);
            resetFailures();
            rebuildVideoList();
        }));
    m_observerDisposables.push_back(
        observe(prefs, &Preferences::isOpenPlayerChanged, this, [this](bool open) {
            if (open)
                reloadAndPlay();
            else
                closePlayer();
        }));
    m_observerDisposables.push_back(
        bind(prefs, &Preferences::muteChanged, this, &VideoPlayerManager::setIsMuted));
    m_observerDisposables.push_back(
        bind(prefs, &Preferences::volumeChanged, this, &VideoPlayerManager::setVolume));
    m_observerDisposables.push_back(
        observe(prefs, &Preferences::screenIndexChanged, this, [this](qint64 index) {
            m_screenType = VideoPlayerScreenType::lonely;
            setScreenIndex(index);
            rebuildWindows();
        }));
    // While running, an arrangement outside the three known ones means the single screen.
    m_observerDisposables.push_back(
        observe(prefs, &Preferences::monitorArrangeChanged, this, [this](qint64 arrange) {
            m_screenType = arrange == 0   ? VideoPlayerScreenType::combo
                           : arrange == 1 ? VideoPlayerScreenType::dynamic
                                          : VideoPlayerScreenType::lonely;
            rebuildWindows();
        }));
}

VideoPlayerManager::~VideoPlayerManager() {
    m_observerDisposables.clear();
    m_notificationDisposables.clear();
    destroyWindows();
}

VideoPlayerManager& VideoPlayerManager::shared() {
    static VideoPlayerManager* instance =
        new VideoPlayerManager(Preferences::shared(), LocalVideoDBManager::shared(), ScreenList::shared(),
                               WorkspaceMonitor::shared(), DistributedNotificationCenter::shared(),
                               [] { return std::make_unique<MpvPlayer>(); });
    return *instance;
}

std::vector<DesktopWindow*> VideoPlayerManager::windowList() const {
    std::vector<DesktopWindow*> windows;
    for (const auto& window : m_windowList)
        windows.push_back(window.get());
    return windows;
}

// ---- Play list and player --------------------------------------------------------------------

Player& VideoPlayerManager::player() {
    if (!m_player)
        makePlayer();
    return *m_player;
}

bool VideoPlayerManager::isMuted() {
    return player().isMuted();
}

void VideoPlayerManager::setIsMuted(bool muted) {
    player().setMuted(muted);
}

float VideoPlayerManager::volume() {
    return player().volume();
}

void VideoPlayerManager::setVolume(float volume) {
    player().setVolume(volume);
}

void VideoPlayerManager::rebuildVideoList() {
    QMutexLocker locker(&m_videoListLocker);
    m_videoList.removeAll();
    std::vector<VideoDetail> rows = m_database.selectAll();
    if (m_playModel == VideoPlayerPlayModel::random)
        rows = shuffleVideos(std::move(rows));
    for (const VideoDetail& row : rows)
        m_videoList.append(row);
    if (const auto sign = m_preferences.playingVideoSign()) {
        for (auto node = m_videoList.head; node; node = node->next) {
            if (node->val.sign == *sign) {
                m_videoList.current = node;
                break;
            }
        }
    }
}

std::vector<VideoDetail> VideoPlayerManager::shuffleVideos(std::vector<VideoDetail> videos) const {
    std::vector<VideoDetail> result;
    result.reserve(videos.size());
    while (!videos.empty()) {
        const auto n = quint32(std::min<std::size_t>(videos.size(), UINT32_MAX));
        const quint32 i = std::min(m_random(n), n - 1);
        result.push_back(std::move(videos[i]));
        videos.erase(videos.begin() + i);
    }
    return result;
}

std::optional<QString> VideoPlayerManager::findPlayable() {
    if (!m_videoList.current)
        m_videoList.advance();
    const std::size_t count = m_videoList.count();
    for (std::size_t visited = 0; visited < count && m_videoList.current; ++visited) {
        if (const auto path = LocalVideoPath::fromStoredUrl(m_videoList.current->val.url)) {
            if (somethingExistsAt(*path))
                return path;
        }
        m_videoList.advance();
    }
    return std::nullopt;
}

void VideoPlayerManager::makePlayer() {
    rebuildVideoList();
    const std::optional<QString> found = findPlayable();
    m_player = m_playerFactory();
    // The item is replaced, not advanced, when it ends, and its rate is kept.
    m_player->replaceCurrentItem(found);
    m_player->setVolume(m_preferences.volume());
    m_player->setMuted(m_preferences.mute());
    connect(m_player.get(), &Player::itemDidReachEnd, this, &VideoPlayerManager::playerItemDidReachEnd);
    connect(m_player.get(), &Player::itemDidFail, this, &VideoPlayerManager::itemDidFail);
    connect(m_player.get(), &Player::itemDidStart, this, [this] { m_failureStreak = 0; });
    addStatusObserver();
}

void VideoPlayerManager::addStatusObserver() {
    if (m_player && m_player->hasCurrentItem())
        m_observingStatus = true;
}

void VideoPlayerManager::removeStatusObserver() {
    if (m_player && m_player->hasCurrentItem())
        m_observingStatus = false;
}

void VideoPlayerManager::loadFound() {
    Player& shared = player();
    removeStatusObserver();
    const std::optional<QString> found = findPlayable();
    if (!found && m_videoList.count() > 0)
        qCInfo(lcAgentPlayer) << "no playable video in the library";
    shared.replaceCurrentItem(found);
    addStatusObserver();
}

void VideoPlayerManager::reloadAndPlay() {
    orderWindows();
    resetFailures();
    loadFound();
    orderWindows();
    player().play();
    syncPlayingVideoSign();
}

void VideoPlayerManager::playNext() {
    Player& shared = player();
    if (!m_videoList.current) {
        if (shared.hasCurrentItem())
            shared.seekToZero();
        syncPlayingVideoSign();
        return;
    }
    if (m_playModel == VideoPlayerPlayModel::single) {
        shared.seekToZero();
        return;
    }
    if (m_videoList.current->next) {
        m_videoList.current = m_videoList.current->next;
    } else {
        if (m_playModel == VideoPlayerPlayModel::random)
            rebuildVideoList();
        m_videoList.current = m_videoList.head;
    }
    // No play here: the rate is kept, so the new item plays on.
    loadFound();
    syncPlayingVideoSign();
}

void VideoPlayerManager::playerItemDidReachEnd() {
    playNext();
}

void VideoPlayerManager::itemDidFail() {
    if (!m_observingStatus)
        return;
    // A whole round of items failing one after the other means nothing here can be played:
    // stop rather than cycle, until the list or the chosen video changes.
    ++m_failureStreak;
    if (m_failureStreak >= std::max<std::size_t>(1, m_videoList.count())) {
        qCWarning(lcAgentPlayer) << "every video of the play list failed to load; playback stops";
        m_stoppedAfterFailures = true;
        removeStatusObserver();
        player().replaceCurrentItem(std::nullopt);
        return;
    }
    playerItemDidReachEnd();
}

void VideoPlayerManager::resetFailures() {
    m_failureStreak = 0;
    m_stoppedAfterFailures = false;
}

VideoPlayerManager::StoredFile VideoPlayerManager::storedFile(const QString& sign) {
    const std::optional<VideoDetail> row = m_database.selectBySign(sign);
    if (!row)
        return StoredFile::noRow;
    const std::optional<QString> path = LocalVideoPath::fromStoredUrl(row->url);
    if (!path)
        return StoredFile::noPath;
    return somethingExistsAt(*path) ? StoredFile::exists : StoredFile::missing;
}

bool VideoPlayerManager::videoFileExists(const QString& sign) {
    return storedFile(sign) == StoredFile::exists;
}

void VideoPlayerManager::playVideoWithSign(const QString& sign) {
    if (m_videoList.current && m_videoList.current->val.sign == sign)
        return;
    const StoredFile file = storedFile(sign);
    if (file != StoredFile::exists) {
        // Only a row that names a file which is no longer there is dropped; a row whose location
        // cannot be read is kept as it is.
        if (file == StoredFile::missing)
            m_database.deleteBySign(sign);
        return;
    }
    player().pause();
    rebuildVideoList();
    for (auto node = m_videoList.head; node; node = node->next) {
        if (node->val.sign == sign) {
            m_videoList.current = node;
            break;
        }
    }
    reloadAndPlay();
}

void VideoPlayerManager::syncPlayingVideoSign() {
    std::optional<QString> sign;
    if (m_videoList.current)
        sign = m_videoList.current->val.sign;
    if (sign != m_preferences.playingVideoSign())
        m_preferences.setPlayingVideoSign(sign);
}

void VideoPlayerManager::closePlayer() {
    player().pause();
    for (const auto& window : m_windowList)
        window->orderOut();
}

void VideoPlayerManager::applyPlaying(bool playing) {
    if (playing) {
        orderWindows();
        player().play();
        syncPlayingVideoSign();
    } else {
        player().pause();
    }
}

void VideoPlayerManager::updateVideoList() {
    rebuildVideoList();
    // When nothing could be played before, the changed library gets another chance.
    if (m_player && !m_player->hasCurrentItem()) {
        resetFailures();
        loadFound();
        if (m_player->hasCurrentItem() && m_preferences.isOpenPlayer() && m_preferences.isPlaying()) {
            orderWindows();
            m_player->play();
        }
        syncPlayingVideoSign();
    }
}

// ---- Windows and monitor modes ----------------------------------------------------------------

std::vector<QRect> VideoPlayerManager::playerFrames() const {
    return playerFrames(m_screenType, m_currentScreenList);
}

std::vector<QRect> VideoPlayerManager::playerFrames(VideoPlayerScreenType type,
                                                    const std::vector<QRect>& screens) {
    std::vector<QRect> frames;
    if (type == VideoPlayerScreenType::combo) {
        // The box of all screens, always holding the origin of the global space.
        int minX = 0, minY = 0, maxRight = 0, maxBottom = 0;
        for (const QRect& screen : screens) {
            minX = std::min(minX, screen.x());
            minY = std::min(minY, screen.y());
            maxRight = std::max(maxRight, screen.x() + screen.width());
            maxBottom = std::max(maxBottom, screen.y() + screen.height());
        }
        for (const QRect& screen : screens)
            frames.emplace_back(minX - screen.x(), minY - screen.y(), maxRight - minX, maxBottom - minY);
    } else {
        for (const QRect& screen : screens)
            frames.emplace_back(0, 0, screen.width(), screen.height());
    }
    return frames;
}

void VideoPlayerManager::destroyWindows() {
    for (const auto& window : m_windowList)
        window->orderOut();
    m_windowList.clear();
}

void VideoPlayerManager::setUpWindows() {
    const std::vector<QRect> screens = m_screens.screens();
    m_currentScreenList.clear();
    if (m_screenType == VideoPlayerScreenType::lonely) {
        if (m_screenIndex >= 0 && m_screenIndex < qint64(screens.size()))
            m_currentScreenList.push_back(screens[std::size_t(m_screenIndex)]);
        else if (!screens.empty())
            m_currentScreenList.push_back(screens.front());
    } else {
        m_currentScreenList = screens;
    }
    const std::vector<QRect> frames = playerFrames();
    // Windows left from an earlier set-up are destroyed, never just forgotten.
    destroyWindows();
    for (std::size_t i = 0; i < m_currentScreenList.size(); ++i) {
        auto window = std::make_unique<DesktopWindow>(m_currentScreenList[i]);
        DesktopWindow& made = *window;
        m_windowList.push_back(std::move(window));
        connect(&made, &DesktopWindow::clicked, this, &VideoPlayerManager::tapVideoPlayerViewAction);
        auto* view = new PlayerView(frames[i], &made);
        view->setPlayer(&player());
        view->show();
        orderWindow(made);
    }
    if (m_preferences.isOpenPlayer()) {
        orderWindows();
        player().play();
        syncPlayingVideoSign();
        if (!m_preferences.isPlaying())
            m_preferences.setIsPlaying(true);
    } else {
        closePlayer();
    }
}

void VideoPlayerManager::orderWindow(DesktopWindow& window) {
    window.setDesktopLevel();
    if (m_isHideDesktopIcon)
        window.orderFront();
    else
        window.orderBack();
}

void VideoPlayerManager::orderWindows() {
    for (const auto& window : m_windowList)
        orderWindow(*window);
}

void VideoPlayerManager::rebuildWindows() {
    destroyWindows();
    setUpWindows();
}

void VideoPlayerManager::screensDidChange() {
    if (!m_preferences.isOpenPlayer())
        return;
    const std::vector<QRect> screens = m_screens.screens();
    if (screens.size() != m_currentScreenList.size()) {
        rebuildWindows();
        return;
    }
    for (const QRect& screen : screens) {
        if (std::find(m_currentScreenList.begin(), m_currentScreenList.end(), screen) ==
            m_currentScreenList.end()) {
            rebuildWindows();
            return;
        }
    }
}

void VideoPlayerManager::setHideDesktopIcon(bool hide) {
    m_isHideDesktopIcon = hide;
    if (m_preferences.isOpenPlayer())
        orderWindows();
}

void VideoPlayerManager::activeSpaceDidChangeWithNotif() {
    setHideDesktopIcon(m_isHideDesktopIcon);
}

void VideoPlayerManager::tapVideoPlayerViewAction() {
    Console::line("tapVideoPlayerViewAction");
}
