#pragma once

#include "CollectionView.h"
#include "VideoLibraryLists.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <vector>

class DownloadManager;
class LocalLibraryModel;
class LocalVideoDBManager;
class NotificationCenter;
class QNetworkAccessManager;
class WebModel;

// The library page's three lists built straight on the real parts (the local library and its
// import, the server client, the download manager), for tests and screenshots of the whole page
// before the product's own list models are wired in. Each list selects its first row after a
// reload and reports it, posts "updateVideoAmount", and fills real cells with titles and pictures.
class PageListsStandIn : public QObject,
                         public VideoLibraryLists,
                         public CollectionViewDataSource,
                         public CollectionViewDelegate {

public:
    PageListsStandIn(WebModel& webModel, LocalVideoDBManager& database, LocalLibraryModel& importer,
                     DownloadManager& downloads, NotificationCenter& notifications,
                     QObject* parent = nullptr);
    ~PageListsStandIn() override;

    void bind(Kind kind, CollectionView* collectionView) override;
    std::optional<Kind> boundList(const CollectionView* collectionView) const override;
    void cancelImageDownloads(Kind kind) override;
    void reloadVideoList(bool resetOffset) override;
    void importVideoFiles(const QList<QUrl>& urls, std::function<void()> completion) override;
    QStringList localSigns() const override;
    void clearEmptyImage() override {}
    void reloadOnMainQueue() override;
    void loadData() override;
    void load(const VideoListRequest& request) override;
    void searchKeyword(const QString& keyword) override;
    void loadAuthorVideos(const QString& author) override;
    int loadedCount(Kind kind) const override;
    int totalVideoCount(Kind kind) const override;
    void setVideoDetailDidChanged(DetailChanged closure) override { m_detailChanged = std::move(closure); }

    int numberOfItemsInSection(CollectionView*, int) override;
    CollectionViewCell* cellForItemAt(CollectionView* collectionView, const IndexPath& indexPath) override;
    CollectionReusableView* viewForSupplementaryElementOfKind(CollectionView* collectionView,
                                                              const QString& kind,
                                                              const IndexPath& indexPath) override;
    void didSelectItemsAt(CollectionView*, const QSet<IndexPath>& indexPaths) override;

    // Files imported so far, in order, and batches finished.
    int importedFiles() const { return m_importedFiles; }
    int finishedBatches() const { return m_finishedBatches; }

private:
    const std::vector<VideoDetail>& rows(Kind kind) const;
    void showRows(Kind kind);
    void importNext();
    QImage pictureFor(const QString& address);

    WebModel& m_webModel;
    LocalVideoDBManager& m_database;
    LocalLibraryModel& m_importer;
    DownloadManager& m_downloads;
    NotificationCenter& m_notifications;
    QNetworkAccessManager* m_network;
    QPointer<CollectionView> m_view;
    std::optional<Kind> m_bound;
    std::vector<VideoDetail> m_local;
    std::vector<VideoDetail> m_online;
    std::vector<VideoDetail> m_download;
    int m_onlineTotal = 0;
    DetailChanged m_detailChanged;
    QHash<QString, QImage> m_pictures;
    quint64 m_onlineRequest = 0;

    struct Batch {
        QList<QUrl> urls;
        std::function<void()> completion;
    };
    std::vector<Batch> m_batches;
    bool m_importing = false;
    int m_importedFiles = 0;
    int m_finishedBatches = 0;
};
