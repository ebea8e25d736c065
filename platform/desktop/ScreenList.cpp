#include "ScreenList.h"

#include <QGuiApplication>
#include <QScreen>

ScreenList::ScreenList(QObject* parent) : QObject(parent) {}

ScreenList& ScreenList::shared() {
    static ScreenList* instance = [] {
        auto* made = new ScreenList();
        if (auto* app = qGuiApp) {
            for (QScreen* screen : QGuiApplication::screens())
                made->watch(screen);
            QObject::connect(app, &QGuiApplication::screenAdded, made, [made](QScreen* screen) {
                made->watch(screen);
                emit made->screensChanged();
            });
            QObject::connect(app, &QGuiApplication::screenRemoved, made,
                             [made] { emit made->screensChanged(); });
            QObject::connect(app, &QGuiApplication::primaryScreenChanged, made,
                             [made] { emit made->screensChanged(); });
        }
        return made;
    }();
    return *instance;
}

void ScreenList::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { emit screensChanged(); });
}

std::vector<QRect> ScreenList::screens() const {
    std::vector<QRect> frames;
    if (!qGuiApp)
        return frames;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary)
        frames.push_back(primary->geometry());
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != primary)
            frames.push_back(screen->geometry());
    return frames;
}
