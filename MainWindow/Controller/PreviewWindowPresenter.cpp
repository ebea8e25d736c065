#include "PreviewWindowPresenter.h"

#include "CloseOnlyWindow.h"
#include "MpvPlayer.h"

#include <QGuiApplication>
#include <QScreen>

PreviewWindowPresenter::PreviewWindowPresenter(PreviewVideoWindow::PlayerFactory makePlayer,
                                               PreviewVideoWindow::URLOpener openInBrowser)
    : m_makePlayer(std::move(makePlayer)), m_openInBrowser(std::move(openInBrowser)) {}

PreviewWindowPresenter::~PreviewWindowPresenter() = default;

QRect PreviewWindowPresenter::initialContentRect() {
    const QSize size(800, 450);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QRect(QPoint(int(-size.width() * 0.5), int(-size.height() * 0.5)), size);
    const QRect area = screen->availableGeometry();
    // The screen's own origin is added: a panel along the top or left edge moves the area.
    return QRect(area.topLeft() + QPoint(int((area.width() - size.width()) * 0.5),
                                         int((area.height() - size.height()) * 0.5)),
                 size);
}

PreviewVideoWindow& PreviewWindowPresenter::window() {
    if (!m_webViewWindow)
        m_webViewWindow =
            std::make_unique<PreviewVideoWindow>(initialContentRect(), m_makePlayer, m_openInBrowser);
    return *m_webViewWindow;
}

void PreviewWindowPresenter::showPreviewWindow(const QUrl& url, const QRect& rect) {
    PreviewVideoWindow& preview = window();
    if (!rect.isNull() && !rect.isEmpty()) {
        CloseOnlyWindow::keepSize(&preview, rect.size());
        preview.setGeometry(rect);
    }
    preview.loadPreview(url);
    preview.show();
    preview.raise();
    preview.activateWindow();
}

PreviewVideoWindow::PlayerFactory PreviewWindowPresenter::webPlayerFactory() {
    return [] { return std::unique_ptr<Player>(new MpvPlayer(MpvPlayer::Options{true})); };
}
