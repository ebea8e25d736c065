#pragma once

#include "PreviewPresenter.h"
#include "PreviewVideoWindow.h"

#include <QRect>
#include <QUrl>
#include <memory>

// What the main window controller offers for previews: it owns the one preview window, made on
// first use and then reused for its whole life (closing it only hides it and drops the clip).
class PreviewWindowPresenter : public PreviewPresenter {
public:
    PreviewWindowPresenter(PreviewVideoWindow::PlayerFactory makePlayer,
                           PreviewVideoWindow::URLOpener openInBrowser);
    ~PreviewWindowPresenter() override;

    // Shows the clip at `url`. A non-empty rectangle becomes the window's geometry first; the empty
    // rectangle keeps the window where it is.
    void showPreviewWindow(const QUrl& url, const QRect& rect) override;
    void showPreviewWindow(const QUrl& url) { showPreviewWindow(url, QRect()); }

    // The preview window, null until the first preview.
    PreviewVideoWindow* webViewWindow() const { return m_webViewWindow.get(); }

    // Makes the program's player for previews: the libmpv player, allowed http and https.
    static PreviewVideoWindow::PlayerFactory webPlayerFactory();

    // Where a new preview window opens: 800 x 450, centred in the first screen's available area.
    static QRect initialContentRect();

private:
    PreviewVideoWindow& window();

    PreviewVideoWindow::PlayerFactory m_makePlayer;
    PreviewVideoWindow::URLOpener m_openInBrowser;
    std::unique_ptr<PreviewVideoWindow> m_webViewWindow;
};
