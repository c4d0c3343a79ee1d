// The caret: one per thread, drawn by inverting its block of pixels on the
// window's backing store, so drawing it twice restores what was under it.
// `drawn` says whether the pixels are inverted now; the blink timer flips it
// while the caret is shown. BeginPaint of the caret's window takes the caret
// off before the window paints and EndPaint puts it back.
#include "platform/win/Gdi.h"
#include "platform/win/WindowManager.h"

#include <algorithm>

namespace varn::detail {
namespace {

constexpr UINT_PTR blinkTimer = 0x5C0CA7;  // the window system's own timer on the caret's window

struct Caret {
    HWND window = nullptr;  // null: no caret
    TPoint position;        // client coordinates
    int width = 1;
    int height = 1;
    int hideCount = 1;      // shown at 0
    bool drawn = false;     // its pixels are inverted now
    UINT blinkTime = 530;
};

Caret& caret()
{
    static Caret c;
    return c;
}

void invert()
{
    Caret& c = caret();
    HDC dc = GetDC(c.window);
    if (!dc)
        return;
    TRect block{c.position.x, c.position.y, c.position.x + c.width, c.position.y + c.height};
    InvertRect(dc, &block);
    ReleaseDC(c.window, dc);
}

void takeOff()
{
    Caret& c = caret();
    if (!c.drawn)
        return;
    c.drawn = false;
    if (IsWindow(c.window))
        invert();
}

void putOn()
{
    Caret& c = caret();
    if (c.drawn || c.hideCount > 0 || !IsWindowVisible(c.window))
        return;
    c.drawn = true;
    invert();
}

void blink(HWND, UINT, UINT_PTR, DWORD)
{
    Caret& c = caret();
    if (c.drawn)
        takeOff();
    else
        putOn();
}

// The caret shows at once and the next blink is a whole period away.
void restartBlink()
{
    Caret& c = caret();
    if (!c.window)
        return;
    putOn();
    if (c.hideCount == 0)
        setSystemTimer(c.window, blinkTimer, c.blinkTime, blink);
    else
        KillTimer(c.window, blinkTimer);
}

}  // namespace

void caretBeforePaint(HWND hwnd)
{
    if (caret().window == hwnd)
        takeOff();
}

void caretAfterPaint(HWND hwnd)
{
    if (caret().window == hwnd)
        putOn();
}

void caretWindowDestroyed(HWND hwnd)
{
    if (caret().window == hwnd)
        caret() = Caret{nullptr, {}, 1, 1, 1, false, caret().blinkTime};
}

}  // namespace varn::detail

using varn::detail::caret;

BOOL CreateCaret(HWND hwnd, HANDLE, int width, int height)
{
    if (!IsWindow(hwnd))
        return FALSE;
    DestroyCaret();
    auto& c = caret();
    c.window = hwnd;
    c.position = {};
    c.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
    c.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
    c.hideCount = 1;
    c.drawn = false;
    return TRUE;
}

BOOL DestroyCaret()
{
    auto& c = caret();
    if (!c.window)
        return FALSE;
    varn::detail::takeOff();
    KillTimer(c.window, varn::detail::blinkTimer);
    c.window = nullptr;
    return TRUE;
}

BOOL ShowCaret(HWND hwnd)
{
    auto& c = caret();
    if (!c.window || (hwnd && hwnd != c.window))
        return FALSE;
    if (c.hideCount > 0 && --c.hideCount == 0)
        varn::detail::restartBlink();
    return TRUE;
}

BOOL HideCaret(HWND hwnd)
{
    auto& c = caret();
    if (!c.window || (hwnd && hwnd != c.window))
        return FALSE;
    if (c.hideCount++ == 0) {
        varn::detail::takeOff();
        KillTimer(c.window, varn::detail::blinkTimer);
    }
    return TRUE;
}

BOOL SetCaretPos(int x, int y)
{
    auto& c = caret();
    if (!c.window)
        return FALSE;
    if (c.position.x == x && c.position.y == y)
        return TRUE;
    varn::detail::takeOff();
    c.position = {x, y};
    varn::detail::restartBlink();
    return TRUE;
}

BOOL GetCaretPos(POINT* point)
{
    if (!point)
        return FALSE;
    *point = caret().position;
    return TRUE;
}

UINT GetCaretBlinkTime() { return caret().blinkTime; }

BOOL SetCaretBlinkTime(UINT milliseconds)
{
    caret().blinkTime = std::max<UINT>(milliseconds, 10);
    if (caret().window && caret().hideCount == 0)
        varn::detail::setSystemTimer(caret().window, varn::detail::blinkTimer, caret().blinkTime, varn::detail::blink);
    return TRUE;
}
