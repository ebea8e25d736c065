#pragma once

#include <QRect>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

class Player;
class PlayerView;

// The window that plays a video's preview clip (its `preurl`): black, 800 x 450 unless told
// otherwise, with a close button only. Each preview gets a player of its own, which loops the clip
// with sound; loading the next preview or closing the window drops it. Only http and https
// addresses are played; one that does not play (a web page, a missing file) hides the window and
// goes to the user's browser instead.
class PreviewVideoWindow : public QWidget {
    Q_OBJECT

public:
    using PlayerFactory = std::function<std::unique_ptr<Player>()>;
    using URLOpener = std::function<void(const QUrl&)>;

    // `contentRect` is the window's first geometry. The factory makes the player of each preview
    // (one that may open network addresses); the opener takes addresses that do not play.
    PreviewVideoWindow(const QRect& contentRect, PlayerFactory makePlayer, URLOpener openInBrowser,
                       QWidget* parent = nullptr);
    ~PreviewVideoWindow() override;

    bool isCenter() const { return m_isCenter; }
    void setIsCenter(bool center) { m_isCenter = center; }

    // Replaces the current preview with the clip at `url`.
    void loadPreview(const QUrl& url);
    // Centres the window in the first screen's available area (when isCenter).
    void center();

    // The player and view of the current preview; null when none is loaded.
    Player* player() const { return m_player.get(); }
    PlayerView* playerView() const { return m_playerView; }
    QUrl loadedURL() const { return m_loadedURL; }

    static bool isPlayableAddress(const QUrl& url);

protected:
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void dropPreview();
    // A failure of the preview numbered `preview`; ignored when another one has been loaded since.
    void previewFailed(quint64 preview);

    bool m_isCenter = true;
    PlayerFactory m_makePlayer;
    URLOpener m_openInBrowser;
    std::unique_ptr<Player> m_player;
    PlayerView* m_playerView = nullptr;
    QUrl m_loadedURL;
    quint64 m_previewNumber = 0; // moves on with each preview loaded
};
