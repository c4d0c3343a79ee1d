// The edit box's pop-up pickers: the date picker (a calendar) and the list picker
// (a one-column grid).
//
// Call flow: DefaultOnCombo -> new picker (frame and inner control) ->
// AfterConstruction fires OnCreate (FormCreate: size, place, hooks, fill) -> Show
// (activates the picker; the focus goes to the inner control) ... Enter, Escape,
// a double click, or the picker's deactivation -> posted WM_CLOSE -> closePicker
// (OnPopClose, hooks dropped) -> Release frees the form.
#include "edit/VarnEditInterior.h"

#include "controls/VarnFrame.h"
#include "edit/VarnCalendar.h"
#include "grid/VarnGrid.h"
#include "grid/VarnRow.h"
#include "platform/win/Windows.h"
#include "utils/AppMsgHandler.h"

namespace {

// Shared by both pickers: at most one is open.
TXPopUpForm* currentPicker = nullptr;
HHOOK outsideClickHook = nullptr;

bool isButtonPress(UINT message)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONDBLCLK: return true;
    default: return false;
    }
}

// A press outside the open picker becomes a null message for the picker, so the
// control under it never sees it. The press has already activated its window,
// which closes the picker.
LRESULT outsideClickFilter(int code, WPARAM wParam, LPARAM lParam)
{
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && msg && currentPicker && currentPicker->HandleAllocated() && isButtonPress(msg->message)) {
        TPoint point{GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
        // Non-client presses carry screen coordinates already.
        if (msg->message < WM_NCLBUTTONDOWN || msg->message > WM_NCRBUTTONDBLCLK)
            ClientToScreen(msg->hwnd, &point);
        TRect bounds;
        GetWindowRect(currentPicker->Handle(), &bounds);
        bool inside = point.x >= bounds.left && point.x < bounds.right && point.y >= bounds.top && point.y < bounds.bottom;
        if (!inside) {
            msg->message = WM_NULL;
            msg->hwnd = currentPicker->Handle();
            msg->wParam = 0;
            msg->lParam = 0;
        }
    }
    return CallNextHookEx(outsideClickHook, code, wParam, lParam);
}

}  // namespace

// ---- TXPopUpForm ---------------------------------------------------------------------------

TXPopUpForm::TXPopUpForm(TVarnEdit* edit) : TForm(edit), FEdit(edit)
{
    SetColor(clWindow);
    FFrame = new TVarnFrame(this);
    FFrame->SetParent(this);
}

TXPopUpForm::~TXPopUpForm()
{
    // Freed with its box while still open: nothing may point at it any more.
    unhook();
}

TXPopUpForm* TXPopUpForm::openPicker() { return currentPicker; }

void TXPopUpForm::requestClose()
{
    if (HandleAllocated())
        PostMessage(Handle(), WM_CLOSE, 0, 0);
}

void TXPopUpForm::placeAndHook(int width, int height)
{
    // Only one picker at a time: an open one goes first, with its hook.
    if (currentPicker && currentPicker != this)
        currentPicker->closePicker();

    SetBorderStyle(bsNone);
    // Owned by the box's form: a drop-down of that window, not a window of its own.
    if (TForm* form = GetParentForm(FEdit); form && form->HandleAllocated())
        SetParentWindow(form->Handle());
    TPoint below = FEdit->ClientToScreen(TPoint{0, FEdit->Height()});
    int top = below.y - 1;  // one pixel over the box's bottom edge
    if (Screen->Height() < top + height)
        top = top - FEdit->Height() - height;
    SetBounds(below.x, top, width, height);

    // The inner control is kept without a window until this handler is registered,
    // so Enter and Escape reach the picker before the calendar or the grid.
    TWinControl* inner = innerControl();
    inner->SetVisible(false);
    RegisterAppMsgHandler(this, AppMessageEvent(this, &TXPopUpForm::EventAppMessage));
    inner->SetVisible(true);
    SetActiveControl(inner);

    currentPicker = this;
    outsideClickHook = SetWindowsHookEx(WH_GETMESSAGE, outsideClickFilter, nullptr, 0);
}

void TXPopUpForm::EventAppMessage(tagMSG& Msg, bool& Handled)
{
    if (Msg.message != WM_KEYDOWN || closed || !HandleAllocated())
        return;
    if (Msg.hwnd != Handle() && !IsChild(Handle(), Msg.hwnd))
        return;
    if (Msg.wParam == VK_RETURN) {
        Handled = true;
        applyChoice();
        requestClose();
    } else if (Msg.wParam == VK_ESCAPE) {
        Handled = true;
        requestClose();
    }
}

void TXPopUpForm::Deactivate()
{
    TForm::Deactivate();
    requestClose();
}

void TXPopUpForm::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_CLOSE) {
        closePicker();
        return;
    }
    TForm::Dispatch(Message);
}

void TXPopUpForm::closePicker()
{
    if (closed)
        return;
    closed = true;
    unhook();
    if (FEdit->OnPopClose)
        FEdit->OnPopClose(FEdit);
    Release();
}

void TXPopUpForm::unhook()
{
    if (currentPicker != this)
        return;
    if (outsideClickHook)
        UnhookWindowsHookEx(outsideClickHook);
    outsideClickHook = nullptr;
    currentPicker = nullptr;
}

// ---- TXDatePopUpForm -------------------------------------------------------------------------

TXDatePopUpForm::TXDatePopUpForm(TVarnEdit* edit) : TXPopUpForm(edit)
{
    FCalendar = new TVarnCalendar(this);
    FCalendar->SetParent(FFrame);
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
}

TWinControl* TXDatePopUpForm::innerControl() const { return FCalendar; }

void TXDatePopUpForm::FormCreate(TObject*)
{
    FFrame->SetBorderWidth(1);
    FFrame->SetColorFrame(clGray);
    // The frame fits around the calendar: its line, its border and its bevel.
    const int inset = 2;
    FCalendar->SetBounds(inset, inset, FCalendar->Width(), FCalendar->Height());
    FFrame->SetBounds(0, 0, FCalendar->Width() + 2 * inset, FCalendar->Height() + 2 * inset);
    placeAndHook(FFrame->Width(), FFrame->Height());

    sDB_date date = FEdit->getDate();
    if (!date.isNull())
        FCalendar->setDate(date);
    // The calendar reports only what the user does, so setting the day fires nothing.
    FCalendar->OnChange = [this](TObject* Sender) { CalendarChange(Sender); };
    FCalendar->OnDblClick = [this](TObject* Sender) { CalendarDblClick(Sender); };
}

void TXDatePopUpForm::applyChoice()
{
    sDB_date date = FCalendar->getDate();
    if (date.isNull())
        return;
    FEdit->beginEdit();
    FEdit->setDate(date);
    FEdit->eventPostModified();
    FEdit->doChange();
}

void TXDatePopUpForm::CalendarChange(TObject*) { applyChoice(); }

void TXDatePopUpForm::CalendarDblClick(TObject*)
{
    applyChoice();
    requestClose();
}

// ---- TXKeyPopForm ----------------------------------------------------------------------------

TXKeyPopForm::TXKeyPopForm(TVarnEdit* edit) : TXPopUpForm(edit)
{
    FFrame->SetAlign(alClient);
    FFrame->SetBorderWidth(1);
    FFrame->SetColorFrame(clGray);
    FGrid = new TVarnGrid(this);
    FGrid->SetParent(FFrame);
    FGrid->SetAlign(alClient);
    FGrid->SetShowHeader(false);
    FGrid->SetGridLines(false);
    TVGColumn* column = FGrid->Columns()->Add();
    column->SetFieldName("theCol");
    column->SetWidth(edit->Width() - 24);
    FGrid->SetCol100x100("theCol");
    FGrid->OnDblClick = [this](TObject* Sender) { GridDblClick(Sender); };
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
}

TWinControl* TXKeyPopForm::innerControl() const { return FGrid; }

void TXKeyPopForm::FormCreate(TObject*)
{
    FGrid->SetSkinName("STD");
    SetFont(FEdit->Font());
    int height = FEdit->getMode() == sEditBoolean ? 2 * FGrid->RowHeight() + 6 : 100;
    placeAndHook(FEdit->Width(), height);

    TStrings* texts = FEdit->getComboTexts();
    TStrings* values = FEdit->getComboValues();
    FGrid->PreRefresh();
    FGrid->Clear();
    TVarnRow row(FGrid);
    for (int i = 0; i < texts->Count(); ++i) {
        row.Append();
        AnsiString value = i < values->Count() ? values->Strings(i) : AnsiString();
        if (value == TVarnEdit::separatorMark) {
            row.SetUnicolumn(true);
            row.SetUnicolumnText(texts->Strings(i));
        } else {
            row.SetString(0, texts->Strings(i));
            row.SetItemData(0, value);
        }
    }
    FGrid->PostRefresh();
    if (FEdit->sortItems)
        FGrid->SortBy("theCol");
    // No row is current after the refresh; only the box's own value becomes current.
    FGrid->SelectRowByItemData(FEdit->getText(), 0);
}

void TXKeyPopForm::applyChoice()
{
    int current = FGrid->GetRowIndex();
    if (current < 0 || current >= FGrid->GetRowCount())
        return;
    FEdit->beginEdit();
    FEdit->setText(FGrid->GetRowInfo(current)->itemData(0));
    FEdit->eventPostModified();
    FEdit->doChange();
}

void TXKeyPopForm::GridDblClick(TObject*)
{
    applyChoice();
    requestClose();
}
