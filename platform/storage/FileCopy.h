#pragma once

#include <QString>

// File operations of the library folder that must not race with other writers: a name is claimed
// by creating the file exclusively, and the data is then copied into the claimed file.
class FileCopy {
public:
    // Creates an empty file at `path` unless anything (file, folder, link) is already there.
    // False with `error` set otherwise; `exists` tells the two failures apart.
    static bool createExclusive(const QString& path, QString* error = nullptr, bool* exists = nullptr);
    // Copies the regular file `source` over the existing file `destination` (no link followed),
    // in the kernel where it can. False with `error` set when any read or write fails (a full disk
    // too); the destination then holds an unknown part of the data.
    static bool copy(const QString& source, const QString& destination, QString* error = nullptr);
    // Renames `from` to `to` unless anything (a dangling link too) is at `to`: false with errno
    // EEXIST then, or the rename's own errno. Where the file system has no such rename, a hard link
    // (which fails the same way) is made and the old name removed.
    static bool renameWithoutReplacing(const QString& from, const QString& to);
};
