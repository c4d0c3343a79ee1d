// The window manager: windows, classes, the posted-message queue, focus, capture,
// activation, timers, hooks and update regions, in one thread.
//
// Message flow: input functions and PostMessage append to `queue`.
// GetMessage/PeekMessage -> takeMessage(): posted messages first, then WM_QUIT,
// then a synthesised WM_PAINT (parents before children; a stale frame is drawn
// by a WM_NCPAINT sent just before the window's turn), then a due WM_TIMER;
// a removed message passes the WH_GETMESSAGE hooks before it is returned.
// DispatchMessage calls the window procedure; SendMessage calls it at once.
#include "platform/win/WindowManager.h"

#include "platform/win/Backend.h"
#include "platform/win/Charset.h"
#include "platform/win/Clock.h"
#include "platform/win/Gdi.h"
#include "platform/win/backend/headless/HeadlessBackend.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace varn {

namespace {
std::unique_ptr<Backend> currentBackend;
}

Backend& backend()
{
    if (!currentBackend)
        currentBackend = std::make_unique<HeadlessBackend>();
    return *currentBackend;
}

std::unique_ptr<Backend> setBackend(std::unique_ptr<Backend> newBackend)
{
    std::swap(currentBackend, newBackend);
    return newBackend;
}

}  // namespace varn

namespace varn::detail {

namespace {

struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT interval = 0;
    uint32_t due = 0;
    TIMERPROC proc = nullptr;
    bool system = false;  // the window system's own (setSystemTimer)
};

struct Hook {
    HHOOK handle = nullptr;
    HOOKPROC proc = nullptr;
};

struct State {
    std::map<std::string, WindowClassRecord, CaseInsensitiveLess> classes;
    std::map<uintptr_t, std::unique_ptr<Window>> windows;
    std::vector<HWND> topLevels;  // z-order, bottom first
    std::deque<MSG> queue;
    bool quitPending = false;
    int quitCode = 0;
    std::vector<Timer> timers;
    UINT_PTR nextTimerId = 1;
    std::vector<Hook> hooks;  // most recently installed first
    uintptr_t nextHook = 1;
    std::map<uintptr_t, DeviceContext> deviceContexts;
    uintptr_t nextDC = 1;
    PaintDeviceProvider paintDevices;
    std::vector<HWND> dirtyTopLevels;  // painted since the last present
    HWND focus = nullptr;
    HWND capture = nullptr;
    HWND active = nullptr;
    BYTE keys[256] = {};       // as of the messages taken so far (GetKeyState); 0x80 down, 0x01 toggled
    BYTE asyncKeys[256] = {};  // as of the input posted so far (GetAsyncKeyState)
    TPoint cursor;
    struct {
        HWND window = nullptr;
        UINT message = 0;
        uint32_t time = 0;
        TPoint at;
    } lastPress;                    // for double clicks; window null: none to pair with
    struct {
        HWND window = nullptr;      // window whose scroll bar is held; null: none
        int bar = SB_VERT;
        int part = SB_ENDSCROLL;    // SB_LINEUP ... SB_PAGEDOWN, or SB_THUMBTRACK for the thumb
        int grab = 0;               // thumb: where it was taken, from its start
        TPoint pointer;             // window coordinates, as of the last mouse message
    } scrollPress;
    struct {
        HWND window = nullptr;      // flat bar under the pointer; null: none
        int bar = SB_VERT;
        int part = -1;              // as pressedScrollPart
    } scrollHot;
};

State& state()
{
    static State s;
    return s;
}

// Handles come from a counter and are never reused.
uintptr_t nextWindowHandle = 0x10000;

bool contains(const TRect& r, TPoint p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

TRect intersect(const TRect& a, const TRect& b)
{
    TRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.right <= r.left || r.bottom <= r.top)
        return {};
    return r;
}

bool isEmpty(const TRect& r) { return r.right <= r.left || r.bottom <= r.top; }

TRect unite(const TRect& a, const TRect& b)
{
    if (isEmpty(a))
        return b;
    if (isEmpty(b))
        return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

TRect clientRectOf(const Window& w)
{
    TRect insets = nonClientInsets(w);
    int width = std::max(0, w.rect.Width() - insets.left - insets.right);
    int height = std::max(0, w.rect.Height() - insets.top - insets.bottom);
    return {0, 0, width, height};
}

bool isVisibleChain(const Window* w)
{
    while (w) {
        if (!(w->style & WS_VISIBLE))
            return false;
        w = w->parent ? find(w->parent) : nullptr;
    }
    return true;
}

bool isInside(HWND hwnd, HWND ancestor)
{
    for (Window* w = find(hwnd); w; w = find(w->parent))
        if (w->handle == ancestor)
            return true;
    return false;
}

std::vector<HWND>& siblingsOf(const Window& w)
{
    if (w.parent)
        return find(w.parent)->children;
    return state().topLevels;
}

void markDirty(HWND hwnd)
{
    HWND top = topLevelOf(hwnd);
    auto& dirty = state().dirtyTopLevels;
    if (top && std::find(dirty.begin(), dirty.end(), top) == dirty.end())
        dirty.push_back(top);
}

// The window's frame is drawn again before its next paint. Windows without a
// frame get no WM_NCPAINT.
void invalidateFrame(Window& w)
{
    TRect insets = nonClientInsets(w);
    if (insets.left || insets.top || insets.right || insets.bottom)
        w.framePending = true;
}

// Adds rect (client coordinates) to the window's update region. Children are
// included unless the window clips them, as InvalidateRect does; so are their
// frames, which the parent's painting may cover.
void invalidate(Window& w, const TRect& rect, bool erase)
{
    TRect area = intersect(rect, clientRectOf(w));
    if (isEmpty(area))
        return;
    w.updateRect = unite(w.updateRect, area);
    w.updatePending = true;
    w.erasePending = w.erasePending || erase;
    if (w.style & WS_CLIPCHILDREN)
        return;
    for (HWND childHandle : w.children) {
        Window* child = find(childHandle);
        if (!child || !(child->style & WS_VISIBLE))
            continue;
        if (!isEmpty(intersect(area, child->rect)))
            invalidateFrame(*child);
        TRect insets = nonClientInsets(*child);
        TRect inChild{area.left - child->rect.left - insets.left, area.top - child->rect.top - insets.top,
                      area.right - child->rect.left - insets.left, area.bottom - child->rect.top - insets.top};
        invalidate(*child, inChild, erase);
    }
}

void invalidateAll(Window& w, bool erase)
{
    invalidateFrame(w);
    invalidate(w, clientRectOf(w), erase);
    for (HWND childHandle : w.children)
        if (Window* child = find(childHandle))
            invalidateAll(*child, erase);
}

// Invalidates the part of the parent's client area a child covers (or covered).
void invalidateParentArea(const Window& w, const TRect& rectInParent)
{
    if (!w.parent)
        return;
    if (Window* parent = find(w.parent))
        invalidate(*parent, rectInParent, true);
}

Window* firstToPaint(HWND hwnd)
{
    Window* w = find(hwnd);
    if (!w || !(w->style & WS_VISIBLE))
        return nullptr;
    if (w->updatePending || w->framePending)
        return w;
    for (HWND child : w->children)
        if (Window* found = firstToPaint(child))
            return found;
    return nullptr;
}

bool matches(const MSG& msg, HWND filter, UINT low, UINT high)
{
    if (filter && msg.hwnd != filter && !IsChild(filter, msg.hwnd))
        return false;
    if (low == 0 && high == 0)
        return true;
    return msg.message >= low && msg.message <= high;
}

MSG makeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg;
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = Clock::now();
    msg.pt = state().cursor;
    return msg;
}

void activate(HWND hwnd, int how);
bool releaseDeviceContext(HDC dc);
void updateScrollHot(HWND target, int hit, TPoint screen);

void sendFramePaint(Window& w)
{
    w.framePending = false;
    SendMessage(w.handle, WM_NCPAINT, 1, 0);
}

// A button press on a window of an inactive top-level window activates it, as
// the system does when it takes the press from the input queue.
void mouseActivate(const MSG& msg)
{
    bool press = msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN || msg.message == WM_MBUTTONDOWN ||
                 msg.message == WM_LBUTTONDBLCLK || msg.message == WM_RBUTTONDBLCLK || msg.message == WM_MBUTTONDBLCLK;
    if (!press)
        return;
    HWND top = topLevelOf(msg.hwnd);
    Window* w = find(top);
    if (!w || top == state().active || (w->exStyle & WS_EX_NOACTIVATE))
        return;
    LRESULT answer = SendMessage(msg.hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(top),
                                 MAKELPARAM(HTCLIENT, static_cast<int>(msg.message)));
    if (answer != MA_NOACTIVATE && IsWindow(top))
        activate(top, WA_CLICKACTIVE);
}

bool isButtonDown(UINT message)
{
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

// Gives posted mouse input its window: the capture, else the window under the
// point. Over a border or a standard scroll bar, and while a thumb is dragged, it
// becomes the non-client message (code - 0x160) with the hit-test code and the
// screen position; otherwise lParam carries client coordinates. A second press of
// the same button on the same window, soon enough and near enough, is a double
// click for classes that ask for them.
bool resolveMouse(MSG& msg)
{
    State& s = state();
    TPoint screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
    HWND target = s.capture ? s.capture : WindowFromPoint(screen);
    Window* w = find(target);
    if (!w) {
        if (msg.message == WM_MOUSEMOVE)
            updateScrollHot(nullptr, HTNOWHERE, screen);  // the pointer left every window
        return false;
    }
    msg.hwnd = target;
    int hit = HTCLIENT;
    if (s.scrollPress.window == target)
        hit = s.scrollPress.bar == SB_VERT ? HTVSCROLL : HTHSCROLL;
    else if (!s.capture)
        hit = nonClientHit(target, screen);
    if (msg.message == WM_MOUSEMOVE)
        updateScrollHot(s.capture ? nullptr : target, hit, screen);
    if (hit != HTCLIENT) {
        msg.message -= WM_MOUSEMOVE - WM_NCMOUSEMOVE;
        msg.wParam = static_cast<WPARAM>(hit);
        return true;
    }
    if (isButtonDown(msg.message)) {
        auto& last = s.lastPress;
        bool isDouble = (w->classStyle & CS_DBLCLKS) && last.window == target && last.message == msg.message &&
                        msg.time - last.time <= GetDoubleClickTime() &&
                        std::abs(screen.x - last.at.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                        std::abs(screen.y - last.at.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
        if (isDouble) {
            last.window = nullptr;  // a third press starts over
            msg.message += WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
        } else {
            last.window = target;
            last.message = msg.message;
            last.time = msg.time;
            last.at = screen;
        }
    }
    TPoint origin = clientOrigin(target);
    msg.lParam = MAKELPARAM(screen.x - origin.x, screen.y - origin.y);
    return true;
}

void setKey(BYTE& key, bool down)
{
    if (down) {
        if (!(key & 0x80))
            key ^= 0x01;
        key |= 0x80;
    } else {
        key &= static_cast<BYTE>(~0x80);
    }
}

// GetKeyState follows the input messages as the thread takes them.
void updateKeyState(const MSG& msg)
{
    BYTE* keys = state().keys;
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: setKey(keys[msg.wParam & 0xFF], true); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: setKey(keys[msg.wParam & 0xFF], false); break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: setKey(keys[VK_LBUTTON], true); break;
    case WM_LBUTTONUP: setKey(keys[VK_LBUTTON], false); break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK: setKey(keys[VK_RBUTTON], true); break;
    case WM_RBUTTONUP: setKey(keys[VK_RBUTTON], false); break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK: setKey(keys[VK_MBUTTON], true); break;
    case WM_MBUTTONUP: setKey(keys[VK_MBUTTON], false); break;
    }
}

void callHooks(MSG& msg, UINT removeFlags)
{
    if (state().hooks.empty())
        return;
    HOOKPROC first = state().hooks.front().proc;
    first(HC_ACTION, removeFlags, reinterpret_cast<LPARAM>(&msg));
}

// One pass over the sources of messages in Win32's order. Returns false when
// there is nothing to take.
bool takeMessage(MSG& out, HWND filter, UINT low, UINT high, UINT removeFlags)
{
    State& s = state();
    bool remove = removeFlags & PM_REMOVE;
    for (auto it = s.queue.begin(); it != s.queue.end();) {
        if (it->hwnd == focusTarget) {
            HWND target = s.focus ? s.focus : s.active;
            if (!target) {
                it = s.queue.erase(it);  // no window takes keyboard input now
                continue;
            }
            it->hwnd = target;
        } else if (it->hwnd == mouseTarget && !resolveMouse(*it)) {
            it = s.queue.erase(it);  // over no window
            continue;
        }
        if (!matches(*it, filter, low, high)) {
            ++it;
            continue;
        }
        out = *it;
        if (remove) {
            s.queue.erase(it);
            updateKeyState(out);
            mouseActivate(out);
            callHooks(out, removeFlags);
        }
        return true;
    }
    if (s.quitPending && !filter) {
        out = makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0);
        if (remove)
            s.quitPending = false;
        return true;
    }
    if (low == 0 || (WM_PAINT >= low && WM_PAINT <= high)) {
        // A frame is drawn at once, before the window's WM_PAINT and in the same
        // order; a window whose frame alone was stale gets no WM_PAINT. The bound
        // keeps a procedure that dirties its frame while drawing it from hanging.
        for (int frames = 0; frames < 10000; ++frames) {
            Window* w = nullptr;
            std::vector<HWND> roots = filter ? std::vector<HWND>{filter} : s.topLevels;
            for (HWND root : roots)
                if ((w = firstToPaint(root)))
                    break;
            if (!w)
                break;
            if (w->framePending) {
                sendFramePaint(*w);
                continue;
            }
            out = makeMessage(w->handle, WM_PAINT, 0, 0);
            if (remove)
                callHooks(out, removeFlags);
            return true;
        }
    }
    if (low == 0 || (WM_TIMER >= low && WM_TIMER <= high)) {
        uint32_t now = Clock::now();
        Timer* due = nullptr;
        for (Timer& t : s.timers) {
            if (filter && t.window != filter)
                continue;
            if (static_cast<int32_t>(now - t.due) >= 0 && (!due || static_cast<int32_t>(t.due - due->due) < 0))
                due = &t;
        }
        if (due) {
            out = makeMessage(due->window, WM_TIMER, due->id, reinterpret_cast<LPARAM>(due->proc));
            if (remove) {
                // Like Win32, a late timer fires once and then counts its interval from now.
                due->due = now + due->interval;
                callHooks(out, removeFlags);
            }
            return true;
        }
    }
    return false;
}

void presentDirty()
{
    State& s = state();
    std::vector<HWND> dirty;
    dirty.swap(s.dirtyTopLevels);
    for (HWND top : dirty)
        if (IsWindow(top))
            backend().present(top);
}

void sendFocusChange(HWND oldFocus, HWND newFocus)
{
    State& s = state();
    s.focus = newFocus;
    if (oldFocus && IsWindow(oldFocus))
        SendMessage(oldFocus, WM_KILLFOCUS, reinterpret_cast<WPARAM>(newFocus), 0);
    // A kill-focus handler may have moved the focus elsewhere already.
    if (newFocus && s.focus == newFocus && IsWindow(newFocus))
        SendMessage(newFocus, WM_SETFOCUS, reinterpret_cast<WPARAM>(oldFocus), 0);
}

void bringToTop(HWND hwnd)
{
    Window* w = find(hwnd);
    if (!w)
        return;
    auto& siblings = siblingsOf(*w);
    auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    if (it != siblings.end()) {
        siblings.erase(it);
        siblings.push_back(hwnd);
    }
}

void activate(HWND hwnd, int how)
{
    State& s = state();
    HWND previous = s.active;
    if (previous == hwnd)
        return;
    s.active = hwnd;
    if (hwnd)
        bringToTop(hwnd);
    // A pop-up that the deactivated window owns and that holds the mouse (a menu,
    // a drop-down) is told to end its mode.
    if (previous && s.capture) {
        Window* holder = find(topLevelOf(s.capture));
        if (holder && holder->handle != hwnd && holder->owner == previous)
            SendMessage(s.capture, WM_CANCELMODE, 0, 0);
    }
    if (previous && IsWindow(previous))
        SendMessage(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
    if (hwnd && s.active == hwnd && IsWindow(hwnd))
        SendMessage(hwnd, WM_ACTIVATE, MAKEWPARAM(how, 0), reinterpret_cast<LPARAM>(previous));
    if (!hwnd && s.focus)
        sendFocusChange(s.focus, nullptr);
}

// The topmost visible, enabled top-level window other than `except`.
HWND nextToActivate(HWND except)
{
    auto& tops = state().topLevels;
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        Window* w = find(*it);
        if (*it != except && w && !w->destroying && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED) &&
            !(w->exStyle & WS_EX_NOACTIVATE))
            return *it;
    }
    return nullptr;
}

// The window is going away or out of sight: focus, capture and activation leave it.
void leaveWindow(HWND hwnd)
{
    State& s = state();
    if (s.capture && isInside(s.capture, hwnd))
        ReleaseCapture();
    Window* w = find(hwnd);
    if (w && !w->parent && s.active == hwnd) {
        activate(nextToActivate(hwnd), WA_ACTIVE);
    }
    if (s.focus && isInside(s.focus, hwnd))
        sendFocusChange(s.focus, nullptr);
}

void sendDestroy(HWND hwnd)
{
    Window* w = find(hwnd);
    if (!w)
        return;
    w->destroying = true;
    SendMessage(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children = find(hwnd) ? find(hwnd)->children : std::vector<HWND>{};
    for (HWND child : children)
        sendDestroy(child);
}

void freeWindow(HWND hwnd)
{
    State& s = state();
    Window* w = find(hwnd);
    if (!w)
        return;
    std::vector<HWND> children = w->children;
    for (HWND child : children)
        freeWindow(child);
    SendMessage(hwnd, WM_NCDESTROY, 0, 0);
    w = find(hwnd);
    if (!w)
        return;
    caretWindowDestroyed(hwnd);
    std::erase_if(s.timers, [&](const Timer& t) { return t.window == hwnd; });
    std::erase_if(s.queue, [&](const MSG& m) { return m.hwnd == hwnd; });
    std::vector<HDC> stale;
    for (auto& [key, context] : s.deviceContexts)
        if (context.window == hwnd)
            stale.push_back(reinterpret_cast<HDC>(key));
    for (HDC dc : stale)
        releaseDeviceContext(dc);
    std::erase(s.dirtyTopLevels, hwnd);
    if (s.focus == hwnd)
        s.focus = nullptr;
    if (s.capture == hwnd)
        s.capture = nullptr;
    if (s.scrollPress.window == hwnd)
        s.scrollPress.window = nullptr;
    if (s.scrollHot.window == hwnd)
        s.scrollHot.window = nullptr;
    if (s.active == hwnd)
        s.active = nullptr;
    std::erase(siblingsOf(*w), hwnd);
    if (!w->parent)
        backend().destroyWindow(hwnd);
    s.windows.erase(reinterpret_cast<uintptr_t>(hwnd));
}

ScrollBarState* scrollBar(HWND hwnd, int bar)
{
    Window* w = find(hwnd);
    if (!w)
        return nullptr;
    if (bar == SB_VERT)
        return &w->vertical;
    if (bar == SB_HORZ)
        return &w->horizontal;
    return nullptr;
}

// ---- Standard scroll bars in the non-client area -----------------------------------
//
// A bar is an arrow at each end (as long as the bar is thick, or half of a bar too
// short for two), the track between them and a thumb whose length shows the page
// against the range. A left press on an arrow sends SB_LINEUP/DOWN, on the track
// SB_PAGEUP/DOWN; it captures the mouse and repeats the code, after a delay, while
// the pointer stays on that part (for the track: on that side of the thumb). The
// release, wherever it happens, sends SB_ENDSCROLL. The thumb is dragged with
// SB_THUMBTRACK and dropped with SB_THUMBPOSITION, then SB_ENDSCROLL.

constexpr UINT_PTR scrollRepeatTimer = 0x5C0113;  // the window manager's own timer on the window
constexpr UINT scrollRepeatDelay = 400;
constexpr UINT scrollRepeatInterval = 50;
constexpr int minThumbLength = 8;

ScrollBarState& barState(Window& w, int bar) { return bar == SB_VERT ? w.vertical : w.horizontal; }

BarGeometry geometryAt(const Window& w, int bar, int pos)
{
    BarGeometry g;
    const ScrollBarState& state = bar == SB_VERT ? w.vertical : w.horizontal;
    DWORD style = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
    if (!(w.style & style) || !state.shown)
        return g;
    TRect insets = nonClientInsets(w);
    int width = w.rect.Width();
    int height = w.rect.Height();
    int thickness = GetSystemMetrics(bar == SB_VERT ? SM_CXVSCROLL : SM_CYHSCROLL);
    int frame = insets.left;  // the same on every side
    if (bar == SB_VERT)
        g.rect = {width - insets.right, frame, width - insets.right + thickness, height - insets.bottom};
    else
        g.rect = {frame, height - insets.bottom, width - insets.right, height - insets.bottom + thickness};
    int start = bar == SB_VERT ? g.rect.top : g.rect.left;
    int end = bar == SB_VERT ? g.rect.bottom : g.rect.right;
    int arrow = std::clamp((end - start) / 2, 0, thickness);
    g.shown = true;
    g.trackStart = start + arrow;
    g.trackEnd = std::max(g.trackStart, end - arrow);
    int trackLength = g.trackEnd - g.trackStart;
    const SCROLLINFO& info = state.info;
    // 64 bits: ranges of tall grids times track lengths pass 2^31.
    int64_t range = int64_t(info.nMax) - info.nMin + 1;
    int64_t page = info.nPage;
    int64_t length = page > 0 ? std::max<int64_t>(minThumbLength, trackLength * page / std::max<int64_t>(range, 1))
                              : thickness;
    g.thumbLength = static_cast<int>(std::min<int64_t>(length, trackLength));
    if (g.thumbLength < minThumbLength)
        g.thumbLength = 0;  // no room for a thumb
    int64_t positions = std::max<int64_t>(1, range - std::max<int64_t>(page, 1));
    int64_t offset = std::clamp<int64_t>(int64_t(pos) - info.nMin, 0, positions);
    g.thumbStart = g.trackStart + static_cast<int>((trackLength - g.thumbLength) * offset / positions);
    return g;
}

TPoint toWindow(HWND hwnd, TPoint screen)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    return {screen.x - r.left, screen.y - r.top};
}

// The scroll code of the part of the bar at a window point, SB_THUMBTRACK on the
// thumb, -1 off the bar.
int partAt(const BarGeometry& g, int bar, TPoint at)
{
    if (!g.shown || !contains(g.rect, at))
        return -1;
    int p = bar == SB_VERT ? at.y : at.x;
    if (p < g.trackStart)
        return SB_LINEUP;
    if (p >= g.trackEnd)
        return SB_LINEDOWN;
    if (g.thumbLength > 0 && p >= g.thumbStart && p < g.thumbStart + g.thumbLength)
        return SB_THUMBTRACK;
    return p < g.thumbStart ? SB_PAGEUP : SB_PAGEDOWN;
}

bool pointerOnPressedPart(const Window& w)
{
    const auto& press = state().scrollPress;
    return partAt(scrollBarGeometry(w, press.bar), press.bar, press.pointer) == press.part;
}

// Flat bars light up the part under the pointer while no button is held.
void updateScrollHot(HWND target, int hit, TPoint screen)
{
    auto& hot = state().scrollHot;
    HWND window = nullptr;
    int bar = hit == HTHSCROLL ? SB_HORZ : SB_VERT;
    int part = -1;
    Window* w = find(target);
    if (w && w->flatScrollBars && (hit == HTVSCROLL || hit == HTHSCROLL)) {
        part = partAt(scrollBarGeometry(*w, bar), bar, toWindow(target, screen));
        window = part >= 0 ? target : nullptr;
    }
    if (window == hot.window && (!window || (bar == hot.bar && part == hot.part)))
        return;
    if (Window* old = find(hot.window))
        invalidateFrame(*old);
    hot.window = window;
    hot.bar = bar;
    hot.part = part;
    if (w && window)
        invalidateFrame(*w);
}

void sendScroll(HWND hwnd, int bar, int code, int pos)
{
    SendMessage(hwnd, bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, pos), 0);
}

void scrollRepeat(HWND hwnd, UINT, UINT_PTR id, DWORD)
{
    auto& press = state().scrollPress;
    Window* w = find(hwnd);
    if (!w || press.window != hwnd || press.part == SB_THUMBTRACK) {
        KillTimer(hwnd, id);
        return;
    }
    SetTimer(hwnd, id, scrollRepeatInterval, scrollRepeat);
    // A page stops once the thumb has reached the pointer; moving on restarts it.
    if (pointerOnPressedPart(*w))
        sendScroll(hwnd, press.bar, press.part, 0);
}

void scrollBarPress(HWND hwnd, int bar, TPoint screen)
{
    State& s = state();
    Window* w = find(hwnd);
    if (!w || s.scrollPress.window)
        return;
    BarGeometry g = scrollBarGeometry(*w, bar);
    TPoint at = toWindow(hwnd, screen);
    int part = partAt(g, bar, at);
    if (part < 0)
        return;
    auto& press = s.scrollPress;
    press.window = hwnd;
    press.bar = bar;
    press.part = part;
    press.pointer = at;
    SetCapture(hwnd);
    invalidateFrame(*w);
    if (part == SB_THUMBTRACK) {
        press.grab = (bar == SB_VERT ? at.y : at.x) - g.thumbStart;
        barState(*w, bar).info.nTrackPos = barState(*w, bar).info.nPos;
        return;
    }
    SetTimer(hwnd, scrollRepeatTimer, scrollRepeatDelay, scrollRepeat);
    sendScroll(hwnd, bar, part, 0);
}

void scrollBarDrag(Window& w, TPoint at)
{
    auto& press = state().scrollPress;
    BarGeometry g = scrollBarGeometry(w, press.bar);
    if (!g.shown)
        return;
    int p = (press.bar == SB_VERT ? at.y : at.x) - press.grab;
    int room = g.trackEnd - g.trackStart - g.thumbLength;
    p = std::clamp(p, g.trackStart, g.trackStart + std::max(room, 0));
    SCROLLINFO& info = barState(w, press.bar).info;
    int64_t positions = std::max<int64_t>(0, int64_t(info.nMax) - info.nMin + 1 - std::max<int64_t>(info.nPage, 1));
    int pos = info.nMin + (room > 0 ? static_cast<int>((p - g.trackStart) * positions / room) : 0);
    if (pos == info.nTrackPos)
        return;
    info.nTrackPos = pos;
    invalidateFrame(w);
    sendScroll(w.handle, press.bar, SB_THUMBTRACK, pos);
}

void scrollBarMove(HWND hwnd, TPoint screen)
{
    auto& press = state().scrollPress;
    Window* w = find(hwnd);
    if (!w || press.window != hwnd)
        return;
    TPoint at = toWindow(hwnd, screen);
    if (press.part == SB_THUMBTRACK) {
        press.pointer = at;
        scrollBarDrag(*w, at);
        return;
    }
    bool wasOn = pointerOnPressedPart(*w);
    press.pointer = at;
    if (pointerOnPressedPart(*w) != wasOn)
        invalidateFrame(*w);  // the part is drawn pushed only under the pointer
}

// Ends a press of the window's bar: on release, or when the window loses the capture.
void scrollBarRelease(HWND hwnd)
{
    State& s = state();
    auto& press = s.scrollPress;
    if (!hwnd || press.window != hwnd)
        return;
    press.window = nullptr;
    const int bar = press.bar, part = press.part;
    KillTimer(hwnd, scrollRepeatTimer);
    if (s.capture == hwnd)
        ReleaseCapture();
    Window* w = find(hwnd);
    if (!w)
        return;
    invalidateFrame(*w);
    if (part == SB_THUMBTRACK)
        sendScroll(hwnd, bar, SB_THUMBPOSITION, barState(*w, bar).info.nTrackPos);
    sendScroll(hwnd, bar, SB_ENDSCROLL, 0);
}

}  // namespace

// ---- Internal interface -------------------------------------------------------

int nonClientHit(HWND hwnd, TPoint screen)
{
    Window* w = find(hwnd);
    if (!w)
        return HTNOWHERE;
    TPoint at = toWindow(hwnd, screen);
    if (!contains({0, 0, w->rect.Width(), w->rect.Height()}, at))
        return HTNOWHERE;
    TRect insets = nonClientInsets(*w);
    TRect client{insets.left, insets.top, w->rect.Width() - insets.right, w->rect.Height() - insets.bottom};
    if (contains(client, at))
        return HTCLIENT;
    if (contains(scrollBarGeometry(*w, SB_VERT).rect, at))
        return HTVSCROLL;
    if (contains(scrollBarGeometry(*w, SB_HORZ).rect, at))
        return HTHSCROLL;
    return HTBORDER;
}

HWND scrollTrackingWindow()
{
    const auto& press = state().scrollPress;
    return press.part == SB_THUMBTRACK ? press.window : nullptr;
}

BarGeometry scrollBarGeometry(const Window& w, int bar)
{
    const auto& press = state().scrollPress;
    // While the thumb is dragged it is drawn where the pointer put it.
    bool dragged = press.window == w.handle && press.bar == bar && press.part == SB_THUMBTRACK;
    const SCROLLINFO& info = (bar == SB_VERT ? w.vertical : w.horizontal).info;
    return geometryAt(w, bar, dragged ? info.nTrackPos : info.nPos);
}

int hotScrollPart(HWND hwnd, int bar)
{
    const auto& hot = state().scrollHot;
    return hwnd && hot.window == hwnd && hot.bar == bar ? hot.part : -1;
}

int pressedScrollPart(HWND hwnd, int bar)
{
    const auto& press = state().scrollPress;
    const Window* w = find(hwnd);
    if (!w || press.window != hwnd || press.bar != bar)
        return -1;
    if (press.part == SB_THUMBTRACK || pointerOnPressedPart(*w))
        return press.part;
    return -1;
}

Window* find(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    auto& windows = state().windows;
    auto it = windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == windows.end() ? nullptr : it->second.get();
}

HWND topLevelOf(HWND hwnd)
{
    Window* w = find(hwnd);
    while (w && w->parent)
        w = find(w->parent);
    return w ? w->handle : nullptr;
}

TRect nonClientInsets(const Window& w)
{
    TRect insets;
    int frame = 0;
    // Captioned top-level windows, dialogs included, get their frame from the
    // desktop; only child windows and bare pop-ups draw one of their own.
    bool captioned = (w.style & WS_CAPTION) == WS_CAPTION;
    if (w.parent || ((w.style & WS_POPUP) && !captioned)) {
        if (w.style & WS_BORDER)
            frame += 1;
        if (w.exStyle & WS_EX_CLIENTEDGE)
            frame += 2;
    }
    insets = {frame, frame, frame, frame};
    if ((w.style & WS_VSCROLL) && w.vertical.shown)
        insets.right += GetSystemMetrics(SM_CXVSCROLL);
    if ((w.style & WS_HSCROLL) && w.horizontal.shown)
        insets.bottom += GetSystemMetrics(SM_CYHSCROLL);
    return insets;
}

TPoint clientOrigin(HWND hwnd)
{
    Window* w = find(hwnd);
    if (!w)
        return {};
    TRect insets = nonClientInsets(*w);
    TPoint origin{w->rect.left + insets.left, w->rect.top + insets.top};
    if (w->parent) {
        TPoint parentOrigin = clientOrigin(w->parent);
        origin.x += parentOrigin.x;
        origin.y += parentOrigin.y;
    }
    return origin;
}

const DeviceContext* deviceContext(HDC dc)
{
    auto& contexts = state().deviceContexts;
    auto it = contexts.find(reinterpret_cast<uintptr_t>(dc));
    return it == contexts.end() ? nullptr : &it->second;
}

void setPaintDeviceProvider(PaintDeviceProvider provider) { state().paintDevices = std::move(provider); }

const std::vector<HWND>& topLevelWindows() { return state().topLevels; }

std::optional<uint32_t> nextTimerDue()
{
    std::optional<uint32_t> due;
    for (const Timer& t : state().timers)
        if (!due || static_cast<int32_t>(t.due - *due) < 0)
            due = t.due;
    return due;
}

UINT_PTR setSystemTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    UINT_PTR result = SetTimer(hwnd, id, elapse, proc);
    for (Timer& t : state().timers)
        if (t.window == hwnd && t.id == id)
            t.system = true;
    return result;
}

bool applicationTimerPending()
{
    return std::any_of(state().timers.begin(), state().timers.end(), [](const Timer& t) { return !t.system; });
}

void setKeyDown(int virtualKey, bool down) { setKey(state().asyncKeys[virtualKey & 0xFF], down); }

void setCursorPos(TPoint screen) { state().cursor = screen; }

void postInput(const MSG& msg) { state().queue.push_back(msg); }

void resetForTests()
{
    State& s = state();
    std::vector<HWND> tops = s.topLevels;
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        DestroyWindow(*it);
    s.queue.clear();
    s.quitPending = false;
    s.timers.clear();
    s.hooks.clear();
    s.dirtyTopLevels.clear();
    s.focus = s.capture = s.active = nullptr;
    std::fill(std::begin(s.keys), std::end(s.keys), BYTE(0));
    std::fill(std::begin(s.asyncKeys), std::end(s.asyncKeys), BYTE(0));
    s.cursor = {};
    s.scrollPress.window = nullptr;
    s.scrollHot.window = nullptr;
    s.lastPress.window = nullptr;
}

}  // namespace varn::detail

using namespace varn::detail;
using varn::Clock;

// ---- Classes and windows ---------------------------------------------------------

namespace {
// The standard classes exist before any class is looked up, as the system's do.
void ensureSystemClasses()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    registerEditClass();
    registerRichEditClass();
}

constexpr uintptr_t cursorHandleBase = 0x10000;
}  // namespace

HANDLE LoadCursor(HANDLE, TCursor cursor)
{
    if (cursor >= 0 || cursor < -255)
        return nullptr;
    return reinterpret_cast<HANDLE>(cursorHandleBase + static_cast<uintptr_t>(-cursor));
}

TCursor CursorFromHandle(HANDLE cursor)
{
    auto value = reinterpret_cast<uintptr_t>(cursor);
    if (value <= cursorHandleBase || value > cursorHandleBase + 255)
        return crDefault;
    return -static_cast<TCursor>(value - cursorHandleBase);
}

ATOM RegisterClass(const WNDCLASS* windowClass)
{
    ensureSystemClasses();
    if (!windowClass || !windowClass->lpszClassName || !windowClass->lpfnWndProc)
        return 0;
    auto& classes = state().classes;
    if (classes.count(windowClass->lpszClassName))
        return 0;
    WindowClassRecord record;
    record.name = windowClass->lpszClassName;
    record.style = windowClass->style;
    record.proc = windowClass->lpfnWndProc;
    record.cursor = windowClass->hCursor;
    record.background = windowClass->hbrBackground;
    classes[record.name] = record;
    return static_cast<ATOM>(classes.size() + 0xC000);
}

BOOL UnregisterClass(const char* className, HANDLE)
{
    ensureSystemClasses();
    return className && state().classes.erase(className) > 0;
}

BOOL GetClassInfo(HANDLE, const char* className, WNDCLASS* windowClass)
{
    ensureSystemClasses();
    if (!className)
        return FALSE;
    auto& classes = state().classes;
    auto it = classes.find(className);
    if (it == classes.end())
        return FALSE;
    if (windowClass) {
        windowClass->style = it->second.style;
        windowClass->lpfnWndProc = it->second.proc;
        windowClass->hCursor = it->second.cursor;
        windowClass->hbrBackground = it->second.background;
        windowClass->lpszClassName = it->second.name.c_str();
    }
    return TRUE;
}

LONG_PTR GetClassLongPtr(HWND hwnd, int index)
{
    Window* w = find(hwnd);
    if (!w || index != GCLP_HCURSOR)
        return 0;
    auto it = state().classes.find(w->className);
    return it == state().classes.end() ? 0 : reinterpret_cast<LONG_PTR>(it->second.cursor);
}

HWND CreateWindowEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HANDLE menu, HANDLE instance, void* param)
{
    ensureSystemClasses();
    State& s = state();
    auto cls = className ? s.classes.find(className) : s.classes.end();
    if (cls == s.classes.end())
        return nullptr;
    if ((style & WS_CHILD) && !find(parent))
        return nullptr;

    auto window = std::make_unique<Window>();
    HWND hwnd = reinterpret_cast<HWND>(nextWindowHandle++);
    window->handle = hwnd;
    window->className = cls->second.name;
    window->classStyle = cls->second.style;
    window->proc = cls->second.proc;
    window->style = style & ~WS_VISIBLE;
    window->exStyle = exStyle;
    window->text = windowName ? windowName : "";
    if (style & WS_CHILD) {
        window->parent = parent;
        window->id = reinterpret_cast<LONG_PTR>(menu);
    } else {
        window->owner = parent ? topLevelOf(parent) : nullptr;
    }
    window->rect = {x, y, x + std::max(0, width), y + std::max(0, height)};
    Window* w = window.get();
    s.windows[reinterpret_cast<uintptr_t>(hwnd)] = std::move(window);
    if (w->parent)
        find(w->parent)->children.push_back(hwnd);
    else
        s.topLevels.push_back(hwnd);
    if (!w->parent)
        varn::backend().createWindow(hwnd);

    CREATESTRUCT create;
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.hMenu = menu;
    create.hwndParent = parent;
    create.x = x;
    create.y = y;
    create.cx = width;
    create.cy = height;
    create.style = static_cast<LONG>(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;
    if (!SendMessage(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) ||
        SendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd))
        return nullptr;
    w = find(hwnd);
    TRect client = clientRectOf(*w);
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
    SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(w->rect.left, w->rect.top));
    if (!w->parent)
        varn::backend().moveWindow(hwnd, w->rect);
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL DestroyWindow(HWND hwnd)
{
    Window* w = find(hwnd);
    if (!w || w->destroying)
        return FALSE;
    if (w->style & WS_VISIBLE) {
        invalidateParentArea(*w, w->rect);
        if (!w->parent)
            varn::backend().showWindow(hwnd, false);
    }
    w->style &= ~WS_VISIBLE;
    leaveWindow(hwnd);
    // Owned top-level windows go first, as in Win32.
    std::vector<HWND> owned;
    for (HWND top : state().topLevels)
        if (Window* t = find(top); t && t->owner == hwnd)
            owned.push_back(top);
    for (HWND top : owned)
        DestroyWindow(top);
    sendDestroy(hwnd);
    freeWindow(hwnd);
    return TRUE;
}

BOOL IsWindow(HWND hwnd) { return find(hwnd) != nullptr; }

BOOL IsWindowVisible(HWND hwnd)
{
    Window* w = find(hwnd);
    return w && isVisibleChain(w);
}

BOOL IsWindowEnabled(HWND hwnd)
{
    Window* w = find(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL EnableWindow(HWND hwnd, BOOL enable)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    bool wasDisabled = w->style & WS_DISABLED;
    if (wasDisabled == !enable)
        return wasDisabled;
    if (enable) {
        w->style &= ~WS_DISABLED;
    } else {
        w->style |= WS_DISABLED;
        State& s = state();
        if (s.focus && isInside(s.focus, hwnd))
            sendFocusChange(s.focus, nullptr);
        if (s.capture && isInside(s.capture, hwnd))
            ReleaseCapture();
    }
    if ((w = find(hwnd)))
        invalidateFrame(*w);  // arrows are drawn inactive in a disabled window
    SendMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

BOOL IsChild(HWND parent, HWND hwnd)
{
    Window* w = find(hwnd);
    if (!w || !parent)
        return FALSE;
    for (Window* p = find(w->parent); p; p = find(p->parent))
        if (p->handle == parent)
            return TRUE;
    return FALSE;
}

BOOL ShowWindow(HWND hwnd, int command)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    bool wasVisible = w->style & WS_VISIBLE;
    bool show = command != SW_HIDE;
    if (show == wasVisible) {
        if (show && !w->parent && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE &&
            !(w->exStyle & WS_EX_NOACTIVATE))
            SetActiveWindow(hwnd);
        return wasVisible;
    }
    SendMessage(hwnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
    if (!(w = find(hwnd)))
        return wasVisible;
    if (show) {
        w->style |= WS_VISIBLE;
        invalidateAll(*w, true);
        if (!w->parent) {
            varn::backend().showWindow(hwnd, true);
            if (command != SW_SHOWNA && command != SW_SHOWNOACTIVATE && !(w->exStyle & WS_EX_NOACTIVATE) &&
                !(w->style & WS_DISABLED))
                SetActiveWindow(hwnd);
        }
    } else {
        w->style &= ~WS_VISIBLE;
        invalidateParentArea(*w, w->rect);
        if (!w->parent)
            varn::backend().showWindow(hwnd, false);
        leaveWindow(hwnd);
    }
    return wasVisible;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    TRect old = w->rect;
    TRect next = old;
    if (!(flags & SWP_NOMOVE))
        next = {x, y, x + old.Width(), y + old.Height()};
    if (!(flags & SWP_NOSIZE))
        next.right = next.left + std::max(0, cx), next.bottom = next.top + std::max(0, cy);
    if (!(flags & SWP_NOZORDER)) {
        auto& siblings = siblingsOf(*w);
        std::erase(siblings, hwnd);
        if (insertAfter == HWND_BOTTOM) {
            siblings.insert(siblings.begin(), hwnd);
        } else if (!insertAfter) {
            siblings.push_back(hwnd);
        } else {
            auto it = std::find(siblings.begin(), siblings.end(), insertAfter);
            // insertAfter is the window just above this one.
            siblings.insert(it, hwnd);
        }
    }
    bool moved = next.left != old.left || next.top != old.top;
    bool sized = next.Width() != old.Width() || next.Height() != old.Height();
    w->rect = next;
    if ((moved || sized) && (w->style & WS_VISIBLE) && !(flags & SWP_NOREDRAW)) {
        invalidateParentArea(*w, old);
        invalidateParentArea(*w, next);
        invalidateAll(*w, true);
    }
    if ((flags & SWP_FRAMECHANGED) && (w->style & WS_VISIBLE))
        invalidateAll(*w, true);
    if ((moved || sized) && !w->parent)
        varn::backend().moveWindow(hwnd, next);
    if (moved)
        SendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(next.left, next.top));
    if (sized && (w = find(hwnd))) {
        TRect client = clientRectOf(*w);
        SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
    }
    if (flags & SWP_SHOWWINDOW)
        ShowWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    else if (flags & SWP_HIDEWINDOW)
        ShowWindow(hwnd, SW_HIDE);
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect)
{
    Window* w = find(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = w->rect;
    if (w->parent) {
        TPoint origin = clientOrigin(w->parent);
        rect->left += origin.x;
        rect->right += origin.x;
        rect->top += origin.y;
        rect->bottom += origin.y;
    }
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect)
{
    Window* w = find(hwnd);
    if (!w || !rect)
        return FALSE;
    *rect = clientRectOf(*w);
    return TRUE;
}

HWND GetParent(HWND hwnd)
{
    Window* w = find(hwnd);
    if (!w)
        return nullptr;
    return w->parent ? w->parent : w->owner;
}

HWND SetParent(HWND hwnd, HWND newParent)
{
    Window* w = find(hwnd);
    if (!w || (newParent && !find(newParent)) || (newParent && isInside(newParent, hwnd)))
        return nullptr;
    HWND old = w->parent;
    if (old == newParent)
        return old;
    if (w->style & WS_VISIBLE)
        invalidateParentArea(*w, w->rect);
    std::erase(siblingsOf(*w), hwnd);
    if (!old)
        varn::backend().destroyWindow(hwnd);
    w->parent = newParent;
    if (newParent) {
        w->style = (w->style | WS_CHILD) & ~WS_POPUP;
        find(newParent)->children.push_back(hwnd);
    } else {
        w->style &= ~WS_CHILD;
        state().topLevels.push_back(hwnd);
        varn::backend().createWindow(hwnd);
        varn::backend().moveWindow(hwnd, w->rect);
    }
    if (w->style & WS_VISIBLE)
        invalidateAll(*w, true);
    return old;
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index)
{
    Window* w = find(hwnd);
    if (!w)
        return 0;
    switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_ID: return w->id;
    case GWL_STYLE: return static_cast<LONG_PTR>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(w->exStyle);
    case GWLP_USERDATA: return w->userData;
    }
    return 0;
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value)
{
    Window* w = find(hwnd);
    if (!w)
        return 0;
    LONG_PTR old = GetWindowLongPtr(hwnd, index);
    switch (index) {
    case GWLP_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWLP_ID: w->id = value; break;
    case GWL_STYLE: {
        // Visibility changes go through ShowWindow.
        DWORD visible = w->style & WS_VISIBLE;
        w->style = (static_cast<DWORD>(value) & ~WS_VISIBLE) | visible;
        break;
    }
    case GWL_EXSTYLE: w->exStyle = static_cast<DWORD>(value); break;
    case GWLP_USERDATA: w->userData = value; break;
    }
    return old;
}

BOOL SetWindowText(HWND hwnd, const char* text)
{
    return static_cast<BOOL>(SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")));
}

int GetWindowText(HWND hwnd, char* buffer, int maxCount)
{
    return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND hwnd) { return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0)); }

BOOL SetProp(HWND hwnd, const char* name, HANDLE data)
{
    Window* w = find(hwnd);
    if (!w || !name)
        return FALSE;
    w->props[name] = data;
    return TRUE;
}

HANDLE GetProp(HWND hwnd, const char* name)
{
    Window* w = find(hwnd);
    if (!w || !name)
        return nullptr;
    auto it = w->props.find(name);
    return it == w->props.end() ? nullptr : it->second;
}

HANDLE RemoveProp(HWND hwnd, const char* name)
{
    Window* w = find(hwnd);
    if (!w || !name)
        return nullptr;
    auto it = w->props.find(name);
    if (it == w->props.end())
        return nullptr;
    HANDLE data = it->second;
    w->props.erase(it);
    return data;
}

// ---- Messages -------------------------------------------------------------------

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* w = find(hwnd);
    if (!w || !w->proc)
        return 0;
    return w->proc(hwnd, message, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (hwnd && !find(hwnd))
        return FALSE;
    state().queue.push_back(makeMessage(hwnd, message, wParam, lParam));
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    state().quitPending = true;
    state().quitCode = exitCode;
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    varn::backend().pollEvents();
    MSG taken;
    if (!takeMessage(taken, hwnd, filterMin, filterMax, removeFlags)) {
        presentDirty();
        return FALSE;
    }
    if (msg)
        *msg = taken;
    return TRUE;
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax)
{
    MSG taken;
    for (;;) {
        varn::backend().pollEvents();
        if (takeMessage(taken, hwnd, filterMin, filterMax, PM_REMOVE))
            break;
        presentDirty();
        // Headless, nothing can arrive any more: answer as WM_QUIT would, so that a
        // message loop cannot hang a test.
        if (!varn::backend().waitEvents(nextTimerDue())) {
            taken = makeMessage(nullptr, WM_QUIT, 0, 0);
            break;
        }
    }
    if (msg)
        *msg = taken;
    return taken.message != WM_QUIT;
}

BOOL WaitMessage()
{
    varn::backend().pollEvents();
    MSG taken;
    if (takeMessage(taken, nullptr, 0, 0, PM_NOREMOVE))
        return TRUE;
    presentDirty();
    return varn::backend().waitEvents(nextTimerDue());
}

// Enter, Tab, Backspace and Escape become characters; printable characters come
// from the backend's text input.
namespace {

// Alt + a letter or digit (without Ctrl) becomes WM_SYSCHAR with the character as
// typed: a letter is lower case unless Shift or Caps Lock makes it upper case.
BOOL translateSystemKey(const MSG& msg)
{
    int key = static_cast<int>(msg.wParam);
    if (GetKeyState(VK_CONTROL) < 0)
        return FALSE;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    int ch = 0;
    if (key >= 'A' && key <= 'Z') {
        bool upper = shift != ((GetKeyState(VK_CAPITAL) & 1) != 0);
        ch = upper ? key : key - 'A' + 'a';
    } else if (key >= '0' && key <= '9' && !shift) {
        ch = key;  // shifted digits depend on the keyboard layout
    } else {
        return FALSE;
    }
    MSG character = msg;
    character.message = WM_SYSCHAR;
    character.wParam = static_cast<WPARAM>(ch);
    state().queue.push_front(character);
    return TRUE;
}

}  // namespace

BOOL TranslateMessage(const MSG* msg)
{
    if (msg && msg->message == WM_SYSKEYDOWN)
        return translateSystemKey(*msg);
    if (!msg || msg->message != WM_KEYDOWN)
        return FALSE;
    int ch = 0;
    switch (static_cast<int>(msg->wParam)) {
    case VK_RETURN: ch = '\r'; break;
    case VK_TAB: ch = '\t'; break;
    case VK_BACK: ch = '\b'; break;
    case VK_ESCAPE: ch = 0x1B; break;
    default: return FALSE;
    }
    if (GetKeyState(VK_CONTROL) < 0 && ch != 0x1B && ch != '\b')
        return FALSE;
    MSG character = *msg;
    character.message = WM_CHAR;
    character.wParam = static_cast<WPARAM>(ch);
    state().queue.push_front(character);
    return TRUE;
}

LRESULT DispatchMessage(const MSG* msg)
{
    if (!msg)
        return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd)
        return 0;
    if (msg->message != WM_PAINT)
        return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    // A window procedure that answers WM_PAINT without BeginPaint would get it again
    // at once, for ever; its update region is dropped instead.
    Window* w = find(msg->hwnd);
    unsigned paintsBefore = w ? w->paintCount : 0;
    LRESULT result = SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    if ((w = find(msg->hwnd)) && w->paintCount == paintsBefore)
        ValidateRect(msg->hwnd, nullptr);
    return result;
}

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* w = find(hwnd);
    if (!w)
        return 0;
    switch (message) {
    case WM_NCCREATE: return TRUE;
    case WM_SETTEXT:
        w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return TRUE;
    case WM_GETTEXT: {
        int max = static_cast<int>(wParam);
        char* buffer = reinterpret_cast<char*>(lParam);
        if (!buffer || max <= 0)
            return 0;
        int count = std::min<int>(max - 1, static_cast<int>(w->text.size()));
        std::memcpy(buffer, w->text.data(), static_cast<size_t>(count));
        buffer[count] = 0;
        return count;
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        return 0;
    }
    // FIXME: the background is filled with the class brush once the canvas lands.
    case WM_ERASEBKGND: return 1;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !isInside(state().focus, hwnd))
            SetFocus(hwnd);
        return 0;
    case WM_MOUSEACTIVATE: return MA_ACTIVATE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        // A field that can be edited on the window colour, others on the face colour.
        auto dc = reinterpret_cast<HDC>(wParam);
        int background = message == WM_CTLCOLOREDIT ? COLOR_WINDOW : COLOR_BTNFACE;
        if (dc) {
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(background));
        }
        return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
    }
    case WM_NCHITTEST: return HTCLIENT;
    case WM_NCPAINT: drawNonClient(hwnd); return 0;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        if (wParam == HTVSCROLL || wParam == HTHSCROLL)
            scrollBarPress(hwnd, wParam == HTVSCROLL ? SB_VERT : SB_HORZ, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_NCMOUSEMOVE: scrollBarMove(hwnd, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
    case WM_NCLBUTTONUP: scrollBarRelease(hwnd); return 0;
    case WM_MOUSEWHEEL:
        // Unhandled wheel messages climb to the parent.
        if (w->parent)
            return SendMessage(w->parent, message, wParam, lParam);
        return 0;
    case WM_RBUTTONUP: {
        // The right button's release asks for a context menu, at the screen point.
        TPoint origin = clientOrigin(hwnd);
        SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd),
                    MAKELPARAM(GET_X_LPARAM(lParam) + origin.x, GET_Y_LPARAM(lParam) + origin.y));
        return 0;
    }
    case WM_CONTEXTMENU:
        // A window without a menu of its own lets its parent show one.
        if (w->parent)
            return SendMessage(w->parent, message, wParam, lParam);
        return 0;
    case WM_CANCELMODE:
        if (state().capture == hwnd)
            ReleaseCapture();
        return 0;
    }
    return 0;
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!proc)
        return 0;
    return proc(hwnd, message, wParam, lParam);
}

HHOOK SetWindowsHookEx(int idHook, HOOKPROC proc, HANDLE, DWORD)
{
    if (idHook != WH_GETMESSAGE || !proc)
        return nullptr;
    State& s = state();
    HHOOK handle = reinterpret_cast<HHOOK>(s.nextHook++);
    s.hooks.insert(s.hooks.begin(), Hook{handle, proc});
    return handle;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam)
{
    auto& hooks = state().hooks;
    auto it = std::find_if(hooks.begin(), hooks.end(), [&](const Hook& h) { return h.handle == hook; });
    if (it == hooks.end() || ++it == hooks.end())
        return 0;
    return it->proc(code, wParam, lParam);
}

BOOL UnhookWindowsHookEx(HHOOK hook)
{
    return std::erase_if(state().hooks, [&](const Hook& h) { return h.handle == hook; }) > 0;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    State& s = state();
    if (hwnd && !find(hwnd))
        return 0;
    elapse = std::max<UINT>(elapse, 10);  // Win32's shortest interval
    if (!hwnd)
        id = s.nextTimerId++;
    for (Timer& t : s.timers) {
        if (hwnd && t.window == hwnd && t.id == id) {
            t.interval = elapse;
            t.due = Clock::now() + elapse;
            t.proc = proc;
            t.system = false;
            return id;
        }
    }
    s.timers.push_back(Timer{hwnd, id, elapse, Clock::now() + elapse, proc});
    return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id)
{
    State& s = state();
    bool removed = std::erase_if(s.timers, [&](const Timer& t) { return t.window == hwnd && t.id == id; }) > 0;
    // A WM_TIMER already taken into the queue by a caller stays; Win32 removes posted ones.
    std::erase_if(s.queue, [&](const MSG& m) { return m.message == WM_TIMER && m.hwnd == hwnd && m.wParam == id; });
    return removed;
}

// ---- Painting bookkeeping ----------------------------------------------------------

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    invalidate(*w, rect ? *rect : clientRectOf(*w), erase);
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    // Update regions are single rectangles: validating part of one keeps it whole
    // unless the part covers it.
    if (!rect || (rect->left <= w->updateRect.left && rect->top <= w->updateRect.top &&
                  rect->right >= w->updateRect.right && rect->bottom >= w->updateRect.bottom)) {
        w->updatePending = false;
        w->erasePending = false;
        w->updateRect = {};
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    if (rect)
        *rect = w->updatePending ? w->updateRect : TRect{};
    return w->updatePending;
}

BOOL UpdateWindow(HWND hwnd)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    if (w->framePending && isVisibleChain(w))
        sendFramePaint(*w);
    if ((w = find(hwnd)) && w->updatePending && isVisibleChain(w))
        SendMessage(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

namespace varn::detail {
namespace {
HDC newDeviceContext(HWND hwnd, const TRect& clip, bool painting)
{
    State& s = state();
    HDC dc = s.paintDevices.acquire ? s.paintDevices.acquire(hwnd, clip) : reinterpret_cast<HDC>(s.nextDC++);
    s.deviceContexts[reinterpret_cast<uintptr_t>(dc)] = DeviceContext{hwnd, clip, painting, false};
    return dc;
}

bool releaseDeviceContext(HDC dc)
{
    State& s = state();
    if (!s.deviceContexts.erase(reinterpret_cast<uintptr_t>(dc)))
        return false;
    if (s.paintDevices.release)
        s.paintDevices.release(dc);
    return true;
}
}  // namespace
}  // namespace varn::detail

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint)
{
    Window* w = find(hwnd);
    if (!w || !paint)
        return nullptr;
    if (w->framePending) {
        sendFramePaint(*w);
        if (!(w = find(hwnd)))
            return nullptr;
    }
    caretBeforePaint(hwnd);
    ++w->paintCount;
    TRect area = w->updatePending ? w->updateRect : TRect{};
    bool erase = w->erasePending;
    w->updatePending = false;
    w->erasePending = false;
    w->updateRect = {};
    paint->rcPaint = area;
    paint->fErase = FALSE;
    paint->hdc = newDeviceContext(hwnd, area, true);
    if (erase)
        paint->fErase = SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0) ? FALSE : TRUE;
    return paint->hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint)
{
    if (!paint)
        return FALSE;
    releaseDeviceContext(paint->hdc);
    markDirty(hwnd);
    caretAfterPaint(hwnd);
    return TRUE;
}

HDC GetDC(HWND hwnd)
{
    Window* w = find(hwnd);
    if (!w)
        return nullptr;
    return newDeviceContext(hwnd, clientRectOf(*w), false);
}

HDC GetWindowDC(HWND hwnd)
{
    State& s = state();
    Window* w = find(hwnd);
    if (!w || !s.paintDevices.acquireWindow)
        return nullptr;
    HDC dc = s.paintDevices.acquireWindow(hwnd);
    s.deviceContexts[reinterpret_cast<uintptr_t>(dc)] =
        DeviceContext{hwnd, {0, 0, w->rect.Width(), w->rect.Height()}, false, true};
    return dc;
}

int ReleaseDC(HWND hwnd, HDC dc)
{
    if (!releaseDeviceContext(dc))
        return 0;
    markDirty(hwnd);
    return 1;
}

HWND WindowFromDC(HDC dc)
{
    const DeviceContext* context = deviceContext(dc);
    return context ? context->window : nullptr;
}

// ---- Focus, capture, activation ---------------------------------------------------

HWND SetFocus(HWND hwnd)
{
    State& s = state();
    HWND old = s.focus;
    if (hwnd == old)
        return old;
    if (hwnd) {
        Window* w = find(hwnd);
        if (!w || w->destroying)
            return nullptr;
        for (Window* p = w; p; p = find(p->parent))
            if (p->style & WS_DISABLED)
                return nullptr;
        // Focusing a window of an inactive top-level window activates it first;
        // the activation may already have put the focus there.
        HWND top = topLevelOf(hwnd);
        if (top != s.active)
            activate(top, WA_ACTIVE);
        if (!IsWindow(hwnd))
            return nullptr;
        old = s.focus;
        if (old == hwnd)
            return old;
    }
    sendFocusChange(old, hwnd);
    return old;
}

HWND GetFocus() { return state().focus; }

HWND SetCapture(HWND hwnd)
{
    State& s = state();
    HWND old = s.capture;
    if (!find(hwnd) || old == hwnd)
        return old;
    s.capture = hwnd;
    if (old && IsWindow(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    scrollBarRelease(old);  // a scroll-bar press ends with the capture
    return old;
}

BOOL ReleaseCapture()
{
    State& s = state();
    HWND old = s.capture;
    s.capture = nullptr;
    if (old && IsWindow(old))
        SendMessage(old, WM_CAPTURECHANGED, 0, 0);
    scrollBarRelease(old);
    return TRUE;
}

HWND GetCapture() { return state().capture; }

HWND SetActiveWindow(HWND hwnd)
{
    HWND old = state().active;
    HWND top = topLevelOf(hwnd);
    if (hwnd && !top)
        return nullptr;
    activate(top, WA_ACTIVE);
    return old;
}

HWND GetActiveWindow() { return state().active; }
HWND GetForegroundWindow() { return state().active; }
BOOL SetForegroundWindow(HWND hwnd) { return SetActiveWindow(hwnd) != nullptr || GetActiveWindow() == topLevelOf(hwnd); }

// ---- Input state, coordinates, time -----------------------------------------------

SHORT GetKeyState(int virtualKey)
{
    BYTE key = state().keys[virtualKey & 0xFF];
    SHORT result = static_cast<SHORT>(key & 0x01);
    if (key & 0x80)
        result = static_cast<SHORT>(result | static_cast<SHORT>(0x8000));
    return result;
}

SHORT GetAsyncKeyState(int virtualKey)
{
    return (state().asyncKeys[virtualKey & 0xFF] & 0x80) ? static_cast<SHORT>(0x8000) : SHORT(0);
}

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    *point = state().cursor;
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point)
{
    if (!find(hwnd) || !point)
        return FALSE;
    TPoint origin = clientOrigin(hwnd);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point)
{
    if (!find(hwnd) || !point)
        return FALSE;
    TPoint origin = clientOrigin(hwnd);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

namespace {
// The deepest visible child under a point in w's client coordinates; disabled
// children do not take the mouse, their parent does.
HWND deepestAt(Window& w, TPoint clientPoint)
{
    for (auto it = w.children.rbegin(); it != w.children.rend(); ++it) {
        Window* child = find(*it);
        if (!child || !(child->style & WS_VISIBLE) || !contains(child->rect, clientPoint))
            continue;
        if (child->style & WS_DISABLED)
            return w.handle;
        TRect insets = nonClientInsets(*child);
        TPoint inner{clientPoint.x - child->rect.left - insets.left, clientPoint.y - child->rect.top - insets.top};
        return deepestAt(*child, inner);
    }
    return w.handle;
}
}  // namespace

HWND WindowFromPoint(POINT point)
{
    auto& tops = state().topLevels;
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        Window* w = find(*it);
        if (!w || !(w->style & WS_VISIBLE) || !contains(w->rect, point))
            continue;
        TPoint origin = clientOrigin(w->handle);
        return deepestAt(*w, {point.x - origin.x, point.y - origin.y});
    }
    return nullptr;
}

HWND ChildWindowFromPoint(HWND parent, POINT point)
{
    Window* w = find(parent);
    if (!w || !contains(clientRectOf(*w), point))
        return nullptr;
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
        Window* child = find(*it);
        if (child && contains(child->rect, point))
            return child->handle;
    }
    return parent;
}

DWORD GetTickCount() { return Clock::now(); }

UINT GetDoubleClickTime() { return 500; }

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return varn::backend().screenSize().x;
    case SM_CYSCREEN: return varn::backend().screenSize().y;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return 17;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXEDGE:
    case SM_CYEDGE: return 2;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK: return 4;
    }
    return 0;
}

// ---- Standard scroll bars ------------------------------------------------------------

namespace {
void clampScroll(SCROLLINFO& info)
{
    int maxPos = info.nMax - std::max<int>(static_cast<int>(info.nPage) - 1, 0);
    info.nPos = std::clamp(info.nPos, info.nMin, std::max(info.nMin, maxPos));
}

void updateScrollShown(HWND hwnd, ScrollBarState& bar)
{
    // Like Win32, a bar shows while its range exceeds the page.
    bool shown = bar.info.nMax > bar.info.nMin &&
                 (bar.info.nPage == 0 || static_cast<int>(bar.info.nPage) <= bar.info.nMax - bar.info.nMin);
    if (shown == bar.shown)
        return;
    bar.shown = shown;
    Window* w = find(hwnd);
    TRect client = clientRectOf(*w);
    invalidateAll(*w, true);
    SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
}
}  // namespace

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL)
{
    ScrollBarState* state = scrollBar(hwnd, bar);
    if (!state || !info)
        return 0;
    SCROLLINFO before = state->info;
    if (info->fMask & SIF_RANGE) {
        state->info.nMin = info->nMin;
        state->info.nMax = info->nMax;
    }
    if (info->fMask & SIF_PAGE)
        state->info.nPage = info->nPage;
    if (info->fMask & SIF_POS)
        state->info.nPos = info->nPos;
    clampScroll(state->info);
    const SCROLLINFO& now = state->info;
    if (now.nMin != before.nMin || now.nMax != before.nMax || now.nPage != before.nPage || now.nPos != before.nPos)
        invalidateFrame(*find(hwnd));
    updateScrollShown(hwnd, *state);
    return state->info.nPos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* info)
{
    ScrollBarState* state = scrollBar(hwnd, bar);
    if (!state || !info)
        return FALSE;
    UINT mask = info->fMask;
    if (mask & SIF_RANGE) {
        info->nMin = state->info.nMin;
        info->nMax = state->info.nMax;
    }
    if (mask & SIF_PAGE)
        info->nPage = state->info.nPage;
    if (mask & SIF_POS)
        info->nPos = state->info.nPos;
    if (mask & SIF_TRACKPOS)
        info->nTrackPos = state->info.nTrackPos;
    return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw)
{
    ScrollBarState* state = scrollBar(hwnd, bar);
    if (!state)
        return 0;
    int old = state->info.nPos;
    SCROLLINFO info;
    info.fMask = SIF_POS;
    info.nPos = pos;
    SetScrollInfo(hwnd, bar, &info, redraw);
    return old;
}

int GetScrollPos(HWND hwnd, int bar)
{
    ScrollBarState* state = scrollBar(hwnd, bar);
    return state ? state->info.nPos : 0;
}

BOOL ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    DWORD flags = (bar == SB_VERT ? WS_VSCROLL : bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL | WS_HSCROLL);
    DWORD old = w->style;
    if (show)
        w->style |= flags;
    else
        w->style &= ~flags;
    if (old != w->style) {
        invalidateAll(*w, true);
        TRect client = clientRectOf(*w);
        SendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.Width(), client.Height()));
    }
    return TRUE;
}

// Flat scroll bars look different but behave as the standard ones.
BOOL InitializeFlatSB(HWND hwnd)
{
    Window* w = find(hwnd);
    if (!w)
        return FALSE;
    if (!w->flatScrollBars) {
        w->flatScrollBars = true;
        invalidateFrame(*w);
    }
    return TRUE;
}

namespace varn {
namespace {

TMessageBoxHandler& messageBoxHandler()
{
    static TMessageBoxHandler handler;
    return handler;
}

}  // namespace

int showMessageBox(const AnsiString& text, const AnsiString& caption, int flags)
{
    if (messageBoxHandler())
        return messageBoxHandler()(text, caption, flags);
    if (std::optional<int> answer = backend().messageBox(text, caption, flags))
        return *answer;
    std::fprintf(stderr, "[%s] %s\n", AnsiToUtf8(caption).c_str(), AnsiToUtf8(text).c_str());
    return IDOK;
}

TMessageBoxHandler setMessageBoxHandler(TMessageBoxHandler handler)
{
    std::swap(messageBoxHandler(), handler);
    return handler;
}

}  // namespace varn

int MessageBox(HWND, const char* text, const char* caption, UINT flags)
{
    return varn::showMessageBox(text ? text : "", caption ? caption : "", static_cast<int>(flags));
}
