// Device contexts and the shape services under Win32's pixel rules: right and
// bottom edges are exclusive, a line leaves out its end point, shapes are not
// anti-aliased. Text lives in GdiText.cpp.
#include "platform/win/Gdi.h"

#include "platform/win/BackingStore.h"
#include "platform/win/GdiPixels.h"

#include <glib-object.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

// The classic Windows scheme ("Windows Standard"), indexed by COLOR_*.
constexpr std::array<COLORREF, COLOR_ENDCOLORS + 1> systemColours = {
    0xC8D0D4,  // COLOR_SCROLLBAR
    0xA56E3A,  // COLOR_BACKGROUND
    0x6A240A,  // COLOR_ACTIVECAPTION
    0x808080,  // COLOR_INACTIVECAPTION
    0xC8D0D4,  // COLOR_MENU
    0xFFFFFF,  // COLOR_WINDOW
    0x000000,  // COLOR_WINDOWFRAME
    0x000000,  // COLOR_MENUTEXT
    0x000000,  // COLOR_WINDOWTEXT
    0xFFFFFF,  // COLOR_CAPTIONTEXT
    0xC8D0D4,  // COLOR_ACTIVEBORDER
    0xC8D0D4,  // COLOR_INACTIVEBORDER
    0x808080,  // COLOR_APPWORKSPACE
    0x6A240A,  // COLOR_HIGHLIGHT
    0xFFFFFF,  // COLOR_HIGHLIGHTTEXT
    0xC8D0D4,  // COLOR_BTNFACE
    0x808080,  // COLOR_BTNSHADOW
    0x808080,  // COLOR_GRAYTEXT
    0x000000,  // COLOR_BTNTEXT
    0xC8D0D4,  // COLOR_INACTIVECAPTIONTEXT
    0xFFFFFF,  // COLOR_BTNHIGHLIGHT
    0x404040,  // COLOR_3DDKSHADOW
    0xC8D0D4,  // COLOR_3DLIGHT
    0x000000,  // COLOR_INFOTEXT
    0xE1FFFF,  // COLOR_INFOBK
    0xB5B5B5,  // 25, unused
    0x800000,  // COLOR_HOTLIGHT
    0xF0CAA6,  // COLOR_GRADIENTACTIVECAPTION
    0xC0C0C0,  // COLOR_GRADIENTINACTIVECAPTION
    0xC56A31,  // COLOR_MENUHILIGHT
    0xC8D0D4,  // COLOR_MENUBAR
};

}  // namespace

COLORREF GetSysColor(int index)
{
    if (index < 0 || index > COLOR_ENDCOLORS)
        return 0;
    return systemColours[static_cast<size_t>(index)];
}

namespace {

void setSource(cairo_t* cr, COLORREF color)
{
    cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
}

// Prepares cr to paint with the pen: its colour and raster operation.
void usePen(HDC dc)
{
    cairo_t* cr = dc->cr;
    switch (dc->pen.Mode) {
    case R2_NOT:
        cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
        setSource(cr, 0xFFFFFF);
        break;
    case R2_XORPEN:
        // FIXME: a difference, which equals XOR only for black and white pens.
        cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
        setSource(cr, dc->pen.Color);
        break;
    case R2_BLACK:
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        setSource(cr, 0);
        break;
    case R2_WHITE:
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        setSource(cr, 0xFFFFFF);
        break;
    default:
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
        setSource(cr, dc->pen.Color);
    }
}

void endPen(HDC dc) { cairo_set_operator(dc->cr, CAIRO_OPERATOR_OVER); }

bool penVisible(HDC dc) { return dc->pen.Style != PS_NULL; }
bool brushVisible(HDC dc) { return dc->brush.Style == BS_SOLID; }

uint32_t colorToPixel(COLORREF c) { return 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

void fillPixels(HDC dc, int left, int top, int right, int bottom, COLORREF color)
{
    if (right <= left || bottom <= top)
        return;
    if (varn::detail::drawsDirectly(dc)) {
        varn::detail::fillDirect(dc, {left, top, right, bottom}, color);
        return;
    }
    setSource(dc->cr, color);
    cairo_rectangle(dc->cr, left, top, right - left, bottom - top);
    cairo_fill(dc->cr);
}

// The pixels of a horizontal or vertical one-pixel line, end point left out:
// false for a line of no length or a slanted one.
bool straightRun(int x0, int y0, int x1, int y1, TRect& run)
{
    if ((x0 != x1 && y0 != y1) || (x0 == x1 && y0 == y1))
        return false;
    auto span = [](int from, int to, int& low, int& high) {
        if (from == to)
            low = from, high = from + 1;
        else if (to > from)
            low = from, high = to;
        else
            low = to + 1, high = from + 1;
    };
    span(x0, x1, run.left, run.right);
    span(y0, y1, run.top, run.bottom);
    return true;
}

// On/off runs in pixels of the cosmetic pen styles.
std::vector<int> dashPattern(int style)
{
    switch (style) {
    case PS_DASH: return {18, 6};
    case PS_DOT: return {3, 3};
    case PS_DASHDOT: return {9, 6, 3, 6};
    case PS_DASHDOTDOT: return {9, 3, 3, 3, 3, 3};
    default: return {};
    }
}

// Adds the pixels of a one-pixel line from (x0, y0) to (x1, y1), end point
// left out, to the current path; patternPos carries the dash phase across
// segments.
void addLinePixels(cairo_t* cr, int x0, int y0, int x1, int y1, const std::vector<int>& pattern, int& patternPos)
{
    int period = 0;
    for (int run : pattern)
        period += run;
    auto drawn = [&](int pos) {
        if (period == 0)
            return true;
        int p = pos % period;
        for (size_t i = 0; i < pattern.size(); ++i) {
            if (p < pattern[i])
                return i % 2 == 0;
            p -= pattern[i];
        }
        return false;
    };
    if (period == 0 && (x0 == x1 || y0 == y1)) {
        TRect run;
        if (straightRun(x0, y0, x1, y1, run))
            cairo_rectangle(cr, run.left, run.top, run.Width(), run.Height());
        return;
    }
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (x != x1 || y != y1) {
        if (drawn(patternPos))
            cairo_rectangle(cr, x, y, 1, 1);
        ++patternPos;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

bool solidCopyPen(HDC dc)
{
    const bool solid = dc->pen.Style == PS_SOLID || dc->pen.Style == PS_INSIDEFRAME;
    const int mode = dc->pen.Mode;
    return solid && mode != R2_NOT && mode != R2_XORPEN && mode != R2_BLACK && mode != R2_WHITE;
}

// A thin solid polyline of horizontal and vertical lines, filled run by run
// where the pixels can be filled directly; false (nothing drawn) otherwise.
bool fillStraightRuns(HDC dc, const TPoint* points, int count)
{
    for (int i = 1; i < count; ++i)
        if (points[i - 1].x != points[i].x && points[i - 1].y != points[i].y)
            return false;
    if (!varn::detail::drawsDirectly(dc))
        return false;
    for (int i = 1; i < count; ++i) {
        TRect run;
        if (straightRun(points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, run))
            varn::detail::fillDirect(dc, run, dc->pen.Color);
    }
    return true;
}

// Draws a connected series of lines with the pen, each leaving out its end.
void strokePolyline(HDC dc, const TPoint* points, int count)
{
    if (!penVisible(dc) || count < 2)
        return;
    if (dc->pen.Width <= 1 && solidCopyPen(dc) && fillStraightRuns(dc, points, count))
        return;
    cairo_t* cr = dc->cr;
    usePen(dc);
    if (dc->pen.Width <= 1) {
        std::vector<int> pattern = dashPattern(dc->pen.Style);
        int patternPos = 0;
        for (int i = 1; i < count; ++i)
            addLinePixels(cr, points[i - 1].x, points[i - 1].y, points[i].x, points[i].y, pattern, patternPos);
        cairo_fill(cr);
    } else {
        cairo_set_line_width(cr, dc->pen.Width);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_move_to(cr, points[0].x + 0.5, points[0].y + 0.5);
        for (int i = 1; i < count; ++i)
            cairo_line_to(cr, points[i].x + 0.5, points[i].y + 0.5);
        cairo_stroke(cr);
    }
    endPen(dc);
}

// Path of an ellipse inscribed in the given box (real coordinates).
void ellipsePath(cairo_t* cr, double left, double top, double right, double bottom)
{
    double w = right - left, h = bottom - top;
    if (w <= 0 || h <= 0)
        return;
    cairo_save(cr);
    cairo_translate(cr, left + w / 2, top + h / 2);
    cairo_scale(cr, w / 2, h / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
}

void roundRectPath(cairo_t* cr, double left, double top, double right, double bottom, double rx, double ry)
{
    rx = std::min(rx, (right - left) / 2);
    ry = std::min(ry, (bottom - top) / 2);
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cr, left, top, right - left, bottom - top);
        return;
    }
    auto corner = [&](double cx, double cy, double from) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, from, from + M_PI / 2);
        cairo_restore(cr);
    };
    cairo_new_sub_path(cr);
    corner(right - rx, top + ry, -M_PI / 2);
    corner(right - rx, bottom - ry, 0);
    corner(left + rx, bottom - ry, M_PI / 2);
    corner(left + rx, top + ry, M_PI);
    cairo_close_path(cr);
}

// Fills the current path with the brush (if solid), then strokes it with a
// one-pixel or wider pen; keeps nothing of the path.
void fillAndStroke(HDC dc)
{
    cairo_t* cr = dc->cr;
    if (brushVisible(dc)) {
        setSource(cr, dc->brush.Color);
        cairo_fill_preserve(cr);
    }
    if (penVisible(dc)) {
        usePen(dc);
        cairo_set_line_width(cr, std::max(1, dc->pen.Width));
        std::vector<int> pattern = dashPattern(dc->pen.Style);
        std::vector<double> dashes(pattern.begin(), pattern.end());
        cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
        cairo_stroke(cr);
        cairo_set_dash(cr, nullptr, 0, 0);
        endPen(dc);
    }
    cairo_new_path(cr);
}

void normalise(int& a, int& b)
{
    if (a > b)
        std::swap(a, b);
}

bool isImage(HDC dc) { return cairo_surface_get_type(dc->surface) == CAIRO_SURFACE_TYPE_IMAGE; }

// Address of the surface pixel at logical (x, y), or null outside the
// surface or the clip.
uint32_t* pixelAddress(HDC dc, int x, int y)
{
    if (!isImage(dc))
        return nullptr;
    int sx = x + dc->origin.x, sy = y + dc->origin.y;
    cairo_surface_t* s = dc->surface;
    if (sx < 0 || sy < 0 || sx >= cairo_image_surface_get_width(s) || sy >= cairo_image_surface_get_height(s))
        return nullptr;
    if (!cairo_region_contains_point(dc->clip, sx, sy))
        return nullptr;
    unsigned char* data = cairo_image_surface_get_data(s);
    if (!data)
        return nullptr;
    return reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(sy) * cairo_image_surface_get_stride(s)) + sx;
}

COLORREF pixelToColor(uint32_t p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

// Linking the drawing layer makes BeginPaint and GetDC draw on backing stores.
[[maybe_unused]] const bool backingStoresInstalled = (varn::installBackingStores(), true);

}  // namespace

// ---- Pixels written directly -------------------------------------------------

namespace varn::detail {

bool drawsDirectly(HDC dc)
{
    cairo_surface_t* s = dc->surface;
    cairo_t* cr = dc->cr;
    if (cairo_surface_get_type(s) != CAIRO_SURFACE_TYPE_IMAGE || cairo_surface_status(s) != CAIRO_STATUS_SUCCESS ||
        cairo_status(cr) != CAIRO_STATUS_SUCCESS || cairo_get_group_target(cr) != s ||
        cairo_get_operator(cr) != CAIRO_OPERATOR_OVER)
        return false;
    const cairo_format_t format = cairo_image_surface_get_format(s);
    if (format != CAIRO_FORMAT_RGB24 && format != CAIRO_FORMAT_ARGB32)
        return false;
    double offsetX, offsetY, scaleX, scaleY;
    cairo_surface_get_device_offset(s, &offsetX, &offsetY);
    cairo_surface_get_device_scale(s, &scaleX, &scaleY);
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    if (offsetX != 0 || offsetY != 0 || scaleX != 1 || scaleY != 1 || m.xx != 1 || m.yy != 1 || m.xy != 0 ||
        m.yx != 0 || m.x0 != dc->origin.x || m.y0 != dc->origin.y)
        return false;
    // A clip narrowed for a while (to a text's rectangle, say) has smaller
    // extents than the DC's own clip; the rectangles that narrow it always do.
    cairo_rectangle_int_t own;
    cairo_region_get_extents(dc->clip, &own);
    const double left = std::max(0, own.x), top = std::max(0, own.y);
    const double right = std::min(cairo_image_surface_get_width(s), own.x + own.width);
    const double bottom = std::min(cairo_image_surface_get_height(s), own.y + own.height);
    double x1, y1, x2, y2;
    cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
    if (right <= left || bottom <= top)
        return x2 <= x1 || y2 <= y1;  // nothing may be drawn either way
    return x1 + m.x0 == left && y1 + m.y0 == top && x2 + m.x0 == right && y2 + m.y0 == bottom;
}

namespace {

// Calls draw(x0, y0, x1, y1) for each part, in surface pixels, of the logical
// rectangle that the DC's clip, the surface and within let through, and marks
// each part changed for Cairo.
template <typename Draw>
void forEachVisiblePart(HDC dc, const TRect& rect, const TRect* within, Draw draw)
{
    cairo_surface_t* s = dc->surface;
    cairo_surface_flush(s);
    TRect box = rect;
    if (within)
        box = {std::max(box.left, within->left), std::max(box.top, within->top), std::min(box.right, within->right),
               std::min(box.bottom, within->bottom)};
    const int left = std::max(box.left + dc->origin.x, 0), top = std::max(box.top + dc->origin.y, 0);
    const int right = std::min(box.right + dc->origin.x, cairo_image_surface_get_width(s));
    const int bottom = std::min(box.bottom + dc->origin.y, cairo_image_surface_get_height(s));
    if (right <= left || bottom <= top)
        return;
    for (int i = 0, n = cairo_region_num_rectangles(dc->clip); i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(dc->clip, i, &r);
        const int x0 = std::max(left, r.x), x1 = std::min(right, r.x + r.width);
        const int y0 = std::max(top, r.y), y1 = std::min(bottom, r.y + r.height);
        if (x1 <= x0 || y1 <= y0)
            continue;
        draw(x0, y0, x1, y1);
        cairo_surface_mark_dirty_rectangle(s, x0, y0, x1 - x0, y1 - y0);
    }
}

}  // namespace

void fillDirect(HDC dc, const TRect& rect, COLORREF color, const TRect* within)
{
    auto* data = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(dc->surface));
    const int stride = cairo_image_surface_get_stride(dc->surface) / 4;
    const uint32_t pixel = colorToPixel(color);
    forEachVisiblePart(dc, rect, within, [&](int x0, int y0, int x1, int y1) {
        pixman_fill(data, stride, 32, x0, y0, x1 - x0, y1 - y0, pixel);
    });
}

void maskDirect(HDC dc, pixman_image_t* mask, int x, int y, COLORREF color, const TRect* within)
{
    if (!dc->pixels) {
        cairo_surface_t* s = dc->surface;
        const bool alpha = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32;
        dc->pixels = pixman_image_create_bits(alpha ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8,
                                              cairo_image_surface_get_width(s), cairo_image_surface_get_height(s),
                                              reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s)),
                                              cairo_image_surface_get_stride(s));
    }
    if (!dc->solid || static_cast<COLORREF>(dc->solidColor) != color) {
        if (dc->solid)
            pixman_image_unref(dc->solid);
        // 8 bits a channel as 16, as Cairo hands colours to pixman.
        const pixman_color_t solid{static_cast<uint16_t>(GetRValue(color) * 257),
                                   static_cast<uint16_t>(GetGValue(color) * 257),
                                   static_cast<uint16_t>(GetBValue(color) * 257), 0xFFFF};
        dc->solid = pixman_image_create_solid_fill(&solid);
        dc->solidColor = static_cast<TColor>(color);
    }
    const TRect rect{x, y, x + pixman_image_get_width(mask), y + pixman_image_get_height(mask)};
    const int maskX = x + dc->origin.x, maskY = y + dc->origin.y;  // the mask's corner in surface pixels
    forEachVisiblePart(dc, rect, within, [&](int x0, int y0, int x1, int y1) {
        pixman_image_composite32(PIXMAN_OP_OVER, dc->solid, mask, dc->pixels, 0, 0, x0 - maskX, y0 - maskY, x0, y0,
                                 x1 - x0, y1 - y0);
    });
}

}  // namespace varn::detail

// ---- Device context ----------------------------------------------------------

HDC__::HDC__(cairo_surface_t* s, TPoint o, cairo_region_t* c)
    : surface(cairo_surface_reference(s)), cr(cairo_create(s)), origin(o), clip(c)
{
    applyClip();
}

HDC__::~HDC__()
{
    if (layout)
        g_object_unref(layout);
    if (pixels)
        pixman_image_unref(pixels);
    if (solid)
        pixman_image_unref(solid);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    cairo_region_destroy(clip);
}

void HDC__::applyClip()
{
    cairo_identity_matrix(cr);
    cairo_reset_clip(cr);
    cairo_new_path(cr);
    int n = cairo_region_num_rectangles(clip);
    for (int i = 0; i < n; ++i) {
        cairo_rectangle_int_t r;
        cairo_region_get_rectangle(clip, i, &r);
        cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    }
    cairo_clip(cr);
    cairo_translate(cr, origin.x, origin.y);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
}

HDC CreateSurfaceDC(cairo_surface_t* surface, TPoint origin)
{
    cairo_rectangle_int_t whole{0, 0, 1 << 24, 1 << 24};
    if (cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE)
        whole = {0, 0, cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface)};
    return new HDC__(surface, origin, cairo_region_create_rectangle(&whole));
}

void DeleteDC(HDC dc) { delete dc; }

void SetDCOrigin(HDC dc, TPoint origin)
{
    dc->origin = origin;
    dc->applyClip();
}

void SetDCClipRegion(HDC dc, const cairo_region_t* region)
{
    cairo_region_destroy(dc->clip);
    dc->clip = cairo_region_copy(region);
    dc->applyClip();
}

void SetDCClipRect(HDC dc, const TRect& r)
{
    cairo_rectangle_int_t rect{r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height())};
    cairo_region_destroy(dc->clip);
    dc->clip = cairo_region_create_rectangle(&rect);
    dc->applyClip();
}

void SetDCResolution(HDC dc, int pixelsPerInch, TPoint deviceSize)
{
    dc->pixelsPerInch = std::max(1, pixelsPerInch);
    dc->deviceSize = deviceSize;
}

int GetDeviceCaps(HDC dc, int index)
{
    if (!dc)
        return 0;
    TPoint size = dc->deviceSize;
    if (size == TPoint{} && cairo_surface_get_type(dc->surface) == CAIRO_SURFACE_TYPE_IMAGE)
        size = {cairo_image_surface_get_width(dc->surface), cairo_image_surface_get_height(dc->surface)};
    switch (index) {
    case HORZRES:
    case PHYSICALWIDTH: return size.x;
    case VERTRES:
    case PHYSICALHEIGHT: return size.y;
    case LOGPIXELSX:
    case LOGPIXELSY: return dc->pixelsPerInch;
    default: return 0;
    }
}

int SetMapMode(HDC dc, int mode) { return dc ? std::exchange(dc->mapMode, mode) : 0; }
int GetMapMode(HDC dc) { return dc ? dc->mapMode : 0; }

HDC CreateChildDC(HDC dc, const TRect& bounds)
{
    TPoint origin{dc->origin.x + bounds.left, dc->origin.y + bounds.top};
    HDC child = new HDC__(dc->surface, origin, cairo_region_copy(dc->clip));
    IntersectClipRect(child, 0, 0, bounds.Width(), bounds.Height());
    return child;
}

int GetClipBox(HDC dc, TRect* rect)
{
    cairo_rectangle_int_t r;
    cairo_region_get_extents(dc->clip, &r);
    *rect = {r.x - dc->origin.x, r.y - dc->origin.y, r.x + r.width - dc->origin.x, r.y + r.height - dc->origin.y};
    return cairo_region_is_empty(dc->clip) ? 0 : 1;
}

int IntersectClipRect(HDC dc, int left, int top, int right, int bottom)
{
    cairo_rectangle_int_t r{left + dc->origin.x, top + dc->origin.y, std::max(0, right - left), std::max(0, bottom - top)};
    cairo_region_intersect_rectangle(dc->clip, &r);
    dc->applyClip();
    return cairo_region_is_empty(dc->clip) ? 0 : 1;
}

// ---- State -------------------------------------------------------------------

COLORREF SetTextColor(HDC dc, COLORREF color) { return std::exchange(dc->textColor, static_cast<TColor>(color)); }
COLORREF GetTextColor(HDC dc) { return dc->textColor; }
COLORREF SetBkColor(HDC dc, COLORREF color) { return std::exchange(dc->bkColor, static_cast<TColor>(color)); }
COLORREF GetBkColor(HDC dc) { return dc->bkColor; }
int SetBkMode(HDC dc, int mode) { return std::exchange(dc->bkMode, mode); }
int GetBkMode(HDC dc) { return dc->bkMode; }

HBRUSH CreateSolidBrush(COLORREF color) { return new HBRUSH__{color}; }

HBRUSH GetSysColorBrush(int index)
{
    static std::array<HBRUSH__, COLOR_ENDCOLORS + 1> brushes = [] {
        std::array<HBRUSH__, COLOR_ENDCOLORS + 1> all{};
        for (int i = 0; i <= COLOR_ENDCOLORS; ++i)
            all[i].color = GetSysColor(i);
        return all;
    }();
    if (index < 0 || index > COLOR_ENDCOLORS)
        return nullptr;
    return &brushes[index];
}

void DeleteObject(HBRUSH brush)
{
    // Stock and system brushes are never freed, as in Win32.
    auto value = reinterpret_cast<uintptr_t>(brush);
    if (value <= COLOR_ENDCOLORS + 1)
        return;
    HBRUSH first = GetSysColorBrush(0);
    if (brush >= first && brush <= first + COLOR_ENDCOLORS)
        return;
    delete brush;
}

int FillRect(HDC dc, const TRect* rect, HBRUSH brush)
{
    if (!dc || !rect || !brush)
        return 0;
    auto value = reinterpret_cast<uintptr_t>(brush);
    COLORREF color = value <= COLOR_ENDCOLORS + 1 ? GetSysColor(static_cast<int>(value) - 1) : brush->color;
    fillPixels(dc, rect->left, rect->top, rect->right, rect->bottom, color);
    return 1;
}

bool InvertRect(HDC dc, const TRect* rect)
{
    if (!dc || !rect || rect->right <= rect->left || rect->bottom <= rect->top)
        return false;
    cairo_t* cr = dc->cr;
    cairo_set_operator(cr, CAIRO_OPERATOR_DIFFERENCE);
    fillPixels(dc, rect->left, rect->top, rect->right, rect->bottom, 0xFFFFFF);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    return true;
}

HFONT CreateFontIndirect(const TFontSpec* fontSpec) { return fontSpec ? new HFONT__{*fontSpec} : nullptr; }

void DeleteObject(HFONT font) { delete font; }

// ---- Pixels and lines ----------------------------------------------------------

COLORREF GetPixel(HDC dc, int x, int y)
{
    cairo_surface_flush(dc->surface);
    uint32_t* p = pixelAddress(dc, x, y);
    return p ? pixelToColor(*p) : CLR_INVALID;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color)
{
    cairo_surface_flush(dc->surface);
    uint32_t* p = pixelAddress(dc, x, y);
    if (!p)
        return CLR_INVALID;
    *p = colorToPixel(color);
    cairo_surface_mark_dirty_rectangle(dc->surface, x + dc->origin.x, y + dc->origin.y, 1, 1);
    return color;
}

bool MoveToEx(HDC dc, int x, int y, TPoint* previous)
{
    if (previous)
        *previous = dc->penPos;
    dc->penPos = {x, y};
    return true;
}

bool LineTo(HDC dc, int x, int y)
{
    TPoint points[2] = {dc->penPos, {x, y}};
    strokePolyline(dc, points, 2);
    dc->penPos = {x, y};
    return true;
}

bool Polyline(HDC dc, const TPoint* points, int count)
{
    strokePolyline(dc, points, count);
    return count >= 2;
}

// ---- Shapes ------------------------------------------------------------------

bool Rectangle(HDC dc, int left, int top, int right, int bottom)
{
    normalise(left, right);
    normalise(top, bottom);
    if (!penVisible(dc)) {
        // Without a pen Win32 fills one pixel less to the right and bottom.
        if (brushVisible(dc))
            fillPixels(dc, left, top, right - 1, bottom - 1, dc->brush.Color);
        return true;
    }
    int w = std::max(1, dc->pen.Width);
    int inset = dc->pen.Style == PS_INSIDEFRAME ? w : (w + 1) / 2;
    if (brushVisible(dc))
        fillPixels(dc, left + inset, top + inset, right - inset, bottom - inset, dc->brush.Color);
    if (w == 1 && dc->pen.Style != PS_SOLID && dc->pen.Style != PS_INSIDEFRAME) {
        TPoint outline[5] = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}, {left, top}};
        strokePolyline(dc, outline, 5);
        return true;
    }
    // Solid outline as four bands; a wide pen is centred on the one-pixel outline
    // (inside the rectangle for PS_INSIDEFRAME).
    int outer = dc->pen.Style == PS_INSIDEFRAME ? 0 : (w - 1) / 2;
    int l = left - outer, t = top - outer, r = right + outer, b = bottom + outer;
    cairo_t* cr = dc->cr;
    usePen(dc);
    cairo_rectangle(cr, l, t, r - l, std::min(w, b - t));
    if (b - t > w) {
        cairo_rectangle(cr, l, std::max(t + w, b - w), r - l, std::min(w, b - t - w));
        int innerTop = t + w, innerBottom = std::max(t + w, b - w);
        if (innerBottom > innerTop) {
            cairo_rectangle(cr, l, innerTop, std::min(w, r - l), innerBottom - innerTop);
            if (r - l > w)
                cairo_rectangle(cr, std::max(l + w, r - w), innerTop, std::min(w, r - l - w), innerBottom - innerTop);
        }
    }
    cairo_fill(cr);
    endPen(dc);
    return true;
}

bool RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height)
{
    normalise(left, right);
    normalise(top, bottom);
    if (right - left < 2 || bottom - top < 2)
        return Rectangle(dc, left, top, right, bottom);
    // The outline runs through the centres of the border pixels [left, right - 1].
    double shrink = penVisible(dc) ? 0.5 : 0.0;
    double r = penVisible(dc) ? right - 0.5 : right - 1.0;
    double b = penVisible(dc) ? bottom - 0.5 : bottom - 1.0;
    roundRectPath(dc->cr, left + shrink, top + shrink, r, b, std::abs(width) / 2.0, std::abs(height) / 2.0);
    fillAndStroke(dc);
    return true;
}

bool Ellipse(HDC dc, int left, int top, int right, int bottom)
{
    normalise(left, right);
    normalise(top, bottom);
    if (right - left < 2 || bottom - top < 2)
        return Rectangle(dc, left, top, right, bottom);
    if (penVisible(dc))
        ellipsePath(dc->cr, left + 0.5, top + 0.5, right - 0.5, bottom - 0.5);
    else
        ellipsePath(dc->cr, left, top, right - 1, bottom - 1);
    fillAndStroke(dc);
    return true;
}

bool Polygon(HDC dc, const TPoint* points, int count)
{
    if (count < 2)
        return false;
    cairo_t* cr = dc->cr;
    if (brushVisible(dc) && count >= 3) {
        // Vertices sit on pixel centres, so the fill meets the outline exactly.
        double offset = penVisible(dc) ? 0.5 : 0.0;
        cairo_move_to(cr, points[0].x + offset, points[0].y + offset);
        for (int i = 1; i < count; ++i)
            cairo_line_to(cr, points[i].x + offset, points[i].y + offset);
        cairo_close_path(cr);
        setSource(cr, dc->brush.Color);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);  // Win32's ALTERNATE
        cairo_fill(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    }
    std::vector<TPoint> closed(points, points + count);
    closed.push_back(points[0]);
    strokePolyline(dc, closed.data(), static_cast<int>(closed.size()));
    return true;
}

// ---- Edges, frame controls, focus ----------------------------------------------

bool DrawEdge(HDC dc, TRect* rect, unsigned edge, unsigned flags)
{
    if (!dc || !rect)
        return false;
    TRect r = *rect;
    // Each ring: top-left colour first, then bottom-right, which owns the
    // top-right and bottom-left corner pixels.
    auto ring = [&](COLORREF topLeft, COLORREF bottomRight) {
        if (flags & BF_LEFT)
            fillPixels(dc, r.left, r.top, r.left + 1, r.bottom - 1, topLeft);
        if (flags & BF_TOP)
            fillPixels(dc, r.left, r.top, r.right - 1, r.top + 1, topLeft);
        if (flags & BF_RIGHT)
            fillPixels(dc, r.right - 1, r.top, r.right, r.bottom, bottomRight);
        if (flags & BF_BOTTOM)
            fillPixels(dc, r.left, r.bottom - 1, r.right, r.bottom, bottomRight);
        if (flags & BF_LEFT) ++r.left;
        if (flags & BF_TOP) ++r.top;
        if (flags & BF_RIGHT) --r.right;
        if (flags & BF_BOTTOM) --r.bottom;
    };
    if (edge & BDR_RAISEDOUTER)
        ring(GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
    else if (edge & BDR_SUNKENOUTER)
        ring(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    if (edge & BDR_RAISEDINNER)
        ring(GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    else if (edge & BDR_SUNKENINNER)
        ring(GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
    if (flags & BF_MIDDLE)
        fillPixels(dc, r.left, r.top, r.right, r.bottom, GetSysColor(COLOR_BTNFACE));
    if (flags & BF_ADJUST)
        *rect = r;
    return true;
}

namespace {

// The largest square centred in rect.
TRect centredSquare(const TRect& rect)
{
    int side = std::min(rect.Width(), rect.Height());
    int left = rect.left + (rect.Width() - side) / 2;
    int top = rect.top + (rect.Height() - side) / 2;
    return {left, top, left + side, top + side};
}

void drawCheckMark(HDC dc, const TRect& box, COLORREF color)
{
    // The classic 7 x 7 tick, three pixels thick, scaled by whole pixels.
    int unit = std::max(1, (box.Width() + 1) / 13);
    int size = 7 * unit;
    int x0 = box.left + (box.Width() - size) / 2, y0 = box.top + (box.Height() - size) / 2;
    cairo_t* cr = dc->cr;
    setSource(cr, color);
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 7; ++i) {
            int y = i <= 2 ? 2 + k + i : 4 + k - (i - 2);
            cairo_rectangle(cr, x0 + i * unit, y0 + y * unit, unit, unit);
        }
    }
    cairo_fill(cr);
}

void drawCheckBox(HDC dc, const TRect& rect, unsigned state)
{
    TRect box = centredSquare(rect);
    if (box.Width() < 3)
        return;
    bool inactive = state & DFCS_INACTIVE;
    COLORREF face = GetSysColor(inactive || (state & DFCS_PUSHED) ? COLOR_BTNFACE : COLOR_WINDOW);
    TRect inner = box;
    if (state & (DFCS_FLAT | DFCS_MONO)) {
        COLORREF frame = GetSysColor(state & DFCS_MONO ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW);
        fillPixels(dc, box.left, box.top, box.right, box.bottom, frame);
        inner = {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
    } else {
        DrawEdge(dc, &inner, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    fillPixels(dc, inner.left, inner.top, inner.right, inner.bottom, face);
    if (state & DFCS_CHECKED)
        drawCheckMark(dc, inner, GetSysColor(inactive ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
}

void drawRadio(HDC dc, const TRect& rect, unsigned state)
{
    TRect box = centredSquare(rect);
    int side = box.Width();
    if (side < 3)
        return;
    bool inactive = state & DFCS_INACTIVE;
    cairo_t* cr = dc->cr;
    ellipsePath(cr, box.left + 1, box.top + 1, box.right - 1, box.bottom - 1);
    setSource(cr, GetSysColor(inactive || (state & DFCS_PUSHED) ? COLOR_BTNFACE : COLOR_WINDOW));
    cairo_fill(cr);
    ellipsePath(cr, box.left + 0.5, box.top + 0.5, box.right - 0.5, box.bottom - 0.5);
    setSource(cr, GetSysColor(state & DFCS_MONO ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (state & DFCS_CHECKED) {
        int dot = std::max(2, (side + 1) / 3);
        double x = box.left + (side - dot) / 2, y = box.top + (side - dot) / 2;
        ellipsePath(cr, x, y, x + dot, y + dot);
        setSource(cr, GetSysColor(inactive ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
        cairo_fill(cr);
    }
}

void drawScrollArrow(HDC dc, const TRect& rect, unsigned state)
{
    unsigned direction = state & 0xF;
    bool flat = state & DFCS_FLAT;
    fillPixels(dc, rect.left, rect.top, rect.right, rect.bottom, GetSysColor(COLOR_BTNFACE));
    if (flat) {
        if (state & DFCS_PUSHED)
            fillPixels(dc, rect.left, rect.top, rect.right, rect.bottom, GetSysColor(COLOR_BTNSHADOW));
    } else {
        TRect r = rect;
        DrawEdge(dc, &r, state & DFCS_PUSHED ? BDR_SUNKENOUTER : EDGE_RAISED, BF_RECT);
    }
    // A solid triangle of n rows, its tip towards the direction.
    int n = std::max(1, (std::min(rect.Width(), rect.Height()) + 1) / 4);
    int shift = (state & DFCS_PUSHED) && !flat ? 1 : 0;
    bool vertical = direction == DFCS_SCROLLUP || direction == DFCS_SCROLLDOWN;
    int along = n, across = 2 * n - 1;
    int x0 = rect.left + (rect.Width() - (vertical ? across : along)) / 2 + shift;
    int y0 = rect.top + (rect.Height() - (vertical ? along : across)) / 2 + shift;
    cairo_t* cr = dc->cr;
    COLORREF color = state & DFCS_INACTIVE ? GetSysColor(COLOR_GRAYTEXT)
                     : flat && (state & DFCS_PUSHED) ? GetSysColor(COLOR_BTNHIGHLIGHT)
                                                     : GetSysColor(COLOR_BTNTEXT);
    setSource(cr, color);
    for (int i = 0; i < n; ++i) {
        int len = 2 * i + 1;  // row i from the tip
        switch (direction) {
        case DFCS_SCROLLUP: cairo_rectangle(cr, x0 + n - 1 - i, y0 + i, len, 1); break;
        case DFCS_SCROLLDOWN: cairo_rectangle(cr, x0 + n - 1 - i, y0 + n - 1 - i, len, 1); break;
        case DFCS_SCROLLLEFT: cairo_rectangle(cr, x0 + i, y0 + n - 1 - i, 1, len); break;
        default: cairo_rectangle(cr, x0 + n - 1 - i, y0 + n - 1 - i, 1, len); break;
        }
    }
    cairo_fill(cr);
}

}  // namespace

bool DrawFrameControl(HDC dc, TRect* rect, unsigned type, unsigned state)
{
    if (!dc || !rect)
        return false;
    if (type == DFC_BUTTON) {
        if ((state & 0xFF) == DFCS_BUTTONCHECK)
            drawCheckBox(dc, *rect, state);
        else if ((state & 0xFF) == DFCS_BUTTONRADIO)
            drawRadio(dc, *rect, state);
        else
            return false;
        return true;
    }
    if (type == DFC_SCROLL && (state & 0xF) <= DFCS_SCROLLRIGHT) {
        drawScrollArrow(dc, *rect, state);
        return true;
    }
    return false;
}

bool DrawFocusRect(HDC dc, const TRect* rect)
{
    if (!dc || !rect || !isImage(dc) || rect->Width() <= 0 || rect->Height() <= 0)
        return false;
    cairo_surface_flush(dc->surface);
    auto invert = [&](int x, int y) {
        if (((x + y) & 1) != 0)
            return;
        if (uint32_t* p = pixelAddress(dc, x, y))
            *p ^= 0x00FFFFFFu;
    };
    const TRect& r = *rect;
    for (int x = r.left; x < r.right; ++x) {
        invert(x, r.top);
        if (r.bottom - 1 > r.top)
            invert(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        invert(r.left, y);
        if (r.right - 1 > r.left)
            invert(r.right - 1, y);
    }
    cairo_surface_mark_dirty(dc->surface);
    return true;
}
