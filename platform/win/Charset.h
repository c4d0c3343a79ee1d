// The system's 8-bit texts and Unicode. Texts are bytes of the Western code page
// (Windows-1252): Latin-1 with the euro sign and the typographic characters at
// 0x80-0x9F. The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) stand for the Unicode characters of the same number, so every byte has a
// character and converts back to itself.
#pragma once

#include "platform/win/Types.h"

#include <string>

char32_t AnsiCharToUnicode(char c);
// The byte for a Unicode character; -1 when the code page has none.
int UnicodeToAnsiChar(char32_t codePoint);
// Every place where text meets the desktop or the system converts here: Pango,
// the clipboard, keyboard input, window titles, message boxes and file names.
AnsiString AnsiToUtf8(const AnsiString& text);
// Characters outside the code page and malformed bytes become '?'.
AnsiString Utf8ToAnsi(const std::string& utf8);
// The other case of a letter of the code page (š and Š, ÿ and Ÿ); any other
// byte is returned unchanged.
char AnsiCharUpper(char c);
char AnsiCharLower(char c);
// The names these conversions had while texts were taken as Latin-1.
inline AnsiString Latin1ToUtf8(const AnsiString& text) { return AnsiToUtf8(text); }
inline AnsiString Utf8ToLatin1(const std::string& utf8) { return Utf8ToAnsi(utf8); }
