// Controls: bounds, visibility, mouse and key handling, windows created on demand,
// alignment layout and focus.
//
// Message flow for a windowed control: the window procedure of its class finds the
// control (a window property) -> MainWndProc -> WndProc (mouse messages for graphic
// children go to them) -> Dispatch (one switch, one handler per message) ->
// DefaultHandler, which calls the class's own procedure (DefWindowProc, or the
// procedure of a class such as "EDIT" that the control builds on).
#include "platform/Controls.h"

#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Menus.h"
#include "platform/win/WindowManager.h"

#include <algorithm>

namespace {

const char* const controlProperty = "VarnControl";
TWinControl* creationControl = nullptr;  // the control whose window is being created
TControl* captureControl = nullptr;      // control holding the mouse capture

bool intersects(const TRect& a, const TRect& b)
{
    return std::max(a.left, b.left) < std::min(a.right, b.right) && std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

bool isMouseMessage(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && message != WM_MOUSEWHEEL; }

// Removes one entry; children mostly leave last first (a parent deletes them so),
// hence the search from the end.
template <typename T>
void eraseLast(std::vector<T*>& list, T* item)
{
    auto it = std::find(list.rbegin(), list.rend(), item);
    if (it != list.rend())
        list.erase(std::next(it).base());
}

}  // namespace

TShiftState KeysToShiftState(WPARAM keys)
{
    TShiftState shift;
    if (keys & MK_SHIFT)
        shift << ssShift;
    if (keys & MK_CONTROL)
        shift << ssCtrl;
    if (keys & MK_LBUTTON)
        shift << ssLeft;
    if (keys & MK_RBUTTON)
        shift << ssRight;
    if (keys & MK_MBUTTON)
        shift << ssMiddle;
    if (GetKeyState(VK_MENU) < 0)
        shift << ssAlt;
    return shift;
}

TShiftState KeyboardStateToShiftState()
{
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0)
        shift << ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        shift << ssCtrl;
    if (GetKeyState(VK_MENU) < 0)
        shift << ssAlt;
    if (GetKeyState(VK_LBUTTON) < 0)
        shift << ssLeft;
    if (GetKeyState(VK_RBUTTON) < 0)
        shift << ssRight;
    if (GetKeyState(VK_MBUTTON) < 0)
        shift << ssMiddle;
    return shift;
}

TControl* GetCaptureControl()
{
    TControl* result = TWinControl::FindControl(GetCapture());
    if (result && captureControl && captureControl->Parent() == result)
        result = captureControl;
    return result;
}

void SetCaptureControl(TControl* Control)
{
    ReleaseCapture();
    captureControl = nullptr;
    if (!Control)
        return;
    if (auto* windowed = dynamic_cast<TWinControl*>(Control)) {
        SetCapture(windowed->Handle());
        return;
    }
    if (!Control->Parent())
        return;
    SetCapture(Control->Parent()->Handle());
    captureControl = Control;
}

// ---- TControl ----------------------------------------------------------------------

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>())
{
    ControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    // A font changed by anyone (SetFont, Font()->SetName ...) is the control's own.
    FFont->OnChange = [this](TObject*) {
        FParentFont = false;
        Perform(CM_FONTCHANGED, 0, 0);
    };
}

TControl::~TControl()
{
    if (captureControl == this)
        SetCaptureControl(nullptr);
    if (Application)
        Application->controlDestroyed(this);
    if (FParent)
        FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent)
{
    if (FParent == AParent)
        return;
    if (AParent == this)
        throw EInvalidOperation("A control cannot have itself as its parent");
    if (FParent)
        FParent->RemoveControl(this);
    if (AParent)
        AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    TRect old = BoundsRect();
    bool sized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (FParent && FVisible) {
        FParent->invalidateArea(old);
        FParent->invalidateArea(BoundsRect());
    }
    if (sized)
        Resize();
    RequestAlign();
}

TRect TControl::GetClientRect() { return {0, 0, FWidth, FHeight}; }

void TControl::SetClientWidth(int Value) { SetWidth(Value + FWidth - ClientWidth()); }
void TControl::SetClientHeight(int Value) { SetHeight(Value + FHeight - ClientHeight()); }

TPoint TControl::ClientOrigin()
{
    if (!FParent)
        return {FLeft, FTop};
    TPoint origin = FParent->ClientOrigin();
    return {origin.x + FLeft, origin.y + FTop};
}

TPoint TControl::ClientToScreen(const TPoint& Point)
{
    TPoint origin = ClientOrigin();
    return {Point.x + origin.x, Point.y + origin.y};
}

TPoint TControl::ScreenToClient(const TPoint& Point)
{
    TPoint origin = ClientOrigin();
    return {Point.x - origin.x, Point.y - origin.y};
}

void TControl::SetAlign(TAlign Value)
{
    if (FAlign == Value)
        return;
    bool wasAligned = FAlign != alNone && FAlign != alCustom;
    FAlign = Value;
    // A control that leaves its strip gives it back to the other aligned ones.
    if (wasAligned && FParent)
        FParent->Realign();
    RequestAlign();
}

// Every child's move or resize reaches the parent, aligned or not: a scrolling
// parent follows its children's extents from there.
void TControl::RequestAlign()
{
    if (FParent)
        FParent->AlignControl(this);
}

void TControl::SetVisible(bool Value)
{
    if (FVisible == Value)
        return;
    FVisible = Value;
    Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
    if (FParent)
        FParent->AlignControl(this);
}

bool TControl::Showing() const { return FVisible && FParent && FParent->Showing(); }

void TControl::SetEnabled(bool Value)
{
    if (FEnabled == Value)
        return;
    FEnabled = Value;
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value)
{
    if (FColor == Value)
        return;
    FColor = Value;
    FParentColor = false;
    Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value)
{
    if (FParentColor == Value)
        return;
    FParentColor = Value;
    if (Value && FParent) {
        FColor = FParent->Color();
        Perform(CM_COLORCHANGED, 0, 0);
    }
}

void TControl::SetFont(TFont* Value) { FFont->Assign(Value); }

void TControl::SetParentFont(bool Value)
{
    if (FParentFont == Value)
        return;
    FParentFont = Value;
    if (Value)
        Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetCursor(TCursor Value)
{
    if (FCursor == Value)
        return;
    FCursor = Value;
    Perform(CM_CURSORCHANGED, 0, 0);
    Application->showCursor(Application->MouseControl());
}

void TControl::SetText(const AnsiString& Value)
{
    if (FText == Value)
        return;
    FText = Value;
    Perform(CM_TEXTCHANGED, 0, 0);
    Invalidate();
}

bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value)
{
    if (MouseCapture() == Value)
        return;
    SetCaptureControl(Value ? this : nullptr);
}

void TControl::Invalidate()
{
    if (FParent && FVisible)
        FParent->invalidateArea(BoundsRect());
}

void TControl::Update()
{
    if (FParent)
        FParent->Update();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::BringToFront()
{
    if (!FParent)
        return;
    auto& siblings = FParent->FControls;
    std::erase(siblings, this);
    siblings.push_back(this);
    if (auto* windowed = dynamic_cast<TWinControl*>(this); windowed && windowed->FHandle)
        SetWindowPos(windowed->FHandle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Invalidate();
}

void TControl::SendToBack()
{
    if (!FParent)
        return;
    auto& siblings = FParent->FControls;
    std::erase(siblings, this);
    siblings.insert(siblings.begin(), this);
    if (auto* windowed = dynamic_cast<TWinControl*>(this); windowed && windowed->FHandle)
        SetWindowPos(windowed->FHandle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Invalidate();
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage message;
    message.Msg = Msg;
    message.WParam = WParam;
    message.LParam = LParam;
    WndProc(message);
    return message.Result;
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMMouseDown(Message, mbLeft, {}); break;
    case WM_RBUTTONDOWN: WMMouseDown(Message, mbRight, {}); break;
    case WM_MBUTTONDOWN: WMMouseDown(Message, mbMiddle, {}); break;
    case WM_LBUTTONDBLCLK:
        DefaultHandler(Message);
        if (ControlStyle.Contains(csCaptureMouse))
            SetMouseCapture(true);
        if (ControlStyle.Contains(csClickEvents))
            DblClick();
        MouseDown(mbLeft, KeysToShiftState(Message.WParam) + TShiftState{ssDouble}, GET_X_LPARAM(Message.LParam),
                  GET_Y_LPARAM(Message.LParam));
        break;
    case WM_RBUTTONDBLCLK: WMMouseDown(Message, mbRight, {ssDouble}); break;
    case WM_MBUTTONDBLCLK: WMMouseDown(Message, mbMiddle, {ssDouble}); break;
    case WM_LBUTTONUP: WMMouseUp(Message, mbLeft); break;
    case WM_RBUTTONUP: WMMouseUp(Message, mbRight); break;
    case WM_MBUTTONUP: WMMouseUp(Message, mbMiddle); break;
    case WM_MOUSEMOVE: WMMouseMove(Message); break;
    case WM_MOUSEWHEEL:
        Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
        if (!Message.Result)
            DefaultHandler(Message);
        break;
    case WM_CONTEXTMENU: WMContextMenu(Message); break;
    case CM_MOUSEENTER: CMMouseEnter(Message); break;
    case CM_MOUSELEAVE: CMMouseLeave(Message); break;
    case CM_MOUSEWHEEL: CMMouseWheel(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
    default: DefaultHandler(Message);
    }
}

void TControl::DefaultHandler(TMessage&) {}

void TControl::WMMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift)
{
    DefaultHandler(Message);
    if (ControlStyle.Contains(csCaptureMouse))
        SetMouseCapture(true);
    if (Button == mbLeft && ControlStyle.Contains(csClickEvents))
        ControlState << csClicked;
    MouseDown(Button, KeysToShiftState(Message.WParam) + Shift, GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
}

void TControl::WMMouseUp(TMessage& Message, TMouseButton Button)
{
    DefaultHandler(Message);
    if (ControlStyle.Contains(csCaptureMouse))
        SetMouseCapture(false);
    int x = GET_X_LPARAM(Message.LParam);
    int y = GET_Y_LPARAM(Message.LParam);
    if (Button == mbLeft && ControlState.Contains(csClicked)) {
        ControlState >> csClicked;
        TRect client = GetClientRect();
        if (x >= client.left && x < client.right && y >= client.top && y < client.bottom)
            Click();
    }
    MouseUp(Button, KeysToShiftState(Message.WParam), x, y);
}

void TControl::WMMouseMove(TMessage& Message)
{
    DefaultHandler(Message);
    MouseMove(KeysToShiftState(Message.WParam), GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
}

void TControl::CMMouseEnter(TMessage&)
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TControl::CMMouseLeave(TMessage&)
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

// Wheel: the control's handler first, then its parents, until one takes it.
void TControl::CMMouseWheel(TMessage& Message)
{
    TPoint at{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    TShiftState shift = KeysToShiftState(static_cast<WPARAM>(GET_KEYSTATE_WPARAM(Message.WParam)));
    if (DoMouseWheel(shift, GET_WHEEL_DELTA_WPARAM(Message.WParam), at)) {
        Message.Result = 1;
        return;
    }
    if (FParent)
        Message.Result = FParent->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }
void TControl::CMVisibleChanged(TMessage&)
{
    if (FParent)
        FParent->invalidateArea(BoundsRect());
}
void TControl::CMColorChanged(TMessage&) { Invalidate(); }

void TControl::SetPopupMenu(TPopupMenu* Value)
{
    if (FPopupMenu == Value)
        return;
    if (FPopupMenu)
        FPopupMenu->RemoveFreeNotification(this);
    FPopupMenu = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupMenu)
        FPopupMenu = nullptr;
}

// The control's own menu opens at the point (lParam -1, from the keyboard: at the
// control's corner); without one the message goes on: a window's default handler
// passes it to the parent window.
void TControl::WMContextMenu(TMessage& Message)
{
    if (FPopupMenu && FPopupMenu->AutoPopup()) {
        TPoint at{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
        if (Message.LParam == -1)
            at = ClientToScreen({0, 0});
        FPopupMenu->SetPopupComponent(this);
        FPopupMenu->Popup(at.x, at.y);
        Message.Result = 1;
        return;
    }
    DefaultHandler(Message);
}
void TControl::CMFontChanged(TMessage&) { Invalidate(); }

void TControl::CMParentColorChanged(TMessage&)
{
    if (!FParentColor || !FParent || FColor == FParent->FColor)
        return;
    FColor = FParent->FColor;
    Perform(CM_COLORCHANGED, 0, 0);
}

// Taking the parent's font goes through the font's change event, which clears
// ParentFont; it is set again afterwards.
void TControl::CMParentFontChanged(TMessage&)
{
    if (!FParentFont || !FParent)
        return;
    FFont->Assign(FParent->FFont.get());
    FParentFont = true;
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    bool handled = false;
    if (OnMouseWheel)
        OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    return handled;
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

// ---- TWinControl ---------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    Destroying();
    if (FParent)
        FParent->RemoveControl(this);
    if (FHandle)
        DestroyHandle();
    // Children go with their parent, as in the framework; each leaves the list itself.
    while (!FControls.empty())
        delete FControls.back();
    if (colorBrush)
        DeleteObject(colorBrush);
}

TControl* TWinControl::Controls(int Index) const
{
    if (Index < 0 || Index >= ControlCount())
        ListIndexError(Index);
    return FControls[static_cast<size_t>(Index)];
}

bool TWinControl::ContainsControl(TControl* Control) const
{
    for (TControl* c = Control; c; c = c->Parent())
        if (c == this)
            return true;
    return false;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls)
{
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        bool windowed = dynamic_cast<TWinControl*>(c) != nullptr;
        if (windowed && !AllowWinControls)
            continue;
        if (!c->FVisible || (!c->FEnabled && !AllowDisabled))
            continue;
        TRect r = c->BoundsRect();
        if (Pos.x >= r.left && Pos.x < r.right && Pos.y >= r.top && Pos.y < r.bottom)
            return c;
    }
    return nullptr;
}

void TWinControl::InsertControl(TControl* AControl)
{
    AControl->FParent = this;
    FControls.push_back(AControl);
    if (auto* windowed = dynamic_cast<TWinControl*>(AControl)) {
        FTabList.push_back(windowed);
        if (FHandle && windowed->FVisible)
            windowed->updateShowing();
    } else {
        AControl->Invalidate();
    }
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AlignControl(AControl);
}

void TWinControl::RemoveControl(TControl* AControl)
{
    if (auto* windowed = dynamic_cast<TWinControl*>(AControl)) {
        eraseLast(FTabList, windowed);
        if (windowed->FHandle && !windowed->destroyingHandle)
            windowed->DestroyHandle();
    } else {
        AControl->Invalidate();
    }
    if (captureControl == AControl)
        SetCaptureControl(nullptr);
    eraseLast(FControls, AControl);
    AControl->FParent = nullptr;
    if (!ComponentState().Contains(csDestroying))
        Realign();
}

HWND TWinControl::Handle()
{
    if (!FHandle)
        CreateHandle();
    return FHandle;
}

void TWinControl::CreateParams(TCreateParams& Params)
{
    Params.Caption = FText;
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (ControlStyle.Contains(csAcceptsControls))
        Params.Style |= WS_CLIPCHILDREN;
    if (!FEnabled)
        Params.Style |= WS_DISABLED;
    if (FTabStop)
        Params.Style |= WS_TABSTOP;
    if (FVisible && FParent)
        Params.Style |= WS_VISIBLE;
    Params.X = FLeft;
    Params.Y = FTop;
    Params.Width = FWidth;
    Params.Height = FHeight;
    Params.WndParent = FParent ? FParent->Handle() : FParentWindow;
    Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW;
    if (ControlStyle.Contains(csDoubleClicks))
        Params.WindowClass.style |= CS_DBLCLKS;
    Params.WindowClass.lpfnWndProc = DefWindowProc;
    Params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& Params, const char* ControlClassName)
{
    WNDCLASS existing;
    if (!GetClassInfo(nullptr, ControlClassName, &existing))
        throw EInvalidOperation(Sprintf("Window class '%s' is not registered", ControlClassName));
    UINT ownStyle = Params.WindowClass.style & CS_DBLCLKS;
    Params.WindowClass = existing;
    Params.WindowClass.style |= ownStyle;
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params)
{
    FHandle = CreateWindowEx(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style, Params.X,
                             Params.Y, Params.Width, Params.Height, Params.WndParent, nullptr, nullptr, Params.Param);
}

LRESULT TWinControl::initWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* control = static_cast<TWinControl*>(GetProp(hwnd, controlProperty));
    if (!control) {
        control = creationControl;
        if (!control)
            return DefWindowProc(hwnd, message, wParam, lParam);
        creationControl = nullptr;
        control->FHandle = hwnd;
        SetProp(hwnd, controlProperty, control);
    }
    TMessage m;
    m.Msg = message;
    m.WParam = wParam;
    m.LParam = lParam;
    control->MainWndProc(m);
    return m.Result;
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && !params.WndParent)
        throw EInvalidOperation(Sprintf("Control '%s' has no parent window", Name().c_str()));
    FDefWndProc = params.WindowClass.lpfnWndProc;
    WNDCLASS registered;
    bool known = GetClassInfo(nullptr, params.WinClassName.c_str(), &registered);
    if (!known || registered.lpfnWndProc != initWndProc || registered.style != params.WindowClass.style) {
        if (known)
            UnregisterClass(params.WinClassName.c_str(), nullptr);
        WNDCLASS windowClass = params.WindowClass;
        windowClass.lpfnWndProc = initWndProc;
        windowClass.lpszClassName = params.WinClassName.c_str();
        RegisterClass(&windowClass);
    }
    creationControl = this;
    try {
        CreateWindowHandle(params);
    } catch (...) {
        creationControl = nullptr;
        throw;
    }
    creationControl = nullptr;
    if (!FHandle)
        throw EInvalidOperation(Sprintf("Error creating window for '%s'", Name().c_str()));
}

void TWinControl::DestroyWnd()
{
    if (FHandle)
        DestroyWindow(FHandle);
    FHandle = nullptr;
}

void TWinControl::CreateHandle()
{
    if (FHandle)
        return;
    // The parent's window comes first. Making it makes its visible windowed
    // children, possibly this control among them, which must not get a second one.
    if (FParent) {
        FParent->CreateHandle();
        if (FHandle)
            return;
    }
    CreateWnd();
    for (TControl* child : std::vector<TControl*>(FControls))
        if (auto* windowed = dynamic_cast<TWinControl*>(child); windowed && windowed->FVisible)
            windowed->CreateHandle();
    Realign();
}

void TWinControl::DestroyHandle()
{
    if (!FHandle)
        return;
    destroyingHandle = true;
    for (TControl* child : std::vector<TControl*>(FControls))
        if (auto* windowed = dynamic_cast<TWinControl*>(child))
            windowed->DestroyHandle();
    DestroyWnd();
    destroyingHandle = false;
}

void TWinControl::RecreateWnd()
{
    if (!FHandle)
        return;
    bool wasShown = IsWindowVisible(FHandle);
    DestroyHandle();
    if (wasShown || (FParent && FParent->FHandle && FVisible))
        updateShowing();
}

// Windowed children get their window when they and their parent's window show.
void TWinControl::updateShowing()
{
    if (FParent) {
        if (!FParent->FHandle)
            return;
        if (FVisible) {
            CreateHandle();
            ShowWindow(FHandle, SW_SHOWNA);
        } else if (FHandle) {
            ShowWindow(FHandle, SW_HIDE);
        }
        return;
    }
    if (FVisible) {
        CreateHandle();
        ShowWindow(FHandle, SW_SHOW);
    } else if (FHandle) {
        ShowWindow(FHandle, SW_HIDE);
    }
}

void TWinControl::SetVisible(bool Value)
{
    if (FVisible == Value)
        return;
    TControl::SetVisible(Value);
    updateShowing();
}

bool TWinControl::Showing() const { return FHandle && IsWindowVisible(FHandle); }

void TWinControl::SetEnabled(bool Value)
{
    if (FEnabled == Value)
        return;
    FEnabled = Value;
    if (FHandle)
        EnableWindow(FHandle, Value);
    Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TWinControl::SetText(const AnsiString& Value)
{
    if (FHandle) {
        SetWindowText(FHandle, Value.c_str());
        if (FText == Value)
            return;
        FText = Value;
        Perform(CM_TEXTCHANGED, 0, 0);
        return;
    }
    TControl::SetText(Value);
}

void TWinControl::invalidateArea(const TRect& rect)
{
    if (FHandle)
        InvalidateRect(FHandle, &rect, !ControlStyle.Contains(csOpaque));
}

void TWinControl::Invalidate()
{
    if (FHandle)
        InvalidateRect(FHandle, nullptr, !ControlStyle.Contains(csOpaque));
}

void TWinControl::Update()
{
    if (FHandle)
        UpdateWindow(FHandle);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    bool sized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (FHandle) {
        // WM_SIZE re-lays out the children and calls Resize.
        SetWindowPos(FHandle, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (sized) {
        Realign();
        Resize();
    }
    RequestAlign();
}

TRect TWinControl::GetClientRect()
{
    if (FHandle) {
        TRect r;
        ::GetClientRect(FHandle, &r);
        return r;
    }
    return TControl::GetClientRect();
}

TPoint TWinControl::ClientOrigin()
{
    if (FHandle) {
        TPoint p{0, 0};
        ::ClientToScreen(FHandle, &p);
        return p;
    }
    return TControl::ClientOrigin();
}

void TWinControl::SetBorderWidth(int Value)
{
    if (FBorderWidth == Value)
        return;
    FBorderWidth = Value;
    Realign();
    Invalidate();
}

void TWinControl::EnableAlign()
{
    if (FAlignLevel > 0 && --FAlignLevel == 0)
        Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::AlignControl(TControl* AControl)
{
    if (FAlignLevel > 0 || aligning || ComponentState().Contains(csDestroying))
        return;
    TRect rect = GetClientRect();
    AdjustClientRect(rect);
    aligning = true;
    try {
        AlignControls(AControl, rect);
    } catch (...) {
        aligning = false;
        throw;
    }
    aligning = false;
}

void TWinControl::AdjustClientRect(TRect& Rect)
{
    Rect.left += FBorderWidth;
    Rect.top += FBorderWidth;
    Rect.right -= FBorderWidth;
    Rect.bottom -= FBorderWidth;
}

// Top, bottom, left, right and client in that order; each takes its strip off the
// remaining rectangle. Within one kind, controls keep their current order on the
// axis (the one being aligned goes first among equals).
void TWinControl::AlignControls(TControl* AControl, TRect& Rect)
{
    // The aligned children's places depend only on one another and on Rect: a
    // child that is not aligned itself moves nothing (so adding or moving many
    // of them costs no pass over the children each).
    if (AControl && (AControl->FAlign == alNone || AControl->FAlign == alCustom))
        return;
    auto key = [](TControl* c, TAlign align) {
        switch (align) {
        case alTop: return c->FTop;
        case alBottom: return -(c->FTop + c->FHeight);
        case alLeft: return c->FLeft;
        case alRight: return -(c->FLeft + c->FWidth);
        default: return 0;
        }
    };
    for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
        std::vector<TControl*> list;
        for (TControl* c : FControls)
            if (c->FAlign == align && c->FVisible)
                list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) {
            int ka = key(a, align);
            int kb = key(b, align);
            if (ka != kb)
                return ka < kb;
            return a == AControl && b != AControl;
        });
        for (TControl* c : list) {
            int left = Rect.left;
            int top = Rect.top;
            int width = std::max(0, Rect.right - Rect.left);
            int height = std::max(0, Rect.bottom - Rect.top);
            switch (align) {
            case alTop:
                height = c->FHeight;
                Rect.top += height;
                break;
            case alBottom:
                height = c->FHeight;
                top = Rect.bottom - height;
                Rect.bottom -= height;
                break;
            case alLeft:
                width = c->FWidth;
                Rect.left += width;
                break;
            case alRight:
                width = c->FWidth;
                left = Rect.right - width;
                Rect.right -= width;
                break;
            default: break;
            }
            c->SetBounds(left, top, width, height);
        }
    }
}

void TWinControl::SetTabStop(bool Value)
{
    if (FTabStop == Value)
        return;
    FTabStop = Value;
    if (FHandle) {
        LONG_PTR style = GetWindowLongPtr(FHandle, GWL_STYLE);
        SetWindowLongPtr(FHandle, GWL_STYLE, Value ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
    }
}

int TWinControl::TabOrder() const
{
    if (!FParent)
        return -1;
    auto& list = FParent->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int Value)
{
    if (!FParent)
        return;
    auto& list = FParent->FTabList;
    std::erase(list, this);
    int position = std::clamp(Value, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + position, this);
}

bool TWinControl::CanFocus()
{
    TForm* form = GetParentForm(this);
    for (TControl* c = this; c && c != form; c = c->FParent)
        if (!c->FVisible || !c->FEnabled)
            return false;
    if (!form)
        return FVisible && FEnabled;
    return form->FEnabled;
}

bool TWinControl::Focused() const { return FHandle && GetFocus() == FHandle; }

void TWinControl::SetFocus()
{
    TForm* form = GetParentForm(this);
    if (form && form != this) {
        form->FocusControl(this);
        return;
    }
    if (!CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    ::SetFocus(Handle());
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List)
{
    for (TWinControl* c : FTabList) {
        List.push_back(c);
        c->GetTabOrderList(List);
    }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent)
{
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    int count = static_cast<int>(list.size());
    if (count == 0)
        return nullptr;
    auto found = std::find(list.begin(), list.end(), CurControl);
    int start = found == list.end() ? (GoForward ? count - 1 : 0) : static_cast<int>(found - list.begin());
    int i = start;
    do {
        i = GoForward ? (i + 1) % count : (i + count - 1) % count;
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c != CurControl && c->CanFocus() && (!CheckTabStop || c->FTabStop) && (!CheckParent || c->FParent == this))
            return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop)
{
    if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop))
        next->SetFocus();
}

TWinControl* TWinControl::FindControl(HWND Handle)
{
    if (!Handle)
        return nullptr;
    return static_cast<TWinControl*>(GetProp(Handle, controlProperty));
}

void TWinControl::MainWndProc(TMessage& Message)
{
    try {
        WndProc(Message);
    } catch (const Exception&) {
        Application->HandleException(this);
    } catch (const std::exception&) {
        Application->HandleException(this);
    }
}

bool TWinControl::IsControlMouseMsg(TMessage& Message)
{
    TControl* control = nullptr;
    TPoint at{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    if (GetCapture() == FHandle) {
        if (captureControl && captureControl->FParent == this)
            control = captureControl;
    } else {
        control = ControlAtPos(at, false);
    }
    if (!control)
        return false;
    Message.Result = control->Perform(Message.Msg, Message.WParam, MAKELPARAM(at.x - control->FLeft, at.y - control->FTop));
    return true;
}

void TWinControl::WndProc(TMessage& Message)
{
    // While a control is destroyed its descendant parts are gone already: no
    // handler or event runs, the window only winds down.
    if (ComponentState().Contains(csDestroying)) {
        if (Message.Msg == WM_NCDESTROY)
            WMNCDestroy(Message);
        else
            DefaultHandler(Message);
        return;
    }
    if (isMouseMessage(Message.Msg) && IsControlMouseMsg(Message)) {
        // The window still asks for a context menu; its handler finds the graphic child.
        if (Message.Msg == WM_RBUTTONUP)
            DefaultHandler(Message);
        return;
    }
    TControl::WndProc(Message);
}

void TWinControl::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: WMKeyDown(Message); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: WMKeyUp(Message); break;
    case WM_CHAR: WMChar(Message); break;
    case WM_SYSCHAR: WMSysChar(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case WM_MOVE: WMMove(Message); break;
    case WM_NCDESTROY: WMNCDestroy(Message); break;
    case WM_CAPTURECHANGED: WMCaptureChanged(Message); break;
    case CN_KEYDOWN: CNKeyDown(Message); break;
    case WM_COMMAND: WMCommand(Message); break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: WMCtlColor(Message); break;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORSTATIC: CNCtlColor(Message); break;
    default: TControl::Dispatch(Message);
    }
}

void TWinControl::DefaultHandler(TMessage& Message)
{
    if (!FHandle)
        return;
    Message.Result = CallWindowProc(FDefWndProc ? FDefWndProc : DefWindowProc, FHandle, Message.Msg, Message.WParam,
                                    Message.LParam);
}

void TWinControl::EraseWithColor(TMessage& Message)
{
    auto dc = reinterpret_cast<HDC>(Message.WParam);
    TRect area;
    if (dc && FColor != clNone && GetClipBox(dc, &area)) {
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(FColor)));
        FillRect(dc, &area, brush);
        DeleteObject(brush);
    }
    Message.Result = 1;
}

void TWinControl::PaintControls(HDC DC, TControl* First)
{
    bool painting = First == nullptr;
    // BeginPaint has validated the window already: the DC's clip is the update area.
    const varn::detail::DeviceContext* context = varn::detail::deviceContext(DC);
    RECT update = context ? context->clip : GetClientRect();
    for (TControl* c : FControls) {
        if (c == First)
            painting = true;
        auto* graphic = dynamic_cast<TGraphicControl*>(c);
        if (!painting || !graphic || !c->FVisible || !intersects(update, c->BoundsRect()))
            continue;
        // The child paints through a DC moved to its corner and clipped to its bounds.
        HDC childDC = CreateChildDC(DC, c->BoundsRect());
        auto* canvas = static_cast<TControlCanvas*>(graphic->FCanvas);
        canvas->FreeHandle();
        canvas->SetHandle(childDC);
        canvas->SetFont(graphic->Font());
        graphic->paintDC = childDC;
        try {
            graphic->Paint();
        } catch (...) {
            canvas->SetHandle(nullptr);
            graphic->paintDC = nullptr;
            DeleteDC(childDC);
            throw;
        }
        canvas->SetHandle(nullptr);
        graphic->paintDC = nullptr;
        DeleteDC(childDC);
    }
}

void TWinControl::WMPaint(TMessage& Message)
{
    bool hasGraphicChildren = std::any_of(FControls.begin(), FControls.end(), [](TControl* c) {
        return c->FVisible && dynamic_cast<TGraphicControl*>(c) != nullptr;
    });
    if (!hasGraphicChildren) {
        DefaultHandler(Message);
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(FHandle, &paint);
    PaintControls(dc, nullptr);
    EndPaint(FHandle, &paint);
}

void TWinControl::WMSetFocus(TMessage& Message)
{
    DefaultHandler(Message);
    if (TForm* form = GetParentForm(this); form && form != this)
        form->SetFocusedControl(this);
    DoEnter();
}

void TWinControl::WMKillFocus(TMessage& Message)
{
    DefaultHandler(Message);
    DoExit();
}

void TWinControl::WMKeyDown(TMessage& Message)
{
    WORD key = static_cast<WORD>(Message.WParam);
    KeyDown(key, KeyboardStateToShiftState());
    if (key == 0)
        return;
    Message.WParam = key;
    DefaultHandler(Message);
}

void TWinControl::WMKeyUp(TMessage& Message)
{
    WORD key = static_cast<WORD>(Message.WParam);
    KeyUp(key, KeyboardStateToShiftState());
    if (key == 0)
        return;
    Message.WParam = key;
    DefaultHandler(Message);
}

void TWinControl::WMChar(TMessage& Message)
{
    char key = static_cast<char>(Message.WParam);
    KeyPress(key);
    if (key == 0)
        return;
    Message.WParam = static_cast<unsigned char>(key);
    DefaultHandler(Message);
}

void TWinControl::WMSysChar(TMessage& Message)
{
    TForm* form = GetParentForm(this);
    if (form && form != this) {
        Message.Result = form->Perform(WM_SYSCHAR, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::CMDialogChar(TMessage& Message)
{
    Message.Result = 0;
    // A child's answer may change the children (OnEnter handlers run); ask a copy.
    for (TControl* child : std::vector<TControl*>(FControls)) {
        if (std::find(FControls.begin(), FControls.end(), child) == FControls.end() || !child->Visible())
            continue;
        Message.Result = child->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam);
        if (Message.Result != 0)
            return;
    }
}

// The window's size may change from outside (a top-level window resized by the
// user): take it over, then lay out the children.
void TWinControl::WMSize(TMessage& Message)
{
    DefaultHandler(Message);
    RECT r;
    GetWindowRect(FHandle, &r);
    if (FParent) {
        TPoint origin = FParent->ClientOrigin();
        r = {r.left - origin.x, r.top - origin.y, r.right - origin.x, r.bottom - origin.y};
    }
    bool sized = r.Width() != FWidth || r.Height() != FHeight;
    FLeft = r.left;
    FTop = r.top;
    FWidth = r.Width();
    FHeight = r.Height();
    Realign();
    Resize();
    if (sized)
        RequestAlign();
}

void TWinControl::WMMove(TMessage& Message)
{
    DefaultHandler(Message);
    if (!FParent) {
        RECT r;
        GetWindowRect(FHandle, &r);
        FLeft = r.left;
        FTop = r.top;
    }
}

void TWinControl::WMNCDestroy(TMessage& Message)
{
    DefaultHandler(Message);
    RemoveProp(FHandle, controlProperty);
    FHandle = nullptr;
}

void TWinControl::CMColorChanged(TMessage& Message)
{
    TControl::CMColorChanged(Message);
    NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& Message)
{
    TControl::CMFontChanged(Message);
    NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::NotifyControls(UINT Msg)
{
    for (TControl* c : std::vector<TControl*>(FControls))
        c->Perform(Msg, 0, 0);
}

// A graphic child under the point has the first say when the request comes from
// this window itself.
void TWinControl::WMContextMenu(TMessage& Message)
{
    if (reinterpret_cast<HWND>(Message.WParam) == FHandle && Message.LParam != -1) {
        TPoint at = ScreenToClient({GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
        if (TControl* child = ControlAtPos(at, false)) {
            Message.Result = child->Perform(WM_CONTEXTMENU, Message.WParam, Message.LParam);
            if (Message.Result)
                return;
        }
    }
    TControl::WMContextMenu(Message);
}

void TWinControl::WMCaptureChanged(TMessage& Message)
{
    DefaultHandler(Message);
    if (captureControl && captureControl->FParent == this && reinterpret_cast<HWND>(Message.LParam) != FHandle)
        captureControl = nullptr;
}

void TWinControl::WMCommand(TMessage& Message)
{
    TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam));
    if (child && child != this) {
        Message.Result = child->Perform(CN_COMMAND, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::WMCtlColor(TMessage& Message)
{
    TWinControl* child = FindControl(reinterpret_cast<HWND>(Message.LParam));
    if (child && child != this) {
        Message.Result = child->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
        return;
    }
    DefaultHandler(Message);
}

void TWinControl::CNCtlColor(TMessage& Message)
{
    auto dc = reinterpret_cast<HDC>(Message.WParam);
    COLORREF color = static_cast<COLORREF>(ColorToRGB(FColor));
    if (dc) {
        SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(FFont->Color())));
        SetBkColor(dc, color);
    }
    if (!colorBrush || colorBrushColor != FColor) {
        if (colorBrush)
            DeleteObject(colorBrush);
        colorBrush = CreateSolidBrush(color);
        colorBrushColor = FColor;
    }
    Message.Result = reinterpret_cast<LRESULT>(colorBrush);
}

// Before a key-down reaches the window: Tab moves between controls unless the
// control asks for it (WM_GETDLGCODE or CM_WANTSPECIALKEY). Result 1 stops the key.
void TWinControl::CNKeyDown(TMessage& Message)
{
    Message.Result = 1;
    if (!ComponentState().Contains(csDesigning) && Message.WParam == VK_TAB) {
        if (Perform(CM_WANTSPECIALKEY, Message.WParam, 0) == 0 && (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB) == 0) {
            TForm* form = GetParentForm(this);
            if (form && form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0)
                return;
        }
    }
    Message.Result = 0;
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift)
{
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift)
{
    if (OnKeyUp)
        OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key)
{
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

// ---- TCustomControl and TGraphicControl -------------------------------------------------

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner)
{
    auto* canvas = new TControlCanvas;
    canvas->SetControl(this);
    FCanvas = canvas;
}

TCustomControl::~TCustomControl() { delete FCanvas; }

void TCustomControl::WMPaint(TMessage& Message)
{
    (void)Message;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(FHandle, &paint);
    auto* canvas = static_cast<TControlCanvas*>(FCanvas);
    canvas->FreeHandle();
    canvas->Lock();
    canvas->SetHandle(dc);
    canvas->SetFont(Font());
    paintDC = dc;
    auto finish = [&] {
        canvas->SetHandle(nullptr);
        canvas->Unlock();
        paintDC = nullptr;
        EndPaint(FHandle, &paint);
    };
    try {
        Paint();
        PaintControls(dc, nullptr);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner)
{
    auto* canvas = new TControlCanvas;
    canvas->SetControl(this);
    FCanvas = canvas;
}

TGraphicControl::~TGraphicControl() { delete FCanvas; }
