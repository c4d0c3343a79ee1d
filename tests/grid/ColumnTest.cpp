#include "grid/VarnGrid.h"
#include "grid/VGScrollBox.h"

#include "platform/Forms.h"
#include "platform/SysUtils.h"

#include <gtest/gtest.h>

namespace {

struct CountingGrid : TVarnGrid {
    using TVarnGrid::TVarnGrid;
    int updates = 0;
    void OnUpdateColumns() override { ++updates; }
};

TVGColumn* addColumn(TVarnGrid& grid, const AnsiString& field, int width)
{
    TVGColumn* column = grid.Columns()->Add();
    column->SetFieldName(field);
    column->SetWidth(width);
    return column;
}

}  // namespace

TEST(GridColumns, DataTypeBringsItsOwnFormatAndComboEntries)
{
    TVarnGrid grid(nullptr);
    TVGColumn* column = grid.Columns()->Add();
    EXPECT_EQ(column->Width(), 50);
    EXPECT_EQ(column->DataType(), vgString);
    EXPECT_EQ(column->Format(), "");
    EXPECT_EQ(column->GetComboCount(), 0);

    column->SetDataType(vgBoolean);
    EXPECT_EQ(column->GetComboCount(), 2);
    EXPECT_EQ(column->getComboText("true"), "s\xED");
    EXPECT_EQ(column->getComboText("false"), "no");
    EXPECT_EQ(column->getComboText("TRUE"), "TRUE");
    EXPECT_EQ(column->getComboText("maybe"), "maybe");

    column->SetDataType(vgDate);
    EXPECT_EQ(column->GetComboCount(), 0);
    EXPECT_EQ(column->Format(), "DD/MM/YYYY");
    column->SetFormat("DD/MM/YY");
    column->SetDataType(vgDate);  // same type: the changed format stays
    EXPECT_EQ(column->Format(), "DD/MM/YY");
    column->SetDataType(vgTime);
    EXPECT_EQ(column->Format(), "HH:MM");
    column->SetDataType(vgInteger);
    EXPECT_EQ(column->Format(), "");

    // More values than texts: a value found past the texts is a list error.
    column->ComboValues()->Add("a");
    column->ComboValues()->Add("b");
    column->ComboTexts()->Add("A");
    EXPECT_EQ(column->getComboText("a"), "A");
    EXPECT_THROW(column->getComboText("b"), EListError);

    TVGColumn* copy = grid.Columns()->Add();
    copy->Assign(column);
    EXPECT_EQ(copy->DataType(), vgInteger);
    EXPECT_EQ(copy->ComboValues()->Count(), 2);
    copy->SetCaption("Total");
    EXPECT_EQ(copy->GetDisplayName(), "Total");
}

TEST(GridColumns, FieldNamesAreFoundIgnoringCaseAndCol100x100NeedsOne)
{
    TVarnGrid grid(nullptr);
    addColumn(grid, "Nombre", 50);
    TVGColumn* total = addColumn(grid, "Total", 50);
    addColumn(grid, "A\xF1o", 50);
    EXPECT_EQ(grid.FindColumn("TOTAL"), total);
    EXPECT_EQ(grid.FindColumn("total"), total);
    EXPECT_EQ(grid.FindOrderColumn("A\xD1O"), 2);
    EXPECT_EQ(grid.FindOrderColumn("precio"), -1);

    grid.SetCol100x100("precio");
    EXPECT_EQ(grid.Col100x100(), "");
    grid.SetCol100x100("total");
    EXPECT_EQ(grid.Col100x100(), "total");
    EXPECT_FALSE(total->GetIsCol100x100());  // that comparison is exact
    total->SetIsCol100x100(true);
    EXPECT_TRUE(total->GetIsCol100x100());
    grid.Columns()->Items(0)->SetIsCol100x100(false);  // any column clears it
    EXPECT_EQ(grid.Col100x100(), "");
}

TEST(GridColumns, Col100x100TakesTheRemainingBodyWidthOnce)
{
    TForm form(nullptr);
    form.SetBounds(0, 0, 600, 400);
    CountingGrid& grid = *new CountingGrid(&form);
    grid.SetParent(&form);
    addColumn(grid, "a", 130);
    addColumn(grid, "b", 50);
    addColumn(grid, "c", 90);
    EXPECT_EQ(grid.updates, 0);  // no window yet: the values are only stored

    grid.SetBounds(0, 0, 400, 200);
    grid.HandleNeeded();
    ASSERT_EQ(grid.Body()->GetClientSize(true), 400);
    grid.updates = 0;
    grid.SetCol100x100("c");
    EXPECT_EQ(grid.Columns()->Items(2)->Width(), 400 - 2 - 130 - 50);
    EXPECT_EQ(grid.GetTotalWidth(), 398);
    EXPECT_EQ(grid.updates, 1);  // the width change re-entered and returned

    // Wider columns than the body: the filler width goes negative and stays so.
    grid.Columns()->Items(0)->SetWidth(500);
    EXPECT_EQ(grid.Columns()->Items(2)->Width(), 400 - 2 - 500 - 50);
    EXPECT_EQ(grid.GetTotalWidth(), 398);

    grid.updates = 0;
    grid.SetCol100x100("");
    grid.AddRow();
    EXPECT_EQ(grid.updates, 1);  // AddRow updates only while Col100x100 is set
}
