#include "SleepMonitor.h"

#include <QLoggingCategory>

namespace {
Q_LOGGING_CATEGORY(lcSleep, "zerafin.desktop.sleep")
} // namespace

SleepMonitor::SleepMonitor(QDBusConnection bus, const QString& service, QObject* parent) : QObject(parent) {
    m_listening = bus.isConnected() &&
                  bus.connect(service, QString::fromLatin1(path), QString::fromLatin1(interface),
                              QStringLiteral("PrepareForSleep"), this, SLOT(onPrepareForSleep(bool)));
}

SleepMonitor* SleepMonitor::onSystemBus(QObject* parent) {
    auto* monitor =
        new SleepMonitor(QDBusConnection::systemBus(), QStringLiteral("org.freedesktop.login1"), parent);
    if (!monitor->isListening())
        qCWarning(lcSleep).noquote() << "no system bus: waking from sleep is not followed";
    return monitor;
}

void SleepMonitor::onPrepareForSleep(bool goingToSleep) {
    if (!goingToSleep)
        emit didWake();
}
