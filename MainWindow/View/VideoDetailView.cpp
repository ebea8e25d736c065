#include "VideoDetailView.h"

#include "AttributedTitle.h"
#include "ButtonWithHoverBackGround.h"
#include "DisplayFormat.h"
#include "DownloadManager.h"
#include "LocalVideoDBManager.h"
#include "NotificationCenter.h"
#include "PlainText.h"
#include "PreviewPresenter.h"
#include "SystemFont.h"
#include "ThemeColors.h"
#include "TitleStyle.h"
#include "VideoDetailViewDelegate.h"
#include "WebLibraryViewModel.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr QSize kThumbnailSize(236, 133);
constexpr int kAvatarSide = 36;

QString localized(const char* key, const char* comment) {
    return QCoreApplication::translate("Localizable", key, comment);
}

// The thumbnail filled into its frame (cropped, never letter-boxed) with rounded corners.
QPixmap roundedFill(const QImage& image, const QSize& size, qreal radius, bool circle) {
    QPixmap canvas(size);
    canvas.fill(Qt::transparent);
    if (image.isNull())
        return canvas;
    // Pictures drawn for dense screens carry a pixel ratio; here every pixel counts as one.
    QImage scaled = image.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(1.0);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    if (circle)
        clip.addEllipse(QRectF(QPointF(0, 0), QSizeF(size)));
    else
        clip.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), radius, radius);
    painter.setClipPath(clip);
    painter.drawImage(QPoint((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2),
                      scaled);
    return canvas;
}

QLabel* caption(const char* key, QWidget* parent) {
    auto* label = new QLabel(parent);
    PlainText::setText(label, QCoreApplication::translate("Localizable", key));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(140, 140, 140));
    label->setPalette(palette);
    return label;
}

QLabel* valueLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    // The values come from the record (the ratio is free text).
    PlainText::keep(label);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}
} // namespace

QString VideoDetailView::downloadTitle() {
    static const QString title = localized("Download", "To download video");
    return title;
}

QString VideoDetailView::downloadingTitle() {
    static const QString title = localized("Downloading", "Downloading video");
    return title;
}

QString VideoDetailView::wallpaperTitle() {
    static const QString title = localized("Set as Wallpaper", "Button title");
    return title;
}

VideoDetailView::VideoDetailView(Dependencies dependencies, QWidget* parent)
    : QWidget(parent), m_deps(std::move(dependencies)) {
    setFixedWidth(260);

    m_previewView = new QLabel(this);
    PlainText::keep(m_previewView);
    m_previewView->setFixedSize(kThumbnailSize);
    m_titleLabel = new QLabel(this);
    PlainText::keep(m_titleLabel);
    m_titleLabel->setWordWrap(true);
    QFont titleFont = SystemFont::sized(m_titleLabel->font(), 15);
    titleFont.setBold(true);
    m_titleLabel->setFont(titleFont);

    m_userInfoView = new QFrame(this);
    m_userInfoView->setFrameShape(QFrame::NoFrame);
    m_userAvatar = new QToolButton(m_userInfoView);
    m_userAvatar->setFixedSize(kAvatarSide, kAvatarSide);
    m_userAvatar->setIconSize(QSize(kAvatarSide, kAvatarSide));
    m_userAvatar->setAutoRaise(true);
    m_userAvatar->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; }"));
    m_userAvatar->setCursor(Qt::PointingHandCursor);
    m_userName = new QPushButton(m_userInfoView);
    m_userName->setFlat(true);
    m_userName->setCursor(Qt::PointingHandCursor);
    m_userVideCount = new QLabel(m_userInfoView);
    PlainText::keep(m_userVideCount);
    auto* userLayout = new QHBoxLayout(m_userInfoView);
    userLayout->setContentsMargins(0, 0, 0, 0);
    userLayout->addWidget(m_userAvatar);
    auto* nameColumn = new QVBoxLayout();
    nameColumn->setSpacing(0);
    nameColumn->addWidget(m_userName, 0, Qt::AlignLeft);
    auto* countRow = new QHBoxLayout();
    countRow->setSpacing(4);
    countRow->addWidget(caption("Uploads", m_userInfoView));
    countRow->addWidget(m_userVideCount);
    countRow->addStretch(1);
    nameColumn->addLayout(countRow);
    userLayout->addLayout(nameColumn, 1);

    m_downloadLabel = valueLabel(this);
    m_sizeLabel = valueLabel(this);
    m_durationLabel = valueLabel(this);
    m_dimensionsLabel = valueLabel(this);
    m_audioLabel = valueLabel(this);
    m_requirementLabel = valueLabel(this);
    auto* facts = new QGridLayout();
    facts->setVerticalSpacing(8);
    const std::pair<const char*, QLabel*> rows[] = {
        {"Downloads", m_downloadLabel},    {"Size", m_sizeLabel},   {"Duration", m_durationLabel},
        {"Resolution", m_dimensionsLabel}, {"Audio", m_audioLabel}, {"Performance", m_requirementLabel}};
    int row = 0;
    for (const auto& [key, label] : rows) {
        facts->addWidget(caption(key, this), row, 0);
        facts->addWidget(label, row, 1);
        ++row;
    }

    m_previewPlayerButton = new QPushButton(localized("Preview", "Preview the video"), this);
    m_previewPlayerButton->setCursor(Qt::PointingHandCursor);
    m_downloadButton = new ButtonWithHoverBackGround(this);
    m_downloadButton->setFixedHeight(36);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(m_previewView);
    layout->addWidget(m_titleLabel);
    layout->addWidget(m_userInfoView);
    layout->addLayout(facts);
    layout->addStretch(1);
    layout->addWidget(m_previewPlayerButton);
    layout->addWidget(m_downloadButton);

    connect(m_userAvatar, &QToolButton::clicked, this, &VideoDetailView::clickUserAvatar);
    connect(m_previewPlayerButton, &QPushButton::clicked, this, &VideoDetailView::clickPreviewButton);
    connect(m_downloadButton, &QPushButton::clicked, this, &VideoDetailView::downloadOrSetBackGround);

    // Set up as the page's interface file would leave it: the button in its wallpaper look until
    // the first refresh, and listening for the online list's download item.
    m_downloadButton->awakeFromNib();
    updateDownloadButton(wallpaperTitle());
    if (m_deps.notifications)
        m_rightClickObservation = m_deps.notifications->addObserver(
            QStringLiteral("rightClickNotification"),
            [self = QPointer<VideoDetailView>(this)](const Notification& notification) {
                if (self)
                    self->rightClickToDownload(notification);
            });
    refresh();
}

VideoDetailView::~VideoDetailView() = default;

QImage VideoDetailView::named(const QString& name) const {
    return m_deps.imageNamed ? m_deps.imageNamed(name) : QImage();
}

void VideoDetailView::setVideoDetail(const std::optional<VideoDetail>& video) {
    m_videoDetail = video;
}

void VideoDetailView::setDelegate(VideoDetailViewDelegate* delegate) {
    m_delegate = delegate;
    if (!delegate)
        return;
    delegate->setVideoDetailDidChanged(
        [self = QPointer<VideoDetailView>(this)](const std::optional<VideoDetail>& video) {
            if (!self)
                return;
            self->setVideoDetail(video);
            self->refresh();
        });
}

std::optional<QUrl> VideoDetailView::addressFrom(const QString& text) {
    QUrl url(text, QUrl::StrictMode);
    if (url.isValid() && !text.isEmpty())
        return url;
    // The characters an address query may hold stay; everything else is percent-encoded.
    const QByteArray encoded = QUrl::toPercentEncoding(text, "!$&'()*+,-./:;=?@_~");
    url = QUrl(QString::fromLatin1(encoded), QUrl::StrictMode);
    if (url.isValid() && !encoded.isEmpty())
        return url;
    return std::nullopt;
}

void VideoDetailView::setThumbnail(const QImage& image) {
    m_thumbnail = image;
    m_previewView->setPixmap(roundedFill(image, kThumbnailSize, 5.0, false));
}

void VideoDetailView::setAvatar(const QImage& image) {
    m_avatar = image;
    m_userAvatar->setIcon(QIcon(roundedFill(image, QSize(kAvatarSide, kAvatarSide), 0, true)));
}

bool VideoDetailView::isQueued(const QString& sign) const {
    if (!m_deps.downloads)
        return false;
    for (const auto& item : m_deps.downloads->progressArray()) {
        if (item && item->videoInfo().sign == sign)
            return true;
    }
    return false;
}

void VideoDetailView::refresh() {
    // Pictures still on their way belong to what was shown before.
    delete m_imageContext;
    m_imageContext = new QObject(this);

    if (!m_videoDetail) {
        setThumbnail(named(QStringLiteral("default_thumbnail")));
        m_userAvatar->setEnabled(false);
        setAvatar(named(QStringLiteral("default_avatar")));
        TitleStyle::applyPlain(m_userName, QString());
        for (QLabel* label : {m_titleLabel, m_downloadLabel, m_sizeLabel, m_durationLabel, m_dimensionsLabel,
                              m_audioLabel, m_requirementLabel})
            label->setText(QString());
        m_userVideCount->setText(QStringLiteral("0"));
        m_previewPlayerButton->setHidden(true);
        m_downloadButton->setEnabled(false);
        return;
    }
    const VideoDetail& video = *m_videoDetail;
    m_userAvatar->setEnabled(true);
    m_previewPlayerButton->setHidden(video.preurl.isEmpty());
    m_downloadButton->setEnabled(true);

    updateDownloadButton(downloadTitle());
    if (m_deps.database && m_deps.database->selectBySign(video.sign))
        updateDownloadButton(wallpaperTitle());
    else if (isQueued(video.sign))
        updateDownloadButton(downloadingTitle());

    setThumbnail(named(QStringLiteral("default_thumbnail")));
    setAvatar(named(QStringLiteral("default_avatar")));
    if (m_deps.loadImage) {
        if (const auto address = addressFrom(video.imgurl))
            m_deps.loadImage(*address, m_imageContext, [this](const QImage& image) {
                if (!image.isNull())
                    setThumbnail(image);
            });
        if (const auto address = addressFrom(video.avatar))
            m_deps.loadImage(*address, m_imageContext, [this](const QImage& image) {
                if (!image.isNull())
                    setAvatar(image);
            });
    }

    TitleStyle::apply(m_userName, AttributedTitle::underlinedLinkTitle(video.author));
    m_userVideCount->setText(QString::number(video.upcount));
    m_titleLabel->setText(video.title);
    m_downloadLabel->setText(QString::number(video.down));
    m_sizeLabel->setText(DisplayFormat::formatFileSize(video.size));
    m_durationLabel->setText(DisplayFormat::formatDuration(video.time / 1000));
    m_dimensionsLabel->setText(DisplayFormat::formatDimensions(video.width, video.height, video.ratio));
    m_audioLabel->setText(video.audio == 1 ? localized("YES", "YES") : localized("NO", "NO"));
    const PerformanceRequirement requirement = video.requirement();
    m_requirementLabel->setText(requirement.text);
    m_requirementLabel->setAlignment(requirement.alignment | Qt::AlignVCenter);
    // The label colour comes from the pane: the label's own palette already carries the colour
    // its previous style gave it (red after a high-performance video).
    m_requirementLabel->setStyleSheet(
        QStringLiteral("color: %1;").arg(requirement.foreground(palette()).name()));
}

void VideoDetailView::updateDownloadButton(const QString& title) {
    const bool green = title == downloadTitle() || title == downloadingTitle();
    m_downloadButton->setText(title);
    m_downloadButton->setTitleColor(Qt::white);
    m_downloadButton->setHoverColor(green ? ThemeColors::themeGreenHover() : ThemeColors::themeBlueHover());
    m_downloadButton->setPressedColor(green ? ThemeColors::themeGreenPressed()
                                            : ThemeColors::themeBluePressed());
    m_downloadButton->setNormalColor(green ? ThemeColors::themeGreen() : ThemeColors::themeBlue());
}

void VideoDetailView::clickUserAvatar() {
    if (m_delegate && m_videoDetail)
        m_delegate->filterOnlineList(m_videoDetail->author);
}

void VideoDetailView::clickPreviewButton() {
    const auto address = addressFrom(m_videoDetail ? m_videoDetail->preurl : QString());
    if (!address)
        return;
    if (m_deps.showPreview) {
        m_deps.showPreview(*address);
    } else if (::PreviewPresenter* presenter = ::PreviewPresenter::of(this)) {
        // The window the pane sits in shows previews; the empty rectangle keeps its place.
        presenter->showPreviewWindow(*address, QRect());
    }
}

void VideoDetailView::downloadOrSetBackGround() {
    const QString title = m_downloadButton->text();
    if (title == downloadingTitle()) {
        if (m_delegate)
            m_delegate->showDownloadTab();
    } else if (title == downloadTitle()) {
        if (!m_videoDetail)
            return;
        updateDownloadButton(downloadingTitle());
        if (m_delegate)
            m_delegate->downloadVideo(*m_videoDetail);
    } else if (title == wallpaperTitle()) {
        if (m_delegate && m_videoDetail)
            m_delegate->playVideo(m_videoDetail->sign);
    }
}

std::optional<VideoDetail> VideoDetailView::videoFrom(const Notification& notification) {
    return WebLibraryViewModel::videoOf(notification);
}

void VideoDetailView::rightClickToDownload(const Notification& notification) {
    const auto video = videoFrom(notification);
    if (!video)
        return;
    if (m_deps.downloads && m_deps.downloads->contains(video->sign)) {
        if (m_delegate)
            m_delegate->showDownloadTab();
        return;
    }
    // The list selected the item before posting, so the pane shows the same video.
    if (!m_videoDetail)
        return;
    updateDownloadButton(downloadingTitle());
    if (m_delegate)
        m_delegate->downloadVideo(*m_videoDetail);
}
