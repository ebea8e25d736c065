#include "ScreenChangeMonitor.h"

#include <QGuiApplication>
#include <QScreen>

ScreenChangeMonitor::ScreenChangeMonitor(NotificationCenter& center, std::chrono::milliseconds settle,
                                         QObject* parent)
    : QObject(parent), m_center(center) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(settle);
    connect(&m_settle, &QTimer::timeout, this,
            [this] { m_center.post(QString::fromLatin1(notificationName)); });
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
            watch(screen);
            screenEvent();
        });
        connect(app, &QGuiApplication::screenRemoved, this, &ScreenChangeMonitor::screenEvent);
        connect(app, &QGuiApplication::primaryScreenChanged, this, &ScreenChangeMonitor::screenEvent);
        for (QScreen* screen : QGuiApplication::screens())
            watch(screen);
    }
}

void ScreenChangeMonitor::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &ScreenChangeMonitor::screenEvent);
}

void ScreenChangeMonitor::screenEvent() {
    m_settle.start();
}
