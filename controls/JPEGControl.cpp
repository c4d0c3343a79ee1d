// The JPEG view.
#include "controls/JPEGControl.h"

#include "platform/Graphics.h"

#include <cstdint>

namespace {

// Limit × numerator / denominator, truncated toward zero: the other side of a
// picture scaled down to Limit, computed exactly so that 200 × 300 / 400 is 150.
// Limit is below denominator, so the result is below numerator.
int scaledSide(int limit, int numerator, int denominator)
{
    return static_cast<int>(int64_t(limit) * numerator / denominator);
}

}  // namespace

TJPEGControl::TJPEGControl(TComponent* AOwner)
    : TCustomControl(AOwner), FPicture(std::make_unique<TJPEGImage>())
{
    SetColor(static_cast<TColor>(RGB(120, 0, 0)));
}

TJPEGControl::~TJPEGControl() = default;

void TJPEGControl::SetFile(const AnsiString& Name)
{
    if (Name == FFileName)
        return;
    if (Name.empty()) {
        clear();
        return;
    }
    // A file that fails leaves nothing shown, so that the old picture never stands
    // under the new name and the same name can be tried again.
    FFileName.clear();
    try {
        FPicture->LoadFromFile(Name);
    } catch (const EInvalidGraphic& e) {
        FPicture = std::make_unique<TJPEGImage>();
        FPictureWidth = FPictureHeight = 0;
        Invalidate();
        throw EInvalidGraphic(Sprintf("Cannot show '%s': %s", Name.c_str(), e.Message().c_str()));
    } catch (...) {
        FPicture = std::make_unique<TJPEGImage>();
        FPictureWidth = FPictureHeight = 0;
        Invalidate();
        throw;
    }
    FFileName = Name;
    FPictureWidth = FPicture->Width();
    FPictureHeight = FPicture->Height();
    Invalidate();
}

void TJPEGControl::clear()
{
    FFileName.clear();
    Invalidate();
}

void TJPEGControl::ComputeSize()
{
    if (FPictureWidth <= 0 || FPictureHeight <= 0)
        return;
    int width = FPictureWidth, height = FPictureHeight;
    if (FMinHeight == 0) {
        if (FMinWidth != 0 && FPictureWidth > FMinWidth) {
            width = FMinWidth;
            height = scaledSide(FMinWidth, FPictureHeight, FPictureWidth);
        }
    } else if (FPictureHeight > FMinHeight) {
        width = scaledSide(FMinHeight, FPictureWidth, FPictureHeight);
        height = FMinHeight;
    }
    SetBounds(Left(), Top(), width, height);
}

void TJPEGControl::SetMinWidth(int Value)
{
    if (Value < 0)
        return;
    FMinWidth = Value;
    FMinHeight = 0;
}

void TJPEGControl::SetMinHeight(int Value)
{
    if (Value < 0)
        return;
    FMinHeight = Value;
    FMinWidth = 0;
}

TColor TJPEGControl::GetColorAt(int X, int Y)
{
    if (!HandleAllocated() && !Parent())
        return clNone;
    return Canvas()->Pixels(X, Y);
}

// The whole client area takes Color first: the window does not erase its
// background, and the margin around a smaller picture would otherwise keep
// whatever was drawn there before (a larger picture shown earlier).
void TJPEGControl::Paint()
{
    TCanvas* canvas = Canvas();
    const TRect client = GetClientRect();
    if (Color() != clNone) {
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(client);
    }
    if (FFileName.empty() || FPicture->Empty())
        return;
    int x = FPictureWidth < client.Width() ? (client.Width() - FPictureWidth) / 2 : 0;
    int y = FPictureHeight < client.Height() ? (client.Height() - FPictureHeight) / 2 : 0;
    canvas->StretchDraw({x, y, x + FPictureWidth, y + FPictureHeight}, FPicture.get());
}
