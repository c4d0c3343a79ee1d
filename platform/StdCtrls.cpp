#include "platform/StdCtrls.h"

#include "platform/Bitmap.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/win/Gdi.h"

namespace {

// Text is measured on a private bitmap: a label may be sized before any window of
// its form exists.
TCanvas* measuringCanvas()
{
    static TBitmap* bitmap = [] {
        auto* b = new TBitmap;  // kept for the program, like the font cache it feeds
        b->SetSize(1, 1);
        return b;
    }();
    return bitmap->Canvas();
}

}  // namespace

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    ControlStyle << csOpaque << csReplicatable;
    FParentColor = true;
    FWidth = 65;
    FHeight = 17;
}

void TCustomLabel::SetAlignment(TAlignment Value)
{
    if (FAlignment == Value)
        return;
    FAlignment = Value;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value)
{
    if (FAutoSize == Value)
        return;
    FAutoSize = Value;
    AdjustBounds();
}

void TCustomLabel::SetLayout(TTextLayout Value)
{
    if (FLayout == Value)
        return;
    FLayout = Value;
    Invalidate();
}

void TCustomLabel::SetTransparent(bool Value)
{
    if (FTransparent == Value)
        return;
    FTransparent = Value;
    if (Value)
        ControlStyle >> csOpaque;
    else
        ControlStyle << csOpaque;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value)
{
    if (FWordWrap == Value)
        return;
    FWordWrap = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool Value)
{
    if (FShowAccelChar == Value)
        return;
    FShowAccelChar = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* Value)
{
    if (FFocusControl == Value)
        return;
    if (FFocusControl)
        RemoveFreeNotification(FFocusControl);
    FFocusControl = Value;
    if (Value)
        FreeNotification(Value);
}

void TCustomLabel::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl)
        FFocusControl = nullptr;
}

// A word-wrapped label keeps the width it is given; its height follows.
void TCustomLabel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    bool widthChanged = AWidth != FWidth;
    TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (widthChanged && FWordWrap && !adjusting)
        AdjustBounds();
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_DIALOGCHAR) {
        CMDialogChar(Message);
        return;
    }
    if (Message.Msg == CM_TEXTCHANGED) {
        AdjustBounds();
        Invalidate();
    }
    TGraphicControl::Dispatch(Message);
}

void TCustomLabel::CMDialogChar(TMessage& Message)
{
    Message.Result = 0;
    if (!FShowAccelChar || !FFocusControl || !IsAccel(static_cast<WORD>(Message.WParam), Caption()))
        return;
    if (!FFocusControl->CanFocus())
        return;
    FFocusControl->SetFocus();
    Message.Result = 1;
}

void TCustomLabel::CMFontChanged(TMessage& Message)
{
    TGraphicControl::CMFontChanged(Message);
    AdjustBounds();
}

unsigned TCustomLabel::textFlags() const
{
    static const unsigned alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    unsigned flags = DT_EXPANDTABS | alignments[FAlignment];
    if (FWordWrap)
        flags |= DT_WORDBREAK;
    if (!FShowAccelChar)
        flags |= DT_NOPREFIX;
    return flags;
}

void TCustomLabel::drawLabelText(HDC dc, TRect& rect, unsigned flags)
{
    AnsiString text = Caption();
    // An empty label (or a lone accelerator mark) still measures one line high.
    if ((flags & DT_CALCRECT) && (text.empty() || (FShowAccelChar && text == "&")))
        text += ' ';
    DrawText(dc, text.c_str(), static_cast<int>(text.size()), &rect, flags);
}

void TCustomLabel::AdjustBounds()
{
    if (!FAutoSize || adjusting || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
        return;
    TCanvas* canvas = measuringCanvas();
    canvas->SetFont(Font());
    TRect rect{0, 0, FWordWrap ? FWidth : 0, 0};
    drawLabelText(canvas->Handle(), rect, textFlags() | DT_CALCRECT);
    int width = FWordWrap ? FWidth : rect.Width();
    int height = rect.Height();
    int left = FLeft;
    if (FAlignment == taRightJustify)
        left += FWidth - width;
    else if (FAlignment == taCenter)
        left += (FWidth - width) / 2;
    adjusting = true;
    try {
        SetBounds(left, FTop, width, height);
    } catch (...) {
        adjusting = false;
        throw;
    }
    adjusting = false;
}

void TCustomLabel::Paint()
{
    TCanvas* canvas = Canvas();
    TRect rect = GetClientRect();
    if (!FTransparent) {
        canvas->Brush()->SetColor(FColor);
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(rect);
    }
    canvas->Brush()->SetStyle(bsClear);
    if (!FEnabled)
        canvas->Font()->SetColor(clGrayText);
    unsigned flags = textFlags();
    if (FLayout != tlTop) {
        TRect measured = rect;
        drawLabelText(canvas->Handle(), measured, flags | DT_CALCRECT);
        int free = rect.Height() - measured.Height();
        rect.top += FLayout == tlBottom ? free : free / 2;
    }
    drawLabelText(canvas->Handle(), rect, flags);
}
