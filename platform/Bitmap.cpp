#include "platform/Bitmap.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cinttypes>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

const char* const invalidBitmap = "Bitmap image is not valid";

uint32_t readLe(const uint8_t* p, int bytes)
{
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

void writeLe(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// One colour channel held in a bit-field mask, scaled to 8 bits. The mask's set
// bits, low to high, make the channel's value, so a mask with gaps reads as one
// of as many bits and never spills into the next channel.
struct TChannel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    bool contiguous = true;

    explicit TChannel(uint32_t m) : mask(m)
    {
        if (!m)
            return;
        shift = std::countr_zero(m);
        bits = std::popcount(m);
        contiguous = bits == 32 - shift - std::countl_zero(m);
    }
    uint32_t value(uint32_t pixel) const
    {
        if (!bits)
            return 0;
        uint32_t v = 0;
        if (contiguous) {
            v = (pixel & mask) >> shift;
        } else {
            int bit = 0;
            for (uint32_t m = mask; m; m &= m - 1, ++bit)
                if (pixel & m & -m)
                    v |= 1u << bit;
        }
        uint32_t max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
        return static_cast<uint32_t>((uint64_t(v) * 255 + max / 2) / max);
    }
};

std::atomic<int64_t> maxGraphicPixels{268435456};

AnsiString tooLarge(int64_t width, int64_t height, const AnsiString& limit)
{
    return Sprintf("Image of %" PRId64 " x %" PRId64 " pixels is too large (at most %s)", width, height,
                   limit.c_str());
}

AnsiString sideLimit() { return Sprintf("%d pixels on a side", MaxImageSide); }

cairo_surface_t* newSurface(int width, int height)
{
    cairo_surface_t* s = CreateImageSurface(CAIRO_FORMAT_RGB24, width, height);
    if (width > 0 && height > 0) {
        cairo_t* cr = cairo_create(s);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    return s;
}

// Decodes a BMP file image into a new RGB24 surface. Every offset and size is
// checked against the data, so a damaged file raises rather than reads past it.
cairo_surface_t* decodeBmp(const uint8_t* data, size_t size, TPixelFormat& format)
{
    if (size < 26 || data[0] != 'B' || data[1] != 'M')
        throw EInvalidGraphic(invalidBitmap);
    const uint32_t offBits = readLe(data + 10, 4);
    const uint32_t headerSize = readLe(data + 14, 4);
    if (headerSize < 12 || 14 + uint64_t(headerSize) > size)
        throw EInvalidGraphic(invalidBitmap);
    const uint8_t* h = data + 14;
    const bool core = headerSize < 40;
    int64_t width, height;
    int bitCount;
    uint32_t compression = 0, colorsUsed = 0;
    if (core) {
        width = static_cast<int16_t>(readLe(h + 4, 2));
        height = static_cast<int16_t>(readLe(h + 6, 2));
        bitCount = static_cast<int>(readLe(h + 10, 2));
    } else {
        width = static_cast<int32_t>(readLe(h + 4, 4));
        height = static_cast<int32_t>(readLe(h + 8, 4));
        bitCount = static_cast<int>(readLe(h + 14, 2));
        compression = readLe(h + 16, 4);
        colorsUsed = readLe(h + 32, 4);
    }
    const bool topDown = height < 0;
    height = height < 0 ? -height : height;
    if (width <= 0 || height <= 0)
        throw EInvalidGraphic(invalidBitmap);
    CheckGraphicSize(width, height);

    // Bit-field masks: inside a V2+ header, or just after a 40-byte header.
    uint32_t masks[3] = {0, 0, 0};
    size_t paletteOffset = 14 + headerSize;
    if (compression == 3 || compression == 6) {
        if (bitCount != 16 && bitCount != 32)
            throw EInvalidGraphic(invalidBitmap);
        size_t at = headerSize >= 52 ? 14 + 40 : 14 + headerSize;
        if (at + 12 > size)
            throw EInvalidGraphic(invalidBitmap);
        for (int i = 0; i < 3; ++i)
            masks[i] = readLe(data + at + 4 * i, 4);
        if (headerSize == 40)
            paletteOffset += compression == 6 ? 16 : 12;
    } else if (compression != 0) {
        // FIXME: run-length encoded bitmaps are not read.
        throw EInvalidGraphic(invalidBitmap);
    } else if (bitCount == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bitCount == 32) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }

    switch (bitCount) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16: format = masks[1] == 0x07E0 ? pf16bit : pf15bit; break;
    case 24: format = pf24bit; break;
    case 32: format = pf32bit; break;
    default: throw EInvalidGraphic(invalidBitmap);
    }

    std::vector<uint32_t> palette;
    if (bitCount <= 8) {
        size_t entries = colorsUsed ? std::min<size_t>(colorsUsed, 256) : size_t(1) << bitCount;
        size_t entrySize = core ? 3 : 4;
        if (paletteOffset + entries * entrySize > size)
            throw EInvalidGraphic(invalidBitmap);
        for (size_t i = 0; i < entries; ++i) {
            const uint8_t* e = data + paletteOffset + i * entrySize;
            palette.push_back((uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0]);
        }
        paletteOffset += entries * entrySize;
    }

    const size_t stride = ((size_t(width) * bitCount + 31) / 32) * 4;
    const size_t pixelOffset = offBits >= 14 + headerSize && offBits < size ? offBits : paletteOffset;
    if (pixelOffset + stride * size_t(height) > size)
        throw EInvalidGraphic(invalidBitmap);

    cairo_surface_t* surface = CreateImageSurface(CAIRO_FORMAT_RGB24, int(width), int(height));
    cairo_surface_flush(surface);
    const TChannel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (int64_t row = 0; row < height; ++row) {
        const uint8_t* in = data + pixelOffset + stride * size_t(topDown ? row : height - 1 - row);
        auto* dest = reinterpret_cast<uint32_t*>(SurfaceRow(surface, int(row)));
        for (int64_t x = 0; x < width; ++x) {
            uint32_t rgb = 0;
            if (bitCount <= 8) {
                size_t bit = size_t(x) * bitCount;
                unsigned index = (in[bit / 8] >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
                rgb = index < palette.size() ? palette[index] : 0;  // out-of-palette indexes read as black
            } else if (bitCount == 24) {
                const uint8_t* p = in + x * 3;
                rgb = (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            } else {
                uint32_t v = readLe(in + x * (bitCount / 8), bitCount / 8);
                rgb = (red.value(v) << 16) | (green.value(v) << 8) | blue.value(v);
            }
            dest[x] = 0xFF000000u | rgb;
        }
    }
    cairo_surface_mark_dirty(surface);
    return surface;
}

std::vector<uint8_t> readFile(const AnsiString& fileName)
{
    std::ifstream in(AnsiToUtf8(fileName), std::ios::binary);
    if (!in)
        throw EFOpenError(Sprintf("Cannot open file \"%s\". No such file or directory", fileName.c_str()));
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// ---- Sizes and surface helpers ---------------------------------------------------

int64_t MaxGraphicPixels() { return maxGraphicPixels; }
void SetMaxGraphicPixels(int64_t Value) { maxGraphicPixels = Value; }

void CheckGraphicSize(int64_t Width, int64_t Height)
{
    if (Width > MaxImageSide || Height > MaxImageSide)
        throw EInvalidGraphic(tooLarge(Width, Height, sideLimit()));
    const int64_t limit = MaxGraphicPixels();
    if (Width * Height > limit)
        throw EInvalidGraphic(tooLarge(Width, Height, Sprintf("%" PRId64 " pixels", limit)));
}

void CheckImageSize(int64_t Width, int64_t Height)
{
    if (Width > MaxImageSide || Height > MaxImageSide)
        throw EInvalidGraphicOperation(tooLarge(Width, Height, sideLimit()));
}

cairo_surface_t* CreateImageSurface(cairo_format_t Format, int Width, int Height)
{
    Width = std::max(0, Width);
    Height = std::max(0, Height);
    CheckImageSize(Width, Height);
    cairo_surface_t* s = cairo_image_surface_create(Format, Width, Height);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        throw EInvalidGraphicOperation(Sprintf("Not enough memory for an image of %d x %d pixels", Width, Height));
    }
    return s;
}

unsigned char* SurfaceRow(cairo_surface_t* Surface, int y)
{
    return cairo_image_surface_get_data(Surface) + ptrdiff_t(y) * cairo_image_surface_get_stride(Surface);
}

cairo_surface_t* MaskedSurface(cairo_surface_t* source, TColor transparentColor)
{
    int w = cairo_image_surface_get_width(source), h = cairo_image_surface_get_height(source);
    cairo_surface_t* masked = CreateImageSurface(CAIRO_FORMAT_ARGB32, w, h);
    cairo_surface_flush(source);
    cairo_surface_flush(masked);
    const uint32_t key = (uint32_t(GetRValue(transparentColor)) << 16) | (uint32_t(GetGValue(transparentColor)) << 8) |
                         GetBValue(transparentColor);
    for (int y = 0; y < h; ++y) {
        auto* s = reinterpret_cast<const uint32_t*>(SurfaceRow(source, y));
        auto* d = reinterpret_cast<uint32_t*>(SurfaceRow(masked, y));
        for (int x = 0; x < w; ++x) {
            uint32_t rgb = s[x] & 0xFFFFFF;
            d[x] = rgb == key ? 0 : 0xFF000000u | rgb;
        }
    }
    cairo_surface_mark_dirty(masked);
    return masked;
}

void PaintSurface(HDC dc, cairo_surface_t* source, const TRect& rect)
{
    int w = cairo_image_surface_get_width(source), h = cairo_image_surface_get_height(source);
    if (w <= 0 || h <= 0 || rect.Width() == 0 || rect.Height() == 0)
        return;
    cairo_t* cr = dc->cr;
    cairo_save(cr);
    cairo_rectangle(cr, std::min(rect.left, rect.right), std::min(rect.top, rect.bottom), std::abs(rect.Width()),
                    std::abs(rect.Height()));
    cairo_clip(cr);
    cairo_translate(cr, rect.left, rect.top);
    cairo_scale(cr, double(rect.Width()) / w, double(rect.Height()) / h);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
}

bool SaveSurfaceToPngFile(cairo_surface_t* surface, const AnsiString& FileName)
{
    return cairo_surface_write_to_png(surface, AnsiToUtf8(FileName).c_str()) == CAIRO_STATUS_SUCCESS;
}

// ---- TBitmap -------------------------------------------------------------------

TBitmap::TBitmap() : canvas(std::make_unique<TCanvas>())
{
    replacePixels(newSurface(0, 0));
}

TBitmap::~TBitmap()
{
    canvas->SetHandle(nullptr);
    DeleteDC(dc);
    cairo_surface_destroy(pixels);
}

void TBitmap::replacePixels(cairo_surface_t* surface)
{
    canvas->SetHandle(nullptr);
    if (dc)
        DeleteDC(dc);
    if (pixels)
        cairo_surface_destroy(pixels);
    pixels = surface;
    dc = CreateSurfaceDC(pixels);
    canvas->SetHandle(dc);
}

int TBitmap::Width() const { return cairo_image_surface_get_width(pixels); }
int TBitmap::Height() const { return cairo_image_surface_get_height(pixels); }

void TBitmap::SetSize(int NewWidth, int NewHeight)
{
    NewWidth = std::max(0, NewWidth);
    NewHeight = std::max(0, NewHeight);
    if (NewWidth == Width() && NewHeight == Height())
        return;
    cairo_surface_t* resized = newSurface(NewWidth, NewHeight);  // raises before the pixels are replaced
    if (NewWidth > 0 && NewHeight > 0 && !Empty()) {
        cairo_t* cr = cairo_create(resized);
        cairo_set_source_surface(cr, pixels, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    replacePixels(resized);
}

void TBitmap::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TBitmap*>(Source);
    if (!other) {
        TGraphic::Assign(Source);
        return;
    }
    if (other == this)
        return;
    cairo_surface_t* copy = newSurface(other->Width(), other->Height());
    if (!other->Empty()) {
        cairo_surface_flush(other->pixels);
        cairo_t* cr = cairo_create(copy);
        cairo_set_source_surface(cr, other->pixels, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    replacePixels(copy);
    pixelFormat = other->pixelFormat;
    transparent = other->transparent;
    transparentColor = other->transparentColor;
    transparentMode = other->transparentMode;
}

void TBitmap::LoadFromFile(const AnsiString& FileName)
{
    std::vector<uint8_t> data = readFile(FileName);
    LoadFromBuffer(data.data(), data.size());
}

void TBitmap::LoadFromBuffer(const void* Data, size_t Size)
{
    TPixelFormat format = pfDevice;
    cairo_surface_t* decoded = decodeBmp(static_cast<const uint8_t*>(Data), Size, format);
    replacePixels(decoded);
    pixelFormat = format;
}

std::vector<uint8_t> TBitmap::SaveToBuffer() const
{
    const int w = Width(), h = Height();
    // At most 32767 x 32767 pixels: about 3.2 GB, which the 32-bit size fields still hold.
    const uint32_t stride = ((uint32_t(w) * 24 + 31) / 32) * 4;
    const uint32_t imageSize = stride * uint32_t(h);
    std::vector<uint8_t> out;
    out.reserve(54 + imageSize);
    out.push_back('B');
    out.push_back('M');
    writeLe(out, 54 + imageSize, 4);
    writeLe(out, 0, 4);
    writeLe(out, 54, 4);
    writeLe(out, 40, 4);
    writeLe(out, uint32_t(w), 4);
    writeLe(out, uint32_t(h), 4);
    writeLe(out, 1, 2);
    writeLe(out, 24, 2);
    writeLe(out, 0, 4);
    writeLe(out, imageSize, 4);
    writeLe(out, 3780, 4);  // 96 pixels per inch
    writeLe(out, 3780, 4);
    writeLe(out, 0, 4);
    writeLe(out, 0, 4);
    cairo_surface_flush(pixels);
    for (int row = h - 1; row >= 0; --row) {
        auto* in = reinterpret_cast<const uint32_t*>(SurfaceRow(pixels, row));
        for (int x = 0; x < w; ++x) {
            out.push_back(static_cast<uint8_t>(in[x]));
            out.push_back(static_cast<uint8_t>(in[x] >> 8));
            out.push_back(static_cast<uint8_t>(in[x] >> 16));
        }
        for (uint32_t pad = uint32_t(w) * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

void TBitmap::SaveToFile(const AnsiString& FileName) const
{
    std::vector<uint8_t> data = SaveToBuffer();
    std::ofstream out(AnsiToUtf8(FileName), std::ios::binary);
    if (!out)
        throw EFOpenError(Sprintf("Cannot create file \"%s\"", FileName.c_str()));
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void TBitmap::SaveToPngFile(const AnsiString& FileName) const
{
    if (!SaveSurfaceToPngFile(pixels, FileName))
        throw EFOpenError(Sprintf("Cannot create file \"%s\"", FileName.c_str()));
}

TColor TBitmap::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        return clNone;
    cairo_surface_flush(pixels);
    auto* row = reinterpret_cast<const uint32_t*>(SurfaceRow(pixels, y));
    uint32_t p = row[x];
    return static_cast<TColor>(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
}

TColor TBitmap::TransparentColor() const
{
    if (transparentMode == tmFixed && transparentColor != clDefault)
        return transparentColor;
    // An empty bitmap has no bottom-left pixel to take.
    if (Empty())
        return clDefault;
    return pixel(0, Height() - 1);
}

void TBitmap::SetTransparentColor(TColor Value)
{
    transparentColor = Value;
    transparentMode = Value == clDefault ? tmAuto : tmFixed;
}

void TBitmap::Draw(TCanvas* Target, const TRect& Rect)
{
    HDC target = Target->Handle();
    if (!target || Empty())
        return;
    cairo_surface_flush(pixels);
    TColor key = TransparentColor();
    if (transparent && key != clDefault && key != clNone) {
        cairo_surface_t* masked = MaskedSurface(pixels, ColorToRGB(key));
        PaintSurface(target, masked, Rect);
        cairo_surface_destroy(masked);
    } else {
        PaintSurface(target, pixels, Rect);
    }
}
