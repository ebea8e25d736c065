#include "PlainText.h"

#include "MarkupProbe.h"
#include "TestHome.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolTip>
#include <gtest/gtest.h>

namespace {

// Tooltips, labels, buttons and menu entries given outside text show it as written and open
// nothing it names; text that was plain already reaches a tooltip unchanged.
TEST(PlainText, OutsideTextShowsAsWrittenInTooltipsLabelsButtonsAndMenus) {
    TestHome home;
    MarkupProbe probe(home.path());
    QWidget host;
    host.resize(200, 100);
    host.show();

    const QStringList texts{probe.text(), QStringLiteral("<b>Sea</b>\n  two  spaces"),
                            QStringLiteral("&lt;3 and R&B")};
    for (const QString& text : texts) {
        SCOPED_TRACE(text.toStdString());
        host.setToolTip(PlainText::toolTip(text));
        QLabel* tip = MarkupProbe::showToolTip(&host);
        ASSERT_NE(tip, nullptr);
        tip->grab();
        EXPECT_EQ(MarkupProbe::shownByLabel(tip->text(), tip->textFormat()).toStdString(),
                  text.toStdString());
        QToolTip::hideText();

        QLabel label;
        PlainText::setText(&label, text);
        label.grab();
        EXPECT_EQ(label.text(), text);

        QPushButton button(PlainText::title(text));
        button.grab();
        EXPECT_EQ(MarkupProbe::shownByButton(button.text()), QString(text).replace('\t', ' '));
        EXPECT_TRUE(button.shortcut().isEmpty()) << "no mnemonic taken from the text";

        QMenu menu;
        QAction* entry = menu.addAction(PlainText::title(text));
        EXPECT_EQ(MarkupProbe::shownByButton(entry->text()), QString(text).replace('\t', ' '));
        EXPECT_TRUE(entry->shortcut().isEmpty());
    }
    EXPECT_EQ(probe.opened().join(", ").toStdString(), "");

    EXPECT_EQ(PlainText::toolTip(QStringLiteral("Sea at night")), QStringLiteral("Sea at night"));
    // An escaped tooltip is as tall as a plain one of one line.
    host.setToolTip(QStringLiteral("Sea at night"));
    const int plainHeight = MarkupProbe::showToolTip(&host)->height();
    QToolTip::hideText();
    host.setToolTip(PlainText::toolTip(QStringLiteral("<b>Sea</b> at night")));
    EXPECT_EQ(MarkupProbe::showToolTip(&host)->height(), plainHeight);
    QToolTip::hideText();
}

} // namespace
