#include "Disposable.h"
#include "DistributedNotificationCenter.h"
#include "NotificationCenter.h"
#include "TestHome.h"

#include <QDBusConnection>
#include <QProcess>
#include <gtest/gtest.h>
#include <vector>

TEST(Disposable, RunsEachClosureOnceWhenReleased) {
    int runs = 0;
    {
        std::vector<Disposable> tokens;
        tokens.emplace_back([&] { ++runs; });
        tokens.emplace_back([&] { ++runs; });
        Disposable moved(std::move(tokens.back()));
        tokens.pop_back();
        EXPECT_EQ(runs, 0);
        tokens.clear();
        EXPECT_EQ(runs, 1);
    }
    EXPECT_EQ(runs, 2);
}

TEST(Disposable, MakingOneWithoutAClosureStopsTheProcess) {
    EXPECT_DEATH({ Disposable token{std::function<void()>()}; }, "without a closure");
}

TEST(NotificationCenter, DeliversByNameInOrderUntilTheTokenGoes) {
    NotificationCenter center;
    std::vector<QString> seen;
    std::optional<Disposable> first = center.addObserver("A", [&](const Notification& n) {
        seen.push_back("1:" + n.name + ":" + n.userInfo.value("k").toString());
    });
    Disposable second =
        center.addObserver("A", [&](const Notification& n) { seen.push_back("2:" + n.name); });
    Disposable all =
        center.addObserver(QString(), [&](const Notification& n) { seen.push_back("*:" + n.name); });
    center.post("A", nullptr, {{"k", "v"}});
    center.post("B");
    first.reset();
    center.post("A");
    EXPECT_EQ(seen, (std::vector<QString>{"1:A:v", "2:A", "*:A", "*:B", "2:A", "*:A"}));
}

TEST(NotificationCenter, AnObserverMayRemoveAnotherDuringAPost) {
    NotificationCenter center;
    int later = 0;
    std::optional<Disposable> second;
    Disposable first = center.addObserver("A", [&](const Notification&) { second.reset(); });
    second = center.addObserver("A", [&](const Notification&) { ++later; });
    center.post("A");
    EXPECT_EQ(later, 0);
}

TEST(DistributedNotificationCenter, ReachesAnotherProcessAndThisOne) {
    auto bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "no session bus";
    DistributedNotificationCenter center(bus);
    int updates = 0;
    int others = 0;
    Disposable a = center.addObserver("UpdateVideoList", [&] { ++updates; });
    Disposable b = center.addObserver("com.tovan.corvex.mac.ter", [&] { ++others; });
    // Another process posts the way an outside tool would.
    QProcess::execute("dbus-send",
                      {"--session", "--type=signal", "/com/tovan/DistributedNotificationCenter",
                       "com.tovan.DistributedNotificationCenter.Notification", "string:UpdateVideoList"});
    EXPECT_TRUE(TestHome::waitUntil([&] { return updates == 1; }));
    center.post("com.tovan.corvex.mac.ter");
    center.flush();
    EXPECT_TRUE(TestHome::waitUntil([&] { return others == 1; }));
    EXPECT_EQ(updates, 1);
}

TEST(DistributedNotificationCenter, WithoutABusPostingDoesNothing) {
    QDBusConnection none =
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "none");
    DistributedNotificationCenter center(none);
    EXPECT_FALSE(center.isConnected());
    int calls = 0;
    Disposable token = center.addObserver("UpdateVideoList", [&calls] { ++calls; });
    center.post("UpdateVideoList");
    center.flush();
    TestHome::spin(std::chrono::milliseconds(200));
    EXPECT_EQ(calls, 0);
}
