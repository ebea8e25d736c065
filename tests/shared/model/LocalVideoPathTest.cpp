#include "LocalVideoPath.h"

#include <gtest/gtest.h>

TEST(LocalVideoPath, AcceptsFileUrlsAndPlainAbsolutePaths) {
    const QString path = "/home/u/.local/share/K4TQ7ZR2MB.zerafin/Application Support/DownloadVideo/a b%.mp4";
    EXPECT_EQ(LocalVideoPath::fromStoredUrl(path), path);
    const QString text = LocalVideoPath::fileUrlText(path);
    EXPECT_TRUE(text.startsWith("file:///home/u/"));
    EXPECT_TRUE(text.contains("Application%20Support"));
    EXPECT_EQ(LocalVideoPath::fromStoredUrl(text), path);
    EXPECT_EQ(LocalVideoPath::fromStoredUrl("file:///tmp/x%20y.mp4"), QString("/tmp/x y.mp4"));
}

TEST(LocalVideoPath, RefusesWhatIsNoLocalFile) {
    EXPECT_FALSE(LocalVideoPath::fromStoredUrl("").has_value());
    EXPECT_FALSE(LocalVideoPath::fromStoredUrl("relative/x.mp4").has_value());
    EXPECT_FALSE(LocalVideoPath::fromStoredUrl("https://example.org/x.mp4").has_value());
    EXPECT_FALSE(LocalVideoPath::fromStoredUrl("file:").has_value());
    EXPECT_FALSE(LocalVideoPath::fromStoredUrl("file:clip.mp4").has_value());
    EXPECT_FALSE(LocalVideoPath::fromStoredUrl("file:sub/clip.mp4").has_value());
    // A file on another machine names no path here (it would be looked for under "/host/").
    EXPECT_FALSE(LocalVideoPath::fromStoredUrl("file://host/tmp/clip.mp4").has_value());
    EXPECT_EQ(LocalVideoPath::fromStoredUrl("file://localhost/tmp/clip.mp4"), QString("/tmp/clip.mp4"));
}
