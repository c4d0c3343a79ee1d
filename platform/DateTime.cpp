// TDateTime services: encoding and decoding, the FormatDateTime pattern
// language, StrToDate/StrToTime and the clock.
#include "platform/SysUtils.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <ctime>

namespace {

constexpr long long msecsPerDay = 86400000;

// Days from 1 January 1970 of a proleptic Gregorian date, and back
// (the well-known era-based civil calendar arithmetic).
long long daysFromCivil(long long year, int month, int day)
{
    year -= month <= 2;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void civilFromDays(long long days, int& year, int& month, int& day)
{
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
}

const long long dateDelta = daysFromCivil(1899, 12, 30);  // day 0 of TDateTime

// A TDateTime split into whole days and milliseconds of the day. The value is
// rounded to the millisecond first, so 10:00 never decodes as 9:59:59.999.
// The fraction is the time of day whatever the sign of the value.
struct TimeStamp {
    long long days = 0;
    long long msecs = 0;
};

TimeStamp toTimeStamp(TDateTime value)
{
    // Values beyond any representable date decode as day 0 instead of overflowing.
    if (!std::isfinite(value) || std::fabs(value) > 1e11)
        value = 0;
    const long long total = std::llround(value * msecsPerDay);
    TimeStamp stamp;
    stamp.days = total / msecsPerDay;
    stamp.msecs = (total < 0 ? -total : total) % msecsPerDay;
    return stamp;
}

int daysInMonth(int year, int month)
{
    static const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : lengths[month - 1];
}

struct DateParts {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, msec = 0;
    int dayOfWeek = 0;  // 1 = Sunday
};

DateParts splitDateTime(TDateTime value)
{
    DateParts parts;
    const TimeStamp stamp = toTimeStamp(value);
    civilFromDays(stamp.days + dateDelta, parts.year, parts.month, parts.day);
    parts.hour = static_cast<int>(stamp.msecs / 3600000);
    parts.minute = static_cast<int>(stamp.msecs / 60000 % 60);
    parts.second = static_cast<int>(stamp.msecs / 1000 % 60);
    parts.msec = static_cast<int>(stamp.msecs % 1000);
    // Day 0, 30 December 1899, was a Saturday.
    parts.dayOfWeek = static_cast<int>(((stamp.days + 6) % 7 + 7) % 7) + 1;
    return parts;
}

// ---- FormatDateTime --------------------------------------------------------

void appendNumber(AnsiString& out, int value, int minimumDigits)
{
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < minimumDigits)
        out.append(minimumDigits - digits.size(), '0');
    out += digits;
}

bool startsWithNoCase(const AnsiString& text, size_t position, const char* word)
{
    for (size_t i = 0; word[i]; ++i) {
        if (position + i >= text.size())
            return false;
        if (std::toupper(static_cast<unsigned char>(text[position + i])) != word[i])
            return false;
    }
    return true;
}

// An hour token shows 12-hour time when an am/pm token follows it before the next hour token.
bool followedByAmPm(const AnsiString& format, size_t position)
{
    for (size_t i = position; i < format.size(); ++i) {
        char c = format[i];
        if (c == '\'' || c == '"') {
            size_t close = format.find(c, i + 1);
            if (close == AnsiString::npos)
                return false;
            i = close;
        } else if (c == 'h' || c == 'H') {
            return false;
        } else if (startsWithNoCase(format, i, "AM/PM") || startsWithNoCase(format, i, "A/P")
                   || startsWithNoCase(format, i, "AMPM")) {
            return true;
        }
    }
    return false;
}

constexpr int maxFormatNesting = 4;  // 'c' and 'ddddd' expand into the locale's formats

void appendFormat(AnsiString& out, const AnsiString& format, const DateParts& parts, int nesting)
{
    if (nesting > maxFormatNesting)
        return;
    const TFormatSettings& settings = FormatSettings;
    char lastToken = ' ';
    size_t i = 0;
    while (i < format.size()) {
        const char starter = format[i];
        char token = static_cast<char>(std::toupper(static_cast<unsigned char>(starter)));
        if (token >= 'A' && token <= 'Z') {
            // "m" right after an hour token means minutes.
            if (token == 'M' && lastToken == 'H')
                token = 'N';
            lastToken = token;
        }
        size_t runEnd = i + 1;
        while (runEnd < format.size() && std::toupper(static_cast<unsigned char>(format[runEnd]))
                                             == std::toupper(static_cast<unsigned char>(starter)))
            ++runEnd;
        const int count = static_cast<int>(runEnd - i);
        switch (token) {
        case 'Y':
            if (count <= 2)
                appendNumber(out, parts.year % 100, 2);
            else
                appendNumber(out, parts.year, 4);
            i = runEnd;
            break;
        case 'M':
            if (count <= 2)
                appendNumber(out, parts.month, count);
            else if (count == 3)
                out += settings.ShortMonthNames[parts.month - 1];
            else
                out += settings.LongMonthNames[parts.month - 1];
            i = runEnd;
            break;
        case 'D':
            if (count <= 2)
                appendNumber(out, parts.day, count);
            else if (count == 3)
                out += settings.ShortDayNames[parts.dayOfWeek - 1];
            else if (count == 4)
                out += settings.LongDayNames[parts.dayOfWeek - 1];
            else if (count == 5)
                appendFormat(out, settings.ShortDateFormat, parts, nesting + 1);
            else
                appendFormat(out, settings.LongDateFormat, parts, nesting + 1);
            i = runEnd;
            break;
        case 'H': {
            int hour = parts.hour;
            if (followedByAmPm(format, runEnd)) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            appendNumber(out, hour, count == 1 ? 1 : 2);
            i = runEnd;
            break;
        }
        case 'N':
            appendNumber(out, parts.minute, count == 1 ? 1 : 2);
            i = runEnd;
            break;
        case 'S':
            appendNumber(out, parts.second, count == 1 ? 1 : 2);
            i = runEnd;
            break;
        case 'Z':
            appendNumber(out, parts.msec, count == 1 ? 1 : 3);
            i = runEnd;
            break;
        case 'T':
            appendFormat(out, count == 1 ? settings.ShortTimeFormat : settings.LongTimeFormat, parts,
                         nesting + 1);
            i = runEnd;
            break;
        case 'C':
            appendFormat(out, settings.ShortDateFormat, parts, nesting + 1);
            if (parts.hour != 0 || parts.minute != 0 || parts.second != 0) {
                out += ' ';
                appendFormat(out, settings.LongTimeFormat, parts, nesting + 1);
            }
            i = runEnd;
            break;
        case 'A': {
            const bool pm = parts.hour >= 12;
            if (startsWithNoCase(format, i, "AM/PM")) {
                out.append(format, pm ? i + 3 : i, 2);  // keeps the case written in the pattern
                i += 5;
            } else if (startsWithNoCase(format, i, "A/P")) {
                out += format[pm ? i + 2 : i];
                i += 3;
            } else if (startsWithNoCase(format, i, "AMPM")) {
                out += pm ? settings.TimePMString : settings.TimeAMString;
                i += 4;
            } else {
                out += starter;
                ++i;
            }
            break;
        }
        case '/':
            out += settings.DateSeparator;
            ++i;
            break;
        case ':':
            out += settings.TimeSeparator;
            ++i;
            break;
        case '\'':
        case '"': {
            size_t close = format.find(starter, i + 1);
            if (close == AnsiString::npos)
                close = format.size();
            out.append(format, i + 1, close - i - 1);
            i = close + 1;
            break;
        }
        default:
            out += starter;
            ++i;
            break;
        }
    }
}

// ---- StrToDate / StrToTime -------------------------------------------------

struct Scanner {
    const AnsiString& text;
    size_t position = 0;

    void skipBlanks()
    {
        while (position < text.size() && text[position] == ' ')
            ++position;
    }

    // Up to four decimal digits after optional blanks.
    bool number(int& value, int& digits)
    {
        skipBlanks();
        value = 0;
        digits = 0;
        while (position < text.size() && digits < 4 && text[position] >= '0' && text[position] <= '9') {
            value = value * 10 + (text[position] - '0');
            ++position;
            ++digits;
        }
        return digits > 0;
    }

    bool character(char c)
    {
        skipBlanks();
        if (position < text.size() && text[position] == c) {
            ++position;
            return true;
        }
        return false;
    }

    // Case-insensitive; an empty word never matches.
    bool word(const AnsiString& expected)
    {
        skipBlanks();
        if (expected.empty() || text.size() - position < expected.size())
            return false;
        if (AnsiUpperCase(text.substr(position, expected.size())) != AnsiUpperCase(expected))
            return false;
        position += expected.size();
        return true;
    }

    bool atEnd()
    {
        skipBlanks();
        return position >= text.size();
    }
};

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

DateOrder dateOrderOf(const AnsiString& format)
{
    for (char c : format) {
        switch (std::toupper(static_cast<unsigned char>(c))) {
        case 'D': return DateOrder::DayMonthYear;
        case 'M': return DateOrder::MonthDayYear;
        case 'Y': return DateOrder::YearMonthDay;
        default: break;
        }
    }
    return DateOrder::DayMonthYear;
}

// The separator written in the short date format; '/' there stands for the locale's.
char dateSeparatorOf(const AnsiString& format)
{
    char quote = 0;
    for (char c : format) {
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (!std::isalpha(static_cast<unsigned char>(c)) && c != ' ') {
            return c == '/' ? FormatSettings.DateSeparator : c;
        }
    }
    return FormatSettings.DateSeparator;
}

int currentYear()
{
    int year, month, day;
    DecodeDate(Date(), year, month, day);
    return year;
}

bool scanDate(const AnsiString& text, TDateTime& value)
{
    Scanner scan{text};
    const DateOrder order = dateOrderOf(FormatSettings.ShortDateFormat);
    const char separator = dateSeparatorOf(FormatSettings.ShortDateFormat);
    int n1, n2, n3, length1, length2, length3;
    if (!scan.number(n1, length1) || !scan.character(separator) || !scan.number(n2, length2))
        return false;
    int year, month, day;
    if (scan.character(separator)) {
        if (!scan.number(n3, length3))
            return false;
        int yearLength;
        switch (order) {
        case DateOrder::MonthDayYear: year = n3; yearLength = length3; month = n1; day = n2; break;
        case DateOrder::YearMonthDay: year = n1; yearLength = length1; month = n2; day = n3; break;
        default: year = n3; yearLength = length3; month = n2; day = n1; break;
        }
        if (yearLength <= 2) {
            const int window = FormatSettings.TwoDigitYearCenturyWindow;
            const int centuryBase = currentYear() - window;
            year += centuryBase / 100 * 100;
            if (window > 0 && year < centuryBase)
                year += 100;
        }
    } else {
        // Two numbers: day and month of the current year.
        year = currentYear();
        if (order == DateOrder::DayMonthYear) {
            day = n1;
            month = n2;
        } else {
            month = n1;
            day = n2;
        }
    }
    scan.character(separator);
    if (!scan.atEnd())
        return false;
    return TryEncodeDate(year, month, day, value);
}

bool scanTime(const AnsiString& text, TDateTime& value)
{
    Scanner scan{text};
    auto scanAmPm = [&]() {
        if (scan.word(FormatSettings.TimeAMString) || scan.word("AM"))
            return 0;
        if (scan.word(FormatSettings.TimePMString) || scan.word("PM"))
            return 12;
        return -1;
    };
    int baseHour = scanAmPm();
    int hour, minute = 0, second = 0, msec = 0, digits;
    if (!scan.number(hour, digits))
        return false;
    if (scan.character(FormatSettings.TimeSeparator)) {
        if (!scan.number(minute, digits))
            return false;
        if (scan.character(FormatSettings.TimeSeparator)) {
            if (!scan.number(second, digits))
                return false;
            if (scan.character(FormatSettings.DecimalSeparator) && !scan.number(msec, digits))
                return false;
        }
    }
    if (baseHour < 0)
        baseHour = scanAmPm();
    if (baseHour >= 0) {
        if (hour == 0 || hour > 12)
            return false;
        if (hour == 12)
            hour = 0;
        hour += baseHour;
    }
    if (!scan.atEnd())
        return false;
    return TryEncodeTime(hour, minute, second, msec, value);
}

}  // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& value)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return false;
    value = static_cast<TDateTime>(daysFromCivil(year, month, day) - dateDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime value = 0;
    if (!TryEncodeDate(year, month, day, value))
        throw EConvertError("Invalid argument to date encode");
    return value;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& value)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0
        || millisecond > 999)
        return false;
    value = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / msecsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    TDateTime value = 0;
    if (!TryEncodeTime(hour, minute, second, millisecond, value))
        throw EConvertError("Invalid argument to time encode");
    return value;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    const DateParts parts = splitDateTime(value);
    year = parts.year;
    month = parts.month;
    day = parts.day;
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond)
{
    const DateParts parts = splitDateTime(value);
    hour = parts.hour;
    minute = parts.minute;
    second = parts.second;
    millisecond = parts.msec;
}

int DayOfWeek(TDateTime value)
{
    return splitDateTime(value).dayOfWeek;
}

// Tokens are case-insensitive: d dd ddd dddd ddddd dddddd, m mm mmm mmmm,
// yy yyyy, h hh, n nn, s ss, z zzz, t tt, am/pm a/p ampm, c; '/' and ':' print
// the locale's separators; text in quotes is copied.
AnsiString FormatDateTime(const AnsiString& format, TDateTime value)
{
    AnsiString out;
    appendFormat(out, format.empty() ? AnsiString("c") : format, splitDateTime(value), 0);
    return out;
}

AnsiString DateToStr(TDateTime value)
{
    return FormatDateTime(FormatSettings.ShortDateFormat, value);
}

AnsiString TimeToStr(TDateTime value)
{
    return FormatDateTime(FormatSettings.LongTimeFormat, value);
}

AnsiString DateTimeToStr(TDateTime value)
{
    return FormatDateTime("c", value);
}

bool TryStrToDate(const AnsiString& text, TDateTime& value)
{
    return scanDate(text, value);
}

TDateTime StrToDate(const AnsiString& text)
{
    TDateTime value = 0;
    if (!scanDate(text, value))
        throw EConvertError("'" + text + "' is not a valid date");
    return value;
}

bool TryStrToTime(const AnsiString& text, TDateTime& value)
{
    return scanTime(text, value);
}

TDateTime StrToTime(const AnsiString& text)
{
    TDateTime value = 0;
    if (!scanTime(text, value))
        throw EConvertError("'" + text + "' is not a valid time");
    return value;
}

TDateTime Now()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const int msec = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday)
           + EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), msec);
}

TDateTime Date()
{
    return std::floor(Now());
}

TDateTime Time()
{
    const TDateTime now = Now();
    return now - std::floor(now);
}
