#pragma once

#include "VideoDetail.h"
#include "VideoListRequest.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

class CollectionView;

// The three lists the library page shows in its one collection view (the local library, the online
// catalogue and the download queue), as the page uses them. Each list is made on first use and then
// kept; binding a list makes it the collection view's data source and delegate.
class VideoLibraryLists {
public:
    enum class Kind { local, online, download };
    using DetailChanged = std::function<void(const std::optional<VideoDetail>&)>;

    virtual ~VideoLibraryLists() = default;

    virtual void bind(Kind kind, CollectionView* collectionView) = 0;
    // The list the collection view shows now (its delegate); none when it shows none of them.
    virtual std::optional<Kind> boundList(const CollectionView* collectionView) const = 0;
    virtual void cancelImageDownloads(Kind kind) = 0;

    // Local list: reads the library again (from the top when `resetOffset`).
    virtual void reloadVideoList(bool resetOffset) = 0;
    // Local list: imports the files one by one, then runs `completion` (also for an empty batch).
    virtual void importVideoFiles(const QList<QUrl>& urls, std::function<void()> completion) = 0;
    // The signs of the local list's rows, in row order.
    virtual QStringList localSigns() const = 0;

    // Download list: takes away the empty-list picture, and reloads on the next turn of the loop.
    virtual void clearEmptyImage() = 0;
    virtual void reloadOnMainQueue() = 0;

    // Online list: its current query again from the first page; a given query; a keyword search;
    // one author's videos.
    virtual void loadData() = 0;
    virtual void load(const VideoListRequest& request) = 0;
    virtual void searchKeyword(const QString& keyword) = 0;
    virtual void loadAuthorVideos(const QString& author) = 0;

    // Videos listed so far, and how many the list holds in all (the server's total online).
    virtual int loadedCount(Kind kind) const = 0;
    virtual int totalVideoCount(Kind kind) const = 0;

    // What every list calls when its selected video changes.
    virtual void setVideoDetailDidChanged(DetailChanged closure) = 0;
};
