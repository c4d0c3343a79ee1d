// Input entry points: build the messages the system would build and post them.
#include "platform/win/Input.h"

#include "platform/win/Clock.h"
#include "platform/win/WindowManager.h"

namespace varn {

namespace {

using namespace detail;

WPARAM mouseKeyFlags()
{
    WPARAM flags = 0;
    if (GetAsyncKeyState(VK_LBUTTON) < 0)
        flags |= MK_LBUTTON;
    if (GetAsyncKeyState(VK_RBUTTON) < 0)
        flags |= MK_RBUTTON;
    if (GetAsyncKeyState(VK_MBUTTON) < 0)
        flags |= MK_MBUTTON;
    if (GetAsyncKeyState(VK_SHIFT) < 0)
        flags |= MK_SHIFT;
    if (GetAsyncKeyState(VK_CONTROL) < 0)
        flags |= MK_CONTROL;
    return flags;
}

MSG message(HWND hwnd, UINT code, WPARAM wParam, LPARAM lParam)
{
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = code;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = Clock::now();
    GetCursorPos(&msg.pt);
    return msg;
}

// The window is chosen when the message is taken (capture, window under the
// point, client or non-client area, double click); until then the message
// carries the screen position.
void postMouse(UINT code, TPoint screen)
{
    postInput(message(mouseTarget, code, mouseKeyFlags(), MAKELPARAM(screen.x, screen.y)));
}

void moveTo(int x, int y)
{
    TPoint current;
    GetCursorPos(&current);
    if (current.x == x && current.y == y)
        return;
    setCursorPos({x, y});
    postMouse(WM_MOUSEMOVE, {x, y});
}

int buttonKey(MouseButton button)
{
    switch (button) {
    case MouseButton::Left: return VK_LBUTTON;
    case MouseButton::Right: return VK_RBUTTON;
    case MouseButton::Middle: return VK_MBUTTON;
    }
    return VK_LBUTTON;
}

UINT buttonMessage(MouseButton button, int offset)  // 0 down, 1 up, 2 double click
{
    UINT base = button == MouseButton::Left ? WM_LBUTTONDOWN : button == MouseButton::Right ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    return base + static_cast<UINT>(offset);
}

// Resolved when the message is taken, so that a key that moves the focus sends the
// keys after it to the new focus.
HWND keyboardTarget() { return focusTarget; }

bool altDown() { return GetAsyncKeyState(VK_MENU) < 0; }

}  // namespace

void inputMouseMove(int x, int y) { moveTo(x, y); }

void inputMouseDown(MouseButton button, int x, int y)
{
    moveTo(x, y);
    setKeyDown(buttonKey(button), true);
    postMouse(buttonMessage(button, 0), {x, y});
}

void inputMouseUp(MouseButton button, int x, int y)
{
    moveTo(x, y);
    setKeyDown(buttonKey(button), false);
    postMouse(buttonMessage(button, 1), {x, y});
}

void inputMouseWheel(int delta, int x, int y)
{
    moveTo(x, y);
    // Wheel messages carry screen coordinates.
    postInput(message(keyboardTarget(), WM_MOUSEWHEEL, MAKEWPARAM(static_cast<int>(mouseKeyFlags()), delta), MAKELPARAM(x, y)));
}

// Key data: repeat count in bits 0-15, bit 29 when Alt is down, bit 30 when the
// key was already down, bit 31 on release.
void inputKeyDown(int virtualKey)
{
    bool wasDown = GetAsyncKeyState(virtualKey) < 0;
    setKeyDown(virtualKey, true);
    bool alt = altDown();
    LPARAM data = 1;
    if (alt)
        data |= LPARAM(1) << 29;
    if (wasDown)
        data |= LPARAM(1) << 30;
    UINT code = (alt || virtualKey == VK_F10) ? WM_SYSKEYDOWN : WM_KEYDOWN;
    postInput(message(keyboardTarget(), code, static_cast<WPARAM>(virtualKey), data));
}

void inputKeyUp(int virtualKey)
{
    bool alt = altDown();
    setKeyDown(virtualKey, false);
    LPARAM data = 1 | (LPARAM(1) << 30) | static_cast<LPARAM>(uint32_t(1) << 31);
    if (alt && virtualKey != VK_MENU)
        data |= LPARAM(1) << 29;
    UINT code = (alt || virtualKey == VK_F10) ? WM_SYSKEYUP : WM_KEYUP;
    postInput(message(keyboardTarget(), code, static_cast<WPARAM>(virtualKey), data));
}

void inputText(const AnsiString& text)
{
    for (unsigned char ch : text) {
        postInput(message(keyboardTarget(), WM_CHAR, ch, 1));
    }
}

}  // namespace varn
