#include "LibraryViewModels.h"

LibraryViewModels::LibraryViewModels(WebLibraryViewModel::Dependencies web,
                                     LocalLibraryViewModel::Dependencies local,
                                     DownloadViewModel::Dependencies download)
    : m_webDependencies(std::move(web)), m_localDependencies(std::move(local)),
      m_downloadDependencies(std::move(download)) {}

LibraryViewModels::~LibraryViewModels() {
    // A collection view that outlives the models must not call into them.
    for (LibraryViewModel* model :
         {static_cast<LibraryViewModel*>(m_web.get()), static_cast<LibraryViewModel*>(m_local.get()),
          static_cast<LibraryViewModel*>(m_download.get())}) {
        CollectionView* view = model ? model->collectionView() : nullptr;
        if (!view)
            continue;
        // Unbinding forgets the view on the model's side only: the view's own pointers go here.
        if (view->delegate() == model)
            LibraryViewModel::unbind(view);
        if (view->delegate() == static_cast<CollectionViewDelegate*>(model))
            view->setDelegate(nullptr);
        if (view->dataSource() == static_cast<CollectionViewDataSource*>(model))
            view->setDataSource(nullptr);
    }
}

void LibraryViewModels::wire(LibraryViewModel& model) {
    model.videoDetailDidChanged = [this](const std::optional<VideoDetail>& video) {
        if (m_detailChanged)
            m_detailChanged(video);
    };
}

WebLibraryViewModel& LibraryViewModels::webLibraryViewModel() {
    if (!m_web) {
        m_web = std::make_unique<WebLibraryViewModel>(m_webDependencies);
        wire(*m_web);
    }
    return *m_web;
}

LocalLibraryViewModel& LibraryViewModels::localLibraryViewModel() {
    if (!m_local) {
        m_local = std::make_unique<LocalLibraryViewModel>(m_localDependencies);
        wire(*m_local);
    }
    return *m_local;
}

DownloadViewModel& LibraryViewModels::downloadViewModel() {
    if (!m_download) {
        m_download = std::make_unique<DownloadViewModel>(m_downloadDependencies);
        wire(*m_download);
    }
    return *m_download;
}

LibraryViewModel& LibraryViewModels::model(Kind kind) {
    switch (kind) {
    case Kind::local:
        return localLibraryViewModel();
    case Kind::download:
        return downloadViewModel();
    case Kind::online:
        break;
    }
    return webLibraryViewModel();
}

const LibraryViewModel* LibraryViewModels::existing(Kind kind) const {
    switch (kind) {
    case Kind::local:
        return m_local.get();
    case Kind::download:
        return m_download.get();
    case Kind::online:
        break;
    }
    return m_web.get();
}

void LibraryViewModels::bind(Kind kind, CollectionView* collectionView) {
    model(kind).bind(collectionView);
}

std::optional<VideoLibraryLists::Kind>
LibraryViewModels::boundList(const CollectionView* collectionView) const {
    if (!collectionView || !collectionView->delegate())
        return std::nullopt;
    for (Kind kind : {Kind::local, Kind::online, Kind::download}) {
        const LibraryViewModel* model = existing(kind);
        if (model && collectionView->delegate() == static_cast<const CollectionViewDelegate*>(model))
            return kind;
    }
    return std::nullopt;
}

void LibraryViewModels::cancelImageDownloads(Kind kind) {
    model(kind).cancelImageDownloads();
}

void LibraryViewModels::reloadVideoList(bool resetOffset) {
    localLibraryViewModel().reloadVideoList(resetOffset);
}

void LibraryViewModels::importVideoFiles(const QList<QUrl>& urls, std::function<void()> completion) {
    localLibraryViewModel().importVideoFiles(urls, std::move(completion));
}

QStringList LibraryViewModels::localSigns() const {
    QStringList signs;
    if (m_local && m_local->videoList()) {
        for (const VideoDetail& video : *m_local->videoList())
            signs.append(video.sign);
    }
    return signs;
}

void LibraryViewModels::clearEmptyImage() {
    downloadViewModel().clearEmptyImage();
}

void LibraryViewModels::reloadOnMainQueue() {
    downloadViewModel().reloadOnMainQueue();
}

void LibraryViewModels::loadData() {
    webLibraryViewModel().loadData();
}

void LibraryViewModels::load(const VideoListRequest& request) {
    webLibraryViewModel().load(request);
}

void LibraryViewModels::searchKeyword(const QString& keyword) {
    webLibraryViewModel().searchKeyword(keyword);
}

void LibraryViewModels::loadAuthorVideos(const QString& author) {
    webLibraryViewModel().loadAuthorVideos(author);
}

int LibraryViewModels::loadedCount(Kind kind) const {
    const LibraryViewModel* model = existing(kind);
    return model && model->videoList() ? int(model->videoList()->size()) : 0;
}

int LibraryViewModels::totalVideoCount(Kind kind) const {
    const LibraryViewModel* model = existing(kind);
    return model ? int(model->totalVideoCount()) : 0;
}

void LibraryViewModels::setVideoDetailDidChanged(DetailChanged closure) {
    m_detailChanged = std::move(closure);
}
