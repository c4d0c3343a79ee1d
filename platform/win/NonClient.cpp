// Drawing of the non-client area: the border, the sunken client edge and the
// standard scroll bars, in the standard 3-D look or, after InitializeFlatSB, the
// flat one. DefWindowProc calls drawNonClient for WM_NCPAINT.
#include "platform/win/Gdi.h"
#include "platform/win/WindowManager.h"

namespace varn::detail {

namespace {

void fill(HDC dc, const TRect& r, COLORREF color)
{
    if (r.right <= r.left || r.bottom <= r.top)
        return;
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

// A one-pixel outline just inside r.
void frame(HDC dc, const TRect& r, COLORREF color)
{
    fill(dc, {r.left, r.top, r.right, r.top + 1}, color);
    fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, color);
    fill(dc, {r.left, r.top + 1, r.left + 1, r.bottom - 1}, color);
    fill(dc, {r.right - 1, r.top + 1, r.right, r.bottom - 1}, color);
}

COLORREF mix(COLORREF a, COLORREF b)
{
    return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2, (GetBValue(a) + GetBValue(b)) / 2);
}

// The part of the bar between two positions along it.
TRect span(const BarGeometry& g, int bar, int from, int to)
{
    if (bar == SB_VERT)
        return {g.rect.left, from, g.rect.right, to};
    return {from, g.rect.top, to, g.rect.bottom};
}

void drawBar(HDC dc, const Window& w, int bar)
{
    BarGeometry g = scrollBarGeometry(w, bar);
    if (!g.shown)
        return;
    bool vertical = bar == SB_VERT;
    bool flat = w.flatScrollBars;
    int pressed = pressedScrollPart(w.handle, bar);
    int hot = hotScrollPart(w.handle, bar);
    bool disabled = w.style & WS_DISABLED;
    int start = vertical ? g.rect.top : g.rect.left;
    int end = vertical ? g.rect.bottom : g.rect.right;

    unsigned look = (flat ? DFCS_FLAT : 0) | (disabled ? DFCS_INACTIVE : 0);
    TRect first = span(g, bar, start, g.trackStart);
    TRect last = span(g, bar, g.trackEnd, end);
    DrawFrameControl(dc, &first, DFC_SCROLL,
                     (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | look | (pressed == SB_LINEUP ? DFCS_PUSHED : 0));
    DrawFrameControl(dc, &last, DFC_SCROLL,
                     (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | look | (pressed == SB_LINEDOWN ? DFCS_PUSHED : 0));
    // A flat arrow under the pointer rises.
    if (hot == SB_LINEUP && !disabled)
        DrawEdge(dc, &first, BDR_RAISEDINNER, BF_RECT);
    if (hot == SB_LINEDOWN && !disabled)
        DrawEdge(dc, &last, BDR_RAISEDINNER, BF_RECT);

    // The flat track is a light tint between the face and the highlight.
    COLORREF track = flat ? mix(GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNHIGHLIGHT)) : GetSysColor(COLOR_SCROLLBAR);
    COLORREF held = GetSysColor(flat ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW);
    int thumbEnd = g.thumbLength > 0 ? g.thumbStart + g.thumbLength : g.thumbStart;
    fill(dc, span(g, bar, g.trackStart, g.thumbStart), pressed == SB_PAGEUP ? held : track);
    fill(dc, span(g, bar, thumbEnd, g.trackEnd), pressed == SB_PAGEDOWN ? held : track);
    if (g.thumbLength == 0)
        return;
    TRect thumb = span(g, bar, g.thumbStart, thumbEnd);
    if (flat) {
        COLORREF face = GetSysColor(COLOR_BTNFACE);
        fill(dc, thumb, pressed == SB_THUMBTRACK ? mix(face, GetSysColor(COLOR_BTNSHADOW)) : face);
        frame(dc, thumb, GetSysColor(hot == SB_THUMBTRACK ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW));
    } else {
        DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
    }
}

}  // namespace

void drawNonClient(HWND hwnd)
{
    const Window* w = find(hwnd);
    if (!w)
        return;
    TRect insets = nonClientInsets(*w);
    if (!insets.left && !insets.top && !insets.right && !insets.bottom)
        return;
    HDC dc = GetWindowDC(hwnd);
    if (!dc)
        return;
    TRect r{0, 0, w->rect.Width(), w->rect.Height()};
    if (insets.left > 0) {  // border and edge sit on every side alike
        if (w->style & WS_BORDER) {
            frame(dc, r, GetSysColor(COLOR_WINDOWFRAME));
            r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
        }
        if (w->exStyle & WS_EX_CLIENTEDGE)
            DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    drawBar(dc, *w, SB_VERT);
    drawBar(dc, *w, SB_HORZ);
    BarGeometry vertical = scrollBarGeometry(*w, SB_VERT);
    BarGeometry horizontal = scrollBarGeometry(*w, SB_HORZ);
    if (vertical.shown && horizontal.shown)
        fill(dc, {vertical.rect.left, horizontal.rect.top, vertical.rect.right, horizontal.rect.bottom},
             GetSysColor(COLOR_BTNFACE));
    ReleaseDC(hwnd, dc);
}

}  // namespace varn::detail
