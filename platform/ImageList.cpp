#include "platform/ImageList.h"

#include <algorithm>

namespace {

uint32_t* row(cairo_surface_t* s, int y) { return reinterpret_cast<uint32_t*>(SurfaceRow(s, y)); }

// Dark pixels make up the shape of a disabled image.
bool isDark(uint32_t pixel)
{
    int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    return (r * 30 + g * 59 + b * 11) / 100 < 128;
}

}  // namespace

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() { Clear(); }

void TCustomImageList::changed()
{
    if (OnChange)
        OnChange(this);
}

void TCustomImageList::SetWidth(int Value)
{
    if (Value == width || Value <= 0)
        return;
    CheckImageSize(Value, height);
    Clear();
    width = Value;
}

void TCustomImageList::SetHeight(int Value)
{
    if (Value == height || Value <= 0)
        return;
    CheckImageSize(width, Value);
    Clear();
    height = Value;
}

void TCustomImageList::Clear()
{
    for (cairo_surface_t* s : images)
        cairo_surface_destroy(s);
    bool hadImages = !images.empty();
    images.clear();
    if (hadImages)
        changed();
}

void TCustomImageList::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        return;
    cairo_surface_destroy(images[static_cast<size_t>(Index)]);
    images.erase(images.begin() + Index);
    changed();
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask) { return addPieces(Image, Mask, clNone); }

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor)
{
    if (!Image)
        return -1;
    TColor key = MaskColor == clDefault ? Image->TransparentColor() : ColorToRGB(MaskColor);
    return addPieces(Image, nullptr, key);
}

int TCustomImageList::addPieces(TBitmap* image, TBitmap* mask, TColor key)
{
    if (!image || image->Empty())
        return -1;
    cairo_surface_t* source = image->surface();
    cairo_surface_flush(source);
    if (mask)
        cairo_surface_flush(mask->surface());
    const uint32_t keyRgb = key == clNone || key == clDefault
                                ? 0xFFFFFFFFu
                                : (uint32_t(GetRValue(key)) << 16) | (uint32_t(GetGValue(key)) << 8) | GetBValue(key);
    const int pieces = std::max(1, image->Width() / width);
    const int first = Count();
    for (int piece = 0; piece < pieces; ++piece) {
        cairo_surface_t* s = nullptr;
        try {
            s = CreateImageSurface(CAIRO_FORMAT_ARGB32, width, height);
        } catch (...) {
            // Out of memory part way: the list stays as it was.
            for (size_t i = size_t(first); i < images.size(); ++i)
                cairo_surface_destroy(images[i]);
            images.resize(size_t(first));
            throw;
        }
        cairo_surface_flush(s);
        for (int y = 0; y < height; ++y) {
            uint32_t* out = row(s, y);
            for (int x = 0; x < width; ++x) {
                int sx = piece * width + x;
                uint32_t value = 0;  // outside the source: transparent
                if (sx < image->Width() && y < image->Height()) {
                    uint32_t rgb = row(source, y)[sx] & 0xFFFFFF;
                    bool clear = rgb == keyRgb;
                    if (mask && sx < mask->Width() && y < mask->Height())
                        clear = (row(mask->surface(), y)[sx] & 0xFFFFFF) != 0;
                    value = clear ? 0 : 0xFF000000u | rgb;
                }
                out[x] = value;
            }
        }
        cairo_surface_mark_dirty(s);
        images.push_back(s);
    }
    changed();
    return first;
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled)
{
    if (!Canvas || Index < 0 || Index >= Count())
        return;
    HDC dc = Canvas->Handle();
    if (!dc)
        return;
    cairo_surface_t* image = images[static_cast<size_t>(Index)];
    if (Enabled) {
        PaintSurface(dc, image, {X, Y, X + width, Y + height});
        return;
    }
    // The disabled look: the image's shape embossed in two system colours.
    cairo_surface_t* shape = CreateImageSurface(CAIRO_FORMAT_A8, width, height);
    cairo_surface_flush(shape);
    for (int y = 0; y < height; ++y) {
        const uint32_t* in = row(image, y);
        unsigned char* out = SurfaceRow(shape, y);
        for (int x = 0; x < width; ++x)
            out[x] = (in[x] >> 24) != 0 && isDark(in[x]) ? 0xFF : 0;
    }
    cairo_surface_mark_dirty(shape);
    cairo_t* cr = dc->cr;
    auto emboss = [&](int dx, int dy, COLORREF color) {
        cairo_save(cr);
        cairo_rectangle(cr, X + dx, Y + dy, width, height);
        cairo_clip(cr);
        cairo_set_source_rgb(cr, GetRValue(color) / 255.0, GetGValue(color) / 255.0, GetBValue(color) / 255.0);
        cairo_mask_surface(cr, shape, X + dx, Y + dy);
        cairo_restore(cr);
    };
    emboss(1, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    emboss(0, 0, GetSysColor(COLOR_BTNSHADOW));
    cairo_surface_destroy(shape);
}

bool TCustomImageList::GetBitmap(int Index, TBitmap* Image)
{
    if (!Image || Index < 0 || Index >= Count())
        return false;
    Image->SetSize(width, height);
    TCanvas* canvas = Image->Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect({0, 0, width, height});
    PaintSurface(canvas->Handle(), images[static_cast<size_t>(Index)], {0, 0, width, height});
    return true;
}
