#include "BorderViewController.h"
#include "ContentView.h"
#include "MainWindowSplitView.h"
#include "ProgressWindow.h"
#include "ProgressWindowController.h"
#include "TabTitleView.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QTest>
#include <QWindow>

namespace {
QImage render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

int barRows(const QImage& image, const QColor& color) {
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        bool whole = true;
        for (int x = 0; x < image.width(); ++x)
            whole = whole && image.pixelColor(x, y) == color;
        rows += whole ? 1 : 0;
    }
    return rows;
}
} // namespace

TEST(TabTitleView, AHighlightedTabHasA3PixelBarAlongItsBottomAcrossItsWidth) {
    TabTitleView tab;
    tab.resize(80, 30);
    EXPECT_EQ(barRows(render(tab), tab.barColor()), 0);

    tab.setHighlight(true);
    QImage image = render(tab);
    EXPECT_EQ(barRows(image, tab.barColor()), 3);
    EXPECT_EQ(image.pixelColor(40, 29), tab.barColor());
    EXPECT_EQ(image.pixelColor(40, 26).alpha(), 0);

    // Wider: the bar follows the new width.
    tab.resize(200, 30);
    image = render(tab);
    EXPECT_EQ(image.pixelColor(199, 27), tab.barColor());

    tab.setHighlight(false);
    EXPECT_EQ(barRows(render(tab), tab.barColor()), 0);
}

TEST(TabTitleView, TheBarDoesNotHideTheTabsLabel) {
    TabTitleView tab;
    tab.resize(80, 30);
    auto* label = new QLabel(&tab);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::green);
    label->setPalette(palette);
    label->setGeometry(0, 0, 80, 20);
    tab.setHighlight(true);
    EXPECT_EQ(render(tab).pixelColor(40, 10), QColor(Qt::green));
}

TEST(MainWindowSplitView, TheDividerHasNoWidth) {
    MainWindowSplitView split;
    split.addWidget(new QWidget);
    split.addWidget(new QWidget);
    split.resize(300, 100);
    split.show();
    EXPECT_EQ(split.dividerThickness(), 0);
    EXPECT_EQ(split.handleWidth(), 0);
    EXPECT_EQ(split.widget(0)->geometry().right() + 1, split.widget(1)->geometry().left());
}

TEST(ContentView, FollowsTheTextBackgroundOfThePaletteInForce) {
    ContentView view;
    view.resize(20, 20);
    QPalette light = view.palette();
    light.setColor(QPalette::Base, QColor(250, 250, 250));
    view.setPalette(light);
    EXPECT_EQ(render(view).pixelColor(10, 10), QColor(250, 250, 250));
    QPalette dark = light;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    view.setPalette(dark);
    EXPECT_EQ(render(view).pixelColor(10, 10), QColor(30, 30, 30));
}

TEST(BorderViewController, MakesItsViewOnceAndPaintsItsBackground) {
    BorderViewController controller;
    EXPECT_FALSE(controller.isViewLoaded());
    QWidget* view = controller.view();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(controller.view(), view);
    EXPECT_TRUE(view->autoFillBackground());
}

TEST(ProgressWindow, ABusyWindowInFrontOfTheMainWindowThatTakesTheFocusAndGoesOnClose) {
    QWidget mainWindow;
    mainWindow.setGeometry(100, 100, 800, 600);
    mainWindow.show();
    ProgressWindowController controller;
    QPointer<ProgressWindow> window = controller.window();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->canBecomeKeyWindow());
    EXPECT_TRUE(window->canBecomeMainWindow());
    // Busy: the bar moves without a value, and shows no text.
    EXPECT_EQ(window->progressIndicator()->minimum(), 0);
    EXPECT_EQ(window->progressIndicator()->maximum(), 0);
    EXPECT_FALSE(window->progressIndicator()->isTextVisible());

    controller.showCentredOn(&mainWindow);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isWindow());
    EXPECT_EQ(window->parentWidget(), &mainWindow);
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_LE(std::abs(window->geometry().center().x() - mainWindow.frameGeometry().center().x()), 1);
    EXPECT_LE(std::abs(window->geometry().center().y() - mainWindow.frameGeometry().center().y()), 1);

    controller.close();
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(controller.window(), nullptr);
    controller.close();
}

TEST(ProgressWindow, BelongsToTheMainWindowAndFollowsItToItsCentre) {
    QWidget mainWindow;
    mainWindow.setGeometry(0, 0, 800, 600);
    mainWindow.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow));
    ProgressWindowController controller;
    QPointer<ProgressWindow> window = controller.window();
    controller.showCentredOn(&mainWindow);
    ASSERT_TRUE(window->isVisible());
    // In front of its own main window only, not of every other program.
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    ASSERT_TRUE(window->windowHandle());
    EXPECT_EQ(window->windowHandle()->transientParent(), mainWindow.windowHandle());

    // The window manager (or the user) moves the main window after the import began.
    mainWindow.move(300, 200);
    QCoreApplication::processEvents();
    EXPECT_LE(std::abs(window->geometry().center().x() - mainWindow.frameGeometry().center().x()), 1);
    EXPECT_LE(std::abs(window->geometry().center().y() - mainWindow.frameGeometry().center().y()), 1);
    mainWindow.resize(1000, 700);
    QCoreApplication::processEvents();
    EXPECT_LE(std::abs(window->geometry().center().x() - mainWindow.frameGeometry().center().x()), 1);

    // Closed, it no longer follows (and nothing is left listening).
    controller.close();
    mainWindow.move(10, 10);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.isNull());
}
