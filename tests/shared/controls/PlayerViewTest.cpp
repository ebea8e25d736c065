#include "DesktopWindow.h"
#include "FakePlayer.h"
#include "PlayerSurface.h"
#include "PlayerView.h"
#include "TestHome.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

TEST(PlayerView, PictureFillsAndCropsNeverLetterBoxes) {
    // A wide video in a tall target: full height, cut at the sides, centred.
    EXPECT_EQ(PlayerSurface::aspectFillRect(QSizeF(1920, 1080), QRectF(0, 0, 1080, 1080)),
              QRectF(-420, 0, 1920, 1080));
    // A tall video in a wide target: full width, cut at top and bottom.
    EXPECT_EQ(PlayerSurface::aspectFillRect(QSizeF(1000, 2000), QRectF(0, 0, 1000, 500)),
              QRectF(0, -750, 1000, 2000));
    // The spanning picture seen by the second of two screens side by side.
    EXPECT_EQ(PlayerSurface::aspectFillRect(QSizeF(3200, 1080), QRectF(-1920, 0, 3200, 1080)),
              QRectF(-1920, 0, 3200, 1080));
}

TEST(PlayerView, CoversOnlyTheVisiblePartOfItsFrame) {
    QWidget window;
    window.resize(1280, 1024);
    PlayerView view(QRect(-1920, -56, 3200, 1080), &window);
    EXPECT_EQ(view.pictureFrame(), QRect(-1920, -56, 3200, 1080));
    EXPECT_EQ(view.geometry(), QRect(0, 0, 1280, 1024));
    EXPECT_EQ(view.pictureRectInView(), QRect(-1920, -56, 3200, 1080));

    FakePlayer player;
    view.setPlayer(&player);
    EXPECT_EQ(view.player(), &player);
}

TEST(PlayerView, APressIsReportedAndReachesTheWindow) {
    DesktopWindow window(QRect(0, 0, 640, 480));
    auto* view = new PlayerView(QRect(0, 0, 640, 480), &window);
    int clicks = 0;
    QObject::connect(&window, &DesktopWindow::clicked, [&clicks] { ++clicks; });
    testing::internal::CaptureStdout();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(10, 10), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(view, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(10, 10), QPointF(10, 10), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(view, &release);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "mouse down\n");
    EXPECT_EQ(clicks, 1);
}

TEST(DesktopWindow, CoversItsScreenAndKeepsItsOrder) {
    DesktopWindow window(QRect(1920, 56, 1280, 1024));
    EXPECT_EQ(window.geometry(), QRect(1920, 56, 1280, 1024));
    EXPECT_EQ(window.lastOrder(), DesktopWindow::Order::none);
    window.orderBack();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isAtDesktopLevel());
    window.orderFront();
    EXPECT_EQ(window.lastOrder(), DesktopWindow::Order::front);
    window.orderOut();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.lastOrder(), DesktopWindow::Order::out);
}

} // namespace
