#include "GridScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using varn::test::GridScreen;
using varn::test::rgb;

namespace {

// Columns "name" (text) and "n" (integer); rows in the given order.
void fill(GridScreen& s, const std::vector<std::pair<std::string, int>>& rows)
{
    s.grid->Columns()->Items(0)->SetFieldName("name");
    s.grid->Columns()->Items(1)->SetFieldName("n");
    s.grid->Columns()->Items(1)->SetDataType(vgInteger);
    for (const auto& [name, n] : rows) {
        s.grid->AddRow(name);
        s.grid->AddString(0, name);
        s.grid->AddString(1, std::to_string(n));
    }
}

std::string column0(TVarnGrid* grid)
{
    std::string out;
    for (int row = 0; row < grid->GetRowCount(); ++row)
        out += (row ? "," : "") + grid->GetString(row, 0);
    return out;
}

// Middle of caption col; the arrow's tip pixel sits 8 pixels left of its right edge.
int captionX(GridScreen& s, int col) { return (s.grid->Header()->CellRect(col).left + s.grid->Header()->CellRect(col).right) / 2; }
int arrowX(GridScreen& s, int col) { return s.grid->Header()->CellRect(col).right - 8; }

}  // namespace

TEST(GridHeaderSort, CaptionClickSortsKeepsTheCurrentRowTurnsRoundAndDrawsTheArrow)
{
    GridScreen s({60, 80, 70});
    fill(s, {{"pera", 3}, {"\xE1lamo", 1}, {"Cerezo", 2}, {"manzana", 1}});
    s.grid->SetSortOnHeaderClick(true);
    s.show();
    s.grid->SetRowIndex(2);  // Cerezo
    s.recordRowEvents();
    COLORREF face = rgb(s.grid->ColorHead());
    COLORREF ink = rgb(s.grid->Header()->Font()->Color());
    int arrowTop = (s.grid->Header()->Height() - 4) / 2;
    EXPECT_EQ(s.headPixel(arrowX(s, 0), arrowTop), face);

    s.ui.click(s.grid->Header(), captionX(s, 0), 9);
    EXPECT_EQ(column0(s.grid), "\xE1lamo,Cerezo,manzana,pera");  // accents and case as the collation has them
    EXPECT_EQ(s.grid->GetRowIndex(), 1);
    EXPECT_EQ(s.grid->GetString(s.grid->GetRowIndex(), 0), "Cerezo");
    EXPECT_TRUE(s.ui.takeEvents().empty());  // the same row: no row events
    // Ascending: the tip at the top, the base at the bottom.
    EXPECT_EQ(s.headPixel(arrowX(s, 0), arrowTop), ink);
    EXPECT_EQ(s.headPixel(arrowX(s, 0) - 3, arrowTop), face);
    EXPECT_EQ(s.headPixel(arrowX(s, 0) - 3, arrowTop + 3), ink);

    s.ui.click(s.grid->Header(), captionX(s, 0), 9);
    EXPECT_EQ(column0(s.grid), "pera,manzana,Cerezo,\xE1lamo");
    EXPECT_EQ(s.grid->GetString(s.grid->GetRowIndex(), 0), "Cerezo");
    EXPECT_EQ(s.headPixel(arrowX(s, 0) - 3, arrowTop), ink);
    EXPECT_EQ(s.headPixel(arrowX(s, 0) - 3, arrowTop + 3), face);
    ASSERT_EQ(s.grid->HeaderSortKeys().size(), 1u);
    EXPECT_TRUE(s.grid->HeaderSortKeys()[0].descending);

    // Another column starts ascending again and takes the arrow.
    s.ui.click(s.grid->Header(), captionX(s, 1), 9);
    EXPECT_EQ(s.grid->GetString(0, 1), "1");
    EXPECT_EQ(s.headPixel(arrowX(s, 0), arrowTop), face);
    EXPECT_EQ(s.headPixel(arrowX(s, 1), arrowTop), ink);

    // A plain SortBy leaves no arrow behind.
    s.grid->SortBy("name");
    s.ui.pump();
    EXPECT_TRUE(s.grid->HeaderSortKeys().empty());
    EXPECT_EQ(s.headPixel(arrowX(s, 1), arrowTop), face);
}

TEST(GridHeaderSort, ShiftClickAddsFurtherKeysAndTurnsThemRound)
{
    GridScreen s({60, 80, 70});
    fill(s, {{"b", 1}, {"a", 2}, {"c", 1}, {"d", 2}});
    s.grid->SetSortOnHeaderClick(true);
    s.show();

    s.ui.click(s.grid->Header(), captionX(s, 1), 9);
    s.ui.keyDown(VK_SHIFT);
    s.ui.click(s.grid->Header(), captionX(s, 0), 9);
    EXPECT_EQ(column0(s.grid), "b,c,a,d");
    s.ui.click(s.grid->Header(), captionX(s, 0), 9);  // second key turned round
    s.ui.keyUp(VK_SHIFT);
    EXPECT_EQ(column0(s.grid), "c,b,d,a");
    ASSERT_EQ(s.grid->HeaderSortKeys().size(), 2u);
    EXPECT_EQ(s.grid->HeaderSortKeys()[0].col, 1);
    EXPECT_FALSE(s.grid->HeaderSortKeys()[0].descending);
    EXPECT_TRUE(s.grid->HeaderSortKeys()[1].descending);

    // A plain click on the second key makes it the only one.
    s.ui.click(s.grid->Header(), captionX(s, 0), 9);
    EXPECT_EQ(column0(s.grid), "a,b,c,d");
    EXPECT_EQ(s.grid->HeaderSortKeys().size(), 1u);
}

TEST(GridHeaderSort, OffByDefaultAndDragsNeverSort)
{
    GridScreen s({60, 80, 70});
    fill(s, {{"b", 1}, {"a", 2}});
    s.show();
    s.ui.click(s.grid->Header(), captionX(s, 0), 9);
    EXPECT_EQ(column0(s.grid), "b,a");

    s.grid->SetSortOnHeaderClick(true);
    // A drag of the first caption's right edge resizes and does not sort.
    int edge = s.grid->Header()->CellRect(0).right;
    s.ui.moveTo(s.grid->Header(), edge - 1, 9);
    s.ui.press(s.grid->Header(), edge - 1, 9);
    s.ui.moveTo(s.grid->Header(), edge + 20, 9);
    s.ui.release(s.grid->Header(), edge + 20, 9);
    EXPECT_EQ(column0(s.grid), "b,a");
    EXPECT_EQ(s.grid->Columns()->Items(0)->Width(), 80);
    // Pressed on one caption and let go on another: no sort either.
    s.ui.press(s.grid->Header(), captionX(s, 0), 9);
    s.ui.release(s.grid->Header(), captionX(s, 1), 9);
    EXPECT_EQ(column0(s.grid), "b,a");
}

TEST(GridHeaderSort, DecimalAndMoneyCaptionsSortByValueWhileSortByLeavesThemAlone)
{
    GridScreen s({60, 80, 70});
    s.grid->Columns()->Items(1)->SetFieldName("price");
    s.grid->Columns()->Items(1)->SetDataType(vgMoney);
    s.grid->Columns()->Items(2)->SetFieldName("ratio");
    s.grid->Columns()->Items(2)->SetDataType(vgFloat);
    const char* prices[] = {"1.000,00", "999,99", "-5,00", "25.000.000,50", "", "0,01"};
    const char* ratios[] = {"2,5", "-0,5", "10,25", "0", "1e3", "-3"};
    for (int i = 0; i < 6; ++i) {
        s.grid->AddRow();
        s.grid->AddString(0, std::to_string(i));
        s.grid->AddString(1, prices[i]);
        s.grid->AddString(2, ratios[i]);
    }
    s.grid->SortBy("price");
    EXPECT_EQ(column0(s.grid), "0,1,2,3,4,5");

    s.grid->SetSortOnHeaderClick(true);
    s.show();
    s.ui.click(s.grid->Header(), captionX(s, 1), 9);
    EXPECT_EQ(column0(s.grid), "2,4,5,1,0,3");  // the empty text counts as 0
    s.ui.click(s.grid->Header(), captionX(s, 1), 9);
    EXPECT_EQ(column0(s.grid), "3,0,1,5,4,2");
    s.ui.click(s.grid->Header(), captionX(s, 2), 9);
    EXPECT_EQ(column0(s.grid), "5,1,3,0,2,4");
}
