// Text on device contexts through Pango. Fonts are resolved once per
// (face, height, style, pitch) into a cached entry holding the Pango font
// description, the line metrics and measured widths; each DC reuses one
// PangoLayout for all its text. Latin-1 becomes UTF-8 only here.
#include "platform/Gdi.h"

#include "platform/SysUtils.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace varn::detail {

struct TFontEntry {
    PangoFontDescription* desc = nullptr;
    PangoAttrList* attrs = nullptr;  // underline and strike-out; null without them
    int ascent = 0;                  // baseline below the top of a line, pixels
    int height = 0;                  // line height (ascent + descent), pixels
    std::unordered_map<std::string, int> widths;  // measured single-line widths by Latin-1 text

    ~TFontEntry()
    {
        pango_font_description_free(desc);
        if (attrs)
            pango_attr_list_unref(attrs);
    }
};

}  // namespace varn::detail

using varn::detail::TFontEntry;

namespace {

constexpr size_t maxCachedWidths = 4096;

// Windows face names that forms and components ask for, mapped in code to the
// installed DejaVu faces so that metrics do not depend on fontconfig's
// configuration; other names go to fontconfig as they are.
std::string mapFaceName(const AnsiString& name, int pitch)
{
    static const std::map<std::string, std::string> faces = {
        {"ms sans serif", "DejaVu Sans"}, {"microsoft sans serif", "DejaVu Sans"},
        {"ms shell dlg", "DejaVu Sans"},  {"ms shell dlg 2", "DejaVu Sans"},
        {"tahoma", "DejaVu Sans"},        {"arial", "DejaVu Sans"},
        {"verdana", "DejaVu Sans"},       {"segoe ui", "DejaVu Sans"},
        {"default", "DejaVu Sans"},       {"system", "DejaVu Sans"},
        {"helvetica", "DejaVu Sans"},     {"courier new", "DejaVu Sans Mono"},
        {"courier", "DejaVu Sans Mono"},  {"lucida console", "DejaVu Sans Mono"},
        {"fixedsys", "DejaVu Sans Mono"}, {"terminal", "DejaVu Sans Mono"},
        {"times new roman", "DejaVu Serif"}, {"ms serif", "DejaVu Serif"},
        {"times", "DejaVu Serif"},
    };
    std::string lower = name;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.empty())
        return pitch == 1 ? "DejaVu Sans Mono" : "DejaVu Sans";
    auto it = faces.find(lower);
    if (it != faces.end())
        return it->second;
    return Latin1ToUtf8(name) + (pitch == 1 ? ",DejaVu Sans Mono" : ",DejaVu Sans");
}

PangoContext* sharedContext()
{
    static PangoContext* context = [] {
        PangoContext* c = pango_font_map_create_context(pango_cairo_font_map_get_default());
        cairo_font_options_t* options = cairo_font_options_create();
        // Whole-pixel metrics keep measured widths and line heights integral.
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(c, options);
        cairo_font_options_destroy(options);
        pango_cairo_context_set_resolution(c, 96);
        pango_context_set_language(c, pango_language_from_string("es"));
        return c;
    }();
    return context;
}

PangoFontDescription* makeDescription(const TFontSpec& spec, double pixels)
{
    PangoFontDescription* desc = pango_font_description_new();
    std::string family = mapFaceName(spec.Name, spec.Pitch);
    pango_font_description_set_family(desc, family.c_str());
    pango_font_description_set_weight(desc, spec.Style & 1 ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc, spec.Style & 2 ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(desc, pixels * PANGO_SCALE);
    return desc;
}

// Line height and ascent of a description, in whole pixels.
void measureLine(PangoFontDescription* desc, int& ascent, int& height)
{
    PangoLayout* layout = pango_layout_new(sharedContext());
    pango_layout_set_font_description(layout, desc);
    pango_layout_set_text(layout, "Ag", -1);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    height = logical.height;
    ascent = PANGO_PIXELS(pango_layout_get_baseline(layout));
    g_object_unref(layout);
}

TFontEntry* fontEntryFor(const TFontSpec& spec)
{
    static std::map<std::string, std::unique_ptr<TFontEntry>> cache;
    std::string key = spec.Name + '\x01' + std::to_string(spec.Height) + '\x01' + std::to_string(spec.Style) + '\x01' +
                      std::to_string(spec.Pitch);
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second.get();

    // Negative heights give the character (em) height; positive ones the cell
    // height, which is turned into an em height through the face's proportions.
    double pixels = spec.Height < 0 ? -spec.Height : spec.Height;
    if (spec.Height == 0)
        pixels = 11;
    if (spec.Height > 0) {
        PangoFontDescription* probe = makeDescription(spec, 100);
        int ascent = 0, cell = 0;
        measureLine(probe, ascent, cell);
        pango_font_description_free(probe);
        if (cell > 0)
            pixels = std::max(1.0, std::round(spec.Height * 100.0 / cell));
    }
    auto entry = std::make_unique<TFontEntry>();
    entry->desc = makeDescription(spec, pixels);
    measureLine(entry->desc, entry->ascent, entry->height);
    if (spec.Style & (4 | 8)) {
        entry->attrs = pango_attr_list_new();
        if (spec.Style & 4)
            pango_attr_list_insert(entry->attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (spec.Style & 8)
            pango_attr_list_insert(entry->attrs, pango_attr_strikethrough_new(TRUE));
    }
    TFontEntry* result = entry.get();
    cache.emplace(std::move(key), std::move(entry));
    return result;
}

TFontEntry* currentFont(HDC dc)
{
    if (!dc->fontEntry)
        dc->fontEntry = fontEntryFor(dc->font);
    return dc->fontEntry;
}

PangoLayout* layoutFor(HDC dc, TFontEntry* font)
{
    if (!dc->layout)
        dc->layout = pango_layout_new(sharedContext());
    if (dc->layoutFont != font) {
        pango_layout_set_font_description(dc->layout, font->desc);
        pango_layout_set_attributes(dc->layout, font->attrs);
        dc->layoutFont = font;
    }
    pango_layout_set_width(dc->layout, -1);
    pango_layout_set_ellipsize(dc->layout, PANGO_ELLIPSIZE_NONE);
    return dc->layout;
}

void setSource(cairo_t* cr, COLORREF color)
{
    cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
}

std::string withoutLineBreaks(const char* text, int count)
{
    std::string s(text, static_cast<size_t>(count));
    std::erase_if(s, [](char c) { return c == '\r' || c == '\n'; });
    return s;
}

int lineWidth(HDC dc, TFontEntry* font, const std::string& latin1)
{
    auto it = font->widths.find(latin1);
    if (it != font->widths.end())
        return it->second;
    PangoLayout* layout = layoutFor(dc, font);
    std::string utf8 = Latin1ToUtf8(latin1);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    if (font->widths.size() >= maxCachedWidths)
        font->widths.clear();
    font->widths.emplace(latin1, logical.width);
    return logical.width;
}

int textLength(const char* text, int count)
{
    if (!text)
        return 0;
    return count < 0 ? static_cast<int>(std::strlen(text)) : count;
}

}  // namespace

bool GetTextExtentPoint32(HDC dc, const char* text, int count, SIZE* size)
{
    if (!dc || !size)
        return false;
    TFontEntry* font = currentFont(dc);
    size->cx = lineWidth(dc, font, std::string(text ? text : "", static_cast<size_t>(textLength(text, count))));
    size->cy = font->height;
    return true;
}

bool TextOut(HDC dc, int x, int y, const char* text, int count)
{
    if (!dc)
        return false;
    count = textLength(text, count);
    TFontEntry* font = currentFont(dc);
    std::string latin1 = withoutLineBreaks(text ? text : "", count);
    int width = lineWidth(dc, font, latin1);
    PangoLayout* layout = layoutFor(dc, font);
    std::string utf8 = Latin1ToUtf8(latin1);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));

    cairo_t* cr = dc->cr;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    if (dc->font.Orientation % 3600 != 0)
        cairo_rotate(cr, -dc->font.Orientation * M_PI / 1800.0);
    if (dc->bkMode == OPAQUE && width > 0) {
        setSource(cr, dc->bkColor);
        cairo_rectangle(cr, 0, 0, width, font->height);
        cairo_fill(cr);
    }
    setSource(cr, dc->textColor);
    cairo_move_to(cr, 0, font->ascent);
    pango_cairo_show_layout_line(cr, pango_layout_get_line_readonly(layout, 0));
    cairo_restore(cr);
    return true;
}

int DrawText(HDC dc, const char* text, int count, TRect* rect, unsigned format)
{
    return DrawTextEx(dc, text, count, rect, format, nullptr);
}

int DrawTextEx(HDC dc, const char* text, int count, TRect* rect, unsigned format, DRAWTEXTPARAMS* params)
{
    if (!dc || !rect)
        return 0;
    count = textLength(text, count);
    TFontEntry* font = currentFont(dc);
    const int lineHeight = font->height;
    const bool singleLine = format & DT_SINGLELINE;
    const int leftMargin = params ? params->iLeftMargin : 0;
    const int rightMargin = params ? params->iRightMargin : 0;
    if (params)
        params->uiLengthDrawn = static_cast<unsigned>(count);

    // Prefix processing: "&&" shows one ampersand, "&x" underlines x.
    std::string latin1;
    latin1.reserve(static_cast<size_t>(count));
    int underlined = -1;
    for (int i = 0; i < count; ++i) {
        char c = text[i];
        if (c == '&' && !(format & DT_NOPREFIX) && i + 1 < count) {
            c = text[++i];
            if (c != '&' && underlined < 0)
                underlined = static_cast<int>(latin1.size());
        }
        if (singleLine && (c == '\r' || c == '\n'))
            continue;
        latin1.push_back(c);
    }

    TRect area{rect->left + leftMargin, rect->top, rect->right - rightMargin, rect->bottom};
    if (latin1.empty()) {
        if (format & DT_CALCRECT) {
            rect->right = rect->left;
            rect->bottom = rect->top + (singleLine ? lineHeight : 0);
        }
        return singleLine ? lineHeight : 0;
    }

    PangoLayout* layout = layoutFor(dc, font);
    std::string utf8 = Latin1ToUtf8(latin1);
    pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
    if (underlined >= 0) {
        PangoAttrList* attrs = font->attrs ? pango_attr_list_copy(font->attrs) : pango_attr_list_new();
        PangoAttribute* underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        underline->start_index = static_cast<unsigned>(Latin1ToUtf8(latin1.substr(0, static_cast<size_t>(underlined))).size());
        underline->end_index = underline->start_index + (static_cast<unsigned char>(latin1[static_cast<size_t>(underlined)]) < 0x80 ? 1 : 2);
        pango_attr_list_insert(attrs, underline);
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
        dc->layoutFont = nullptr;  // the next text sets the font's own attributes again
    }
    if ((format & DT_WORDBREAK) && !singleLine) {
        pango_layout_set_width(layout, std::max(0, area.Width()) * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD);
    } else if ((format & DT_END_ELLIPSIS) && !(format & DT_CALCRECT)) {
        // Every line that does not fit ends in an ellipsis.
        pango_layout_set_width(layout, std::max(0, area.Width()) * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }

    const int lineCount = pango_layout_get_line_count(layout);
    std::vector<int> widths(static_cast<size_t>(lineCount));
    int widest = 0;
    for (int i = 0; i < lineCount; ++i) {
        PangoRectangle logical;
        pango_layout_line_get_pixel_extents(pango_layout_get_line_readonly(layout, i), nullptr, &logical);
        widths[static_cast<size_t>(i)] = logical.width;
        widest = std::max(widest, logical.width);
    }
    const int totalHeight = lineCount * lineHeight;

    if (format & DT_CALCRECT) {
        rect->right = rect->left + leftMargin + widest + rightMargin;
        rect->bottom = rect->top + totalHeight;
        return totalHeight;
    }

    // Vertical centring and bottom alignment apply to a single line only.
    int top = area.top;
    if (singleLine && (format & DT_VCENTER))
        top = area.top + (area.Height() - lineHeight) / 2;
    else if (singleLine && (format & DT_BOTTOM))
        top = area.bottom - lineHeight;

    cairo_t* cr = dc->cr;
    cairo_save(cr);
    if (!(format & DT_NOCLIP)) {
        cairo_rectangle(cr, rect->left, rect->top, std::max(0, rect->Width()), std::max(0, rect->Height()));
        cairo_clip(cr);
    }
    for (int i = 0; i < lineCount; ++i) {
        int width = widths[static_cast<size_t>(i)];
        int x = area.left;
        if (format & DT_CENTER)
            x = area.left + (area.Width() - width) / 2;
        else if (format & DT_RIGHT)
            x = area.right - width;
        int y = top + i * lineHeight;
        if (dc->bkMode == OPAQUE && width > 0) {
            setSource(cr, dc->bkColor);
            cairo_rectangle(cr, x, y, width, lineHeight);
            cairo_fill(cr);
        }
        setSource(cr, dc->textColor);
        cairo_move_to(cr, x, y + font->ascent);
        pango_cairo_show_layout_line(cr, pango_layout_get_line_readonly(layout, i));
    }
    cairo_restore(cr);
    if (singleLine && (format & (DT_VCENTER | DT_BOTTOM)))
        return top - rect->top + lineHeight;
    return totalHeight;
}
