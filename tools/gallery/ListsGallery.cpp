// Gallery pages of the library lists: the online grid with its badges and state views, the local
// grid and its empty state, and the download rows in each status.
#include "Gallery.h"

#include "DownloadItem.h"
#include "DownloadItemCell.h"
#include "DownloadManager.h"
#include "DownloadViewModel.h"
#include "FooterView.h"
#include "ImageLoader.h"
#include "ListContainerView.h"
#include "LocalLibraryModel.h"
#include "LocalLibraryViewModel.h"
#include "LocalVideoDBManager.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "UserDefaults.h"
#include "VideoItemCell.h"
#include "WebLibraryRefreshSubView.h"
#include "WebLibraryViewModel.h"
#include "WebModel.h"
#include "ZFCollectionView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLinearGradient>
#include <QNetworkAccessManager>
#include <QPainter>
#include <QTemporaryDir>

namespace {
void settle(int milliseconds = 100) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Thumbnails as files, as imports store them: one colour per video.
QString thumbnailFile(const QTemporaryDir& folder, int i) {
    QImage image(320, 180, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 180);
    sky.setColorAt(0, QColor::fromHsv(i * 45 % 360, 160, 120));
    sky.setColorAt(1, QColor::fromHsv((i * 45 + 40) % 360, 140, 240));
    p.fillRect(image.rect(), sky);
    p.setBrush(QColor(20, 24, 40));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(100 + i * 20, 230), 220, 90);
    p.end();
    const QString path = folder.filePath(QString("thumb%1.png").arg(i));
    image.save(path);
    return path;
}

VideoDetail sampleVideo(const QTemporaryDir& folder, int i) {
    VideoDetail video;
    video.sign = QString("%1").arg(i, 32, 10, QLatin1Char('0'));
    video.title = QStringList{"Ocean waves at dusk", "Mountain lake", "City lights", "Forest rain",
                              "Northern lights",     "Desert dunes",  "Coral reef",  "Snowfall"}
                      .value(i % 8);
    video.imgurl = QUrl::fromLocalFile(thumbnailFile(folder, i)).toString();
    video.url = "http://127.0.0.1:9/" + video.sign + ".mp4";
    video.size = 25000000;
    return video;
}

// The library page's grid: a container with the collection view inside.
struct Grid {
    explicit Grid(bool list = false) {
        window.resize(list ? 620 : 760, list ? 260 : 420);
        container = new ListContainerView(&window);
        container->setGeometry(window.rect());
        view = new ZFCollectionView(container);
        view->setGeometry(container->rect());
        if (list) {
            view->setCollectionViewLayout(std::make_shared<CollectionViewListLayout>());
        } else {
            auto layout = std::make_shared<CollectionViewColumnLayout>();
            layout->setFooterHeight(30);
            view->setCollectionViewLayout(layout);
        }
        view->setNotifyDelegate(true);
        view->registerCell(VideoItemCell::reuseIdentifier, [] { return new VideoItemCell(); });
        view->registerCell(DownloadItemCell::reuseIdentifier, [] { return new DownloadItemCell(); });
        view->registerSupplementaryView(CollectionView::elementKindSectionFooter, FooterView::reuseIdentifier,
                                        [] { return new FooterView(); });
        window.setAutoFillBackground(true);
        window.show();
    }
    QWidget window;
    ListContainerView* container;
    ZFCollectionView* view;
};

struct Services {
    QTemporaryDir home;
    QNetworkAccessManager network;
    NotificationCenter notifications;
    UserDefaults suite{home.filePath("suite.ini")};
    UserDefaults standard{home.filePath("standard.ini")};
    Preferences preferences{suite};
    LocalVideoDBManager database{home.filePath("Corvex.db")};
    // Sample thumbnails are files in the home, as imports store them; the online and download
    // lists show their placeholder for those, as they would for a server naming a file.
    ImageLoader images{[this] {
        ImageLoader::Options options;
        options.network = &network;
        options.ownFolders = {home.path()};
        return options;
    }()};
    std::unique_ptr<DownloadManager> downloads;

    Services() {
        DownloadManager::Dependencies deps;
        deps.cachesDirectory = home.filePath("caches");
        deps.libraryDirectory = home.filePath("library");
        deps.database = &database;
        deps.reportDownloadStatus = [](qint64, int) {};
        downloads = std::make_unique<DownloadManager>(deps);
    }

    std::unique_ptr<WebModel> webModel(const QUrl& base) {
        WebModel::Options options;
        options.baseURL = base;
        options.standardDefaults = &standard;
        options.suite = &suite;
        options.notifications = &notifications;
        options.scheduleRefreshes = false;
        return std::make_unique<WebModel>(options);
    }
};
} // namespace

GALLERY_PAGE("OnlineList") {
    Services services;
    // An address that never answers within the time-out: the loading state shows first.
    auto web = services.webModel(QUrl("http://10.255.255.1"));
    WebLibraryViewModel::Dependencies deps{
        web.get(), &services.database, services.downloads.get(), &services.preferences,
        nullptr,   &services.images,   &services.notifications};
    WebLibraryViewModel model(deps);
    Grid grid;
    model.bind(grid.view);
    model.loadData();
    settle();
    shots.shot("loading", &grid.window);
    QElapsedTimer timer;
    timer.start();
    while (model.loadStatus() == LoadStatus::loading && timer.elapsed() < 5000)
        settle(50);
    settle();
    shots.shot("error", &grid.window);

    // A page of videos: one queued for download, one already in the library.
    std::vector<VideoDetail> videos;
    for (int i = 0; i < 10; ++i)
        videos.push_back(sampleVideo(services.home, i));
    services.downloads->add(videos[1]);
    services.database.insert(videos[2]);
    model.setVideoList(videos);
    model.reloadOnMainQueue();
    QMetaObject::invokeMethod(&model, [&] {
        grid.container->setImage({});
        grid.container->removeOverlay(model.refreshSubView());
    });
    settle(300);
    shots.shot("grid with badges", &grid.window);
    model.setVideoList(std::nullopt);
    model.reloadOnMainQueue();
    settle();
}

GALLERY_PAGE("LocalList") {
    Services services;
    LocalLibraryModel importer(services.database, {}, services.home.filePath("library"),
                               services.home.path());
    LocalLibraryViewModel::Dependencies deps;
    deps.database = &services.database;
    deps.preferences = &services.preferences;
    deps.importer = &importer;
    deps.libraryDirectory = services.home.filePath("library");
    deps.images = &services.images;
    deps.notifications = &services.notifications;
    LocalLibraryViewModel model(deps);
    Grid grid;
    model.bind(grid.view);
    model.reloadVideoList(true);
    settle();
    shots.shot("empty", &grid.window);
    for (int i = 0; i < 7; ++i)
        services.database.insert(sampleVideo(services.home, i));
    services.preferences.setIsOpenPlayer(true);
    services.preferences.setPlayingVideoSign(sampleVideo(services.home, 3).sign);
    model.reloadVideoList(true);
    settle(300);
    shots.shot("playing video selected", &grid.window);
}

GALLERY_PAGE("DownloadList") {
    Services services;
    DownloadViewModel model(
        DownloadViewModel::Dependencies{services.downloads.get(), &services.images, &services.notifications});
    Grid grid(true);
    model.bind(grid.view);
    for (int i = 0; i < 4; ++i)
        services.downloads->add(sampleVideo(services.home, i));
    settle(300);
    const ItemStatus statuses[] = {ItemStatus::downloading, ItemStatus::wait, ItemStatus::pause,
                                   ItemStatus::error};
    for (int i = 0; i < 4; ++i) {
        const auto& item = services.downloads->progressArray().at(i);
        item->setStatus(statuses[i]);
        item->setDownloadedSize(qint64(i + 1) * 3100000);
    }
    grid.view->reloadData();
    settle(300);
    shots.shot("four statuses", &grid.window);
}
