#include "ScreenChangeMonitor.h"

ScreenChangeMonitor::ScreenChangeMonitor(ScreenList& screens, NotificationCenter& center,
                                         std::chrono::milliseconds settle, QObject* parent)
    : QObject(parent), m_center(center) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(settle);
    connect(&m_settle, &QTimer::timeout, this,
            [this] { m_center.post(QString::fromLatin1(notificationName)); });
    connect(&screens, &ScreenList::screensChanged, this, &ScreenChangeMonitor::screenEvent);
}

void ScreenChangeMonitor::screenEvent() {
    m_settle.start();
}
