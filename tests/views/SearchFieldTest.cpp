#include "SearchField.h"
#include "ButtonWithLinkTitle.h"
#include "PropertyList.h"
#include "SearchFieldDelegate.h"
#include "SearchHistoryManager.h"
#include "SuggestionsWindow.h"
#include "SuggestionsWindowController.h"
#include "TestHome.h"

#include <QFile>
#include <QTest>
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

class FakeDelegate : public QObject, public SearchFieldDelegate {
public:
    void searchSuggestions(const QString& prefix,
                           std::function<void(std::optional<QStringList>)> completion) override {
        prefixes.append(prefix);
        pending = std::move(completion);
    }
    void search(const QString& text) override { searches.append(text); }
    // Answers the latest request.
    void answer(std::optional<QStringList> keywords) {
        auto completion = std::move(pending);
        pending = nullptr;
        ASSERT_TRUE(completion);
        completion(std::move(keywords));
    }

    QStringList prefixes;
    QStringList searches;
    std::function<void(std::optional<QStringList>)> pending;
};

BaseInfoResponse baseInfo(std::vector<QString> hotkeys) {
    BaseInfoResponse response;
    response.data.hotkey = std::move(hotkeys);
    return response;
}

// The base information already held by the server client: handed over at once.
SearchField::BaseInfoRequest cached(std::vector<QString> hotkeys) {
    return [hotkeys](std::function<void(std::optional<BaseInfoResponse>)> completion) {
        completion(baseInfo(hotkeys));
    };
}

QStringList fileList(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {"<missing>"};
    const auto plist = PropertyList::fromXml(file.readAll());
    return plist ? plist->toStringList() : QStringList{"<damaged>"};
}

// A row as text: "[Title|Link]" for a header, "-" for a separator, the label otherwise.
QStringList describe(const QList<SuggestionRow>& rows) {
    QStringList out;
    for (const auto& row : rows) {
        switch (row.kind()) {
        case SuggestionRow::Kind::Separator:
            out << "-";
            break;
        case SuggestionRow::Kind::Header:
            out << "[" + row.label.value_or("") + (row.detailedLabel ? "|" + *row.detailedLabel : "") + "]";
            break;
        case SuggestionRow::Kind::Selectable:
            out << row.label.value_or("<none>");
            break;
        }
    }
    return out;
}

const QStringList historyHeader{"[Search History|Clear]"};
const QStringList hotHeader{"-", "[Hot Search]"};

class SearchFieldFixture : public ::testing::Test {
protected:
    void make(SearchField::BaseInfoRequest request = cached({})) {
        history = std::make_unique<SearchHistoryManager>(historyPath);
        host = std::make_unique<QWidget>();
        host->resize(500, 300);
        other = new QLineEdit(host.get());
        other->setGeometry(300, 20, 150, 26);
        field = new SearchField(std::move(request), history.get(), host.get());
        field->setGeometry(20, 20, 240, 28);
        field->setMyDelegate(&delegate);
        host->show();
        host->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
    }
    void focusByClick() {
        click(field, QPoint(120, 14));
        ASSERT_TRUE(field->hasFocus());
    }
    SuggestionsWindowController* popup() { return field->suggestionWindowController(); }
    QStringList shown() { return describe(popup()->suggestions()); }
    QString highlighted() {
        const auto row = popup()->selectedSuggestion();
        return row ? row->label.value_or("") : QStringLiteral("<none>");
    }

    TestHome home;
    QString historyPath = home.file("searchHistory.info");
    std::unique_ptr<SearchHistoryManager> history;
    FakeDelegate delegate;
    std::unique_ptr<QWidget> host;
    QLineEdit* other = nullptr;
    SearchField* field = nullptr;
};

TEST_F(SearchFieldFixture, NothingStoredShowsTheTwoHeadersAndTheSeparator) {
    make();
    EXPECT_FALSE(field->hasFocus()) << "opening the window does not focus the field";
    EXPECT_FALSE(popup()->isWindowVisible());
    focusByClick();
    ASSERT_TRUE(popup()->isWindowVisible());
    EXPECT_EQ(shown(), historyHeader + hotHeader);
    EXPECT_TRUE(popup()->viewControllers().isEmpty());
    EXPECT_EQ(popup()->separatorViewControllers().size(), 3);
    EXPECT_EQ(popup()->window()->height(),
              10 + 2 * SuggestionsWindowController::rowHeight + SuggestionsWindowController::separatorHeight);
    EXPECT_TRUE(delegate.prefixes.isEmpty());
}

TEST_F(SearchFieldFixture, HistoryThenHotKeywordsInOrder) {
    {
        SearchHistoryManager earlier(historyPath);
        earlier.add("T2");
        earlier.add("T1");
    }
    make(cached({"K1", "K2"}));
    focusByClick();
    EXPECT_EQ(shown(), historyHeader + QStringList({"T1", "T2"}) + hotHeader + QStringList({"K1", "K2"}));
    EXPECT_EQ(highlighted(), "T1");
    EXPECT_EQ(popup()->viewControllers().size(), 4);

    // Up and Down go to the popup; the text stays as typed.
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(highlighted(), "T2");
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(highlighted(), "K2");
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(highlighted(), "K1");
    EXPECT_EQ(field->text(), QString());
    EXPECT_TRUE(field->hasFocus());
}

TEST_F(SearchFieldFixture, ArrowsWithShiftOrControlSelectTextInsteadOfMovingTheHighlight) {
    make(cached({"K1", "K2"}));
    focusByClick();
    field->setText("sea cats");
    field->setCursorPosition(3);
    ASSERT_EQ(highlighted(), "K1");
    QTest::keyClick(field, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(highlighted(), "K1");
    EXPECT_EQ(field->selectedText(), " cats") << "Shift+Down selects to the end";
    QTest::keyClick(field, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(highlighted(), "K1");
    EXPECT_EQ(field->selectedText(), "sea") << "Shift+Up selects to the start";
    QTest::keyClick(field, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(highlighted(), "K1");
    EXPECT_EQ(field->text(), "sea cats");
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(highlighted(), "K2") << "plain arrows still go to the popup";
}

TEST_F(SearchFieldFixture, ALateAnswerDoesNotOpenThePopupWhileAnotherWindowIsActive) {
    make(cached({"K1"}));
    focusByClick();
    QTest::keyClick(field, Qt::Key_O);
    QWidget other;
    other.setGeometry(600, 300, 100, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(popup()->isWindowVisible());
    delegate.answer(QStringList{"ocean"});
    QCoreApplication::processEvents();
    EXPECT_FALSE(popup()->isWindowVisible()) << "keywords arriving late";
    field->showHistoryAndHotSearch();
    EXPECT_FALSE(popup()->isWindowVisible()) << "the history asked for meanwhile";
}

TEST_F(SearchFieldFixture, HotKeywordsAreAppendedEachTimeTheyArrive) {
    std::function<void(std::optional<BaseInfoResponse>)> later;
    make([&](auto completion) { later = std::move(completion); });
    EXPECT_TRUE(field->hotkeys().isEmpty());
    ASSERT_TRUE(later);
    later(std::nullopt);
    EXPECT_TRUE(field->hotkeys().isEmpty());
    later(baseInfo({"K1"}));
    field->setHotkeys(baseInfo({"K2", "K3"}));
    EXPECT_EQ(describe(field->hotkeys()), QStringList({"K1", "K2", "K3"}));
    focusByClick();
    EXPECT_EQ(shown(), historyHeader + hotHeader + QStringList({"K1", "K2", "K3"}));
}

TEST_F(SearchFieldFixture, AnAnswerAfterTheFieldWentIsDropped) {
    std::function<void(std::optional<BaseInfoResponse>)> later;
    make([&](auto completion) { later = std::move(completion); });
    host.reset();
    later(baseInfo({"K1"}));
    SUCCEED();
}

TEST_F(SearchFieldFixture, ThePrefixEndsWhereTheSelectionEnds) {
    make();
    focusByClick();
    QTest::keyClicks(field, "abc");
    EXPECT_EQ(delegate.prefixes, QStringList({"a", "ab", "abc"}));
    ASSERT_TRUE(popup()->isWindowVisible()) << "the history stays until keywords arrive";

    // Ctrl+Space closes the open popup, then asks again.
    QTest::keyClick(field, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_FALSE(popup()->isWindowVisible());
    QTest::keyClick(field, Qt::Key_Left);
    QTest::keyClick(field, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(delegate.prefixes.last(), "ab") << "caret after the second letter";
    QTest::keyClick(field, Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_EQ(field->selectedText(), "c");
    QTest::keyClick(field, Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(delegate.prefixes.last(), "abc") << "the last letter selected after the caret";
    EXPECT_EQ(field->text(), "abc");
}

TEST_F(SearchFieldFixture, KeywordsArriveOnAQueuedCallAndAnEmptyTextShowsHistoryAtOnce) {
    make(cached({"K1"}));
    focusByClick();
    QTest::keyClick(field, Qt::Key_O);
    delegate.answer(QStringList{"ocean", "orbit"});
    EXPECT_EQ(shown(), historyHeader + hotHeader + QStringList{"K1"}) << "applied later, not at once";
    QCoreApplication::processEvents();
    EXPECT_EQ(shown(), QStringList({"ocean", "orbit"}));
    EXPECT_TRUE(popup()->isWindowVisible());
    EXPECT_EQ(highlighted(), "ocean");

    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(delegate.prefixes, QStringList({"o"})) << "an empty text does not ask the delegate";
    EXPECT_EQ(shown(), historyHeader + hotHeader + QStringList{"K1"});
    EXPECT_TRUE(popup()->isWindowVisible());
}

TEST_F(SearchFieldFixture, NoAnswerReplacesVisibleKeywordsByTheHistory) {
    make(cached({"K1"}));
    focusByClick();
    QTest::keyClick(field, Qt::Key_O);
    delegate.answer(QStringList{"ocean"});
    QCoreApplication::processEvents();
    ASSERT_EQ(shown(), QStringList({"ocean"}));
    QTest::keyClick(field, Qt::Key_R);
    delegate.answer(std::nullopt);
    EXPECT_EQ(shown(), historyHeader + hotHeader + QStringList{"K1"}) << "at once";
    EXPECT_TRUE(popup()->isWindowVisible());
    QTest::keyClick(field, Qt::Key_B);
    delegate.answer(QStringList{});
    EXPECT_EQ(shown(), historyHeader + hotHeader + QStringList{"K1"});
    EXPECT_EQ(field->text(), "orb");
}

TEST_F(SearchFieldFixture, ReturnSearchesTheWholeTextAndRecordsOnlyNonEmptyText) {
    make();
    focusByClick();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(delegate.searches, QStringList({""}));
    EXPECT_TRUE(history->storeHistory().isEmpty());
    EXPECT_FALSE(QFile::exists(historyPath));

    QTest::keyClicks(field, "sea cats");
    QTest::keyClick(field, Qt::Key_Left);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(delegate.searches, QStringList({"", "sea cats"}));
    EXPECT_EQ(fileList(historyPath), QStringList({"sea cats"}));
    EXPECT_FALSE(popup()->isWindowVisible()) << "the end of editing closes the popup";
}

TEST_F(SearchFieldFixture, ClearEmptiesTheHistoryWhileThePopupStaysOpen) {
    {
        SearchHistoryManager earlier(historyPath);
        earlier.add("T2");
        earlier.add("T1");
    }
    make(cached({"K1"}));
    focusByClick();
    auto* clear = popup()->separatorViewControllers().at(0)->findChild<ButtonWithLinkTitle*>();
    ASSERT_TRUE(clear);
    EXPECT_EQ(clear->text(), "Clear");
    click(clear);
    QCoreApplication::processEvents(); // the old rows go
    EXPECT_TRUE(popup()->isWindowVisible());
    EXPECT_EQ(shown(), historyHeader + hotHeader + QStringList{"K1"});
    EXPECT_EQ(popup()->viewControllers().size(), 1);
    EXPECT_EQ(fileList(historyPath), QStringList());
    EXPECT_TRUE(field->hasFocus());
}

TEST_F(SearchFieldFixture, AClickOnAKeywordSearchesForItOnce) {
    make(cached({"K1", "K2"}));
    focusByClick();
    QWidget* k2 = popup()->viewControllers().at(1);
    hover(k2, QPoint(20, 10));
    click(k2, QPoint(20, 10));
    EXPECT_EQ(field->text(), "K2");
    EXPECT_EQ(delegate.searches, QStringList({"K2"}));
    EXPECT_EQ(fileList(historyPath), QStringList({"K2"}));
    EXPECT_FALSE(popup()->isWindowVisible());
    EXPECT_FALSE(field->hasFocus());
}

TEST_F(SearchFieldFixture, FocusComesOnlyFromAClick) {
    make();
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Tab);
    EXPECT_FALSE(field->hasFocus());
    EXPECT_FALSE(popup()->isWindowVisible());
    focusByClick();
    EXPECT_TRUE(popup()->isWindowVisible());
    // The first click elsewhere only closes the popup; the field is still edited.
    click(other);
    EXPECT_FALSE(popup()->isWindowVisible());
    EXPECT_TRUE(field->hasFocus());
    click(other);
    EXPECT_TRUE(other->hasFocus());
    // Back by click: the popup opens again; moving the focus away by other means closes it.
    focusByClick();
    EXPECT_TRUE(popup()->isWindowVisible());
    other->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(popup()->isWindowVisible());
}

TEST_F(SearchFieldFixture, WithoutTheFocusTheHistoryIsShownAndTheFailureReported) {
    make();
    testing::internal::CaptureStdout();
    field->setText("abc");
    field->updateSuggestions();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "👾failed to get field editor\n");
    EXPECT_TRUE(delegate.prefixes.isEmpty());
    EXPECT_TRUE(popup()->isWindowVisible());
    EXPECT_EQ(shown(), historyHeader + hotHeader);
}

TEST_F(SearchFieldFixture, AGoneDelegateIsNoLongerAsked) {
    auto owned = std::make_unique<FakeDelegate>();
    make();
    field->setMyDelegate(owned.get());
    owned.reset();
    EXPECT_EQ(field->myDelegate(), nullptr);
    focusByClick();
    QTest::keyClicks(field, "x");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(fileList(historyPath), QStringList({"x"})) << "searches still reach the history";
}

TEST_F(SearchFieldFixture, TheUnconnectedEditorUpdatePutsTheHighlightedLabelIn) {
    make(cached({"ocean", "orbit"}));
    focusByClick();
    QTest::keyClicks(field, "oc");
    field->updateFiedlEditorWithSelectedWithSender(field); // not the popup: nothing
    EXPECT_EQ(field->text(), "oc");
    // Highlighting alone leaves the text as typed (the popup does not call it).
    field->showHistoryAndHotSearch();
    EXPECT_EQ(highlighted(), "ocean");
    EXPECT_EQ(field->text(), "oc");
    field->updateFiedlEditorWithSelectedWithSender(popup());
    EXPECT_EQ(field->text(), "ocean");
    EXPECT_EQ(field->selectedText(), "ean");
}

TEST(SearchFieldGeometry, VerticallyCenteredRect) {
    const QRectF rect(10, 0, 100, 30);
    EXPECT_EQ(SearchField::verticallyCenteredRect(rect, std::nullopt), rect);
    // F = 17, D = floor(13 / 2) - 5 = 1: one pixel off at the top and at the bottom.
    EXPECT_EQ(SearchField::verticallyCenteredRect(rect, 16.2), QRectF(10, 1, 100, 28));
    // A short rectangle grows: D = floor(3 / 2) - 5 = -4.
    EXPECT_EQ(SearchField::verticallyCenteredRect(QRectF(0, 10, 50, 20), 17), QRectF(0, 6, 50, 28));
}

} // namespace
