#include "UserDefaults.h"

#include "Bundle.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QLoggingCategory>
#include <QPointer>
#include <QSaveFile>
#include <QStandardPaths>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <sys/stat.h>

namespace {
Q_LOGGING_CATEGORY(lcSettings, "zerafin.settings")

// How long a file cut in the middle of a line must stay untouched before it counts as finished.
constexpr qint64 settleMs = 2000;

QString shortest(double value) {
    std::array<char, 64> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

QString shortest(float value) {
    std::array<char, 64> buffer{};
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

// Every live object, so that the end of the program can write what they still hold.
struct Registry {
    QMutex mutex;
    QList<UserDefaults*> live;
    QPointer<QCoreApplication> hookedApplication;
};

// Never destroyed: objects with static lifetime leave it during the program's exit.
Registry& registry() {
    static Registry* made = new Registry;
    return *made;
}

void flushAtExit() {
    UserDefaults::synchronizeAll();
}

// Ties the writing to the end of the application's event loop, and to the application object's
// destruction for changes made while the program tears down; once per application object.
void hookApplicationLocked(Registry& r) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || r.hookedApplication == app)
        return;
    r.hookedApplication = app;
    QObject::connect(app, &QCoreApplication::aboutToQuit, app, &flushAtExit, Qt::DirectConnection);
    qAddPostRoutine(&flushAtExit);
}

bool textIsTrue(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("yes"))
        return true;
    bool ok = false;
    const double number = t.toDouble(&ok);
    return ok && number != 0.0;
}
} // namespace

UserDefaults::UserDefaults(const QString& filePath)
    : m_path(filePath), m_nativePath(QFile::encodeName(filePath)) {
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    lookAtFile();
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    r.live.append(this);
    hookApplicationLocked(r);
}

UserDefaults::~UserDefaults() {
    {
        Registry& r = registry();
        QMutexLocker lock(&r.mutex);
        r.live.removeOne(this);
    }
    if (!m_pending.isEmpty())
        synchronize();
}

void UserDefaults::synchronizeAll() {
    Registry& r = registry();
    QMutexLocker lock(&r.mutex);
    for (UserDefaults* defaults : std::as_const(r.live)) {
        bool pending = false;
        {
            QMutexLocker own(&defaults->m_mutex);
            pending = !defaults->m_pending.isEmpty();
        }
        if (pending)
            defaults->synchronize();
    }
}

UserDefaults& UserDefaults::standard() {
    static UserDefaults defaults(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                 "/" + Bundle::identifier().value_or(QStringLiteral("zerafin")) + ".ini");
    return defaults;
}

UserDefaults::Stamp UserDefaults::stampOfFile() const {
    struct stat st;
    if (::stat(m_nativePath.constData(), &st) != 0)
        return Stamp();
    return Stamp{true, qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                 quint64(st.st_ino), quint64(st.st_dev)};
}

UserDefaults::Look UserDefaults::lookAtFile() {
    const Stamp before = stampOfFile();
    if (before == m_stamp)
        return Look::Current;
    if (before.size > maximumFileSize) {
        if (!m_reportedTooLarge)
            qCWarning(lcSettings).noquote()
                << QStringLiteral("settings: %1 is larger than %2 bytes; not read, keeping values in memory")
                       .arg(m_path)
                       .arg(maximumFileSize);
        m_reportedTooLarge = true;
        return Look::TooLarge;
    }
    m_reportedTooLarge = false;
    QByteArray bytes;
    if (before.exists) {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return Look::NotWhole;
        bytes = file.read(maximumFileSize + 1);
    }
    const Stamp after = stampOfFile();
    // Changed while it was read: someone is writing it now.
    bool whole = after == before && bytes.size() == before.size;
    IniText::Values values;
    if (whole) {
        values = IniText::parse(bytes);
        // Emptied while keys were held: a rewrite in place has truncated it and not yet written.
        if (values.isEmpty() && !m_disk.isEmpty())
            whole = false;
        // Cut in the middle of a line: a write is under way, unless it was left so a while ago.
        else if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r') &&
                 QDateTime::currentMSecsSinceEpoch() - before.modifiedNs / 1000000 < settleMs)
            whole = false;
    }
    if (!whole)
        return Look::NotWhole;
    if (values != m_disk)
        ++m_generation;
    m_disk = std::move(values);
    m_stamp = before;
    return Look::Read;
}

std::optional<QString> UserDefaults::valueLocked(const QString& key) const {
    const auto pending = m_pending.constFind(key);
    if (pending != m_pending.cend())
        return *pending;
    const auto stored = m_disk.constFind(key);
    if (stored != m_disk.cend())
        return *stored;
    return std::nullopt;
}

bool UserDefaults::hasObject(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    return valueLocked(key).has_value();
}

QVariant UserDefaults::objectForKey(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    const std::optional<QString> value = valueLocked(key);
    return value ? QVariant(*value) : QVariant();
}

qint64 UserDefaults::integerForKey(const QString& key) const {
    const QVariant value = objectForKey(key);
    if (!value.isValid())
        return 0;
    const QString text = value.toString().trimmed();
    bool ok = false;
    const qint64 integer = text.toLongLong(&ok);
    if (ok)
        return integer;
    const double number = text.toDouble(&ok);
    if (ok) {
        // A hand-edited file may hold any number ("1e30", "inf", "nan"); converting one beyond
        // 64 bits is undefined, so it is held at the nearest end of the range.
        if (std::isnan(number))
            return 0;
        if (number >= 9223372036854775808.0)
            return std::numeric_limits<qint64>::max();
        if (number < -9223372036854775808.0)
            return std::numeric_limits<qint64>::min();
        return qint64(number);
    }
    return textIsTrue(text) ? 1 : 0;
}

bool UserDefaults::boolForKey(const QString& key) const {
    const QVariant value = objectForKey(key);
    return value.isValid() && textIsTrue(value.toString());
}

// "nan" and "inf" read as 0: no setting means either, and a NaN never equals itself, so the
// once-a-second comparison would see a change, and write the file, at every refresh.
float UserDefaults::floatForKey(const QString& key) const {
    const QVariant value = objectForKey(key);
    const float number = value.isValid() ? value.toString().trimmed().toFloat() : 0.0f;
    return std::isfinite(number) ? number : 0.0f;
}

double UserDefaults::doubleForKey(const QString& key) const {
    const QVariant value = objectForKey(key);
    const double number = value.isValid() ? value.toString().trimmed().toDouble() : 0.0;
    return std::isfinite(number) ? number : 0.0;
}

std::optional<QString> UserDefaults::stringForKey(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    return valueLocked(key);
}

void UserDefaults::set(const QString& key, std::optional<QString> text) {
    QMutexLocker lock(&m_mutex);
    m_pending.insert(key, std::move(text));
    ++m_generation;
}

quint64 UserDefaults::generation() const {
    QMutexLocker lock(&m_mutex);
    return m_generation;
}

void UserDefaults::setInteger(qint64 value, const QString& key) {
    set(key, QString::number(value));
}
void UserDefaults::setBool(bool value, const QString& key) {
    set(key, value ? QStringLiteral("true") : QStringLiteral("false"));
}
// The shortest text that reads back as the same float: 0.3f is stored as "0.3" and compares equal
// after a round trip, so the once-a-second comparison does not see a change that never happened.
void UserDefaults::setFloat(float value, const QString& key) {
    set(key, shortest(value));
}
void UserDefaults::setDouble(double value, const QString& key) {
    set(key, shortest(value));
}
void UserDefaults::setString(const QString& value, const QString& key) {
    set(key, value);
}

void UserDefaults::removeObject(const QString& key) {
    set(key, std::nullopt);
}

bool UserDefaults::synchronize() {
    QMutexLocker lock(&m_mutex);
    if (m_pending.isEmpty()) {
        lookAtFile();
        return true;
    }
    // Changes that only repeat what the file holds (the refresh copying a value it has just read)
    // need no write and no lock.
    lookAtFile();
    bool repeats = m_stamp.exists;
    for (auto it = m_pending.cbegin(); it != m_pending.cend() && repeats; ++it) {
        const auto stored = m_disk.constFind(it.key());
        repeats = it.value() ? (stored != m_disk.cend() && *stored == *it.value()) : stored == m_disk.cend();
    }
    if (repeats) {
        m_pending.clear();
        return true;
    }
    auto fail = [&](const QString& why) {
        if (!m_reportedFailure)
            qCWarning(lcSettings).noquote()
                << QStringLiteral("settings: cannot use %1 (%2); keeping values in memory").arg(m_path, why);
        m_reportedFailure = true;
        return false;
    };
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    // The same lock file as Qt's own settings class takes, so a program using it is kept out too.
    QLockFile fileLock(m_path + QStringLiteral(".lock"));
    if (!fileLock.tryLock(2000))
        return fail(QStringLiteral("locked"));
    // Merged onto the file as it is now; a file that is not whole is left to its writer.
    const Look look = lookAtFile();
    if (look == Look::NotWhole || look == Look::TooLarge)
        return false;
    IniText::Values merged = m_disk;
    for (auto it = m_pending.cbegin(); it != m_pending.cend(); ++it) {
        if (it.value())
            merged.insert(it.key(), *it.value());
        else
            merged.remove(it.key());
    }
    if (merged != m_disk || !m_stamp.exists) {
        QSaveFile file(m_path);
        if (!file.open(QIODevice::WriteOnly))
            return fail(file.errorString());
        file.write(IniText::serialize(merged));
        if (!file.commit())
            return fail(file.errorString());
        m_stamp = stampOfFile();
    }
    if (merged != m_disk)
        ++m_generation;
    m_disk = std::move(merged);
    m_pending.clear();
    m_reportedFailure = false;
    return true;
}
