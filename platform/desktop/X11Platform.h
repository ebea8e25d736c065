#pragma once

#include <QByteArray>
#include <QString>

// Both programs draw X11 windows (desktop-type windows, X11 stacking), so they run on Qt's xcb
// platform, through XWayland on a Wayland session. Call prepare() first thing in main(), before
// the application object is made: without an X11 display Qt would otherwise abort the process.
class X11Platform {
public:
    // Chooses the xcb platform unless the user set QT_QPA_PLATFORM, then, when xcb is the
    // platform, checks that the X11 display can be reached. On failure one line naming the
    // program and the reason is written to standard error and the answer is false: the caller
    // then ends with status 1.
    static bool prepare(const QString& programName);

    // Whether the platform that Qt will load for this QT_QPA_PLATFORM value (empty: none set) is
    // xcb. The value may carry options ("xcb:...") or a list of fallbacks ("wayland;xcb").
    static bool selectsXcb(const QByteArray& requested);

    // Why no X11 display can be reached at `display` (empty: DISPLAY is not set), or an empty text
    // when a connection succeeds.
    static QString displayProblem(const QByteArray& display);
};
