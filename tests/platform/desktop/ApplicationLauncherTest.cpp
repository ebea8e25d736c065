#include "ApplicationLauncher.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {
void write(const QString& path, const QByteArray& text, bool executable = false) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}
} // namespace

TEST(ApplicationLauncher, ExecLinesLoseTheirFieldCodes) {
    EXPECT_EQ(
        ApplicationLauncher::execCommand("[Desktop Entry]\nName=x\nExec=\"/opt/my app/run\" --flag %U\n"),
        (QStringList{"/opt/my app/run", "--flag"}));
    EXPECT_EQ(ApplicationLauncher::execCommand("[Desktop Entry]\nExec = run 100%% %f\n"),
              (QStringList{"run", "100%"}));
    // An Exec line in another group does not count.
    EXPECT_EQ(ApplicationLauncher::execCommand("[Desktop Action x]\nExec=other\n[Desktop Entry]\nName=y\n"),
              std::nullopt);
}

TEST(ApplicationLauncher, PrefersTheDesktopEntryThenTheExecutableBesideUs) {
    TestHome home;
    const QString apps = home.file("applications");
    const QString bin = home.file("bin");
    ApplicationLauncher launcher({apps}, {home.file("missing"), bin});
    EXPECT_EQ(launcher.commandFor("com.tovan.zerafin.macOS"), std::nullopt);
    EXPECT_FALSE(launcher.launch("com.tovan.zerafin.macOS"));

    write(bin + "/zerafin-video-desktop", "#!/bin/sh\n", true);
    EXPECT_EQ(launcher.commandFor("com.tovan.zerafin.macOS"), (QStringList{bin + "/zerafin-video-desktop"}));
    // A file that is not executable is not a program.
    write(bin + "/zerafin-helper", "", false);
    EXPECT_EQ(launcher.commandFor("com.tovan.zerafinHelper"), std::nullopt);

    write(apps + "/com.tovan.zerafin.macOS.desktop",
          "[Desktop Entry]\nType=Application\nExec=/usr/bin/zvd %u\n");
    EXPECT_EQ(launcher.commandFor("com.tovan.zerafin.macOS"), (QStringList{"/usr/bin/zvd"}));
    EXPECT_EQ(launcher.commandFor("org.example.unknown"), std::nullopt);
}

TEST(ApplicationLauncher, LaunchStartsTheProgramWithoutWaitingForIt) {
    TestHome home;
    const QString marker = home.file("started");
    write(home.file("bin/zerafin-video-desktop"), "#!/bin/sh\ntouch \"" + marker.toUtf8() + "\"\n", true);
    ApplicationLauncher launcher({}, {home.file("bin")});
    EXPECT_TRUE(launcher.launch("com.tovan.zerafin.macOS"));
    EXPECT_TRUE(TestHome::waitUntil([&] { return QFile::exists(marker); }));
}
