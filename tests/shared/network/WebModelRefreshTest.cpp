#include "AppInfo.h"
#include "NotificationCenter.h"
#include "WebModelTestSupport.h"

#include <QTimeZone>

using Failure = ProtocolTestServer::Failure;

namespace {
struct Posted {
    QString name;
    QVariantMap userInfo;
};

// Records what the client posts on a centre of the test's own.
struct Recorder {
    NotificationCenter center;
    std::vector<Posted> posted;
    std::optional<Disposable> token = center.addObserver({}, [this](const Notification& n) {
        posted.push_back({n.name, n.userInfo});
    });
};
} // namespace

class WebModelRefreshTest : public WebModelTest {
protected:
    void SetUp() override {
        WebModelTest::SetUp();
        WebModel::Options options;
        options.baseURL = server.baseUrl();
        options.standardDefaults = standard.get();
        options.suite = suite.get();
        options.notifications = &recorder.center;
        options.scheduleRefreshes = false;
        client = std::make_unique<WebModel>(options);
    }
    Recorder recorder;
};

TEST_F(WebModelRefreshTest, HeartbeatTextHasExactlyOneBlank) {
    Outcome<std::optional<HeartbeatResponse>> outcome;
    client->sendHeartbeat(WebModel::HeartBeatType::Boot, "1000", outcome.setter());
    ASSERT_TRUE(outcome.wait());
    EXPECT_TRUE(outcome.value);
    const auto text = received("21").text;
    EXPECT_EQ(text, QString(R"({\"n\":\"1000\", \"ui\":\"TEST-INSTALLATION\",\"ct\":\"0\",\"v\":\"%1\",)"
                            R"(\"type\":\"1\",\"ismac\":\"1\"})")
                        .arg(AppInfo::fullVersion()));
    EXPECT_EQ(received("21").path, "/litecount.html");
    EXPECT_EQ(text->count(' '), 1);
}

TEST_F(WebModelRefreshTest, HeartbeatRepliesThatDecodeDoNotDecodeOrFail) {
    client->sendHeartbeat(WebModel::HeartBeatType::Boot, "1000");
    ASSERT_TRUE(TestHome::waitUntil([&] { return client->heartbeatResponse().has_value(); }));
    EXPECT_EQ(client->heartbeatResponse()->data.msg.msgBottom.msg, "Welcome to Zerafin");
    ASSERT_EQ(recorder.posted.size(), 1u);
    EXPECT_EQ(recorder.posted[0].name, "HeartbeatUpdated");

    // Fails on the network: the previous reply stays and nothing is posted.
    server.setFailure(Failure::closeConnection, "21");
    Outcome<std::optional<HeartbeatResponse>> failed;
    client->sendHeartbeat(WebModel::HeartBeatType::Boot, "1000", failed.setter());
    ASSERT_TRUE(failed.wait());
    EXPECT_FALSE(failed.value);
    EXPECT_TRUE(client->heartbeatResponse());
    EXPECT_EQ(recorder.posted.size(), 1u);

    // Deciphers but does not decode ("msg_top" missing): stored as none, still posted, and the
    // completion runs before the notification.
    server.resetSwitches();
    QJsonObject data = ProtocolTestServer::defaultHeartbeatData();
    QJsonObject msg = data.value("msg").toObject();
    msg.remove("msg_top");
    data.insert("msg", msg);
    server.setHeartbeatData(data);
    bool postedBeforeCompletion = true;
    Outcome<std::optional<HeartbeatResponse>> undecodable;
    client->sendHeartbeat(WebModel::HeartBeatType::Boot, "1000", [&](std::optional<HeartbeatResponse> r) {
        postedBeforeCompletion = recorder.posted.size() == 2;
        undecodable.setter()(r);
    });
    ASSERT_TRUE(undecodable.wait());
    EXPECT_FALSE(undecodable.value);
    EXPECT_FALSE(postedBeforeCompletion);
    EXPECT_FALSE(client->heartbeatResponse());
    ASSERT_EQ(recorder.posted.size(), 2u);
}

TEST_F(WebModelRefreshTest, HeartbeatCarriesTheCounterAnInstallReplyStored) {
    server.setInstallData(42);
    client->reportInstall(WebModel::InstallWay::Update, "1000");
    ASSERT_TRUE(TestHome::waitUntil([&] { return client->ct() == 42; }));
    client->sendHeartbeat(WebModel::HeartBeatType::HeartBeat, "1000");
    const auto heartbeat = received("21").object();
    EXPECT_EQ(heartbeat.value("ct").toString(), "42");
    EXPECT_EQ(heartbeat.value("type").toString(), "3");
}

TEST_F(WebModelRefreshTest, GuideRepliesPostBothNotificationsInOrder) {
    client->requestGuideInfo();
    ASSERT_TRUE(TestHome::waitUntil([&] { return recorder.posted.size() == 2; }));
    EXPECT_EQ(received("214").text,
              QString(R"({\"ui\":\"TEST-INSTALLATION\",\"v\":\"%1\"})").arg(AppInfo::fullVersion()));
    ASSERT_TRUE(client->guideModel());
    EXPECT_EQ(client->guideModel()->leftPanel().size(), 1);
    EXPECT_EQ(client->guideModel()->newFeature().size(), 1);
    EXPECT_EQ(recorder.posted[0].name, "NewFeatureUpdated");
    EXPECT_TRUE(recorder.posted[0].userInfo.isEmpty());
    EXPECT_EQ(recorder.posted[1].name, "leafletUpdated");
    const auto pictures = recorder.posted[1].userInfo.value("leftPanel").value<GuideModel::Pictures>();
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_EQ(pictures[0].second, QUrl("https://www.zerafin.example/leaflet"));

    server.setFailure(Failure::serverError, "214");
    client->requestGuideInfo();
    ASSERT_TRUE(TestHome::waitUntil([&] { return recorder.posted.size() == 4; }));
    EXPECT_FALSE(client->guideModel());
    EXPECT_EQ(recorder.posted[2].name, "NewFeatureUpdated");
    EXPECT_EQ(recorder.posted[3].name, "leafletUpdated");
    EXPECT_TRUE(recorder.posted[3].userInfo.isEmpty());
}

TEST_F(WebModelRefreshTest, CreationSchedulesTheGuideAndTheMidnightHeartbeat) {
    const QTimeZone berlin("Europe/Berlin");
    QDateTime now(QDate(2026, 6, 10), QTime(23, 59, 59), berlin);
    WebModel::Options options;
    options.baseURL = server.baseUrl();
    options.standardDefaults = standard.get();
    options.suite = suite.get();
    options.notifications = &recorder.center;
    options.clock = [&] { return now; };
    options.random = [] { return 4294967295u; };
    WebModel scheduled(options);

    const QDateTime fire = scheduled.midnightFireDate();
    EXPECT_EQ(fire, WebModel::firstMidnightFireDate(now, 4294967295u));
    EXPECT_TRUE(server.requestsFor("214").isEmpty());
    EXPECT_TRUE(received("214").text.has_value()); // the guide refresh, two seconds after creation
    EXPECT_TRUE(server.requestsFor("21").isEmpty());

    // Not yet due: nothing goes out.
    now = fire.addMSecs(-1);
    scheduled.checkMidnightTimer();
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_TRUE(server.requestsFor("21").isEmpty());

    now = fire;
    scheduled.checkMidnightTimer();
    const auto heartbeat = received("21").object();
    EXPECT_EQ(heartbeat.value("type").toString(), "2");
    EXPECT_EQ(heartbeat.value("n").toString(), "1000");
    EXPECT_EQ(scheduled.midnightFireDate(), fire.addDays(1));

    // Asleep for three days: one heartbeat on waking, then the next midnight to come.
    now = fire.addDays(3).addSecs(3600);
    scheduled.checkMidnightTimer();
    EXPECT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("21").size() == 2; }));
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_EQ(server.requestsFor("21").size(), 2);
    EXPECT_EQ(scheduled.midnightFireDate(), fire.addDays(4));
}
