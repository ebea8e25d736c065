#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Starting one of our programs at login, the freedesktop way: a desktop entry
// "<identifier>.desktop" in the user's autostart folder. Enabling writes the entry (atomically)
// and also starts the program at once when it is not running, as a login item does when it is
// switched on; disabling removes the entry and leaves a running copy alone.
class LoginItem {
public:
    struct Dependencies {
        QString autostartDirectory;                                           // where entries go
        std::function<std::optional<QStringList>(const QString&)> commandFor; // the program to run
        std::function<bool(const QString&)> isRunning;
        std::function<bool(const QString&)> launch;
    };

    explicit LoginItem(Dependencies dependencies);
    // $XDG_CONFIG_HOME/autostart, our launcher, and the session bus to tell whether it runs.
    static LoginItem& shared();
    static QString defaultAutostartDirectory();

    QString entryPath(const QString& identifier) const;
    bool isEnabled(const QString& identifier) const;
    // False when the entry could not be written or removed (a console line says why).
    bool setEnabled(const QString& identifier, bool enabled);

    // The autostart entry's text for a program run by `command`.
    static QString entryText(const QString& displayName, const QStringList& command);
    // A name people recognise in their session's startup list.
    static QString displayName(const QString& identifier);

private:
    Dependencies m_dependencies;
};
