#include "ImageLoader.h"

#include "AppInfo.h"
#include "MainThread.h"
#include "WebModel.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QSaveFile>
#include <QThreadPool>

Q_LOGGING_CATEGORY(lcImages, "zerafin.images", QtInfoMsg)

namespace {
bool isWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           !url.host().isEmpty();
}

QImage decode(const QByteArray& data) {
    QImage image;
    if (!data.isEmpty())
        image.loadFromData(data);
    return image;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
} // namespace

ImageLoader::ImageLoader(Options options, QObject* parent)
    : QObject(parent), m_network(options.network), m_diskCacheDirectory(options.diskCacheDirectory) {
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    if (!m_diskCacheDirectory.isEmpty())
        QDir().mkpath(m_diskCacheDirectory);
    setMemoryCostLimit(options.memoryCostLimit);
}

ImageLoader::~ImageLoader() = default;

ImageLoader& ImageLoader::shared() {
    static ImageLoader* loader = [] {
        ImageLoader* made = nullptr;
        MainThread::runAndWait([&made] {
            Options options;
            options.network = WebModel::shared().networkManager();
            options.diskCacheDirectory =
                QDir(AppInfo::cachesDirectory()).filePath(QStringLiteral("ImageCache"));
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
    if (m_diskCacheDirectory.isEmpty())
        return {};
    const QByteArray key = QCryptographicHash::hash(url.toEncoded(), QCryptographicHash::Md5).toHex();
    return QDir(m_diskCacheDirectory).filePath(QString::fromLatin1(key));
}

QImage ImageLoader::aspectFill(const QImage& image, const QSize& size) {
    if (image.isNull() || size.isEmpty())
        return image;
    return image.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
}

std::shared_ptr<ImageLoadTask> ImageLoader::loadImage(const QUrl& url, Completion completion) {
    auto task = std::make_shared<ImageLoadTask>(url);
    const QString key = url.toString(QUrl::FullyEncoded);

    if (QImage* cached = m_memoryCache.object(key)) {
        const QImage image = *cached;
        MainThread::post([this, guard = QPointer<ImageLoader>(this), task, completion, image] {
            if (guard)
                finishOnMain(task, completion, image, false);
        });
        return task;
    }

    if (url.isLocalFile()) {
        decodeInBackground(task, std::move(completion), {}, url.toLocalFile(), {});
        return task;
    }
    if (!isWebAddress(url)) {
        qCDebug(lcImages) << "no picture for an address that is neither a file nor http(s):" << url;
        MainThread::post([this, guard = QPointer<ImageLoader>(this), task, completion] {
            if (guard)
                finishOnMain(task, completion, QImage(), false);
        });
        return task;
    }

    const QString cachePath = diskCachePath(url);
    if (!cachePath.isEmpty() && QFile::exists(cachePath)) {
        decodeInBackground(task, std::move(completion), {}, cachePath, {});
        return task;
    }
    fetch(task, std::move(completion));
    return task;
}

void ImageLoader::fetch(const std::shared_ptr<ImageLoadTask>& task, Completion completion) {
    QNetworkRequest request(task->url());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = m_network->get(request);
    task->m_reply = reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply, task, completion = std::move(completion)] {
        reply->deleteLater();
        if (task->isCancelled())
            return;
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() != QNetworkReply::NoError || status < 200 || status >= 300) {
            qCDebug(lcImages) << "picture not fetched:" << task->url() << reply->errorString();
            finishOnMain(task, completion, QImage(), false);
            return;
        }
        decodeInBackground(task, completion, reply->readAll(), {}, diskCachePath(task->url()));
    });
}

void ImageLoader::decodeInBackground(const std::shared_ptr<ImageLoadTask>& task, Completion completion,
                                     QByteArray data, QString readPath, QString writePath) {
    QPointer<ImageLoader> guard(this);
    QThreadPool::globalInstance()->start([this, guard, task, completion = std::move(completion),
                                          data = std::move(data), readPath, writePath]() mutable {
        if (task->isCancelled())
            return;
        if (!readPath.isEmpty())
            data = readAll(readPath);
        QImage image = decode(data);
        // Only bytes that make a picture are kept, so a broken answer is fetched again next time.
        if (!image.isNull() && !writePath.isEmpty()) {
            QSaveFile file(writePath);
            if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit())
                qCDebug(lcImages) << "picture not kept on disk:" << writePath << file.errorString();
        }
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
