// The grid's in-cell editor, created hidden. Editing itself lives with the
// editor's own work.
#pragma once

#include "platform/Controls.h"

class TVarnGrid;

class TVGEdit : public TWinControl {
public:
    explicit TVGEdit(TVarnGrid* grid);
    AnsiString ClassName() const override { return "TVGEdit"; }

    // Opens the editor over column col of the current row. Nothing happens
    // until the editor does its own work.
    virtual void BeginEditAt(int col) { (void)col; }

protected:
    TVarnGrid* grid;  // owner and parent
};
