// Glyph coverage read from a window's pixels, and the same text drawn straight
// through Pango, for comparing what the text functions show with Pango's own
// rendering of the UTF-8 text.
#pragma once

#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace varn::test {

// Glyph coverage (0..255) of a picture, cropped to the pixels that are at least
// half covered, so that two renderings at different places compare directly.
struct Ink {
    int width = 0;
    int height = 0;
    std::vector<int> coverage;

    int at(int x, int y) const { return coverage[static_cast<size_t>(y * width + x)]; }

    static Ink cropped(const std::vector<int>& all, int width, int height)
    {
        int left = width, top = height, right = -1, bottom = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (all[static_cast<size_t>(y * width + x)] >= 128) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
        Ink ink;
        if (right < 0)
            return ink;
        ink.width = right - left + 1;
        ink.height = bottom - top + 1;
        for (int y = top; y <= bottom; ++y)
            for (int x = left; x <= right; ++x)
                ink.coverage.push_back(all[static_cast<size_t>(y * width + x)]);
        return ink;
    }
};

// UTF-8 text drawn by Pango alone, with the face, size and font options that
// the device contexts use.
inline Ink pangoInk(const char* utf8, int fontPixels)
{
    PangoContext* context = pango_font_map_create_context(pango_cairo_font_map_get_default());
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(context, 96);
    PangoFontDescription* desc = pango_font_description_from_string("DejaVu Sans");
    pango_font_description_set_absolute_size(desc, fontPixels * PANGO_SCALE);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, desc);
    pango_layout_set_text(layout, utf8, -1);

    const int width = 200, height = 3 * fontPixels;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_move_to(cr, fontPixels, 2 * fontPixels);
    pango_cairo_show_layout_line(cr, pango_layout_get_line_readonly(layout, 0));
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::vector<int> all;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            all.push_back(data[y * stride + x]);
    cairo_surface_destroy(surface);
    g_object_unref(layout);
    pango_font_description_free(desc);
    g_object_unref(context);
    return Ink::cropped(all, width, height);
}

// The coverage of text in colour `text` over `background`, read back from a
// window's pixels in a rectangle of its client area.
inline Ink windowInk(HWND window, const TRect& area, COLORREF text, COLORREF background)
{
    HDC dc = GetDC(window);
    std::vector<int> all;
    const int range = GetGValue(background) - GetGValue(text);
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x) {
            const int level = GetGValue(background) - GetGValue(GetPixel(dc, x, y));
            all.push_back(std::clamp(level * 255 / range, 0, 255));
        }
    ReleaseDC(window, dc);
    return Ink::cropped(all, area.Width(), area.Height());
}

// Same shape, and every pixel within a few levels (blending rounds twice).
inline void expectSameInk(const Ink& shown, const Ink& expected, const char* where)
{
    ASSERT_GT(expected.width, 0);
    ASSERT_EQ(shown.width, expected.width) << where;
    ASSERT_EQ(shown.height, expected.height) << where;
    int worst = 0;
    for (int y = 0; y < shown.height; ++y)
        for (int x = 0; x < shown.width; ++x)
            worst = std::max(worst, std::abs(shown.at(x, y) - expected.at(x, y)));
    EXPECT_LE(worst, 8) << where;
}

}  // namespace varn::test
