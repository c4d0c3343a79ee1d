// The grid body: geometry, scrolling and row painting.
#include "grid/VGScrollBox.h"

#include "grid/VGHead.h"
#include "grid/VGEdit.h"
#include "grid/VarnGrid.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr int checkBoxRoom = 18;  // room of the check box in front of the first column
constexpr int checkBoxSize = 13;  // the check box square, one pixel in from the row's corner
constexpr int imageGap = 2;       // after an image, before the first column's cell
}  // namespace

// ---- Construction ----------------------------------------------------------------------

TVGScrollBox::TVGScrollBox(TVarnGrid* grid)
    : TScrollBox(grid),
      grid(grid),
      bodyCanvas(std::make_unique<TControlCanvas>()),
      defaultAttr(std::make_unique<TFontAttr>())
{
    SetBorderStyle(bsNone);
    SetTabStop(false);
    SetAutoScroll(false);
    HorzScrollBar()->SetStyle(ssHotTrack);
    VertScrollBar()->SetStyle(ssHotTrack);
    VertScrollBar()->SetTracking(true);
    bodyCanvas->SetControl(this);
    colEdges.Add(0);
}

TVGScrollBox::~TVGScrollBox() = default;

void TVGScrollBox::CreateWnd()
{
    TScrollBox::CreateWnd();
    InitializeFlatSB(Handle());
}

int TVGScrollBox::GetClientSize(bool width) { return width ? ClientWidth() : ClientHeight(); }

// ---- Geometry ----------------------------------------------------------------------------

void TVGScrollBox::UpdateScrollLater()
{
    // Rows added while painting or editing take their place at once.
    if (inPaint || grid->InEdit()) {
        UpdateScroll(false);
        return;
    }
    if (!scrollPending) {
        scrollPending = true;
        Invalidate();  // the paint that shows the rows settles the bars first
    }
}

void TVGScrollBox::UpdatePendingScroll()
{
    // A body going away with its grid has nothing left to show the rows on.
    if (scrollPending && !ComponentState().Contains(csDestroying))
        UpdateScroll(false);
}

TRect TVGScrollBox::GetClientRect()
{
    UpdatePendingScroll();  // a bar that comes with the new rows narrows the client area
    return TScrollBox::GetClientRect();
}

void TVGScrollBox::UpdateScroll(bool repaint)
{
    scrollPending = false;
    int h = grid->RowHeight();
    HorzScrollBar()->SetRange(grid->GetTotalWidth() + 1);
    VertScrollBar()->SetRange(grid->GetRowCount() * h + grid->GetDiferenceRowHeight());
    VertScrollBar()->SetIncrement(h);
    VertScrollBar()->SetPosition(grid->GetRowTop() * h);

    // Appending a row calls this for every row: the edges and the header are
    // left alone when they came out the same.
    TVGColumnCollection* columns = grid->Columns();
    bool same = colEdges.Count() == columns->Count() + 1 && colEdges.Get(0) == -horzOffset;
    for (int k = 0, edge = -horzOffset; same && k < columns->Count(); ++k) {
        edge += columns->Items(k)->Width();
        same = colEdges.Get(k + 1) == edge;
    }
    if (!same || grid->Header()->GetScrollOffset() != -horzOffset) {
        grid->Header()->SetScrollOffset(-horzOffset);
        colEdges.Clear();
        int edge = -horzOffset;
        colEdges.Add(edge);
        for (int k = 0; k < columns->Count(); ++k) {
            edge += columns->Items(k)->Width();
            colEdges.Add(edge);
        }
    }
    if (!inPaint) {
        repaintAll = repaintAll || repaint;
        Invalidate();
    }
    if (TVGEdit* editor = grid->Editor())
        editor->FollowCell();
}

TRect TVGScrollBox::GetRowRect(int row)
{
    UpdatePendingScroll();
    int y = (row - grid->GetRowTop()) * grid->RowHeight();
    return {0, y, grid->GetTotalWidth() + 1, y + grid->RowHeight()};
}

TRect TVGScrollBox::GetCellRect(int row, int col)
{
    UpdatePendingScroll();
    int y = (row - grid->GetRowTop()) * grid->RowHeight();
    int last = colEdges.Count() - 1;  // the column count
    TRect r{0, y, 0, y + grid->RowHeight()};
    TVarnGrid_rowInfo* info = row != -1 ? grid->GetRowInfo(row) : nullptr;
    bool unicolumn = info && info->unicolumn;
    if (unicolumn) {
        r.left = colEdges.Get(0);
        r.right = colEdges.Get(last);
    } else {
        int c = std::clamp(col, 0, std::max(last - 1, 0));
        r.left = colEdges.Get(std::min(c, last));
        r.right = colEdges.Get(std::min(c + 1, last));
        // A set spanNext joins the cell with the one to its right.
        for (int k = c; info && k + 1 < last && k < VGCellCount && info->spanNext[k]; ++k)
            r.right = colEdges.Get(k + 2);
    }
    if (col == 0 || unicolumn) {
        if (grid->CheckBoxes())
            r.left += checkBoxRoom;
        if (grid->Images())
            r.left += grid->Images()->Width() + imageGap;
    }
    return r;
}

TRect TVGScrollBox::GetCheckRect(int row)
{
    int left = 1 - horzOffset;
    int top = (row - grid->GetRowTop()) * grid->RowHeight() + 1;
    return {left, top, left + checkBoxSize, top + checkBoxSize};
}

TRect TVGScrollBox::GetImageRect(int row)
{
    int top = (row - grid->GetRowTop()) * grid->RowHeight();
    int left = -horzOffset + (grid->CheckBoxes() ? checkBoxRoom : 0);
    int width = grid->Images() ? grid->Images()->Width() : 0;
    return {left, top, left + width + imageGap, top + grid->RowHeight()};
}

// ---- Cell text -------------------------------------------------------------------------------

AnsiString TVGScrollBox::GetCellText(int row, int col)
{
    TVarnGrid_rowInfo* info = grid->GetRowInfo(row);
    if (info->unicolumn)
        return col == 0 ? " " + AnsiString(info->cellView(0)) : AnsiString();
    if (col < 0 || col >= VGCellCount || info->isNull[col])
        return AnsiString();
    AnsiString s(info->cellView(col));
    if (col >= grid->Columns()->Count())
        return s;
    TVGColumn* column = grid->Columns()->Items(col);
    bool lookUp = column->IsCombo() || column->DataType() == vgBoolean;
    // A stored text that does not read as a date or time is shown as it is:
    // painting must not fail on one bad cell.
    if (column->DataType() == vgDate && !s.empty()) {
        TDateTime value;
        if (TryStrToDate(s, value))
            s = FormatDateTime(column->Format(), value);
    } else if (column->DataType() == vgTime && !s.empty()) {
        TDateTime value;
        if (TryStrToTime(s, value))
            s = FormatDateTime(column->Format(), value);
        lookUp = false;
    }
    if (lookUp) {
        TStringList* values = column->ComboValues();
        TStringList* texts = column->ComboTexts();
        for (int i = 0; i < values->Count(); ++i) {
            if (values->Get(i) == s) {
                if (i < texts->Count())
                    s = texts->Get(i);
                break;
            }
        }
    }
    switch (column->Alignment()) {
    case taLeftJustify: return " " + s;
    case taRightJustify: return s + " ";
    default: return s;
    }
}

// ---- Painting ----------------------------------------------------------------------------------

// The rows a paint draws, from the top row: their cells fill them edge to edge
// unless check boxes or images leave room in front of the first cell.
TRect TVGScrollBox::rowsArea()
{
    int count = grid->GetRowCount();
    if (count == 0 || grid->CheckBoxes() || grid->Images() || colEdges.Count() < 2)
        return {};
    int top = grid->GetRowTop();
    int last = std::min(count, top + grid->GetNumOfEntireRows() + 1);
    int painted = std::min(grid->Columns()->Count(), VGCellCount);  // cells past 36 are never drawn
    int right = colEdges.Get(std::min(painted, colEdges.Count() - 1));
    if (last <= top || right <= 0)
        return {};
    return {0, 0, right, (last - top) * grid->RowHeight()};
}

// Fills the body with ColorBk where no row's cells will be drawn over it.
void TVGScrollBox::fillOutsideRows(TCanvas* canvas)
{
    canvas->Brush()->SetColor(grid->ColorBk());
    canvas->Brush()->SetStyle(bsSolid);
    TRect client = ClientRect();
    TRect rows = rowsArea();
    if (rows.right <= 0 || rows.bottom <= 0) {
        canvas->FillRect(client);
        return;
    }
    canvas->FillRect({rows.right, client.top, std::max(client.right, rows.right), client.bottom});
    canvas->FillRect({client.left, rows.bottom, rows.right, std::max(client.bottom, rows.bottom)});
}

void TVGScrollBox::PaintBody()
{
    TRect rows = rowsArea();
    if (repaintAll) {
        fillOutsideRows(bodyCanvas.get());
        repaintAll = false;
    }
    int count = grid->GetRowCount();
    if (count > 0) {
        int top = grid->GetRowTop();
        int last = std::min(count, top + grid->GetNumOfEntireRows() + 1);
        for (int r = top; r < last; ++r)
            paintRowOn(r);
    }
    // A data handler that removed rows while they were painted leaves their
    // place unpainted: it shows ColorBk, as it would have.
    int left = grid->GetRowCount() - grid->GetRowTop();
    if (rows.bottom > 0 && left * grid->RowHeight() < rows.bottom) {
        bodyCanvas->Brush()->SetColor(grid->ColorBk());
        bodyCanvas->Brush()->SetStyle(bsSolid);
        bodyCanvas->FillRect({0, std::max(0, left) * grid->RowHeight(), rows.right, rows.bottom});
    }
    int current = grid->GetRowIndex();
    if (current != -1 && current < count && grid->OnRowNeedData && !grid->GetRowInfo(current)->unicolumn)
        grid->OnRowNeedData(current);
}

void TVGScrollBox::PaintRow(int row)
{
    if (inPaint) {
        paintRowOn(row);
        return;
    }
    // Nothing to draw on while the body is hidden or has no window; the next
    // paint draws the row.
    if (!HandleAllocated() || !Showing())
        return;
    HDC dc = GetDC(Handle());
    if (!dc)
        return;
    bodyCanvas->Lock();
    bodyCanvas->SetHandle(dc);
    try {
        paintRowOn(row);
    } catch (...) {
        bodyCanvas->SetHandle(nullptr);
        bodyCanvas->Unlock();
        ReleaseDC(Handle(), dc);
        throw;
    }
    bodyCanvas->SetHandle(nullptr);
    bodyCanvas->Unlock();
    ReleaseDC(Handle(), dc);
}

void TVGScrollBox::paintRowOn(int row)
{
    if (row < 0 || row >= grid->GetRowCount())
        return;
    if (grid->OnRowNeedData && !grid->GetRowInfo(row)->unicolumn)
        grid->OnRowNeedData(row);
    // The handler may have changed the rows; read the record afterwards.
    if (row >= grid->GetRowCount())
        return;
    TVarnGrid_rowInfo* info = grid->GetRowInfo(row);
    TCanvas* canvas = bodyCanvas.get();
    TRect rowRect = GetRowRect(row);
    bool selected = info->selected && grid->ShowSelection();

    defaultAttr->SetBackColorSel(grid->asLogicFocus() ? grid->ColorBkSel() : grid->ColorBkSelIn());
    defaultAttr->SetColorSel(grid->ColorTextSel());
    defaultAttr->SetBackColor(grid->ColorBk());
    defaultAttr->SetColor(grid->ColorText());
    defaultAttr->Apply(canvas, selected);
    canvas->Pen()->SetStyle(psSolid);
    canvas->Brush()->SetStyle(bsSolid);

    TVGColumnCollection* columns = grid->Columns();
    int n = std::min(columns->Count(), VGCellCount);
    for (int c = 0; c < n; ++c) {
        if (c > 0 && info->spanNext[c - 1] && !info->unicolumn)
            continue;
        TFontAttr* attr = grid->ChooseCellAttr(row, c, defaultAttr.get());
        attr->Apply(canvas, selected);
        TRect cellRect = GetCellRect(row, c);
        canvas->FillRect(cellRect);
        AnsiString text = GetCellText(row, c);

        if (c == 0 && grid->CheckBoxes() && !info->unicolumn && !info->noCheckBox) {
            TRect check = GetCheckRect(row);
            unsigned state = DFCS_FLAT | (grid->CheckAreRadio() ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK);
            if (info->checkMark)
                state |= DFCS_CHECKED;
            DrawFrameControl(canvas->Handle(), &check, DFC_BUTTON, state);
        }
        if (c == 0 && grid->Images() && info->imageIndex != -1) {
            TRect image = GetImageRect(row);
            grid->Images()->Draw(canvas, image.left, image.top, info->imageIndex, true);
        }

        unsigned format = DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_NOPREFIX;
        if (!info->unicolumn) {
            TAlignment alignment = columns->Items(c)->Alignment();
            if (alignment == taRightJustify)
                format |= DT_RIGHT;
            else if (alignment == taCenter)
                format |= DT_CENTER;
        }
        if (grid->LabelWrap())
            format |= DT_END_ELLIPSIS;
        TRect textRect = cellRect;
        if (!text.empty())
            DrawTextEx(canvas->Handle(), text.data(), static_cast<int>(text.size()), &textRect, format, nullptr);

        if (grid->ShowLines()) {
            canvas->Pen()->SetColor(clSilver);
            canvas->MoveTo(cellRect.left, rowRect.top);
            canvas->LineTo(cellRect.left, rowRect.bottom - 1);
            // The next cell drawn fills over this right edge and draws it as its
            // left one: the line is drawn here only when no such cell follows.
            int next = c + 1;
            while (!info->unicolumn && next < n && info->spanNext[next - 1])
                ++next;
            if (info->unicolumn || next >= n || colEdges.Get(next) != cellRect.right) {
                canvas->MoveTo(cellRect.right, rowRect.top);
                canvas->LineTo(cellRect.right, rowRect.bottom - 1);
            }
        }
        if (info->unicolumn)
            break;
    }
    if (grid->ShowLines()) {
        canvas->Pen()->SetColor(clSilver);
        canvas->MoveTo(0, rowRect.bottom - 1);
        canvas->LineTo(rowRect.right, rowRect.bottom - 1);
    }
}

void TVGScrollBox::RepaintSelection()
{
    if (!grid->Multiselect()) {
        int current = grid->GetRowIndex();
        if (current != -1 && current < grid->GetRowCount())
            PaintRow(current);
        return;
    }
    for (int r = 0; r < grid->GetRowCount(); ++r) {
        if (grid->GetRowSelected(r))
            PaintRow(r);
    }
}

// ---- Messages --------------------------------------------------------------------------------

void TVGScrollBox::paintMessage(TMessage& Message)
{
    inPaint = true;
    SetColor(grid->ColorBk());
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(Handle(), &paint);
    bodyCanvas->Lock();
    bodyCanvas->SetHandle(dc);
    struct End {
        TVGScrollBox* box;
        PAINTSTRUCT& paint;
        ~End()
        {
            box->bodyCanvas->SetHandle(nullptr);
            box->bodyCanvas->Unlock();
            EndPaint(box->Handle(), &paint);
            box->inPaint = false;
        }
    } end{this, paint};
    PaintBody();
    Message.Result = 0;
}

// The grid's own reading of the scroll codes: the thumb applies while it is
// dragged on both bars, and the vertical position always lands on a whole row.
void TVGScrollBox::scrollMessage(TMessage& Message, bool vertical)
{
    TControlScrollBar* bar = vertical ? VertScrollBar() : HorzScrollBar();
    int page = vertical ? ClientHeight() : ClientWidth();
    int code = LOWORD(Message.WParam);
    int thumb = HIWORD(Message.WParam);  // 16 bits, unsigned as in Win32
    switch (code) {
    case SB_LINEUP: bar->SetPosition(bar->Position() - bar->Increment()); break;
    case SB_LINEDOWN: bar->SetPosition(bar->Position() + bar->Increment()); break;
    case SB_PAGEUP: bar->SetPosition(bar->Position() - page); break;
    case SB_PAGEDOWN: bar->SetPosition(bar->Position() + page); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: bar->SetPosition(bar->ThumbPosition(thumb)); break;
    case SB_TOP: bar->SetPosition(0); break;
    case SB_BOTTOM: bar->SetPosition(bar->Range()); break;
    case SB_ENDSCROLL:
        if (vertical)
            bar->SetPosition(grid->GetRowTop() * grid->RowHeight());
        break;
    }
    if (vertical) {
        int h = std::max(grid->RowHeight(), 1);
        grid->SetRowTop(static_cast<int>(std::ceil(static_cast<double>(bar->Position()) / h)));
    } else {
        horzOffset = bar->Position();
        UpdateScroll(false);
    }
    Message.Result = 0;
}

void TVGScrollBox::WndProc(TMessage& Message)
{
    UpdatePendingScroll();
    switch (Message.Msg) {
    case WM_PAINT:
        if (ComponentState().Contains(csDestroying))
            break;
        paintMessage(Message);
        return;
    case WM_ERASEBKGND:
        // The area below the last row and beside the columns shows ColorBk.
        if (HDC dc = reinterpret_cast<HDC>(Message.WParam)) {
            TCanvas canvas;
            canvas.SetHandle(dc);
            fillOutsideRows(&canvas);
            canvas.SetHandle(nullptr);
        }
        Message.Result = 1;
        return;
    case WM_VSCROLL: scrollMessage(Message, true); return;
    case WM_HSCROLL: scrollMessage(Message, false); return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TScrollBox::WndProc(Message);
        RepaintSelection();
        return;
    case WM_LBUTTONDBLCLK:
        if (grid->CanFocus())
            grid->SetFocus();
        if (grid->OnDblClick)
            grid->OnDblClick(grid);
        Message.Result = 0;
        return;
    case WM_SIZE:
        TScrollBox::WndProc(Message);
        // A scroll bar that came or went changes the room of the filler column.
        grid->UpdateColumns();
        return;
    }
    TScrollBox::WndProc(Message);
}
