#include "JSONAny.h"
#include "VariantDecoder.h"
#include "VariantEncoder.h"
#include "VideoDetail.h"
#include "VideoDetailSamples.h"

#include <QVariantMap>
#include <gtest/gtest.h>

TEST(VideoDetailPropertyList, RoundTripsThroughAPropertyListTree) {
    const VideoDetail video = VideoDetailSamples::video(3);
    const auto tree = VariantEncoder::encode(video);
    ASSERT_TRUE(tree);
    const QVariantMap map = tree->toMap();
    EXPECT_EQ(map.size(), 25);
    EXPECT_EQ(map["size"].typeId(), QMetaType::LongLong);
    EXPECT_EQ(map["size"].toLongLong(), video.size);
    EXPECT_EQ(map["hp"].typeId(), QMetaType::QString);
    EXPECT_EQ(VariantDecoder::decode<VideoDetail>(*tree), video);
}

TEST(VideoDetailPropertyList, ReadsAsStrictlyAsJson) {
    QVariantMap map = VariantEncoder::encode(VideoDetailSamples::video(3))->toMap();
    map["width"] = int(1920); // any integral type serves for an integer
    EXPECT_TRUE(VariantDecoder::decode<VideoDetail>(map));

    CodingError error;
    QVariantMap bad = map;
    bad["width"] = 1920.0;
    EXPECT_FALSE(VariantDecoder::decode<VideoDetail>(bad, &error));
    EXPECT_EQ(error.kind, CodingError::Kind::typeMismatch);
    EXPECT_EQ(error.codingPath, QStringList{"width"});
    bad = map;
    bad["title"] = 5;
    EXPECT_FALSE(VariantDecoder::decode<VideoDetail>(bad));
    bad = map;
    bad["upcount"] = QVariant();
    EXPECT_FALSE(VariantDecoder::decode<VideoDetail>(bad, &error));
    EXPECT_EQ(error.kind, CodingError::Kind::valueNotFound);
    bad = map;
    bad.remove("hp");
    EXPECT_FALSE(VariantDecoder::decode<VideoDetail>(bad, &error));
    EXPECT_EQ(error.kind, CodingError::Kind::keyNotFound);
    EXPECT_FALSE(VariantDecoder::decode<VideoDetail>(QVariant(QVariantList{map})));
}

TEST(VideoDetailPropertyList, TreesTooDeepOrHoldingNullAreRefused) {
    QVariant deep = QVariantList{1};
    for (int i = 0; i < 1100; ++i)
        deep = QVariantList{deep};
    EXPECT_FALSE(VariantDecoder::decode<JSONAny>(deep));
    EXPECT_FALSE(VariantEncoder::encode(JSONAny()));
}
