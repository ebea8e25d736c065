#pragma once

#include "ResumeData.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

class DownloadRequest;

// A set of download transfers sharing one network manager, one inactivity time-out and one folder
// for partial bodies. Lives on the main thread; its requests report there too. Each request
// belongs to the session until it has delivered its response, then deletes itself.
class DownloadSession : public QObject {
    Q_OBJECT
public:
    // The destination of a finished body, asked for once the whole body is on disk.
    using Destination = std::function<QString()>;
    // Bytes free to an unprivileged writer on the file system holding `path`; negative when unknown.
    using FreeSpace = std::function<qint64(const QString& path)>;

    // What a transfer whose length nobody knows leaves free on the disk it writes to.
    static constexpr qint64 defaultFreeSpaceReserve = qint64(1) << 30;

    // `transferTimeoutMs` 0: no inactivity time-out of our own.
    DownloadSession(const QString& partialDirectory, int transferTimeoutMs, QObject* parent = nullptr);
    ~DownloadSession() override;

    QString partialDirectory() const { return m_partialDirectory; }
    int transferTimeout() const { return m_transferTimeoutMs; }

    // A new transfer of `url` (GET) into a fresh partial body in the partial folder.
    // `expectedSize` > 0: the body's true size; a transfer holding more fails and keeps nothing.
    // Otherwise the length the server announces bounds it, and without one the free-space reserve.
    DownloadRequest* download(const QUrl& url, Destination destination, qint64 expectedSize = 0);
    // Continues the transfer `resume` describes. When its partial body is gone, shorter than the
    // record says, outside the partial folder or without a validator, the transfer starts over.
    // The bytes it resumes from count toward `expectedSize`.
    DownloadRequest* download(const ResumeData& resume, Destination destination, qint64 expectedSize = 0);

    // A transfer of unknown length fails rather than leave fewer bytes than this free (0: no check).
    qint64 freeSpaceReserve() const { return m_freeSpaceReserve; }
    void setFreeSpaceReserve(qint64 bytes) { m_freeSpaceReserve = bytes; }
    // How free space is measured; empty: the file system's own count (statvfs).
    void setFreeSpaceFunction(FreeSpace freeSpace) { m_freeSpace = std::move(freeSpace); }
    qint64 freeSpace(const QString& path) const;

    QNetworkAccessManager& network() { return m_network; }
    // True for a partial body of this session's folder (the only files it ever truncates or
    // deletes): a ".partial" file directly in the folder, not a link.
    bool ownsPartial(const QString& path) const;

private:
    QString newPartialPath() const;

    QString m_partialDirectory;
    int m_transferTimeoutMs;
    qint64 m_freeSpaceReserve = defaultFreeSpaceReserve;
    FreeSpace m_freeSpace;
    QNetworkAccessManager m_network;
};
