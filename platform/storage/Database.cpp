#include "Database.h"

#include <QDateTime>
#include <QMetaType>
#include <QThread>
#include <sqlite3.h>

Database::Database(QString path) : m_path(std::move(path)) {}

Database::~Database() {
    close();
}

bool Database::open(int busyTimeoutMs, bool create) {
    if (m_db)
        return true;
    const QByteArray path = m_path.toUtf8();
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.constData(), &db,
                             SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        m_busyTimeoutMs = busyTimeoutMs;
        sqlite3_busy_handler(db, &Database::waitForLock, this);
        // Opening is lazy: reading the schema is what finds a file that is not a database.
        rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        m_lastError = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        return false;
    }
    m_db = db;
    return true;
}

// Retries a locked file every millisecond until the time-out. SQLite's own time-out backs off to
// 100 ms between tries, and a program that keeps writing can then take the lock again in every
// gap, so a waiting writer could run out of time although the lock was free most of the while.
int Database::waitForLock(void* database, int attempt) {
    auto* self = static_cast<Database*>(database);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (attempt == 0)
        self->m_busySinceMs = now;
    if (now - self->m_busySinceMs >= self->m_busyTimeoutMs)
        return 0;
    QThread::usleep(1000);
    return 1;
}

void Database::close() {
    for (const Prepared& cached : std::as_const(m_cache))
        sqlite3_finalize(cached.statement);
    m_cache.clear();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

void Database::recordError() {
    m_lastError = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("database not open");
}

qint64 Database::changes() const {
    return m_db ? sqlite3_changes64(m_db) : 0;
}

Database::Prepared Database::prepared(const QString& sql) {
    if (!m_db) {
        recordError();
        return {};
    }
    if (Prepared cached = m_cache.take(sql); cached.statement)
        return cached;
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(m_db, text.constData(), int(text.size()), SQLITE_PREPARE_PERSISTENT, &statement,
                           nullptr) != SQLITE_OK) {
        recordError();
        sqlite3_finalize(statement);
        return {};
    }
    return {statement, nullptr};
}

void Database::giveBack(const QString& sql, Prepared prepared) {
    sqlite3_reset(prepared.statement);
    sqlite3_clear_bindings(prepared.statement);
    if (m_db && !m_cache.contains(sql))
        m_cache.insert(sql, std::move(prepared));
    else
        sqlite3_finalize(prepared.statement);
}

bool Database::bind(sqlite3_stmt* statement, const QVariantList& arguments) {
    if (arguments.size() != sqlite3_bind_parameter_count(statement)) {
        m_lastError = QStringLiteral("statement takes %1 parameters, %2 given")
                          .arg(sqlite3_bind_parameter_count(statement))
                          .arg(arguments.size());
        return false;
    }
    for (int i = 0; i < arguments.size(); ++i) {
        const QVariant& value = arguments.at(i);
        const int position = i + 1;
        int rc = SQLITE_OK;
        switch (value.isNull() ? QMetaType::UnknownType : value.metaType().id()) {
        case QMetaType::UnknownType:
        case QMetaType::Nullptr:
            rc = sqlite3_bind_null(statement, position);
            break;
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            rc = sqlite3_bind_int64(statement, position, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(statement, position, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(statement, position, bytes.constData(), sqlite3_uint64(bytes.size()),
                                     SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text64(statement, position, text.constData(), sqlite3_uint64(text.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
        if (rc != SQLITE_OK) {
            recordError();
            return false;
        }
    }
    return true;
}

bool Database::executeUpdate(const QString& sql, const QVariantList& arguments) {
    Prepared update = prepared(sql);
    sqlite3_stmt* statement = update.statement;
    if (!statement)
        return false;
    bool ok = bind(statement, arguments);
    if (ok) {
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        }
        ok = rc == SQLITE_DONE;
        if (!ok)
            recordError();
    }
    giveBack(sql, std::move(update));
    return ok;
}

std::optional<ResultSet> Database::executeQuery(const QString& sql, const QVariantList& arguments) {
    Prepared query = prepared(sql);
    if (!query.statement)
        return std::nullopt;
    if (!bind(query.statement, arguments)) {
        giveBack(sql, std::move(query));
        return std::nullopt;
    }
    return ResultSet(this, sql, query.statement, std::move(query.columns));
}
