#include "HotTagsView.h"
#include "ButtonWithColorfulLink.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
std::vector<QString> tagsNamed(std::initializer_list<const char*> names) {
    std::vector<QString> tags;
    for (const char* name : names)
        tags.emplace_back(QString::fromUtf8(name));
    return tags;
}

int buttonWidth(const QString& tag) {
    ButtonWithColorfulLink probe(QRect(), nullptr);
    probe.setText(tag);
    probe.setFontSize(12.0);
    probe.updateTitle(probe.titleColor());
    return probe.sizeHint().width();
}

int livingButtons(const HotTagsView& row) {
    // Buttons given up go on the next turn of the event loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return int(row.findChildren<ButtonWithColorfulLink*>().size());
}
} // namespace

TEST(HotTagsView, WholeTagsAtTheirOwnWidthFromTheRightEdgeLeftwards) {
    const auto tags =
        tagsNamed({"nightscape", "space", "city", "autumn", "ocean", "abstract", "rain", "forest"});
    // Room for the first three and part of the fourth.
    const int room =
        buttonWidth(tags[0]) + buttonWidth(tags[1]) + buttonWidth(tags[2]) + buttonWidth(tags[3]) / 2;
    HotTagsView row;
    row.resize(room, 44);
    row.show();
    row.appendTags(tags);

    const QList<QPushButton*> shown = row.buttons();
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[0]->text(), "city");
    EXPECT_EQ(shown[1]->text(), "space");
    EXPECT_EQ(shown[2]->text(), "nightscape");
    EXPECT_EQ(shown[2]->geometry().right(), room - 1);
    for (int i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i]->width(), shown[i]->sizeHint().width());
        EXPECT_TRUE(shown[i]->isVisible());
        EXPECT_EQ(shown[i]->geometry().center().y(), row.rect().center().y());
        if (i + 1 < shown.size()) {
            EXPECT_EQ(shown[i]->geometry().right() + 1, shown[i + 1]->geometry().left());
        }
    }
    EXPECT_GE(shown[0]->x(), 0);
    EXPECT_EQ(livingButtons(row), 3) << "the tag that does not fit has no button";

    // Wider: more tags; narrower: fewer, and the buttons no longer shown go.
    row.resize(room * 3, 44);
    EXPECT_GT(row.buttons().size(), 3);
    row.resize(buttonWidth(tags[0]) + 1, 44);
    EXPECT_EQ(row.buttons().size(), 1);
    EXPECT_EQ(livingButtons(row), 1);
    row.resize(buttonWidth(tags[0]) - 1, 44);
    EXPECT_TRUE(row.buttons().isEmpty()) << "a first tag that does not fit hides the whole row";
}

TEST(HotTagsView, AClickSearchesForTheTagAndLaterTagsGoLeftOfTheFirstOnes) {
    HotTagsView row;
    row.resize(600, 44);
    row.show();
    QSignalSpy clicked(&row, &HotTagsView::tagClicked);
    row.appendTags(tagsNamed({"sea"}));
    row.appendTags(tagsNamed({"forest"}));
    ASSERT_EQ(row.buttons().size(), 2);
    EXPECT_EQ(row.buttons()[0]->text(), "forest");
    QTest::mouseClick(row.buttons()[0], Qt::LeftButton);
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked[0][0].toString(), "forest");
}

TEST(HotTagsView, AHundredThousandTagsCostOnlyTheButtonsThatFit) {
    std::vector<QString> many;
    many.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        many.push_back(QStringLiteral("tag%1").arg(i));
    HotTagsView row;
    row.resize(400, 44);
    row.show();
    row.appendTags(many);
    EXPECT_EQ(row.tagCount(), 100000);
    const int shown = int(row.buttons().size());
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 100);
    EXPECT_EQ(livingButtons(row), shown);
    row.resize(800, 44);
    EXPECT_EQ(livingButtons(row), int(row.buttons().size()));
    EXPECT_LT(row.buttons().size(), 200);
}
