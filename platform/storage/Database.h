#pragma once

#include "ResultSet.h"

#include <QHash>
#include <QString>
#include <QVariantList>
#include <memory>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// One connection to an SQLite database file. Statements are prepared once per SQL text and reused;
// parameters are bound by position from QVariants (integers as 64-bit, doubles, texts, byte arrays,
// null). Failures are reported as false or no result, with the reason in lastErrorMessage().
// Not thread-safe: whoever shares a connection between threads serializes its use.
class Database {
public:
    explicit Database(QString path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& databasePath() const { return m_path; }

    // Opens (creating it when missing and `create` holds) the file for reading and writing, waits up to
    // `busyTimeoutMs` for another connection's lock before a statement gives up, and checks that the file
    // really is a database: a damaged file fails here and is left as it is.
    bool open(int busyTimeoutMs = 2000, bool create = true);
    bool isOpen() const { return m_db != nullptr; }
    void close();

    bool executeUpdate(const QString& sql, const QVariantList& arguments = {});
    std::optional<ResultSet> executeQuery(const QString& sql, const QVariantList& arguments = {});

    QString lastErrorMessage() const { return m_lastError; }
    // Rows changed by the last successful update.
    qint64 changes() const;

private:
    friend class ResultSet;

    // A prepared statement and, once a query has run it, the names of its result columns.
    struct Prepared {
        sqlite3_stmt* statement = nullptr;
        std::shared_ptr<const ResultSet::Columns> columns;
    };

    Prepared prepared(const QString& sql);
    void giveBack(const QString& sql, Prepared prepared);
    bool bind(sqlite3_stmt* statement, const QVariantList& arguments);
    void recordError();

    static int waitForLock(void* database, int attempt);

    QString m_path;
    sqlite3* m_db = nullptr;
    int m_busyTimeoutMs = 0;
    qint64 m_busySinceMs = 0;
    QHash<QString, Prepared> m_cache;
    QString m_lastError;
};
