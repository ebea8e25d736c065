#pragma once

#include <QMutex>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

class QSettings;

// A defaults suite: typed keys in one INI file ([General] section), shared between processes.
// Values are kept as text so that what one process wrote reads back identically in the other.
// synchronize() writes only the keys this object changed, merged onto what is on disk under the
// file's lock, then re-reads the file: two processes never clobber each other's keys.
// Reads of absent keys give 0, false, 0.0 or no text. Thread-safe.
class UserDefaults {
public:
    explicit UserDefaults(const QString& filePath);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The program's own defaults (not shared): $XDG_CONFIG_HOME/<bundle identifier>.ini.
    static UserDefaults& standard();

    QString filePath() const { return m_path; }

    bool hasObject(const QString& key) const;
    QVariant objectForKey(const QString& key) const;
    qint64 integerForKey(const QString& key) const;
    bool boolForKey(const QString& key) const;
    float floatForKey(const QString& key) const;
    double doubleForKey(const QString& key) const;
    std::optional<QString> stringForKey(const QString& key) const;

    void setInteger(qint64 value, const QString& key);
    void setBool(bool value, const QString& key);
    void setFloat(float value, const QString& key);
    void setDouble(double value, const QString& key);
    void setString(const QString& value, const QString& key);
    void removeObject(const QString& key);

    // Writes pending changes and re-reads the file. False when the file could not be written;
    // the values stay in memory and the write is tried again at the next call.
    bool synchronize();
    // Picks up another process's writes; cheap when the file has not changed since the last read.
    bool reload() { return synchronize(); }

private:
    void set(const QString& key, const QString& text);
    QString m_path;
    mutable QMutex m_mutex;
    std::unique_ptr<QSettings> m_settings;
    bool m_reportedFailure = false;
};
