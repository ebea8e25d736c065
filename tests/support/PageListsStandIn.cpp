#include "PageListsStandIn.h"

#include "DownloadItem.h"
#include "DownloadItemCell.h"
#include "DownloadManager.h"
#include "FooterView.h"
#include "ImageView.h"
#include "LocalLibraryModel.h"
#include "LocalVideoDBManager.h"
#include "LocalVideoPath.h"
#include "NotificationCenter.h"
#include "VideoItemCell.h"
#include "VideoItemImageView.h"
#include "WebModel.h"

#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>

PageListsStandIn::PageListsStandIn(WebModel& webModel, LocalVideoDBManager& database,
                                   LocalLibraryModel& importer, DownloadManager& downloads,
                                   NotificationCenter& notifications, QObject* parent)
    : QObject(parent), m_webModel(webModel), m_database(database), m_importer(importer),
      m_downloads(downloads), m_notifications(notifications), m_network(new QNetworkAccessManager(this)) {}

PageListsStandIn::~PageListsStandIn() {
    if (m_view && m_view->delegate() == this) {
        m_view->setDelegate(nullptr);
        m_view->setDataSource(nullptr);
    }
}

const std::vector<VideoDetail>& PageListsStandIn::rows(Kind kind) const {
    return kind == Kind::local ? m_local : kind == Kind::online ? m_online : m_download;
}

void PageListsStandIn::bind(Kind kind, CollectionView* collectionView) {
    m_view = collectionView;
    m_bound = kind;
    collectionView->setDataSource(this);
    collectionView->setDelegate(this);
    collectionView->reloadData();
}

std::optional<VideoLibraryLists::Kind>
PageListsStandIn::boundList(const CollectionView* collectionView) const {
    if (!collectionView || collectionView->delegate() != this)
        return std::nullopt;
    return m_bound;
}

void PageListsStandIn::cancelImageDownloads(Kind) {}

void PageListsStandIn::showRows(Kind kind) {
    if (!m_view || m_bound != kind || m_view->delegate() != this)
        return;
    m_view->reloadData();
    if (!rows(kind).empty())
        m_view->selectItem(IndexPath(0), false, 0);
    else if (m_detailChanged)
        m_detailChanged(std::nullopt);
    m_notifications.post(QStringLiteral("updateVideoAmount"));
}

void PageListsStandIn::reloadVideoList(bool) {
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_local = m_database.selectAll();
            showRows(Kind::local);
        },
        Qt::QueuedConnection);
}

void PageListsStandIn::reloadOnMainQueue() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_download.clear();
            for (const auto& item : m_downloads.progressArray())
                m_download.push_back(item->videoInfo());
            showRows(Kind::download);
        },
        Qt::QueuedConnection);
}

void PageListsStandIn::importVideoFiles(const QList<QUrl>& urls, std::function<void()> completion) {
    m_batches.push_back(Batch{urls, std::move(completion)});
    if (!m_importing)
        importNext();
}

void PageListsStandIn::importNext() {
    while (!m_batches.empty() && m_batches.front().urls.isEmpty()) {
        Batch done = std::move(m_batches.front());
        m_batches.erase(m_batches.begin());
        ++m_finishedBatches;
        if (m_bound == Kind::local)
            reloadVideoList(false);
        if (done.completion)
            done.completion();
    }
    if (m_batches.empty()) {
        m_importing = false;
        return;
    }
    m_importing = true;
    const QUrl next = m_batches.front().urls.takeFirst();
    QPointer<PageListsStandIn> self(this);
    m_importer.importVideo(next, false, [self](const QString&, ImportVideoStatus) {
        QMetaObject::invokeMethod(
            self.data(),
            [self] {
                if (!self)
                    return;
                ++self->m_importedFiles;
                self->importNext();
            },
            Qt::QueuedConnection);
    });
}

QStringList PageListsStandIn::localSigns() const {
    QStringList signs;
    for (const VideoDetail& video : m_local)
        signs.append(video.sign);
    return signs;
}

void PageListsStandIn::loadData() {
    const auto& latest = m_webModel.latestRequest();
    load(latest ? *latest : VideoListRequest{WebModel::userID(), 0, 1, QString(), 1, QString()});
}

void PageListsStandIn::load(const VideoListRequest& request) {
    const quint64 number = ++m_onlineRequest;
    QPointer<PageListsStandIn> self(this);
    m_webModel.requestVideoList(request, [self, number](std::optional<VideoListResponse> reply, int, bool) {
        if (!self || number != self->m_onlineRequest)
            return;
        self->m_online = reply ? reply->data.vlist : std::vector<VideoDetail>();
        self->m_onlineTotal = reply ? int(reply->data.total) : 0;
        self->showRows(Kind::online);
    });
}

void PageListsStandIn::searchKeyword(const QString& keyword) {
    load(VideoListRequest{WebModel::userID(), 0, 1, QString::fromLatin1(keyword.toUtf8().toBase64()), 1,
                          QString()});
}

void PageListsStandIn::loadAuthorVideos(const QString& author) {
    load(VideoListRequest{WebModel::userID(), 0, 1, QString(), 1,
                          QString::fromLatin1(author.toUtf8().toBase64())});
}

int PageListsStandIn::loadedCount(Kind kind) const {
    return int(rows(kind).size());
}

int PageListsStandIn::totalVideoCount(Kind kind) const {
    return kind == Kind::online ? m_onlineTotal : int(rows(kind).size());
}

int PageListsStandIn::numberOfItemsInSection(CollectionView*, int) {
    return m_bound ? int(rows(*m_bound).size()) : 0;
}

QImage PageListsStandIn::pictureFor(const QString& address) {
    if (m_pictures.contains(address))
        return m_pictures.value(address);
    const QUrl url(address);
    if (url.isLocalFile() || address.startsWith(QLatin1Char('/'))) {
        const QImage image(LocalVideoPath::fromStoredUrl(address).value_or(address));
        m_pictures.insert(address, image);
        return image;
    }
    if (url.scheme() == QLatin1String("http")) {
        m_pictures.insert(address, QImage());
        QNetworkReply* reply = m_network->get(QNetworkRequest(url));
        connect(reply, &QNetworkReply::finished, this, [this, reply, address] {
            reply->deleteLater();
            m_pictures.insert(address, QImage::fromData(reply->readAll()));
            if (m_view && m_bound)
                m_view->reloadData();
        });
    }
    return QImage();
}

CollectionViewCell* PageListsStandIn::cellForItemAt(CollectionView* collectionView,
                                                    const IndexPath& indexPath) {
    if (!m_bound || indexPath.item >= int(rows(*m_bound).size()))
        return nullptr;
    const VideoDetail& video = rows(*m_bound).at(indexPath.item);
    if (*m_bound == Kind::download) {
        auto* cell = static_cast<DownloadItemCell*>(
            collectionView->dequeueReusableCell(DownloadItemCell::reuseIdentifier, indexPath));
        if (cell) {
            cell->title()->setText(video.title);
            cell->status()->setText(QStringLiteral("Waiting..."));
        }
        return cell;
    }
    auto* cell = static_cast<VideoItemCell*>(
        collectionView->dequeueReusableCell(VideoItemCell::reuseIdentifier, indexPath));
    if (cell) {
        cell->title()->setText(video.title);
        cell->imageView()->setImage(pictureFor(video.imgurl));
    }
    return cell;
}

CollectionReusableView* PageListsStandIn::viewForSupplementaryElementOfKind(CollectionView* collectionView,
                                                                            const QString& kind,
                                                                            const IndexPath& indexPath) {
    auto* footer = static_cast<FooterView*>(
        collectionView->dequeueReusableSupplementaryView(kind, FooterView::reuseIdentifier, indexPath));
    if (footer && m_bound == Kind::online)
        footer->titleLabel()->setText(
            int(m_online.size()) >= m_onlineTotal ? QStringLiteral("---- No more videos ----") : QString());
    return footer;
}

void PageListsStandIn::didSelectItemsAt(CollectionView*, const QSet<IndexPath>& indexPaths) {
    if (!m_bound || indexPaths.isEmpty() || !m_detailChanged)
        return;
    const int item = indexPaths.begin()->item;
    if (item < int(rows(*m_bound).size()))
        m_detailChanged(rows(*m_bound).at(item));
}
