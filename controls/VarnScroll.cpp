// The flat scroll bar.
//
// Every change of size, kind, range or position runs RecalculateAreas, which lays
// out the six areas and the two arrow triangles; Paint and the hit test only read
// them. A press on a button or the track starts the repeat timer, whose first
// step comes one interval after the press (DoScrollTimer); a press on the scroller
// drags it (MouseMove -> ScrollToPos). Position changes go through SetPosition:
// OnScroll, then the new layout and a repaint, then OnChange.
#include "controls/VarnScroll.h"

#include "platform/ExtCtrls.h"

#include <algorithm>
#include <climits>

namespace {

bool contains(const TRect& r, const TPoint& p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

bool isEmpty(const TRect& r) { return r.right <= r.left || r.bottom <= r.top; }

int clampToInt(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX)); }

int floorDiv(int a, int b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// The arrow in a button of a vertical bar: pointing up (toward the start of the
// bar) or down. The button is made square around its centre first.
std::array<TPoint, 3> verticalArrow(TRect r, bool pointsToStart)
{
    int d = r.Width() - r.Height();
    if (d > 0) {
        r.left += d / 2;
        r.right -= d / 2;
    } else {
        r.top += -d / 2;
        r.bottom -= -d / 2;
    }
    int sx = (r.Width() - 1) / 2;
    if (sx % 2 == 0)
        ++sx;
    int sy = sx / 2 + 1;
    int m = floorDiv(r.top + r.bottom - sy + 1, 2);  // half rounded to nearest
    int x0 = (r.left + r.right - sx) / 2;
    int cx = (r.left + r.right - 1) / 2;
    if (pointsToStart)
        return {TPoint{cx, m - 1}, TPoint{x0, m + sy - 2}, TPoint{x0 + sx - 1, m + sy - 2}};
    return {TPoint{x0, m}, TPoint{x0 + sx - 1, m}, TPoint{cx, m + sy - 1}};
}

TRect transposed(const TRect& r) { return {r.top, r.left, r.bottom, r.right}; }

}  // namespace

TVarnScroll_base::TVarnScroll_base(TComponent* AOwner)
    : TGraphicControl(AOwner),
      FColorArrow(static_cast<TColor>(RGB(85, 85, 85))),
      FColorBorder(static_cast<TColor>(RGB(128, 128, 128))),
      FColorButton(static_cast<TColor>(RGB(192, 192, 192))),
      repeatTimer(std::make_unique<TTimer>(nullptr))
{
    ControlStyle << csOpaque;
    FColor = static_cast<TColor>(RGB(235, 235, 235));
    FWidth = 18;
    FHeight = 100;
    repeatTimer->SetEnabled(false);
    repeatTimer->SetInterval(50);
    repeatTimer->OnTimer = [this](TObject* sender) { DoScrollTimer(sender); };
    RecalculateAreas();
}

TVarnScroll_base::~TVarnScroll_base() = default;

// ---- Properties ---------------------------------------------------------------------

TColor TVarnScroll_base::GetColors(int Index) const
{
    switch (Index) {
    case 0: return FColor;
    case 1: return FColorArrow;
    case 2: return FColorBorder;
    case 3: return FColorButton;
    default: return clNone;
    }
}

void TVarnScroll_base::SetColors(int Index, TColor Value)
{
    TColor* colour = nullptr;
    switch (Index) {
    case 0: SetColor(Value); return;  // the control's Color repaints it
    case 1: colour = &FColorArrow; break;
    case 2: colour = &FColorBorder; break;
    case 3: colour = &FColorButton; break;
    default: return;
    }
    if (*colour == Value)
        return;
    *colour = Value;
    Invalidate();
}

// At design time a new kind turns the bar: width and height swap.
void TVarnScroll_base::SetKind(TScrollBarKind Value)
{
    if (FKind == Value)
        return;
    FKind = Value;
    if (ComponentState().Contains(csDesigning) && !ComponentState().Contains(csLoading))
        SetBounds(FLeft, FTop, FHeight, FWidth);
    RecalculateAreas();
    Invalidate();
}

void TVarnScroll_base::SetButtonWidth(int Value)
{
    Value = CheckButtonWidth(Value);
    if (Value == FButtonWidth)
        return;
    FButtonWidth = Value;
    FEffectiveButtonWidth = Value;
    RecalculateAreas();
    Invalidate();
}

int TVarnScroll_base::CheckButtonWidth(int Value) const
{
    if (Value < 0)
        return 0;
    int half = (vertical() ? FHeight : FWidth) / 2;
    return std::max(0, std::min(Value, half));
}

void TVarnScroll_base::SetScrollerWidth(int Value)
{
    Value = CheckScrollerWidth(Value);
    if (Value == FScrollerWidth)
        return;
    FScrollerWidth = Value;
    RecalculateAreas();
    Invalidate();
}

void TVarnScroll_base::SetMax(int Value)
{
    if (Value == FMax || Value < 0 || Value < FMin)
        return;
    FMax = Value;
    keepPositionInRange();
    RecalculateAreas();
    Invalidate();
}

void TVarnScroll_base::SetMin(int Value)
{
    if (Value == FMin || Value < 0 || Value > FMax)
        return;
    FMin = Value;
    keepPositionInRange();
    RecalculateAreas();
    Invalidate();
}

void TVarnScroll_base::SetLargeChange(int Value)
{
    if (Value == FLargeChange || Value < FSmallChange || Value < 1)
        return;
    FLargeChange = Value;
}

// SmallChange stays below LargeChange, but a form description may hold the two
// equal (LargeChange lowered to SmallChange); it is read back as written.
void TVarnScroll_base::SetSmallChange(int Value)
{
    bool fits = Value < FLargeChange || (Value == FLargeChange && ComponentState().Contains(csLoading));
    if (Value == FSmallChange || Value < 1 || !fits)
        return;
    FSmallChange = Value;
}

void TVarnScroll_base::SetPosition(int Value)
{
    if (!FEnabled)
        return;
    Value = std::clamp(Value, FMin, FMax);
    if (Value == FPosition)
        return;
    FPosition = Value;
    TriggerScrollEvent(scPosition, FPosition);
    FPosition = std::clamp(FPosition, FMin, FMax);  // a handler may have moved it anywhere
    RecalculateAreas();
    Invalidate();
    ScrollerChanged();
}

// A disabled bar drops to Min and draws no scroller.
void TVarnScroll_base::SetEnabled(bool Value)
{
    if (Value == FEnabled)
        return;
    SetPosition(0);
    TGraphicControl::SetEnabled(Value);
    Invalidate();
}

// Disabled, the position cannot move through SetPosition; it is kept in range all the same.
void TVarnScroll_base::keepPositionInRange()
{
    int inRange = std::clamp(FPosition, FMin, FMax);
    if (inRange == FPosition)
        return;
    if (FEnabled)
        SetPosition(inRange);
    else
        FPosition = inRange;
}

void TVarnScroll_base::TriggerScrollEvent(TScrollCode Code, int& Pos)
{
    if (OnScroll)
        OnScroll(this, Code, Pos);
}

void TVarnScroll_base::ScrollerChanged()
{
    if (OnChange)
        OnChange(this);
}

TRect TVarnScroll_base::AreaRect(TVnScrollbarArea Area) const
{
    return Area < saNone ? areas[Area] : TRect{};
}

// ---- Layout -------------------------------------------------------------------------

// The buttons at both ends, the track between them and the scroller on it, at a
// distance from the track's start proportional to Position in Min..Max. The
// scroller is never longer than the track.
void TVarnScroll_base::RecalculateAreas()
{
    const int length = vertical() ? FHeight : FWidth;
    const int button = CheckButtonWidth(FButtonWidth);
    FEffectiveButtonWidth = button;
    const int trackStart = button;
    const int trackEnd = std::max(button, length - button);
    const int scrollerLength = std::min(FScrollerWidth, trackEnd - trackStart);
    const int travel = trackEnd - trackStart - scrollerLength;
    int offset = 0;
    if (FMax > FMin) {
        int64_t from = std::clamp(FPosition, FMin, FMax) - int64_t{FMin};
        offset = static_cast<int>(int64_t{travel} * from / (int64_t{FMax} - FMin));
    }
    const int scrollerStart = trackStart + offset;
    const int scrollerEnd = scrollerStart + scrollerLength;

    auto span = [&](int from, int to) { return vertical() ? TRect{0, from, FWidth, to} : TRect{from, 0, to, FHeight}; };
    TRect startButton = span(0, button), endButton = span(length - button, length);
    TRect trackBefore = span(trackStart, scrollerStart), trackAfter = span(scrollerEnd, trackEnd);
    if (vertical()) {
        areas[saBtnArrowUp] = startButton;
        areas[saBtnArrowDown] = endButton;
        areas[saTrackUp] = trackBefore;
        areas[saTrackDown] = trackAfter;
    } else {
        areas[saBtnArrowDown] = startButton;
        areas[saBtnArrowUp] = endButton;
        areas[saTrackDown] = trackBefore;
        areas[saTrackUp] = trackAfter;
    }
    areas[saScroller] = span(scrollerStart, scrollerEnd);
    layoutArrows();
}

// The horizontal arrows are the vertical ones with x and y exchanged: the button
// at the left points left, the one at the right points right.
void TVarnScroll_base::layoutArrows()
{
    if (vertical()) {
        arrowUp = verticalArrow(areas[saBtnArrowUp], true);
        arrowDown = verticalArrow(areas[saBtnArrowDown], false);
        return;
    }
    arrowDown = verticalArrow(transposed(areas[saBtnArrowDown]), true);
    arrowUp = verticalArrow(transposed(areas[saBtnArrowUp]), false);
    for (auto* arrow : {&arrowDown, &arrowUp})
        for (TPoint& p : *arrow)
            p = {p.y, p.x};
}

void TVarnScroll_base::Resize()
{
    RecalculateAreas();
    TGraphicControl::Resize();
}

// ---- Painting -----------------------------------------------------------------------

void TVarnScroll_base::Paint()
{
    TCanvas* canvas = Canvas();
    TPen* pen = canvas->Pen();
    TBrush* brush = canvas->Brush();
    pen->SetStyle(psSolid);
    brush->SetStyle(bsSolid);

    pen->SetColor(FColorBorder);
    brush->SetColor(FColor);
    canvas->Rectangle(GetClientRect());

    brush->SetColor(FColorButton);
    canvas->Rectangle(areas[saBtnArrowUp]);
    canvas->Rectangle(areas[saBtnArrowDown]);

    brush->SetColor(FColorArrow);
    pen->SetColor(FColorArrow);
    if (!isEmpty(areas[saBtnArrowUp]))
        canvas->Polygon({arrowUp[0], arrowUp[1], arrowUp[2]});
    if (!isEmpty(areas[saBtnArrowDown]))
        canvas->Polygon({arrowDown[0], arrowDown[1], arrowDown[2]});

    const TRect& scroller = areas[saScroller];
    if (!FEnabled || isEmpty(scroller))
        return;
    brush->SetColor(FColorButton);
    pen->SetColor(FColorBorder);
    canvas->Rectangle(scroller);
    // Four grip lines across the scroller's middle, two pixels apart.
    int scrollerLength = vertical() ? scroller.Height() : scroller.Width();
    if (scrollerLength <= 7)
        return;
    int first = (vertical() ? scroller.top : scroller.left) + (scrollerLength - 7) / 2;
    for (int i = 0; i <= 6; i += 2) {
        if (vertical()) {
            canvas->MoveTo(4, first + i);
            canvas->LineTo(scroller.right - 4, first + i);
        } else {
            canvas->MoveTo(first + i, 4);
            canvas->LineTo(first + i, scroller.bottom - 4);
        }
    }
}

// ---- Mouse --------------------------------------------------------------------------

TVnScrollbarArea TVarnScroll_base::areaAt(const TPoint& point) const
{
    for (TVnScrollbarArea area : {saBtnArrowDown, saBtnArrowUp, saTrackDown, saTrackUp, saScroller})
        if (contains(areas[area], point))
            return area;
    return saNone;
}

int TVarnScroll_base::stepOf(TVnScrollbarArea area) const
{
    // Positions grow toward the bottom or the right end in both kinds.
    int sign = vertical() ? 1 : -1;
    switch (area) {
    case saBtnArrowDown: return sign * FSmallChange;
    case saBtnArrowUp: return -sign * FSmallChange;
    case saTrackDown: return sign * FLargeChange;
    case saTrackUp: return -sign * FLargeChange;
    default: return 0;
    }
}

void TVarnScroll_base::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && !ComponentState().Contains(csDesigning)) {
        FMouseIsDown = true;
        lastMousePoint = {X, Y};
        FMouseDownAt = areaAt(lastMousePoint);
        if (FMouseDownAt == saScroller) {
            dragging = true;
            grabOffset = {X - areas[saScroller].left, Y - areas[saScroller].top};
        } else if (FMouseDownAt != saNone) {
            repeatArea = FMouseDownAt;
            repeatTimer->SetEnabled(false);  // the first step comes a whole interval after this press
            repeatTimer->SetEnabled(true);
        }
        if (FMouseDownAt != saNone)
            Invalidate();
    }
    TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TVarnScroll_base::MouseMove(TShiftState Shift, int X, int Y)
{
    lastMousePoint = {X, Y};
    if (FMouseDownAt == saScroller)
        ScrollToPos(along(lastMousePoint));
    TGraphicControl::MouseMove(Shift, X, Y);
}

void TVarnScroll_base::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FMouseIsDown) {
        FMouseIsDown = false;
        lastMousePoint = {X, Y};
        FMouseDownAt = saNone;
        dragging = false;
        repeatTimer->SetEnabled(false);
        Invalidate();
    }
    TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TVarnScroll_base::CMMouseEnter(TMessage& Message)
{
    TGraphicControl::CMMouseEnter(Message);
    FMouseInControl = true;
    Invalidate();
    if (OnMouseIn)
        OnMouseIn(this);
}

void TVarnScroll_base::CMMouseLeave(TMessage& Message)
{
    TGraphicControl::CMMouseLeave(Message);
    FMouseInControl = false;
    Invalidate();
    TGraphicControl::MouseMove({}, lastMousePoint.x, lastMousePoint.y);
    if (OnMouseOut)
        OnMouseOut(this);
}

void TVarnScroll_base::WMContextMenu(TMessage& Message)
{
    if (OnContextPopup) {
        TPoint at{-1, -1};  // from the keyboard
        if (Message.LParam != -1)
            at = ScreenToClient({GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
        bool handled = false;
        OnContextPopup(this, at, handled);
        if (handled) {
            Message.Result = 1;
            return;
        }
    }
    TGraphicControl::WMContextMenu(Message);
}

// The scroller's leading edge follows the pointer: the distance from the track's
// start, less where the scroller was grabbed, over the distance it can travel.
void TVarnScroll_base::ScrollToPos(int Pos)
{
    int travel = vertical() ? areas[saTrackUp].Height() + areas[saTrackDown].Height()
                            : areas[saTrackUp].Width() + areas[saTrackDown].Width();
    if (travel == 0)
        return;
    int trackStart = vertical() ? areas[saBtnArrowUp].bottom : areas[saBtnArrowDown].right;
    int64_t distance = int64_t{Pos} - trackStart - along(grabOffset);
    SetPosition(clampToInt(FMin + distance * (int64_t{FMax} - FMin) / travel));
}

// Each tick steps toward the pointer, until the scroller reaches it or the
// position an end of the range; then the timer stops.
void TVarnScroll_base::DoScrollTimer(TObject*)
{
    const TRect& scroller = areas[saScroller];
    bool reached = contains(scroller, lastMousePoint);
    if (!reached && (repeatArea == saTrackDown || repeatArea == saTrackUp)) {
        // A large step can carry the scroller past the pointer; that counts as reaching it.
        int at = along(lastMousePoint);
        reached = stepOf(repeatArea) > 0 ? at < (vertical() ? scroller.bottom : scroller.right)
                                         : at >= (vertical() ? scroller.top : scroller.left);
    }
    if (!reached) {
        SetPosition(clampToInt(int64_t{FPosition} + stepOf(repeatArea)));
        if (FPosition != FMin && FPosition != FMax)
            return;
    }
    stopRepeat();
}

void TVarnScroll_base::stopRepeat()
{
    repeatTimer->SetEnabled(false);
    TGraphicControl::MouseMove({}, lastMousePoint.x, lastMousePoint.y);
}
