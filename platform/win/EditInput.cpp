// The edit field on screen and under the user's hands: painting, keys, typed
// characters, the mouse, focus and scrolling.
#include "platform/win/EditField.h"

namespace varn::detail {

// ---- Painting ----------------------------------------------------------------------

// The parent chooses the colours (WM_CTLCOLOREDIT, or WM_CTLCOLORSTATIC for a
// field that cannot be edited); the text is clipped to the formatting rectangle
// and only the lines that meet the update area are drawn.
void EditField::paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc)
        return;
    const bool enabled = IsWindowEnabled(window);
    UINT colourMessage = (readOnly() || !enabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    HWND parent = GetParent(window);
    LRESULT answer = parent ? SendMessage(parent, colourMessage, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window))
                            : DefWindowProc(window, colourMessage, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window));
    if (destroyed) {
        EndPaint(window, &ps);
        return;
    }
    auto brush = reinterpret_cast<HBRUSH>(answer);
    if (!brush)
        brush = GetSysColorBrush(COLOR_WINDOW);
    const COLORREF textColor = enabled ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
    TRect client;
    GetClientRect(window, &client);
    FillRect(dc, &client, brush);

    dc->font = font;
    dc->fontEntry = nullptr;
    SetBkMode(dc, TRANSPARENT);
    IntersectClipRect(dc, formatRect.left, formatRect.top, formatRect.right, multiLine() ? client.bottom : formatRect.bottom);
    const int last = std::min(lineCount() - 1, firstLine + visibleLines());
    for (int line = multiLine() ? firstLine : 0; line <= last; ++line)
        paintLine(dc, line, ps.rcPaint, textColor);
    EndPaint(window, &ps);
}

// The selected part is filled with the highlight and the line drawn once more,
// clipped to it, in the highlight's text colour.
void EditField::paintLine(HDC dc, int index, const TRect& update, COLORREF textColor)
{
    const Line& line = lines[static_cast<size_t>(index)];
    const int y = lineTop(index);
    if (y >= update.bottom || y + lineHeight <= update.top || line.length == 0)
        return;
    const std::string shown = shownText(line);
    const int x = lineLeft();
    SetTextColor(dc, textColor);
    TextOut(dc, x, y, shown.data(), static_cast<int>(shown.size()));
    if (!hasSelection() || !(focused || (style() & ES_NOHIDESEL)))
        return;
    const int from = std::max(selectionStart(), line.start) - line.start;
    const int to = std::min(selectionEnd(), line.start + line.length) - line.start;
    if (from >= to)
        return;
    const std::vector<int> e = edges(line);
    TRect highlight{x + e[static_cast<size_t>(from)], y, x + e[static_cast<size_t>(to)], y + lineHeight};
    FillRect(dc, &highlight, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    DRAWTEXTPARAMS params;
    params.iLeftMargin = x - highlight.left;
    TRect clip = highlight;
    DrawTextEx(dc, shown.data(), static_cast<int>(shown.size()), &clip, DT_SINGLELINE | DT_NOPREFIX, &params);
}

// ---- Keys -------------------------------------------------------------------------------

namespace {
bool keyDown(int key) { return GetKeyState(key) < 0; }
}  // namespace

void EditField::onKeyDown(int key)
{
    const bool shift = keyDown(VK_SHIFT);
    const bool ctrl = keyDown(VK_CONTROL);
    auto previous = [&](int p) {
        if (p <= 0)
            return 0;
        bool crlf = multiLine() && p >= 2 && text[static_cast<size_t>(p) - 1] == '\n' && text[static_cast<size_t>(p) - 2] == '\r';
        return p - (crlf ? 2 : 1);
    };
    auto next = [&](int p) {
        if (p >= length())
            return length();
        bool crlf = multiLine() && text[static_cast<size_t>(p)] == '\r' && p + 1 < length() && text[static_cast<size_t>(p) + 1] == '\n';
        return p + (crlf ? 2 : 1);
    };
    auto back = [&] {
        if (!shift && hasSelection())
            moveCaret(selectionStart(), false);
        else
            moveCaret(ctrl ? wordLeft(caret) : previous(caret), shift);
    };
    auto forward = [&] {
        if (!shift && hasSelection())
            moveCaret(selectionEnd(), false);
        else
            moveCaret(ctrl ? wordRight(caret) : next(caret), shift);
    };
    switch (key) {
    case VK_LEFT: back(); break;
    case VK_RIGHT: forward(); break;
    case VK_UP:
        if (multiLine())
            moveVertically(-1, shift);
        else
            back();
        break;
    case VK_DOWN:
        if (multiLine())
            moveVertically(1, shift);
        else
            forward();
        break;
    case VK_PRIOR:
    case VK_NEXT:
        if (multiLine()) {
            int page = key == VK_PRIOR ? -visibleLines() : visibleLines();
            scrollLines(page);
            moveVertically(page, shift);
        }
        break;
    case VK_HOME: {
        const Line& line = lines[static_cast<size_t>(lineOf(caret, caretAtLineEnd))];
        moveCaret(ctrl ? 0 : line.start, shift);
        break;
    }
    case VK_END: {
        if (ctrl) {
            moveCaret(length(), shift);
            break;
        }
        int index = lineOf(caret, caretAtLineEnd);
        const Line& line = lines[static_cast<size_t>(index)];
        moveCaret(line.start + line.length, shift, line.breakLength == 0 && index + 1 < lineCount());
        break;
    }
    case VK_DELETE:
        if (shift) {
            cut();
        } else if (!readOnly()) {
            if (hasSelection())
                replace(selectionStart(), selectionEnd(), "", EditKind::Delete, Notify::Yes);
            else
                replace(caret, ctrl ? wordRight(caret) : next(caret), "", EditKind::Delete, Notify::Yes);
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
            mergeUndo = false;
            scrollCaretIntoView();
            updateCaret();
        }
        break;
    case 'C':
        if (ctrl)
            copy();
        break;
    case 'X':
        if (ctrl)
            cut();
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

// Backspace (Ctrl or DEL: a word), Enter and Tab in a multi-line field, and
// printable characters; other control characters are ignored.
void EditField::onChar(unsigned char ch)
{
    if (readOnly())
        return;
    if (ch == '\b' || ch == 0x7F) {
        if (hasSelection()) {
            replace(selectionStart(), selectionEnd(), "", EditKind::Backspace, Notify::Yes);
            return;
        }
        int from = caret;
        if (ch == 0x7F || keyDown(VK_CONTROL))
            from = wordLeft(caret);
        else if (caret > 0)
            from = caret - ((multiLine() && caret >= 2 && text[static_cast<size_t>(caret) - 1] == '\n' &&
                             text[static_cast<size_t>(caret) - 2] == '\r') ? 2 : 1);
        if (from < caret)
            replace(from, caret, "", EditKind::Backspace, Notify::Yes);
        return;
    }
    std::string insert;
    if (ch == '\r') {
        if (!multiLine())
            return;
        insert = "\r\n";
    } else if (ch == '\t') {
        if (!multiLine())
            return;
        insert = "\t";
    } else if (ch < 0x20) {
        return;
    } else {
        insert = std::string(1, static_cast<char>(ch));
    }
    replace(selectionStart(), selectionEnd(), insert, EditKind::Typing, Notify::Yes);
}

void EditField::moveCaret(int position, bool extend, bool atLineEnd)
{
    mergeUndo = false;
    desiredX = -1;
    setSelection(extend ? anchor : position, position, atLineEnd);
    if (!scrollCaretIntoView())
        updateCaret();
}

// Up, Down, PageUp and PageDown keep the x the caret had when the run of them began.
void EditField::moveVertically(int count, bool extend)
{
    int index = lineOf(caret, caretAtLineEnd);
    int x = desiredX >= 0 ? desiredX : positionToPoint(caret, caretAtLineEnd).x + xOffset;
    int target = std::clamp(index + count, 0, lineCount() - 1);
    if (target == index) {
        desiredX = x;
        return;
    }
    bool atLineEnd = false;
    TPoint point{x - xOffset, lineTop(target)};
    int position = pointToPosition(point, &atLineEnd);
    // pointToPosition works on the lines shown; outside them, the target line itself.
    if (lineOf(position, atLineEnd) != target) {
        const Line& line = lines[static_cast<size_t>(target)];
        const std::vector<int> e = edges(line);
        int relative = x - formatRect.left;
        int offset = static_cast<int>(std::upper_bound(e.begin(), e.end(), relative) - e.begin()) - 1;
        offset = std::clamp(offset, 0, line.length);
        if (offset < line.length && relative - e[static_cast<size_t>(offset)] > e[static_cast<size_t>(offset) + 1] - relative)
            ++offset;
        position = line.start + offset;
        atLineEnd = offset == line.length && line.breakLength == 0 && target + 1 < lineCount();
    }
    moveCaret(position, extend, atLineEnd);
    desiredX = x;
}

// ---- Mouse ------------------------------------------------------------------------------

void EditField::onMouseDown(TPoint at, WPARAM keys)
{
    if (GetFocus() != window) {
        SetFocus(window);
        if (destroyed)
            return;
    }
    bool atLineEnd = false;
    int position = pointToPosition(at, &atLineEnd);
    mergeUndo = false;
    desiredX = -1;
    setSelection((keys & MK_SHIFT) ? anchor : position, position, atLineEnd);
    tracking = true;
    SetCapture(window);
    if (!scrollCaretIntoView())
        updateCaret();
}

// The word under the pointer and the blanks after it; on blanks, the blanks.
void EditField::onDoubleClick(TPoint at)
{
    if (GetFocus() != window) {
        SetFocus(window);
        if (destroyed)
            return;
    }
    const Line& line = lines[static_cast<size_t>(lineAt(at.y))];
    int start = line.start, end = line.start;
    if (line.length > 0) {
        // The character under the pointer: the first whose right edge lies past it.
        const std::vector<int> e = edges(line);
        int under = static_cast<int>(std::upper_bound(e.begin() + 1, e.end(), at.x - lineLeft()) - (e.begin() + 1));
        int inside = line.start + std::clamp(under, 0, line.length - 1);
        auto blank = [&](int p) { return text[static_cast<size_t>(p)] == ' ' || text[static_cast<size_t>(p)] == '\t'; };
        if (blank(inside)) {
            const int lineEnd = line.start + line.length;
            start = end = inside;
            while (start > line.start && blank(start - 1))
                --start;
            while (end < lineEnd && blank(end))
                ++end;
        } else {
            start = wordLeft(inside + 1);
            end = wordRight(inside);
        }
    }
    mergeUndo = false;
    desiredX = -1;
    setSelection(start, end);
    tracking = true;
    SetCapture(window);
    if (!scrollCaretIntoView())
        updateCaret();
}

void EditField::onMouseMove(TPoint at)
{
    if (!tracking)
        return;
    TRect inner = formatRect;
    if (multiLine()) {
        TRect client;
        GetClientRect(window, &client);
        inner.bottom = std::min(client.bottom, formatRect.top + visibleLines() * lineHeight);
    }
    bool outside = at.x < inner.left || at.x >= inner.right || at.y < inner.top || at.y >= inner.bottom;
    TPoint clamped{std::clamp(at.x, inner.left, std::max(inner.left, inner.right - 1)),
                   std::clamp(at.y, inner.top, std::max(inner.top, inner.bottom - 1))};
    bool atLineEnd = false;
    int position = pointToPosition(clamped, &atLineEnd);
    setSelection(anchor, position, atLineEnd);
    if (!scrollCaretIntoView())
        updateCaret();
    if (outside)
        SetTimer(window, dragTimerId, dragInterval, nullptr);
    else
        KillTimer(window, dragTimerId);
}

// While the pointer stays outside the text with the button held, the text
// scrolls toward it a line (or a character) per tick and the selection follows.
void EditField::dragStep()
{
    if (!tracking) {
        KillTimer(window, dragTimerId);
        return;
    }
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(window, &at);
    TRect client;
    GetClientRect(window, &client);
    int bottom = multiLine() ? std::min(client.bottom, formatRect.top + visibleLines() * lineHeight) : formatRect.bottom;
    int line = firstLine;
    int x = xOffset;
    if (multiLine() && at.y < formatRect.top)
        --line;
    else if (multiLine() && at.y >= bottom)
        ++line;
    if (!wraps() && at.x < formatRect.left)
        x -= averageCharWidth;
    else if (!wraps() && at.x >= formatRect.right)
        x = std::min(maxXOffset(), x + averageCharWidth);
    scrollTo(line, x);
    onMouseMove(at);
}

void EditField::onMouseUp()
{
    if (!tracking)
        return;
    tracking = false;
    KillTimer(window, dragTimerId);
    if (GetCapture() == window)
        ReleaseCapture();
}

// ---- Focus and scrolling ----------------------------------------------------------------

void EditField::onSetFocus()
{
    focused = true;
    CreateCaret(window, nullptr, 1, lineHeight);
    updateCaret();
    ShowCaret(window);
    if (!(style() & ES_NOHIDESEL))
        invalidateSelection(anchor, caret);
    pending |= pendingSetFocus;
}

void EditField::onKillFocus()
{
    if (!(style() & ES_NOHIDESEL))
        invalidateSelection(anchor, caret);
    focused = false;
    tracking = false;
    KillTimer(window, dragTimerId);
    DestroyCaret();
    pending |= pendingKillFocus;
}

void EditField::onVScroll(int code, int position)
{
    if (!multiLine())
        return;
    switch (code) {
    case SB_LINEUP: scrollLines(-1); break;
    case SB_LINEDOWN: scrollLines(1); break;
    case SB_PAGEUP: scrollLines(-visibleLines()); break;
    case SB_PAGEDOWN: scrollLines(visibleLines()); break;
    case SB_TOP: scrollTo(0, xOffset); break;
    case SB_BOTTOM: scrollTo(maxFirstLine(), xOffset); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: scrollTo(position, xOffset); break;
    default: break;
    }
}

void EditField::onHScroll(int code, int position)
{
    int page = std::max(1, formatRect.Width());
    int x = xOffset;
    switch (code) {
    case SB_LINELEFT: x -= averageCharWidth; break;
    case SB_LINERIGHT: x += averageCharWidth; break;
    case SB_PAGELEFT: x -= page; break;
    case SB_PAGERIGHT: x += page; break;
    case SB_LEFT: x = 0; break;
    case SB_RIGHT: x = maxXOffset(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: x = position; break;
    default: return;
    }
    scrollTo(firstLine, std::clamp(x, 0, maxXOffset()));
}

// Three lines per notch, as the desktop scrolls.
void EditField::onWheel(int delta)
{
    wheelRemainder += delta;
    int notches = wheelRemainder / WHEEL_DELTA;
    wheelRemainder -= notches * WHEEL_DELTA;
    scrollLines(-3 * notches);
}

}  // namespace varn::detail
