// The calendar in form descriptions.
#include "edit/VarnCalendarProperties.h"

#include "edit/VarnCalendar.h"
#include "platform/Forms.h"
#include "platform/Streaming.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

namespace {

class TCalendarForm : public TForm {
public:
    using TForm::TForm;
    void calChange(TObject*) { ++changes; }
    void calHoliday(sDB_date d, bool& holiday) { holiday = d.day == 8; }
    TVarnCalendar* cal = nullptr;
    int changes = 0;
};

void registerForm()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterPublishedClass<TCalendarForm>("TCalendarForm", "TForm")
        .Field("cal", &TCalendarForm::cal)
        .Handler("calChange", &TCalendarForm::calChange)
        .Handler("calHoliday", &TCalendarForm::calHoliday);
}

}  // namespace

TEST(VarnCalendarStreaming, WritesWhatDiffersFromTheDefaultsAndReadsItBack)
{
    registerForm();
    varn::test::UiHarness ui;
    auto* form = ui.createForm<TCalendarForm>();
    form->SetName("CalendarForm");
    auto* cal = new TVarnCalendar(form);
    cal->SetName("cal");
    cal->SetParent(form);
    cal->SetBounds(8, 16, 168, 114);
    EXPECT_EQ(WriteComponentText(cal), "object cal: TVarnCalendar\n"
                                       "  Left = 8\n"
                                       "  Top = 16\n"
                                       "  Width = 168\n"
                                       "  Height = 114\n"
                                       "  TabOrder = 0\n"
                                       "end\n");
    EXPECT_THROW(GetPropText(cal, "Caption"), EReadError);
    EXPECT_THROW(GetPropText(cal, "OnKeyDown"), EReadError);

    cal->Multiselect = true;
    cal->SetTabStop(false);
    cal->setXColor(8, clRed);
    cal->setXColor(0, clYellow);
    SetEventHandler(cal, "OnChange", "calChange");
    SetEventHandler(cal, "OnGetHolidayInfo", "calHoliday");
    const AnsiString text = WriteComponentText(cal);
    EXPECT_EQ(text, "object cal: TVarnCalendar\n"
                    "  Left = 8\n"
                    "  Top = 16\n"
                    "  Width = 168\n"
                    "  Height = 114\n"
                    "  OnChange = calChange\n"
                    "  OnGetHolidayInfo = calHoliday\n"
                    "  Multiselect = True\n"
                    "  TabStop = False\n"
                    "  TabOrder = 0\n"
                    "  ColorBackground = clYellow\n"
                    "  ColorDayHoly = clRed\n"
                    "end\n");

    auto* copy = ui.createForm<TCalendarForm>();
    ReadComponentText(WriteComponentText(form), copy);
    ASSERT_NE(copy->cal, nullptr);
    EXPECT_EQ(WriteComponentText(copy->cal), text);
    EXPECT_TRUE(copy->cal->Multiselect);
    ui.show(copy);
    copy->cal->setDate({5, 3, 2006});
    EXPECT_TRUE(copy->cal->Cell(9).holiday);
    copy->cal->xsetActive(12);
    EXPECT_EQ(copy->changes, 1);
    EXPECT_EQ(form->changes, 0);
}
