// A scrolling container: TScrollingWinControl with its two TControlScrollBar
// objects, and TScrollBox, the bordered control built on it.
#pragma once

#include "platform/Controls.h"
#include "platform/Forms.h"

// Controls take bsNone or bsSingle from the form's border styles.
using TBorderStyle = TFormBorderStyle;

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollBarStyle { ssRegular, ssFlat, ssHotTrack };
// What moved a scroll bar, as its OnScroll event reports it.
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollingWinControl;

// One scroll bar of a scrolling control. It keeps the scrollable extent (Range)
// and the scrolled distance (Position) and hands both to the window's standard
// scroll bar, with the client size as the page. The bar shows only while it is
// Visible and Range exceeds the client size.
class TControlScrollBar : public TPersistent {
public:
    TControlScrollBar(TScrollingWinControl* Control, TScrollBarKind Kind);
    AnsiString ClassName() const override { return "TControlScrollBar"; }
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override;

    TScrollBarKind Kind() const { return FKind; }
    int Range() const;
    void SetRange(int Value);
    // Clamped to 0 .. Range - client size; moving it scrolls the children.
    int Position() const;
    void SetPosition(int Value);
    int Increment() const;
    void SetIncrement(int Value) { FIncrement = Value; }
    // False: a thumb drag scrolls only when the thumb is dropped.
    bool Tracking() const { return FTracking; }
    void SetTracking(bool Value) { FTracking = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TScrollBarStyle Style() const { return FStyle; }
    void SetStyle(TScrollBarStyle Value);
    // Extra room kept past the farthest child when the range follows the children.
    int Margin() const { return FMargin; }
    void SetMargin(int Value);
    // Stored for form descriptions; the window manager draws every bar alike.
    bool Smooth() const { return FSmooth; }
    void SetSmooth(bool Value) { FSmooth = Value; }
    int ButtonSize() const { return FButtonSize; }
    void SetButtonSize(int Value) { FButtonSize = Value; }
    int Size() const { return FSize; }
    void SetSize(int Value) { FSize = Value; }
    int ThumbSize() const { return FThumbSize; }
    void SetThumbSize(int Value) { FThumbSize = Value; }

    // Whether the bar shows now.
    bool IsScrollBarVisible() const;
    // The client extent along this bar: the page of the window's scroll bar.
    int ControlSize() const;
    // Where a thumb message's 16-bit position really points: the window keeps the
    // full 32-bit track position while the thumb is dragged.
    int ThumbPosition(int MessagePos) const;
    // Acts on a WM_HSCROLL or WM_VSCROLL meant for this bar.
    void ScrollMessage(TMessage& Message);

private:
    friend class TScrollingWinControl;
    int barId() const;

    TScrollingWinControl* FControl;
    TScrollBarKind FKind;
    int FRange = 0;
    int FPosition = 0;
    int FIncrement = 8;
    bool FTracking = false;
    bool FVisible = true;
    TScrollBarStyle FStyle = ssRegular;
    int FMargin = 0;
    bool FSmooth = false;
    int FButtonSize = 0;
    int FSize = 0;
    int FThumbSize = 0;
    bool shown = false;  // as last laid out
};

class TScrollingWinControl : public TWinControl {
public:
    explicit TScrollingWinControl(TComponent* AOwner);
    ~TScrollingWinControl() override;
    AnsiString ClassName() const override { return "TScrollingWinControl"; }

    TControlScrollBar* HorzScrollBar() { return &FHorzScrollBar; }
    TControlScrollBar* VertScrollBar() { return &FVertScrollBar; }
    // True: each range follows the extent of the children; false: the
    // application sets the ranges.
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool Value);
    // Scrolls so that Control, a child or deeper descendant, is in view.
    void ScrollInView(TControl* Control);
    // Moves every child by the given distances and repaints.
    void ScrollBy(int DeltaX, int DeltaY);
    // Lays out both bars again: automatic ranges, which bars show, the client
    // size that leaves, clamped positions, and the window's scroll-bar state.
    void UpdateScrollBars();
    // A subclass that puts off working out its ranges (while many rows are
    // added, say) does it here; the bars call this before they are read or
    // moved, so nothing outside sees the delay.
    virtual void UpdatePendingScroll() {}

    void Loaded() override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void AdjustClientRect(TRect& Rect) override;
    void WMSize(TMessage& Message) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    // The non-client frame on each side; TScrollBox adds its border.
    virtual int frameSize() { return 0; }

private:
    friend class TControlScrollBar;
    void calcAutoRange();
    void layoutBars(int& clientWidth, int& clientHeight);
    void applyBar(TControlScrollBar& bar, int page);
    bool loading() const { return ComponentState().Contains(csLoading); }

    TControlScrollBar FHorzScrollBar;
    TControlScrollBar FVertScrollBar;
    bool FAutoScroll = true;
    bool updatingBars = false;  // inside UpdateScrollBars
    bool barsPending = false;   // a nested request came while updating
    int laidOutWidth = 0;       // client size left by the last layout
    int laidOutHeight = 0;
};

// A scrolling container with a sunken client edge (BorderStyle bsSingle) or none.
class TScrollBox : public TScrollingWinControl {
public:
    explicit TScrollBox(TComponent* AOwner);
    AnsiString ClassName() const override { return "TScrollBox"; }

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);

protected:
    void CreateParams(TCreateParams& Params) override;
    int frameSize() override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};

namespace varn::detail {
void registerScrollBoxClasses();
}
