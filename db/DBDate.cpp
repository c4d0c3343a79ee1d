#include "db/DBDate.h"

#include "platform/SysUtils.h"

#include <algorithm>
#include <ctime>

namespace {

// Indexed by month; entry 0 stands for the missing month of the null date.
constexpr int monthLengths[13] = {-1, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

const char* const spanishMonths[13] = {"", "enero", "febrero", "marzo", "abril", "mayo", "junio",
                                       "julio", "agosto", "septiembre", "octubre", "noviembre",
                                       "diciembre"};
const char* const catalanMonths[13] = {"", "gener", "febrer", "mar\xE7", "abril", "maig", "juny",
                                       "juliol", "agost", "setembre", "octubre", "novembre",
                                       "desembre"};
const char* const spanishWeekdays[8] = {"", "lunes", "martes", "miercoles", "jueves", "viernes",
                                        "s\xE1" "bado", "domingo"};
const char* const catalanWeekdays[8] = {"", "Dilluns", "Dimarts", "Dimecres", "Dijous", "Divendres",
                                        "Dissabte", "Diumenge"};

// Texts are read through a working copy of at most this many characters.
constexpr size_t maxTextLength = 11;

long long floorDiv(long long a, long long b)
{
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

long long floorMod(long long a, long long b)
{
    return a - floorDiv(a, b) * b;
}

// The text as a C string of at most maxTextLength characters would be.
AnsiString workingCopy(const AnsiString& text)
{
    size_t end = std::min(text.find('\0'), maxTextLength);
    return text.substr(0, std::min(end, text.size()));
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads an integer from characters [first, last) of text the way the C
// library's atoi does: blanks, an optional sign, digits up to the first
// non-digit. A field that starts past the end, or has no digit, gives 0.
int readField(const AnsiString& text, size_t first, size_t last)
{
    last = std::min(last, text.size());
    size_t i = first;
    while (i < last && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < last && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Fields are at most maxTextLength characters, so this cannot overflow.
    long long value = 0;
    for (; i < last && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10 + (text[i] - '0');
    return static_cast<int>(negative ? -value : value);
}

// Days from 1 January 1970 in the Gregorian calendar. The month and day may be
// out of range; they carry over the way the C library's mktime normalises them.
long long gregorianDaysFromEpoch(long long year, long long month, long long day)
{
    year += floorDiv(month - 1, 12);
    month = floorMod(month - 1, 12) + 1;
    // Count years from March so that the leap day ends the year.
    if (month <= 2)
        --year;
    long long era = floorDiv(year, 400);
    long long yearOfEra = year - era * 400;
    long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5;
    long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468 + (day - 1);
}

} // namespace

// ---- sDB_date --------------------------------------------------------------

void sDB_date::clear()
{
    day = 0;
    month = 0;
    year = 0;
}

bool sDB_date::isNull() const
{
    return day == 0 && month == 0 && year == 0;
}

bool sDB_date::isLeapYear(int year)
{
    return year % 4 == 0;
}

int sDB_date::daysInMonth(int year, int month)
{
    if (month < 1 || month > 12)
        return -1;
    if (month == 2 && isLeapYear(year))
        return 29;
    return monthLengths[month];
}

AnsiString sDB_date::toString() const
{
    return Sprintf("%04i/%02i/%02i", year, month, day);
}

AnsiString sDB_date::quotedString() const
{
    return Sprintf("'%04i/%02i/%02i'", year, month, day);
}

AnsiString sDB_date::dateString() const
{
    return FormatDateTime(FormatSettings.ShortDateFormat, EncodeDate(year, month, day));
}

AnsiString sDB_date::formatString(const AnsiString& format) const
{
    return FormatDateTime(format, EncodeDate(year, month, day));
}

AnsiString sDB_date::longString() const
{
    return Sprintf("%s, %i de %s de %i", dayName().c_str(), day, monthName().c_str(), year);
}

AnsiString sDB_date::dayName() const
{
    return weekdayNameOf(dayOfWeek());
}

AnsiString sDB_date::dayNameShort() const
{
    return dayName().substr(0, 3);
}

AnsiString sDB_date::monthName() const
{
    return monthNameOf(month);
}

AnsiString sDB_date::monthNameOf(int month, sDB_dateLanguage language)
{
    if (month < 0 || month > 12)
        return {};
    return language == sDB_dateLanguage::Catalan ? catalanMonths[month] : spanishMonths[month];
}

AnsiString sDB_date::weekdayNameOf(int weekday, sDB_dateLanguage language)
{
    if (weekday < 0 || weekday > 7)
        return {};
    return language == sDB_dateLanguage::Catalan ? catalanWeekdays[weekday] : spanishWeekdays[weekday];
}

// Fixed positions, 1-based: day 1-2, separator 3, month 4-5, separator 6, year
// 7 to the end. "5/3/2006" therefore reads as day 5, month 0, year 6.
void sDB_date::setFromText(const AnsiString& text)
{
    AnsiString copy = workingCopy(text);
    day = readField(copy, 0, 2);
    month = readField(copy, 3, 5);
    year = readField(copy, 6, copy.size());
}

void sDB_date::nextDay()
{
    ++day;
    if (day > daysInMonth(year, month)) {
        day = 1;
        nextMonth();
    }
}

void sDB_date::prevDay()
{
    --day;
    if (day < 1) {
        --month;
        if (month < 1) {
            month = 12;
            --year;
        }
        day = daysInMonth(year, month);
    }
}

void sDB_date::nextWeek()
{
    for (int i = 0; i < 7; ++i)
        nextDay();
}

void sDB_date::prevWeek()
{
    for (int i = 0; i < 7; ++i)
        prevDay();
}

void sDB_date::addDays(int n)
{
    for (int i = 0; i < n; ++i)
        nextDay();
}

void sDB_date::nextMonth()
{
    ++month;
    if (month > 12) {
        month = 1;
        nextYear();
        return;
    }
    day = std::min(day, daysInMonth(year, month));
}

void sDB_date::prevMonth()
{
    --month;
    if (month < 1) {
        month = 12;
        prevYear();
        return;
    }
    day = std::min(day, daysInMonth(year, month));
}

void sDB_date::nextYear()
{
    ++year;
    day = std::min(day, daysInMonth(year, month));
}

void sDB_date::prevYear()
{
    --year;
    day = std::min(day, daysInMonth(year, month));
}

void sDB_date::setFirstDayOfMonth()
{
    day = 1;
}

void sDB_date::setLastDayOfMonth()
{
    day = daysInMonth(year, month);
}

// y * 365 + leap days before the year + days of the earlier months + day.
// The leap days are counted with floor division so that years before 1901
// follow on without a gap or an overlap (31 December 1900 is 0).
int sDB_date::dayNumber() const
{
    long long y = static_cast<long long>(year) - 1901;
    long long result = y * 365 + floorDiv(y, 4) + day;
    // Months past 12 count as the whole year; the table has no more entries.
    int lastMonth = std::min(month - 1, 12);
    for (int m = 1; m <= lastMonth; ++m)
        result += daysInMonth(year, m);
    return static_cast<int>(result);
}

// Computed, not taken from the C library's local time conversion, so that it
// holds for every year and in every time zone. Out-of-range days and months
// carry over as that conversion would carry them (29 February 1900 is a
// Thursday, 1 March 1900).
int sDB_date::dayOfWeek() const
{
    long long days = gregorianDaysFromEpoch(year, month, day);
    // 1 January 1970 was a Thursday (4).
    return static_cast<int>(floorMod(days + 3, 7)) + 1;
}

void sDB_date::setToday()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    year = local.tm_year + 1900;
    month = local.tm_mon + 1;
    day = local.tm_mday;
}

bool sDB_date::operator==(const sDB_date& other) const
{
    return dayNumber() == other.dayNumber();
}

bool sDB_date::operator<=(const sDB_date& other) const
{
    return dayNumber() <= other.dayNumber();
}

// ---- sDB_time --------------------------------------------------------------

void sDB_time::clear()
{
    hour = 0;
    minute = 0;
}

bool sDB_time::isNull() const
{
    return false;
}

AnsiString sDB_time::toString() const
{
    return Sprintf("%02i:%02i", hour, minute);
}

AnsiString sDB_time::quotedString() const
{
    return Sprintf("'%02i:%02i'", hour, minute);
}

AnsiString sDB_time::formatString(const AnsiString& format) const
{
    return FormatDateTime(format, EncodeTime(hour, minute, 0, 0));
}

// Fixed positions, 1-based: hour 1-2, separator 3, minute 4 to the end.
void sDB_time::setFromText(const AnsiString& text)
{
    AnsiString copy = workingCopy(text);
    hour = readField(copy, 0, 2);
    minute = readField(copy, 3, copy.size());
}

int sDB_time::totalMinutes() const
{
    return hour * 60 + minute;
}
