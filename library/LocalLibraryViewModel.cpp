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
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QSemaphore>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>

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
    const bool running =
        std::any_of(m_importQueues.cbegin(), m_importQueues.cend(),
                    [](const ImportBatch& batch) { return batch.finished->available() == 0; });
    if (!running) {
        m_importQueues.clear();
        return;
    }
    // Quitting mid-batch: no file starts after this, the file being imported ends at its next step
    // (its server answer would come on a main loop that no longer turns), and a batch that still
    // runs past the limit (a long copy) is left to the end of the process instead of holding it.
    *m_importsCancelled = true;
    if (m_dependencies.importer)
        m_dependencies.importer->cancelImports();
    const QDeadlineTimer deadline(importTeardownLimit);
    for (ImportBatch& batch : m_importQueues) {
        if (batch.progress) {
            batch.progress->close();
            batch.progress->deleteLater();
        }
        if (batch.finished->tryAcquire(1, int(std::max<qint64>(0, deadline.remainingTime()))))
            continue;
        qCWarning(lcLists) << "an import batch is still running; it ends with the process";
        (void)batch.queue.release();
    }
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
        // Without a file to go with it the row stays: nothing is removed and nobody is told.
        qCWarning(lcLists) << "remove: the stored address names no file, nothing removed:"
                           << video.url.left(200);
        return;
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

namespace {
// The names in `folder` other than hidden ones, sorted; none when the folder cannot be read.
std::optional<QStringList> visibleEntries(const QString& folder, QString* error) {
    DIR* directory = ::opendir(QFile::encodeName(folder).constData());
    if (!directory) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    QStringList names;
    int readError = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(directory);
        if (!entry) {
            readError = errno;
            break;
        }
        const QString name = QFile::decodeName(entry->d_name);
        if (!name.startsWith(QLatin1Char('.')))
            names.append(name);
    }
    ::closedir(directory);
    if (readError != 0) {
        *error = QString::fromLocal8Bit(std::strerror(readError));
        return std::nullopt;
    }
    names.sort();
    return names;
}
} // namespace

void LocalLibraryViewModel::clearAllConfirmed() {
    const QString folder = m_dependencies.libraryDirectory;
    // The folder is listed before the table is read: a video placed in between then keeps its
    // file rather than leaving its row without one.
    QString error;
    const std::optional<QStringList> listed = visibleEntries(folder, &error);
    if (!listed) {
        qCWarning(lcLists).noquote() << "clear all: cannot list the library folder" << folder << ":" << error;
        return;
    }
    const std::optional<std::vector<VideoDetail>> rows = m_dependencies.database->selectAllIfReadable();
    if (!rows) {
        // An unreadable table looks empty: clearing would delete every file the user cannot see.
        qCWarning(lcLists) << "clear all: the library database cannot be read; nothing deleted";
        if (m_dependencies.alerts)
            m_dependencies.alerts->showMessage(
                localized("The video library cannot be read, so nothing was deleted"));
        return;
    }

    // Each video goes as its file and then its row, so that a process killed at any moment leaves
    // at most one row whose file is gone. The first failure stops the clearing there.
    QSet<QString> remaining(listed->cbegin(), listed->cend());
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    for (const VideoDetail& video : *rows) {
        const std::optional<QString> path = LocalVideoPath::fromStoredUrl(video.url);
        if (path) {
            const QFileInfo file(*path);
            const QString name = file.fileName();
            if (QFileInfo(file.absolutePath()).canonicalFilePath() == canonicalFolder &&
                remaining.contains(name)) {
                if (!removeLibraryEntry(QDir(folder).filePath(name))) {
                    qCWarning(lcLists) << "clear all: could not remove" << QDir(folder).filePath(name);
                    reloadVideoList(true);
                    return;
                }
                remaining.remove(name);
            }
        }
        if (!m_dependencies.database->deleteBySign(video.sign)) {
            qCWarning(lcLists) << "clear all: could not delete the row of" << video.sign;
            reloadVideoList(true);
            return;
        }
    }
    // Then whatever else the folder held (files without rows, folders).
    for (const QString& name : *listed) {
        if (!remaining.contains(name))
            continue;
        if (!removeLibraryEntry(QDir(folder).filePath(name))) {
            qCWarning(lcLists) << "clear all: could not remove" << QDir(folder).filePath(name);
            break;
        }
    }
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

    m_importQueues.push_back(ImportBatch{std::make_unique<DispatchQueue>(QStringLiteral("importFromDrag")),
                                         std::make_shared<QSemaphore>(0), controller});
    DispatchQueue* queue = m_importQueues.back().queue.get();
    const std::shared_ptr<QSemaphore> finished = m_importQueues.back().finished;
    const std::shared_ptr<std::atomic<bool>> cancelled = m_importsCancelled;
    LocalLibraryModel* importer = m_dependencies.importer;
    DistributedNotificationCenter* distributed = m_dependencies.distributed;
    queue->async([urls, controller, guard, importer, distributed, queue, finished, cancelled,
                  completion = std::move(completion)] {
        auto semaphore = std::make_shared<QSemaphore>(1);
        for (const QUrl& url : urls) {
            semaphore->acquire();
            if (*cancelled) {
                semaphore->release();
                break;
            }
            // One file at a time: the next starts once this one has reported.
            importer->importVideo(url, true,
                                  [semaphore, guard, cancelled](const QString&, ImportVideoStatus status) {
                                      if (!*cancelled)
                                          MainThread::post([guard, status] {
                                              if (guard)
                                                  guard->showImportError(int(status));
                                          });
                                      semaphore->release();
                                  });
        }
        semaphore->acquire();
        // A batch cut short by quitting leaves the window, the caller and the agent alone.
        if (*cancelled) {
            finished->release();
            return;
        }
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
            guard->m_importQueues.remove_if(
                [queue](const ImportBatch& held) { return held.queue.get() == queue; });
        });
        finished->release();
    });
}
