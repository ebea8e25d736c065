#pragma once

#include <QByteArray>
#include <optional>

// The keyed-archive envelope around one data object, as a binary property list (XML ones read too): the
// archiver's name, the object table ("$null" first, the data second), the root reference and the format
// version. Files written by it read back with unarchiveRootData; anything else (another root object, a plain
// property list, damaged bytes) reads as none.
class KeyedArchive {
public:
    static QByteArray archiveRootData(const QByteArray& data);
    static std::optional<QByteArray> unarchiveRootData(const QByteArray& archive);
};
