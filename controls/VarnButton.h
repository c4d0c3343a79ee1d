// The graphic push button TVarnButton: a text, a glyph strip with a normal and a
// disabled image, three looks, hover highlighting, a one-pixel press offset and
// twelve built-in glyphs.
#pragma once

#include "platform/Bitmap.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/StdCtrls.h"

#include <memory>

enum TVarnButtonMode { sbmFlat, sbmSoft, sbmRound };

// The built-in glyphs. Each is a strip of two images, normal then disabled.
enum TVarnButtonStdImages {
    sbiNone, sbiCancel, sbiOk, sbiUp, sbiMinus, sbiPlus, sbiNext, sbiPrior, sbiFirst, sbiLast, sbiRefresh,
    sbiGear, sbiDropDown
};

// The stored glyph data of a built-in glyph as hexadecimal text: a 32-bit
// little-endian byte count, then a BMP file. Empty for sbiNone and unknown values.
const char* VarnButtonStdImageData(int Image);

class TVarnButton : public TGraphicControl {
public:
    explicit TVarnButton(TComponent* AOwner);
    ~TVarnButton() override;
    AnsiString ClassName() const override { return "TVarnButton"; }

    AnsiString Text() const { return GetText(); }
    void setText(const AnsiString& Value);
    void SetText(const AnsiString& Value) override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    // Copies Value; the working images are cut again at the next paint.
    void setGlyph(TBitmap* Value);
    // Images in Glyph, side by side. 0 or less draws no glyph.
    int GlyphCount() const { return FGlyphCount; }
    void setGlyphCount(int Value);

    TAlignment Alignment() const { return FAlignment; }
    void setAlignment(TAlignment Value);
    bool WrapText() const { return FWrapText; }
    void setWrapText(bool Value);
    TVarnButtonMode Mode() const { return FMode; }
    void setMode(TVarnButtonMode Value);
    TFontStyles TextStyles() const { return FTextStyles; }
    void setTextStyles(TFontStyles Value);

    // The five colours by index: 0 ColorFrame, 1 ColorBack, 2 ColorText,
    // 3 ColorFrameInactive, 4 ColorTextActive. An index above 4 is ignored.
    TColor getColors(int Index) const;
    void setColors(int Index, TColor Value);
    TColor ColorFrame() const { return FColors[0]; }
    TColor ColorBack() const { return FColors[1]; }
    TColor ColorText() const { return FColors[2]; }
    TColor ColorFrameInactive() const { return FColors[3]; }
    TColor ColorTextActive() const { return FColors[4]; }

    // Loads a built-in glyph through the component text reader; GlyphCount
    // becomes 2 and the name stays.
    void ApplyStdImage(TVarnButtonStdImages Image);
    // Cuts normalImage and disabledImage out of Glyph when they are stale.
    void buildWorkingBmps();

    bool Hot() const { return hot; }
    bool Pressed() const { return pressed; }
    TBitmap* NormalImage() const { return normalImage.get(); }
    TBitmap* DisabledImage() const { return disabledImage.get(); }

    void Dispatch(TMessage& Message) override;

protected:
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void WMLButtonDown(TMessage& Message);
    void WMMouseMove(TMessage& Message) override;
    void WMLButtonDblClick(TMessage& Message);
    void WMLButtonUp(TMessage& Message);
    void Paint() override;
    void Loaded() override;

private:
    bool designing() const { return ComponentState().Contains(csDesigning); }
    void invalidateImages();
    void paintFrame(TCanvas* canvas, bool frame, bool pressedLook);
    void paintText(TCanvas* canvas, int x, int y);
    unsigned textFormat() const;

    bool hot = false;      // the mouse is over the button
    bool pressed = false;  // the left button went down over it and is still down
    std::unique_ptr<TBitmap> FGlyph;
    int FGlyphCount = 1;
    bool rebuildImages = true;  // normalImage and disabledImage must be cut again
    std::unique_ptr<TBitmap> normalImage;    // image 1 of Glyph
    std::unique_ptr<TBitmap> disabledImage;  // image 2 of Glyph; empty with one image
    TAlignment FAlignment = taLeftJustify;
    bool FWrapText = false;
    TVarnButtonMode FMode = sbmFlat;
    TColor FColors[5];
    TFontStyles FTextStyles;
};
