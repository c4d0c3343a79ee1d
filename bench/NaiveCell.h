// The floor the grid's painting is measured against: one cell drawn the naive
// way, a new PangoLayout (and font description) for every cell, white ground,
// black text ending in an ellipsis when it does not fit, centred vertically.
#pragma once

#include <pango/pangocairo.h>

#include <string>

namespace varn::bench {

inline void naiveCell(cairo_t* cr, int x, int y, int width, int height, const std::string& utf8)
{
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("DejaVu Sans 11px");
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, utf8.data(), int(utf8.size()));
    pango_layout_set_width(layout, width * PANGO_SCALE);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_move_to(cr, x, y + (height - logical.height) / 2);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(font);
    g_object_unref(layout);
}

}  // namespace varn::bench
