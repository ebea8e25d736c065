#include "DisplayFormat.h"
#include "AttributedTitle.h"
#include "ColorButtonCell.h"
#include "StringRandom.h"
#include "ThemeColors.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QImage>
#include <QLocale>
#include <QPushButton>
#include <QSet>
#include <QThread>
#include <atomic>
#include <limits>
#include <thread>
#include <vector>

TEST(DisplayFormat, FileSizeThresholdsAndRounding) {
    EXPECT_EQ(DisplayFormat::formatFileSize(0), "0 Byte");
    EXPECT_EQ(DisplayFormat::formatFileSize(1023), "1023 Byte");
    EXPECT_EQ(DisplayFormat::formatFileSize(1024), "1.00 KB");
    EXPECT_EQ(DisplayFormat::formatFileSize(1536), "1.50 KB");
    EXPECT_EQ(DisplayFormat::formatFileSize(1048575), "1024.00 KB");
    EXPECT_EQ(DisplayFormat::formatFileSize(1048576), "1.00 MB");
    EXPECT_EQ(DisplayFormat::formatFileSize(5LL * 1024 * 1024 * 1024), "5120.00 MB");
}

TEST(DisplayFormat, ImpossibleFiguresShowAsNothing) {
    EXPECT_EQ(DisplayFormat::formatFileSize(-1), "");
    EXPECT_EQ(DisplayFormat::formatFileSize(std::numeric_limits<qint64>::min()), "");
    EXPECT_EQ(DisplayFormat::formatFileSize(std::numeric_limits<qint64>::max()), "");
    EXPECT_EQ(DisplayFormat::formatFileSize(DisplayFormat::maximumFileSize), "1073741824.00 MB");

    EXPECT_EQ(DisplayFormat::formatDuration(-5), "");
    EXPECT_EQ(DisplayFormat::formatDuration(std::numeric_limits<qint64>::max() / 1000), "");
    // Past the int range of hours once wrapped to a negative figure.
    EXPECT_EQ(DisplayFormat::formatDuration(3600LL * 3'000'000'000LL), "");
    EXPECT_EQ(DisplayFormat::formatDuration(DisplayFormat::maximumDurationSeconds), "10000:00:00");

    EXPECT_EQ(DisplayFormat::formatDimensions(1920, 1080, "16:9"), QString::fromUtf8("1920×1080(16:9)"));
    EXPECT_EQ(DisplayFormat::formatDimensions(0, 0, "0:0"), QString::fromUtf8("0×0(0:0)"));
    EXPECT_EQ(DisplayFormat::formatDimensions(-1, -1, "16:9"), "");
    EXPECT_EQ(DisplayFormat::formatDimensions(1920, -1, "16:9"), "");
    EXPECT_EQ(DisplayFormat::formatDimensions(1LL << 40, 1080, "16:9"), "");
}

TEST(DisplayFormat, FileSizeIgnoresTheLocale) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = DisplayFormat::formatFileSize(1536);
    QLocale::setDefault(previous);
    EXPECT_EQ(text, "1.50 KB");
}

TEST(DisplayFormat, Duration) {
    EXPECT_EQ(DisplayFormat::formatDuration(0), "00:00:00");
    EXPECT_EQ(DisplayFormat::formatDuration(59), "00:00:59");
    EXPECT_EQ(DisplayFormat::formatDuration(3725), "01:02:05");
    EXPECT_EQ(DisplayFormat::formatDuration(90000), "25:00:00");
}

TEST(StringRandom, LengthAndAlphabet) {
    EXPECT_EQ(StringRandom::alphabet().size(), 62);
    EXPECT_EQ(StringRandom::random(0), "");
    EXPECT_EQ(StringRandom::random(-3), "");
    QSet<QChar> seen;
    for (int i = 0; i < 200; ++i) {
        const QString name = StringRandom::random(10);
        ASSERT_EQ(name.size(), 10);
        for (QChar c : name) {
            ASSERT_TRUE(StringRandom::alphabet().contains(c)) << name.toStdString();
            seen.insert(c);
        }
    }
    // 2000 draws over 62 characters reach nearly all of them; a broken draw would not.
    EXPECT_GT(seen.size(), 55);
}

TEST(StringRandom, ConcurrentCallersGetDistinctNames) {
    std::vector<std::thread> threads;
    std::vector<QStringList> names(4);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&names, t] {
            for (int i = 0; i < 500; ++i)
                names[t].append(StringRandom::random(10));
        });
    for (auto& thread : threads)
        thread.join();
    QSet<QString> all;
    for (const auto& list : names)
        for (const auto& name : list)
            all.insert(name);
    EXPECT_EQ(all.size(), 2000);
}

TEST(ThemeColors, ComponentsAndIdentity) {
    EXPECT_EQ(ThemeColors::themeBlue().toRgb(), QColor(52, 155, 255));
    EXPECT_EQ(ThemeColors::themeBlueHover().toRgb(), QColor(74, 168, 255));
    EXPECT_EQ(ThemeColors::themeBluePressed().toRgb(), QColor(7, 136, 255));
    EXPECT_EQ(ThemeColors::themeGreen().toRgb(), QColor(39, 215, 110));
    EXPECT_EQ(ThemeColors::themeGreenHover().toRgb(), QColor(58, 231, 128));
    EXPECT_EQ(ThemeColors::themeGreenPressed().toRgb(), QColor(26, 195, 94));
    EXPECT_EQ(ThemeColors::lightGrey().toRgb(), QColor(217, 217, 217));
    EXPECT_EQ(ThemeColors::themeBlue().alphaF(), 1.0f);
    EXPECT_EQ(&ThemeColors::themeBlue(), &ThemeColors::themeBlue());
}

TEST(AttributedTitle, LinkStyles) {
    const auto link = AttributedTitle::linkStyleTitle("Author");
    EXPECT_EQ(link.text(), "Author");
    EXPECT_EQ(link.foregroundColor(), ThemeColors::systemBlue());
    EXPECT_FALSE(link.isUnderlined());
    EXPECT_EQ(link.lineBreakMode(), Qt::ElideRight);
    EXPECT_EQ(link.font().pixelSize(), 13);
    EXPECT_EQ(QFontInfo(link.font()).pixelSize(), 13);

    EXPECT_EQ(AttributedTitle::redLinkStyleTitle("Error").foregroundColor(), ThemeColors::systemRed());

    const auto underlined = AttributedTitle::underlinedLinkTitle("");
    EXPECT_EQ(underlined.text(), "");
    EXPECT_TRUE(underlined.isUnderlined());
    EXPECT_EQ(underlined.underlineColor(), ThemeColors::systemBlue());
    EXPECT_EQ(underlined.charFormat().underlineStyle(), QTextCharFormat::SingleUnderline);
    EXPECT_TRUE(underlined.font().underline());
}

namespace {
int reddishPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            count += qRed(c) > 180 && qGreen(c) < 90 && qBlue(c) < 90;
        }
    return count;
}

QImage renderButton(bool keepColours) {
    QPushButton button("WWWW");
    QFont font = button.font();
    font.setPointSize(28);
    font.setBold(true);
    button.setFont(font);
    QPalette palette = button.palette();
    palette.setColor(QPalette::Active, QPalette::ButtonText, ThemeColors::systemRed());
    palette.setColor(QPalette::Inactive, QPalette::ButtonText, ThemeColors::systemRed());
    button.setPalette(palette);
    ColorButtonCell cell;
    if (keepColours)
        button.setStyle(&cell);
    button.setEnabled(false);
    button.resize(200, 60);
    QImage image(button.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    button.render(&image);
    return image;
}
} // namespace

TEST(ColorButtonCell, DisabledTitleKeepsItsColour) {
    EXPECT_GT(reddishPixels(renderButton(true)), 20);
    // Without it the style dims the title.
    EXPECT_EQ(reddishPixels(renderButton(false)), 0);
}
