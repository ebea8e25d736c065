#pragma once

#include "Disposable.h"

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <vector>

struct Notification {
    QString name;
    QObject* object = nullptr;
    QVariantMap userInfo;
};

// The in-process notification centre: observers registered by name receive every post of that
// name synchronously, on the posting thread, in the order they were registered.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    NotificationCenter() = default;
    static NotificationCenter& defaultCenter();

    // An empty name observes every notification. The token ends the observation.
    [[nodiscard]] Disposable addObserver(const QString& name, Handler handler);
    void post(const QString& name, QObject* object = nullptr, const QVariantMap& userInfo = {});

private:
    struct Entry {
        quint64 id;
        QString name;
        std::shared_ptr<Handler> handler;
    };
    QMutex m_mutex;
    std::vector<Entry> m_entries;
    quint64 m_nextId = 1;
};
