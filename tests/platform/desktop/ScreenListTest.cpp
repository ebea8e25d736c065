#include "ScreenList.h"
#include "TestHome.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// The screens of a platform configured with two monitors, the second right of the primary with its
// bottom edge aligned, in Qt's global coordinates (y grows downwards).
TEST(ScreenList, PrimaryFirstThenTheOthersInGlobalCoordinates) {
    TestHome home;
    const QString config = home.file("screens.json");
    QFile file(config);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"screens": [
        {"name": "main", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
        {"name": "right", "x": 1920, "y": 56, "width": 1280, "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
    ]})");
    file.close();

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + config);
    process.setProcessEnvironment(environment);
    process.start(TestHome::toolPath("screen_list_print"), {});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()), "0 0 1920 1080\n1920 56 1280 1024\n");
}

} // namespace
