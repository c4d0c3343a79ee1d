// The non-client area: borders, client edges and standard scroll bars drawn in
// the 3-D and the flat look, frame repaint order, and held arrows and tracks that
// repeat by the manual clock.
#include "platform/Graphics.h"
#include "platform/win/BackingStore.h"
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

// Fills its client area with the colour in GWLP_USERDATA, logs frame and client
// paints and scroll messages, and moves its bar as a list would.
LRESULT fillerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCPAINT: logged.push_back(names[hwnd] + " ncpaint"); break;
    case WM_PAINT: {
        logged.push_back(names[hwnd] + " paint");
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtr(hwnd, GWLP_USERDATA)));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: logged.push_back(names[hwnd] + " client button"); break;
    case WM_VSCROLL: {
        int code = LOWORD(wParam);
        logged.push_back(names[hwnd] + " vscroll " + std::to_string(code));
        SCROLLINFO info;
        info.fMask = SIF_ALL;
        GetScrollInfo(hwnd, SB_VERT, &info);
        int step = code == SB_LINEUP ? -1 : code == SB_LINEDOWN ? 1 : code == SB_PAGEUP ? -int(info.nPage)
                                                               : code == SB_PAGEDOWN ? int(info.nPage) : 0;
        if (step)
            SetScrollPos(hwnd, SB_VERT, info.nPos + step, TRUE);
        return 0;
    }
    }
    return DefWindowProc(hwnd, message, wParam, lParam);
}

const COLORREF red = RGB(255, 0, 0);
const COLORREF white = RGB(255, 255, 255);
const COLORREF black = RGB(0, 0, 0);

class NonClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        logged.clear();
        names.clear();
        WNDCLASS cls;
        cls.lpfnWndProc = fillerProc;
        cls.lpszClassName = "Filler";
        RegisterClass(&cls);
        // A borderless pop-up at the screen's corner: its client coordinates are screen coordinates.
        top = make("top", nullptr, 0, 0, 300, 300, 0, 0, red);
    }

    HWND make(const std::string& name, HWND parent, int x, int y, int w, int h, DWORD style, DWORD exStyle,
              COLORREF fill)
    {
        HWND hwnd = CreateWindowEx(exStyle, "Filler", name.c_str(), style | (parent ? WS_CHILD : WS_POPUP), x, y, w,
                                   h, parent, nullptr, nullptr, nullptr);
        names[hwnd] = name;
        SetWindowLongPtr(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(fill));
        ShowWindow(hwnd, SW_SHOWNA);
        return hwnd;
    }

    // A 100 x 140 child at (10, 10) with a border and both bars: the vertical bar is
    // x 82..98, y 1..121 (arrows y 1..17 and 105..121, track 18..104); the
    // horizontal one y 122..138, x 1..81 (arrows x 1..17 and 65..81).
    HWND makeList(int pos = 35)
    {
        HWND list = make("list", top, 10, 10, 100, 140, WS_BORDER | WS_VSCROLL | WS_HSCROLL, 0, white);
        setBar(list, SB_VERT, 99, 30, pos);
        setBar(list, SB_HORZ, 199, 50, 150);
        return list;
    }

    static void setBar(HWND hwnd, int bar, int max, int page, int pos)
    {
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = 0;
        info.nMax = max;
        info.nPage = static_cast<UINT>(page);
        info.nPos = pos;
        SetScrollInfo(hwnd, bar, &info, TRUE);
    }

    // Pixel of the child at (10, 10) in its window coordinates.
    COLORREF at(int x, int y) { return varn::windowPixel(top, 10 + x, 10 + y); }

    // Widths of the first and last rows of an arrow glyph of the given colour in a
    // window rectangle of the child; {0, 0} when there is none.
    std::pair<int, int> glyphRows(const TRect& r, COLORREF color, bool vertical)
    {
        std::vector<int> widths;
        int rows = vertical ? r.Height() : r.Width();
        int cols = vertical ? r.Width() : r.Height();
        for (int i = 0; i < rows; ++i) {
            int count = 0;
            for (int j = 0; j < cols; ++j)
                count += at(vertical ? r.left + j : r.left + i, vertical ? r.top + i : r.top + j) == color;
            if (count)
                widths.push_back(count);
        }
        return widths.empty() ? std::pair{0, 0} : std::pair{widths.front(), widths.back()};
    }

    void pressScreen(int x, int y) { ui.pressScreen(x, y); }
    std::vector<std::string> take() { return std::exchange(logged, {}); }

    varn::test::UiHarness ui;
    HWND top = nullptr;
};

TEST_F(NonClient, BorderAndClientEdgeAreDrawnAfterTheParentAndLeaveTheClientAlone)
{
    HWND border = make("border", top, 10, 10, 60, 40, WS_BORDER, 0, white);
    HWND edge = make("edge", top, 100, 10, 60, 40, 0, WS_EX_CLIENTEDGE, white);
    HWND both = make("both", top, 200, 10, 60, 40, WS_BORDER, WS_EX_CLIENTEDGE, white);
    ui.pump();
    // The parent paints over its children (no WS_CLIPCHILDREN); their frames come after it.
    EXPECT_EQ(take(), (std::vector<std::string>{"top paint", "border ncpaint", "border paint", "edge ncpaint",
                                                "edge paint", "both ncpaint", "both paint"}));

    auto px = [&](int x, int y) { return varn::windowPixel(top, x, y); };
    EXPECT_EQ(px(10, 10), black);
    EXPECT_EQ(px(69, 49), black);
    EXPECT_EQ(px(11, 11), white);
    EXPECT_EQ(px(70, 50), red);
    // Sunken: shadow and dark shadow at the top left, highlight and light at the bottom right.
    EXPECT_EQ(px(100, 10), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(px(101, 11), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(px(159, 49), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(px(158, 48), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(px(102, 12), white);
    EXPECT_EQ(px(200, 10), black);
    EXPECT_EQ(px(201, 11), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(px(203, 13), white);

    // Repainting the parent draws the frames again; a frame alone gets no WM_PAINT.
    InvalidateRect(top, nullptr, TRUE);
    ui.pump();
    EXPECT_EQ(take(), (std::vector<std::string>{"top paint", "border ncpaint", "border paint", "edge ncpaint",
                                                "edge paint", "both ncpaint", "both paint"}));
    EXPECT_EQ(px(10, 10), black);
    SetWindowPos(both, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    EnableWindow(border, FALSE);
    ui.pump();
    EXPECT_EQ(take(), (std::vector<std::string>{"border ncpaint", "both ncpaint", "both paint"}));
    (void)edge;
}

TEST_F(NonClient, StandardBarsShowArrowsTrackThumbAndCorner)
{
    HWND list = makeList();
    ui.pump();
    // Arrows point away from the track: a one-pixel tip and a wide base.
    EXPECT_EQ(glyphRows({82, 1, 99, 18}, black, true), (std::pair{1, 7}));
    EXPECT_EQ(glyphRows({82, 105, 99, 122}, black, true), (std::pair{7, 1}));
    EXPECT_EQ(glyphRows({1, 122, 18, 139}, black, false), (std::pair{1, 7}));
    EXPECT_EQ(glyphRows({65, 122, 82, 139}, black, false), (std::pair{7, 1}));
    // Arrows are raised buttons.
    EXPECT_EQ(at(83, 2), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(at(98, 17), GetSysColor(COLOR_3DDKSHADOW));
    // Range 0..99, page 30, position 35: an 87-pixel track holds a 26-pixel thumb at 48..73.
    EXPECT_EQ(at(90, 47), GetSysColor(COLOR_SCROLLBAR));
    EXPECT_EQ(at(90, 49), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(at(90, 73), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(at(90, 74), GetSysColor(COLOR_SCROLLBAR));
    // The horizontal thumb sits at the end of its track (position 150 of 0..199, page 50).
    EXPECT_EQ(at(64, 130), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(at(90, 130), GetSysColor(COLOR_BTNFACE));  // the corner, over the parent's red
    EXPECT_EQ(at(99, 139), black);                        // the border around it all
    EXPECT_EQ(at(81, 121), white);                        // the client's last pixel

    // A new position moves the thumb with a frame paint only.
    take();
    SetScrollPos(list, SB_VERT, 0, TRUE);
    ui.pump();
    EXPECT_EQ(take(), (std::vector<std::string>{"list ncpaint"}));
    EXPECT_EQ(at(90, 19), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(at(90, 49), GetSysColor(COLOR_SCROLLBAR));

    // A disabled window draws its arrows inactive.
    EnableWindow(list, FALSE);
    ui.pump();
    EXPECT_EQ(glyphRows({84, 3, 97, 16}, black, true), (std::pair{0, 0}));
    EXPECT_EQ(glyphRows({84, 3, 97, 16}, GetSysColor(COLOR_GRAYTEXT), true), (std::pair{1, 7}));
}

TEST_F(NonClient, FlatBarsHaveFlatArrowsOutlinedThumbAndLighterTrack)
{
    EXPECT_FALSE(InitializeFlatSB(nullptr));
    HWND list = makeList();
    EXPECT_TRUE(InitializeFlatSB(list));
    ui.pump();
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(glyphRows({82, 1, 99, 18}, black, true), (std::pair{1, 7}));
    EXPECT_EQ(at(83, 2), face);  // no raised edge
    EXPECT_EQ(at(98, 17), face);
    EXPECT_EQ(at(90, 48), shadow);  // the thumb's outline
    EXPECT_EQ(at(90, 73), shadow);
    EXPECT_EQ(at(90, 60), face);
    COLORREF track = at(90, 47);
    EXPECT_NE(track, GetSysColor(COLOR_SCROLLBAR));
    EXPECT_NE(track, face);
    EXPECT_EQ(at(90, 74), track);
    EXPECT_EQ(at(90, 130), face);

    // Under the pointer an arrow rises and the thumb's outline darkens, until the pointer leaves.
    ui.moveToScreen(100, 120);
    EXPECT_EQ(at(82, 105), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(at(98, 121), shadow);
    ui.moveToScreen(100, 70);
    EXPECT_EQ(at(82, 105), face);
    EXPECT_EQ(at(90, 48), GetSysColor(COLOR_3DDKSHADOW));
    ui.moveToScreen(50, 50);
    EXPECT_EQ(at(90, 48), shadow);
    // Also when it leaves for a point over none of the program's windows.
    ui.moveToScreen(100, 70);
    EXPECT_EQ(at(90, 48), GetSysColor(COLOR_3DDKSHADOW));
    ui.moveToScreen(600, 600);
    EXPECT_EQ(at(90, 48), shadow);
}

TEST_F(NonClient, HeldArrowRepeatsAfterTheDelayWhileOnTheArrowAndEndsOnceOnRelease)
{
    HWND list = makeList(0);
    ui.pump();
    take();
    // The down arrow: screen (10 + 90, 10 + 110).
    ui.pressScreen(100, 120);
    EXPECT_EQ(take(), (std::vector<std::string>{"list vscroll 1", "list ncpaint"}));
    EXPECT_EQ(GetCapture(), list);
    // Held, it is drawn pushed: the highlight moves to its bottom right.
    EXPECT_EQ(at(98, 121), GetSysColor(COLOR_BTNHIGHLIGHT));

    ui.advance(399);
    EXPECT_EQ(take(), (std::vector<std::string>{}));
    ui.advance(1);
    ui.advance(100);
    EXPECT_EQ(take(), (std::vector<std::string>{"list vscroll 1", "list ncpaint", "list vscroll 1", "list ncpaint",
                                                "list vscroll 1", "list ncpaint"}));
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 4);

    // Off the arrow it pauses and is drawn up; back on it goes on.
    ui.moveToScreen(100, 60);
    ui.advance(200);
    EXPECT_EQ(at(98, 121), GetSysColor(COLOR_3DDKSHADOW));
    ui.moveToScreen(100, 118);
    ui.advance(50);
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 5);
    take();

    // Released far away: one SB_ENDSCROLL, no client button message, no more repeats.
    ui.releaseScreen(250, 280);
    ui.advance(1000);
    EXPECT_EQ(take(), (std::vector<std::string>{"list vscroll 8", "list ncpaint"}));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(at(98, 121), GetSysColor(COLOR_3DDKSHADOW));

    // Losing the capture ends a press as a release does.
    ui.pressScreen(100, 15);
    SetCapture(top);
    ui.advance(1000);
    EXPECT_EQ(take(), (std::vector<std::string>{"list vscroll 0", "list ncpaint", "list vscroll 8", "list ncpaint"}));
    ReleaseCapture();
    ui.releaseScreen(100, 15);
}

TEST_F(NonClient, HeldTrackPagesUntilTheThumbReachesThePointer)
{
    HWND list = makeList(0);  // thumb at 18..43
    ui.pump();
    take();
    ui.pressScreen(100, 110);  // track at y 100, below the thumb
    ui.advance(2000);
    // Pages to 30, 60, then 70 (the last): the thumb (79..104) is under the pointer.
    EXPECT_EQ(take(), (std::vector<std::string>{"list vscroll 3", "list ncpaint", "list vscroll 3", "list ncpaint",
                                                "list vscroll 3", "list ncpaint"}));
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 70);
    // Held over the thumb, the track is not drawn pressed.
    EXPECT_EQ(at(90, 78), GetSysColor(COLOR_SCROLLBAR));
    // Dragged above the thumb, the same press does not page the other way.
    ui.moveToScreen(100, 40);
    ui.advance(500);
    EXPECT_EQ(take(), (std::vector<std::string>{}));
    ui.releaseScreen(100, 40);
    EXPECT_EQ(take(), (std::vector<std::string>{"list vscroll 8", "list ncpaint"}));
}

TEST_F(NonClient, ThumbOfAHugeRangeReachesBothEndsOfTheTrack)
{
    // Ranges of tall grids times the track length do not fit in 32 bits.
    HWND list = make("list", top, 10, 10, 100, 140, WS_BORDER | WS_VSCROLL, 0, white);
    setBar(list, SB_VERT, 99999999, 100, 99999900);
    ui.pump();
    // The track is 18..121 (no horizontal bar): the thumb ends on its last pixel.
    EXPECT_EQ(at(90, 121), GetSysColor(COLOR_3DDKSHADOW));

    ui.pressScreen(100, 128);  // on the thumb, 114..121
    ui.moveToScreen(100, 20);
    SCROLLINFO info;
    info.fMask = SIF_TRACKPOS;
    GetScrollInfo(list, SB_VERT, &info);
    EXPECT_EQ(info.nTrackPos, 0);
    EXPECT_EQ(at(90, 19), GetSysColor(COLOR_BTNHIGHLIGHT));  // drawn where it is dragged
    ui.moveToScreen(100, 200);
    GetScrollInfo(list, SB_VERT, &info);
    EXPECT_EQ(info.nTrackPos, 99999900);
    ui.releaseScreen(100, 200);
}

TEST_F(NonClient, OwnedPopupPaintsAwayFromItsOwner)
{
    HWND popup = CreateWindowEx(0, "Filler", "popup", WS_POPUP | WS_BORDER, 500, 500, 40, 30, top, nullptr, nullptr,
                                nullptr);
    SetWindowLongPtr(popup, GWLP_USERDATA, static_cast<LONG_PTR>(white));
    ShowWindow(popup, SW_SHOWNA);
    ui.pump();
    EXPECT_EQ(varn::windowPixel(popup, 10, 10), white);
    EXPECT_EQ(varn::windowPixel(popup, -1, -1), black);
}

}  // namespace
