#include "X11Platform.h"

#include <QByteArrayList>
#include <QtGlobal>
#include <cstdio>
#include <xcb/xcb.h>

bool X11Platform::selectsXcb(const QByteArray& requested) {
    if (requested.trimmed().isEmpty())
        return true;
    // Qt tries the names of a list in order; the first one decides which display is needed.
    const QByteArray first = requested.split(';').first().trimmed();
    return first == "xcb" || first.startsWith("xcb:");
}

QString X11Platform::displayProblem(const QByteArray& display) {
    if (display.isEmpty())
        return QStringLiteral("DISPLAY is not set");
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(display.constData(), &screen);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (failed)
        return QStringLiteral("cannot connect to the display %1").arg(QString::fromLocal8Bit(display));
    return {};
}

bool X11Platform::prepare(const QString& programName) {
    QByteArray requested = qgetenv("QT_QPA_PLATFORM");
    if (requested.trimmed().isEmpty()) {
        requested = "xcb";
        qputenv("QT_QPA_PLATFORM", requested);
    }
    if (!selectsXcb(requested))
        return true;
    const QString problem = displayProblem(qgetenv("DISPLAY"));
    if (problem.isEmpty())
        return true;
    const QString line = QStringLiteral("%1 needs an X11 display (on Wayland, through XWayland): %2\n")
                             .arg(programName, problem);
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    return false;
}
