// Bitmaps with their own pixels and canvas, BMP reading and writing, and a
// transparent colour.
#pragma once

#include "platform/Graphics.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TGraphic {
public:
    TBitmap();
    ~TBitmap() override;
    AnsiString ClassName() const override { return "TBitmap"; }
    void Assign(TPersistent* Source) override;

    int Width() const override;
    int Height() const override;
    // Resizing keeps the pixels at the top left; new pixels are white. A side
    // above MaxImageSide raises EInvalidGraphicOperation and keeps the bitmap.
    void SetWidth(int Value) { SetSize(Value, Height()); }
    void SetHeight(int Value) { SetSize(Width(), Value); }
    void SetSize(int NewWidth, int NewHeight);
    // The format read from a file or set; pixels are always kept as 24-bit RGB.
    TPixelFormat PixelFormat() const { return pixelFormat; }
    void SetPixelFormat(TPixelFormat Value) { pixelFormat = Value; }

    TCanvas* Canvas() { return canvas.get(); }

    // Reads a BMP file (1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed or
    // with bit fields); raises EInvalidGraphic "Bitmap image is not valid" for
    // anything else, EInvalidGraphic from CheckGraphicSize for a picture too
    // large, and EFOpenError when the file cannot be opened. A bit-field mask
    // need not be contiguous: its set bits, low to high, make the channel.
    void LoadFromFile(const AnsiString& FileName);
    void LoadFromBuffer(const void* Data, size_t Size);
    // A 24-bit BMP file image.
    std::vector<uint8_t> SaveToBuffer() const;
    void SaveToFile(const AnsiString& FileName) const;
    void SaveToPngFile(const AnsiString& FileName) const;

    bool Transparent() const override { return transparent; }
    void SetTransparent(bool Value) { transparent = Value; }
    // tmAuto: the bottom-left pixel; tmFixed: the colour set. Setting a colour
    // switches to tmFixed, setting clDefault back to tmAuto.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor Value);
    TTransparentMode TransparentMode() const { return transparentMode; }
    void SetTransparentMode(TTransparentMode Value) { transparentMode = Value; }

    // The pixels (CAIRO_FORMAT_RGB24), for image lists and export.
    cairo_surface_t* surface() const { return pixels; }
    TColor pixel(int x, int y) const;  // clNone outside the bitmap

protected:
    void Draw(TCanvas* Target, const TRect& Rect) override;

private:
    void replacePixels(cairo_surface_t* surface);

    cairo_surface_t* pixels = nullptr;  // owned
    HDC dc = nullptr;                   // owned, on pixels
    std::unique_ptr<TCanvas> canvas;
    TPixelFormat pixelFormat = pfDevice;
    bool transparent = false;
    TColor transparentColor = clDefault;
    TTransparentMode transparentMode = tmAuto;
};

class EFOpenError : public Exception { using Exception::Exception; };

// The most pixels a picture read from a file or buffer (TBitmap, TJPEGImage)
// may have. A larger picture raises EInvalidGraphic from its header, before any
// pixel memory is taken, so a tiny hostile file cannot claim gigabytes. The
// default, 268,435,456 (16,384 x 16,384, 1 GiB of pixels), holds any camera
// picture; a program reading untrusted pictures may lower it. Program-wide;
// sizes the program sets itself (SetSize, image lists) are not limited by it.
int64_t MaxGraphicPixels();
void SetMaxGraphicPixels(int64_t Value);

// The widest and tallest image an image surface holds. Cairo makes surfaces of
// 32767 but draws nothing from a translucent one that wide or tall.
constexpr int MaxImageSide = 32766;

// Raises EInvalidGraphic "Image of W x H pixels is too large (…)" when a
// picture read from data is wider or taller than MaxImageSide or has more
// pixels than MaxGraphicPixels().
void CheckGraphicSize(int64_t Width, int64_t Height);
// Raises EInvalidGraphicOperation with the same message when an image the
// program sizes is wider or taller than MaxImageSide.
void CheckImageSize(int64_t Width, int64_t Height);
// A new image surface; raises EInvalidGraphicOperation when a side is too
// large or there is not enough memory for it. Sides below 0 count as 0.
cairo_surface_t* CreateImageSurface(cairo_format_t Format, int Width, int Height);
// The first byte of row y of an image surface, computed without overflow for
// surfaces of more than 2 GiB.
unsigned char* SurfaceRow(cairo_surface_t* Surface, int y);

// A copy of surface's pixels with the pixels of colour (RGB) made fully
// transparent, for drawing with a transparent colour. The caller owns it.
cairo_surface_t* MaskedSurface(cairo_surface_t* source, TColor transparentColor);
// Paints source scaled into rect (logical coordinates of dc), nearest pixel.
void PaintSurface(HDC dc, cairo_surface_t* source, const TRect& rect);
bool SaveSurfaceToPngFile(cairo_surface_t* surface, const AnsiString& FileName);
