#include "DownloadRequest.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <algorithm>
#include <atomic>

namespace {
Q_LOGGING_CATEGORY(lcDownload, "zerafin.net.download")

std::atomic<quint64> nextRequestId{1};

// What the network thread may hold ahead of the disk, and what one read moves to it: enough to
// keep loopback transfers at full speed, small enough that memory stays flat however big the body.
constexpr qint64 readBufferSize = 1024 * 1024;
constexpr qint64 chunkSize = 256 * 1024;
// How much a transfer of unknown length writes between two looks at the free space: a few MB keeps
// the cost to a system call per dozen chunks while the reserve is kept to within that much.
constexpr qint64 freeSpaceCheckStep = 4 * 1024 * 1024;

// Qt reports 4xx and 5xx answers as errors; for a download they are bodies like any other.
bool isHttpStatusError(QNetworkReply::NetworkError error) {
    return (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError) ||
           error == QNetworkReply::ProtocolInvalidOperationError ||
           (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
}

// "bytes 100-199/1000" -> 100; -1 when the header is missing or malformed.
qint64 contentRangeStart(const QByteArray& header) {
    const QByteArray value = header.trimmed();
    if (!value.startsWith("bytes "))
        return -1;
    const int dash = value.indexOf('-');
    if (dash < 0)
        return -1;
    bool ok = false;
    const qint64 start = value.mid(6, dash - 6).trimmed().toLongLong(&ok);
    return ok ? start : -1;
}

// "bytes 100-199/1000" -> 1000; -1 when the header is missing, malformed or names no total ("*").
qint64 contentRangeTotal(const QByteArray& header) {
    const QByteArray value = header.trimmed();
    const qsizetype slash = value.indexOf('/');
    if (!value.startsWith("bytes ") || slash < 0)
        return -1;
    bool ok = false;
    const qint64 total = value.mid(slash + 1).trimmed().toLongLong(&ok);
    return ok && total >= 0 ? total : -1;
}

// 1073741824 -> "1 GiB"; whole mebibytes as "MiB"; anything else in bytes.
QString sizeText(qint64 bytes) {
    constexpr qint64 mebibyte = 1024 * 1024;
    constexpr qint64 gibibyte = 1024 * mebibyte;
    if (bytes > 0 && bytes % gibibyte == 0)
        return QString::number(bytes / gibibyte) + QStringLiteral(" GiB");
    if (bytes > 0 && bytes % mebibyte == 0)
        return QString::number(bytes / mebibyte) + QStringLiteral(" MiB");
    return QString::number(bytes) + QStringLiteral(" bytes");
}
} // namespace

DownloadRequest::DownloadRequest(DownloadSession& session, const QUrl& url, const QString& partialPath,
                                 DownloadSession::Destination destination, qint64 expectedSize)
    : QObject(&session), m_session(session), m_id(nextRequestId++), m_url(url), m_partialPath(partialPath),
      m_destination(std::move(destination)), m_file(partialPath),
      m_expectedSize(std::max<qint64>(0, expectedSize)) {}

DownloadRequest::~DownloadRequest() {
    if (!m_abandoned)
        endSilently();
}

void DownloadRequest::abandon() {
    if (m_abandoned)
        return;
    endSilently();
    setParent(nullptr);
    deleteLater();
}

void DownloadRequest::endSilently() {
    m_abandoned = true;
    dropReply();
    if (m_file.isOpen())
        m_file.close();
    // A partial body whose resume data nobody received can never be continued.
    if (!m_delivered && !(m_response && m_response->success))
        QFile::remove(m_partialPath);
    m_delivered = true;
    m_handlers.clear();
    m_progress = nullptr;
}

void DownloadRequest::setProgressHandler(ProgressHandler handler) {
    m_progress = std::move(handler);
}

void DownloadRequest::addResponseHandler(ResponseHandler handler) {
    if (!handler || m_abandoned)
        return;
    if (m_delivered) {
        const DownloadResponse response = *m_response;
        QMetaObject::invokeMethod(
            &m_session, [handler = std::move(handler), response] { handler(response); },
            Qt::QueuedConnection);
        return;
    }
    m_handlers.push_back(std::move(handler));
}

void DownloadRequest::begin(const std::optional<ResumeData>& resume) {
    if (resume && m_expectedSize > 0 && resume->bytes > m_expectedSize) {
        // A part already past the size (kept by a run that had no bound) would only grow further.
        m_written = resume->bytes;
        admit(0);
        return;
    }
    if (resume && resume->bytes > 0 && !resume->validator().isEmpty() &&
        QFileInfo(m_partialPath).size() >= resume->bytes &&
        m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        // Only the bytes the record vouches for are kept.
        if (m_file.resize(resume->bytes) && m_file.seek(resume->bytes)) {
            m_written = resume->bytes;
            m_etag = resume->etag;
            m_lastModified = resume->lastModified;
            send(m_written, resume->validator());
            return;
        }
        m_file.close();
    }
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        qCWarning(lcDownload).noquote() << QStringLiteral("download: cannot write ") + m_partialPath +
                                               QStringLiteral(": ") + m_file.errorString();
        fail(QStringLiteral("cannot write the partial body"), false);
        return;
    }
    m_written = 0;
    send(0, QString());
}

void DownloadRequest::send(qint64 offset, const QString& validator) {
    QNetworkRequest request(m_url);
    // The body is stored exactly as the server holds it, so byte offsets mean the same thing on
    // both sides when a transfer resumes.
    request.setRawHeader("Accept-Encoding", "identity");
    if (offset > 0) {
        request.setRawHeader("Range", "bytes=" + QByteArray::number(offset) + "-");
        request.setRawHeader("If-Range", validator.toUtf8());
    }
    if (m_session.transferTimeout() > 0)
        request.setTransferTimeout(m_session.transferTimeout());
    m_offset = offset;
    m_headersChecked = false;
    m_statusCode = 0;
    m_total = -1;
    m_announcedEnd = -1;
    m_roomLeft = 0;
    QNetworkReply* reply = m_session.network().get(request);
    // Bounded: the network thread waits for the disk rather than holding the body in memory.
    reply->setReadBufferSize(readBufferSize);
    m_reply = reply;
    connect(reply, &QNetworkReply::readyRead, this, [this] {
        if (checkHeaders())
            writeAvailable();
    });
    connect(reply, &QNetworkReply::redirected, this, [this] { m_headersChecked = false; });
    connect(reply, &QNetworkReply::finished, this, &DownloadRequest::onFinished);
}

void DownloadRequest::dropReply() {
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

// Looks at the status line once per reply. False when the reply was replaced by another.
bool DownloadRequest::checkHeaders() {
    if (m_headersChecked || !m_reply)
        return true;
    m_headersChecked = true;
    m_statusCode = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (m_offset > 0) {
        if (m_statusCode == 416 ||
            (m_statusCode == 206 && contentRangeStart(m_reply->rawHeader("Content-Range")) != m_offset)) {
            // The server no longer has (or won't give) the rest of what we hold: ask for it all.
            restartFromZero();
            return false;
        }
        if (m_statusCode != 206) {
            // A whole body (the file changed, or ranges are not served): start the file over.
            m_file.resize(0);
            m_file.seek(0);
            m_written = 0;
            m_offset = 0;
        }
    }
    const QByteArray etag = m_reply->rawHeader("ETag");
    const QByteArray lastModified = m_reply->rawHeader("Last-Modified");
    if (!etag.isEmpty() || !lastModified.isEmpty()) {
        m_etag = QString::fromLatin1(etag);
        m_lastModified = QString::fromLatin1(lastModified);
    } else if (m_statusCode != 206) {
        m_etag.clear();
        m_lastModified.clear();
    }
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    m_total = length.isValid() ? m_offset + length.toLongLong() : -1;
    // What the reply commits to: the end of the body it announces and, for a 206, the total the
    // range names; the smaller when the two disagree.
    m_announcedEnd = m_total;
    if (m_statusCode == 206) {
        const qint64 total = contentRangeTotal(m_reply->rawHeader("Content-Range"));
        if (total >= 0 && (m_announcedEnd < 0 || total < m_announcedEnd))
            m_announcedEnd = total;
    }
    return true;
}

bool DownloadRequest::writeAvailable() {
    if (!m_reply)
        return false;
    if (!m_reply->isOpen())
        return true;
    // One buffer for the whole transfer: no allocation per chunk.
    if (m_chunk.isEmpty())
        m_chunk.resize(chunkSize);
    qint64 received = 0;
    for (;;) {
        const qint64 count = m_reply->read(m_chunk.data(), m_chunk.size());
        if (count <= 0)
            break;
        if (!admit(count))
            return false;
        if (m_file.write(m_chunk.constData(), count) != count) {
            const QString error = m_file.errorString();
            qCWarning(lcDownload).noquote()
                << QStringLiteral("download: cannot write ") + m_partialPath + QStringLiteral(": ") + error;
            // Keep only the bytes known to be whole.
            m_file.resize(m_written);
            dropReply();
            fail(QStringLiteral("cannot write the partial body: ") + error, false);
            return false;
        }
        m_written += count;
        received += count;
    }
    if (received > 0)
        reportProgress();
    return true;
}

bool DownloadRequest::admit(qint64 count) {
    const qint64 bound = m_expectedSize > 0 ? m_expectedSize : m_announcedEnd;
    if (bound < 0)
        return admitWithinFreeSpace(count);
    if (m_written + count <= bound)
        return true;
    const QString error = m_expectedSize > 0
                              ? QStringLiteral("the server sent more than the video's size (") +
                                    QString::number(bound) + QStringLiteral(" bytes)")
                              : QStringLiteral("the server sent more than it announced (") +
                                    QString::number(bound) + QStringLiteral(" bytes)");
    qCWarning(lcDownload).noquote() << QStringLiteral("download: ") + m_url.toString() +
                                           QStringLiteral(": ") + error + QStringLiteral("; stopped");
    dropReply();
    refuse(error);
    return false;
}

// Nothing says how long the body is: it may run as long as the disk keeps the reserve free.
bool DownloadRequest::admitWithinFreeSpace(qint64 count) {
    const qint64 reserve = m_session.freeSpaceReserve();
    if (reserve <= 0)
        return true;
    if (count <= m_roomLeft) {
        m_roomLeft -= count;
        return true;
    }
    const qint64 free = m_session.freeSpace(m_partialPath);
    if (free < 0) {
        // Unmeasurable: the disk itself will stop the writes; look again after the next step.
        m_roomLeft = freeSpaceCheckStep;
        return true;
    }
    const qint64 room = free - reserve;
    if (count <= room) {
        m_roomLeft = std::min(room, freeSpaceCheckStep) - count;
        return true;
    }
    const QString error =
        QStringLiteral("not enough free disk space (keep ") + sizeText(reserve) + QStringLiteral(" free)");
    qCWarning(lcDownload).noquote() << QStringLiteral("download: ") + m_url.toString() +
                                           QStringLiteral(": ") + error + QStringLiteral("; stopped after ") +
                                           QString::number(m_written) + QStringLiteral(" bytes");
    dropReply();
    refuse(error);
    return false;
}

void DownloadRequest::reportProgress() {
    if (m_progress)
        m_progress(DownloadProgress{m_written, m_total});
}

void DownloadRequest::restartFromZero() {
    dropReply();
    m_file.resize(0);
    m_file.seek(0);
    m_written = 0;
    m_etag.clear();
    m_lastModified.clear();
    send(0, QString());
}

void DownloadRequest::onFinished() {
    QNetworkReply* reply = m_reply;
    if (!reply || isFinished())
        return;
    if (!checkHeaders())
        return; // a new reply has taken over
    if (!writeAvailable())
        return;
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    m_reply = nullptr;
    reply->disconnect(this);
    reply->deleteLater();
    if (error != QNetworkReply::NoError && !(m_statusCode > 0 && isHttpStatusError(error))) {
        fail(errorText, false);
        return;
    }
    if (!m_file.flush()) {
        fail(QStringLiteral("cannot write the partial body: ") + m_file.errorString(), false);
        return;
    }
    m_file.close();
    const QString destination = m_destination ? m_destination() : QString();
    bool moved = false;
    if (!destination.isEmpty()) {
        QDir().mkpath(QFileInfo(destination).absolutePath());
        if (QFileInfo::exists(destination))
            QFile::remove(destination);
        moved = QFile::rename(m_partialPath, destination);
    }
    if (!moved) {
        qCWarning(lcDownload).noquote() << QStringLiteral("download: cannot move the body to ") + destination;
        QFile::remove(m_partialPath);
        DownloadResponse response;
        response.statusCode = m_statusCode;
        response.errorText = QStringLiteral("cannot move the body to its destination");
        finish(response);
        return;
    }
    DownloadResponse response;
    response.success = true;
    response.statusCode = m_statusCode;
    response.destinationPath = destination;
    finish(response);
}

void DownloadRequest::cancel() {
    if (isFinished() || m_abandoned)
        return;
    dropReply();
    fail(QStringLiteral("cancelled"), true);
}

// Ends the transfer with a failure. The partial body stays (with resume data) when the server gave
// a validator to continue it against; otherwise nothing could ever use it and it is deleted.
void DownloadRequest::fail(const QString& error, bool cancelled) {
    if (m_file.isOpen()) {
        m_file.flush();
        m_file.close();
    }
    DownloadResponse response;
    response.cancelled = cancelled;
    response.statusCode = m_statusCode;
    response.errorText = error;
    if (!m_etag.isEmpty() || !m_lastModified.isEmpty()) {
        ResumeData resume;
        resume.url = m_url;
        resume.partialPath = m_partialPath;
        resume.bytes = m_written;
        resume.etag = m_etag;
        resume.lastModified = m_lastModified;
        response.resumeData = resume.encode();
    } else {
        QFile::remove(m_partialPath);
    }
    finish(response);
}

void DownloadRequest::refuse(const QString& error) {
    // Without a validator, fail() deletes the partial body and gives no resume data.
    m_etag.clear();
    m_lastModified.clear();
    fail(error, false);
}

void DownloadRequest::finish(DownloadResponse response) {
    response.requestId = m_id;
    m_response = response;
    QMetaObject::invokeMethod(this, &DownloadRequest::deliver, Qt::QueuedConnection);
}

void DownloadRequest::deliverPendingResponse() {
    if (isFinished() && !m_delivered)
        deliver();
}

void DownloadRequest::deliver() {
    if (m_delivered || !m_response)
        return;
    m_delivered = true;
    const DownloadResponse response = *m_response;
    std::vector<ResponseHandler> handlers;
    handlers.swap(m_handlers);
    for (const ResponseHandler& handler : handlers)
        handler(response);
    deleteLater();
}
