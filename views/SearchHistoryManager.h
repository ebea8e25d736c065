#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The user's last five searches, most recent first, kept in "searchHistory.info" in the caches
// folder as an XML property list (an array of strings). Every change replaces the whole file,
// atomically; a missing or damaged file reads as an empty history and the next change replaces it.
// Main thread only.
class SearchHistoryManager : public QObject {
    Q_OBJECT
public:
    static constexpr int capacity = 5;

    SearchHistoryManager(); // over the history file in AppInfo's caches folder
    explicit SearchHistoryManager(const QString& historyPath, QObject* parent = nullptr);
    static SearchHistoryManager& shared();

    static QString historyURL(); // the file's path in AppInfo's caches folder, worked out once
    QString historyPath() const { return m_path; }

    QStringList storeHistory() const { return m_storeHistory; }
    // Replaces the history and writes it to the file at once.
    void setStoreHistory(const QStringList& history);
    // Records one search: moves an equal entry (exact comparison) to the front, or inserts the text
    // there, keeping at most five entries.
    void add(const QString& text);
    // The history a file's bytes hold: none (empty) unless they are a property list of texts.
    static QStringList historyFromData(const QByteArray& bytes);

private:
    static QStringList load(const QString& path);
    void write() const;

    QString m_path;
    QStringList m_storeHistory;
};
