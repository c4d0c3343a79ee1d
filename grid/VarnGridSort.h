// The program-wide state of a running SortBy: the keys and the grid being
// sorted. Only one sort runs at a time; the state is cleared when the sort
// ends, also by an exception, and when the remembered grid is destroyed.
#pragma once

#include "utils/BlockArray.h"

class TVarnGrid;

namespace varn::detail {

extern nStringArray sortKeys;
extern TVarnGrid* sortGrid;  // nullptr outside a sort

// Called by a grid's destructor.
void forgetSortGrid(TVarnGrid* grid);

}  // namespace varn::detail
