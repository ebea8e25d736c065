#include "NotificationCenter.h"

#include <algorithm>

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

Disposable NotificationCenter::addObserver(const QString& name, Handler handler) {
    QMutexLocker lock(&m_mutex);
    const quint64 id = m_nextId++;
    m_entries.push_back({id, name, std::make_shared<Handler>(std::move(handler))});
    return Disposable([this, id] {
        QMutexLocker lock(&m_mutex);
        std::erase_if(m_entries, [id](const Entry& e) { return e.id == id; });
    });
}

void NotificationCenter::post(const QString& name, QObject* object, const QVariantMap& userInfo) {
    // Handlers run outside the lock so that they may post or add and remove observers.
    std::vector<std::pair<quint64, std::shared_ptr<Handler>>> targets;
    {
        QMutexLocker lock(&m_mutex);
        for (const Entry& e : m_entries)
            if (e.name.isEmpty() || e.name == name)
                targets.emplace_back(e.id, e.handler);
    }
    const Notification notification{name, object, userInfo};
    for (auto& [id, handler] : targets) {
        bool stillObserving;
        {
            QMutexLocker lock(&m_mutex);
            stillObserving = std::any_of(m_entries.begin(), m_entries.end(),
                                         [id = id](const Entry& e) { return e.id == id; });
        }
        if (stillObserving)
            (*handler)(notification);
    }
}
