// The list box: items in a string list that reports each change, rows of one
// height from TopIndex down, selection by mouse and keyboard, and the window's
// standard vertical scroll bar in item units.
//
// Input: WM_LBUTTONDOWN selects (OnClick on change), then the framework's mouse
// handling captures and fires OnMouseDown; moves with the button held follow the
// pointer, and past the top or bottom edge a timer scrolls one item per tick.
// Keys reach KeyDown after OnKeyDown, which may swallow them.
#include "platform/ListBox.h"

#include "platform/Graphics.h"
#include "platform/Streaming.h"
#include "platform/SysUtils.h"

#include <algorithm>

namespace {

constexpr UINT_PTR autoScrollTimer = 1;
constexpr UINT autoScrollInterval = 50;  // ms between auto-scroll steps while dragging
constexpr int wheelItemsPerNotch = 3;
constexpr int textIndent = 2;

struct ItemState {
    AnsiString text;
    TObject* object = nullptr;
    bool selected = false;
    bool focused = false;
    bool anchor = false;
};

}  // namespace

// The list box's items: a string list that tells the list box about each change so
// that selection flags and indexes follow the items. Sorted lists keep duplicates:
// a list box shows every line it is given.
class TListBoxStrings : public TStringList {
public:
    explicit TListBoxStrings(TCustomListBox* owner) : owner(owner) { SetDuplicates(dupAccept); }

    void Insert(int Index, const AnsiString& S) override
    {
        TStringList::Insert(Index, S);
        owner->itemInserted(Index);
    }
    int AddObject(const AnsiString& S, TObject* AObject) override
    {
        int before = GetCount();
        int index = TStringList::AddObject(S, AObject);
        if (GetCount() != before)
            owner->itemInserted(index);
        return index;
    }
    void Delete(int Index) override
    {
        TStringList::Delete(Index);
        owner->itemDeleted(Index);
    }
    void Clear() override
    {
        if (GetCount() == 0)
            return;
        TStringList::Clear();
        owner->itemsCleared();
    }
    void Put(int Index, const AnsiString& S) override
    {
        TStringList::Put(Index, S);
        owner->itemsChanged();
    }
    void Exchange(int Index1, int Index2) override
    {
        TStringList::Exchange(Index1, Index2);
        owner->itemMoved(Index1, Index2);
        if (Index1 != Index2)
            owner->itemMoved(Index2 + (Index2 > Index1 ? -1 : 1), Index1);
    }
    void Move(int CurIndex, int NewIndex) override
    {
        // The base class deletes and inserts; the item's selection goes with it.
        bool wasSelected = CurIndex >= 0 && CurIndex < GetCount() && owner->isSelected(CurIndex);
        bool wasFocused = owner->itemIndex == CurIndex;
        BeginUpdate();
        try {
            TStringList::Move(CurIndex, NewIndex);
        } catch (...) {
            EndUpdate();
            throw;
        }
        if (CurIndex != NewIndex) {
            if (owner->FMultiSelect && wasSelected)
                owner->selection[static_cast<size_t>(NewIndex)] = 1;
            if (wasFocused)
                owner->itemIndex = NewIndex;
        }
        EndUpdate();
    }
    bool updating() const { return UpdateCount() > 0; }

protected:
    void SetUpdateState(bool Updating) override
    {
        TStringList::SetUpdateState(Updating);
        if (!Updating)
            owner->itemsChanged();
    }

private:
    TCustomListBox* owner;
};

// ---- Construction and properties ---------------------------------------------------

TCustomListBox::TCustomListBox(TComponent* AOwner)
    : TCustomControl(AOwner), items(std::make_unique<TListBoxStrings>(this))
{
    // Clicks come from selection changes, not from the framework's press and release.
    ControlStyle = {csCaptureMouse, csSetCaption, csDoubleClicks, csOpaque};
    FColor = clWindow;
    FTabStop = true;
    SetBounds(0, 0, 121, 97);
}

TCustomListBox::~TCustomListBox()
{
    // The items' callbacks must not reach a half-destroyed list box.
    Destroying();
    stopDragging();
}

TStrings* TCustomListBox::Items() const { return items.get(); }
void TCustomListBox::SetItems(TStrings* Value) { items->Assign(Value); }
int TCustomListBox::Count() const { return items->GetCount(); }
void TCustomListBox::Clear() { items->Clear(); }

void TCustomListBox::SetItemIndex(int Value)
{
    if (Value < -1 || Value >= Count())
        Value = -1;
    if (FMultiSelect) {
        std::fill(selection.begin(), selection.end(), 0);
        if (Value >= 0)
            selection[static_cast<size_t>(Value)] = 1;
        Invalidate();
    } else if (Value != itemIndex) {
        invalidateItem(std::max(itemIndex, 0));  // the focus rectangle may stand on row 0
        invalidateItem(Value);
    }
    itemIndex = Value;
    anchorIndex = Value;
    makeVisible(Value);
}

void TCustomListBox::SetTopIndex(int Value)
{
    Value = std::clamp(Value, 0, maxTopIndex());
    if (Value == topIndex)
        return;
    topIndex = Value;
    updateScrollBar();
    Invalidate();
}

int TCustomListBox::ItemHeight()
{
    if (FStyle == lbStandard)
        return fontItemHeight();
    return FItemHeight;
}

void TCustomListBox::SetItemHeight(int Value)
{
    if (Value < 1 || Value == FItemHeight)
        return;
    FItemHeight = Value;
    if (FStyle != lbStandard)
        itemsChanged();
}

void TCustomListBox::SetMultiSelect(bool Value)
{
    if (Value == FMultiSelect)
        return;
    FMultiSelect = Value;
    selection.assign(static_cast<size_t>(Count()), 0);
    if (Value && itemIndex >= 0)
        selection[static_cast<size_t>(itemIndex)] = 1;
    Invalidate();
}

bool TCustomListBox::isSelected(int index) const
{
    if (FMultiSelect)
        return index >= 0 && index < static_cast<int>(selection.size()) && selection[static_cast<size_t>(index)];
    return index >= 0 && index == itemIndex;
}

bool TCustomListBox::Selected(int Index) const
{
    if (Index < 0 || Index >= Count())
        ListIndexError(Index);
    return isSelected(Index);
}

void TCustomListBox::SetSelected(int Index, bool Value)
{
    if (Index < 0 || Index >= Count())
        ListIndexError(Index);
    if (!FMultiSelect) {
        if (Value)
            SetItemIndex(Index);
        else if (itemIndex == Index)
            SetItemIndex(-1);
        return;
    }
    char flag = Value ? 1 : 0;
    if (selection[static_cast<size_t>(Index)] == flag)
        return;
    selection[static_cast<size_t>(Index)] = flag;
    invalidateItem(Index);
}

int TCustomListBox::SelCount() const
{
    if (!FMultiSelect)
        return -1;
    return static_cast<int>(std::count(selection.begin(), selection.end(), 1));
}

void TCustomListBox::ClearSelection()
{
    if (FMultiSelect) {
        std::fill(selection.begin(), selection.end(), 0);
        Invalidate();
    } else {
        SetItemIndex(-1);
    }
}

void TCustomListBox::SelectAll()
{
    if (!FMultiSelect)
        return;
    std::fill(selection.begin(), selection.end(), 1);
    Invalidate();
}

// Turning Sorted on sorts the present items; each keeps its selection.
void TCustomListBox::SetSorted(bool Value)
{
    if (Value == FSorted)
        return;
    FSorted = Value;
    if (!Value) {
        items->SetSorted(false);
        return;
    }
    std::vector<ItemState> states;
    for (int i = 0; i < Count(); ++i)
        states.push_back({items->Get(i), items->GetObject(i), isSelected(i), i == itemIndex, i == anchorIndex});
    std::stable_sort(states.begin(), states.end(),
                     [](const ItemState& a, const ItemState& b) { return AnsiCompareText(a.text, b.text) < 0; });
    int top = topIndex;
    items->BeginUpdate();
    try {
        items->Clear();
        for (const ItemState& s : states)
            items->AddObject(s.text, s.object);
        items->SetSorted(true);
    } catch (...) {
        items->EndUpdate();
        throw;
    }
    for (size_t i = 0; i < states.size(); ++i) {
        if (FMultiSelect)
            selection[i] = states[i].selected ? 1 : 0;
        if (states[i].focused)
            itemIndex = static_cast<int>(i);
        if (states[i].anchor)
            anchorIndex = static_cast<int>(i);
    }
    topIndex = top;
    items->EndUpdate();
}

void TCustomListBox::SetStyle(TListBoxStyle Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    itemsChanged();
}

void TCustomListBox::SetBorderStyle(TFormBorderStyle Value)
{
    if (Value != bsNone)
        Value = bsSingle;
    if (Value == FBorderStyle)
        return;
    FBorderStyle = Value;
    if (HandleAllocated())
        RecreateWnd();
}

// ---- Geometry ---------------------------------------------------------------------------

// The font's cell height: Height when positive; else the character height plus a
// fifth of it for the leading above the capitals, which gives the framework's 13
// pixels for the default font (height -11).
int TCustomListBox::fontItemHeight()
{
    int height = Font()->Height();
    if (height > 0)
        return height;
    return std::max(1, -height + (-height * 2 + 5) / 10);
}

int TCustomListBox::visibleRows() { return std::max(1, ClientHeight() / ItemHeight()); }

int TCustomListBox::maxTopIndex() { return std::max(0, Count() - visibleRows()); }

int TCustomListBox::ItemAtPos(const TPoint& Pos, bool Existing)
{
    TRect client = ClientRect();
    if (Pos.x < client.left || Pos.x >= client.right || Pos.y < client.top || Pos.y >= client.bottom)
        return -1;
    int index = topIndex + (Pos.y - client.top) / ItemHeight();
    if (index < Count())
        return index;
    return Existing ? -1 : Count();
}

TRect TCustomListBox::ItemRect(int Index)
{
    if (Index < 0 || Index > Count())
        return TRect{0, 0, 0, 0};
    int height = ItemHeight();
    int top = (Index - topIndex) * height;
    return TRect{0, top, ClientWidth(), top + height};
}

void TCustomListBox::invalidateItem(int index)
{
    if (index < 0 || index >= Count() || !HandleAllocated())
        return;
    TRect r = ItemRect(index);
    InvalidateRect(Handle(), &r, FALSE);
}

void TCustomListBox::makeVisible(int index)
{
    if (index < 0)
        return;
    if (index < topIndex)
        SetTopIndex(index);
    else if (index >= topIndex + visibleRows())
        SetTopIndex(index - visibleRows() + 1);
}

// Range and page in items; the window shows the bar only while the items do not fit.
void TCustomListBox::updateScrollBar()
{
    if (!HandleAllocated() || updatingScrollBar)
        return;
    updatingScrollBar = true;
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = std::max(0, Count() - 1);
    info.nPage = static_cast<UINT>(visibleRows());
    info.nPos = topIndex;
    SetScrollInfo(FHandle, SB_VERT, &info, TRUE);
    updatingScrollBar = false;
}

// ---- Item list notifications -----------------------------------------------------------

void TCustomListBox::itemInserted(int index)
{
    if (ComponentState().Contains(csDestroying))
        return;
    if (FMultiSelect)
        selection.insert(selection.begin() + index, 0);
    if (itemIndex >= index)
        ++itemIndex;
    if (anchorIndex >= index)
        ++anchorIndex;
    itemsChanged();
}

void TCustomListBox::itemDeleted(int index)
{
    if (ComponentState().Contains(csDestroying))
        return;
    if (FMultiSelect)
        selection.erase(selection.begin() + index);
    if (itemIndex == index)
        itemIndex = -1;
    else if (itemIndex > index)
        --itemIndex;
    if (anchorIndex == index)
        anchorIndex = -1;
    else if (anchorIndex > index)
        --anchorIndex;
    itemsChanged();
}

void TCustomListBox::itemsCleared()
{
    if (ComponentState().Contains(csDestroying))
        return;
    selection.clear();
    itemIndex = -1;
    anchorIndex = -1;
    topIndex = 0;
    itemsChanged();
}

// The item at from now stands at to (the list's own Exchange is two such moves).
void TCustomListBox::itemMoved(int from, int to)
{
    if (from == to || ComponentState().Contains(csDestroying))
        return;
    auto follow = [&](int& index) {
        if (index == from)
            index = to;
        else if (from < to && index > from && index <= to)
            --index;
        else if (to < from && index >= to && index < from)
            ++index;
    };
    if (FMultiSelect) {
        char flag = selection[static_cast<size_t>(from)];
        selection.erase(selection.begin() + from);
        selection.insert(selection.begin() + to, flag);
    }
    follow(itemIndex);
    follow(anchorIndex);
    itemsChanged();
}

void TCustomListBox::itemsChanged()
{
    if (ComponentState().Contains(csDestroying) || items->updating())
        return;
    topIndex = std::clamp(topIndex, 0, maxTopIndex());
    updateScrollBar();
    Invalidate();
}

// ---- Window -------------------------------------------------------------------------------

void TCustomListBox::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_VSCROLL;
    if (FBorderStyle == bsSingle)
        Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListBox::CreateWnd()
{
    TCustomControl::CreateWnd();
    topIndex = std::clamp(topIndex, 0, maxTopIndex());
    updateScrollBar();
}

void TCustomListBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        onMouseDown(Message);
        if (Message.Msg == WM_LBUTTONDBLCLK)
            DblClick();
        TCustomControl::Dispatch(Message);
        break;
    case WM_MOUSEMOVE:
        onMouseMove(Message);
        TCustomControl::Dispatch(Message);
        break;
    case WM_LBUTTONUP:
        stopDragging();
        TCustomControl::Dispatch(Message);
        break;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        stopDragging();
        TCustomControl::Dispatch(Message);
        break;
    case WM_TIMER:
        if (Message.WParam == autoScrollTimer)
            onTimer();
        else
            TCustomControl::Dispatch(Message);
        break;
    case WM_VSCROLL: onVScroll(Message); break;
    case WM_MOUSEWHEEL: onMouseWheel(Message); break;
    case WM_GETDLGCODE: Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; break;
    case WM_SIZE:
        TCustomControl::Dispatch(Message);
        itemsChanged();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::Dispatch(Message);
        if (FHandle) {
            TRect row = ItemRect(itemIndex >= 0 ? itemIndex : 0);
            InvalidateRect(FHandle, &row, FALSE);
        }
        break;
    default: TCustomControl::Dispatch(Message);
    }
}

void TCustomListBox::CMFontChanged(TMessage& Message)
{
    TCustomControl::CMFontChanged(Message);
    itemsChanged();
}

// ---- Painting -----------------------------------------------------------------------------

void TCustomListBox::Paint()
{
    TCanvas* canvas = Canvas();
    TRect client = ClientRect();
    TRect clip = canvas->ClipRect();
    int height = ItemHeight();
    int first = topIndex + std::max(0, clip.top) / height;
    int last = std::min(Count() - 1, topIndex + (clip.bottom - 1) / height);
    int bottom = 0;
    for (int i = first; i <= last; ++i) {
        TRect r = ItemRect(i);
        drawItemAt(i, r);
        bottom = r.bottom;
    }
    if (last < first)
        bottom = std::max(0, clip.top);
    if (bottom < client.bottom) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(TRect{client.left, bottom, client.right, client.bottom});
    }
    // An empty list that has the focus shows where its first item would be.
    if (Count() == 0 && Focused()) {
        TRect row = ItemRect(0);
        DrawFocusRect(canvas->Handle(), &row);
    }
}

void TCustomListBox::drawItemAt(int index, const TRect& rect)
{
    TCanvas* canvas = Canvas();
    TOwnerDrawState state;
    bool selected = isSelected(index);
    int focusItem = itemIndex >= 0 ? itemIndex : 0;
    bool focused = Focused() && index == focusItem;
    if (selected)
        state << odSelected;
    if (focused)
        state << odFocused;
    if (!Enabled())
        state << odDisabled << odGrayed;
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    if (selected) {
        canvas->Brush()->SetColor(Enabled() ? clHighlight : clBtnFace);
        canvas->Font()->SetColor(Enabled() ? clHighlightText : clGrayText);
    } else if (!Enabled()) {
        canvas->Font()->SetColor(clGrayText);
    }
    DrawItem(index, rect, state);
    if (focused)
        DrawFocusRect(canvas->Handle(), &rect);
}

void TCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State)
{
    if (FStyle != lbStandard && OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    TCanvas* canvas = Canvas();
    canvas->FillRect(Rect);
    TRect textRect{Rect.left + textIndent, Rect.top, Rect.right, Rect.bottom};
    AnsiString text = items->Get(Index);
    HDC dc = canvas->Handle();
    SetBkMode(dc, TRANSPARENT);
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// ---- Mouse ----------------------------------------------------------------------------------

void TCustomListBox::onMouseDown(TMessage& message)
{
    if (CanFocus() && !Focused())
        SetFocus();
    TPoint at{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    TShiftState shift = KeysToShiftState(message.WParam);
    dragKeepsOthers = shift.Contains(ssCtrl);
    dragging = true;
    int index = ItemAtPos(at, true);
    if (index < 0)
        return;
    if (FMultiSelect && !FExtendedSelect) {
        selection[static_cast<size_t>(index)] ^= 1;
        invalidateItem(index);
        invalidateItem(itemIndex);
        itemIndex = index;
        anchorIndex = index;
        Click();
        return;
    }
    moveFocusTo(index, shift, CtrlToggles::Yes);
}

void TCustomListBox::onMouseMove(TMessage& message)
{
    if (!dragging || !(message.WParam & MK_LBUTTON))
        return;
    int y = GET_Y_LPARAM(message.LParam);
    bool outside = y < 0 || y >= ClientHeight();
    if (outside && !autoScrolling) {
        SetTimer(FHandle, autoScrollTimer, autoScrollInterval, nullptr);
        autoScrolling = true;
    } else if (!outside && autoScrolling) {
        KillTimer(FHandle, autoScrollTimer);
        autoScrolling = false;
    }
    dragTo(y);
}

// While the pointer is above or below the list with the button held, the list
// scrolls one item per tick and the selection follows to the edge item.
void TCustomListBox::onTimer()
{
    if (!dragging)
        return stopDragging();
    POINT p;
    GetCursorPos(&p);
    TPoint at = ScreenToClient(TPoint{p.x, p.y});
    if (at.y < 0)
        SetTopIndex(topIndex - 1);
    else if (at.y >= ClientHeight())
        SetTopIndex(topIndex + 1);
    dragTo(at.y);
}

void TCustomListBox::dragTo(int y)
{
    if (Count() == 0)
        return;
    int height = ItemHeight();
    int lastShown = std::min(Count() - 1, topIndex + visibleRows() - 1);
    int index = y < 0 ? topIndex : std::min(lastShown, topIndex + y / height);
    if (FMultiSelect && !FExtendedSelect)
        return;
    if (FMultiSelect) {
        if (index == itemIndex)
            return;
        if (anchorIndex < 0)
            anchorIndex = index;
        TShiftState shift{ssShift};
        if (dragKeepsOthers)
            shift << ssCtrl;
        moveFocusTo(index, shift, CtrlToggles::No);
        return;
    }
    moveFocusTo(index, {}, CtrlToggles::No);
}

void TCustomListBox::stopDragging()
{
    dragging = false;
    if (autoScrolling && FHandle)
        KillTimer(FHandle, autoScrollTimer);
    autoScrolling = false;
}

// ---- Selection ---------------------------------------------------------------------------------

void TCustomListBox::selectRange(int from, int to, bool keepOthers)
{
    if (from > to)
        std::swap(from, to);
    for (int i = 0; i < Count(); ++i) {
        bool inside = i >= from && i <= to;
        if (inside)
            selection[static_cast<size_t>(i)] = 1;
        else if (!keepOthers)
            selection[static_cast<size_t>(i)] = 0;
    }
}

// Single selection: the item becomes the selected one. Extended selection: Shift
// selects from the anchor (adding to the rest with Ctrl), Ctrl alone toggles an
// item on a press and only moves the focus on a key, no modifier selects the item
// alone. Simple multiple selection: keys move the focus only.
void TCustomListBox::moveFocusTo(int index, TShiftState shift, CtrlToggles ctrlToggles)
{
    if (index < 0 || index >= Count())
        return;
    std::vector<char> before = selection;
    int oldIndex = itemIndex;
    if (!FMultiSelect) {
        itemIndex = index;
        anchorIndex = index;
    } else if (!FExtendedSelect) {
        itemIndex = index;
    } else if (shift.Contains(ssShift)) {
        if (anchorIndex < 0)
            anchorIndex = index;
        selectRange(anchorIndex, index, shift.Contains(ssCtrl));
        itemIndex = index;
    } else if (shift.Contains(ssCtrl)) {
        if (ctrlToggles == CtrlToggles::Yes)
            selection[static_cast<size_t>(index)] ^= 1;
        itemIndex = index;
        anchorIndex = index;
    } else {
        selectRange(index, index, false);
        itemIndex = index;
        anchorIndex = index;
    }
    makeVisible(index);
    bool changed = itemIndex != oldIndex || selection != before;
    if (!changed)
        return;
    if (selection != before)
        Invalidate();
    invalidateItem(std::max(oldIndex, 0));
    invalidateItem(itemIndex);
    Click();
}

// ---- Keyboard and scrolling -------------------------------------------------------------------

void TCustomListBox::KeyDown(WORD& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    if (Key == 0 || Count() == 0)
        return;
    int last = Count() - 1;
    int current = itemIndex;
    int page = std::max(1, visibleRows() - 1);
    int target;
    switch (Key) {
    case VK_UP:
    case VK_LEFT: target = current < 0 ? 0 : current - 1; break;
    case VK_DOWN:
    case VK_RIGHT: target = current + 1; break;
    case VK_HOME: target = 0; break;
    case VK_END: target = last; break;
    case VK_PRIOR: target = current < 0 ? 0 : current - page; break;
    case VK_NEXT: target = std::max(current, 0) + page; break;
    case VK_SPACE:
        if (FMultiSelect && current >= 0 && (!FExtendedSelect || Shift.Contains(ssCtrl))) {
            selection[static_cast<size_t>(current)] ^= 1;
            invalidateItem(current);
            Click();
        }
        return;
    default: return;
    }
    moveFocusTo(std::clamp(target, 0, last), Shift, CtrlToggles::No);
}

void TCustomListBox::onVScroll(TMessage& message)
{
    int rows = visibleRows();
    switch (LOWORD(message.WParam)) {
    case SB_LINEUP: SetTopIndex(topIndex - 1); break;
    case SB_LINEDOWN: SetTopIndex(topIndex + 1); break;
    case SB_PAGEUP: SetTopIndex(topIndex - rows); break;
    case SB_PAGEDOWN: SetTopIndex(topIndex + rows); break;
    case SB_TOP: SetTopIndex(0); break;
    case SB_BOTTOM: SetTopIndex(maxTopIndex()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The full position: the message carries only 16 bits of it.
        SCROLLINFO info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(FHandle, SB_VERT, &info);
        SetTopIndex(info.nTrackPos);
        break;
    }
    default: break;
    }
    message.Result = 0;
}

void TCustomListBox::onMouseWheel(TMessage& message)
{
    // OnMouseWheel of the list and its parents come first.
    message.Result = Perform(CM_MOUSEWHEEL, message.WParam, message.LParam);
    if (message.Result)
        return;
    wheelRemainder += GET_WHEEL_DELTA_WPARAM(message.WParam);
    int notches = wheelRemainder / WHEEL_DELTA;
    wheelRemainder -= notches * WHEEL_DELTA;
    SetTopIndex(topIndex - notches * wheelItemsPerNotch);
    message.Result = 1;
}

// ---- Form descriptions --------------------------------------------------------------------

namespace {

const TIdentList& listBoxStyleIdents()
{
    static const TIdentList idents = {
        {"lbStandard", lbStandard}, {"lbOwnerDrawFixed", lbOwnerDrawFixed}, {"lbOwnerDrawVariable", lbOwnerDrawVariable}};
    return idents;
}

}  // namespace

namespace varn::detail {
// ItemHeight has no declared default: it is always written, as the framework does.
void registerListBoxClasses()
{
    using L = TCustomListBox;
    RegisterPublishedClass<TCustomListBox>("TCustomListBox", "TWinControl")
        .Enumeration("BorderStyle", &L::BorderStyle, &L::SetBorderStyle, ControlBorderStyleIdents(),
                     std::optional(bsSingle))
        .Colour("Color", &TControl::Color, &TControl::SetColor, clWindow)
        .Integer("Columns", &L::Columns, &L::SetColumns)
        .Boolean("ExtendedSelect", &L::ExtendedSelect, &L::SetExtendedSelect, true)
        .Boolean("IntegralHeight", &L::IntegralHeight, &L::SetIntegralHeight, false)
        .Integer("ItemHeight", &L::ItemHeight, &L::SetItemHeight, std::nullopt)
        .Object<TStrings>("Items", &L::Items)
        .Boolean("MultiSelect", &L::MultiSelect, &L::SetMultiSelect, false)
        .Boolean("Sorted", &L::Sorted, &L::SetSorted, false)
        .Enumeration("Style", &L::Style, &L::SetStyle, listBoxStyleIdents(), std::optional(lbStandard))
        .Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
        .Event("OnDrawItem", &L::OnDrawItem);
    RegisterPublishedClass<TListBox>("TListBox", "TCustomListBox");
}
}  // namespace varn::detail
