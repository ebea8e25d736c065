#include "VersionComparison.h"

#include <gtest/gtest.h>

TEST(VersionComparison, ComparesPartsAsNumbers) {
    // The build that sorts later as text is the older one.
    EXPECT_FALSE(VersionComparison::isNewer("1.2.0.9", "1.2.0.15"));
    EXPECT_TRUE(VersionComparison::isNewer("1.2.0.15", "1.2.0.9"));
    EXPECT_TRUE(VersionComparison::isNewer("1.10.0.1", "1.9.9.99"));
    EXPECT_TRUE(VersionComparison::isNewer("2", "1.99.99.99"));
    // Leading zeros and very long numbers do not confuse the order.
    EXPECT_EQ(VersionComparison::compare("1.02", "1.2"), 0);
    EXPECT_TRUE(VersionComparison::isNewer("1.2.99999999999999999999999", "1.2.99999999999999999999998"));
}

TEST(VersionComparison, EqualVersionsAreNotNewer) {
    EXPECT_FALSE(VersionComparison::isNewer("1.2.0.15", "1.2.0.15"));
    EXPECT_EQ(VersionComparison::compare("1.2.0.15", "1.2.0.15"), 0);
}

TEST(VersionComparison, AMissingPartCountsAsZero) {
    EXPECT_TRUE(VersionComparison::isNewer("1.2.0.1.1", "1.2.0.1"));
    EXPECT_FALSE(VersionComparison::isNewer("1.2.0.1.0", "1.2.0.1"));
    EXPECT_FALSE(VersionComparison::isNewer("1.2", "1.2.0.0"));
    EXPECT_LT(VersionComparison::compare("1.2", "1.2.0.1"), 0);
}

TEST(VersionComparison, PartsThatAreNotNumbersCompareAsText) {
    EXPECT_TRUE(VersionComparison::isNewer("1.2.0.rc2", "1.2.0.rc1"));
    EXPECT_LT(VersionComparison::compare("1.2.0.beta", "1.2.0.rc"), 0);
    // A number and a word: compared as text, the digit sorts first.
    EXPECT_TRUE(VersionComparison::isNewer("1.2.0.beta", "1.2.0.16"));
}

TEST(VersionComparison, AnEmptyCandidateIsNeverNewer) {
    EXPECT_FALSE(VersionComparison::isNewer("", "1.2.0.16"));
    EXPECT_FALSE(VersionComparison::isNewer("  ", "0"));
    EXPECT_FALSE(VersionComparison::isNewer("", ""));
}
