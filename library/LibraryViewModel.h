#pragma once

#include "CollectionView.h"
#include "Disposable.h"
#include "ImageLoadTask.h"
#include "VideoDetail.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ImageLoader;
class ListContainerView;
class NotificationCenter;
struct Notification;

// The common base of the library window's three lists (online, local, downloads): the data source
// and delegate of the one collection view while bound to it. It holds the videos shown, answers
// for a grid of VideoItemCell, reports the selected video, loads thumbnails (kept scaled per sign)
// and refreshes a cell, or the whole list, when the download manager announces a change.
// Main thread only. Work "queued on the main queue" is posted to this object, so it runs in the
// order it was queued and is dropped when the model goes first.
class LibraryViewModel : public QObject, public CollectionViewDataSource, public CollectionViewDelegate {
    Q_OBJECT

public:
    static constexpr const char* reloadCollectionViewNotification = "reloadCollectionView.Notification";
    static constexpr const char* updateVideoAmountNotification = "updateVideoAmount";
    static constexpr const char* videoItemCellIdentifier = "VideoItemCell";
    // The scaled thumbnails kept: one entry goes when an insertion reaches this many.
    static constexpr int imageCacheLimit = 501;

    explicit LibraryViewModel(ImageLoader& imageLoader, NotificationCenter& notifications,
                              QObject* parent = nullptr);
    ~LibraryViewModel() override;

    // Reports the video the list now shows as selected (none: no video).
    std::function<void(const std::optional<VideoDetail>&)> videoDetailDidChanged;

    CollectionView* collectionView() const { return m_collectionView; }
    qint64 totalVideoCount() const { return m_totalVideoCount; }
    void setTotalVideoCount(qint64 count) { m_totalVideoCount = count; }
    virtual const std::optional<std::vector<VideoDetail>>& videoList() const { return m_videoList; }
    void setVideoList(std::optional<std::vector<VideoDetail>> list) { m_videoList = std::move(list); }
    // The video of item `item`, none beyond the list.
    std::optional<VideoDetail> videoAt(int item) const;
    const QHash<QString, QImage>& imageCache() const { return m_imageCache; }
    const QHash<QString, std::shared_ptr<ImageLoadTask>>& downloadTaskCache() const {
        return m_downloadTaskCache;
    }

    // Loads the list; nothing in the base.
    virtual void loadData() {}
    // Re-reads (the local list) and redisplays, reporting the selection the collection view keeps.
    void reloadData();
    // Redisplays after a new list was stored: reload, select item 0 and report it (or report none),
    // then post "updateVideoAmount". Queued on the main queue.
    void reloadOnMainQueue();
    // Makes this model the collection view's data source and delegate, after detaching whichever
    // model was bound, and observes the download manager's changes while bound.
    void bind(CollectionView* collectionView);
    // Detaches the collection view's current delegate model, if any.
    static void unbind(CollectionView* collectionView);
    // Cancels every thumbnail load in flight (the scaled thumbnails stay).
    void cancelImageDownloads();
    // Takes the state picture away from behind the grid.
    void clearEmptyImage();
    // The observer of "reloadCollectionView.Notification".
    void downloadVideoCompleteWithNotifi(const Notification& notification);

    // The container behind the grid, when the collection view sits in one.
    ListContainerView* container() const;
    // The sign a video cell was last configured for (a dynamic property of the cell).
    static QString signOfCell(const QWidget* cell);

    // ---- data source
    int numberOfSections(CollectionView*) override { return 1; }
    int numberOfItemsInSection(CollectionView*, int section) override;
    CollectionViewCell* cellForItemAt(CollectionView* collectionView, const IndexPath& indexPath) override;

    // ---- delegate
    void didEndDisplayingCell(CollectionView*, CollectionViewCell*, const IndexPath& indexPath) override;
    void didSelectItemsAt(CollectionView*, const QSet<IndexPath>& indexPaths) override;
    void didDeselectItemsAt(CollectionView* collectionView, const QSet<IndexPath>& indexPaths) override;

protected:
    // The local list re-reads its table here before either reload path redisplays.
    virtual void rereadBeforeReload() {}
    // Called when the model stops being the bound one (the online list takes its state view away).
    virtual void didUnbind() {}
    // Whether thumbnails may be the importer's files; rows straight from the server name web
    // pictures only.
    virtual bool readsOwnPictureFiles() const { return false; }
    // Runs `work` at the main queue's next turn, after everything queued before it.
    void queueOnMain(std::function<void()> work);
    void report(const std::optional<VideoDetail>& video);
    ImageLoader& imageLoader() const { return m_imageLoader; }
    NotificationCenter& notifications() const { return m_notifications; }
    // Keeps a scaled thumbnail; at 501 entries one goes, the first in the table's own order.
    void insertIntoImageCache(const QString& sign, const QImage& image);

private:
    void thumbnailArrived(const QPointer<CollectionViewCell>& cell, const VideoDetail& video,
                          const std::shared_ptr<ImageLoadTask>& task, const QImage& image);

    ImageLoader& m_imageLoader;
    NotificationCenter& m_notifications;
    QPointer<CollectionView> m_collectionView;
    qint64 m_totalVideoCount = 0;
    std::optional<std::vector<VideoDetail>> m_videoList;
    QHash<QString, QImage> m_imageCache;
    QHash<QString, std::shared_ptr<ImageLoadTask>> m_downloadTaskCache;
    std::optional<Disposable> m_reloadObservation;
};
