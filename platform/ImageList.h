// Lists of equally sized images drawn with transparency.
#pragma once

#include "platform/Bitmap.h"
#include "platform/Classes.h"

#include <vector>

class TCustomImageList : public TComponent {
public:
    explicit TCustomImageList(TComponent* AOwner = nullptr);
    ~TCustomImageList() override;
    AnsiString ClassName() const override { return "TCustomImageList"; }

    // Changing the size empties the list, as the framework does. A side above
    // MaxImageSide raises EInvalidGraphicOperation and keeps the list.
    int Width() const { return width; }
    void SetWidth(int Value);
    int Height() const { return height; }
    void SetHeight(int Value);
    int Count() const { return static_cast<int>(images.size()); }

    // Adds Image cut into Width-wide pieces (at least one); pixels where Mask
    // is white stay transparent. Returns the index of the first piece, or -1
    // for an empty image.
    int Add(TBitmap* Image, TBitmap* Mask);
    // As Add, with the pixels of MaskColor transparent (clDefault: the
    // bitmap's transparent colour).
    int AddMasked(TBitmap* Image, TColor MaskColor);
    void Delete(int Index);
    void Clear();

    // Draws image Index with its top-left corner at (X, Y). A disabled image is
    // embossed as the framework greys it: its dark pixels in clBtnHighlight one
    // pixel down and right, then in clBtnShadow in place. An index outside the
    // list draws nothing.
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    // Copies image Index onto Image, transparent pixels white; returns false
    // for an index outside the list.
    bool GetBitmap(int Index, TBitmap* Image);

    TNotifyEvent OnChange;

private:
    int addPieces(TBitmap* image, TBitmap* mask, TColor key);
    void changed();

    int width = 16;
    int height = 16;
    std::vector<cairo_surface_t*> images;  // owned, ARGB32, width x height
};

class TImageList : public TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;
    AnsiString ClassName() const override { return "TImageList"; }
};
