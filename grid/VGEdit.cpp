// The grid's in-cell editor: moves between cells, loading and committing values.
#include "grid/VGEdit.h"

#include "grid/VGScrollBox.h"
#include "grid/VarnGrid.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "utils/AppMsgHandler.h"
#include "utils/Cnvtools.h"

namespace {

sVarnEditMode modeFor(const TVGColumn* column)
{
    if (column->IsCombo())
        return sEditList;
    switch (column->DataType()) {
    case vgDate: return sEditDate;
    case vgTime: return sEditTime;
    case vgBoolean: return sEditBoolean;
    case vgInteger: return sEditInteger;
    case vgFloat:
    case vgMoney: return sEditDouble;
    case vgString: break;
    }
    return sEditString;
}

}  // namespace

TVGEdit::TVGEdit(TVarnGrid* grid) : TVarnEdit(grid), grid(grid), body(grid->Body()), editRow(grid)
{
    SetParent(grid);
    ShowFrame = true;
    SetTabStop(true);
    SetVisible(false);
}

void TVGEdit::CreateWnd()
{
    TVarnEdit::CreateWnd();
    RegisterAppMsgHandler(this, AppMessageEvent(this, &TVGEdit::TabToEnter));
}

void TVGEdit::TabToEnter(tagMSG& Msg, bool&)
{
    if (HandleAllocated() && Msg.hwnd == Handle() && Msg.message == WM_KEYDOWN && Msg.wParam == VK_TAB)
        Msg.wParam = VK_RETURN;
}

void TVGEdit::doChange() { CommitCell(); }

// ---- Moving between cells -------------------------------------------------------------

void TVGEdit::needData(int row)
{
    if (grid->OnRowNeedData)
        grid->OnRowNeedData(row);
}

bool TVGEdit::isEditableCell(int row, int col) const
{
    (void)row;  // the handler of OnRowNeedData has set the columns for the row
    return !grid->Columns()->Items(col)->ReadOnly();
}

void TVGEdit::BeginEditAt(int col)
{
    int row = grid->GetRowIndex();
    if (row < 0 || row >= grid->GetRowCount() || grid->GetIsRowUnicolumn(row))
        return;
    grid->SetColIndex(col - 1);
    if (GotoNextCell())
        ShowEditor();
}

bool TVGEdit::GotoNextCell()
{
    int c = grid->GetColIndex();
    int r = grid->GetRowIndex();
    if (r < 0 || r >= grid->GetRowCount())
        return false;  // the current row went away while editing
    int columns = grid->Columns()->Count();
    bool added = false;
    for (;;) {
        needData(r);
        while (c < columns - 1) {
            ++c;
            if (isEditableCell(r, c)) {
                editType = grid->Columns()->Items(c)->DataType();
                grid->SetColIndex(c);
                grid->SetRowIndex(r);
                grid->EnsureRowVisible(r);
                return true;
            }
        }
        int next = r + 1;
        while (next < grid->GetRowCount() && grid->GetIsRowUnicolumn(next))
            ++next;
        if (next >= grid->GetRowCount()) {
            // One row at most: a grid without an editable column would add rows forever.
            if (!grid->AutoAddRow() || added)
                return false;
            grid->AddRow();
            added = true;
            next = grid->GetRowCount() - 1;
        }
        r = next;
        c = -1;
    }
}

bool TVGEdit::GotoPrevCell()
{
    int c = grid->GetColIndex();
    int r = grid->GetRowIndex();
    if (r < 0 || r >= grid->GetRowCount())
        return false;  // the current row went away while editing
    int columns = grid->Columns()->Count();
    for (;;) {
        needData(r);
        while (c > 0) {
            --c;
            if (c < columns && isEditableCell(r, c)) {
                editType = grid->Columns()->Items(c)->DataType();
                grid->SetColIndex(c);
                grid->SetRowIndex(r);
                grid->EnsureRowVisible(r);
                return true;
            }
        }
        int prev = r - 1;
        while (prev >= 0 && grid->GetIsRowUnicolumn(prev))
            --prev;
        if (prev < 0)
            return false;
        r = prev;
        c = columns;
    }
}

bool TVGEdit::GotoNextRow() { return gotoRowInColumn(+1); }

bool TVGEdit::GotoPrevRow() { return gotoRowInColumn(-1); }

// Steps from the current row towards step (+1 down, -1 up), asking each row for
// its data, to the first row whose cell in the edited column can be edited.
bool TVGEdit::gotoRowInColumn(int step)
{
    int col = grid->GetColIndex();
    if (col < 0 || col >= grid->Columns()->Count())
        return false;
    for (int r = grid->GetRowIndex() + step; r >= 0 && r < grid->GetRowCount(); r += step) {
        needData(r);
        if (r >= grid->GetRowCount())  // the handler took rows away
            return false;
        if (!grid->GetIsRowUnicolumn(r) && isEditableCell(r, col)) {
            grid->SetRowIndex(r);
            grid->EnsureRowVisible(r);
            return true;
        }
    }
    return false;
}

// ---- Showing, committing, hiding ----------------------------------------------------------

void TVGEdit::ShowEditor()
{
    int row = grid->GetRowIndex();
    int col = grid->GetColIndex();
    if (row < 0 || row >= grid->GetRowCount() || col < 0 || col >= grid->Columns()->Count())
        return;
    editRow.Read(row);
    ComboTexts->Clear();
    ComboValues->Clear();
    setFormat(AnsiString());
    needData(row);
    grid->EnsureColVisible(col);

    editRect = cellRectInGrid();
    Hide();
    SetBounds(editRect.left, editRect.top, editRect.right - editRect.left, editRect.bottom - editRect.top);

    TVGColumn* column = grid->Columns()->Items(col);
    setMode(modeFor(column));
    if (column->IsCombo()) {
        setComboTexts(column->ComboTexts());
        setComboValues(column->ComboValues());
    }
    setCharCase(column->CharCase());
    loadValue(column, grid->GetString(row, col));

    Show();
    SelectAll();
    if (CanFocus())
        SetFocus();
}

TRect TVGEdit::cellRectInGrid() const
{
    TRect cell = body->GetCellRect(grid->GetRowIndex(), grid->GetColIndex());
    int bodyTop = body->Top();
    return {cell.left, cell.top + bodyTop - 1, cell.right + 1, cell.bottom + bodyTop + 1};
}

void TVGEdit::FollowCell()
{
    int row = grid->GetRowIndex();
    int col = grid->GetColIndex();
    if (!Visible() || row < 0 || row >= grid->GetRowCount() || col < 0 || col >= grid->Columns()->Count())
        return;
    TRect r = cellRectInGrid();
    if (r == editRect)
        return;
    editRect = r;
    int bodyTop = body->Top();
    if (r.top + 1 < bodyTop || r.bottom - 1 > bodyTop + body->ClientHeight())
        r = {r.left, grid->ClientHeight(), r.right, grid->ClientHeight() + r.bottom - r.top};
    SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TVGEdit::loadValue(TVGColumn* column, const AnsiString& stored)
{
    switch (column->DataType()) {
    case vgDate: {
        sDB_date date;
        date.setFromText(stored);
        // A stored text that names no real date opens as an empty date.
        TDateTime unused;
        if (!date.isNull() && !TryEncodeDate(date.year, date.month, date.day, unused))
            date = sDB_date();
        setDate(date);
        setFormat(column->Format());
        return;
    }
    case vgTime: {
        sDB_time time;
        time.setFromText(stored);
        if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59)
            time = sDB_time();
        setTime(time);
        setFormat(column->Format());
        return;
    }
    case vgMoney:
        // Money texts group thousands, which the decimal mode does not read.
        if (!stored.empty()) {
            try {
                setText(cnvDoubleToStr(cnvStrToDouble(stored), 2));
                return;
            } catch (const EConvertError&) {
            }
        }
        break;
    default: break;
    }
    setText(stored);
}

bool TVGEdit::CommitCell()
{
    int row = grid->GetRowIndex();
    int col = grid->GetColIndex();
    if (row < 0 || row >= grid->GetRowCount() || col < 0 || col >= grid->Columns()->Count())
        return true;
    AnsiString old = grid->GetString(row, col);
    bool ok = true;
    committing = true;
    try {
        AnsiString text = getText();
        AnsiString compared = text;
        editRow.Read(row);
        switch (editType) {
        case vgString: editRow.SetString(col, text); break;
        case vgDate: editRow.SetString(col, getDate().dateString()); break;
        case vgTime: editRow.SetString(col, getTime().toString()); break;
        case vgBoolean: grid->SetString(row, col, text); break;
        case vgInteger: editRow.SetInteger(col, StrToIntDef(text, 0)); break;
        case vgFloat:
            if (!text.empty())
                editRow.SetFloat(col, StrToFloat(text));
            break;
        case vgMoney: editRow.SetFloat(col, cnvStrToDouble(text)); break;
        }
        // Numbers compare as stored: an emptied integer is stored as 0 and an
        // emptied decimal is not stored, so the editor's text would report a
        // change on every commit; a money text is stored with thousands marks.
        if (editType == vgInteger || editType == vgFloat || editType == vgMoney)
            compared = grid->GetString(row, col);
        if (compared != old) {
            grid->SetRowModified(true);
            grid->doCellModified();
        }
    } catch (const EConvertError&) {
        Application->MessageBox("El valor '" + getText() + "' no es v\xE1lido", "", MB_OK);
        if (row < grid->GetRowCount() && col < grid->Columns()->Count())
            setText(grid->GetString(row, col));
        ok = false;
    } catch (...) {
        committing = false;
        throw;
    }
    committing = false;
    return ok;
}

void TVGEdit::HideEditor()
{
    Hide();
    // The focus went nowhere (Escape, or the editor was hidden while it had it):
    // it goes back to the grid. A focus taken by another control stays there.
    HWND focus = GetFocus();
    if (focus && focus != Handle())
        return;
    TForm* form = GetParentForm(grid);
    if (grid->CanFocus() && form && form->Visible() && form->Enabled() &&
        (!form->HandleAllocated() || GetActiveWindow() == form->Handle()))
        grid->SetFocus();
}

void TVGEdit::leaveEdit()
{
    HideEditor();
    grid->doRowExit(-1);
    grid->SetRowModified(false);
    grid->doRowEnter();
}

// ---- Messages ---------------------------------------------------------------------------

void TVGEdit::WndProc(TMessage& Message)
{
    if (committing || ComponentState().Contains(csDesigning) || ComponentState().Contains(csDestroying) ||
        grid->ComponentState().Contains(csDestroying)) {
        TVarnEdit::WndProc(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_KILLFOCUS: killFocus(Message); return;
    case WM_KEYDOWN: keyDown(Message); return;
    default: TVarnEdit::WndProc(Message); return;
    }
}

void TVGEdit::killFocus(TMessage& Message)
{
    if (!Visible()) {
        TVarnEdit::WndProc(Message);
        return;
    }
    TVarnEdit::WndProc(Message);  // ends the edit cycle with a commit of the typed text
    if (FFocused)
        return;  // the focus went to the editor's own picker
    CommitCell();
    leaveEdit();
    // The grid counted the editor's focus as its own; now it has it only if it
    // really took it.
    grid->hasFocus = grid->HandleAllocated() && GetFocus() == grid->Handle();
    body->RepaintSelection();
    Message.Result = 0;
}

void TVGEdit::keyDown(TMessage& Message)
{
    auto key = static_cast<WORD>(Message.WParam);
    if (key == VK_F2) {
        SelectNone();
        Message.Result = 0;
        return;
    }
    if (key == VK_ESCAPE && IsAllSelected()) {
        // Hiding a focused editor ends its edit cycle: go back to the value it
        // had when it got the focus first, so nothing typed is committed.
        restoreFocusValue();
        leaveEdit();
        Message.Result = 0;
        return;
    }
    bool moves = key == VK_RETURN || key == VK_UP || key == VK_DOWN ||
                 ((key == VK_LEFT || key == VK_RIGHT) && IsAllSelected());
    if (!moves) {
        TVarnEdit::WndProc(Message);
        return;
    }
    processEndEdit(true);
    if (!CommitCell()) {
        Message.Result = 0;
        return;
    }
    if (key == VK_RETURN) {
        key = GetKeyState(VK_SHIFT) < 0 ? VK_LEFT : VK_RIGHT;
        Message.WParam = key;
    }
    int row = grid->GetRowIndex();
    switch (key) {
    case VK_UP:
        if (row <= 0)
            break;
        GotoPrevRow();
        ShowEditor();
        Message.Result = 0;
        return;
    case VK_DOWN:
        if (row >= grid->GetRowCount() - 1)
            break;
        GotoNextRow();
        ShowEditor();
        Message.Result = 0;
        return;
    case VK_LEFT:
        GotoPrevCell();
        ShowEditor();
        Message.Result = 0;
        return;
    default:
        GotoNextCell();
        ShowEditor();
        Message.Result = 0;
        return;
    }
    TVarnEdit::WndProc(Message);
}
