#include "DistributedNotificationCenter.h"
#include "FakePlayer.h"
#include "FakeScreenList.h"
#include "FileSign.h"
#include "ImportFixtures.h"
#include "LocalLibraryModel.h"
#include "LocalVideoDBManager.h"
#include "Preferences.h"
#include "TestHome.h"
#include "UserDefaults.h"
#include "VideoPlayerManager.h"
#include "WorkspaceMonitor.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QMutex>
#include <QProcess>

using namespace std::chrono_literals;

// A user's own files, imported, then chosen as the wallpaper by writing their sign into the shared
// suite as the other program does: the agent plays the copy and keeps its row, whichever form the
// stored location has (a plain path for a video the server knew, a file URL otherwise).
TEST(ImportThenPlay, ImportedFilesWithSpacesPlayOnTheDesktop) {
    TestHome home;
    const QString known = ImportFixtures::clip(home.file("beach at dawn.mp4"), 320, 180, 1.2, 7);
    const QString own = ImportFixtures::clip(home.file("my own clip.mp4"), 320, 180, 1.2, 8);
    ASSERT_FALSE(known.isEmpty());
    ASSERT_FALSE(own.isEmpty());
    const QString knownSign = *FileSign::fileSign(known);

    LocalVideoDBManager database(home.file("Corvex.db"));
    QDir(home.path()).mkpath("library folder");
    LocalLibraryModel model(
        database,
        [knownSign](const QString& sign, LocalLibraryModel::DetailCompletion completion) {
            std::optional<VideoDetail> record;
            if (sign == knownSign) {
                record.emplace();
                record->sign = sign;
                record->title = "Beach";
                record->url = "https://127.0.0.1/files/beach.mp4";
            }
            completion(record);
        },
        home.file("library folder"), home.path());

    UserDefaults suite(home.file("suite.ini"));
    Preferences preferences(suite);
    preferences.setIsOpenPlayer(true);
    preferences.setIsPlaying(true);
    FakeScreenList screens;
    WorkspaceMonitor workspace;
    FakePlayer* player = nullptr;
    VideoPlayerManager manager(preferences, database, screens, workspace,
                               DistributedNotificationCenter::shared(), [&player] {
                                   auto made = std::make_unique<FakePlayer>();
                                   player = made.get();
                                   return made;
                               });
    manager.player();

    QMutex mutex;
    QStringList signs;
    for (const QString& source : {known, own})
        model.importVideo(QUrl::fromLocalFile(source), true,
                          [&](const QString& sign, ImportVideoStatus status) {
                              EXPECT_EQ(status, ImportVideoStatus::complete);
                              QMutexLocker lock(&mutex);
                              signs.append(sign);
                          });
    ASSERT_TRUE(TestHome::waitUntil(
        [&] {
            QMutexLocker lock(&mutex);
            return signs.size() == 2;
        },
        30000ms));
    // As the batch import does once it is done.
    DistributedNotificationCenter::shared().post("UpdateVideoList");
    ASSERT_TRUE(TestHome::waitUntil([&] { return manager.videoList().count() == 2; }));

    const QString copyOfKnown = QDir(home.file("library folder")).filePath("beach at dawn.mp4");
    const QString copyOfOwn = QDir(home.file("library folder")).filePath("my own clip.mp4");
    EXPECT_EQ(database.selectBySign(knownSign)->url, copyOfKnown);
    EXPECT_TRUE(database.selectBySign(*FileSign::fileSign(own))->url.startsWith("file://"));

    for (const auto& [sign, copy] :
         {std::pair{knownSign, copyOfKnown}, std::pair{*FileSign::fileSign(own), copyOfOwn}}) {
        QProcess writer;
        writer.start(TestHome::toolPath("suite_writer"),
                     {home.file("suite.ini"), "string:CurrentVideoSign=" + sign});
        ASSERT_TRUE(writer.waitForFinished(10000));
        preferences.updateUserDefaultFromDisk(); // the one-second re-read
        ASSERT_TRUE(player);
        EXPECT_TRUE(TestHome::waitUntil([&] { return player->currentItem() == copy; }, 3000ms))
            << sign.toStdString();
        EXPECT_TRUE(database.selectBySign(sign)) << "the row of a playable video was deleted";
    }
}
