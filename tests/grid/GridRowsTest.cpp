#include "grid/VarnGrid.h"
#include "grid/VGEdit.h"

#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A grid whose row events are written down in order.
struct RecordedGrid {
    std::unique_ptr<TVarnGrid> grid = std::make_unique<TVarnGrid>(nullptr);
    std::vector<std::string> events;

    explicit RecordedGrid(int rowCount = 0)
    {
        for (int i = 0; i < rowCount; ++i)
            grid->AddRow("r" + std::to_string(i));
        grid->OnRowEnter = [this](int row) { events.push_back("enter " + std::to_string(row)); };
        grid->OnRowExit = [this](int row, bool modified) {
            events.push_back("exit " + std::to_string(row) + (modified ? " modified" : ""));
        };
    }
    TVarnGrid* operator->() { return grid.get(); }
};

using Events = std::vector<std::string>;

}  // namespace

TEST(GridRows, NewGridHasNoRowsAndThePublishedDefaults)
{
    TVarnGrid grid(nullptr);
    EXPECT_EQ(grid.GetRowCount(), 0);
    EXPECT_EQ(grid.GetRowIndex(), -1);
    EXPECT_EQ(grid.GetColIndex(), -1);
    EXPECT_EQ(grid.GetRowSelectedCount(), 0);
    EXPECT_EQ(grid.ColorBk(), clWindow);
    EXPECT_EQ(grid.ColorBkSel(), clHighlight);
    EXPECT_EQ(grid.ColorBkSelIn(), clInactiveCaption);
    EXPECT_EQ(grid.ColorHead(), clBtnFace);
    EXPECT_EQ(grid.RowHeight(), 15);
    EXPECT_TRUE(grid.LabelWrap() && grid.ShowHeader() && grid.ShowSelection() && grid.ShowLines());
    EXPECT_FALSE(grid.Multiselect() || grid.CheckBoxes() || grid.Editable() || grid.InEdit());
    EXPECT_EQ(grid.Width(), 100);
    EXPECT_EQ(grid.Height(), 100);
    EXPECT_NE(grid.Header(), nullptr);
    EXPECT_NE(grid.Body(), nullptr);
    EXPECT_NE(grid.Editor(), nullptr);
    EXPECT_FALSE(grid.Editor()->Visible());
}

TEST(GridRows, CellsAreNullUntilSetAndItemDataIsSlotZero)
{
    TVarnGrid grid(nullptr);
    grid.AddRow("x");
    EXPECT_EQ(grid.GetString(0, 3), "");
    EXPECT_TRUE(grid.GetRowInfo(0)->isNull[3]);
    EXPECT_EQ(grid.GetRowData(0), "x");
    grid.SetString(0, 3, "");
    EXPECT_FALSE(grid.GetRowInfo(0)->isNull[3]);
    EXPECT_EQ(grid.GetString(0, 3), "");

    grid.AddString(5, "last");
    grid.InsertAt(0, "first");
    EXPECT_EQ(grid.GetRowCount(), 2);
    EXPECT_EQ(grid.GetRowData(0), "first");
    EXPECT_EQ(grid.GetString(1, 5), "last");

    // A null cell reads empty even when a raw text is still stored under it.
    grid.GetRowInfo(1)->isNull[5] = true;
    EXPECT_EQ(grid.GetString(1, 5), "");
}

TEST(GridRows, SetRowIndexFiresExitThenEnterAndClampsPastTheEnd)
{
    RecordedGrid grid(3);
    grid->SetRowIndex(0);
    grid->SetRowModified(true);
    grid->SetRowIndex(1);
    EXPECT_EQ(grid.events, (Events{"enter 0", "exit 0 modified", "enter 1"}));
    EXPECT_FALSE(grid->GetRowModified());
    EXPECT_FALSE(grid->GetRowSelected(0));
    EXPECT_TRUE(grid->GetRowSelected(1));

    // Past the end selects the last row; asked again while the last row is
    // current, the same row is left and entered again.
    grid.events.clear();
    grid->SetRowIndex(5);
    EXPECT_EQ(grid->GetRowIndex(), 2);
    grid->SetRowIndex(5);
    EXPECT_EQ(grid.events, (Events{"exit 1", "enter 2", "exit 2", "enter 2"}));
    EXPECT_EQ(grid->GetRowSelectedCount(), 1);

    grid.events.clear();
    grid->SetRowIndex(-7);
    EXPECT_EQ(grid->GetRowIndex(), -1);
    EXPECT_EQ(grid.events, (Events{"exit 2"}));
    EXPECT_EQ(grid->GetRowSelectedCount(), 0);

    // An exit handler that removes rows: the move lands on a row that still exists.
    grid->SetRowIndex(2);
    grid->OnRowExit = [&grid](int, bool) { grid->DeleteRow(0); };
    grid->SetRowIndex(2 + 5);
    EXPECT_EQ(grid->GetRowIndex(), 1);
    EXPECT_TRUE(grid->GetRowSelected(1));

    RecordedGrid empty;
    empty->SetRowIndex(5);
    EXPECT_EQ(empty->GetRowIndex(), -1);
    EXPECT_TRUE(empty.events.empty());
}

TEST(GridRows, MultiselectMovesWithoutExitAndClearsTheSelection)
{
    RecordedGrid grid(3);
    grid->SetMultiselect(true);
    grid->SetRowIndex(0);
    grid->SetRowSelected(2, true);
    EXPECT_EQ(grid->GetRowSelectedCount(), 2);
    grid->SetRowIndex(1);
    EXPECT_EQ(grid.events, (Events{"enter 0", "enter 1"}));
    EXPECT_EQ(grid->GetRowSelectedCount(), 1);
    EXPECT_TRUE(grid->GetRowSelected(1));

    // Only one of Multiselect and CheckBoxes is ever on; each clears the selection.
    grid->SetCheckBoxes(true);
    EXPECT_FALSE(grid->Multiselect());
    EXPECT_EQ(grid->GetRowIndex(), -1);
    EXPECT_EQ(grid->GetRowSelectedCount(), 0);
    grid->SetRowSelected(0, true);  // ignored without Multiselect
    EXPECT_FALSE(grid->GetRowSelected(0));
    grid->SetMultiselect(true);
    EXPECT_FALSE(grid->CheckBoxes());
}

TEST(GridRows, DeleteOfTheCurrentRowExitsItAndClearFiresNothing)
{
    RecordedGrid grid(4);
    grid->SetRowIndex(2);
    grid.events.clear();
    grid->DeleteRow(2);
    EXPECT_EQ(grid.events, (Events{"exit 2"}));
    EXPECT_EQ(grid->GetRowIndex(), -1);
    EXPECT_EQ(grid->GetRowCount(), 3);
    EXPECT_EQ(grid->GetRowData(2), "r3");

    // A row before the current one goes without moving RowIndex, which may then
    // point past the end; moving on from there must still work.
    grid->SetRowIndex(2);
    grid->DeleteRow(0);
    EXPECT_EQ(grid->GetRowIndex(), 2);
    grid.events.clear();
    grid->SetRowIndex(0);
    EXPECT_EQ(grid.events, (Events{"exit 2", "enter 0"}));

    grid.events.clear();
    EXPECT_THROW(grid->DeleteRow(7), EListError);
    grid->Clear();
    EXPECT_TRUE(grid.events.empty());
    EXPECT_EQ(grid->GetRowCount(), 0);
    EXPECT_EQ(grid->GetRowIndex(), -1);
}

TEST(GridRows, CheckMarksNeedCheckBoxesAndNeverStickToUnicolumnRows)
{
    TVarnGrid grid(nullptr);
    grid.AddRow();
    grid.AddRow();
    grid.SetRowChecked(0, true);
    EXPECT_FALSE(grid.GetRowChecked(0));

    grid.SetCheckBoxes(true);
    grid.SetRowChecked(0, true);
    grid.GetRowInfo(1)->unicolumn = true;
    grid.SetRowChecked(1, true);
    EXPECT_TRUE(grid.GetRowChecked(0));
    EXPECT_FALSE(grid.GetRowInfo(1)->checkMark);
    EXPECT_EQ(grid.GetRowCheckedCount(), 1);

    // A check mark stored before the row became unicolumn is counted but not reported.
    grid.GetRowInfo(1)->unicolumn = false;
    grid.SetRowChecked(1, true);
    grid.GetRowInfo(1)->unicolumn = true;
    EXPECT_FALSE(grid.GetRowChecked(1));
    EXPECT_EQ(grid.GetRowCheckedCount(), 2);
    grid.RowCheckedClear();
    EXPECT_EQ(grid.GetRowCheckedCount(), 0);
}

TEST(GridRows, BackColorsAreKeptAsColumnColourPieces)
{
    TVarnGrid grid(nullptr);
    grid.AddRow();
    grid.SetBackColor(0, 2, 255);
    grid.SetBackColor(0, 0, clBtnFace);
    EXPECT_EQ(grid.GetRowInfo(0)->colors(), "2:255,0:-2147483633");
    EXPECT_EQ(grid.GetBackColor(0, 0), clBtnFace);
    EXPECT_EQ(grid.GetBackColor(0, 1), clNone);

    grid.SetBackColor(0, 12, 7);  // "12:" must not answer for column 2 or 1
    grid.SetBackColor(0, 2, 255);
    grid.SetBackColor(0, 2, clNone);
    EXPECT_EQ(grid.GetBackColor(0, 2), clNone);
    EXPECT_EQ(grid.GetBackColor(0, 12), 7);
    EXPECT_EQ(grid.GetRowInfo(0)->colors(), "0:-2147483633,12:7");
    grid.SetBackColor(0, 0, clNone);
    grid.SetBackColor(0, 12, clNone);
    EXPECT_EQ(grid.GetRowInfo(0)->colors(), "");
}

TEST(GridRows, IndexesOutsideTheirRangesRaiseListErrorAndChangeNothing)
{
    RecordedGrid grid(3);
    grid->SetString(1, 4, "keep");
    grid->SetRowIndex(1);
    grid.events.clear();

    EXPECT_THROW(grid->SetString(3, 0, "x"), EListError);
    EXPECT_THROW(grid->SetString(1, 36, "x"), EListError);
    EXPECT_THROW(grid->SetString(1, -1, "x"), EListError);
    EXPECT_THROW(grid->GetString(-1, 0), EListError);
    EXPECT_THROW(grid->GetRowData(3), EListError);
    EXPECT_THROW(grid->SetRowData(-2, "x"), EListError);
    EXPECT_THROW(grid->GetRowSelected(3), EListError);
    EXPECT_THROW(grid->GetRowChecked(3), EListError);
    EXPECT_THROW(grid->GetBackColor(3, 0), EListError);
    EXPECT_THROW(grid->SetBackColor(0, 36, 255), EListError);
    EXPECT_THROW(grid->InsertAt(4, "x"), EListError);
    EXPECT_THROW(grid->InsertAt(-1, "x"), EListError);
    EXPECT_THROW(grid->FindRowByItemData("r1", 10), EListError);
    EXPECT_THROW(grid->GetRowInfo(0)->setItemData(-1, "x"), EListError);

    EXPECT_EQ(grid->GetRowCount(), 3);
    EXPECT_EQ(grid->GetString(1, 4), "keep");
    EXPECT_TRUE(grid->GetRowInfo(1)->isNull[35]);
    EXPECT_EQ(grid->GetRowInfo(0)->colors(), "");
    EXPECT_EQ(grid->GetRowIndex(), 1);
    EXPECT_TRUE(grid.events.empty());
}

TEST(GridRows, RowsAreFoundAndSelectedByExactItemData)
{
    RecordedGrid grid(3);
    grid->GetRowInfo(2)->setItemData(4, "Code");
    EXPECT_EQ(grid->FindRowByItemData("r1", 0), 1);
    EXPECT_EQ(grid->FindRowByItemData("R1", 0), -1);
    EXPECT_EQ(grid->FindRowByItemData("Code", 4), 2);
    EXPECT_FALSE(grid->SelectRowByItemData("code", 4));
    EXPECT_EQ(grid->GetRowIndex(), -1);
    EXPECT_TRUE(grid->SelectRowByItemData("Code", 4));
    EXPECT_EQ(grid->GetRowIndex(), 2);
    EXPECT_EQ(grid.events, (Events{"enter 2"}));
}
