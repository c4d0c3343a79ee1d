// The grid's in-cell editor, created hidden. Editing itself lives with the
// editor's own work.
#pragma once

#include "platform/Controls.h"

class TVarnGrid;

class TVGEdit : public TWinControl {
public:
    explicit TVGEdit(TVarnGrid* grid);
    AnsiString ClassName() const override { return "TVGEdit"; }

protected:
    TVarnGrid* grid;  // owner and parent
};
