#include "NotificationCenter.h"
#include "OcclusionMonitor.h"
#include "QuitSignalHandler.h"
#include "ScreenChangeMonitor.h"
#include "SessionBusName.h"
#include "SleepMonitor.h"
#include "TestHome.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <csignal>
#include <gtest/gtest.h>

namespace {
void sendSignal(const QString& path, const QString& interface, const QString& member, bool value) {
    QDBusMessage message = QDBusMessage::createSignal(path, interface, member);
    message << value;
    QDBusConnection::sessionBus().send(message);
}
} // namespace

TEST(SessionBusName, TheFirstClaimOwnsTheNameAndASecondProcessFindsItOwned) {
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "no session bus";
    const QString name = QStringLiteral("com.tovan.test.SingleInstance");
    EXPECT_FALSE(SessionBusName::isOwned(name));
    EXPECT_EQ(SessionBusName::claim(name), SessionBusName::Claim::owned);
    EXPECT_TRUE(SessionBusName::isOwned(name));
    // Another connection stands for another process.
    auto other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("second-start"));
    EXPECT_EQ(SessionBusName::claim(name, other), SessionBusName::Claim::alreadyOwned);
    QDBusConnection::disconnectFromBus(QStringLiteral("second-start"));
}

TEST(SessionBusName, WithoutABusNothingCanBeClaimed) {
    QDBusConnection none(QStringLiteral("not-connected"));
    EXPECT_EQ(SessionBusName::claim(QStringLiteral("com.tovan.test.Nothing"), none),
              SessionBusName::Claim::noBus);
    EXPECT_FALSE(SessionBusName::isOwned(QStringLiteral("com.tovan.test.Nothing"), none));
}

TEST(SleepMonitor, ReportsOnlyTheWakeEdge) {
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "no session bus";
    SleepMonitor monitor(bus, QString());
    ASSERT_TRUE(monitor.isListening());
    int wakes = 0;
    QObject::connect(&monitor, &SleepMonitor::didWake, [&] { ++wakes; });
    sendSignal(SleepMonitor::path, SleepMonitor::interface, "PrepareForSleep", true);
    TestHome::spin(std::chrono::milliseconds(200));
    EXPECT_EQ(wakes, 0);
    sendSignal(SleepMonitor::path, SleepMonitor::interface, "PrepareForSleep", false);
    EXPECT_TRUE(TestHome::waitUntil([&] { return wakes == 1; }));
}

TEST(OcclusionMonitor, ReportsEachChangeOnceWhicheverInterfaceAnnouncesIt) {
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "no session bus";
    OcclusionMonitor monitor(bus);
    ASSERT_TRUE(monitor.isListening());
    int changes = 0;
    QObject::connect(&monitor, &OcclusionMonitor::occlusionStateChanged, [&] { ++changes; });
    sendSignal("/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", true);
    sendSignal("/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged", true);
    EXPECT_TRUE(TestHome::waitUntil([&] { return changes == 1; }));
    sendSignal("/ScreenSaver", "org.freedesktop.ScreenSaver", "ActiveChanged", false);
    EXPECT_TRUE(TestHome::waitUntil([&] { return changes == 2; }));
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_EQ(changes, 2);
}

TEST(ScreenChangeMonitor, ABurstOfScreenEventsPostsOneNotification) {
    NotificationCenter center;
    int posts = 0;
    Disposable token =
        center.addObserver(ScreenChangeMonitor::notificationName, [&](const Notification&) { ++posts; });
    ScreenList screens;
    ScreenChangeMonitor monitor(screens, center, std::chrono::milliseconds(30));
    for (int i = 0; i < 5; ++i)
        emit screens.screensChanged();
    EXPECT_TRUE(TestHome::waitUntil([&] { return posts == 1; }));
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_EQ(posts, 1);
    monitor.screenEvent();
    EXPECT_TRUE(TestHome::waitUntil([&] { return posts == 2; }));
}

TEST(QuitSignalHandler, SigtermAndSigintQuitThroughTheMainThreadOnce) {
    int quits = 0;
    QuitSignalHandler::install([&] { ++quits; });
    ::raise(SIGTERM);
    EXPECT_TRUE(TestHome::waitUntil([&] { return quits == 1; }));
    ::raise(SIGINT);
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_EQ(quits, 1);
}
