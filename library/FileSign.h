#pragma once

#include <QString>
#include <optional>

// A video's sign: the lower-case hexadecimal MD5 of the first 10 MiB of its file (of the whole
// file when it is shorter). It keys the local library, the downloads, the server's records and the
// playing video, so every part of the application computes it here.
class FileSign {
public:
    static constexpr qint64 sampledLength = 10485760; // 10 MiB

    // The sign of the regular file at `path`; none when nothing is there, when it is not a regular
    // file or cannot be read (a failure other than "missing" is printed). No state; any thread.
    static std::optional<QString> fileSign(const QString& path);
};
