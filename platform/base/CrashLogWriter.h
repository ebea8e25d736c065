#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Leaves one text file behind when an exception nobody catches ends the main application, so that
// the next start can upload it. The folder and the version line are fixed when the writer is
// installed: a dying process should do as little as possible. Fatal signals are not caught.
class CrashLogWriter {
public:
    // The application's own crash folder: $XDG_CACHE_HOME/<identifier>/Crash (never a folder
    // other programs write to, since every file in it is uploaded).
    static QString crashFolder(const QString& identifier);
    // "version: <short>.<build>", "(null)" standing for a missing part.
    static QString versionLine(const std::optional<QString>& shortVersion,
                               const std::optional<QString>& build);
    // The log's text: name, user information, version line and reason, each followed by a blank
    // line, then the call-stack frames joined by line breaks (no break after the last).
    static QByteArray report(const QString& name, const QString& userInfo, const QString& versionLine,
                             const QString& reason, const QStringList& frames);
    // "<seconds since 1970, rounded>.txt".
    static QString fileName(double secondsSince1970);

    // Makes `UncaughtExceptionHandler` the process's terminate handler, writing into `folder`.
    static void install(const QString& folder, const QString& versionLine);
    // Writes the log of the exception in flight (none: nothing is written). Used by the handler;
    // false when nothing could be written.
    static bool writeCurrentException();
};

// The terminate handler: writes the log of the uncaught exception, then ends the process with
// SIGABRT as an uncaught exception always does.
[[noreturn]] void UncaughtExceptionHandler();
