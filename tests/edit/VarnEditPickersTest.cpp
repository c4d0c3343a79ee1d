// The edit box's pop-up pickers driven through the headless harness: opening under
// (or above) the box, the keys and the mouse inside them, closing by Enter, Escape,
// a double click or a press outside, and what the box holds afterwards.
#include "edit/VarnEditInterior.h"

#include "edit/VarnCalendar.h"
#include "grid/VGScrollBox.h"
#include "grid/VarnGrid.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/win/BackingStore.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using varn::test::UiHarness;
using Events = std::vector<std::string>;

namespace {

struct PickerScreen {
    UiHarness ui;
    TForm* form;
    TVarnEdit* box = nullptr;
    TPanel* button = nullptr;  // stands for any control that reacts to a click

    explicit PickerScreen(sVarnEditMode mode, int formTop = 100)
    {
        form = ui.createForm(320, 200);
        form->SetBounds(100, formTop, 320, 200);
        box = new TVarnEdit(form);
        box->SetParent(form);
        box->SetBounds(100, 20, 121, 17);
        box->setMode(mode);
        box->OnChange = [this](TObject*) { ui.record("change " + box->getText()); };
        box->OnPopClose = [this](TObject*) { ui.record("closed"); };
        button = new TPanel(form);
        button->SetParent(form);
        button->SetBounds(10, 150, 80, 25);
        button->OnClick = [this](TObject*) { ui.record("button"); };
        ui.show(form);
    }
    // Opens the picker with a click on the drop-down button.
    TXPopUpForm* open()
    {
        ui.click(box, box->ClientWidth() - 5, 5);
        return TXPopUpForm::openPicker();
    }
    TXDatePopUpForm* openDate() { return dynamic_cast<TXDatePopUpForm*>(open()); }
    TXKeyPopForm* openList() { return dynamic_cast<TXKeyPopForm*>(open()); }
    TPoint boxBottomLeft() { return box->ClientToScreen(TPoint{0, box->Height()}); }
    // By screen point: the second press closes the picker, and the control with it.
    void doubleClick(TControl* control, int x, int y)
    {
        TPoint at = control->ClientToScreen(TPoint{x, y});
        for (int i = 0; i < 2; ++i) {
            ui.pressScreen(at.x, at.y);
            ui.releaseScreen(at.x, at.y);
            ui.advance(50);
        }
    }
};

sDB_date dateOf(int day, int month, int year)
{
    sDB_date d;
    d.day = static_cast<decltype(d.day)>(day);
    d.month = static_cast<decltype(d.month)>(month);
    d.year = static_cast<decltype(d.year)>(year);
    return d;
}

}  // namespace

TEST(VarnEditPickers, DatePickerOnANullDateShowsTodayAndFillsTheBoxAsTheArrowsMove)
{
    PickerScreen s(sEditDate);
    TXDatePopUpForm* picker = s.openDate();
    ASSERT_NE(picker, nullptr);

    sDB_date today;
    today.setToday();
    EXPECT_EQ(picker->FCalendar->getDate(), today);
    EXPECT_TRUE(picker->FCalendar->Focused());
    // Right under the box, one pixel over its bottom edge.
    TPoint below = s.boxBottomLeft();
    EXPECT_EQ(picker->Left(), below.x);
    EXPECT_EQ(picker->Top(), below.y - 1);
    // The box keeps its focused look: the blue frame.
    EXPECT_TRUE(s.box->IsFocused());
    EXPECT_EQ(varn::windowPixel(s.box->Handle(), 0, 5), static_cast<COLORREF>(RGB(0, 0, 255)));
    EXPECT_TRUE(s.box->getDate().isNull());  // opening fills nothing
    // The grey frame line around the calendar.
    EXPECT_EQ(varn::windowPixel(picker->Handle(), 0, 0), static_cast<COLORREF>(RGB(128, 128, 128)));
    EXPECT_EQ(varn::windowPixel(picker->Handle(), picker->Width() - 1, picker->Height() - 1),
              static_cast<COLORREF>(RGB(128, 128, 128)));

    sDB_date next = today;
    next.nextDay();
    sDB_date weekLater = next;
    weekLater.nextWeek();
    s.ui.pressKey(VK_RIGHT);
    EXPECT_EQ(s.box->getDate(), next);
    s.ui.pressKey(VK_DOWN);
    EXPECT_EQ(s.box->getDate(), weekLater);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change " + next.dateString(), "change " + weekLater.dateString()}));
    EXPECT_EQ(TXPopUpForm::openPicker(), picker);  // moving keeps it open

    // Escape closes; the days applied stay, and the box has the focus again.
    s.ui.pressKey(VK_ESCAPE);
    EXPECT_EQ(TXPopUpForm::openPicker(), nullptr);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"closed"}));
    EXPECT_EQ(s.box->getDate(), weekLater);
    EXPECT_EQ(s.box->GetText(), weekLater.dateString());
    EXPECT_TRUE(s.box->Focused());
}

TEST(VarnEditPickers, DatePickerChoosesWithEnterAndWithADoubleClickOnADay)
{
    PickerScreen s(sEditDate);
    s.box->setText("15/03/2006");
    TXDatePopUpForm* picker = s.openDate();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->FCalendar->getDate(), dateOf(15, 3, 2006));
    s.ui.pressKey(VK_LEFT);
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(TXPopUpForm::openPicker(), nullptr);
    EXPECT_EQ(s.box->getText(), "14/03/2006");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 14/03/2006", "change 14/03/2006", "closed"}));

    // A double click on a day: cell 32 of March 2006 is 31 March.
    picker = s.openDate();
    ASSERT_NE(picker, nullptr);
    TRect cell = picker->FCalendar->Cell(32).rect;
    s.doubleClick(picker->FCalendar, cell.left + 5, cell.top + 5);
    EXPECT_EQ(TXPopUpForm::openPicker(), nullptr);
    EXPECT_EQ(s.box->getText(), "31/03/2006");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 31/03/2006", "change 31/03/2006", "closed"}));
}

TEST(VarnEditPickers, DatesAtTheEndsOfTheCalendarNeverLeaveTheYearsItShows)
{
    PickerScreen s(sEditDate);
    for (const char* text : {"01/01/0001", "31/12/9999"}) {
        s.box->setText(text);
        TXDatePopUpForm* picker = s.openDate();
        ASSERT_NE(picker, nullptr) << text;
        // The days of the months around, shown in the first and last cells.
        for (int cell : {0, TVarnCalendar::CellCount - 1}) {
            TRect r = picker->FCalendar->Cell(cell).rect;
            s.ui.click(picker->FCalendar, r.left + 5, r.top + 5);
            sDB_date d = s.box->getDate();
            EXPECT_GE(d.year, 1) << text;
            EXPECT_LE(d.year, 9999) << text;
        }
        for (int key : {VK_LEFT, VK_UP, VK_PRIOR, VK_RIGHT, VK_DOWN, VK_NEXT}) {
            s.ui.pressKey(key);
            s.ui.pressKey(key, {ssCtrl});
            sDB_date d = s.box->getDate();
            EXPECT_GE(d.year, 1) << text;
            EXPECT_LE(d.year, 9999) << text;
        }
        s.ui.pressKey(VK_ESCAPE);
        EXPECT_EQ(TXPopUpForm::openPicker(), nullptr);
    }
}

TEST(VarnEditPickers, ListPickerShowsASeparatorRowWhoseChoiceEmptiesTheValue)
{
    PickerScreen s(sEditList);
    s.box->add("Uno", "1");
    s.box->add("Dos", "2");
    s.box->add("----", TVarnEdit::separatorMark);
    s.box->add("Tres", "3");
    s.box->setText("2");
    TXKeyPopForm* picker = s.openList();
    ASSERT_NE(picker, nullptr);
    TVarnGrid* grid = picker->FGrid;
    ASSERT_EQ(grid->GetRowCount(), 4);
    EXPECT_TRUE(grid->GetIsRowUnicolumn(2));
    EXPECT_EQ(grid->GetRowData(2), "");
    EXPECT_EQ(grid->GetRowIndex(), 1);  // the box's value
    EXPECT_EQ(picker->Width(), s.box->Width());
    EXPECT_EQ(picker->Height(), 100);
    EXPECT_TRUE(s.box->IsFocused());

    // Keys: Down to "----", Up back to "Dos", Down twice to "Tres", Enter.
    for (int key : {VK_DOWN, VK_UP, VK_DOWN, VK_DOWN})
        s.ui.pressKey(key);
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(TXPopUpForm::openPicker(), nullptr);
    EXPECT_EQ(s.box->getText(), "3");
    EXPECT_EQ(s.box->GetText(), "Tres");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 3", "closed"}));

    // The mouse: a double click on the separator row sets the empty value, which
    // matches no item; the shown text stays until the box takes the focus back and
    // shows what its value has (nothing).
    s.box->OnChange = [&](TObject*) { s.ui.record("change '" + s.box->getText() + "' " + s.box->GetText()); };
    picker = s.openList();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->FGrid->GetRowIndex(), 3);
    int rowHeight = picker->FGrid->RowHeight();
    s.doubleClick(picker->FGrid->Body(), 10, 2 * rowHeight + rowHeight / 2);
    EXPECT_EQ(TXPopUpForm::openPicker(), nullptr);
    EXPECT_EQ(s.box->getText(), "");
    EXPECT_EQ(s.box->getItemIndex(), -1);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change '' Tres", "closed"}));
    EXPECT_TRUE(s.box->Focused());
    EXPECT_EQ(s.box->GetText(), "");
}

TEST(VarnEditPickers, EscapeInTheListPickerLeavesTheBoxUnchangedAndFiresNoChange)
{
    PickerScreen s(sEditList);
    s.box->add("Uno", "1");
    s.box->add("Dos", "2");
    s.box->setText("1");
    ASSERT_NE(s.openList(), nullptr);
    s.ui.pressKey(VK_DOWN);
    s.ui.pressKey(VK_ESCAPE);
    EXPECT_EQ(TXPopUpForm::openPicker(), nullptr);
    EXPECT_EQ(s.box->getText(), "1");
    EXPECT_EQ(s.box->GetText(), "Uno");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"closed"}));
}

TEST(VarnEditPickers, SortedItemsKeepTheBoxValueCurrent)
{
    PickerScreen s(sEditList);
    s.box->add("Sevilla", "SE");
    s.box->add("C\xF3rdoba", "CO");
    s.box->add("Almer\xED" "a", "AL");
    s.box->setText("SE");
    s.box->sortItems = true;
    TXKeyPopForm* picker = s.openList();
    ASSERT_NE(picker, nullptr);
    TVarnGrid* grid = picker->FGrid;
    ASSERT_EQ(grid->GetRowCount(), 3);
    EXPECT_EQ(grid->GetString(0, 0), "Almer\xED" "a");
    EXPECT_EQ(grid->GetString(2, 0), "Sevilla");
    EXPECT_EQ(grid->GetRowIndex(), 2);
    s.ui.pressKey(VK_HOME);
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.box->getText(), "AL");
}

TEST(VarnEditPickers, BooleanPickerOpensOnTheShownRowWithTwoRowsOfHeight)
{
    PickerScreen s(sEditBoolean);
    s.box->setText("true");
    ASSERT_EQ(s.box->GetText(), "s\xED");
    TXKeyPopForm* picker = s.openList();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->FGrid->GetRowIndex(), 1);
    EXPECT_EQ(picker->FGrid->GetString(1, 0), "s\xED");
    EXPECT_EQ(picker->Height(), 2 * picker->FGrid->RowHeight() + 6);
    s.ui.pressKey(VK_UP);
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.box->getText(), "false");
    EXPECT_EQ(s.box->GetText(), "no");
}

TEST(VarnEditPickers, ListNearTheBottomOfTheScreenOpensAboveTheBox)
{
    // The box's bottom edge ends 60 pixels above the screen's bottom.
    int formTop = Screen->Height() - 60 - 37;
    PickerScreen s(sEditList, formTop);
    s.box->add("Uno", "1");
    TXKeyPopForm* picker = s.openList();
    ASSERT_NE(picker, nullptr);
    TPoint below = s.boxBottomLeft();
    ASSERT_LT(Screen->Height(), below.y - 1 + 100);
    EXPECT_EQ(picker->Height(), 100);
    EXPECT_EQ(picker->Top(), below.y - 1 - s.box->Height() - 100);
    EXPECT_EQ(picker->Left(), below.x);
}

TEST(VarnEditPickers, PressOutsideClosesThePickerWithoutReachingTheControlUnderIt)
{
    PickerScreen s(sEditList);
    s.box->add("Uno", "1");
    s.ui.click(s.button, 10, 10);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"button"}));
    ASSERT_NE(s.openList(), nullptr);
    s.ui.click(s.button, 10, 10);
    EXPECT_EQ(TXPopUpForm::openPicker(), nullptr);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"closed"}));
    EXPECT_TRUE(s.box->Focused());
    // With the picker gone the hook is too: the next click reaches the control
    // (a while later, or the two presses would make a double click).
    s.ui.advance(1000);
    s.ui.click(s.button, 10, 10);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"button"}));

    // A press on the box itself only closes the picker too.
    ASSERT_NE(s.openList(), nullptr);
    s.ui.click(s.box, 5, 5);
    EXPECT_EQ(TXPopUpForm::openPicker(), nullptr);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"closed"}));
}

TEST(VarnEditPickers, OnlyOnePickerIsOpenAtATime)
{
    PickerScreen s(sEditDate);
    auto* second = new TVarnEdit(s.form);
    second->SetParent(s.form);
    second->SetBounds(100, 60, 121, 17);
    second->setMode(sEditBoolean);
    second->OnPopClose = [&](TObject*) { s.ui.record("second closed"); };
    s.ui.pump();
    TXPopUpForm* first = s.open();
    ASSERT_NE(first, nullptr);
    second->DefaultOnCombo(second);
    s.ui.pump();
    TXPopUpForm* open = TXPopUpForm::openPicker();
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->FEdit, second);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"closed"}));
    s.ui.pressKey(VK_ESCAPE);
    EXPECT_EQ(TXPopUpForm::openPicker(), nullptr);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"second closed"}));
    s.ui.click(s.button, 10, 10);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"button"}));
}

TEST(VarnEditPickers, ABoxFreedWithItsPickerOpenLeavesNoHookBehind)
{
    PickerScreen s(sEditDate);
    ASSERT_NE(s.open(), nullptr);
    delete s.box;
    EXPECT_EQ(TXPopUpForm::openPicker(), nullptr);
    s.ui.pump();
    s.ui.click(s.button, 10, 10);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"button"}));
}
