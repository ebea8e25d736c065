#pragma once

#include "DownloadRequest.h"
#include "DownloadSession.h"
#include "ItemStatus.h"
#include "VideoDetail.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// One video being downloaded into the library folder: its record, the live request, the resume
// data it can continue from, and its status. The download manager decides when it runs and what
// happens to the finished file; the item only forms requests and keeps its state.
// Main thread only.
class DownloadItem : public QObject {
    Q_OBJECT
public:
    using StatusChanged = std::function<void(ItemStatus oldStatus, ItemStatus newStatus)>;
    using ProgressHandler = std::function<void(const DownloadProgress&)>;
    using CompletionHandler = std::function<void(const DownloadResponse&)>;

    // Where an item's files go and how its transfers are made.
    struct Context {
        QString libraryDirectory;                 // finished files: <sign>.<ext>
        QString partialDirectory;                 // partial bodies of new transfers
        QString temporaryDirectory;               // finished bodies until their sign is checked
        DownloadSession* resumeSession = nullptr; // continues transfers from resume data
        int transferTimeoutMs = 10000;            // inactivity time-out of the item's own session
        // What a transfer of unknown length leaves free on the disk, and how free space is measured
        // (empty: the file system's count), for the item's own session.
        qint64 freeSpaceReserve = DownloadSession::defaultFreeSpaceReserve;
        DownloadSession::FreeSpace freeSpace{};
    };

    DownloadItem(const VideoDetail& videoInfo, const std::optional<QUrl>& cacheURL, Context context);
    ~DownloadItem() override;

    VideoDetail videoInfo() const { return m_videoInfo; }
    void setVideoInfo(const VideoDetail& videoInfo) { m_videoInfo = videoInfo; }
    // The file holding the resume data to continue from.
    std::optional<QUrl> cacheURL() const { return m_cacheURL; }
    void setCacheURL(const std::optional<QUrl>& url) { m_cacheURL = url; }
    ItemStatus status() const { return m_status; }
    void setStatus(ItemStatus status) { m_status = status; }
    ItemStatus lastStatus() const { return m_lastStatus; }
    void setLastStatus(ItemStatus status) { m_lastStatus = status; }
    // The live request; null before the first start and once it has delivered its response.
    DownloadRequest* request() const { return m_request; }
    // The id of the request the latest start formed (0: none); a response with another id is old.
    quint64 currentRequestId() const { return m_requestId; }
    qint64 downloadedSize() const { return m_downloadedSize; }
    void setDownloadedSize(qint64 size) { m_downloadedSize = size; }
    ProgressHandler downloadProgressHandler() const { return m_progressHandler; }
    void setDownloadProgressHandler(ProgressHandler handler) { m_progressHandler = std::move(handler); }
    void addCompletionHandler(CompletionHandler handler);
    StatusChanged statusChanged() const { return m_statusChanged; }
    void setStatusChanged(StatusChanged closure) { m_statusChanged = std::move(closure); }
    // The item's own session (inactivity time-out from the context), made on first use.
    DownloadSession& sessionManager();

    // Where the verified file lands: the library folder, the sign, "." and "mov" when the video's
    // address ends in ".mov", else "mp4". None when the sign is not a safe file name.
    std::optional<QString> cacheFileURL() const;
    // The video's address as a URL: the text as it is, else percent-encoded; none unless the
    // result is an http or https address.
    std::optional<QUrl> videoURL() const;
    // 32 lower-case hexadecimal digits: the only signs that ever become file names.
    static bool isSafeSign(const QString& sign);

    // Begins or resumes the transfer, bounded by the size the record states (when it states one),
    // then status `downloading` (no closure is told of that) and `statusChanged` becomes
    // `closure`. False when no request could be formed (an unsafe sign, an address that is no
    // http(s) URL): then neither the status nor the closure change.
    bool start(StatusChanged closure);
    // Status `pause` (the closure is told), then the live request is cancelled keeping its resume
    // data; its failure response arrives later.
    void pause();
    // lastStatus = status, status = `newStatus`, then statusChanged(old, new).
    void changeStatus(ItemStatus newStatus);

private:
    QString temporaryDestination() const;

    VideoDetail m_videoInfo;
    std::optional<QUrl> m_cacheURL;
    ItemStatus m_status = ItemStatus::wait;
    ItemStatus m_lastStatus = ItemStatus::wait;
    QPointer<DownloadRequest> m_request;
    quint64 m_requestId = 0;
    qint64 m_downloadedSize = 0;
    ProgressHandler m_progressHandler;
    std::vector<CompletionHandler> m_completionHandlerList;
    StatusChanged m_statusChanged;
    Context m_context;
    std::unique_ptr<DownloadSession> m_sessionManager;
};
