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

    // `transferTimeoutMs` 0: no inactivity time-out of our own.
    DownloadSession(const QString& partialDirectory, int transferTimeoutMs, QObject* parent = nullptr);
    ~DownloadSession() override;

    QString partialDirectory() const { return m_partialDirectory; }
    int transferTimeout() const { return m_transferTimeoutMs; }

    // A new transfer of `url` (GET) into a fresh partial body in the partial folder.
    DownloadRequest* download(const QUrl& url, Destination destination);
    // Continues the transfer `resume` describes. When its partial body is gone, shorter than the
    // record says, outside the partial folder or without a validator, the transfer starts over.
    DownloadRequest* download(const ResumeData& resume, Destination destination);

    QNetworkAccessManager& network() { return m_network; }
    // True for a partial body of this session's folder (the only files it ever truncates or
    // deletes): a ".partial" file directly in the folder, not a link.
    bool ownsPartial(const QString& path) const;

private:
    QString newPartialPath() const;

    QString m_partialDirectory;
    int m_transferTimeoutMs;
    QNetworkAccessManager m_network;
};
