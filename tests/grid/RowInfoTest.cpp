#include "grid/VGRowInfo.h"

#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <string>

TEST(RowInfo, NewRecordIsUnmarkedAllNullWithNoAttributesAndNoTextBlock)
{
    TVarnGrid_rowInfo row;
    EXPECT_FALSE(row.selected || row.checkMark || row.unicolumn || row.noCheckBox);
    EXPECT_EQ(row.imageIndex, -1);
    EXPECT_EQ(row.rowAttr, -1);
    EXPECT_TRUE(row.isNull.all());
    EXPECT_TRUE(row.spanNext.none());
    for (int c = 0; c < VGCellCount; ++c)
        EXPECT_EQ(row.cellAttr[c], -1);
    EXPECT_EQ(row.textHeapBytes(), 0u);
    EXPECT_EQ(row.cells(35), "");
    EXPECT_EQ(row.itemData(9), "");
}

TEST(RowInfo, TextsKeepTheirSlotsThroughGrowShrinkAndRemoval)
{
    TVarnGrid_rowInfo row;
    std::string longText(300, 'x');
    row.setCells(0, "uno");
    row.setItemData(0, "key");
    row.setCells(35, longText);
    row.setColors("2:255");
    row.setCells(7, "siete");
    EXPECT_EQ(row.cells(0), "uno");
    EXPECT_EQ(row.cells(35), longText);
    EXPECT_EQ(row.itemData(0), "key");
    EXPECT_EQ(row.colors(), "2:255");

    row.setCells(0, "otro texto");  // longer: the entry moves to the end
    row.setCells(35, "corto");      // long header becomes a short one
    row.setCells(7, "SIETE");       // same length: in place
    EXPECT_EQ(row.cells(0), "otro texto");
    EXPECT_EQ(row.cells(35), "corto");
    EXPECT_EQ(row.cells(7), "SIETE");
    EXPECT_EQ(row.itemData(0), "key");
    EXPECT_EQ(row.colors(), "2:255");

    // A text taken from the row itself survives the move of its own entry.
    row.setCells(1, row.cellView(0));
    row.setCells(0, row.cellView(0).substr(5));
    EXPECT_EQ(row.cells(1), "otro texto");
    EXPECT_EQ(row.cells(0), "texto");

    TVarnGrid_rowInfo copy = row;
    for (int c : {0, 1, 7, 35})
        row.setCells(c, "");
    row.setItemData(0, "");
    row.setColors("");
    EXPECT_EQ(row.textHeapBytes(), 0u);  // all empty again: the block is gone
    EXPECT_EQ(copy.cells(1), "otro texto");
    EXPECT_EQ(copy.colors(), "2:255");
}

TEST(RowInfo, PositionsOutsideTheRecordRaiseListErrorAndChangeNothing)
{
    TVarnGrid_rowInfo row;
    row.setCells(3, "tres");
    EXPECT_THROW(row.setCells(36, "x"), EListError);
    EXPECT_THROW(row.setCells(-1, "x"), EListError);
    EXPECT_THROW(row.cells(36), EListError);
    EXPECT_THROW(row.setItemData(10, "x"), EListError);
    EXPECT_THROW(row.itemData(-1), EListError);
    try {
        row.setCells(40, "x");
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "List index out of bounds (40)");
    }
    EXPECT_EQ(row.cells(3), "tres");
    EXPECT_EQ(row.colors(), "");  // key 46 was not reached through a cell position
}
