// Pixel rules of the canvas and the Win32 shape services, checked on bitmaps.
#include "platform/Bitmap.h"

#include <gtest/gtest.h>

#include <set>

namespace {

constexpr TColor background = clWhite;

// A white bitmap with a black pen and a yellow brush on its canvas.
struct Paper {
    TBitmap bitmap;
    TCanvas* canvas;

    explicit Paper(int width = 40, int height = 40)
    {
        bitmap.SetSize(width, height);
        canvas = bitmap.Canvas();
        canvas->Brush()->SetColor(background);
        canvas->FillRect({0, 0, width, height});
        canvas->Pen()->SetColor(clBlack);
        canvas->Brush()->SetColor(clYellow);
    }
    TColor operator()(int x, int y) { return canvas->Pixels(x, y); }
};

}  // namespace

TEST(Canvas, FillRectCoversLeftAndTopEdgesButNotRightAndBottom)
{
    Paper px;
    px.canvas->FillRect({2, 3, 6, 8});
    EXPECT_EQ(px(2, 3), clYellow);
    EXPECT_EQ(px(5, 7), clYellow);
    EXPECT_EQ(px(6, 7), background);
    EXPECT_EQ(px(5, 8), background);
    EXPECT_EQ(px(1, 3), background);
    EXPECT_EQ(px(2, 2), background);

    // FrameRect draws the same outline with the brush and leaves the inside.
    Paper frame;
    frame.canvas->FrameRect({2, 2, 8, 8});
    EXPECT_EQ(frame(2, 2), clYellow);
    EXPECT_EQ(frame(7, 7), clYellow);
    EXPECT_EQ(frame(8, 7), background);
    EXPECT_EQ(frame(4, 4), background);
}

TEST(Canvas, RectangleOutlinesWithPenAndFillsWithBrush)
{
    Paper px;
    px.canvas->Rectangle(2, 2, 10, 8);
    for (TPoint corner : {TPoint{2, 2}, TPoint{9, 2}, TPoint{9, 7}, TPoint{2, 7}})
        EXPECT_EQ(px(corner.x, corner.y), clBlack) << corner.x << "," << corner.y;
    EXPECT_EQ(px(10, 2), background);
    EXPECT_EQ(px(2, 8), background);
    EXPECT_EQ(px(3, 3), clYellow);
    EXPECT_EQ(px(8, 6), clYellow);

    // A clear brush leaves the inside; a clear pen fills one pixel less on the right and bottom.
    Paper hollow;
    hollow.canvas->Brush()->SetStyle(bsClear);
    hollow.canvas->Rectangle(2, 2, 10, 8);
    EXPECT_EQ(hollow(5, 5), background);
    EXPECT_EQ(hollow(9, 7), clBlack);

    Paper penless;
    penless.canvas->Pen()->SetStyle(psClear);
    penless.canvas->Rectangle(2, 2, 10, 8);
    EXPECT_EQ(penless(2, 2), clYellow);
    EXPECT_EQ(penless(8, 6), clYellow);
    EXPECT_EQ(penless(9, 6), background);
    EXPECT_EQ(penless(8, 7), background);
}

TEST(Canvas, LinesLeaveOutTheirEndPoint)
{
    Paper px;
    px.canvas->MoveTo(1, 1);
    px.canvas->LineTo(5, 1);
    EXPECT_EQ(px(1, 1), clBlack);
    EXPECT_EQ(px(4, 1), clBlack);
    EXPECT_EQ(px(5, 1), background);
    EXPECT_EQ(px.canvas->PenPos(), Point(5, 1));

    px.canvas->MoveTo(8, 10);
    px.canvas->LineTo(8, 4);  // upwards: 10 down to 5
    EXPECT_EQ(px(8, 10), clBlack);
    EXPECT_EQ(px(8, 5), clBlack);
    EXPECT_EQ(px(8, 4), background);

    px.canvas->MoveTo(10, 10);
    px.canvas->LineTo(14, 14);
    for (int i = 10; i < 14; ++i)
        EXPECT_EQ(px(i, i), clBlack) << i;
    EXPECT_EQ(px(14, 14), background);

    // A polyline draws every vertex but the last.
    px.canvas->Polyline({{20, 20}, {25, 20}, {25, 25}});
    EXPECT_EQ(px(25, 20), clBlack);
    EXPECT_EQ(px(25, 24), clBlack);
    EXPECT_EQ(px(25, 25), background);

    // A dotted pen leaves gaps along the line.
    px.canvas->Pen()->SetStyle(psDot);
    px.canvas->MoveTo(0, 30);
    px.canvas->LineTo(30, 30);
    int inked = 0;
    for (int x = 0; x < 30; ++x)
        inked += px(x, 30) == clBlack;
    EXPECT_GT(inked, 5);
    EXPECT_LT(inked, 25);
}

TEST(Canvas, PolygonsRoundRectanglesAndEllipsesStayInTheirOutline)
{
    Paper px;
    px.canvas->Polygon({{2, 2}, {12, 2}, {2, 12}});
    EXPECT_EQ(px(2, 2), clBlack);
    EXPECT_EQ(px(12, 2), clBlack);
    EXPECT_EQ(px(2, 12), clBlack);
    EXPECT_EQ(px(7, 7), clBlack);  // on the hypotenuse
    EXPECT_EQ(px(4, 4), clYellow);
    EXPECT_EQ(px(10, 10), background);
    EXPECT_EQ(px(13, 2), background);

    Paper round;
    round.canvas->RoundRect(0, 0, 20, 20, 8, 8);
    EXPECT_EQ(round(0, 0), background);
    EXPECT_EQ(round(19, 19), background);
    EXPECT_EQ(round(10, 0), clBlack);
    EXPECT_EQ(round(0, 10), clBlack);
    EXPECT_EQ(round(19, 10), clBlack);
    EXPECT_EQ(round(10, 19), clBlack);
    EXPECT_EQ(round(10, 10), clYellow);
    EXPECT_EQ(round(20, 10), background);

    Paper ellipse;
    ellipse.canvas->Ellipse(0, 0, 21, 11);
    EXPECT_EQ(ellipse(10, 0), clBlack);
    EXPECT_EQ(ellipse(0, 5), clBlack);
    EXPECT_EQ(ellipse(20, 5), clBlack);
    EXPECT_EQ(ellipse(10, 10), clBlack);
    EXPECT_EQ(ellipse(0, 0), background);
    EXPECT_EQ(ellipse(10, 5), clYellow);
    EXPECT_EQ(ellipse(21, 5), background);

    // No anti-aliasing: only pen, brush and background colours appear.
    std::set<TColor> colours;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 25; ++x) {
            colours.insert(px(x, y));
            colours.insert(round(x, y));
            colours.insert(ellipse(x, y));
        }
    EXPECT_EQ(colours, (std::set<TColor>{clBlack, clYellow, background}));
}

TEST(Canvas, DrawsThroughTheOriginAndInsideTheClip)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 30, 30);
    HDC dc = CreateSurfaceDC(surface, {10, 5});
    SetDCClipRect(dc, {10, 5, 20, 15});
    TCanvas canvas;
    canvas.SetHandle(dc);
    EXPECT_EQ(canvas.ClipRect(), Rect(0, 0, 10, 10));

    canvas.Brush()->SetColor(clRed);
    canvas.FillRect({-5, -5, 20, 20});
    EXPECT_EQ(canvas.Pixels(0, 0), clRed);
    EXPECT_EQ(canvas.Pixels(9, 9), clRed);
    EXPECT_EQ(canvas.Pixels(10, 9), clNone);  // outside the clip

    HDC whole = CreateSurfaceDC(surface);
    EXPECT_EQ(GetPixel(whole, 10, 5), static_cast<COLORREF>(clRed));
    EXPECT_EQ(GetPixel(whole, 9, 5), 0u);
    EXPECT_EQ(GetPixel(whole, 20, 15), 0u);

    canvas.SetPixels(2, 3, clBtnFace);
    EXPECT_EQ(GetPixel(whole, 12, 8), static_cast<COLORREF>(ColorToRGB(clBtnFace)));
    canvas.SetPixels(15, 3, clBlue);  // clipped away
    EXPECT_EQ(GetPixel(whole, 25, 8), 0u);

    canvas.SetHandle(nullptr);
    DeleteDC(dc);
    DeleteDC(whole);
    cairo_surface_destroy(surface);

    TCanvas unbound;
    EXPECT_THROW(unbound.FillRect({0, 0, 1, 1}), EInvalidGraphicOperation);
}

TEST(Canvas, ColoursResolveThroughTheSystemTable)
{
    EXPECT_EQ(clBtnFace, static_cast<TColor>(0x8000000F));
    EXPECT_EQ(clNone, 536870911);
    EXPECT_EQ(ColorToRGB(clRed), 0x0000FF);
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(ColorToRGB(clWindow), clWhite);
    EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
    EXPECT_EQ(ColorToRGB(clBtnShadow), clGray);
    EXPECT_EQ(ColorToRGB(clHighlight), static_cast<TColor>(GetSysColor(COLOR_HIGHLIGHT)));
    EXPECT_EQ(RGB(255, 128, 0), 33023u);

    // Canvas objects: font size and height agree at 96 dpi; a colour makes a clear brush solid.
    TFont font;
    EXPECT_EQ(font.Name(), "MS Sans Serif");
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    int changes = 0;
    font.OnChange = [&](TObject*) { ++changes; };
    font.SetSize(10);
    EXPECT_EQ(font.Height(), -13);
    font.SetHeight(-13);
    EXPECT_EQ(changes, 1);
    TBrush brush;
    brush.SetStyle(bsClear);
    brush.SetColor(clRed);
    EXPECT_EQ(brush.Style(), bsSolid);
}

TEST(Canvas, EdgesFrameControlsAndFocusRectangles)
{
    Paper px;
    HDC dc = px.canvas->Handle();
    const TColor light = ColorToRGB(clBtnHighlight), shadow = ColorToRGB(clBtnShadow);
    TRect raised{0, 0, 10, 10};
    DrawEdge(dc, &raised, BDR_RAISEDINNER, BF_RECT);
    px.canvas->Brush()->SetColor(clRed);
    px.canvas->FillRect({12, 0, 22, 10});  // a coloured ground to tell white edges from the paper
    TRect sunken{12, 0, 22, 10};
    DrawEdge(px.canvas->Handle(), &sunken, BDR_SUNKENOUTER, BF_RECT);
    EXPECT_EQ(px(0, 0), light);
    EXPECT_EQ(px(0, 8), light);
    EXPECT_EQ(px(9, 0), shadow);  // top-right corner belongs to the bottom-right colour
    EXPECT_EQ(px(0, 9), shadow);
    EXPECT_EQ(px(9, 9), shadow);
    EXPECT_EQ(px(10, 9), background);
    EXPECT_EQ(px(12, 0), shadow);
    EXPECT_EQ(px(21, 9), light);
    EXPECT_EQ(px(20, 0), shadow);
    EXPECT_EQ(px(15, 5), clRed);

    // Check boxes and radio buttons, flat, checked and not: the mark shows at the centre.
    Paper boxes;
    dc = boxes.canvas->Handle();
    TRect r[4] = {{0, 0, 13, 13}, {20, 0, 33, 13}, {0, 20, 13, 33}, {20, 20, 33, 33}};
    DrawFrameControl(dc, &r[0], DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT);
    DrawFrameControl(dc, &r[1], DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED);
    DrawFrameControl(dc, &r[2], DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_FLAT);
    DrawFrameControl(dc, &r[3], DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_FLAT | DFCS_CHECKED);
    EXPECT_EQ(boxes(0, 0), shadow);
    EXPECT_EQ(boxes(12, 12), shadow);
    EXPECT_EQ(boxes(6, 6), clWhite);
    EXPECT_EQ(boxes(26, 6), clBlack);
    EXPECT_EQ(boxes(6, 26), clWhite);
    EXPECT_EQ(boxes(26, 26), clBlack);
    EXPECT_EQ(boxes(6, 20), shadow);   // top of the circle
    EXPECT_EQ(boxes(20, 20), background);  // outside the circle, at the box's corner

    // A scroll arrow points where it is asked: the left arrow's tip is left of its base.
    Paper arrows;
    TRect left{0, 0, 16, 16}, right{20, 0, 36, 16};
    DrawFrameControl(arrows.canvas->Handle(), &left, DFC_SCROLL, DFCS_SCROLLLEFT | DFCS_FLAT);
    DrawFrameControl(arrows.canvas->Handle(), &right, DFC_SCROLL, DFCS_SCROLLRIGHT | DFCS_FLAT);
    auto inkRows = [&](int x) {
        int n = 0;
        for (int y = 0; y < 16; ++y)
            n += arrows(x, y) == clBlack;
        return n;
    };
    int leftTip = 16, rightTip = 0;
    for (int x = 0; x < 16; ++x)
        if (inkRows(x) == 1) leftTip = std::min(leftTip, x);
    for (int x = 20; x < 36; ++x)
        if (inkRows(x) == 1) rightTip = std::max(rightTip, x);
    ASSERT_LT(leftTip, 16);
    EXPECT_GT(inkRows(leftTip + 2), 1);
    EXPECT_GT(inkRows(rightTip - 2), 1);

    // A focus rectangle inverts every other outline pixel; drawing it again restores them.
    Paper focus;
    TRect fr{2, 2, 12, 8};
    DrawFocusRect(focus.canvas->Handle(), &fr);
    EXPECT_EQ(focus(2, 2), clBlack);
    EXPECT_EQ(focus(3, 2), background);
    EXPECT_EQ(focus(4, 2), clBlack);
    EXPECT_EQ(focus(5, 5), background);
    DrawFocusRect(focus.canvas->Handle(), &fr);
    for (int x = 0; x < 14; ++x)
        EXPECT_EQ(focus(x, 2), background) << x;
}
