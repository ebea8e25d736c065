#include "UserDefaults.h"

#include "Bundle.h"
#include "Console.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {
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

bool textIsTrue(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("yes"))
        return true;
    bool ok = false;
    const double number = t.toDouble(&ok);
    return ok && number != 0.0;
}
} // namespace

UserDefaults::UserDefaults(const QString& filePath) : m_path(filePath) {
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    m_settings = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
    m_settings->setFallbacksEnabled(false);
}

UserDefaults::~UserDefaults() {
    QMutexLocker lock(&m_mutex);
    m_settings->sync();
}

UserDefaults& UserDefaults::standard() {
    static UserDefaults defaults(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                 "/" + Bundle::identifier().value_or(QStringLiteral("zerafin")) + ".ini");
    return defaults;
}

bool UserDefaults::hasObject(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    return m_settings->contains(key);
}

QVariant UserDefaults::objectForKey(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    return m_settings->value(key);
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
    const QVariant value = objectForKey(key);
    if (!value.isValid())
        return std::nullopt;
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void UserDefaults::set(const QString& key, const QString& text) {
    QMutexLocker lock(&m_mutex);
    m_settings->setValue(key, text);
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
    QMutexLocker lock(&m_mutex);
    m_settings->remove(key);
}

bool UserDefaults::synchronize() {
    QMutexLocker lock(&m_mutex);
    if (m_reportedFailure) {
        // A settings object keeps its first error for good; a fresh one over the same file (made
        // before the old one goes, so the unwritten values it shares are kept) can report success.
        auto fresh = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
        fresh->setFallbacksEnabled(false);
        m_settings = std::move(fresh);
        QDir().mkpath(QFileInfo(m_path).absolutePath());
    }
    m_settings->sync();
    const bool ok = m_settings->status() == QSettings::NoError;
    if (!ok && !m_reportedFailure)
        Console::line(QStringLiteral("settings: cannot use %1; keeping values in memory").arg(m_path));
    m_reportedFailure = !ok;
    return ok;
}
