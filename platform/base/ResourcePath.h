#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Bundled resources that must be real files (the sample videos, which are copied, signed and
// probed): looked up by file name in a fixed list of folders, the first folder holding the file
// wins. The folders, in order: the one named by the environment variable ZERAFIN_RESOURCES; the
// installed data folder share/zerafin-video-desktop beside the executable's bin folder, then the
// same under the prefix the program was built for; "resources" beside the executable; and, for a
// program run from its build tree, the build tree's own "resources" folder.
class ResourcePath {
public:
    static std::optional<QString> path(const QString& fileName);
    static QStringList searchFolders();
    // The rule itself, for a given environment value, executable folder, install prefix and build
    // folder (empty texts are skipped).
    static QStringList searchFolders(const QString& environmentFolder, const QString& executableFolder,
                                     const QString& installPrefix, const QString& buildFolder);
};
