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
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <cmath>

namespace {
constexpr int randomNameLength = 10;
// Random names are drawn again on a clash; this many clashes in a row mean the folder is unusable.
constexpr int claimAttempts = 64;

// One import: what it was given, what it found out, and its three serial queues. It lives as long
// as any of its blocks or the server's pending answer holds it.
struct Import {
    LocalVideoDBManager* database = nullptr;
    LocalLibraryModel::DetailLookup detailLookup;
    std::chrono::milliseconds detailTimeout{};
    QString thumbnailFolder;

    QString sourcePath;
    QString title;
    QString destination; // claimed; empty when no name could be claimed
    QString claimError;
    bool lookUpOnServer = true;
    LocalLibraryModel::Completion completion;

    QString sign;
    QString thumbnail; // the thumbnail written for this import, if any
    QSemaphore copyDone;
    std::atomic<bool> copyFailed{false};
    std::atomic<bool> serverAnswered{false};
    std::atomic<bool> reported{false};

    DispatchQueue importQueue{QStringLiteral("importVideo")};
    DispatchQueue copyQueue{QStringLiteral("copy")};
    DispatchQueue recordQueue{QStringLiteral("getVideoDetail")};

    void report(ImportVideoStatus status) {
        if (reported.exchange(true))
            return;
        if (completion)
            completion(sign, status);
    }
    void removeCopy() {
        if (!destination.isEmpty())
            QFile::remove(destination);
    }
    void removeThumbnail() {
        if (!thumbnail.isEmpty())
            QFile::remove(thumbnail);
        thumbnail.clear();
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

void storeRecord(const ImportPointer& job, const VideoDetail& record) {
    job->database->insert(record);
    // The row is this import's only when it names this import's copy: another import of the same
    // file may have stored its own meanwhile, and then this copy and thumbnail belong to nothing.
    const std::optional<VideoDetail> stored = job->database->selectBySign(job->sign);
    if (stored && stored->url == record.url) {
        job->report(ImportVideoStatus::complete);
        return;
    }
    job->removeCopy();
    job->removeThumbnail();
    job->report(stored ? ImportVideoStatus::isExist : ImportVideoStatus::failure);
}

// The record built from the file itself.
void makeVideoRecord(const ImportPointer& job) {
    MediaProbe probe(job->sourcePath);
    const double duration = probe.duration();
    if (!(duration > 0)) {
        job->report(ImportVideoStatus::failure);
        return;
    }

    // The frame in the middle, at a whole second.
    QString imgurl;
    QString thumbnailPath;
    QString error;
    for (int attempt = 0; attempt < claimAttempts && thumbnailPath.isEmpty(); ++attempt) {
        const QString candidate =
            QDir(job->thumbnailFolder)
                .filePath(StringRandom::random(randomNameLength) + QStringLiteral(".png"));
        bool exists = false;
        if (FileCopy::createExclusive(candidate, &error, &exists))
            thumbnailPath = candidate;
        else if (!exists)
            break;
    }
    if (!thumbnailPath.isEmpty() && probe.writeThumbnail(std::floor(duration * 0.5), thumbnailPath, &error)) {
        job->thumbnail = thumbnailPath;
        imgurl = LocalVideoPath::fileUrlText(thumbnailPath);
    } else {
        if (!thumbnailPath.isEmpty())
            QFile::remove(thumbnailPath);
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

// The server's answer (on the main thread, or from the time-out): its record when it is the
// record of this very file, else the record built from the file. Either is finished off the main
// thread, since both wait for the copy.
void saveVideoRecord(const ImportPointer& job, std::optional<VideoDetail> record) {
    if (job->serverAnswered.exchange(true))
        return;
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
    const bool copied =
        !job->destination.isEmpty() && FileCopy::copy(job->sourcePath, job->destination, &error);
    if (!copied) {
        Console::line(QStringLiteral("copy error ") + error);
        job->removeCopy();
        job->copyFailed = true;
    }
    job->copyDone.release();
}

void lookUp(const ImportPointer& job) {
    const std::optional<QString> sign = FileSign::fileSign(job->sourcePath);
    if (!sign) {
        job->removeCopy();
        job->report(ImportVideoStatus::failure);
        return;
    }
    job->sign = *sign;
    if (job->database->selectBySign(job->sign)) {
        job->removeCopy();
        job->report(ImportVideoStatus::isExist);
        return;
    }
    if (job->lookUpOnServer)
        MainThread::post([job] { askServer(job); });
    else
        job->recordQueue.async([job] { makeVideoRecord(job); });
    job->copyQueue.async([job] { copyVideo(job); });
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
      m_libraryFolder(libraryFolder), m_thumbnailFolder(thumbnailFolder), m_detailTimeout(detailTimeout) {}

LocalLibraryModel::~LocalLibraryModel() = default;

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

QString LocalLibraryModel::claimDestination(const QString& fileName, const QString& extension,
                                            QString* error) const {
    const QDir folder(m_libraryFolder);
    if (!folder.exists())
        QDir().mkpath(m_libraryFolder);
    bool exists = false;
    const QString preferred = folder.filePath(fileName);
    if (FileCopy::createExclusive(preferred, error, &exists))
        return preferred;
    for (int attempt = 0; exists && attempt < claimAttempts; ++attempt) {
        QString name = StringRandom::random(randomNameLength);
        if (!extension.isEmpty())
            name += QLatin1Char('.') + extension;
        const QString candidate = folder.filePath(name);
        if (FileCopy::createExclusive(candidate, error, &exists))
            return candidate;
    }
    return {};
}

void LocalLibraryModel::importVideo(const QUrl& source, bool lookUpOnServer, Completion completion) {
    const ImportPointer job = makeImport();
    job->database = &m_database;
    job->detailLookup = m_detailLookup;
    job->detailTimeout = m_detailTimeout;
    job->thumbnailFolder = m_thumbnailFolder;
    job->lookUpOnServer = lookUpOnServer && m_detailLookup;
    job->completion = std::move(completion);
    job->sourcePath =
        source.isLocalFile() ? source.toLocalFile() : (source.scheme().isEmpty() ? source.path() : QString());

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
    job->destination = claimDestination(fileName, extension, &job->claimError);
    job->importQueue.async([job] { lookUp(job); });
}
