// Prints the screen list as the agent sees it, one "x y width height" line per screen, so that a
// test can run it on a platform configured with several screens.
#include "ScreenList.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    for (const QRect& frame : ScreenList::shared().screens())
        std::printf("%d %d %d %d\n", frame.x(), frame.y(), frame.width(), frame.height());
    return 0;
}
