#pragma once

#include <QString>

// Shows files and folders in the user's file manager.
class FileRevealer {
public:
    virtual ~FileRevealer() = default;
    // Opens the file manager on the folder of `path` with the file selected.
    virtual void revealFile(const QString& path) = 0;
    // Opens the file manager on the folder `path`.
    virtual void openFolder(const QString& path) = 0;
};
