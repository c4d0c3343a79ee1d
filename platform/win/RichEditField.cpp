// The rich-text field's window procedure, its messages, its content and layout,
// and the edits.
//
// Every edit goes through replace(), which keeps one undo step, lays out again
// the paragraphs it touched, moves the caret into view and owes the parent
// EN_CHANGE (sent once the message is handled, as the plain edit field does).
// Typed text takes the format of the character before the caret.
#include "platform/win/RichEditField.h"
#include "platform/win/TextFields.h"

#include "platform/win/Backend.h"
#include "platform/win/WindowManager.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <cstring>
#include <iterator>

namespace varn::detail {

namespace {
const char* const fieldProperty = "VarnRichEditField";
}  // namespace

void RichEditField::setSourceColour(cairo_t* cr, COLORREF color)
{
    cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
}

RichCharFormat RichEditField::formatOfFont(const TFontSpec& font)
{
    RichCharFormat format;
    format.face = font.Name;
    int pixels = std::abs(font.Height);
    format.halfPoints = std::max(2, static_cast<int>(std::lround(pixels * 144.0 / screenPixelsPerInch)));
    format.style = font.Style & 15;
    return format;
}

RichEditField::RichEditField(HWND window, const CREATESTRUCT& create)
    : window(window), document(formatOfFont(TFontSpec{}))
{
    if (create.lpszName && *create.lpszName)
        setContent(create.lpszName, false);
    relayout();
}

TRect RichEditField::textArea() const
{
    TRect client;
    GetClientRect(window, &client);
    return {client.left + margin, client.top + margin, std::max(client.left + margin, client.right - margin),
            std::max(client.top + margin, client.bottom - margin)};
}

void RichEditField::setContent(const std::string& text, bool selectionOnly)
{
    const RichCharFormat& base = document.baseFormat();
    RichDocument incoming = isRtf(text) ? readRtf(text, base) : readPlainText(text, base);
    insertDocument(incoming, selectionOnly ? selectionStart() : 0, selectionOnly ? selectionEnd() : length());
}

void RichEditField::insertDocument(const RichDocument& part, int from, int to)
{
    saveUndo();
    const int paragraph = document.paragraphOf(from);
    const bool whole = from == 0 && to == length();
    if (whole) {
        RichCharFormat base = document.baseFormat();
        document = part;
        document.setBaseFormat(base);
        anchor = caret = 0;
        yOffset = 0;
        changed();
        return;
    }
    document.replace(from, to, "", document.formatAt(from));
    int position = from;
    for (const RichRun& run : part.runs()) {
        const std::string piece = part.text().substr(static_cast<size_t>(run.start), static_cast<size_t>(run.length));
        document.replace(position, position, piece, run.format);
        position += run.length;
    }
    for (int i = 0; i < part.paragraphCount(); ++i)
        if (whole || i > 0)
            document.setParagraphFormat(paragraph + i, part.paragraphFormats()[static_cast<size_t>(i)]);
    anchor = caret = whole ? 0 : position;
    changed();
}

void RichEditField::relayoutChange(int firstParagraph, int oldCount, int newCount, int delta)
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

void RichEditField::restack()
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

void RichEditField::relayout()
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

int RichEditField::paragraphAtY(int y) const
{
    auto it = std::upper_bound(tops.begin(), tops.end(), y);
    return std::clamp(static_cast<int>(it - tops.begin()) - 1, 0, static_cast<int>(paragraphs.size()) - 1);
}

int RichEditField::paragraphOfPosition(int position) const
{
    for (size_t p = 0; p < paragraphs.size(); ++p)
        if (position <= paragraphs[p].end())
            return static_cast<int>(p);
    return static_cast<int>(paragraphs.size()) - 1;
}

TRect RichEditField::caretRect(int position) const
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

int RichEditField::positionAt(TPoint point) const
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

void RichEditField::saveUndo()
{
    undoDocument = document;
    undoSelection = {anchor, caret};
    canUndo = true;
}

const RichCharFormat& RichEditField::formatForTyping() const
{
    int from = selectionStart();
    return document.formatAt(from > 0 ? from - 1 : 0);
}

void RichEditField::replace(int from, int to, const std::string& insert)
{
    from = std::clamp(from, 0, length());
    to = std::clamp(to, from, length());
    RichCharFormat format = formatForTyping();
    saveUndo();
    const int paragraph = document.paragraphOf(from);
    const auto joined = std::count(document.text().begin() + from, document.text().begin() + to, '\r');
    const auto split = std::count(insert.begin(), insert.end(), '\r');
    document.replace(from, to, insert, format);
    anchor = caret = from + static_cast<int>(insert.size());
    modified = true;
    relayoutChange(paragraph, static_cast<int>(joined) + 1, static_cast<int>(split) + 1,
                   static_cast<int>(insert.size()) - (to - from));
    changed(Layout::Done);
}

void RichEditField::changed(Layout layout)
{
    if (layout == Layout::Due)
        relayout();
    scrollCaretIntoView();
    InvalidateRect(window, nullptr, FALSE);
    updateCaret();
    updateScrollBar();
    pendingChange = true;
}

bool RichEditField::undo()
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

void RichEditField::copy()
{
    if (hasSelection())
        backend().setClipboardText(plainText(document, selectionStart(), selectionEnd()));
}

void RichEditField::paste()
{
    if (readOnly())
        return;
    std::string text = backend().clipboardText();
    if (auto nul = text.find('\0'); nul != std::string::npos)
        text.resize(nul);
    RichDocument part = readPlainText(text, formatForTyping());
    replace(selectionStart(), selectionEnd(), part.text());
}

void RichEditField::setSelection(int newAnchor, int newCaret)
{
    newAnchor = std::clamp(newAnchor, 0, length());
    newCaret = std::clamp(newCaret, 0, length());
    if (newAnchor == anchor && newCaret == caret)
        return;
    if (hasSelection() || newAnchor != newCaret)
        InvalidateRect(window, nullptr, FALSE);
    anchor = newAnchor;
    caret = newCaret;
}

void RichEditField::moveCaret(int position, bool extend)
{
    setSelection(extend ? anchor : position, position);
    if (!scrollCaretIntoView())
        updateCaret();
}

// A paragraph end and a line break are one character each.
int RichEditField::wordLeft(int position) const
{
    const auto at = [this](int i) { return document.text()[static_cast<size_t>(i)]; };
    return varn::detail::wordLeft(position, at, [](int) { return 1; });
}

int RichEditField::wordRight(int position) const
{
    const auto at = [this](int i) { return document.text()[static_cast<size_t>(i)]; };
    return varn::detail::wordRight(position, length(), at, [](int) { return 1; });
}

std::pair<int, int> RichEditField::lineBounds(int position) const
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

void RichEditField::moveVertically(int pixels, bool extend)
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

bool RichEditField::scrollCaretIntoView()
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

bool RichEditField::scrollTo(int offset)
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

void RichEditField::updateCaret()
{
    if (!focused)
        return;
    TRect rect = caretRect(caret);
    CreateCaret(window, nullptr, 1, rect.Height());
    SetCaretPos(rect.left, rect.top);
    ShowCaret(window);
}

void RichEditField::updateScrollBar()
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

int RichEditField::lineStep() const
{
    const double pixels = document.baseFormat().halfPoints * screenPixelsPerInch / 144.0;
    return std::max(1, static_cast<int>(std::lround(pixels * 1.2)));
}

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
    case EM_LIMITTEXT:
        limit = wParam == 0 ? INT_MAX - 1 : static_cast<int>(std::min<WPARAM>(wParam, INT_MAX - 1));
        return 0;
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

namespace {

LRESULT richEditWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return fieldWindowProc<RichEditField>(fieldProperty, hwnd, message, wParam, lParam);
}

}  // namespace

void registerRichEditClass()
{
    registerFieldClass(RICHEDIT_CLASS, richEditWindowProc);
}

}  // namespace varn::detail
