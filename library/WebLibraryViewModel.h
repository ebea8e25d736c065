#pragma once

#include "LibraryViewModel.h"
#include "LoadStatus.h"
#include "VideoListRequest.h"
#include "VideoListResponse.h"

#include <QPointer>

class DownloadManager;
class LocalVideoDBManager;
class MenuPresenter;
class Preferences;
class WebLibraryRefreshSubView;
class WebModel;

// The online tab: the server's catalogue page by page in a grid, with a state view over the grid
// while the first page loads, fails or is empty, the next page when a scroll ends near the bottom,
// a footer text, badges for videos being downloaded or already in the library, a context menu
// (preview; set as wallpaper or download) and a preview on double click.
//
// Only the reply to the latest request counts: a first page or a next page asked for before the
// latest load changes nothing when it arrives.
class WebLibraryViewModel : public LibraryViewModel {
    Q_OBJECT

public:
    static constexpr const char* rightClickNotification = "rightClickNotification";
    // The user-info key of "rightClickNotification": the VideoDetail (as a QVariant) to download.
    static constexpr const char* videoKey = "video";
    static constexpr const char* footerIdentifier = "FooterView";
    // A scroll that ends closer than this to the end of the content asks for the next page.
    static constexpr qreal nextPageDistance = 100.0;
    static constexpr int stateViewBottomMargin = 120;

    struct Dependencies {
        WebModel* webModel = nullptr;
        LocalVideoDBManager* database = nullptr;
        DownloadManager* downloads = nullptr;
        Preferences* preferences = nullptr;
        MenuPresenter* menus = nullptr;
        ImageLoader* images = nullptr;
        NotificationCenter* notifications = nullptr;
    };

    explicit WebLibraryViewModel(Dependencies dependencies, QObject* parent = nullptr);
    ~WebLibraryViewModel() override;

    LoadStatus loadStatus() const { return m_loadStatus; }
    const std::optional<VideoDetail>& currentItem() const { return m_currentItem; }
    // The state view laid over the grid, made on first use.
    WebLibraryRefreshSubView* refreshSubView();

    // Shows the list: what is already there, or the first page of the latest query.
    void loadData() override;
    // Asks for a first page with `request`.
    virtual void load(const VideoListRequest& request);
    // The videos of one uploader (category 0, keyword dropped).
    virtual void loadAuthorVideos(const QString& author);
    // A search in the latest query's category and order (author dropped).
    virtual void searchKeyword(const QString& keyword);
    // The refresh button: the latest query again.
    void retry();

    // The request the lists start from when nothing was asked yet.
    VideoListRequest defaultRequest() const;
    VideoListRequest latestRequest() const;
    // Base64 of the text's UTF-8 bytes, as the server expects keywords and names.
    static QString base64Text(const QString& text);
    // The video a "rightClickNotification" carries.
    static std::optional<VideoDetail> videoOf(const Notification& notification);

    // Context-menu actions on the video whose menu was opened last.
    void showPreview();
    void downloadOrSetBackground();

    // ---- data source and delegate
    CollectionViewCell* cellForItemAt(CollectionView* collectionView, const IndexPath& indexPath) override;
    CollectionReusableView* viewForSupplementaryElementOfKind(CollectionView* collectionView,
                                                              const QString& kind,
                                                              const IndexPath& indexPath) override;
    void collectionViewDidEndScrolling(CollectionView* collectionView, bool animated) override;
    void didRightClickItemAt(CollectionView* collectionView, std::optional<IndexPath> indexPath,
                             QMouseEvent* event) override;
    void didDoubleClickItemAt(CollectionView* collectionView, std::optional<IndexPath> indexPath,
                              QMouseEvent* event) override;

    // The footer's text for the present state.
    QString footerText() const;

protected:
    void didUnbind() override;

private:
    void handleFirstPage(const std::optional<VideoListResponse>& reply, int statusCode, bool noConnection);
    void loadNextPageIfNeeded(CollectionView* collectionView);
    void appendNextPage(const std::optional<TotalVideo>& data);
    void showLoadingView();
    void showErrorView(bool noConnection);
    void showEmptyView();
    void hideStateView();
    void previewVideo(const VideoDetail& video);

    Dependencies m_dependencies;
    LoadStatus m_loadStatus = LoadStatus::none;
    std::optional<VideoDetail> m_currentItem;
    QPointer<WebLibraryRefreshSubView> m_refreshSubView;
    // Bumped by every load; replies carry the generation they were asked in.
    quint64 m_generation = 0;
};
