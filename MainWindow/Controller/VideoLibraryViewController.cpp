#include "VideoLibraryViewController.h"

#include "AppImage.h"
#include "AppInfo.h"
#include "BaseInfoResponse.h"
#include "ButtonWithColorfulLink.h"
#include "CollectionViewLayout.h"
#include "DownloadItemCell.h"
#include "DownloadManager.h"
#include "FooterView.h"
#include "HotTagsView.h"
#include "ListContainerView.h"
#include "LocalVideoDBManager.h"
#include "NotificationCenter.h"
#include "NowPlayingView.h"
#include "PlainText.h"
#include "Preferences.h"
#include "ResourcePath.h"
#include "SystemFont.h"
#include "TabTitleView.h"
#include "ThemeColors.h"
#include "VideoItemCell.h"
#include "WebModel.h"
#include "ZFCollectionView.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcLibraryPage, "zerafin.page")

namespace {
QString localized(const char* key, const char* comment = nullptr) {
    return QCoreApplication::translate("Localizable", key, comment);
}

bool isWebAddress(const QUrl& url) {
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

template <typename Work> void onMainQueue(QObject* context, Work work) {
    QMetaObject::invokeMethod(context, std::move(work), Qt::QueuedConnection);
}
} // namespace

QStringList VideoLibraryViewController::sampleVideoNames() {
    return {QStringLiteral("Test Card.mp4"),  QStringLiteral("Colour Bars.mp4"),
            QStringLiteral("Gradient.mp4"),   QStringLiteral("Game of Life.mp4"),
            QStringLiteral("RGB Scroll.mp4"), QStringLiteral("Cellular Automaton.mp4")};
}

QStringList VideoLibraryViewController::acceptTypes() {
    return {QStringLiteral("mov"), QStringLiteral("mp4")};
}

VideoLibraryViewController::VideoLibraryViewController(Dependencies dependencies, QWidget* parent)
    : QWidget(parent), m_deps(std::move(dependencies)) {
    if (!m_deps.locateResource)
        m_deps.locateResource = [](const QString& name) { return ResourcePath::path(name); };
    if (!m_deps.imageNamed)
        m_deps.imageNamed = [](const QString& name) { return AppImage::named(name); };
    m_columnLayout = std::make_shared<CollectionViewColumnLayout>();
    m_columnLayout->setColumnCount(4);
    m_columnLayout->setItemHeight(110.0);
    m_listLayout = std::make_shared<CollectionViewListLayout>();
    m_listLayout->setItemHeight(63.5);
    buildLayout();
    setupViews();
    viewDidLoad();
}

VideoLibraryViewController::~VideoLibraryViewController() {
    // The observations end before the views they update go.
    m_observeDispose.clear();
    m_notificationTokens.clear();
    if (m_deps.lists)
        m_deps.lists->setVideoDetailDidChanged({});
}

CollectionViewColumnLayout* VideoLibraryViewController::columnLayout() const {
    return m_columnLayout.get();
}

CollectionViewListLayout* VideoLibraryViewController::listLayout() const {
    return m_listLayout.get();
}

// ---------------------------------------------------------------------------------------------
// Building the page

void VideoLibraryViewController::buildLayout() {
    // Tab row: the three tab titles on the left, sort order, import and upload on the right.
    auto makeTab = [this](QWidget*& label, const QString& text) {
        auto* tab = new TabTitleView(this);
        auto* title = new QLabel(tab);
        // The online tab's title becomes the chosen category's name, as the server wrote it.
        PlainText::setText(title, text);
        title->setFont(SystemFont::sized(title->font(), 14));
        auto* tabLayout = new QHBoxLayout(tab);
        tabLayout->setContentsMargins(10, 6, 10, 8);
        tabLayout->setSpacing(2);
        tabLayout->addWidget(title);
        label = title;
        return tab;
    };
    QWidget* localTitle = nullptr;
    QWidget* onlineTitle = nullptr;
    QWidget* downloadTitle = nullptr;
    m_localTab = makeTab(localTitle, localized("Local", "Local videos tab"));
    m_onlineTab = makeTab(onlineTitle, localized("Online", "Online videos tab"));
    m_onlineTabTitle = static_cast<QLabel*>(onlineTitle);
    m_categoryButton = new QToolButton(m_onlineTab);
    m_categoryButton->setCheckable(true);
    m_categoryButton->setArrowType(Qt::DownArrow);
    m_categoryButton->setAutoRaise(true);
    m_categoryButton->setFixedSize(16, 16);
    // A click on the button is the tab's click on the button's region (see tabviewClicked).
    m_categoryButton->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_onlineTab->layout()->addWidget(m_categoryButton);
    m_downloadTab = makeTab(downloadTitle, localized("Download", "Download tab"));

    m_sortButton = new QComboBox(this);
    m_sortButton->addItem(localized("Newest", "Sort order"), 1);
    m_sortButton->addItem(localized("Hottest", "Sort order"), 2);
    m_importVideoButton = new QPushButton(localized("Import", "Import local videos"), this);
    m_uploadButton = new QPushButton(localized("Upload", "Upload a video"), this);
    auto* tabRow = new QHBoxLayout();
    tabRow->setContentsMargins(8, 4, 8, 0);
    tabRow->setSpacing(4);
    tabRow->addWidget(m_localTab);
    tabRow->addWidget(m_onlineTab);
    tabRow->addWidget(m_downloadTab);
    tabRow->addStretch(1);
    tabRow->addWidget(m_sortButton);
    tabRow->addWidget(m_importVideoButton);
    tabRow->addWidget(m_uploadButton);

    // The grid's container: its picture (empty list, loading, error) shows behind the grid.
    m_collectionViewContainer = new ListContainerView(this);
    m_collectionViewContainer->setMinimumSize(480, 300);
    m_collectionView = new ZFCollectionView(m_collectionViewContainer);

    m_detailView = new VideoDetailView(VideoDetailView::Dependencies{m_deps.database, m_deps.downloads,
                                                                     m_deps.notifications, m_deps.loadImage,
                                                                     m_deps.imageNamed, m_deps.showPreview},
                                       this);
    auto* middle = new QHBoxLayout();
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    middle->addWidget(m_collectionViewContainer, 1);
    middle->addWidget(m_detailView);

    // Bottom bar.
    m_bottomArea = new QWidget(this);
    m_bottomArea->setAutoFillBackground(true);
    QPalette bottomPalette = m_bottomArea->palette();
    // The artwork's bar colour, else a light grey (gray 0.96).
    bottomPalette.setColor(
        QPalette::Window,
        AppImage::namedColor(QStringLiteral("bottomAreaColor")).value_or(QColor(0xF5, 0xF5, 0xF5)));
    m_bottomArea->setPalette(bottomPalette);
    m_bottomArea->setFixedHeight(44);
    m_userNameBox = new QWidget(m_bottomArea);
    m_nowPlayingView =
        new NowPlayingView(*m_deps.preferences, *m_deps.database, m_deps.locateIcon, m_userNameBox);
    auto* boxLayout = new QHBoxLayout(m_userNameBox);
    boxLayout->setContentsMargins(0, 0, 0, 0);
    boxLayout->addWidget(m_nowPlayingView);
    m_playButton = new QToolButton(m_bottomArea);
    m_muteButton = new QToolButton(m_bottomArea);
    for (QToolButton* button : {m_playButton, m_muteButton}) {
        button->setAutoRaise(true);
        button->setIconSize(QSize(20, 20));
        button->setCursor(Qt::PointingHandCursor);
    }
    m_volumeSlider = new QSlider(Qt::Horizontal, m_bottomArea);
    m_volumeSlider->setRange(0, 1000);
    m_volumeSlider->setFixedWidth(100);
    m_playModelButton = new QComboBox(m_bottomArea);
    m_playModelButton->addItem(localized("Single Cycle", "Play model"));
    m_playModelButton->addItem(localized("List Cycle", "Play model"));
    m_playModelButton->addItem(localized("Random", "Play model"));
    m_pageStatus = new QLabel(m_bottomArea);
    PlainText::setText(m_pageStatus, QStringLiteral("0/0"));
    m_hottagsView = new HotTagsView(m_bottomArea);
    m_newsLinkButton = new ButtonWithColorfulLink(QRect(), m_bottomArea);
    m_newsLinkButton->setHidden(true);
    // The news link keeps its natural width; only a text too long for the bar is cut.
    m_newsLinkButton->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_newsLinkButton->setMaximumWidth(newsLinkMaximumWidth);
    auto* bottom = new QHBoxLayout(m_bottomArea);
    bottom->setContentsMargins(12, 0, 12, 0);
    bottom->setSpacing(10);
    bottom->addWidget(m_userNameBox);
    bottom->addWidget(m_playButton);
    bottom->addWidget(m_muteButton);
    bottom->addWidget(m_volumeSlider);
    bottom->addWidget(m_playModelButton);
    bottom->addWidget(m_pageStatus);
    bottom->addWidget(m_hottagsView, 1);
    bottom->addWidget(m_newsLinkButton);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    page->addLayout(tabRow);
    page->addLayout(middle, 1);
    page->addWidget(m_bottomArea);

    connect(m_playButton, &QToolButton::clicked, this, &VideoLibraryViewController::playButtonAction);
    connect(m_muteButton, &QToolButton::clicked, this, &VideoLibraryViewController::muteButtonAction);
    connect(m_volumeSlider, &QSlider::valueChanged, this, &VideoLibraryViewController::volumeSliderAction);
    m_volumeWriteTimer.setSingleShot(true);
    connect(&m_volumeWriteTimer, &QTimer::timeout, this, &VideoLibraryViewController::writeVolume);
    // The value the drag ended on is written at once, whatever was written last.
    connect(m_volumeSlider, &QSlider::sliderReleased, this, [this] {
        if (m_volumeWriteTimer.isActive())
            writeVolume();
    });
    connect(m_playModelButton, &QComboBox::activated, this, [this](int index) {
        if (index == 0)
            singleCycleAction();
        else if (index == 1)
            listCycleAction();
        else if (index == 2)
            randomCycleAction();
    });
    connect(m_sortButton, &QComboBox::activated, this, [this] { refreshVideoListOnSort(); });
    connect(m_newsLinkButton, &QPushButton::clicked, this, &VideoLibraryViewController::openNewsURL);
    connect(m_hottagsView, &HotTagsView::tagClicked, this, &VideoLibraryViewController::searchKeyword);
    connect(m_importVideoButton, &QPushButton::clicked, this, &VideoLibraryViewController::importLocalVideo);
    connect(m_uploadButton, &QPushButton::clicked, this, &VideoLibraryViewController::uploadVideo);
}

void VideoLibraryViewController::setupViews() {
    // The grid fills its container; the drop target is its viewport.
    m_collectionView->setAllowsEmptySelection(false);
    m_collectionView->setRepeatSelections(true);
    m_collectionView->setNotifyDelegate(true);
    m_collectionView->setCollectionViewLayout(m_columnLayout);
    m_collectionView->viewport()->setAcceptDrops(true);
    m_collectionView->viewport()->installEventFilter(this);

    for (QWidget* tab : {static_cast<QWidget*>(m_localTab), static_cast<QWidget*>(m_onlineTab),
                         static_cast<QWidget*>(m_downloadTab)})
        tab->installEventFilter(this);

    Preferences& preferences = *m_deps.preferences;
    m_observeDispose.push_back(
        observe(&preferences, &Preferences::muteChanged, this, [this](bool mute) { applyMuteImage(mute); }));
    m_observeDispose.push_back(observe(&preferences, &Preferences::isPlayingChanged, this,
                                       [this](bool playing) { applyPlayImage(playing); }));
    m_observeDispose.push_back(
        observe(&preferences, &Preferences::isOpenPlayerChanged, this, [this](bool open) {
            m_nowPlayingView->setIsOpenPlay(open);
            m_playButton->setEnabled(open);
        }));

    {
        const QSignalBlocker quiet(m_volumeSlider);
        m_volumeSlider->setTracking(true);
        m_volumeSlider->setValue(qRound(preferences.volume() * 1000.0f));
    }
    m_userNameBox->setStyleSheet(QStringLiteral("border: none;"));
    m_playModelButton->setCurrentIndex(int(preferences.playModel()));
    applyPlayImage(preferences.isPlaying());
    m_playButton->setEnabled(preferences.isOpenPlayer());
    applyMuteImage(preferences.mute());
    m_nowPlayingView->clickVideoTitleClosure = [this](const std::optional<QString>& sign) {
        selectPlayingVideo(sign);
    };

    if (m_deps.notifications)
        m_notificationTokens.push_back(m_deps.notifications->addObserver(
            WebModel::heartbeatUpdatedNotification(),
            [self = QPointer<VideoLibraryViewController>(this)](const Notification&) {
                if (self)
                    onMainQueue(self.data(), [self] {
                        if (self)
                            self->updateNewsLink();
                    });
            }));
    // A heartbeat that came before the page existed shows too.
    onMainQueue(this, [this] { updateNewsLink(); });
}

void VideoLibraryViewController::viewDidLoad() {
    if (m_deps.notifications)
        m_notificationTokens.push_back(m_deps.notifications->addObserver(
            QStringLiteral("updateVideoAmount"),
            [self = QPointer<VideoLibraryViewController>(this)](const Notification&) {
                if (self)
                    self->updatePageStatus();
            }));
    m_collectionView->registerCell(VideoItemCell::reuseIdentifier, [] { return new VideoItemCell(); });
    m_collectionView->registerCell(DownloadItemCell::reuseIdentifier, [] { return new DownloadItemCell(); });
    m_collectionView->registerSupplementaryView(CollectionView::elementKindSectionFooter,
                                                FooterView::reuseIdentifier, [] { return new FooterView(); });
    if (m_deps.lists) {
        m_deps.lists->setVideoDetailDidChanged(
            [self = QPointer<VideoLibraryViewController>(this)](const std::optional<VideoDetail>& video) {
                if (self)
                    self->videoDetailChanged(video);
            });
        m_deps.lists->bind(VideoLibraryLists::Kind::local, m_collectionView);
        m_deps.lists->reloadVideoList(true);
    }
    m_localTab->setHighlight(true);
    m_detailView->setDelegate(this);
    m_nowPlayingView->setIsOpenPlay(m_deps.preferences->isOpenPlayer());
    if (m_deps.webModel)
        m_deps.webModel->requestBaseInfo(
            [self = QPointer<VideoLibraryViewController>(this)](std::optional<BaseInfoResponse> reply) {
                if (!self)
                    return;
                onMainQueue(self.data(), [self, reply] {
                    if (self)
                        self->layoutHotTags(reply);
                });
            });
}

void VideoLibraryViewController::applyMuteImage(bool mute) {
    const QString name = mute ? QStringLiteral("tray_mute_normal") : QStringLiteral("tray_voice_normal");
    m_muteButton->setIcon(m_deps.imageNamed ? QIcon(QPixmap::fromImage(m_deps.imageNamed(name))) : QIcon());
    m_muteButton->setObjectName(name);
}

void VideoLibraryViewController::applyPlayImage(bool playing) {
    const QString name = playing ? QStringLiteral("pause_normal") : QStringLiteral("play_normal");
    m_playButton->setIcon(m_deps.imageNamed ? QIcon(QPixmap::fromImage(m_deps.imageNamed(name))) : QIcon());
    m_playButton->setObjectName(name);
}

void VideoLibraryViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    importDefaultVideos();
}

// ---------------------------------------------------------------------------------------------
// Tabs, page status, selection

void VideoLibraryViewController::setHighlights(bool local, bool online, bool download) {
    m_localTab->setHighlight(local);
    m_onlineTab->setHighlight(online);
    m_downloadTab->setHighlight(download);
}

void VideoLibraryViewController::setCurrentLayout(const std::shared_ptr<CollectionViewLayout>& layout) {
    if (m_collectionView->collectionViewLayout() != layout.get())
        m_collectionView->setCollectionViewLayout(layout);
}

void VideoLibraryViewController::switchTab(QWidget* tab) {
    using Kind = VideoLibraryLists::Kind;
    Kind kind = Kind::online;
    if (tab == m_localTab) {
        setCurrentLayout(m_columnLayout);
        kind = Kind::local;
        setHighlights(true, false, false);
        m_pageStatus->setHidden(false);
        if (m_deps.lists)
            m_deps.lists->cancelImageDownloads(Kind::online);
    } else if (tab == m_onlineTab) {
        setCurrentLayout(m_columnLayout);
        setHighlights(false, true, false);
        m_pageStatus->setHidden(false);
        if (m_deps.lists)
            m_deps.lists->cancelImageDownloads(Kind::local);
    } else if (tab == m_downloadTab) {
        setCurrentLayout(m_listLayout);
        kind = Kind::download;
        setHighlights(false, false, true);
        m_pageStatus->setHidden(true);
    }
    if (!m_deps.lists)
        return;
    m_deps.lists->bind(kind, m_collectionView);
    switch (kind) {
    case Kind::download:
        onMainQueue(this, [this] { m_deps.lists->clearEmptyImage(); });
        m_deps.lists->reloadOnMainQueue();
        break;
    case Kind::local:
        m_deps.lists->reloadVideoList(true);
        break;
    case Kind::online:
        if (auto* column =
                dynamic_cast<CollectionViewColumnLayout*>(m_collectionView->collectionViewLayout()))
            column->setFooterHeight(30.0);
        m_deps.lists->loadData();
        break;
    }
}

void VideoLibraryViewController::tabviewClicked(QWidget* tab, const QPoint& position) {
    if (tab == m_onlineTab && m_categoryButton->geometry().contains(position)) {
        categoryButtonAction();
        return;
    }
    switchTab(tab);
}

void VideoLibraryViewController::updatePageStatus() {
    int loaded = 0;
    int total = 0;
    if (m_deps.lists) {
        if (const auto kind = m_deps.lists->boundList(m_collectionView)) {
            loaded = m_deps.lists->loadedCount(*kind);
            total = std::max(m_deps.lists->totalVideoCount(*kind), loaded);
        }
    }
    m_pageStatus->setText(QStringLiteral("%1/%2").arg(loaded).arg(total));
}

void VideoLibraryViewController::videoDetailChanged(const std::optional<VideoDetail>& video) {
    // Always on a later turn, so the pane follows the list's current step.
    onMainQueue(this, [self = QPointer<VideoLibraryViewController>(this), video] {
        if (self && self->m_videoDetailDidChanged)
            self->m_videoDetailDidChanged(video);
    });
}

void VideoLibraryViewController::selectPlayingVideo(const std::optional<QString>& sign) {
    if (!m_deps.lists)
        return;
    auto select = [self = QPointer<VideoLibraryViewController>(this), sign] {
        if (!self || !sign)
            return;
        const QStringList signs = self->m_deps.lists->localSigns();
        for (int i = 0; i < signs.size(); ++i) {
            if (signs.at(i) == *sign)
                self->m_collectionView->selectItem(IndexPath(i, 0), false, 0);
        }
    };
    if (m_deps.lists->boundList(m_collectionView) != VideoLibraryLists::Kind::local) {
        // The switch's reload is queued; the selection queues behind it instead of spinning a
        // nested event loop inside the click.
        switchTab(m_localTab);
        onMainQueue(this, [this, select] { onMainQueue(this, select); });
        return;
    }
    select();
}

// ---------------------------------------------------------------------------------------------
// Play controls

void VideoLibraryViewController::playButtonAction() {
    m_deps.preferences->setIsPlaying(!m_deps.preferences->isPlaying());
}

void VideoLibraryViewController::muteButtonAction() {
    m_deps.preferences->setMute(!m_deps.preferences->mute());
}

void VideoLibraryViewController::volumeSliderAction() {
    // The agent reads the settings once a second, so a drag loses nothing by writing only every
    // tenth of a second; the value pending in between is written when its turn comes.
    if (m_volumeSlider->isSliderDown() && m_sinceVolumeWrite.isValid() &&
        m_sinceVolumeWrite.elapsed() < kVolumeWriteIntervalMs) {
        if (!m_volumeWriteTimer.isActive())
            m_volumeWriteTimer.start(int(kVolumeWriteIntervalMs - m_sinceVolumeWrite.elapsed()));
        return;
    }
    writeVolume();
}

void VideoLibraryViewController::writeVolume() {
    m_volumeWriteTimer.stop();
    m_sinceVolumeWrite.start();
    const float volume = float(m_volumeSlider->value()) / 1000.0f;
    m_deps.preferences->setVolume(volume);
    m_deps.preferences->setMute(volume < 0.01f);
}

void VideoLibraryViewController::singleCycleAction() {
    m_deps.preferences->setPlayModel(0);
}

void VideoLibraryViewController::listCycleAction() {
    m_deps.preferences->setPlayModel(1);
}

void VideoLibraryViewController::randomCycleAction() {
    m_deps.preferences->setPlayModel(2);
}

// ---------------------------------------------------------------------------------------------
// Search field and detail pane

void VideoLibraryViewController::searchSuggestions(
    const QString& prefix, std::function<void(std::optional<QStringList>)> completion) {
    if (!completion)
        return;
    if (!m_deps.webModel) {
        completion(std::nullopt);
        return;
    }
    // The server's keywords go to the field as they come, in their order.
    m_deps.webModel->requestKeywords(prefix, [completion](std::optional<std::vector<QString>> keywords) {
        if (!keywords) {
            completion(std::nullopt);
            return;
        }
        completion(QStringList(keywords->begin(), keywords->end()));
    });
}

void VideoLibraryViewController::search(const QString& text) {
    searchKeyword(text);
}

void VideoLibraryViewController::filterOnlineList(const QString& author) {
    if (m_deps.lists)
        m_deps.lists->loadAuthorVideos(author);
}

void VideoLibraryViewController::downloadVideo(const VideoDetail& video) {
    if (m_deps.downloads)
        m_deps.downloads->add(video);
    m_collectionView->reloadData();
}

void VideoLibraryViewController::playVideo(const QString& sign) {
    m_deps.preferences->setPlayingVideoSign(sign);
    if (!m_deps.preferences->isOpenPlayer())
        m_deps.preferences->setIsOpenPlayer(true);
}

void VideoLibraryViewController::showDownloadTab() {
    switchTab(m_downloadTab);
}

// ---------------------------------------------------------------------------------------------
// Category, sort, search, hot tags, news link

void VideoLibraryViewController::categoryButtonAction() {
    m_categoryButton->setChecked(true);
    onMainQueue(this, [self = QPointer<VideoLibraryViewController>(this)] {
        if (self)
            self->popUpCategoryMenu();
    });
}

void VideoLibraryViewController::popUpCategoryMenu() {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    m_categoryMenu = menu;
    connect(menu, &QMenu::aboutToHide, this, &VideoLibraryViewController::menuDidClose);
    // A cached reply fills the menu before it opens; otherwise the items come in while it is open.
    if (m_deps.webModel)
        m_deps.webModel->requestBaseInfo(
            [self = QPointer<VideoLibraryViewController>(this),
             menu = QPointer<QMenu>(menu)](std::optional<BaseInfoResponse> reply) {
                if (self && menu)
                    self->fillCategoryMenu(menu, reply);
            });
    menu->popup(m_categoryButton->mapToGlobal(QPoint(0, m_categoryButton->height())));
}

void VideoLibraryViewController::fillCategoryMenu(QMenu* menu, const std::optional<BaseInfoResponse>& reply) {
    if (!reply)
        return;
    for (const Cate& category : reply->data.cate) {
        QAction* item = menu->addAction(PlainText::title(category.title));
        item->setData(category.id);
        const QString title = category.title;
        const qint64 tag = category.id;
        connect(item, &QAction::triggered, this, [this, title, tag] { switchCategory(title, tag); });
    }
}

void VideoLibraryViewController::menuDidClose() {
    m_categoryButton->setChecked(false);
}

void VideoLibraryViewController::showOnlineList() {
    using Kind = VideoLibraryLists::Kind;
    if (m_deps.lists)
        m_deps.lists->cancelImageDownloads(Kind::local);
    setHighlights(false, true, false);
    m_pageStatus->setHidden(false);
    // The column layout first, so the footer is set whichever tab was shown before.
    setCurrentLayout(m_columnLayout);
    if (m_deps.lists)
        m_deps.lists->bind(Kind::online, m_collectionView);
    m_columnLayout->setFooterHeight(30.0);
}

void VideoLibraryViewController::switchCategory(const QString& title, qint64 tag) {
    m_categoryButton->setChecked(false);
    m_onlineTabTitle->setText(title);
    showOnlineList();
    const std::optional<VideoListRequest>& latest =
        m_deps.webModel ? m_deps.webModel->latestRequest() : std::optional<VideoListRequest>();
    VideoListRequest request;
    request.ui = latest ? latest->ui : WebModel::userID();
    request.cate = tag;
    request.page = 1;
    request.keywords = QString();
    request.sort = latest ? latest->sort : 1;
    request.author = QString();
    if (m_deps.lists)
        m_deps.lists->load(request);
}

void VideoLibraryViewController::refreshVideoListOnSort() {
    switchTab(m_onlineTab);
    const QVariant selected = m_sortButton->currentIndex() >= 0 ? m_sortButton->currentData() : QVariant();
    const qint64 sort = selected.isValid() ? selected.toLongLong() : 1;
    const std::optional<VideoListRequest> latest =
        m_deps.webModel ? m_deps.webModel->latestRequest() : std::optional<VideoListRequest>();
    VideoListRequest request;
    if (latest) {
        request = *latest;
    } else {
        request.ui = WebModel::userID();
        request.cate = 0;
    }
    request.sort = sort;
    // A new order starts at its first page: shown from a later page, its first ones would be lost.
    request.page = 1;
    if (m_deps.lists)
        m_deps.lists->load(request);
}

void VideoLibraryViewController::searchKeyword(const QString& keyword) {
    showOnlineList();
    if (m_deps.lists)
        m_deps.lists->searchKeyword(keyword);
}

QList<QPushButton*> VideoLibraryViewController::hotTagButtons() const {
    return m_hottagsView->buttons();
}

void VideoLibraryViewController::layoutHotTags(const std::optional<BaseInfoResponse>& reply) {
    if (!reply)
        return;
    // The row reads from the right edge leftwards and shows only the tags that fit whole.
    m_hottagsView->appendTags(reply->data.hottags);
}

quint32 VideoLibraryViewController::scanHexInt(const QString& text) {
    int at = 0;
    while (at < text.size() && text.at(at).isSpace())
        ++at;
    if (at + 1 < text.size() && text.at(at) == QLatin1Char('0') &&
        (text.at(at + 1) == QLatin1Char('x') || text.at(at + 1) == QLatin1Char('X')))
        at += 2;
    quint64 value = 0;
    bool overflow = false;
    for (; at < text.size(); ++at) {
        const char16_t c = text.at(at).unicode();
        int digit = -1;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        if (digit < 0)
            break;
        if (!overflow)
            value = value * 16 + quint64(digit);
        if (value > 0xFFFFFFFFull)
            overflow = true;
    }
    return overflow ? 0xFFFFFFFFu : quint32(value);
}

void VideoLibraryViewController::updateNewsLink() {
    if (!m_deps.webModel)
        return;
    const std::optional<HeartbeatResponse>& heartbeat = m_deps.webModel->heartbeatResponse();
    if (!heartbeat)
        return;
    const MsgBottom& message = heartbeat->data.msg.msgBottom;
    m_newsLinkButton->setHidden(false);
    m_newsLinkButton->setText(message.msg);
    // Drawn as written by the button itself; a '&' in the server's text is no keyboard mnemonic.
    m_newsLinkButton->setShortcut(QKeySequence());
    // An empty colour text names no colour: the link keeps the one it has.
    if (!message.color.isEmpty()) {
        const quint32 value = scanHexInt(message.color.mid(1));
        m_newsLinkButton->setTitleColor(QColor::fromRgbF(
            ((value >> 16) & 0xFF) / 255.0f, ((value >> 8) & 0xFF) / 255.0f, (value & 0xFF) / 255.0f, 1.0f));
    }
    m_newsLinkButton->setFontSize(10.0);
    m_newsLinkButton->updateTitle(m_newsLinkButton->titleColor());
    const QUrl url(message.url, QUrl::StrictMode);
    m_newsLinkButton->setLink(url.isValid() && !message.url.isEmpty() ? std::optional<QUrl>(url)
                                                                      : std::nullopt);
}

void VideoLibraryViewController::openNewsURL() {
    const std::optional<QUrl> link = m_newsLinkButton->link();
    if (!link)
        return;
    if (!isWebAddress(*link)) {
        qCWarning(lcLibraryPage) << "news address refused (not http or https):" << link->toString();
        return;
    }
    if (m_deps.openURL)
        m_deps.openURL(*link);
}

// ---------------------------------------------------------------------------------------------
// Drag and drop, import, upload, first run

bool VideoLibraryViewController::acceptsDrag(const QList<QUrl>& urls) const {
    if (!m_deps.lists || m_deps.lists->boundList(m_collectionView) != VideoLibraryLists::Kind::local)
        return false;
    const QStringList types = acceptTypes();
    for (const QUrl& url : urls) {
        if (types.contains(QFileInfo(url.path()).suffix().toLower()))
            return true;
    }
    return false;
}

void VideoLibraryViewController::performDrop(const QList<QUrl>& urls) {
    // The same rule as at entry, letter case included, so an accepted drop never imports nothing.
    const QStringList types = acceptTypes();
    QList<QUrl> kept;
    for (const QUrl& url : urls) {
        if (url.isLocalFile() && types.contains(QFileInfo(url.path()).suffix().toLower()))
            kept.append(url);
    }
    // A drag of web links only brings no file: no batch, no progress window, nothing for the agent.
    if (kept.isEmpty()) {
        qCInfo(lcLibraryPage) << "drop ignored: no local video file among" << urls.size() << "links";
        return;
    }
    if (m_deps.lists)
        m_deps.lists->importVideoFiles(kept, {});
}

bool VideoLibraryViewController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_collectionView->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter: {
            auto* drag = static_cast<QDragEnterEvent*>(event);
            const QMimeData* data = drag->mimeData();
            m_dragAccepted = data && data->hasUrls() && acceptsDrag(data->urls());
            if (m_dragAccepted) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::DragMove: {
            // The answer at entry holds for the whole drag.
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (m_dragAccepted) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::DragLeave:
            m_dragAccepted = false;
            return true;
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QMimeData* data = drop->mimeData();
            if (data && data->hasUrls())
                performDrop(data->urls());
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            m_dragAccepted = false;
            return true;
        }
        default:
            break;
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        (watched == m_localTab || watched == m_onlineTab || watched == m_downloadTab)) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            auto* tab = static_cast<QWidget*>(watched);
            if (tab->rect().contains(mouse->position().toPoint()))
                tabviewClicked(tab, mouse->position().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void VideoLibraryViewController::importLocalVideo() {
    if (!m_deps.chooseFiles)
        return;
    m_deps.chooseFiles(this, [self = QPointer<VideoLibraryViewController>(this)](const QList<QUrl>& urls) {
        if (!self || urls.isEmpty())
            return;
        onMainQueue(self.data(), [self, urls] {
            if (self)
                self->handleImportPanel(urls);
        });
    });
}

void VideoLibraryViewController::handleImportPanel(const QList<QUrl>& urls) {
    using Kind = VideoLibraryLists::Kind;
    if (m_deps.lists)
        m_deps.lists->cancelImageDownloads(Kind::online);
    setHighlights(true, false, false);
    m_pageStatus->setHidden(false);
    setCurrentLayout(m_columnLayout);
    if (!m_deps.lists)
        return;
    m_deps.lists->bind(Kind::local, m_collectionView);
    m_deps.lists->reloadVideoList(true);
    m_deps.lists->importVideoFiles(urls, {});
}

void VideoLibraryViewController::uploadVideo() {
    if (m_deps.openURL)
        m_deps.openURL(AppInfo::uploadURL());
}

void VideoLibraryViewController::importDefaultVideos() {
    if (m_deps.preferences->alreadyImportVideo())
        return;
    // One batch at a time: a second showing while the first runs would import every sample twice.
    if (m_importingDefaultVideos || !m_deps.lists)
        return;
    QList<QUrl> urls;
    for (const QString& name : sampleVideoNames()) {
        if (const auto path = m_deps.locateResource(name))
            urls.append(QUrl::fromLocalFile(*path));
    }
    m_importingDefaultVideos = true;
    m_deps.lists->importVideoFiles(urls, [self = QPointer<VideoLibraryViewController>(this), urls] {
        if (!self)
            return;
        onMainQueue(self.data(), [self, urls] {
            if (self)
                self->finishDefaultImport(urls);
        });
    });
}

void VideoLibraryViewController::finishDefaultImport(const QList<QUrl>& urls) {
    m_importingDefaultVideos = false;
    if (!urls.isEmpty())
        switchTab(m_localTab);
    Preferences& preferences = *m_deps.preferences;
    preferences.setAlreadyImportVideo(true);
    const std::vector<VideoDetail> rows =
        m_deps.database ? m_deps.database->selectAll() : std::vector<VideoDetail>();
    preferences.setPlayingVideoSign(rows.empty() ? QString() : rows.back().sign);
    preferences.setIsOpenPlayer(true);
}
