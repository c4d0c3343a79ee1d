// The grid's scrolling body. For now it offers the operations the grid's data
// side calls; scrolling and row painting live with the painting work.
#pragma once

#include "platform/Controls.h"

class TVarnGrid;

class TVGScrollBox : public TCustomControl {
public:
    explicit TVGScrollBox(TVarnGrid* grid);
    AnsiString ClassName() const override { return "TVGScrollBox"; }

    // Recomputes scroll ranges and column positions; true repaints everything.
    void UpdateScroll(bool repaintAll);
    // Draws one row at once.
    void PaintRow(int row);
    // Client width (true) or height (false).
    int GetClientSize(bool width);
    void RepaintSelection();

protected:
    TVarnGrid* grid;  // owner and parent
};
