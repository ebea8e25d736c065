#include "SystemFont.h"

#include <QFontInfo>
#include <QTextCharFormat>
#include <gtest/gtest.h>

TEST(SystemFont, SizesArePixelsWhateverTheScreensDensity) {
    const QFont font = SystemFont::font(13);
    EXPECT_EQ(font.pixelSize(), 13);
    EXPECT_EQ(QFontInfo(font).pixelSize(), 13);
    EXPECT_DOUBLE_EQ(SystemFont::pixelSize(font), 13.0);

    QFont inPoints = font;
    inPoints.setPointSizeF(10);
    inPoints.setBold(true);
    const QFont sized = SystemFont::sized(inPoints, 16);
    EXPECT_EQ(sized.pixelSize(), 16);
    EXPECT_TRUE(sized.bold()) << "only the size changes";
    EXPECT_GT(SystemFont::pixelSize(inPoints), 0.0) << "a size in points is measured as drawn";
    EXPECT_EQ(SystemFont::font(0.2).pixelSize(), 1) << "never a size Qt refuses";

    QTextCharFormat format;
    format.setFontPointSize(20);
    SystemFont::setSize(format, 13);
    EXPECT_FALSE(format.hasProperty(QTextFormat::FontPointSize));
    EXPECT_EQ(format.intProperty(QTextFormat::FontPixelSize), 13);
}
