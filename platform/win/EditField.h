// The standard edit field, window class "EDIT": one or many lines of 8-bit text
// with a caret, a selection, single-level undo and the clipboard. Its window
// procedure (EditField.cpp) keeps one EditField per window; the text is laid out
// in lines (EditLayout.cpp), painted and driven by the user (EditInput.cpp).
#pragma once

#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <string>
#include <vector>

namespace varn::detail {

class EditField {
public:
    EditField(HWND window, const CREATESTRUCT& create);
    ~EditField();
    EditField(const EditField&) = delete;
    EditField& operator=(const EditField&) = delete;

    // One message of the window; the window procedure keeps the field alive
    // until the outermost message returns, even when a notification destroys it.
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    int depth = 0;           // messages being handled (nested sends count)
    bool destroyed = false;  // WM_NCDESTROY came: delete once depth is 0

private:
    // A line as shown: a piece of the text up to a hard break, or up to where a
    // long paragraph wraps.
    struct Line {
        int start = 0;        // offset of its first character
        int length = 0;       // characters shown, the break left out
        int breakLength = 0;  // characters of the hard break after it (CR LF 2, CR or LF 1); 0: wrapped or last
        int width = 0;        // pixels
    };
    enum class EditKind { Other, Typing, Backspace, Delete };
    enum class Notify { No, Yes };

    // ---- Text and layout (EditLayout.cpp) ----
    DWORD style() const;
    bool multiLine() const { return style() & ES_MULTILINE; }
    bool wraps() const;
    bool readOnly() const { return style() & ES_READONLY; }
    bool showsPassword() const { return passwordChar != 0 && !multiLine(); }
    int length() const { return static_cast<int>(text.size()); }
    // Clamps a position into the text and off the middle of a CR LF.
    int clampPosition(long long position) const;
    int lineCount() const { return static_cast<int>(lines.size()); }
    int lineOf(int position, bool atLineEnd = false) const;
    int visibleLines() const;
    // The text of a line as drawn: password characters, control bytes as blanks.
    std::string shownText(const Line& line) const;
    // Right edges of a line's characters from its start, with edges[0] = 0.
    std::vector<int> edges(const Line& line) const;
    int textWidth(const std::string& shown) const;
    void layoutAll();
    // After text[position, position + inserted) replaced `removed` characters:
    // lays out again only the paragraphs the change touched.
    void relayout(int position, int removed, int inserted);
    std::vector<Line> layoutRange(int start, int end, bool withTail) const;
    void layoutParagraph(int start, int end, int breakLength, std::vector<Line>& out) const;
    void updateWidest();
    void setFont(const TFontSpec& fontSpec);
    void resetFormatRect();

    // ---- Geometry, scrolling, caret ----
    TPoint positionToPoint(int position, bool atLineEnd) const;  // client coordinates of the caret there
    int pointToPosition(TPoint point, bool* atLineEnd) const;
    int lineAt(int y) const;  // the line under a client y, clamped to the lines
    int lineLeft() const { return formatRect.left - xOffset; }
    int lineTop(int line) const { return formatRect.top + (line - firstLine) * lineHeight; }
    int maxFirstLine() const;
    int maxXOffset() const;
    // Scrolls so that the caret shows; answers whether the view moved.
    bool scrollCaretIntoView();
    bool scrollTo(int line, int x);
    void scrollLines(int lines);
    void updateCaret();
    void updateScrollBars();
    void invalidateText();
    void invalidateLines(int first, int last);
    void invalidateSelection(int from, int to);

    // ---- Editing ----
    bool hasSelection() const { return anchor != caret; }
    int selectionStart() const { return std::min(anchor, caret); }
    int selectionEnd() const { return std::max(anchor, caret); }
    void setSelection(int newAnchor, int newCaret, bool atLineEnd = false);
    // Replaces text[from, to) with insert (case converted, cut to the limit) and
    // puts the caret after it; Notify::Yes sends EN_UPDATE, EN_CHANGE and
    // EN_MAXTEXT. Answers whether the text changed.
    bool replace(int from, int to, std::string insert, EditKind kind, Notify notify, bool limited = true);
    bool overflows() const;
    void recordUndo(int from, int to, const std::string& insert, const std::string& removed, EditKind kind);
    bool undo();
    void setText(const std::string& value);
    std::string convertCase(std::string value) const;
    int wordLeft(int position) const;
    int wordRight(int position) const;
    void copy();
    void cut();
    void paste();
    void clearSelection();
    // Sends WM_COMMAND with code to the parent; answers whether the field lives on.
    bool notifyParent(WORD code);
    // Sends the notifications that the message just handled gave rise to.
    void flushNotifications();

    // ---- Painting and input (EditInput.cpp) ----
    void paint();
    void paintLine(HDC dc, int line, const TRect& update, COLORREF textColor);
    void onKeyDown(int key);
    void onChar(unsigned char ch);
    void onMouseDown(TPoint at, WPARAM keys);
    void onDoubleClick(TPoint at);
    void onMouseMove(TPoint at);
    void onMouseUp();
    void dragStep();
    static constexpr UINT_PTR dragTimerId = 0xED17;  // scrolls while a drag is outside the text
    static constexpr UINT dragInterval = 100;
    void onSetFocus();
    void onKillFocus();
    void onVScroll(int code, int position);
    void onHScroll(int code, int position);
    void onWheel(int delta);
    void moveCaret(int position, bool extend, bool atLineEnd = false);
    void moveVertically(int lines, bool extend);
    LRESULT getSel(WPARAM wParam, LPARAM lParam) const;
    void setSel(WPARAM wParam, LPARAM lParam);
    LRESULT lineIndex(int line) const;
    LRESULT lineLength(int position) const;
    LRESULT getLine(int line, char* buffer) const;
    LRESULT charFromPos(TPoint at) const;
    LRESULT posFromChar(int position) const;

    HWND window;
    std::string text;
    std::vector<Line> lines;  // at least one
    int widest = 0;           // widest line in pixels
    int anchor = 0;           // where the selection started
    int caret = 0;            // the selection's moving end, where the caret is
    bool caretAtLineEnd = false;  // a caret at a wrap point shows at the end of the upper line
    int desiredX = -1;        // x that Up and Down keep, -1: the caret's
    int firstLine = 0;        // first line shown (multi-line)
    int xOffset = 0;          // pixels scrolled to the left
    TRect formatRect;         // where the text goes, client coordinates
    bool formatRectSet = false;  // given by EM_SETRECT(NP) rather than following the client size
    int leftMargin = 1;
    int rightMargin = 1;
    int limit = 32767;        // characters the user may enter
    char passwordChar = 0;
    bool modified = false;
    bool focused = false;
    bool tracking = false;    // the left button selects
    bool updatingScrollBars = false;
    int wheelRemainder = 0;
    TFontSpec font;
    HFONT fontHandle = nullptr;  // as WM_SETFONT gave it (not owned)
    HDC measureDC = nullptr;     // measures text in the font
    int lineHeight = 14;
    int averageCharWidth = 6;

    // Single-level undo: putting `removed` back at position in place of the
    // `inserted` characters that are there now undoes the last edit.
    struct {
        int position = 0;
        std::string removed;
        std::string inserted;
        EditKind kind = EditKind::Other;
    } undoRecord;
    bool canUndo = false;
    bool mergeUndo = false;   // the next typed edit may join the last record

    unsigned version = 0;     // changes with the text, its layout and the way it is shown
    struct EdgeCache {
        unsigned version = ~0u;
        int start = 0;
        int length = -1;
        std::vector<int> edges;
    };
    mutable EdgeCache edgeCache;  // the edges measured last
    int relaidFirst = 0;          // lines the last layout produced: first and count
    int relaidCount = 0;
    bool relaidLinesMoved = false;  // it changed the number of lines

    // Notifications owed to the parent, sent when the message is handled.
    static constexpr unsigned pendingSetFocus = 1, pendingKillFocus = 2, pendingMaxText = 4, pendingHScroll = 8,
                              pendingVScroll = 16, pendingUpdate = 32, pendingChange = 64;
    unsigned pending = 0;
};

}  // namespace varn::detail
