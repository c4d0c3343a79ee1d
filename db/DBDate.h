// Calendar date and time-of-day values with their own arithmetic, text forms
// and Spanish (and Catalan) names.
#pragma once

#include "platform/win/Types.h"

#include <cstdint>

enum class sDB_dateLanguage { Spanish, Catalan };

// A calendar date. All fields 0 is the empty (null) date. Nothing keeps the
// fields in range; an aggregate, so sDB_date{5, 3, 2006} is 5 March 2006.
//
// Leap years are those divisible by 4, without the century rule (1900 and 2100
// are leap years here); month lengths, stepping and dayNumber() follow that
// rule. dayOfWeek(), dateString() and formatString() follow the Gregorian
// calendar.
class sDB_date {
public:
    int32_t day = 0;    // 1..31
    int32_t month = 0;  // 1..12
    int32_t year = 0;   // full year: 2006, not 6

    void clear();
    bool isNull() const;

    // Month length; February of a leap year has 29 days. Month 0 (and any
    // month outside 1..12) gives -1.
    static int daysInMonth(int year, int month);
    static bool isLeapYear(int year);

    // "2006/03/05"; the null date gives "0000/00/00". The form written into
    // database statements.
    AnsiString toString() const;
    // The same inside single quotes, ready to stand in a statement: "'2006/03/05'".
    AnsiString quotedString() const;
    // The locale's short date form. EConvertError "Invalid argument to date
    // encode" for anything that is not a real (Gregorian) date, the null date
    // included.
    AnsiString dateString() const;
    // Formats with the date-time pattern language ("DD/MM/YYYY"); fails as
    // dateString() does.
    AnsiString formatString(const AnsiString& format) const;
    // "domingo, 5 de marzo de 2006".
    AnsiString longString() const;

    AnsiString dayName() const;       // "domingo"
    AnsiString dayNameShort() const;  // first three characters: "dom"
    AnsiString monthName() const;     // "marzo"; empty for month 0

    // Name tables: index 0 and anything out of range give the empty text;
    // months 1..12, weekdays 1..7 with 1 = Monday.
    static AnsiString monthNameOf(int month, sDB_dateLanguage language = sDB_dateLanguage::Spanish);
    static AnsiString weekdayNameOf(int weekday, sDB_dateLanguage language = sDB_dateLanguage::Spanish);

    // Reads a day-first "DD/MM/YYYY" text by fixed character positions (the
    // separators are not looked at). Never fails: what cannot be read is 0.
    void setFromText(const AnsiString& text);

    void nextDay();
    void prevDay();
    void nextWeek();
    void prevWeek();
    void addDays(int n);  // nothing for n <= 0
    void nextMonth();     // the day is cut down to the new month's length
    void prevMonth();
    void nextYear();      // 29 February becomes 28 February
    void prevYear();
    void setFirstDayOfMonth();
    void setLastDayOfMonth();

    // Serial day count, 1 for 1 January 1901; consecutive for every date of
    // this calendar, those before 1901 included.
    int dayNumber() const;
    // 1 = Monday ... 7 = Sunday, Gregorian calendar.
    int dayOfWeek() const;
    // Today's date in local time.
    void setToday();

    // Compare by dayNumber(); the only comparisons the type offers.
    bool operator==(const sDB_date& other) const;
    bool operator<=(const sDB_date& other) const;
};

// A time of day to the minute. It has no empty state: 00:00 is an ordinary
// value. An aggregate: sDB_time{9, 5} is 09:05.
class sDB_time {
public:
    int32_t hour = 0;    // 0..23
    int32_t minute = 0;  // 0..59

    void clear();
    bool isNull() const;  // always false

    // "09:05": shown in grid time cells and written into database statements.
    AnsiString toString() const;
    // "'09:05'", ready to stand in a statement.
    AnsiString quotedString() const;
    // Formats with the date-time pattern language ("HH:MM"). EConvertError
    // "Invalid argument to time encode" outside 00:00..23:59.
    AnsiString formatString(const AnsiString& format) const;

    // Reads "HH:MM" by fixed positions (character 3 is not looked at). Never
    // fails: what cannot be read is 0.
    void setFromText(const AnsiString& text);

    int totalMinutes() const;  // hour * 60 + minute
};
