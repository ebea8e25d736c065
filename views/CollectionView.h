#pragma once

#include "CollectionReusableView.h"
#include "CollectionViewCell.h"
#include "CollectionViewLayout.h"
#include "IndexPath.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QList>
#include <QMargins>
#include <QPointer>
#include <QSet>
#include <functional>
#include <memory>
#include <optional>

class CollectionView;
class QMouseEvent;

// What a collection view asks of its data source. Every call has a default, so a source answers
// only what it needs. The collection view does not own its data source.
class CollectionViewDataSource {
public:
    virtual ~CollectionViewDataSource() = default;
    virtual int numberOfSections(CollectionView*) { return 1; }
    virtual int numberOfItemsInSection(CollectionView*, int /*section*/) { return 0; }
    // The cell for an item: normally one from dequeueReusableCell, though a cell made elsewhere is
    // accepted too (it is placed, and deleted once it leaves the screen).
    virtual CollectionViewCell* cellForItemAt(CollectionView*, const IndexPath&) { return nullptr; }
    // The supplementary view of `kind` (only CollectionView::elementKindSectionFooter is used).
    virtual CollectionReusableView*
    viewForSupplementaryElementOfKind(CollectionView*, const QString& /*kind*/, const IndexPath&) {
        return nullptr;
    }
};

// What a collection view tells its delegate. Every call has a no-op default. The collection view
// does not own its delegate; delegate() is readable, so a model can tell whether it is the one bound.
class CollectionViewDelegate {
public:
    virtual ~CollectionViewDelegate() = default;
    // A cell left the screen: scrolled out, recycled, or gone in a reload.
    virtual void didEndDisplayingCell(CollectionView*, CollectionViewCell*, const IndexPath&) {}
    virtual void didSelectItemsAt(CollectionView*, const QSet<IndexPath>&) {}
    virtual void didDeselectItemsAt(CollectionView*, const QSet<IndexPath>&) {}
    // Right press and double click: the item under the pointer, or none on empty space.
    virtual void didRightClickItemAt(CollectionView*, std::optional<IndexPath>, QMouseEvent*) {}
    virtual void didDoubleClickItemAt(CollectionView*, std::optional<IndexPath>, QMouseEvent*) {}
    // The right button was released over the view.
    virtual void rightMouseUp(CollectionView*, QMouseEvent*) {}
    // A scroll came to an end (a plain wheel step, a released scroll bar, a settled keyboard scroll).
    virtual void collectionViewDidEndScrolling(CollectionView*, bool /*animated*/) {}
};

// A scrolling grid or list of items in one section, drawn with real widgets on the viewport. Only
// the cells of the visible rows (plus one row of slack) exist; the rest wait in a recycle pool per
// reuse identifier. The background is transparent, so the container behind it shows through.
// Cells belong to the collection view: keep them in a QPointer when holding one across events.
class CollectionView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static const QString elementKindSectionFooter; // "CollectionElementKindSectionFooter"

    explicit CollectionView(QWidget* parent = nullptr);
    ~CollectionView() override;

    // Layout, switchable at run time (the view relays out at once).
    void setCollectionViewLayout(std::shared_ptr<CollectionViewLayout> layout);
    CollectionViewLayout* collectionViewLayout() const { return m_layout.get(); }

    void setDataSource(CollectionViewDataSource* dataSource);
    CollectionViewDataSource* dataSource() const { return m_dataSource; }
    void setDelegate(CollectionViewDelegate* delegate);
    CollectionViewDelegate* delegate() const { return m_delegate; }

    // Selection: single item. Without empty selection a click on empty space keeps the selection;
    // with repeated selections a click on the selected item reports it again; with notifyDelegate
    // a programmatic selectItem is reported like a click.
    bool allowsEmptySelection() const { return m_allowsEmptySelection; }
    void setAllowsEmptySelection(bool allows) { m_allowsEmptySelection = allows; }
    bool repeatSelections() const { return m_repeatSelections; }
    void setRepeatSelections(bool repeat) { m_repeatSelections = repeat; }
    bool notifyDelegate() const { return m_notifyDelegate; }
    void setNotifyDelegate(bool notify) { m_notifyDelegate = notify; }

    // Registration and reuse.
    void registerCell(const QString& reuseIdentifier, std::function<CollectionViewCell*()> factory);
    void registerSupplementaryView(const QString& kind, const QString& reuseIdentifier,
                                   std::function<CollectionReusableView*()> factory);
    // The visible cell already at `indexPath`, else a recycled one, else a new one (nullptr for an
    // identifier never registered).
    CollectionViewCell* dequeueReusableCell(const QString& reuseIdentifier, const IndexPath& indexPath);
    CollectionReusableView* dequeueReusableSupplementaryView(const QString& kind,
                                                             const QString& reuseIdentifier,
                                                             const IndexPath& indexPath);
    // The visible cell at `indexPath`, or nullptr when it is not on screen.
    CollectionViewCell* cellForItem(const IndexPath& indexPath) const;
    QList<CollectionViewCell*> visibleCells() const;
    // Everything placed on the viewport now: visible cells and the footer.
    int liveViewCount() const;

    void reloadData();
    int numberOfItems() const { return m_itemCount; }

    // scrollPosition 0 selects without scrolling; any other value scrolls the item into view.
    void selectItem(const IndexPath& indexPath, bool animated, int scrollPosition);
    void deselectAll();
    QSet<IndexPath> indexPathsForSelectedItems() const;

    // Geometry, in content coordinates.
    QRectF rectForItem(const IndexPath& indexPath) const;
    std::optional<IndexPath> indexPathForItemAt(const QPoint& viewportPoint) const;
    void scrollToTop(bool animated, std::function<void()> completion = {});
    QPointF contentOffset() const;
    void setContentOffset(const QPointF& offset);
    QSizeF contentSize() const;
    QMargins contentInsets() const { return m_contentInsets; }
    void setContentInsets(const QMargins& insets);
    // The visible part of the content: the viewport's rectangle at the current offset.
    QRect bounds() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    // Wheel steps over the scroll bar take the same way as those over the items.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Private;

    void adopt(CollectionReusableView* view);
    void recycle(CollectionReusableView* view, const QString& poolKey, bool isCell);
    void endDisplaying(int item);
    void removeFooter();
    void applySelection(int item, bool notify);
    qreal layoutWidth() const;
    QRect viewportRect(const QRectF& contentRect) const;
    void scrollItemIntoView(int item);
    void updateScrollRange();
    void layoutViews(bool geometryChanged);
    void layoutPass(bool geometryChanged);
    void layoutFooter(const QRectF& visibleRect, qreal width);

    std::unique_ptr<Private> d;

    std::shared_ptr<CollectionViewLayout> m_layout;
    CollectionViewDataSource* m_dataSource = nullptr;
    CollectionViewDelegate* m_delegate = nullptr;
    bool m_allowsEmptySelection = true;
    bool m_repeatSelections = false;
    bool m_notifyDelegate = false;
    int m_itemCount = 0;
    QMargins m_contentInsets;
};
