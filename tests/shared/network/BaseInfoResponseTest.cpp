#include "BaseInfoResponse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QByteArray reply(const QJsonArray& cate, const QJsonValue& hotkey = QJsonArray{"rain"},
                 const QJsonObject& extra = {}) {
    QJsonObject data{{"cate", cate}, {"hottags", QJsonArray{"sea", "sea"}}};
    if (!hotkey.isUndefined())
        data["hotkey"] = hotkey;
    for (auto it = extra.begin(); it != extra.end(); ++it)
        data[it.key()] = it.value();
    return QJsonDocument(QJsonObject{{"status", 1}, {"info", ""}, {"data", data}}).toJson();
}

} // namespace

TEST(BaseInfoResponse, KeepsListsAsTheyCome) {
    const auto info = BaseInfoResponse::fromJson(reply(
        {QJsonObject{{"id", 7}, {"title", "Nature"}}, QJsonObject{{"id", 7}, {"title", "Nature"}, {"x", 1}}},
        QJsonArray{"rain"}, {{"fourth", true}}));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->data.cate, (std::vector<Cate>{{7, "Nature"}, {7, "Nature"}}));
    EXPECT_EQ(info->data.hottags, (std::vector<QString>{"sea", "sea"}));
    EXPECT_EQ(info->data.hotkey, (std::vector<QString>{"rain"}));

    const auto empty =
        QJsonDocument::fromJson(R"({"status":0,"info":"","data":{"cate":[],"hottags":[],"hotkey":[]}})");
    EXPECT_TRUE(BaseInfoResponse::fromJson(empty.toJson()));
}

TEST(BaseInfoResponse, OneFlawAnywhereFailsTheReply) {
    EXPECT_FALSE(BaseInfoResponse::fromJson(reply({}, QJsonValue::Undefined)));
    EXPECT_FALSE(BaseInfoResponse::fromJson(reply({}, QJsonArray{"rain", 3})));
    EXPECT_FALSE(BaseInfoResponse::fromJson(reply({QJsonObject{{"id", "7"}, {"title", "Nature"}}})));

    QJsonArray hundred;
    for (int i = 0; i < 99; ++i)
        hundred.append(QJsonObject{{"id", i}, {"title", QString::number(i)}});
    EXPECT_TRUE(BaseInfoResponse::fromJson(reply(hundred)));
    hundred.append(QJsonObject{{"id", 99}});
    EXPECT_FALSE(BaseInfoResponse::fromJson(reply(hundred)));

    QByteArray capital = reply({});
    capital.replace("\"cate\"", "\"Cate\"");
    EXPECT_FALSE(BaseInfoResponse::fromJson(capital));
}
