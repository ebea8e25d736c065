#include "MediaProbe.h"
#include "ImportFixtures.h"
#include "TestHome.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <memory>

namespace {
bool reddish(QRgb c) {
    return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
}
bool bluish(QRgb c) {
    return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60;
}
} // namespace

class MediaProbeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        home = std::make_unique<TestHome>();
        hd = ImportFixtures::hdClip(home->path());
        square = ImportFixtures::squareClip(home->path());
        audio = ImportFixtures::audioOnly(home->path());
        cover = ImportFixtures::audioWithCover(home->path());
        phone = ImportFixtures::rotatedPhoneClip(home->path());
    }
    static void TearDownTestSuite() { home.reset(); }

    static inline std::unique_ptr<TestHome> home;
    static inline QString hd, square, audio, cover, phone;
};

TEST_F(MediaProbeTest, VideoFacts) {
    ASSERT_FALSE(hd.isEmpty());
    MediaProbe probe(hd);
    ASSERT_TRUE(probe.isOpen()) << probe.errorString().toStdString();
    EXPECT_GE(probe.duration(), 2.5);
    EXPECT_LT(probe.duration(), 2.6);
    EXPECT_TRUE(probe.hasVideoTrack());
    EXPECT_EQ(probe.width(), 1920);
    EXPECT_EQ(probe.height(), 1080);
    EXPECT_EQ(int(probe.nominalFrameRate()), 25);
    EXPECT_GT(probe.estimatedDataRate(), 0);
    EXPECT_TRUE(probe.hasAudioTrack());
    EXPECT_EQ(probe.rotation(), 0);

    MediaProbe silent(square);
    ASSERT_TRUE(silent.isOpen());
    EXPECT_EQ(silent.width(), 480);
    EXPECT_EQ(silent.height(), 480);
    EXPECT_FALSE(silent.hasAudioTrack());
}

TEST_F(MediaProbeTest, SoundOnlyFilesHaveNoVideoTrack) {
    ASSERT_FALSE(audio.isEmpty());
    ASSERT_FALSE(cover.isEmpty());
    for (const QString& path : {audio, cover}) {
        MediaProbe probe(path);
        ASSERT_TRUE(probe.isOpen()) << path.toStdString();
        EXPECT_GT(probe.duration(), 1.5);
        EXPECT_TRUE(probe.hasAudioTrack());
        // The cover picture is stored as a video stream, but it is not the file's video.
        EXPECT_FALSE(probe.hasVideoTrack()) << path.toStdString();
        EXPECT_EQ(probe.width(), 0);
        QString error;
        EXPECT_FALSE(probe.frameImage(1.0, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST_F(MediaProbeTest, ThumbnailIsTheFrameAtTheMoment) {
    const QString png = home->file("hd.png");
    QString error;
    ASSERT_TRUE(MediaProbe(hd).writeThumbnail(1.0, png, &error)) << error.toStdString();
    const QImage thumbnail(png);
    ASSERT_FALSE(thumbnail.isNull());
    EXPECT_EQ(thumbnail.size(), QSize(1920, 1080));

    // The test picture changes every frame; compare with what ffmpeg shows at the same moment.
    const QImage reference =
        ImportFixtures::referenceFrame(hd, 1.0, home->path()).convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(reference.size(), thumbnail.size());
    const QImage ours = thumbnail.convertToFormat(QImage::Format_RGB888);
    long long difference = 0;
    for (int y = 0; y < ours.height(); y += 7)
        for (int x = 0; x < ours.width(); x += 7) {
            const QRgb a = ours.pixel(x, y), b = reference.pixel(x, y);
            difference +=
                std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    const double perPixel = double(difference) / ((ours.height() / 7 + 1) * (ours.width() / 7 + 1));
    EXPECT_LT(perPixel, 12.0);
}

TEST_F(MediaProbeTest, RotatedClipThumbnailIsUpright) {
    ASSERT_FALSE(phone.isEmpty());
    MediaProbe probe(phone);
    ASSERT_TRUE(probe.isOpen());
    // The stored size stays as encoded; only the picture is turned.
    EXPECT_EQ(probe.width(), 320);
    EXPECT_EQ(probe.height(), 180);
    EXPECT_NE(probe.rotation(), 0);
    const auto image = probe.frameImage(1.0);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(180, 320));

    const QImage reference = ImportFixtures::referenceFrame(phone, 1.0, home->path());
    ASSERT_EQ(reference.size(), QSize(180, 320));
    for (const QPoint point : {QPoint(20, 160), QPoint(160, 160)}) {
        const QRgb ours = image->pixel(point), theirs = reference.pixel(point);
        EXPECT_TRUE((reddish(ours) && reddish(theirs)) || (bluish(ours) && bluish(theirs)))
            << point.x() << "," << point.y();
    }
    EXPECT_NE(reddish(image->pixel(20, 160)), reddish(image->pixel(160, 160)));
}

TEST_F(MediaProbeTest, DamagedAndForeignFilesAreNotMedia) {
    TestHome scratch;
    QFile text(scratch.file("notes.mp4"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is not a video\n");
    text.close();
    MediaProbe notMedia(scratch.file("notes.mp4"));
    EXPECT_EQ(notMedia.duration(), 0);
    EXPECT_FALSE(notMedia.hasVideoTrack());

    // A still picture is not a moving one.
    QImage still(64, 64, QImage::Format_RGB32);
    still.fill(Qt::red);
    ASSERT_TRUE(still.save(scratch.file("still.png")));
    EXPECT_FALSE(MediaProbe(scratch.file("still.png")).isOpen());

    // The first half of a real clip: whatever it yields, it must not crash or hang.
    QFile whole(hd);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile half(scratch.file("half.mp4"));
    ASSERT_TRUE(half.open(QIODevice::WriteOnly));
    half.write(whole.read(whole.size() / 2));
    half.close();
    MediaProbe truncated(scratch.file("half.mp4"));
    (void)truncated.frameImage(1.0);

    EXPECT_FALSE(MediaProbe(scratch.file("missing.mp4")).isOpen());
    EXPECT_FALSE(MediaProbe(scratch.file("missing.mp4")).frameImage(0));
}
