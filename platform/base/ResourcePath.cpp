#include "ResourcePath.h"

#include "BuildInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
const char* const kDataFolder = "share/zerafin-video-desktop";

void append(QStringList& folders, const QString& folder) {
    if (folder.isEmpty())
        return;
    const QString clean = QDir::cleanPath(folder);
    if (!folders.contains(clean))
        folders.append(clean);
}
} // namespace

QStringList ResourcePath::searchFolders(const QString& environmentFolder, const QString& executableFolder,
                                        const QString& installPrefix, const QString& buildFolder) {
    QStringList folders;
    append(folders, environmentFolder);
    if (!executableFolder.isEmpty())
        append(folders, executableFolder + QStringLiteral("/../") + QLatin1String(kDataFolder));
    if (!installPrefix.isEmpty())
        append(folders, installPrefix + QLatin1Char('/') + QLatin1String(kDataFolder));
    if (!executableFolder.isEmpty())
        append(folders, executableFolder + QStringLiteral("/resources"));
    // The build tree's samples count only for a program that runs from inside that build tree, so
    // an installed program never reads the folder it happened to be built in.
    if (!buildFolder.isEmpty() && !executableFolder.isEmpty()) {
        const QString build = QDir::cleanPath(buildFolder);
        const QString executable = QDir::cleanPath(executableFolder);
        if (executable == build || executable.startsWith(build + QLatin1Char('/')))
            append(folders, build + QStringLiteral("/resources"));
    }
    return folders;
}

QStringList ResourcePath::searchFolders() {
    const QString executableFolder =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return searchFolders(qEnvironmentVariable("ZERAFIN_RESOURCES"), executableFolder,
                         QString::fromUtf8(BuildInfo::installPrefix),
                         QString::fromUtf8(BuildInfo::binaryDir));
}

std::optional<QString> ResourcePath::path(const QString& fileName) {
    // A name, never a path: nothing outside the resource folders can be reached through it.
    if (fileName.isEmpty() || fileName.contains(QLatin1Char('/')) || fileName == QLatin1String("..") ||
        fileName == QLatin1String("."))
        return std::nullopt;
    for (const QString& folder : searchFolders()) {
        const QFileInfo candidate(folder + QLatin1Char('/') + fileName);
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return std::nullopt;
}
