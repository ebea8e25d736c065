#include "ApplicationLauncher.h"

#include "Bundle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>

namespace {
Q_LOGGING_CATEGORY(lcLauncher, "zerafin.desktop.launcher")
} // namespace

ApplicationLauncher::ApplicationLauncher(QStringList applicationDirectories,
                                         QStringList executableDirectories)
    : m_applicationDirectories(std::move(applicationDirectories)),
      m_executableDirectories(std::move(executableDirectories)) {}

ApplicationLauncher& ApplicationLauncher::shared() {
    static ApplicationLauncher launcher = [] {
        const QString own = Bundle::executableDirectory();
        // Installed, the programs share one bin folder; in the build tree each has its own folder.
        QStringList executables{own, own + QStringLiteral("/../MainWindow"),
                                own + QStringLiteral("/../agent")};
        return ApplicationLauncher(QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation),
                                   executables);
    }();
    return launcher;
}

QString ApplicationLauncher::executableName(const QString& identifier) {
    if (identifier == QLatin1String("com.tovan.zerafin.macOS"))
        return QStringLiteral("zerafin-video-desktop");
    if (identifier == QLatin1String("com.tovan.zerafinHelper"))
        return QStringLiteral("zerafin-helper");
    return {};
}

std::optional<QStringList> ApplicationLauncher::execCommand(const QString& desktopEntryText) {
    bool inEntry = false;
    QString exec;
    for (const QString& raw : desktopEntryText.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (inEntry && line.startsWith(QLatin1String("Exec"))) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq > 0 && line.left(eq).trimmed() == QLatin1String("Exec")) {
                exec = line.mid(eq + 1).trimmed();
                break;
            }
        }
    }
    if (exec.isEmpty())
        return std::nullopt;
    QStringList command;
    for (const QString& argument : QProcess::splitCommand(exec)) {
        // Field codes stand for files or URLs to open; the launch passes none.
        if (argument.size() == 2 && argument.at(0) == QLatin1Char('%') && argument.at(1) != QLatin1Char('%'))
            continue;
        QString kept = argument;
        kept.replace(QLatin1String("%%"), QLatin1String("%"));
        command << kept;
    }
    if (command.isEmpty())
        return std::nullopt;
    return command;
}

std::optional<QStringList> ApplicationLauncher::commandFor(const QString& identifier) const {
    for (const QString& dir : m_applicationDirectories) {
        QFile entry(dir + QLatin1Char('/') + identifier + QStringLiteral(".desktop"));
        if (!entry.open(QIODevice::ReadOnly))
            continue;
        if (auto command = execCommand(QString::fromUtf8(entry.readAll())))
            return command;
    }
    const QString name = executableName(identifier);
    if (name.isEmpty())
        return std::nullopt;
    for (const QString& dir : m_executableDirectories) {
        const QFileInfo file(dir + QLatin1Char('/') + name);
        if (file.isFile() && file.isExecutable())
            return QStringList{QDir::cleanPath(file.absoluteFilePath())};
    }
    return std::nullopt;
}

bool ApplicationLauncher::launch(const QString& identifier) const {
    const auto command = commandFor(identifier);
    if (!command) {
        qCWarning(lcLauncher).noquote()
            << QStringLiteral("cannot launch %1: no desktop entry and no executable found").arg(identifier);
        return false;
    }
    if (!QProcess::startDetached(command->first(), command->mid(1))) {
        qCWarning(lcLauncher).noquote()
            << QStringLiteral("cannot launch %1: %2 did not start").arg(identifier, command->first());
        return false;
    }
    return true;
}
