#pragma once

#include "DesktopWindow.h"
#include "Disposable.h"
#include "Player.h"
#include "Preferences.h"
#include "VideoInfoList.h"

#include <QMutex>
#include <QObject>
#include <QRect>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class DistributedNotificationCenter;
class LocalVideoDBManager;
class ScreenList;
class WorkspaceMonitor;

// The agent's one player object: the play list built from the local library, the one player that
// every desktop window shows, the desktop windows themselves (one per screen in use, by the
// monitor arrangement), and the reactions to the shared settings. Everything runs on the main
// thread; the player's events arrive there too.
class VideoPlayerManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint64 screenType READ screenTypeValue)
    Q_PROPERTY(qint64 screenIndex READ screenIndex WRITE setScreenIndex)
    Q_PROPERTY(bool isMuted READ isMuted WRITE setIsMuted)
    Q_PROPERTY(float volume READ volume WRITE setVolume)

public:
    using PlayerFactory = std::function<std::unique_ptr<Player>()>;
    // Draws a whole number from 0 up to (not including) the bound, uniformly.
    using RandomSource = std::function<quint32(quint32 bound)>;

    VideoPlayerManager(Preferences& preferences, LocalVideoDBManager& database, ScreenList& screens,
                       WorkspaceMonitor& workspace, DistributedNotificationCenter& notifications,
                       PlayerFactory makePlayer, QObject* parent = nullptr);
    ~VideoPlayerManager() override;
    // The agent's instance over the shared settings, library, screens and the libmpv player.
    static VideoPlayerManager& shared();

    void setRandomSource(RandomSource source) { m_random = std::move(source); }

    // Fields.
    VideoPlayerScreenType screenType() const { return m_screenType; }
    void setScreenType(VideoPlayerScreenType type) { m_screenType = type; }
    qint64 screenTypeValue() const { return qint64(m_screenType); }
    qint64 screenIndex() const { return m_screenIndex; }
    void setScreenIndex(qint64 index) { m_screenIndex = index; }
    VideoPlayerPlayModel playModel() const { return m_playModel; }
    const VideoInfoList& videoList() const { return m_videoList; }
    const std::vector<QRect>& currentScreenList() const { return m_currentScreenList; }
    std::vector<DesktopWindow*> windowList() const;
    bool isHideDesktopIcon() const { return m_isHideDesktopIcon; }

    // The shared player, made (with the first play list) on first use.
    Player& player();
    // The player when it has been made.
    Player* existingPlayer() const { return m_player.get(); }
    bool isMuted();
    void setIsMuted(bool muted);
    float volume();
    void setVolume(float volume);

    // Play list and player.
    void rebuildVideoList();
    std::vector<VideoDetail> shuffleVideos(std::vector<VideoDetail> videos) const;
    void reloadAndPlay();
    void playNext();
    void playerItemDidReachEnd();
    void playVideoWithSign(const QString& sign);
    bool videoFileExists(const QString& sign);
    void syncPlayingVideoSign();
    void closePlayer();
    void applyPlaying(bool playing);
    void addStatusObserver();
    void removeStatusObserver();
    void updateVideoList();
    // Whether playback stopped because every item of the list failed in a row.
    bool stoppedAfterFailures() const { return m_stoppedAfterFailures; }

    // Windows and monitor modes.
    void setUpWindows();
    std::vector<QRect> playerFrames() const;
    static std::vector<QRect> playerFrames(VideoPlayerScreenType type, const std::vector<QRect>& screens);
    void orderWindow(DesktopWindow& window);
    void orderWindows();
    void rebuildWindows();
    void screensDidChange();
    void setHideDesktopIcon(bool hide);
    void activeSpaceDidChangeWithNotif();
    void tapVideoPlayerViewAction();

private:
    // missing: nothing at all is at the row's path; exists: something is (not always a video).
    enum class StoredFile { noRow, noPath, missing, exists };

    void makePlayer();
    // The search: from the current node, the first node whose stored location names something that
    // exists (what cannot be played then fails as an item); each node is visited at most once. None
    // when nothing in the list is there.
    std::optional<QString> findPlayable();
    void loadFound();
    StoredFile storedFile(const QString& sign);
    void itemDidFail();
    void resetFailures();
    void destroyWindows();

    Preferences& m_preferences;
    LocalVideoDBManager& m_database;
    ScreenList& m_screens;
    WorkspaceMonitor& m_workspace;
    DistributedNotificationCenter& m_notifications;
    PlayerFactory m_playerFactory;
    RandomSource m_random;

    VideoPlayerScreenType m_screenType = VideoPlayerScreenType::dynamic;
    qint64 m_screenIndex = 0;
    VideoPlayerPlayModel m_playModel = VideoPlayerPlayModel::single;
    std::unique_ptr<Player> m_player;
    std::vector<QRect> m_currentScreenList;
    std::vector<std::unique_ptr<DesktopWindow>> m_windowList;
    VideoInfoList m_videoList;
    QMutex m_videoListLocker;
    bool m_isHideDesktopIcon = false;
    std::vector<Disposable> m_observerDisposables;
    std::vector<Disposable> m_notificationDisposables;

    // Failures count only for the item being observed (not for one that is being replaced).
    bool m_observingStatus = false;
    // Items that failed one after the other since the last one that started.
    std::size_t m_failureStreak = 0;
    bool m_stoppedAfterFailures = false;
};
