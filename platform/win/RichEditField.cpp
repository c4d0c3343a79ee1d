// The window class "RichEdit20A": a multi-line field of formatted text.
//
// The field keeps a RichDocument and one Pango layout per paragraph at the screen's
// resolution, stacked from the top of the text; the view scrolls by pixels. Every
// edit goes through replace(), which keeps one undo step, lays the text out again,
// moves the caret into view and owes the parent EN_CHANGE (sent once the message
// is handled, as the plain edit field does). Typed text takes the format of the
// character before the caret. EM_FORMATRANGE lays out only the paragraphs of one
// page at the target's resolution and draws them line by line.
#include "platform/win/RichEdit.h"

#include "platform/win/Backend.h"
#include "platform/win/RichLayout.h"
#include "platform/win/RichText.h"
#include "platform/win/WindowManager.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>

namespace varn::detail {

namespace {

const char* const fieldProperty = "VarnRichEditField";
constexpr int screenPixelsPerInch = 96;
constexpr int margin = 1;  // pixels between the client edge and the text

bool keyDown(int key) { return GetKeyState(key) < 0; }

bool isWordCharacter(char c)
{
    auto u = static_cast<unsigned char>(c);
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' ||
           (u >= 0xC0 && u != 0xD7 && u != 0xF7);
}

void setSource(cairo_t* cr, COLORREF color)
{
    cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
}

// The format a window font gives text: its face, its size in half points at the
// screen's resolution, its styles.
RichCharFormat formatOfFont(const TFontSpec& font)
{
    RichCharFormat format;
    format.face = font.Name;
    int pixels = std::abs(font.Height);
    format.halfPoints = std::max(2, static_cast<int>(std::lround(pixels * 144.0 / screenPixelsPerInch)));
    format.style = font.Style & 15;
    return format;
}

class RichEditField {
public:
    RichEditField(HWND window, const CREATESTRUCT& create) : window(window), document(formatOfFont(TFontSpec{}))
    {
        if (create.lpszName && *create.lpszName)
            setContent(create.lpszName, false);
        relayout();
    }

    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    int depth = 0;
    bool destroyed = false;

private:
    int length() const { return document.length(); }
    bool readOnly() const { return GetWindowLongPtr(window, GWL_STYLE) & ES_READONLY; }
    bool hasSelection() const { return anchor != caret; }
    int selectionStart() const { return std::min(anchor, caret); }
    int selectionEnd() const { return std::max(anchor, caret); }
    TRect textArea() const
    {
        TRect client;
        GetClientRect(window, &client);
        return {client.left + margin, client.top + margin, std::max(client.left + margin, client.right - margin),
                std::max(client.top + margin, client.bottom - margin)};
    }

    // ---- Content and layout ----
    void setContent(const std::string& text, bool selectionOnly)
    {
        RichDocument incoming = isRtf(text) ? readRtf(text, document.baseFormat()) : readPlainText(text, document.baseFormat());
        insertDocument(incoming, selectionOnly ? selectionStart() : 0, selectionOnly ? selectionEnd() : length());
    }

    // Puts a document in place of [from, to) with its own formats.
    void insertDocument(const RichDocument& part, int from, int to)
    {
        saveUndo();
        const int paragraph = document.paragraphOf(from);
        const bool whole = from == 0 && to == length();
        if (whole) {
            RichCharFormat base = document.baseFormat();
            document = part;
            document.setBaseFormat(base);
            typingFormat.reset();
            anchor = caret = 0;
            yOffset = 0;
            changed();
            return;
        }
        document.replace(from, to, "", document.formatAt(from));
        int position = from;
        for (const RichRun& run : part.runs()) {
            document.replace(position, position, part.text().substr(static_cast<size_t>(run.start), static_cast<size_t>(run.length)),
                             run.format);
            position += run.length;
        }
        for (int i = 0; i < part.paragraphCount(); ++i)
            if (whole || i > 0)
                document.setParagraphFormat(paragraph + i, part.paragraphFormats()[static_cast<size_t>(i)]);
        typingFormat.reset();
        anchor = caret = whole ? 0 : position;
        changed();
    }

    // After text[from, from + inserted) took the place of `removed` characters:
    // lays out again only the paragraphs the change touched; those after it move.
    void relayoutChange(int firstParagraph, int oldCount, int newCount, int delta)
    {
        const int width = textArea().Width();
        for (size_t i = static_cast<size_t>(firstParagraph + oldCount); i < paragraphs.size(); ++i)
            paragraphs[i].shift(delta);
        paragraphs.erase(paragraphs.begin() + firstParagraph, paragraphs.begin() + firstParagraph + oldCount);
        int start = firstParagraph == 0 ? 0 : paragraphs[static_cast<size_t>(firstParagraph) - 1].end() + 1;
        std::vector<RichParagraphLayout> fresh;
        fresh.reserve(static_cast<size_t>(newCount));
        for (int i = 0; i < newCount; ++i) {
            size_t end = document.text().find('\r', static_cast<size_t>(start));
            int stop = end == std::string::npos ? length() : static_cast<int>(end);
            fresh.emplace_back(document, firstParagraph + i, start, stop, width, screenPixelsPerInch);
            start = stop + 1;
        }
        paragraphs.insert(paragraphs.begin() + firstParagraph, std::make_move_iterator(fresh.begin()),
                          std::make_move_iterator(fresh.end()));
        restack();
    }

    void restack()
    {
        tops.resize(paragraphs.size());
        int top = 0;
        for (size_t p = 0; p < paragraphs.size(); ++p) {
            tops[p] = top;
            top += paragraphs[p].height();
        }
        totalHeight = top;
        yOffset = std::clamp(yOffset, 0, maxOffset());
    }

    void relayout()
    {
        paragraphs.clear();
        tops.clear();
        const int width = textArea().Width();
        int top = 0;
        int start = 0;
        for (int p = 0; p < document.paragraphCount(); ++p) {
            size_t end = document.text().find('\r', static_cast<size_t>(start));
            int stop = end == std::string::npos ? length() : static_cast<int>(end);
            paragraphs.emplace_back(document, p, start, stop, width, screenPixelsPerInch);
            tops.push_back(top);
            top += paragraphs.back().height();
            start = stop + 1;
        }
        totalHeight = top;
        yOffset = std::clamp(yOffset, 0, maxOffset());
    }

    int maxOffset() const { return std::max(0, totalHeight - textArea().Height()); }

    int paragraphAtY(int y) const
    {
        auto it = std::upper_bound(tops.begin(), tops.end(), y);
        return std::clamp(static_cast<int>(it - tops.begin()) - 1, 0, static_cast<int>(paragraphs.size()) - 1);
    }

    int paragraphOfPosition(int position) const
    {
        for (size_t p = 0; p < paragraphs.size(); ++p)
            if (position <= paragraphs[p].end())
                return static_cast<int>(p);
        return static_cast<int>(paragraphs.size()) - 1;
    }

    // Caret rectangle in client coordinates.
    TRect caretRect(int position) const
    {
        const int p = paragraphOfPosition(position);
        const RichParagraphLayout& layout = paragraphs[static_cast<size_t>(p)];
        PangoRectangle strong;
        pango_layout_get_cursor_pos(layout.layout(), layout.byteOf(position), &strong, nullptr);
        TRect area = textArea();
        int x = area.left + layout.left() + strong.x / PANGO_SCALE;
        int y = area.top + tops[static_cast<size_t>(p)] - yOffset + strong.y / PANGO_SCALE;
        return {x, y, x + 1, y + std::max(1, strong.height / PANGO_SCALE)};
    }

    int positionAt(TPoint point) const
    {
        TRect area = textArea();
        int y = point.y - area.top + yOffset;
        const int p = paragraphAtY(y);
        const RichParagraphLayout& layout = paragraphs[static_cast<size_t>(p)];
        int index = 0, trailing = 0;
        pango_layout_xy_to_index(layout.layout(), (point.x - area.left - layout.left()) * PANGO_SCALE,
                                 std::max(0, y - tops[static_cast<size_t>(p)]) * PANGO_SCALE, &index, &trailing);
        return std::min(layout.positionOf(index) + trailing, layout.end());
    }

    // ---- Editing ----
    void saveUndo()
    {
        undoDocument = document;
        undoSelection = {anchor, caret};
        canUndo = true;
    }

    const RichCharFormat& formatForTyping() const
    {
        if (typingFormat)
            return *typingFormat;
        int from = selectionStart();
        return document.formatAt(from > 0 ? from - 1 : 0);
    }

    void replace(int from, int to, const std::string& insert)
    {
        from = std::clamp(from, 0, length());
        to = std::clamp(to, from, length());
        RichCharFormat format = formatForTyping();
        saveUndo();
        const int paragraph = document.paragraphOf(from);
        const auto joined = std::count(document.text().begin() + from, document.text().begin() + to, '\r');
        const auto split = std::count(insert.begin(), insert.end(), '\r');
        document.replace(from, to, insert, format);
        typingFormat.reset();
        anchor = caret = from + static_cast<int>(insert.size());
        modified = true;
        relayoutChange(paragraph, static_cast<int>(joined) + 1, static_cast<int>(split) + 1,
                       static_cast<int>(insert.size()) - (to - from));
        changed(Layout::Done);
    }

    enum class Layout { Due, Done };
    void changed(Layout layout = Layout::Due)
    {
        if (layout == Layout::Due)
            relayout();
        scrollCaretIntoView();
        InvalidateRect(window, nullptr, FALSE);
        updateCaret();
        updateScrollBar();
        pendingChange = true;
    }

    bool undo()
    {
        if (!canUndo)
            return false;
        std::swap(document, undoDocument);
        std::swap(anchor, undoSelection.first);
        std::swap(caret, undoSelection.second);
        anchor = std::clamp(anchor, 0, length());
        caret = std::clamp(caret, 0, length());
        changed();
        return true;
    }

    void copy()
    {
        if (hasSelection())
            backend().setClipboardText(plainText(document, selectionStart(), selectionEnd()));
    }

    void paste()
    {
        if (readOnly())
            return;
        std::string text = backend().clipboardText();
        if (auto nul = text.find('\0'); nul != std::string::npos)
            text.resize(nul);
        RichDocument part = readPlainText(text, formatForTyping());
        replace(selectionStart(), selectionEnd(), part.text());
    }

    void setSelection(int newAnchor, int newCaret)
    {
        newAnchor = std::clamp(newAnchor, 0, length());
        newCaret = std::clamp(newCaret, 0, length());
        if (newAnchor == anchor && newCaret == caret)
            return;
        if (hasSelection() || newAnchor != newCaret)
            InvalidateRect(window, nullptr, FALSE);
        anchor = newAnchor;
        caret = newCaret;
        typingFormat.reset();
    }

    void moveCaret(int position, bool extend)
    {
        setSelection(extend ? anchor : position, position);
        if (!scrollCaretIntoView())
            updateCaret();
    }

    // Words as the edit field moves over them: a run of letters or of other
    // marks and the blanks after it; a paragraph end is a step of its own.
    enum class CharClass { Blank, Break, Word, Other };
    CharClass classAt(int position) const
    {
        char c = document.text()[static_cast<size_t>(position)];
        if (c == ' ' || c == '\t')
            return CharClass::Blank;
        if (c == '\r' || c == '\v')
            return CharClass::Break;
        return isWordCharacter(c) ? CharClass::Word : CharClass::Other;
    }

    int wordLeft(int position) const
    {
        while (position > 0 && classAt(position - 1) == CharClass::Blank)
            --position;
        if (position == 0)
            return 0;
        const CharClass kind = classAt(position - 1);
        if (kind == CharClass::Break)
            return position - 1;
        while (position > 0 && classAt(position - 1) == kind)
            --position;
        return position;
    }

    int wordRight(int position) const
    {
        if (position >= length())
            return length();
        const CharClass kind = classAt(position);
        if (kind == CharClass::Break)
            return position + 1;
        if (kind != CharClass::Blank)
            while (position < length() && classAt(position) == kind)
                ++position;
        while (position < length() && classAt(position) == CharClass::Blank)
            ++position;
        return position;
    }

    // Start and end of the shown line that holds position.
    std::pair<int, int> lineBounds(int position) const
    {
        const RichParagraphLayout& layout = paragraphs[static_cast<size_t>(paragraphOfPosition(position))];
        int line = 0, x = 0;
        pango_layout_index_to_line_x(layout.layout(), layout.byteOf(position), FALSE, &line, &x);
        PangoLayoutLine* shown = pango_layout_get_line_readonly(layout.layout(), line);
        if (!shown)
            return {layout.start(), layout.end()};
        int from = layout.positionOf(shown->start_index);
        int to = layout.positionOf(shown->start_index + shown->length);
        // A wrapped line ends before the blank it wrapped at.
        if (to < layout.end() && to > from && document.text()[static_cast<size_t>(to) - 1] == ' ')
            --to;
        return {from, to};
    }

    void moveVertically(int pixels, bool extend)
    {
        TRect rect = caretRect(caret);
        int x = desiredX >= 0 ? desiredX : rect.left;
        TPoint target{x, pixels < 0 ? rect.top + pixels : rect.bottom - 1 + pixels};
        int position = caret;
        TRect area = textArea();
        if (target.y - area.top + yOffset < 0)
            position = 0;
        else if (target.y - area.top + yOffset >= totalHeight)
            position = length();
        else
            position = positionAt(target);
        moveCaret(position, extend);
        desiredX = x;
    }

    // ---- View ----
    bool scrollCaretIntoView()
    {
        TRect area = textArea();
        TRect rect = caretRect(caret);
        int offset = yOffset;
        if (rect.top < area.top)
            offset -= area.top - rect.top;
        else if (rect.bottom > area.bottom)
            offset += std::min(rect.bottom - area.bottom, rect.top - area.top);
        return scrollTo(offset);
    }

    bool scrollTo(int offset)
    {
        offset = std::clamp(offset, 0, maxOffset());
        if (offset == yOffset)
            return false;
        yOffset = offset;
        InvalidateRect(window, nullptr, FALSE);
        updateCaret();
        updateScrollBar();
        return true;
    }

    int lineStep() const { return std::max(1, static_cast<int>(std::lround(document.baseFormat().halfPoints * screenPixelsPerInch / 144.0 * 1.2))); }

    void updateCaret()
    {
        if (!focused)
            return;
        TRect rect = caretRect(caret);
        CreateCaret(window, nullptr, 1, rect.Height());
        SetCaretPos(rect.left, rect.top);
        ShowCaret(window);
    }

    void updateScrollBar()
    {
        if (!(GetWindowLongPtr(window, GWL_STYLE) & WS_VSCROLL))
            return;
        SCROLLINFO info;
        info.fMask = SIF_ALL;
        info.nMin = 0;
        info.nMax = std::max(0, totalHeight - 1);
        info.nPage = static_cast<UINT>(std::max(0, textArea().Height()));
        info.nPos = yOffset;
        SetScrollInfo(window, SB_VERT, &info, TRUE);
    }

    void paint()
    {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (!dc)
            return;
        TRect client;
        GetClientRect(window, &client);
        const bool enabled = IsWindowEnabled(window);
        FillRect(dc, &client, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
        TRect area = textArea();
        IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
        const bool showSelection = hasSelection() && (focused || (GetWindowLongPtr(window, GWL_STYLE) & ES_NOHIDESEL));
        cairo_t* cr = dc->cr;
        cairo_save(cr);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
        for (int p = paragraphAtY(ps.rcPaint.top - area.top + yOffset); p < static_cast<int>(paragraphs.size()); ++p) {
            int top = area.top + tops[static_cast<size_t>(p)] - yOffset;
            if (top >= ps.rcPaint.bottom)
                break;
            const RichParagraphLayout& layout = paragraphs[static_cast<size_t>(p)];
            PangoAttrList* original = nullptr;
            int from = std::max(selectionStart(), layout.start()), to = std::min(selectionEnd(), layout.end());
            if (showSelection && from < to) {
                original = pango_attr_list_ref(pango_layout_get_attributes(layout.layout()));
                PangoAttrList* marked = pango_attr_list_copy(original);
                auto add = [&](PangoAttribute* attribute) {
                    attribute->start_index = static_cast<guint>(layout.byteOf(from));
                    attribute->end_index = static_cast<guint>(layout.byteOf(to));
                    pango_attr_list_change(marked, attribute);
                };
                COLORREF back = GetSysColor(COLOR_HIGHLIGHT), fore = GetSysColor(COLOR_HIGHLIGHTTEXT);
                add(pango_attr_background_new(GetRValue(back) * 257, GetGValue(back) * 257, GetBValue(back) * 257));
                add(pango_attr_foreground_new(GetRValue(fore) * 257, GetGValue(fore) * 257, GetBValue(fore) * 257));
                pango_layout_set_attributes(layout.layout(), marked);
                pango_attr_list_unref(marked);
            }
            setSource(cr, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
            cairo_move_to(cr, area.left + layout.left(), top);
            pango_cairo_show_layout(cr, layout.layout());
            if (original) {
                pango_layout_set_attributes(layout.layout(), original);
                pango_attr_list_unref(original);
            }
        }
        cairo_restore(cr);
        EndPaint(window, &ps);
    }

    // ---- Input ----
    void onKeyDown(int key)
    {
        const bool shift = keyDown(VK_SHIFT), ctrl = keyDown(VK_CONTROL);
        if (key != VK_UP && key != VK_DOWN && key != VK_PRIOR && key != VK_NEXT)
            desiredX = -1;
        switch (key) {
        case VK_LEFT:
            if (!shift && hasSelection())
                moveCaret(selectionStart(), false);
            else
                moveCaret(ctrl ? wordLeft(caret) : caret - 1, shift);
            break;
        case VK_RIGHT:
            if (!shift && hasSelection())
                moveCaret(selectionEnd(), false);
            else
                moveCaret(ctrl ? wordRight(caret) : caret + 1, shift);
            break;
        case VK_UP: moveVertically(-1, shift); break;
        case VK_DOWN: moveVertically(1, shift); break;
        case VK_PRIOR: scrollTo(yOffset - textArea().Height()); moveVertically(-textArea().Height(), shift); break;
        case VK_NEXT: scrollTo(yOffset + textArea().Height()); moveVertically(textArea().Height(), shift); break;
        case VK_HOME: moveCaret(ctrl ? 0 : lineBounds(caret).first, shift); break;
        case VK_END: moveCaret(ctrl ? length() : lineBounds(caret).second, shift); break;
        case VK_DELETE:
            if (shift) {
                copy();
                if (!readOnly() && hasSelection())
                    replace(selectionStart(), selectionEnd(), "");
            } else if (!readOnly()) {
                if (hasSelection())
                    replace(selectionStart(), selectionEnd(), "");
                else if (caret < length())
                    replace(caret, ctrl ? wordRight(caret) : caret + 1, "");
            }
            break;
        case VK_INSERT:
            if (shift)
                paste();
            else if (ctrl)
                copy();
            break;
        case 'A':
            if (ctrl) {
                setSelection(0, length());
                updateCaret();
            }
            break;
        case 'C':
            if (ctrl)
                copy();
            break;
        case 'X':
            if (ctrl) {
                copy();
                if (!readOnly() && hasSelection())
                    replace(selectionStart(), selectionEnd(), "");
            }
            break;
        case 'V':
            if (ctrl)
                paste();
            break;
        case 'Z':
            if (ctrl && !readOnly())
                undo();
            break;
        default: break;
        }
    }

    void onChar(unsigned char ch)
    {
        if (readOnly())
            return;
        if (ch == '\b') {
            if (hasSelection())
                replace(selectionStart(), selectionEnd(), "");
            else if (caret > 0)
                replace(keyDown(VK_CONTROL) ? wordLeft(caret) : caret - 1, caret, "");
            return;
        }
        if (ch == '\r' || ch == '\t' || ch >= 0x20)
            replace(selectionStart(), selectionEnd(), std::string(1, static_cast<char>(ch)));
    }

    void onMouseDown(TPoint at, WPARAM keys)
    {
        if (GetFocus() != window) {
            SetFocus(window);
            if (destroyed)
                return;
        }
        int position = positionAt(at);
        desiredX = -1;
        setSelection((keys & MK_SHIFT) ? anchor : position, position);
        tracking = true;
        SetCapture(window);
        if (!scrollCaretIntoView())
            updateCaret();
    }

    void onDoubleClick(TPoint at)
    {
        int position = positionAt(at);
        int start = position, end = position;
        const std::string& text = document.text();
        while (start > 0 && isWordCharacter(text[static_cast<size_t>(start) - 1]))
            --start;
        while (end < length() && isWordCharacter(text[static_cast<size_t>(end)]))
            ++end;
        setSelection(start, end);
        updateCaret();
    }

    void onMouseMove(TPoint at)
    {
        if (!tracking)
            return;
        setSelection(anchor, positionAt(at));
        if (!scrollCaretIntoView())
            updateCaret();
    }

    void onMouseUp()
    {
        if (!tracking)
            return;
        tracking = false;
        if (GetCapture() == window)
            ReleaseCapture();
    }

    void onVScroll(int code, int position)
    {
        int page = textArea().Height();
        switch (code) {
        case SB_LINEUP: scrollTo(yOffset - lineStep()); break;
        case SB_LINEDOWN: scrollTo(yOffset + lineStep()); break;
        case SB_PAGEUP: scrollTo(yOffset - page); break;
        case SB_PAGEDOWN: scrollTo(yOffset + page); break;
        case SB_TOP: scrollTo(0); break;
        case SB_BOTTOM: scrollTo(maxOffset()); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: scrollTo(position); break;
        default: break;
        }
    }

    // ---- Streams ----
    LRESULT streamIn(WPARAM format, EDITSTREAM* stream)
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
        RichDocument part = (format & SF_RTF) ? readRtf(data, document.baseFormat()) : readPlainText(data, document.baseFormat());
        insertDocument(part, selection ? selectionStart() : 0, selection ? selectionEnd() : length());
        return part.length();
    }

    LRESULT streamOut(WPARAM format, EDITSTREAM* stream)
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
            stream->dwError = stream->pfnCallback(stream->dwCookie, reinterpret_cast<unsigned char*>(piece.data()), chunk, &done);
            if (stream->dwError != 0 || done <= 0)
                break;
            sent += static_cast<size_t>(std::min(done, chunk));
        }
        return to - from;
    }

    // ---- Rendering onto a page ----
    // Lays out [cpMin, cpMax) in rc at the DC's resolution, line by line, until a
    // line would pass the bottom; answers the first character not rendered. A
    // page always takes at least one line, so printing always ends.
    LRESULT formatRange(bool render, const FORMATRANGE* range)
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
                    setSource(cr, 0);
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

    HWND window;
    RichDocument document;
    std::vector<RichParagraphLayout> paragraphs;  // one per paragraph, at the window's width
    std::vector<int> tops;                        // pixels from the top of the text to each paragraph
    int totalHeight = 0;
    int yOffset = 0;          // pixels scrolled
    int anchor = 0;           // where the selection started
    int caret = 0;            // its moving end
    int desiredX = -1;        // x that Up and Down keep; -1: the caret's
    std::optional<RichCharFormat> typingFormat;  // set by nothing yet: typing follows the text
    HFONT fontHandle = nullptr;
    bool focused = false;
    bool tracking = false;
    bool modified = false;
    bool pendingChange = false;
    int wheelRemainder = 0;
    int limit = INT_MAX - 1;
    RichDocument undoDocument;
    std::pair<int, int> undoSelection;
    bool canUndo = false;
};

LRESULT RichEditField::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (destroyed)
        return DefWindowProc(window, message, wParam, lParam);
    LRESULT result = 0;
    switch (message) {
    case WM_NCDESTROY:
        RemoveProp(window, fieldProperty);
        destroyed = true;
        return DefWindowProc(window, message, wParam, lParam);
    case WM_CREATE: return 0;
    case WM_SETTEXT: {
        setContent(lParam ? reinterpret_cast<const char*>(lParam) : "", false);
        canUndo = false;
        modified = false;
        result = TRUE;
        break;
    }
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        std::string text = plainText(document);
        size_t count = std::min<size_t>(wParam - 1, text.size());
        std::memcpy(buffer, text.data(), count);
        buffer[count] = 0;
        return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(plainText(document).size());
    case EM_GETTEXTLENGTHEX: {
        const auto* info = reinterpret_cast<const GETTEXTLENGTHEX*>(wParam);
        if (info && (info->flags & GTL_USECRLF))
            return static_cast<LRESULT>(plainText(document).size());
        return length();
    }
    case EM_SETTEXTEX: {
        const auto* info = reinterpret_cast<const SETTEXTEX*>(wParam);
        const bool selection = info && (info->flags & ST_SELECTION);
        setContent(lParam ? reinterpret_cast<const char*>(lParam) : "", selection);
        if (!info || !(info->flags & ST_KEEPUNDO))
            canUndo = false;
        result = 1;
        break;
    }
    case EM_STREAMIN: result = streamIn(wParam, reinterpret_cast<EDITSTREAM*>(lParam)); break;
    case EM_STREAMOUT: return streamOut(wParam, reinterpret_cast<EDITSTREAM*>(lParam));
    case EM_FORMATRANGE: return formatRange(wParam != 0, reinterpret_cast<const FORMATRANGE*>(lParam));
    case WM_SETFONT: {
        fontHandle = reinterpret_cast<HFONT>(wParam);
        // The window's font is the format of text that has none of its own: text
        // in the old default format follows, formatted text keeps its format.
        const RichCharFormat base = formatOfFont(fontHandle ? fontHandle->fontSpec : TFontSpec{});
        document.changeFormat(document.baseFormat(), base);
        document.setBaseFormat(base);
        relayout();
        if (LOWORD(static_cast<uintptr_t>(lParam)))
            InvalidateRect(window, nullptr, FALSE);
        updateCaret();
        updateScrollBar();
        return 0;
    }
    case WM_GETFONT: return reinterpret_cast<LRESULT>(fontHandle);
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | DLGC_WANTALLKEYS;
    case WM_PAINT: paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE:
        relayout();
        InvalidateRect(window, nullptr, FALSE);
        updateCaret();
        updateScrollBar();
        break;
    case WM_ENABLE: InvalidateRect(window, nullptr, FALSE); break;
    case WM_SETFOCUS:
        focused = true;
        updateCaret();
        if (hasSelection())
            InvalidateRect(window, nullptr, FALSE);
        break;
    case WM_KILLFOCUS:
        focused = false;
        tracking = false;
        DestroyCaret();
        if (hasSelection())
            InvalidateRect(window, nullptr, FALSE);
        break;
    case WM_KEYDOWN: onKeyDown(static_cast<int>(wParam)); break;
    case WM_CHAR: onChar(static_cast<unsigned char>(wParam)); break;
    case WM_LBUTTONDOWN: onMouseDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, wParam); break;
    case WM_LBUTTONDBLCLK: onDoubleClick({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); break;
    case WM_MOUSEMOVE: onMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); break;
    case WM_LBUTTONUP: onMouseUp(); break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != window)
            tracking = false;
        break;
    case WM_MOUSEWHEEL: {
        wheelRemainder += GET_WHEEL_DELTA_WPARAM(wParam);
        int notches = wheelRemainder / WHEEL_DELTA;
        wheelRemainder -= notches * WHEEL_DELTA;
        scrollTo(yOffset - 3 * notches * lineStep());
        break;
    }
    case WM_VSCROLL: onVScroll(LOWORD(wParam), HIWORD(wParam)); break;
    case WM_CUT:
        copy();
        if (!readOnly() && hasSelection())
            replace(selectionStart(), selectionEnd(), "");
        break;
    case WM_COPY: copy(); break;
    case WM_PASTE: paste(); break;
    case WM_CLEAR:
        if (!readOnly() && hasSelection())
            replace(selectionStart(), selectionEnd(), "");
        break;
    case WM_UNDO:
    case EM_UNDO: result = undo(); break;
    case EM_CANUNDO: return canUndo;
    case EM_EMPTYUNDOBUFFER: canUndo = false; return 0;
    case EM_GETMODIFY: return modified;
    case EM_SETMODIFY: modified = wParam != 0; return 0;
    case EM_GETSEL:
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(selectionStart());
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(selectionEnd());
        return MAKELPARAM(std::min(selectionStart(), 0xFFFF), std::min(selectionEnd(), 0xFFFF));
    case EM_SETSEL: {
        auto from = static_cast<int>(static_cast<intptr_t>(wParam)), to = static_cast<int>(lParam);
        if (from < 0) {
            setSelection(caret, caret);
        } else {
            if (to < 0)
                to = length();
            setSelection(from, to);
        }
        if (!scrollCaretIntoView())
            updateCaret();
        break;
    }
    case EM_EXGETSEL:
        if (auto* range = reinterpret_cast<CHARRANGE*>(lParam))
            *range = {selectionStart(), selectionEnd()};
        return 0;
    case EM_EXSETSEL:
        if (const auto* range = reinterpret_cast<const CHARRANGE*>(lParam))
            setSelection(range->cpMin, range->cpMax < 0 ? length() : range->cpMax);
        updateCaret();
        return selectionEnd();
    case EM_REPLACESEL:
        replace(selectionStart(), selectionEnd(),
                readPlainText(lParam ? reinterpret_cast<const char*>(lParam) : "", formatForTyping()).text());
        if (!wParam)
            canUndo = false;
        break;
    case EM_LIMITTEXT: limit = wParam == 0 ? INT_MAX - 1 : static_cast<int>(std::min<WPARAM>(wParam, INT_MAX - 1)); return 0;
    case EM_GETLIMITTEXT: return limit;
    case EM_SETREADONLY: {
        LONG_PTR s = GetWindowLongPtr(window, GWL_STYLE);
        SetWindowLongPtr(window, GWL_STYLE, wParam ? (s | ES_READONLY) : (s & ~static_cast<LONG_PTR>(ES_READONLY)));
        InvalidateRect(window, nullptr, FALSE);
        return TRUE;
    }
    case EM_GETLINECOUNT: {
        int lines = 0;
        for (const RichParagraphLayout& layout : paragraphs)
            lines += pango_layout_get_line_count(layout.layout());
        return lines;
    }
    case EM_GETFIRSTVISIBLELINE: return yOffset / lineStep();
    case EM_SCROLLCARET: scrollCaretIntoView(); return TRUE;
    case EM_POSFROMCHAR: {
        TRect rect = caretRect(std::clamp(static_cast<int>(wParam), 0, length()));
        return MAKELPARAM(rect.left, rect.top);
    }
    case EM_CHARFROMPOS: return positionAt({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    default: return DefWindowProc(window, message, wParam, lParam);
    }
    if (pendingChange && !destroyed) {
        pendingChange = false;
        if (HWND parent = GetParent(window)) {
            auto id = static_cast<int>(GetWindowLongPtr(window, GWLP_ID));
            SendMessage(parent, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(window));
        }
    }
    return result;
}

RichEditField* fieldOf(HWND hwnd) { return static_cast<RichEditField*>(GetProp(hwnd, fieldProperty)); }

LRESULT richEditWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    RichEditField* field = fieldOf(hwnd);
    if (!field) {
        if (message != WM_NCCREATE || !lParam)
            return DefWindowProc(hwnd, message, wParam, lParam);
        field = new RichEditField(hwnd, *reinterpret_cast<const CREATESTRUCT*>(lParam));
        SetProp(hwnd, fieldProperty, field);
        return DefWindowProc(hwnd, message, wParam, lParam);
    }
    // The field outlives a message that destroys its window until that message returns.
    struct Depth {
        RichEditField* field;
        explicit Depth(RichEditField* f) : field(f) { ++field->depth; }
        ~Depth()
        {
            if (--field->depth == 0 && field->destroyed)
                delete field;
        }
    } depth(field);
    return field->handle(message, wParam, lParam);
}

}  // namespace

void registerRichEditClass()
{
    WNDCLASS richClass;
    richClass.style = CS_DBLCLKS;
    richClass.lpfnWndProc = richEditWindowProc;
    richClass.hCursor = LoadCursor(nullptr, crIBeam);
    richClass.lpszClassName = RICHEDIT_CLASS;
    RegisterClass(&richClass);
}

}  // namespace varn::detail
