// Mouse events go through the window, so they reach whatever widget lies under the pointer, as
// they do for a user.
#define QTEST_QPA_MOUSE_HANDLING

#include "CollectionView.h"
#include "TestHome.h"
#include "ZFCollectionView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

class TestCell : public CollectionViewCell {
public:
    TestCell() {
        auto* layout = new QVBoxLayout(this);
        title = new QLabel(this);
        button = new QPushButton(QStringLiteral("x"), this);
        button->setFixedSize(20, 20);
        layout->addWidget(title);
        layout->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, [this] { ++buttonClicks; });
    }
    void setSelected(bool selected, bool animated) override {
        CollectionViewCell::setSelected(selected, animated);
        setBackgroundColor(selected ? Qt::blue : Qt::transparent);
    }
    void prepareForReuse() override { ++reuses; }

    QLabel* title;
    QPushButton* button;
    int buttonClicks = 0;
    int reuses = 0;
};

class TestFooter : public CollectionReusableView {};

QString text(const QSet<IndexPath>& paths) {
    QStringList items;
    for (const IndexPath& path : paths)
        items << QString::number(path.item);
    items.sort();
    return items.join(',');
}

// Data source and delegate in one, writing down every call it gets.
class Recorder : public CollectionViewDataSource, public CollectionViewDelegate {
public:
    int count = 0;
    bool foreignCells = false;
    QStringList log;
    int cellRequests = 0;
    int footerRequests = 0;

    // A cell the source kept from earlier and gives back for one item.
    QPointer<CollectionViewCell> keptCell;
    int keptCellItem = -1;

    int numberOfItemsInSection(CollectionView*, int) override { return count; }
    CollectionViewCell* cellForItemAt(CollectionView* view, const IndexPath& path) override {
        ++cellRequests;
        if (path.item == keptCellItem)
            return keptCell;
        CollectionViewCell* cell =
            foreignCells ? new TestCell : view->dequeueReusableCell("VideoItemCell", path);
        if (auto* testCell = dynamic_cast<TestCell*>(cell))
            testCell->title->setText(QString::number(path.item));
        return cell;
    }
    CollectionReusableView* viewForSupplementaryElementOfKind(CollectionView* view, const QString& kind,
                                                              const IndexPath& path) override {
        ++footerRequests;
        return view->dequeueReusableSupplementaryView(kind, "FooterView", path);
    }
    void didEndDisplayingCell(CollectionView*, CollectionViewCell*, const IndexPath& path) override {
        log << QStringLiteral("end %1").arg(path.item);
    }
    void didSelectItemsAt(CollectionView*, const QSet<IndexPath>& paths) override {
        log << "select " + text(paths);
    }
    void didDeselectItemsAt(CollectionView*, const QSet<IndexPath>& paths) override {
        log << "deselect " + text(paths);
    }
    void didRightClickItemAt(CollectionView*, std::optional<IndexPath> path, QMouseEvent* event) override {
        log << QStringLiteral("right %1 %2")
                   .arg(path ? QString::number(path->item) : "none")
                   .arg(event->pos().y());
    }
    void didDoubleClickItemAt(CollectionView*, std::optional<IndexPath> path, QMouseEvent*) override {
        log << QStringLiteral("double %1").arg(path ? QString::number(path->item) : "none");
    }
    void rightMouseUp(CollectionView*, QMouseEvent*) override { log << "right up"; }
    void collectionViewDidEndScrolling(CollectionView*, bool animated) override {
        log << QStringLiteral("end scrolling %1").arg(animated);
    }

    QStringList take() { return std::exchange(log, {}); }
    QStringList takeMatching(const QString& prefix) {
        QStringList matching = log.filter(QRegularExpression('^' + prefix));
        log.clear();
        return matching;
    }
};

// A 400 x 330 grid in a window: four 100-wide columns, three 110-high rows on screen.
class CollectionViewTest : public ::testing::Test {
protected:
    void SetUp() override { build(new CollectionView); }

    void build(CollectionView* collectionView) {
        window = std::make_unique<QWidget>();
        window->resize(400, 330);
        view = collectionView;
        view->setParent(window.get());
        view->setGeometry(0, 0, 400, 330);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setAllowsEmptySelection(false);
        view->setRepeatSelections(true);
        view->setNotifyDelegate(true);
        view->registerCell("VideoItemCell", [] { return new TestCell; });
        view->registerSupplementaryView(CollectionView::elementKindSectionFooter, "FooterView",
                                        [] { return new TestFooter; });
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        recorder.count = 100;
        view->setDelegate(&recorder);
        view->setDataSource(&recorder);
        recorder.take();
    }

    TestCell* cell(int item) { return static_cast<TestCell*>(view->cellForItem(IndexPath(item))); }
    QPoint centreOf(int item) { return cell(item)->geometry().center(); }
    void click(QPoint point, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(view->viewport(), button, {}, point);
    }

    Recorder recorder;
    std::unique_ptr<QWidget> window;
    CollectionView* view = nullptr;
};

void sendWheel(QWidget* target, Qt::ScrollPhase phase) {
    const QPointF position(50, 50);
    QWheelEvent event(position, target->mapToGlobal(position), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, phase, false);
    // As from the window system, so an ignored step travels up to the parents.
    QSpontaneKeyEvent::setSpontaneous(&event);
    qApp->notify(target, &event);
}

} // namespace

TEST_F(CollectionViewTest, OnlyTheVisibleRowsExistAtTheirRectangles) {
    EXPECT_EQ(view->numberOfItems(), 100);
    EXPECT_EQ(view->liveViewCount(), 12);
    EXPECT_EQ(cell(5)->geometry(), QRect(100, 110, 100, 110));
    EXPECT_EQ(cell(5)->title->text(), "5");
    EXPECT_EQ(view->cellForItem(IndexPath(12)), nullptr);
    EXPECT_EQ(view->contentSize(), QSizeF(400, 25 * 110));
    EXPECT_EQ(view->rectForItem(IndexPath(5)), QRectF(100, 110, 100, 110));

    // Half a row down, a fourth row peeks in: that is the most ever alive.
    view->setContentOffset(QPointF(0, 55));
    EXPECT_EQ(view->liveViewCount(), 16);
    EXPECT_EQ(cell(0)->geometry(), QRect(0, -55, 100, 110));
    EXPECT_EQ(view->bounds(), QRect(0, 55, 400, 330));
    EXPECT_EQ(view->contentOffset(), QPointF(0, 55));
    EXPECT_EQ(view->visibleCells().size(), 16);

    view->setContentOffset(QPointF(0, 1e9));
    EXPECT_EQ(view->contentOffset(), QPointF(0, 25 * 110 - 330));
    EXPECT_NE(view->cellForItem(IndexPath(99)), nullptr);
    EXPECT_EQ(view->cellForItem(IndexPath(0)), nullptr);
    EXPECT_LE(window->findChildren<TestCell*>().size(), 16);
}

TEST_F(CollectionViewTest, CellsStayInPlaceWhileTheWindowIsHidden) {
    window->hide(); // another tab in front: the grid still follows its offset
    view->setContentOffset(QPointF(0, 55));
    EXPECT_EQ(cell(0)->geometry(), QRect(0, -55, 100, 110));
    view->setContentOffset(QPointF(0, 400));
    EXPECT_EQ(cell(12)->geometry(), QRect(0, -70, 100, 110));
    window->show();
    EXPECT_EQ(cell(12)->geometry(), QRect(0, -70, 100, 110));
}

TEST_F(CollectionViewTest, FooterSitsUnderTheLastItemWhileItHasAHeight) {
    auto layout = std::make_shared<CollectionViewColumnLayout>();
    layout->setFooterHeight(30);
    view->setCollectionViewLayout(layout);
    recorder.count = 6;
    view->reloadData();
    QList<TestFooter*> footers;
    for (QWidget* child : view->viewport()->findChildren<QWidget*>())
        if (auto* footer = dynamic_cast<TestFooter*>(child))
            footers << footer;
    ASSERT_EQ(footers.size(), 1);
    EXPECT_TRUE(footers[0]->isVisible());
    EXPECT_EQ(footers[0]->geometry(), QRect(0, 220, 400, 30));
    EXPECT_EQ(view->liveViewCount(), 7);

    // Out of sight, the footer is not on the viewport; back in sight it is the same view again.
    recorder.count = 100;
    view->reloadData();
    EXPECT_FALSE(footers[0]->isVisible());
    view->setContentOffset(QPointF(0, 1e9));
    EXPECT_TRUE(footers[0]->isVisible());
    EXPECT_EQ(footers[0]->geometry(), QRect(0, 300, 400, 30));

    layout->setFooterHeight(0);
    view->setCollectionViewLayout(layout);
    EXPECT_FALSE(footers[0]->isVisible());
}

TEST_F(CollectionViewTest, ProgrammaticSelectionReportsTheDeselectionThenTheSelection) {
    view->selectItem(IndexPath(2), false, 0);
    EXPECT_EQ(recorder.take(), QStringList({"select 2"}));
    EXPECT_TRUE(cell(2)->isSelected());

    view->selectItem(IndexPath(7), false, 0);
    EXPECT_EQ(recorder.take(), QStringList({"deselect 2", "select 7"}));
    EXPECT_FALSE(cell(2)->isSelected());
    EXPECT_TRUE(cell(7)->isSelected());
    EXPECT_EQ(view->indexPathsForSelectedItems(), QSet<IndexPath>{IndexPath(7)});

    // Selecting the selected item reports it again, and only it.
    view->selectItem(IndexPath(7), false, 0);
    EXPECT_EQ(recorder.take(), QStringList({"select 7"}));

    // Without repeated selections the second call is silent; without notifications all are.
    view->setRepeatSelections(false);
    view->selectItem(IndexPath(7), false, 0);
    view->setNotifyDelegate(false);
    view->selectItem(IndexPath(3), false, 0);
    EXPECT_TRUE(recorder.take().isEmpty());
    EXPECT_EQ(view->indexPathsForSelectedItems(), QSet<IndexPath>{IndexPath(3)});

    view->selectItem(IndexPath(100), false, 0);
    EXPECT_EQ(view->indexPathsForSelectedItems(), QSet<IndexPath>{IndexPath(3)});
}

TEST_F(CollectionViewTest, ScrollPositionZeroDoesNotScrollAndOthersBringTheItemIntoView) {
    view->selectItem(IndexPath(60), false, 0);
    EXPECT_EQ(view->contentOffset(), QPointF(0, 0));
    view->selectItem(IndexPath(60), false, 1);
    EXPECT_EQ(view->contentOffset(), QPointF(0, 16 * 110 - 330));
    ASSERT_NE(cell(60), nullptr);
    EXPECT_TRUE(cell(60)->isSelected());
}

TEST_F(CollectionViewTest, ClicksSelectAndEmptySpaceKeepsTheSelection) {
    recorder.count = 6; // two rows, the second half empty
    view->reloadData();
    recorder.take();
    click(centreOf(1));
    EXPECT_EQ(recorder.take(), QStringList({"select 1"}));
    click(centreOf(5));
    EXPECT_EQ(recorder.take(), QStringList({"deselect 1", "select 5"}));
    // A user click always notifies, even when programmatic selections would not.
    view->setNotifyDelegate(false);
    click(centreOf(5));
    EXPECT_EQ(recorder.take(), QStringList({"select 5"}));

    click(QPoint(350, 160)); // right of item 5, in the unfilled row
    click(QPoint(200, 300));
    EXPECT_TRUE(recorder.take().isEmpty());
    EXPECT_EQ(view->indexPathsForSelectedItems(), QSet<IndexPath>{IndexPath(5)});

    view->setAllowsEmptySelection(true);
    click(QPoint(200, 300));
    EXPECT_EQ(recorder.take(), QStringList({"deselect 5"}));
    EXPECT_TRUE(view->indexPathsForSelectedItems().isEmpty());
    EXPECT_FALSE(cell(5)->isSelected());
}

TEST_F(CollectionViewTest, ClicksOnACellsLabelSelectWhileItsButtonKeepsItsClick) {
    TestCell* target = cell(6);
    QTest::mouseClick(target->title, Qt::LeftButton, {}, target->title->rect().center());
    EXPECT_EQ(recorder.take(), QStringList({"select 6"}));

    QTest::mouseClick(target->button, Qt::LeftButton, {}, target->button->rect().center());
    EXPECT_EQ(target->buttonClicks, 1);
    EXPECT_TRUE(recorder.take().isEmpty());

    QTest::mouseClick(cell(9)->title, Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_EQ(
        recorder.take(),
        QStringList(
            {QStringLiteral("right 9 %1").arg(cell(9)->title->mapTo(view->viewport(), QPoint(2, 2)).y()),
             "right up"}));
}

TEST_F(CollectionViewTest, RightAndDoubleClicksReportTheItemOrNone) {
    recorder.count = 5;
    view->reloadData();
    recorder.take();
    click(centreOf(4), Qt::RightButton);
    EXPECT_EQ(recorder.take(), QStringList({"right 4 164", "right up"}));
    EXPECT_TRUE(view->indexPathsForSelectedItems().isEmpty()) << "a right click does not select";

    click(QPoint(300, 300), Qt::RightButton);
    EXPECT_EQ(recorder.take(), QStringList({"right none 300", "right up"}));

    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(300, 300));
    EXPECT_EQ(recorder.takeMatching("double"), QStringList({"double none"}));
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centreOf(2));
    EXPECT_EQ(recorder.takeMatching("double"), QStringList({"double 2"}));
}

TEST_F(CollectionViewTest, ReloadKeepsTheSelectionClampedToTheNewCount) {
    view->selectItem(IndexPath(8), false, 0);
    recorder.take();
    view->reloadData();
    EXPECT_EQ(view->indexPathsForSelectedItems(), QSet<IndexPath>{IndexPath(8)});
    EXPECT_TRUE(cell(8)->isSelected());
    EXPECT_FALSE(cell(3)->isSelected());

    recorder.count = 4;
    view->reloadData();
    EXPECT_EQ(view->indexPathsForSelectedItems(), QSet<IndexPath>{IndexPath(3)});
    EXPECT_TRUE(cell(3)->isSelected());

    recorder.count = 0;
    view->reloadData();
    EXPECT_TRUE(view->indexPathsForSelectedItems().isEmpty());
    EXPECT_EQ(view->liveViewCount(), 0);
    EXPECT_EQ(recorder.takeMatching("(de)?select"), QStringList()) << "clamping is not a selection";
}

TEST_F(CollectionViewTest, DequeueGivesTheVisibleCellThenRecycledOnes) {
    TestCell* shown = cell(3);
    EXPECT_EQ(view->dequeueReusableCell("VideoItemCell", IndexPath(3)), shown);
    EXPECT_EQ(view->dequeueReusableCell("Unknown", IndexPath(3)), nullptr);

    // Scrolling a row out and the next one in reuses the same widgets, each prepared for reuse.
    const auto before = window->findChildren<TestCell*>();
    view->setContentOffset(QPointF(0, 110));
    EXPECT_EQ(window->findChildren<TestCell*>().size(), before.size());
    EXPECT_EQ(view->cellForItem(IndexPath(0)), nullptr);
    ASSERT_NE(cell(12), nullptr);
    EXPECT_EQ(cell(12)->reuses, 1);
    EXPECT_EQ(cell(12)->title->text(), "12");
}

TEST_F(CollectionViewTest, ARecycledCellTheSourceGivesBackIsShownOnceAndNotHandedOutAgain) {
    view->setContentOffset(QPointF(0, 55)); // four rows on screen
    recorder.keptCell = cell(12);
    view->setContentOffset(QPointF(0, 0)); // three: the fourth row's cells wait in the pool
    EXPECT_FALSE(recorder.keptCell->isVisible());
    recorder.keptCellItem = 14;
    view->setContentOffset(QPointF(0, 55));
    EXPECT_EQ(view->cellForItem(IndexPath(14)), recorder.keptCell);
    EXPECT_TRUE(recorder.keptCell->isVisible());
    const QList<CollectionViewCell*> cells = view->visibleCells();
    EXPECT_EQ(QSet<CollectionViewCell*>(cells.begin(), cells.end()).size(), 16);
    for (CollectionViewCell* shown : cells)
        EXPECT_TRUE(shown->isVisible());
}

TEST_F(CollectionViewTest, ScrollingOutAndReloadingEndTheDisplayOfCells) {
    view->setContentOffset(QPointF(0, 110));
    EXPECT_EQ(recorder.takeMatching("end"), QStringList({"end 0", "end 1", "end 2", "end 3"}));

    recorder.count = 6;
    view->reloadData();
    const QStringList ended = recorder.takeMatching("end");
    EXPECT_EQ(ended.size(), 12);
    EXPECT_TRUE(ended.contains("end 4") && ended.contains("end 15"));
    EXPECT_EQ(view->liveViewCount(), 6);
}

TEST_F(CollectionViewTest, CellsMadeByTheSourceAreAcceptedAndDeletedWhenTheyLeave) {
    recorder.foreignCells = true;
    view->reloadData();
    QPointer<TestCell> foreign = cell(0);
    ASSERT_TRUE(foreign);
    EXPECT_EQ(foreign->parentWidget(), view->viewport());
    EXPECT_TRUE(foreign->isVisible());
    view->setContentOffset(QPointF(0, 220));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(foreign);
}

TEST_F(CollectionViewTest, ALayoutChangeRelaysOutAtOnce) {
    view->setCollectionViewLayout(std::make_shared<CollectionViewListLayout>());
    EXPECT_EQ(cell(1)->geometry(), QRect(0, 64, 400, 63)); // 63.5..127 rounds to 64..127
    EXPECT_EQ(view->liveViewCount(), 6);                   // 330 / 63.5 = 5.2 rows
    EXPECT_EQ(view->cellForItem(IndexPath(6)), nullptr);

    recorder.count = 20000;
    view->reloadData();
    view->setContentOffset(QPointF(0, 635000));
    ASSERT_NE(cell(10000), nullptr);
    EXPECT_EQ(cell(10000)->geometry().top(), 0);
    EXPECT_EQ(view->rectForItem(IndexPath(10000)).top(), 635000.0);
    EXPECT_EQ(view->indexPathForItemAt(QPoint(10, 1)), IndexPath(10000));

    // Back in the grid the offset is clamped to its shorter content, the last rows on screen.
    view->setCollectionViewLayout(std::make_shared<CollectionViewColumnLayout>());
    EXPECT_EQ(view->contentOffset().y(), 5000 * 110 - 330);
    EXPECT_EQ(view->liveViewCount(), 12);
    ASSERT_NE(cell(19999), nullptr);
    EXPECT_EQ(cell(19999)->geometry(), QRect(300, 220, 100, 110));
}

TEST_F(CollectionViewTest, KeyboardAndScrollBarScrollsReportTheirEnd) {
    view->setFocus();
    QTest::keyClick(view, Qt::Key_PageDown);
    EXPECT_GT(view->contentOffset().y(), 0);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_TRUE(recorder.takeMatching("end scrolling").isEmpty()) << "reported only once it settles";
    EXPECT_TRUE(TestHome::waitUntil([&] { return recorder.log.contains("end scrolling 0"); }));
    EXPECT_EQ(recorder.takeMatching("end scrolling"), QStringList({"end scrolling 0"}));

    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(view->contentOffset(), QPointF(0, 25 * 110 - 330));
    EXPECT_TRUE(TestHome::waitUntil([&] { return recorder.log.contains("end scrolling 0"); }));
    EXPECT_EQ(recorder.takeMatching("end scrolling"), QStringList({"end scrolling 0"}));

    // Dragging the scroll bar's handle ends the scroll when it is let go.
    view->setContentOffset(QPointF(0, 0));
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QScrollBar* bar = view->verticalScrollBar();
    const QPoint handle(bar->width() / 2, bar->width() + 8); // just under the top arrow
    QTest::mousePress(bar, Qt::LeftButton, {}, handle);
    QTest::mouseMove(bar, handle + QPoint(0, 60));
    EXPECT_TRUE(bar->isSliderDown());
    EXPECT_GT(view->contentOffset().y(), 0);
    EXPECT_TRUE(recorder.takeMatching("end scrolling").isEmpty());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, handle + QPoint(0, 60));
    EXPECT_EQ(recorder.takeMatching("end scrolling"), QStringList({"end scrolling 0"}));
}

TEST_F(CollectionViewTest, AScrollBarThatAppearsNarrowsTheColumns) {
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QCoreApplication::processEvents();
    const int width = view->viewport()->width();
    ASSERT_LT(width, 400);
    EXPECT_EQ(cell(3)->geometry().right(), width - 1);
    EXPECT_EQ(view->contentSize().width(), width);
}

TEST_F(CollectionViewTest, ScrollToTopMovesAtOnceOrAnimatedAndThenCompletes) {
    view->setContentOffset(QPointF(0, 500));
    int completions = 0;
    view->scrollToTop(false, [&] { ++completions; });
    EXPECT_EQ(view->contentOffset(), QPointF(0, 0));
    EXPECT_EQ(completions, 1);

    view->setContentOffset(QPointF(0, 500));
    view->scrollToTop(true, [&] { ++completions; });
    EXPECT_TRUE(TestHome::waitUntil([&] { return completions == 2; }));
    EXPECT_EQ(view->contentOffset(), QPointF(0, 0));
    EXPECT_NE(cell(0), nullptr);
}

TEST_F(CollectionViewTest, ContentInsetsShiftTheItemsAndTheOffset) {
    view->setContentInsets(QMargins(0, 10, 0, 20));
    EXPECT_EQ(view->contentOffset(), QPointF(0, -10));
    EXPECT_EQ(cell(0)->geometry(), QRect(0, 10, 100, 110));
    EXPECT_EQ(view->contentSize(), QSizeF(400, 25 * 110));
    view->setContentOffset(QPointF(0, 1e9));
    // At the bottom the visible part ends with the bottom inset under the last row.
    EXPECT_EQ(view->contentOffset().y() + view->bounds().height() - view->contentInsets().bottom(),
              view->contentSize().height());
}

TEST_F(CollectionViewTest, RebindingTheSourceRefillsTheView) {
    Recorder other;
    other.count = 2;
    view->setDataSource(&other);
    EXPECT_EQ(view->dataSource(), &other);
    EXPECT_EQ(view->numberOfItems(), 2);
    EXPECT_EQ(view->liveViewCount(), 2);
    EXPECT_EQ(recorder.takeMatching("end").size(), 12) << "the old cells ended their display";
    view->setDataSource(nullptr);
    EXPECT_EQ(view->liveViewCount(), 0);
    view->setDelegate(nullptr);
    click(QPoint(10, 10), Qt::RightButton); // nobody to tell: nothing happens
}

TEST_F(CollectionViewTest, TheBackgroundIsTransparent) {
    window->setAutoFillBackground(true);
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, Qt::red);
    window->setPalette(palette);
    recorder.count = 5;
    view->reloadData();
    view->selectItem(IndexPath(0), false, 0);
    const QImage picture = window->grab().toImage();
    EXPECT_EQ(picture.pixelColor(350, 300), QColor(Qt::red)); // empty space
    EXPECT_EQ(picture.pixelColor(150, 300), QColor(Qt::red));
    EXPECT_EQ(picture.pixelColor(50, 2), QColor(Qt::blue)); // the selected cell's own colour
}

TEST(ZFCollectionView, EveryPlainWheelStepEndsAScrollButGesturesDoNot) {
    QWidget window;
    window.resize(400, 330);
    auto* view = new ZFCollectionView(&window);
    view->resize(400, 330);
    view->registerCell("VideoItemCell", [] { return new TestCell; });
    Recorder recorder;
    recorder.count = 100;
    view->setDataSource(&recorder);
    view->setDelegate(&recorder);
    window.show();

    // A wheel step over a cell's label reaches the grid too.
    sendWheel(static_cast<TestCell*>(view->visibleCells().constFirst())->title, Qt::NoScrollPhase);
    EXPECT_GT(view->contentOffset().y(), 0);
    EXPECT_EQ(recorder.takeMatching("end scrolling").size(), 1);

    for (int step = 0; step < 3; ++step)
        sendWheel(view->viewport(), Qt::NoScrollPhase);
    EXPECT_EQ(recorder.takeMatching("end scrolling"), QStringList(3, "end scrolling 1"));

    // Over the scroll bar as well.
    const qreal before = view->contentOffset().y();
    sendWheel(view->verticalScrollBar(), Qt::NoScrollPhase);
    EXPECT_GT(view->contentOffset().y(), before);
    EXPECT_EQ(recorder.takeMatching("end scrolling"), QStringList({"end scrolling 1"}));

    // At the bottom a step still counts once, whichever part it is over.
    view->setContentOffset(QPointF(0, 1e9));
    sendWheel(view->viewport(), Qt::NoScrollPhase);
    sendWheel(view->verticalScrollBar(), Qt::NoScrollPhase);
    EXPECT_EQ(recorder.takeMatching("end scrolling").size(), 2);

    sendWheel(view->viewport(), Qt::ScrollBegin);
    sendWheel(view->viewport(), Qt::ScrollUpdate);
    sendWheel(view->viewport(), Qt::ScrollMomentum);
    sendWheel(view->viewport(), Qt::ScrollEnd);
    EXPECT_TRUE(recorder.takeMatching("end scrolling").isEmpty());
}
