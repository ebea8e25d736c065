#include "DownloadItem.h"

#include "StringRandom.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <algorithm>

Q_LOGGING_CATEGORY(lcDownloadItem, "zerafin.download")

namespace {
constexpr qint64 maximumResumeDataSize = 64 * 1024;

// The characters a URL query may hold unescaped: what the percent-encoding fallback leaves alone.
const QByteArray queryAllowed = "!$&'()*+,-./:;=?@_~";

bool isWebAddress(const QUrl& url) {
    return url.isValid() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           !url.host().isEmpty();
}
} // namespace

DownloadItem::DownloadItem(const VideoDetail& videoInfo, const std::optional<QUrl>& cacheURL, Context context)
    : m_videoInfo(videoInfo), m_cacheURL(cacheURL), m_context(std::move(context)) {}

DownloadItem::~DownloadItem() = default;

bool DownloadItem::isSafeSign(const QString& sign) {
    if (sign.size() != 32)
        return false;
    for (const QChar c : sign) {
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    }
    return true;
}

std::optional<QString> DownloadItem::cacheFileURL() const {
    if (!isSafeSign(m_videoInfo.sign))
        return std::nullopt;
    const QString extension =
        m_videoInfo.url.endsWith(QLatin1String(".mov")) ? QStringLiteral("mov") : QStringLiteral("mp4");
    return m_context.libraryDirectory + QLatin1Char('/') + m_videoInfo.sign + QLatin1Char('.') + extension;
}

std::optional<QUrl> DownloadItem::videoURL() const {
    QUrl url(m_videoInfo.url, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
        const QByteArray encoded = QUrl::toPercentEncoding(m_videoInfo.url, queryAllowed);
        url = QUrl(QString::fromLatin1(encoded), QUrl::StrictMode);
    }
    if (!isWebAddress(url))
        return std::nullopt;
    return url;
}

DownloadSession& DownloadItem::sessionManager() {
    if (!m_sessionManager) {
        m_sessionManager =
            std::make_unique<DownloadSession>(m_context.partialDirectory, m_context.transferTimeoutMs);
        m_sessionManager->setFreeSpaceReserve(m_context.freeSpaceReserve);
        m_sessionManager->setFreeSpaceFunction(m_context.freeSpace);
    }
    return *m_sessionManager;
}

// A name of its own for the finished body, in the engine's own folder (on the library's file
// system, so that the move into place is one step): it becomes <sign>.<ext> only once its sign has
// been checked, so a bad body never replaces a good file. Never in the library folder itself, whose
// files are the user's videos whatever their names.
QString DownloadItem::temporaryDestination() const {
    for (;;) {
        const QString path = m_context.temporaryDirectory + QStringLiteral("/.") + StringRandom::random(10) +
                             QStringLiteral(".download");
        if (!QFileInfo::exists(path))
            return path;
    }
}

void DownloadItem::addCompletionHandler(CompletionHandler handler) {
    if (m_request)
        m_request->addResponseHandler(handler);
    m_completionHandlerList.push_back(std::move(handler));
}

bool DownloadItem::start(StatusChanged closure) {
    m_request = nullptr;
    m_requestId = 0;
    if (!isSafeSign(m_videoInfo.sign)) {
        qCWarning(lcDownloadItem).noquote()
            << (QStringLiteral("download: refused, not a sign: ") + m_videoInfo.sign.left(64));
        return false;
    }
    const auto destination = [this] { return temporaryDestination(); };
    // The record's size bounds the transfer; a record without one leaves it to the server's length.
    const qint64 expectedSize = std::max<qint64>(0, m_videoInfo.size);
    DownloadRequest* request = nullptr;
    if (m_cacheURL && m_context.resumeSession) {
        QFile file(m_cacheURL->toLocalFile());
        // Resume data is a few hundred bytes; anything much larger is not ours.
        if (file.open(QIODevice::ReadOnly) && file.size() <= maximumResumeDataSize) {
            if (const auto resume = ResumeData::decode(file.readAll()))
                request = m_context.resumeSession->download(*resume, destination, expectedSize);
        }
    }
    if (!request) {
        const std::optional<QUrl> url = videoURL();
        if (!url) {
            qCWarning(lcDownloadItem).noquote()
                << (QStringLiteral("download: refused, not a web address: ") + m_videoInfo.url.left(200));
            return false;
        }
        request = sessionManager().download(*url, destination, expectedSize);
    }
    m_request = request;
    m_requestId = request->id();
    if (m_progressHandler)
        request->setProgressHandler(m_progressHandler);
    for (const CompletionHandler& handler : m_completionHandlerList)
        request->addResponseHandler(handler);
    m_lastStatus = m_status;
    m_status = ItemStatus::downloading;
    m_statusChanged = std::move(closure);
    return true;
}

void DownloadItem::pause() {
    changeStatus(ItemStatus::pause);
    if (m_request)
        m_request->cancel();
}

void DownloadItem::changeStatus(ItemStatus newStatus) {
    const ItemStatus old = m_status;
    m_lastStatus = old;
    m_status = newStatus;
    if (m_statusChanged) {
        // The closure may replace itself (a restart from inside it); keep this one alive meanwhile.
        const StatusChanged closure = m_statusChanged;
        closure(old, newStatus);
    }
}
