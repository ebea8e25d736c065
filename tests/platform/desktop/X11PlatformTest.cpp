#include "X11Platform.h"

#include <gtest/gtest.h>

TEST(X11Platform, XcbIsChosenUnlessTheUserNamedAnotherPlatform) {
    EXPECT_TRUE(X11Platform::selectsXcb(""));
    EXPECT_TRUE(X11Platform::selectsXcb("  "));
    EXPECT_TRUE(X11Platform::selectsXcb("xcb"));
    EXPECT_TRUE(X11Platform::selectsXcb("xcb:no_shm"));
    EXPECT_TRUE(X11Platform::selectsXcb("xcb;wayland"));
    EXPECT_FALSE(X11Platform::selectsXcb("wayland"));
    EXPECT_FALSE(X11Platform::selectsXcb("wayland;xcb"));
    EXPECT_FALSE(X11Platform::selectsXcb("offscreen"));
    EXPECT_FALSE(X11Platform::selectsXcb("xcbx"));
}

TEST(X11Platform, AnUnreachableDisplayIsNamed) {
    EXPECT_EQ(X11Platform::displayProblem(""), QStringLiteral("DISPLAY is not set"));
    const QString problem = X11Platform::displayProblem(":4093");
    EXPECT_TRUE(problem.contains(":4093")) << problem.toStdString();
    EXPECT_FALSE(X11Platform::displayProblem("no such display").isEmpty());
}

TEST(X11Platform, PrepareLeavesAUsersPlatformAloneAndPicksXcbOtherwise) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("DISPLAY");
    EXPECT_TRUE(X11Platform::prepare(QStringLiteral("test")));
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray("offscreen"));

    qunsetenv("QT_QPA_PLATFORM");
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_FALSE(X11Platform::prepare(QStringLiteral("test")));
    EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray("xcb"));
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("WAYLAND_DISPLAY");
}
