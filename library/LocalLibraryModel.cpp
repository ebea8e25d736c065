#include "LocalLibraryModel.h"

#include "AppInfo.h"
#include "Console.h"
#include "DispatchQueue.h"
#include "FileCopy.h"
#include "FileSign.h"
#include "LocalVideoDBManager.h"
#include "LocalVideoPath.h"
#include "MainThread.h"
#include "MediaProbe.h"
#include "StringRandom.h"
#include "WebModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSemaphore>
#include <QSet>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <mutex>
#include <vector>

namespace {
constexpr int randomNameLength = 10;
// Random names are drawn again on a clash; this many clashes in a row mean the folder is unusable.
constexpr int claimAttempts = 64;

// A copy or thumbnail being made is written under the hidden name ".<name>.importing" beside the
// name it will have, and renamed to it once its row is written. A process killed before that
// leaves only hidden files, which the next start removes, or renames into place when the row was
// written already.
const QString pendingSuffix = QStringLiteral(".importing");

QString pendingPathOf(const QString& path) {
    const QFileInfo info(path);
    return info.dir().filePath(QLatin1Char('.') + info.fileName() + pendingSuffix);
}

// Anything at `path`, a dangling link included.
bool taken(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Claims a name in `folder` for a file still to be made: `preferred` when it is free, else a random
// name ending in `extension`. The claim is the pending file, created exclusively, so that no other
// import takes the name meanwhile. The final path, empty when nothing could be claimed.
QString claimPending(const QString& folder, const QString& preferred, const QString& extension,
                     QString* error) {
    const QDir dir(folder);
    for (int attempt = 0; attempt <= claimAttempts; ++attempt) {
        QString name = preferred;
        if (attempt > 0 || name.isEmpty()) {
            name = StringRandom::random(randomNameLength);
            if (!extension.isEmpty())
                name += QLatin1Char('.') + extension;
        }
        const QString path = dir.filePath(name);
        if (taken(path))
            continue;
        bool exists = false;
        if (FileCopy::createExclusive(pendingPathOf(path), error, &exists))
            return path;
        // A name too long for its pending twin is retried at random; a folder that refuses files
        // is not.
        if (!exists && attempt > 0)
            return {};
    }
    return {};
}

struct Import;
} // namespace

// What the imports of one model share: the running ones, and whether they are being ended.
struct ImportRegistry {
    std::mutex mutex;
    std::vector<std::weak_ptr<Import>> running;
    std::atomic<bool> cancelled{false};
};

namespace {
// One import: what it was given, what it found out, and its three serial queues. It lives as long
// as any of its blocks or the server's pending answer holds it.
struct Import {
    LocalVideoDBManager* database = nullptr;
    LocalLibraryModel::DetailLookup detailLookup;
    std::chrono::milliseconds detailTimeout{};
    QString thumbnailFolder;
    std::shared_ptr<ImportRegistry> registry;

    QString sourcePath;
    QString title;
    QString destination; // the copy's final path, claimed; empty when no name could be claimed
    QString claimError;
    bool lookUpOnServer = true;
    LocalLibraryModel::Completion completion;

    QString sign;
    QString thumbnail; // the final path of the thumbnail written for this import, if any
    QSemaphore copyDone;
    std::atomic<bool> copyFailed{false};
    std::atomic<bool> awaitingServer{false};
    std::atomic<bool> serverAnswered{false};
    std::atomic<bool> reported{false};

    DispatchQueue importQueue{QStringLiteral("importVideo")};
    DispatchQueue copyQueue{QStringLiteral("copy")};
    DispatchQueue recordQueue{QStringLiteral("getVideoDetail")};

    // A server client that drops its answer drops the last hold on the import: it still reports
    // once and leaves nothing behind.
    ~Import() {
        if (reported)
            return;
        removeCopy();
        removeThumbnail();
        report(ImportVideoStatus::failure);
    }

    bool cancelled() const { return registry && registry->cancelled; }
    void report(ImportVideoStatus status) {
        if (reported.exchange(true))
            return;
        if (completion)
            completion(sign, status);
    }
    void removeCopy() {
        if (!destination.isEmpty())
            QFile::remove(pendingPathOf(destination));
    }
    void removeThumbnail() {
        if (!thumbnail.isEmpty())
            QFile::remove(pendingPathOf(thumbnail));
        thumbnail.clear();
    }
    // Ends an import that is being cancelled: nothing of it stays. Waits for a copy in progress
    // (unless the caller has), so that its file is not removed from under it and the name claimed
    // again meanwhile.
    void abandon(bool copyAwaited) {
        if (!copyAwaited)
            copyDone.acquire();
        removeCopy();
        removeThumbnail();
        report(ImportVideoStatus::failure);
    }
};

using ImportPointer = std::shared_ptr<Import>;

// A queue must not be destroyed by a block of its own (it would wait for itself), so an import
// released on one of its threads is destroyed elsewhere.
ImportPointer makeImport() {
    return ImportPointer(new Import, [](Import* import) {
        if (MainThread::isCurrent())
            delete import;
        else
            QThreadPool::globalInstance()->start([import] { delete import; });
    });
}

qint64 fileSize(const QString& path) {
    const QFileInfo info(path);
    return info.exists() ? info.size() : 0;
}

// Called once the copy is done.
void storeRecord(const ImportPointer& job, const VideoDetail& record) {
    if (job->cancelled()) {
        job->abandon(true);
        return;
    }
    const bool inserted = job->database->insert(record);
    // The row is this import's only when it names this import's copy: another import of the same
    // file may have stored its own meanwhile, and then this copy and thumbnail belong to nothing.
    const std::optional<VideoDetail> stored =
        inserted ? std::optional<VideoDetail>(record) : job->database->selectBySign(job->sign);
    if (!stored || stored->url != record.url) {
        job->removeCopy();
        job->removeThumbnail();
        job->report(stored ? ImportVideoStatus::isExist : ImportVideoStatus::failure);
        return;
    }
    // The row is written: the files take the names it gives them. Where one of them cannot, the
    // row goes again rather than name a missing file.
    const bool thumbnailPlaced =
        job->thumbnail.isEmpty() ||
        FileCopy::renameWithoutReplacing(pendingPathOf(job->thumbnail), job->thumbnail);
    if (!thumbnailPlaced ||
        !FileCopy::renameWithoutReplacing(pendingPathOf(job->destination), job->destination)) {
        Console::line(QStringLiteral("Cannot put the import in place at ") + job->destination);
        job->database->deleteBySign(job->sign);
        if (thumbnailPlaced && !job->thumbnail.isEmpty())
            QFile::remove(job->thumbnail);
        job->removeCopy();
        job->removeThumbnail();
        job->report(ImportVideoStatus::failure);
        return;
    }
    job->report(ImportVideoStatus::complete);
}

// The record built from the file itself.
void makeVideoRecord(const ImportPointer& job) {
    if (job->cancelled()) {
        job->abandon(false);
        return;
    }
    MediaProbe probe(job->sourcePath);
    const double duration = probe.duration();
    if (!(duration > 0)) {
        job->copyDone.acquire();
        job->removeCopy();
        job->report(ImportVideoStatus::failure);
        return;
    }

    // The frame in the middle, at a whole second.
    QString imgurl;
    QString error;
    const QString thumbnailPath =
        claimPending(job->thumbnailFolder, QString(), QStringLiteral("png"), &error);
    if (!thumbnailPath.isEmpty() &&
        probe.writeThumbnail(std::floor(duration * 0.5), pendingPathOf(thumbnailPath), &error)) {
        job->thumbnail = thumbnailPath;
        imgurl = LocalVideoPath::fileUrlText(thumbnailPath);
    } else {
        if (!thumbnailPath.isEmpty())
            QFile::remove(pendingPathOf(thumbnailPath));
        Console::line(QStringLiteral("Image generation failed with error ") + error);
    }

    const qint64 size = fileSize(job->sourcePath);

    // The record may only exist once its file does.
    job->copyDone.acquire();
    if (job->copyFailed) {
        job->removeThumbnail();
        job->report(ImportVideoStatus::failure);
        return;
    }

    const qint64 width = probe.width();
    const qint64 height = probe.height();
    if (width == 0 || height == 0) {
        job->removeCopy();
        job->removeThumbnail();
        job->report(ImportVideoStatus::failure);
        return;
    }

    VideoDetail record;
    record.id = 0;
    record.sign = job->sign;
    record.title = job->title;
    record.url = LocalVideoPath::fileUrlText(job->destination);
    record.time = qint64(duration) * 1000;
    record.size = size;
    record.imgurl = imgurl;
    record.imgsize = 0;
    record.ratio = LocalLibraryModel::ratioText(width, height);
    record.width = width;
    record.height = height;
    record.frame = qint64(probe.nominalFrameRate());
    record.rate = probe.estimatedDataRate();
    record.audio = probe.hasAudioTrack() ? 1 : 0;
    storeRecord(job, record);
}

// The server's answer (on the main thread, from the time-out, or from a cancellation): its record
// when it is the record of this very file, else the record built from the file. Either is finished
// off the main thread, since both wait for the copy.
void saveVideoRecord(const ImportPointer& job, std::optional<VideoDetail> record) {
    if (job->serverAnswered.exchange(true))
        return;
    if (job->cancelled()) {
        job->recordQueue.async([job] { job->abandon(false); });
        return;
    }
    if (record && record->sign != job->sign) {
        Console::line(
            QStringLiteral("The server's record for %1 names the sign %2; the file's own record is used")
                .arg(job->sign, record->sign));
        record.reset();
    }
    if (!record) {
        job->recordQueue.async([job] { makeVideoRecord(job); });
        return;
    }
    job->recordQueue.async([job, record = std::move(*record)]() mutable {
        job->copyDone.acquire();
        if (job->copyFailed) {
            job->report(ImportVideoStatus::failure);
            return;
        }
        // Imports the server knew keep the plain path of their copy.
        record.url = job->destination;
        storeRecord(job, record);
    });
}

void askServer(const ImportPointer& job) {
    if (job->cancelled()) {
        saveVideoRecord(job, std::nullopt);
        return;
    }
    // A server that never answers must not hold the import (and a batch waiting on it) forever;
    // the timer holds the import weakly so that a prompt answer releases it at once.
    const std::weak_ptr<Import> weak = job;
    QTimer::singleShot(job->detailTimeout, QCoreApplication::instance(), [weak] {
        if (const ImportPointer pending = weak.lock()) {
            if (!pending->serverAnswered)
                Console::line(QStringLiteral("No answer from the server for ") + pending->sign);
            saveVideoRecord(pending, std::nullopt);
        }
    });
    job->detailLookup(job->sign,
                      [job](std::optional<VideoDetail> record) { saveVideoRecord(job, std::move(record)); });
}

void copyVideo(const ImportPointer& job) {
    QString error = job->claimError;
    const bool copied = !job->cancelled() && !job->destination.isEmpty() &&
                        FileCopy::copy(job->sourcePath, pendingPathOf(job->destination), &error);
    if (!copied) {
        if (!job->cancelled())
            Console::line(QStringLiteral("copy error ") + error);
        job->removeCopy();
        job->copyFailed = true;
    }
    job->copyDone.release();
}

void lookUp(const ImportPointer& job) {
    // Every way out that queues no copy says so, for whoever waits for the copy.
    const auto endWithoutCopy = [&job](ImportVideoStatus status) {
        job->removeCopy();
        job->copyDone.release();
        job->report(status);
    };
    if (job->cancelled())
        return endWithoutCopy(ImportVideoStatus::failure);
    const std::optional<QString> sign = FileSign::fileSign(job->sourcePath);
    if (!sign)
        return endWithoutCopy(ImportVideoStatus::failure);
    job->sign = *sign;
    if (job->database->selectBySign(job->sign))
        return endWithoutCopy(ImportVideoStatus::isExist);
    if (job->cancelled())
        return endWithoutCopy(ImportVideoStatus::failure);
    job->copyQueue.async([job] { copyVideo(job); });
    if (job->lookUpOnServer) {
        // A cancellation from now on answers for the server, here or in cancelImports().
        job->awaitingServer = true;
        if (job->cancelled())
            saveVideoRecord(job, std::nullopt);
        else
            MainThread::post([job] { askServer(job); });
    } else {
        job->recordQueue.async([job] { makeVideoRecord(job); });
    }
}
} // namespace

LocalLibraryModel& LocalLibraryModel::shared() {
    static LocalLibraryModel* model = [] {
        LocalLibraryModel* made = nullptr;
        // Made on the main thread, where the server client and the timers live.
        MainThread::runAndWait([&made] {
            // The application's imports ask the application's server client for its record.
            const DetailLookup lookup = [](const QString& sign, DetailCompletion completion) {
                WebModel::shared().requestVideoDetail(sign, std::move(completion));
            };
            made = new LocalLibraryModel(LocalVideoDBManager::shared(), lookup, downloadDirectory(),
                                         AppInfo::applicationSupportDirectory());
            made->finishInterruptedImports();
        });
        return made;
    }();
    return *model;
}

QString LocalLibraryModel::downloadDirectory() {
    static const QString folder = [] {
        const QString path =
            QDir(AppInfo::applicationSupportDirectory()).filePath(QStringLiteral("DownloadVideo"));
        if (!QFileInfo::exists(path))
            QDir().mkpath(path);
        return path;
    }();
    return folder;
}

LocalLibraryModel::LocalLibraryModel(LocalVideoDBManager& database, DetailLookup detailLookup,
                                     const QString& libraryFolder, const QString& thumbnailFolder,
                                     std::chrono::milliseconds detailTimeout, QObject* parent)
    : QObject(parent), m_database(database), m_detailLookup(std::move(detailLookup)),
      m_libraryFolder(libraryFolder), m_thumbnailFolder(thumbnailFolder), m_detailTimeout(detailTimeout),
      m_registry(std::make_shared<ImportRegistry>()) {}

LocalLibraryModel::~LocalLibraryModel() = default;

void LocalLibraryModel::cancelImports() {
    m_registry->cancelled = true;
    std::vector<ImportPointer> running;
    {
        std::lock_guard lock(m_registry->mutex);
        for (const std::weak_ptr<Import>& weak : m_registry->running)
            if (ImportPointer job = weak.lock())
                running.push_back(std::move(job));
    }
    // The server's answer would come on a main loop that may not turn again.
    for (const ImportPointer& job : running) {
        if (job->awaitingServer)
            saveVideoRecord(job, std::nullopt);
    }
}

void LocalLibraryModel::finishInterruptedImports() {
    // Without the table nothing can be told apart: everything stays for a later start.
    const std::optional<std::vector<VideoDetail>> rows = m_database.selectAllIfReadable();
    if (!rows)
        return;
    QSet<QString> named;
    for (const VideoDetail& row : *rows) {
        for (const QString* stored : {&row.url, &row.imgurl}) {
            if (const std::optional<QString> path = LocalVideoPath::fromStoredUrl(*stored))
                named.insert(QFileInfo(*path).absoluteFilePath());
        }
    }
    for (const QString& folder : {m_libraryFolder, m_thumbnailFolder}) {
        const QDir dir(folder);
        const QStringList pending =
            dir.entryList({QStringLiteral(".*") + pendingSuffix}, QDir::Files | QDir::Hidden);
        for (const QString& name : pending) {
            const QString finalName = name.mid(1, name.size() - 1 - pendingSuffix.size());
            const QString finalPath = QFileInfo(dir.filePath(finalName)).absoluteFilePath();
            if (!finalName.isEmpty() && named.contains(finalPath) && !taken(finalPath) &&
                FileCopy::renameWithoutReplacing(dir.filePath(name), finalPath)) {
                Console::line(QStringLiteral("Finished an interrupted import: ") + finalPath);
                continue;
            }
            QFile::remove(dir.filePath(name));
        }
    }
}

QString LocalLibraryModel::titleName(const QString& fileName, const QString& extension) {
    if (extension.isEmpty())
        return fileName;
    const qsizetype at = fileName.indexOf(extension);
    if (at < 0)
        return fileName;
    QString title = fileName;
    title.remove(at, extension.size());
    title.chop(1);
    return title;
}

QString LocalLibraryModel::ratioText(qint64 width, qint64 height) {
    qint64 a = width;
    qint64 b = height;
    while (b != 0) {
        const qint64 rest = a % b;
        a = b;
        b = rest;
    }
    if (a == 0)
        return QStringLiteral("0:0");
    return QStringLiteral("%1:%2").arg(width / a).arg(height / a);
}

void LocalLibraryModel::importVideo(const QUrl& source, bool lookUpOnServer, Completion completion) {
    const ImportPointer job = makeImport();
    job->database = &m_database;
    job->detailLookup = m_detailLookup;
    job->detailTimeout = m_detailTimeout;
    job->thumbnailFolder = m_thumbnailFolder;
    job->registry = m_registry;
    job->lookUpOnServer = lookUpOnServer && m_detailLookup;
    job->completion = std::move(completion);
    job->sourcePath =
        source.isLocalFile() ? source.toLocalFile() : (source.scheme().isEmpty() ? source.path() : QString());
    {
        std::lock_guard lock(m_registry->mutex);
        std::erase_if(m_registry->running, [](const std::weak_ptr<Import>& weak) { return weak.expired(); });
        m_registry->running.push_back(job);
    }

    const QStringList components = job->sourcePath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (components.isEmpty()) {
        // Nothing to import, but the caller still hears of it once, as of any other failure.
        job->importQueue.async([job] { job->report(ImportVideoStatus::failure); });
        return;
    }
    const QString fileName = components.last();
    const QString extension = QFileInfo(fileName).suffix();
    job->title = titleName(fileName, extension);
    // Claimed now, in call order, so that of two files with one name the first keeps it.
    if (!QDir(m_libraryFolder).exists())
        QDir().mkpath(m_libraryFolder);
    job->destination = claimPending(m_libraryFolder, fileName, extension, &job->claimError);
    job->importQueue.async([job] { lookUp(job); });
}
