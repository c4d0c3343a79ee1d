#include "grid/VGRowInfo.h"

#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <map>
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

TEST(RowInfo, TextsMatchAPlainMapThroughRandomSetsOfEveryKeyAndLength)
{
    TVarnGrid_rowInfo row;
    std::map<int, std::string> expected;  // cells 0..35, then item data as 36..45
    uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int step = 0; step < 20000; ++step) {
        int key = static_cast<int>(next() % 46);
        size_t lengths[] = {0, 0, 1, 5, 12, 254, 255, 300};
        std::string text(lengths[next() % 8], static_cast<char>('a' + next() % 26));
        if (key < VGCellCount)
            row.setCells(key, text);
        else
            row.setItemData(key - VGCellCount, text);
        expected[key] = text;
        if (step % 97 == 0) {
            for (const auto& [k, value] : expected)
                ASSERT_EQ(k < VGCellCount ? row.cellView(k) : row.itemDataView(k - VGCellCount), value) << step;
            // The one-pass read gives the same texts as reading cell by cell.
            std::string_view views[VGCellCount];
            row.cellViews((uint64_t(1) << VGCellCount) - 1, views);
            for (int c = 0; c < VGCellCount; ++c)
                ASSERT_EQ(views[c], row.cellView(c)) << step;
        }
    }
    // Emptying every text frees the block whatever the order.
    for (int key = 45; key >= 0; key -= 2)
        key < VGCellCount ? row.setCells(key, "") : row.setItemData(key - VGCellCount, "");
    for (int key = 0; key < 46; key += 2)
        key < VGCellCount ? row.setCells(key, "") : row.setItemData(key - VGCellCount, "");
    EXPECT_EQ(row.textHeapBytes(), 0u);
}

TEST(RowInfo, CellAttributesTakeRoomOnlyWhenSetAndCopyWithTheRow)
{
    TVarnGrid_rowInfo row;
    row.cellAttr[4] = -1;  // still nothing set
    EXPECT_EQ(row.cellAttr[4], -1);
    row.cellAttr[4] = 2;
    row.cellAttr[35] = 0;
    TVarnGrid_rowInfo copy = row;
    row.cellAttr[4] = row.cellAttr[35];
    EXPECT_EQ(row.cellAttr[4], 0);
    EXPECT_EQ(copy.cellAttr[4], 2);
    EXPECT_EQ(copy.cellAttr[35], 0);
    EXPECT_EQ(copy.cellAttr[5], -1);
    const TVarnGrid_rowInfo& constant = copy;
    EXPECT_EQ(constant.cellAttr[4], 2);
}
