#include "AppInfo.h"
#include "DispatchQueue.h"
#include "MainThread.h"
#include "WebModelTestSupport.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QThread>

using Failure = ProtocolTestServer::Failure;
using Text = std::optional<QString>;

TEST_F(WebModelTest, InstallReportTextHeadersAndCounter) {
    Outcome<Text> outcome;
    server.setInstallData(7);
    client->reportInstall(WebModel::InstallWay::Update, "1000", outcome.setter());
    ASSERT_TRUE(outcome.wait());
    const auto request = received("13");
    EXPECT_EQ(request.path, "/litecount.html");
    EXPECT_EQ(request.text,
              QString(R"({\"n\":\"1000\",\"ui\":\"TEST-INSTALLATION\",\"v\":\"%1\",\"type\":1})")
                  .arg(AppInfo::fullVersion()));
    EXPECT_EQ(request.header("User-Agent"), ("MACZerafinLite" + AppInfo::fullVersion()).toUtf8());
    EXPECT_TRUE(request.header("Content-Type").startsWith("application/x-www-form-urlencoded"));
    // The Base64 text travels intact through the form encoding ("+", "/" and "=" included).
    EXPECT_TRUE(request.body.contains("i=" + QUrl::toPercentEncoding(request.cipherText)));

    ASSERT_TRUE(outcome.value);
    EXPECT_TRUE(outcome.value->contains("\"data\":7"));
    EXPECT_EQ(client->ct(), 7);
    EXPECT_EQ(UserDefaults(standard->filePath()).integerForKey("ct"), 7);

    client->reportInstall(WebModel::InstallWay::Reinstall, "1000");
    EXPECT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("13").size() == 2; }));
    EXPECT_TRUE(server.requestsFor("13").last().text->endsWith(R"(\"type\":2})"));
}

TEST_F(WebModelTest, InstallReplyWithoutAnIntegerStoresNothing) {
    for (const QJsonValue& data : {QJsonValue("7"), QJsonValue(7.5), QJsonValue(true), QJsonValue()}) {
        server.setInstallData(data);
        Outcome<Text> outcome;
        client->reportInstall(WebModel::InstallWay::Update, "1000", outcome.setter());
        ASSERT_TRUE(outcome.wait());
        EXPECT_FALSE(outcome.value) << data.toVariant().toString().toStdString();
        EXPECT_EQ(client->ct(), 0);
    }
    server.setReplyText("13", R"({"status":1,"info":"ok"})");
    Outcome<Text> missing;
    client->reportInstall(WebModel::InstallWay::Update, "1000", missing.setter());
    ASSERT_TRUE(missing.wait());
    EXPECT_FALSE(missing.value);
    EXPECT_FALSE(standard->hasObject("ct"));
}

TEST_F(WebModelTest, FeedbackTextsTravelAsJSONStringsAndKeepTheBlankBeforeLng) {
    // Ordinary text: the same bytes as ever.
    Outcome<Text> outcome;
    client->sendFeedback(3, "Nice app, 日本 100%", "me@example.org", outcome.setter());
    ASSERT_TRUE(outcome.wait());
    EXPECT_TRUE(outcome.value);
    const QString plain = "{\"ui\":\"TEST-INSTALLATION\",\"type\":\"3\",\"content\":\"Nice app, 日本 100%\","
                          "\"contact\":\"me@example.org\", \"lng\":\"zh-CN\"}";
    EXPECT_EQ(received("26").text, Envelope::escapeQuotes(plain));

    // Quotes, backslashes and control characters arrive as typed, in a request that reads as JSON.
    const QString content = "say \"hi\"\nback\\slash\ttab\x01 end\\";
    const QString contact = "\"me\"@example.org\\";
    client->sendFeedback(4, content, contact, {});
    EXPECT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("26").size() == 2; }));
    const auto request = server.requestsFor("26").last();
    EXPECT_EQ(request.object().value("content").toString(), content);
    EXPECT_EQ(request.object().value("contact").toString(), contact);
    EXPECT_EQ(request.object().value("lng").toString(), "zh-CN");

    // Values go in as they are, placeholders of their own included.
    client->sendFeedback(4, "100%1 %2", "%3", {});
    EXPECT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("26").size() == 3; }));
    EXPECT_EQ(server.requestsFor("26").last().object().value("content").toString(), "100%1 %2");
    EXPECT_EQ(server.requestsFor("26").last().object().value("contact").toString(), "%3");
}

TEST_F(WebModelTest, DownloadReportWritesBareNumbers) {
    Outcome<Text> outcome;
    client->reportDownloadStatus(12, 2, outcome.setter());
    ASSERT_TRUE(outcome.wait());
    auto request = received("503");
    EXPECT_EQ(request.path, "/src.html");
    EXPECT_EQ(request.text, QString(R"({\"ui\":\"TEST-INSTALLATION\", \"vid\":12, \"status\":2})"));
    ASSERT_TRUE(outcome.value);
    EXPECT_TRUE(outcome.value->startsWith("{"));

    client->reportDownloadStatus(12, -3); // no completion: sent, reply ignored
    EXPECT_TRUE(TestHome::waitUntil([&] { return server.requestsFor("503").size() == 2; }));
    EXPECT_TRUE(server.requestsFor("503").last().text->endsWith(R"(\"status\":-3})"));
}

TEST_F(WebModelTest, RepliesPaddedWithNulsEmptyGarbageAndErrors) {
    server.setNulPadding(5);
    Outcome<Text> padded;
    client->reportDownloadStatus(1, 1, padded.setter());
    ASSERT_TRUE(padded.wait());
    ASSERT_TRUE(padded.value);
    EXPECT_FALSE(padded.value->contains(QChar(u'\0')));
    EXPECT_TRUE(padded.value->endsWith("}"));

    for (Failure failure : {Failure::emptyBody, Failure::garbage, Failure::serverError, Failure::dropMidBody,
                            Failure::closeConnection}) {
        server.setFailure(failure);
        Outcome<Text> outcome;
        client->reportDownloadStatus(1, 1, outcome.setter());
        ASSERT_TRUE(outcome.wait());
        EXPECT_FALSE(outcome.value) << int(failure);
    }

    // An error status whose body is a proper envelope is read like any other reply.
    server.resetSwitches();
    server.setStatus(500);
    Outcome<Text> errorStatus;
    client->reportDownloadStatus(1, 1, errorStatus.setter());
    ASSERT_TRUE(errorStatus.wait());
    EXPECT_TRUE(errorStatus.value);
}

TEST_F(WebModelTest, ARepliesSlowerThanTwoSecondsFails) {
    server.setDelay(std::chrono::milliseconds(2600));
    Outcome<Text> outcome;
    client->reportDownloadStatus(1, 1, outcome.setter());
    ASSERT_TRUE(outcome.wait());
    EXPECT_FALSE(outcome.value);

    server.setDelay(std::chrono::milliseconds(900)); // slow but within the limit
    Outcome<Text> slow;
    client->reportDownloadStatus(1, 1, slow.setter());
    ASSERT_TRUE(slow.wait());
    EXPECT_TRUE(slow.value);
}

TEST_F(WebModelTest, CrashLogUploadSendsTheFormAndReportsRealDelivery) {
    const QString path = home.file("1700000000.txt");
    QFile log(path);
    ASSERT_TRUE(log.open(QIODevice::WriteOnly));
    log.write("Exception: boom\n");
    log.close();

    Outcome<std::pair<Text, bool>> delivered;
    client->uploadCrashLog(path, [&](Text text, bool ok) { delivered.setter()({text, ok}); });
    ASSERT_TRUE(delivered.wait());
    EXPECT_EQ(delivered.value.first, QString("received")); // as the server sent it
    EXPECT_TRUE(delivered.value.second);

    const auto request = received("25");
    ASSERT_EQ(request.parts.size(), 3);
    EXPECT_EQ(request.parts[0].name, "f");
    EXPECT_EQ(request.parts[0].data, "25");
    EXPECT_EQ(request.parts[1].name, "i");
    EXPECT_EQ(request.text,
              QString(R"({\"ui\":\"TEST-INSTALLATION\",\"v\":\"%1\"})").arg(AppInfo::fullVersion()));
    EXPECT_EQ(request.parts[2].name, "dmp");
    EXPECT_EQ(request.parts[2].fileName, "1700000000.txt");
    EXPECT_EQ(request.parts[2].contentType, "text/plain");
    EXPECT_EQ(request.parts[2].data, "Exception: boom\n");

    // Not delivered: the log must be kept, so the flag is false.
    server.setFailure(Failure::serverError, "25");
    Outcome<std::pair<Text, bool>> refused;
    client->uploadCrashLog(path, [&](Text text, bool ok) { refused.setter()({text, ok}); });
    ASSERT_TRUE(refused.wait());
    EXPECT_EQ(refused.value.first, QString("Internal Server Error"));
    EXPECT_FALSE(refused.value.second);

    // A success status with nothing in the body was still delivered; keeping the log would send
    // it again at every start.
    server.setFailure(Failure::emptyBody, "25");
    Outcome<std::pair<Text, bool>> emptyAnswer;
    client->uploadCrashLog(path, [&](Text text, bool ok) { emptyAnswer.setter()({text, ok}); });
    ASSERT_TRUE(emptyAnswer.wait());
    EXPECT_FALSE(emptyAnswer.value.first);
    EXPECT_TRUE(emptyAnswer.value.second);

    auto offline = makeClient(std::nullopt, deadServer());
    Outcome<std::pair<Text, bool>> unreachable;
    offline->uploadCrashLog(path, [&](Text text, bool ok) { unreachable.setter()({text, ok}); });
    ASSERT_TRUE(unreachable.wait());
    EXPECT_FALSE(unreachable.value.first);
    EXPECT_FALSE(unreachable.value.second);

    const int before = server.requestCount();
    Outcome<std::pair<Text, bool>> missing;
    client->uploadCrashLog(home.file("gone.txt"), [&](Text text, bool ok) { missing.setter()({text, ok}); });
    ASSERT_TRUE(missing.wait());
    EXPECT_TRUE(missing.value.first); // the reason
    EXPECT_FALSE(missing.value.second);
    TestHome::spin(std::chrono::milliseconds(100));
    EXPECT_EQ(server.requestCount(), before);
}

TEST_F(WebModelTest, ACipherThatCannotBeMadeSendsNothing) {
    auto broken = makeClient(Envelope("bad key", Envelope::defaultIV()));
    bool feedbackCalled = false;
    broken->sendFeedback(1, "x", "y", [&](Text text) {
        EXPECT_FALSE(text);
        feedbackCalled = true;
    });
    EXPECT_TRUE(feedbackCalled); // at once, before returning
    bool updateCalled = false;
    broken->checkUpdate([&](std::optional<UpgradeInfo> info) {
        EXPECT_FALSE(info);
        updateCalled = true;
    });
    EXPECT_TRUE(updateCalled);
    broken->reportInstall(WebModel::InstallWay::Update, "1000", [](Text) { ADD_FAILURE(); });
    broken->reportDownloadStatus(1, 1, [](Text) { ADD_FAILURE(); });
    broken->uploadCrashLog(home.file("x.txt"), [](Text, bool) { ADD_FAILURE(); });
    TestHome::spin(std::chrono::milliseconds(200));
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(WebModelTest, UpdateCheckReadsTheDataObjectLeniently) {
    const auto check = [&] {
        Outcome<std::optional<UpgradeInfo>> outcome;
        client->checkUpdate(outcome.setter());
        EXPECT_TRUE(outcome.wait());
        return outcome.value;
    };
    server.setUpdateData(
        QJsonObject{{"url", "https://x.example/u"}, {"md5", "abc"}, {"ver", "1.3.0.1"}, {"exp", "notes"}});
    EXPECT_EQ(check(), (UpgradeInfo{"https://x.example/u", "abc", "1.3.0.1", "notes"}));
    EXPECT_EQ(received("24").text,
              QString(R"({\"ui\":\"TEST-INSTALLATION\",\"v\":\"%1\"})").arg(AppInfo::fullVersion()));

    server.setUpdateData(QJsonObject{{"url", "u"}, {"ver", 3}});
    EXPECT_EQ(check(), (UpgradeInfo{"u", "", "", ""}));
    server.setUpdateData(QJsonObject{{"ver", "9"}});
    EXPECT_FALSE(check());
    server.setUpdateData("not an object");
    EXPECT_FALSE(check());
    server.setReplyText("24", "[1,2]");
    EXPECT_FALSE(check());
    server.setReplyText("24", "not json");
    EXPECT_FALSE(check());
}

TEST_F(WebModelTest, InstallationIdentifierIsMadeOnceAndShared) {
    UserDefaults fresh(home.file("fresh.ini"));
    WebModel::Options options;
    options.baseURL = server.baseUrl();
    options.suite = &fresh;
    options.standardDefaults = standard.get();
    options.scheduleRefreshes = false;
    WebModel first(options);
    const QString id = first.installationID();
    EXPECT_TRUE(QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
                    .match(id)
                    .hasMatch())
        << id.toStdString();
    EXPECT_EQ(UserDefaults(fresh.filePath()).stringForKey("uuid"), id);
    UserDefaults other(fresh.filePath());
    options.suite = &other;
    EXPECT_EQ(WebModel(options).installationID(), id);
}

TEST_F(WebModelTest, RequestsFromAWorkQueueShareTheOneSessionAndAnswerOnTheMainThread) {
    DispatchQueue queue("getVideoDetail");
    std::atomic<int> answered = 0;
    std::atomic<bool> allOnMain = true;
    for (int i = 0; i < 4; ++i)
        queue.async([&] {
            client->reportDownloadStatus(i, 1, [&](Text text) {
                allOnMain = allOnMain && MainThread::isCurrent() && text.has_value();
                ++answered;
            });
        });
    client->reportDownloadStatus(9, 1, [&](Text) { ++answered; });
    EXPECT_TRUE(TestHome::waitUntil([&] { return answered == 5; }));
    EXPECT_TRUE(allOnMain);
    EXPECT_EQ(client->findChildren<QNetworkAccessManager*>().size(), 1);
}
