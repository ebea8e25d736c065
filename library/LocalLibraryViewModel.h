#pragma once

#include "LibraryViewModel.h"

#include <QList>
#include <QUrl>
#include <atomic>
#include <list>
#include <memory>

class AlertPresenter;
class DispatchQueue;
class DistributedNotificationCenter;
class FileChooser;
class FileRevealer;
class LocalLibraryModel;
class LocalVideoDBManager;
class MenuPresenter;
class Preferences;

// The local tab: every row of the local library as a grid, the playing video kept selected, a
// menu on an item (preview, set as wallpaper, remove, show in the file manager) and one on empty
// space (import, open the library folder, clear all); a double click plays the video. It also
// runs the batch import of chosen or dropped files.
class LocalLibraryViewModel : public LibraryViewModel {
    Q_OBJECT

public:
    static constexpr const char* updateVideoListNotification = "UpdateVideoList";

    struct Dependencies {
        LocalVideoDBManager* database = nullptr;
        Preferences* preferences = nullptr;
        LocalLibraryModel* importer = nullptr;
        QString libraryDirectory; // the folder imports and downloads are stored in
        DistributedNotificationCenter* distributed = nullptr;
        MenuPresenter* menus = nullptr;
        AlertPresenter* alerts = nullptr;
        FileChooser* fileChooser = nullptr;
        FileRevealer* revealer = nullptr;
        ImageLoader* images = nullptr;
        NotificationCenter* notifications = nullptr;
    };

    explicit LocalLibraryViewModel(Dependencies dependencies, QObject* parent = nullptr);
    // Waits for the import batches still running.
    ~LocalLibraryViewModel() override;

    // The video whose item menu was opened last (kept across reloads).
    const std::optional<VideoDetail>& currentItem() const { return m_currentItem; }

    // Re-reads the table and redisplays; keeps the scroll position unless `scrollToTop`.
    virtual void reloadVideoList(bool scrollToTop);
    // Selects the playing video while the player is on.
    void selectPlayingItem();
    // Imports `urls` one after another behind a progress window, one alert per file refused, then
    // re-reads the list, calls `completion` (on the import's own thread) and tells the agent once.
    void importVideoFiles(const QList<QUrl>& urls, std::function<void()> completion = {});

    // ---- item menu actions (on currentItem)
    void previewItemAction();
    void setBackgroundItemAction();
    void deleteItemAction();
    void showInVideoFinderItemAction();
    // ---- list menu actions
    void importVideoItemAction();
    void openResourcePathItemAction();
    void clearAllItemAction();

    // The titles of the item menu for `video`, in order.
    static QStringList itemMenuTitles(const VideoDetail& video);
    static QStringList listMenuTitles();

    // ---- delegate
    void didRightClickItemAt(CollectionView* collectionView, std::optional<IndexPath> indexPath,
                             QMouseEvent* event) override;
    void didDoubleClickItemAt(CollectionView* collectionView, std::optional<IndexPath> indexPath,
                              QMouseEvent* event) override;
    void rightMouseUp(CollectionView* collectionView, QMouseEvent* event) override;

protected:
    void rereadBeforeReload() override { reloadVideoList(true); }
    // Removes one entry of the library folder (a file, or a folder with its contents).
    virtual bool removeLibraryEntry(const QString& path);

private:
    void showImportError(int status);
    void postUpdateVideoList();
    // Whether `path` lies inside the library folder once links and ".." are resolved.
    bool isInsideLibrary(const QString& path) const;
    void clearAllConfirmed();

    Dependencies m_dependencies;
    std::optional<VideoDetail> m_currentItem;
    // One serial queue per running import batch, released on the main thread once it is done.
    std::list<std::unique_ptr<DispatchQueue>> m_importQueues;
    // Set when the model goes: a batch stops waiting for its file in progress, whose report
    // would come through a main thread that no longer runs.
    std::shared_ptr<std::atomic_bool> m_stopping = std::make_shared<std::atomic_bool>(false);
};
