// The clipboard: text only, 8-bit. A live session shares it with the desktop as
// UTF-8; headless it lives in the process.
#pragma once

#include "platform/win/Types.h"

constexpr unsigned CF_TEXT = 1;

class TClipboard {
public:
    AnsiString AsText() const;
    void SetAsText(const AnsiString& Value);
    bool HasFormat(unsigned Format) const;
    void Clear();
};

// The one clipboard of the program.
TClipboard* Clipboard();
