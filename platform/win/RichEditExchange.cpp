// The rich-text field's text going in and out: EM_STREAMIN and EM_STREAMOUT, and
// EM_FORMATRANGE, which lays out only the paragraphs of one page at the target's
// resolution and draws them line by line.
#include "platform/win/RichEditField.h"

#include <pango/pangocairo.h>

#include <cmath>

namespace varn::detail {

LRESULT RichEditField::streamIn(WPARAM format, EDITSTREAM* stream)
{
    if (!stream || !stream->pfnCallback)
        return 0;
    std::string data;
    unsigned char buffer[4096];
    for (;;) {
        LONG done = 0;
        stream->dwError = stream->pfnCallback(stream->dwCookie, buffer, sizeof buffer, &done);
        if (stream->dwError != 0 || done <= 0)
            break;
        data.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(std::min<LONG>(done, sizeof buffer)));
    }
    const bool selection = format & SFF_SELECTION;
    const RichCharFormat& base = document.baseFormat();
    RichDocument part = (format & SF_RTF) ? readRtf(data, base) : readPlainText(data, base);
    insertDocument(part, selection ? selectionStart() : 0, selection ? selectionEnd() : length());
    return part.length();
}

LRESULT RichEditField::streamOut(WPARAM format, EDITSTREAM* stream)
{
    if (!stream || !stream->pfnCallback)
        return 0;
    const bool selection = format & SFF_SELECTION;
    int from = selection ? selectionStart() : 0, to = selection ? selectionEnd() : length();
    std::string data = (format & SF_RTF) ? writeRtf(document.slice(from, to)) : plainText(document, from, to);
    size_t sent = 0;
    while (sent < data.size()) {
        LONG chunk = static_cast<LONG>(std::min<size_t>(data.size() - sent, 4096));
        LONG done = 0;
        std::string piece = data.substr(sent, static_cast<size_t>(chunk));
        auto* bytes = reinterpret_cast<unsigned char*>(piece.data());
        stream->dwError = stream->pfnCallback(stream->dwCookie, bytes, chunk, &done);
        if (stream->dwError != 0 || done <= 0)
            break;
        sent += static_cast<size_t>(std::min(done, chunk));
    }
    return to - from;
}

LRESULT RichEditField::formatRange(bool render, const FORMATRANGE* range)
{
    if (!range)
        return 0;  // nothing is cached between calls
    HDC dc = range->hdc;
    HDC measure = range->hdcTarget ? range->hdcTarget : dc;
    if (!dc || !measure)
        return 0;
    const int dpiX = std::max(1, GetDeviceCaps(measure, LOGPIXELSX));
    const int dpiY = std::max(1, GetDeviceCaps(measure, LOGPIXELSY));
    auto toX = [&](int twips) { return static_cast<int>(std::lround(static_cast<double>(twips) * dpiX / 1440.0)); };
    auto toY = [&](int twips) { return static_cast<int>(std::lround(static_cast<double>(twips) * dpiY / 1440.0)); };
    const TRect rect{toX(range->rc.left), toY(range->rc.top), toX(range->rc.right), toY(range->rc.bottom)};
    const int from = std::clamp<int>(range->chrg.cpMin, 0, length());
    const int to = range->chrg.cpMax < 0 ? length() : std::clamp<int>(range->chrg.cpMax, from, length());
    if (from >= to)
        return to;

    cairo_t* cr = dc->cr;
    cairo_save(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
    int y = rect.top;
    bool placed = false;
    int paragraph = document.paragraphOf(from);
    int start = document.paragraphStart(paragraph);
    LRESULT next = to;
    while (start < to && next == to) {
        size_t found = document.text().find('\r', static_cast<size_t>(start));
        int end = found == std::string::npos ? length() : static_cast<int>(found);
        RichParagraphLayout layout(document, paragraph, start, end, std::max(1, rect.Width()), dpiX);
        PangoLayoutIter* iter = pango_layout_get_iter(layout.layout());
        do {
            PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
            int lineStart = layout.positionOf(line->start_index);
            int lineEnd = layout.positionOf(line->start_index + line->length);
            if (lineStart >= to) {
                next = to;
                break;
            }
            if (lineEnd <= from && lineEnd < end)
                continue;  // before the range
            PangoRectangle logical;
            pango_layout_iter_get_line_extents(iter, nullptr, &logical);
            int lineTop = logical.y / PANGO_SCALE;
            int lineHeight = std::max(1, (logical.y + logical.height) / PANGO_SCALE - lineTop);
            if (placed && y + lineHeight > rect.bottom) {
                next = std::max(lineStart, from);
                break;
            }
            if (render) {
                setSourceColour(cr, 0);
                int baseline = pango_layout_iter_get_baseline(iter) / PANGO_SCALE;
                cairo_move_to(cr, rect.left + layout.left() + logical.x / PANGO_SCALE, y + baseline - lineTop);
                pango_cairo_show_layout_line(cr, line);
            }
            y += lineHeight;
            placed = true;
        } while (pango_layout_iter_next_line(iter));
        pango_layout_iter_free(iter);
        ++paragraph;
        start = end + 1;
    }
    cairo_restore(cr);
    return next;
}

}  // namespace varn::detail
