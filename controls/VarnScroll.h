// The flat scroll bar: a window-less control with two arrow buttons, a track and a
// scroller, drawn in four colours. TVarnScroll_base holds the behaviour; TVarnScroll
// publishes it.
#pragma once

#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/ScrollBox.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class TTimer;

// The parts of the bar. In the vertical kind the "down" parts lie below the
// scroller and raise the position; in the horizontal kind they lie left of it (the
// left-pointing button and the track before the scroller) and lower it.
enum TVnScrollbarArea : uint8_t { saBtnArrowDown, saBtnArrowUp, saTrackDown, saTrackUp, saScroller, saNone };

using TVnScrollbarPaintEvent = std::function<void(TObject* Sender, bool& toContinue, TVnScrollbarArea Area)>;

class TVarnScroll_base : public TGraphicControl {
public:
    explicit TVarnScroll_base(TComponent* AOwner);
    ~TVarnScroll_base() override;
    AnsiString ClassName() const override { return "TVarnScroll_base"; }

    // The four colours by index: 0 Color (the track), 1 ColorArrow, 2 ColorBorder,
    // 3 ColorButton (buttons and scroller). Color is the control's own Color.
    TColor GetColors(int Index) const;
    void SetColors(int Index, TColor Value);
    TColor ColorArrow() const { return FColorArrow; }
    void SetColorArrow(TColor Value) { SetColors(1, Value); }
    TColor ColorBorder() const { return FColorBorder; }
    void SetColorBorder(TColor Value) { SetColors(2, Value); }
    TColor ColorButton() const { return FColorButton; }
    void SetColorButton(TColor Value) { SetColors(3, Value); }

    bool MouseInControl() const { return FMouseInControl; }
    bool MouseIsDown() const { return FMouseIsDown; }
    TVnScrollbarArea MouseDownAt() const { return FMouseDownAt; }

    TScrollBarKind Kind() const { return FKind; }
    void SetKind(TScrollBarKind Value);
    // The requested length of each arrow button along the bar.
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int Value);
    // The length the buttons have now: ButtonWidth, at most half the bar.
    int EffectiveButtonWidth() const { return FEffectiveButtonWidth; }
    int CheckButtonWidth(int Value) const;
    int ScrollerWidth() const { return FScrollerWidth; }
    void SetScrollerWidth(int Value);
    int CheckScrollerWidth(int Value) const { return Value < 3 ? 3 : Value; }

    int Max() const { return FMax; }
    void SetMax(int Value);
    int Min() const { return FMin; }
    void SetMin(int Value);
    int LargeChange() const { return FLargeChange; }
    void SetLargeChange(int Value);
    int SmallChange() const { return FSmallChange; }
    void SetSmallChange(int Value);
    int Position() const { return FPosition; }
    void SetPosition(int Value);

    void SetEnabled(bool Value) override;

    // Sets the position from a pointer coordinate along the bar (y for the vertical
    // kind, x for the horizontal), less the grab offset of a dragged scroller.
    void ScrollToPos(int Pos);
    // The rectangle of an area in client coordinates (empty for saNone).
    TRect AreaRect(TVnScrollbarArea Area) const;

    TScrollEvent OnScroll;  // Position changed; ScrollPos refers to Position itself
    TNotifyEvent OnChange;
    TNotifyEvent OnMouseIn;
    TNotifyEvent OnMouseOut;
    TVnScrollbarPaintEvent OnPaint;  // published for form descriptions; never fired

    // Framework events that the published bar carries (see Controls.h).
    TContextPopupEvent OnContextPopup;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TEndDragEvent OnEndDock;
    TEndDragEvent OnEndDrag;
    TStartDockEvent OnStartDock;
    TStartDragEvent OnStartDrag;

protected:
    virtual void TriggerScrollEvent(TScrollCode Code, int& Pos);
    virtual void ScrollerChanged();
    void RecalculateAreas();
    void DoScrollTimer(TObject* Sender);

    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void WMContextMenu(TMessage& Message) override;

private:
    bool vertical() const { return FKind == sbVertical; }
    int along(const TPoint& point) const { return vertical() ? point.y : point.x; }
    TVnScrollbarArea areaAt(const TPoint& point) const;
    // The signed step that holding an area repeats.
    int stepOf(TVnScrollbarArea area) const;
    // Keeps Position inside Min..Max after the range changed.
    void keepPositionInRange();
    void stopRepeat();
    void layoutArrows();

    TColor FColorArrow;
    TColor FColorBorder;
    TColor FColorButton;
    bool FMouseInControl = false;
    bool FMouseIsDown = false;
    TVnScrollbarArea FMouseDownAt = saNone;
    TScrollBarKind FKind = sbVertical;
    int FButtonWidth = 18;
    int FEffectiveButtonWidth = 18;
    int FScrollerWidth = 15;
    int FMax = 100;
    int FMin = 0;
    int FLargeChange = 5;
    int FSmallChange = 1;
    int FPosition = 0;

    std::array<TRect, saNone> areas;  // per area, client coordinates
    std::array<TPoint, 3> arrowDown;  // triangle in the saBtnArrowDown button
    std::array<TPoint, 3> arrowUp;    // triangle in the saBtnArrowUp button
    TPoint lastMousePoint;            // of the last press, release or move
    bool dragging = false;            // the scroller is held
    TPoint grabOffset;                // press point minus the scroller's top-left corner
    TVnScrollbarArea repeatArea = saNone;  // what the repeat timer steps
    std::unique_ptr<TTimer> repeatTimer;
};

class TVarnScroll : public TVarnScroll_base {
public:
    using TVarnScroll_base::TVarnScroll_base;
    AnsiString ClassName() const override { return "TVarnScroll"; }
};
