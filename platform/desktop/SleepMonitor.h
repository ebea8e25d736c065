#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// Tells when the machine has woken from sleep: logind's PrepareForSleep(false) on the system bus.
// Without a system bus (containers, some test machines) it never fires.
class SleepMonitor : public QObject {
    Q_OBJECT
public:
    // Listens on `bus` for PrepareForSleep from `service` (any sender when empty).
    SleepMonitor(QDBusConnection bus, const QString& service, QObject* parent = nullptr);
    // logind on the system bus.
    static SleepMonitor* onSystemBus(QObject* parent = nullptr);

    bool isListening() const { return m_listening; }

    static constexpr const char* path = "/org/freedesktop/login1";
    static constexpr const char* interface = "org.freedesktop.login1.Manager";

signals:
    void didWake();

private slots:
    void onPrepareForSleep(bool goingToSleep);

private:
    bool m_listening = false;
};
