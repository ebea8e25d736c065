#include "ApplicationInstance.h"
#include "TestHome.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const QString program = QStringLiteral(ZERAFIN_BINARY_DIR "/MainWindow/zerafin-video-desktop");

// Started from a console or an SSH shell without any X11 display, the program says so in one
// line and ends with status 1, before it touches the bus or the library.
TEST(MainProgramStart, WithoutAnX11DisplayItSaysSoInOneLineAndEndsWithStatusOne) {
    if (!QFileInfo::exists(program))
        GTEST_SKIP() << "the main program is not built";
    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    base.remove(QStringLiteral("DISPLAY"));
    base.remove(QStringLiteral("QT_QPA_PLATFORM"));
    base.remove(QStringLiteral("WAYLAND_DISPLAY"));
    QProcessEnvironment gone = base; // a display that went away
    gone.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4093"));
    for (const QProcessEnvironment& environment : {base, gone}) {
        QProcess run;
        run.setProcessEnvironment(environment);
        run.start(program, {});
        ASSERT_TRUE(run.waitForFinished(20000));
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.exitCode(), 1);
        const QByteArray err = run.readAllStandardError();
        EXPECT_TRUE(err.contains("needs an X11 display")) << err.toStdString();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        EXPECT_TRUE(run.readAllStandardOutput().isEmpty());
    }
}

// With a copy already running (here: this test owning the program's bus name), a second start
// asks that copy to show itself and ends with status 0 without opening a window of its own.
TEST(MainProgramStart, ASecondStartAsksTheRunningCopyToReopenAndEndsWithStatusZero) {
    if (!QFileInfo::exists(program))
        GTEST_SKIP() << "the main program is not built";
    ApplicationInstance running;
    ASSERT_EQ(running.start(QStringLiteral("com.tovan.zerafin.macOS")), ApplicationInstance::Start::first);
    QSignalSpy reopened(&running, &ApplicationInstance::reopenRequested);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(program, {});
    ASSERT_TRUE(TestHome::waitUntil([&] { return second.state() == QProcess::NotRunning; },
                                    std::chrono::seconds(20)));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(reopened.count(), 1);
}

} // namespace
