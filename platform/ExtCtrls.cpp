#include "platform/ExtCtrls.h"

#include "platform/Graphics.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <map>

namespace {
// Running timers by system timer id.
std::map<UINT_PTR, TTimer*>& timers()
{
    static auto* map = new std::map<UINT_PTR, TTimer*>();
    return *map;
}
}  // namespace

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer()
{
    FEnabled = false;
    updateTimer();
}

void TTimer::SetEnabled(bool Value)
{
    if (FEnabled == Value)
        return;
    FEnabled = Value;
    updateTimer();
}

void TTimer::SetInterval(unsigned Value)
{
    if (FInterval == Value)
        return;
    FInterval = Value;
    updateTimer();
}

// The system timer runs while the timer is enabled with an interval; each change
// starts the interval over.
void TTimer::updateTimer()
{
    if (timerId) {
        KillTimer(nullptr, timerId);
        timers().erase(timerId);
        timerId = 0;
    }
    if (!FEnabled || FInterval == 0 || ComponentState().Contains(csDesigning))
        return;
    timerId = SetTimer(nullptr, 0, FInterval, timerProc);
    if (timerId)
        timers()[timerId] = this;
}

void TTimer::timerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    auto it = timers().find(id);
    if (it != timers().end())
        it->second->Timer();
}

void TTimer::Timer()
{
    if (OnTimer)
        OnTimer(this);
}

// ---- Frame3D ---------------------------------------------------------------------------

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width)
{
    TBrush* brush = Canvas->Brush();
    brush->SetStyle(bsSolid);
    for (int i = 0; i < Width && Rect.right > Rect.left && Rect.bottom > Rect.top; ++i) {
        const TRect r = Rect;
        brush->SetColor(TopColor);
        Canvas->FillRect({r.left, r.top, r.right - 1, r.top + 1});
        Canvas->FillRect({r.left, r.top, r.left + 1, r.bottom - 1});
        brush->SetColor(BottomColor);
        Canvas->FillRect({r.right - 1, r.top, r.right, r.bottom});
        Canvas->FillRect({r.left, r.bottom - 1, r.right, r.bottom});
        Rect = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
}

// ---- TCustomPanel ------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    ControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks,
                    csReplicatable};
    FWidth = 185;
    FHeight = 41;
}

void TCustomPanel::SetAlignment(TAlignment Value)
{
    if (FAlignment == Value)
        return;
    FAlignment = Value;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value)
{
    if (FBevelInner == Value)
        return;
    FBevelInner = Value;
    changeLayout();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value)
{
    if (FBevelOuter == Value)
        return;
    FBevelOuter = Value;
    changeLayout();
}

void TCustomPanel::SetBevelWidth(TBevelWidth Value)
{
    if (Value < 1)  // a bevel narrower than a pixel is no bevel; bvNone says that
        Value = 1;
    if (FBevelWidth == Value)
        return;
    FBevelWidth = Value;
    changeLayout();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value)
{
    if (Value != bsNone && Value != bsSingle)
        return;
    if (FBorderStyle == Value)
        return;
    FBorderStyle = Value;
    RecreateWnd();
}

void TCustomPanel::SetFullRepaint(bool Value)
{
    if (FFullRepaint == Value)
        return;
    FFullRepaint = Value;
    RecreateWnd();
}

// The bevels narrow the area the children are laid out in.
void TCustomPanel::changeLayout()
{
    Realign();
    Invalidate();
}

void TCustomPanel::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == bsSingle)
        Params.Style |= WS_BORDER;
    if (!FFullRepaint)
        Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::AdjustClientRect(TRect& Rect)
{
    TCustomControl::AdjustClientRect(Rect);
    int bevels = (FBevelOuter != bvNone ? FBevelWidth : 0) + (FBevelInner != bvNone ? FBevelWidth : 0);
    Rect = {Rect.left + bevels, Rect.top + bevels, Rect.right - bevels, Rect.bottom - bevels};
}

namespace {
void bevelColours(TBevelCut cut, TColor& top, TColor& bottom)
{
    top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
    bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
}
}  // namespace

void TCustomPanel::Paint()
{
    TCanvas* canvas = Canvas();
    TRect rect = GetClientRect();
    TColor top;
    TColor bottom;
    if (FBevelOuter != bvNone) {
        bevelColours(FBevelOuter, top, bottom);
        if (FBevelOuter == bvSpace)
            top = bottom = FColor;
        Frame3D(canvas, rect, top, bottom, FBevelWidth);
    }
    Frame3D(canvas, rect, FColor, FColor, FBorderWidth);
    if (FBevelInner != bvNone) {
        bevelColours(FBevelInner, top, bottom);
        if (FBevelInner == bvSpace)
            top = bottom = FColor;
        Frame3D(canvas, rect, top, bottom, FBevelWidth);
    }
    canvas->Brush()->SetColor(FColor);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(rect);
    AnsiString caption = Caption();
    if (caption.empty())
        return;
    canvas->Brush()->SetStyle(bsClear);
    static const unsigned alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS | alignments[FAlignment];
    DrawText(canvas->Handle(), caption.c_str(), static_cast<int>(caption.size()), &rect, flags);
}

void TCustomPanel::Dispatch(TMessage& Message)
{
    // A windowed control's caption lives in its window; repaint when it changes.
    if (Message.Msg == CM_TEXTCHANGED)
        Invalidate();
    TCustomControl::Dispatch(Message);
}
