#include "grid/VGRowInfo.h"

#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using Entries = std::vector<std::pair<int, std::string_view>>;

TEST(RowNewTexts, ARowsTextsGoInAtOnceAndReadBackLikeSetOnes)
{
    std::string longText(300, 'z');
    TVarnGrid_rowInfo fresh;
    fresh.setNewTexts("C00001", Entries{{0, "Ana"}, {3, ""}, {5, longText}, {35, "fin"}});
    EXPECT_EQ(fresh.itemData(0), "C00001");
    EXPECT_EQ(fresh.cells(0), "Ana");
    EXPECT_EQ(fresh.cells(3), "");
    EXPECT_EQ(fresh.cells(5), longText);
    EXPECT_EQ(fresh.cells(35), "fin");
    // Exactly the room the texts take: header, two bytes per short entry, six per long one.
    EXPECT_EQ(fresh.textHeapBytes(), 8u + (2 + 6) + (2 + 3) + (6 + 300) + (2 + 3));
    fresh.setCells(0, "Beatriz");  // and it stays an ordinary row
    EXPECT_EQ(fresh.cells(0), "Beatriz");
    EXPECT_EQ(fresh.cells(35), "fin");

    // A row with texts already: keys that hold one are replaced, not doubled.
    TVarnGrid_rowInfo used;
    used.setCells(1, "viejo");
    used.setItemData(0, "K");
    used.setItemData(2, "otro");
    used.setNewTexts("K2", Entries{{1, "nuevo"}, {2, "dos"}});
    EXPECT_EQ(used.cells(1), "nuevo");
    EXPECT_EQ(used.cells(2), "dos");
    EXPECT_EQ(used.itemData(0), "K2");
    EXPECT_EQ(used.itemData(2), "otro");
    used.setCells(1, "");
    EXPECT_EQ(used.cells(1), "");  // no older entry shows through

    TVarnGrid_rowInfo empty;
    empty.setNewTexts("", Entries{{4, ""}});
    EXPECT_EQ(empty.textHeapBytes(), 0u);
    EXPECT_THROW(empty.setNewTexts("x", Entries{{36, "fuera"}}), EListError);
    EXPECT_EQ(empty.itemData(0), "");
}
