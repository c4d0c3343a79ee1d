// The rich-text field, window class "RichEdit20A": its messages, structures and
// flags (Win32 values). The field shows formatted text (platform/win/RichText.h)
// with word wrap, scrolling, selection and the clipboard, is edited as the plain
// edit field is, reads and writes RTF and plain text, and renders a range of its
// text onto any device context's page (EM_FORMATRANGE), a printer's included.
#pragma once

#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

using DWORD_PTR = uintptr_t;

constexpr const char* RICHEDIT_CLASS = "RichEdit20A";

constexpr UINT EM_EXGETSEL = WM_USER + 52;
constexpr UINT EM_EXSETSEL = WM_USER + 55;
constexpr UINT EM_STREAMIN = WM_USER + 73;
constexpr UINT EM_STREAMOUT = WM_USER + 74;

// EM_SETTEXTEX
constexpr DWORD ST_DEFAULT = 0;
constexpr DWORD ST_KEEPUNDO = 1;
constexpr DWORD ST_SELECTION = 2;
struct SETTEXTEX {
    DWORD flags = ST_DEFAULT;
    UINT codepage = 0;
};

// EM_GETTEXTLENGTHEX
constexpr DWORD GTL_DEFAULT = 0;
constexpr DWORD GTL_USECRLF = 1;
constexpr DWORD GTL_PRECISE = 2;
constexpr DWORD GTL_CLOSE = 4;
constexpr DWORD GTL_NUMCHARS = 8;
constexpr DWORD GTL_NUMBYTES = 16;
struct GETTEXTLENGTHEX {
    DWORD flags = GTL_DEFAULT;
    UINT codepage = 0;
};

// EM_STREAMIN and EM_STREAMOUT: wParam is the format, lParam an EDITSTREAM. The
// callback is given the cookie, a buffer, its size and where to put the bytes it
// filled (in) or took (out); an answer other than 0 stops the transfer.
constexpr WPARAM SF_TEXT = 0x0001;
constexpr WPARAM SF_RTF = 0x0002;
constexpr WPARAM SFF_SELECTION = 0x8000;
using EDITSTREAMCALLBACK = DWORD (*)(DWORD_PTR cookie, unsigned char* buffer, LONG count, LONG* done);
struct EDITSTREAM {
    DWORD_PTR dwCookie = 0;
    DWORD dwError = 0;
    EDITSTREAMCALLBACK pfnCallback = nullptr;
};

struct CHARRANGE {
    LONG cpMin = 0;
    LONG cpMax = 0;  // -1: the end
};

// EM_FORMATRANGE: wParam not 0 renders, 0 only measures; lParam null clears the
// field's cached layout. rc (where to render) and rcPage are in twips.
struct FORMATRANGE {
    HDC hdc = nullptr;
    HDC hdcTarget = nullptr;
    RECT rc;
    RECT rcPage;
    CHARRANGE chrg;
};

namespace varn::detail {
void registerRichEditClass();
}
