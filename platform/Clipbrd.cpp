#include "platform/Clipbrd.h"

#include "platform/win/Backend.h"

AnsiString TClipboard::AsText() const { return varn::backend().clipboardText(); }

void TClipboard::SetAsText(const AnsiString& Value) { varn::backend().setClipboardText(Value); }

bool TClipboard::HasFormat(unsigned Format) const
{
    return Format == CF_TEXT && varn::backend().hasClipboardText();
}

void TClipboard::Clear() { varn::backend().setClipboardText(AnsiString()); }

TClipboard* Clipboard()
{
    static TClipboard clipboard;
    return &clipboard;
}
