#include "CollectionViewLayout.h"

#include <gtest/gtest.h>

TEST(CollectionViewLayout, ColumnGridPlacesItemsRowByRow) {
    CollectionViewColumnLayout layout;
    EXPECT_EQ(layout.columnCount(), 4);
    EXPECT_EQ(layout.itemHeight(), 110.0);
    EXPECT_EQ(layout.itemRect(0, 800), QRectF(0, 0, 200, 110));
    EXPECT_EQ(layout.itemRect(3, 800), QRectF(600, 0, 200, 110));
    EXPECT_EQ(layout.itemRect(5, 800), QRectF(200, 110, 200, 110));
    // Ten items make three rows, the last one partly filled.
    EXPECT_EQ(layout.contentHeight(10, 800), 330.0);
    EXPECT_EQ(layout.contentHeight(0, 800), 0.0);
    layout.setColumnCount(0);
    EXPECT_EQ(layout.columnCount(), 1);
}

TEST(CollectionViewLayout, FooterSitsUnderTheLastRowOnlyWhenItHasAHeight) {
    CollectionViewColumnLayout grid;
    EXPECT_TRUE(grid.footerRect(10, 800).isEmpty());
    grid.setFooterHeight(30);
    EXPECT_EQ(grid.footerRect(10, 800), QRectF(0, 330, 800, 30));
    EXPECT_EQ(grid.contentHeight(10, 800), 360.0);
    EXPECT_EQ(grid.footerRect(0, 800), QRectF(0, 0, 800, 30));

    CollectionViewListLayout list;
    list.setFooterHeight(20);
    EXPECT_EQ(list.footerRect(3, 500), QRectF(0, 190.5, 500, 20));
}

TEST(CollectionViewLayout, ListRowsStayExactFarDown) {
    CollectionViewListLayout layout;
    EXPECT_EQ(layout.itemHeight(), 63.5);
    EXPECT_EQ(layout.itemRect(1, 300), QRectF(0, 63.5, 300, 63.5));
    EXPECT_EQ(layout.itemRect(10000, 300).top(), 635000.0);
    EXPECT_EQ(layout.contentHeight(10001, 300), 635063.5);
    EXPECT_EQ(layout.itemsInRect(QRectF(0, 635000, 300, 63.5), 20000, 300), std::make_pair(10000, 10001));
}

TEST(CollectionViewLayout, ItemsInRectCoverPartlyVisibleRowsAndStopAtTheCount) {
    CollectionViewColumnLayout grid;
    // 100..400 meets rows 0 to 3 (row 3 starts at 330).
    EXPECT_EQ(grid.itemsInRect(QRectF(0, 100, 800, 300), 100, 800), std::make_pair(0, 16));
    // A rect ending exactly on a row border leaves the next row out.
    EXPECT_EQ(grid.itemsInRect(QRectF(0, 110, 800, 110), 100, 800), std::make_pair(4, 8));
    EXPECT_EQ(grid.itemsInRect(QRectF(0, 0, 800, 1000), 6, 800), std::make_pair(0, 6));
    EXPECT_EQ(grid.itemsInRect(QRectF(0, 5000, 800, 100), 6, 800), std::make_pair(0, 0));
    EXPECT_EQ(grid.itemsInRect(QRectF(0, -200, 800, 100), 6, 800), std::make_pair(0, 0));
    EXPECT_EQ(grid.itemsInRect(QRectF(0, 0, 800, 100), 0, 800), std::make_pair(0, 0));

    CollectionViewListLayout list;
    EXPECT_EQ(list.itemsInRect(QRectF(0, 60, 300, 10), 10, 300), std::make_pair(0, 2));
    EXPECT_EQ(list.itemsInRect(QRectF(0, 63.5, 300, 63.5), 10, 300), std::make_pair(1, 2));
}
