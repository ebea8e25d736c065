#pragma once

#include <QString>
#include <optional>

// The library's "url" column holds either a file-URL text ("file:///.../x.mp4", percent-encoded)
// or a plain absolute path (spaces allowed, nothing encoded). Every reader turns it into a local
// path here, so that no reader judges a file missing because it parsed the text the other way.
class LocalVideoPath {
public:
    // The local path, or none when the text is neither a file URL nor an absolute path.
    static std::optional<QString> fromStoredUrl(const QString& stored);
    // The file-URL text stored for a file at `path` ("file://" + percent-encoded path).
    static QString fileUrlText(const QString& path);
};
