#include "SystemHelperAgentControl.h"
#include "ApplicationLauncher.h"
#include "LoginItem.h"
#include "SessionBusName.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {
const QString helper = "com.tovan.zerafinHelper";

// A stand-in agent: a script that leaves a mark each time it is started.
QString writeAgent(const TestHome& home) {
    QDir().mkpath(home.file("bin"));
    const QString path = home.file("bin/zerafin-helper");
    QFile script(path);
    EXPECT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QString("#!/bin/sh\necho started >> '%1'\n").arg(home.file("starts")).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

int starts(const TestHome& home) {
    QFile marks(home.file("starts"));
    return marks.open(QIODevice::ReadOnly) ? int(marks.readAll().count('\n')) : 0;
}
} // namespace

TEST(SystemHelperAgentControl, TheLoginItemRunsTheAgentFoundBesideUsAndTheBusNameTellsWhetherItRuns) {
    TestHome home;
    const QString agent = writeAgent(home);
    ApplicationLauncher launcher({}, {home.file("bin")});
    LoginItem loginItem({home.file("autostart"), [&](const QString& id) { return launcher.commandFor(id); },
                         [](const QString& id) { return SessionBusName::isOwned(id); },
                         [&](const QString& id) { return launcher.launch(id); }});
    SystemHelperAgentControl control(loginItem, launcher);

    EXPECT_FALSE(control.isRunning(helper));
    EXPECT_FALSE(control.isLoginItemEnabled(helper));
    control.setLoginItemEnabled(helper, true);
    EXPECT_TRUE(control.isLoginItemEnabled(helper));
    QFile entry(home.file("autostart/com.tovan.zerafinHelper.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains(("\nExec=" + agent + "\n").toUtf8()));
    // Switching it on started the agent, which was not running.
    EXPECT_TRUE(TestHome::waitUntil([&] { return starts(home) == 1; }));

    control.launch(helper);
    EXPECT_TRUE(TestHome::waitUntil([&] { return starts(home) == 2; }));

    // Once the agent holds its name it counts as running, and switching the item on starts no other.
    ASSERT_EQ(SessionBusName::claim(helper), SessionBusName::Claim::owned);
    EXPECT_TRUE(control.isRunning(helper));
    control.setLoginItemEnabled(helper, true);
    TestHome::spin(std::chrono::milliseconds(300));
    EXPECT_EQ(starts(home), 2);

    control.setLoginItemEnabled(helper, false);
    EXPECT_FALSE(QFile::exists(entry.fileName()));
    EXPECT_FALSE(control.isLoginItemEnabled(helper));
}
