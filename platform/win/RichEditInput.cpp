// The rich-text field on screen and under the user's hands: painting, keys, typed
// characters, the mouse and scrolling.
#include "platform/win/RichEditField.h"
#include "platform/win/TextFields.h"

#include <pango/pangocairo.h>

namespace varn::detail {

namespace {
bool keyDown(int key) { return GetKeyState(key) < 0; }
}  // namespace

void RichEditField::paint()
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
        setSourceColour(cr, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
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

void RichEditField::onKeyDown(int key)
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

void RichEditField::onChar(unsigned char ch)
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

void RichEditField::onMouseDown(TPoint at, WPARAM keys)
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

void RichEditField::onDoubleClick(TPoint at)
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

void RichEditField::onMouseMove(TPoint at)
{
    if (!tracking)
        return;
    setSelection(anchor, positionAt(at));
    if (!scrollCaretIntoView())
        updateCaret();
}

void RichEditField::onMouseUp()
{
    if (!tracking)
        return;
    tracking = false;
    if (GetCapture() == window)
        ReleaseCapture();
}

void RichEditField::onVScroll(int code, int position)
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

}  // namespace varn::detail
