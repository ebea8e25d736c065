#include "ImageLoader.h"
#include "MainThread.h"
#include "ProtocolTestServer.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThreadPool>
#include <QTimer>
#include <optional>

#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {
QByteArray jpeg(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

// A loopback server that answers every picture request with what `respond` writes, and keeps the
// connection open afterwards, the way a hostile server would.
class RawServer {
public:
    explicit RawServer(std::function<void(QTcpSocket*)> respond) : m_respond(std::move(respond)) {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                auto request = std::make_shared<QByteArray>();
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                    const bool started = request->contains("\r\n\r\n");
                    request->append(socket->readAll());
                    if (!started && request->contains("\r\n\r\n"))
                        m_respond(socket);
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
                    ++m_closedByClient;
                    socket->deleteLater();
                });
            }
        });
    }
    QUrl url(const QString& name) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(m_server.serverPort()).arg(name));
    }
    int closedByClient() const { return m_closedByClient; }

private:
    QTcpServer m_server;
    std::function<void(QTcpSocket*)> m_respond;
    int m_closedByClient = 0;
};

// The outcome of one load: whether the completion ran, on which thread, and with what.
struct Outcome {
    int calls = 0;
    bool onMain = false;
    QImage image;

    ImageLoader::Completion completion() {
        return [this](const QImage& delivered) {
            ++calls;
            onMain = MainThread::isCurrent();
            image = delivered;
        };
    }
};
} // namespace

class ImageLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }

    std::unique_ptr<ImageLoader> makeLoader(qint64 costLimit = 64 * 1024 * 1024) {
        ImageLoader::Options options;
        options.network = &network;
        options.diskCacheDirectory = home.file("ImageCache");
        options.memoryCostLimit = costLimit;
        options.ownFolders = {home.path()};
        return std::make_unique<ImageLoader>(options);
    }

    TestHome home;
    ProtocolTestServer server;
    QNetworkAccessManager network;
};

TEST_F(ImageLoaderTest, WebPictureArrivesOnMainThreadAndIsKeptOnDiskForTheNextLoader) {
    const QUrl url = server.serveFile("thumb.jpg", jpeg(320, 180, Qt::red));
    auto loader = makeLoader();
    Outcome first;
    loader->loadImage(url, first.completion());
    EXPECT_EQ(first.calls, 0) << "the completion never runs on the caller's stack";
    ASSERT_TRUE(TestHome::waitUntil([&] { return first.calls == 1; }));
    EXPECT_TRUE(first.onMain);
    EXPECT_EQ(first.image.size(), QSize(320, 180));
    EXPECT_TRUE(QFile::exists(loader->diskCachePath(url)));

    // A fresh loader (empty memory) finds the bytes on disk: the server is not asked again.
    server.removeFile("thumb.jpg");
    server.clearRequests();
    auto second = makeLoader();
    Outcome again;
    second->loadImage(url, again.completion());
    ASSERT_TRUE(TestHome::waitUntil([&] { return again.calls == 1; }));
    EXPECT_EQ(again.image.size(), QSize(320, 180));
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(ImageLoaderTest, FailedTransfersAndForeignAddressesGiveNoPictureAndKeepNothing) {
    auto loader = makeLoader();
    const QUrl missing = server.fileUrl("missing.jpg");
    const QUrl garbage = server.serveFile("garbage.jpg", QByteArray("not a picture"));
    Outcome notFound, broken, foreign;
    loader->loadImage(missing, notFound.completion());
    loader->loadImage(garbage, broken.completion());
    loader->loadImage(QUrl("ftp://127.0.0.1/a.jpg"), foreign.completion());
    ASSERT_TRUE(TestHome::waitUntil([&] { return notFound.calls && broken.calls && foreign.calls; }));
    EXPECT_TRUE(notFound.image.isNull());
    EXPECT_TRUE(broken.image.isNull());
    EXPECT_TRUE(foreign.image.isNull());
    EXPECT_FALSE(QFile::exists(loader->diskCachePath(missing)));
    EXPECT_FALSE(QFile::exists(loader->diskCachePath(garbage)));
}

TEST_F(ImageLoaderTest, FileAddressesAreReadFromDisk) {
    const QString path = home.file("thumb.png");
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(path));
    auto loader = makeLoader();
    Outcome present, absent;
    loader->loadImage(QUrl::fromLocalFile(path), present.completion());
    loader->loadImage(QUrl::fromLocalFile(home.file("gone.png")), absent.completion());
    ASSERT_TRUE(TestHome::waitUntil([&] { return present.calls && absent.calls; }));
    EXPECT_EQ(present.image.size(), QSize(64, 48));
    EXPECT_EQ(present.image.pixelColor(10, 10), QColor(Qt::blue));
    EXPECT_TRUE(absent.image.isNull());
}

TEST_F(ImageLoaderTest, CancelledTaskNeverCompletes) {
    server.setDelay(std::chrono::milliseconds(300), "slow.jpg");
    const QUrl slow = server.serveFile("slow.jpg", jpeg(32, 32, Qt::green));
    const QString path = home.file("local.png");
    QImage(8, 8, QImage::Format_RGB32).save(path);
    auto loader = makeLoader();
    Outcome web, local;
    loader->loadImage(slow, web.completion())->cancel();
    loader->loadImage(QUrl::fromLocalFile(path), local.completion())->cancel();
    TestHome::spin(std::chrono::milliseconds(600));
    EXPECT_EQ(web.calls, 0);
    EXPECT_EQ(local.calls, 0);
}

TEST_F(ImageLoaderTest, MemoryCacheFollowsItsCostLimit) {
    const QUrl url = server.serveFile("a.jpg", jpeg(100, 100, Qt::yellow));
    auto roomy = makeLoader();
    Outcome one;
    roomy->loadImage(url, one.completion());
    ASSERT_TRUE(TestHome::waitUntil([&] { return one.calls == 1; }));
    EXPECT_EQ(roomy->memoryCacheCount(), 1);

    // The shell's setting: a limit of 1 keeps no decoded picture in memory.
    auto tight = makeLoader(1);
    Outcome two;
    tight->loadImage(url, two.completion());
    ASSERT_TRUE(TestHome::waitUntil([&] { return two.calls == 1; }));
    EXPECT_FALSE(two.image.isNull());
    EXPECT_EQ(tight->memoryCacheCount(), 0);
    roomy->setMemoryCostLimit(1);
    EXPECT_EQ(roomy->memoryCacheCount(), 0);
}

TEST_F(ImageLoaderTest, FileAddressesReadOnlyRegularFilesInTheProgramsOwnFolders) {
    TestHome elsewhere;
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    const QString outside = elsewhere.file("outside.png");
    ASSERT_TRUE(picture.save(outside));
    ASSERT_TRUE(QDir(home.path()).mkpath("deeper"));
    const QString deeper = home.file("deeper/nested.png");
    ASSERT_TRUE(picture.save(deeper));
    // Links inside the folder count where they lead.
    const QString linkOut = home.file("link-out.png");
    ASSERT_TRUE(QFile::link(outside, linkOut));
    const QString linkToZero = home.file("zero.png");
    ASSERT_TRUE(QFile::link("/dev/zero", linkToZero));
    const QString own = home.file("own.png");
    ASSERT_TRUE(picture.save(own));
    const QString linkIn = home.file("link-in.png");
    ASSERT_TRUE(QFile::link(own, linkIn));

    auto loader = makeLoader();
    Outcome fromOutside, fromDeeper, throughLinkOut, zero, throughZeroLink, ownFile, throughLinkIn, webOnly;
    loader->loadImage(QUrl::fromLocalFile(outside), fromOutside.completion());
    loader->loadImage(QUrl::fromLocalFile(deeper), fromDeeper.completion());
    loader->loadImage(QUrl::fromLocalFile(linkOut), throughLinkOut.completion());
    loader->loadImage(QUrl("file:///dev/zero"), zero.completion());
    loader->loadImage(QUrl::fromLocalFile(linkToZero), throughZeroLink.completion());
    loader->loadImage(QUrl::fromLocalFile(own), ownFile.completion());
    loader->loadImage(QUrl::fromLocalFile(linkIn), throughLinkIn.completion());
    // Rows straight from the server only ever name web pictures.
    loader->loadImage(QUrl::fromLocalFile(own), webOnly.completion(), ImageLoader::Sources::web);
    ASSERT_TRUE(TestHome::waitUntil([&] {
        return fromOutside.calls && fromDeeper.calls && throughLinkOut.calls && zero.calls &&
               throughZeroLink.calls && ownFile.calls && throughLinkIn.calls && webOnly.calls;
    }));
    EXPECT_TRUE(fromOutside.image.isNull());
    EXPECT_TRUE(fromDeeper.image.isNull());
    EXPECT_TRUE(throughLinkOut.image.isNull());
    EXPECT_TRUE(zero.image.isNull());
    EXPECT_TRUE(throughZeroLink.image.isNull());
    EXPECT_TRUE(webOnly.image.isNull());
    EXPECT_EQ(ownFile.image.size(), QSize(16, 16));
    EXPECT_EQ(throughLinkIn.image.size(), QSize(16, 16));
}

TEST_F(ImageLoaderTest, AFifoNeverHoldsAWorker) {
    const QString fifo = home.file("fifo.png");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto loader = makeLoader();
    Outcome outcome;
    loader->loadImage(QUrl::fromLocalFile(fifo), outcome.completion());
    ASSERT_TRUE(TestHome::waitUntil([&] { return outcome.calls == 1; }, 3000ms));
    EXPECT_TRUE(outcome.image.isNull());
    // Nothing is left waiting for a writer, so the program can end.
    EXPECT_TRUE(QThreadPool::globalInstance()->waitForDone(2000));
}

TEST_F(ImageLoaderTest, OversizedRepliesAreAbortedWithoutBeingReadWhole) {
    // One announces far more than the bound and then sends nothing; the other announces nothing,
    // sends more than the bound and then falls silent.
    RawServer announcing([](QTcpSocket* socket) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 1000000000\r\n\r\n");
    });
    RawServer streaming([](QTcpSocket* socket) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nConnection: close\r\n\r\n");
        socket->write(jpeg(64, 64, Qt::red));
        socket->write(QByteArray(ImageLoader::maximumPictureBytes + 4 * 1024 * 1024, '\0'));
    });
    auto loader = makeLoader();
    Outcome big, endless;
    loader->loadImage(announcing.url("big.jpg"), big.completion());
    loader->loadImage(streaming.url("endless.jpg"), endless.completion());
    // Well before the transfer time-outs: the bound ends them.
    ASSERT_TRUE(TestHome::waitUntil([&] { return big.calls && endless.calls; }, 8000ms));
    EXPECT_TRUE(big.image.isNull());
    EXPECT_TRUE(endless.image.isNull());
    ASSERT_TRUE(
        TestHome::waitUntil([&] { return announcing.closedByClient() && streaming.closedByClient(); }));
    EXPECT_FALSE(QFile::exists(loader->diskCachePath(streaming.url("endless.jpg"))));
}

TEST_F(ImageLoaderTest, PicturesDeclaringTooManyPixelsAreDropped) {
    // 8000 x 7000 is past the bound; as a one-bit picture of one colour it is a small file.
    QImage huge(8000, 7000, QImage::Format_Mono);
    huge.fill(0);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(huge.save(&buffer, "PNG"));
    huge = QImage();
    ASSERT_LT(bytes.size(), ImageLoader::maximumPictureBytes);
    const QUrl url = server.serveFile("huge.png", bytes);
    const QUrl sane = server.serveFile("sane.jpg", jpeg(640, 360, Qt::green));
    // Within the bound but wider than anything shown: it arrives scaled down.
    const QUrl wide = server.serveFile("wide.jpg", jpeg(6000, 1000, Qt::blue));
    auto loader = makeLoader();
    Outcome tooMany, fine, scaled;
    loader->loadImage(url, tooMany.completion());
    loader->loadImage(sane, fine.completion());
    loader->loadImage(wide, scaled.completion());
    ASSERT_TRUE(TestHome::waitUntil([&] { return tooMany.calls && fine.calls && scaled.calls; }, 10000ms));
    EXPECT_TRUE(tooMany.image.isNull());
    EXPECT_EQ(fine.image.size(), QSize(640, 360));
    EXPECT_EQ(scaled.image.width(), 4096);
    EXPECT_NEAR(scaled.image.height(), 683, 1);
    EXPECT_FALSE(QFile::exists(loader->diskCachePath(url)));
}

TEST_F(ImageLoaderTest, StalledAndTricklingTransfersEndAfterTheirTimeOuts) {
    server.setFailure(ProtocolTestServer::Failure::stall, "stalled.jpg");
    const QUrl stalled = server.serveFile("stalled.jpg", jpeg(32, 32, Qt::red));
    RawServer trickling([](QTcpSocket* socket) {
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: 100000\r\n\r\n");
        auto* timer = new QTimer(socket);
        QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
        timer->start(100);
    });
    ImageLoader::Options options;
    options.network = &network;
    options.transferTimeout = 500ms;
    options.transferDeadline = 1500ms;
    ImageLoader loader(options);
    Outcome silent, slow;
    QElapsedTimer clock;
    clock.start();
    loader.loadImage(stalled, silent.completion());
    loader.loadImage(trickling.url("slow.jpg"), slow.completion());
    ASSERT_TRUE(TestHome::waitUntil([&] { return silent.calls == 1; }, 5000ms));
    EXPECT_TRUE(silent.image.isNull());
    ASSERT_TRUE(TestHome::waitUntil([&] { return slow.calls == 1; }, 5000ms));
    EXPECT_TRUE(slow.image.isNull());
    EXPECT_GE(clock.elapsed(), 1400);
}

TEST_F(ImageLoaderTest, DiskCacheStaysWithinItsBound) {
    QList<QUrl> urls;
    qint64 largest = 0;
    for (int i = 0; i < 6; ++i) {
        const QByteArray bytes = jpeg(200, 200, QColor::fromHsv(i * 50, 200, 200));
        largest = qMax<qint64>(largest, bytes.size());
        urls << server.serveFile(QString("p%1.jpg").arg(i), bytes);
    }
    ImageLoader::Options options;
    options.network = &network;
    options.diskCacheDirectory = home.file("ImageCache");
    options.diskCacheLimit = largest * 3;
    ImageLoader loader(options);
    for (const QUrl& url : urls) {
        Outcome outcome;
        loader.loadImage(url, outcome.completion());
        ASSERT_TRUE(TestHome::waitUntil([&] { return outcome.calls == 1; }));
        ASSERT_FALSE(outcome.image.isNull());
    }
    qint64 total = 0;
    for (const QFileInfo& file : QDir(home.file("ImageCache")).entryInfoList(QDir::Files))
        total += file.size();
    EXPECT_LE(total, largest * 3);
    EXPECT_TRUE(QFile::exists(loader.diskCachePath(urls.last())));
    EXPECT_FALSE(QFile::exists(loader.diskCachePath(urls.first())));
}

TEST(ImageLoaderAspectFill, CoversTheTargetKeepingProportions) {
    QImage wide(320, 180, QImage::Format_RGB32);
    wide.fill(Qt::white);
    EXPECT_EQ(ImageLoader::aspectFill(wide, QSize(200, 200)).size(), QSize(355, 200));
    EXPECT_EQ(ImageLoader::aspectFill(wide, QSize(640, 200)).size(), QSize(640, 360));
    EXPECT_EQ(ImageLoader::aspectFill(wide, QSize()).size(), QSize(320, 180));
    EXPECT_TRUE(ImageLoader::aspectFill(QImage(), QSize(10, 10)).isNull());
}
