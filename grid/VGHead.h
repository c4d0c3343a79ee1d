// The grid's column header: one caption per column at the body's column
// positions, and widths changed by dragging a caption's right edge.
#pragma once

#include "platform/Controls.h"
#include "utils/BlockArray.h"

class TVarnGrid;

class TVGHead : public TCustomControl {
public:
    explicit TVGHead(TVarnGrid* grid);
    AnsiString ClassName() const override { return "TVGHead"; }

    // Both repaint the header; painting reads the body's column edges.
    void SetScrollOffset(int value);
    void SetTotalWidth(int value);
    int GetScrollOffset() const { return scrollOffset; }
    int GetTotalWidth() const { return totalWidth; }

    // Caption rectangle of column i as of the last paint or hit test.
    TRect CellRect(int i) const { return cellRects.Get(i); }
    int ResizeCol() const { return resizeCol; }
    bool Resizing() const { return resizing; }

    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;

private:
    void BuildCellRects();
    void HeadMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void HeadMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void HeadMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

    // Column whose caption holds x (the filler column too), or -1.
    int columnAt(int x) const;
    void paintSortArrow(TCanvas& canvas, const TRect& caption, bool descending, int rank);

    TVarnGrid* grid;       // owner and parent
    int pressCol = -1;     // caption pressed outside a resize zone, for sorting
    sArray<TRect> cellRects;
    bool mouseDown = false;
    bool resizing = false;
    int resizeCol = -1;
    bool widthChanged = false;  // the current press dragged a width
    int scrollOffset = 0;  // horizontal offset of the captions, <= 0
    int totalWidth = 0;    // sum of the column widths
};
