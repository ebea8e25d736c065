#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>

class Database;
struct sqlite3_stmt;

// The rows of one query, read forward with next(). Columns are found by name (letter case
// ignored, as SQL names are). A column holding SQL null reads as 0 or the empty text. The set
// keeps its statement busy until it is destroyed or has run out of rows, so it must not outlive
// its database or be kept while the database runs other statements.
class ResultSet {
public:
    using Columns = QHash<QString, int>; // lower-case name -> position
    ResultSet(ResultSet&& other) noexcept;
    ResultSet& operator=(ResultSet&& other) noexcept;
    ResultSet(const ResultSet&) = delete;
    ResultSet& operator=(const ResultSet&) = delete;
    ~ResultSet();

    // Moves to the next row; false at the end or on a failure (see Database::lastErrorMessage).
    bool next();
    // True once next() has stopped on a failure rather than at the end of the rows.
    bool failed() const { return m_failed; }

    int columnIndex(const QString& name) const; // -1 when the query has no such column
    qint64 longLongIntForColumn(const QString& name) const;
    int intForColumn(const QString& name) const;
    double doubleForColumn(const QString& name) const;
    QString stringForColumn(const QString& name) const;
    bool columnIsNull(const QString& name) const;

    qint64 longLongIntForColumnIndex(int index) const;
    QString stringForColumnIndex(int index) const;

private:
    friend class Database;
    ResultSet(Database* database, QString sql, sqlite3_stmt* statement,
              std::shared_ptr<const Columns> columns);
    void finish();

    Database* m_database;
    QString m_sql;
    sqlite3_stmt* m_statement;
    std::shared_ptr<const Columns> m_columns;
    bool m_failed = false;
};
