// TTimer, and the panel: a container with bevels and a centred caption.
#pragma once

#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/win/Messages.h"

// TTimer calls OnTimer every Interval milliseconds while Enabled.

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    AnsiString ClassName() const override { return "TTimer"; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned Value);
    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    void updateTimer();
    static void timerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);

    bool FEnabled = true;
    unsigned FInterval = 1000;
    UINT_PTR timerId = 0;  // 0 while no system timer runs
};

// ---- TCustomPanel ------------------------------------------------------------------

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
using TBevelWidth = int;
using TBorderStyle = TFormBorderStyle;  // a panel takes bsNone or bsSingle

// From the outside in: the outer bevel, BorderWidth pixels of Color, the inner
// bevel, then the face filled with Color and the caption on one line, centred
// vertically. Children are laid out inside all of it.
class TCustomPanel : public TCustomControl {
public:
    explicit TCustomPanel(TComponent* AOwner);
    AnsiString ClassName() const override { return "TCustomPanel"; }

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    TBevelWidth BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(TBevelWidth Value);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool FullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool Value);

protected:
    void CreateParams(TCreateParams& Params) override;
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;
    void Dispatch(TMessage& Message) override;

private:
    void changeLayout();

    TAlignment FAlignment = taCenter;
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    TBevelWidth FBevelWidth = 1;
    TBorderStyle FBorderStyle = bsNone;
    bool FFullRepaint = true;
};

class TPanel : public TCustomPanel {
public:
    using TCustomPanel::TCustomPanel;
    AnsiString ClassName() const override { return "TPanel"; }
};

// Draws Width rings inside Rect, light top and left, dark right and bottom, and
// narrows Rect by Width. The top-right and bottom-left corners take the dark colour.
class TCanvas;
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);
