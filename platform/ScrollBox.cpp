// Scrolling containers.
//
// Every change that can move a bar (a range, a position, Visible, a resize, a
// realignment, a new border) ends in UpdateScrollBars, which lays out both bars
// at once: a bar that appears narrows the client area along the other axis, so
// which bars show is settled together before the window's scroll bars are set.
// Setting them may resize the client area and send WM_SIZE back here; such
// nested requests only mark the layout to be run once more.
#include "platform/ScrollBox.h"

#include "platform/Graphics.h"
#include "platform/Streaming.h"
#include "platform/win/Gdi.h"

#include <algorithm>

namespace {
constexpr int wheelLines = 3;  // lines scrolled per wheel notch, as the desktop's default
}

// ---- TControlScrollBar ---------------------------------------------------------------

TControlScrollBar::TControlScrollBar(TScrollingWinControl* Control, TScrollBarKind Kind)
    : FControl(Control), FKind(Kind)
{
}

TPersistent* TControlScrollBar::GetOwner() { return FControl; }

void TControlScrollBar::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TControlScrollBar*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    FRange = other->FRange;
    FIncrement = other->FIncrement;
    FTracking = other->FTracking;
    FVisible = other->FVisible;
    FStyle = other->FStyle;
    FMargin = other->FMargin;
    FSmooth = other->FSmooth;
    FButtonSize = other->FButtonSize;
    FSize = other->FSize;
    FThumbSize = other->FThumbSize;
    FControl->UpdateScrollBars();
    SetPosition(other->FPosition);
}

int TControlScrollBar::barId() const { return FKind == sbVertical ? SB_VERT : SB_HORZ; }

int TControlScrollBar::Range() const
{
    FControl->UpdatePendingScroll();
    return FRange;
}

int TControlScrollBar::Position() const
{
    FControl->UpdatePendingScroll();
    return FPosition;
}

int TControlScrollBar::Increment() const
{
    FControl->UpdatePendingScroll();
    return FIncrement;
}

// The application that sets a range takes the ranges over from the children.
void TControlScrollBar::SetRange(int Value)
{
    FControl->FAutoScroll = false;
    Value = std::max(Value, 0);
    if (Value == FRange)
        return;
    FRange = Value;
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(int Value)
{
    FControl->UpdatePendingScroll();
    // While a form description is read the size and range may come later:
    // Loaded clamps and applies the position.
    if (!FControl->loading())
        Value = std::clamp(Value, 0, std::max(0, FRange - ControlSize()));
    if (Value == FPosition)
        return;
    int delta = FPosition - Value;
    FPosition = Value;
    if (FControl->loading())
        return;
    if (FKind == sbHorizontal)
        FControl->ScrollBy(delta, 0);
    else
        FControl->ScrollBy(0, delta);
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    FVisible = Value;
    FControl->UpdateScrollBars();
}

void TControlScrollBar::SetStyle(TScrollBarStyle Value)
{
    if (Value == FStyle)
        return;
    FStyle = Value;
    if (Value != ssRegular && FControl->HandleAllocated())
        InitializeFlatSB(FControl->Handle());
}

void TControlScrollBar::SetMargin(int Value)
{
    if (Value == FMargin)
        return;
    FMargin = Value;
    if (FControl->AutoScroll())
        FControl->UpdateScrollBars();
}

bool TControlScrollBar::IsScrollBarVisible() const
{
    FControl->UpdatePendingScroll();
    int width, height;
    FControl->layoutBars(width, height);
    return FKind == sbVertical ? FControl->FVertScrollBar.shown : FControl->FHorzScrollBar.shown;
}

int TControlScrollBar::ControlSize() const
{
    FControl->UpdatePendingScroll();
    int width, height;
    FControl->layoutBars(width, height);
    return FKind == sbVertical ? height : width;
}

int TControlScrollBar::ThumbPosition(int MessagePos) const
{
    if (!FControl->HandleAllocated())
        return MessagePos;
    SCROLLINFO info;
    info.fMask = SIF_TRACKPOS;
    // A position sent by code rather than by a drag stands as it is.
    if (GetScrollInfo(FControl->Handle(), barId(), &info) && (info.nTrackPos & 0xFFFF) == MessagePos)
        return info.nTrackPos;
    return MessagePos;
}

void TControlScrollBar::ScrollMessage(TMessage& Message)
{
    int code = LOWORD(Message.WParam);
    int thumb = HIWORD(Message.WParam);
    switch (code) {
    case SB_LINEUP: SetPosition(FPosition - FIncrement); break;
    case SB_LINEDOWN: SetPosition(FPosition + FIncrement); break;
    case SB_PAGEUP: SetPosition(FPosition - ControlSize()); break;
    case SB_PAGEDOWN: SetPosition(FPosition + ControlSize()); break;
    case SB_THUMBPOSITION: SetPosition(ThumbPosition(thumb)); break;
    case SB_THUMBTRACK:
        if (FTracking)
            SetPosition(ThumbPosition(thumb));
        break;
    case SB_TOP: SetPosition(0); break;
    case SB_BOTTOM: SetPosition(FRange); break;
    }
    Message.Result = 0;
}

// ---- TScrollingWinControl -------------------------------------------------------------

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner), FHorzScrollBar(this, sbHorizontal), FVertScrollBar(this, sbVertical)
{
}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool Value)
{
    if (Value == FAutoScroll)
        return;
    FAutoScroll = Value;
    UpdateScrollBars();
}

void TScrollingWinControl::Loaded()
{
    // Children were stored where they showed, with the position they showed at;
    // only a position past the range is taken back, and the children with it.
    TWinControl::Loaded();
    UpdateScrollBars();
}

void TScrollingWinControl::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    Params.Style |= WS_HSCROLL | WS_VSCROLL;
}

void TScrollingWinControl::CreateWnd()
{
    TWinControl::CreateWnd();
    if (FHorzScrollBar.FStyle != ssRegular || FVertScrollBar.FStyle != ssRegular)
        InitializeFlatSB(FHandle);
    UpdateScrollBars();
}

// The farthest edge of the children that sit at their own place (or on the
// leading side), in unscrolled coordinates, plus the margin.
void TScrollingWinControl::calcAutoRange()
{
    int right = 0;
    int bottom = 0;
    for (TControl* c : FControls) {
        if (!c->Visible())
            continue;
        TAlign align = c->Align();
        if (align == alNone || align == alCustom || align == alLeft)
            right = std::max(right, c->Left() + c->Width() + FHorzScrollBar.FPosition);
        if (align == alNone || align == alCustom || align == alTop)
            bottom = std::max(bottom, c->Top() + c->Height() + FVertScrollBar.FPosition);
    }
    FHorzScrollBar.FRange = right > 0 ? right + FHorzScrollBar.FMargin : 0;
    FVertScrollBar.FRange = bottom > 0 ? bottom + FVertScrollBar.FMargin : 0;
}

// Which bars show and the client size they leave. A bar shows while it is
// Visible and its range exceeds the client extent; the other bar's appearance
// can push a range over, so this settles both (at most two rounds).
void TScrollingWinControl::layoutBars(int& clientWidth, int& clientHeight)
{
    int frame = frameSize();
    int width = std::max(0, FWidth - 2 * frame);
    int height = std::max(0, FHeight - 2 * frame);
    int barWidth = GetSystemMetrics(SM_CXVSCROLL);
    int barHeight = GetSystemMetrics(SM_CYHSCROLL);
    bool vertical = false;
    bool horizontal = false;
    for (int round = 0; round < 3; ++round) {
        vertical = FVertScrollBar.FVisible && FVertScrollBar.FRange > height - (horizontal ? barHeight : 0);
        horizontal = FHorzScrollBar.FVisible && FHorzScrollBar.FRange > width - (vertical ? barWidth : 0);
    }
    FVertScrollBar.shown = vertical;
    FHorzScrollBar.shown = horizontal;
    clientWidth = std::max(0, width - (vertical ? barWidth : 0));
    clientHeight = std::max(0, height - (horizontal ? barHeight : 0));
}

void TScrollingWinControl::applyBar(TControlScrollBar& bar, int page)
{
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    // A bar that is not Visible gets an empty range, which hides it.
    info.nMax = bar.FVisible ? bar.FRange - 1 : 0;
    info.nPage = static_cast<UINT>(std::max(page, 0));
    info.nPos = bar.FPosition;
    SetScrollInfo(FHandle, bar.barId(), &info, TRUE);
}

void TScrollingWinControl::UpdateScrollBars()
{
    if (updatingBars) {
        barsPending = true;
        return;
    }
    if (loading() || ComponentState().Contains(csDestroying))
        return;
    updatingBars = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{updatingBars};
    for (int pass = 0; pass < 4; ++pass) {
        barsPending = false;
        if (FAutoScroll)
            calcAutoRange();
        int width, height;
        layoutBars(width, height);
        laidOutWidth = width;
        laidOutHeight = height;
        // A range that shrank or a client area that grew pulls the positions back.
        int horzPos = std::clamp(FHorzScrollBar.FPosition, 0, std::max(0, FHorzScrollBar.FRange - width));
        int vertPos = std::clamp(FVertScrollBar.FPosition, 0, std::max(0, FVertScrollBar.FRange - height));
        int deltaX = FHorzScrollBar.FPosition - horzPos;
        int deltaY = FVertScrollBar.FPosition - vertPos;
        FHorzScrollBar.FPosition = horzPos;
        FVertScrollBar.FPosition = vertPos;
        ScrollBy(deltaX, deltaY);
        if (FHandle) {
            applyBar(FVertScrollBar, height);
            applyBar(FHorzScrollBar, width);
        }
        if (!barsPending)
            break;
    }
}

void TScrollingWinControl::ScrollBy(int DeltaX, int DeltaY)
{
    if (DeltaX == 0 && DeltaY == 0)
        return;
    DisableAlign();
    for (TControl* c : std::vector<TControl*>(FControls))
        c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
    EnableAlign();
    Invalidate();
}

void TScrollingWinControl::ScrollInView(TControl* Control)
{
    if (!Control || Control == this || !ContainsControl(Control) || !Control->Parent())
        return;
    TPoint origin = ScreenToClient(Control->Parent()->ClientToScreen({Control->Left(), Control->Top()}));
    TRect r{origin.x, origin.y, origin.x + Control->Width(), origin.y + Control->Height()};
    int width, height;
    layoutBars(width, height);
    // The near edge wins when the control is larger than the client area.
    auto delta = [](int nearEdge, int farEdge, int extent) {
        if (nearEdge < 0)
            return nearEdge;
        if (farEdge > extent)
            return std::min(farEdge - extent, nearEdge);
        return 0;
    };
    int dx = delta(r.left, r.right, width);
    int dy = delta(r.top, r.bottom, height);
    if (dx)
        FHorzScrollBar.SetPosition(FHorzScrollBar.FPosition + dx);
    if (dy)
        FVertScrollBar.SetPosition(FVertScrollBar.FPosition + dy);
}

// Aligned children are laid out on the scrolled area.
void TScrollingWinControl::AdjustClientRect(TRect& Rect)
{
    TWinControl::AdjustClientRect(Rect);
    Rect.left -= FHorzScrollBar.FPosition;
    Rect.right -= FHorzScrollBar.FPosition;
    Rect.top -= FVertScrollBar.FPosition;
    Rect.bottom -= FVertScrollBar.FPosition;
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect)
{
    TWinControl::AlignControls(AControl, Rect);
    TRect before = GetClientRect();
    UpdateScrollBars();
    // Realigning is shut while this runs, so a bar that came or went is
    // answered here: lay the aligned children out once more in the new room.
    TRect after = GetClientRect();
    if (after != before) {
        AdjustClientRect(after);
        TWinControl::AlignControls(AControl, after);
    }
}

void TScrollingWinControl::WMSize(TMessage& Message)
{
    TWinControl::WMSize(Message);
    UpdateScrollBars();
}

void TScrollingWinControl::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_HSCROLL: FHorzScrollBar.ScrollMessage(Message); return;
    case WM_VSCROLL: FVertScrollBar.ScrollMessage(Message); return;
    case WM_ERASEBKGND: EraseWithColor(Message); return;
    }
    TWinControl::Dispatch(Message);
}

bool TScrollingWinControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TWinControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    // A box with nothing to scroll lets its parent have the wheel.
    if (!FVertScrollBar.IsScrollBarVisible())
        return false;
    int lines = WheelDelta * wheelLines / WHEEL_DELTA;
    FVertScrollBar.SetPosition(FVertScrollBar.FPosition - lines * FVertScrollBar.FIncrement);
    return true;
}

// ---- TScrollBox ---------------------------------------------------------------------------

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner)
{
    ControlStyle << csAcceptsControls;
    SetBounds(FLeft, FTop, 185, 41);
}

void TScrollBox::SetBorderStyle(TBorderStyle Value)
{
    if (Value != bsNone)
        Value = bsSingle;
    if (Value == FBorderStyle)
        return;
    FBorderStyle = Value;
    if (HandleAllocated())
        RecreateWnd();
    else
        UpdateScrollBars();
}

void TScrollBox::CreateParams(TCreateParams& Params)
{
    TScrollingWinControl::CreateParams(Params);
    if (FBorderStyle == bsSingle)
        Params.ExStyle |= WS_EX_CLIENTEDGE;
}

int TScrollBox::frameSize() { return FBorderStyle == bsSingle ? GetSystemMetrics(SM_CXEDGE) : 0; }

// ---- Form descriptions ----------------------------------------------------------------------

namespace {
const TIdentList& scrollBarStyleIdents()
{
    static const TIdentList idents = {{"ssRegular", ssRegular}, {"ssFlat", ssFlat}, {"ssHotTrack", ssHotTrack}};
    return idents;
}

}  // namespace

namespace varn::detail {
void registerScrollBoxClasses()
{
    using Bar = TControlScrollBar;
    // The range is the children's business while AutoScroll is on.
    auto ownRange = [](Bar* bar) {
        auto* control = dynamic_cast<TScrollingWinControl*>(bar->GetOwner());
        return !control || !control->AutoScroll();
    };
    RegisterPublishedClass<Bar>("TControlScrollBar", "TPersistent")
        .Integer("ButtonSize", &Bar::ButtonSize, &Bar::SetButtonSize, 0)
        .Integer("Increment", &Bar::Increment, &Bar::SetIncrement, 8)
        .Integer("Margin", &Bar::Margin, &Bar::SetMargin, 0)
        .Integer("Position", &Bar::Position, &Bar::SetPosition, 0)
        .Integer("Range", &Bar::Range, &Bar::SetRange, 0)
        .StoredIf(ownRange)
        .Boolean("Smooth", &Bar::Smooth, &Bar::SetSmooth, false)
        .Integer("Size", &Bar::Size, &Bar::SetSize, 0)
        .Enumeration("Style", &Bar::Style, &Bar::SetStyle, scrollBarStyleIdents(), std::optional(ssRegular))
        .Integer("ThumbSize", &Bar::ThumbSize, &Bar::SetThumbSize, 0)
        .Boolean("Tracking", &Bar::Tracking, &Bar::SetTracking, false)
        .Boolean("Visible", &Bar::Visible, &Bar::SetVisible, true);
    RegisterPublishedClass<TScrollingWinControl>("TScrollingWinControl", "TWinControl")
        .Boolean("AutoScroll", &TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll, true)
        .Object<Bar>("HorzScrollBar", &TScrollingWinControl::HorzScrollBar)
        .Object<Bar>("VertScrollBar", &TScrollingWinControl::VertScrollBar);
    RegisterPublishedClass<TScrollBox>("TScrollBox", "TScrollingWinControl")
        .Enumeration("BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle, ControlBorderStyleIdents(),
                     std::optional(bsSingle));
}
}  // namespace varn::detail
