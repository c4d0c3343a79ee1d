#include "GridScreen.h"

#include "platform/Forms.h"
#include "platform/win/WindowManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using varn::test::GridScreen;
using Events = std::vector<std::string>;

namespace {
// Body y of the middle of a row while the top row is 0.
int rowY(int row) { return row * 15 + 7; }
}  // namespace

TEST(GridInput, KeysMoveTheCurrentRow)
{
    GridScreen s;
    s.addRows(20);
    auto* other = new TCustomControl(s.form);
    other->SetParent(s.form);
    other->SetBounds(0, 125, 20, 10);
    other->SetTabStop(true);
    s.show();
    s.recordRowEvents();
    s.grid->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { s.ui.record("key " + std::to_string(key)); };
    s.grid->SetFocus();
    s.ui.pump();

    // The first key only picks row 0 and then reaches the window.
    s.ui.pressKey(VK_DOWN);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"enter 0", "key 40"}));
    s.ui.pressKey(VK_DOWN);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"exit 0", "enter 1"}));
    s.ui.pressKey(VK_NEXT);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"exit 1", "enter 7"}));
    s.ui.pressKey(VK_PRIOR);
    s.ui.pressKey(VK_PRIOR);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"exit 7", "enter 1", "exit 1", "enter 0"}));

    // Down on the last row keeps it and brings it entirely into view.
    s.ui.pressKey(VK_END);
    s.grid->SetRowTop(0);
    s.ui.pressKey(VK_DOWN);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"exit 0", "enter 19"}));
    EXPECT_EQ(s.grid->GetRowIndex(), 19);
    EXPECT_EQ(s.grid->GetRowTop(), 14);

    s.ui.pressKey(VK_HOME);
    s.ui.takeEvents();
    // Space without check boxes is taken and does nothing; other keys go to OnKeyDown.
    s.ui.pressKey(VK_SPACE);
    EXPECT_TRUE(s.ui.takeEvents().empty());
    s.ui.pressKey('A');
    EXPECT_EQ(s.ui.takeEvents(), (Events{"key 65"}));
    // OnKeyDownEx decides whether the key goes on to the window.
    bool consume = true;
    s.grid->OnKeyDownEx = [&](TObject*, WORD& key, TShiftState shift, bool& handled) {
        s.ui.record("ex " + std::to_string(key) + (shift.Contains(ssCtrl) ? " ctrl" : ""));
        handled = consume;
    };
    s.ui.pressKey('B', {ssCtrl});
    EXPECT_EQ(s.ui.takeEvents(), (Events{"ex 17 ctrl", "ex 66 ctrl"}));
    consume = false;
    s.ui.pressKey('C');
    EXPECT_EQ(s.ui.takeEvents(), (Events{"ex 67", "key 67"}));

    // Tab always passes through to the dialog navigation.
    s.ui.pressKey(VK_TAB);
    EXPECT_TRUE(other->Focused());
    EXPECT_EQ(s.grid->GetRowIndex(), 0);
}

TEST(GridInput, SpaceAndCheckBoxClicksToggleChecks)
{
    GridScreen s;
    s.grid->SetCheckBoxes(true);
    s.grid->SetChecksAreRadio(true);
    s.addRows(4);
    s.grid->GetRowInfo(1)->noCheckBox = true;
    s.show();
    s.grid->OnRowChecking = [&](int row) { s.ui.record("check " + std::to_string(row)); };

    s.click(5, rowY(1));  // inside the square of a row that hides its box
    EXPECT_TRUE(s.grid->GetRowChecked(1));
    s.click(30, rowY(2));  // outside the square: only selects
    EXPECT_FALSE(s.grid->GetRowChecked(2));
    s.ui.pressKey(VK_SPACE);
    EXPECT_TRUE(s.grid->GetRowChecked(2));
    EXPECT_TRUE(s.grid->GetRowChecked(1));  // radio drawing does not uncheck others
    s.click(14, rowY(3));  // right edge of the square is outside
    EXPECT_FALSE(s.grid->GetRowChecked(3));
    s.click(1, rowY(1) - 6);  // top-left pixel of the square
    EXPECT_FALSE(s.grid->GetRowChecked(1));
    EXPECT_EQ(s.ui.takeEvents(), (Events{"check 1", "check 2", "check 1"}));
}

TEST(GridInput, ClicksShiftClicksCtrlClicksAndDrags)
{
    GridScreen s;
    s.grid->SetMultiselect(true);
    s.addRows(10);
    s.show();
    s.recordRowEvents();

    s.click(100, rowY(2));
    EXPECT_EQ(s.ui.takeEvents(), (Events{"enter 2"}));
    s.ui.keyDown(VK_SHIFT);
    s.click(100, rowY(5));
    s.ui.keyUp(VK_SHIFT);
    EXPECT_TRUE(s.ui.takeEvents().empty());
    EXPECT_EQ(s.grid->GetRowIndex(), 5);
    EXPECT_EQ(s.grid->GetRowSelectedCount(), 4);
    EXPECT_TRUE(s.grid->GetRowSelected(2) && s.grid->GetRowSelected(5));

    s.ui.keyDown(VK_CONTROL);
    s.click(100, rowY(3));  // selected: cleared, current row stays
    EXPECT_FALSE(s.grid->GetRowSelected(3));
    EXPECT_EQ(s.grid->GetRowIndex(), 5);
    s.ui.advance(1000);  // not a double click
    s.click(100, rowY(3));  // not selected: selected and current
    s.ui.keyUp(VK_CONTROL);
    EXPECT_TRUE(s.grid->GetRowSelected(3));
    EXPECT_EQ(s.grid->GetRowIndex(), 3);
    EXPECT_TRUE(s.ui.takeEvents().empty());

    s.click(100, rowY(0));
    EXPECT_EQ(s.ui.takeEvents(), (Events{"enter 0"}));
    EXPECT_EQ(s.grid->GetRowSelectedCount(), 1);

    // A drag selects from the pressed row to the pointer; the release makes it current.
    s.ui.press(s.body(), 100, rowY(1));
    s.ui.moveTo(s.body(), 100, rowY(4));
    EXPECT_EQ(s.grid->GetRowSelectedCount(), 4);
    EXPECT_EQ(s.grid->GetRowIndex(), 1);
    s.ui.release(s.body(), 100, rowY(4));
    EXPECT_EQ(s.grid->GetRowIndex(), 4);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"enter 1"}));

    // Without Multiselect the current row follows the pointer.
    s.grid->SetMultiselect(false);
    s.ui.takeEvents();
    s.ui.advance(1000);
    s.ui.press(s.body(), 100, rowY(1));
    s.ui.moveTo(s.body(), 100, rowY(3));
    s.ui.release(s.body(), 100, rowY(3));
    EXPECT_EQ(s.ui.takeEvents(), (Events{"enter 1", "exit 1", "enter 3"}));
}

TEST(GridInput, AWindowReadBeforeTheFormShowsIsTheOneThatTakesClicks)
{
    GridScreen s;
    s.addRows(10);
    s.grid->HandleNeeded();
    HWND first = s.grid->Handle();
    s.show();
    s.recordRowEvents();

    // One grid window on the form, with the body inside it.
    EXPECT_EQ(s.grid->Handle(), first);
    EXPECT_EQ(varn::detail::find(s.form->Handle())->children, std::vector<HWND>{first});
    EXPECT_EQ(GetParent(s.body()->Handle()), first);
    s.click(100, rowY(3));
    EXPECT_EQ(s.ui.takeEvents(), (Events{"enter 3"}));
    EXPECT_EQ(s.grid->GetRowIndex(), 3);
}

TEST(GridInput, DoubleClickSelectsWithItsFirstPressAndFiresOnce)
{
    GridScreen s;
    s.addRows(5);
    s.show();
    s.recordRowEvents();
    s.grid->OnDblClick = [&](TObject* sender) { s.ui.record(sender == s.grid ? "dblclick grid" : "dblclick"); };
    s.ui.doubleClick(s.body(), 50, rowY(3));
    EXPECT_EQ(s.ui.takeEvents(), (Events{"enter 3", "dblclick grid"}));
    s.ui.advance(1000);
    s.click(50, 90);  // below the last row: nothing changes
    EXPECT_TRUE(s.ui.takeEvents().empty());
    EXPECT_EQ(s.grid->GetRowIndex(), 3);
}

TEST(GridInput, WheelScrollsWholeRowsWithinThePages)
{
    GridScreen s;
    s.addRows(20);
    s.show();
    s.grid->SetFocus();
    s.ui.pump();
    s.ui.wheel(s.body(), 50, 50, -2);
    EXPECT_EQ(s.grid->GetRowTop(), 2);
    s.ui.wheel(s.body(), 50, 50, -100);
    EXPECT_EQ(s.grid->GetRowTop(), 14);  // the last full page
    s.ui.wheel(s.body(), 50, 50, 100);
    EXPECT_EQ(s.grid->GetRowTop(), 0);
    // Rows under the pointer follow the top row.
    s.grid->SetRowTop(5);
    EXPECT_EQ(s.grid->RowForY(rowY(0)), 5);
    EXPECT_EQ(s.grid->RowForY(-3), 5);
}

TEST(GridHead, DraggingAnEdgeResizesAndTheFillerAbsorbs)
{
    GridScreen s;  // 60, 80, 70; body 300 wide
    s.grid->SetCol100x100("c2");
    s.show();
    TVGHead* head = s.grid->Header();
    TVGColumnCollection* columns = s.grid->Columns();
    ASSERT_EQ(columns->Items(2)->Width(), 300 - 2 - 60 - 80);
    int changes = 0;
    s.grid->OnHeadChange = [&](TObject* sender) { changes += sender == s.grid; };

    s.ui.moveTo(head, 30, 9);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    s.ui.moveTo(head, 55, 9);  // 6 pixels left of the edge: outside the zone
    EXPECT_FALSE(head->Resizing());
    s.ui.moveTo(head, 56, 9);
    EXPECT_TRUE(head->Resizing());
    EXPECT_EQ(Screen->Cursor(), crSizeWE);
    s.ui.press(head, 56, 9);
    s.ui.moveTo(head, 90, 9);
    EXPECT_EQ(columns->Items(0)->Width(), 90);
    EXPECT_EQ(columns->Items(2)->Width(), 300 - 2 - 90 - 80);
    s.ui.moveTo(head, 4, 9);  // too narrow: the width stays
    EXPECT_EQ(columns->Items(0)->Width(), 90);
    s.ui.release(head, 4, 9);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(s.grid->Col100x100(), "c2");

    // The filler column is never found by the hit test. A release over any
    // caption but the first one tells the owner.
    s.ui.moveTo(head, 297, 9);
    EXPECT_FALSE(head->Resizing());
    s.ui.click(head, 120, 9);
    EXPECT_EQ(changes, 2);
    s.ui.advance(1000);
    s.ui.click(head, 30, 9);
    EXPECT_EQ(changes, 2);

    // With check boxes the first caption starts 18 pixels right of the edge.
    s.grid->SetCheckBoxes(true);
    s.ui.pump();
    EXPECT_EQ(head->CellRect(0).left, 18);
    s.ui.moveTo(head, 89, 9);
    ASSERT_TRUE(head->Resizing());
    s.ui.press(head, 89, 9);
    s.ui.moveTo(head, 100, 9);
    s.ui.release(head, 100, 9);
    EXPECT_EQ(columns->Items(0)->Width(), 100 - 18);
}
