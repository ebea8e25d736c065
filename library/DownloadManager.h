#pragma once

#include "DispatchQueue.h"
#include "DownloadItem.h"
#include "DownloadResponse.h"
#include "DownloadSession.h"
#include "DownloadStore.h"
#include "VideoDetail.h"

#include <QList>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class DistributedNotificationCenter;
class LocalVideoDBManager;
class NotificationCenter;

// The application's download engine: the ordered list of downloads (`progressArray`), at most two
// transfers at once (first queued, first started; a slot frees the moment its item leaves
// `downloading`), the stored list "downloadInfo.bat" so that downloads continue after a relaunch,
// resume data when a transfer stops, and for each finished transfer the sign check (on a queue of
// its own), the record in the local library, "UpdateVideoList" for the agent, the download report
// and "reloadCollectionView.Notification" for the lists. Everything but the sign check and the store
// writes runs on the main thread.
class DownloadManager : public QObject {
    Q_OBJECT
public:
    using SignFunction = std::function<std::optional<QString>(const QString& path)>;
    using ReportFunction = std::function<void(qint64 videoId, int status)>;

    struct Dependencies {
        QString cachesDirectory;  // the store, resume data and partial bodies
        QString libraryDirectory; // finished videos
        LocalVideoDBManager* database = nullptr;
        NotificationCenter* notificationCenter = nullptr;           // the lists' reloads; none: not posted
        DistributedNotificationCenter* distributedCenter = nullptr; // "UpdateVideoList"; none: not posted
        ReportFunction reportDownloadStatus;                        // the server's download report
        SignFunction fileSign;                                      // FileSign::fileSign when empty
        int transferTimeoutMs = 10000;                              // inactivity time-out of a new transfer
        // A transfer of unknown length (no size in its record, none announced) fails rather than
        // leave fewer bytes than this free on the disk it writes to; 0: no check.
        qint64 freeSpaceReserve = DownloadSession::defaultFreeSpaceReserve;
        DownloadSession::FreeSpace
            freeSpace{}; // the free bytes at a path; the file system's count when empty
    };

    static constexpr int maxConcurrentOperationCount = 2;
    static constexpr const char* reloadNotification = "reloadCollectionView.Notification";
    static constexpr const char* storeFileName = "downloadInfo.bat";
    // In the caches folder: finished bodies waiting for their sign check, and nothing else.
    static constexpr const char* temporaryFolderName = "UncheckedDownloads";

    // Loads the store and queues every stored item; they start at the next turn of the event loop.
    explicit DownloadManager(Dependencies dependencies, QObject* parent = nullptr);
    ~DownloadManager() override;
    // The one manager of the application, over the shared container's folders, the shared local
    // library and the shared server client; made on the main thread on first use.
    static DownloadManager& shared();

    QString storePath() const { return m_storePath; }
    QString temporaryDirectory() const { return m_temporaryDirectory; }
    const QList<std::shared_ptr<DownloadItem>>& progressArray() const { return m_progressArray; }

    // Queues a write of the store (from the list as it is now) and returns at once.
    void save();
    // A new item for the record: appended, stored, queued, and the lists told with {"sign"}.
    void add(const VideoDetail& videoInfo);
    // Cancels every live transfer keeping its resume data, handles the resulting responses and
    // waits for the store to be written, so that the next launch resumes them. Nothing queued
    // starts afterwards until the next add or restart. For quitting.
    void cancelAll();
    // Takes the item out of the list and rewrites the store; cancels nothing.
    void remove(const DownloadItem* item);
    bool contains(const QString& sign) const;
    // Sets the item at `index` back to `wait` and queues it again; ignored out of range.
    void restart(qsizetype index);

    // Transfers holding a slot now.
    int runningCount() const;
    // Waits until every store write asked for so far has reached the disk.
    void waitForStoreWrites();

private:
    struct Slot {
        std::weak_ptr<DownloadItem> item;
        std::shared_ptr<bool> released;
    };

    std::shared_ptr<DownloadItem> makeItem(const VideoDetail& videoInfo, const std::optional<QUrl>& cacheURL);
    QList<std::shared_ptr<DownloadItem>> loadStore();
    void runItem(const std::shared_ptr<DownloadItem>& item);
    void enqueue(const std::shared_ptr<DownloadItem>& item);
    void pump();
    void releaseSlot(const DownloadItem* item);
    qsizetype indexOf(const DownloadItem* item) const;
    void handleDownloadResponse(const std::weak_ptr<DownloadItem>& weakItem, const VideoDetail& record,
                                const DownloadResponse& response);
    void handleFailure(DownloadItem& item, const DownloadResponse& response);
    void verifyDownloadedFile(const QString& temporaryPath, const VideoDetail& record,
                              const std::weak_ptr<DownloadItem>& weakItem);
    void finishDownload(const QString& filePath, VideoDetail record,
                        const std::weak_ptr<DownloadItem>& weakItem);
    void discardResponse(const DownloadResponse& response, const DownloadItem* item);
    std::optional<QString> partialOf(const std::optional<QUrl>& cacheURL) const;
    void deletePartial(const QString& path);
    void removeLeftovers();
    void postReload(const QVariantMap& userInfo = {});

    Dependencies m_dependencies;
    QString m_storePath;
    QString m_temporaryDirectory;
    DispatchQueue m_storeDownloadQueue{QStringLiteral("StoreDownloadItem")};
    DownloadSession m_resumeSession;
    QList<std::shared_ptr<DownloadItem>> m_progressArray;
    std::deque<std::weak_ptr<DownloadItem>> m_pending;
    std::vector<Slot> m_slots;
    bool m_pumping = false;
    bool m_suspended = false;
    quint64 m_nextCheckId = 1;
    std::map<quint64, std::unique_ptr<DispatchQueue>> m_checkQueues;
};
