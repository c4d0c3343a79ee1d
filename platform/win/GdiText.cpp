// Text on device contexts through Pango. Fonts are resolved once per
// (face, height, style, pitch) into a cached entry holding the Pango font
// description, the line metrics and measured widths; each DC reuses one
// PangoLayout for all its text. 8-bit text becomes UTF-8 only here.
#include "platform/win/Gdi.h"

#include "platform/win/Charset.h"
#include "platform/win/GdiPixels.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace varn::detail {

struct TSurfaceFree {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct TMaskFree {
    void operator()(pixman_image_t* mask) const { pixman_image_unref(mask); }
};

// One line of text rendered once as coverage, painted again in any colour.
struct TLineImage {
    std::unique_ptr<cairo_surface_t, TSurfaceFree> surface;  // A8 coverage of the ink; null without ink
    std::unique_ptr<pixman_image_t, TMaskFree> mask;         // the same pixels for pixman
    int width = 0;                                           // advance width of the line
    int natural = 0;  // a plain line's measured width, as lineWidth gives it
    int left = 0;     // the mask's corner from the line cell's
    int top = 0;
};

// A map from texts to values that keeps at most `limit` entries and drops the
// least recently used one to make room, so that a full cache keeps what is on
// screen instead of starting over. Entries sit in one deque (their addresses
// stay put) linked in use order; a flat open-addressing table finds them with
// one probe in the common case, which matters at some 1,400 look-ups a frame.
template <typename Value>
class TRecentCache {
public:
    explicit TRecentCache(size_t limit) : limit(std::max<size_t>(limit, 1)) {}

    // The cached value, now the most recently used; nullptr when absent.
    Value* find(const std::string& key)
    {
        if (table.empty())
            return nullptr;
        const size_t hash = std::hash<std::string_view>{}(key);
        for (size_t i = hash & mask();; i = (i + 1) & mask()) {
            const Bucket& bucket = table[i];
            if (bucket.slot < 0)
                return nullptr;
            Entry& entry = entries[size_t(bucket.slot)];
            if (bucket.tag == uint32_t(hash) && entry.key == key) {
                toFront(bucket.slot);
                return &entry.value;
            }
        }
    }

    // Adds a key that find() did not find.
    Value& insert(std::string key, Value value)
    {
        int slot;
        if (entries.size() < limit) {
            slot = static_cast<int>(entries.size());
            entries.push_back(Entry{});
        } else {
            slot = last;  // the least recently used entry makes room
            unlink(slot);
            removeFromTable(slot);
        }
        if ((used + 1) * 2 > table.size())
            grow();
        Entry& entry = entries[size_t(slot)];
        entry.key = std::move(key);
        entry.value = std::move(value);
        entry.hash = std::hash<std::string_view>{}(entry.key);
        place(slot);
        linkFront(slot);
        return entry.value;
    }

    size_t size() const { return entries.size(); }

private:
    struct Entry {
        std::string key;
        Value value{};
        size_t hash = 0;
        int newer = -1, older = -1;  // neighbours in use order
    };
    struct Bucket {
        uint32_t tag = 0;  // low bits of the key's hash
        int32_t slot = -1; // -1: empty
    };

    size_t mask() const { return table.size() - 1; }

    void place(int slot)
    {
        const size_t hash = entries[size_t(slot)].hash;
        size_t i = hash & mask();
        while (table[i].slot >= 0)
            i = (i + 1) & mask();
        table[i] = {uint32_t(hash), slot};
        ++used;
    }

    // Linear probing: later entries of the run move back into the hole.
    void removeFromTable(int slot)
    {
        size_t i = entries[size_t(slot)].hash & mask();
        while (table[i].slot != slot)
            i = (i + 1) & mask();
        table[i] = {};
        --used;
        for (size_t j = (i + 1) & mask(); table[j].slot >= 0; j = (j + 1) & mask()) {
            size_t home = entries[size_t(table[j].slot)].hash & mask();
            // Move j back to i unless its home lies cyclically in (i, j].
            bool stays = i <= j ? (i < home && home <= j) : (i < home || home <= j);
            if (!stays) {
                table[i] = table[j];
                table[j] = {};
                i = j;
            }
        }
    }

    void grow()
    {
        std::vector<Bucket> old = std::move(table);
        table.assign(std::max<size_t>(64, old.size() * 2), Bucket{});
        used = 0;
        for (const Bucket& bucket : old)
            if (bucket.slot >= 0)
                place(bucket.slot);
    }

    void unlink(int slot)
    {
        Entry& entry = entries[size_t(slot)];
        if (entry.newer >= 0)
            entries[size_t(entry.newer)].older = entry.older;
        else
            first = entry.older;
        if (entry.older >= 0)
            entries[size_t(entry.older)].newer = entry.newer;
        else
            last = entry.newer;
        entry.newer = entry.older = -1;
    }

    void linkFront(int slot)
    {
        Entry& entry = entries[size_t(slot)];
        entry.newer = -1;
        entry.older = first;
        if (first >= 0)
            entries[size_t(first)].newer = slot;
        first = slot;
        if (last < 0)
            last = slot;
    }

    void toFront(int slot)
    {
        if (slot == first)
            return;
        unlink(slot);
        linkFront(slot);
    }

    size_t limit;
    std::deque<Entry> entries;  // never shrinks; an evicted entry's slot is reused
    std::vector<Bucket> table;  // power-of-two size, at most half full
    size_t used = 0;
    int first = -1, last = -1;  // most and least recently used
};

struct TFontEntry {
    PangoFontDescription* desc = nullptr;
    PangoAttrList* attrs = nullptr;  // underline and strike-out; null without them
    int ascent = 0;                  // baseline below the top of a line, pixels
    int height = 0;                  // line height (ascent + descent), pixels
    TRecentCache<int> widths;  // measured single-line widths by 8-bit text
    // Rendered single lines by text, ellipsis width and underlined character.
    TRecentCache<TLineImage> lines;

    TFontEntry(size_t maxWidths, size_t maxLines) : widths(maxWidths), lines(maxLines) {}

    ~TFontEntry()
    {
        pango_font_description_free(desc);
        if (attrs)
            pango_attr_list_unref(attrs);
    }
};

}  // namespace varn::detail

using varn::detail::TFontEntry;
using varn::detail::TLineImage;

namespace {

constexpr size_t maxCachedWidths = 4096;
constexpr size_t maxCachedLines = 2048;
constexpr int maxCachedLineWidth = 2048;

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
    return AnsiToUtf8(name) + (pitch == 1 ? ",DejaVu Sans Mono" : ",DejaVu Sans");
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

PangoFontDescription* makeDescription(const TFontSpec& face, double pixels)
{
    PangoFontDescription* desc = pango_font_description_new();
    std::string family = mapFaceName(face.Name, face.Pitch);
    pango_font_description_set_family(desc, family.c_str());
    pango_font_description_set_weight(desc, face.Style & 1 ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc, face.Style & 2 ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
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

TFontEntry* fontEntryFor(const TFontSpec& face)
{
    static std::map<std::string, std::unique_ptr<TFontEntry>> cache;
    std::string key = face.Name + '\x01' + std::to_string(face.Height) + '\x01' + std::to_string(face.Style) + '\x01' +
                      std::to_string(face.Pitch);
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second.get();

    // Negative heights give the character (em) height; positive ones the cell
    // height, which is turned into an em height through the face's proportions.
    double pixels = face.Height < 0 ? -face.Height : face.Height;
    if (face.Height == 0)
        pixels = 11;
    if (face.Height > 0) {
        PangoFontDescription* probe = makeDescription(face, 100);
        int ascent = 0, cell = 0;
        measureLine(probe, ascent, cell);
        pango_font_description_free(probe);
        if (cell > 0)
            pixels = std::max(1.0, std::round(face.Height * 100.0 / cell));
    }
    auto entry = std::make_unique<TFontEntry>(maxCachedWidths, maxCachedLines);
    entry->desc = makeDescription(face, pixels);
    measureLine(entry->desc, entry->ascent, entry->height);
    if (face.Style & (4 | 8)) {
        entry->attrs = pango_attr_list_new();
        if (face.Style & 4)
            pango_attr_list_insert(entry->attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (face.Style & 8)
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

// The plain text (no prefix underline) last put into a DC's layout: measuring a
// new text and then rendering it lays it out once, not twice.
struct TLaidOut {
    PangoLayout* layout = nullptr;
    TFontEntry* font = nullptr;
    std::string text;
} laidOut;

PangoLayout* layoutFor(HDC dc, TFontEntry* font)
{
    if (!dc->layout) {
        dc->layout = pango_layout_new(sharedContext());
        laidOut.layout = nullptr;  // a new layout may reuse a freed one's address
    }
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

PangoLayout* layoutLine(HDC dc, TFontEntry* font, const std::string& ansi, int underlined, int ellipsisWidth);

int lineWidth(HDC dc, TFontEntry* font, const std::string& ansi)
{
    if (const int* width = font->widths.find(ansi))
        return *width;
    PangoLayout* layout = layoutLine(dc, font, ansi, -1, -1);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    font->widths.insert(ansi, logical.width);
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

// Line breaks take no room, as TextOut leaves them out; a cluster of several
// characters (a ligature) is shared out evenly among them.
bool GetTextExtentExPoint(HDC dc, const char* text, int count, int maxExtent, int* fit, int* dx, SIZE* size)
{
    if (!dc)
        return false;
    count = textLength(text, count);
    TFontEntry* font = currentFont(dc);
    std::string shown;
    shown.reserve(static_cast<size_t>(count));
    std::vector<int> shownIndex(static_cast<size_t>(count));  // character -> index in shown, -1 for a break
    for (int i = 0; i < count; ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            shownIndex[static_cast<size_t>(i)] = -1;
            continue;
        }
        shownIndex[static_cast<size_t>(i)] = static_cast<int>(shown.size());
        shown.push_back(c);
    }
    std::vector<int> right(shown.size(), 0);  // right edge of each shown character, Pango units
    if (!shown.empty()) {
        // UTF-8 byte offset of each shown character: one byte below 0x80, two above.
        std::vector<int> byteToChar;
        byteToChar.reserve(shown.size() * 2 + 1);
        for (size_t i = 0; i < shown.size(); ++i) {
            byteToChar.push_back(static_cast<int>(i));
            if (static_cast<unsigned char>(shown[i]) >= 0x80)
                byteToChar.push_back(static_cast<int>(i));
        }
        const int byteCount = static_cast<int>(byteToChar.size());
        byteToChar.push_back(static_cast<int>(shown.size()));
        PangoLayout* layout = layoutLine(dc, font, shown, -1, -1);
        struct Cluster {
            int first;  // character index
            int x;
            int width;
        };
        std::vector<Cluster> clusters;
        PangoLayoutIter* iter = pango_layout_get_iter(layout);
        do {
            int index = pango_layout_iter_get_index(iter);
            if (index >= byteCount)
                continue;
            PangoRectangle logical;
            pango_layout_iter_get_cluster_extents(iter, nullptr, &logical);
            clusters.push_back({byteToChar[static_cast<size_t>(index)], logical.x, logical.width});
        } while (pango_layout_iter_next_cluster(iter));
        pango_layout_iter_free(iter);
        std::sort(clusters.begin(), clusters.end(), [](const Cluster& a, const Cluster& b) { return a.first < b.first; });
        for (size_t k = 0; k < clusters.size(); ++k) {
            int first = clusters[k].first;
            int end = k + 1 < clusters.size() ? clusters[k + 1].first : static_cast<int>(shown.size());
            int n = std::max(1, end - first);
            for (int j = first; j < end; ++j)
                right[static_cast<size_t>(j)] = clusters[k].x + clusters[k].width * (j - first + 1) / n;
        }
        // Characters no cluster reached end where the one before them does.
        for (size_t i = 1; i < right.size(); ++i)
            right[i] = std::max(right[i], right[i - 1]);
    }
    int fitted = 0;
    int edge = 0;
    for (int i = 0; i < count; ++i) {
        int k = shownIndex[static_cast<size_t>(i)];
        if (k >= 0)
            edge = PANGO_PIXELS(right[static_cast<size_t>(k)]);
        if (dx)
            dx[i] = edge;
        if (maxExtent < 0 || edge <= maxExtent)
            fitted = i + 1;
    }
    if (fit)
        *fit = fitted;
    if (size) {
        size->cx = shown.empty() ? 0 : lineWidth(dc, font, shown);
        size->cy = font->height;
    }
    return true;
}

namespace {

// Puts one line of 8-bit text into the DC's layout, with the prefix underline and
// an ellipsis width (< 0: none); returns the layout.
PangoLayout* layoutLine(HDC dc, TFontEntry* font, const std::string& ansi, int underlined, int ellipsisWidth)
{
    PangoLayout* layout = layoutFor(dc, font);
    if (laidOut.layout != layout || laidOut.font != dc->layoutFont || laidOut.text != ansi) {
        std::string utf8 = AnsiToUtf8(ansi);
        pango_layout_set_text(layout, utf8.data(), static_cast<int>(utf8.size()));
        laidOut = {layout, dc->layoutFont, ansi};
    }
    if (underlined >= 0) {
        PangoAttrList* attrs = font->attrs ? pango_attr_list_copy(font->attrs) : pango_attr_list_new();
        PangoAttribute* underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        // UTF-8 byte offsets: a character of the code page takes one to three bytes (€ three).
        const auto prefixEnd = static_cast<size_t>(underlined);
        underline->start_index = static_cast<unsigned>(AnsiToUtf8(ansi.substr(0, prefixEnd)).size());
        underline->end_index = static_cast<unsigned>(AnsiToUtf8(ansi.substr(0, prefixEnd + 1)).size());
        pango_attr_list_insert(attrs, underline);
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
        dc->layoutFont = nullptr;  // the next text sets the font's own attributes again
        laidOut.layout = nullptr;
    }
    if (ellipsisWidth >= 0) {
        pango_layout_set_width(layout, ellipsisWidth * PANGO_SCALE);
        pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    }
    return layout;
}

std::string lineKey(const std::string& ansi, int underlined, int ellipsisWidth)
{
    std::string key = ansi;
    key += '\0';
    key += std::to_string(ellipsisWidth);
    key += '\0';
    key += std::to_string(underlined);
    return key;
}

// Gives image a coverage mask of the given size, drawn by draw on a Cairo
// context over it. A new surface is known to be clear, which lets Cairo take
// its quickest way of putting glyphs on it.
template <typename Draw>
void renderMask(TLineImage& image, int width, int height, Draw draw)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    image.surface.reset(surface);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);  // crisp underlines, as on the DC; glyphs keep their own
    draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    image.mask.reset(pixman_image_create_bits(PIXMAN_a8, width, height,
                                              reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface)),
                                              cairo_image_surface_get_stride(surface)));
}

const TLineImage& renderLine(HDC dc, TFontEntry* font, const std::string& ansi, int underlined, int ellipsisWidth,
                             std::string key);

// The rendered image of a single line, from the font's cache when painted before.
const TLineImage& lineImage(HDC dc, TFontEntry* font, const std::string& ansi, int underlined, int ellipsisWidth)
{
    std::string key = lineKey(ansi, underlined, ellipsisWidth);
    if (const TLineImage* cached = font->lines.find(key))
        return *cached;
    return renderLine(dc, font, ansi, underlined, ellipsisWidth, std::move(key));
}

// Lays the line out (once: a text just measured is still in the layout),
// renders it and keeps it in the font's cache under key.
const TLineImage& renderLine(HDC dc, TFontEntry* font, const std::string& ansi, int underlined, int ellipsisWidth,
                             std::string key)
{
    PangoLayout* layout = layoutLine(dc, font, ansi, underlined, ellipsisWidth);
    PangoLayoutLine* line = pango_layout_get_line_readonly(layout, 0);
    PangoRectangle ink, logical;
    pango_layout_line_get_pixel_extents(line, &ink, &logical);
    TLineImage image;
    image.width = logical.width;
    if (underlined < 0 && ellipsisWidth < 0) {
        PangoRectangle measured;
        pango_layout_get_pixel_extents(layout, nullptr, &measured);
        image.natural = measured.width;
    }
    // The mask covers the ink, which may reach past the advance and above the
    // ascent (accents on capitals), with a pixel around it for the antialiasing;
    // the smaller the mask, the less every later paint of it composites.
    if (ink.width > 0 && ink.height > 0) {
        image.left = ink.x - 1;
        image.top = font->ascent + ink.y - 1;
        renderMask(image, ink.width + 2, ink.height + 2, [&](cairo_t* cr) {
            cairo_move_to(cr, -image.left, font->ascent - image.top);
            pango_cairo_show_layout_line(cr, line);
        });
    }
    return font->lines.insert(std::move(key), std::move(image));
}

// A plain line shaped without a layout: the items Pango's itemizer finds and
// their glyphs. A layout also finds line breaks and builds lines, which a
// single line of plain text does not need; the glyphs, their places and so
// the pixels are the same.
struct TShapedLine {
    struct Run {
        PangoFont* font;
        PangoGlyphString* glyphs;
    };
    std::vector<Run> runs;
    int natural = 0;           // logical width, pixels (as the layout measures it)
    PangoRectangle ink{};      // pixels, from the line's start and baseline

    TShapedLine() = default;
    TShapedLine(const TShapedLine&) = delete;
    TShapedLine& operator=(const TShapedLine&) = delete;
    ~TShapedLine()
    {
        for (Run& run : runs) {
            g_object_unref(run.font);
            pango_glyph_string_free(run.glyphs);
        }
    }
};

// Tabs, control characters, the soft hyphen and the code page's unassigned
// bytes are left to the layout, which treats some of them specially.
bool plainShapable(TFontEntry* font, const std::string& ansi)
{
    if (font->attrs)
        return false;
    for (char ch : ansi) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || c == 0xAD || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D)
            return false;
    }
    return true;
}

// What the itemizer makes of a plain line of a font: one item, whose analysis
// depends only on whether a Latin letter is in the line (else the line is all
// digits, spaces and punctuation, of the common script). Found once per font by
// itemizing a sample of each kind; lines with a character the font lacks or
// of another script still go through the itemizer.
struct TPlainItems {
    bool usable = false;
    PangoItem* latin = nullptr;
    PangoItem* common = nullptr;
    signed char kind[256];  // 1 a Latin letter, 0 a common character, -1 neither or missing
};

TPlainItems& plainItemsFor(PangoContext* context, PangoAttrList* noAttributes, TFontEntry* font)
{
    static std::unordered_map<const TFontEntry*, TPlainItems> all;
    auto [it, added] = all.try_emplace(font);
    TPlainItems& plain = it->second;
    if (!added)
        return plain;
    std::fill(std::begin(plain.kind), std::end(plain.kind), static_cast<signed char>(-1));
    auto onlyItem = [&](const char* text) -> PangoItem* {
        GList* items = pango_itemize(context, text, 0, static_cast<int>(std::strlen(text)), noAttributes, nullptr);
        PangoItem* item = items && !items->next ? static_cast<PangoItem*>(items->data) : nullptr;
        if (!item)
            g_list_free_full(items, reinterpret_cast<GDestroyNotify>(pango_item_free));
        else
            g_list_free(items);
        return item;
    };
    plain.latin = onlyItem("a");
    plain.common = onlyItem("1");
    if (!plain.latin || !plain.common || plain.latin->analysis.font != plain.common->analysis.font ||
        plain.latin->analysis.script != PANGO_SCRIPT_LATIN || plain.common->analysis.script != PANGO_SCRIPT_COMMON ||
        plain.latin->analysis.level != 0 || plain.common->analysis.level != 0 || plain.latin->analysis.extra_attrs ||
        plain.common->analysis.extra_attrs)
        return plain;
    for (int c = 0x20; c < 0x100; ++c) {
        std::string utf8 = AnsiToUtf8(std::string(1, static_cast<char>(c)));
        gunichar wc = g_utf8_get_char(utf8.c_str());
        if (!pango_font_has_char(plain.latin->analysis.font, wc))
            continue;
        GUnicodeScript script = g_unichar_get_script(wc);
        if (script == G_UNICODE_SCRIPT_LATIN)
            plain.kind[c] = 1;
        else if (script == G_UNICODE_SCRIPT_COMMON)
            plain.kind[c] = 0;
    }
    plain.usable = true;
    return plain;
}

bool shapePlain(TFontEntry* font, const std::string& ansi, TShapedLine& line)
{
    static PangoContext* context = [] {
        PangoContext* c = pango_font_map_create_context(pango_cairo_font_map_get_default());
        pango_cairo_context_set_font_options(c, pango_cairo_context_get_font_options(sharedContext()));
        pango_cairo_context_set_resolution(c, pango_cairo_context_get_resolution(sharedContext()));
        pango_context_set_language(c, pango_context_get_language(sharedContext()));
        return c;
    }();
    static PangoAttrList* noAttributes = pango_attr_list_new();
    static const PangoFontDescription* contextFont = nullptr;
    if (contextFont != font->desc) {
        pango_context_set_font_description(context, font->desc);
        contextFont = font->desc;
    }
    const std::string utf8 = AnsiToUtf8(ansi);
    const int length = static_cast<int>(utf8.size());
    const PangoShapeFlags flags =
        pango_context_get_round_glyph_positions(context) ? PANGO_SHAPE_ROUND_POSITIONS : PANGO_SHAPE_NONE;
    // One item with a known analysis where the itemizer would find just that.
    GList* items = nullptr;
    TPlainItems& plain = plainItemsFor(context, noAttributes, font);
    bool known = plain.usable;
    bool latin = false;
    for (size_t i = 0; known && i < ansi.size(); ++i) {
        signed char kind = plain.kind[static_cast<unsigned char>(ansi[i])];
        known = kind >= 0;
        latin = latin || kind == 1;
    }
    if (known) {
        PangoItem* item = pango_item_copy(latin ? plain.latin : plain.common);
        item->offset = 0;
        item->length = length;
        item->num_chars = static_cast<int>(g_utf8_strlen(utf8.data(), length));
        items = g_list_append(nullptr, item);
    } else {
        items = pango_itemize(context, utf8.data(), 0, length, noAttributes, nullptr);
    }
    int x = 0;
    PangoRectangle ink{};
    bool rightToLeft = false;
    for (GList* l = items; l; l = l->next) {
        auto* item = static_cast<PangoItem*>(l->data);
        rightToLeft = rightToLeft || (item->analysis.level % 2) != 0;
        PangoGlyphString* glyphs = pango_glyph_string_new();
        pango_shape_with_flags(utf8.data() + item->offset, item->length, utf8.data(), length, &item->analysis, glyphs,
                               flags);
        line.runs.push_back({PANGO_FONT(g_object_ref(item->analysis.font)), glyphs});
        PangoRectangle runInk, runLogical;
        pango_glyph_string_extents(glyphs, item->analysis.font, &runInk, &runLogical);
        if (runInk.width > 0 && runInk.height > 0) {
            runInk.x += x;
            if (ink.width == 0 || ink.height == 0) {
                ink = runInk;
            } else {
                int left = std::min(ink.x, runInk.x), top = std::min(ink.y, runInk.y);
                int right = std::max(ink.x + ink.width, runInk.x + runInk.width);
                int bottom = std::max(ink.y + ink.height, runInk.y + runInk.height);
                ink = {left, top, right - left, bottom - top};
            }
        }
        x += runLogical.width;
        pango_item_free(item);
    }
    g_list_free(items);
    if (rightToLeft)
        return false;  // the layout orders such runs; these texts never have them
    PangoRectangle logical{0, 0, x, 0};
    pango_extents_to_pixels(&ink, nullptr);
    pango_extents_to_pixels(nullptr, &logical);
    line.ink = ink;
    line.natural = logical.width;
    return true;
}

// Renders a shaped plain line and keeps it in the font's cache under key.
const TLineImage& renderShaped(TFontEntry* font, const TShapedLine& line, std::string key)
{
    TLineImage image;
    image.width = line.natural;
    image.natural = line.natural;
    if (line.ink.width > 0 && line.ink.height > 0) {
        image.left = line.ink.x - 1;
        image.top = font->ascent + line.ink.y - 1;
        renderMask(image, line.ink.width + 2, line.ink.height + 2, [&](cairo_t* cr) {
            double x = -image.left;
            for (const TShapedLine::Run& run : line.runs) {
                cairo_move_to(cr, x, font->ascent - image.top);
                pango_cairo_show_glyph_string(cr, run.font, run.glyphs);
                x += pango_glyph_string_get_width(run.glyphs) / double(PANGO_SCALE);
            }
        });
    }
    return font->lines.insert(std::move(key), std::move(image));
}

// Paints a line image with its cell's top-left corner at (x, y): the cell in
// the background colour when opaque, then the glyphs in the text colour;
// within, when given, clips it.
void paintLine(HDC dc, const TLineImage& image, int x, int y, int lineHeight, const TRect* within)
{
    const bool opaque = dc->bkMode == OPAQUE && image.width > 0;
    if (varn::detail::drawsDirectly(dc)) {
        if (opaque)
            varn::detail::fillDirect(dc, {x, y, x + image.width, y + lineHeight}, dc->bkColor, within);
        if (image.mask)
            varn::detail::maskDirect(dc, image.mask.get(), x + image.left, y + image.top, dc->textColor, within);
        return;
    }
    cairo_t* cr = dc->cr;
    cairo_save(cr);
    if (within) {
        cairo_rectangle(cr, within->left, within->top, std::max(0, within->Width()), std::max(0, within->Height()));
        cairo_clip(cr);
    }
    if (opaque) {
        setSource(cr, dc->bkColor);
        cairo_rectangle(cr, x, y, image.width, lineHeight);
        cairo_fill(cr);
    }
    if (image.surface) {
        setSource(cr, dc->textColor);
        cairo_mask_surface(cr, image.surface.get(), x + image.left, y + image.top);
    }
    cairo_restore(cr);
}

// Draws one line straight from the layout with its cell's top-left corner at
// (x, y), turned around that point by the font's escapement.
void paintRotatedLine(HDC dc, TFontEntry* font, const std::string& ansi, int x, int y)
{
    int width = lineWidth(dc, font, ansi);
    PangoLayout* layout = layoutLine(dc, font, ansi, -1, -1);
    cairo_t* cr = dc->cr;
    cairo_save(cr);
    cairo_translate(cr, x, y);
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
}

bool rotated(HDC dc) { return dc->font.Orientation % 3600 != 0; }

}  // namespace

bool TextOut(HDC dc, int x, int y, const char* text, int count)
{
    if (!dc)
        return false;
    count = textLength(text, count);
    TFontEntry* font = currentFont(dc);
    std::string ansi = withoutLineBreaks(text ? text : "", count);
    if (ansi.empty())
        return true;
    // A printer's page (a PDF) gets the glyphs themselves, so that its text stays text.
    const bool vector = cairo_surface_get_type(dc->surface) != CAIRO_SURFACE_TYPE_IMAGE;
    if (!rotated(dc) && !vector) {
        std::string key = lineKey(ansi, -1, -1);
        const TLineImage* plain = font->lines.find(key);
        if (plain || lineWidth(dc, font, ansi) <= maxCachedLineWidth) {
            paintLine(dc, plain ? *plain : renderLine(dc, font, ansi, -1, -1, std::move(key)), x, y, font->height, nullptr);
            return true;
        }
    }
    paintRotatedLine(dc, font, ansi, x, y);  // very long lines are not cached either
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
    std::string ansi;
    ansi.reserve(static_cast<size_t>(count));
    int underlined = -1;
    bool lineBreaks = false;
    for (int i = 0; i < count; ++i) {
        char c = text[i];
        if (c == '&' && !(format & DT_NOPREFIX) && i + 1 < count) {
            c = text[++i];
            if (c != '&' && underlined < 0)
                underlined = static_cast<int>(ansi.size());
        }
        if (c == '\r' || c == '\n') {
            if (singleLine)
                continue;
            lineBreaks = true;
        }
        ansi.push_back(c);
    }

    const TRect area{rect->left + leftMargin, rect->top, rect->right - rightMargin, rect->bottom};
    if (ansi.empty()) {
        if (format & DT_CALCRECT) {
            rect->right = rect->left;
            rect->bottom = rect->top + (singleLine ? lineHeight : 0);
        }
        return singleLine ? lineHeight : 0;
    }
    if (rotated(dc) && !(format & DT_CALCRECT)) {
        // With a rotated font the text is one line whose cell starts at the
        // rectangle's top-left corner and turns around it, as TextOut draws it;
        // alignment and word breaks do not apply. Measuring gives the unrotated size.
        std::erase_if(ansi, [](char c) { return c == '\r' || c == '\n'; });
        cairo_t* cr = dc->cr;
        cairo_save(cr);
        if (!(format & DT_NOCLIP)) {
            cairo_rectangle(cr, rect->left, rect->top, std::max(0, rect->Width()), std::max(0, rect->Height()));
            cairo_clip(cr);
        }
        paintRotatedLine(dc, font, ansi, area.left, area.top);
        cairo_restore(cr);
        return lineHeight;
    }
    const bool wordBreak = (format & DT_WORDBREAK) && !singleLine;
    const bool oneLine = !lineBreaks && !wordBreak;

    // Vertical centring and bottom alignment apply to a single line only.
    int top = area.top;
    if (singleLine && (format & DT_VCENTER))
        top = area.top + (area.Height() - lineHeight) / 2;
    else if (singleLine && (format & DT_BOTTOM))
        top = area.bottom - lineHeight;
    const int result = singleLine && (format & (DT_VCENTER | DT_BOTTOM)) ? top - rect->top + lineHeight : lineHeight;
    auto lineLeft = [&](int width) {
        if (format & DT_CENTER)
            return area.left + (area.Width() - width) / 2;
        if (format & DT_RIGHT)
            return area.right - width;
        return area.left;
    };
    cairo_t* cr = dc->cr;
    auto clipToRect = [&] {
        cairo_save(cr);
        if (!(format & DT_NOCLIP)) {
            cairo_rectangle(cr, rect->left, rect->top, std::max(0, rect->Width()), std::max(0, rect->Height()));
            cairo_clip(cr);
        }
    };

    if (oneLine) {
        // The common case (every grid cell): measured and rendered through the
        // font's caches. A line painted before plain knows its width: one look-up.
        std::string plainKey = lineKey(ansi, -1, -1);
        const TLineImage* plain = font->lines.find(plainKey);
        if (!plain && underlined < 0 && !(format & DT_CALCRECT) && plainShapable(font, ansi)) {
            // A new plain text: shaped once; kept rendered when it fits as it is.
            TShapedLine shaped;
            if (shapePlain(font, ansi, shaped)) {
                const bool fits = !(format & DT_END_ELLIPSIS) || shaped.natural <= area.Width();
                if (fits && shaped.natural <= maxCachedLineWidth)
                    plain = &renderShaped(font, shaped, plainKey);
                else if (!font->widths.find(ansi))
                    font->widths.insert(ansi, shaped.natural);
            }
        }
        int natural = plain ? plain->natural : lineWidth(dc, font, ansi);
        if (format & DT_CALCRECT) {
            rect->right = rect->left + leftMargin + natural + rightMargin;
            rect->bottom = rect->top + lineHeight;
            return lineHeight;
        }
        int ellipsisWidth = (format & DT_END_ELLIPSIS) && natural > area.Width() ? std::max(0, area.Width()) : -1;
        if (natural <= maxCachedLineWidth) {
            const bool isPlain = underlined < 0 && ellipsisWidth < 0;
            const TLineImage& image = !isPlain ? lineImage(dc, font, ansi, underlined, ellipsisWidth)
                                      : plain  ? *plain
                                               : renderLine(dc, font, ansi, -1, -1, std::move(plainKey));
            paintLine(dc, image, lineLeft(image.width), top, lineHeight, format & DT_NOCLIP ? nullptr : rect);
            return result;
        }
    }

    PangoLayout* layout = layoutLine(dc, font, ansi, underlined, -1);
    if (wordBreak) {
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

    clipToRect();
    for (int i = 0; i < lineCount; ++i) {
        int width = widths[static_cast<size_t>(i)];
        int x = lineLeft(width);
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
    return singleLine ? result : totalHeight;
}

namespace varn::detail {

PangoContext* textContext() { return sharedContext(); }

PangoFontDescription* newFontDescription(const TFontSpec& face, double pixels) { return makeDescription(face, pixels); }

}  // namespace varn::detail
