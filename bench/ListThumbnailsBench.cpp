// The list thumbnails against the named baseline "curl --parallel --parallel-max 6": 200 JPEG
// pictures of 320 x 180 served by the protocol test server (on a thread of its own) on loopback.
// Ours runs from the grid's reload until every one of the 200 cells shows its own picture, so it
// includes the transfers through one network manager, decoding, the disk cache writes, the
// aspect-fill scaling and the cells' images. curl fetches the same addresses into /dev/null in the
// same run. Target: at most 1.2 times curl's time (median of 5 runs each).
#include "AppImage.h"
#include "BenchReport.h"
#include "ImageLoader.h"
#include "LibraryViewModel.h"
#include "NotificationCenter.h"
#include "ProtocolTestServerThread.h"
#include "VideoItemCell.h"
#include "VideoItemImageView.h"
#include "ZFCollectionView.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

namespace {
constexpr int pictureCount = 200;
constexpr int runs = 5;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QByteArray jpeg(int seed) {
    QImage image(320, 180, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(seed * 7 % 360, 200, 230));
    for (int y = 0; y < 180; y += 9)
        for (int x = 0; x < 320; ++x)
            image.setPixelColor(x, y, QColor((x * seed) % 256, y, 128));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

// Milliseconds for curl to fetch every address, six at a time.
double curlMilliseconds(const QStringList& urls) {
    QStringList arguments{"--silent", "--parallel", "--parallel-max", "6"};
    for (const QString& url : urls)
        arguments << "-o"
                  << "/dev/null" << url;
    QProcess curl;
    QElapsedTimer timer;
    timer.start();
    curl.start("curl", arguments);
    curl.waitForFinished(60000);
    const double elapsed = timer.nsecsElapsed() / 1e6;
    return curl.exitCode() == 0 ? elapsed : -1;
}

// Milliseconds from the reload until all cells show their pictures, with a fresh loader and list.
double oursMilliseconds(const QStringList& urls, CollectionView& view, QNetworkAccessManager& network) {
    QTemporaryDir cache;
    ImageLoader::Options options;
    options.network = &network;
    options.diskCacheDirectory = cache.path();
    ImageLoader loader(options);
    NotificationCenter notifications;
    LibraryViewModel model(loader, notifications);
    std::vector<VideoDetail> list;
    for (int i = 0; i < urls.size(); ++i) {
        VideoDetail video;
        video.sign = QString::number(i);
        video.title = QString("Video %1").arg(i);
        video.imgurl = urls.at(i);
        list.push_back(video);
    }
    model.setVideoList(list);
    const QImage placeholder = AppImage::named("default_thumbnail");

    QElapsedTimer timer;
    timer.start();
    model.bind(&view);
    view.reloadData();
    auto done = [&] {
        if (model.imageCache().size() < urls.size())
            return false;
        for (CollectionViewCell* cell : view.visibleCells()) {
            auto* videoCell = qobject_cast<VideoItemCell*>(cell);
            if (!videoCell || videoCell->imageView()->image().cacheKey() == placeholder.cacheKey())
                return false;
        }
        return true;
    };
    while (!done() && timer.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    const double elapsed = timer.nsecsElapsed() / 1e6;
    const int visible = int(view.visibleCells().size());
    LibraryViewModel::unbind(&view);
    view.setDelegate(nullptr);
    view.setDataSource(nullptr);
    return done() && visible == urls.size() ? elapsed : -1;
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    QApplication app(argc, argv);
    if (QStandardPaths::findExecutable("curl").isEmpty()) {
        std::printf("curl is missing\n");
        return benchLine("thumbnails-vs-curl", 0, "x", "<=", 1.2) ? 0 : 1;
    }

    ProtocolTestServerThread server;
    QStringList urls;
    server.run([&](ProtocolTestServer& s) {
        for (int i = 0; i < pictureCount; ++i)
            urls << s.serveFile(QString("thumb%1.jpg").arg(i), jpeg(i)).toString();
    });

    // Every cell on screen at once: 10 columns of 20 rows.
    QWidget window;
    window.resize(1600, 20 * 110 + 10);
    ZFCollectionView view(&window);
    view.setGeometry(window.rect());
    auto layout = std::make_shared<CollectionViewColumnLayout>();
    layout->setColumnCount(10);
    view.setCollectionViewLayout(layout);
    view.registerCell(VideoItemCell::reuseIdentifier, [] { return new VideoItemCell(); });
    window.show();
    QNetworkAccessManager network;

    // A warm-up of each, then the measured runs, interleaved.
    curlMilliseconds(urls);
    oursMilliseconds(urls, view, network);
    std::vector<double> curl, ours;
    for (int run = 0; run < runs; ++run) {
        curl.push_back(curlMilliseconds(urls));
        ours.push_back(oursMilliseconds(urls, view, network));
    }
    if (*std::min_element(curl.begin(), curl.end()) < 0 || *std::min_element(ours.begin(), ours.end()) < 0) {
        std::printf("a run did not finish (curl %.1f ms, ours %.1f ms)\n", curl.front(), ours.front());
        return benchLine("thumbnails-vs-curl", 999, "x", "<=", 1.2) ? 0 : 1;
    }
    std::printf("200 thumbnails: curl --parallel-max 6 %.1f ms, list cells %.1f ms (medians of %d)\n",
                median(curl), median(ours), runs);
    return benchLine("thumbnails-vs-curl", median(ours) / median(curl), "x", "<=", 1.2) ? 0 : 1;
}
