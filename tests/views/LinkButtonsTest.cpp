#include "ButtonWithColorfulLink.h"
#include "ButtonWithLinkTitle.h"
#include "SuggestionHeaderViewController.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

TEST(ButtonWithLinkTitle, SizeRuleWidensTheTitleByAFifthAndAddsTheMargins) {
    EXPECT_EQ(ButtonWithLinkTitle::intrinsicContentSize(QSizeF(100, 17), 2), QSizeF(120, 21));
    EXPECT_EQ(ButtonWithLinkTitle::intrinsicContentSize(QSizeF(0, 0), 0), QSizeF(0, 0));

    ButtonWithLinkTitle button;
    EXPECT_DOUBLE_EQ(button.horizontalMargin(), 3.0);
    EXPECT_DOUBLE_EQ(button.verticalMargin(), 0.0);
    button.setAttributedTitle(AttributedTitle::underlinedLinkTitle(QStringLiteral("Visit the forum")));
    button.setVerticalMargin(4);
    button.setHorizontalMargin(40); // stored only
    const QFontMetricsF metrics(button.font());
    EXPECT_EQ(button.titleBounds(),
              QSizeF(metrics.horizontalAdvance(QStringLiteral("Visit the forum")), metrics.lineSpacing()));
    const QSize hint = button.sizeHint();
    EXPECT_EQ(hint.width(), int(std::ceil(button.titleBounds().width() * 1.2)));
    EXPECT_EQ(hint.height(), int(std::ceil(button.titleBounds().height() + 8)));
    EXPECT_TRUE(button.font().underline());
    EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
}

TEST(ButtonWithLinkTitle, ALongTitleIsCutAtTheTailAndStillClicks) {
    QWidget window;
    auto* button = new ButtonWithLinkTitle(&window);
    button->setAttributedTitle(
        AttributedTitle::linkStyleTitle(QStringLiteral("Refresh the whole list now please")));
    button->setGeometry(0, 0, 60, 20);
    window.resize(60, 20);
    window.show();
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(30, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->minimumSizeHint().width(), 0);

    // Drawn in the title's colour, with the tail cut (no ink at the far right edge).
    QImage image(button->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    button->render(&image);
    bool blueInk = false;
    for (int x = 0; x < image.width() && !blueInk; ++x)
        for (int y = 0; y < image.height() && !blueInk; ++y) {
            const QColor c = image.pixelColor(x, y);
            blueInk = c.blue() > 150 && c.red() < 150;
        }
    EXPECT_TRUE(blueInk);
}

class ColorfulLink : public ::testing::Test {
protected:
    // Made in code, shown in a window so that real pointer events reach it.
    ButtonWithColorfulLink* make(std::optional<QColor> hover, std::optional<QColor> pressed) {
        window = std::make_unique<QWidget>();
        window->resize(200, 100);
        auto* button = new ButtonWithColorfulLink(QRect(50, 30, 100, 30), window.get());
        button->setText(QStringLiteral("news"));
        button->setTitleColor(Qt::black);
        if (hover)
            button->setTitleHoverColor(*hover);
        if (pressed)
            button->setTitlePressedColor(*pressed);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QTest::mouseMove(window.get(), QPoint(5, 5));
        return button;
    }
    // The colours seen after: entering, pressing, releasing, leaving.
    std::vector<QColor> clickSequence(ButtonWithColorfulLink* button) {
        std::vector<QColor> seen;
        QTest::mouseMove(window.get(), QPoint(100, 45));
        seen.push_back(*button->shownTitleColor());
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(50, 15));
        seen.push_back(*button->shownTitleColor());
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(50, 15));
        seen.push_back(*button->shownTitleColor());
        QTest::mouseMove(window.get(), QPoint(5, 5));
        seen.push_back(*button->shownTitleColor());
        return seen;
    }
    std::unique_ptr<QWidget> window;
};

TEST_F(ColorfulLink, DefaultsAndTheStyleOfTheTitle) {
    ButtonWithColorfulLink loaded;
    EXPECT_EQ(loaded.titleColor(), ButtonWithColorfulLink::labelColor());
    EXPECT_FALSE(loaded.titleHoverColor());
    EXPECT_FALSE(loaded.titlePressedColor());
    EXPECT_DOUBLE_EQ(loaded.fontSize(), 14.0);
    EXPECT_FALSE(loaded.link());
    EXPECT_TRUE(loaded.isFlat());
    EXPECT_FALSE(loaded.shownTitleColor()) << "styled when first polished, not before";
    loaded.setTitleHoverColor(Qt::red);
    loaded.ensurePolished();
    EXPECT_EQ(loaded.shownTitleColor(), ButtonWithColorfulLink::labelColor());
    EXPECT_EQ(loaded.font().pixelSize(), 14) << "a size in pixels, as the design means it";

    ButtonWithColorfulLink framed(QRect(0, 0, 80, 20));
    framed.setFontSize(18);
    framed.ensurePolished();
    EXPECT_FALSE(framed.shownTitleColor()) << "made in code: its owner styles it";
    framed.updateTitle(Qt::green);
    EXPECT_EQ(framed.shownTitleColor(), QColor(Qt::green));
    EXPECT_EQ(framed.font().pixelSize(), 18);
}

TEST_F(ColorfulLink, WithoutHoverOrPressedColoursTheTitleNeverChanges) {
    auto* button = make(std::nullopt, std::nullopt);
    const std::vector<QColor> expected(4, QColor(Qt::black));
    EXPECT_EQ(clickSequence(button), expected);
}

TEST_F(ColorfulLink, HoverAndPressedColours) {
    auto* button = make(QColor(Qt::blue), QColor(Qt::red));
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    const std::vector<QColor> expected{Qt::blue, Qt::red, Qt::blue, Qt::black};
    EXPECT_EQ(clickSequence(button), expected);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ColorfulLink, HoverOnly) {
    auto* button = make(QColor(Qt::blue), std::nullopt);
    const std::vector<QColor> expected{Qt::blue, Qt::blue, Qt::blue, Qt::black};
    EXPECT_EQ(clickSequence(button), expected);
}

TEST_F(ColorfulLink, PressedOnlyKeepsThePressedColourUntilThePointerLeaves) {
    auto* button = make(std::nullopt, QColor(Qt::red));
    const std::vector<QColor> expected{Qt::black, Qt::red, Qt::red, Qt::black};
    EXPECT_EQ(clickSequence(button), expected);
}

TEST_F(ColorfulLink, ADisabledButtonKeepsItsLook) {
    auto* button = make(QColor(Qt::blue), QColor(Qt::red));
    QTest::mouseMove(window.get(), QPoint(100, 45));
    ASSERT_EQ(button->shownTitleColor(), QColor(Qt::blue));
    button->setEnabled(false);
    QTest::mouseMove(window.get(), QPoint(5, 5));
    EXPECT_EQ(button->shownTitleColor(), QColor(Qt::blue));

    // A click that disables the button leaves the pressed look.
    auto* other = make(QColor(Qt::blue), QColor(Qt::red));
    QObject::connect(other, &QPushButton::clicked, other, [other] { other->setEnabled(false); });
    QTest::mouseMove(window.get(), QPoint(100, 45));
    QTest::mouseClick(other, Qt::LeftButton, {}, QPoint(50, 15));
    EXPECT_EQ(other->shownTitleColor(), QColor(Qt::red));
}

TEST_F(ColorfulLink, SettingTheTitleColourRestylesAtOnceEvenUnderThePointer) {
    auto* button = make(QColor(Qt::blue), std::nullopt);
    QTest::mouseMove(window.get(), QPoint(100, 45));
    ASSERT_EQ(button->shownTitleColor(), QColor(Qt::blue));
    button->setTitleColor(Qt::darkGreen);
    EXPECT_EQ(button->shownTitleColor(), QColor(Qt::darkGreen));

    // And the title is drawn in it.
    QImage image(button->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    button->render(&image);
    bool greenInk = false;
    for (int x = 0; x < image.width() && !greenInk; ++x)
        for (int y = 0; y < image.height() && !greenInk; ++y) {
            const QColor c = image.pixelColor(x, y);
            greenInk = c.green() > 60 && c.red() < 60 && c.blue() < 60;
        }
    EXPECT_TRUE(greenInk);
}

} // namespace

TEST(ButtonWithLinkTitle, AThirteenPixelLinkFitsTheSuggestionHeaderRow) {
    // The "Clear" link of the search history's header: no taller than its row.
    ButtonWithLinkTitle clear;
    clear.setAttributedTitle(AttributedTitle::linkStyleTitle("Clear"));
    EXPECT_EQ(QFontInfo(clear.font()).pixelSize(), 13);
    EXPECT_LE(clear.sizeHint().height(), SuggestionHeaderViewController::rowHeight);
}
