#include "Bundle.h"
#include "Preferences.h"
#include "ScreenList.h"
#include "VideoPlayerManager.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // The player renders each frame once into a texture that every desktop window's view samples.
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZerafinHelper"));
    QApplication::setQuitOnLastWindowClosed(false);
    Bundle::setIdentifier(QStringLiteral("com.tovan.zerafinHelper"));

    Preferences::shared();
    VideoPlayerManager& player = VideoPlayerManager::shared();
    player.setUpWindows();
    QObject::connect(&ScreenList::shared(), &ScreenList::screensChanged, &player,
                     &VideoPlayerManager::screensDidChange);
    return app.exec();
}
