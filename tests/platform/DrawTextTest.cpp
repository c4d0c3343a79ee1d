// Text placement: DrawText flags, measuring, backgrounds and rotated fonts,
// checked by where the ink of the glyphs lands on a bitmap.
#include "platform/Bitmap.h"
#include "platform/win/GdiPixels.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A white page; ink is every pixel that is not the page colour.
struct Page {
    TBitmap bitmap;
    TCanvas* canvas;
    HDC dc;

    Page(int width = 200, int height = 100)
    {
        bitmap.SetSize(width, height);
        canvas = bitmap.Canvas();
        canvas->Brush()->SetColor(clWhite);
        canvas->FillRect({0, 0, width, height});
        canvas->Brush()->SetStyle(bsClear);
        dc = canvas->Handle();
    }

    // Bounding box of pixels that differ from paper; empty when none.
    TRect ink(TColor paper = clWhite)
    {
        TRect box{bitmap.Width(), bitmap.Height(), -1, -1};
        for (int y = 0; y < bitmap.Height(); ++y)
            for (int x = 0; x < bitmap.Width(); ++x)
                if (bitmap.pixel(x, y) != paper) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x + 1);
                    box.bottom = std::max(box.bottom, y + 1);
                }
        return box.right < 0 ? TRect{} : box;
    }

    int draw(const char* text, TRect rect, unsigned format)
    {
        dc = canvas->Handle();
        return DrawText(dc, text, -1, &rect, format);
    }
};

}  // namespace

TEST(DrawText, DefaultFontLineIsBetween12And15PixelsHigh)
{
    Page page;
    int height = page.canvas->TextHeight("Xy");
    EXPECT_GE(height, 12);
    EXPECT_LE(height, 15);
    EXPECT_EQ(page.canvas->TextHeight(""), height);
    EXPECT_EQ(page.canvas->TextWidth(""), 0);
    EXPECT_GT(page.canvas->TextWidth("WWW"), page.canvas->TextWidth("iii"));

    // A positive height is the cell height; bold text is wider.
    page.canvas->Font()->SetHeight(20);
    EXPECT_NEAR(page.canvas->TextHeight("Xy"), 20, 1);
    page.canvas->Font()->SetHeight(-11);
    int plain = page.canvas->TextWidth("Cabecera");
    page.canvas->Font()->SetStyle({fsBold});
    EXPECT_GT(page.canvas->TextWidth("Cabecera"), plain);
}

TEST(DrawText, SingleLineAlignsHorizontallyAndVertically)
{
    const TRect cell{20, 10, 180, 60};
    struct Case {
        const char* name;
        unsigned format;
    } cases[] = {
        {"left top", DT_SINGLELINE},
        {"centre", DT_SINGLELINE | DT_CENTER | DT_VCENTER},
        {"right bottom", DT_SINGLELINE | DT_RIGHT | DT_BOTTOM},
    };
    for (const Case& c : cases) {
        Page page;
        int lineHeight = page.canvas->TextHeight("Importe");
        int width = page.canvas->TextWidth("Importe");
        int result = page.draw("Importe", cell, c.format);
        TRect ink = page.ink();
        SCOPED_TRACE(c.name);
        if (c.format & DT_CENTER) {
            EXPECT_NEAR((ink.left + ink.right) / 2, (cell.left + cell.right) / 2, 2);
            EXPECT_NEAR((ink.top + ink.bottom) / 2, (cell.top + cell.bottom) / 2, 3);
            EXPECT_EQ(result, (cell.Height() - lineHeight) / 2 + lineHeight);
        } else if (c.format & DT_RIGHT) {
            EXPECT_NEAR(ink.right, cell.right, 2);
            EXPECT_LE(ink.bottom, cell.bottom);
            EXPECT_GE(ink.bottom, cell.bottom - 5);
            EXPECT_GE(ink.left, cell.right - width - 1);
        } else {
            EXPECT_NEAR(ink.left, cell.left, 2);
            EXPECT_GE(ink.top, cell.top);
            EXPECT_LE(ink.top, cell.top + 4);
            EXPECT_EQ(result, lineHeight);
        }
    }

    // Without DT_SINGLELINE vertical centring has no effect.
    Page multi;
    multi.draw("Importe", cell, DT_VCENTER);
    EXPECT_LE(multi.ink().top, cell.top + 4);
}

TEST(DrawText, ClipsToTheRectangleUnlessNoClipAndEndsLongTextInAnEllipsis)
{
    const TRect narrow{10, 10, 60, 30};
    const char* text = "Una descripci\xF3n demasiado larga";

    Page clipped;
    clipped.draw(text, narrow, DT_SINGLELINE);
    EXPECT_LE(clipped.ink().right, narrow.right);

    Page spilling;
    spilling.draw(text, narrow, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(spilling.ink().right, narrow.right + 20);

    // The ellipsis keeps the text inside even without clipping, and shows more than nothing.
    Page ellipsis;
    ellipsis.draw(text, narrow, DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);
    EXPECT_LE(ellipsis.ink().right, narrow.right);
    EXPECT_GT(ellipsis.ink().right, narrow.left + 30);

    // A text that fits is drawn whole.
    Page fits;
    fits.draw("Uno", narrow, DT_SINGLELINE | DT_END_ELLIPSIS);
    Page plain;
    plain.draw("Uno", narrow, DT_SINGLELINE);
    EXPECT_EQ(fits.ink(), plain.ink());
}

TEST(DrawText, WordBreakAndCalcRectMeasureLines)
{
    Page page;
    int lineHeight = page.canvas->TextHeight("X");

    // One line: the text's extent.
    TRect single{5, 5, 5, 5};
    int h = DrawText(page.dc, "Fecha de alta", -1, &single, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(h, lineHeight);
    EXPECT_EQ(single, Rect(5, 5, 5 + page.canvas->TextWidth("Fecha de alta"), 5 + lineHeight));

    // Line breaks count without DT_SINGLELINE; the widest line sets the width.
    TRect lines{0, 0, 0, 0};
    DrawText(page.dc, "Uno\r\nDos largos\nTres", -1, &lines, DT_CALCRECT);
    EXPECT_EQ(lines.bottom, 3 * lineHeight);
    EXPECT_EQ(lines.right, page.canvas->TextWidth("Dos largos"));

    // Word break wraps at the width and never widens for words that fit.
    TRect wrapped{0, 0, 70, 0};
    h = DrawText(page.dc, "Palabras que se parten en varias", -1, &wrapped, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_GE(h, 3 * lineHeight);
    EXPECT_EQ(wrapped.bottom, h);
    EXPECT_LE(wrapped.right, 70);
    EXPECT_EQ(page.ink(), TRect{});  // measuring draws nothing

    page.draw("Palabras que se parten en varias", {0, 0, 70, 100}, DT_WORDBREAK);
    TRect ink = page.ink();
    EXPECT_LE(ink.right, 70);
    EXPECT_GT(ink.bottom, 2 * lineHeight);
    EXPECT_LE(ink.bottom, h + 1);

    // Ampersands: "&&" shows one, "&x" underlines x; DT_NOPREFIX shows them all.
    TRect a{0, 0, 0, 0}, b{0, 0, 0, 0}, c{0, 0, 0, 0};
    DrawText(page.dc, "&Archivo && m\xE1s", -1, &a, DT_CALCRECT | DT_SINGLELINE);
    DrawText(page.dc, "Archivo & m\xE1s", -1, &b, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    DrawText(page.dc, "&Archivo && m\xE1s", -1, &c, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(a.right, b.right);
    EXPECT_GT(c.right, b.right);

    // Count limits the text; an empty text draws nothing.
    TRect part{0, 0, 0, 0};
    DrawText(page.dc, "Archivo", 3, &part, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(part.right, page.canvas->TextWidth("Arc"));
    TRect empty{3, 3, 50, 50};
    DrawText(page.dc, "", -1, &empty, DT_CALCRECT);
    EXPECT_EQ(empty.right, 3);
}

TEST(DrawText, SolidBrushGivesAnOpaqueBackgroundAndClearBrushNone)
{
    Page opaque;
    opaque.canvas->Brush()->SetColor(clYellow);
    opaque.canvas->TextOut(10, 10, "Total");
    TSize extent = opaque.canvas->TextExtent("Total");
    // The text cell is filled; glyphs may overhang it by a pixel.
    EXPECT_EQ(opaque.bitmap.pixel(10, 10), clYellow);
    EXPECT_EQ(opaque.bitmap.pixel(10 + extent.cx - 1, 10 + extent.cy - 1), clYellow);
    EXPECT_EQ(opaque.bitmap.pixel(10, 10 + extent.cy), clWhite);
    EXPECT_EQ(opaque.bitmap.pixel(10 + extent.cx, 10 + extent.cy - 1), clWhite);
    EXPECT_NEAR(opaque.ink().left, 10, 1);

    Page clear;
    clear.canvas->Brush()->SetStyle(bsClear);
    clear.canvas->TextOut(10, 10, "Total");
    EXPECT_EQ(clear.bitmap.pixel(10, 10), clWhite);
    TRect ink = clear.ink();
    EXPECT_GT(ink.Width(), 10);
    EXPECT_LT(ink.Height(), extent.cy);

    // DrawText through the canvas's handle takes the brush as background and the font colour.
    Page viaHandle;
    viaHandle.canvas->Brush()->SetColor(clAqua);
    viaHandle.canvas->Font()->SetColor(clRed);
    viaHandle.draw("Total", {0, 0, 100, 30}, DT_SINGLELINE);
    EXPECT_EQ(viaHandle.bitmap.pixel(0, 0), clAqua);
    bool red = false;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 30; ++x)
            red = red || viaHandle.bitmap.pixel(x, y) == clRed;
    EXPECT_TRUE(red);

    // TextRect fills its rectangle with a solid brush and clips the text to it.
    Page rect;
    rect.canvas->Brush()->SetColor(clLime);
    rect.canvas->TextRect({5, 5, 25, 20}, 5, 5, "Un texto largo");
    EXPECT_EQ(rect.ink(), Rect(5, 5, 25, 20));
}

TEST(DrawText, EscapementRotatesTextDownAndUp)
{
    const char* caption = "Vertical";
    Page down(100, 120);
    int width = down.canvas->TextWidth(caption);
    int height = down.canvas->TextHeight(caption);
    down.canvas->Font()->SetOrientation(2700);
    down.canvas->TextOut(50, 10, caption);
    TRect ink = down.ink();
    // Running downwards from (50, 10), the letters hang to the left of the start.
    EXPECT_LE(ink.right, 51);
    EXPECT_GE(ink.left, 50 - height);
    EXPECT_GE(ink.top, 10);
    EXPECT_NEAR(ink.Height(), width, 3);

    Page up(100, 120);
    up.canvas->Font()->SetOrientation(900);
    up.canvas->TextOut(50, 100, caption);
    ink = up.ink();
    // Running upwards from (50, 100), the letters lie to the right of the start.
    EXPECT_GE(ink.left, 49);
    EXPECT_LE(ink.right, 50 + height);
    EXPECT_LE(ink.bottom, 101);
    EXPECT_NEAR(ink.Height(), width, 3);

    // The unrotated extent is unchanged by the escapement.
    EXPECT_EQ(up.canvas->TextWidth(caption), width);

    // DrawText turns the line around its rectangle's top-left corner, as TextOut
    // does, ignores alignment and measures the unrotated size.
    Page drawn(100, 120);
    drawn.canvas->Font()->SetOrientation(900);
    drawn.draw(caption, {50, 100, 50, 100}, DT_SINGLELINE | DT_NOCLIP | DT_CENTER | DT_VCENTER);
    EXPECT_EQ(drawn.ink(), ink);
    TRect measured{0, 0, 0, 0};
    DrawText(drawn.canvas->Handle(), caption, -1, &measured, DT_CALCRECT);
    EXPECT_EQ(measured, TRect(0, 0, width, height));
    // Without DT_NOCLIP the rectangle clips, as for straight text.
    Page clipped(100, 120);
    clipped.canvas->Font()->SetOrientation(900);
    clipped.draw(caption, {50, 100, 60, 110}, DT_SINGLELINE);
    EXPECT_EQ(clipped.ink(), TRect{});
}

TEST(DrawText, CachedLinesMatchLinesDrawnFromTheLayoutAndSurviveAFullCache)
{
    // A single line goes through the font's cache of rendered lines; the first
    // line of a text with a line break is drawn from the layout itself. Both
    // must give the same pixels, accents above capitals and descenders included.
    const char* samples[] = {"\xD1" "and\xFA \xC1vila \xC9xito", "gypsy jq", "Cliente 123,45 \xBA",
                             "&Archivo", "W",  "AVATAR Te Wo Yo r. 1.234,56 \x80", "ffi fl \x93" "cita\x94 \x85",
                             "  dos espacios  ", "12/03/2024"};
    for (const char* sample : samples) {
        Page cached(300, 40), direct(300, 40);
        cached.draw(sample, {10, 10, 290, 40}, DT_SINGLELINE | DT_NOCLIP);
        std::string twoLines = std::string(sample) + "\nx";
        direct.draw(twoLines.c_str(), {10, 10, 290, 40}, DT_NOCLIP);
        for (int y = 0; y < 10 + cached.canvas->TextHeight("Xy"); ++y)
            for (int x = 0; x < 300; ++x)
                ASSERT_EQ(cached.bitmap.pixel(x, y), direct.bitmap.pixel(x, y)) << sample << " at " << x << "," << y;
    }

    // Thousands of other lines later the first one is drawn again, the same.
    Page first(300, 30), again(300, 30), filler(300, 30);
    first.draw("\xC1rbol de Navidad", {0, 5, 300, 30}, DT_SINGLELINE);
    for (int i = 0; i < 5000; ++i)
        filler.draw(("l\xEDnea " + std::to_string(i)).c_str(), {0, 5, 300, 30}, DT_SINGLELINE);
    again.draw("\xC1rbol de Navidad", {0, 5, 300, 30}, DT_SINGLELINE);
    EXPECT_EQ(first.ink(), again.ink());
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 300; ++x)
            ASSERT_EQ(first.bitmap.pixel(x, y), again.bitmap.pixel(x, y)) << x << "," << y;
}

TEST(DrawText, RandomCodePageLinesLookAsTheLayoutDrawsThem)
{
    // Digits and punctuation only, ASCII, and the whole code page: each kind
    // of line takes its own way to the glyphs and must land on the same pixels.
    uint32_t seed = 99;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    int differing = 0;
    for (int t = 0; t < 1500; ++t) {
        std::string text;
        int kind = t % 3;
        for (int i = 0, length = 1 + int(next() % 20); i < length; ++i) {
            auto c = kind == 0 ? static_cast<unsigned char>("0123456789 ,./-:%"[next() % 17])
                               : static_cast<unsigned char>(0x20 + next() % (kind == 1 ? 0x5F : 0xE0));
            text.push_back(c == 0x7F ? 'x' : static_cast<char>(c));
        }
        Page single(400, 40), layout(400, 40);
        single.draw(text.c_str(), {5, 5, 395, 40}, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
        layout.draw((text + "\nx").c_str(), {5, 5, 395, 40}, DT_NOCLIP | DT_NOPREFIX);
        bool same = true;
        for (int y = 0; y < 5 + single.canvas->TextHeight("Xy") && same; ++y)
            for (int x = 0; x < 400 && same; ++x)
                same = single.bitmap.pixel(x, y) == layout.bitmap.pixel(x, y);
        if (!same && ++differing <= 3)
            ADD_FAILURE() << "\"" << text << "\" differs";
    }
    EXPECT_EQ(differing, 0);
}

TEST(DrawText, PixelsWrittenStraightIntoAnImageMatchCairosDrawing)
{
    // Fills, lines and cached text go straight into an image surface's pixels
    // when nothing but the DC's origin and clip lies between; a surface with a
    // device offset makes Cairo draw the same scene itself, shifted by it.
    const int width = 170, height = 60, dx = 5, dy = 7;
    for (cairo_format_t format : {CAIRO_FORMAT_RGB24, CAIRO_FORMAT_ARGB32}) {
        auto scene = [&](cairo_surface_t* surface) {
            HDC dc = CreateSurfaceDC(surface, {4, 3});
            // A clip of two pieces; the device offset moves them with everything else.
            cairo_rectangle_int_t pieces[] = {{0, 0, 95, 60}, {100, 10, 70, 30}};
            cairo_region_t* clip = cairo_region_create_rectangles(pieces, 2);
            SetDCClipRegion(dc, clip);
            cairo_region_destroy(clip);
            TCanvas canvas;
            canvas.SetHandle(dc);
            canvas.Brush()->SetColor(clWhite);
            canvas.FillRect({-4, -3, width, height});
            canvas.Brush()->SetColor(clYellow);
            canvas.FillRect({10, 5, 130, 25});
            canvas.Pen()->SetColor(clSilver);
            canvas.MoveTo(60, 0);
            canvas.LineTo(60, 50);
            canvas.MoveTo(150, 20);
            canvas.LineTo(0, 20);
            SetTextColor(dc, ColorToRGB(clNavy));
            TRect cell{8, 6, 140, 22}, narrow{20, 30, 70, 46};
            DrawText(dc, "\xC1rbol con ra\xED" "ces jq", -1, &cell, DT_SINGLELINE | DT_VCENTER | DT_NOCLIP);
            DrawText(dc, "Recortado por su celda", -1, &narrow, DT_SINGLELINE);  // clipped to narrow
            canvas.Brush()->SetStyle(bsClear);
            canvas.TextOut(100, 38, "sin fondo");
            const bool direct = varn::detail::drawsDirectly(dc);
            canvas.SetHandle(nullptr);
            DeleteDC(dc);
            return direct;
        };
        cairo_surface_t* plain = cairo_image_surface_create(format, width, height);
        cairo_surface_t* offset = cairo_image_surface_create(format, width + dx, height + dy);
        cairo_surface_set_device_offset(offset, dx, dy);
        EXPECT_TRUE(scene(plain));
        EXPECT_FALSE(scene(offset));
        cairo_surface_flush(plain);
        cairo_surface_flush(offset);
        const uint32_t used = format == CAIRO_FORMAT_RGB24 ? 0xFFFFFFu : 0xFFFFFFFFu;
        auto pixel = [](cairo_surface_t* s, int x, int y) {
            const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
            return reinterpret_cast<const uint32_t*>(row)[x];
        };
        int inked = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                ASSERT_EQ(pixel(plain, x, y) & used, pixel(offset, x + dx, y + dy) & used) << x << "," << y;
                inked += (pixel(plain, x, y) & 0xFFFFFF) == 0x000080;  // navy ink at full cover
            }
        EXPECT_GT(inked, 20);
        cairo_surface_destroy(plain);
        cairo_surface_destroy(offset);
    }
}
