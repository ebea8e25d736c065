#pragma once

#include "Disposable.h"
#include "VideoDetail.h"

#include <QImage>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <optional>

class ButtonWithHoverBackGround;
class DownloadManager;
class LocalVideoDBManager;
class NotificationCenter;
class QFrame;
class QLabel;
class QPushButton;
class QToolButton;
class VideoDetailViewDelegate;
struct Notification;

// The pane beside the grid: the selected video's thumbnail, title, author, counts, size, duration,
// dimensions, sound and performance need, with one button that downloads the video, shows that it
// is downloading, or makes it the wallpaper; a preview button; and the author's avatar, which lists
// that author's videos. It also carries out the online list's "download" menu item, which reaches
// it as "rightClickNotification".
class VideoDetailView : public QWidget {
    Q_OBJECT

public:
    // Loads a picture and hands it over on the main thread (not at all when the load fails);
    // `context` going away cancels the hand-over.
    using ImageLoader =
        std::function<void(const QUrl& url, QObject* context, std::function<void(const QImage&)>)>;
    // Named artwork ("default_thumbnail", "default_avatar"); a null image when unknown.
    using ImageNamed = std::function<QImage(const QString& name)>;
    // Shows a preview window for the address; unset: the preview presenter of the pane's window,
    // and no preview when that window offers none.
    using PreviewPresenter = std::function<void(const QUrl& url)>;

    struct Dependencies {
        LocalVideoDBManager* database = nullptr;
        DownloadManager* downloads = nullptr;
        NotificationCenter* notifications = nullptr;
        ImageLoader loadImage;
        ImageNamed imageNamed;
        PreviewPresenter showPreview;
    };

    explicit VideoDetailView(Dependencies dependencies, QWidget* parent = nullptr);
    ~VideoDetailView() override;

    // The three button titles.
    static QString downloadTitle();
    static QString downloadingTitle();
    static QString wallpaperTitle();

    QLabel* previewView() const { return m_previewView; }
    QFrame* userInfoView() const { return m_userInfoView; }
    QToolButton* userAvatar() const { return m_userAvatar; }
    QPushButton* userName() const { return m_userName; }
    QLabel* userVideCount() const { return m_userVideCount; }
    QPushButton* previewPlayerButton() const { return m_previewPlayerButton; }
    ButtonWithHoverBackGround* downloadButton() const { return m_downloadButton; }
    QLabel* titleLabel() const { return m_titleLabel; }
    QLabel* downloadLabel() const { return m_downloadLabel; }
    QLabel* sizeLabel() const { return m_sizeLabel; }
    QLabel* durationLabel() const { return m_durationLabel; }
    QLabel* dimensionsLabel() const { return m_dimensionsLabel; }
    QLabel* audioLabel() const { return m_audioLabel; }
    QLabel* requirementLabel() const { return m_requirementLabel; }

    const std::optional<VideoDetail>& videoDetail() const { return m_videoDetail; }
    void setVideoDetail(const std::optional<VideoDetail>& video);

    VideoDetailViewDelegate* delegate() const { return m_delegate; }
    // Also gives the delegate the pane's update closure.
    void setDelegate(VideoDetailViewDelegate* delegate);

    // Fills every part from the shown video.
    void refresh();
    // Sets the button's title with its colour set (green for the download titles, else blue).
    void updateDownloadButton(const QString& title);

    // The pictures shown now (thumbnail, avatar).
    QImage thumbnailImage() const { return m_thumbnail; }
    QImage avatarImage() const { return m_avatar; }

    // A server text made an address: read as it is, else with the characters an address cannot
    // hold percent-encoded; none when neither gives a valid address.
    static std::optional<QUrl> addressFrom(const QString& text);

    // The actions.
    void clickUserAvatar();
    void clickPreviewButton();
    void downloadOrSetBackGround();
    void rightClickToDownload(const Notification& notification);

    // The video a "rightClickNotification" carries, if any.
    static std::optional<VideoDetail> videoFrom(const Notification& notification);

private:
    void setThumbnail(const QImage& image);
    void setAvatar(const QImage& image);
    QImage named(const QString& name) const;
    bool isQueued(const QString& sign) const;

    Dependencies m_deps;
    QLabel* m_previewView = nullptr;
    QFrame* m_userInfoView = nullptr;
    QToolButton* m_userAvatar = nullptr;
    QPushButton* m_userName = nullptr;
    QLabel* m_userVideCount = nullptr;
    QPushButton* m_previewPlayerButton = nullptr;
    ButtonWithHoverBackGround* m_downloadButton = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_downloadLabel = nullptr;
    QLabel* m_sizeLabel = nullptr;
    QLabel* m_durationLabel = nullptr;
    QLabel* m_dimensionsLabel = nullptr;
    QLabel* m_audioLabel = nullptr;
    QLabel* m_requirementLabel = nullptr;

    std::optional<VideoDetail> m_videoDetail;
    VideoDetailViewDelegate* m_delegate = nullptr;
    QImage m_thumbnail;
    QImage m_avatar;
    // Image loads of the shown video report to this object; a new refresh replaces it, so a late
    // picture of the previous video never lands on the pane.
    QPointer<QObject> m_imageContext;
    std::optional<Disposable> m_rightClickObservation;
};
