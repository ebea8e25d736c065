#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

// Runs the agent program as the user would start it from a console or an SSH shell.
struct AgentRun {
    int status = -1;
    QProcess::ExitStatus exit = QProcess::CrashExit;
    QByteArray out;
    QByteArray err;
};

AgentRun runAgent(const QProcessEnvironment& environment) {
    QProcess agent;
    agent.setProcessEnvironment(environment);
    agent.start(QStringLiteral(ZERAFIN_BINARY_DIR "/agent/zerafin-helper"), {});
    AgentRun run;
    if (!agent.waitForFinished(20000)) {
        agent.kill();
        agent.waitForFinished();
        return run;
    }
    run.status = agent.exitCode();
    run.exit = agent.exitStatus();
    run.out = agent.readAllStandardOutput();
    run.err = agent.readAllStandardError();
    return run;
}

TEST(AgentStart, WithoutAnX11DisplayItSaysSoInOneLineAndEndsWithStatusOne) {
    if (!QFileInfo::exists(QStringLiteral(ZERAFIN_BINARY_DIR "/agent/zerafin-helper")))
        GTEST_SKIP() << "the agent program is not built";
    QProcessEnvironment base = QProcessEnvironment::systemEnvironment();
    base.remove(QStringLiteral("DISPLAY"));
    base.remove(QStringLiteral("QT_QPA_PLATFORM"));
    base.remove(QStringLiteral("WAYLAND_DISPLAY"));

    QProcessEnvironment wayland = base; // a Wayland session whose XWayland is not there
    wayland.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-0"));
    QProcessEnvironment gone = base; // a display that went away
    gone.insert(QStringLiteral("DISPLAY"), QStringLiteral(":4093"));
    for (const QProcessEnvironment& environment : {base, wayland, gone}) {
        const AgentRun run = runAgent(environment);
        EXPECT_EQ(run.exit, QProcess::NormalExit);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains("needs an X11 display")) << run.err.toStdString();
        EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    }
}

} // namespace
