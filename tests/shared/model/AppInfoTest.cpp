#include "AppInfo.h"
#include "TestHome.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

TEST(AppInfo, VersionStringsAndTheirFallbacks) {
    EXPECT_EQ(AppInfo::fullVersion(QString("2.0"), QString("15")), "2.0.15");
    EXPECT_EQ(AppInfo::displayVersion(QString("2.0"), QString("15")), "2.0(15)");
    EXPECT_EQ(AppInfo::fullVersion(QString("2.0"), std::nullopt), "1.0.0.0");
    EXPECT_EQ(AppInfo::displayVersion(QString("2.0"), std::nullopt), "1.0.0");
    EXPECT_EQ(AppInfo::fullVersion(std::nullopt, QString("7")), "1.0.0.0");
}

TEST(AppInfo, PagesAreOnePathComponentUnderTheWebSite) {
    EXPECT_EQ(AppInfo::helpURL().toString(), AppInfo::webSiteURL().toString() + "/67.html");
    EXPECT_EQ(AppInfo::uploadURL().toString(), AppInfo::webSiteURL().toString() + "/39.html");
    EXPECT_EQ(AppInfo::groupURL().toString(), AppInfo::webSiteURL().toString() + "/65.html");
    EXPECT_EQ(AppInfo::termsURL().toString(), AppInfo::webSiteURL().toString() + "/60.html");
}

TEST(AppInfo, FoldersLieAtTheContainersRootAndAreCreated) {
    const QString container = TestHome::processHome() + "/.local/share/K4TQ7ZR2MB.zerafin";
    EXPECT_EQ(AppInfo::groupContainer(), container);
    EXPECT_EQ(QFileInfo(container).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
    const QString support = AppInfo::applicationSupportDirectory();
    EXPECT_EQ(support, container + "/Application Support");
    EXPECT_TRUE(QFileInfo(support).isDir());
    EXPECT_EQ(AppInfo::cachesDirectory(), container + "/Caches");
    // Computed once: a folder deleted later is not made again by asking.
    QDir(support).removeRecursively();
    EXPECT_EQ(AppInfo::applicationSupportDirectory(), support);
    EXPECT_FALSE(QFileInfo::exists(support));
}

TEST(AppInfo, WithoutAContainerEachProgramHasItsOwnFolders) {
    TestHome home;
    const QString caches = AppInfo::directory(AppInfo::SearchPathDirectory::caches, std::nullopt, home.path(),
                                              QString("com.tovan.zerafin.macOS"));
    EXPECT_EQ(caches, home.path() + "/com.tovan.zerafin.macOS");
    EXPECT_TRUE(QFileInfo(caches).isDir());
    EXPECT_EQ(AppInfo::directory(AppInfo::SearchPathDirectory::applicationSupport, std::nullopt, home.path(),
                                 std::nullopt),
              home.path() + "/zerafin");
}
