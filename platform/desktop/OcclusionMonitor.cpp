#include "OcclusionMonitor.h"

OcclusionMonitor::OcclusionMonitor(QDBusConnection bus, QObject* parent) : QObject(parent) {
    if (!bus.isConnected())
        return;
    const QString member = QStringLiteral("ActiveChanged");
    const char* slot = SLOT(onActiveChanged(bool));
    // Screen savers publish the freedesktop interface on one of two paths, GNOME's on its own.
    m_listening = bus.connect(QString(), QStringLiteral("/org/freedesktop/ScreenSaver"),
                              QStringLiteral("org.freedesktop.ScreenSaver"), member, this, slot);
    m_listening |= bus.connect(QString(), QStringLiteral("/ScreenSaver"),
                               QStringLiteral("org.freedesktop.ScreenSaver"), member, this, slot);
    m_listening |= bus.connect(QString(), QStringLiteral("/org/gnome/ScreenSaver"),
                               QStringLiteral("org.gnome.ScreenSaver"), member, this, slot);
}

void OcclusionMonitor::onActiveChanged(bool active) {
    if (m_active == active)
        return;
    m_active = active;
    emit occlusionStateChanged();
}
