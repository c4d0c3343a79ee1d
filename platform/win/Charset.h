// The conversion between the system's 8-bit texts and UTF-8, where text meets
// the desktop, Pango, or the file system.
#pragma once

#include "platform/win/Types.h"

#include <string>

AnsiString Latin1ToUtf8(const AnsiString& latin1);
// Characters outside Latin-1 and malformed bytes become '?'.
AnsiString Utf8ToLatin1(const std::string& utf8);
