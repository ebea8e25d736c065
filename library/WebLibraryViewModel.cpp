#include "WebLibraryViewModel.h"

#include "AppImage.h"
#include "Console.h"
#include "DownloadManager.h"
#include "FooterView.h"
#include "ListContainerView.h"
#include "LocalVideoDBManager.h"
#include "LooseUrl.h"
#include "MenuPresenter.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "PreviewPresenter.h"
#include "UrlOpener.h"
#include "VideoItemCell.h"
#include "VideoItemImageView.h"
#include "WebLibraryRefreshSubView.h"
#include "WebModel.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLoggingCategory>
#include <QMouseEvent>

Q_DECLARE_LOGGING_CATEGORY(lcLists)

namespace {
QString localized(const char* key) {
    return QCoreApplication::translate("Localizable", key);
}

// A length as the console shows it: "1234.0", "12.5".
QString pointText(qreal value) {
    QString text = QString::number(value, 'g', 15);
    if (!text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) &&
        !text.contains(QLatin1Char('n')))
        text += QStringLiteral(".0");
    return text;
}
} // namespace

WebLibraryViewModel::WebLibraryViewModel(Dependencies dependencies, QObject* parent)
    : LibraryViewModel(*dependencies.images, *dependencies.notifications, parent),
      m_dependencies(dependencies) {}

WebLibraryViewModel::~WebLibraryViewModel() {
    if (m_refreshSubView && !m_refreshSubView->parentWidget())
        delete m_refreshSubView.data();
}

WebLibraryRefreshSubView* WebLibraryViewModel::refreshSubView() {
    if (!m_refreshSubView) {
        m_refreshSubView = new WebLibraryRefreshSubView();
        QPointer<WebLibraryViewModel> guard(this);
        m_refreshSubView->setRefreshClosure([guard] {
            if (guard)
                guard->retry();
        });
    }
    return m_refreshSubView;
}

// ---- requests

VideoListRequest WebLibraryViewModel::defaultRequest() const {
    VideoListRequest request;
    request.ui = m_dependencies.webModel->installationID();
    request.cate = 0;
    request.page = 1;
    request.sort = 1;
    return request;
}

VideoListRequest WebLibraryViewModel::latestRequest() const {
    return m_dependencies.webModel->latestRequest().value_or(defaultRequest());
}

QString WebLibraryViewModel::base64Text(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toBase64());
}

std::optional<VideoDetail> WebLibraryViewModel::videoOf(const Notification& notification) {
    const QVariant value = notification.userInfo.value(QString::fromLatin1(videoKey));
    if (value.metaType() != QMetaType::fromType<VideoDetail>())
        return std::nullopt;
    return value.value<VideoDetail>();
}

void WebLibraryViewModel::loadData() {
    queueOnMain([this] { clearEmptyImage(); });
    const auto& list = videoList();
    if (list && !list->empty()) {
        reloadOnMainQueue();
        if (collectionView())
            collectionView()->scrollToTop(false);
        return;
    }
    VideoListRequest request = latestRequest();
    request.page = 1;
    request.keywords.clear();
    request.author.clear();
    load(request);
}

void WebLibraryViewModel::searchKeyword(const QString& keyword) {
    VideoListRequest request = latestRequest();
    request.page = 1;
    request.keywords = base64Text(keyword);
    request.author.clear();
    load(request);
}

void WebLibraryViewModel::loadAuthorVideos(const QString& author) {
    VideoListRequest request = latestRequest();
    request.cate = 0;
    request.page = 1;
    request.keywords.clear();
    request.author = base64Text(author);
    load(request);
}

void WebLibraryViewModel::retry() {
    load(latestRequest());
}

void WebLibraryViewModel::load(const VideoListRequest& request) {
    m_loadStatus = LoadStatus::loading;
    const quint64 generation = ++m_generation;
    queueOnMain([this] { showLoadingView(); });
    QPointer<WebLibraryViewModel> guard(this);
    m_dependencies.webModel->requestVideoList(
        request,
        [guard, generation](std::optional<VideoListResponse> reply, int statusCode, bool noConnection) {
            if (!guard)
                return;
            if (generation != guard->m_generation) {
                qCDebug(lcLists) << "reply to an earlier listing dropped";
                return;
            }
            guard->handleFirstPage(reply, statusCode, noConnection);
        });
}

void WebLibraryViewModel::handleFirstPage(const std::optional<VideoListResponse>& reply, int,
                                          bool noConnection) {
    if (!reply) {
        queueOnMain([this, noConnection] { showErrorView(noConnection); });
        setTotalVideoCount(0);
        setVideoList(std::nullopt);
    } else {
        const bool empty = reply->data.vlist.empty();
        queueOnMain([this, empty] { empty ? showEmptyView() : hideStateView(); });
        setTotalVideoCount(reply->data.total);
        setVideoList(reply->data.vlist);
    }
    reloadOnMainQueue();
    m_loadStatus = !reply || reply->data.page == reply->data.pages ? LoadStatus::loadedAll : LoadStatus::none;
}

// ---- next page

void WebLibraryViewModel::collectionViewDidEndScrolling(CollectionView* collectionView, bool) {
    loadNextPageIfNeeded(collectionView);
}

void WebLibraryViewModel::loadNextPageIfNeeded(CollectionView* collectionView) {
    const auto& list = videoList();
    if (!collectionView || !list || list->empty())
        return;
    const qreal insetBottom = collectionView->contentInsets().bottom();
    const qreal contentHeight = collectionView->contentSize().height();
    const qreal visibleBottom =
        collectionView->contentOffset().y() + collectionView->bounds().height() - insetBottom;
    Console::line(QStringLiteral("maximumOffset ") + pointText(contentHeight) +
                  QStringLiteral(", currentOffset ") + pointText(visibleBottom) +
                  QStringLiteral(", inset.bottom ") + pointText(insetBottom));
    if (contentHeight - visibleBottom >= nextPageDistance)
        return;
    if (m_loadStatus != LoadStatus::none && m_loadStatus != LoadStatus::failed)
        return;
    std::optional<VideoListRequest> latest = m_dependencies.webModel->latestRequest();
    if (!latest)
        return;
    m_loadStatus = LoadStatus::loading;
    collectionView->reloadData();
    latest->page += 1;
    m_dependencies.webModel->setLatestRequest(latest);
    const quint64 generation = m_generation;
    QPointer<WebLibraryViewModel> guard(this);
    m_dependencies.webModel->requestVideoList(
        *latest, [guard, generation](std::optional<VideoListResponse> reply, int, bool) {
            if (!guard)
                return;
            if (generation != guard->m_generation) {
                qCDebug(lcLists) << "next page of an earlier listing dropped";
                return;
            }
            if (!reply) {
                // The same page is asked for again at the next attempt.
                WebModel& web = *guard->m_dependencies.webModel;
                if (auto again = web.latestRequest()) {
                    again->page -= 1;
                    web.setLatestRequest(again);
                }
                guard->appendNextPage(std::nullopt);
                return;
            }
            guard->appendNextPage(reply->data);
        });
}

void WebLibraryViewModel::appendNextPage(const std::optional<TotalVideo>& data) {
    if (!data) {
        m_loadStatus = LoadStatus::failed;
        queueOnMain([this] {
            if (collectionView())
                collectionView()->reloadData();
        });
        return;
    }
    m_loadStatus = data->page == data->pages ? LoadStatus::loadedAll : LoadStatus::none;
    if (auto list = videoList()) {
        list->insert(list->end(), data->vlist.begin(), data->vlist.end());
        setVideoList(std::move(list));
    }
    reloadOnMainQueue();
}

// ---- state views

void WebLibraryViewModel::showLoadingView() {
    setVideoList(std::nullopt);
    reloadOnMainQueue();
    ListContainerView* view = container();
    if (view)
        view->setImage(AppImage::named(QStringLiteral("network_connecting")));
    WebLibraryRefreshSubView* sub = refreshSubView();
    if (sub && view) {
        sub->setShowRefreshButton(false);
        view->showOverlay(sub, stateViewBottomMargin);
        sub->setTitle(localized("Loading..."));
    }
}

void WebLibraryViewModel::showErrorView(bool noConnection) {
    if (ListContainerView* view = container())
        view->setImage(AppImage::named(QStringLiteral("network_error")));
    if (WebLibraryRefreshSubView* sub = refreshSubView()) {
        sub->setTitle(noConnection ? localized("Fail to connect network")
                                   : localized("The server is under maintenance"));
        sub->setHint(WebLibraryRefreshSubView::Hint::checkNetwork);
        sub->setShowRefreshButton(true);
    }
}

void WebLibraryViewModel::showEmptyView() {
    if (ListContainerView* view = container())
        view->setImage(AppImage::named(QStringLiteral("empty_video_list")));
    if (WebLibraryRefreshSubView* sub = refreshSubView()) {
        sub->setTitle(localized("List is empty"));
        sub->setHint(WebLibraryRefreshSubView::Hint::emptyList);
        sub->setShowRefreshButton(true);
    }
}

void WebLibraryViewModel::hideStateView() {
    if (ListContainerView* view = container()) {
        view->setImage(QImage());
        view->removeOverlay(refreshSubView());
    } else if (m_refreshSubView && m_refreshSubView->parentWidget()) {
        m_refreshSubView->hide();
        m_refreshSubView->setParent(nullptr);
    }
}

void WebLibraryViewModel::didUnbind() {
    if (m_refreshSubView && m_refreshSubView->parentWidget()) {
        if (auto* view = qobject_cast<ListContainerView*>(m_refreshSubView->parentWidget())) {
            view->removeOverlay(m_refreshSubView);
        } else {
            m_refreshSubView->hide();
            m_refreshSubView->setParent(nullptr);
        }
    }
}

// ---- cells and footer

CollectionViewCell* WebLibraryViewModel::cellForItemAt(CollectionView* collectionView,
                                                       const IndexPath& indexPath) {
    CollectionViewCell* cell = LibraryViewModel::cellForItemAt(collectionView, indexPath);
    const auto video = videoAt(indexPath.item);
    auto* videoCell = qobject_cast<VideoItemCell*>(cell);
    if (!video || !videoCell || !videoCell->coverImageView())
        return cell;
    const QString& sign = video->sign;
    if (m_dependencies.downloads && m_dependencies.downloads->contains(sign))
        videoCell->coverImageView()->setImage(
            AppImage::named(QStringLiteral("online_video_list_downloading_corvex.png")));
    if (m_dependencies.database && m_dependencies.database->selectBySign(sign))
        videoCell->coverImageView()->setImage(
            AppImage::named(QStringLiteral("online_video_list_downloaded_corvex.png")));
    return cell;
}

QString WebLibraryViewModel::footerText() const {
    const auto& list = videoList();
    if (!list || list->empty() || m_loadStatus == LoadStatus::none)
        return QString();
    switch (m_loadStatus) {
    case LoadStatus::loading:
        return localized("Loading more videos ...");
    case LoadStatus::failed:
        return localized("Try to scroll to reload again");
    case LoadStatus::loadedAll:
        return localized("---- No more videos ----");
    case LoadStatus::none:
        break;
    }
    return QString();
}

CollectionReusableView* WebLibraryViewModel::viewForSupplementaryElementOfKind(CollectionView* collectionView,
                                                                               const QString& kind,
                                                                               const IndexPath& indexPath) {
    if (kind != CollectionView::elementKindSectionFooter)
        return nullptr;
    CollectionReusableView* view = collectionView->dequeueReusableSupplementaryView(
        kind, QString::fromLatin1(footerIdentifier), indexPath);
    if (auto* footer = qobject_cast<FooterView*>(view); footer && footer->titleLabel())
        footer->titleLabel()->setText(footerText());
    return view;
}

// ---- menu and clicks

void WebLibraryViewModel::didRightClickItemAt(CollectionView* collectionView,
                                              std::optional<IndexPath> indexPath, QMouseEvent* event) {
    if (!indexPath || !collectionView)
        return;
    const auto video = videoAt(indexPath->item);
    if (!video)
        return;
    report(video);
    m_currentItem = video;
    collectionView->selectItem(*indexPath, false, 0);

    QString secondTitle;
    if (m_dependencies.database && m_dependencies.database->selectBySign(video->sign))
        secondTitle = localized("Set as Wallpaper");
    else if (m_dependencies.downloads && m_dependencies.downloads->contains(video->sign))
        secondTitle = localized("Download List");
    else
        secondTitle = localized("Download Menu");
    QPointer<WebLibraryViewModel> guard(this);
    const QList<MenuPresenter::Item> items{
        {localized("Preview"),
         [guard] {
             if (guard)
                 guard->showPreview();
         }},
        {secondTitle,
         [guard] {
             if (guard)
                 guard->downloadOrSetBackground();
         }},
    };
    if (m_dependencies.menus)
        m_dependencies.menus->popUp(items, collectionView->viewport(),
                                    event ? event->position().toPoint() : QPoint());
}

void WebLibraryViewModel::didDoubleClickItemAt(CollectionView*, std::optional<IndexPath> indexPath,
                                               QMouseEvent*) {
    if (!indexPath)
        return;
    if (const auto video = videoAt(indexPath->item))
        previewVideo(*video);
}

void WebLibraryViewModel::showPreview() {
    if (m_currentItem)
        previewVideo(*m_currentItem);
}

void WebLibraryViewModel::previewVideo(const VideoDetail& video) {
    const std::optional<QUrl> url = LooseUrl::fromString(video.preurl);
    if (!url)
        return;
    // The address comes from the server: only web addresses are ever previewed.
    if (!UrlOpener::isWebAddress(*url)) {
        qCWarning(lcLists) << "preview refused, not an http(s) address:" << video.preurl.left(200);
        return;
    }
    if (PreviewPresenter* presenter = PreviewPresenter::of(collectionView()))
        presenter->showPreviewWindow(*url, QRect());
}

void WebLibraryViewModel::downloadOrSetBackground() {
    if (!m_currentItem)
        return;
    const QString sign = m_currentItem->sign;
    if (m_dependencies.database && m_dependencies.database->selectBySign(sign)) {
        m_dependencies.preferences->setPlayingVideoSign(sign);
        m_dependencies.preferences->setIsOpenPlayer(true);
        return;
    }
    notifications().post(QString::fromLatin1(rightClickNotification), nullptr,
                         {{QString::fromLatin1(videoKey), QVariant::fromValue(*m_currentItem)}});
}
