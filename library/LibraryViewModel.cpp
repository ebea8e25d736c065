#include "LibraryViewModel.h"

#include "AppImage.h"
#include "ImageLoader.h"
#include "ListContainerView.h"
#include "LooseUrl.h"
#include "NotificationCenter.h"
#include "VideoItemCell.h"
#include "VideoItemImageView.h"

#include <QLabel>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcLists, "zerafin.lists", QtInfoMsg)

namespace {
constexpr const char* signProperty = "zerafinVideoSign";
}

LibraryViewModel::LibraryViewModel(ImageLoader& imageLoader, NotificationCenter& notifications,
                                   QObject* parent)
    : QObject(parent), m_imageLoader(imageLoader), m_notifications(notifications) {}

LibraryViewModel::~LibraryViewModel() {
    cancelImageDownloads();
    if (m_collectionView && m_collectionView->delegate() == this) {
        m_collectionView->setDelegate(nullptr);
        m_collectionView->setDataSource(nullptr);
    }
}

void LibraryViewModel::queueOnMain(std::function<void()> work) {
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

void LibraryViewModel::report(const std::optional<VideoDetail>& video) {
    if (videoDetailDidChanged)
        videoDetailDidChanged(video);
}

std::optional<VideoDetail> LibraryViewModel::videoAt(int item) const {
    const auto& list = videoList();
    if (!list || item < 0 || item >= int(list->size()))
        return std::nullopt;
    return list->at(size_t(item));
}

ListContainerView* LibraryViewModel::container() const {
    return m_collectionView ? qobject_cast<ListContainerView*>(m_collectionView->parentWidget()) : nullptr;
}

QString LibraryViewModel::signOfCell(const QWidget* cell) {
    return cell ? cell->property(signProperty).toString() : QString();
}

// ---- reloading

void LibraryViewModel::reloadOnMainQueue() {
    queueOnMain([this] {
        if (m_collectionView)
            m_collectionView->reloadData();
        if (m_collectionView) {
            const auto& list = videoList();
            if (list && !list->empty())
                // Reported to the delegate by the collection view, which notifies programmatic selections.
                m_collectionView->selectItem(IndexPath::zero(), true, 0);
            else
                report(std::nullopt);
        }
        m_notifications.post(QString::fromLatin1(updateVideoAmountNotification));
    });
}

void LibraryViewModel::reloadData() {
    rereadBeforeReload();
    queueOnMain([this] {
        if (m_collectionView)
            m_collectionView->reloadData();
        const auto& list = videoList();
        if (!list || list->empty()) {
            report(std::nullopt);
            return;
        }
        if (!m_collectionView)
            return;
        const QSet<IndexPath> selected = m_collectionView->indexPathsForSelectedItems();
        if (selected.isEmpty())
            return;
        if (const auto video = videoAt(selected.begin()->item))
            report(video);
    });
}

// ---- binding

void LibraryViewModel::bind(CollectionView* collectionView) {
    if (!collectionView)
        return;
    unbind(collectionView);
    m_collectionView = collectionView;
    m_reloadObservation.emplace(m_notifications.addObserver(
        QString::fromLatin1(reloadCollectionViewNotification),
        [this](const Notification& notification) { downloadVideoCompleteWithNotifi(notification); }));
    collectionView->setDelegate(this);
    collectionView->setDataSource(this);
}

void LibraryViewModel::unbind(CollectionView* collectionView) {
    if (!collectionView)
        return;
    auto* model = dynamic_cast<LibraryViewModel*>(collectionView->delegate());
    if (!model)
        return;
    model->m_collectionView = nullptr;
    model->didUnbind();
    model->m_reloadObservation.reset();
}

void LibraryViewModel::cancelImageDownloads() {
    for (const auto& task : std::as_const(m_downloadTaskCache))
        task->cancel();
    m_downloadTaskCache.clear();
}

void LibraryViewModel::clearEmptyImage() {
    if (ListContainerView* view = container())
        view->setImage(QImage());
}

void LibraryViewModel::downloadVideoCompleteWithNotifi(const Notification& notification) {
    const QVariant sign = notification.userInfo.value(QStringLiteral("sign"));
    const auto& list = videoList();
    if (sign.metaType() == QMetaType::fromType<QString>() && list && !list->empty() && m_collectionView) {
        const QString wanted = sign.toString();
        for (size_t i = 0; i < list->size(); ++i) {
            if (list->at(i).sign != wanted)
                continue;
            // Only a cell on screen has anything to refresh.
            const IndexPath indexPath(int(i), 0);
            if (m_collectionView->cellForItem(indexPath))
                cellForItemAt(m_collectionView, indexPath);
            return;
        }
        return;
    }
    reloadData();
}

// ---- data source

int LibraryViewModel::numberOfItemsInSection(CollectionView*, int) {
    const auto& list = videoList();
    return list ? int(list->size()) : 0;
}

CollectionViewCell* LibraryViewModel::cellForItemAt(CollectionView* collectionView,
                                                    const IndexPath& indexPath) {
    CollectionViewCell* dequeued =
        collectionView->dequeueReusableCell(QString::fromLatin1(videoItemCellIdentifier), indexPath);
    auto* cell = qobject_cast<VideoItemCell*>(dequeued);
    const auto video = videoAt(indexPath.item);
    if (!cell || !video)
        return dequeued;

    if (cell->title())
        cell->title()->setText(video->title);
    if (cell->coverImageView())
        cell->coverImageView()->setImage(QImage());
    cell->setProperty(signProperty, video->sign);

    const auto cached = m_imageCache.constFind(video->sign);
    if (cached != m_imageCache.constEnd()) {
        if (cell->imageView())
            cell->imageView()->setImage(*cached);
        return cell;
    }
    // A recycled cell must not keep the picture of the video it showed before, even when this
    // video names no picture.
    if (cell->imageView())
        cell->imageView()->setImage(AppImage::named(QStringLiteral("default_thumbnail")));
    const std::optional<QUrl> url = LooseUrl::fromString(video->imgurl);
    if (!url)
        return cell;

    QPointer<CollectionViewCell> weakCell(cell);
    auto taskHolder = std::make_shared<std::shared_ptr<ImageLoadTask>>();
    auto task = m_imageLoader.loadImage(
        *url,
        [this, guard = QPointer<LibraryViewModel>(this), weakCell, video = *video,
         taskHolder](const QImage& image) {
            if (guard)
                thumbnailArrived(weakCell, video, *taskHolder, image);
        },
        readsOwnPictureFiles() ? ImageLoader::Sources::webAndOwnFiles : ImageLoader::Sources::web);
    *taskHolder = task;
    m_downloadTaskCache.insert(video->sign, task);
    return cell;
}

void LibraryViewModel::thumbnailArrived(const QPointer<CollectionViewCell>& cell, const VideoDetail& video,
                                        const std::shared_ptr<ImageLoadTask>& task, const QImage& image) {
    if (image.isNull())
        return; // the placeholder stays; the task goes at the end of display
    auto* videoCell = qobject_cast<VideoItemCell*>(cell.data());
    QSize target;
    if (videoCell && videoCell->imageView())
        target = videoCell->imageView()->size() * 2;
    const QImage scaled = ImageLoader::aspectFill(image, target);
    insertIntoImageCache(video.sign, scaled);
    // A recycled cell may show another video by now: the picture is only put on its own video.
    if (videoCell && videoCell->imageView() && signOfCell(videoCell) == video.sign)
        videoCell->imageView()->setImage(scaled);
    m_imageCache.insert(video.sign, scaled);
    const auto entry = m_downloadTaskCache.constFind(video.sign);
    if (entry != m_downloadTaskCache.constEnd() && *entry == task)
        m_downloadTaskCache.remove(video.sign);
}

void LibraryViewModel::insertIntoImageCache(const QString& sign, const QImage& image) {
    m_imageCache.insert(sign, image);
    // No recency order: the first entry in the table's own order goes, which may be the new one.
    if (m_imageCache.size() >= imageCacheLimit)
        m_imageCache.erase(m_imageCache.begin());
}

// ---- delegate

void LibraryViewModel::didEndDisplayingCell(CollectionView*, CollectionViewCell*,
                                            const IndexPath& indexPath) {
    const auto video = videoAt(indexPath.item);
    if (!video)
        return;
    const auto task = m_downloadTaskCache.take(video->sign);
    if (task)
        task->cancel();
}

void LibraryViewModel::didSelectItemsAt(CollectionView*, const QSet<IndexPath>& indexPaths) {
    if (indexPaths.isEmpty())
        return;
    if (const auto video = videoAt(indexPaths.begin()->item))
        report(video);
}

void LibraryViewModel::didDeselectItemsAt(CollectionView* collectionView, const QSet<IndexPath>& indexPaths) {
    if (indexPaths.isEmpty() || !collectionView)
        return;
    if (auto* cell = qobject_cast<VideoItemCell*>(collectionView->cellForItem(*indexPaths.begin())))
        cell->setBackgroundColor(Qt::transparent);
}
