#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The one response of a download request, delivered on the main thread. Success means the whole
// body arrived and was moved to its destination, whatever the server's status code; a failure
// carries resume data when the transfer can be continued later.
struct DownloadResponse {
    quint64 requestId = 0;
    bool success = false;
    bool cancelled = false; // stopped by cancel() rather than by the network or the disk
    int statusCode = 0;     // the server's HTTP status, 0 when none arrived
    std::optional<QString> destinationPath;
    std::optional<QByteArray> resumeData; // ResumeData::encode()
    QString errorText;
};

// How far a transfer has come, counting the bytes a resumed transfer started from.
struct DownloadProgress {
    qint64 completedUnitCount = 0;
    qint64 totalUnitCount = -1; // -1 while unknown
    double fractionCompleted() const {
        return totalUnitCount > 0 ? double(completedUnitCount) / double(totalUnitCount) : 0.0;
    }
};
