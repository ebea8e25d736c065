#include "VideoLibraryListModels.h"

#include "DownloadManager.h"
#include "DownloadViewModel.h"
#include "LocalLibraryViewModel.h"
#include "WebLibraryViewModel.h"

VideoLibraryListModels::VideoLibraryListModels(LocalLibraryViewModel* local, WebLibraryViewModel* online,
                                               DownloadViewModel* download, DownloadManager& downloads,
                                               QObject* parent)
    : QObject(parent), m_local(local), m_online(online), m_download(download), m_downloads(downloads) {
    for (QObject* list :
         {static_cast<QObject*>(m_local), static_cast<QObject*>(m_online), static_cast<QObject*>(m_download)})
        list->setParent(this);
}

VideoLibraryListModels::~VideoLibraryListModels() {
    // A collection view that outlives the lists must not call into them.
    for (LibraryViewModel* list : {model(Kind::local), model(Kind::online), model(Kind::download)})
        if (CollectionView* view = list->collectionView(); view && view->delegate() == list)
            LibraryViewModel::unbind(view);
}

LibraryViewModel* VideoLibraryListModels::model(Kind kind) const {
    switch (kind) {
    case Kind::local:
        return m_local;
    case Kind::online:
        return m_online;
    case Kind::download:
        break;
    }
    return m_download;
}

void VideoLibraryListModels::bind(Kind kind, CollectionView* collectionView) {
    model(kind)->bind(collectionView);
}

std::optional<VideoLibraryLists::Kind>
VideoLibraryListModels::boundList(const CollectionView* collectionView) const {
    if (!collectionView)
        return std::nullopt;
    for (Kind kind : {Kind::local, Kind::online, Kind::download})
        if (collectionView->delegate() == model(kind))
            return kind;
    return std::nullopt;
}

void VideoLibraryListModels::cancelImageDownloads(Kind kind) {
    model(kind)->cancelImageDownloads();
}

void VideoLibraryListModels::reloadVideoList(bool resetOffset) {
    m_local->reloadVideoList(resetOffset);
}

void VideoLibraryListModels::importVideoFiles(const QList<QUrl>& urls, std::function<void()> completion) {
    m_local->importVideoFiles(urls, std::move(completion));
}

QStringList VideoLibraryListModels::localSigns() const {
    QStringList signs;
    if (const auto& list = m_local->videoList())
        for (const VideoDetail& video : *list)
            signs.append(video.sign);
    return signs;
}

void VideoLibraryListModels::clearEmptyImage() {
    m_download->clearEmptyImage();
}

void VideoLibraryListModels::reloadOnMainQueue() {
    m_download->reloadOnMainQueue();
}

void VideoLibraryListModels::loadData() {
    m_online->loadData();
}

void VideoLibraryListModels::load(const VideoListRequest& request) {
    m_online->load(request);
}

void VideoLibraryListModels::searchKeyword(const QString& keyword) {
    m_online->searchKeyword(keyword);
}

void VideoLibraryListModels::loadAuthorVideos(const QString& author) {
    m_online->loadAuthorVideos(author);
}

int VideoLibraryListModels::loadedCount(Kind kind) const {
    if (kind == Kind::download)
        return static_cast<int>(m_downloads.progressArray().size());
    const auto& list = model(kind)->videoList();
    return list ? static_cast<int>(list->size()) : 0;
}

int VideoLibraryListModels::totalVideoCount(Kind kind) const {
    // Only the catalogue knows more videos than it listed so far.
    if (kind == Kind::online)
        return static_cast<int>(m_online->totalVideoCount());
    return loadedCount(kind);
}

void VideoLibraryListModels::setVideoDetailDidChanged(DetailChanged closure) {
    for (Kind kind : {Kind::local, Kind::online, Kind::download})
        model(kind)->videoDetailDidChanged = closure;
}
