// The grid body's scroll bars as the user sees and uses them.
#include "GridScreen.h"

#include "platform/Graphics.h"
#include "platform/win/BackingStore.h"

#include <gtest/gtest.h>

using varn::test::GridScreen;

TEST(GridScrollBars, BothBarsAreDrawnFlatAndAHeldArrowScrollsRowByRow)
{
    GridScreen s({60, 80, 70, 150});
    s.addRows(30);
    s.show();
    HWND body = s.body()->Handle();
    RECT client;
    GetClientRect(body, &client);
    const int right = client.right, bottom = client.bottom;  // the bars lie past the client area
    auto pixel = [&](int x, int y) { return varn::windowPixel(body, x, y); };
    auto blackIn = [&](int left, int top) {
        int count = 0;
        for (int y = top; y < top + 17; ++y)
            for (int x = left; x < left + 17; ++x)
                count += pixel(x, y) == RGB(0, 0, 0);
        return count;
    };
    EXPECT_EQ(blackIn(right, 0), 16);           // the up arrow's glyph
    EXPECT_EQ(blackIn(0, bottom), 16);          // the left arrow's glyph
    EXPECT_EQ(pixel(right + 8, 17), GetSysColor(COLOR_BTNSHADOW));  // the flat thumb's outline at the top
    EXPECT_EQ(pixel(right + 8, bottom + 8), GetSysColor(COLOR_BTNFACE));

    POINT down{right + 8, bottom - 8};
    ClientToScreen(body, &down);
    s.ui.pressScreen(down.x, down.y);
    EXPECT_EQ(s.grid->GetRowTop(), 1);
    EXPECT_NE(pixel(right + 8, 17), GetSysColor(COLOR_BTNSHADOW));  // the thumb moved down
    s.ui.advance(500);  // repeats at 400, 450 and 500 ms
    s.ui.releaseScreen(down.x, down.y);
    s.ui.advance(500);
    EXPECT_EQ(s.grid->GetRowTop(), 4);
}
