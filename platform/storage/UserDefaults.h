#pragma once

#include "IniText.h"

#include <QMap>
#include <QMutex>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

// A defaults suite: typed keys in one INI file ([General] section), shared between processes.
// Values are kept as text so that what one process wrote reads back identically in the other.
// synchronize() writes only the keys this object changed, merged onto what is on disk under the
// file's lock, then keeps what it wrote: two processes never clobber each other's keys.
// A read of the file is taken only when it is whole: the file did not change while it was read,
// it is not empty where keys were held before, and it does not end in the middle of a line (unless
// it was left so seconds ago). Otherwise the values held stay, nothing is written, and the
// next call looks again; so a file another program is rewriting in place is never mistaken for
// settings that were removed. A file over one megabyte is not parsed at all.
// Reads of absent keys give 0, false, 0.0 or no text. Thread-safe.
// Changes not yet synchronized are never lost at the end of the program: every live object writes
// them when the event loop ends (whatever ended it: Quit, SIGTERM, the other program's end
// notification), again as the application object goes, and when it is destroyed itself.
class UserDefaults {
public:
    explicit UserDefaults(const QString& filePath);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The program's own defaults (not shared): $XDG_CONFIG_HOME/<bundle identifier>.ini.
    static UserDefaults& standard();

    // Larger files are left alone: parsing them would hold up the program for seconds.
    static constexpr qint64 maximumFileSize = 1024 * 1024;

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

    // Writes pending changes and re-reads the file. False when the file could not be written (or
    // was not whole, or is too large); the values stay in memory and the write is tried again at
    // the next call.
    bool synchronize();
    // Picks up another process's writes; cheap when the file has not changed since the last read.
    bool reload() { return synchronize(); }
    // Writes the pending changes of every object that exists now.
    static void synchronizeAll();

    // Moves on whenever a value read through this object may have changed (a setter, a new read
    // of the file); while it stands still every read gives what it gave before, so a caller that
    // copies values out can skip comparing them. Never 0.
    quint64 generation() const;

private:
    // What identifies one version of the file without reading it.
    struct Stamp {
        bool exists = false;
        qint64 size = 0;
        qint64 modifiedNs = 0;
        quint64 inode = 0;
        quint64 device = 0;
        bool operator==(const Stamp&) const = default;
    };
    enum class Look { Current, Read, NotWhole, TooLarge };

    Stamp stampOfFile() const;
    Look lookAtFile();
    std::optional<QString> valueLocked(const QString& key) const;
    void set(const QString& key, std::optional<QString> text);

    QString m_path;
    QByteArray m_nativePath;
    mutable QMutex m_mutex;
    IniText::Values m_disk;                          // the file as last read or written
    QMap<QString, std::optional<QString>> m_pending; // changes not yet written (none: removed)
    Stamp m_stamp;                                   // the version m_disk holds
    quint64 m_generation = 1;
    bool m_reportedFailure = false;
    bool m_reportedTooLarge = false;
};
