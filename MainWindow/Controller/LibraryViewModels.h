#pragma once

#include "DownloadViewModel.h"
#include "LocalLibraryViewModel.h"
#include "VideoLibraryLists.h"
#include "WebLibraryViewModel.h"

#include <memory>

// The library page's three lists as the product's list models: each made on first use with the
// collaborators given here, then kept for the page's life, and told at once where to report the
// video it selects.
class LibraryViewModels : public VideoLibraryLists {
public:
    LibraryViewModels(WebLibraryViewModel::Dependencies web, LocalLibraryViewModel::Dependencies local,
                      DownloadViewModel::Dependencies download);
    ~LibraryViewModels() override;

    WebLibraryViewModel& webLibraryViewModel();
    LocalLibraryViewModel& localLibraryViewModel();
    DownloadViewModel& downloadViewModel();
    LibraryViewModel& model(Kind kind);

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
    const LibraryViewModel* existing(Kind kind) const;
    void wire(LibraryViewModel& model);

    WebLibraryViewModel::Dependencies m_webDependencies;
    LocalLibraryViewModel::Dependencies m_localDependencies;
    DownloadViewModel::Dependencies m_downloadDependencies;
    std::unique_ptr<WebLibraryViewModel> m_web;
    std::unique_ptr<LocalLibraryViewModel> m_local;
    std::unique_ptr<DownloadViewModel> m_download;
    DetailChanged m_detailChanged;
};
