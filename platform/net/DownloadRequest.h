#pragma once

#include "DownloadResponse.h"
#include "DownloadSession.h"

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

class QNetworkReply;

// One download transfer: the body streams into a partial file, a resumed transfer asks for the
// rest with Range and If-Range (206 appends, 200 starts the file over, 416 asks again for the
// whole body), and exactly one response is delivered on the main thread at a later turn of the
// event loop, to every handler in the order they were added.
//
// The partial file never grows past a bound: the size the caller expects, else the length the
// server announced, else what the disk can give while keeping the session's free-space reserve.
// A transfer that reaches past its bound stops at once and keeps nothing to resume from.
class DownloadRequest : public QObject {
    Q_OBJECT
public:
    using ProgressHandler = std::function<void(const DownloadProgress&)>;
    using ResponseHandler = std::function<void(const DownloadResponse&)>;

    ~DownloadRequest() override;

    quint64 id() const { return m_id; }
    QUrl url() const { return m_url; }
    QString partialPath() const { return m_partialPath; }
    bool isFinished() const { return m_response.has_value(); }

    void setProgressHandler(ProgressHandler handler);
    // Added after the response was delivered: the handler still gets it, at the next turn.
    void addResponseHandler(ResponseHandler handler);
    // Stops the transfer; its failure response carries resume data when the transfer can be
    // continued (the server gave a validator). Does nothing once the transfer has ended.
    void cancel();
    // Delivers an ended transfer's response now rather than at the next turn (used when quitting).
    void deliverPendingResponse();

private:
    friend class DownloadSession;
    DownloadRequest(DownloadSession& session, const QUrl& url, const QString& partialPath,
                    DownloadSession::Destination destination, qint64 expectedSize);
    void begin(const std::optional<ResumeData>& resume);
    // Ends without a response (its session is going): the partial body nobody can resume from is
    // deleted and the request deletes itself later.
    void abandon();
    void endSilently();
    void send(qint64 offset, const QString& validator);
    void dropReply();
    bool checkHeaders();
    bool writeAvailable();
    // False (and the transfer has failed) when `count` more bytes would pass the bound.
    bool admit(qint64 count);
    bool admitWithinFreeSpace(qint64 count);
    void onFinished();
    void restartFromZero();
    void fail(const QString& error, bool cancelled);
    // Fails for good: the partial body goes and no resume data is given.
    void refuse(const QString& error);
    void finish(DownloadResponse response);
    void deliver();
    void reportProgress();

    DownloadSession& m_session;
    const quint64 m_id;
    QUrl m_url;
    QString m_partialPath;
    DownloadSession::Destination m_destination;
    QFile m_file;
    QByteArray m_chunk;
    QPointer<QNetworkReply> m_reply;
    bool m_headersChecked = false;
    qint64 m_offset = 0;  // bytes of the file the current reply continues from
    qint64 m_written = 0; // good bytes in the partial file
    qint64 m_total = -1;
    qint64 m_expectedSize = 0;  // > 0: the body's true size
    qint64 m_announcedEnd = -1; // the file length the current reply announces; -1: none
    qint64 m_roomLeft = 0;      // bytes that may still be written before free space is measured again
    int m_statusCode = 0;
    QString m_etag;
    QString m_lastModified;
    ProgressHandler m_progress;
    std::vector<ResponseHandler> m_handlers;
    std::optional<DownloadResponse> m_response;
    bool m_delivered = false;
    bool m_abandoned = false;
};
