// The grid's keyboard and left-button input, taken from the application queue
// by the message hook, and its own window procedure (size, focus, wheel).
#include "grid/VarnGrid.h"

#include "grid/VGEdit.h"
#include "grid/VGScrollBox.h"
#include "utils/AppMsgHandler.h"

#include <algorithm>

namespace {
// Shift and Ctrl from the keyboard; Alt from the context bit (29) of the
// parameter that carries it: the key data of key messages, and for mouse
// messages the key flags, which never have it.
TShiftState messageShift(DWORD altCarrier)
{
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0)
        shift << ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        shift << ssCtrl;
    if (altCarrier & (1u << 29))
        shift << ssAlt;
    return shift;
}
}  // namespace

void TVarnGrid::CreateWnd()
{
    TCustomControl::CreateWnd();
    UpdateColumns();
    columnsReady = false;
    if (!ComponentState().Contains(csDesigning))
        RegisterAppMsgHandler(this, AppMessageEvent(this, &TVarnGrid::DesvioMensajes));
}

int TVarnGrid::RowForY(int y)
{
    int r = GetRowTop() + y / std::max(FRowHeight, 1);
    return r >= 0 && r < GetRowCount() ? r : -1;
}

int TVarnGrid::ColForX(int x) const
{
    for (int c = 0; c + 1 < body->ColumnEdgeCount(); ++c) {
        if (body->ColumnEdge(c) <= x && x <= body->ColumnEdge(c + 1))
            return c;
    }
    return -1;
}

void TVarnGrid::DesvioMensajes(tagMSG& Msg, bool& Handled)
{
    if (!HandleAllocated() || (Msg.hwnd != Handle() && !(body->HandleAllocated() && Msg.hwnd == body->Handle())))
        return;
    int x = GET_X_LPARAM(Msg.lParam);
    int y = GET_Y_LPARAM(Msg.lParam);
    switch (Msg.message) {
    case WM_LBUTTONDOWN:
        buttonDown = true;
        Handled = true;
        EventMouseDown(mbLeft, messageShift(static_cast<DWORD>(Msg.wParam)), x, y);
        return;
    case WM_MOUSEMOVE:
        Handled = true;
        EventMouseMove(messageShift(static_cast<DWORD>(Msg.wParam)), x, y);
        return;
    case WM_LBUTTONUP:
        Handled = true;
        EventMouseUp(mbLeft, messageShift(static_cast<DWORD>(Msg.wParam)), x, y);
        return;
    case WM_LBUTTONDBLCLK:
        if (OnDblClick)
            OnDblClick(this);
        Handled = true;
        return;
    case WM_KEYDOWN: break;
    case WM_CHAR:
        // Type-ahead takes printable characters; without it they go on as before.
        if (FIncrementalSearch && !getIsInEdit() && static_cast<unsigned char>(Msg.wParam) >= ' ' &&
            GetKeyState(VK_CONTROL) >= 0) {
            Handled = true;
            SearchTyped(static_cast<char>(Msg.wParam));
        }
        return;
    default: return;
    }

    WORD key = static_cast<WORD>(Msg.wParam);
    if (key == VK_TAB || GetRowCount() == 0)
        return;
    if (RowIndex == -1) {
        // The first key only picks a row; the key itself goes on.
        SetRowIndex(0);
        return;
    }
    Handled = true;
    int cur = RowIndex;
    int count = GetRowCount();
    TShiftState shift = messageShift(static_cast<DWORD>(Msg.lParam));
    switch (key) {
    case VK_SPACE:
        // RowIndex is not moved when an earlier row is deleted: it may be past the end.
        if (FCheckBoxes && cur < count) {
            TVarnGrid_rowInfo* info = rows.Get(cur);
            info->checkMark = !info->checkMark;
            body->PaintRow(cur);
            if (OnRowChecking)
                OnRowChecking(cur);
            return;
        }
        break;
    case VK_PRIOR: SetRowIndex(std::max(cur - GetNumOfEntireRows(), 0)); break;
    case VK_NEXT: SetRowIndex(std::min(cur + GetNumOfEntireRows(), count - 1)); break;
    case VK_END: SetRowIndex(count - 1); break;
    case VK_HOME: SetRowIndex(0); break;
    case VK_UP:
        if (cur - 1 >= 0)
            SetRowIndex(cur - 1);
        break;
    case VK_DOWN:
        if (cur + 1 < count)
            SetRowIndex(cur + 1);
        break;
    case VK_F2:
        if (FEditable)
            StartEdit();
        break;
    default: {
        bool consumed = false;
        if (OnKeyDownEx) {
            Handled = false;
            OnKeyDownEx(this, key, shift, Handled);
            consumed = Handled;
        } else if (OnKeyDown) {
            OnKeyDown(this, key, shift);
            Handled = true;
        } else {
            Handled = false;
        }
        // The clipboard keys act unless OnKeyDownEx took them.
        if (!consumed)
            clipboardKey(static_cast<WORD>(Msg.wParam), shift);
        break;
    }
    }
    if (RowIndex != -1)
        EnsureRowVisible(RowIndex);
}

void TVarnGrid::EventMouseDown(TMouseButton, TShiftState Shift, int X, int Y)
{
    hasFocus = true;
    if (CanFocus())
        SetFocus();
    if (editor && editor->Visible())
        editor->Hide();
    int row = RowForY(Y);
    if (row == -1)
        return;
    if (editor && editor->HandleAllocated() && editor->Focused())
        editor->Hide();
    int old = RowIndex;

    if (FMultiselect && Shift.Contains(ssShift)) {
        int lo = std::min(RowIndex, row);
        int hi = std::max(RowIndex, row);
        for (int i = 0; i < GetRowCount(); ++i)
            rows.Get(i)->selected = lo <= i && i <= hi;
        RowIndex = row;
        body->Invalidate();
    } else if (FMultiselect && Shift.Contains(ssCtrl)) {
        bool selected = !rows.Get(row)->selected;
        SetRowSelected(row, selected);
        if (selected)
            RowIndex = row;
    } else {
        SetRowIndex(row);
    }
    buttonDown = true;

    TVarnGrid_rowInfo* info = rows.Get(row);
    TRect check = body->GetCheckRect(row);
    if (FCheckBoxes && !info->unicolumn && check.left <= X && X < check.right && check.top <= Y && Y < check.bottom) {
        info->checkMark = !info->checkMark;
        EnsureRowVisible(row);
        if (OnRowChecking)
            OnRowChecking(row);
        body->Invalidate();
        buttonDown = false;
        return;
    }
    if (!FMultiselect && row == old && FEditable) {
        buttonDown = false;
        int col = ColForX(X);
        if (col != -1 && !FColumns->Items(col)->ReadOnly() && editor)
            editor->BeginEditAt(col);
    }
}

void TVarnGrid::EventMouseMove(TShiftState Shift, int, int Y)
{
    if (!buttonDown || Shift.Contains(ssShift) || Shift.Contains(ssCtrl))
        return;
    int row = RowForY(Y);
    if (row == -1)
        return;
    if (!FMultiselect) {
        SetRowIndex(row);
        return;
    }
    // The press left the anchor in the current row; the range follows the pointer.
    int lo = std::min(RowIndex, row);
    int hi = std::max(RowIndex, row);
    bool changed = false;
    for (int i = 0; i < GetRowCount(); ++i) {
        TVarnGrid_rowInfo* info = rows.Get(i);
        bool selected = lo <= i && i <= hi;
        changed = changed || info->selected != selected;
        info->selected = selected;
    }
    if (changed)
        body->Invalidate();
}

void TVarnGrid::EventMouseUp(TMouseButton, TShiftState, int, int Y)
{
    if (!buttonDown)
        return;
    buttonDown = false;
    int row = RowForY(Y);
    if (row == -1)
        return;
    // A release over a row that a Ctrl-click has just cleared leaves the
    // current row where it was.
    if (FMultiselect && rows.Get(row)->selected)
        RowIndex = row;
    EnsureRowVisible(row);
}

void TVarnGrid::WndProc(TMessage& Message)
{
    if (ComponentState().Contains(csDesigning)) {
        TCustomControl::WndProc(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_PAINT:
        SetColor(FColorBk);
        TCustomControl::WndProc(Message);
        return;
    case WM_SIZE:
        TCustomControl::WndProc(Message);
        UpdateColumns();
        return;
    case WM_SETFOCUS:
        hasFocus = true;
        TCustomControl::WndProc(Message);
        body->RepaintSelection();
        return;
    case WM_KILLFOCUS: {
        HWND next = reinterpret_cast<HWND>(Message.WParam);
        hasFocus = editor && (editor->IsFocused() || (editor->HandleAllocated() && next == editor->Handle()));
        TCustomControl::WndProc(Message);
        body->RepaintSelection();
        return;
    }
    case WM_MOUSEWHEEL: {
        TCustomControl::WndProc(Message);
        int delta = GET_WHEEL_DELTA_WPARAM(Message.WParam);
        SetRowTop(GetRowTop() - delta / WHEEL_DELTA);
        return;
    }
    }
    TCustomControl::WndProc(Message);
}
