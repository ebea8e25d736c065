#include "LocalLibraryViewModel.h"

#include "AlertPresenter.h"
#include "AppImage.h"
#include "DispatchQueue.h"
#include "DistributedNotificationCenter.h"
#include "FileChooser.h"
#include "FileRevealer.h"
#include "ListContainerView.h"
#include "LocalLibraryModel.h"
#include "LocalVideoDBManager.h"
#include "LocalVideoPath.h"
#include "LooseUrl.h"
#include "MainThread.h"
#include "MenuPresenter.h"
#include "Preferences.h"
#include "PreviewPresenter.h"
#include "ProgressWindow.h"
#include "ProgressWindowController.h"
#include "ReplyLimits.h"
#include "UrlOpener.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QSemaphore>

Q_DECLARE_LOGGING_CATEGORY(lcLists)

namespace {
QString localized(const char* key) {
    return QCoreApplication::translate("Localizable", key);
}
} // namespace

LocalLibraryViewModel::LocalLibraryViewModel(Dependencies dependencies, QObject* parent)
    : LibraryViewModel(*dependencies.images, *dependencies.notifications, parent),
      m_dependencies(dependencies) {}

LocalLibraryViewModel::~LocalLibraryViewModel() {
    m_stopping->store(true);
    m_importQueues.clear();
}

void LocalLibraryViewModel::postUpdateVideoList() {
    if (m_dependencies.distributed)
        m_dependencies.distributed->post(QString::fromLatin1(updateVideoListNotification));
}

// ---- the list

void LocalLibraryViewModel::reloadVideoList(bool scrollToTop) {
    queueOnMain([this] { clearEmptyImage(); });
    QPointer<CollectionView> view = collectionView();
    const bool hadCollectionView = view;
    const QPointF offset = view ? view->contentOffset() : QPointF();
    std::vector<VideoDetail> rows = m_dependencies.database->selectAll();
    // Rows stored before replies were cut may carry any length of text; the list shows them cut.
    // Only what is shown changes: actions go by sign and address, and the table keeps its rows.
    for (VideoDetail& row : rows)
        ReplyLimits::bound(row);
    setVideoList(std::move(rows));
    reloadOnMainQueue();
    queueOnMain([this] { selectPlayingItem(); });
    queueOnMain([this, hadCollectionView, scrollToTop, offset] {
        CollectionView* now = collectionView();
        if (!now)
            return;
        if (hadCollectionView && !scrollToTop)
            now->setContentOffset(offset);
        now->reloadData();
        const auto& list = videoList();
        if ((!list || list->empty()) && container())
            container()->setImage(AppImage::named(QStringLiteral("empty_video_list")));
    });
    if (scrollToTop && view)
        view->scrollToTop(false);
}

void LocalLibraryViewModel::selectPlayingItem() {
    if (!m_dependencies.preferences->isOpenPlayer() || !collectionView())
        return;
    const std::optional<QString> sign = m_dependencies.preferences->playingVideoSign();
    const auto& list = videoList();
    if (!sign || !list)
        return;
    for (size_t i = 0; i < list->size(); ++i) {
        if (list->at(i).sign == *sign)
            collectionView()->selectItem(IndexPath(int(i), 0), true, 0);
    }
}

// ---- menus

QStringList LocalLibraryViewModel::itemMenuTitles(const VideoDetail& video) {
    QStringList titles;
    if (!video.preurl.isEmpty())
        titles << localized("Preview Video");
    titles << localized("Set as Wallpaper") << localized("Remove") << localized("Show in Finder");
    return titles;
}

QStringList LocalLibraryViewModel::listMenuTitles() {
    return {localized("Import Video"), localized("Open Resource Path"), localized("Clear All")};
}

void LocalLibraryViewModel::didRightClickItemAt(CollectionView* collectionView,
                                                std::optional<IndexPath> indexPath, QMouseEvent* event) {
    if (!indexPath || !collectionView)
        return;
    const auto video = videoAt(indexPath->item);
    if (!video)
        return;
    report(video);
    m_currentItem = video;
    collectionView->selectItem(*indexPath, false, 0);
    collectionView->reloadData();

    QPointer<LocalLibraryViewModel> guard(this);
    auto action = [guard](void (LocalLibraryViewModel::*member)()) {
        return [guard, member] {
            if (guard)
                (guard.data()->*member)();
        };
    };
    QList<MenuPresenter::Item> items;
    if (!video->preurl.isEmpty())
        items.append({localized("Preview Video"), action(&LocalLibraryViewModel::previewItemAction)});
    items.append({localized("Set as Wallpaper"), action(&LocalLibraryViewModel::setBackgroundItemAction)});
    items.append({localized("Remove"), action(&LocalLibraryViewModel::deleteItemAction)});
    items.append({localized("Show in Finder"), action(&LocalLibraryViewModel::showInVideoFinderItemAction)});
    if (m_dependencies.menus)
        m_dependencies.menus->popUp(items, collectionView->viewport(),
                                    event ? event->position().toPoint() : QPoint());
}

void LocalLibraryViewModel::rightMouseUp(CollectionView* collectionView, QMouseEvent* event) {
    if (!collectionView || collectionView->delegate() != this)
        return;
    const QPoint position = event ? event->position().toPoint() : QPoint();
    // A release over an item belongs to that item's menu, opened by the press.
    if (event && collectionView->indexPathForItemAt(position))
        return;
    QPointer<LocalLibraryViewModel> guard(this);
    auto action = [guard](void (LocalLibraryViewModel::*member)()) {
        return [guard, member] {
            if (guard)
                (guard.data()->*member)();
        };
    };
    const QList<MenuPresenter::Item> items{
        {localized("Import Video"), action(&LocalLibraryViewModel::importVideoItemAction)},
        {localized("Open Resource Path"), action(&LocalLibraryViewModel::openResourcePathItemAction)},
        {localized("Clear All"), action(&LocalLibraryViewModel::clearAllItemAction)},
    };
    if (m_dependencies.menus)
        m_dependencies.menus->popUp(items, collectionView->viewport(), position);
}

void LocalLibraryViewModel::didDoubleClickItemAt(CollectionView*, std::optional<IndexPath> indexPath,
                                                 QMouseEvent*) {
    if (!indexPath)
        return;
    if (const auto video = videoAt(indexPath->item)) {
        m_dependencies.preferences->setPlayingVideoSign(video->sign);
        m_dependencies.preferences->setIsOpenPlayer(true);
    }
}

// ---- item menu actions

void LocalLibraryViewModel::previewItemAction() {
    if (!m_currentItem)
        return;
    const std::optional<QUrl> url = LooseUrl::fromString(m_currentItem->preurl);
    if (!url)
        return;
    if (!UrlOpener::isWebAddress(*url)) {
        qCWarning(lcLists) << "preview refused, not an http(s) address:" << m_currentItem->preurl.left(200);
        return;
    }
    if (PreviewPresenter* presenter = PreviewPresenter::of(collectionView()))
        presenter->showPreviewWindow(*url, QRect());
}

void LocalLibraryViewModel::setBackgroundItemAction() {
    if (!m_currentItem)
        return;
    m_dependencies.preferences->setPlayingVideoSign(m_currentItem->sign);
    m_dependencies.preferences->setIsOpenPlayer(true);
}

bool LocalLibraryViewModel::isInsideLibrary(const QString& path) const {
    const QString library = QFileInfo(m_dependencies.libraryDirectory).canonicalFilePath();
    const QString file = QFileInfo(path).canonicalFilePath();
    return !library.isEmpty() && !file.isEmpty() && file.startsWith(library + QLatin1Char('/'));
}

void LocalLibraryViewModel::deleteItemAction() {
    if (!m_currentItem)
        return;
    const VideoDetail video = *m_currentItem;
    // The table is shared with the agent: a file is only ever deleted inside the library folder.
    // The row goes in every case, so the list never keeps a video the user removed.
    if (const std::optional<QString> path = LocalVideoPath::fromStoredUrl(video.url)) {
        if (!QFileInfo::exists(*path)) {
            qCWarning(lcLists) << "remove: no file at" << *path;
        } else if (!isInsideLibrary(*path)) {
            qCWarning(lcLists) << "remove: file outside the library folder kept:" << *path;
        } else {
            QFile file(*path);
            if (!file.remove())
                qCWarning(lcLists) << "remove:" << file.errorString() << *path;
        }
    } else {
        qCWarning(lcLists) << "remove: the stored address names no file:" << video.url.left(200);
    }
    m_dependencies.database->deleteBySign(video.sign);
    reloadVideoList(false);
    postUpdateVideoList();
}

void LocalLibraryViewModel::showInVideoFinderItemAction() {
    if (!m_currentItem || !m_dependencies.revealer)
        return;
    if (const std::optional<QString> path = LocalVideoPath::fromStoredUrl(m_currentItem->url))
        m_dependencies.revealer->revealFile(*path);
}

// ---- list menu actions

void LocalLibraryViewModel::importVideoItemAction() {
    if (!m_dependencies.fileChooser)
        return;
    QPointer<LocalLibraryViewModel> guard(this);
    QWidget* parent = collectionView() ? collectionView()->window() : nullptr;
    m_dependencies.fileChooser->chooseFiles(parent, {QStringLiteral("mp4"), QStringLiteral("mov")},
                                            [guard](const QList<QUrl>& files) {
                                                if (!guard)
                                                    return;
                                                guard->reloadVideoList(true);
                                                guard->importVideoFiles(files);
                                            });
}

void LocalLibraryViewModel::openResourcePathItemAction() {
    if (m_dependencies.revealer)
        m_dependencies.revealer->openFolder(m_dependencies.libraryDirectory);
}

void LocalLibraryViewModel::clearAllItemAction() {
    if (!m_dependencies.alerts)
        return;
    QPointer<LocalLibraryViewModel> guard(this);
    QWidget* window = collectionView() ? collectionView()->window() : nullptr;
    m_dependencies.alerts->confirm(
        window, localized("Are you sure to clear all the videos"), {localized("Cancel"), localized("OK")},
        AlertPresenter::Style::warning, [guard](int button) {
            // The answer as the alert numbers its buttons: 1000, 1001.
            qCInfo(lcLists) << "clear all answered" << (button < 0 ? button : 1000 + button);
            if (guard && button == 1)
                guard->clearAllConfirmed();
        });
}

bool LocalLibraryViewModel::removeLibraryEntry(const QString& path) {
    const QFileInfo entry(path);
    return entry.isDir() && !entry.isSymLink() ? QDir(path).removeRecursively() : QFile::remove(path);
}

void LocalLibraryViewModel::clearAllConfirmed() {
    const QDir library(m_dependencies.libraryDirectory);
    if (!library.exists()) {
        qCWarning(lcLists) << "clear all: no library folder" << m_dependencies.libraryDirectory;
        return;
    }
    const QFileInfoList entries =
        library.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    for (const QFileInfo& entry : entries) {
        if (removeLibraryEntry(entry.filePath()))
            continue;
        qCWarning(lcLists) << "clear all: could not remove" << entry.filePath();
        // Part of the library is gone: its rows go too, so that no row names a missing file.
        for (const VideoDetail& video : m_dependencies.database->selectAll()) {
            const std::optional<QString> path = LocalVideoPath::fromStoredUrl(video.url);
            if (path && !QFileInfo::exists(*path))
                m_dependencies.database->deleteBySign(video.sign);
        }
        reloadVideoList(true);
        return;
    }
    m_dependencies.database->deleteAll();
    reloadVideoList(true);
}

// ---- import

void LocalLibraryViewModel::showImportError(int status) {
    if (!m_dependencies.alerts)
        return;
    switch (ImportVideoStatus(status)) {
    case ImportVideoStatus::complete:
        return;
    case ImportVideoStatus::failure:
        m_dependencies.alerts->showMessage(localized("This video format is not supported"));
        return;
    case ImportVideoStatus::isExist:
        m_dependencies.alerts->showMessage(localized("This video exists"));
        return;
    }
}

void LocalLibraryViewModel::importVideoFiles(const QList<QUrl>& urls, std::function<void()> completion) {
    QPointer<ProgressWindowController> controller = new ProgressWindowController();
    QPointer<LocalLibraryViewModel> guard(this);
    queueOnMain([this, controller] {
        if (controller)
            controller->showCentredOn(collectionView() ? collectionView()->window() : nullptr);
    });

    m_importQueues.push_back(std::make_unique<DispatchQueue>(QStringLiteral("importFromDrag")));
    DispatchQueue* queue = m_importQueues.back().get();
    LocalLibraryModel* importer = m_dependencies.importer;
    DistributedNotificationCenter* distributed = m_dependencies.distributed;
    queue->async([urls, controller, guard, importer, distributed, queue, stopping = m_stopping,
                  completion = std::move(completion)] {
        auto semaphore = std::make_shared<QSemaphore>(1);
        // False once the program is ending: the batch is given up where it stands.
        const auto nextTurn = [&semaphore, &stopping] {
            while (!semaphore->tryAcquire(1, 100)) {
                if (stopping->load())
                    return false;
            }
            return true;
        };
        for (const QUrl& url : urls) {
            if (!nextTurn())
                return;
            // One file at a time: the next starts once this one has reported.
            importer->importVideo(url, true, [semaphore, guard](const QString&, ImportVideoStatus status) {
                semaphore->release();
                MainThread::post([guard, status] {
                    if (guard)
                        guard->showImportError(int(status));
                });
            });
        }
        if (!nextTurn())
            return;
        MainThread::post([guard, controller] {
            if (controller) {
                controller->close();
                controller->deleteLater();
            }
            if (guard)
                guard->reloadVideoList(true);
        });
        semaphore->release();
        if (completion)
            completion();
        if (distributed)
            distributed->post(QString::fromLatin1(updateVideoListNotification));
        MainThread::post([guard, queue] {
            if (!guard)
                return;
            guard->m_importQueues.remove_if([queue](const auto& held) { return held.get() == queue; });
        });
    });
}
