// The in-cell editor driven by the keyboard and the mouse: starting, moving
// between cells and rows, committing every column type, Escape, focus, scrolling
// and closing the form while editing.
#include "GridScreen.h"

#include "grid/VGEdit.h"
#include "platform/Forms.h"
#include "platform/win/BackingStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using varn::test::GridScreen;
using Events = std::vector<std::string>;

namespace {

int rowY(int row) { return row * 15 + 7; }

// A grid of four typed columns: text (40), integer (80), date (60), decimal (70),
// with every editing event written down.
struct EditScreen : GridScreen {
    explicit EditScreen(int rowCount = 4, int bodyWidth = 300, int bodyHeight = 100)
        : GridScreen({40, 80, 60, 70}, bodyWidth, bodyHeight)
    {
        grid->Columns()->Items(1)->SetDataType(vgInteger);
        grid->Columns()->Items(2)->SetDataType(vgDate);
        grid->Columns()->Items(3)->SetDataType(vgFloat);
        grid->SetEditable(true);
        for (int r = 0; r < rowCount; ++r) {
            grid->AddRow();
            grid->SetString(r, 0, "t" + std::to_string(r));
            grid->SetString(r, 1, std::to_string(10 + r));
            grid->SetString(r, 2, "03/03/2006");
            grid->SetString(r, 3, "1,50");
        }
        show();
        grid->OnRowEnter = [this](int row) { ui.record("enter " + std::to_string(row)); };
        grid->OnRowExit = [this](int row, bool modified) {
            ui.record("exit " + std::to_string(row) + (modified ? " modified" : ""));
        };
        grid->OnCellModified = [this](int row, int col) {
            ui.record("cell " + std::to_string(row) + "," + std::to_string(col) + " " + grid->GetString(row, col));
        };
    }
    TVGEdit* editor() { return grid->Editor(); }
    // Selects the row with a first click, then edits the cell under a second one.
    void editCell(int row, int x)
    {
        click(x, rowY(row));
        ui.advance(1000);  // not a double click
        click(x, rowY(row));
        ui.takeEvents();
    }
    // Row and column being edited, "-" when the editor is hidden.
    std::string at()
    {
        if (!grid->InEdit())
            return "-";
        return std::to_string(grid->GetRowIndex()) + "," + std::to_string(grid->GetColIndex());
    }
    std::vector<AnsiString> shownMessages()
    {
        std::vector<AnsiString> texts;
        for (auto& m : ui.messageBoxes)
            texts.push_back(m.text);
        ui.messageBoxes.clear();
        return texts;
    }
};

}  // namespace

TEST(GridEdit, SecondClickOpensTheEditorOverTheCellOnePixelLargerBelowTheHeader)
{
    EditScreen s;
    s.click(50, rowY(2));
    EXPECT_FALSE(s.grid->InEdit());  // the first click only selects
    s.ui.advance(1000);
    s.click(50, rowY(2));
    ASSERT_TRUE(s.grid->InEdit());
    EXPECT_EQ(s.at(), "2,1");
    // Body cell (40, 30, 120, 45) under the 18-pixel header.
    EXPECT_EQ(s.body()->GetCellRect(2, 1), (TRect{40, 30, 120, 45}));
    EXPECT_EQ(s.editor()->GetEditRect(), (TRect{40, 47, 121, 64}));
    EXPECT_EQ(s.editor()->Left(), 40);
    EXPECT_EQ(s.editor()->Top(), 47);
    EXPECT_EQ(s.editor()->Width(), 81);
    EXPECT_EQ(s.editor()->Height(), 17);
    EXPECT_EQ(s.editor()->getMode(), sEditInteger);
    EXPECT_EQ(s.editor()->GetText(), "12");
    EXPECT_TRUE(s.editor()->Focused());
    EXPECT_TRUE(s.editor()->IsAllSelected());
    // The grid keeps the look of a focused grid while its editor has the focus.
    EXPECT_TRUE(s.grid->asLogicFocus());
    EXPECT_FALSE(s.grid->Focused());
    // The editor, a child of the grid, is drawn above the body: its frame shows on
    // the column's line, which the row below still has.
    s.ui.pump();
    EXPECT_EQ(GetParent(s.editor()->Handle()), s.grid->Handle());
    COLORREF frame = GridScreen::windowPixel(s.editor(), 0, 8);
    EXPECT_EQ(s.pixel(40, 38), frame);
    EXPECT_EQ(s.pixel(120, 38), GridScreen::windowPixel(s.editor(), 80, 8));
    EXPECT_NE(s.pixel(40, 52), frame);
}

TEST(GridEdit, F2StartsAtTheFirstEditableColumnOnlyWhenEditable)
{
    EditScreen s;
    s.grid->Columns()->Items(0)->SetReadOnly(true);
    s.click(200, rowY(1));
    s.ui.pressKey(VK_F2);
    EXPECT_EQ(s.at(), "1,1");  // the read-only text column is skipped
    s.ui.pressKey(VK_ESCAPE);
    EXPECT_EQ(s.at(), "-");
    EXPECT_TRUE(s.grid->Focused());

    // A click on a read-only column, or right of the last one, starts nothing.
    s.ui.advance(1000);
    s.click(20, rowY(1));
    EXPECT_EQ(s.at(), "-");
    s.ui.advance(1000);
    s.click(290, rowY(1));
    EXPECT_EQ(s.at(), "-");

    s.grid->SetEditable(false);
    s.ui.pressKey(VK_F2);
    s.grid->StartEdit();
    s.ui.advance(1000);
    s.click(50, rowY(1));
    EXPECT_EQ(s.at(), "-");

    // A unicolumn current row is never edited.
    s.grid->SetEditable(true);
    s.grid->GetRowInfo(1)->unicolumn = true;
    s.ui.pressKey(VK_F2);
    EXPECT_EQ(s.at(), "-");
}

TEST(GridEdit, EnterMovesOnSkippingReadOnlyColumnsAndUnicolumnRowsAndAddsARowOnlyWithAutoAddRow)
{
    EditScreen s(4);
    s.grid->Columns()->Items(2)->SetReadOnly(true);
    s.grid->GetRowInfo(1)->unicolumn = true;
    s.editCell(0, 50);
    ASSERT_EQ(s.at(), "0,1");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.at(), "0,3");  // the read-only date is skipped
    s.ui.pressKey(VK_TAB);     // Tab acts as Enter
    EXPECT_EQ(s.at(), "2,0");  // the unicolumn row 1 is skipped
    EXPECT_EQ(s.ui.takeEvents(), (Events{"exit 0", "enter 2"}));

    // Next-to-last row: to the first editable cell of the last row, no row added.
    s.grid->SetAutoAddRow(true);
    s.ui.pressKey(VK_RETURN);
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.at(), "2,3");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.at(), "3,0");
    EXPECT_EQ(s.grid->GetRowCount(), 4);

    // Last editable cell of the last row: a new row with AutoAddRow...
    s.ui.pressKey(VK_RETURN);
    s.ui.pressKey(VK_RETURN);
    s.ui.takeEvents();
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.grid->GetRowCount(), 5);
    EXPECT_EQ(s.at(), "4,0");
    EXPECT_EQ(s.editor()->GetText(), "");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"exit 3", "enter 4"}));

    // ...and without it the editor stays on the cell.
    s.grid->SetAutoAddRow(false);
    s.ui.pressKey(VK_RETURN);
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.at(), "4,3");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.at(), "4,3");
    EXPECT_EQ(s.grid->GetRowCount(), 5);
    EXPECT_TRUE(s.editor()->Focused());
    // Passing through the new row's empty integer stores 0, which is a change.
    EXPECT_EQ(s.ui.takeEvents(), (Events{"cell 4,1 0"}));

    // A grid whose columns are all read-only adds one row at most and edits nothing.
    s.grid->SetAutoAddRow(true);
    for (int c = 0; c < 4; ++c)
        s.grid->Columns()->Items(c)->SetReadOnly(true);
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.grid->GetRowCount(), 6);
    EXPECT_EQ(s.at(), "4,3");
}

TEST(GridEdit, ShiftEnterAndShiftTabGoBackWrappingOverUnicolumnRows)
{
    EditScreen s(4);
    s.grid->Columns()->Items(3)->SetReadOnly(true);
    s.grid->GetRowInfo(2)->unicolumn = true;
    s.editCell(3, 50);
    ASSERT_EQ(s.at(), "3,1");
    s.ui.pressKey(VK_RETURN, {ssShift});
    EXPECT_EQ(s.at(), "3,0");
    s.ui.pressKey(VK_TAB, {ssShift});
    EXPECT_EQ(s.at(), "1,2");  // last editable column of the row before the unicolumn one
    s.ui.pressKey(VK_TAB, {ssShift});
    s.ui.pressKey(VK_TAB, {ssShift});
    s.ui.pressKey(VK_TAB, {ssShift});
    EXPECT_EQ(s.at(), "0,2");
    s.ui.pressKey(VK_TAB, {ssShift});
    s.ui.pressKey(VK_TAB, {ssShift});
    EXPECT_EQ(s.at(), "0,0");
    s.ui.pressKey(VK_TAB, {ssShift});  // nothing before: the editor stays
    EXPECT_EQ(s.at(), "0,0");
    EXPECT_EQ(s.grid->GetRowCount(), 4);

    // Up and Down keep the column and skip rows where it is read-only.
    s.grid->OnRowNeedData = [&](int row) { s.grid->Columns()->Items(0)->SetReadOnly(row == 1); };
    s.ui.pressKey(VK_DOWN);
    EXPECT_EQ(s.at(), "3,0");
    s.ui.pressKey(VK_DOWN);  // last row: the key goes on to the edit box
    EXPECT_EQ(s.at(), "3,0");
    s.ui.pressKey(VK_UP);
    EXPECT_EQ(s.at(), "0,0");
}

TEST(GridEdit, LeftAndRightMoveBetweenCellsOnlyWithTheWholeTextSelected)
{
    EditScreen s;
    s.editCell(1, 10);
    ASSERT_EQ(s.at(), "1,0");
    s.ui.pressKey(VK_RIGHT);  // all selected: next cell
    EXPECT_EQ(s.at(), "1,1");
    s.ui.pressKey(VK_END);
    s.ui.pressKey(VK_LEFT);  // caret inside the text
    EXPECT_EQ(s.at(), "1,1");
    EXPECT_EQ(s.editor()->SelStart(), 1);
    s.ui.pressKey(VK_RIGHT);
    EXPECT_EQ(s.at(), "1,1");
    EXPECT_EQ(s.editor()->SelStart(), 2);
    s.ui.pressKey(VK_F2);  // caret to the start, nothing selected
    EXPECT_EQ(s.editor()->SelStart(), 0);
    EXPECT_EQ(s.editor()->SelLength(), 0);
    s.ui.pressKey(VK_LEFT);
    EXPECT_EQ(s.at(), "1,1");
    s.ui.pressKey(VK_HOME);
    s.ui.pressKey(VK_END, {ssShift});
    s.ui.pressKey(VK_LEFT);  // all selected again
    EXPECT_EQ(s.at(), "1,0");
}

TEST(GridEdit, TypedValuesAreConvertedAndOnlyChangedTextsReportAModifiedCell)
{
    EditScreen s;
    s.editCell(0, 10);
    s.ui.typeText("abc");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.grid->GetString(0, 0), "abc");
    s.ui.typeText("10");  // the same text as stored
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"cell 0,0 abc"}));
    EXPECT_TRUE(s.grid->GetRowModified());

    // Emptied: the integer becomes 0, the decimal keeps its value.
    s.ui.pressKey(VK_RETURN, {ssShift});
    ASSERT_EQ(s.at(), "0,1");
    s.ui.pressKey(VK_DELETE);
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.grid->GetString(0, 1), "0");
    s.ui.pressKey(VK_RETURN);  // the date, unchanged
    ASSERT_EQ(s.at(), "0,3");
    s.ui.pressKey(VK_DELETE);
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.grid->GetString(0, 3), "1,50");
    // One notice for the integer, none for the decimal that kept its value.
    EXPECT_EQ(s.ui.takeEvents(), (Events{"cell 0,1 0", "exit 0 modified", "enter 1"}));

    // A decimal is stored with two decimals; the row exit reports the change.
    s.ui.pressKey(VK_RETURN, {ssShift});
    s.ui.pressKey(VK_RETURN, {ssShift});
    s.ui.pressKey(VK_RETURN, {ssShift});
    s.ui.pressKey(VK_RETURN, {ssShift});
    ASSERT_EQ(s.at(), "0,0");
    s.ui.takeEvents();
    s.ui.pressKey(VK_RETURN, {ssShift});  // nothing before the first cell
    s.ui.pressKey(VK_RETURN);
    s.ui.pressKey(VK_RETURN);
    s.ui.pressKey(VK_RETURN);
    s.ui.typeText("2,5");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.grid->GetString(0, 3), "2,50");
    EXPECT_EQ(s.at(), "1,0");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"cell 0,3 2,50", "exit 0 modified", "enter 1"}));
    EXPECT_FALSE(s.grid->GetRowModified());

    // A date shown month first differs from its stored day-first text: it counts as changed.
    s.grid->Columns()->Items(2)->SetFormat("MM/DD/YYYY");
    s.grid->SetString(1, 2, "05/03/2006");
    s.ui.pressKey(VK_RETURN);
    s.ui.pressKey(VK_RETURN);
    ASSERT_EQ(s.at(), "1,2");
    EXPECT_EQ(s.editor()->GetText(), "03/05/2006");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.grid->GetString(1, 2), "05/03/2006");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"cell 1,2 05/03/2006"}));
}

TEST(GridEdit, AFailedConversionShowsTheMessageAndLosesNeitherTheStoredValueNorTheTypedText)
{
    EditScreen s;
    s.grid->SetString(1, 2, "");  // an empty date cell
    s.editCell(0, 150);
    ASSERT_EQ(s.at(), "0,2");
    EXPECT_EQ(s.editor()->GetText(), "03/03/2006");

    // A date emptied in the editor (as its picker does) is refused: the message
    // shows empty quotes and the stored date comes back.
    s.editor()->setDate(sDB_date());
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.shownMessages(), (std::vector<AnsiString>{"El valor '' no es v\xE1lido"}));
    EXPECT_EQ(s.ui.messageBoxes.size(), 0u);
    EXPECT_EQ(s.at(), "0,2");
    EXPECT_EQ(s.editor()->GetText(), "03/03/2006");
    EXPECT_EQ(s.grid->GetString(0, 2), "03/03/2006");
    EXPECT_TRUE(s.ui.takeEvents().empty());

    // A decimal text that does not read stays typed in the editor; the cell keeps its value.
    s.ui.pressKey(VK_RETURN);
    ASSERT_EQ(s.at(), "0,3");
    s.ui.typeText("1.234,5");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.shownMessages(), (std::vector<AnsiString>{"'1.234,5' is not a valid floating point value."}));
    EXPECT_EQ(s.at(), "0,3");
    EXPECT_EQ(s.editor()->GetText(), "1.234,5");
    EXPECT_EQ(s.grid->GetString(0, 3), "1,50");
    s.ui.pressKey(VK_ESCAPE);  // back to the value at focus, all selected
    s.ui.pressKey(VK_ESCAPE);
    EXPECT_EQ(s.at(), "-");
    EXPECT_EQ(s.grid->GetString(0, 3), "1,50");

    // An empty date cell cannot be left by Enter: the editor stays on it.
    s.ui.advance(1000);
    s.editCell(1, 150);
    ASSERT_EQ(s.at(), "1,2");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.shownMessages(), (std::vector<AnsiString>{"El valor '' no es v\xE1lido"}));
    EXPECT_EQ(s.at(), "1,2");
    EXPECT_EQ(s.grid->GetString(1, 2), "");
}

TEST(GridEdit, EscapeCommitsNothingButTheRowExitReportsEarlierChanges)
{
    EditScreen s;
    s.editCell(2, 10);
    s.ui.typeText("new");
    s.ui.pressKey(VK_RETURN);
    ASSERT_EQ(s.at(), "2,1");
    s.ui.typeText("99");
    s.ui.pressKey(VK_ESCAPE);  // text not all selected: back to the stored text
    EXPECT_EQ(s.editor()->GetText(), "12");
    EXPECT_EQ(s.at(), "2,1");
    s.ui.typeText("77");
    s.ui.pressKey(VK_HOME, {});
    s.ui.pressKey(VK_END, {ssShift});
    s.ui.pressKey(VK_ESCAPE);  // all selected: leaves without committing
    EXPECT_EQ(s.at(), "-");
    EXPECT_EQ(s.grid->GetString(2, 1), "12");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"cell 2,0 new", "exit 2 modified", "enter 2"}));
    EXPECT_FALSE(s.grid->GetRowModified());
    EXPECT_TRUE(s.grid->Focused());
    EXPECT_EQ(s.grid->GetRowIndex(), 2);
}

TEST(GridEdit, TheEditorFollowsItsCellWhenTheGridScrolls)
{
    // Three rows above the horizontal scroll bar, a bit more than two columns in sight.
    EditScreen s(10, 150, 65);
    ASSERT_EQ(s.grid->GetNumOfEntireRows(), 3);
    s.editCell(1, 50);
    ASSERT_EQ(s.at(), "1,1");
    EXPECT_EQ(s.editor()->GetEditRect(), (TRect{40, 32, 121, 49}));

    // Moving to a column out of sight scrolls the body to the left under the editor.
    s.ui.pressKey(VK_RETURN);
    s.ui.pressKey(VK_RETURN);
    ASSERT_EQ(s.at(), "1,3");
    int offset = s.body()->HorzOffset();
    EXPECT_GT(offset, 0);
    EXPECT_EQ(s.body()->GetCellRect(1, 3).left, 180 - offset);
    EXPECT_EQ(s.editor()->Left(), 180 - offset);
    EXPECT_EQ(s.editor()->Left() + s.editor()->Width(), 251 - offset);

    // Down past the last row in sight scrolls one row up; the editor stays on its cell.
    s.ui.pressKey(VK_DOWN);
    s.ui.pressKey(VK_DOWN);
    ASSERT_EQ(s.at(), "3,3");
    EXPECT_EQ(s.grid->GetRowTop(), 1);
    EXPECT_EQ(s.editor()->Top(), (3 - 1) * 15 + 18 - 1);

    // Scrolled by the program or the wheel, it moves with the cell, and out of
    // sight with it.
    s.grid->SetRowTop(2);
    s.ui.pump();
    EXPECT_EQ(s.editor()->Top(), (3 - 2) * 15 + 18 - 1);
    s.grid->SetRowTop(5);
    s.ui.pump();
    EXPECT_GE(s.editor()->Top(), s.grid->ClientHeight());
    EXPECT_EQ(s.at(), "3,3");
    s.grid->SetRowTop(1);
    s.ui.pump();
    EXPECT_EQ(s.editor()->Top(), (3 - 1) * 15 + 18 - 1);
    s.ui.wheel(s.body(), 20, 20, -1);  // reaches the focused editor, then the grid
    EXPECT_EQ(s.grid->GetRowTop(), 2);
    EXPECT_EQ(s.editor()->Top(), (3 - 2) * 15 + 18 - 1);
    EXPECT_TRUE(s.editor()->Focused());
}

TEST(GridEdit, FocusLeavingTheEditorCommitsAndHandsTheRowBack)
{
    EditScreen s;
    auto* other = new TVarnEdit(s.form);
    other->SetParent(s.form);
    other->SetBounds(10, 130, 100, 17);
    s.ui.pump();

    // To another control: committed, hidden, the focus stays where it went.
    s.editCell(1, 10);
    s.ui.typeText("x");
    s.ui.click(other, 5, 5);
    EXPECT_EQ(s.at(), "-");
    EXPECT_EQ(s.grid->GetString(1, 0), "x");
    EXPECT_TRUE(other->Focused());
    EXPECT_FALSE(s.grid->asLogicFocus());
    EXPECT_EQ(s.ui.takeEvents(), (Events{"cell 1,0 x", "exit 1 modified", "enter 1"}));

    // To the grid, by a click on another row: committed, then the row moves.
    s.ui.advance(1000);
    s.editCell(2, 10);
    s.ui.typeText("y");
    s.click(10, rowY(3));
    EXPECT_EQ(s.at(), "-");
    EXPECT_EQ(s.grid->GetString(2, 0), "y");
    EXPECT_EQ(s.grid->GetRowIndex(), 3);
    EXPECT_TRUE(s.grid->Focused());
    EXPECT_TRUE(s.grid->asLogicFocus());
    EXPECT_EQ(s.ui.takeEvents(), (Events{"cell 2,0 y", "exit 2 modified", "enter 2", "exit 2", "enter 3"}));
}

TEST(GridEdit, HidingClosingOrDestroyingTheFormWhileEditingNeverCrashes)
{
    {
        EditScreen s;
        s.editCell(1, 10);
        s.ui.typeText("kept");
        s.form->Hide();  // the focus leaves with the form: the typed text is committed
        s.ui.pump();
        EXPECT_EQ(s.grid->GetString(1, 0), "kept");
        EXPECT_EQ(s.at(), "-");
        EXPECT_EQ(s.ui.takeEvents(), (Events{"cell 1,0 kept", "exit 1 modified", "enter 1"}));
        EXPECT_FALSE(s.grid->Focused());
    }
    {
        // Closing the main form ends the program; the form then goes with the
        // editor focused, and what was typed and not committed goes with it.
        EditScreen s;
        s.editCell(1, 10);
        s.ui.typeText("gone");
        s.form->Close();
        s.ui.pump();
        delete s.form;
        s.ui.pump();
        EXPECT_TRUE(s.ui.takeEvents().empty());
    }
    {
        // The row being edited deleted by the program: nothing is written anywhere.
        EditScreen s;
        s.editCell(1, 10);
        s.ui.typeText("lost");
        s.grid->DeleteRow(1);
        s.ui.pressKey(VK_RETURN);
        s.ui.pressKey(VK_DOWN);
        s.ui.pressKey(VK_TAB, {ssShift});
        EXPECT_EQ(s.grid->GetRowCount(), 3);
        for (int r = 0; r < 3; ++r)
            EXPECT_NE(s.grid->GetString(r, 0), "lost");
    }
    {
        // The grid alone destroyed while its editor has the focus.
        EditScreen s;
        s.editCell(1, 10);
        s.ui.typeText("gone");
        s.grid->OnRowEnter = nullptr;
        s.grid->OnRowExit = nullptr;
        s.grid->OnCellModified = nullptr;
        delete s.grid;
        s.ui.pressKey(VK_RETURN);
        s.ui.typeText("x");
        EXPECT_EQ(GetFocus(), nullptr);
    }
}

TEST(GridEdit, ListBooleanTimeAndMoneyColumnsEditTheirOwnWay)
{
    GridScreen s({60, 60, 60, 80});
    TVGColumnCollection* columns = s.grid->Columns();
    columns->Items(0)->SetIsCombo(true);
    columns->Items(0)->add("Madrid", "M");
    columns->Items(0)->add("Sevilla", "S");
    columns->Items(1)->SetDataType(vgBoolean);
    columns->Items(2)->SetDataType(vgTime);
    columns->Items(3)->SetDataType(vgMoney);
    s.grid->SetEditable(true);
    s.grid->AddRow();
    s.grid->SetString(0, 0, "M");
    s.grid->SetString(0, 1, "true");
    s.grid->SetString(0, 2, "09:30");
    s.grid->SetString(0, 3, "1.234,50");
    s.show();
    std::vector<std::string> cells;
    s.grid->OnCellModified = [&](int row, int col) {
        cells.push_back(std::to_string(col) + " " + s.grid->GetString(row, col));
    };
    s.click(10, 7);
    s.grid->StartEdit();
    s.ui.pump();
    TVGEdit* editor = s.grid->Editor();
    EXPECT_EQ(editor->getMode(), sEditList);
    EXPECT_EQ(editor->GetText(), "Madrid");
    s.ui.typeText(" ");  // the next item, written at once
    EXPECT_EQ(s.grid->GetString(0, 0), "S");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(editor->getMode(), sEditBoolean);
    EXPECT_EQ(editor->GetText(), "s\xED");
    s.ui.typeText(" ");
    EXPECT_EQ(s.grid->GetString(0, 1), "false");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(editor->getMode(), sEditTime);
    EXPECT_EQ(editor->GetText(), "09:30");
    s.ui.typeText("17:45");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.grid->GetString(0, 2), "17:45");
    // A money cell opens without its thousands marks and is stored with them;
    // leaving it unchanged is no change.
    EXPECT_EQ(editor->getMode(), sEditDouble);
    EXPECT_EQ(editor->GetText(), "1234,50");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.grid->GetString(0, 3), "1.234,50");
    EXPECT_EQ(cells, (std::vector<std::string>{"0 S", "1 false", "2 17:45"}));
    s.ui.typeText("2000000");
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.grid->GetString(0, 3), "2.000.000,00");
}
