// Checks against a real X server; skipped on other platforms (CI runs offscreen). Run by hand with
//   QT_QPA_PLATFORM=xcb DISPLAY=:99 build/tests/test_platform_DesktopX11Test
#include "DesktopWindow.h"
#include "MpvPlayer.h"
#include "TestHome.h"
#include "WorkspaceMonitor.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <cstring>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

namespace {

xcb_connection_t* connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(const char* name) {
    auto* reply =
        xcb_intern_atom_reply(connection(), xcb_intern_atom(connection(), 0, strlen(name), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return value;
}

std::vector<uint32_t> property(xcb_window_t window, const char* name) {
    auto* reply = xcb_get_property_reply(
        connection(), xcb_get_property(connection(), 0, window, atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
        nullptr);
    std::vector<uint32_t> values;
    if (reply && reply->format == 32) {
        auto* data = static_cast<uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    free(reply);
    return values;
}

TEST(DesktopX11, WindowIsADesktopWindowOnEveryWorkspace) {
    if (!connection())
        GTEST_SKIP() << "no X11 display";
    DesktopWindow window(QRect(0, 0, 320, 200));
    window.orderBack();
    ASSERT_TRUE(TestHome::waitUntil([&] { return window.isVisible(); }));
    const auto id = xcb_window_t(window.winId());
    EXPECT_EQ(property(id, "_NET_WM_WINDOW_TYPE"),
              std::vector<uint32_t>{atom("_NET_WM_WINDOW_TYPE_DESKTOP")});
    const auto states = property(id, "_NET_WM_STATE");
    for (const char* state :
         {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"})
        EXPECT_NE(std::find(states.begin(), states.end(), atom(state)), states.end()) << state;
    EXPECT_EQ(property(id, "_NET_WM_DESKTOP"), std::vector<uint32_t>{0xFFFFFFFF});
}

TEST(DesktopX11, ActiveWorkspaceChangeIsReported) {
    if (!connection())
        GTEST_SKIP() << "no X11 display";
    WorkspaceMonitor monitor;
    ASSERT_TRUE(monitor.watchX11());
    int changes = 0;
    QObject::connect(&monitor, &WorkspaceMonitor::activeSpaceDidChange, [&changes] { ++changes; });
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection())).data->root;
    const uint32_t desktop = 1;
    xcb_change_property(connection(), XCB_PROP_MODE_REPLACE, root, atom("_NET_CURRENT_DESKTOP"),
                        XCB_ATOM_CARDINAL, 32, 1, &desktop);
    xcb_flush(connection());
    EXPECT_TRUE(TestHome::waitUntil([&] { return changes == 1; }));
}

TEST(DesktopX11, PlayerRendersFramesOfTheVideosShape) {
    if (!connection())
        GTEST_SKIP() << "no X11 display";
    TestHome home;
    const QString clip = home.file("clip.mp4");
    QProcess ffmpeg;
    ffmpeg.start(
        QStandardPaths::findExecutable("ffmpeg"),
        {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc2=size=320x240:rate=30", "-t", "2", clip});
    if (!ffmpeg.waitForFinished(30000) || ffmpeg.exitCode() != 0)
        GTEST_SKIP() << "ffmpeg cannot make a clip here";
    MpvPlayer player;
    ASSERT_TRUE(player.canRender());
    int frames = 0;
    QObject::connect(&player, &Player::frameReady, [&frames] { ++frames; });
    player.replaceCurrentItem(clip);
    player.play();
    ASSERT_TRUE(TestHome::waitUntil([&] { return frames >= 10; }));
    EXPECT_TRUE(player.currentFrame().isValid());
    EXPECT_EQ(player.currentFrame().videoSize, QSize(320, 240));
}

} // namespace
