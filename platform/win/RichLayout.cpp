#include "platform/win/RichLayout.h"

#include "platform/win/Charset.h"
#include "platform/win/GdiPango.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace varn::detail {

namespace {

int twipsToPixels(int twips, int pixelsPerInch)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) * pixelsPerInch / 1440.0));
}

PangoFontDescription* descriptionOf(const RichCharFormat& format, int pixelsPerInch)
{
    TFontSpec face;
    face.Name = format.face;
    face.Style = format.style & 3;
    double pixels = format.halfPoints / 2.0 * pixelsPerInch / 72.0;
    return newFontDescription(face, std::max(1.0, pixels));
}

void insert(PangoAttrList* list, PangoAttribute* attribute, int from, int to)
{
    attribute->start_index = static_cast<guint>(from);
    attribute->end_index = static_cast<guint>(to);
    pango_attr_list_insert(list, attribute);
}

}  // namespace

RichParagraphLayout::RichParagraphLayout(const RichDocument& document, int paragraph, int start, int end, int width,
                                         int pixelsPerInch)
    : pango(pango_layout_new(textContext())), first(start), last(end)
{
    const std::string& text = document.text();
    std::string utf8;
    bytes.reserve(static_cast<size_t>(end - start) + 1);
    for (int i = start; i < end; ++i) {
        bytes.push_back(static_cast<int>(utf8.size()));
        char c = text[static_cast<size_t>(i)];
        if (c == '\v')
            utf8 += "\xE2\x80\xA8";  // a line separator breaks the line, not the paragraph
        else
            utf8 += AnsiToUtf8(std::string(1, c));
    }
    bytes.push_back(static_cast<int>(utf8.size()));
    pango_layout_set_text(pango, utf8.c_str(), static_cast<int>(utf8.size()));

    PangoAttrList* attributes = pango_attr_list_new();
    for (const RichRun& run : document.runs()) {
        int from = std::max(run.start, start), to = std::min(run.start + run.length, end);
        if (from >= to)
            continue;
        int byteFrom = byteOf(from), byteTo = byteOf(to);
        PangoFontDescription* description = descriptionOf(run.format, pixelsPerInch);
        insert(attributes, pango_attr_font_desc_new(description), byteFrom, byteTo);
        pango_font_description_free(description);
        if (run.format.style & 4)
            insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE), byteFrom, byteTo);
        if (run.format.style & 8)
            insert(attributes, pango_attr_strikethrough_new(TRUE), byteFrom, byteTo);
        if (run.format.color != autoColor) {
            auto channel = [&](int shift) { return static_cast<guint16>(((run.format.color >> shift) & 0xFF) * 257); };
            insert(attributes, pango_attr_foreground_new(channel(0), channel(8), channel(16)), byteFrom, byteTo);
        }
    }
    pango_layout_set_attributes(pango, attributes);
    pango_attr_list_unref(attributes);
    // An empty paragraph is as high as its paragraph mark's font.
    PangoFontDescription* markFont = descriptionOf(document.formatAt(end), pixelsPerInch);
    pango_layout_set_font_description(pango, markFont);
    pango_font_description_free(markFont);

    const RichParaFormat& format = document.paragraphFormats()[static_cast<size_t>(paragraph)];
    const int leftIndent = twipsToPixels(format.leftIndent, pixelsPerInch);
    const int firstIndent = twipsToPixels(format.firstIndent, pixelsPerInch);
    const int rightIndent = twipsToPixels(format.rightIndent, pixelsPerInch);
    // Pango indents the first line by a positive indent and the others by a negative one.
    x = std::max(0, leftIndent + std::min(firstIndent, 0));
    pango_layout_set_indent(pango, firstIndent * PANGO_SCALE);
    pango_layout_set_width(pango, std::max(1, width - x - std::max(0, rightIndent)) * PANGO_SCALE);
    pango_layout_set_wrap(pango, PANGO_WRAP_WORD_CHAR);
    switch (format.align) {
    case RichAlign::Left: pango_layout_set_alignment(pango, PANGO_ALIGN_LEFT); break;
    case RichAlign::Center: pango_layout_set_alignment(pango, PANGO_ALIGN_CENTER); break;
    case RichAlign::Right: pango_layout_set_alignment(pango, PANGO_ALIGN_RIGHT); break;
    case RichAlign::Justify:
        pango_layout_set_alignment(pango, PANGO_ALIGN_LEFT);
        pango_layout_set_justify(pango, TRUE);
        break;
    }
    int layoutWidth = 0;
    pango_layout_get_pixel_size(pango, &layoutWidth, &pixelHeight);
}

RichParagraphLayout::~RichParagraphLayout()
{
    if (pango)
        g_object_unref(pango);
}

RichParagraphLayout::RichParagraphLayout(RichParagraphLayout&& other) noexcept
    : pango(std::exchange(other.pango, nullptr)), first(other.first), last(other.last), x(other.x),
      pixelHeight(other.pixelHeight), bytes(std::move(other.bytes))
{
}

RichParagraphLayout& RichParagraphLayout::operator=(RichParagraphLayout&& other) noexcept
{
    if (this != &other) {
        if (pango)
            g_object_unref(pango);
        pango = std::exchange(other.pango, nullptr);
        first = other.first;
        last = other.last;
        x = other.x;
        pixelHeight = other.pixelHeight;
        bytes = std::move(other.bytes);
    }
    return *this;
}

int RichParagraphLayout::byteOf(int position) const
{
    return bytes[static_cast<size_t>(std::clamp(position - first, 0, last - first))];
}

int RichParagraphLayout::positionOf(int byteIndex) const
{
    auto it = std::upper_bound(bytes.begin(), bytes.end(), byteIndex);
    return std::max(first, first + static_cast<int>(it - bytes.begin()) - 1);
}

}  // namespace varn::detail
