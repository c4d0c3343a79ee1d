// The month calendar: its frame, holidays, selection by mouse and keys, painting
// and far dates, driven through the headless harness.
#include "edit/VarnCalendar.h"

#include "platform/Forms.h"
#include "platform/win/BackingStore.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

using varn::test::UiHarness;
using Events = std::vector<std::string>;

namespace {

std::string text(const sDB_date& d) { return d.toString(); }

struct CalendarScreen {
    UiHarness ui;
    TForm* form = ui.createForm(260, 180);
    TVarnCalendar* cal = nullptr;

    explicit CalendarScreen(bool multiselect = false)
    {
        cal = new TVarnCalendar(form);
        cal->SetParent(form);
        cal->SetLeft(20);
        cal->SetTop(20);
        cal->Multiselect = multiselect;
        cal->OnChange = [this](TObject*) { ui.record("change " + text(cal->getDate())); };
        ui.show(form);
    }
    TPoint centre(int cell) const
    {
        TRect r = cal->Cell(cell).rect;
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void clickCell(int cell, TShiftState modifiers = {})
    {
        TPoint p = centre(cell);
        for (auto m : {ssShift, ssCtrl})
            if (modifiers.Contains(m))
                ui.keyDown(m == ssShift ? VK_SHIFT : VK_CONTROL);
        ui.click(cal, p.x, p.y);
        for (auto m : {ssShift, ssCtrl})
            if (modifiers.Contains(m))
                ui.keyUp(m == ssShift ? VK_SHIFT : VK_CONTROL);
        ui.advance(1000);  // the next click is a click of its own
    }
    COLORREF pixel(int x, int y) { return varn::windowPixel(cal->Handle(), x, y); }
    // Whether a cell holds a pixel of the colour (text is anti-aliased, so its
    // strongest pixels are looked for).
    bool cellHasInk(int cell, TColor colour)
    {
        COLORREF want = static_cast<COLORREF>(ColorToRGB(colour));
        TRect r = cal->Cell(cell).rect;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                COLORREF p = pixel(x, y);
                if (std::abs(GetRValue(p) - GetRValue(want)) <= 24 && std::abs(GetGValue(p) - GetGValue(want)) <= 24
                    && std::abs(GetBValue(p) - GetBValue(want)) <= 24)
                    return true;
            }
        return false;
    }
    // The cell's background, beside the text and inside the focus rectangle.
    COLORREF cellBack(int cell)
    {
        TRect r = cal->Cell(cell).rect;
        return pixel(r.left + 2, r.top + 2);
    }
};

COLORREF rgb(TColor colour) { return static_cast<COLORREF>(ColorToRGB(colour)); }

}  // namespace

TEST(VarnCalendar, FrameStartsOnMondayAndShowsFortyTwoDays)
{
    CalendarScreen s;
    s.cal->setDate({5, 3, 2006});
    const TVarnCalendar& cal = *s.cal;
    EXPECT_EQ(text(cal.Cell(0).date), "2006/02/27");
    EXPECT_EQ(cal.Cell(1).text, "28");
    EXPECT_FALSE(cal.Cell(0).inMonth);
    EXPECT_FALSE(cal.Cell(1).inMonth);
    EXPECT_EQ(text(cal.Cell(2).date), "2006/03/01");
    EXPECT_TRUE(cal.Cell(2).inMonth);
    EXPECT_TRUE(cal.Cell(32).inMonth);
    for (int i = 33; i <= 41; ++i) {
        EXPECT_EQ(text(cal.Cell(i).date), text(sDB_date{i - 32, 4, 2006}));
        EXPECT_FALSE(cal.Cell(i).inMonth);
    }
    EXPECT_EQ(cal.Active(), 6);
    EXPECT_EQ(text(cal.getDate()), "2006/03/05");
    EXPECT_EQ(cal.locate({9, 4, 2006}), 41);
    EXPECT_EQ(cal.locate({10, 4, 2006}), -1);
    EXPECT_EQ(cal.Cell(41).rect, (TRect{144, 100, 168, 114}));
    EXPECT_EQ(cal.PrevRect(), (TRect{1, 1, 23, 13}));
    EXPECT_EQ(cal.NextRect(), (TRect{145, 1, 167, 13}));
    EXPECT_EQ(cal.Width(), 168);
    EXPECT_EQ(cal.Height(), 114);

    // A month that starts on a Monday has no leading cells.
    s.cal->setDate({20, 5, 2006});
    EXPECT_EQ(text(cal.Cell(0).date), "2006/05/01");
    EXPECT_TRUE(cal.Cell(0).inMonth);

    // Dates it cannot show leave the frame as it was.
    for (sDB_date bad : {sDB_date{}, sDB_date{31, 2, 2006}, sDB_date{1, 13, 2006}, sDB_date{0, 3, 2006}})
        s.cal->setDate(bad);
    EXPECT_EQ(text(cal.getDate()), "2006/05/20");
    EXPECT_TRUE(s.ui.takeEvents().empty());
}

TEST(VarnCalendar, SundaysAreHolidaysWithoutAskingAndOtherDaysAreAsked)
{
    CalendarScreen s;
    std::vector<std::string> asked;
    int sundaysAsked = 0;
    s.cal->OnGetHolidayInfo = [&](sDB_date d, bool& holiday) {
        asked.push_back(text(d));
        sundaysAsked += d.dayOfWeek() == 7;
        EXPECT_FALSE(holiday);
        holiday = d.day == 8;
    };
    s.cal->setDate({5, 3, 2006});
    EXPECT_EQ(asked.size(), 27u);  // March 2006 has 4 Sundays
    EXPECT_EQ(sundaysAsked, 0);
    EXPECT_EQ(asked.front(), "2006/03/01");
    for (int i : {6, 13, 20, 27})
        EXPECT_TRUE(s.cal->Cell(i).holiday) << i;
    EXPECT_FALSE(s.cal->Cell(34).holiday);  // a Sunday of April
    EXPECT_TRUE(s.cal->Cell(9).holiday);    // 8 March, from the handler

    // Repaint asks again.
    asked.clear();
    s.cal->Repaint();
    EXPECT_EQ(asked.size(), 27u);
}

TEST(VarnCalendar, PaintsTodaySelectionHolidaysAndOtherMonthDays)
{
    CalendarScreen s;
    sDB_date today;
    today.setToday();
    int todayCell = s.cal->locate(today);
    ASSERT_GE(todayCell, 0);
    EXPECT_EQ(s.cal->Active(), todayCell);
    EXPECT_EQ(s.cellBack(todayCell), rgb(clNavy));
    EXPECT_TRUE(s.cellHasInk(todayCell, clWhite));

    s.cal->OnGetHolidayInfo = [](sDB_date d, bool& holiday) { holiday = d.day == 8; };
    s.cal->setDate({15, 3, 2006});
    s.ui.pump();
    EXPECT_EQ(s.pixel(30, 5), rgb(clSilver));          // title band
    EXPECT_EQ(s.cellBack(16), rgb(clNavy));            // 15 March, current
    EXPECT_TRUE(s.cellHasInk(16, clWhite));
    EXPECT_EQ(s.cellBack(15), rgb(clWindow));
    EXPECT_TRUE(s.cellHasInk(15, clBlack));            // 14 March
    EXPECT_FALSE(s.cellHasInk(15, static_cast<TColor>(RGB(196, 0, 0))));
    EXPECT_TRUE(s.cellHasInk(13, static_cast<TColor>(RGB(196, 0, 0))));  // Sunday 12 March
    EXPECT_TRUE(s.cellHasInk(9, static_cast<TColor>(RGB(196, 0, 0))));   // 8 March, named
    EXPECT_TRUE(s.cellHasInk(0, clSilver));            // 27 February
    EXPECT_FALSE(s.cellHasInk(0, clBlack));
    EXPECT_TRUE(s.cellHasInk(41, clSilver));           // Sunday 9 April: other month wins
    EXPECT_FALSE(s.cellHasInk(41, static_cast<TColor>(RGB(196, 0, 0))));

    // A range is painted in the selection colours, the rest is not.
    s.cal->Multiselect = true;
    s.clickCell(20, {ssShift});
    s.ui.pump();
    for (int i = 16; i <= 20; ++i)
        EXPECT_EQ(s.cellBack(i), rgb(clNavy)) << i;
    EXPECT_EQ(s.cellBack(21), rgb(clWindow));

    // Colours are properties.
    s.cal->setXColor(4, clGreen);
    s.ui.pump();
    EXPECT_EQ(s.cellBack(18), rgb(clGreen));
}

TEST(VarnCalendar, ClickingDaysAndMonthButtons)
{
    CalendarScreen s;
    s.cal->setDate({15, 1, 2006});
    int jan31 = s.cal->locate({31, 1, 2006});
    s.clickCell(jan31);
    s.clickCell(jan31);  // the current day again: nothing
    TPoint next{156, 7};
    s.ui.click(s.cal, next.x, next.y);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 2006/01/31", "change 2006/02/28"}));
    EXPECT_EQ(s.cal->Cell(s.cal->Active()).date.month, 2);

    // Two quick clicks on a month button step twice: the second arrives as a
    // double click.
    s.ui.advance(1000);
    s.ui.click(s.cal, 12, 7);
    s.ui.click(s.cal, 12, 7);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 2006/01/28", "change 2005/12/28"}));

    // A day of another month brings its month; OnChange fires even when the day
    // lands on the index the current day had.
    s.ui.advance(1000);
    s.cal->setDate({6, 3, 2006});
    ASSERT_EQ(s.cal->Active(), 7);
    s.clickCell(35);  // 3 April
    EXPECT_EQ(s.cal->Active(), 7);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 2006/04/03"}));

    // With OnDblClick, a double click on the current day is one.
    s.cal->OnDblClick = [&](TObject*) { s.ui.record("double"); };
    TPoint p = s.centre(10);
    s.ui.doubleClick(s.cal, p.x, p.y);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 2006/04/06", "double"}));
}

TEST(VarnCalendar, ArrowKeysStopAtTheFirstAndLastCells)
{
    CalendarScreen s;
    s.cal->SetFocus();
    s.cal->setDate({4, 5, 2006});  // May 2006 starts on a Monday
    ASSERT_EQ(s.cal->Active(), 3);
    s.ui.pressKey(VK_UP);
    EXPECT_EQ(s.cal->Active(), 0);
    s.ui.pressKey(VK_UP);
    s.ui.pressKey(VK_LEFT);
    EXPECT_EQ(s.cal->Active(), 0);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 2006/05/01"}));

    // Down from the last row takes the date of cell 41, in its own month.
    s.cal->setDate({30, 1, 2006});
    ASSERT_EQ(s.cal->Active(), 35);
    s.ui.pressKey(VK_DOWN);
    EXPECT_EQ(text(s.cal->getDate()), "2006/02/05");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 2006/02/05"}));

    // Extending a range does not rebuild: the range reaches cell 41 itself.
    s.cal->Multiselect = true;
    s.cal->setDate({31, 1, 2006});
    s.ui.pressKey(VK_DOWN, {ssShift});
    EXPECT_EQ(s.cal->Active(), 41);
    EXPECT_EQ(s.cal->StartIndex(), 36);
    EXPECT_EQ(s.cal->EndIndex(), 41);

    // Page keys step months, and years with Ctrl.
    s.ui.takeEvents();
    s.ui.pressKey(VK_NEXT);
    s.ui.pressKey(VK_PRIOR, {ssCtrl});
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 2006/03/05", "change 2005/03/05"}));
}

TEST(VarnCalendar, ShiftArrowsExtendTheRangeWithAnEventPerStep)
{
    CalendarScreen s(true);
    s.cal->SetFocus();
    s.cal->setDate({9, 3, 2006});
    ASSERT_EQ(s.cal->Active(), 10);
    for (int i = 0; i < 3; ++i)
        s.ui.pressKey(VK_RIGHT, {ssShift});
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 2006/03/10", "change 2006/03/11", "change 2006/03/12"}));
    EXPECT_EQ(s.cal->StartIndex(), 10);
    EXPECT_EQ(s.cal->EndIndex(), 13);
    EXPECT_EQ(text(s.cal->getStartDate()), "2006/03/09");
    EXPECT_EQ(text(s.cal->getEndDate()), "2006/03/12");

    // Back over the anchor the range turns round.
    for (int i = 0; i < 5; ++i)
        s.ui.pressKey(VK_LEFT, {ssShift});
    EXPECT_EQ(text(s.cal->getStartDate()), "2006/03/07");
    EXPECT_EQ(text(s.cal->getEndDate()), "2006/03/09");

    // A plain move collapses it.
    s.ui.takeEvents();
    s.ui.pressKey(VK_RIGHT);
    EXPECT_EQ(s.cal->StartIndex(), 9);
    EXPECT_EQ(s.cal->EndIndex(), 9);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 2006/03/08"}));

    // Without Multiselect Shift does not extend.
    s.cal->Multiselect = false;
    s.ui.pressKey(VK_RIGHT, {ssShift});
    EXPECT_EQ(s.cal->StartIndex(), s.cal->EndIndex());
}

TEST(VarnCalendar, DraggingSelectsARangeAndTellsOnceAtTheEnd)
{
    CalendarScreen s(true);
    s.cal->setDate({5, 3, 2006});
    TPoint from = s.centre(10);
    TPoint over = s.centre(11);
    TPoint to = s.centre(12);
    s.ui.press(s.cal, from.x, from.y);
    s.ui.moveTo(s.cal, over.x, over.y);
    s.ui.moveTo(s.cal, to.x, to.y);
    s.ui.release(s.cal, to.x, to.y);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 2006/03/09", "change 2006/03/11"}));
    EXPECT_EQ(text(s.cal->getStartDate()), "2006/03/09");
    EXPECT_EQ(text(s.cal->getEndDate()), "2006/03/11");

    // Shift+click extends from the anchor; setEndDate does so too.
    s.ui.advance(1000);
    s.clickCell(16, {ssShift});
    EXPECT_EQ(text(s.cal->getEndDate()), "2006/03/15");
    s.cal->setStartDate({2, 3, 2006});
    s.cal->setEndDate({4, 3, 2006});
    EXPECT_EQ(text(s.cal->getStartDate()), "2006/03/02");
    EXPECT_EQ(text(s.cal->getEndDate()), "2006/03/04");
    s.cal->setEndDate({4, 8, 2006});  // not shown: ignored
    EXPECT_EQ(text(s.cal->getEndDate()), "2006/03/04");
}

TEST(VarnCalendar, FarDatesNeitherCrashNorLeaveTheYearsItShows)
{
    CalendarScreen s;
    s.cal->SetFocus();
    s.cal->setDate({1, 1, 1});
    s.ui.pump();
    EXPECT_EQ(text(s.cal->Cell(0).date), "0001/01/01");  // a Monday
    s.ui.takeEvents();
    s.ui.pressKey(VK_PRIOR);
    s.ui.pressKey(VK_PRIOR, {ssCtrl});
    s.ui.pressKey(VK_UP);
    s.ui.pressKey(VK_LEFT);
    EXPECT_EQ(text(s.cal->getDate()), "0001/01/01");
    EXPECT_TRUE(s.ui.takeEvents().empty());
    s.ui.pressKey(VK_NEXT, {ssCtrl});
    EXPECT_EQ(text(s.cal->getDate()), "0002/01/01");

    s.cal->setDate({31, 12, 9999});
    s.ui.pump();
    int last = s.cal->Active();
    EXPECT_TRUE(s.cal->Cell(last + 1).date.year == 10000);
    s.ui.takeEvents();
    s.ui.pressKey(VK_RIGHT);
    s.ui.pressKey(VK_NEXT);
    s.ui.pressKey(VK_NEXT, {ssCtrl});
    s.ui.pressKey(VK_DOWN);
    s.ui.click(s.cal, 156, 7);
    s.ui.advance(1000);
    s.clickCell(41);
    EXPECT_EQ(text(s.cal->getDate()), "9999/12/31");
    EXPECT_TRUE(s.ui.takeEvents().empty());
    s.ui.pressKey(VK_PRIOR, {ssCtrl});
    EXPECT_EQ(text(s.cal->getDate()), "9998/12/31");

    // Where the date type's leap years and the civil calendar's part, the
    // weekday columns still hold: Sundays are in the last column.
    s.cal->setDate({29, 2, 1900});
    for (int i = 6; i < 42; i += 7)
        EXPECT_EQ(s.cal->Cell(i).holiday, s.cal->Cell(i).inMonth) << i;
    s.ui.pump();
}

TEST(VarnCalendar, AThrowingHolidayHandlerIsReportedAndTheCalendarGoesOn)
{
    CalendarScreen s;
    s.cal->SetFocus();
    int calls = 0;
    s.cal->OnGetHolidayInfo = [&](sDB_date d, bool& holiday) {
        ++calls;
        if (d.month == 3)
            throw Exception("sin festivos");
        if (d.month == 4)
            throw std::runtime_error("sin red");
        if (d.month == 5)
            throw 5;
        holiday = d.day == 14;
    };
    s.cal->setDate({5, 3, 2006});
    ASSERT_EQ(s.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(s.ui.messageBoxes[0].text, "sin festivos.");
    EXPECT_EQ(calls, 1);  // not asked again for that frame
    EXPECT_EQ(text(s.cal->Cell(2).date), "2006/03/01");
    EXPECT_TRUE(s.cal->Cell(6).holiday);  // Sundays still are
    EXPECT_EQ(s.cal->Active(), 6);

    s.ui.pressKey(VK_NEXT);  // from inside the message hook
    s.ui.pressKey(VK_NEXT);
    s.ui.pressKey(VK_NEXT);
    ASSERT_EQ(s.ui.messageBoxes.size(), 3u);
    EXPECT_EQ(s.ui.messageBoxes[1].text, "sin red.");
    EXPECT_EQ(text(s.cal->getDate()), "2006/06/05");
    EXPECT_TRUE(s.cal->Cell(s.cal->locate({14, 6, 2006})).holiday);
    s.ui.pressKey(VK_RIGHT);
    EXPECT_EQ(text(s.cal->getDate()), "2006/06/06");
    s.ui.pump();
}

// The picture in the README: a day with a named holiday, and a range.
TEST(VarnCalendar, RendersAFormToPng)
{
    UiHarness ui;
    TForm* form = ui.createForm(372, 134);
    form->SetColor(clBtnFace);
    auto* single = new TVarnCalendar(form);
    single->SetParent(form);
    single->SetBounds(10, 10, 168, 114);
    single->OnGetHolidayInfo = [](sDB_date d, bool& holiday) { holiday = d.month == 3 && d.day == 20; };
    auto* range = new TVarnCalendar(form);
    range->SetParent(form);
    range->SetBounds(194, 10, 168, 114);
    range->Multiselect = true;
    ui.show(form);
    single->setDate({15, 3, 2006});
    range->setStartDate({13, 3, 2006});
    range->setEndDate({17, 3, 2006});
    single->SetFocus();
    ui.pump();
    const AnsiString file = ::testing::TempDir() + "calendar.png";
    ASSERT_TRUE(varn::SaveWindowToPngFile(form->Handle(), file));
    std::printf("calendar picture: %s\n", file.c_str());
}
