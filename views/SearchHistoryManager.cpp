#include "SearchHistoryManager.h"

#include "AppInfo.h"
#include "PropertyList.h"

#include <QFile>
#include <QLoggingCategory>
#include <QSaveFile>

namespace {
Q_LOGGING_CATEGORY(lcSearchHistory, "zerafin.library.searchhistory")
} // namespace

SearchHistoryManager::SearchHistoryManager() : SearchHistoryManager(historyURL()) {}

SearchHistoryManager::SearchHistoryManager(const QString& historyPath, QObject* parent)
    : QObject(parent), m_path(historyPath), m_storeHistory(load(historyPath)) {}

SearchHistoryManager& SearchHistoryManager::shared() {
    static SearchHistoryManager* manager = new SearchHistoryManager();
    return *manager;
}

QString SearchHistoryManager::historyURL() {
    static const QString path = AppInfo::cachesDirectory() + QStringLiteral("/searchHistory.info");
    return path;
}

QStringList SearchHistoryManager::load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const std::optional<QVariant> plist = PropertyList::fromData(file.readAll());
    if (!plist || plist->typeId() != QMetaType::QVariantList)
        return {};
    QStringList history;
    for (const QVariant& element : plist->toList()) {
        if (element.typeId() != QMetaType::QString)
            return {};
        history.append(element.toString());
    }
    return history;
}

void SearchHistoryManager::setStoreHistory(const QStringList& history) {
    m_storeHistory = history;
    write();
}

void SearchHistoryManager::add(const QString& text) {
    // Each step is written as it is made, so the file always holds a list the user could have had.
    const qsizetype existing = m_storeHistory.indexOf(text);
    if (existing >= 0) {
        QStringList next = m_storeHistory;
        next.removeAt(existing);
        setStoreHistory(next);
    }
    while (m_storeHistory.size() > capacity - 1) {
        QStringList next = m_storeHistory;
        next.removeLast();
        setStoreHistory(next);
    }
    QStringList next = m_storeHistory;
    next.prepend(text);
    setStoreHistory(next);
}

void SearchHistoryManager::write() const {
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcSearchHistory).noquote() << QStringLiteral("search history: cannot write ") + m_path +
                                                    QStringLiteral(": ") + file.errorString();
        return;
    }
    file.write(PropertyList::toXml(QVariant(m_storeHistory)));
    if (!file.commit())
        qCWarning(lcSearchHistory).noquote() << QStringLiteral("search history: cannot write ") + m_path +
                                                    QStringLiteral(": ") + file.errorString();
}
