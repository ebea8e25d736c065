#include "AboutViewController.h"
#include "AppInfo.h"
#include "ConfigWindowController.h"
#include "LeftMenuBar.h"
#include "LeftMenuCell.h"
#include "MainWindowTestRig.h"
#include "PreviewVideoWindow.h"
#include "ProtocolTestServer.h"
#include "QRCodeController.h"
#include "SearchField.h"
#include "TabTitleView.h"
#include "ZFCollectionView.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

void clickCell(LeftMenuBar* bar, int index) {
    LeftMenuCell* cell = bar->cell(index);
    ASSERT_NE(cell, nullptr);
    QTest::mouseClick(cell, Qt::LeftButton, {}, QPoint(cell->width() / 2, cell->height() / 2));
}

QPoint centreOf(const QRect& rect) {
    return QPoint(rect.x() + rect.width() / 2, rect.y() + rect.height() / 2);
}

// The side bar switches between the two pages laid over the same area; the page left keeps what
// it showed.
TEST(MainWindowController, SideBarSwitchesPagesAndTheHiddenPageKeepsItsState) {
    MainWindowTestRig rig;
    MainWindowController& window = rig.window();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    VideoLibraryViewController* library = window.libraryPage();
    AboutViewController* about = window.aboutPage();
    ASSERT_NE(library, nullptr);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(window.rightContentViewControllerArray().size(), 2u);
    EXPECT_TRUE(library->isVisible());
    EXPECT_FALSE(about->isVisible());
    const QRect contentArea(QPoint(0, 0), window.rightSplitContentView()->size());
    EXPECT_EQ(library->geometry(), contentArea);

    // The download tab chosen on the library page survives a visit to the about page.
    QTest::mouseClick(library->downloadTab(), Qt::LeftButton, {}, QPoint(4, 4));
    ASSERT_TRUE(library->downloadTab()->highlight());

    clickCell(window.leftMenuBar(), 1);
    EXPECT_FALSE(library->isVisible());
    EXPECT_TRUE(about->isVisible());
    EXPECT_TRUE(about->versionLabel()->isVisible());
    EXPECT_EQ(about->geometry(), contentArea) << "both pages cover the same area";

    clickCell(window.leftMenuBar(), 0);
    EXPECT_TRUE(library->isVisible());
    EXPECT_FALSE(about->isVisible());
    EXPECT_TRUE(library->downloadTab()->highlight());
    EXPECT_FALSE(library->localTab()->highlight());

    window.showPage(7);
    EXPECT_FALSE(library->isVisible());
    EXPECT_FALSE(about->isVisible());
    window.showPage(0);
    EXPECT_TRUE(library->isVisible());
}

TEST(MainWindowController, SettingsWindowIsCentredOverTheWindowWhereverItIs) {
    MainWindowTestRig rig;
    MainWindowController& window = rig.window();
    window.setGeometry(QRect(40, 30, 1100, 700));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.configWindowController(), nullptr) << "made on first use";

    QTest::mouseClick(window.setting(), Qt::LeftButton);
    ConfigWindowController* config = window.configWindowController();
    ASSERT_NE(config, nullptr);
    EXPECT_TRUE(config->isVisible());
    EXPECT_LE((centreOf(config->geometry()) - centreOf(window.geometry())).manhattanLength(), 1);

    // Moved and asked again (this time through the menu): the same window, centred anew.
    window.setGeometry(QRect(300, 200, 1000, 650));
    config->hide();
    window.applicationMenuBar()->preferencesAction()->trigger();
    EXPECT_EQ(window.configWindowController(), config);
    EXPECT_TRUE(config->isVisible());
    EXPECT_LE((centreOf(config->geometry()) - centreOf(window.geometry())).manhattanLength(), 1);

    // Still open, asked again after a move: recentred.
    window.move(0, 0);
    window.showConfigureWindow();
    EXPECT_LE((centreOf(config->geometry()) - centreOf(window.geometry())).manhattanLength(), 1);
}

TEST(MainWindowController, LinkButtonsOpenTheirPagesAndTheMobileButtonTheOneQrWindow) {
    MainWindowTestRig rig;
    MainWindowController& window = rig.window();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QRCodeController* qr = window.qrC();
    ASSERT_NE(qr, nullptr);
    QTest::mouseClick(window.mobileApp(), Qt::LeftButton);
    EXPECT_TRUE(qr->isVisible());
    qr->close();
    QTest::mouseClick(window.mobileApp(), Qt::LeftButton);
    EXPECT_EQ(window.qrC(), qr);
    EXPECT_TRUE(qr->isVisible());
    EXPECT_TRUE(rig.urlOpener.opened.isEmpty()) << "the mobile button opens no page";

    QTest::mouseClick(window.webSite(), Qt::LeftButton);
    QTest::mouseClick(window.help(), Qt::LeftButton);
    QTest::mouseClick(window.BBS(), Qt::LeftButton);
    EXPECT_EQ(rig.urlOpener.opened,
              (QList<QUrl>{AppInfo::webSiteURL(), AppInfo::helpURL(), AppInfo::forumURL()}));

    // The settings button has its own action; any other sender does nothing.
    window.buttonAction(window.setting());
    QToolButton stranger;
    window.buttonAction(&stranger);
    EXPECT_EQ(rig.urlOpener.opened.size(), 3);

    for (QToolButton* button : {window.webSite(), window.mobileApp(), window.help(), window.BBS()})
        EXPECT_TRUE(button->autoRaise()) << "border only while the pointer is over it";
}

TEST(MainWindowController, MenuQuitsWithCtrlQAndClosingOnlyHides) {
    MainWindowTestRig rig;
    MainWindowController& window = rig.window();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(rig.downloadManagerRequests, 1) << "the download engine exists once the window does";

    QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(rig.quitRequests, 1);
    window.applicationMenuBar()->helpAction()->trigger();
    EXPECT_EQ(rig.helpRequests, 1);

    QPointer<MainWindowController> alive(&window);
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(alive);
    window.showWindow();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.window(), &window);
}

TEST(MainWindowController, PreviewWindowIsOwnedReusedAndPlaysOnlyWebAddresses) {
    MainWindowTestRig rig;
    MainWindowController& window = rig.window();
    EXPECT_EQ(window.webViewWindow(), nullptr);
    EXPECT_EQ(PreviewPresenter::of(window.libraryPage()->collectionView()), &window)
        << "the lists find the preview through their window";

    window.showPreviewWindow(QUrl("file:///etc/passwd"), QRect());
    EXPECT_EQ(window.webViewWindow(), nullptr);

    window.showPreviewWindow(QUrl("http://127.0.0.1:9/a.mp4"), QRect());
    PreviewVideoWindow* preview = window.webViewWindow();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->size(), QSize(800, 450));

    preview->close();
    window.showPreviewWindow(QUrl("https://example.com/b.mp4"), QRect(10, 20, 640, 360));
    EXPECT_EQ(window.webViewWindow(), preview);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->geometry(), QRect(10, 20, 640, 360));
}

// Against the protocol server: the window asks for the guide when it is made, and what is typed in
// the search field reaches the library page, which searches the catalogue.
TEST(MainWindowController, AsksForTheGuideAndSearchesThroughTheLibraryPage) {
    ProtocolTestServer server;
    ASSERT_TRUE(server.start());
    for (int i = 0; i < 3; ++i)
        server.addVideo(ProtocolTestServer::videoRecord(ProtocolTestServer::signOf(QByteArray::number(i)),
                                                        QStringLiteral("Sea %1").arg(i)));
    MainWindowTestRig::Options options;
    options.serverUrl = server.baseUrl();
    MainWindowTestRig rig(options);
    MainWindowController& window = rig.window();
    ASSERT_TRUE(server.waitForRequests(1));
    EXPECT_EQ(server.requestsFor("214").size(), 1) << "the guide is asked for once";

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    SearchField* field = window.searchField();
    ASSERT_NE(field->myDelegate(), nullptr);
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClicks(field, "Sea");
    QTest::keyClick(field, Qt::Key_Return);
    VideoLibraryViewController* page = window.libraryPage();
    ASSERT_TRUE(TestHome::waitUntil([&] { return page->onlineTab()->highlight(); }));
    ASSERT_TRUE(TestHome::waitUntil([&] {
        for (const auto& request : server.requestsFor("502"))
            if (request.object().value("keywords").toString().size() > 0)
                return page->collectionView()->numberOfItems() == 3;
        return false;
    }));
}

} // namespace
