#include "controls/VarnButton.h"

#include "platform/Forms.h"
#include "platform/Streaming.h"
#include "platform/win/Gdi.h"

#include <algorithm>

namespace {

constexpr TColor buttonBlue = clBlue;
constexpr TColor hoverFill = 0xFFB7B7;  // RGB 183, 183, 255

}  // namespace

TVarnButton::TVarnButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>()), normalImage(std::make_unique<TBitmap>()),
      disabledImage(std::make_unique<TBitmap>()),
      FColors{buttonBlue, hoverFill, clBlack, clNone, clNone}
{
    FParentColor = true;  // Color is not published: the button takes its parent's
    SetCursor(crHandPoint);
    SetBounds(Left(), Top(), 20, 20);
}

TVarnButton::~TVarnButton() = default;

void TVarnButton::setText(const AnsiString& Value) { SetText(Value); }

void TVarnButton::SetText(const AnsiString& Value)
{
    if (Value == GetText())
        return;
    TGraphicControl::SetText(Value);
    Invalidate();
}

void TVarnButton::invalidateImages()
{
    normalImage->SetSize(0, 0);
    disabledImage->SetSize(0, 0);
    rebuildImages = true;
    Invalidate();
}

void TVarnButton::setGlyph(TBitmap* Value)
{
    if (Value)
        FGlyph->Assign(Value);
    else
        FGlyph->SetSize(0, 0);
    invalidateImages();
}

void TVarnButton::setGlyphCount(int Value)
{
    FGlyphCount = Value;
    invalidateImages();
}

void TVarnButton::setAlignment(TAlignment Value)
{
    if (FAlignment == Value)
        return;
    FAlignment = Value;
    Invalidate();
}

void TVarnButton::setWrapText(bool Value)
{
    if (FWrapText == Value)
        return;
    FWrapText = Value;
    Invalidate();
}

void TVarnButton::setMode(TVarnButtonMode Value)
{
    if (FMode == Value)
        return;
    FMode = Value;
    Invalidate();
}

void TVarnButton::setTextStyles(TFontStyles Value)
{
    if (FTextStyles == Value)
        return;
    FTextStyles = Value;
    Invalidate();
}

TColor TVarnButton::getColors(int Index) const { return Index >= 0 && Index <= 4 ? FColors[Index] : clNone; }

void TVarnButton::setColors(int Index, TColor Value)
{
    if (Index < 0 || Index > 4 || FColors[Index] == Value)
        return;
    FColors[Index] = Value;
    Invalidate();
}

// The glyph goes through the component text reader, as a stored form would set it.
void TVarnButton::ApplyStdImage(TVarnButtonStdImages Image)
{
    const AnsiString text = AnsiString("object XXXX : TVarnButton\r\nGlyph.Data = {") +
                            VarnButtonStdImageData(Image) + "}\r\nend\r\n";
    const AnsiString name = Name();
    try {
        CheckComponentText(text);
    } catch (const Exception&) {
        Application->MessageBox("Streaming error.", Application->Title, MB_OK);
    }
    try {
        ReadComponentText(text, this);
    } catch (...) {
    }
    setGlyphCount(2);
    if (Name() != name)
        try {
            SetName(name);
        } catch (const Exception&) {
        }
}

void TVarnButton::buildWorkingBmps()
{
    if (!rebuildImages)
        return;
    rebuildImages = false;
    if (FGlyphCount <= 0)
        return;
    FGlyph->SetTransparent(true);
    const int w = FGlyph->Width() / FGlyphCount;
    const int h = FGlyph->Height();
    auto cut = [&](TBitmap* image, int left) {
        image->SetSize(w, h);
        image->SetPixelFormat(FGlyph->PixelFormat());
        image->SetTransparent(true);
        image->SetTransparentMode(FGlyph->TransparentMode());
        if (FGlyph->TransparentMode() == tmFixed)
            image->SetTransparentColor(FGlyph->TransparentColor());
        if (w > 0 && h > 0)
            image->Canvas()->CopyRect(Rect(0, 0, w, h), FGlyph->Canvas(), Rect(left, 0, left + w, h));
    };
    cut(normalImage.get(), 0);
    if (FGlyphCount >= 2)
        cut(disabledImage.get(), w);
}

void TVarnButton::Loaded()
{
    TGraphicControl::Loaded();
    rebuildImages = true;  // the glyph may have been read in place
}

// ---- Mouse ----------------------------------------------------------------------------
// The handlers end the messages: the framework's own mouse events do not fire.

void TVarnButton::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(Message); break;
    case WM_LBUTTONUP: WMLButtonUp(Message); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClick(Message); break;
    case WM_MOUSEMOVE: WMMouseMove(Message); break;
    default: TGraphicControl::Dispatch(Message);
    }
}

void TVarnButton::CMMouseEnter(TMessage& Message)
{
    Message.Result = 0;
    hot = true;
    Repaint();
}

void TVarnButton::CMMouseLeave(TMessage& Message)
{
    Message.Result = 0;
    hot = false;
    pressed = false;
    Invalidate();
}

void TVarnButton::WMLButtonDown(TMessage& Message)
{
    Message.Result = 0;
    if (Enabled() && hot) {
        pressed = true;
        Invalidate();
    }
}

void TVarnButton::WMMouseMove(TMessage& Message) { Message.Result = 0; }

void TVarnButton::WMLButtonDblClick(TMessage& Message) { Message.Result = 0; }

void TVarnButton::WMLButtonUp(TMessage& Message)
{
    Message.Result = 0;
    if (!Enabled() || !pressed)
        return;
    if (hot && OnClick) {
        try {
            OnClick(this);
        } catch (const char* text) {
            Application->MessageBox(text, "Tilulo", MB_OK);
        }
    }
    pressed = false;
    TPoint cursor;
    GetCursorPos(&cursor);
    if (Parent())
        cursor = ScreenToClient(cursor);
    const TRect client = GetClientRect();
    hot = cursor.x >= client.left && cursor.x < client.right && cursor.y >= client.top && cursor.y < client.bottom;
    Repaint();
}

// ---- Painting -------------------------------------------------------------------------

unsigned TVarnButton::textFormat() const
{
    unsigned format = DT_NOPREFIX;
    switch (FAlignment) {
    case taLeftJustify: format |= DT_LEFT; break;
    case taRightJustify: format |= DT_RIGHT; break;
    case taCenter: format |= DT_CENTER; break;
    }
    if (FWrapText)
        format |= DT_WORDBREAK;
    return format;
}

void TVarnButton::paintFrame(TCanvas* canvas, bool frame, bool pressedLook)
{
    const int W = Width();
    const int H = Height();
    const int m = std::min(W, H);
    TRect r{0, 0, W, H};
    if (frame) {
        switch (FMode) {
        case sbmFlat: canvas->Rectangle(r); break;
        case sbmSoft: DrawEdge(canvas->Handle(), &r, BDR_RAISEDINNER, BF_RECT); break;
        case sbmRound:
            canvas->Pen()->SetColor(clGray);
            canvas->RoundRect(1, 1, W, H, m / 2, m / 2);
            canvas->Pen()->SetColor(clBlue);
            canvas->RoundRect(0, 0, W - 1, H - 1, m / 2, m / 2);
            break;
        }
    } else if (pressedLook) {
        switch (FMode) {
        case sbmFlat: canvas->Rectangle(r); break;
        case sbmSoft: DrawEdge(canvas->Handle(), &r, BDR_SUNKENOUTER, BF_RECT); break;
        case sbmRound:
            canvas->Pen()->SetColor(clGray);
            canvas->RoundRect(1, 1, W, H, m / 2, m / 2);
            canvas->Brush()->SetStyle(bsClear);
            canvas->Pen()->SetColor(clBlue);
            canvas->RoundRect(0, 0, W, H, m / 2, m / 2);
            break;
        }
    }
}

void TVarnButton::paintText(TCanvas* canvas, int x, int y)
{
    const AnsiString text = Text();
    const int W = Width();
    const int H = Height();
    canvas->Brush()->SetStyle(bsClear);
    TRect r{x, y, W - 2, H - 2};
    if (Enabled()) {
        DrawText(canvas->Handle(), text.c_str(), -1, &r, textFormat());
        return;
    }
    canvas->Font()->SetColor(clWhite);
    TRect shadow{x + 1, y + 1, W - 2, H - 2};
    DrawText(canvas->Handle(), text.c_str(), -1, &shadow, textFormat());
    canvas->Font()->SetColor(clGray);
    DrawText(canvas->Handle(), text.c_str(), -1, &r, textFormat());
}

void TVarnButton::Paint()
{
    TCanvas* canvas = Canvas();
    const int W = Width();
    const int H = Height();
    canvas->SetFont(Font());
    canvas->Font()->SetColor(ColorText());
    canvas->Font()->SetStyle(FTextStyles);
    canvas->Pen()->SetColor(ColorFrame());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(Rect(0, 0, W, H));

    if (hot && Enabled()) {
        canvas->Brush()->SetColor(ColorBack());
        if (ColorTextActive() != clNone)
            canvas->Font()->SetColor(ColorTextActive());
    }

    bool frame = true;
    bool pressedLook = false;
    if (!designing()) {
        pressedLook = pressed && hot && Enabled();
        frame = !pressedLook && Enabled();
        if (FMode == sbmFlat && frame && !pressed && !hot) {
            if (ColorFrameInactive() == clNone)
                frame = false;
            else
                canvas->Pen()->SetColor(ColorFrameInactive());
        }
    }
    paintFrame(canvas, frame, pressedLook);

    // Content origin. A GlyphCount of 0 or less draws no glyph (it would divide by zero).
    const bool hasGlyph = !FGlyph->Empty() && FGlyphCount > 0;
    const int pad = FMode == sbmRound ? 6 : 2;
    const int gw = FGlyphCount > 0 ? FGlyph->Width() / FGlyphCount : 0;
    const AnsiString text = Text();
    int x = pad;
    int y = 2;
    if (text.empty()) {
        x = std::max((W - gw) / 2, pad);
        y = std::max((H - FGlyph->Height()) / 2, 2);
    } else if (!FWrapText) {
        int th = hasGlyph ? FGlyph->Height() : 0;
        TRect measure{x, y, W - 2, H - 2};
        DrawText(canvas->Handle(), text.c_str(), -1, &measure, textFormat() | DT_CALCRECT);
        th = std::max(th, measure.Height());
        y = (H - th) / 2;
    }
    if (pressed) {
        ++x;
        ++y;
    }

    if (hasGlyph) {
        buildWorkingBmps();
        TBitmap* image = Enabled() ? normalImage.get() : disabledImage.get();
        if (!image->Empty())
            canvas->Draw(x, y, image);
        x += gw + 2;
    }
    if (!text.empty())
        paintText(canvas, x, y);
}
