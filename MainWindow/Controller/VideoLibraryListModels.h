#pragma once

#include "VideoLibraryLists.h"

#include <QObject>

class DownloadManager;
class DownloadViewModel;
class LibraryViewModel;
class LocalLibraryViewModel;
class WebLibraryViewModel;

// The library page's three lists as the product's own list models: the local library, the online
// catalogue and the download queue. The models are made by the caller (each with its own
// collaborators) and owned here; binding one detaches whichever was bound before.
class VideoLibraryListModels : public QObject, public VideoLibraryLists {
    Q_OBJECT
public:
    VideoLibraryListModels(LocalLibraryViewModel* local, WebLibraryViewModel* online,
                           DownloadViewModel* download, DownloadManager& downloads,
                           QObject* parent = nullptr);
    ~VideoLibraryListModels() override;

    LocalLibraryViewModel* localList() const { return m_local; }
    WebLibraryViewModel* onlineList() const { return m_online; }
    DownloadViewModel* downloadList() const { return m_download; }

    void bind(Kind kind, CollectionView* collectionView) override;
    std::optional<Kind> boundList(const CollectionView* collectionView) const override;
    void cancelImageDownloads(Kind kind) override;
    void reloadVideoList(bool resetOffset) override;
    void importVideoFiles(const QList<QUrl>& urls, std::function<void()> completion) override;
    QStringList localSigns() const override;
    void clearEmptyImage() override;
    void reloadOnMainQueue() override;
    void loadData() override;
    void load(const VideoListRequest& request) override;
    void searchKeyword(const QString& keyword) override;
    void loadAuthorVideos(const QString& author) override;
    int loadedCount(Kind kind) const override;
    int totalVideoCount(Kind kind) const override;
    void setVideoDetailDidChanged(DetailChanged closure) override;

private:
    LibraryViewModel* model(Kind kind) const;

    LocalLibraryViewModel* m_local;
    WebLibraryViewModel* m_online;
    DownloadViewModel* m_download;
    DownloadManager& m_downloads;
};
