// Conversions between values and the texts of cells, edit boxes and column
// definitions, and small text surgery. Number texts use the Spanish marks: ","
// before the decimals and "." between groups of thousands.
#pragma once

#include "platform/win/Types.h"

// Non-finite values (cnvDoubleToStr, cnvDoubleToMoney) give "inf", "-inf" or
// "nan", without decimals or grouping marks.

AnsiString cnvIntToStr(int value);                      // "%i"
AnsiString cnvUIntToStr(unsigned value);                // "%u"
AnsiString cnvLongToStr(long value);                    // "%li"
AnsiString cnvDoubleToStr(double value, int decimals);  // "%0.*f" with "," for "."
AnsiString cnvDoubleToMoney(double value);              // 1.234.567,89

// "." is a thousands mark and "," the decimal mark; the empty text gives 0.
// Raises EConvertError for anything else that is not a number.
double cnvStrToDouble(const AnsiString& text);
double cnvStrToDoubleDef(const AnsiString& text);  // locale's separator; 0 if unreadable
int cnvStrToIntDef(const AnsiString& text);        // 0 if unreadable

AnsiString cnvBoolToStr(bool value);    // "true" / "false"
AnsiString cnvBoolToSiNo(bool value);   // "S\xED" / "No"
// True for "TRUE", "SI", "S", "S\xCD", "YES" after locale upper-casing; no trimming.
bool cnvStrToBool(const AnsiString& text);

AnsiString cnvQuote(const AnsiString& text);  // "text", inner quotes left alone

void cnvRemoveChar(char c, AnsiString& text);
// Replaces every occurrence left to right; inserted text is not searched again,
// so a replacement containing the pattern does not loop. An empty pattern
// leaves the text unchanged.
void cnvReplaceAll(const AnsiString& pattern, const AnsiString& replacement, AnsiString& text);

// Accented vowels (grave, acute, circumflex, diaeresis) become plain vowels and
// the caron letters Š š Ž ž plain S s Z z; every other character, tildes and
// cedillas included, stays.
char cnvRemoveAccent(char c);
AnsiString cnvRemoveAccents(const AnsiString& text);
