// The window manager's state, for the platform layer's own use (backends, painting,
// input). Applications use the Win32 functions of platform/Windows.h.
#pragma once

#include "platform/win/Windows.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace varn::detail {

struct WindowClassRecord {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HANDLE cursor = nullptr;
    HANDLE background = nullptr;
};

struct ScrollBarState {
    SCROLLINFO info;
    bool shown = false;
};

struct Window {
    HWND handle = nullptr;
    std::string className;
    UINT classStyle = 0;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    HWND parent = nullptr;   // child windows only
    HWND owner = nullptr;    // top-level windows created with a parent handle
    std::vector<HWND> children;  // z-order, bottom first
    TRect rect;              // in the parent's client coordinates; screen for top-level windows
    std::string text;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    std::map<std::string, HANDLE> props;
    bool updatePending = false;  // has an update region
    bool erasePending = false;
    TRect updateRect;            // client coordinates; union of the invalidated rectangles
    bool destroying = false;
    unsigned paintCount = 0;     // BeginPaint calls so far
    ScrollBarState vertical;
    ScrollBarState horizontal;
    bool framePending = false;     // the non-client area needs a WM_NCPAINT
    bool flatScrollBars = false;   // InitializeFlatSB was called
};

struct DeviceContext {
    HWND window = nullptr;
    TRect clip;         // client coordinates; window coordinates for a window DC
    bool painting = false;  // from BeginPaint
    bool wholeWindow = false;  // from GetWindowDC
};

// Where BeginPaint and GetDC get their device contexts: the drawing layer installs
// a provider that makes a DC on the top-level window's backing store, with the
// window's client origin and clip (client coordinates). Without one, DCs are bare
// handles that only carry the bookkeeping. acquireWindow makes GetWindowDC's DC:
// the window's own origin and a clip of the window less its client area; without
// it GetWindowDC answers null.
struct PaintDeviceProvider {
    std::function<HDC(HWND window, const TRect& clip)> acquire;
    std::function<void(HDC dc)> release;
    std::function<HDC(HWND window)> acquireWindow;
};
void setPaintDeviceProvider(PaintDeviceProvider provider);

// Lookup helpers. find() answers null for handles of destroyed windows.
Window* find(HWND hwnd);
HWND topLevelOf(HWND hwnd);
// The window's non-client insets (border, edges, shown scroll bars).
TRect nonClientInsets(const Window& window);
// Screen position of the window's client origin.
TPoint clientOrigin(HWND hwnd);
// Device contexts handed out by BeginPaint/GetDC; null for an unknown handle.
const DeviceContext* deviceContext(HDC dc);
// Top-level windows in z-order, bottom first.
const std::vector<HWND>& topLevelWindows();
// Earliest due time of the running timers.
std::optional<uint32_t> nextTimerDue();
// A timer of the window system itself (the caret's blink): it runs like any other
// but is no reason for a headless message loop to wait.
UINT_PTR setSystemTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc);
// Whether a timer other than the window system's own runs.
bool applicationTimerPending();
// Window-manager state for input. setKeyDown records posted input (GetAsyncKeyState);
// GetKeyState follows as the messages are taken.
void setKeyDown(int virtualKey, bool down);
void setCursorPos(TPoint screen);
void postInput(const MSG& msg);
// Keyboard and wheel input is posted to this stand-in: the message goes to the
// window that has the focus (else the active window) when it is taken.
inline const HWND focusTarget = reinterpret_cast<HWND>(1);
// Mouse input is posted to this stand-in with the screen position in lParam; the
// window, the client or non-client message and double clicks are settled when the
// message is taken, as the capture and the windows are then.
inline const HWND mouseTarget = reinterpret_cast<HWND>(2);
// Hit test of a screen point against the window: HTCLIENT, HTVSCROLL, HTHSCROLL,
// HTBORDER, or HTNOWHERE outside it.
int nonClientHit(HWND hwnd, TPoint screen);
// The window whose scroll-bar thumb is being dragged, or null.
HWND scrollTrackingWindow();

// A standard scroll bar as drawn and hit-tested: window coordinates; "start" and
// "end" run along the bar (y for SB_VERT, x for SB_HORZ).
struct BarGeometry {
    bool shown = false;
    TRect rect;            // the whole bar, both arrows included
    int trackStart = 0;    // end of the first arrow
    int trackEnd = 0;      // start of the second arrow
    int thumbStart = 0;
    int thumbLength = 0;   // 0: no room for a thumb
};
BarGeometry scrollBarGeometry(const Window& window, int bar);

// The part of a bar that a held left button keeps pressed, for drawing: one of
// the SB_LINEUP/SB_LINEDOWN/SB_PAGEUP/SB_PAGEDOWN codes while the pointer stays on
// it, SB_THUMBTRACK while the thumb is dragged, else -1.
int pressedScrollPart(HWND hwnd, int bar);
// The part of a flat bar under the pointer while no button is held, else -1.
int hotScrollPart(HWND hwnd, int bar);

// The caret (platform/win/Caret.cpp): hidden while its window paints, forgotten
// with its window.
void caretBeforePaint(HWND hwnd);
void caretAfterPaint(HWND hwnd);
void caretWindowDestroyed(HWND hwnd);

// The standard window classes, registered by the window manager before the first
// class is looked up: "EDIT" (platform/win/EditField.cpp).
void registerEditClass();
// And "RichEdit20A" (platform/win/RichEditField.cpp).
void registerRichEditClass();

// Draws the window's border, client edge and shown scroll bars (DefWindowProc's
// WM_NCPAINT).
void drawNonClient(HWND hwnd);
// Forgets every window, message, timer and hook; tests call it between cases.
void resetForTests();

}  // namespace varn::detail
