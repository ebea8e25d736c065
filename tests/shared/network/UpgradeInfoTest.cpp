#include "UpgradeInfo.h"

#include <gtest/gtest.h>

TEST(UpgradeInfo, StrictCodingNeedsAllFourTexts) {
    const UpgradeInfo info{"https://x.example/u", "d41d8cd98f00b204e9800998ecf8427e", "1.3.0.1", "notes"};
    EXPECT_EQ(UpgradeInfo::fromJsonObject(info.toJsonObject()), info);
    QJsonObject missing = info.toJsonObject();
    missing.remove("exp");
    EXPECT_FALSE(UpgradeInfo::fromJsonObject(missing));
    QJsonObject number = info.toJsonObject();
    number.insert("ver", 13);
    EXPECT_FALSE(UpgradeInfo::fromJsonObject(number));
}

TEST(UpgradeInfo, UpdateReplyIsReadLeniently) {
    EXPECT_EQ(UpgradeInfo::fromUpdateReply(R"({"data":{"url":"u","ver":null,"exp":["x"]}})"),
              (UpgradeInfo{"u", "", "", ""}));
    EXPECT_FALSE(UpgradeInfo::fromUpdateReply(R"({"data":{"ver":"2"}})"));
    EXPECT_FALSE(UpgradeInfo::fromUpdateReply(R"({"data":[{"url":"u"}]})"));
    EXPECT_FALSE(UpgradeInfo::fromUpdateReply(R"({"url":"u"})"));
    EXPECT_FALSE(UpgradeInfo::fromUpdateReply("[]"));
    EXPECT_FALSE(UpgradeInfo::fromUpdateReply(""));
}
