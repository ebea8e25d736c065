#pragma once

#include <QRect>
#include <QUrl>

class QWidget;

// What a window offers to show a video's preview. The main window implements it; the lists and the
// detail pane find it through the window they are shown in, and show nothing when that window
// offers none.
class PreviewPresenter {
public:
    virtual ~PreviewPresenter() = default;
    // Shows the preview of `url`; an empty rectangle keeps the preview window where it was.
    virtual void showPreviewWindow(const QUrl& url, const QRect& rect) = 0;

    // The presenter of the window holding `widget`, or null.
    static PreviewPresenter* of(const QWidget* widget);
};
