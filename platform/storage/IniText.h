#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <optional>

// The text of a settings file in the INI form Qt's own settings class reads and writes: sections
// in brackets ("[General]" holds the keys without a group), "key=value" lines, keys escaped with
// %XX and "\" for "/", values escaped with backslashes and quoted where they hold ";", "," or "=",
// a value starting with "@" doubled. Values are kept as text; a comma-separated list reads as its
// elements joined by ",". Pure logic over bytes, no file access.
class IniText {
public:
    using Values = QMap<QString, QString>;
    // Every key of every section ("Group/key" outside "[General]"); lines that are not keys
    // (comments, blank lines, stray text) are skipped.
    static Values parse(const QByteArray& text);
    static QByteArray serialize(const Values& values);

    static QByteArray escapedKey(const QString& key);
    static QString unescapedKey(const QByteArray& key);
    static QByteArray escapedValue(const QString& value);
    static QString unescapedValue(const QByteArray& value);
};
