#include "ResultSet.h"

#include "Database.h"

#include <sqlite3.h>

ResultSet::ResultSet(Database* database, QString sql, sqlite3_stmt* statement,
                     std::shared_ptr<const Columns> columns)
    : m_database(database), m_sql(std::move(sql)), m_statement(statement), m_columns(std::move(columns)) {
    // The names are learnt once per statement; a changed schema (another column count) relearns them.
    const int count = sqlite3_column_count(statement);
    if (m_columns && m_columns->size() == count)
        return;
    auto names = std::make_shared<Columns>();
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(statement, i)).toLower();
        if (!names->contains(name))
            names->insert(name, i);
    }
    m_columns = std::move(names);
}

ResultSet::ResultSet(ResultSet&& other) noexcept
    : m_database(other.m_database), m_sql(std::move(other.m_sql)), m_statement(other.m_statement),
      m_columns(std::move(other.m_columns)), m_failed(other.m_failed) {
    other.m_statement = nullptr;
}

ResultSet& ResultSet::operator=(ResultSet&& other) noexcept {
    if (this != &other) {
        finish();
        m_database = other.m_database;
        m_sql = std::move(other.m_sql);
        m_statement = other.m_statement;
        m_columns = std::move(other.m_columns);
        m_failed = other.m_failed;
        other.m_statement = nullptr;
    }
    return *this;
}

ResultSet::~ResultSet() {
    finish();
}

void ResultSet::finish() {
    if (m_statement) {
        m_database->giveBack(m_sql, {m_statement, m_columns});
        m_statement = nullptr;
    }
}

bool ResultSet::next() {
    if (!m_statement)
        return false;
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        m_failed = true;
        m_database->recordError();
    }
    // Done (or failed): release the statement, and with it the read lock on the file, at once.
    finish();
    return false;
}

int ResultSet::columnIndex(const QString& name) const {
    const auto found = m_columns->constFind(name);
    if (found != m_columns->constEnd())
        return found.value();
    return m_columns->value(name.toLower(), -1);
}

qint64 ResultSet::longLongIntForColumnIndex(int index) const {
    if (!m_statement || index < 0)
        return 0;
    return sqlite3_column_int64(m_statement, index);
}

QString ResultSet::stringForColumnIndex(int index) const {
    if (!m_statement || index < 0)
        return QString();
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, index));
    if (!text)
        return QString();
    return QString::fromUtf8(text, sqlite3_column_bytes(m_statement, index));
}

qint64 ResultSet::longLongIntForColumn(const QString& name) const {
    return longLongIntForColumnIndex(columnIndex(name));
}

int ResultSet::intForColumn(const QString& name) const {
    return int(longLongIntForColumn(name));
}

double ResultSet::doubleForColumn(const QString& name) const {
    const int index = columnIndex(name);
    if (!m_statement || index < 0)
        return 0;
    return sqlite3_column_double(m_statement, index);
}

QString ResultSet::stringForColumn(const QString& name) const {
    return stringForColumnIndex(columnIndex(name));
}

bool ResultSet::columnIsNull(const QString& name) const {
    const int index = columnIndex(name);
    return !m_statement || index < 0 || sqlite3_column_type(m_statement, index) == SQLITE_NULL;
}
