#pragma once

#include "BaseInfoResponse.h"
#include "Disposable.h"
#include "SearchFieldDelegate.h"
#include "VideoDetailView.h"
#include "VideoDetailViewDelegate.h"
#include "VideoLibraryLists.h"

#include <QColor>
#include <QElapsedTimer>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ButtonWithColorfulLink;
class CollectionViewColumnLayout;
class CollectionViewLayout;
class CollectionViewListLayout;
class DownloadManager;
class HotTagsView;
class ListContainerView;
class LocalVideoDBManager;
class NotificationCenter;
class NowPlayingView;
class Preferences;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;
class TabTitleView;
class WebModel;
class ZFCollectionView;

// The library page of the main window: the three tabs (local library, online catalogue with its
// category menu, downloads) over one collection view, the detail pane of the selected video, and
// the bottom bar with what plays now, the play controls, the page status, the hot tags and the news
// link. It owns no data: every choice is written to the shared settings or handed to a list, and
// the desktop player agent follows the settings.
class VideoLibraryViewController : public QWidget,
                                   public VideoDetailViewDelegate,
                                   public SearchFieldDelegate {
    Q_OBJECT

public:
    using URLOpener = std::function<void(const QUrl&)>;
    // Asks the user for video files (mp4, mov) and hands them over; an empty list when cancelled.
    using FileChooser = std::function<void(QWidget* parent, std::function<void(const QList<QUrl>&)>)>;
    // The file of a bundled resource, none when it is missing.
    using ResourceLocator = std::function<std::optional<QString>(const QString& fileName)>;

    struct Dependencies {
        Preferences* preferences = nullptr;
        WebModel* webModel = nullptr;
        LocalVideoDBManager* database = nullptr;
        DownloadManager* downloads = nullptr;
        NotificationCenter* notifications = nullptr;
        VideoLibraryLists* lists = nullptr;
        URLOpener openURL;
        FileChooser chooseFiles;
        ResourceLocator locateResource;
        VideoDetailView::ImageLoader loadImage;
        VideoDetailView::ImageNamed imageNamed;
        VideoDetailView::PreviewPresenter showPreview;
        // Finds the now-playing icons; unset: the program's own artwork.
        std::function<QString(const QString&)> locateIcon;
    };

    explicit VideoLibraryViewController(Dependencies dependencies, QWidget* parent = nullptr);
    ~VideoLibraryViewController() override;

    // The sample videos imported on the first run, in their order (file names).
    static QStringList sampleVideoNames();
    // The accepted extensions of dropped and chosen files.
    static QStringList acceptTypes();

    // ---- parts of the page
    ListContainerView* collectionViewContainer() const { return m_collectionViewContainer; }
    VideoDetailView* detailView() const { return m_detailView; }
    QPushButton* importVideoButton() const { return m_importVideoButton; }
    QPushButton* uploadButton() const { return m_uploadButton; }
    QWidget* bottomArea() const { return m_bottomArea; }
    NowPlayingView* nowPlayingView() const { return m_nowPlayingView; }
    QToolButton* playButton() const { return m_playButton; }
    QToolButton* muteButton() const { return m_muteButton; }
    QSlider* volumeSlider() const { return m_volumeSlider; }
    QComboBox* playModelButton() const { return m_playModelButton; }
    QComboBox* sortButton() const { return m_sortButton; }
    ButtonWithColorfulLink* newsLinkButton() const { return m_newsLinkButton; }
    HotTagsView* hottagsView() const { return m_hottagsView; }
    QLabel* pageStatus() const { return m_pageStatus; }
    ZFCollectionView* collectionView() const { return m_collectionView; }
    CollectionViewColumnLayout* columnLayout() const;
    CollectionViewListLayout* listLayout() const;
    TabTitleView* localTab() const { return m_localTab; }
    TabTitleView* onlineTab() const { return m_onlineTab; }
    TabTitleView* downloadTab() const { return m_downloadTab; }
    QLabel* onlineTabTitle() const { return m_onlineTabTitle; }
    QToolButton* categoryButton() const { return m_categoryButton; }
    // The category menu while it is open (or about to be), else null.
    QMenu* categoryMenuShown() const { return m_categoryMenu; }
    // The widest the news link gets; a longer text is cut at its tail.
    static constexpr int newsLinkMaximumWidth = 280;
    // The hot-tag buttons shown, from left to right.
    QList<QPushButton*> hotTagButtons() const;

    // ---- tabs and status
    void switchTab(QWidget* tab);
    void updatePageStatus();
    void selectPlayingVideo(const std::optional<QString>& sign);
    void videoDetailChanged(const std::optional<VideoDetail>& video);

    // ---- play controls (each writes the shared settings only)
    void playButtonAction();
    void muteButtonAction();
    void volumeSliderAction();
    // A drag of the volume slider writes the shared settings at most this often (each write
    // replaces the file and waits for the disk), and its last value when the slider is let go.
    static constexpr int kVolumeWriteIntervalMs = 100;
    void singleCycleAction();
    void listCycleAction();
    void randomCycleAction();

    // ---- the search field's delegate
    void searchSuggestions(const QString& prefix,
                           std::function<void(std::optional<QStringList>)> completion) override;
    void search(const QString& text) override;

    // ---- category, sort, search, hot tags, news link
    void categoryButtonAction();
    void switchCategory(const QString& title, qint64 tag);
    void refreshVideoListOnSort();
    void searchKeyword(const QString& keyword);
    void layoutHotTags(const std::optional<BaseInfoResponse>& reply);
    void updateNewsLink();
    void openNewsURL();
    // The colour text's digits after its first character, read as NSScanner's scanHexInt reads
    // them: 0 when nothing can be read, the largest value when they overflow.
    static quint32 scanHexInt(const QString& text);

    // ---- import, upload, first run
    void importLocalVideo();
    void uploadVideo();
    void importDefaultVideos();
    bool isImportingDefaultVideos() const { return m_importingDefaultVideos; }

    // ---- VideoDetailViewDelegate
    DetailChanged videoDetailDidChanged() const override { return m_videoDetailDidChanged; }
    void setVideoDetailDidChanged(DetailChanged closure) override {
        m_videoDetailDidChanged = std::move(closure);
    }
    void filterOnlineList(const QString& author) override;
    void downloadVideo(const VideoDetail& video) override;
    void playVideo(const QString& sign) override;
    void showDownloadTab() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void writeVolume();
    void setupViews();
    void viewDidLoad();
    void buildLayout();
    void setHighlights(bool local, bool online, bool download);
    void showOnlineList();
    void popUpCategoryMenu();
    void fillCategoryMenu(QMenu* menu, const std::optional<BaseInfoResponse>& reply);
    void menuDidClose();
    void handleImportPanel(const QList<QUrl>& urls);
    void finishDefaultImport(const QList<QUrl>& urls);
    void tabviewClicked(QWidget* tab, const QPoint& position);
    bool acceptsDrag(const QList<QUrl>& urls) const;
    void performDrop(const QList<QUrl>& urls);
    void applyMuteImage(bool mute);
    void applyPlayImage(bool playing);
    void setCurrentLayout(const std::shared_ptr<CollectionViewLayout>& layout);

    Dependencies m_deps;
    ListContainerView* m_collectionViewContainer = nullptr;
    VideoDetailView* m_detailView = nullptr;
    QPushButton* m_importVideoButton = nullptr;
    QPushButton* m_uploadButton = nullptr;
    QWidget* m_bottomArea = nullptr;
    NowPlayingView* m_nowPlayingView = nullptr;
    QToolButton* m_playButton = nullptr;
    QToolButton* m_muteButton = nullptr;
    QSlider* m_volumeSlider = nullptr;
    QTimer m_volumeWriteTimer;
    QElapsedTimer m_sinceVolumeWrite;
    QWidget* m_userNameBox = nullptr;
    QComboBox* m_playModelButton = nullptr;
    QComboBox* m_sortButton = nullptr;
    ButtonWithColorfulLink* m_newsLinkButton = nullptr;
    HotTagsView* m_hottagsView = nullptr;
    QLabel* m_pageStatus = nullptr;
    ZFCollectionView* m_collectionView = nullptr;
    std::shared_ptr<CollectionViewColumnLayout> m_columnLayout;
    std::shared_ptr<CollectionViewListLayout> m_listLayout;
    TabTitleView* m_localTab = nullptr;
    TabTitleView* m_onlineTab = nullptr;
    TabTitleView* m_downloadTab = nullptr;
    QLabel* m_onlineTabTitle = nullptr;
    QToolButton* m_categoryButton = nullptr;
    QPointer<QMenu> m_categoryMenu;

    std::vector<Disposable> m_observeDispose;
    std::vector<Disposable> m_notificationTokens;
    DetailChanged m_videoDetailDidChanged;
    bool m_dragAccepted = false;
    bool m_importingDefaultVideos = false;
};
