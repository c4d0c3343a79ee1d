#include "platform/SysUtils.h"

#include <gtest/gtest.h>

namespace {

class DateTime : public ::testing::Test {
protected:
    void TearDown() override { FormatSettings = saved; }
    TFormatSettings saved = FormatSettings;
};

int thisYear()
{
    int year, month, day;
    DecodeDate(Date(), year, month, day);
    return year;
}

}  // namespace

TEST_F(DateTime, EncodeDateFollowsTheGregorianCalendar)
{
    struct Case {
        int year, month, day;
        double value;
    };
    const Case valid[] = {
        {1899, 12, 30, 0},  {1900, 1, 1, 2},     {2000, 1, 1, 36526}, {2006, 3, 5, 38781},
        {2000, 2, 29, 36585}, {1600, 2, 29, -109512}, {1899, 12, 29, -1}, {1, 1, 1, -693593},
        {9999, 12, 31, 2958465},
    };
    for (const Case& c : valid) {
        EXPECT_EQ(EncodeDate(c.year, c.month, c.day), c.value) << c.year << "-" << c.month << "-" << c.day;
        int year, month, day;
        DecodeDate(c.value, year, month, day);
        EXPECT_EQ(year * 10000 + month * 100 + day, c.year * 10000 + c.month * 100 + c.day);
    }
    const int invalid[][3] = {{1900, 2, 29}, {2100, 2, 29}, {2006, 2, 29}, {2006, 0, 1}, {2006, 13, 1},
                              {2006, 4, 31}, {2006, 1, 0},  {0, 1, 1},     {10000, 1, 1}, {2006, 1, 32}};
    for (const auto& c : invalid) {
        TDateTime value = 123;
        EXPECT_FALSE(TryEncodeDate(c[0], c[1], c[2], value)) << c[0] << "-" << c[1] << "-" << c[2];
        EXPECT_EQ(value, 123);
    }
    try {
        EncodeDate(1900, 2, 29);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Invalid argument to date encode");
    }

    // Every day of two centuries decodes to the date it was encoded from, and
    // consecutive days differ by one.
    TDateTime previous = EncodeDate(1899, 12, 31);
    for (int year = 1900; year <= 2100; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= 31; ++day) {
                TDateTime value;
                if (!TryEncodeDate(year, month, day, value))
                    continue;
                ASSERT_EQ(value, previous + 1) << year << "-" << month << "-" << day;
                int y, m, d;
                DecodeDate(value, y, m, d);
                ASSERT_TRUE(y == year && m == month && d == day) << year << "-" << month << "-" << day;
                previous = value;
            }
        }
    }
    EXPECT_EQ(DayOfWeek(0), 7);                       // 30 December 1899, a Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2006, 3, 5)), 1);  // a Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(1600, 1, 1)), 7);
}

TEST_F(DateTime, EncodeTimeRoundTripsEveryMinuteAndRejectsRanges)
{
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    for (int minute = 0; minute < 24 * 60; ++minute) {
        for (int second : {0, 59}) {
            const TDateTime value = EncodeTime(minute / 60, minute % 60, second, 999);
            int h, m, s, ms;
            DecodeTime(value, h, m, s, ms);
            ASSERT_TRUE(h == minute / 60 && m == minute % 60 && s == second && ms == 999) << minute;
            // Stored with a date in front, the time must survive the larger magnitude.
            DecodeTime(EncodeDate(2006, 3, 5) + value, h, m, s, ms);
            ASSERT_TRUE(h == minute / 60 && m == minute % 60 && s == second && ms == 999) << minute;
        }
    }
    const int invalid[][4] = {{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}, {-1, 0, 0, 0}};
    for (const auto& c : invalid) {
        TDateTime value = 7;
        EXPECT_FALSE(TryEncodeTime(c[0], c[1], c[2], c[3], value));
        EXPECT_EQ(value, 7);
    }
    try {
        EncodeTime(24, 0, 0, 0);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Invalid argument to time encode");
    }

    // Before 30 December 1899 the fraction is still the time of day.
    int year, month, day, h, m, s, ms;
    DecodeDate(-1.25, year, month, day);
    DecodeTime(-1.25, h, m, s, ms);
    EXPECT_EQ(year * 10000 + month * 100 + day, 18991229);
    EXPECT_EQ(h, 6);
    // A value a hair below midnight rounds to the next day's midnight, consistently.
    DecodeDate(EncodeDate(2006, 3, 5) - 1e-10, year, month, day);
    DecodeTime(EncodeDate(2006, 3, 5) - 1e-10, h, m, s, ms);
    EXPECT_EQ(year * 10000 + month * 100 + day, 20060305);
    EXPECT_EQ(h * 3600000 + m * 60000 + s * 1000 + ms, 0);
}

TEST_F(DateTime, FormatDateTimeMatchesHandCheckedTable)
{
    const TDateTime sunday = EncodeDate(2006, 3, 5) + EncodeTime(9, 5, 7, 45);
    const TDateTime evening = EncodeDate(2006, 3, 8) + EncodeTime(21, 30, 0, 0);
    const TDateTime saturday = EncodeDate(2006, 3, 4);
    struct Case {
        const char* format;
        TDateTime value;
        const char* text;
    };
    const Case cases[] = {
        {"dd/mm/yyyy", sunday, "05/03/2006"},
        {"d/m/yy", sunday, "5/3/06"},
        {"DD/MM/YYYY", sunday, "05/03/2006"},
        {"HH:MM", sunday, "09:05"},
        {"hh:nn", sunday, "09:05"},
        {"hh:mm:ss.zzz", sunday, "09:05:07.045"},
        {"h:n:s.z", sunday, "9:5:7.45"},
        {"hh:mm dd/mm", sunday, "09:05 05/03"},
        {"mm", sunday, "03"},
        {"h 'h' m", sunday, "9 h 5"},
        {"dddd, d 'de' mmmm 'de' yyyy", sunday, "domingo, 5 de marzo de 2006"},
        {"ddd d mmm", sunday, "dom 5 mar"},
        {"dddd", evening, "mi\xE9rcoles"},
        {"ddd dddd", saturday, "s\xE1" "b s\xE1" "bado"},
        {"ddddd", sunday, "05/03/2006"},
        {"dddddd", sunday, "domingo, 5 de marzo de 2006"},
        {"c", sunday, "05/03/2006 9:05:07"},
        {"c", saturday, "04/03/2006"},
        {"c", saturday + EncodeTime(0, 0, 0, 500), "04/03/2006"},
        {"", sunday, "05/03/2006 9:05:07"},
        {"t", sunday, "9:05"},
        {"tt", sunday, "9:05:07"},
        {"h:nn am/pm", evening, "9:30 pm"},
        {"h:nn AM/PM", sunday, "9:05 AM"},
        {"hh a/p", EncodeTime(0, 15, 0, 0), "12 a"},
        {"hh A/P", EncodeTime(12, 15, 0, 0), "12 P"},
        {"hh", evening, "21"},
        {"yyyy-mm-dd", sunday, "2006-03-05"},
        {"\"d\"d 'x", sunday, "d5 x"},
        {"dd/mm/yyyy hh:nn", -1.25, "29/12/1899 06:00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatDateTime(c.format, c.value), c.text) << c.format;

    FormatSettings.DateSeparator = '-';
    FormatSettings.TimeSeparator = '.';
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", sunday), "05-03-2006 09.05");
    EXPECT_EQ(DateToStr(sunday), "05-03-2006");
    EXPECT_EQ(TimeToStr(sunday), "9.05.07");
    EXPECT_EQ(DateTimeToStr(saturday), "04-03-2006");
}

TEST_F(DateTime, StrToDateReadsTheShortDateOrder)
{
    const int year = thisYear();
    struct Case {
        AnsiString text;
        int year, month, day;
    };
    const Case valid[] = {
        {"05/03/2006", 2006, 3, 5},
        {"5/3/2006", 2006, 3, 5},
        {" 5 / 3 / 2006 ", 2006, 3, 5},
        {"5/3/2006/", 2006, 3, 5},
        {"29/2/2004", 2004, 2, 29},
        {"5/3", year, 3, 5},
        {"1/1/999", 999, 1, 1},
        // Two-digit years fall within fifty years before this year and 49 after.
        {"1/1/" + FormatDateTime("yy", EncodeDate(year + 10, 1, 1)), year + 10, 1, 1},
        {"1/1/" + FormatDateTime("yy", EncodeDate(year - 40, 1, 1)), year - 40, 1, 1},
        {"1/1/" + FormatDateTime("yy", EncodeDate(year - 50, 1, 1)), year - 50, 1, 1},
        {"1/1/" + FormatDateTime("yy", EncodeDate(year - 51, 1, 1)), year + 49, 1, 1},
    };
    for (const Case& c : valid) {
        TDateTime value = 0;
        EXPECT_TRUE(TryStrToDate(c.text, value)) << c.text;
        EXPECT_EQ(value, EncodeDate(c.year, c.month, c.day)) << c.text;
    }
    const char* invalid[] = {"",          "31/2/2006", "29/2/1900",   "5-3-2006", "2006/03/05", "05/03/2006x",
                             "05/03/20061", "5",       "5/",          "/3/2006",  "5/3/",       "0/0/0"};
    for (const char* text : invalid) {
        TDateTime value = 7;
        EXPECT_FALSE(TryStrToDate(text, value)) << text;
        EXPECT_EQ(value, 7);
    }
    try {
        StrToDate("31/2/2006");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'31/2/2006' is not a valid date");
    }

    FormatSettings.ShortDateFormat = "m/d/yyyy";
    EXPECT_EQ(StrToDate("3/5/2006"), EncodeDate(2006, 3, 5));
    FormatSettings.ShortDateFormat = "yyyy-mm-dd";
    EXPECT_EQ(StrToDate("2006-03-05"), EncodeDate(2006, 3, 5));
    TDateTime value = 0;
    EXPECT_FALSE(TryStrToDate("2006/03/05", value)) << "the separator comes from the short date format";
}

TEST_F(DateTime, StrToTimeReadsHoursMinutesSecondsAndAmPm)
{
    struct Case {
        const char* text;
        int hour, minute, second, msec;
    };
    const Case valid[] = {
        {"9:05", 9, 5, 0, 0},     {"09:05:07", 9, 5, 7, 0},  {"9", 9, 0, 0, 0},     {" 23:59:59 ", 23, 59, 59, 0},
        {"9:05 PM", 21, 5, 0, 0}, {"12:00 am", 0, 0, 0, 0},  {"12 PM", 12, 0, 0, 0}, {"pm 1:30", 13, 30, 0, 0},
        {"1:02:03,4", 1, 2, 3, 4},
    };
    for (const Case& c : valid) {
        TDateTime value = -1;
        EXPECT_TRUE(TryStrToTime(c.text, value)) << c.text;
        EXPECT_EQ(value, EncodeTime(c.hour, c.minute, c.second, c.msec)) << c.text;
    }
    const char* invalid[] = {"", "13:00 PM", "0 AM", "24:00", "9:60", "9:", "9:05x", "9.05", ":30"};
    for (const char* text : invalid) {
        TDateTime value = 7;
        EXPECT_FALSE(TryStrToTime(text, value)) << text;
        EXPECT_EQ(value, 7);
    }
    try {
        StrToTime("25:00");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'25:00' is not a valid time");
    }

    // Now is today plus the time of day.
    const TDateTime now = Now();
    EXPECT_GE(now, Date());
    EXPECT_LT(now, Date() + 1.0001);
    EXPECT_GE(Time(), 0);
    EXPECT_LT(Time(), 1);
}
