#include "GridScreen.h"

#include "platform/Clipbrd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using varn::test::GridScreen;

namespace {

// Columns: name (text), born (date), active (yes/no), count (integer).
void typedColumns(GridScreen& s)
{
    s.grid->Columns()->Items(0)->SetCaption("Name");
    s.grid->Columns()->Items(1)->SetCaption("Born");
    s.grid->Columns()->Items(1)->SetDataType(vgDate);
    s.grid->Columns()->Items(2)->SetCaption("Active");
    s.grid->Columns()->Items(2)->SetDataType(vgBoolean);
    s.grid->Columns()->Items(3)->SetCaption("Count");
    s.grid->Columns()->Items(3)->SetDataType(vgInteger);
    s.grid->Columns()->Items(3)->SetAlignment(taRightJustify);
}

void addRow(GridScreen& s, const std::string& name, const std::string& born, const std::string& active, const std::string& count)
{
    s.grid->AddRow();
    s.grid->AddString(0, name);
    if (!born.empty())
        s.grid->AddString(1, born);
    s.grid->AddString(2, active);
    s.grid->AddString(3, count);
}

int rowY(int row) { return row * 15 + 7; }

}  // namespace

TEST(GridClipboard, CtrlCCopiesTheSelectedRowsAsShownTabSeparatedText)
{
    GridScreen s({60, 80, 50, 50}, 300, 100);
    typedColumns(s);
    addRow(s, "Ana", "05/03/2006", "true", "42");
    addRow(s, "tab\there", "", "false", "7");
    addRow(s, "not copied", "01/01/2001", "true", "1");
    addRow(s, "say \"hi\"\r\nbye", "31/12/1999", "true", "-3");
    s.grid->SetMultiselect(true);
    s.show();
    s.click(5, rowY(0));
    s.ui.keyDown(VK_CONTROL);
    s.click(5, rowY(1));
    s.click(5, rowY(3));
    s.ui.keyUp(VK_CONTROL);
    Clipboard()->SetAsText("old");

    s.ui.pressKey('C', {ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(),
              "Ana\t05/03/2006\ts\xED\t42\r\n"
              "\"tab\there\"\t\tno\t7\r\n"
              "\"say \"\"hi\"\"\r\nbye\"\t31/12/1999\ts\xED\t-3\r\n");

    // Ctrl+Insert copies too, here with the caption line; a single current row without a selection.
    s.grid->SetCopyCaptions(true);
    s.grid->SetMultiselect(false);
    s.grid->SetRowIndex(2);
    s.ui.pressKey(VK_INSERT, {ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(), "Name\tBorn\tActive\tCount\r\nnot copied\t01/01/2001\ts\xED\t1\r\n");

    // A key handler that takes Ctrl+C keeps the clipboard as it is.
    Clipboard()->SetAsText("kept");
    s.grid->OnKeyDownEx = [](TObject*, WORD& key, TShiftState, bool& handled) { handled = key == 'C'; };
    s.ui.pressKey('C', {ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(), "kept");
}

TEST(GridClipboard, CtrlVPastesABlockConvertingEachCellAndReportsTheBadOnes)
{
    GridScreen s({60, 80, 50, 50}, 300, 100);
    typedColumns(s);
    for (int i = 0; i < 4; ++i)
        addRow(s, "r" + std::to_string(i), "01/01/2000", "false", "0");
    s.grid->SetEditable(true);
    s.show();
    s.grid->SetFocus();
    s.grid->SetRowIndex(1);
    s.grid->SetColIndex(1);
    std::vector<std::string> reported;
    s.grid->OnPasteError = [&](int row, int col, const AnsiString& text) {
        reported.push_back(std::to_string(row) + ":" + std::to_string(col) + ":" + text);
    };
    std::vector<std::string> modified;
    s.grid->OnCellModified = [&](int row, int col) { modified.push_back(std::to_string(row) + ":" + std::to_string(col)); };

    // 3 rows x 2 columns from the current cell (row 1, Born) on: a locale date,
    // an ISO date, an impossible date, yes/no by shown text, a bad yes/no.
    Clipboard()->SetAsText("02/03/2020\ts\xED\r\n2021-04-05\tmaybe\r\n31/02/2020\tNO\r\n");
    s.ui.pressKey('V', {ssCtrl});

    EXPECT_EQ(s.grid->GetString(1, 1), "02/03/2020");
    EXPECT_EQ(s.grid->GetString(1, 2), "true");
    EXPECT_EQ(s.grid->GetString(2, 1), "05/04/2021");
    EXPECT_EQ(s.grid->GetString(2, 2), "false");  // as it was
    EXPECT_EQ(s.grid->GetString(3, 1), "01/01/2000");  // as it was
    EXPECT_EQ(s.grid->GetString(3, 2), "false");
    EXPECT_EQ(s.grid->GetString(0, 1), "01/01/2000");  // nothing outside the block
    EXPECT_EQ(s.grid->GetString(1, 0), "r1");
    EXPECT_EQ(reported, (std::vector<std::string>{"2:2:maybe", "3:1:31/02/2020"}));
    EXPECT_EQ(modified, (std::vector<std::string>{"1:1", "1:2", "2:1", "3:2"}));
    EXPECT_TRUE(s.grid->GetRowModified());
    EXPECT_EQ(s.grid->GetRowCount(), 4);

    // Past the last row: rows are added only with AutoAddRow; numbers convert.
    s.grid->OnPasteError = nullptr;
    s.grid->SetRowIndex(3);
    s.grid->SetColIndex(3);
    Clipboard()->SetAsText("5\n6\n7 x\n");
    s.ui.pressKey('V', {ssCtrl});
    EXPECT_EQ(s.grid->GetRowCount(), 4);
    EXPECT_EQ(s.grid->GetString(3, 3), "5");
    EXPECT_TRUE(s.ui.messageBoxes.empty());
    s.grid->SetAutoAddRow(true);
    s.ui.pressKey('V', {ssCtrl});
    ASSERT_EQ(s.grid->GetRowCount(), 6);
    EXPECT_EQ(s.grid->GetString(4, 3), "6");
    EXPECT_EQ(s.grid->GetString(5, 3), "");
    // Without OnPasteError the bad cell is shown in a message box.
    ASSERT_EQ(s.ui.messageBoxes.size(), 1u);
    EXPECT_NE(s.ui.messageBoxes[0].text.find("'7 x'"), AnsiString::npos);

    // A grid that is not Editable takes no paste.
    s.grid->SetEditable(false);
    s.grid->SetRowIndex(0);
    s.grid->SetColIndex(0);
    Clipboard()->SetAsText("changed");
    s.ui.pressKey('V', {ssCtrl});
    EXPECT_EQ(s.grid->GetString(0, 0), "r0");
}

TEST(GridClipboard, PasteSkipsTitleRowsAndACurrentRowPastTheEnd)
{
    GridScreen s({60, 80, 50, 50}, 300, 100);
    typedColumns(s);
    addRow(s, "a", "", "false", "1");
    s.grid->AddRow();
    s.grid->GetRowInfo(1)->unicolumn = true;
    s.grid->SetString(1, 0, "Title");
    addRow(s, "c", "", "false", "3");
    s.grid->SetEditable(true);
    s.show();
    s.grid->SetRowIndex(0);
    s.grid->SetColIndex(0);
    std::vector<std::string> reported;
    s.grid->OnPasteError = [&](int row, int col, const AnsiString& text) {
        reported.push_back(std::to_string(row) + ":" + std::to_string(col) + ":" + text);
    };
    EXPECT_EQ(s.grid->PasteText("x\t01/01/2001\ny\t2\nz\t03/03/2003"), 2);
    EXPECT_EQ(s.grid->GetString(0, 0), "x");
    EXPECT_EQ(s.grid->GetString(1, 0), "Title");
    EXPECT_EQ(s.grid->GetString(2, 0), "z");
    EXPECT_EQ(reported, (std::vector<std::string>{"1:0:y", "1:1:2"}));

    // The current row left past the end by deleting rows before it.
    s.grid->SetRowIndex(2);
    s.grid->DeleteRow(0);
    s.grid->DeleteRow(0);
    ASSERT_EQ(s.grid->GetRowIndex(), 2);
    EXPECT_EQ(s.grid->PasteText("q"), 0);
    EXPECT_EQ(s.grid->GetString(0, 0), "z");
    EXPECT_EQ(s.grid->SelectionAsText(), "");
}
