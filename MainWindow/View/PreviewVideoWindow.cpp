#include "PreviewVideoWindow.h"

#include "CloseOnlyWindow.h"
#include "MallocTuning.h"
#include "Player.h"
#include "PlayerView.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPalette>
#include <QScreen>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcPreview, "zerafin.preview")

PreviewVideoWindow::PreviewVideoWindow(const QRect& contentRect, PlayerFactory makePlayer,
                                       URLOpener openInBrowser, QWidget* parent)
    : QWidget(parent, CloseOnlyWindow::flags), m_makePlayer(std::move(makePlayer)),
      m_openInBrowser(std::move(openInBrowser)) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QString());
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CloseOnlyWindow::keepSize(this, contentRect.size());
    setGeometry(contentRect);
}

PreviewVideoWindow::~PreviewVideoWindow() {
    dropPreview();
}

bool PreviewVideoWindow::isPlayableAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

void PreviewVideoWindow::dropPreview() {
    if (m_playerView) {
        m_playerView->setPlayer(nullptr);
        delete m_playerView;
        m_playerView = nullptr;
    }
    if (m_player) {
        m_player->disconnect(this);
        m_player->pause();
        m_player.reset();
    }
    m_loadedURL = QUrl();
}

void PreviewVideoWindow::loadPreview(const QUrl& url) {
    dropPreview();
    if (!isPlayableAddress(url)) {
        // Server addresses are played only over the web: anything else (a local file, a script
        // address) could reach what the page has no business with.
        qCWarning(lcPreview) << "preview address refused (not http or https):" << url.toString();
        return;
    }
    m_player = m_makePlayer ? m_makePlayer() : nullptr;
    if (!m_player) {
        qCWarning(lcPreview) << "no player for the preview";
        return;
    }
    m_loadedURL = url;
    Player* player = m_player.get();
    connect(player, &Player::itemDidReachEnd, this, [player] { player->seekToZero(); });
    // The report is queued: by the time it arrives another clip may be playing, whose window it
    // must not hide. The number tells the clips apart (a new player may reuse an old address).
    const quint64 preview = ++m_previewNumber;
    connect(
        player, &Player::itemDidFail, this, [this, preview] { previewFailed(preview); },
        Qt::QueuedConnection);
    m_playerView = new PlayerView(this);
    layout()->addWidget(m_playerView);
    m_playerView->setPlayer(player);
    player->setMuted(false);
    player->setVolume(1.0f);
    player->replaceCurrentItem(url.toString(QUrl::FullyEncoded));
    player->play();
}

void PreviewVideoWindow::previewFailed(quint64 preview) {
    const QUrl url = m_loadedURL;
    if (url.isEmpty() || preview != m_previewNumber)
        return;
    qCInfo(lcPreview) << "preview does not play, opening it in the browser:" << url.toString();
    hide();
    dropPreview();
    if (m_openInBrowser && isPlayableAddress(url))
        m_openInBrowser(url);
}

void PreviewVideoWindow::center() {
    if (!m_isCenter)
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.topLeft() + QPoint(int((area.width() - width()) * 0.5), int((area.height() - height()) * 0.5)));
}

void PreviewVideoWindow::closeEvent(QCloseEvent* event) {
    dropPreview();
    QWidget::closeEvent(event);
}

void PreviewVideoWindow::hideEvent(QHideEvent* event) {
    // A hidden preview must not go on playing its sound.
    dropPreview();
    // The player's decoders and buffers are gone; their pages go back to the system.
    MallocTuning::releaseFreeMemory();
    QWidget::hideEvent(event);
}
