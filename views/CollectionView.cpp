#include "CollectionView.h"

#include <QKeyEvent>
#include <QLoggingCategory>
#include <QMap>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QVariantAnimation>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

Q_LOGGING_CATEGORY(lcCollectionView, "zerafin.collectionview")

const QString CollectionView::elementKindSectionFooter = QStringLiteral("CollectionElementKindSectionFooter");

namespace {

// How long keyboard and scroll-bar steps must pause before the scroll counts as ended.
constexpr int settleMilliseconds = 150;

// Marks the views made by a registered factory; anything else placed on the viewport is deleted
// when it leaves the screen instead of being recycled.
constexpr char pooledProperty[] = "zerafinPooledView";

QString supplementaryKey(const QString& kind, const QString& identifier) {
    return kind + QLatin1Char('\n') + identifier;
}

} // namespace

struct CollectionView::Private {
    QHash<QString, std::function<CollectionViewCell*()>> cellFactories;
    QHash<QString, std::function<CollectionReusableView*()>> supplementaryFactories;
    // Recycled views, hidden on the viewport, per reuse identifier (supplementary: kind + identifier).
    QHash<QString, QList<QPointer<CollectionViewCell>>> cellPool;
    QHash<QString, QList<QPointer<CollectionReusableView>>> supplementaryPool;
    // Views handed out by a dequeue call and not yet placed.
    QList<QPointer<CollectionReusableView>> handedOut;

    QMap<int, QPointer<CollectionViewCell>> visible;
    QPointer<CollectionReusableView> footer;
    QString footerKey;

    std::optional<int> selected;

    bool forwardingWheel = false;
    bool layingOut = false;
    bool layoutAgain = false;
    QTimer settleTimer;
    QPointer<QVariantAnimation> scrollAnimation;
};

CollectionView::CollectionView(QWidget* parent)
    : QAbstractScrollArea(parent), d(std::make_unique<Private>()),
      m_layout(std::make_shared<CollectionViewColumnLayout>()) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    // Whatever the container draws behind the grid (its empty or error picture) shows through.
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);

    d->settleTimer.setSingleShot(true);
    d->settleTimer.setInterval(settleMilliseconds);
    connect(&d->settleTimer, &QTimer::timeout, this, [this] {
        if (m_delegate)
            m_delegate->collectionViewDidEndScrolling(this, false);
    });
    QScrollBar* bar = verticalScrollBar();
    bar->installEventFilter(this);
    connect(bar, &QScrollBar::sliderReleased, this, [this] {
        d->settleTimer.stop();
        if (m_delegate)
            m_delegate->collectionViewDidEndScrolling(this, false);
    });
    // Arrow keys, page keys and clicks on the bar's arrows or trough come as step actions; wheel
    // steps and drags come as slider moves and are reported elsewhere.
    connect(bar, &QScrollBar::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
            d->settleTimer.start();
    });
}

CollectionView::~CollectionView() {
    // The cells are children of the viewport and go with it; nothing is reported to a delegate
    // that may already be gone.
    if (d->scrollAnimation)
        d->scrollAnimation->stop();
}

// ---- configuration

void CollectionView::setCollectionViewLayout(std::shared_ptr<CollectionViewLayout> layout) {
    if (!layout) {
        qCWarning(lcCollectionView) << "A collection view needs a layout; the current one stays";
        return;
    }
    m_layout = std::move(layout);
    updateScrollRange();
    layoutViews(true);
}

void CollectionView::setDataSource(CollectionViewDataSource* dataSource) {
    if (dataSource == m_dataSource)
        return;
    m_dataSource = dataSource;
    // The cells on screen came from the previous source; the new one fills the view afresh.
    reloadData();
}

void CollectionView::setDelegate(CollectionViewDelegate* delegate) {
    m_delegate = delegate;
}

// ---- registration and reuse

void CollectionView::registerCell(const QString& reuseIdentifier,
                                  std::function<CollectionViewCell*()> factory) {
    d->cellFactories.insert(reuseIdentifier, std::move(factory));
}

void CollectionView::registerSupplementaryView(const QString& kind, const QString& reuseIdentifier,
                                               std::function<CollectionReusableView*()> factory) {
    d->supplementaryFactories.insert(supplementaryKey(kind, reuseIdentifier), std::move(factory));
}

CollectionViewCell* CollectionView::dequeueReusableCell(const QString& reuseIdentifier,
                                                        const IndexPath& indexPath) {
    if (const auto it = d->visible.constFind(indexPath.item); it != d->visible.constEnd() && *it) {
        if ((*it)->reuseIdentifier() == reuseIdentifier)
            return *it;
    }
    auto& pool = d->cellPool[reuseIdentifier];
    while (!pool.isEmpty()) {
        QPointer<CollectionViewCell> cell = pool.takeLast();
        if (cell) {
            d->handedOut.append(cell.data());
            return cell;
        }
    }
    const auto factory = d->cellFactories.constFind(reuseIdentifier);
    if (factory == d->cellFactories.constEnd() || !*factory) {
        qCWarning(lcCollectionView) << "No cell registered for the reuse identifier" << reuseIdentifier;
        return nullptr;
    }
    CollectionViewCell* cell = (*factory)();
    if (!cell) {
        qCWarning(lcCollectionView) << "The cell factory for" << reuseIdentifier << "made no cell";
        return nullptr;
    }
    cell->setReuseIdentifier(reuseIdentifier);
    adopt(cell);
    cell->setProperty(pooledProperty, true);
    d->handedOut.append(cell);
    return cell;
}

CollectionReusableView* CollectionView::dequeueReusableSupplementaryView(const QString& kind,
                                                                         const QString& reuseIdentifier,
                                                                         const IndexPath&) {
    const QString key = supplementaryKey(kind, reuseIdentifier);
    if (d->footer && d->footerKey == key && kind == elementKindSectionFooter)
        return d->footer;
    auto& pool = d->supplementaryPool[key];
    while (!pool.isEmpty()) {
        QPointer<CollectionReusableView> view = pool.takeLast();
        if (view) {
            d->handedOut.append(view);
            return view;
        }
    }
    const auto factory = d->supplementaryFactories.constFind(key);
    if (factory == d->supplementaryFactories.constEnd() || !*factory) {
        qCWarning(lcCollectionView) << "No supplementary view registered for" << kind << reuseIdentifier;
        return nullptr;
    }
    CollectionReusableView* view = (*factory)();
    if (!view) {
        qCWarning(lcCollectionView) << "The supplementary view factory for" << reuseIdentifier
                                    << "made no view";
        return nullptr;
    }
    view->setReuseIdentifier(reuseIdentifier);
    view->setProperty("zerafinElementKind", kind);
    adopt(view);
    view->setProperty(pooledProperty, true);
    d->handedOut.append(view);
    return view;
}

CollectionViewCell* CollectionView::cellForItem(const IndexPath& indexPath) const {
    if (indexPath.section != 0)
        return nullptr;
    const auto it = d->visible.constFind(indexPath.item);
    return it == d->visible.constEnd() ? nullptr : it->data();
}

QList<CollectionViewCell*> CollectionView::visibleCells() const {
    QList<CollectionViewCell*> cells;
    for (const auto& cell : std::as_const(d->visible))
        if (cell)
            cells.append(cell);
    return cells;
}

int CollectionView::liveViewCount() const {
    int count = 0;
    for (const auto& cell : std::as_const(d->visible))
        if (cell)
            ++count;
    return count + (d->footer ? 1 : 0);
}

void CollectionView::adopt(CollectionReusableView* view) {
    if (view->parentWidget() != viewport()) {
        view->hide();
        view->setParent(viewport());
    }
}

void CollectionView::recycle(CollectionReusableView* view, const QString& poolKey, bool isCell) {
    d->handedOut.removeAll(view);
    if (!view->property(pooledProperty).toBool()) {
        // Made by the data source itself: it is not ours to hand out again.
        view->hide();
        view->deleteLater();
        return;
    }
    // Hidden only at the end of the layout pass: a view handed out again in the same pass (the
    // usual case while scrolling) is spared hiding and showing its whole widget tree.
    view->prepareForReuse();
    if (isCell)
        d->cellPool[poolKey].append(static_cast<CollectionViewCell*>(view));
    else
        d->supplementaryPool[poolKey].append(view);
}

void CollectionView::endDisplaying(int item) {
    QPointer<CollectionViewCell> cell = d->visible.take(item);
    if (!cell)
        return;
    if (m_delegate)
        m_delegate->didEndDisplayingCell(this, cell, IndexPath(item));
    if (cell)
        recycle(cell, cell->reuseIdentifier(), true);
}

void CollectionView::removeFooter() {
    QPointer<CollectionReusableView> footer = d->footer;
    d->footer = nullptr;
    if (footer)
        recycle(footer, d->footerKey, false);
}

// ---- data

void CollectionView::reloadData() {
    int count = 0;
    if (m_dataSource && m_dataSource->numberOfSections(this) > 0)
        count = std::max(0, m_dataSource->numberOfItemsInSection(this, 0));

    // Everything on screen goes; the cells are asked for again below.
    const QList<int> items = d->visible.keys();
    for (const int item : items)
        endDisplaying(item);
    removeFooter();

    m_itemCount = count;
    if (d->selected) {
        if (m_itemCount == 0)
            d->selected.reset();
        else
            d->selected = std::min(*d->selected, m_itemCount - 1);
    }
    updateScrollRange();
    layoutViews(false);
}

// ---- selection

void CollectionView::selectItem(const IndexPath& indexPath, bool, int scrollPosition) {
    if (indexPath.section != 0 || indexPath.item < 0 || indexPath.item >= m_itemCount) {
        qCWarning(lcCollectionView) << "No item to select at" << indexPath.item << "of" << m_itemCount;
        return;
    }
    if (scrollPosition != 0)
        scrollItemIntoView(indexPath.item);
    applySelection(indexPath.item, m_notifyDelegate);
}

void CollectionView::deselectAll() {
    if (!d->selected)
        return;
    const int old = *d->selected;
    d->selected.reset();
    if (CollectionViewCell* cell = cellForItem(IndexPath(old)))
        cell->setSelected(false, false);
    if (m_notifyDelegate && m_delegate)
        m_delegate->didDeselectItemsAt(this, {IndexPath(old)});
}

QSet<IndexPath> CollectionView::indexPathsForSelectedItems() const {
    if (!d->selected)
        return {};
    return {IndexPath(*d->selected)};
}

void CollectionView::applySelection(int item, bool notify) {
    const std::optional<int> old = d->selected;
    if (old == item && !m_repeatSelections)
        return;
    d->selected = item;
    if (old && *old != item) {
        if (CollectionViewCell* cell = cellForItem(IndexPath(*old)))
            cell->setSelected(false, true);
    }
    if (CollectionViewCell* cell = cellForItem(IndexPath(item)))
        cell->setSelected(true, true);
    if (!notify)
        return;
    if (old && *old != item && m_delegate)
        m_delegate->didDeselectItemsAt(this, {IndexPath(*old)});
    // The delegate may have been changed by the call above.
    if (m_delegate && d->selected == item)
        m_delegate->didSelectItemsAt(this, {IndexPath(item)});
}

// ---- geometry

qreal CollectionView::layoutWidth() const {
    return std::max(0, viewport()->width() - m_contentInsets.left() - m_contentInsets.right());
}

QRectF CollectionView::rectForItem(const IndexPath& indexPath) const {
    if (indexPath.section != 0 || indexPath.item < 0 || indexPath.item >= m_itemCount)
        return {};
    return m_layout->itemRect(indexPath.item, layoutWidth());
}

QRect CollectionView::viewportRect(const QRectF& contentRect) const {
    // Edges are rounded one by one so that neighbouring items share their border pixel.
    const int offset = verticalScrollBar()->value();
    const qreal dx = m_contentInsets.left();
    const qreal dy = m_contentInsets.top();
    const int left = qRound(contentRect.left() + dx);
    const int right = qRound(contentRect.right() + dx);
    const int top = qRound(contentRect.top() + dy) - offset;
    const int bottom = qRound(contentRect.bottom() + dy) - offset;
    return QRect(left, top, right - left, bottom - top);
}

std::optional<IndexPath> CollectionView::indexPathForItemAt(const QPoint& viewportPoint) const {
    const qreal width = layoutWidth();
    const QPointF point(viewportPoint.x() - m_contentInsets.left(),
                        viewportPoint.y() + verticalScrollBar()->value() - m_contentInsets.top());
    if (point.x() < 0 || point.x() >= width || point.y() < 0)
        return std::nullopt;
    const auto [first, last] = m_layout->itemsInRect(QRectF(point, QSizeF(1, 1)), m_itemCount, width);
    for (int item = first; item < last; ++item) {
        const QRectF rect = m_layout->itemRect(item, width);
        if (point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top() &&
            point.y() < rect.bottom())
            return IndexPath(item);
    }
    return std::nullopt;
}

QPointF CollectionView::contentOffset() const {
    return QPointF(-m_contentInsets.left(), verticalScrollBar()->value() - m_contentInsets.top());
}

void CollectionView::setContentOffset(const QPointF& offset) {
    if (d->scrollAnimation)
        d->scrollAnimation->stop();
    verticalScrollBar()->setValue(qRound(offset.y() + m_contentInsets.top()));
}

QSizeF CollectionView::contentSize() const {
    const qreal width = layoutWidth();
    return QSizeF(width, m_layout->contentHeight(m_itemCount, width));
}

void CollectionView::setContentInsets(const QMargins& insets) {
    m_contentInsets = insets;
    updateScrollRange();
    layoutViews(true);
}

QRect CollectionView::bounds() const {
    return QRect(contentOffset().toPoint(), viewport()->size());
}

void CollectionView::scrollToTop(bool animated, std::function<void()> completion) {
    if (d->scrollAnimation)
        d->scrollAnimation->stop();
    QScrollBar* bar = verticalScrollBar();
    if (!animated || bar->value() == bar->minimum()) {
        bar->setValue(bar->minimum());
        if (completion)
            completion();
        return;
    }
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(bar->value());
    animation->setEndValue(bar->minimum());
    animation->setDuration(200);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(animation, &QVariantAnimation::valueChanged, bar,
            [bar](const QVariant& value) { bar->setValue(value.toInt()); });
    connect(animation, &QVariantAnimation::finished, this, [completion = std::move(completion)] {
        if (completion)
            completion();
    });
    d->scrollAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void CollectionView::scrollItemIntoView(int item) {
    const QRect rect = viewportRect(m_layout->itemRect(item, layoutWidth()));
    QScrollBar* bar = verticalScrollBar();
    if (rect.top() < 0)
        bar->setValue(bar->value() + rect.top());
    else if (rect.bottom() >= viewport()->height())
        bar->setValue(bar->value() + rect.bottom() + 1 - viewport()->height());
}

void CollectionView::updateScrollRange() {
    const qreal height = m_layout->contentHeight(m_itemCount, layoutWidth());
    const int total = static_cast<int>(std::ceil(height)) + m_contentInsets.top() + m_contentInsets.bottom();
    QScrollBar* bar = verticalScrollBar();
    const int page = viewport()->height();
    bar->setPageStep(std::max(1, page));
    bar->setSingleStep(std::max(1, qRound(page / 10.0)));
    bar->setRange(0, std::max(0, total - page));
}

// ---- placing the views

void CollectionView::layoutViews(bool geometryChanged) {
    if (d->layingOut) {
        d->layoutAgain = true;
        return;
    }
    d->layingOut = true;
    do {
        d->layoutAgain = false;
        layoutPass(geometryChanged);
        geometryChanged = true;
    } while (d->layoutAgain);
    d->layingOut = false;

    // Views handed out but never placed (a source that dequeued and then returned another view)
    // go back to their pool rather than stay hidden for ever.
    const auto handedOut = std::exchange(d->handedOut, {});
    for (const auto& view : handedOut) {
        if (!view)
            continue;
        const bool placed = view == d->footer || std::any_of(d->visible.cbegin(), d->visible.cend(),
                                                             [&](const auto& cell) { return cell == view; });
        if (placed)
            continue;
        if (auto* cell = qobject_cast<CollectionViewCell*>(view.data()))
            recycle(cell, cell->reuseIdentifier(), true);
        else
            recycle(
                view,
                supplementaryKey(view->property("zerafinElementKind").toString(), view->reuseIdentifier()),
                false);
    }
    for (const auto& pool : std::as_const(d->cellPool))
        for (const auto& cell : pool)
            if (cell && cell->isVisible())
                cell->hide();
    for (const auto& pool : std::as_const(d->supplementaryPool))
        for (const auto& view : pool)
            if (view && view->isVisible())
                view->hide();
}

void CollectionView::layoutPass(bool geometryChanged) {
    const qreal width = layoutWidth();
    const int offset = verticalScrollBar()->value();
    const QRectF visibleRect(0.0, offset - m_contentInsets.top(), width, viewport()->height());
    auto [first, last] = m_layout->itemsInRect(visibleRect, m_itemCount, width);
    if (!m_dataSource || viewport()->height() <= 0)
        first = last = 0;

    // Cells that left the screen end their display and go back to their pool.
    const QList<int> shown = d->visible.keys();
    for (const int item : shown) {
        if (item < first || item >= last || !d->visible.value(item))
            endDisplaying(item);
    }
    if (geometryChanged) {
        for (auto it = d->visible.cbegin(); it != d->visible.cend(); ++it)
            if (*it)
                (*it)->setGeometry(viewportRect(m_layout->itemRect(it.key(), width)));
    }

    for (int item = first; item < last; ++item) {
        if (d->visible.contains(item))
            continue;
        CollectionViewCell* cell = m_dataSource->cellForItemAt(this, IndexPath(item));
        if (!m_dataSource || d->layoutAgain)
            return; // the source changed the view while answering; start over
        if (!cell) {
            qCWarning(lcCollectionView) << "The data source gave no cell for item" << item;
            continue;
        }
        // A cell placed twice moves to its new item.
        for (auto it = d->visible.begin(); it != d->visible.end(); ++it) {
            if (*it == cell) {
                d->visible.erase(it);
                break;
            }
        }
        adopt(cell);
        d->handedOut.removeAll(cell);
        // A source that kept a recycled cell and returns it: it leaves the pool, or it would be
        // hidden at the end of the pass and handed out twice.
        d->cellPool[cell->reuseIdentifier()].removeAll(cell);
        d->visible.insert(item, cell);
        cell->setGeometry(viewportRect(m_layout->itemRect(item, width)));
        cell->setSelected(d->selected == item, false);
        cell->show();
    }

    layoutFooter(visibleRect, width);
}

void CollectionView::layoutFooter(const QRectF& visibleRect, qreal width) {
    const QRectF rect = m_layout->footerRect(m_itemCount, width);
    const bool wanted = m_dataSource && !rect.isEmpty() && rect.intersects(visibleRect);
    if (!wanted) {
        removeFooter();
        return;
    }
    if (!d->footer) {
        CollectionReusableView* footer = m_dataSource->viewForSupplementaryElementOfKind(
            this, elementKindSectionFooter, IndexPath::zero());
        if (!footer)
            return;
        adopt(footer);
        d->handedOut.removeAll(footer);
        for (auto& pool : d->supplementaryPool)
            pool.removeAll(footer);
        d->footer = footer;
        d->footerKey = supplementaryKey(elementKindSectionFooter, footer->reuseIdentifier());
    }
    d->footer->setGeometry(viewportRect(rect));
    d->footer->show();
}

// ---- events

void CollectionView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
    layoutViews(true);
}

void CollectionView::scrollContentsBy(int dx, int dy) {
    // Moving the placed views together is cheaper than placing each again; their positions stay
    // exact because offsets are whole pixels. A hidden viewport does not move its children, so
    // there every view is placed again.
    if (!viewport()->isVisible()) {
        layoutViews(true);
        return;
    }
    viewport()->scroll(dx, dy);
    layoutViews(false);
}

void CollectionView::wheelEvent(QWheelEvent* event) {
    // The base handling passes the event on to the scroll bar: that one goes through unfiltered.
    const bool wasForwarding = std::exchange(d->forwardingWheel, true);
    QAbstractScrollArea::wheelEvent(event);
    d->forwardingWheel = wasForwarding;
}

void CollectionView::keyPressEvent(QKeyEvent* event) {
    QScrollBar* bar = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_Home:
        bar->triggerAction(QAbstractSlider::SliderToMinimum);
        event->accept();
        return;
    case Qt::Key_End:
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        event->accept();
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void CollectionView::mousePressEvent(QMouseEvent* event) {
    const std::optional<IndexPath> indexPath = indexPathForItemAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        if (indexPath) {
            // A selection by the user is always reported.
            applySelection(indexPath->item, true);
        } else if (m_allowsEmptySelection && d->selected) {
            const int old = *d->selected;
            d->selected.reset();
            if (CollectionViewCell* cell = cellForItem(IndexPath(old)))
                cell->setSelected(false, true);
            if (m_delegate)
                m_delegate->didDeselectItemsAt(this, {IndexPath(old)});
        }
        event->accept();
    } else if (event->button() == Qt::RightButton) {
        if (m_delegate)
            m_delegate->didRightClickItemAt(this, indexPath, event);
        event->accept();
    } else {
        QAbstractScrollArea::mousePressEvent(event);
    }
}

void CollectionView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (m_delegate)
            m_delegate->rightMouseUp(this, event);
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CollectionView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (m_delegate)
            m_delegate->didDoubleClickItemAt(this, indexPathForItemAt(event->position().toPoint()), event);
        event->accept();
        return;
    }
    // The second press of any other button counts as a press of its own.
    mousePressEvent(event);
}

bool CollectionView::viewportEvent(QEvent* event) {
    return QAbstractScrollArea::viewportEvent(event);
}

bool CollectionView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == verticalScrollBar() && event->type() == QEvent::Wheel && !d->forwardingWheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}
