#include "LoginItem.h"

#include "ApplicationLauncher.h"
#include "SessionBusName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

Q_LOGGING_CATEGORY(lcLoginItem, "zerafin.desktop")

namespace {
// Quoting of the Exec key: an argument holding a reserved character is put in double quotes,
// with the quote, backquote, dollar sign and backslash escaped inside; "%" is doubled everywhere.
QString quoted(const QString& argument) {
    QString text = argument;
    text.replace(QLatin1String("%"), QLatin1String("%%"));
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes =
        text.isEmpty() || std::any_of(text.begin(), text.end(), [](QChar c) { return reserved.contains(c); });
    if (!needsQuotes)
        return text;
    QString escaped;
    for (QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}
} // namespace

LoginItem::LoginItem(Dependencies dependencies) : m_dependencies(std::move(dependencies)) {}

QString LoginItem::defaultAutostartDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

LoginItem& LoginItem::shared() {
    static LoginItem item(Dependencies{
        defaultAutostartDirectory(),
        [](const QString& identifier) { return ApplicationLauncher::shared().commandFor(identifier); },
        [](const QString& identifier) { return SessionBusName::isOwned(identifier); },
        [](const QString& identifier) { return ApplicationLauncher::shared().launch(identifier); },
    });
    return item;
}

QString LoginItem::entryPath(const QString& identifier) const {
    return m_dependencies.autostartDirectory + QLatin1Char('/') + identifier + QStringLiteral(".desktop");
}

bool LoginItem::isEnabled(const QString& identifier) const {
    return QFileInfo::exists(entryPath(identifier));
}

QString LoginItem::displayName(const QString& identifier) {
    if (identifier == QLatin1String("com.tovan.zerafinHelper"))
        return QStringLiteral("ZerafinHelper");
    if (identifier == QLatin1String("com.tovan.zerafin.macOS"))
        return QStringLiteral("Zerafin Video Desktop");
    return identifier;
}

QString LoginItem::entryText(const QString& displayName, const QStringList& command) {
    QStringList exec;
    for (const QString& argument : command)
        exec << quoted(argument);
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=%1\n"
                          "Exec=%2\n"
                          "NoDisplay=true\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(displayName, exec.join(QLatin1Char(' ')));
}

bool LoginItem::setEnabled(const QString& identifier, bool enabled) {
    const QString path = entryPath(identifier);
    if (!enabled) {
        if (QFileInfo::exists(path) && !QFile::remove(path)) {
            qCWarning(lcLoginItem).noquote() << (QStringLiteral("cannot remove the login item %1").arg(path));
            return false;
        }
        return true;
    }
    const std::optional<QStringList> command =
        m_dependencies.commandFor ? m_dependencies.commandFor(identifier) : std::nullopt;
    if (!command || command->isEmpty()) {
        qCWarning(lcLoginItem).noquote()
            << (QStringLiteral("cannot make the login item %1: the program is not found").arg(identifier));
        return false;
    }
    QDir().mkpath(m_dependencies.autostartDirectory);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(entryText(displayName(identifier), *command).toUtf8()) < 0 || !file.commit()) {
        qCWarning(lcLoginItem).noquote() << (QStringLiteral("cannot write the login item %1").arg(path));
        return false;
    }
    if (m_dependencies.isRunning && m_dependencies.launch && !m_dependencies.isRunning(identifier))
        m_dependencies.launch(identifier);
    return true;
}
