#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <optional>

// What a stopped transfer leaves to continue from: the address, the partial body on disk, how many
// of its bytes are good, and the validator the server gave (ETag, else Last-Modified) so that a
// resumed request is only answered with the rest of the same file. Stored as a small XML property
// list, so the bytes can sit in a file of their own.
struct ResumeData {
    QUrl url;
    QString partialPath;
    qint64 bytes = 0;
    QString etag;
    QString lastModified;

    // The If-Range value: the ETag when there is one, else the Last-Modified date.
    QString validator() const { return etag.isEmpty() ? lastModified : etag; }

    QByteArray encode() const;
    // None unless the bytes are such a record with an http(s) address, an absolute partial path
    // and a non-negative count.
    static std::optional<ResumeData> decode(const QByteArray& bytes);
};
