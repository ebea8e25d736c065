#include "DistributedNotificationCenter.h"
#include "FakeScreenList.h"
#include "LocalVideoDBManager.h"
#include "MpvPlayer.h"
#include "Preferences.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "VideoPlayerManager.h"
#include "WorkspaceMonitor.h"

#include <QDBusConnection>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

// Playlists and reference files chosen as wallpapers, with the real player: each fails as an item,
// list play goes on to the video after them, and nothing they name is ever opened.
TEST(ListPlayPastReferenceFiles, EachFailsAndTheNextVideoPlays) {
    TestHome home;
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        GTEST_SKIP() << "no ffmpeg to make a clip";
    const QString clip = home.file("clip.mp4");
    QProcess make;
    make.start(ffmpeg, {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc2=size=160x120:rate=30", "-t", "1",
                        "-c:v", "libx264", "-pix_fmt", "yuv420p", clip});
    if (!make.waitForFinished(30000) || make.exitCode() != 0)
        GTEST_SKIP() << "ffmpeg cannot make a clip here";

    QTcpServer listener;
    ASSERT_TRUE(listener.listen(QHostAddress::LocalHost));
    int connections = 0;
    QObject::connect(&listener, &QTcpServer::newConnection, [&] {
        while (auto* socket = listener.nextPendingConnection()) {
            ++connections;
            socket->deleteLater();
        }
    });
    const QString remote = QStringLiteral("http://127.0.0.1:%1/").arg(listener.serverPort());
    const std::pair<const char*, QString> files[] = {
        {"list.m3u", "#EXTM3U\n#EXTINF:1,\n" + clip + "\n" + remote + "a.mp4\n"},
        {"stream.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXT-X-MEDIA-SEQUENCE:0\n#EXTINF:1.0,\n" + remote +
                            "b.ts\n#EXT-X-ENDLIST\n"},
        {"cut.edl", "# mpv EDL v0\n" + clip + ",0,1\n" + remote + "c.mp4,0,1\n"},
    };

    UserDefaults suite(home.file("suite.ini"));
    Preferences preferences(suite);
    LocalVideoDBManager db(home.file("Corvex.db"));
    db.deleteAll();
    for (const auto& [name, text] : files) {
        QFile file(home.file(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        VideoDetail row;
        row.sign = QString::fromLatin1(name);
        row.url = home.file(name);
        ASSERT_TRUE(db.insert(row));
    }
    VideoDetail video;
    video.sign = QStringLiteral("clip");
    video.url = clip;
    ASSERT_TRUE(db.insert(video));
    preferences.setIsOpenPlayer(true);
    preferences.setIsPlaying(true);
    preferences.setMute(true);
    preferences.setPlayModel(1);
    preferences.setPlayingVideoSign(QStringLiteral("list.m3u"));

    FakeScreenList screens;
    WorkspaceMonitor workspace;
    DistributedNotificationCenter notifications(QDBusConnection::sessionBus());
    VideoPlayerManager manager(preferences, db, screens, workspace, notifications,
                               [] { return std::make_unique<MpvPlayer>(); });
    int failures = 0;
    int starts = 0;
    QObject::connect(&manager.player(), &Player::itemDidFail, [&] { ++failures; });
    QObject::connect(&manager.player(), &Player::itemDidStart, [&] { ++starts; });
    manager.reloadAndPlay();
    ASSERT_TRUE(TestHome::waitUntil([&] { return starts == 1; }, std::chrono::seconds(30)))
        << "list play stalled after " << failures << " failures";
    EXPECT_EQ(failures, 3);
    EXPECT_EQ(preferences.playingVideoSign(), QStringLiteral("clip"));
    EXPECT_EQ(manager.player().currentItem(), clip);
    EXPECT_EQ(db.selectAll().size(), 4u) << "a file that fails is no missing file";
    TestHome::spin(std::chrono::milliseconds(500));
    EXPECT_EQ(connections, 0);
}

} // namespace
