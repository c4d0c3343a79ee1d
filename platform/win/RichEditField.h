// The rich-text field, window class "RichEdit20A": its window procedure keeps one
// RichEditField per window. The field keeps a RichDocument and one Pango layout
// per paragraph at the screen's resolution, stacked from the top of the text; the
// view scrolls by pixels. Content, layout and edits are in RichEditField.cpp,
// painting and the user's input in RichEditInput.cpp, streams and rendering onto
// pages in RichEditExchange.cpp.
#pragma once

#include "platform/win/RichEdit.h"
#include "platform/win/RichLayout.h"
#include "platform/win/RichText.h"

#include <cairo.h>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

namespace varn::detail {

class RichEditField {
public:
    RichEditField(HWND window, const CREATESTRUCT& create);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    int depth = 0;
    bool destroyed = false;

private:
    int length() const { return document.length(); }
    bool readOnly() const { return GetWindowLongPtr(window, GWL_STYLE) & ES_READONLY; }
    bool hasSelection() const { return anchor != caret; }
    int selectionStart() const { return std::min(anchor, caret); }
    int selectionEnd() const { return std::max(anchor, caret); }
    TRect textArea() const;

    // ---- Content and layout (RichEditField.cpp) ----
    void setContent(const std::string& text, bool selectionOnly);
    // Puts a document in place of [from, to) with its own formats.
    void insertDocument(const RichDocument& part, int from, int to);
    // After text[from, from + inserted) took the place of `removed` characters:
    // lays out again only the paragraphs the change touched; those after it move.
    void relayoutChange(int firstParagraph, int oldCount, int newCount, int delta);
    void restack();
    void relayout();
    int maxOffset() const { return std::max(0, totalHeight - textArea().Height()); }
    int paragraphAtY(int y) const;
    int paragraphOfPosition(int position) const;
    // Caret rectangle in client coordinates.
    TRect caretRect(int position) const;
    int positionAt(TPoint point) const;

    // ---- Editing ----
    void saveUndo();
    const RichCharFormat& formatForTyping() const;
    void replace(int from, int to, const std::string& insert);
    enum class Layout { Due, Done };
    void changed(Layout layout = Layout::Due);
    bool undo();
    void copy();
    void paste();
    void setSelection(int newAnchor, int newCaret);
    void moveCaret(int position, bool extend);
    // Words as the edit field moves over them: a run of letters or of other
    // marks and the blanks after it; a paragraph end is a step of its own.
    int wordLeft(int position) const;
    int wordRight(int position) const;
    // Start and end of the shown line that holds position.
    std::pair<int, int> lineBounds(int position) const;
    void moveVertically(int pixels, bool extend);

    // ---- View ----
    bool scrollCaretIntoView();
    bool scrollTo(int offset);
    int lineStep() const;  // pixels a line of the window's font takes
    void updateCaret();
    void updateScrollBar();

    // ---- Painting and input (RichEditInput.cpp) ----
    void paint();
    void onKeyDown(int key);
    void onChar(unsigned char ch);
    void onMouseDown(TPoint at, WPARAM keys);
    void onDoubleClick(TPoint at);
    void onMouseMove(TPoint at);
    void onMouseUp();
    void onVScroll(int code, int position);

    // ---- Streams and pages (RichEditExchange.cpp) ----
    LRESULT streamIn(WPARAM format, EDITSTREAM* stream);
    LRESULT streamOut(WPARAM format, EDITSTREAM* stream);
    // Lays out [cpMin, cpMax) in rc at the DC's resolution, line by line, until a
    // line would pass the bottom; answers the first character not rendered. A
    // page always takes at least one line, so printing always ends.
    LRESULT formatRange(bool render, const FORMATRANGE* range);

    static constexpr int screenPixelsPerInch = 96;
    static constexpr int margin = 1;  // pixels between the client edge and the text
    static void setSourceColour(cairo_t* cr, COLORREF color);
    // The format a window font gives text: its face, its size in half points at the
    // screen's resolution, its styles.
    static RichCharFormat formatOfFont(const TFontSpec& font);

    HWND window;
    RichDocument document;
    std::vector<RichParagraphLayout> paragraphs;  // one per paragraph, at the window's width
    std::vector<int> tops;                        // pixels from the top of the text to each paragraph
    int totalHeight = 0;
    int yOffset = 0;          // pixels scrolled
    int anchor = 0;           // where the selection started
    int caret = 0;            // its moving end
    int desiredX = -1;        // x that Up and Down keep; -1: the caret's
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

}  // namespace varn::detail
