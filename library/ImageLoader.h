#pragma once

#include "ImageLoadTask.h"

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>

class ImageDiskCache;
class QNetworkAccessManager;

// Fetches the pictures the lists show: http and https addresses through a network manager of its
// own (so pictures never take the connections of the catalogue's requests), `file:` addresses
// from the disk, but only regular files lying directly in the program's own folders (imported
// videos' thumbnails are files there). Every address is server data, so every picture is bounded:
// a reply over maximumPictureBytes is aborted as soon as it announces or passes that size, a
// transfer ends after its time-outs, and a picture declaring more than maximumPicturePixels is
// not decoded. Downloaded bytes are kept in a disk cache folder of bounded size and served from
// there next time; decoded pictures are kept in a memory cache bounded by a cost in bytes.
// Reading, decoding and writing the cache happen on worker threads; every call and every
// completion is on the main thread.
class ImageLoader : public QObject {
    Q_OBJECT

public:
    // The picture, or a null image when there is none (a failed transfer, an unreadable file, an
    // address of another kind). Never called for a cancelled task.
    using Completion = std::function<void(const QImage& image)>;

    static constexpr qint64 maximumPictureBytes = 24 * 1024 * 1024;
    static constexpr qint64 maximumPicturePixels = 50'000'000;
    static constexpr qint64 defaultDiskCacheLimit = 256 * 1024 * 1024;

    // Which addresses a load may read: server rows only ever name web pictures, while the local
    // library's rows (and a detail shown from them) may name the importer's thumbnail files.
    enum class Sources { web, webAndOwnFiles };

    struct Options {
        QNetworkAccessManager* network = nullptr; // null: a manager of the loader's own
        QString diskCacheDirectory;               // empty: no disk cache
        qint64 memoryCostLimit = 64 * 1024 * 1024;
        // Folders whose files `file:` addresses may name (the disk cache folder is not one).
        QStringList ownFolders;
        qint64 diskCacheLimit = defaultDiskCacheLimit;
        // A transfer fails after this long without a byte, and after the deadline in any case.
        std::chrono::milliseconds transferTimeout{10000};
        std::chrono::milliseconds transferDeadline{30000};
    };

    explicit ImageLoader(Options options, QObject* parent = nullptr);
    ~ImageLoader() override;
    // The program's loader: a network manager of its own, "ImageCache" in the caches folder, and
    // the importer's thumbnail folder (application support) as its own folder.
    static ImageLoader& shared();

    // Starts one fetch and returns its task at once; the completion runs later, at most once.
    std::shared_ptr<ImageLoadTask> loadImage(const QUrl& url, Completion completion,
                                             Sources sources = Sources::webAndOwnFiles);

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

    // A picture from its bytes: null when they make none, or when it declares more pixels than
    // maximumPicturePixels. Very large pictures come out scaled down to fit 4096 pixels a side.
    static QImage decode(const QByteArray& data);

private:
    void finishOnMain(const std::shared_ptr<ImageLoadTask>& task, const Completion& completion,
                      const QImage& image, bool keep);
    // Completes with the picture kept in memory under `key`, if there is one.
    bool fromMemory(const std::shared_ptr<ImageLoadTask>& task, const Completion& completion,
                    const QString& key);
    // Completes with no picture.
    void finishLater(const std::shared_ptr<ImageLoadTask>& task, const Completion& completion);
    void decodeInBackground(const std::shared_ptr<ImageLoadTask>& task, Completion completion,
                            QByteArray data, QString readPath, bool checkOwnFolder, bool keepOnDisk);
    void fetch(const std::shared_ptr<ImageLoadTask>& task, Completion completion);

    QNetworkAccessManager* m_network;
    std::shared_ptr<ImageDiskCache> m_diskCache; // null: none
    QStringList m_ownFolders;
    std::chrono::milliseconds m_transferTimeout;
    std::chrono::milliseconds m_transferDeadline;
    QCache<QString, QImage> m_memoryCache;
};
