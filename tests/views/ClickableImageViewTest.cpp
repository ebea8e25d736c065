#include "ClickableImageView.h"

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QTest>
#include <QWidget>

namespace {
QImage filled(QColor color) {
    QImage image(8, 8, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

// A shown, active window holding one clickable image at (10, 10, 24, 24).
struct Rig {
    QWidget window;
    ClickableImageView* view = new ClickableImageView(QRect(10, 10, 24, 24), &window);
    Rig() {
        window.resize(100, 60);
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        (void)QTest::qWaitForWindowActive(&window);
    }
    void enter() {
        QEnterEvent event(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
        QApplication::sendEvent(view, &event);
    }
    void leave() {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(view, &event);
    }
};
} // namespace

TEST(ClickableImageView, ReleaseInsideRunsTheActionOnceAndReleaseOutsideDoesNothing) {
    Rig rig;
    int clicks = 0;
    rig.view->setClickAction([&] { ++clicks; });
    QTest::mouseClick(rig.view, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(clicks, 1);

    QTest::mousePress(rig.view, Qt::LeftButton, {}, QPoint(12, 12));
    QTest::mouseRelease(rig.view, Qt::LeftButton, {}, QPoint(40, 12));
    EXPECT_EQ(clicks, 1);

    QTest::mouseClick(rig.view, Qt::RightButton, {}, QPoint(12, 12));
    EXPECT_EQ(clicks, 1);
}

TEST(ClickableImageView, AClickWithoutActionIsHarmlessAndDoesNotReachTheParent) {
    struct Parent : QWidget {
        int presses = 0, releases = 0;
        void mousePressEvent(QMouseEvent*) override { ++presses; }
        void mouseReleaseEvent(QMouseEvent*) override { ++releases; }
    } parent;
    auto* view = new ClickableImageView(QRect(0, 0, 20, 20), &parent);
    parent.show();
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(parent.presses, 0);
    EXPECT_EQ(parent.releases, 0);
}

TEST(ClickableImageView, HoverSwapsBetweenTheTwoImagesWhenSet) {
    Rig rig;
    const QImage first = filled(Qt::darkGray);
    const QImage normal = filled(Qt::blue);
    const QImage hover = filled(Qt::red);
    rig.view->setImage(first);

    // Neither image set: entering and leaving keep what the owner gave it.
    rig.enter();
    EXPECT_EQ(rig.view->image(), first);
    rig.leave();
    EXPECT_EQ(rig.view->image(), first);

    rig.view->setNormalImage(normal);
    rig.view->setHoverImage(hover);
    // It never changes its image until the pointer moves.
    EXPECT_EQ(rig.view->image(), first);
    rig.enter();
    EXPECT_EQ(rig.view->image(), hover);
    rig.leave();
    EXPECT_EQ(rig.view->image(), normal);

    // Only a hover image: leaving keeps the hover picture.
    rig.view->setNormalImage(QImage());
    rig.enter();
    rig.leave();
    EXPECT_EQ(rig.view->image(), hover);
}

TEST(ClickableImageView, HoverIsIgnoredOutsideTheActiveWindow) {
    // The view's window is not the active one.
    QWidget other;
    auto* view = new ClickableImageView(QRect(0, 0, 20, 20), &other);
    ASSERT_FALSE(other.isActiveWindow());
    view->setImage(filled(Qt::blue));
    view->setHoverImage(filled(Qt::red));
    QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(view, &event);
    EXPECT_EQ(view->image(), filled(Qt::blue));
}

TEST(ClickableImageView, PointingCursorFollowsChangeCurser) {
    ClickableImageView view;
    EXPECT_TRUE(view.changeCurser());
    EXPECT_EQ(view.cursor().shape(), Qt::PointingHandCursor);
    ASSERT_TRUE(view.setProperty("changeCurser", false));
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
    view.setChangeCurser(true);
    EXPECT_EQ(view.cursor().shape(), Qt::PointingHandCursor);
}

TEST(ClickableImageView, AnActionMayReplaceItselfWhileRunning) {
    Rig rig;
    int first = 0, second = 0;
    rig.view->setClickAction([&] {
        ++first;
        rig.view->setClickAction([&] { ++second; });
    });
    QTest::mouseClick(rig.view, Qt::LeftButton, {}, QPoint(3, 3));
    QTest::mouseClick(rig.view, Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
}
