// JPEG pictures decoded with libjpeg.
#pragma once

#include "platform/Graphics.h"

#include <cstddef>

class TJPEGImage : public TGraphic {
public:
    TJPEGImage() = default;
    ~TJPEGImage() override;
    AnsiString ClassName() const override { return "TJPEGImage"; }
    void Assign(TPersistent* Source) override;

    // Raises EFOpenError when the file cannot be opened, EInvalidGraphic
    // "JPEG error #<code>: <libjpeg's text>" when it cannot be decoded (also when
    // the data ends early or its pixel data is damaged), and EInvalidGraphic from
    // CheckGraphicSize (read from the header, before decoding) for a picture too
    // large; the old picture stays then.
    void LoadFromFile(const AnsiString& FileName);
    void LoadFromBuffer(const void* Data, size_t Size);

    int Width() const override;
    int Height() const override;
    cairo_surface_t* surface() const { return pixels; }  // RGB24, null while empty

protected:
    // Scaled smoothly into the rectangle.
    void Draw(TCanvas* Target, const TRect& Rect) override;

private:
    cairo_surface_t* pixels = nullptr;  // owned
};
