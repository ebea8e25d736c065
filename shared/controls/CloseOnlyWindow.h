#pragma once

#include <QSize>
#include <Qt>

class QWidget;

// Windows that offer nothing but a close button: settings, QR code, feedback and preview. The
// button flags alone reach the window manager as Motif hints, which some managers (openbox) read
// only in part, still offering minimise and maximise. So such a window is also a dialog, which
// those managers do not minimise on its own, and keeps one size, which they do not maximise.
class CloseOnlyWindow {
public:
    static constexpr Qt::WindowFlags flags =
        Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;

    // Gives the window one size: it can be neither resized nor maximised.
    static void keepSize(QWidget* window, const QSize& size);
};
