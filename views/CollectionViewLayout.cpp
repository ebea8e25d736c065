#include "CollectionViewLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Rows [first, last) of `rowHeight` high rows that meet the vertical span of `rect`. Each row's
// position is its index times the height, so the answer matches itemRect exactly.
std::pair<int, int> rowsInRect(const QRectF& rect, qreal rowHeight, int rowCount) {
    if (rowHeight <= 0.0 || rowCount <= 0 || rect.height() <= 0.0 || rect.bottom() <= 0.0)
        return {0, 0};
    const qreal top = std::max<qreal>(rect.top(), 0.0);
    const int first = static_cast<int>(std::floor(top / rowHeight));
    const int last = static_cast<int>(std::ceil(rect.bottom() / rowHeight));
    return {std::clamp(first, 0, rowCount), std::clamp(last, 0, rowCount)};
}

} // namespace

QRectF CollectionViewLayout::footerRect(int itemCount, qreal width) const {
    if (m_footerHeight <= 0.0)
        return {};
    const qreal top = contentHeight(itemCount, width) - m_footerHeight;
    return QRectF(0.0, top, width, m_footerHeight);
}

QRectF CollectionViewColumnLayout::itemRect(int item, qreal width) const {
    const qreal columnWidth = width / m_columnCount;
    const int row = item / m_columnCount;
    const int column = item % m_columnCount;
    return QRectF(column * columnWidth, row * m_itemHeight, columnWidth, m_itemHeight);
}

qreal CollectionViewColumnLayout::contentHeight(int itemCount, qreal) const {
    const int rows = itemCount <= 0 ? 0 : (itemCount + m_columnCount - 1) / m_columnCount;
    return rows * m_itemHeight + std::max<qreal>(footerHeight(), 0.0);
}

std::pair<int, int> CollectionViewColumnLayout::itemsInRect(const QRectF& rect, int itemCount,
                                                            qreal width) const {
    if (itemCount <= 0 || width <= 0.0 || rect.right() <= 0.0 || rect.left() >= width)
        return {0, 0};
    const int rowCount = (itemCount + m_columnCount - 1) / m_columnCount;
    const auto [firstRow, lastRow] = rowsInRect(rect, m_itemHeight, rowCount);
    if (firstRow >= lastRow)
        return {0, 0};
    return {firstRow * m_columnCount, std::min(itemCount, lastRow * m_columnCount)};
}

QRectF CollectionViewListLayout::itemRect(int item, qreal width) const {
    return QRectF(0.0, item * m_itemHeight, width, m_itemHeight);
}

qreal CollectionViewListLayout::contentHeight(int itemCount, qreal) const {
    return std::max(itemCount, 0) * m_itemHeight + std::max<qreal>(footerHeight(), 0.0);
}

std::pair<int, int> CollectionViewListLayout::itemsInRect(const QRectF& rect, int itemCount,
                                                          qreal width) const {
    if (itemCount <= 0 || width <= 0.0 || rect.right() <= 0.0 || rect.left() >= width)
        return {0, 0};
    const auto [first, last] = rowsInRect(rect, m_itemHeight, itemCount);
    return first < last ? std::pair{first, last} : std::pair{0, 0};
}
