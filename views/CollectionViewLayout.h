#pragma once

#include <QRectF>
#include <utility>

// Where a collection view puts its items and its section footer, for a given viewport width. Item
// positions are computed from the index each time (never accumulated), so row 10,000 of a 63.5 high
// list sits exactly at 635,000.
class CollectionViewLayout {
public:
    virtual ~CollectionViewLayout() = default;

    // The rectangle of item `item` in content coordinates.
    virtual QRectF itemRect(int item, qreal width) const = 0;
    // The footer under the last item; empty when the layout has no footer height.
    virtual QRectF footerRect(int itemCount, qreal width) const;
    // Height of everything: the items and the footer.
    virtual qreal contentHeight(int itemCount, qreal width) const = 0;
    // The half-open range [first, last) of items that intersect `rect` (content coordinates).
    virtual std::pair<int, int> itemsInRect(const QRectF& rect, int itemCount, qreal width) const = 0;

    qreal footerHeight() const { return m_footerHeight; }
    void setFooterHeight(qreal height) { m_footerHeight = height; }

private:
    qreal m_footerHeight = 0.0;
};

// A grid of `columnCount` equal columns spanning the width, rows `itemHeight` high.
class CollectionViewColumnLayout : public CollectionViewLayout {
public:
    int columnCount() const { return m_columnCount; }
    void setColumnCount(int count) { m_columnCount = count < 1 ? 1 : count; }
    qreal itemHeight() const { return m_itemHeight; }
    void setItemHeight(qreal height) { m_itemHeight = height; }

    QRectF itemRect(int item, qreal width) const override;
    qreal contentHeight(int itemCount, qreal width) const override;
    std::pair<int, int> itemsInRect(const QRectF& rect, int itemCount, qreal width) const override;

private:
    int m_columnCount = 4;
    qreal m_itemHeight = 110.0;
};

// One full-width item per row, `itemHeight` high.
class CollectionViewListLayout : public CollectionViewLayout {
public:
    qreal itemHeight() const { return m_itemHeight; }
    void setItemHeight(qreal height) { m_itemHeight = height; }

    QRectF itemRect(int item, qreal width) const override;
    qreal contentHeight(int itemCount, qreal width) const override;
    std::pair<int, int> itemsInRect(const QRectF& rect, int itemCount, qreal width) const override;

private:
    qreal m_itemHeight = 63.5;
};
