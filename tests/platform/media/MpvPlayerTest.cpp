#include "MpvPlayer.h"
#include "TestHome.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// A one-second clip made with ffmpeg's test sources (the test is skipped without ffmpeg).
QString makeClip(const TestHome& home, const QString& name) {
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        return {};
    const QString path = home.file(name);
    QProcess process;
    process.start(ffmpeg, {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc2=size=320x240:rate=30", "-t",
                           "1", "-c:v", "libx264", "-pix_fmt", "yuv420p", path});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return path;
}

struct Events {
    explicit Events(Player& player) {
        QObject::connect(&player, &Player::itemDidStart, [this] { record(starts); });
        QObject::connect(&player, &Player::itemDidReachEnd, [this] { record(ends); });
        QObject::connect(&player, &Player::itemDidFail, [this] { record(failures); });
    }
    void record(int& counter) {
        ++counter;
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            offMainThread = true;
    }
    int starts = 0;
    int ends = 0;
    int failures = 0;
    bool offMainThread = false;
};

TEST(MpvPlayer, LinearGainMapsOntoTheCubicVolumeScale) {
    EXPECT_DOUBLE_EQ(MpvPlayer::mpvVolumeForGain(1.0f), 100.0);
    EXPECT_DOUBLE_EQ(MpvPlayer::mpvVolumeForGain(0.0f), 0.0);
    EXPECT_NEAR(MpvPlayer::mpvVolumeForGain(0.125f), 50.0, 1e-9);
    EXPECT_NEAR(MpvPlayer::mpvVolumeForGain(0.5f), 79.37, 0.01);
    EXPECT_DOUBLE_EQ(MpvPlayer::mpvVolumeForGain(-1.0f), 0.0);
    EXPECT_DOUBLE_EQ(MpvPlayer::mpvVolumeForGain(3.0f), 100.0);
}

TEST(MpvPlayer, ItemsEndOnTheMainThreadAndARewindPlaysOn) {
    TestHome home;
    const QString clip = makeClip(home, "clip one.mp4");
    if (clip.isEmpty())
        GTEST_SKIP() << "ffmpeg cannot make a clip here";
    MpvPlayer player;
    ASSERT_TRUE(player.isValid());
    Events events(player);
    player.setVolume(0.5f);
    player.replaceCurrentItem(clip);
    player.play();
    ASSERT_TRUE(TestHome::waitUntil([&] { return events.ends == 1; }, std::chrono::seconds(20)));
    EXPECT_EQ(events.starts, 1);
    EXPECT_EQ(events.failures, 0);
    EXPECT_TRUE(player.isPlaying()) << "the rate stays at the end of an item";
    EXPECT_EQ(player.currentItem(), clip);

    // No play: the rate is kept, so the rewound item plays to its end again.
    player.seekToZero();
    ASSERT_TRUE(TestHome::waitUntil([&] { return events.ends == 2; }, std::chrono::seconds(20)));
    // Replacing the item also plays on by itself.
    player.replaceCurrentItem(clip);
    ASSERT_TRUE(TestHome::waitUntil([&] { return events.ends == 3; }, std::chrono::seconds(20)));
    EXPECT_EQ(events.starts, 2);
    EXPECT_FALSE(events.offMainThread);
}

TEST(MpvPlayer, ADamagedFileFailsOnceAndNoItemStaysQuiet) {
    TestHome home;
    const QString damaged = home.file("damaged.mp4");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();

    MpvPlayer player;
    ASSERT_TRUE(player.isValid());
    Events events(player);
    player.play();
    player.replaceCurrentItem(damaged);
    ASSERT_TRUE(TestHome::waitUntil([&] { return events.failures == 1; }, std::chrono::seconds(20)));
    player.replaceCurrentItem(std::nullopt);
    EXPECT_FALSE(player.hasCurrentItem());
    TestHome::spin(std::chrono::milliseconds(500));
    EXPECT_EQ(events.failures, 1);
    EXPECT_EQ(events.ends, 0);
    EXPECT_FALSE(events.offMainThread);
}

} // namespace

namespace {
TEST(MpvPlayer, ItemsReplacedBeforeTheyStartDoNotSilenceTheNextOne) {
    TestHome home;
    const QString first = makeClip(home, "first.mp4");
    const QString second = makeClip(home, "second.mp4");
    if (first.isEmpty() || second.isEmpty())
        GTEST_SKIP() << "ffmpeg cannot make a clip here";
    MpvPlayer player;
    ASSERT_TRUE(player.isValid());
    Events events(player);
    player.play();
    // Replaced (or taken away) before the player got round to starting them.
    player.replaceCurrentItem(first);
    player.replaceCurrentItem(second);
    player.replaceCurrentItem(first);
    player.replaceCurrentItem(std::nullopt);
    player.replaceCurrentItem(second);
    ASSERT_TRUE(TestHome::waitUntil([&] { return events.ends == 1; }, std::chrono::seconds(20)));
    EXPECT_EQ(events.starts, 1);
    // And the next item is followed as well.
    player.replaceCurrentItem(first);
    ASSERT_TRUE(TestHome::waitUntil([&] { return events.ends == 2; }, std::chrono::seconds(20)));
    EXPECT_EQ(events.starts, 2);
    EXPECT_EQ(events.failures, 0);
}
} // namespace
