#include "PreviewVideoWindow.h"
#include "FakePlayer.h"
#include "ImportFixtures.h"
#include "MpvPlayer.h"
#include "PlayerView.h"
#include "PreviewWindowPresenter.h"
#include "ProtocolTestServer.h"
#include "TestHome.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// A presenter whose players are fakes the test can reach, and whose browser records addresses.
struct Rig {
    std::vector<QPointer<FakePlayer>> players;
    std::vector<QUrl> opened;
    PreviewWindowPresenter presenter{[this] {
                                         auto player = std::make_unique<FakePlayer>();
                                         players.push_back(player.get());
                                         return std::unique_ptr<Player>(std::move(player));
                                     },
                                     [this](const QUrl& url) { opened.push_back(url); }};
};

TEST(PreviewVideoWindow, FirstPreviewOpens800By450CentredAndPlaysTheClipLoopingWithSound) {
    Rig rig;
    const QUrl clip("https://cdn.example/clips/a.mp4");
    rig.presenter.showPreviewWindow(clip, QRect());
    PreviewVideoWindow* window = rig.presenter.webViewWindow();
    ASSERT_NE(window, nullptr);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(window->geometry().size(), QSize(800, 450));
    EXPECT_EQ(window->geometry().topLeft(),
              area.topLeft() + QPoint((area.width() - 800) / 2, (area.height() - 450) / 2));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isCenter());
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(Qt::black));

    ASSERT_EQ(rig.players.size(), 1u);
    FakePlayer* player = rig.players[0];
    ASSERT_EQ(player->loads.size(), 1u);
    EXPECT_EQ(player->loads[0], clip.toString());
    EXPECT_TRUE(player->isPlaying());
    EXPECT_FALSE(player->isMuted());
    EXPECT_FLOAT_EQ(player->volume(), 1.0f);
    EXPECT_EQ(window->playerView()->player(), player);

    // The clip loops: its end rewinds it.
    player->finishItem();
    EXPECT_EQ(player->seeks, 1);
    EXPECT_TRUE(rig.opened.empty());
}

TEST(PreviewVideoWindow, ARectangleSetsTheGeometryAndTheSameWindowTakesTheNextClip) {
    Rig rig;
    rig.presenter.showPreviewWindow(QUrl("http://cdn.example/a.mp4"), QRect(10, 20, 640, 360));
    PreviewVideoWindow* window = rig.presenter.webViewWindow();
    EXPECT_EQ(window->geometry(), QRect(10, 20, 640, 360));
    EXPECT_EQ(window->windowFlags() & Qt::WindowMinMaxButtonsHint, 0);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);
    // A dialog of one size: window managers offer neither minimise nor maximise for it.
    EXPECT_EQ(window->windowType(), Qt::Dialog);
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::CustomizeWindowHint));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());

    rig.presenter.showPreviewWindow(QUrl("http://cdn.example/b.mp4"), QRect());
    EXPECT_EQ(rig.presenter.webViewWindow(), window);
    EXPECT_EQ(window->geometry(), QRect(10, 20, 640, 360))
        << "the empty rectangle keeps the window where it is";
    ASSERT_EQ(rig.players.size(), 2u);
    EXPECT_TRUE(rig.players[0].isNull()) << "the previous clip's player is dropped";
    EXPECT_EQ(rig.players[1]->currentItem(), QString("http://cdn.example/b.mp4"));
    EXPECT_EQ(window->loadedURL(), QUrl("http://cdn.example/b.mp4"));
}

TEST(PreviewVideoWindow, ClosingDropsThePlayerAndPreviewingAgainShowsTheSameWindow) {
    Rig rig;
    rig.presenter.showPreviewWindow(QUrl("http://cdn.example/a.mp4"));
    PreviewVideoWindow* window = rig.presenter.webViewWindow();
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->player(), nullptr);
    EXPECT_TRUE(rig.players[0].isNull());

    rig.presenter.showPreviewWindow(QUrl("http://cdn.example/c.mp4"));
    EXPECT_EQ(rig.presenter.webViewWindow(), window);
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(rig.players.size(), 2u);
    EXPECT_EQ(rig.players[1]->currentItem(), QString("http://cdn.example/c.mp4"));
}

TEST(PreviewVideoWindow, OnlyWebAddressesArePlayedOrOpened) {
    Rig rig;
    for (const char* address : {"file:///etc/passwd", "javascript:alert(1)", "ftp://host/a.mp4", "http://"}) {
        rig.presenter.showPreviewWindow(QUrl(address));
        EXPECT_EQ(rig.presenter.webViewWindow()->player(), nullptr) << address;
    }
    EXPECT_TRUE(rig.players.empty());
    EXPECT_TRUE(rig.opened.empty());
}

TEST(PreviewVideoWindow, AnAddressThatDoesNotPlayHidesTheWindowAndGoesToTheBrowser) {
    Rig rig;
    const QUrl page("https://www.example/preview/42.html");
    rig.presenter.showPreviewWindow(page);
    PreviewVideoWindow* window = rig.presenter.webViewWindow();
    rig.players[0]->failItem();
    ASSERT_TRUE(TestHome::waitUntil([&] { return !rig.opened.empty(); }));
    EXPECT_EQ(rig.opened, std::vector<QUrl>{page});
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->player(), nullptr);
}

TEST(PreviewVideoWindow, ALateFailureOfAClipNoLongerPlayingIsIgnored) {
    Rig rig;
    const QUrl first("https://cdn.example/a.mp4");
    const QUrl second("https://cdn.example/b.mp4");
    rig.presenter.showPreviewWindow(first);
    PreviewVideoWindow* window = rig.presenter.webViewWindow();
    // The first clip's failure is still on its way when the second clip replaces it.
    rig.players[0]->failItem();
    rig.presenter.showPreviewWindow(second);
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_TRUE(rig.opened.empty());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->loadedURL(), second);
    ASSERT_EQ(rig.players.size(), 2u);
    EXPECT_EQ(window->player(), rig.players[1].data());

    // The same clip loaded again: only the failure of the copy now playing counts.
    rig.players[1]->failItem();
    rig.presenter.showPreviewWindow(second);
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_TRUE(rig.opened.empty());
    EXPECT_TRUE(window->isVisible());

    rig.players[2]->failItem();
    ASSERT_TRUE(TestHome::waitUntil([&] { return !rig.opened.empty(); }));
    EXPECT_EQ(rig.opened, std::vector<QUrl>{second});
    EXPECT_FALSE(window->isVisible());
}

// The real player on a clip served over loopback: it starts in a window of 800 x 450; a missing
// file goes to the browser.
TEST(PreviewVideoWindow, PlaysAClipServedByTheServer) {
    TestHome scratch;
    const QString clip = ImportFixtures::clip(scratch.file("preview.mp4"), 320, 180, 2.0);
    ASSERT_FALSE(clip.isEmpty());
    ProtocolTestServer server;
    ASSERT_TRUE(server.start());
    const QUrl address = server.serveFilePath("preview.mp4", clip);

    std::vector<QUrl> opened;
    QPointer<Player> current;
    bool started = false;
    bool failed = false;
    PreviewWindowPresenter presenter(
        [&] {
            auto player = std::make_unique<MpvPlayer>(MpvPlayer::Options{true});
            current = player.get();
            QObject::connect(player.get(), &Player::itemDidStart, [&] { started = true; });
            QObject::connect(player.get(), &Player::itemDidFail, [&] { failed = true; });
            return std::unique_ptr<Player>(std::move(player));
        },
        [&](const QUrl& url) { opened.push_back(url); });
    presenter.showPreviewWindow(address);
    ASSERT_TRUE(TestHome::waitUntil([&] { return started || failed; }, std::chrono::seconds(20)));
    EXPECT_TRUE(started);
    EXPECT_FALSE(failed);
    EXPECT_EQ(presenter.webViewWindow()->size(), QSize(800, 450));
    ASSERT_FALSE(current.isNull());
    EXPECT_TRUE(current->isPlaying());
    EXPECT_TRUE(opened.empty());

    started = failed = false;
    const QUrl missing = server.fileUrl("missing.mp4");
    presenter.showPreviewWindow(missing);
    ASSERT_TRUE(TestHome::waitUntil([&] { return !opened.empty(); }, std::chrono::seconds(20)));
    EXPECT_EQ(opened, std::vector<QUrl>{missing});
    EXPECT_FALSE(presenter.webViewWindow()->isVisible());
}

// A player not allowed web addresses (the wallpaper's) fails them without fetching anything.
TEST(PreviewVideoWindow, OnlyThePreviewsPlayerIsAllowedWebAddresses) {
    ProtocolTestServer server;
    ASSERT_TRUE(server.start());
    const QUrl address = server.serveFile("clip.mp4", QByteArray(4096, 'x'));
    MpvPlayer wallpaper;
    EXPECT_FALSE(wallpaper.options().allowWebAddresses);
    bool failed = false;
    QObject::connect(&wallpaper, &Player::itemDidFail, [&] { failed = true; });
    wallpaper.replaceCurrentItem(address.toString());
    ASSERT_TRUE(TestHome::waitUntil([&] { return failed; }, std::chrono::seconds(10)));
    TestHome::spin(std::chrono::milliseconds(200));
    EXPECT_EQ(server.requestCount(), 0);
}

} // namespace
