// Device contexts of windows on their top-level window's backing store: origin,
// clip to the visible client area, children and the update region.
#include "platform/Graphics.h"
#include "platform/win/BackingStore.h"
#include "platform/win/WindowManager.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace {

// Windows of this class fill their client area with the colour in their user
// data whenever they are painted.
LRESULT fillingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return DefWindowProc(hwnd, message, wParam, lParam);
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

struct Windows : ::testing::Test {
    Windows()
    {
        varn::detail::resetForTests();
        WNDCLASS filling;
        filling.lpfnWndProc = fillingProc;
        filling.lpszClassName = "GdiFillingWindow";
        RegisterClass(&filling);
    }
    ~Windows() override { varn::detail::resetForTests(); }

    HWND make(DWORD style, int x, int y, int w, int h, HWND parent, TColor colour)
    {
        HWND hwnd = CreateWindowEx(0, "GdiFillingWindow", "", style | WS_VISIBLE, x, y, w, h, parent, nullptr, nullptr, nullptr);
        SetWindowLongPtr(hwnd, GWLP_USERDATA, colour);
        return hwnd;
    }
};

}  // namespace

TEST_F(Windows, DeviceContextsDrawAtTheClientOriginInsideTheVisibleClientArea)
{
    HWND top = make(WS_POPUP | WS_CLIPCHILDREN, 100, 50, 100, 80, nullptr, clWhite);
    HWND child = make(WS_CHILD | WS_BORDER, 20, 10, 30, 20, top, clWhite);
    cairo_surface_t* store = varn::backingStore(top);
    ASSERT_NE(store, nullptr);
    EXPECT_EQ(cairo_image_surface_get_width(store), 100);
    EXPECT_EQ(varn::backingStore(child), nullptr);

    // The child's client area starts inside its one-pixel border; drawing stops at its edge.
    HDC dc = GetDC(child);
    TRect everything{-50, -50, 200, 200};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &everything, red);
    ReleaseDC(child, dc);
    EXPECT_EQ(varn::windowPixel(top, 21, 11), RGB(255, 0, 0));
    EXPECT_EQ(varn::windowPixel(top, 48, 28), RGB(255, 0, 0));
    EXPECT_EQ(varn::windowPixel(top, 20, 10), GetSysColor(COLOR_BTNFACE));  // the border
    EXPECT_EQ(varn::windowPixel(top, 49, 29), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(varn::windowPixel(child, 0, 0), RGB(255, 0, 0));

    // The parent clips its children away; without WS_CLIPCHILDREN it paints over them.
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    dc = GetDC(top);
    FillRect(dc, &everything, blue);
    ReleaseDC(top, dc);
    EXPECT_EQ(varn::windowPixel(top, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(varn::windowPixel(top, 99, 79), RGB(0, 0, 255));
    EXPECT_EQ(varn::windowPixel(top, 25, 15), RGB(255, 0, 0));
    SetWindowLongPtr(top, GWL_STYLE, GetWindowLongPtr(top, GWL_STYLE) & ~LONG_PTR(WS_CLIPCHILDREN));
    dc = GetDC(top);
    FillRect(dc, &everything, blue);
    ReleaseDC(top, dc);
    EXPECT_EQ(varn::windowPixel(top, 25, 15), RGB(0, 0, 255));

    // A hidden window's DC draws nothing.
    ShowWindow(child, SW_HIDE);
    dc = GetDC(child);
    FillRect(dc, &everything, red);
    ReleaseDC(child, dc);
    EXPECT_EQ(varn::windowPixel(top, 25, 15), RGB(0, 0, 255));
    DeleteObject(red);
    DeleteObject(blue);
}

TEST_F(Windows, PaintingCoversOnlyTheUpdateRegionAndExportsAsPng)
{
    HWND top = make(WS_POPUP, 0, 0, 60, 40, nullptr, clYellow);
    UpdateWindow(top);
    EXPECT_EQ(varn::windowPixel(top, 0, 0), RGB(255, 255, 0));
    EXPECT_EQ(varn::windowPixel(top, 59, 39), RGB(255, 255, 0));

    SetWindowLongPtr(top, GWLP_USERDATA, clLime);
    RECT part{10, 10, 20, 20};
    InvalidateRect(top, &part, FALSE);
    UpdateWindow(top);
    EXPECT_EQ(varn::windowPixel(top, 10, 10), RGB(0, 255, 0));
    EXPECT_EQ(varn::windowPixel(top, 19, 19), RGB(0, 255, 0));
    EXPECT_EQ(varn::windowPixel(top, 20, 19), RGB(255, 255, 0));
    EXPECT_EQ(varn::windowPixel(top, 9, 10), RGB(255, 255, 0));

    // A resized window keeps its pixels.
    MoveWindow(top, 0, 0, 80, 40, FALSE);
    EXPECT_EQ(cairo_image_surface_get_width(varn::backingStore(top)), 80);
    EXPECT_EQ(varn::windowPixel(top, 15, 15), RGB(0, 255, 0));

    std::string path = (std::filesystem::temp_directory_path() / "varn-gfx-window.png").string();
    ASSERT_TRUE(varn::SaveWindowToPngFile(top, path));
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    EXPECT_EQ(cairo_image_surface_get_width(png), 80);
    EXPECT_EQ(cairo_image_surface_get_height(png), 40);
    cairo_surface_destroy(png);
    std::remove(path.c_str());
}

TEST_F(Windows, AWindowWiderThanTheLargestImageKeepsAStoreOfTheLargestImageSize)
{
    HWND top = make(WS_POPUP, 0, 0, 40000, 30, nullptr, clYellow);
    UpdateWindow(top);
    cairo_surface_t* store = varn::backingStore(top);
    ASSERT_EQ(cairo_surface_status(store), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(store), 32767);
    EXPECT_EQ(cairo_image_surface_get_height(store), 30);
    EXPECT_EQ(varn::windowPixel(top, 0, 0), RGB(255, 255, 0));
    EXPECT_EQ(varn::windowPixel(top, 32766, 29), RGB(255, 255, 0));
    EXPECT_EQ(varn::windowPixel(top, 32767, 0), CLR_INVALID);
}
