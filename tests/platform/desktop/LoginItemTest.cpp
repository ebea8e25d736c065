#include "LoginItem.h"
#include "TestHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {
const QString helper = "com.tovan.zerafinHelper";

struct LoginItemTest : ::testing::Test {
    LoginItem make(std::optional<QStringList> command = QStringList{"/opt/zerafin/bin/zerafin-helper"}) {
        return LoginItem({home.file("config/autostart"), [command](const QString&) { return command; },
                          [this](const QString&) { return running; },
                          [this](const QString& id) {
                              launched << id;
                              return true;
                          }});
    }
    QString entry() const {
        QFile file(home.file("config/autostart/com.tovan.zerafinHelper.desktop"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    TestHome home;
    bool running = false;
    QStringList launched;
};
} // namespace

TEST_F(LoginItemTest, EnablingWritesTheAutostartEntryAndStartsAnAgentThatIsNotRunning) {
    LoginItem item = make();
    EXPECT_FALSE(item.isEnabled(helper));
    ASSERT_TRUE(item.setEnabled(helper, true));
    EXPECT_TRUE(item.isEnabled(helper));
    const QString text = entry();
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nName=ZerafinHelper\n"));
    EXPECT_TRUE(text.contains("\nExec=/opt/zerafin/bin/zerafin-helper\n"));
    EXPECT_EQ(launched, QStringList{helper});
    // Only the entry is left in the folder: the write went through a temporary file.
    EXPECT_EQ(QDir(home.file("config/autostart")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"com.tovan.zerafinHelper.desktop"});
}

TEST_F(LoginItemTest, EnablingWhileTheAgentRunsDoesNotStartASecondOne) {
    running = true;
    LoginItem item = make();
    ASSERT_TRUE(item.setEnabled(helper, true));
    EXPECT_TRUE(launched.isEmpty());
}

TEST_F(LoginItemTest, DisablingRemovesTheEntryAndLeavesTheAgentAlone) {
    LoginItem item = make();
    ASSERT_TRUE(item.setEnabled(helper, true));
    launched.clear();
    running = true;
    ASSERT_TRUE(item.setEnabled(helper, false));
    EXPECT_FALSE(item.isEnabled(helper));
    EXPECT_TRUE(launched.isEmpty());
    // Disabling what is not there is no failure.
    EXPECT_TRUE(item.setEnabled(helper, false));
}

TEST_F(LoginItemTest, AProgramThatCannotBeFoundGetsNoEntry) {
    LoginItem item = make(std::nullopt);
    EXPECT_FALSE(item.setEnabled(helper, true));
    EXPECT_FALSE(item.isEnabled(helper));
    EXPECT_TRUE(launched.isEmpty());
}

TEST(LoginItemText, PathsWithBlanksAndSpecialCharactersAreQuoted) {
    const QString text = LoginItem::entryText("ZerafinHelper", {"/home/a b/$x/zerafin-helper", "100%"});
    EXPECT_TRUE(text.contains("\nExec=\"/home/a b/\\$x/zerafin-helper\" 100%%\n")) << text.toStdString();
}

TEST(LoginItemText, TheDefaultFolderIsTheUsersAutostartFolder) {
    EXPECT_EQ(LoginItem::defaultAutostartDirectory(), qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart");
}
