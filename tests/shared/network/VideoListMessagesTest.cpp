#include "KeywordResponse.h"
#include "VideoDetailResponse.h"
#include "VideoDetailSamples.h"
#include "VideoListRequest.h"
#include "VideoListResponse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QByteArray text(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject page(const QJsonArray& vlist) {
    return {{"status", 1},
            {"info", "ok"},
            {"data", QJsonObject{{"pages", 4}, {"page", 4}, {"total", 31}, {"count", 31}, {"vlist", vlist}}}};
}

} // namespace

TEST(VideoListMessages, APageDecodesWithItsVideosInOrder) {
    const auto reply =
        VideoListResponse::fromJson(text(page({VideoDetailSamples::json(1), VideoDetailSamples::json(2)})));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 1);
    EXPECT_EQ(reply->info, "ok");
    EXPECT_EQ(reply->data.pages, reply->data.page);
    EXPECT_EQ(reply->data.total, 31);
    EXPECT_EQ(reply->data.vlist,
              (std::vector<VideoDetail>{VideoDetailSamples::video(1), VideoDetailSamples::video(2)}));
    EXPECT_EQ(VideoListResponse::fromJson(reply->toJson()), reply);

    const auto empty = VideoListResponse::fromJson(text(page({})));
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->data.vlist.empty());
}

TEST(VideoListMessages, OneBadVideoOrMissingFigureFailsThePage) {
    QJsonObject broken = VideoDetailSamples::json(2);
    broken.remove("hp");
    EXPECT_FALSE(VideoListResponse::fromJson(text(page({VideoDetailSamples::json(1), broken}))));

    QJsonObject reply = page({});
    QJsonObject data = reply["data"].toObject();
    data.remove("count");
    reply["data"] = data;
    EXPECT_FALSE(VideoListResponse::fromJson(text(reply)));
    data = page({})["data"].toObject();
    data["vlist"] = QJsonValue::Null;
    reply["data"] = data;
    EXPECT_FALSE(VideoListResponse::fromJson(text(reply)));
    EXPECT_FALSE(VideoListResponse::fromJson(text(page({})) + ","));
    EXPECT_FALSE(VideoListResponse::fromJson("[]"));
    EXPECT_FALSE(VideoListResponse::fromJson(""));
}

TEST(VideoListMessages, DetailReplyIsStrictAboutItsVideo) {
    QJsonObject video = VideoDetailSamples::json(5);
    const QJsonObject reply{{"status", 1}, {"info", ""}, {"data", video}, {"extra", 3}};
    EXPECT_EQ(VideoDetailResponse::fromJson(text(reply))->data, VideoDetailSamples::video(5));
    for (const QJsonValue& bad : {QJsonValue(QJsonValue::Null), QJsonValue("3")}) {
        video["upcount"] = bad;
        EXPECT_FALSE(VideoDetailResponse::fromJson(text({{"status", 1}, {"info", ""}, {"data", video}})));
    }
    EXPECT_FALSE(VideoDetailResponse::fromJson(text({{"status", 1}, {"data", VideoDetailSamples::json(5)}})));
}

TEST(VideoListMessages, KeywordRepliesHoldOnlyTexts) {
    const auto reply = KeywordResponse::fromJson(R"({"status":1,"info":"","data":["sea","sky"]})");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->data, (std::vector<QString>{"sea", "sky"}));
    EXPECT_TRUE(KeywordResponse::fromJson(R"({"status":1,"info":"","data":[]})"));
    EXPECT_FALSE(KeywordResponse::fromJson(R"({"status":1,"info":"","data":null})"));
    EXPECT_FALSE(KeywordResponse::fromJson(R"({"status":1,"info":"","data":["sea",4]})"));
}

TEST(VideoListMessages, RequestCarriesAllSixMembersAsCompactAscii) {
    VideoListRequest request;
    request.ui = "8A7F";
    request.cate = 3;
    request.page = 1;
    request.sort = 0;
    const QByteArray json = request.toJson();
    EXPECT_FALSE(json.contains(' '));
    const QJsonObject object = QJsonDocument::fromJson(json).object();
    EXPECT_EQ(object.size(), 6);
    EXPECT_EQ(object["keywords"], QJsonValue(""));
    EXPECT_EQ(object["author"], QJsonValue(""));
    EXPECT_TRUE(object["cate"].isDouble());
    EXPECT_EQ(VideoListRequest::fromJson(json), request);

    request.keywords = QString::fromUtf8(QString("Meer und Wälder").toUtf8().toBase64());
    const QByteArray search = request.toJson();
    for (const char c : search)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80);
}
