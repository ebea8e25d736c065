#include "MpvPlayer.h"
#include "HardwareDecoding.h"
#include "ProtocolTestServer.h"
#include "TestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST(MpvPlayer, AfterALoadFindsNoHardwareDecoderLaterLoadsDoNotSearchAgain) {
    TestHome home;
    const QString clip = makeClip(home, "first.mp4");
    if (clip.isEmpty())
        GTEST_SKIP() << "ffmpeg cannot make a clip here";
    MpvPlayer player;
    ASSERT_TRUE(player.isValid());
    Events events(player);
    player.replaceCurrentItem(clip);
    player.play();
    ASSERT_TRUE(TestHome::waitUntil([&] { return events.starts == 1; }, std::chrono::seconds(20)));
    HardwareDecoding& decoding = HardwareDecoding::shared();
    if (!TestHome::waitUntil([&] { return decoding.state() != HardwareDecoding::State::unknown; },
                             std::chrono::seconds(10)))
        GTEST_SKIP() << "no video was decoded here";

    // Whatever the first load found holds for the next load of this player and for new players.
    const QByteArray expected =
        decoding.state() == HardwareDecoding::State::unavailable ? QByteArray("no") : QByteArray("auto-safe");
    player.replaceCurrentItem(clip);
    EXPECT_EQ(player.hwdecOption(), expected);
    ASSERT_TRUE(TestHome::waitUntil([&] { return events.starts == 2; }, std::chrono::seconds(20)));
    EXPECT_EQ(events.failures, 0);
    MpvPlayer another;
    EXPECT_EQ(another.hwdecOption(), expected);
}

TEST(MpvPlayer, MpvMessagesGoToTheLoggingCategory) {
    static QStringList messages;
    messages.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& text) {
            messages.append(QString::fromLatin1(context.category) + ' ' + text);
        });
    QLoggingCategory::setFilterRules("zerafin.mpv.info=true");
    TestHome home;
    const QString damaged = home.file("not a video.mp4");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    {
        MpvPlayer player;
        Events events(player);
        player.replaceCurrentItem(damaged);
        EXPECT_TRUE(TestHome::waitUntil([&] { return events.failures == 1; }, std::chrono::seconds(20)));
        TestHome::spin(std::chrono::milliseconds(200));
    }
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
    EXPECT_FALSE(messages.filter(QRegularExpression("^zerafin\\.mpv ")).isEmpty())
        << messages.join('\n').toStdString();
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

namespace {
// Counts every connection made to a port on the loopback interface.
struct LoopbackListener {
    LoopbackListener() {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            while (auto* socket = server.nextPendingConnection()) {
                ++connections;
                socket->deleteLater();
            }
        });
    }
    QString address(const QString& name) const {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(server.serverPort()).arg(name);
    }
    QTcpServer server;
    int connections = 0;
};

void writeText(const QString& path, const QString& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
}

TEST(MpvPlayer, ListsAndReferencesFailAsItemsWithoutOpeningWhatTheyName) {
    TestHome home;
    const QString clip = makeClip(home, "clip.mp4");
    if (clip.isEmpty())
        GTEST_SKIP() << "ffmpeg cannot make a clip here";
    LoopbackListener listener;
    ASSERT_TRUE(listener.server.isListening());
    writeText(home.file("list.m3u"),
              "#EXTM3U\n#EXTINF:1,\n" + clip + "\n" + listener.address("from-m3u") + "\n");
    writeText(home.file("stream.m3u8"), "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:1\n"
                                        "#EXT-X-MEDIA-SEQUENCE:0\n#EXTINF:1.0,\n" +
                                            listener.address("segment.ts") + "\n#EXTINF:1.0,\n" + clip +
                                            "\n#EXT-X-ENDLIST\n");
    writeText(home.file("cut.edl"),
              "# mpv EDL v0\n" + clip + ",0,1\n" + listener.address("from-edl") + ",0,1\n");
    QDir().mkpath(home.file("folder.mp4"));

    MpvPlayer player;
    ASSERT_TRUE(player.isValid());
    Events events(player);
    player.play();
    int expected = 0;
    for (const QString name : {"list.m3u", "stream.m3u8", "cut.edl", "folder.mp4"}) {
        player.replaceCurrentItem(home.file(name));
        ++expected;
        ASSERT_TRUE(
            TestHome::waitUntil([&] { return events.failures == expected; }, std::chrono::seconds(20)))
            << name.toStdString();
    }
    // Whatever the files named had time to start by now.
    TestHome::spin(std::chrono::milliseconds(1500));
    EXPECT_EQ(events.failures, expected);
    EXPECT_EQ(events.starts, 0);
    EXPECT_EQ(events.ends, 0);
    EXPECT_EQ(listener.connections, 0);

    // A real video still plays after them.
    player.replaceCurrentItem(clip);
    ASSERT_TRUE(TestHome::waitUntil([&] { return events.ends == 1; }, std::chrono::seconds(20)));
    EXPECT_EQ(events.starts, 1);
    EXPECT_EQ(listener.connections, 0);
}

TEST(MpvPlayer, WhatIsNoRegularFileFailsWithoutBlockingThePlayer) {
    TestHome home;
    const QString fifo = home.file("fifo.mp4");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    MpvPlayer player;
    ASSERT_TRUE(player.isValid());
    Events events(player);
    player.play();
    // A FIFO nobody writes would keep mpv waiting for ever; an address is no local file.
    for (const QString& item : {fifo, QStringLiteral("/dev/zero"), QStringLiteral("relative.mp4"),
                                QStringLiteral("http://127.0.0.1:9/x.mp4")}) {
        const int before = events.failures;
        player.replaceCurrentItem(item);
        ASSERT_TRUE(
            TestHome::waitUntil([&] { return events.failures == before + 1; }, std::chrono::seconds(10)))
            << item.toStdString();
    }
    // Replaced before its failure came round: the failure is not reported for the next item.
    player.replaceCurrentItem(fifo);
    player.replaceCurrentItem(std::nullopt);
    TestHome::spin(std::chrono::milliseconds(300));
    EXPECT_EQ(events.failures, 4);
    EXPECT_EQ(events.starts, 0);
}

// The preview's player plays a clip over http; the wallpaper's player refuses the same address
// without a request, and neither opens what is neither a local file nor a web address.
TEST(MpvPlayer, WebAddressesPlayOnlyWhenAllowed) {
    TestHome home;
    const QString clip = makeClip(home, "served.mp4");
    if (clip.isEmpty())
        GTEST_SKIP() << "ffmpeg cannot make a clip here";
    ProtocolTestServer server;
    ASSERT_TRUE(server.start());
    const QString address = server.serveFilePath("served.mp4", clip).toString();

    MpvPlayer wallpaper;
    ASSERT_TRUE(wallpaper.isValid());
    Events refused(wallpaper);
    wallpaper.play();
    wallpaper.replaceCurrentItem(address);
    ASSERT_TRUE(TestHome::waitUntil([&] { return refused.failures == 1; }, std::chrono::seconds(10)));
    EXPECT_EQ(server.requestCount(), 0);

    MpvPlayer preview(MpvPlayer::Options{true});
    ASSERT_TRUE(preview.isValid());
    Events events(preview);
    preview.play();
    for (const QString& item : {QStringLiteral("ftp://127.0.0.1:9/x.mp4"), QStringLiteral("relative.mp4")}) {
        const int before = events.failures;
        preview.replaceCurrentItem(item);
        ASSERT_TRUE(
            TestHome::waitUntil([&] { return events.failures == before + 1; }, std::chrono::seconds(10)))
            << item.toStdString();
    }
    preview.replaceCurrentItem(address);
    ASSERT_TRUE(TestHome::waitUntil([&] { return events.ends == 1; }, std::chrono::seconds(20)));
    EXPECT_EQ(events.starts, 1);
    EXPECT_GE(server.requestCount(), 1);
    // A local file still plays.
    preview.replaceCurrentItem(clip);
    ASSERT_TRUE(TestHome::waitUntil([&] { return events.ends == 2; }, std::chrono::seconds(20)));
}
} // namespace
