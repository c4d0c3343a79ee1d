// The grid header: captions at the body's column positions and column
// resizing by dragging a caption's right edge.
#include "grid/VGHead.h"

#include "grid/VGScrollBox.h"
#include "grid/VarnGrid.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"

#include <utility>

namespace {
// The last pixels of a caption, its right edge included, start a resize.
constexpr int resizeZone = 5;
// Dragging never makes a column narrower than this.
constexpr int narrowestWidth = 7;
}  // namespace

TVGHead::TVGHead(TVarnGrid* grid) : TCustomControl(grid), grid(grid)
{
    OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
        HeadMouseDown(Sender, Button, Shift, X, Y);
    };
    OnMouseMove = [this](TObject* Sender, TShiftState Shift, int X, int Y) { HeadMouseMove(Sender, Shift, X, Y); };
    OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
        HeadMouseUp(Sender, Button, Shift, X, Y);
    };
}

void TVGHead::SetScrollOffset(int value)
{
    scrollOffset = value;
    Invalidate();
}

void TVGHead::SetTotalWidth(int value)
{
    totalWidth = value;
    Invalidate();
}

void TVGHead::BuildCellRects()
{
    cellRects.Clear();
    TVGScrollBox* body = grid->Body();
    for (int i = 0; i < grid->Columns()->Count(); ++i) {
        TRect cell = body->GetCellRect(-1, i);
        cellRects.Add(TRect{cell.left, 0, cell.right, Height()});
    }
}

void TVGHead::Paint()
{
    BuildCellRects();
    TCanvas canvas;
    canvas.SetHandle(PaintDC());
    canvas.SetFont(Font());  // the header's font, which follows the grid's parent
    canvas.Brush()->SetColor(grid->ColorHead());
    canvas.Pen()->SetColor(clSilver);
    canvas.FillRect(ClientRect());
    // Captions may run into their neighbours (no clipping): text goes over the fill only.
    canvas.Brush()->SetStyle(bsClear);
    TVGColumnCollection* columns = grid->Columns();
    for (int i = 0; i < cellRects.Count(); ++i) {
        TVGColumn* column = columns->Items(i);
        AnsiString text = " " + column->Caption() + " ";
        unsigned format = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_NOPREFIX;
        if (column->Alignment() == taRightJustify)
            format |= DT_RIGHT;
        else if (column->Alignment() == taCenter)
            format |= DT_CENTER;
        if (grid->LabelWrap())
            format |= DT_END_ELLIPSIS;
        TRect r = cellRects.Get(i);
        DrawTextEx(canvas.Handle(), text.data(), static_cast<int>(text.size()), &r, format, nullptr);
    }
    if (grid->SortOnHeaderClick()) {
        const std::vector<TVGSortKey>& keys = grid->HeaderSortKeys();
        for (size_t k = 0; k < keys.size(); ++k)
            if (keys[k].col < cellRects.Count())
                paintSortArrow(canvas, cellRects.Get(keys[k].col), keys[k].descending, static_cast<int>(k));
    }
    for (int i = 0; i < cellRects.Count(); ++i) {
        const TRect& r = cellRects.Get(i);
        if (i == 0) {
            canvas.MoveTo(r.left, 2);
            canvas.LineTo(r.left, Height() - 2);
        }
        canvas.MoveTo(r.right, 2);
        canvas.LineTo(r.right, Height() - 2);
    }
    canvas.SetHandle(nullptr);
}

// A triangle 7 pixels wide and 4 high left of the caption's right edge,
// pointing up for ascending and down for descending; keys after the first are
// drawn in grey.
void TVGHead::paintSortArrow(TCanvas& canvas, const TRect& caption, bool descending, int rank)
{
    int centre = caption.right - 8;
    if (centre - 3 <= caption.left)
        return;
    int top = (Height() - 4) / 2;
    canvas.Pen()->SetColor(rank == 0 ? Font()->Color() : clGray);
    for (int k = 0; k < 4; ++k) {
        int half = descending ? 3 - k : k;
        canvas.MoveTo(centre - half, top + k);
        canvas.LineTo(centre + half + 1, top + k);
    }
    canvas.Pen()->SetColor(clSilver);
}

int TVGHead::columnAt(int x) const
{
    for (int i = 0; i < cellRects.Count(); ++i) {
        const TRect& r = cellRects.Get(i);
        if (r.left <= x && x <= r.right)
            return i;
    }
    return -1;
}

void TVGHead::HeadMouseDown(TObject*, TMouseButton Button, TShiftState Shift, int X, int)
{
    mouseDown = true;
    widthChanged = false;
    pressCol = -1;
    if (Button != mbLeft)
        return;
    BuildCellRects();
    // A double click on a caption's resize zone fits the column to its text.
    if (Shift.Contains(ssDouble) && resizing && resizeCol >= 0) {
        grid->AutoFitColumn(resizeCol, false);
        return;
    }
    if (!resizing)
        pressCol = columnAt(X);
}

void TVGHead::HeadMouseMove(TObject*, TShiftState, int X, int)
{
    BuildCellRects();
    TVGColumnCollection* columns = grid->Columns();
    if (mouseDown && resizing) {
        if (resizeCol < 0 || resizeCol >= cellRects.Count())
            return;
        int width = X - cellRects.Get(resizeCol).left;
        if (width < narrowestWidth)
            return;
        // The filler column stops absorbing while the width is set, then takes
        // up the difference.
        AnsiString filler = grid->Col100x100();
        grid->SetCol100x100("");
        TVGColumn* column = columns->Items(resizeCol);
        if (column->Width() != width) {
            column->SetWidth(width);
            widthChanged = true;
        }
        grid->Invalidate();
        grid->SetCol100x100(filler);
        return;
    }
    resizeCol = -1;
    resizing = false;
    for (int i = 0; i < cellRects.Count(); ++i) {
        if (columns->Items(i)->GetIsCol100x100())
            continue;
        const TRect& r = cellRects.Get(i);
        if (r.left <= X && X <= r.right) {
            resizeCol = i;
            if (r.right - (resizeZone - 1) <= X) {
                Screen->SetCursor(crSizeWE);
                resizing = true;
            } else {
                Screen->SetCursor(crDefault);
            }
            return;
        }
    }
}

void TVGHead::HeadMouseUp(TObject*, TMouseButton, TShiftState Shift, int X, int)
{
    mouseDown = false;
    // Told on every release except over the first column, and also after a
    // drag that changed the first column's width.
    if ((resizeCol != 0 || widthChanged) && grid->OnHeadChange)
        grid->OnHeadChange(grid);
    // A click, not a drag, on one caption sorts by its column.
    int clicked = std::exchange(pressCol, -1);
    if (!widthChanged && clicked != -1 && grid->SortOnHeaderClick() && !grid->InEdit()) {
        BuildCellRects();
        if (columnAt(X) == clicked)
            grid->SortByHeader(clicked, Shift.Contains(ssShift));
    }
    widthChanged = false;
}

void TVGHead::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_MOUSELEAVE)
        Screen->SetCursor(crDefault);
    TCustomControl::Dispatch(Message);
}
