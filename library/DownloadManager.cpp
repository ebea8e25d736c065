#include "DownloadManager.h"

#include "AppInfo.h"
#include "DistributedNotificationCenter.h"
#include "FileCopy.h"
#include "FileSign.h"
#include "LocalLibraryModel.h"
#include "LocalVideoDBManager.h"
#include "LocalVideoPath.h"
#include "MainThread.h"
#include "NotificationCenter.h"
#include "ResumeData.h"
#include "StringRandom.h"
#include "WebModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {
Q_LOGGING_CATEGORY(lcDownload, "zerafin.download")

// The platform's default request time-out, for transfers continued from resume data.
constexpr int resumeTransferTimeoutMs = 60000;
// Random names drawn when the video's own name is taken; this many taken in a row is a failure.
constexpr int placeAttempts = 64;

// Places the checked body at `preferred`, or under a random name beside it when that is taken;
// the path it went to, none when it could not be placed.
std::optional<QString> placeDownload(const QString& temporaryPath, const QString& preferred) {
    const QFileInfo wanted(preferred);
    const QString extension = wanted.suffix();
    QString candidate = preferred;
    int error = 0;
    for (int attempt = 0; attempt <= placeAttempts; ++attempt) {
        if (FileCopy::renameWithoutReplacing(temporaryPath, candidate))
            return candidate;
        error = errno;
        if (error != EEXIST)
            break;
        if (attempt == placeAttempts)
            break;
        if (attempt == 0)
            qCInfo(lcDownload).noquote() << (QStringLiteral("download: ") + preferred +
                                             QStringLiteral(" is taken; the video gets a name of its own"));
        candidate = wanted.dir().filePath(StringRandom::random(10) +
                                          (extension.isEmpty() ? QString() : QLatin1Char('.') + extension));
    }
    qCWarning(lcDownload).noquote() << (QStringLiteral("download: cannot move the file to ") + candidate +
                                        QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error)));
    return std::nullopt;
}
} // namespace

DownloadManager::DownloadManager(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_dependencies(std::move(dependencies)),
      m_storePath(m_dependencies.cachesDirectory + QLatin1Char('/') + QLatin1String(storeFileName)),
      m_temporaryDirectory(m_dependencies.cachesDirectory + QLatin1Char('/') +
                           QLatin1String(temporaryFolderName)),
      m_resumeSession(m_dependencies.cachesDirectory, resumeTransferTimeoutMs) {
    if (!m_dependencies.fileSign)
        m_dependencies.fileSign = &FileSign::fileSign;
    m_resumeSession.setFreeSpaceReserve(m_dependencies.freeSpaceReserve);
    m_resumeSession.setFreeSpaceFunction(m_dependencies.freeSpace);
    QDir().mkpath(m_temporaryDirectory);
    m_progressArray = loadStore();
    removeLeftovers();
    for (const auto& item : std::as_const(m_progressArray))
        m_pending.push_back(item);
    QTimer::singleShot(0, this, [this] { pump(); });
}

DownloadManager::~DownloadManager() {
    m_checkQueues.clear();
    m_storeDownloadQueue.waitUntilIdle();
}

DownloadManager& DownloadManager::shared() {
    static DownloadManager* manager = nullptr;
    MainThread::runAndWait([] {
        if (manager)
            return;
        Dependencies dependencies;
        dependencies.cachesDirectory = AppInfo::cachesDirectory();
        dependencies.libraryDirectory = LocalLibraryModel::downloadDirectory();
        dependencies.database = &LocalVideoDBManager::shared();
        dependencies.notificationCenter = &NotificationCenter::defaultCenter();
        dependencies.distributedCenter = &DistributedNotificationCenter::shared();
        dependencies.reportDownloadStatus = [](qint64 videoId, int status) {
            WebModel::shared().reportDownloadStatus(videoId, status);
        };
        manager = new DownloadManager(std::move(dependencies));
    });
    return *manager;
}

std::shared_ptr<DownloadItem> DownloadManager::makeItem(const VideoDetail& videoInfo,
                                                        const std::optional<QUrl>& cacheURL) {
    DownloadItem::Context context;
    context.libraryDirectory = m_dependencies.libraryDirectory;
    context.partialDirectory = m_dependencies.cachesDirectory;
    context.temporaryDirectory = m_temporaryDirectory;
    context.resumeSession = &m_resumeSession;
    context.transferTimeoutMs = m_dependencies.transferTimeoutMs;
    context.freeSpaceReserve = m_dependencies.freeSpaceReserve;
    context.freeSpace = m_dependencies.freeSpace;
    auto item = std::make_shared<DownloadItem>(videoInfo, cacheURL, context);
    std::weak_ptr<DownloadItem> weak = item;
    // Neither the item nor the manager is owned by the handler: an item kept by someone else may
    // outlive the manager.
    QPointer<DownloadManager> self(this);
    item->addCompletionHandler([self, weak, videoInfo](const DownloadResponse& response) {
        if (self)
            self->handleDownloadResponse(weak, videoInfo, response);
    });
    return item;
}

QList<std::shared_ptr<DownloadItem>> DownloadManager::loadStore() {
    QFile file(m_storePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const auto entries = DownloadStore::unarchive(file.readAll());
    if (!entries)
        return {};
    QList<std::shared_ptr<DownloadItem>> items;
    for (const DownloadStore& entry : *entries)
        items.append(makeItem(entry.videoInfo, entry.cacheURL));
    return items;
}

void DownloadManager::save() {
    // The list is read here, on the main thread that changes it; the queue only writes the bytes.
    std::vector<DownloadStore> snapshot;
    snapshot.reserve(size_t(m_progressArray.size()));
    for (const auto& item : std::as_const(m_progressArray))
        snapshot.push_back(DownloadStore{item->videoInfo(), item->cacheURL()});
    const QString path = m_storePath;
    m_storeDownloadQueue.async([snapshot = std::move(snapshot), path] {
        const QByteArray bytes = DownloadStore::archive(snapshot);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            qCWarning(lcDownload).noquote() << (QStringLiteral("download store: cannot write ") + path +
                                                QStringLiteral(": ") + file.errorString());
    });
}

void DownloadManager::waitForStoreWrites() {
    m_storeDownloadQueue.waitUntilIdle();
}

void DownloadManager::add(const VideoDetail& videoInfo) {
    auto item = makeItem(videoInfo, std::nullopt);
    m_progressArray.append(item);
    save();
    m_suspended = false;
    m_pending.push_back(item);
    // The lists see the new item waiting; its run begins right after.
    postReload(QVariantMap{{QStringLiteral("sign"), videoInfo.sign}});
    pump();
}

void DownloadManager::remove(const DownloadItem* item) {
    const qsizetype index = indexOf(item);
    if (index < 0)
        return;
    // Keep the item alive until this call is done: the caller may hold nothing else.
    const std::shared_ptr<DownloadItem> keep = m_progressArray.takeAt(index);
    releaseSlot(item);
    save();
    pump();
}

bool DownloadManager::contains(const QString& sign) const {
    return std::any_of(m_progressArray.cbegin(), m_progressArray.cend(),
                       [&](const auto& item) { return item->videoInfo().sign == sign; });
}

void DownloadManager::restart(qsizetype index) {
    if (index < 0 || index >= m_progressArray.size())
        return;
    const std::shared_ptr<DownloadItem> item = m_progressArray.at(index);
    item->changeStatus(ItemStatus::wait);
    m_suspended = false;
    enqueue(item);
}

void DownloadManager::cancelAll() {
    m_suspended = true;
    std::vector<QPointer<DownloadRequest>> requests;
    for (const auto& item : std::as_const(m_progressArray)) {
        if (DownloadRequest* request = item->request()) {
            request->cancel();
            requests.emplace_back(request);
        }
    }
    // The responses are handled now rather than at a later turn that a quitting process never has.
    for (const QPointer<DownloadRequest>& request : requests) {
        if (request)
            request->deliverPendingResponse();
    }
    m_storeDownloadQueue.waitUntilIdle();
}

int DownloadManager::runningCount() const {
    return int(std::count_if(m_slots.cbegin(), m_slots.cend(),
                             [](const Slot& slot) { return !*slot.released && !slot.item.expired(); }));
}

qsizetype DownloadManager::indexOf(const DownloadItem* item) const {
    for (qsizetype i = 0; i < m_progressArray.size(); ++i) {
        if (m_progressArray.at(i).get() == item)
            return i;
    }
    return -1;
}

// ---- scheduling

void DownloadManager::enqueue(const std::shared_ptr<DownloadItem>& item) {
    m_pending.push_back(item);
    pump();
}

void DownloadManager::pump() {
    if (m_pumping)
        return; // the loop below sees the freed slot
    m_pumping = true;
    std::erase_if(m_slots, [](const Slot& slot) { return *slot.released || slot.item.expired(); });
    while (!m_suspended && runningCount() < maxConcurrentOperationCount && !m_pending.empty()) {
        const std::shared_ptr<DownloadItem> item = m_pending.front().lock();
        m_pending.pop_front();
        // An item paused, removed or already running since it was queued ends its run at once.
        if (!item || item->status() != ItemStatus::wait)
            continue;
        runItem(item);
    }
    m_pumping = false;
}

void DownloadManager::runItem(const std::shared_ptr<DownloadItem>& item) {
    // An item holds one slot at most: a restart while it was still downloading gives up the old one.
    releaseSlot(item.get());
    auto released = std::make_shared<bool>(false);
    m_slots.push_back(Slot{item, released});
    QPointer<DownloadManager> self(this);
    const bool started = item->start([self, released](ItemStatus oldStatus, ItemStatus newStatus) {
        if (*released || oldStatus != ItemStatus::downloading || newStatus < ItemStatus::pause)
            return;
        *released = true;
        if (self)
            self->pump();
    });
    if (started)
        return;
    // No request could be formed: the item fails instead of holding its slot.
    *released = true;
    item->changeStatus(ItemStatus::error);
    postReload();
}

void DownloadManager::releaseSlot(const DownloadItem* item) {
    for (Slot& slot : m_slots) {
        if (slot.item.lock().get() == item)
            *slot.released = true;
    }
}

// ---- responses

void DownloadManager::handleDownloadResponse(const std::weak_ptr<DownloadItem>& weakItem,
                                             const VideoDetail& record, const DownloadResponse& response) {
    const std::shared_ptr<DownloadItem> item = weakItem.lock();
    // A response for an item no longer listed, or from a request its item has replaced since
    // (a quick pause and resume), changes nothing; its files are cleaned up.
    if (!item || indexOf(item.get()) < 0 || response.requestId != item->currentRequestId()) {
        discardResponse(response, item.get());
        return;
    }
    if (!response.success) {
        handleFailure(*item, response);
        return;
    }
    if (!response.destinationPath)
        return;
    verifyDownloadedFile(*response.destinationPath, record, weakItem);
}

void DownloadManager::handleFailure(DownloadItem& item, const DownloadResponse& response) {
    const QString resumePath = m_dependencies.cachesDirectory + QLatin1Char('/') + StringRandom::random(10);
    std::optional<ResumeData> resume;
    if (response.resumeData) {
        resume = ResumeData::decode(*response.resumeData);
        QSaveFile file(resumePath);
        const bool written = file.open(QIODevice::WriteOnly) &&
                             file.write(*response.resumeData) == response.resumeData->size() && file.commit();
        if (!written) {
            qCWarning(lcDownload).noquote() << (QStringLiteral("download: cannot keep resume data in ") +
                                                resumePath + QStringLiteral(": ") + file.errorString());
            if (resume)
                deletePartial(resume->partialPath);
            if (item.status() == ItemStatus::downloading)
                item.changeStatus(ItemStatus::error);
            postReload();
            return;
        }
    }
    // The partial body of the resume data this replaces is of no further use.
    const std::optional<QString> previous = partialOf(item.cacheURL());
    if (previous && (!resume || resume->partialPath != *previous))
        deletePartial(*previous);
    item.setCacheURL(QUrl::fromLocalFile(resumePath));
    save();
    if (item.status() == ItemStatus::downloading)
        item.changeStatus(ItemStatus::error);
    postReload();
}

void DownloadManager::discardResponse(const DownloadResponse& response, const DownloadItem* item) {
    if (response.success) {
        if (response.destinationPath)
            QFile::remove(*response.destinationPath);
        return;
    }
    if (!response.resumeData)
        return;
    const auto resume = ResumeData::decode(*response.resumeData);
    if (!resume)
        return;
    if (item) {
        const DownloadRequest* current = item->request();
        if ((current && current->partialPath() == resume->partialPath) ||
            partialOf(item->cacheURL()) == resume->partialPath)
            return;
    }
    deletePartial(resume->partialPath);
}

void DownloadManager::verifyDownloadedFile(const QString& temporaryPath, const VideoDetail& record,
                                           const std::weak_ptr<DownloadItem>& weakItem) {
    const std::shared_ptr<DownloadItem> item = weakItem.lock();
    const std::optional<QString> filePath = item ? item->cacheFileURL() : std::nullopt;
    const quint64 checkId = m_nextCheckId++;
    auto queue = std::make_unique<DispatchQueue>(QStringLiteral("successed"));
    DispatchQueue* checking = queue.get();
    m_checkQueues.emplace(checkId, std::move(queue));
    const SignFunction fileSign = m_dependencies.fileSign;
    checking->async([this, temporaryPath, filePath, record, weakItem, checkId, fileSign] {
        const std::optional<QString> sign = fileSign(temporaryPath);
        std::optional<QString> placed;
        if (sign && *sign == record.sign && filePath) {
            // The library folder is made again when it has gone since the transfer began.
            QDir().mkpath(QFileInfo(*filePath).absolutePath());
            placed = placeDownload(temporaryPath, *filePath);
        } else {
            qCWarning(lcDownload).noquote() << (QStringLiteral("download: sign mismatch for ") + record.sign);
        }
        if (!placed)
            QFile::remove(temporaryPath);
        QMetaObject::invokeMethod(
            this,
            [this, placed, record, weakItem, checkId] {
                m_checkQueues.erase(checkId);
                if (placed) {
                    finishDownload(*placed, record, weakItem);
                    return;
                }
                // The item stays listed in `error` and can be restarted; nobody else is told.
                if (const auto item = weakItem.lock())
                    item->changeStatus(ItemStatus::error);
            },
            Qt::QueuedConnection);
    });
}

void DownloadManager::finishDownload(const QString& filePath, VideoDetail record,
                                     const std::weak_ptr<DownloadItem>& weakItem) {
    if (const std::shared_ptr<DownloadItem> item = weakItem.lock()) {
        if (item->status() == ItemStatus::downloading)
            item->changeStatus(ItemStatus::finish);
        if (const auto partial = partialOf(item->cacheURL()))
            deletePartial(*partial);
        remove(item.get());
    }
    record.url = LocalVideoPath::fileUrlText(filePath);
    if (m_dependencies.database && !m_dependencies.database->insert(record)) {
        // The video was in the library already under another file: this copy belongs to nothing.
        const std::optional<VideoDetail> stored = m_dependencies.database->selectBySign(record.sign);
        if (stored && LocalVideoPath::fromStoredUrl(stored->url) != filePath)
            QFile::remove(filePath);
    }
    if (m_dependencies.distributedCenter)
        m_dependencies.distributedCenter->post(QStringLiteral("UpdateVideoList"));
    if (m_dependencies.reportDownloadStatus)
        m_dependencies.reportDownloadStatus(record.id, 1);
    postReload();
}

// ---- files

std::optional<QString> DownloadManager::partialOf(const std::optional<QUrl>& cacheURL) const {
    if (!cacheURL || !cacheURL->isLocalFile())
        return std::nullopt;
    QFile file(cacheURL->toLocalFile());
    if (!file.open(QIODevice::ReadOnly) || file.size() > 64 * 1024)
        return std::nullopt;
    const auto resume = ResumeData::decode(file.readAll());
    if (!resume)
        return std::nullopt;
    return resume->partialPath;
}

// Files a killed process left behind: partial bodies no stored item can resume from, and finished
// bodies that were still waiting for their sign check.
void DownloadManager::removeLeftovers() {
    QSet<QString> referenced;
    for (const auto& item : std::as_const(m_progressArray)) {
        if (const auto partial = partialOf(item->cacheURL()))
            referenced.insert(QFileInfo(*partial).fileName());
    }
    const QDir caches(m_dependencies.cachesDirectory);
    for (const QString& name : caches.entryList({QStringLiteral("*.partial")}, QDir::Files | QDir::Hidden)) {
        if (!referenced.contains(name))
            deletePartial(caches.filePath(name));
    }
    static const QRegularExpression unchecked(QStringLiteral("^\\.[A-Za-z0-9]{10}\\.download$"));
    const QDir temporary(m_temporaryDirectory);
    for (const QString& name :
         temporary.entryList({QStringLiteral(".*.download")}, QDir::Files | QDir::Hidden)) {
        if (unchecked.match(name).hasMatch())
            QFile::remove(temporary.filePath(name));
    }
}

void DownloadManager::deletePartial(const QString& path) {
    if (m_resumeSession.ownsPartial(path))
        QFile::remove(path);
}

void DownloadManager::postReload(const QVariantMap& userInfo) {
    if (m_dependencies.notificationCenter)
        m_dependencies.notificationCenter->post(QLatin1String(reloadNotification), nullptr, userInfo);
}
