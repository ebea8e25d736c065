#include "ImageLoader.h"

#include "AppInfo.h"
#include "ImageDiskCache.h"
#include "MainThread.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QSemaphore>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>

Q_LOGGING_CATEGORY(lcImages, "zerafin.images", QtInfoMsg)

namespace {
// Pictures larger than this a side are decoded scaled down: no list or pane shows one that big.
constexpr int largestSide = 4096;
// Megabytes of pixels being decoded at once, over all loaders: a few large pictures decode one
// after the other instead of all together.
constexpr int decodingBudgetMB = 256;

QSemaphore& decodingBudget() {
    static QSemaphore budget(decodingBudgetMB);
    return budget;
}

bool isWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

// Whether `path`, once every link in it is followed, is a file directly inside one of `folders`.
bool isInOneOf(const QString& path, const QStringList& folders) {
    const QString resolved = QFileInfo(path).canonicalFilePath();
    if (resolved.isEmpty())
        return false;
    const QString parent = QFileInfo(resolved).absolutePath();
    for (const QString& folder : folders) {
        const QString own = QFileInfo(folder).canonicalFilePath();
        if (!own.isEmpty() && own == parent)
            return true;
    }
    return false;
}
} // namespace

ImageLoader::ImageLoader(Options options, QObject* parent)
    : QObject(parent), m_network(options.network), m_ownFolders(options.ownFolders),
      m_transferTimeout(options.transferTimeout), m_transferDeadline(options.transferDeadline) {
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    if (!options.diskCacheDirectory.isEmpty()) {
        QDir().mkpath(options.diskCacheDirectory);
        m_diskCache = std::make_shared<ImageDiskCache>(options.diskCacheDirectory, options.diskCacheLimit);
        // A cache left over the bound (by an older version, or a smaller bound) shrinks at once.
        QThreadPool::globalInstance()->start([cache = m_diskCache] { cache->trim(); });
    }
    setMemoryCostLimit(options.memoryCostLimit);
}

ImageLoader::~ImageLoader() = default;

ImageLoader& ImageLoader::shared() {
    static ImageLoader* loader = [] {
        ImageLoader* made = nullptr;
        MainThread::runAndWait([&made] {
            Options options;
            options.diskCacheDirectory =
                QDir(AppInfo::cachesDirectory()).filePath(QStringLiteral("ImageCache"));
            // Where the importer writes its thumbnails.
            options.ownFolders = {AppInfo::applicationSupportDirectory()};
            made = new ImageLoader(options);
        });
        return made;
    }();
    return *loader;
}

void ImageLoader::setMemoryCostLimit(qint64 cost) {
    m_memoryCache.setMaxCost(qMax<qint64>(0, cost));
}

qint64 ImageLoader::memoryCostLimit() const {
    return m_memoryCache.maxCost();
}

int ImageLoader::memoryCacheCount() const {
    return int(m_memoryCache.count());
}

void ImageLoader::clearMemoryCache() {
    m_memoryCache.clear();
}

QString ImageLoader::diskCachePath(const QUrl& url) const {
    return m_diskCache ? m_diskCache->pathFor(url) : QString();
}

QImage ImageLoader::aspectFill(const QImage& image, const QSize& size) {
    if (image.isNull() || size.isEmpty())
        return image;
    return image.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
}

QImage ImageLoader::decode(const QByteArray& data) {
    if (data.isEmpty())
        return QImage();
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The reader counts four bytes a pixel whatever the format: room for the largest picture
    // allowed. Formats whose size is only known once decoded are held to it as well.
    reader.setAllocationLimit(int(maximumPicturePixels * 4 / (1024 * 1024)) + 1);
    const QSize size = reader.size();
    const qint64 pixels = size.isValid() ? qint64(size.width()) * size.height() : 0;
    if (pixels > maximumPicturePixels) {
        qCWarning(lcImages) << "picture refused: it declares" << size.width() << "x" << size.height()
                            << "pixels, more than" << maximumPicturePixels;
        return QImage();
    }
    if (size.width() > largestSide || size.height() > largestSide)
        reader.setScaledSize(size.scaled(largestSide, largestSide, Qt::KeepAspectRatio));
    const int cost = int(std::clamp<qint64>(pixels * 4 / (1024 * 1024), 1, decodingBudgetMB));
    decodingBudget().acquire(cost);
    QImage image = reader.read();
    decodingBudget().release(cost);
    return image;
}

std::shared_ptr<ImageLoadTask> ImageLoader::loadImage(const QUrl& url, Completion completion,
                                                      Sources sources) {
    auto task = std::make_shared<ImageLoadTask>(url);
    const QString key = url.toString(QUrl::FullyEncoded);

    if (url.isLocalFile()) {
        if (sources != Sources::webAndOwnFiles || m_ownFolders.isEmpty()) {
            qCWarning(lcImages) << "picture refused: a file address where only web addresses are read:"
                                << url;
            finishLater(task, completion);
            return task;
        }
        if (fromMemory(task, completion, key))
            return task;
        decodeInBackground(task, std::move(completion), {}, url.toLocalFile(), true, false);
        return task;
    }
    if (!isWebAddress(url)) {
        qCWarning(lcImages) << "picture refused: not an http or https address:" << url;
        finishLater(task, completion);
        return task;
    }

    if (fromMemory(task, completion, key))
        return task;
    const QString cachePath = diskCachePath(url);
    if (!cachePath.isEmpty() && QFileInfo::exists(cachePath)) {
        decodeInBackground(task, std::move(completion), {}, cachePath, false, false);
        return task;
    }
    fetch(task, std::move(completion));
    return task;
}

bool ImageLoader::fromMemory(const std::shared_ptr<ImageLoadTask>& task, const Completion& completion,
                             const QString& key) {
    QImage* cached = m_memoryCache.object(key);
    if (!cached)
        return false;
    MainThread::post([this, guard = QPointer<ImageLoader>(this), task, completion, image = *cached] {
        if (guard)
            finishOnMain(task, completion, image, false);
    });
    return true;
}

void ImageLoader::finishLater(const std::shared_ptr<ImageLoadTask>& task, const Completion& completion) {
    MainThread::post([this, guard = QPointer<ImageLoader>(this), task, completion] {
        if (guard)
            finishOnMain(task, completion, QImage(), false);
    });
}

void ImageLoader::fetch(const std::shared_ptr<ImageLoadTask>& task, Completion completion) {
    QNetworkRequest request(task->url());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(int(m_transferTimeout.count()));
    QNetworkReply* reply = m_network->get(request);
    task->m_reply = reply;

    // The body is taken as it comes, so that what Qt holds stays small and the bound is checked
    // on every piece; a reply announcing or passing the bound is aborted there and then.
    auto body = std::make_shared<QByteArray>();
    auto refusal = std::make_shared<QString>();
    auto refuse = [reply, refusal](const QString& why) {
        if (!refusal->isEmpty())
            return;
        *refusal = why;
        reply->abort();
    };
    connect(reply, &QNetworkReply::metaDataChanged, this, [reply, refuse] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > maximumPictureBytes)
            refuse(QStringLiteral("it announces %1 bytes").arg(length.toLongLong()));
    });
    connect(reply, &QNetworkReply::readyRead, this, [reply, body, refuse] {
        body->append(reply->read(maximumPictureBytes + 1 - body->size()));
        if (body->size() > maximumPictureBytes)
            refuse(QStringLiteral("it passed %1 bytes").arg(maximumPictureBytes));
    });
    QTimer::singleShot(m_transferDeadline, reply, [reply, refuse, deadline = m_transferDeadline] {
        if (reply->isRunning())
            refuse(QStringLiteral("it took longer than %1 ms").arg(deadline.count()));
    });
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, task, body, refusal, completion = std::move(completion)] {
                reply->deleteLater();
                if (task->isCancelled())
                    return;
                if (!refusal->isEmpty()) {
                    qCWarning(lcImages) << "picture refused:" << task->url() << *refusal;
                    finishOnMain(task, completion, QImage(), false);
                    return;
                }
                const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                if (reply->error() != QNetworkReply::NoError || status < 200 || status >= 300) {
                    qCDebug(lcImages) << "picture not fetched:" << task->url() << reply->errorString();
                    finishOnMain(task, completion, QImage(), false);
                    return;
                }
                body->append(reply->read(maximumPictureBytes + 1 - body->size()));
                if (body->size() > maximumPictureBytes) {
                    qCWarning(lcImages)
                        << "picture refused:" << task->url() << "it passed" << maximumPictureBytes << "bytes";
                    finishOnMain(task, completion, QImage(), false);
                    return;
                }
                decodeInBackground(task, completion, std::move(*body), {}, false, true);
            });
}

void ImageLoader::decodeInBackground(const std::shared_ptr<ImageLoadTask>& task, Completion completion,
                                     QByteArray data, QString readPath, bool checkOwnFolder,
                                     bool keepOnDisk) {
    QPointer<ImageLoader> guard(this);
    QThreadPool::globalInstance()->start([this, guard, task, completion = std::move(completion),
                                          data = std::move(data), readPath, checkOwnFolder,
                                          cache = keepOnDisk ? m_diskCache : nullptr,
                                          ownFolders = m_ownFolders]() mutable {
        if (task->isCancelled())
            return;
        if (!readPath.isEmpty()) {
            std::optional<QByteArray> read;
            if (checkOwnFolder && !isInOneOf(readPath, ownFolders))
                qCWarning(lcImages) << "picture refused: a file outside the program's own folders:"
                                    << readPath;
            else
                read = ImageDiskCache::readRegularFile(readPath, maximumPictureBytes);
            if (!read)
                qCDebug(lcImages) << "picture file not read (missing, too large or not a regular file):"
                                  << readPath;
            data = read.value_or(QByteArray());
        }
        QImage image = decode(data);
        // Only bytes that make a picture are kept, so a broken answer is fetched again next time.
        if (!image.isNull() && cache)
            cache->store(cache->pathFor(task->url()), data);
        MainThread::post([this, guard, task, completion = std::move(completion), image = std::move(image)] {
            if (guard)
                finishOnMain(task, completion, image, true);
        });
    });
}

void ImageLoader::finishOnMain(const std::shared_ptr<ImageLoadTask>& task, const Completion& completion,
                               const QImage& image, bool keep) {
    task->m_reply = nullptr;
    if (task->isCancelled())
        return;
    if (keep && !image.isNull()) {
        const qint64 cost = qMax<qint64>(1, image.sizeInBytes());
        if (cost <= m_memoryCache.maxCost())
            m_memoryCache.insert(task->url().toString(QUrl::FullyEncoded), new QImage(image), cost);
    }
    if (completion)
        completion(image);
}
