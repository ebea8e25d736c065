// Renders the library page for a person to look at: the local tab after the first-run import of the
// sample videos, the page and its bottom bar (eight hot tags, a news line) at the main window's
// default and minimum sizes, the online tab, the download tab, the player-off state and the preview
// window, each as a PNG in the folder given as the first argument. Runs against an in-process protocol test
// server over a temporary home; meant for an X server (tools/page-screenshots.sh starts Xvfb).
#include "ButtonWithColorfulLink.h"
#include "DownloadManager.h"
#include "HotTagsView.h"
#include "ImageLoader.h"
#include "LibraryViewModels.h"
#include "LocalLibraryModel.h"
#include "LocalVideoDBManager.h"
#include "MpvPlayer.h"
#include "NotificationCenter.h"
#include "Preferences.h"
#include "PreviewWindowPresenter.h"
#include "ProtocolTestServer.h"
#include "TabTitleView.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "VideoLibraryViewController.h"
#include "WebModel.h"
#include "ZFCollectionView.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cstdio>

namespace {
bool save(const QPixmap& picture, const QString& folder, const QString& name) {
    const QString path = folder + QLatin1Char('/') + name;
    const bool ok = picture.save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}
} // namespace

int main(int argc, char** argv) {
    TestHome::installProcessHome();
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: page_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    TestHome home;

    ProtocolTestServer server;
    if (!server.start())
        return 1;
    const QStringList titles = {"Aurora",     "Harbour Lights", "Rain Forest", "Desert Dunes",
                                "Snow Peaks", "Night Market",   "Coral Reef",  "City Loop"};
    const QString sampleFolder = qEnvironmentVariable("ZERAFIN_RESOURCES");
    const QStringList samples = VideoLibraryViewController::sampleVideoNames();
    for (int i = 0; i < titles.size(); ++i) {
        // Each catalogue entry previews one of the sample clips and shows a picture of its own.
        QImage picture(320, 180, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv((i * 45) % 360, 140, 210));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
        const QString sign = ProtocolTestServer::signOf(titles[i].toUtf8());
        QJsonObject video = ProtocolTestServer::videoRecord(sign, titles[i]);
        video["imgurl"] = server.serveFile(sign + ".png", png).toString();
        video["avatar"] = video["imgurl"];
        video["preurl"] =
            server.serveFilePath(sign + ".mp4", sampleFolder + "/" + samples[i % samples.size()]).toString();
        server.addVideo(video);
    }
    const QStringList hotTags = {"nightscape", "space",    "city", "autumn",
                                 "ocean",      "abstract", "rain", "forest"};
    server.setHotTags(hotTags);
    server.setCategories(QJsonArray{QJsonObject{{"id", 1}, {"title", "Landscape"}},
                                    QJsonObject{{"id", 2}, {"title", "Abstract"}}});
    QJsonObject heartbeat = ProtocolTestServer::defaultHeartbeatData();
    QJsonObject msg = heartbeat["msg"].toObject();
    msg["msg_bottom"] = QJsonObject{{"msgid", 1},
                                    {"msg", "New wallpapers every week"},
                                    {"url", "https://news.example/"},
                                    {"color", "#FF8000"},
                                    {"back", 0}};
    heartbeat["msg"] = msg;
    server.setHeartbeatData(heartbeat);

    UserDefaults standard(home.file("standard.ini"));
    UserDefaults suite(home.file("suite.ini"));
    Preferences::registerDefaults(suite);
    Preferences preferences(suite);
    NotificationCenter notifications;
    WebModel::Options options;
    options.baseURL = server.baseUrl();
    options.standardDefaults = &standard;
    options.suite = &suite;
    options.notifications = &notifications;
    options.scheduleRefreshes = false;
    WebModel webModel(options);
    LocalVideoDBManager database(home.file("Corvex.db"));
    for (const char* folder : {"library", "thumbnails", "caches"})
        QDir().mkpath(home.file(folder));
    LocalLibraryModel importer(database, {}, home.file("library"), home.file("thumbnails"));
    DownloadManager downloads(DownloadManager::Dependencies{home.file("caches"),
                                                            home.file("library"),
                                                            &database,
                                                            &notifications,
                                                            nullptr,
                                                            [](qint64, int) {},
                                                            {},
                                                            10000});
    ImageLoader::Options imageOptions;
    imageOptions.ownFolders = {home.file("thumbnails")};
    ImageLoader images(imageOptions);
    LibraryViewModels lists(
        WebLibraryViewModel::Dependencies{&webModel, &database, &downloads, &preferences, nullptr, &images,
                                          &notifications},
        LocalLibraryViewModel::Dependencies{&database, &preferences, &importer, home.file("library"), nullptr,
                                            nullptr, nullptr, nullptr, nullptr, &images, &notifications},
        DownloadViewModel::Dependencies{&downloads, &images, &notifications});
    PreviewWindowPresenter previews(PreviewWindowPresenter::webPlayerFactory(), [](const QUrl&) {});

    VideoLibraryViewController::Dependencies deps;
    deps.preferences = &preferences;
    deps.webModel = &webModel;
    deps.database = &database;
    deps.downloads = &downloads;
    deps.notifications = &notifications;
    deps.lists = &lists;
    // Pictures through the lists' own loader; a picture for a video no longer shown is dropped.
    deps.loadImage = [&images](const QUrl& url, QObject* context, std::function<void(const QImage&)> done) {
        images.loadImage(url, [context = QPointer<QObject>(context), done](const QImage& image) {
            if (context && !image.isNull())
                done(image);
        });
    };
    deps.showPreview = [&previews](const QUrl& url) { previews.showPreviewWindow(url, QRect()); };
    VideoLibraryViewController page(deps);
    page.setWindowTitle("Zerafin Video Desktop");
    page.resize(1180, 700);
    page.show();
    webModel.sendHeartbeat(WebModel::HeartBeatType::Boot, "1000");

    bool ok = TestHome::waitUntil([&] { return preferences.alreadyImportVideo(); }, std::chrono::seconds(90));
    TestHome::waitUntil([&] {
        return page.hottagsView()->tagCount() == hotTags.size() && !page.newsLinkButton()->isHidden();
    });
    TestHome::spin(std::chrono::milliseconds(800));
    ok = save(page.grab(), out, "page-local.png") && ok;

    // The page as the main window holds it at its default size (1180 by 720) and at its minimum
    // (1000 by 640): less the side bar's width and the top bar's height.
    for (const auto& [name, size] :
         {std::pair<QString, QSize>{"default", QSize(1020, 664)}, {"minimum", QSize(840, 584)}}) {
        page.resize(size);
        TestHome::spin(std::chrono::milliseconds(300));
        ok = save(page.grab(), out, "page-" + name + "-size.png") && ok;
        ok = save(page.bottomArea()->grab(), out, "bottom-bar-" + name + "-size.png") && ok;
    }
    page.resize(1180, 700);

    QTest::mouseClick(page.onlineTab(), Qt::LeftButton, {}, QPoint(4, 4));
    TestHome::waitUntil([&] { return page.collectionView()->numberOfItems() == titles.size(); });
    TestHome::spin(std::chrono::milliseconds(800));
    ok = save(page.grab(), out, "page-online.png") && ok;

    const auto catalogue = server.videos();
    downloads.add(*VideoDetail::fromJsonObject(catalogue[0]));
    downloads.add(*VideoDetail::fromJsonObject(catalogue[1]));
    QTest::mouseClick(page.downloadTab(), Qt::LeftButton);
    TestHome::spin(std::chrono::milliseconds(600));
    ok = save(page.grab(), out, "page-download.png") && ok;

    QTest::mouseClick(page.localTab(), Qt::LeftButton);
    preferences.setIsOpenPlayer(false);
    // The thumbnails come back after the tab switch.
    TestHome::spin(std::chrono::milliseconds(1500));
    ok = save(page.grab(), out, "page-player-off.png") && ok;

    // The preview of the first catalogue entry, playing one of the samples over http.
    previews.showPreviewWindow(QUrl(catalogue[0]["preurl"].toString()), QRect());
    TestHome::spin(std::chrono::milliseconds(2500));
    QScreen* screen = QGuiApplication::primaryScreen();
    ok = save(screen->grabWindow(0), out, "preview-window.png") && ok;
    const QRect frame = previews.webViewWindow()->geometry();
    std::printf("preview window %dx%d at %d,%d\n", frame.width(), frame.height(), frame.x(), frame.y());
    return ok ? 0 : 1;
}
