#include "ImageLoader.h"
#include "MainThread.h"
#include "ProtocolTestServer.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QNetworkAccessManager>
#include <optional>

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

TEST(ImageLoaderAspectFill, CoversTheTargetKeepingProportions) {
    QImage wide(320, 180, QImage::Format_RGB32);
    wide.fill(Qt::white);
    EXPECT_EQ(ImageLoader::aspectFill(wide, QSize(200, 200)).size(), QSize(355, 200));
    EXPECT_EQ(ImageLoader::aspectFill(wide, QSize(640, 200)).size(), QSize(640, 360));
    EXPECT_EQ(ImageLoader::aspectFill(wide, QSize()).size(), QSize(320, 180));
    EXPECT_TRUE(ImageLoader::aspectFill(QImage(), QSize(10, 10)).isNull());
}
