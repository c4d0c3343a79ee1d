// The grid's column header. For now it only keeps what the grid hands it; the
// drawing, sizing and dragging of captions live with the header's own work.
#pragma once

#include "platform/Controls.h"

class TVarnGrid;

class TVGHead : public TCustomControl {
public:
    explicit TVGHead(TVarnGrid* grid);
    AnsiString ClassName() const override { return "TVGHead"; }

    void SetScrollOffset(int value) { scrollOffset = value; }
    void SetTotalWidth(int value) { totalWidth = value; }
    int GetScrollOffset() const { return scrollOffset; }
    int GetTotalWidth() const { return totalWidth; }

protected:
    TVarnGrid* grid;       // owner and parent
    int scrollOffset = 0;  // horizontal offset of the captions, <= 0
    int totalWidth = 0;    // sum of the column widths
};
