#include "HeartbeatResponse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

QJsonObject reply() {
    const QJsonObject top{{"msgid", 5},
                          {"tittle", "Hello"},
                          {"url", "https://www.zerafin.example/n"},
                          {"color", QJsonObject{{"show", "#fff"}, {"hover", "#eee"}, {"click", "#ddd"}}},
                          {"point", 1},
                          {"type", 2},
                          {"back", 0},
                          {"width", 300},
                          {"height", 80}};
    const QJsonObject bottom{{"msgid", 6},
                             {"msg", "News"},
                             {"url", "https://www.zerafin.example/b"},
                             {"color", "#ff0000"},
                             {"back", 1}};
    const QJsonObject data{{"ct", 12},
                           {"time", QJsonObject{{"st", 1}, {"vt", QJsonArray{1, 2}}, {"tt", 3}}},
                           {"msg", QJsonObject{{"msg_bottom", bottom}, {"msg_top", top}}},
                           {"upgrade", QJsonArray{}},
                           {"speedlimit", 0}};
    return {{"status", 1}, {"info", "ok"}, {"data", data}};
}

QByteArray text(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The reply with one value replaced, reached by its path of keys.
QJsonObject with(QJsonObject object, QStringList path, const QJsonValue& value) {
    const QString key = path.takeFirst();
    if (path.isEmpty()) {
        if (value.isUndefined())
            object.remove(key);
        else
            object[key] = value;
    } else {
        object[key] = with(object[key].toObject(), path, value);
    }
    return object;
}

} // namespace

TEST(HeartbeatResponse, DecodesTheWholeTree) {
    const auto heartbeat = HeartbeatResponse::fromJson(text(reply()));
    ASSERT_TRUE(heartbeat);
    EXPECT_EQ(heartbeat->data.msg.msgBottom.msg, "News");
    EXPECT_EQ(heartbeat->data.msg.msgBottom.color, "#ff0000");
    EXPECT_EQ(heartbeat->data.msg.msgTop.tittle, "Hello");
    EXPECT_EQ(heartbeat->data.msg.msgTop.color.hover, "#eee");
    EXPECT_EQ(heartbeat->data.time.vt, (std::vector<qint64>{1, 2}));
    EXPECT_TRUE(heartbeat->data.upgrade.empty());
    EXPECT_EQ(HeartbeatResponse::fromJson(heartbeat->toJson()), heartbeat);
}

TEST(HeartbeatResponse, WireNamesAndShapesAreRequiredExactly) {
    QJsonObject renamed = reply();
    QJsonObject msg = renamed["data"].toObject()["msg"].toObject();
    renamed = with(renamed, {"data", "msg"},
                   QJsonObject{{"msgBottom", msg["msg_bottom"]}, {"msgTop", msg["msg_top"]}});
    EXPECT_FALSE(HeartbeatResponse::fromJson(text(renamed)));

    QJsonObject top = msg["msg_top"].toObject();
    top["title"] = top.take("tittle");
    EXPECT_FALSE(HeartbeatResponse::fromJson(text(with(reply(), {"data", "msg", "msg_top"}, top))));

    EXPECT_FALSE(
        HeartbeatResponse::fromJson(text(with(reply(), {"data", "msg", "msg_top", "color"}, "#fff"))));
    EXPECT_FALSE(
        HeartbeatResponse::fromJson(text(with(reply(), {"data", "msg", "msg_top"}, QJsonValue::Undefined))));
    EXPECT_FALSE(HeartbeatResponse::fromJson(text(with(reply(), {"data", "time", "vt"}, QJsonArray{1.5}))));
    EXPECT_FALSE(HeartbeatResponse::fromJson(text(with(reply(), {"data", "time", "vt"}, "1"))));
    EXPECT_TRUE(HeartbeatResponse::fromJson(text(with(reply(), {"data", "time", "vt"}, QJsonArray{}))));
    EXPECT_FALSE(HeartbeatResponse::fromJson(text(with(reply(), {"data", "upgrade"}, QJsonValue::Null))));
    EXPECT_FALSE(
        HeartbeatResponse::fromJson(text(with(reply(), {"data", "upgrade"}, QJsonValue::Undefined))));
    EXPECT_TRUE(HeartbeatResponse::fromJson(text(with(reply(), {"data", "sixth"}, QJsonObject{}))));
    EXPECT_FALSE(HeartbeatResponse::fromJson("not json"));
    EXPECT_FALSE(HeartbeatResponse::fromJson("[1]"));
}

TEST(HeartbeatResponse, UpgradeHoldsValuesOfAnyKind) {
    const QJsonArray upgrade{5, "text", QJsonValue::Null, QJsonObject{{"ver", "2.0"}}};
    const auto heartbeat = HeartbeatResponse::fromJson(text(with(reply(), {"data", "upgrade"}, upgrade)));
    ASSERT_TRUE(heartbeat);
    const auto& values = heartbeat->data.upgrade;
    ASSERT_EQ(values.size(), 4u);
    EXPECT_TRUE(std::holds_alternative<qint64>(values[0].value().kind));
    EXPECT_TRUE(std::holds_alternative<QString>(values[1].value().kind));
    EXPECT_TRUE(std::holds_alternative<JSONNull>(values[2].value().kind));
    EXPECT_TRUE(std::holds_alternative<JSONAny::Map>(values[3].value().kind));
    EXPECT_EQ(HeartbeatResponse::fromJson(heartbeat->toJson()), heartbeat);

    // Nesting beyond what the parser takes fails the reply instead of the program.
    QByteArray deep = text(with(reply(), {"data", "upgrade"}, QJsonArray{0}));
    deep.replace("[0]", "[" + QByteArray(3000, '[') + QByteArray(3000, ']') + "]");
    EXPECT_FALSE(HeartbeatResponse::fromJson(deep));
}
