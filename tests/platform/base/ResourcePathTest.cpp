#include "ResourcePath.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(ResourcePath, FoldersComeInTheirOrderAndTheBuildTreeOnlyForAProgramInsideIt) {
    EXPECT_EQ(ResourcePath::searchFolders("/env/res", "/opt/zvd/bin", "/usr/local", "/src/build"),
              (QStringList{"/env/res", "/opt/zvd/share/zerafin-video-desktop",
                           "/usr/local/share/zerafin-video-desktop", "/opt/zvd/bin/resources"}));
    EXPECT_EQ(ResourcePath::searchFolders("", "/src/build/MainWindow", "/usr", "/src/build"),
              (QStringList{"/src/build/share/zerafin-video-desktop", "/usr/share/zerafin-video-desktop",
                           "/src/build/MainWindow/resources", "/src/build/resources"}));
    // A folder that merely starts with the same letters is not inside the build tree.
    EXPECT_FALSE(ResourcePath::searchFolders("", "/src/build2/bin", "", "/src/build")
                     .contains("/src/build/resources"));
}

TEST(ResourcePath, TheEnvironmentFolderWinsAndNamesCannotLeaveTheFolders) {
    TestHome home;
    QDir().mkpath(home.file("res"));
    QFile file(home.file("res/clip.mp4"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    qputenv("ZERAFIN_RESOURCES", home.file("res").toUtf8());
    EXPECT_EQ(ResourcePath::path("clip.mp4"), QFileInfo(home.file("res/clip.mp4")).absoluteFilePath());
    EXPECT_EQ(ResourcePath::path("other.mp4"), std::nullopt);
    EXPECT_EQ(ResourcePath::path("../res/clip.mp4"), std::nullopt);
    EXPECT_EQ(ResourcePath::path(""), std::nullopt);
    qunsetenv("ZERAFIN_RESOURCES");
}

} // namespace
