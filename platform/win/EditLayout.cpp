// The edit field's lines and the geometry built on them: where a position shows,
// which position a point hits, scrolling and the caret.
//
// Lines cover the whole text. An edit lays out again only the paragraphs it
// touched, from the one before the change (so that a CR and an LF that come to
// meet are seen as one break) to the end of the one where it ends, and moves the
// starts of the lines after them; painting then touches only the lines shown.
#include "platform/win/EditField.h"

namespace varn::detail {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

DWORD EditField::style() const { return static_cast<DWORD>(GetWindowLongPtr(window, GWL_STYLE)); }

// Without horizontal scrolling a multi-line field wraps its paragraphs.
bool EditField::wraps() const
{
    DWORD s = style();
    return (s & ES_MULTILINE) && !(s & (ES_AUTOHSCROLL | WS_HSCROLL));
}

int EditField::clampPosition(long long position) const
{
    int p = static_cast<int>(std::clamp<long long>(position, 0, length()));
    if (multiLine() && p > 0 && p < length() && text[static_cast<size_t>(p) - 1] == '\r' &&
        text[static_cast<size_t>(p)] == '\n')
        --p;
    return p;
}

int EditField::lineOf(int position, bool atLineEnd) const
{
    auto it = std::upper_bound(lines.begin(), lines.end(), position,
                               [](int value, const Line& line) { return value < line.start; });
    int index = std::max(0, static_cast<int>(it - lines.begin()) - 1);
    if (atLineEnd && index > 0 && lines[static_cast<size_t>(index)].start == position &&
        lines[static_cast<size_t>(index) - 1].breakLength == 0)
        --index;
    return index;
}

int EditField::visibleLines() const { return std::max(1, formatRect.Height() / std::max(1, lineHeight)); }

std::string EditField::shownText(const Line& line) const
{
    std::string shown = text.substr(static_cast<size_t>(line.start), static_cast<size_t>(line.length));
    if (showsPassword()) {
        std::fill(shown.begin(), shown.end(), passwordChar);
        return shown;
    }
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
            c = ' ';
    return shown;
}

std::vector<int> EditField::edges(const Line& line) const
{
    if (edgeCache.version == version && edgeCache.start == line.start && edgeCache.length == line.length)
        return edgeCache.edges;
    std::vector<int> result(static_cast<size_t>(line.length) + 1, 0);
    if (line.length > 0) {
        std::string shown = shownText(line);
        GetTextExtentExPoint(measureDC, shown.data(), line.length, -1, nullptr, result.data() + 1, nullptr);
    }
    edgeCache = EdgeCache{version, line.start, line.length, result};
    return result;
}

int EditField::textWidth(const std::string& shown) const
{
    SIZE size;
    GetTextExtentPoint32(measureDC, shown.data(), static_cast<int>(shown.size()), &size);
    return size.cx;
}

// Greedy wrapping at blanks: blanks that do not fit hang at the end of their
// line; a word longer than the line is cut where it stops fitting.
void EditField::layoutParagraph(int start, int end, int breakLength, std::vector<Line>& out) const
{
    Line whole{start, end - start, breakLength, 0};
    if (!wraps() || whole.length == 0) {
        whole.width = whole.length == 0 ? 0 : textWidth(shownText(whole));
        out.push_back(whole);
        return;
    }
    const int room = std::max(1, formatRect.Width());
    const std::vector<int> e = edges(whole);
    const int n = whole.length;
    auto blankAt = [&](int i) { return isBlank(text[static_cast<size_t>(start + i)]); };
    int lineStart = 0;
    for (;;) {
        const int base = e[static_cast<size_t>(lineStart)];
        int k = lineStart;
        while (k < n && e[static_cast<size_t>(k) + 1] - base <= room)
            ++k;
        int breakAt = n;
        if (k < n) {
            if (blankAt(k)) {
                breakAt = k;
                while (breakAt < n && blankAt(breakAt))
                    ++breakAt;
            } else {
                int j = k;
                while (j > lineStart && !blankAt(j - 1))
                    --j;
                breakAt = j > lineStart ? j : std::max(k, lineStart + 1);
            }
        }
        if (breakAt >= n) {
            out.push_back({start + lineStart, n - lineStart, breakLength, e[static_cast<size_t>(n)] - base});
            return;
        }
        out.push_back({start + lineStart, breakAt - lineStart, 0, e[static_cast<size_t>(breakAt)] - base});
        lineStart = breakAt;
    }
}

// The lines of text[start, end): end lies just after a hard break or at the end
// of the text. The empty line after a break that ends the text comes only with
// withTail (the range may stop before a last line that is there already). A
// single-line field has one line, breaks and all.
std::vector<EditField::Line> EditField::layoutRange(int start, int end, bool withTail) const
{
    std::vector<Line> out;
    if (!multiLine()) {
        layoutParagraph(0, length(), 0, out);
        return out;
    }
    int p = start;
    for (;;) {
        int q = p;
        while (q < end && text[static_cast<size_t>(q)] != '\r' && text[static_cast<size_t>(q)] != '\n')
            ++q;
        if (q >= end) {
            layoutParagraph(p, end, 0, out);
            return out;
        }
        bool crlf = text[static_cast<size_t>(q)] == '\r' && q + 1 < length() && text[static_cast<size_t>(q) + 1] == '\n';
        int breakLength = crlf ? 2 : 1;
        layoutParagraph(p, q, breakLength, out);
        p = q + breakLength;
        if (p >= end) {
            if (withTail && p >= length())
                layoutParagraph(p, p, 0, out);  // the empty line after a final break
            return out;
        }
    }
}

void EditField::updateWidest()
{
    widest = 0;
    for (const Line& line : lines)
        widest = std::max(widest, line.width);
}

void EditField::layoutAll()
{
    ++version;
    lines = layoutRange(0, length(), true);
    updateWidest();
    relaidFirst = 0;
    relaidCount = lineCount();
    relaidLinesMoved = true;
    firstLine = std::min(firstLine, maxFirstLine());
    xOffset = std::clamp(xOffset, 0, maxXOffset());
}

void EditField::relayout(int position, int removed, int inserted)
{
    ++version;
    if (!multiLine()) {
        lines = layoutRange(0, length(), true);
        updateWidest();
        relaidFirst = 0;
        relaidCount = 1;
        relaidLinesMoved = false;
        return;
    }
    const int delta = inserted - removed;
    int first = lineOf(std::max(0, position - 1));
    while (first > 0 && lines[static_cast<size_t>(first) - 1].breakLength == 0)
        --first;
    int last = lineOf(position + removed);
    while (last + 1 < lineCount() && lines[static_cast<size_t>(last)].breakLength == 0)
        ++last;
    const Line& end = lines[static_cast<size_t>(last)];
    const int oldEnd = end.start + end.length + end.breakLength;
    const bool atTail = last + 1 == lineCount();
    std::vector<Line> fresh = layoutRange(lines[static_cast<size_t>(first)].start, oldEnd + delta, atTail);

    // The widest line matters only to sideways scrolling, which wrapped text never does.
    bool lostWidest = false;
    for (int i = first; i <= last && !wraps(); ++i)
        lostWidest = lostWidest || lines[static_cast<size_t>(i)].width >= widest;
    lines.erase(lines.begin() + first, lines.begin() + last + 1);
    lines.insert(lines.begin() + first, fresh.begin(), fresh.end());
    for (size_t i = static_cast<size_t>(first) + fresh.size(); i < lines.size(); ++i)
        lines[i].start += delta;
    if (lostWidest) {
        updateWidest();
    } else {
        for (const Line& line : fresh)
            widest = std::max(widest, line.width);
    }
    relaidFirst = first;
    relaidCount = static_cast<int>(fresh.size());
    relaidLinesMoved = static_cast<int>(fresh.size()) != last - first + 1;
}

void EditField::setFont(const TFontSpec& fontSpec)
{
    ++version;
    font = fontSpec;
    measureDC->font = fontSpec;
    measureDC->fontEntry = nullptr;
    SIZE size;
    GetTextExtentPoint32(measureDC, "Ag", 2, &size);
    lineHeight = std::max(1, size.cy);
    static const char sample[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    GetTextExtentPoint32(measureDC, sample, 52, &size);
    averageCharWidth = std::max(1, (size.cx + 26) / 52);
    if (focused) {
        CreateCaret(window, nullptr, 1, lineHeight);
        updateCaret();
        ShowCaret(window);
    }
}

// The client area less the margins; a single line takes one line's height, and
// one pixel stays free above the text when there is room for it.
void EditField::resetFormatRect()
{
    TRect client;
    GetClientRect(window, &client);
    formatRect = client;
    formatRect.left += leftMargin;
    formatRect.right = std::max(formatRect.left, formatRect.right - rightMargin);
    if (client.Height() >= lineHeight + 2)
        formatRect.top += 1;
    if (!multiLine())
        formatRect.bottom = formatRect.top + lineHeight;
    formatRectSet = false;
}

// ---- Geometry --------------------------------------------------------------------

TPoint EditField::positionToPoint(int position, bool atLineEnd) const
{
    int index = lineOf(position, atLineEnd);
    const Line& line = lines[static_cast<size_t>(index)];
    int offset = std::clamp(position - line.start, 0, line.length);
    return {lineLeft() + edges(line)[static_cast<size_t>(offset)], lineTop(index)};
}

// The character boundary nearest to the point on the line under it; a point past
// the end of a wrapped line puts the caret at that end.
int EditField::pointToPosition(TPoint point, bool* atLineEnd) const
{
    const int index = lineAt(point.y);
    const Line& line = lines[static_cast<size_t>(index)];
    const std::vector<int> e = edges(line);
    const int x = point.x - lineLeft();
    int low = 0, high = line.length;  // first i whose middle lies right of x
    while (low < high) {
        int mid = (low + high) / 2;
        if (x < (e[static_cast<size_t>(mid)] + e[static_cast<size_t>(mid) + 1]) / 2)
            high = mid;
        else
            low = mid + 1;
    }
    if (atLineEnd)
        *atLineEnd = low == line.length && line.breakLength == 0 && index + 1 < lineCount();
    return line.start + low;
}

int EditField::lineAt(int y) const
{
    if (!multiLine())
        return 0;
    int dy = y - formatRect.top;
    int rows = dy >= 0 ? dy / lineHeight : -((-dy + lineHeight - 1) / lineHeight);
    return std::clamp(firstLine + rows, 0, lineCount() - 1);
}

int EditField::maxFirstLine() const { return multiLine() ? std::max(0, lineCount() - visibleLines()) : 0; }

int EditField::maxXOffset() const
{
    if (wraps())
        return 0;
    return std::max(0, widest + 1 - formatRect.Width());
}

bool EditField::scrollCaretIntoView()
{
    int index = lineOf(caret, caretAtLineEnd);
    int top = firstLine;
    if (multiLine()) {
        if (index < top)
            top = index;
        else if (index >= top + visibleLines())
            top = index - visibleLines() + 1;
    }
    int x = xOffset;
    if (!wraps()) {
        const Line& line = lines[static_cast<size_t>(index)];
        int caretX = edges(line)[static_cast<size_t>(std::clamp(caret - line.start, 0, line.length))];
        int room = std::max(1, formatRect.Width());
        if (caretX < x)
            x = std::max(0, caretX - room / 3);
        else if (caretX + 1 > x + room)
            x = caretX + 1 - room + room / 3;
        x = std::clamp(x, 0, std::max(maxXOffset(), caretX + 1 - room));
    }
    return scrollTo(top, x);
}

bool EditField::scrollTo(int line, int x)
{
    line = std::clamp(line, 0, maxFirstLine());
    x = wraps() ? 0 : std::max(0, x);
    if (line == firstLine && x == xOffset)
        return false;
    if (line != firstLine)
        pending |= pendingVScroll;
    if (x != xOffset)
        pending |= pendingHScroll;
    firstLine = line;
    xOffset = x;
    invalidateText();
    updateCaret();
    updateScrollBars();
    return true;
}

void EditField::scrollLines(int count)
{
    if (multiLine())
        scrollTo(firstLine + count, xOffset);
}

void EditField::updateCaret()
{
    if (!focused)
        return;
    TPoint at = positionToPoint(caret, caretAtLineEnd);
    SetCaretPos(at.x, at.y);
}

// Showing or hiding a bar resizes the client area, which lays the text out again
// (WM_SIZE): the bars are set again until they agree with the layout.
void EditField::updateScrollBars()
{
    DWORD s = style();
    if (!(s & (WS_VSCROLL | WS_HSCROLL)) || updatingScrollBars)
        return;
    updatingScrollBars = true;
    for (int round = 0; round < 3; ++round) {
        const int lines = lineCount(), rows = visibleLines(), wide = widest, room = formatRect.Width();
        const int top = firstLine, left = xOffset;
        SCROLLINFO info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        if (s & WS_VSCROLL) {
            info.nMin = 0;
            info.nMax = lines - 1;
            info.nPage = static_cast<UINT>(rows);
            info.nPos = firstLine;
            SetScrollInfo(window, SB_VERT, &info, TRUE);
        }
        if (s & WS_HSCROLL) {
            info.nMin = 0;
            info.nMax = wide;
            info.nPage = static_cast<UINT>(std::max(1, room));
            info.nPos = xOffset;
            SetScrollInfo(window, SB_HORZ, &info, TRUE);
        }
        if (lines == lineCount() && rows == visibleLines() && wide == widest && room == formatRect.Width() &&
            top == firstLine && left == xOffset)
            break;
    }
    updatingScrollBars = false;
}

void EditField::invalidateText() { InvalidateRect(window, nullptr, FALSE); }

// Lines first..last (last < 0: down to the bottom) as far as they show.
void EditField::invalidateLines(int first, int last)
{
    TRect client;
    GetClientRect(window, &client);
    TRect area = client;
    if (multiLine()) {
        area.top = std::max(client.top, lineTop(first));
        if (last >= 0)
            area.bottom = std::min(client.bottom, lineTop(last + 1));
    }
    if (area.bottom > area.top)
        InvalidateRect(window, &area, FALSE);
}

void EditField::invalidateSelection(int from, int to)
{
    if (from == to || !(focused || (style() & ES_NOHIDESEL)))
        return;
    invalidateLines(lineOf(std::min(from, to)), lineOf(std::max(from, to)));
}

}  // namespace varn::detail
