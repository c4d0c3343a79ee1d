// The grid's layout side: first-paint column layout, column scrolling, the
// refresh bracket and the focus that decides the selection colours.
#include "grid/VarnGrid.h"

#include "grid/VGEdit.h"
#include "grid/VGScrollBox.h"

int TVarnGrid::GetDiferenceRowHeight() const
{
    return FRowHeight > 0 ? body->GetClientSize(false) % FRowHeight : 0;
}

void TVarnGrid::Paint()
{
    if (!columnsReady) {
        UpdateColumns();
        columnsReady = true;
    }
}

void TVarnGrid::EnsureColVisible(int col)
{
    TRect cell = body->GetCellRect(-1, col);
    int width = body->GetClientSize(true);
    int offset = body->horzOffset;
    if (cell.left < 0)
        offset += cell.left;
    else if (cell.right > width)
        offset += cell.right - width;
    if (offset == body->horzOffset)
        return;
    body->horzOffset = offset;
    // The thumb follows, so the next scroll message starts from here.
    body->HorzScrollBar()->SetPosition(offset);
    body->UpdateScroll(true);
}

bool TVarnGrid::asLogicFocus() const
{
    return hasFocus || (editor && editor->IsFocused());
}

void TVarnGrid::PreRefresh()
{
    savedRowIndex = RowIndex;
    savedRowTop = GetRowTop();
    savedItemData = RowIndex != -1 && RowIndex < GetRowCount() ? GetRowData(RowIndex) : AnsiString();
    body->Hide();
}

void TVarnGrid::PostRefresh()
{
    if (FItemDataOnRefresh) {
        SetRowIndex(-1);
        SelectRowByItemData(savedItemData, 0);
        if (RowIndex == -1 && GetRowCount() > 0)
            SetRowIndex(savedRowIndex);
        if (RowIndex == savedRowIndex && savedRowTop != -1 && GetRowCount() > savedRowTop)
            SetRowTop(savedRowTop);
    } else {
        SetRowIndex(-1);
        if (savedRowIndex != -1 && GetRowCount() > savedRowIndex)
            SetRowIndex(savedRowIndex);
        if (savedRowTop != -1 && GetRowCount() > savedRowTop)
            SetRowTop(savedRowTop);
    }
    body->Show();
    UpdateColumns();
    savedRowIndex = -1;
    savedRowTop = -1;
    savedItemData.clear();
}
