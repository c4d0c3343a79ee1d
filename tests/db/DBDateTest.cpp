#include "db/DBDate.h"

#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

namespace chr = std::chrono;

namespace {

sDB_date fromGregorian(chr::sys_days days)
{
    chr::year_month_day ymd{days};
    return {int(unsigned(ymd.day())), int(unsigned(ymd.month())), int(ymd.year())};
}

int isoWeekday(chr::sys_days days)
{
    return int(chr::weekday{days}.iso_encoding());
}

} // namespace

TEST(DBDate, SteppingKeepsTheDayWithinMonthYearAndLeapEnds)
{
    struct Case {
        void (sDB_date::*step)();
        sDB_date from, to;
    };
    const Case cases[] = {
        {&sDB_date::nextDay, {30, 11, 2006}, {1, 12, 2006}},   {&sDB_date::nextDay, {31, 12, 2006}, {1, 1, 2007}},
        {&sDB_date::nextDay, {28, 2, 1900}, {29, 2, 1900}},    {&sDB_date::nextDay, {28, 2, 2006}, {1, 3, 2006}},
        {&sDB_date::prevDay, {1, 3, 2004}, {29, 2, 2004}},     {&sDB_date::prevDay, {1, 1, 2006}, {31, 12, 2005}},
        {&sDB_date::nextMonth, {31, 1, 2006}, {28, 2, 2006}},  {&sDB_date::nextMonth, {31, 1, 2004}, {29, 2, 2004}},
        {&sDB_date::nextMonth, {15, 11, 2006}, {15, 12, 2006}}, {&sDB_date::nextMonth, {15, 12, 2006}, {15, 1, 2007}},
        {&sDB_date::prevMonth, {31, 3, 2006}, {28, 2, 2006}},  {&sDB_date::prevMonth, {15, 1, 2006}, {15, 12, 2005}},
        {&sDB_date::nextYear, {29, 2, 2004}, {28, 2, 2005}},   {&sDB_date::prevYear, {29, 2, 2004}, {28, 2, 2003}},
        {&sDB_date::nextWeek, {28, 12, 2006}, {4, 1, 2007}},   {&sDB_date::prevWeek, {3, 3, 2004}, {25, 2, 2004}},
        {&sDB_date::setLastDayOfMonth, {10, 2, 2100}, {29, 2, 2100}}, {&sDB_date::nextDay, {}, {1, 1, 0}},
    };
    for (const Case& c : cases) {
        sDB_date d = c.from;
        (d.*c.step)();
        EXPECT_EQ(d.toString(), c.to.toString()) << "from " << c.from.toString();
    }
    sDB_date d{30, 12, 2006};
    d.addDays(-5);
    EXPECT_EQ(d.toString(), "2006/12/30");
    d.addDays(63);
    EXPECT_EQ(d.toString(), "2007/03/03");

    EXPECT_EQ(sDB_date::daysInMonth(1900, 2), 29);
    EXPECT_EQ(sDB_date::daysInMonth(2100, 2), 29);
    EXPECT_EQ(sDB_date::daysInMonth(-3, 2), 28);
    EXPECT_EQ(sDB_date::daysInMonth(2006, 0), -1);
    // Months that only garbage text produces stay inside the table.
    EXPECT_EQ(sDB_date::daysInMonth(2006, 13), -1);
    EXPECT_EQ(sDB_date::daysInMonth(2006, -1), -1);
}

// Every day from 1901 to 2099, where both leap rules agree, against an
// independent Gregorian count: day number, weekday, stepping and comparisons.
TEST(DBDate, DayNumberAndWeekdayAgreeWithTheGregorianCalendar1901To2099)
{
    const chr::sys_days origin{chr::year{1901} / 1 / 1};
    const chr::sys_days last{chr::year{2099} / 12 / 31};
    sDB_date stepped{1, 1, 1901};
    sDB_date previous{31, 12, 1900};
    for (chr::sys_days day = origin; day <= last; day += chr::days{1}) {
        sDB_date d = fromGregorian(day);
        ASSERT_EQ(stepped.toString(), d.toString());
        ASSERT_EQ(d.dayNumber(), (day - origin).count() + 1) << d.toString();
        ASSERT_EQ(d.dayOfWeek(), isoWeekday(day)) << d.toString();
        ASSERT_TRUE(previous <= d && !(d <= previous) && !(previous == d)) << d.toString();
        previous = d;
        stepped.nextDay();
    }
    EXPECT_EQ((sDB_date{5, 3, 2006}).dayNumber(), 38415);
    EXPECT_TRUE((sDB_date{5, 3, 2006}) == (sDB_date{5, 3, 2006}));

    // Before 1901 the count runs on by one a day through the leap years 1900
    // and 1896, so 31 December 1900 does not collide with 1 January 1901.
    sDB_date d{1, 1, 1901};
    for (int expected = 0; expected > -4000; --expected) {
        d.prevDay();
        ASSERT_EQ(d.dayNumber(), expected) << d.toString();
    }
    EXPECT_TRUE(sDB_date{} <= (sDB_date{1, 1, 1901}));
}

TEST(DBDate, WeekdayHoldsOutsideTheCalendarTimeRange)
{
    for (int year : {1601, 1899, 1900, 1969, 2038, 2100, 2400, 9999}) {
        for (unsigned month = 1; month <= 12; ++month) {
            chr::sys_days day{chr::year{year} / month / 13};
            EXPECT_EQ(fromGregorian(day).dayOfWeek(), isoWeekday(day)) << year << "/" << month;
        }
    }
    // Days past a month's end carry over: 29 February 1900 falls on 1 March.
    EXPECT_EQ((sDB_date{29, 2, 1900}).dayOfWeek(), 4);
    EXPECT_EQ((sDB_date{25, 0, 2006}).dayOfWeek(), 7);  // 25 December 2005
}

TEST(DBDate, SetFromTextReadsFixedPositions)
{
    struct Case {
        std::string text;
        const char* date;
    };
    const Case cases[] = {
        {"05/03/2006", "2006/03/05"}, {"05-03-2006", "2006/03/05"},   {"5/3/2006", "0006/00/05"},
        {"2006/03/05", "0003/06/20"}, {"", "0000/00/00"},             {"05/0", "0000/00/05"},
        {" 5/ 3/ 2006", "2006/03/05"}, {"05/03/2006 12:30", "2006/03/05"}, {"05/03/200612", "20061/03/05"},
        {"ab/cd/efgh", "0000/00/00"}, {std::string("05\0" "03/2006", 10), "0000/00/05"},
    };
    for (const Case& c : cases) {
        sDB_date d{9, 9, 9999};
        d.setFromText(c.text);
        EXPECT_EQ(d.toString(), c.date) << "'" << c.text << "'";
    }
    for (auto [text, expected] : {std::pair{"09:05", "09:05"}, {"9:30", "09:00"}, {"23:59:59", "23:59"}, {"", "00:00"}}) {
        sDB_time t{7, 7};
        t.setFromText(text);
        EXPECT_EQ(t.toString(), expected) << text;
    }
}

TEST(DBDate, TextFormsNamesAndNullStates)
{
    sDB_date d{5, 3, 2006};
    EXPECT_EQ(d.quotedString(), "'2006/03/05'");
    EXPECT_EQ(d.longString(), "domingo, 5 de marzo de 2006");
    EXPECT_EQ((sDB_date{4, 3, 2006}).dayNameShort(), "s\xE1" "b");
    EXPECT_EQ((sDB_date{8, 3, 2006}).dayNameShort(), "mie");
    EXPECT_EQ(sDB_date{}.monthName(), "");
    EXPECT_EQ((sDB_date{5, 13, 2006}).monthName(), "");
    EXPECT_EQ(sDB_date::monthNameOf(3, sDB_dateLanguage::Catalan), "mar\xE7");
    EXPECT_EQ(sDB_date::weekdayNameOf(7, sDB_dateLanguage::Catalan), "Diumenge");
    EXPECT_EQ(sDB_date::weekdayNameOf(8), "");
    EXPECT_EQ((sDB_time{9, 5}).quotedString(), "'09:05'");

    EXPECT_TRUE(sDB_date{}.isNull());
    EXPECT_FALSE((sDB_date{0, 0, 2006}).isNull());
    d.clear();
    EXPECT_TRUE(d.isNull());
    EXPECT_FALSE(sDB_time{}.isNull());
}

TEST(DBDate, FormattingGoesThroughTheLocaleAndRejectsNonDates)
{
    sDB_date d{5, 3, 2006};
    EXPECT_EQ(d.dateString(), "05/03/2006");
    EXPECT_EQ(d.formatString("DD/MM/YYYY"), "05/03/2006");
    TFormatSettings saved = FormatSettings;
    FormatSettings.ShortDateFormat = "yyyy/mm/dd";
    FormatSettings.DateSeparator = '-';
    EXPECT_EQ(d.dateString(), "2006-03-05");
    FormatSettings = saved;

    for (sDB_date bad : {sDB_date{}, sDB_date{0, 3, 2006}, sDB_date{31, 4, 2006}, sDB_date{29, 2, 1900}}) {
        try {
            bad.dateString();
            ADD_FAILURE() << bad.toString() << " formatted";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "Invalid argument to date encode");
        }
        EXPECT_THROW(bad.formatString("DD/MM/YYYY"), EConvertError) << bad.toString();
    }

    EXPECT_EQ((sDB_time{9, 5}).formatString("HH:MM"), "09:05");
    for (sDB_time bad : {sDB_time{24, 0}, sDB_time{12, 60}}) {
        try {
            bad.formatString("HH:MM");
            ADD_FAILURE() << bad.toString() << " formatted";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "Invalid argument to time encode");
        }
    }
}

TEST(DBDate, SetTodayUsesLocalTime)
{
    // Fourteen hours ahead of UTC and twelve behind, the local dates always
    // differ from each other, so at least one differs from the UTC date.
    const char* oldTz = std::getenv("TZ");
    std::string savedTz = oldTz ? oldTz : "";
    for (auto [tz, offset] : {std::pair{"XXX-14", 14}, {"XXX+12", -12}}) {
        setenv("TZ", tz, 1);
        tzset();
        sDB_date today;
        today.setToday();
        std::time_t shifted = std::time(nullptr) + offset * 3600;
        std::tm expected{};
        gmtime_r(&shifted, &expected);
        EXPECT_EQ(today.toString(),
                  Sprintf("%04i/%02i/%02i", expected.tm_year + 1900, expected.tm_mon + 1, expected.tm_mday))
            << tz;
    }
    if (oldTz)
        setenv("TZ", savedTz.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
