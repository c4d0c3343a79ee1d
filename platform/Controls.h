// The control classes: TControl, TWinControl, TCustomControl, TGraphicControl.
#pragma once

#include "platform/Classes.h"
#include "platform/win/Messages.h"
#include "platform/win/Types.h"
#include "platform/win/Windows.h"

#include <functional>
#include <memory>
#include <vector>

class TWinControl;
class TCanvas;
struct HBRUSH__;
class TFont;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

enum TControlStyleItem {
    csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption, csOpaque,
    csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable, csNoStdEvents
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem { csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating };
using TControlState = TSet<TControlStateItem>;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// Anchors, dragging and docking as controls publish them. The framework starts no
// drag or dock yet: these events keep their handlers in form descriptions but never fire.
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
class TDragObject;
class TDragDockObject;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TStartDockEvent = std::function<void(TObject* Sender, TDragDockObject*& DragObject)>;

class EInvalidOperation : public Exception { using Exception::Exception; };

// The shift state of the keyboard now, or of a mouse message's key flags.
TShiftState KeyboardStateToShiftState();
TShiftState KeysToShiftState(WPARAM keys);

// ---- TControl --------------------------------------------------------------------

class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;
    AnsiString ClassName() const override { return "TControl"; }

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
    void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
    void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
    void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
    void SetBoundsRect(const TRect& r) { SetBounds(r.left, r.top, r.Width(), r.Height()); }

    // The client area in the control's own coordinates; descendants may narrow it.
    virtual TRect GetClientRect();
    TRect ClientRect() { return GetClientRect(); }
    int ClientWidth() { return GetClientRect().Width(); }
    int ClientHeight() { return GetClientRect().Height(); }
    virtual void SetClientWidth(int Value);
    virtual void SetClientHeight(int Value);
    // Screen position of the client area's top-left corner.
    virtual TPoint ClientOrigin();
    TPoint ClientToScreen(const TPoint& Point);
    TPoint ScreenToClient(const TPoint& Point);

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign Value);
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent visible up to a shown top-level window.
    virtual bool Showing() const;
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    // The control's own font (owned). SetFont copies Value; any change to the font
    // clears ParentFont. With ParentFont the font follows the parent's as it changes.
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    // The menu a right click on the control opens (when its AutoPopup is set).
    void SetPopupMenu(TPopupMenu* Value);
    AnsiString Caption() const { return GetText(); }
    void SetCaption(const AnsiString& Value) { SetText(Value); }
    virtual AnsiString GetText() const { return FText; }
    virtual void SetText(const AnsiString& Value);
    AnsiString Hint;

    TControlStyle ControlStyle;
    TControlState ControlState;

    bool MouseCapture() const;
    void SetMouseCapture(bool Value);

    virtual void Invalidate();
    virtual void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    // Sends a message straight to the control's window procedure.
    LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
    virtual void WndProc(TMessage& Message);
    // Hands a message to its handler; what no handler takes goes to DefaultHandler.
    virtual void Dispatch(TMessage& Message);
    virtual void DefaultHandler(TMessage& Message);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelEvent OnMouseWheel;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnResize;

protected:
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
    virtual void Resize();
    virtual void Changed() {}
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Asks the parent to lay out its aligned controls again.
    void RequestAlign();

    // Message handlers.
    virtual void WMMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift);
    virtual void WMMouseUp(TMessage& Message, TMouseButton Button);
    virtual void WMMouseMove(TMessage& Message);
    virtual void CMMouseEnter(TMessage& Message);
    virtual void CMMouseLeave(TMessage& Message);
    virtual void CMMouseWheel(TMessage& Message);
    virtual void CMEnabledChanged(TMessage& Message);
    virtual void CMVisibleChanged(TMessage& Message);
    virtual void CMColorChanged(TMessage& Message);
    virtual void WMContextMenu(TMessage& Message);
    virtual void CMFontChanged(TMessage& Message);
    virtual void CMParentColorChanged(TMessage& Message);
    virtual void CMParentFontChanged(TMessage& Message);

    TWinControl* FParent = nullptr;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
    TAlign FAlign = alNone;
    bool FVisible = true;
    bool FEnabled = true;
    TColor FColor = static_cast<TColor>(0x8000000F);  // clBtnFace
    bool FParentColor = false;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    TCursor FCursor = crDefault;
    TPopupMenu* FPopupMenu = nullptr;
    AnsiString FText;

    friend class TWinControl;
};

// ---- TWinControl -------------------------------------------------------------------

struct TCreateParams {
    AnsiString Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    HWND WndParent = nullptr;
    void* Param = nullptr;
    WNDCLASS WindowClass;
    AnsiString WinClassName;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    AnsiString ClassName() const override { return "TWinControl"; }

    // The window handle, created on first use together with the windows of the
    // visible children.
    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded() { Handle(); }
    // A window outside the framework that holds this control (for a top-level one).
    HWND ParentWindow() const { return FParentWindow; }
    void SetParentWindow(HWND Value) { FParentWindow = Value; }

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int Index) const;
    bool ContainsControl(TControl* Control) const;
    // The visible, enabled child at a client point; graphic controls only unless
    // AllowWinControls.
    TControl* ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls = false);

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    TRect GetClientRect() override;
    TPoint ClientOrigin() override;
    void SetVisible(bool Value) override;
    bool Showing() const override;
    void SetEnabled(bool Value) override;
    void SetText(const AnsiString& Value) override;
    void Invalidate() override;
    void Update() override;

    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int Value);
    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign();
    void Realign();

    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value);
    int TabOrder() const;
    void SetTabOrder(int Value);
    virtual bool CanFocus();
    bool Focused() const;
    virtual void SetFocus();
    // The tab order of this control's descendants, depth first.
    void GetTabOrderList(std::vector<TWinControl*>& List);
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent);
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

    // Where window messages come in: WndProc inside a guard that shows exceptions.
    void MainWndProc(TMessage& Message);
    // The control that owns a window, or null.
    static TWinControl* FindControl(HWND Handle);

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

protected:
    virtual void CreateParams(TCreateParams& Params);
    // Builds on a registered window class ("EDIT"): its procedure becomes the
    // default handler of this control's window.
    void CreateSubClass(TCreateParams& Params, const char* ControlClassName);
    virtual void CreateWindowHandle(const TCreateParams& Params);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    void CreateHandle();
    void DestroyHandle();
    // Destroys the window; it is created again on next use (at once when showing).
    void RecreateWnd();

    // Lays out the aligned children inside Rect (usually the client rectangle).
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    // The client rectangle for alignment: GetClientRect less BorderWidth.
    virtual void AdjustClientRect(TRect& Rect);
    void AlignControl(TControl* AControl);

    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyUp(WORD& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    virtual void DoEnter();
    virtual void DoExit();

    virtual void WMPaint(TMessage& Message);
    virtual void WMSetFocus(TMessage& Message);
    virtual void WMKillFocus(TMessage& Message);
    virtual void WMKeyDown(TMessage& Message);
    virtual void WMKeyUp(TMessage& Message);
    virtual void WMChar(TMessage& Message);
    // Alt + a character goes on to the form, which offers it to its controls.
    virtual void WMSysChar(TMessage& Message);
    // Asks the visible children in z-order, graphic ones included, until one answers.
    virtual void CMDialogChar(TMessage& Message);
    virtual void WMSize(TMessage& Message);
    virtual void WMMove(TMessage& Message);
    virtual void WMNCDestroy(TMessage& Message);
    virtual void CNKeyDown(TMessage& Message);
    virtual void WMCaptureChanged(TMessage& Message);
    // A child window's notification (WM_COMMAND) and its request for colours
    // (WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC) go to the child's control as CN_COMMAND
    // and CN_CTLCOLOR*; a control answers the latter with its font colour and a
    // brush of its Color.
    virtual void WMCommand(TMessage& Message);
    virtual void WMCtlColor(TMessage& Message);
    virtual void CNCtlColor(TMessage& Message);
    void WMContextMenu(TMessage& Message) override;
    void CMColorChanged(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    // Sends Msg to every child, windowed or not.
    void NotifyControls(UINT Msg);

    // Answers WM_ERASEBKGND by filling the area being repainted (the DC's clip)
    // with Color, so the client shows it wherever no child covers it; clNone
    // leaves it alone.
    void EraseWithColor(TMessage& Message);
    // Paints the visible graphic children that meet the DC's update area.
    void PaintControls(HDC DC, TControl* First);

    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    // Forwards a mouse message meant for a graphic child; true when it went there.
    bool IsControlMouseMsg(TMessage& Message);
    void updateShowing();
    void invalidateArea(const TRect& rect);
    static LRESULT initWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND FHandle = nullptr;
    WNDPROC FDefWndProc = nullptr;
    HWND FParentWindow = nullptr;
    std::vector<TControl*> FControls;     // children in z-order, bottom first
    std::vector<TWinControl*> FTabList;   // windowed children in tab order
    int FBorderWidth = 0;
    bool FTabStop = false;
    int FAlignLevel = 0;
    bool aligning = false;  // inside AlignControls; nested requests are dropped
    bool destroyingHandle = false;
    HBRUSH__* colorBrush = nullptr;  // Color as a brush for CN_CTLCOLOR*, made on demand
    TColor colorBrushColor = 0;

    friend class TControl;
    friend class TApplication;
};

// ---- TCustomControl and TGraphicControl ----------------------------------------

// A windowed control that paints itself: WM_PAINT calls Paint with Canvas on the
// paint device context.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    AnsiString ClassName() const override { return "TCustomControl"; }
    // A TControlCanvas on the control: the paint DC while Paint runs, else a DC
    // of the control's window.
    TCanvas* Canvas() const { return FCanvas; }
    HDC PaintDC() const { return paintDC; }

protected:
    virtual void Paint() {}
    void WMPaint(TMessage& Message) override;

    TCanvas* FCanvas = nullptr;  // owned, a TControlCanvas
    HDC paintDC = nullptr;  // set while Paint runs
};

// A control without a window: it paints on its parent and takes its mouse input
// from the parent, which captures the mouse for it while a button is held.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    AnsiString ClassName() const override { return "TGraphicControl"; }
    TCanvas* Canvas() const { return FCanvas; }
    HDC PaintDC() const { return paintDC; }

protected:
    virtual void Paint() {}

    TCanvas* FCanvas = nullptr;
    HDC paintDC = nullptr;

    friend class TWinControl;
};

// The graphic control that holds the mouse capture for its parent, or null.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* Control);
