// What the edit box draws on top of its field: the frame, the drop-down button
// with its triangle, the date navigator's boxes and arrows, the memo's scroll bar,
// and the caption label on the parent.
#include "edit/VarnEditInterior.h"

#include "controls/VarnScroll.h"
#include "platform/Bitmap.h"
#include "platform/win/Gdi.h"

namespace {

const TColor hotColour = RGB(183, 183, 255);
const TColor buttonColour = RGB(235, 235, 235);

// A 3 x 5 arrow, black on a transparent white ground; rows as strings, 'X' black.
TBitmap* makeArrow(const char* const rows[5])
{
    auto* bitmap = new TBitmap;  // shared by every box for the rest of the program
    bitmap->SetSize(3, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x)
            bitmap->Canvas()->SetPixels(x, y, rows[y][x] == 'X' ? clBlack : clWhite);
    bitmap->SetTransparentColor(clWhite);
    bitmap->SetTransparent(true);
    return bitmap;
}

TBitmap* rightArrow()
{
    static const char* const rows[5] = {"X..", "XX.", "XXX", "XX.", "X.."};
    static TBitmap* bitmap = makeArrow(rows);
    return bitmap;
}

TBitmap* leftArrow()
{
    static const char* const rows[5] = {"..X", ".XX", "XXX", ".XX", "..X"};
    static TBitmap* bitmap = makeArrow(rows);
    return bitmap;
}

}  // namespace

TColor TVarnEdit::frameColour() const
{
    if (FFocused)
        return clBlue;
    if (FMouseInside)
        return hotColour;
    if (ShowFrame)
        return clGray;
    return clWindow;
}

void TVarnEdit::onPaint(TMessage& Message)
{
    DefaultHandler(Message);  // the field paints its text first
    PaintSpecial();
}

void TVarnEdit::PaintSpecial()
{
    if (!FHandle)
        return;
    TCanvas* canvas = FCanvas.get();
    const int w = ClientWidth();
    const int h = ClientHeight();
    if (ComponentState().Contains(csDesigning)) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(FColor);
        TRect inside{1, 1, w - 1, h - 1};
        canvas->FillRect(inside);
        canvas->SetFont(FFont.get());
        DrawText(canvas->Handle(), Name().c_str(), -1, &inside, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }

    const TColor frame = frameColour();
    canvas->Pen()->SetColor(frame);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(0, 0, w, h);

    if (Mode == sEditMemo && FScrollBar->Visible())
        PaintControls(canvas->Handle(), FScrollBar);

    if (IsCombo() && !ReadOnly) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(FMouseInside ? hotColour : buttonColour);
        canvas->Rectangle(w - 16, 0, w, h);
        // The triangle: rows 8, 6, 4 and 2 pixels wide (a line leaves out its end pixel).
        canvas->Pen()->SetColor(clBlack);
        const int x = (w - 16) + 16 / 2;
        int y = h / 2 - 2;
        for (int i = 4; i >= 0; --i, ++y) {
            canvas->MoveTo(x - i, y);
            canvas->LineTo(x + i, y);
        }
        if (Mode == sEditDate && DateNavigator) {
            canvas->Pen()->SetColor(frame);
            canvas->Rectangle(w - 24, 0, w - 15, h);
            canvas->Draw(w - 22, 6, rightArrow());
            canvas->Rectangle(w - 32, 0, w - 23, h);
            canvas->Draw(w - 29, 6, leftArrow());
        }
    }
    FCanvas->FreeHandle();

    if (!Label.empty())
        printLabel();
}

void TVarnEdit::printLabel()
{
    if (!FVisible || !FParent || !FParent->HandleAllocated())
        return;
    TControlCanvas canvas;
    canvas.SetControl(FParent);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(FParent->Color());
    canvas.SetFont(FParent->Font());
    canvas.Font()->SetColor(LabelColor);
    TRect measured{0, 0, 0, 0};
    DrawText(canvas.Handle(), Label.c_str(), -1, &measured, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    TRect place{FLeft - 4 - measured.Width(), FTop, FLeft - 4, FTop + FHeight};
    DrawText(canvas.Handle(), Label.c_str(), -1, &place, DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    canvas.FreeHandle();
}
