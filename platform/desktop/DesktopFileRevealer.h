#pragma once

#include "FileRevealer.h"

#include <QDBusConnection>

// The freedesktop file-manager interface on the session bus ("ShowItems" selects the file); when
// no file manager answers there, the folder is opened through the desktop services instead.
class DesktopFileRevealer : public FileRevealer {
public:
    explicit DesktopFileRevealer(const QDBusConnection& bus = QDBusConnection::sessionBus());

    // Asks the file manager and returns at once; when it cannot show the file, the folder opens.
    void revealFile(const QString& path) override;
    void openFolder(const QString& path) override;

    static constexpr const char* service = "org.freedesktop.FileManager1";
    static constexpr const char* objectPath = "/org/freedesktop/FileManager1";

private:
    QDBusConnection m_bus;
};
