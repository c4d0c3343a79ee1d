// Construction of the grid's three children and the body operations the data
// side relies on.
#include "grid/VGEdit.h"
#include "grid/VGHead.h"
#include "grid/VGScrollBox.h"
#include "grid/VarnGrid.h"

TVGHead::TVGHead(TVarnGrid* grid) : TCustomControl(grid), grid(grid) {}

TVGScrollBox::TVGScrollBox(TVarnGrid* grid) : TCustomControl(grid), grid(grid) {}

void TVGScrollBox::UpdateScroll(bool repaintAll)
{
    (void)repaintAll;
    Invalidate();
}

void TVGScrollBox::PaintRow(int row) { (void)row; }

int TVGScrollBox::GetClientSize(bool width) { return width ? ClientWidth() : ClientHeight(); }

void TVGScrollBox::RepaintSelection() { Invalidate(); }

TVGEdit::TVGEdit(TVarnGrid* grid) : TWinControl(grid), grid(grid) {}
