// The grid's scrolling body: it owns the scroll bars, keeps the column edges
// and paints the rows.
#pragma once

#include "grid/FontAttr.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "utils/BlockArray.h"

#include <memory>

class TVarnGrid;

// One of the body's scroll bars: range, position and step, kept here and
// handed to the window's standard scroll bar with the client size as page.
class TVGScrollBar {
public:
    TVGScrollBar(TWinControl* control, int bar) : control(control), bar(bar) {}

    int Range() const { return range; }
    void SetRange(int value);
    // Clamped to 0 .. Range - page.
    int Position() const { return position; }
    void SetPosition(int value);
    int Increment() const { return increment; }
    void SetIncrement(int value) { increment = value; }
    bool Tracking = false;
    bool HotTrack = false;

    int Page();
    // Hands range, page and position to the window.
    void Apply();

private:
    TWinControl* control;
    int bar;  // SB_HORZ or SB_VERT
    int range = 0;
    int position = 0;
    int increment = 8;
};

class TVGScrollBox : public TCustomControl {
public:
    explicit TVGScrollBox(TVarnGrid* grid);
    ~TVGScrollBox() override;
    AnsiString ClassName() const override { return "TVGScrollBox"; }

    // Recomputes scroll ranges and column edges; true fills the whole body on
    // the next paint.
    void UpdateScroll(bool repaintAll);
    // Draws one row at once, inside or outside a paint message.
    void PaintRow(int row);
    TRect GetCellRect(int row, int col);
    TRect GetCheckRect(int row);
    TRect GetImageRect(int row);
    TRect GetRowRect(int row);
    // The text a cell shows: combo texts, formatted dates and times, and the
    // one-space padding of its alignment.
    AnsiString GetCellText(int row, int col);
    // Client width (true) or height (false).
    int GetClientSize(bool width);
    // Redraws the rows whose colours depend on the focus.
    void RepaintSelection();

    // Column edge k (0..N); the column count when asked for N.
    int ColumnEdge(int k) const { return colEdges.Get(k); }
    int ColumnEdgeCount() const { return colEdges.Count(); }
    int HorzOffset() const { return horzOffset; }
    TVGScrollBar* HorzScrollBar() { return &horzBar; }
    TVGScrollBar* VertScrollBar() { return &vertBar; }
    TControlCanvas* BodyCanvas() { return bodyCanvas.get(); }

    void WndProc(TMessage& Message) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    virtual void PaintBody();

private:
    void paintMessage(TMessage& Message);
    void scrollMessage(TMessage& Message, bool vertical);
    int thumbPosition(bool vertical, int thumb);
    void paintRowOn(int row);

    TVarnGrid* grid;  // owner and parent
    sArray<int> colEdges;
    std::unique_ptr<TControlCanvas> bodyCanvas;
    bool inPaint = false;
    bool repaintAll = false;
    std::unique_ptr<TFontAttr> defaultAttr;
    int horzOffset = 0;
    TVGScrollBar horzBar;
    TVGScrollBar vertBar;

    friend class TVarnGrid;
};
