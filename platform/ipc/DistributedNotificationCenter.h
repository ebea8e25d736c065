#pragma once

#include "Disposable.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>

// Notifications between the two programs: a signal on the session bus carrying the notification's
// name. Every process observing that name receives it (the poster too, like any other listener).
// Without a session bus it says so once on the console and posting does nothing.
class DistributedNotificationCenter : public QObject {
    Q_OBJECT
public:
    static constexpr const char* path = "/com/tovan/DistributedNotificationCenter";
    static constexpr const char* interface = "com.tovan.DistributedNotificationCenter";
    static constexpr const char* member = "Notification";

    explicit DistributedNotificationCenter(const QDBusConnection& connection, QObject* parent = nullptr);
    static DistributedNotificationCenter& shared();

    bool isConnected() const { return m_connected; }

    void post(const QString& name);
    // The handler runs on the main thread when a notification of that name arrives.
    [[nodiscard]] Disposable addObserver(const QString& name, std::function<void()> handler);
    // Waits until every signal posted so far has left this process (used before exiting).
    void flush();

private slots:
    void onNotification(const QString& name);

private:
    QDBusConnection m_connection;
    bool m_connected = false;
    bool m_quitting = false;
    std::map<quint64, std::pair<QString, std::shared_ptr<std::function<void()>>>> m_observers;
    quint64 m_nextId = 1;
};
