// Exceptions, locale settings and the value services: number and date-time
// conversion with the framework's semantics and messages, 8-bit text services.
#pragma once

#include "platform/win/Charset.h"
#include "platform/win/Types.h"

#include <cstdarg>
#include <stdexcept>

// ---- Exceptions ------------------------------------------------------------

class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : FMessage(std::move(message)) {}
    const AnsiString& Message() const { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    AnsiString FMessage;
};

class EConvertError : public Exception { using Exception::Exception; };
class EListError : public Exception { using Exception::Exception; };
class EStringListError : public Exception { using Exception::Exception; };

// Raises EListError "List index out of bounds (%d)".
[[noreturn]] void ListIndexError(int index);

// printf into an AnsiString.
AnsiString Sprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
AnsiString VSprintf(const char* format, va_list args);

// ---- Locale settings -------------------------------------------------------

// The one locale-settings object. Defaults are Spain's conventions; tests that
// need others set them and restore them afterwards.
struct TFormatSettings {
    char DecimalSeparator = ',';
    char ThousandSeparator = '.';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    AnsiString ShortDateFormat = "dd/mm/yyyy";
    AnsiString LongDateFormat = "dddd, d' de 'mmmm' de 'yyyy";
    AnsiString ShortTimeFormat = "h:nn";
    AnsiString LongTimeFormat = "h:nn:ss";
    AnsiString TimeAMString = "";
    AnsiString TimePMString = "";
    AnsiString ShortMonthNames[12];
    AnsiString LongMonthNames[12];
    AnsiString ShortDayNames[7];  // index 0 is Sunday, as the framework has it
    AnsiString LongDayNames[7];
    AnsiString CollationLocale = "es_ES";
    // Two-digit years read by StrToDate land within this many years before
    // the current year (and the years after it up to a century).
    int TwoDigitYearCenturyWindow = 50;

    TFormatSettings();  // fills the Spanish month and day names
};

extern TFormatSettings FormatSettings;

// ---- Integers and floating point -------------------------------------------

AnsiString IntToStr(long long value);
int StrToInt(const AnsiString& text);  // EConvertError "'%s' is not a valid integer value"
int StrToIntDef(const AnsiString& text, int defaultValue);
bool TryStrToInt(const AnsiString& text, int& value);

// Strict: optional blanks around, sign, digits with the locale's decimal
// separator, optional exponent; no thousands marks.
// EConvertError "'%s' is not a valid floating point value".
double StrToFloat(const AnsiString& text);
double StrToFloatDef(const AnsiString& text, double defaultValue);
bool TryStrToFloat(const AnsiString& text, double& value);
AnsiString FloatToStr(double value);  // 15 significant digits, general format
AnsiString FormatFloat(const AnsiString& format, double value);

// ---- Dates and times -------------------------------------------------------

bool IsLeapYear(int year);  // Gregorian rule
bool TryEncodeDate(int year, int month, int day, TDateTime& value);
TDateTime EncodeDate(int year, int month, int day);  // EConvertError "Invalid argument to date encode"
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& value);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);  // "Invalid argument to time encode"
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
int DayOfWeek(TDateTime value);  // 1 = Sunday … 7 = Saturday

AnsiString FormatDateTime(const AnsiString& format, TDateTime value);
AnsiString DateToStr(TDateTime value);
AnsiString TimeToStr(TDateTime value);
AnsiString DateTimeToStr(TDateTime value);
TDateTime StrToDate(const AnsiString& text);  // EConvertError "'%s' is not a valid date"
bool TryStrToDate(const AnsiString& text, TDateTime& value);
TDateTime StrToTime(const AnsiString& text);  // EConvertError "'%s' is not a valid time"
bool TryStrToTime(const AnsiString& text, TDateTime& value);
TDateTime Date();
TDateTime Time();
TDateTime Now();

// ---- 8-bit text ------------------------------------------------------------
// Texts are bytes of the Western code page; the conversions to and from Unicode
// are the window system's (platform/win/Charset.h, included above).

AnsiString UpperCase(const AnsiString& text);      // ASCII letters only
AnsiString LowerCase(const AnsiString& text);
AnsiString AnsiUpperCase(const AnsiString& text);  // locale-correct: í becomes Í, š becomes Š
AnsiString AnsiLowerCase(const AnsiString& text);
// Trim* remove blanks and control characters (everything up to ' ').
AnsiString Trim(const AnsiString& text);
AnsiString TrimLeft(const AnsiString& text);
AnsiString TrimRight(const AnsiString& text);

// Locale collation (FormatSettings.CollationLocale): <0, 0, >0.
int AnsiCompareText(const AnsiString& a, const AnsiString& b);  // case-insensitive
int AnsiCompareStr(const AnsiString& a, const AnsiString& b);    // case-sensitive
bool AnsiSameText(const AnsiString& a, const AnsiString& b);
// A byte string whose plain byte order equals AnsiCompareText's order, for
// sorting many texts without collating inside the comparison.
std::string AnsiSortKeyText(const AnsiString& text);
