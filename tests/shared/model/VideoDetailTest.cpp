#include "VideoDetail.h"
#include "JSONDecoder.h"
#include "VideoDetailSamples.h"

#include <QJsonDocument>
#include <QPalette>
#include <gtest/gtest.h>

namespace {
QByteArray text(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}
} // namespace

TEST(VideoDetail, DecodesAllTwentyFiveFieldsFromTheirKeys) {
    const auto video = VideoDetail::fromJson(text(VideoDetailSamples::json(4)));
    ASSERT_TRUE(video);
    EXPECT_EQ(*video, VideoDetailSamples::video(4));
    EXPECT_EQ(video->size, 3LL * 1024 * 1024 * 1024 + 4);
    EXPECT_EQ(std::tuple_size_v<decltype(VideoDetail::codingFields())>, 25u);
}

TEST(VideoDetail, AnyMissingNullOrMistypedFieldFailsTheRecord) {
    for (const QString& key : VideoDetailSamples::json().keys()) {
        QJsonObject object = VideoDetailSamples::json();
        object.remove(key);
        EXPECT_FALSE(VideoDetail::fromJsonObject(object)) << qPrintable(key);
        object.insert(key, QJsonValue::Null);
        EXPECT_FALSE(VideoDetail::fromJsonObject(object)) << qPrintable(key);
        // A number where a text belongs, a text where a number belongs.
        const bool isText = VideoDetailSamples::json()[key].isString();
        object.insert(key, isText ? QJsonValue(3) : QJsonValue("3"));
        EXPECT_FALSE(VideoDetail::fromJsonObject(object)) << qPrintable(key);
    }
    QJsonObject object = VideoDetailSamples::json();
    object.insert("upcount", true);
    EXPECT_FALSE(VideoDetail::fromJsonObject(object));
    object.insert("upcount", 1.5);
    EXPECT_FALSE(VideoDetail::fromJsonObject(object));
    // A key differing only in letter case is another key.
    object = VideoDetailSamples::json();
    object.remove("hp");
    object.insert("HP", "x");
    EXPECT_FALSE(VideoDetail::fromJsonObject(object));
}

TEST(VideoDetail, ExtraKeysAreIgnored) {
    QJsonObject object = VideoDetailSamples::json();
    object.insert("state", 1);
    object.insert("nested", QJsonObject{{"a", QJsonValue::Null}});
    EXPECT_EQ(VideoDetail::fromJsonObject(object), VideoDetailSamples::video());
}

TEST(VideoDetail, EncodingWritesEveryKeyAndDecodesBackEqual) {
    VideoDetail video = VideoDetailSamples::video(9);
    video.id = std::numeric_limits<qint64>::min();
    video.title.clear();
    const QJsonObject object = video.toJsonObject();
    EXPECT_EQ(object.size(), 25);
    EXPECT_EQ(object["title"], QJsonValue(""));
    EXPECT_EQ(VideoDetail::fromJson(video.toJson()), video);
}

TEST(VideoDetail, RequirementIsNormalOnlyBelowQhdThirtyFramesAndTheRateLimit) {
    VideoDetail video;
    video.width = 2560;
    video.height = 1440;
    EXPECT_TRUE(video.isHighPerformance());
    EXPECT_EQ(video.requirement().text, "High Performance");
    EXPECT_EQ(video.requirement().color, PerformanceRequirement::Color::systemRed);
    EXPECT_EQ(video.requirement().alignment, Qt::AlignRight);

    video.width = 2559;
    video.rate = 5'120'000;
    video.frame = 30;
    EXPECT_FALSE(video.isHighPerformance());
    const PerformanceRequirement normal = video.requirement();
    EXPECT_EQ(normal.text, "Normal Performance");
    EXPECT_EQ(normal.color, PerformanceRequirement::Color::label);
    QPalette palette;
    EXPECT_EQ(normal.foreground(palette), palette.color(QPalette::WindowText));

    VideoDetail fast = video;
    fast.frame = 31;
    EXPECT_TRUE(fast.isHighPerformance());
    VideoDetail dense = video;
    dense.rate = 5'120'001;
    EXPECT_TRUE(dense.isHighPerformance());
}

TEST(VideoDetail, HugeDimensionsAreHighClassNotAnOverflow) {
    VideoDetail video;
    video.width = std::numeric_limits<qint64>::max();
    video.height = 3;
    EXPECT_TRUE(video.isHighPerformance());
    video.width = qint64(1) << 32;
    video.height = qint64(1) << 32;
    EXPECT_TRUE(video.isHighPerformance());
}
