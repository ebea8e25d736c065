#pragma once

#include "ItemStatus.h"
#include "LibraryViewModel.h"

class DownloadItem;
class DownloadItemCell;
class DownloadManager;

// The downloads tab: one row per queued download of the download manager, in queue order, with
// its thumbnail, title, state text, progress and sizes, a pause/resume button and a delete button.
// Its video list stays empty: the rows come from the manager.
class DownloadViewModel : public LibraryViewModel {
    Q_OBJECT

public:
    struct Dependencies {
        DownloadManager* downloads = nullptr;
        ImageLoader* images = nullptr;
        NotificationCenter* notifications = nullptr;
    };

    explicit DownloadViewModel(Dependencies dependencies, QObject* parent = nullptr);

    // The state text a row shows for `status` (empty for a finished item, which keeps the cell's).
    static QString statusText(ItemStatus status);
    // The progress bar's value: the share of `size` downloaded, 0 when the size is unknown.
    static int progressValue(qint64 downloadedSize, qint64 size);

    int numberOfItemsInSection(CollectionView*, int section) override;
    CollectionViewCell* cellForItemAt(CollectionView* collectionView, const IndexPath& indexPath) override;

    // The pause/resume button of a row showing `item`; the delete button.
    void toggle(const std::shared_ptr<DownloadItem>& item, DownloadItemCell* cell);
    void remove(const std::shared_ptr<DownloadItem>& item);

private:
    void reloadLater();

    Dependencies m_dependencies;
};
