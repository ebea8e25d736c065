#pragma once

#include "ImageLoadTask.h"

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QNetworkAccessManager;

// Fetches the pictures the lists show: http and https addresses through the program's network
// manager, `file:` addresses straight from the disk (imported videos' thumbnails are files).
// Downloaded bytes are kept in a disk cache folder and served from there next time; decoded
// pictures are kept in a memory cache bounded by a cost in bytes. Reading, decoding and writing
// the cache happen on worker threads; every call and every completion is on the main thread.
class ImageLoader : public QObject {
    Q_OBJECT

public:
    // The picture, or a null image when there is none (a failed transfer, an unreadable file, an
    // address of another kind). Never called for a cancelled task.
    using Completion = std::function<void(const QImage& image)>;

    struct Options {
        QNetworkAccessManager* network = nullptr; // null: a manager of the loader's own
        QString diskCacheDirectory;               // empty: no disk cache
        qint64 memoryCostLimit = 64 * 1024 * 1024;
    };

    explicit ImageLoader(Options options, QObject* parent = nullptr);
    ~ImageLoader() override;
    // The program's loader: the server client's network manager, "ImageCache" in the caches folder.
    static ImageLoader& shared();

    // Starts one fetch and returns its task at once; the completion runs later, at most once.
    std::shared_ptr<ImageLoadTask> loadImage(const QUrl& url, Completion completion);

    // The memory cache's bound, in bytes of decoded pixels; a picture costlier than the bound is
    // not kept (so 1 keeps nothing).
    void setMemoryCostLimit(qint64 cost);
    qint64 memoryCostLimit() const;
    int memoryCacheCount() const;
    void clearMemoryCache();
    // Where the bytes of `url` are kept on disk (empty without a disk cache).
    QString diskCachePath(const QUrl& url) const;

    // `image` scaled, keeping its proportions, to the smallest size that covers `size` (nothing
    // is cut off). A null image or an empty size gives the image unchanged.
    static QImage aspectFill(const QImage& image, const QSize& size);

private:
    void finishOnMain(const std::shared_ptr<ImageLoadTask>& task, const Completion& completion,
                      const QImage& image, bool keep);
    void decodeInBackground(const std::shared_ptr<ImageLoadTask>& task, Completion completion,
                            QByteArray data, QString readPath, QString writePath);
    void fetch(const std::shared_ptr<ImageLoadTask>& task, Completion completion);

    QNetworkAccessManager* m_network;
    QString m_diskCacheDirectory;
    QCache<QString, QImage> m_memoryCache;
};
