// The grid's scrolling body: it owns the scroll bars, keeps the column edges
// and paints the rows.
#pragma once

#include "grid/FontAttr.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/ScrollBox.h"
#include "utils/BlockArray.h"

#include <memory>

class TVarnGrid;

// Built on the framework's scroll box: its HorzScrollBar and VertScrollBar are
// the body's scroll bars, with ranges that the grid sets (AutoScroll off).
class TVGScrollBox : public TScrollBox {
public:
    explicit TVGScrollBox(TVarnGrid* grid);
    ~TVGScrollBox() override;
    AnsiString ClassName() const override { return "TVGScrollBox"; }

    // Recomputes scroll ranges and column edges; true fills the whole body on
    // the next paint.
    void UpdateScroll(bool repaintAll);
    // The same, put off until the bars, the client size or the geometry are
    // next asked for, a message arrives or the body paints: appending a
    // million rows works the ranges out once.
    void UpdateScrollLater();
    void UpdatePendingScroll() override;
    TRect GetClientRect() override;
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
    TControlCanvas* BodyCanvas() { return bodyCanvas.get(); }

    void WndProc(TMessage& Message) override;

protected:
    void CreateWnd() override;
    virtual void PaintBody();

private:
    void paintMessage(TMessage& Message);
    void scrollMessage(TMessage& Message, bool vertical);
    void paintRowOn(int row);
    TRect rowsArea();
    void fillOutsideRows(TCanvas* canvas);

    TVarnGrid* grid;  // owner and parent
    sArray<int> colEdges;
    std::unique_ptr<TControlCanvas> bodyCanvas;
    bool inPaint = false;
    bool repaintAll = false;
    bool scrollPending = false;  // UpdateScrollLater asked and not yet done
    std::unique_ptr<TFontAttr> defaultAttr;
    int horzOffset = 0;

    friend class TVarnGrid;
};
