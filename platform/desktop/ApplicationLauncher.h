#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Starts one of our programs by its identifier ("com.tovan.zerafin.macOS", "com.tovan.zerafinHelper"):
// through its installed desktop entry "<identifier>.desktop" when there is one, otherwise the
// executable found beside our own. The program runs on its own, detached from this process.
class ApplicationLauncher {
public:
    // Desktop entries are looked up in `applicationDirectories` in order, executables in
    // `executableDirectories` in order.
    ApplicationLauncher(QStringList applicationDirectories, QStringList executableDirectories);
    // The installed desktop entries ($XDG_DATA_HOME and $XDG_DATA_DIRS) and this program's own folder
    // with, in the build tree, its sibling folders.
    static ApplicationLauncher& shared();

    // The program and its arguments that launching `identifier` would run; none when neither a
    // desktop entry nor an executable is found.
    std::optional<QStringList> commandFor(const QString& identifier) const;
    // Starts the program without waiting for it. False when it was not found or did not start.
    bool launch(const QString& identifier) const;

    // The executable file name of one of our programs ("zerafin-video-desktop"), empty when unknown.
    static QString executableName(const QString& identifier);
    // The command of a desktop entry's Exec line, its field codes (%U, %f, ...) removed.
    static std::optional<QStringList> execCommand(const QString& desktopEntryText);

private:
    QStringList m_applicationDirectories;
    QStringList m_executableDirectories;
};
