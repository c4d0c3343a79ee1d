// Construction of the grid's in-cell editor. The header and the body live in
// VGHead.cpp and VGScrollBox.cpp.
#include "grid/VGEdit.h"
#include "grid/VarnGrid.h"

TVGEdit::TVGEdit(TVarnGrid* grid) : TWinControl(grid), grid(grid) {}
