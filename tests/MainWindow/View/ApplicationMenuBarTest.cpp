#include "ApplicationMenuBar.h"

#include <QAction>
#include <QMainWindow>
#include <QTest>
#include <gtest/gtest.h>

TEST(ApplicationMenuBar, ItsItemsRunTheirActionsAndCtrlQQuits) {
    QStringList ran;
    QMainWindow window;
    auto* bar = new ApplicationMenuBar(
        {[&] { ran << "preferences"; }, [&] { ran << "help"; }, [&] { ran << "quit"; }});
    window.setMenuBar(bar);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    bar->preferencesAction()->trigger();
    bar->helpAction()->trigger();
    EXPECT_EQ(ran, (QStringList{"preferences", "help"}));
    EXPECT_EQ(bar->quitAction()->shortcut(), QKeySequence("Ctrl+Q"));
    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(ran.last(), "quit");
}
