// Forms, the application object with its message loop, and the screen.
#include "platform/Forms.h"

#include "platform/Graphics.h"
#include "platform/SysUtils.h"
#include "platform/win/Backend.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <cstdio>
#include <optional>

namespace {
// Never destroyed: forms that outlive main would otherwise be freed after the
// window manager's state.
TApplication* theApplication = new TApplication();
TScreen* theScreen = new TScreen();
}  // namespace

TApplication* Application = theApplication;
TScreen* Screen = theScreen;

TForm* GetParentForm(TControl* Control)
{
    if (!Control)
        return nullptr;
    while (Control->Parent())
        Control = Control->Parent();
    return dynamic_cast<TForm*>(Control);
}

bool IsAccel(WORD VK, const AnsiString& Str)
{
    for (size_t i = 0; i + 1 < Str.size(); ++i) {
        if (Str[i] != '&')
            continue;
        if (Str[i + 1] != '&')
            return VK <= 0xFF && AnsiUpperCase(AnsiString(1, static_cast<char>(VK))) == AnsiUpperCase(Str.substr(i + 1, 1));
        ++i;
    }
    return false;
}

// ---- TForm -------------------------------------------------------------------------

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner)
{
    ControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    FVisible = false;
    FLeft = 0;
    FTop = 0;
    FWidth = 320;
    FHeight = 240;
    FParentFont = false;
    Screen->forms.push_back(this);
}

TForm::~TForm()
{
    Destroying();
    if (Screen->FActiveForm == this)
        Screen->FActiveForm = nullptr;
    std::erase(Screen->forms, this);
    Application->formDestroyed(this);
    // The window goes now, while this is still a form; children follow in TWinControl.
    if (FHandle)
        DestroyHandle();
}

void TForm::AfterConstruction()
{
    if (created)
        return;
    created = true;
    if (OnCreate)
        OnCreate(this);
}

void TForm::SetBorderStyle(TFormBorderStyle Value)
{
    if (FBorderStyle == Value)
        return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TForm::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    Params.Style &= ~(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
    Params.Style |= WS_CLIPCHILDREN;
    switch (FBorderStyle) {
    case bsNone: Params.Style |= WS_POPUP; break;
    case bsSingle:
    case bsToolWindow: Params.Style |= WS_CAPTION | WS_SYSMENU; break;
    case bsDialog: Params.Style |= WS_POPUP | WS_CAPTION | WS_SYSMENU; Params.ExStyle |= WS_EX_DLGMODALFRAME; break;
    case bsSizeable:
    case bsSizeToolWin: Params.Style |= WS_OVERLAPPEDWINDOW; break;
    }
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
        Params.ExStyle |= WS_EX_TOOLWINDOW;
    Params.WndParent = FParentWindow;
    // A form on another form is a child window like any control.
    if (FParent) {
        Params.Style = (Params.Style & ~(WS_POPUP | WS_OVERLAPPEDWINDOW)) | WS_CHILD | WS_CLIPSIBLINGS;
        if (FVisible)
            Params.Style |= WS_VISIBLE;
        Params.WndParent = FParent->Handle();
    }
}

// Top-level windows have no frame of their own here (the desktop draws it), so the
// client size is the window size.
void TForm::SetClientWidth(int Value) { TControl::SetClientWidth(Value); }
void TForm::SetClientHeight(int Value) { TControl::SetClientHeight(Value); }

void TForm::placeOnScreen()
{
    if (FParent)
        return;
    TForm* reference = nullptr;
    switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
        SetBounds((Screen->Width() - FWidth) / 2, (Screen->Height() - FHeight) / 2, FWidth, FHeight);
        return;
    case poMainFormCenter: reference = Application->MainForm(); break;
    case poOwnerFormCenter: reference = dynamic_cast<TForm*>(Owner()); break;
    default: return;
    }
    if (!reference || reference == this) {
        SetBounds((Screen->Width() - FWidth) / 2, (Screen->Height() - FHeight) / 2, FWidth, FHeight);
        return;
    }
    SetBounds(reference->Left() + (reference->Width() - FWidth) / 2, reference->Top() + (reference->Height() - FHeight) / 2,
              FWidth, FHeight);
}

void TForm::Show()
{
    if (!FVisible) {
        placeOnScreen();
        if (OnShow)
            OnShow(this);
    }
    if (FVisible && FHandle) {
        // Already shown: bring it up and activate it.
        ShowWindow(FHandle, SW_SHOW);
        return;
    }
    SetVisible(true);
}

void TForm::Close()
{
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    if (OnClose)
        OnClose(this, action);
    if (action == caNone)
        return;
    if (this == Application->MainForm()) {
        Application->Terminate();
        return;
    }
    if (action == caHide || action == caMinimize) {
        if (OnHide && FVisible)
            OnHide(this);
        SetVisible(false);
    } else if (action == caFree) {
        Release();
    }
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Release()
{
    // Posted, so that the handler that asked for it can still finish on this form.
    if (!PostMessage(Handle(), CM_RELEASE, 0, 0))
        delete this;
}

void TForm::SetFocus()
{
    if (!FVisible || !FEnabled)
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    ::SetFocus(Handle());
}

void TForm::SetActiveControl(TWinControl* Control)
{
    if (FActiveControl == Control)
        return;
    if (Control && (Control == this || GetParentForm(Control) != this || !Control->CanFocus()))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    FActiveControl = Control;
    if (FActiveControl)
        FreeNotification(FActiveControl);
    if (FActive && Control)
        ::SetFocus(Control->Handle());
}

void TForm::FocusControl(TWinControl* Control)
{
    if (!Control->CanFocus())
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    FActiveControl = Control;
    FreeNotification(Control);
    if (FHandle && IsWindowVisible(FHandle))
        ::SetFocus(Control->Handle());
}

void TForm::SetFocusedControl(TWinControl* Control)
{
    if (FActiveControl != Control) {
        FActiveControl = Control;
        if (Control)
            FreeNotification(Control);
    }
}

void TForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FActiveControl)
        FActiveControl = nullptr;
}

void TForm::Activate()
{
    if (OnActivate)
        OnActivate(this);
}

void TForm::Deactivate()
{
    if (OnDeactivate)
        OnDeactivate(this);
}

// The form takes the place of the system's own handling: on activation the focus
// goes to the active control (or the first one in tab order), not to the form.
void TForm::onActivate(TMessage& Message)
{
    bool active = LOWORD(Message.WParam) != WA_INACTIVE;
    if (active == FActive)
        return;
    FActive = active;
    if (active) {
        Screen->FActiveForm = this;
        if (!FActiveControl || !FActiveControl->CanFocus())
            FActiveControl = FindNextControl(nullptr, true, true, false);
        HWND target = FActiveControl ? FActiveControl->Handle() : FHandle;
        if (!IsChild(FHandle, GetFocus()) || GetFocus() != target)
            ::SetFocus(target);
        Activate();
    } else {
        if (Screen->FActiveForm == this)
            Screen->FActiveForm = nullptr;
        Deactivate();
    }
}

void TForm::onDialogKey(TMessage& Message)
{
    if (GetKeyState(VK_MENU) >= 0 && Message.WParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
        SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
        Message.Result = 1;
        return;
    }
    Message.Result = 0;
}

// Alt + a character: the controls are asked in turn whether it is theirs.
void TForm::onSysChar(TMessage& Message)
{
    if (Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) {
        Message.Result = 0;
        return;
    }
    DefaultHandler(Message);
}

void TForm::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ACTIVATE: onActivate(Message); break;
    case CM_DIALOGKEY: onDialogKey(Message); break;
    case WM_SYSCHAR: onSysChar(Message); break;
    case WM_CLOSE: Close(); break;
    case CM_RELEASE: delete this; break;
    case WM_ERASEBKGND: EraseWithColor(Message); break;
    default: TWinControl::Dispatch(Message);
    }
}

// ---- TApplication ------------------------------------------------------------------

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() = default;

void TApplication::Run()
{
    if (FMainForm)
        FMainForm->Show();
    while (!FTerminated) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(this);
        }
    }
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

void TApplication::HandleMessage()
{
    MSG msg;
    if (ProcessMessage(msg))
        return;
    updateMouseControl();
    if (OnIdle)
        OnIdle(this);
    // Headless, nothing can arrive any more: end the loop rather than hang.
    if (!WaitMessage())
        FTerminated = true;
}

void TApplication::Terminate()
{
    FTerminated = true;
    PostQuitMessage(0);
}

// One message: the message event first, then the key preview (Tab between
// controls), then translation and dispatch.
bool TApplication::ProcessMessage(MSG& Msg)
{
    if (!PeekMessage(&Msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    if (Msg.message == WM_QUIT) {
        FTerminated = true;
        return true;
    }
    bool handled = false;
    if (OnMessage)
        OnMessage(Msg, handled);
    if (!handled && !IsKeyMsg(Msg)) {
        TranslateMessage(&Msg);
        DispatchMessage(&Msg);
    }
    // Drawing done outside paint messages is presented once its DC is released.
    FreeDeviceContexts();
    if (Msg.message >= WM_MOUSEFIRST && Msg.message <= WM_MOUSELAST)
        updateMouseControl();
    return true;
}

bool TApplication::IsKeyMsg(MSG& Msg)
{
    if (Msg.message != WM_KEYDOWN)
        return false;
    // The key goes to the nearest framework control at or above the window.
    HWND hwnd = Msg.hwnd;
    TWinControl* control = nullptr;
    while (hwnd && !(control = TWinControl::FindControl(hwnd)))
        hwnd = GetParent(hwnd);
    if (!control)
        return false;
    return control->Perform(CN_KEYDOWN, Msg.wParam, Msg.lParam) != 0;
}

// Tells the control under the mouse (a graphic control counts) that the mouse
// entered it, and the previous one that it left.
void TApplication::updateMouseControl()
{
    TControl* control = nullptr;
    POINT cursor;
    GetCursorPos(&cursor);
    HWND hwnd = GetCapture() ? GetCapture() : WindowFromPoint(cursor);
    if (TWinControl* windowed = TWinControl::FindControl(hwnd)) {
        control = windowed;
        if (TControl* captured = GetCaptureControl(); captured && captured->Parent() == windowed) {
            control = captured;
        } else {
            TPoint inside = windowed->ScreenToClient(cursor);
            if (TControl* graphic = windowed->ControlAtPos(inside, false))
                control = graphic;
        }
    }
    showCursor(control);
    if (control == FMouseControl)
        return;
    TControl* previous = FMouseControl;
    FMouseControl = control;
    if (previous)
        previous->Perform(CM_MOUSELEAVE, 0, 0);
    if (control && FMouseControl == control)
        control->Perform(CM_MOUSEENTER, 0, 0);
}

// The screen cursor wins; else the first control from the one under the mouse up
// through its parents that sets a cursor, or whose window class does.
void TApplication::showCursor(TControl* Control)
{
    TCursor cursor = Screen->Cursor();
    for (TControl* c = Control; cursor == crDefault && c; c = c->Parent()) {
        cursor = c->Cursor();
        // A window of a class with a cursor of its own ("EDIT": the I-beam) shows it.
        if (auto* windowed = dynamic_cast<TWinControl*>(c); cursor == crDefault && windowed && windowed->HandleAllocated())
            cursor = CursorFromHandle(reinterpret_cast<HANDLE>(GetClassLongPtr(windowed->Handle(), GCLP_HCURSOR)));
    }
    varn::backend().setCursor(cursor);
}

void TApplication::controlDestroyed(TControl* Control)
{
    if (FMouseControl == Control)
        FMouseControl = nullptr;
}

void TApplication::formDestroyed(TForm* Form)
{
    if (FMainForm == Form)
        FMainForm = nullptr;
}

void TApplication::Initialize() { varn::installLiveBackend(); }

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, int flags)
{
    return varn::showMessageBox(text, caption, flags);
}

TMessageBoxHandler TApplication::SetMessageBoxHandler(TMessageBoxHandler handler)
{
    return varn::setMessageBoxHandler(std::move(handler));
}

void TApplication::ShowException(const Exception& E)
{
    AnsiString message = E.Message();
    if (!message.empty() && message.back() != '.')
        message += '.';
    MessageBox(message, Title, MB_OK | MB_ICONERROR);
}

void TApplication::HandleException(TObject* Sender)
{
    try {
        throw;
    } catch (const Exception& e) {
        if (OnException)
            OnException(Sender, e);
        else
            ShowException(e);
    } catch (const std::exception& e) {
        Exception wrapped(e.what());
        if (OnException)
            OnException(Sender, wrapped);
        else
            ShowException(wrapped);
    }
}

// ---- TScreen -----------------------------------------------------------------------

void TScreen::SetCursor(TCursor Value)
{
    if (FCursor == Value)
        return;
    FCursor = Value;
    Application->showCursor(Application->MouseControl());
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }
