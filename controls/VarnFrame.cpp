#include "controls/VarnFrame.h"

#include "edit/VarnEditInterior.h"

#include "platform/Bitmap.h"
#include "platform/Forms.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

// Escapements in tenths of a degree, counter-clockwise.
constexpr int runsDown = 2700;
constexpr int runsUp = 900;

bool sameTextIgnoringCase(const AnsiString& a, const AnsiString& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

AnsiString joinLines(TStrings* lines)
{
    AnsiString text;
    for (int i = 0; i < lines->Count(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines->Strings(i);
    }
    return text;
}

}  // namespace

// ---- TVarnFrame ------------------------------------------------------------------------

TVarnFrame::TVarnFrame(TComponent* AOwner) : TCustomPanel(AOwner), FLines(std::make_unique<TStringList>())
{
    FParentColor = true;
    // Changes made to the list itself (as a form description does) reach Text.
    FLines->OnChange = [this](TObject*) { SetText(joinLines(FLines.get())); };
}

TVarnFrame::~TVarnFrame() { FLines->OnChange = nullptr; }

void TVarnFrame::changed() { Invalidate(); }

void TVarnFrame::SetColorFrame(TColor Value)
{
    if (FColorFrame == Value)
        return;
    FColorFrame = Value;
    changed();
}

bool TVarnFrame::getDrawFrame(int Index) const { return Index >= 0 && Index < 4 && FDrawFrame[Index]; }

void TVarnFrame::setDrawFrame(int Index, bool Value)
{
    if (Index < 0 || Index >= 4 || FDrawFrame[Index] == Value)
        return;
    FDrawFrame[Index] = Value;
    changed();
}

void TVarnFrame::SetHideFrame(bool Value)
{
    if (FHideFrame == Value)
        return;
    FHideFrame = Value;
    changed();
}

void TVarnFrame::SetTextAlignment(TAlignment Value)
{
    if (FTextAlignment == Value)
        return;
    FTextAlignment = Value;
    changed();
}

void TVarnFrame::SetTextVAlignment(TVAlignment Value)
{
    if (FTextVAlignment == Value)
        return;
    bool over = FTextVAlignment == tvaOver || Value == tvaOver;
    FTextVAlignment = Value;
    if (over)
        Realign();  // the client rectangle moved
    changed();
}

void TVarnFrame::SetTextDirection(TTextDirection Value)
{
    if (FTextDirection == Value)
        return;
    FTextDirection = Value;
    changed();
}

void TVarnFrame::SetTextColor(TColor Value)
{
    if (FTextColor == Value)
        return;
    FTextColor = Value;
    changed();
}

void TVarnFrame::SetTextStyles(TFontStyles Value)
{
    if (FTextStyles == Value)
        return;
    FTextStyles = Value;
    changed();
}

void TVarnFrame::SetTextWrap(bool Value)
{
    if (FTextWrap == Value)
        return;
    FTextWrap = Value;
    changed();
}

TStrings* TVarnFrame::Lines()
{
    TNotifyEvent onChange = std::move(FLines->OnChange);
    FLines->OnChange = nullptr;
    FLines->SetText(Text());
    FLines->OnChange = std::move(onChange);
    return FLines.get();
}

void TVarnFrame::SetLines(TStrings* Value) { SetText(joinLines(Value)); }

TRect TVarnFrame::GetClientRect()
{
    TRect rect = TCustomPanel::GetClientRect();
    if (FTextVAlignment == tvaOver)
        rect.top += 10;
    return rect;
}

// The first child in child order that is windowed, has TabStop and can take the
// focus (one that cannot would raise instead).
TWinControl* TVarnFrame::firstTabStopChild() const
{
    for (TControl* control : FControls)
        if (auto* child = dynamic_cast<TWinControl*>(control); child && child->TabStop() && child->CanFocus())
            return child;
    return nullptr;
}

void TVarnFrame::textPointerEvent(const TNotifyEvent& event)
{
    if (!event)
        return;
    TPoint cursor;
    GetCursorPos(&cursor);
    clickPoint = ScreenToClient(cursor);
    if (clickPoint.x < textRect.left || clickPoint.x >= textRect.right || clickPoint.y < textRect.top ||
        clickPoint.y >= textRect.bottom)
        return;
    event(this);
    Invalidate();  // the handler may have changed what the text shows
}

void TVarnFrame::WndProc(TMessage& Message)
{
    if (!ComponentState().Contains(csDesigning) && !ComponentState().Contains(csDestroying)) {
        switch (Message.Msg) {
        case WM_SETFOCUS:
            if (TWinControl* child = firstTabStopChild()) {
                child->SetFocus();
                Message.Result = 0;
                return;
            }
            break;
        case WM_LBUTTONUP: textPointerEvent(OnTextClick); break;
        case WM_LBUTTONDBLCLK: textPointerEvent(OnTextDoubleClick); break;
        default: break;
        }
    }
    TCustomPanel::WndProc(Message);
}

void TVarnFrame::selectTextFont(TCanvas* canvas)
{
    canvas->SetFont(Font());
    canvas->Font()->SetColor(FTextColor);
    canvas->Font()->SetStyle(FTextStyles);
}

// Frame, text area and text, in that order; the text of tvaOver sits on an opaque
// strip of Color over the top line, which therefore runs through its middle.
void TVarnFrame::Paint()
{
    TCanvas* canvas = Canvas();
    const int width = Width();
    const int height = Height();
    const int border = BorderWidth();
    const AnsiString text = Text();

    TRect r{0, 0, width, height};
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(FColor);
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetColor(FColorFrame);
    canvas->FillRect(r);

    // The text is measured in the font it is drawn with.
    selectTextFont(canvas);
    TRect t;
    if (!text.empty() && FTextVAlignment == tvaOver) {
        TRect measured{0, 0, width, 0};
        DrawTextEx(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &measured,
                   DT_CALCRECT | DT_NOPREFIX, nullptr);
        t = {2 * border + 1, 0, width - (2 * border + 1), measured.Height()};
        r.top = measured.Height() / 2;
    } else {
        t = {r.left + border + 1, r.top + border + 1, r.right - border - 1, r.bottom - border - 1};
    }

    if (!FHideFrame) {
        if (FDrawFrame[0] && FDrawFrame[1] && FDrawFrame[2] && FDrawFrame[3]) {
            canvas->Rectangle(r);
        } else {
            if (FDrawFrame[0]) {
                canvas->MoveTo(r.left, r.top);
                canvas->LineTo(r.left, r.bottom);
            }
            if (FDrawFrame[1]) {
                canvas->MoveTo(r.right - 1, r.top);
                canvas->LineTo(r.right - 1, r.bottom);
            }
            if (FDrawFrame[2]) {
                canvas->MoveTo(r.left, r.top);
                canvas->LineTo(r.right, r.top);
            }
            if (FDrawFrame[3]) {
                canvas->MoveTo(r.left, r.bottom - 1);
                canvas->LineTo(r.right, r.bottom - 1);
            }
        }
    }

    textRect = t;
    if (!text.empty())
        drawText(canvas);
    printChildLabels();
}

void TVarnFrame::printChildLabels()
{
    for (int i = 0; i < ControlCount(); ++i)
        if (auto* box = dynamic_cast<TVarnEdit*>(Controls(i)); box && !box->getLabel().empty())
            box->printLabel();
}

void TVarnFrame::drawText(TCanvas* canvas)
{
    if (FTextDirection != ttdLeftToRight) {
        drawRotatedText(canvas);
        return;
    }
    selectTextFont(canvas);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(FColor);
    static const unsigned horizontal[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    static const unsigned vertical[] = {DT_TOP, DT_VCENTER, DT_BOTTOM, DT_TOP};
    unsigned flags = horizontal[FTextAlignment] | vertical[FTextVAlignment] | DT_NOPREFIX;
    flags |= FTextWrap ? DT_WORDBREAK : DT_SINGLELINE;
    const AnsiString text = Text();
    TRect rect = textRect;
    DrawText(canvas->Handle(), text.c_str(), static_cast<int>(text.size()), &rect, flags);
}

// One line turned a quarter, centred along the frame's height. The background
// is left as painted, so the text does not wipe out a frame line it touches.
void TVarnFrame::drawRotatedText(TCanvas* canvas)
{
    TFont* font = canvas->Font();
    font->Assign(Font());
    font->SetColor(FTextColor);
    font->SetStyle(FTextStyles);
    if (sameTextIgnoringCase(font->Name(), "Default"))
        font->SetName(TFontSpec{}.Name);
    font->SetOrientation(FTextDirection == ttdUpToBottom ? runsDown : runsUp);

    const AnsiString text = Text();
    const int count = static_cast<int>(text.size());
    TRect size{0, 0, 0, 0};
    DrawText(canvas->Handle(), text.c_str(), count, &size, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int w = size.Width();
    const int h = size.Height();
    const TRect c = GetClientRect();
    const int border = BorderWidth();
    TPoint start = FTextDirection == ttdUpToBottom ? TPoint{c.left + border + h, c.top + (Height() - w) / 2}
                                                   : TPoint{c.left + border, c.top + (Height() - w) / 2 + w};
    canvas->Brush()->SetStyle(bsClear);
    TRect at{start.x, start.y, start.x, start.y};
    DrawText(canvas->Handle(), text.c_str(), count, &at, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
    font->SetOrientation(0);
}

// ---- TVarnLabel ------------------------------------------------------------------------

TVarnLabel::TVarnLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}

void TVarnLabel::SetTextVAlignment(TVAlignment Value)
{
    if (FTextVAlignment == Value)
        return;
    FTextVAlignment = Value;
    Invalidate();
}

void TVarnLabel::SetTextDirection(TTextDirection Value)
{
    if (FTextDirection == Value)
        return;
    FTextDirection = Value;
    AdjustBounds();
    Invalidate();
}

TSize TVarnLabel::captionExtent()
{
    // A label may be sized before its parent has a window: measure on a bitmap.
    static TBitmap* page = [] {
        auto* bitmap = new TBitmap;  // kept for the program, like the font cache it feeds
        bitmap->SetSize(1, 1);
        return bitmap;
    }();
    page->Canvas()->SetFont(Font());
    return page->Canvas()->TextExtent(Caption());
}

void TVarnLabel::AdjustBounds()
{
    if (!AutoSize() || FAlign != alNone || ComponentState().Contains(csLoading) ||
        ComponentState().Contains(csDestroying))
        return;
    TSize extent = captionExtent();
    if (FTextDirection == ttdLeftToRight)
        SetBounds(FLeft, FTop, extent.cx, extent.cy);
    else
        SetBounds(FLeft, FTop, extent.cy, extent.cx);
}

void TVarnLabel::Paint()
{
    AdjustBounds();
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    canvas->Font()->SetOrientation(FTextDirection == ttdUpToBottom ? -900 : FTextDirection == ttdBottomToUp ? 900 : 0);
    const AnsiString caption = Caption();
    const TSize extent = canvas->TextExtent(caption);
    const int cx = extent.cx;
    const int cy = extent.cy;
    const int w = Width();
    const int h = Height();
    const int alignment = Alignment() == taLeftJustify ? 0 : Alignment() == taRightJustify ? 1 : 2;
    const int across = FTextVAlignment == tvaCenter ? 1 : FTextVAlignment == tvaBottomJustify ? 2 : 0;

    // Each row: the coordinate for Alignment left, right, centre (along the text),
    // then for TextVAlignment top, centre, bottom (across it).
    using Choice = std::array<int, 3>;
    int x = 0;
    int y = 0;
    switch (FTextDirection) {
    case ttdLeftToRight:
        x = Choice{0, w - cx, (w - cx) / 2}[alignment];
        y = Choice{0, (h - cy) / 2, h - cy}[across];
        break;
    case ttdUpToBottom:
        y = Choice{0, h - cx, (h - cx) / 2}[alignment];
        x = Choice{w, (w + cy) / 2, cy}[across];
        break;
    case ttdBottomToUp:
        y = Choice{h, cx, (h + cx) / 2}[alignment];
        x = Choice{0, (w - cy) / 2, w - cy}[across];
        break;
    }

    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(FColor);
    canvas->FillRect(GetClientRect());
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(x, y, caption);
    canvas->Font()->SetOrientation(0);
}
