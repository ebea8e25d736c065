#include "HardwareDecoding.h"

#include <gtest/gtest.h>

TEST(HardwareDecoding, SoftwareDecodingOfACommonFormatTurnsTheSearchOffForGood) {
    HardwareDecoding decoding;
    EXPECT_EQ(decoding.state(), HardwareDecoding::State::unknown);
    EXPECT_EQ(decoding.hwdecOption(), "auto-safe");

    // A format some hardware lacks tells nothing; neither does a video without a decoder name
    // of an unusual format.
    EXPECT_FALSE(decoding.report("vp9", "no"));
    EXPECT_FALSE(decoding.report("prores", ""));
    EXPECT_EQ(decoding.state(), HardwareDecoding::State::unknown);

    EXPECT_TRUE(decoding.report("h264", "no"));
    EXPECT_EQ(decoding.state(), HardwareDecoding::State::unavailable);
    EXPECT_EQ(decoding.hwdecOption(), "no");
    EXPECT_FALSE(decoding.report("hevc", "")) << "turned off once";
    EXPECT_EQ(decoding.hwdecOption(), "no");
}

TEST(HardwareDecoding, OnceAVideoDecodedInHardwareItStaysAllowed) {
    HardwareDecoding decoding;
    EXPECT_FALSE(decoding.report("h264", "vaapi"));
    EXPECT_EQ(decoding.state(), HardwareDecoding::State::available);
    // A later software decode (a damaged stream, a format the device lacks) does not turn it off.
    EXPECT_FALSE(decoding.report("h264", "no"));
    EXPECT_FALSE(decoding.report("hevc", ""));
    EXPECT_EQ(decoding.state(), HardwareDecoding::State::available);
    EXPECT_EQ(decoding.hwdecOption(), "auto-safe");
}
