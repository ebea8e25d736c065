#include "DistributedNotificationCenter.h"

#include "MainThread.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QLoggingCategory>
#include <QPointer>
#include <mutex>
#include <vector>

namespace {
Q_LOGGING_CATEGORY(lcNotifications, "zerafin.notifications")
} // namespace

DistributedNotificationCenter::DistributedNotificationCenter(const QDBusConnection& connection,
                                                             QObject* parent)
    : QObject(parent), m_connection(connection) {
    m_connected = m_connection.isConnected() && m_connection.connect(QString(), path, interface, member, this,
                                                                     SLOT(onNotification(QString)));
    if (!m_connection.isConnected())
        qCWarning(lcNotifications).noquote()
            << QStringLiteral("no session bus: notifications between the programs are off (%1)")
                   .arg(m_connection.lastError().message());
    if (auto* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            m_quitting = true;
            flush();
        });
}

DistributedNotificationCenter& DistributedNotificationCenter::shared() {
    static DistributedNotificationCenter* center = nullptr;
    static std::once_flag once;
    std::call_once(once, [] {
        // Owned by the main thread so that incoming signals are delivered there.
        MainThread::runAndWait(
            [] { center = new DistributedNotificationCenter(QDBusConnection::sessionBus()); });
    });
    return *center;
}

void DistributedNotificationCenter::post(const QString& name) {
    if (!m_connection.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(path, interface, member);
    signal << name;
    m_connection.send(signal);
    if (m_quitting || QCoreApplication::closingDown())
        flush();
}

void DistributedNotificationCenter::flush() {
    if (!m_connection.isConnected())
        return;
    // Messages leave in order: once the bus has answered a call, every earlier signal has been sent.
    QDBusMessage ping = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
    m_connection.call(ping, QDBus::Block, 2000);
}

Disposable DistributedNotificationCenter::addObserver(const QString& name, std::function<void()> handler) {
    const quint64 id = m_nextId++;
    m_observers.emplace(id,
                        std::make_pair(name, std::make_shared<std::function<void()>>(std::move(handler))));
    QPointer<DistributedNotificationCenter> self(this);
    return Disposable([self, id] {
        if (self)
            self->m_observers.erase(id);
    });
}

void DistributedNotificationCenter::onNotification(const QString& name) {
    std::vector<std::pair<quint64, std::shared_ptr<std::function<void()>>>> targets;
    for (const auto& [id, entry] : m_observers)
        if (entry.first == name)
            targets.emplace_back(id, entry.second);
    for (auto& [id, handler] : targets)
        if (m_observers.count(id))
            (*handler)();
}
