#include "SuggestionsWindowController.h"
#include "HighlightingView.h"
#include "RoundedCornersView.h"
#include "SuggestibleTextFieldCell.h"
#include "SuggestionsWindow.h"
#include "TestHome.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

// Pointer events the way the window system delivers them: to the window first.
QPoint inWindow(QWidget* target, QPoint local) {
    return target->mapTo(target->window(), local);
}
void hover(QWidget* target, QPoint local) {
    QTest::mouseMove(target->window()->windowHandle(), inWindow(target, local));
}
void click(QWidget* target, std::optional<QPoint> local = std::nullopt) {
    QTest::mouseClick(target->window()->windowHandle(), Qt::LeftButton, {},
                      inWindow(target, local.value_or(target->rect().center())));
}

// A window with a field and a button, the field being edited, and a popup with the rows
// header, A, separator, header, B open under the field.
class SuggestionsPopup : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(400, 300);
        field = new QLineEdit(&host);
        field->setGeometry(20, 20, 240, 26);
        button = new QPushButton(QStringLiteral("Other"), &host);
        button->setGeometry(20, 200, 100, 30);
        host.show();
        host.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        click(field);
        ASSERT_TRUE(field->hasFocus());
        popup.storeSuggestions({SuggestionRow::headerRow(QStringLiteral("First")), SuggestionRow::item("A"),
                                SuggestionRow::separatorRow(),
                                SuggestionRow::headerRow(QStringLiteral("Second")),
                                SuggestionRow::item("B")});
        popup.beginFor(field);
    }

    QWidget* rowA() { return popup.viewControllers().at(0); }
    QWidget* rowB() { return popup.viewControllers().at(1); }
    QString highlighted() {
        const auto row = popup.selectedSuggestion();
        return row ? row->label.value_or(QStringLiteral("<no label>")) : QStringLiteral("<none>");
    }

    QWidget host;
    QLineEdit* field = nullptr;
    QPushButton* button = nullptr;
    SuggestionsWindowController popup;
};

TEST_F(SuggestionsPopup, HangsUnderTheFieldWithRowsStackedFromTheCornerRadius) {
    SuggestionsWindow* window = popup.window();
    ASSERT_TRUE(popup.isWindowVisible());
    EXPECT_EQ(window->pos(), field->mapToGlobal(QPoint(0, field->height())) + QPoint(0, 2));
    EXPECT_EQ(window->width(), field->width());
    EXPECT_EQ(static_cast<RoundedCornersView*>(window->contentView())->rcvCornerRadius(), 5.0);

    const QList<QWidget*> others = popup.separatorViewControllers();
    ASSERT_EQ(others.size(), 3);
    ASSERT_EQ(popup.viewControllers().size(), 2);
    const int header = SuggestionsWindowController::rowHeight;
    const int line = SuggestionsWindowController::separatorHeight;
    const std::vector<std::pair<QWidget*, int>> expectedTops{{others[0], 5},
                                                             {rowA(), 5 + header},
                                                             {others[1], 5 + 2 * header},
                                                             {others[2], 5 + 2 * header + line},
                                                             {rowB(), 5 + 3 * header + line}};
    for (const auto& [view, top] : expectedTops) {
        EXPECT_EQ(view->y(), top);
        EXPECT_EQ(view->width(), field->width());
        EXPECT_EQ(view->parentWidget(), window->contentView());
    }
    EXPECT_EQ(window->height(), 5 + 4 * header + line + 5);
    EXPECT_EQ(popup.trackingAreas(), popup.viewControllers())
        << "only the selectable rows follow the pointer";
    EXPECT_TRUE(qobject_cast<HighlightingView*>(rowA())->isHighlighted());
    EXPECT_EQ(highlighted(), "A");

    // The field keeps the keyboard while the popup is open.
    EXPECT_TRUE(field->hasFocus());
    EXPECT_EQ(QGuiApplication::focusWindow(), host.windowHandle());
}

TEST_F(SuggestionsPopup, NoRowsMakeAPopupOfTwiceTheRadius) {
    popup.storeSuggestions({});
    popup.setSuggestions();
    EXPECT_EQ(popup.window()->height(), 10);
    EXPECT_EQ(highlighted(), "<none>");
    popup.moveDown();
    popup.moveUp();
    EXPECT_EQ(highlighted(), "<none>");
}

TEST_F(SuggestionsPopup, ArrowsMoveTheHighlightWithoutWrapping) {
    int sent = 0;
    popup.action = [&](SuggestionsWindowController* sender) {
        EXPECT_EQ(sender, &popup);
        ++sent;
    };
    popup.moveDown();
    EXPECT_EQ(highlighted(), "B");
    popup.moveDown();
    EXPECT_EQ(highlighted(), "B");
    popup.moveUp();
    EXPECT_EQ(highlighted(), "A");
    popup.moveUp();
    EXPECT_EQ(highlighted(), "A");
    EXPECT_EQ(sent, 2) << "a move that changes nothing sends nothing";
    EXPECT_EQ(field->text(), QString()) << "highlighting does not change the field";
}

TEST_F(SuggestionsPopup, ThePointerHighlightsAndLeavingClearsTheHighlight) {
    hover(rowB(), QPoint(30, 10));
    EXPECT_EQ(highlighted(), "B");
    EXPECT_FALSE(qobject_cast<HighlightingView*>(rowA())->isHighlighted());
    // Onto the second header: B is left, nothing is highlighted.
    hover(popup.separatorViewControllers()[2], QPoint(30, 10));
    EXPECT_EQ(highlighted(), "<none>");
    EXPECT_EQ(popup.selectedView(), nullptr);
    popup.moveUp();
    EXPECT_EQ(highlighted(), "B") << "with nothing highlighted, up goes to the last row";
    popup.moveDown();
    EXPECT_EQ(highlighted(), "B");

    // Over B and out again: nothing highlighted, so down goes to the first row.
    hover(rowB(), QPoint(30, 10));
    hover(popup.separatorViewControllers()[0], QPoint(30, 10));
    EXPECT_EQ(highlighted(), "<none>");
    popup.moveDown();
    EXPECT_EQ(highlighted(), "A");
}

TEST_F(SuggestionsPopup, HighlightedTextIsWhiteAndReturnsToItsColour) {
    auto* textA = rowA()->findChild<SuggestibleTextFieldCell*>();
    auto* textB = rowB()->findChild<SuggestibleTextFieldCell*>();
    ASSERT_TRUE(textA && textB);
    const QColor own = textB->drawnTextColor();
    EXPECT_EQ(textA->drawnTextColor(), QColor(Qt::white));
    EXPECT_NE(own, QColor(Qt::white));
    popup.moveDown();
    EXPECT_EQ(textB->drawnTextColor(), QColor(Qt::white));
    EXPECT_EQ(textA->drawnTextColor(), own);

    // The highlighted row is filled with the selection colour, the others let the background show.
    QImage image(popup.window()->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    popup.window()->render(&image);
    EXPECT_EQ(image.pixelColor(QPoint(3, rowB()->y() + 2)), HighlightingView::highlightColor());
    EXPECT_EQ(image.pixelColor(QPoint(3, rowA()->y() + 2)),
              popup.window()->palette().color(QPalette::Window));
    if (!qEnvironmentVariableIsEmpty("ZERAFIN_TEST_PICTURES"))
        image.save(qEnvironmentVariable("ZERAFIN_TEST_PICTURES") + "/popup.png");
}

TEST_F(SuggestionsPopup, AClickOnARowCommitsItOnce) {
    QSignalSpy actions(field, &QLineEdit::returnPressed);
    hover(rowB(), QPoint(30, 10));
    click(rowB(), QPoint(30, 10));
    EXPECT_EQ(field->text(), "B");
    EXPECT_EQ(actions.count(), 1);
    EXPECT_FALSE(popup.isWindowVisible());
    EXPECT_FALSE(popup.selectedSuggestion());
    EXPECT_EQ(popup.selectedView(), rowB()) << "the highlight survives closing";
}

TEST_F(SuggestionsPopup, OnlyALeftButtonReleaseCommitsARow) {
    QSignalSpy actions(field, &QLineEdit::returnPressed);
    QWindow* popupWindow = popup.window()->windowHandle();
    hover(rowB(), QPoint(30, 10));
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(popupWindow, button, {}, inWindow(rowB(), QPoint(30, 10)));
        EXPECT_EQ(field->text(), QString()) << "button " << int(button);
        EXPECT_EQ(actions.count(), 0);
        EXPECT_TRUE(popup.isWindowVisible());
        EXPECT_EQ(highlighted(), "B");
    }
    click(rowB(), QPoint(30, 10));
    EXPECT_EQ(field->text(), "B");
    EXPECT_EQ(actions.count(), 1);
}

TEST_F(SuggestionsPopup, RowsFollowThePointerWhileAButtonIsHeld) {
    QSignalSpy actions(field, &QLineEdit::returnPressed);
    QWindow* popupWindow = popup.window()->windowHandle();
    hover(rowA(), QPoint(30, 10));
    QTest::mousePress(popupWindow, Qt::LeftButton, {}, inWindow(rowA(), QPoint(30, 10)));
    QTest::mouseMove(popupWindow, inWindow(popup.separatorViewControllers()[2], QPoint(30, 10)));
    EXPECT_EQ(highlighted(), "<none>") << "dragged onto a header";
    QTest::mouseMove(popupWindow, inWindow(rowB(), QPoint(40, 12)));
    EXPECT_EQ(highlighted(), "B");
    QTest::mouseRelease(popupWindow, Qt::LeftButton, {}, inWindow(rowB(), QPoint(40, 12)));
    EXPECT_EQ(field->text(), "B") << "the row under the pointer at the release";
    EXPECT_EQ(actions.count(), 1);
    EXPECT_FALSE(popup.isWindowVisible());
}

TEST_F(SuggestionsPopup, ReleasingWithNothingHighlightedSendsTheTypedText) {
    field->setText("typed");
    QSignalSpy actions(field, &QLineEdit::returnPressed);
    QWidget* header = popup.separatorViewControllers()[0];
    hover(rowA(), QPoint(30, 10));
    hover(header, QPoint(30, 10));
    ASSERT_EQ(popup.selectedView(), nullptr);
    click(header, QPoint(30, 10));
    EXPECT_EQ(field->text(), "typed");
    EXPECT_EQ(actions.count(), 1);
    EXPECT_FALSE(popup.isWindowVisible());
}

TEST_F(SuggestionsPopup, AClickOnTheFieldLeavesThePopupOpen) {
    click(field, QPoint(100, 10));
    EXPECT_TRUE(popup.isWindowVisible());
    EXPECT_TRUE(field->hasFocus());
}

TEST_F(SuggestionsPopup, AClickElsewhereInTheWindowOnlyCloses) {
    QSignalSpy clicks(button, &QPushButton::clicked);
    click(button);
    EXPECT_FALSE(popup.isWindowVisible());
    EXPECT_EQ(clicks.count(), 0) << "the click is swallowed";
    // Closed, the next click acts normally.
    click(button);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(SuggestionsPopup, AClickElsewhereWhileTheFieldIsNotEditedPasses) {
    field->clearFocus();
    QSignalSpy clicks(button, &QPushButton::clicked);
    click(button);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(popup.isWindowVisible());
}

TEST_F(SuggestionsPopup, AClickInAnotherWindowClosesAndActsThere) {
    QPushButton elsewhere(QStringLiteral("Elsewhere"));
    elsewhere.setGeometry(600, 400, 120, 40);
    elsewhere.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&elsewhere));
    // Back to the field's window and the popup.
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    click(field);
    popup.beginFor(field);
    ASSERT_TRUE(popup.isWindowVisible());
    QSignalSpy clicks(&elsewhere, &QPushButton::clicked);
    click(&elsewhere);
    EXPECT_FALSE(popup.isWindowVisible());
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(SuggestionsPopup, TheFieldsWindowLosingTheFocusCloses) {
    QWidget other;
    other.setGeometry(500, 300, 100, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(popup.isWindowVisible());
}

TEST_F(SuggestionsPopup, HangsFromTheFieldsWindowAndFollowsIt) {
    QWindow* popupWindow = popup.window()->windowHandle();
    ASSERT_TRUE(popupWindow);
    EXPECT_EQ(popupWindow->transientParent(), host.windowHandle());
    EXPECT_TRUE(popup.window()->windowFlags() & Qt::WindowDoesNotAcceptFocus);

    host.move(host.pos() + QPoint(30, 40));
    const QPoint underField = field->mapToGlobal(QPoint(0, field->height())) + QPoint(0, 2);
    EXPECT_TRUE(TestHome::waitUntil([&] { return popup.window()->pos() == underField; }))
        << "at " << popup.window()->x() << "," << popup.window()->y();
    EXPECT_TRUE(popup.isWindowVisible());

    host.showMinimized();
    EXPECT_TRUE(TestHome::waitUntil([&] { return !popup.isWindowVisible(); })) << "minimised";
    host.showNormal();
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    click(field);
    popup.beginFor(field);
    ASSERT_TRUE(popup.isWindowVisible());
    host.hide();
    EXPECT_FALSE(popup.isWindowVisible());
    popup.beginFor(field);
    EXPECT_FALSE(popup.isWindowVisible()) << "never opened for a hidden window";
}

TEST_F(SuggestionsPopup, NeverOpensWhileTheFieldsWindowIsInactive) {
    popup.cancelSuggestions();
    QWidget other;
    other.setGeometry(500, 300, 100, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    popup.beginFor(field);
    EXPECT_FALSE(popup.isWindowVisible());
}

TEST_F(SuggestionsPopup, ALongListStaysOnTheScreenAndScrolls) {
    QList<SuggestionRow> rows;
    for (int i = 0; i < 50; ++i)
        rows.append(SuggestionRow::item(QStringLiteral("row %1").arg(i)));
    popup.storeSuggestions(rows);
    popup.setSuggestions();
    SuggestionsWindow* window = popup.window();
    const QRect screen = field->screen()->availableGeometry();
    const int top = field->mapToGlobal(QPoint(0, field->height())).y() + 2;
    EXPECT_EQ(window->geometry().top(), top);
    EXPECT_EQ(window->geometry().bottom(), screen.bottom()) << "as tall as the room below the field";
    QWidget* last = popup.viewControllers().last();
    EXPECT_EQ(last->y(), 5 + 49 * SuggestionsWindowController::rowHeight) << "rows keep their places";
    const auto visibleInWindow = [&](QWidget* row) {
        const QRect inWindow(row->mapTo(window, QPoint(0, 0)), row->size());
        return window->rect().contains(inWindow);
    };
    EXPECT_TRUE(visibleInWindow(popup.viewControllers().first()));
    EXPECT_FALSE(visibleInWindow(last));

    // The keyboard brings the highlighted row into view.
    for (int i = 0; i < 49; ++i)
        popup.moveDown();
    EXPECT_EQ(highlighted(), "row 49");
    EXPECT_TRUE(visibleInWindow(last));
    for (int i = 0; i < 49; ++i)
        popup.moveUp();
    EXPECT_TRUE(visibleInWindow(popup.viewControllers().first()));

    // The wheel scrolls (sent where the window system's wheel event ends up, over the rows).
    QWidget* first = popup.viewControllers().first();
    const int before = first->mapTo(window, QPoint(0, 0)).y();
    QWidget* rowsArea = window->scrollView()->viewport();
    QWheelEvent wheel(QPointF(40, 40), rowsArea->mapToGlobal(QPointF(40, 40)), QPoint(), QPoint(0, -240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(rowsArea, &wheel);
    EXPECT_LT(first->mapTo(window, QPoint(0, 0)).y(), before);

    // A short list is as tall as its rows again.
    popup.storeSuggestions({SuggestionRow::item("only")});
    popup.setSuggestions();
    EXPECT_EQ(window->height(), 5 + SuggestionsWindowController::rowHeight + 5);
    EXPECT_TRUE(visibleInWindow(popup.viewControllers().first()));
}

TEST_F(SuggestionsPopup, CornersStayClearWithoutACompositor) {
    SuggestionsWindow* window = popup.window();
    // Without a compositor the window system ignores the alpha channel: inside the window's shape
    // every pixel shows its colour as drawn, see-through ones black; outside the shape, what lies
    // beneath (white here) shows.
    QImage drawn(window->size(), QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    window->render(&drawn);
    const QRegion shape = window->mask().isEmpty() ? QRegion(window->rect()) : window->mask();
    QImage seen(window->size(), QImage::Format_RGB32);
    seen.fill(Qt::white);
    for (int y = 0; y < seen.height(); ++y)
        for (int x = 0; x < seen.width(); ++x)
            if (shape.contains(QPoint(x, y)))
                seen.setPixel(x, y, drawn.pixel(x, y) | 0xff000000u);
    const int background = qGray(window->palette().color(QPalette::Window).rgb());
    const int w = seen.width(), h = seen.height();
    for (const QPoint corner : {QPoint(0, 0), QPoint(w - 6, 0), QPoint(0, h - 6), QPoint(w - 6, h - 6)})
        for (int dy = 0; dy < 6; ++dy)
            for (int dx = 0; dx < 6; ++dx) {
                const QPoint at = corner + QPoint(dx, dy);
                EXPECT_GE(qGray(seen.pixel(at)), background - 8)
                    << "dark pixel at " << at.x() << "," << at.y();
            }
    EXPECT_EQ(seen.pixel(0, 0), QColor(Qt::white).rgb()) << "the corner itself is cut out";
    EXPECT_EQ(QColor(seen.pixel(w / 2, 2)), window->palette().color(QPalette::Window));
    if (!qEnvironmentVariableIsEmpty("ZERAFIN_TEST_PICTURES"))
        seen.save(qEnvironmentVariable("ZERAFIN_TEST_PICTURES") + "/popup-without-compositor.png");
}

TEST_F(SuggestionsPopup, NewRowsKeepTheTopEdge) {
    const QRect before = popup.window()->geometry();
    popup.storeSuggestions({SuggestionRow::item("only")});
    popup.setSuggestions();
    const QRect after = popup.window()->geometry();
    EXPECT_EQ(after.top(), before.top());
    EXPECT_EQ(after.left(), before.left());
    EXPECT_EQ(after.width(), before.width());
    EXPECT_EQ(after.height(), 5 + SuggestionsWindowController::rowHeight + 5);
    EXPECT_EQ(highlighted(), "only");
}

TEST_F(SuggestionsPopup, CancellingTwiceOrWhileClosedChangesNothing) {
    popup.cancelSuggestions();
    EXPECT_FALSE(popup.isWindowVisible());
    const QRect geometry = popup.window()->geometry();
    popup.cancelSuggestions();
    EXPECT_FALSE(popup.isWindowVisible());
    EXPECT_EQ(popup.window()->geometry(), geometry);
    EXPECT_EQ(popup.selectedView(), rowA());
    // Closed, clicks anywhere act normally.
    QSignalSpy clicks(button, &QPushButton::clicked);
    click(button);
    EXPECT_EQ(clicks.count(), 1);

    SuggestionsWindowController neverOpened;
    neverOpened.cancelSuggestions();
    neverOpened.mouseUp(); // no field: only closes
    EXPECT_FALSE(neverOpened.isWindowVisible());
}

TEST(RoundedCornersView, CornerRadiusDependsOnHowItIsMade) {
    RoundedCornersView inCode(QRect(0, 0, 40, 40));
    RoundedCornersView loaded;
    EXPECT_EQ(inCode.rcvCornerRadius(), 5.0);
    EXPECT_EQ(loaded.rcvCornerRadius(), 0.0);
    loaded.resize(40, 40);
    const QColor window = loaded.palette().color(QPalette::Window);
    QImage rounded(40, 40, QImage::Format_ARGB32);
    rounded.fill(Qt::transparent);
    inCode.render(&rounded, QPoint(), QRegion(), QWidget::DrawChildren);
    QImage square(40, 40, QImage::Format_ARGB32);
    square.fill(Qt::transparent);
    loaded.render(&square, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(rounded.pixelColor(0, 0).alpha(), 0) << "the corner is cut";
    EXPECT_EQ(rounded.pixelColor(20, 20), window);
    EXPECT_EQ(square.pixelColor(0, 0), window);
}

} // namespace

namespace {

TEST_F(SuggestionsPopup, AssistiveTechnologiesSeeAListOfRowsUnderTheField) {
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(popup.window());
    ASSERT_TRUE(window);
    ASSERT_TRUE(window->parent());
    EXPECT_EQ(window->parent()->object(), field);

    auto* content = static_cast<RoundedCornersView*>(popup.window()->contentView());
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(content);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_FALSE(list->state().disabled);
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(rowA());
    QAccessibleInterface* b = QAccessible::queryAccessibleInterface(rowB());
    EXPECT_EQ(a->role(), QAccessible::Grouping);
    EXPECT_TRUE(a->state().selected);
    EXPECT_FALSE(b->state().selected);
    EXPECT_EQ(content->accessibilitySelectedChildren(), QList<QWidget*>({rowA()}));

    // Choosing a row from outside highlights it, through the controller.
    b->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction());
    EXPECT_EQ(highlighted(), "B");
    EXPECT_TRUE(b->state().selected);
    content->setAccessibilitySelectedChildren({button, rowA()});
    EXPECT_EQ(highlighted(), "A");
    content->setAccessibilitySelectedChildren({});
    EXPECT_EQ(highlighted(), "<none>");

    // Without a window controller nothing happens.
    RoundedCornersView loose(QRect(0, 0, 10, 10));
    loose.setAccessibilitySelectedChildren({rowB()});
    EXPECT_EQ(highlighted(), "<none>");
}

} // namespace
