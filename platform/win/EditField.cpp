// The window class "EDIT": its window procedure, the messages that read and set
// the text, the selection and the field's state, and the edits themselves
// (replace, undo, clipboard).
//
// Every change of the text goes through replace() (or undo()), which cuts what
// is inserted to the limit, records the undo step, lays out the touched
// paragraphs again, moves the caret, scrolls it into view and owes the parent
// EN_UPDATE and EN_CHANGE; the notifications go out when the message has been
// handled (flushNotifications), so a parent that reacts to them sees a finished
// edit, and one that destroys the field does no harm.
#include "platform/win/EditField.h"

#include "platform/win/Backend.h"
#include "platform/win/Charset.h"
#include "platform/win/TextFields.h"
#include "platform/win/WindowManager.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace varn::detail {

namespace {

const char* const fieldProperty = "VarnEditField";

cairo_surface_t* measuringSurface()
{
    static cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    return surface;
}


LRESULT editWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return fieldWindowProc<EditField>(fieldProperty, hwnd, message, wParam, lParam);
}

}  // namespace

void registerEditClass()
{
    registerFieldClass("EDIT", editWindowProc);
}

EditField::EditField(HWND window, const CREATESTRUCT& create)
    : window(window), measureDC(CreateSurfaceDC(measuringSurface()))
{
    if ((create.style & ES_PASSWORD) && !(create.style & ES_MULTILINE))
        passwordChar = '*';
    text = convertCase(create.lpszName ? create.lpszName : "");
    setFont(TFontSpec{});
    resetFormatRect();
    layoutAll();
}

EditField::~EditField() { DeleteDC(measureDC); }

LRESULT EditField::handle(UINT message, WPARAM wParam, LPARAM lParam)
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
    case WM_SETTEXT: setText(lParam ? reinterpret_cast<const char*>(lParam) : ""); result = TRUE; break;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (!buffer || wParam == 0)
            return 0;
        size_t count = std::min<size_t>(wParam - 1, text.size());
        std::memcpy(buffer, text.data(), count);
        buffer[count] = 0;
        return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH: return length();
    case WM_SETFONT: {
        fontHandle = reinterpret_cast<HFONT>(wParam);
        setFont(fontHandle ? fontHandle->fontSpec : TFontSpec{});
        if (!formatRectSet)
            resetFormatRect();
        layoutAll();
        scrollCaretIntoView();
        updateCaret();
        updateScrollBars();
        if (LOWORD(static_cast<uintptr_t>(lParam)))
            invalidateText();
        return 0;
    }
    case WM_GETFONT: return reinterpret_cast<LRESULT>(fontHandle);
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | (multiLine() ? DLGC_WANTALLKEYS : 0);
    case WM_PAINT: paint(); return 0;
    case WM_ERASEBKGND: return 1;  // painting fills the whole client area
    case WM_SIZE:
        resetFormatRect();
        layoutAll();
        invalidateText();
        updateCaret();
        updateScrollBars();
        break;
    case WM_ENABLE: invalidateText(); break;
    case WM_SETFOCUS: onSetFocus(); break;
    case WM_KILLFOCUS: onKillFocus(); break;
    case WM_KEYDOWN: onKeyDown(static_cast<int>(wParam)); break;
    case WM_CHAR: onChar(static_cast<unsigned char>(wParam)); break;
    case WM_LBUTTONDOWN: onMouseDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, wParam); break;
    case WM_LBUTTONDBLCLK: onDoubleClick({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); break;
    case WM_MOUSEMOVE: onMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); break;
    case WM_LBUTTONUP: onMouseUp(); break;
    case WM_TIMER:
        if (wParam != dragTimerId)
            return DefWindowProc(window, message, wParam, lParam);
        dragStep();
        break;
    case WM_CAPTURECHANGED:
        if (tracking && reinterpret_cast<HWND>(lParam) != window) {
            tracking = false;
            KillTimer(window, dragTimerId);
        }
        break;
    case WM_MOUSEWHEEL:
        if (!multiLine())
            return DefWindowProc(window, message, wParam, lParam);
        onWheel(GET_WHEEL_DELTA_WPARAM(wParam));
        break;
    case WM_VSCROLL: onVScroll(LOWORD(wParam), HIWORD(wParam)); break;
    case WM_HSCROLL: onHScroll(LOWORD(wParam), HIWORD(wParam)); break;
    case WM_CUT: cut(); break;
    case WM_COPY: copy(); break;
    case WM_PASTE: paste(); break;
    case WM_CLEAR: clearSelection(); break;
    case WM_UNDO:
    case EM_UNDO: result = undo(); break;
    case EM_CANUNDO: return canUndo;
    case EM_EMPTYUNDOBUFFER: canUndo = false; mergeUndo = false; return 0;
    case EM_GETMODIFY: return modified;
    case EM_SETMODIFY: modified = wParam != 0; return 0;
    case EM_GETSEL: return getSel(wParam, lParam);
    case EM_SETSEL: setSel(wParam, lParam); break;
    case EM_REPLACESEL: {
        std::string insert = lParam ? reinterpret_cast<const char*>(lParam) : "";
        replace(selectionStart(), selectionEnd(), insert, EditKind::Other, Notify::Yes);
        if (!wParam)
            canUndo = false;
        break;
    }
    case EM_LIMITTEXT:
        limit = wParam == 0 ? INT_MAX - 1 : static_cast<int>(std::min<WPARAM>(wParam, INT_MAX - 1));
        return 0;
    case EM_GETLIMITTEXT: return limit;
    case EM_SETPASSWORDCHAR: {
        char value = static_cast<char>(wParam);
        if (multiLine() || value == passwordChar)
            return 0;
        passwordChar = value;
        LONG_PTR s = GetWindowLongPtr(window, GWL_STYLE);
        SetWindowLongPtr(window, GWL_STYLE, value ? (s | ES_PASSWORD) : (s & ~static_cast<LONG_PTR>(ES_PASSWORD)));
        layoutAll();
        scrollCaretIntoView();
        invalidateText();
        updateCaret();
        return 0;
    }
    case EM_GETPASSWORDCHAR: return static_cast<unsigned char>(passwordChar);
    case EM_SETREADONLY: {
        LONG_PTR s = GetWindowLongPtr(window, GWL_STYLE);
        SetWindowLongPtr(window, GWL_STYLE, wParam ? (s | ES_READONLY) : (s & ~static_cast<LONG_PTR>(ES_READONLY)));
        invalidateText();
        return TRUE;
    }
    case EM_GETRECT:
        if (lParam)
            *reinterpret_cast<RECT*>(lParam) = formatRect;
        return 0;
    case EM_SETRECT:
    case EM_SETRECTNP: {
        if (lParam) {
            formatRect = *reinterpret_cast<const RECT*>(lParam);
            formatRect.left += leftMargin;
            formatRect.right = std::max(formatRect.left, formatRect.right - rightMargin);
            if (!multiLine())
                formatRect.bottom = formatRect.top + lineHeight;
            formatRectSet = true;
        } else {
            resetFormatRect();
        }
        layoutAll();
        scrollCaretIntoView();
        updateCaret();
        updateScrollBars();
        if (message == EM_SETRECT)
            invalidateText();
        return 0;
    }
    case EM_SETMARGINS: {
        int fromFont = std::max(1, averageCharWidth / 4);
        auto margin = [&](WORD value) { return value == EC_USEFONTINFO ? fromFont : static_cast<int>(value); };
        if (wParam & EC_LEFTMARGIN) {
            int value = margin(LOWORD(static_cast<uintptr_t>(lParam)));
            formatRect.left += value - leftMargin;
            leftMargin = value;
        }
        if (wParam & EC_RIGHTMARGIN) {
            int value = margin(HIWORD(static_cast<uintptr_t>(lParam)));
            formatRect.right -= value - rightMargin;
            rightMargin = value;
        }
        formatRect.right = std::max(formatRect.left, formatRect.right);
        layoutAll();
        scrollCaretIntoView();
        invalidateText();
        updateCaret();
        return 0;
    }
    case EM_GETMARGINS: return MAKELPARAM(leftMargin, rightMargin);
    case EM_GETLINECOUNT: return lineCount();
    case EM_LINEINDEX: return lineIndex(static_cast<int>(wParam));
    case EM_LINELENGTH: return lineLength(static_cast<int>(wParam));
    case EM_LINEFROMCHAR: {
        auto position = static_cast<int>(wParam);
        if (position == -1)
            return lineOf(hasSelection() ? selectionStart() : caret, !hasSelection() && caretAtLineEnd);
        return lineOf(clampPosition(position));
    }
    case EM_GETLINE: return getLine(static_cast<int>(wParam), reinterpret_cast<char*>(lParam));
    case EM_GETFIRSTVISIBLELINE: {
        if (multiLine())
            return firstLine;
        std::vector<int> e = edges(lines[0]);
        return std::lower_bound(e.begin(), e.end(), xOffset) - e.begin();
    }
    case EM_LINESCROLL:
        if (!multiLine())
            return FALSE;
        scrollTo(firstLine + static_cast<int>(lParam),
                 std::min(maxXOffset(), xOffset + static_cast<int>(static_cast<intptr_t>(wParam)) * averageCharWidth));
        result = TRUE;
        break;
    case EM_SCROLL: {
        if (!multiLine())
            return FALSE;
        int before = firstLine;
        onVScroll(static_cast<int>(wParam), 0);
        result = MAKELPARAM(firstLine - before, TRUE);
        break;
    }
    case EM_SCROLLCARET: scrollCaretIntoView(); result = TRUE; break;
    case EM_POSFROMCHAR: return posFromChar(static_cast<int>(wParam));
    case EM_CHARFROMPOS: return charFromPos({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    default: return DefWindowProc(window, message, wParam, lParam);
    }
    flushNotifications();
    return result;
}

bool EditField::notifyParent(WORD code)
{
    HWND parent = GetParent(window);
    if (parent) {
        auto id = static_cast<int>(GetWindowLongPtr(window, GWLP_ID));
        SendMessage(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(window));
    }
    return !destroyed;
}

void EditField::flushNotifications()
{
    static const std::pair<unsigned, WORD> order[] = {
        {pendingSetFocus, EN_SETFOCUS}, {pendingKillFocus, EN_KILLFOCUS}, {pendingMaxText, EN_MAXTEXT},
        {pendingHScroll, EN_HSCROLL},   {pendingVScroll, EN_VSCROLL},     {pendingUpdate, EN_UPDATE},
        {pendingChange, EN_CHANGE}};
    for (auto [bit, code] : order) {
        if (!(pending & bit))
            continue;
        pending &= ~bit;
        if (!notifyParent(code))
            return;
    }
}

// ---- Reading and setting ----------------------------------------------------------

LRESULT EditField::getSel(WPARAM wParam, LPARAM lParam) const
{
    if (wParam)
        *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(selectionStart());
    if (lParam)
        *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(selectionEnd());
    return MAKELPARAM(std::min(selectionStart(), 0xFFFF), std::min(selectionEnd(), 0xFFFF));
}

// Positions are unsigned, as the desktop field takes them: -1 (or any other
// negative value) and values past the end mean the end; a start of -1 only
// drops the selection.
void EditField::setSel(WPARAM wParam, LPARAM lParam)
{
    auto unsignedPosition = [](uintptr_t value) { return static_cast<long long>(static_cast<uint32_t>(value)); };
    int newAnchor, newCaret;
    if (static_cast<int32_t>(wParam) == -1) {
        newAnchor = newCaret = caret;
    } else {
        newAnchor = clampPosition(unsignedPosition(wParam));
        newCaret = clampPosition(unsignedPosition(static_cast<uintptr_t>(lParam)));
    }
    mergeUndo = false;
    desiredX = -1;
    setSelection(newAnchor, newCaret);
    scrollCaretIntoView();
    updateCaret();
}

void EditField::setSelection(int newAnchor, int newCaret, bool atLineEnd)
{
    int oldStart = selectionStart(), oldEnd = selectionEnd();
    anchor = newAnchor;
    caret = newCaret;
    caretAtLineEnd = atLineEnd && anchor == caret;
    int newStart = selectionStart(), newEnd = selectionEnd();
    if (oldStart == oldEnd && newStart == newEnd)
        return;  // a caret that moves changes no highlight
    if (oldStart == oldEnd || newStart == newEnd) {
        invalidateSelection(std::min(oldStart, newStart), std::max(oldEnd, newEnd));
        return;
    }
    invalidateSelection(oldStart, newStart);
    invalidateSelection(oldEnd, newEnd);
}

void EditField::setText(const std::string& value)
{
    text = convertCase(value);
    anchor = caret = 0;
    caretAtLineEnd = false;
    desiredX = -1;
    firstLine = 0;
    xOffset = 0;
    canUndo = false;
    mergeUndo = false;
    modified = false;
    layoutAll();
    invalidateText();
    updateCaret();
    updateScrollBars();
    // A multi-line field does not report text set this way.
    if (!multiLine())
        pending |= pendingUpdate | pendingChange;
}

LRESULT EditField::lineIndex(int line) const
{
    if (line == -1)
        line = lineOf(caret, caretAtLineEnd);
    if (line < 0 || line >= lineCount())
        return -1;
    return lines[static_cast<size_t>(line)].start;
}

// -1: the characters left unselected on the lines that hold the selection.
LRESULT EditField::lineLength(int position) const
{
    if (!multiLine())
        return length();
    if (position == -1) {
        const Line& first = lines[static_cast<size_t>(lineOf(selectionStart()))];
        const Line& last = lines[static_cast<size_t>(lineOf(selectionEnd(), !hasSelection() && caretAtLineEnd))];
        return (selectionStart() - first.start) + std::max(0, last.start + last.length - selectionEnd());
    }
    return lines[static_cast<size_t>(lineOf(clampPosition(position)))].length;
}

// The buffer's first two bytes give its size; the line is copied without a NUL.
LRESULT EditField::getLine(int line, char* buffer) const
{
    if (!buffer || line < 0 || line >= lineCount())
        return 0;
    WORD room;
    std::memcpy(&room, buffer, sizeof room);
    const Line& l = lines[static_cast<size_t>(multiLine() ? line : 0)];
    int count = std::min<int>(room, l.length);
    std::memcpy(buffer, text.data() + l.start, static_cast<size_t>(count));
    return count;
}

LRESULT EditField::posFromChar(int position) const
{
    if (position < 0 || position > length())
        return -1;
    TPoint at = positionToPoint(clampPosition(position), false);
    return MAKELPARAM(at.x, at.y);
}

LRESULT EditField::charFromPos(TPoint at) const
{
    int position = pointToPosition(at, nullptr);
    return MAKELPARAM(std::min(position, 0xFFFF), std::min(lineOf(position), 0xFFFF));
}

// ---- Editing -----------------------------------------------------------------------

std::string EditField::convertCase(std::string value) const
{
    DWORD s = style();
    if (s & ES_UPPERCASE)
        std::ranges::transform(value, value.begin(), AnsiCharUpper);
    else if (s & ES_LOWERCASE)
        std::ranges::transform(value, value.begin(), AnsiCharLower);
    return value;
}

// A single-line field without horizontal scrolling takes no more than it can
// show; a multi-line one without vertical scrolling no more lines than it shows.
bool EditField::overflows() const
{
    DWORD s = style();
    if (!(s & ES_MULTILINE))
        return !(s & ES_AUTOHSCROLL) && widest + 1 > formatRect.Width();
    return !(s & ES_AUTOVSCROLL) && !(s & WS_VSCROLL) && lineCount() > visibleLines();
}

bool EditField::replace(int from, int to, std::string insert, EditKind kind, Notify notify, bool limited)
{
    from = clampPosition(from);
    to = clampPosition(to);
    if (from > to)
        std::swap(from, to);
    if (auto nul = insert.find('\0'); nul != std::string::npos)
        insert.resize(nul);
    insert = convertCase(std::move(insert));
    bool maxed = false;
    if (limited) {
        long long room = static_cast<long long>(limit) - (length() - (to - from));
        if (room < static_cast<long long>(insert.size())) {
            maxed = true;
            size_t keep = static_cast<size_t>(std::max(0LL, room));
            if (keep > 0 && insert[keep - 1] == '\r' && insert[keep] == '\n')
                --keep;  // never half a line break
            insert.resize(keep);
        }
    }
    if (notify == Notify::Yes && maxed)
        pending |= pendingMaxText;
    if (from == to && insert.empty())
        return false;

    std::string removed = text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
    const int linesBefore = lineCount();
    text.replace(static_cast<size_t>(from), removed.size(), insert);
    relayout(from, static_cast<int>(removed.size()), static_cast<int>(insert.size()));
    if (overflows()) {
        text.replace(static_cast<size_t>(from), insert.size(), removed);
        relayout(from, static_cast<int>(insert.size()), static_cast<int>(removed.size()));
        if (notify == Notify::Yes)
            pending |= pendingMaxText;
        return false;
    }
    recordUndo(from, to, insert, removed, kind);
    modified = true;
    desiredX = -1;
    anchor = caret = from + static_cast<int>(insert.size());
    caretAtLineEnd = false;
    if (relaidLinesMoved || lineCount() != linesBefore)
        invalidateLines(relaidFirst, -1);
    else
        invalidateLines(relaidFirst, relaidFirst + relaidCount - 1);
    if (!scrollCaretIntoView())
        updateCaret();
    updateScrollBars();
    if (notify == Notify::Yes)
        pending |= pendingUpdate | pendingChange;
    return true;
}

// Typing, Backspace and Delete right at the end of the last typed run join it,
// so one undo takes back what was typed since the caret last moved.
void EditField::recordUndo(int from, int to, const std::string& insert, const std::string& removed, EditKind kind)
{
    auto& record = undoRecord;
    const int runEnd = record.position + static_cast<int>(record.inserted.size());
    const bool joins = mergeUndo && canUndo && kind != EditKind::Other;
    if (joins && kind == EditKind::Typing && from == to && from == runEnd) {
        record.inserted += insert;
    } else if (joins && kind == EditKind::Backspace && insert.empty() && to == runEnd) {
        if (from >= record.position) {
            record.inserted.resize(static_cast<size_t>(from - record.position));
        } else {
            record.removed = removed.substr(0, static_cast<size_t>(record.position - from)) + record.removed;
            record.inserted.clear();
            record.position = from;
        }
    } else if (joins && kind == EditKind::Delete && insert.empty() && from == runEnd) {
        record.removed += removed;
    } else {
        record.position = from;
        record.removed = removed;
        record.inserted = insert;
    }
    record.kind = kind;
    canUndo = true;
    mergeUndo = kind != EditKind::Other;
}

// Puts the removed text back and selects it; undoing again redoes.
bool EditField::undo()
{
    if (!canUndo)
        return false;
    auto& record = undoRecord;
    const int from = std::clamp(record.position, 0, length());
    const int to = std::min(length(), from + static_cast<int>(record.inserted.size()));
    std::string restored = record.removed;
    std::string taken = text.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
    const int linesBefore = lineCount();
    text.replace(static_cast<size_t>(from), taken.size(), restored);
    relayout(from, static_cast<int>(taken.size()), static_cast<int>(restored.size()));
    record.position = from;
    record.removed = taken;
    record.inserted = restored;
    record.kind = EditKind::Other;
    mergeUndo = false;
    modified = true;
    desiredX = -1;
    anchor = from;
    caret = from + static_cast<int>(restored.size());
    caretAtLineEnd = false;
    if (relaidLinesMoved || lineCount() != linesBefore)
        invalidateLines(relaidFirst, -1);
    else
        invalidateLines(relaidFirst, relaidFirst + relaidCount - 1);
    invalidateSelection(anchor, caret);
    if (!scrollCaretIntoView())
        updateCaret();
    updateScrollBars();
    pending |= pendingUpdate | pendingChange;
    return true;
}

// CR LF is one break.
int EditField::wordRight(int position) const
{
    const auto at = [this](int i) { return text[static_cast<size_t>(i)]; };
    return varn::detail::wordRight(position, length(), at, [&](int p) {
        return at(p) == '\r' && p + 1 < length() && at(p + 1) == '\n' ? 2 : 1;
    });
}

int EditField::wordLeft(int position) const
{
    const auto at = [this](int i) { return text[static_cast<size_t>(i)]; };
    return varn::detail::wordLeft(position, at,
                                  [&](int p) { return p >= 2 && at(p - 1) == '\n' && at(p - 2) == '\r' ? 2 : 1; });
}

// A password field gives nothing away.
void EditField::copy()
{
    if (!hasSelection() || showsPassword())
        return;
    backend().setClipboardText(text.substr(static_cast<size_t>(selectionStart()),
                                           static_cast<size_t>(selectionEnd() - selectionStart())));
}

void EditField::cut()
{
    if (readOnly() || showsPassword() || !hasSelection())
        return;
    copy();
    clearSelection();
}

// A single-line field takes the clipboard's first line only.
void EditField::paste()
{
    if (readOnly())
        return;
    std::string insert = backend().clipboardText();
    if (auto nul = insert.find('\0'); nul != std::string::npos)
        insert.resize(nul);
    if (!multiLine()) {
        if (auto lineBreak = insert.find_first_of("\r\n"); lineBreak != std::string::npos)
            insert.resize(lineBreak);
    }
    replace(selectionStart(), selectionEnd(), insert, EditKind::Other, Notify::Yes);
}

void EditField::clearSelection()
{
    if (readOnly() || !hasSelection())
        return;
    replace(selectionStart(), selectionEnd(), "", EditKind::Other, Notify::Yes);
}

}  // namespace varn::detail
