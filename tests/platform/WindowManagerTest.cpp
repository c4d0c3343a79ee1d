// The message model at the Win32 level: queue, paint and timer synthesis, focus,
// activation, capture, input messages and message hooks.
#include "platform/Forms.h"
#include "platform/win/Clock.h"
#include "platform/win/Input.h"
#include "platform/win/Windows.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

std::vector<std::string> logged;
std::map<HWND, std::string> names;
std::vector<MSG> received;  // every message that reached recordingProc

std::string nameOf(HWND hwnd)
{
    auto it = names.find(hwnd);
    return it == names.end() ? "?" : it->second;
}

std::string messageName(UINT message)
{
    switch (message) {
    case WM_PAINT: return "paint";
    case WM_TIMER: return "timer";
    case WM_SETFOCUS: return "setfocus";
    case WM_KILLFOCUS: return "killfocus";
    case WM_ACTIVATE: return "activate";
    case WM_DESTROY: return "destroy";
    case WM_NCDESTROY: return "ncdestroy";
    case WM_LBUTTONDOWN: return "down";
    case WM_LBUTTONUP: return "up";
    case WM_LBUTTONDBLCLK: return "dblclk";
    case WM_MOUSEMOVE: return "move";
    case WM_KEYDOWN: return "keydown";
    case WM_KEYUP: return "keyup";
    case WM_SYSKEYDOWN: return "syskeydown";
    case WM_SYSKEYUP: return "syskeyup";
    case WM_CHAR: return "char";
    case WM_SYSCHAR: return "syschar";
    case WM_MOUSEWHEEL: return "wheel";
    case WM_USER: return "user";
    case WM_NULL: return "null";
    case WM_VSCROLL: return "vscroll";
    }
    return "";
}

LRESULT recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::string name = messageName(message);
    if (!name.empty()) {
        MSG msg;
        msg.hwnd = hwnd;
        msg.message = message;
        msg.wParam = wParam;
        msg.lParam = lParam;
        received.push_back(msg);
        std::string entry = nameOf(hwnd) + " " + name;
        if (message == WM_SETFOCUS || message == WM_KILLFOCUS)
            entry += " " + nameOf(reinterpret_cast<HWND>(wParam));
        if (message == WM_VSCROLL)
            entry += " " + std::to_string(LOWORD(wParam)) + " " + std::to_string(HIWORD(wParam));
        if (message == WM_ACTIVATE)
            entry += " " + std::to_string(LOWORD(wParam)) + " " + nameOf(reinterpret_cast<HWND>(lParam));
        logged.push_back(entry);
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        logged.back() += " " + std::to_string(paint.rcPaint.left) + "," + std::to_string(paint.rcPaint.top) + "," +
                         std::to_string(paint.rcPaint.right) + "," + std::to_string(paint.rcPaint.bottom);
        EndPaint(hwnd, &paint);
        return 0;
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

class WindowManager : public ::testing::Test {
protected:
    void SetUp() override
    {
        logged.clear();
        names.clear();
        received.clear();
        for (const char* name : {"Recorder", "RecorderDbl"}) {
            WNDCLASS cls;
            cls.lpfnWndProc = recordingProc;
            cls.lpszClassName = name;
            cls.style = std::string(name) == "RecorderDbl" ? CS_DBLCLKS : 0;
            RegisterClass(&cls);
        }
    }

    HWND make(const std::string& name, HWND parent, int x, int y, int w, int h, DWORD style = WS_VISIBLE,
              const char* cls = "Recorder")
    {
        HWND hwnd = CreateWindowEx(0, cls, name.c_str(), style | (parent ? WS_CHILD : WS_POPUP), x, y, w, h, parent,
                                   nullptr, nullptr, nullptr);
        names[hwnd] = name;
        return hwnd;
    }

    // Handles what is queued without the framework's message event.
    void pumpRaw()
    {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }

    std::vector<std::string> take() { return std::exchange(logged, {}); }

    varn::test::UiHarness ui;
};

TEST_F(WindowManager, HandlesAreNeverReusedAndDestructionReachesChildren)
{
    HWND top = make("top", nullptr, 0, 0, 100, 100);
    HWND child = make("child", top, 0, 0, 10, 10);
    HWND first = top;
    pumpRaw();
    take();
    DestroyWindow(top);
    EXPECT_EQ(take(), (std::vector<std::string>{"top activate 0 ?", "top killfocus ?", "top destroy", "child destroy",
                                                "child ncdestroy", "top ncdestroy"}));
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(child));
    for (int i = 0; i < 5; ++i) {
        HWND again = make("again", nullptr, 0, 0, 10, 10);
        EXPECT_NE(again, first);
        EXPECT_NE(again, child);
        DestroyWindow(again);
    }
    EXPECT_FALSE(IsWindow(first));
    EXPECT_FALSE(PostMessage(first, WM_USER, 0, 0));
}

TEST_F(WindowManager, PaintComesOnlyWhenTheQueueIsEmptyAndOnlyForInvalidatedWindows)
{
    HWND top = make("top", nullptr, 0, 0, 200, 100, WS_VISIBLE | WS_CLIPCHILDREN);
    HWND left = make("left", top, 0, 0, 50, 50);
    HWND right = make("right", top, 100, 0, 50, 50);
    pumpRaw();
    take();

    RECT a{5, 5, 10, 10};
    RECT b{20, 30, 25, 40};
    InvalidateRect(right, &a, TRUE);
    InvalidateRect(right, &b, TRUE);
    PostMessage(left, WM_USER, 0, 0);
    PostMessage(top, WM_USER, 0, 0);
    pumpRaw();
    // Posted messages first; one paint with the union of the rectangles; left and
    // top were not invalidated and get none.
    EXPECT_EQ(take(), (std::vector<std::string>{"left user", "top user", "right paint 5,5,25,40"}));

    // Parents paint before their children; an invalidated parent without
    // WS_CLIPCHILDREN invalidates the children it covers.
    HWND plain = make("plain", nullptr, 300, 0, 100, 100);
    HWND inner = make("inner", plain, 10, 10, 20, 20);
    pumpRaw();
    take();
    RECT part{0, 0, 15, 15};
    InvalidateRect(plain, &part, FALSE);
    pumpRaw();
    EXPECT_EQ(take(), (std::vector<std::string>{"plain paint 0,0,15,15", "inner paint 0,0,5,5"}));

    // A procedure that answers WM_PAINT without BeginPaint gets it once, not for ever.
    static int ignoredPaints = 0;
    WNDCLASS lazy;
    lazy.lpszClassName = "LazyPainter";
    lazy.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == WM_PAINT) {
            ++ignoredPaints;
            return 0;
        }
        return DefWindowProc(hwnd, message, wParam, lParam);
    };
    RegisterClass(&lazy);
    ignoredPaints = 0;
    make("lazy", nullptr, 0, 0, 10, 10, WS_VISIBLE, "LazyPainter");
    pumpRaw();
    pumpRaw();
    EXPECT_EQ(ignoredPaints, 1);

    // Hidden windows keep their update region until they show.
    ShowWindow(inner, SW_HIDE);
    pumpRaw();
    take();
    InvalidateRect(inner, nullptr, FALSE);
    pumpRaw();
    EXPECT_EQ(take(), std::vector<std::string>{});
    (void)left;
}

TEST_F(WindowManager, TimerFiresOncePerIntervalOfTheManualClock)
{
    HWND top = make("top", nullptr, 0, 0, 10, 10);
    pumpRaw();
    take();
    SetTimer(top, 7, 50, nullptr);
    varn::Clock::advance(49);
    pumpRaw();
    EXPECT_TRUE(take().empty());
    for (int i = 0; i < 3; ++i) {
        varn::Clock::advance(1);
        pumpRaw();
        EXPECT_EQ(take(), std::vector<std::string>{"top timer"});
        varn::Clock::advance(49);
        pumpRaw();
        EXPECT_TRUE(take().empty());
    }
    EXPECT_EQ(received.back().wParam, 7u);

    // The harness lets time pass as a live session would: 200 ms are four ticks.
    ui.advance(200);
    EXPECT_EQ(take().size(), 4u);

    // A late timer fires once, not once per missed interval.
    varn::Clock::advance(500);
    pumpRaw();
    EXPECT_EQ(take().size(), 1u);

    KillTimer(top, 7);
    ui.advance(1000);
    EXPECT_TRUE(take().empty());
}

TEST_F(WindowManager, FocusChangeSendsKillFocusThenSetFocusWithTheOtherWindow)
{
    HWND top = make("top", nullptr, 0, 0, 100, 100);
    HWND a = make("a", top, 0, 0, 10, 10);
    HWND b = make("b", top, 20, 0, 10, 10);
    SetActiveWindow(top);
    SetFocus(a);
    take();
    EXPECT_EQ(SetFocus(b), a);
    EXPECT_EQ(take(), (std::vector<std::string>{"a killfocus b", "b setfocus a"}));
    EXPECT_EQ(GetFocus(), b);

    // A window of an inactive top-level window activates it first.
    HWND other = make("other", nullptr, 200, 0, 100, 100, WS_VISIBLE);
    HWND c = make("c", other, 0, 0, 10, 10);
    EXPECT_EQ(GetActiveWindow(), other);
    take();
    SetFocus(b);
    EXPECT_EQ(take(), (std::vector<std::string>{"other activate 0 top", "top activate 1 other", "other killfocus top",
                                                "top setfocus other", "top killfocus b", "b setfocus top"}));
    SetFocus(c);
    take();

    // Destroying the focused window leaves no focus behind; disabled windows take none.
    DestroyWindow(c);
    EXPECT_EQ(GetFocus(), nullptr);
    EnableWindow(b, FALSE);
    EXPECT_EQ(SetFocus(b), nullptr);
    EXPECT_NE(GetFocus(), b);
}

TEST_F(WindowManager, MouseInputCarriesClientCoordinatesKeyFlagsAndCapture)
{
    HWND top = make("top", nullptr, 100, 50, 300, 200);
    HWND child = make("child", top, 10, 20, 100, 50, WS_VISIBLE | WS_BORDER);
    pumpRaw();
    take();
    received.clear();

    POINT p{0, 0};
    ClientToScreen(child, &p);
    EXPECT_EQ(p, (POINT{111, 71}));  // one pixel of border
    EXPECT_EQ(WindowFromPoint({115, 75}), child);
    EXPECT_EQ(WindowFromPoint({105, 55}), top);
    EXPECT_EQ(WindowFromPoint({5, 5}), nullptr);

    varn::inputKeyDown(VK_SHIFT);
    varn::inputMouseDown(varn::MouseButton::Left, 116, 73);
    pumpRaw();
    ASSERT_GE(received.size(), 2u);
    const MSG& down = received.back();
    EXPECT_EQ(down.message, WM_LBUTTONDOWN);
    EXPECT_EQ(down.hwnd, child);
    EXPECT_EQ(GET_X_LPARAM(down.lParam), 5);
    EXPECT_EQ(GET_Y_LPARAM(down.lParam), 2);
    EXPECT_EQ(down.wParam, MK_LBUTTON | MK_SHIFT);
    EXPECT_LT(GetKeyState(VK_LBUTTON), 0);

    // With the capture, the mouse goes to the capturing window even outside it.
    SetCapture(child);
    received.clear();
    varn::inputMouseMove(20, 30);
    varn::inputMouseUp(varn::MouseButton::Left, 20, 30);
    varn::inputKeyUp(VK_SHIFT);
    pumpRaw();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[1].message, WM_LBUTTONUP);
    EXPECT_EQ(received[1].hwnd, child);
    EXPECT_EQ(GET_X_LPARAM(received[1].lParam), 20 - 111);
    EXPECT_EQ(GET_Y_LPARAM(received[1].lParam), 30 - 71);
    EXPECT_EQ(received[1].wParam, MK_SHIFT);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);

    // The wheel goes to the focused window with screen coordinates; unhandled, it
    // climbs to the parent.
    SetFocus(child);
    received.clear();
    varn::inputMouseWheel(-240, 150, 80);
    pumpRaw();
    ASSERT_EQ(received.size(), 3u);  // move, wheel at child, wheel at top
    EXPECT_EQ(received[1].hwnd, child);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(received[1].wParam), -240);
    EXPECT_EQ(GET_X_LPARAM(received[1].lParam), 150);
    EXPECT_EQ(received[2].hwnd, top);
}

TEST_F(WindowManager, StandardScrollBarTurnsPressesAndDragsIntoScrollMessages)
{
    HWND top = make("top", nullptr, 0, 0, 200, 200);
    HWND list = make("list", top, 10, 10, 100, 100, WS_VISIBLE | WS_BORDER | WS_VSCROLL);
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = 99;
    info.nPage = 10;
    SetScrollInfo(list, SB_VERT, &info, TRUE);
    RECT client;
    GetClientRect(list, &client);
    EXPECT_EQ(client.right, 100 - 2 - 17);  // border and bar
    pumpRaw();
    take();

    // Window coordinates + (10, 10). The bar: x 82..98, arrows y 1..17 and 82..98,
    // an 8-pixel thumb at the top of the track for position 0.
    auto pressAt = [&](int y) {
        varn::inputMouseDown(varn::MouseButton::Left, 10 + 90, 10 + y);
        varn::inputMouseUp(varn::MouseButton::Left, 10 + 90, 10 + y);
        pumpRaw();
        varn::Clock::advance(1000);  // no double clicks
    };
    pressAt(5);
    pressAt(95);
    pressAt(60);
    SetScrollPos(list, SB_VERT, 50, TRUE);  // thumb at 49..56
    pressAt(30);
    EXPECT_EQ(take(), (std::vector<std::string>{"list vscroll 0 0", "list vscroll 8 0", "list vscroll 1 0",
                                                "list vscroll 8 0", "list vscroll 3 0", "list vscroll 8 0",
                                                "list vscroll 2 0", "list vscroll 8 0"}));

    // The thumb follows the mouse, also past the window, and the client sees none of it.
    varn::inputMouseDown(varn::MouseButton::Left, 10 + 90, 10 + 52);
    varn::inputMouseMove(10 + 90, 10 + 60);
    varn::inputMouseMove(150, 190);
    varn::inputMouseUp(varn::MouseButton::Left, 150, 190);
    pumpRaw();
    EXPECT_EQ(take(), (std::vector<std::string>{"list vscroll 5 62", "list vscroll 5 90", "list vscroll 4 90",
                                                "list vscroll 8 0"}));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 50);  // the window moves it, not the bar
    (void)top;
}

TEST_F(WindowManager, DoubleClickArrivesAsDownUpDoubleClickUpForClassesThatAskForIt)
{
    HWND top = make("top", nullptr, 0, 0, 300, 100);
    make("dbl", top, 0, 0, 100, 100, WS_VISIBLE, "RecorderDbl");
    make("plain", top, 200, 0, 100, 100);
    pumpRaw();
    take();

    auto clickAt = [&](int x) {
        varn::inputMouseDown(varn::MouseButton::Left, x, 10);
        varn::inputMouseUp(varn::MouseButton::Left, x, 10);
        pumpRaw();
    };
    auto buttons = [&] {
        std::vector<std::string> result;
        for (auto& entry : take())
            if (entry.find("move") == std::string::npos)
                result.push_back(entry);
        return result;
    };
    clickAt(10);
    varn::Clock::advance(100);
    clickAt(11);
    EXPECT_EQ(buttons(), (std::vector<std::string>{"dbl down", "dbl up", "dbl dblclk", "dbl up"}));

    // A third press starts over; too slow or too far is no double click.
    clickAt(11);
    varn::Clock::advance(600);
    clickAt(11);
    clickAt(20);
    EXPECT_EQ(buttons(), (std::vector<std::string>{"dbl down", "dbl up", "dbl down", "dbl up", "dbl down", "dbl up"}));

    clickAt(210);
    clickAt(210);
    EXPECT_EQ(buttons(), (std::vector<std::string>{"plain down", "plain up", "plain down", "plain up"}));
}

TEST_F(WindowManager, KeyMessagesCarryKeyDataAndTranslateIntoCharacters)
{
    HWND top = make("top", nullptr, 0, 0, 100, 100);
    SetFocus(top);
    pumpRaw();
    take();
    received.clear();

    varn::inputKeyDown(VK_RETURN);
    varn::inputKeyDown(VK_RETURN);  // auto-repeat
    varn::inputKeyUp(VK_RETURN);
    varn::inputKeyDown(VK_MENU);
    varn::inputKeyDown('X');
    varn::inputKeyUp('X');
    varn::inputKeyUp(VK_MENU);
    varn::inputText("a\xE9");
    pumpRaw();
    EXPECT_EQ(take(), (std::vector<std::string>{"top keydown", "top char", "top keydown", "top char", "top keyup",
                                                "top syskeydown", "top syskeydown", "top syschar", "top syskeyup",
                                                "top syskeyup", "top char", "top char"}));
    EXPECT_EQ(received[0].lParam, 1);
    EXPECT_EQ(received[1].wParam, static_cast<WPARAM>('\r'));
    EXPECT_EQ(received[2].lParam, 1 | (1 << 30));
    EXPECT_EQ(received[4].lParam & ~LPARAM(0xFFFF), (LPARAM(1) << 30) | (LPARAM(1) << 31));
    EXPECT_EQ(received[6].wParam, static_cast<WPARAM>('X'));
    EXPECT_TRUE(received[6].lParam & (LPARAM(1) << 29));  // Alt held
    EXPECT_EQ(received[7].wParam, static_cast<WPARAM>('x'));  // Alt + X as typed
    EXPECT_EQ(received[11].wParam, 0xE9u);
}

TEST_F(WindowManager, GetMessageHookCanTurnAClickIntoNull)
{
    HWND top = make("top", nullptr, 0, 0, 100, 100);
    pumpRaw();
    take();

    static std::vector<std::string> hookLog;
    static HHOOK first = nullptr;
    static HHOOK second = nullptr;
    hookLog.clear();
    // Installed first, so called second.
    first = SetWindowsHookEx(WH_GETMESSAGE, [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        hookLog.push_back("first " + messageName(msg->message));
        return CallNextHookEx(first, code, wParam, lParam);
    }, nullptr, 0);
    second = SetWindowsHookEx(WH_GETMESSAGE, [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
        auto* msg = reinterpret_cast<MSG*>(lParam);
        hookLog.push_back("second " + messageName(msg->message));
        if (wParam == PM_REMOVE && msg->message == WM_LBUTTONDOWN)
            msg->message = WM_NULL;
        return CallNextHookEx(second, code, wParam, lParam);
    }, nullptr, 0);

    varn::inputMouseDown(varn::MouseButton::Left, 10, 10);
    pumpRaw();
    EXPECT_EQ(hookLog, (std::vector<std::string>{"second move", "first move", "second down", "first null"}));
    EXPECT_EQ(take(), (std::vector<std::string>{"top move", "top null"}));

    UnhookWindowsHookEx(second);
    UnhookWindowsHookEx(first);
    hookLog.clear();
    varn::inputMouseUp(varn::MouseButton::Left, 10, 10);
    pumpRaw();
    EXPECT_TRUE(hookLog.empty());
    EXPECT_EQ(take(), std::vector<std::string>{"top up"});
    (void)top;
}

TEST_F(WindowManager, ActivationFollowsShowingHidingAndClicks)
{
    HWND one = make("one", nullptr, 0, 0, 100, 100);
    HWND two = make("two", nullptr, 200, 0, 100, 100);
    EXPECT_EQ(GetActiveWindow(), two);
    pumpRaw();
    take();
    varn::inputMouseDown(varn::MouseButton::Left, 10, 10);
    pumpRaw();
    EXPECT_EQ(GetActiveWindow(), one);
    std::vector<std::string> log;
    for (auto& entry : take())
        if (entry.find("activate") != std::string::npos)
            log.push_back(entry);
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0], "two activate 0 one");
    EXPECT_EQ(log[1], "one activate 2 two");  // WA_CLICKACTIVE

    ShowWindow(one, SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), two);
    DestroyWindow(two);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}

}  // namespace
