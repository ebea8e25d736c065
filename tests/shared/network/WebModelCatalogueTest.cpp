#include "DispatchQueue.h"
#include "MainThread.h"
#include "WebModelTestSupport.h"

using Failure = ProtocolTestServer::Failure;

namespace {
const QString signA = "0123456789abcdef0123456789abcdef";

VideoListRequest query(qint64 page) {
    return VideoListRequest{"TEST-INSTALLATION", 0, page, "", 1, ""};
}
} // namespace

TEST_F(WebModelTest, BaseInformationIsCachedOnceDecoded) {
    Outcome<std::optional<BaseInfoResponse>> first;
    client->requestBaseInfo(first.setter());
    ASSERT_TRUE(first.wait());
    ASSERT_TRUE(first.value);
    EXPECT_EQ(first.value->data.cate.size(), 3u);
    const auto request = received("501");
    EXPECT_EQ(request.path, "/src.html");
    EXPECT_EQ(request.text, QString(R"({\"ui\":\"TEST-INSTALLATION\"})"));

    bool calledBeforeReturn = false;
    client->requestBaseInfo(
        [&](std::optional<BaseInfoResponse> cached) { calledBeforeReturn = cached.has_value(); });
    EXPECT_TRUE(calledBeforeReturn);
    TestHome::spin(std::chrono::milliseconds(50));
    EXPECT_EQ(server.requestsFor("501").size(), 1);
}

TEST_F(WebModelTest, BaseInformationThatDoesNotDecodeClearsTheCache) {
    server.setReplyText("501", R"({"status":1,"info":"","data":{"cate":[],"hottags":[]}})");
    Outcome<std::optional<BaseInfoResponse>> undecodable;
    client->requestBaseInfo(undecodable.setter());
    ASSERT_TRUE(undecodable.wait());
    EXPECT_FALSE(undecodable.value);
    EXPECT_FALSE(client->baseInfo());

    // Two requests in flight: the first caches, the second fails on the network and keeps it.
    server.resetSwitches();
    server.setRequestObserver([&](const ProtocolTestServer::ReceivedRequest&) {
        if (server.requestsFor("501").size() == 3)
            server.setFailure(Failure::closeConnection, "501");
    });
    Outcome<std::optional<BaseInfoResponse>> cached;
    Outcome<std::optional<BaseInfoResponse>> failed;
    client->requestBaseInfo(cached.setter());
    client->requestBaseInfo(failed.setter());
    ASSERT_TRUE(cached.wait());
    ASSERT_TRUE(failed.wait());
    EXPECT_TRUE(cached.value);
    EXPECT_FALSE(failed.value);
    EXPECT_TRUE(client->baseInfo());
}

TEST_F(WebModelTest, VideoListSendsTheEncodedQueryAndReportsStatusAndFlag) {
    for (int i = 0; i < 3; ++i)
        server.addVideo(ProtocolTestServer::videoRecord(QString(32, QChar('a' + i))));
    server.setPageSize(2);
    using Result = std::tuple<std::optional<VideoListResponse>, int, bool>;
    const auto list = [&](WebModel& model, const VideoListRequest& request) {
        Outcome<Result> outcome;
        model.requestVideoList(request, [&](std::optional<VideoListResponse> r, int status, bool noResponse) {
            outcome.setter()({r, status, noResponse});
        });
        EXPECT_TRUE(outcome.wait());
        return outcome.value;
    };

    auto [response, status, noResponse] = list(*client, query(2));
    ASSERT_TRUE(response);
    EXPECT_EQ(response->data.pages, 2);
    EXPECT_EQ(response->data.vlist.size(), 1u);
    EXPECT_EQ(status, 200);
    EXPECT_FALSE(noResponse);
    const auto request = received("502");
    EXPECT_EQ(request.path, "/src.html");
    EXPECT_EQ(VideoListRequest::fromJson(request.json.toUtf8()), query(2));
    EXPECT_FALSE(request.json.contains(' '));
    EXPECT_EQ(request.text, Envelope::escapeQuotes(QString::fromUtf8(query(2).toJson())));

    server.setFailure(Failure::serverError);
    std::tie(response, status, noResponse) = list(*client, query(3));
    EXPECT_FALSE(response);
    EXPECT_EQ(status, 500);
    EXPECT_FALSE(noResponse);
    EXPECT_EQ(client->latestRequest(), query(3));

    auto offline = makeClient(std::nullopt, deadServer());
    std::tie(response, status, noResponse) = list(*offline, query(4));
    EXPECT_FALSE(response);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(noResponse);
    EXPECT_EQ(offline->latestRequest(), query(4)); // stored although nothing arrived
}

TEST_F(WebModelTest, NextPageFormStepsThePageBackWhenNothingUsableArrives) {
    server.addVideo(ProtocolTestServer::videoRecord(signA));
    Outcome<std::optional<TotalVideo>> page;
    client->requestVideoList(query(1), page.setter());
    ASSERT_TRUE(page.wait());
    ASSERT_TRUE(page.value);
    EXPECT_EQ(page.value->vlist.at(0).sign, signA);
    EXPECT_EQ(client->latestRequest()->page, 1);

    server.setReplyText("502", R"({"status":1,"info":"","data":{"pages":1,"page":1,"total":1,"vlist":[]}})");
    Outcome<std::optional<TotalVideo>> broken;
    client->requestVideoList(query(2), broken.setter());
    ASSERT_TRUE(broken.wait());
    EXPECT_FALSE(broken.value);
    EXPECT_EQ(client->latestRequest()->page, 1);
}

TEST_F(WebModelTest, VideoDetailFromAWorkQueueAnswersOnTheMainThread) {
    server.addVideo(ProtocolTestServer::videoRecord(signA, "Sea"));
    DispatchQueue queue("getVideoDetail");
    Outcome<std::optional<VideoDetail>> outcome;
    bool onMain = false;
    queue.async([&] {
        client->requestVideoDetail(signA, [&](std::optional<VideoDetail> detail) {
            onMain = MainThread::isCurrent();
            outcome.setter()(detail);
        });
    });
    ASSERT_TRUE(outcome.wait());
    EXPECT_TRUE(onMain);
    ASSERT_TRUE(outcome.value);
    EXPECT_EQ(outcome.value->title, "Sea");
    EXPECT_EQ(received("504").text, QString(R"({\"ui\":\"TEST-INSTALLATION\", \"sign\":\"%1\"})").arg(signA));

    // Unknown sign (the server's record lacks "data"), and a sign with a quote, escaped like
    // every other quote of the text.
    Outcome<std::optional<VideoDetail>> unknown;
    client->requestVideoDetail("we\"ird", unknown.setter());
    ASSERT_TRUE(unknown.wait());
    EXPECT_FALSE(unknown.value);
    EXPECT_TRUE(server.requestsFor("504").last().text->endsWith(R"(\"sign\":\"we\"ird\"})"));
}

TEST_F(WebModelTest, KeywordsTravelAsBase64) {
    server.setKeywords({"~~~ first", "second"});
    Outcome<std::optional<std::vector<QString>>> outcome;
    client->requestKeywords("~~~", outcome.setter()); // Base64 "fn5+": a "+" that must arrive intact
    ASSERT_TRUE(outcome.wait());
    ASSERT_TRUE(outcome.value);
    EXPECT_EQ(*outcome.value, std::vector<QString>{"~~~ first"});
    EXPECT_EQ(received("505").text, QString(R"({\"ui\":\"TEST-INSTALLATION\", \"keywords\":\"fn5+\"})"));

    Outcome<std::optional<std::vector<QString>>> quoted;
    client->requestKeywords("say \"日本\"", quoted.setter());
    ASSERT_TRUE(quoted.wait());
    const QString sent = server.requestsFor("505").last().object().value("keywords").toString();
    EXPECT_EQ(QString::fromUtf8(QByteArray::fromBase64(sent.toLatin1())), "say \"日本\"");

    server.setReplyText("505", R"({"status":1,"info":"ok"})");
    Outcome<std::optional<std::vector<QString>>> missing;
    client->requestKeywords("x", missing.setter());
    ASSERT_TRUE(missing.wait());
    EXPECT_FALSE(missing.value);
}
