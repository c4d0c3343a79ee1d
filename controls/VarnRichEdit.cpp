#include "controls/VarnRichEdit.h"

#include "platform/Printers.h"
#include "platform/win/RichEdit.h"

#include <algorithm>

namespace {

DWORD appendToString(DWORD_PTR cookie, unsigned char* buffer, LONG count, LONG* done)
{
    reinterpret_cast<AnsiString*>(cookie)->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(count));
    *done = count;
    return 0;
}

}  // namespace

TVarnRichEdit::TVarnRichEdit(TComponent* AOwner) : TCustomMemo(AOwner) {}

// The window is the rich-text field; it is not drawn again as a whole when it
// is resized. (The field's class is part of the window system: there is no library
// to load for it.)
void TVarnRichEdit::CreateParams(TCreateParams& Params)
{
    TCustomMemo::CreateParams(Params);
    CreateSubClass(Params, RICHEDIT_CLASS);
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

// A window made again (after a change of scroll bars, say) gets the formatted
// content back, not only its plain text.
void TVarnRichEdit::CreateWnd()
{
    TCustomMemo::CreateWnd();
    if (!FKeptRtf.empty()) {
        SETTEXTEX info;
        Perform(EM_SETTEXTEX, reinterpret_cast<WPARAM>(&info), reinterpret_cast<LPARAM>(FKeptRtf.c_str()));
        FKeptRtf.clear();
    }
}

void TVarnRichEdit::DestroyWnd()
{
    if (HandleAllocated())
        FKeptRtf = RichText();
    TCustomMemo::DestroyWnd();
}

void TVarnRichEdit::SetText(const AnsiString& Value)
{
    if (!HandleAllocated()) {
        TCustomMemo::SetText(Value);  // the window reads it when it is made
        return;
    }
    SETTEXTEX info;
    info.flags = ST_DEFAULT;
    info.codepage = 0;
    Perform(EM_SETTEXTEX, reinterpret_cast<WPARAM>(&info), reinterpret_cast<LPARAM>(Value.c_str()));
}

AnsiString TVarnRichEdit::RichText()
{
    HandleNeeded();  // the text lives in the window, also for a box never shown
    AnsiString rtf;
    EDITSTREAM stream;
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&rtf);
    stream.pfnCallback = appendToString;
    Perform(EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return rtf;
}

// The page in twips less 700 on every side is both the area rendered and the page;
// each EM_FORMATRANGE renders one page and answers where the next begins.
void TVarnRichEdit::Print(const AnsiString& Title)
{
    HandleNeeded();  // the window lays the pages out, also for a box never shown
    TPrinter* printer = Printer();
    printer->SetTitle(Title);
    printer->BeginDoc();
    HDC dc = printer->Handle();
    constexpr int margin = 700;
    const int width = GetDeviceCaps(dc, HORZRES) * 1440 / std::max(1, GetDeviceCaps(dc, LOGPIXELSX));
    const int height = GetDeviceCaps(dc, VERTRES) * 1440 / std::max(1, GetDeviceCaps(dc, LOGPIXELSY));
    const RECT page{margin, margin, width - margin, height - margin};
    FORMATRANGE range;
    range.hdc = dc;
    range.hdcTarget = dc;
    range.rc = page;
    range.rcPage = page;

    GETTEXTLENGTHEX lengthInfo;
    lengthInfo.flags = GTL_PRECISE;
    lengthInfo.codepage = 0;
    const auto length = static_cast<LONG>(Perform(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthInfo), 0));
    range.chrg.cpMin = 0;
    range.chrg.cpMax = -1;
    const int oldMapMode = SetMapMode(dc, MM_TEXT);
    Perform(EM_FORMATRANGE, 0, 0);

    LONG printed = 0;
    try {
        for (;;) {
            range.rc = page;
            range.chrg.cpMin = printed;
            const auto next = static_cast<LONG>(Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&range)));
            // A page that took nothing would be printed again and again: stop there.
            if (next >= length || next == -1 || next <= printed)
                break;
            printed = next;
            printer->NewPage();
        }
    } catch (...) {
        SetMapMode(dc, oldMapMode);
        printer->Abort();
        throw;
    }
    // The printer's DC ends with the job, so its mapping mode is put back first.
    SetMapMode(dc, oldMapMode);
    printer->EndDoc();
    Perform(EM_FORMATRANGE, 0, 0);
}
