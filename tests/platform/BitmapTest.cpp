// Bitmaps (BMP reading, transparency, export), image lists and JPEG images.
#include "platform/Bitmap.h"
#include "platform/ImageList.h"
#include "platform/JpegImage.h"
#include "support/JpegWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>


namespace {

void put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A BMP file image with a 40-byte header. rows are given top row first, as
// raw bytes of each row without padding; topDown stores them that way.
std::vector<uint8_t> makeBmp(int width, int bits, const std::vector<uint32_t>& palette,
                             const std::vector<std::vector<uint8_t>>& rows, bool topDown = false)
{
    const int height = static_cast<int>(rows.size());
    const size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
    const uint32_t offBits = 14 + 40 + 4 * uint32_t(palette.size());
    std::vector<uint8_t> out = {'B', 'M'};
    put(out, offBits + uint32_t(stride * height), 4);
    put(out, 0, 4);
    put(out, offBits, 4);
    put(out, 40, 4);
    put(out, uint32_t(width), 4);
    put(out, uint32_t(topDown ? -height : height), 4);
    put(out, 1, 2);
    put(out, uint32_t(bits), 2);
    for (int i = 0; i < 6; ++i)
        put(out, i == 4 ? uint32_t(palette.size()) : 0, 4);
    for (uint32_t bgr : palette)
        put(out, bgr, 4);
    for (int i = 0; i < height; ++i) {
        std::vector<uint8_t> row = rows[size_t(topDown ? i : height - 1 - i)];
        row.resize(stride, 0);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// A 32-bit BMP with bit-field masks (red, green, blue) after a 40-byte header.
std::vector<uint8_t> makeBitFieldBmp(const uint32_t (&masks)[3], const std::vector<uint32_t>& pixels)
{
    const uint32_t offBits = 14 + 40 + 12;
    const uint32_t imageSize = 4 * uint32_t(pixels.size());
    std::vector<uint8_t> out = {'B', 'M'};
    put(out, offBits + imageSize, 4);
    put(out, 0, 4);
    put(out, offBits, 4);
    put(out, 40, 4);
    put(out, uint32_t(pixels.size()), 4);
    put(out, 1, 4);
    put(out, 1, 2);
    put(out, 32, 2);
    put(out, 3, 4);  // BI_BITFIELDS
    for (int i = 0; i < 5; ++i)
        put(out, i == 0 ? imageSize : 0, 4);
    for (uint32_t mask : masks)
        put(out, mask, 4);
    for (uint32_t pixel : pixels)
        put(out, pixel, 4);
    return out;
}

// A JPEG of the given size: left half red, right half blue.
std::vector<unsigned char> makeJpeg(int width, int height)
{
    std::vector<unsigned char> rgb(size_t(width * height * 3));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &rgb[size_t((y * width + x) * 3)];
            p[0] = x < width / 2 ? 255 : 0;
            p[2] = x < width / 2 ? 0 : 255;
        }
    return varn::test::compressJpeg(width, height, rgb, 95);
}

// A reproducer file kept in tests/repro. A relative __FILE__ (ccache's base
// directory) is relative to the build folder of the tests, where the program is.
std::string reproPath(const char* name)
{
    std::filesystem::path source(__FILE__);
    if (source.is_relative())
        source = std::filesystem::canonical("/proc/self/exe").parent_path() / source;
    return (source.parent_path().parent_path() / "repro" / name).lexically_normal().string();
}

// Restores the program-wide pixel limit when a test ends.
struct TPixelLimitGuard {
    int64_t saved = MaxGraphicPixels();
    ~TPixelLimitGuard() { SetMaxGraphicPixels(saved); }
};

std::string tempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / (std::string("varn-gfx-") + name)).string();
}

// A 16 x 8 bitmap: left half red, right half blue, with a green pixel at (3, 3).
void paintTwoHalves(TBitmap& bitmap)
{
    bitmap.SetSize(16, 8);
    bitmap.Canvas()->Brush()->SetColor(clRed);
    bitmap.Canvas()->FillRect({0, 0, 8, 8});
    bitmap.Canvas()->Brush()->SetColor(clBlue);
    bitmap.Canvas()->FillRect({8, 0, 16, 8});
    bitmap.Canvas()->SetPixels(3, 3, clLime);
}

}  // namespace

TEST(Bitmap, ReadsEveryBmpDepth)
{
    // Palette entries are stored blue, green, red: 0x00RRGGBB as a little-endian word.
    const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    struct Case {
        const char* name;
        int bits;
        std::vector<uint32_t> palette;
        std::vector<std::vector<uint8_t>> rows;  // 3 x 2 pixels: red green blue / blue black red
        TPixelFormat format;
    } cases[] = {
        {"1-bit", 1, {0x000000, 0xFF0000}, {{0xA0}, {0x40}}, pf1bit},  // 101 / 010 -> red black red / black red black
        {"4-bit", 4, palette, {{0x12, 0x30}, {0x30, 0x10}}, pf4bit},
        {"8-bit", 8, palette, {{1, 2, 3}, {3, 0, 1}}, pf8bit},
        {"24-bit", 24, {}, {{0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0}, {0xFF, 0, 0, 0, 0, 0, 0, 0, 0xFF}}, pf24bit},
        {"32-bit", 32, {}, {{0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0}, {0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0}}, pf32bit},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool topDown : {false, true}) {
            std::vector<uint8_t> file = makeBmp(3, c.bits, c.palette, c.rows, topDown);
            TBitmap bitmap;
            bitmap.LoadFromBuffer(file.data(), file.size());
            ASSERT_EQ(bitmap.Width(), 3);
            ASSERT_EQ(bitmap.Height(), 2);
            EXPECT_EQ(bitmap.PixelFormat(), c.format);
            if (c.bits == 1) {
                EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clRed);
                EXPECT_EQ(bitmap.Canvas()->Pixels(1, 0), clBlack);
                EXPECT_EQ(bitmap.Canvas()->Pixels(1, 1), clRed);
                continue;
            }
            EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clRed);
            EXPECT_EQ(bitmap.Canvas()->Pixels(1, 0), clLime);
            EXPECT_EQ(bitmap.Canvas()->Pixels(2, 0), clBlue);
            EXPECT_EQ(bitmap.Canvas()->Pixels(0, 1), clBlue);
            EXPECT_EQ(bitmap.Canvas()->Pixels(1, 1), clBlack);
            EXPECT_EQ(bitmap.Canvas()->Pixels(2, 1), clRed);
        }
    }

    // A written bitmap reads back the same, through a file.
    TBitmap original;
    paintTwoHalves(original);
    original.SaveToFile(tempPath("round.bmp"));
    TBitmap copy;
    copy.LoadFromFile(tempPath("round.bmp"));
    EXPECT_EQ(copy.Width(), 16);
    EXPECT_EQ(copy.pixel(3, 3), clLime);
    EXPECT_EQ(copy.pixel(15, 7), clBlue);
    std::remove(tempPath("round.bmp").c_str());
}

TEST(Bitmap, DamagedFilesRaiseAndKeepThePicture)
{
    TBitmap bitmap;
    paintTwoHalves(bitmap);
    std::vector<uint8_t> good = makeBmp(3, 8, {0, 0xFF0000}, {{1, 1, 1}, {0, 0, 0}});

    std::vector<uint8_t> truncated(good.begin(), good.end() - 3);
    std::vector<uint8_t> badMagic = good;
    badMagic[0] = 'X';
    std::vector<uint8_t> huge = good;
    huge[18] = 0xFF, huge[19] = 0xFF, huge[20] = 0xFF, huge[21] = 0x7F;  // width 2^31 - 1
    std::vector<uint8_t> runLength = good;
    runLength[30] = 1;  // BI_RLE8
    std::vector<uint8_t> shortHeader(good.begin(), good.begin() + 20);
    for (const auto& damaged : {truncated, badMagic, huge, runLength, shortHeader})
        EXPECT_THROW(bitmap.LoadFromBuffer(damaged.data(), damaged.size()), EInvalidGraphic);
    EXPECT_EQ(bitmap.Width(), 16);
    EXPECT_EQ(bitmap.pixel(3, 3), clLime);

    // Palette indexes past the palette read as black rather than past the table.
    std::vector<uint8_t> outOfPalette = makeBmp(2, 8, {0xFF0000}, {{0, 200}});
    bitmap.LoadFromBuffer(outOfPalette.data(), outOfPalette.size());
    EXPECT_EQ(bitmap.pixel(0, 0), clRed);
    EXPECT_EQ(bitmap.pixel(1, 0), clBlack);

    EXPECT_THROW(bitmap.LoadFromFile(tempPath("missing.bmp")), EFOpenError);
}

TEST(Bitmap, TransparentColourIsTheBottomLeftPixelUntilFixed)
{
    TBitmap bitmap;
    EXPECT_EQ(bitmap.TransparentColor(), clDefault);  // empty: no pixel to take
    paintTwoHalves(bitmap);
    bitmap.Canvas()->SetPixels(0, 7, clFuchsia);
    EXPECT_EQ(bitmap.TransparentMode(), tmAuto);
    EXPECT_EQ(bitmap.TransparentColor(), clFuchsia);
    bitmap.SetTransparentColor(clBlue);
    EXPECT_EQ(bitmap.TransparentMode(), tmFixed);
    EXPECT_EQ(bitmap.TransparentColor(), clBlue);
    bitmap.SetTransparentColor(clDefault);
    EXPECT_EQ(bitmap.TransparentMode(), tmAuto);
    EXPECT_EQ(bitmap.TransparentColor(), clFuchsia);

    // Growing keeps the pixels and whitens the new area.
    bitmap.SetWidth(20);
    EXPECT_EQ(bitmap.pixel(3, 3), clLime);
    EXPECT_EQ(bitmap.pixel(19, 0), clWhite);
}

TEST(Bitmap, DrawSkipsTheTransparentColourAndStretches)
{
    TBitmap glyph;
    paintTwoHalves(glyph);  // red and blue halves
    glyph.SetTransparentColor(clBlue);

    TBitmap target;
    target.SetSize(40, 20);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect({0, 0, 40, 20});
    target.Canvas()->Draw(2, 2, &glyph);
    EXPECT_EQ(target.pixel(2, 2), clRed);
    EXPECT_EQ(target.pixel(12, 2), clBlue);  // drawn while not Transparent
    glyph.SetTransparent(true);
    target.Canvas()->FillRect({0, 0, 40, 20});
    target.Canvas()->Draw(2, 2, &glyph);
    EXPECT_EQ(target.pixel(2, 2), clRed);
    EXPECT_EQ(target.pixel(5, 5), clLime);
    EXPECT_EQ(target.pixel(12, 2), clWhite);  // blue is see-through
    EXPECT_EQ(target.pixel(1, 1), clWhite);

    // StretchDraw doubles every pixel; CopyRect copies a part.
    glyph.SetTransparent(false);
    target.Canvas()->StretchDraw({0, 0, 32, 16}, &glyph);
    EXPECT_EQ(target.pixel(6, 6), clLime);
    EXPECT_EQ(target.pixel(7, 7), clLime);
    EXPECT_EQ(target.pixel(8, 6), clRed);
    EXPECT_EQ(target.pixel(16, 0), clBlue);
    EXPECT_EQ(target.pixel(32, 0), clWhite);
    target.Canvas()->CopyRect({34, 0, 36, 2}, glyph.Canvas(), {3, 3, 5, 5});
    EXPECT_EQ(target.pixel(34, 0), clLime);
    EXPECT_EQ(target.pixel(35, 1), clRed);

    // Copying within one canvas onto an overlapping place moves the pixels as a block.
    TBitmap strip;
    strip.SetSize(4, 1);
    const TColor colours[4] = {clRed, clLime, clBlue, clBlack};
    for (int x = 0; x < 4; ++x)
        strip.Canvas()->SetPixels(x, 0, colours[x]);
    strip.Canvas()->CopyRect({1, 0, 4, 1}, strip.Canvas(), {0, 0, 3, 1});
    EXPECT_EQ(strip.pixel(0, 0), clRed);
    EXPECT_EQ(strip.pixel(1, 0), clRed);
    EXPECT_EQ(strip.pixel(2, 0), clLime);
    EXPECT_EQ(strip.pixel(3, 0), clBlue);

    // PNG export carries the same pixels.
    target.SaveToPngFile(tempPath("target.png"));
    cairo_surface_t* png = cairo_image_surface_create_from_png(tempPath("target.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 40);
    auto* row = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(png) + 6 * cairo_image_surface_get_stride(png));
    EXPECT_EQ(row[6] & 0xFFFFFF, 0x00FF00u);
    cairo_surface_destroy(png);
    std::remove(tempPath("target.png").c_str());
}

TEST(ImageList, CutsStripsMasksAndDrawsEnabledOrGreyed)
{
    TImageList list;
    list.SetWidth(8);
    list.SetHeight(8);
    TBitmap strip;
    paintTwoHalves(strip);  // two 8 x 8 images: red with a green dot, blue
    strip.Canvas()->SetPixels(1, 1, clFuchsia);
    EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 0);
    EXPECT_EQ(list.Count(), 2);

    TBitmap mask;
    mask.SetSize(8, 8);
    mask.Canvas()->Brush()->SetColor(clBlack);
    mask.Canvas()->FillRect({0, 0, 8, 8});
    mask.Canvas()->SetPixels(0, 0, clWhite);  // white: transparent
    TBitmap single;
    single.SetSize(8, 8);
    single.Canvas()->Brush()->SetColor(clBlack);
    single.Canvas()->FillRect({0, 0, 8, 8});
    EXPECT_EQ(list.Add(&single, &mask), 2);

    TBitmap target;
    target.SetSize(40, 12);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect({0, 0, 40, 12});
    list.Draw(target.Canvas(), 0, 0, 0);
    list.Draw(target.Canvas(), 10, 0, 1);
    list.Draw(target.Canvas(), 20, 0, 2);
    list.Draw(target.Canvas(), 30, 0, 3);  // past the end: nothing
    list.Draw(target.Canvas(), 30, 0, -1);
    EXPECT_EQ(target.pixel(0, 0), clRed);
    EXPECT_EQ(target.pixel(1, 1), clWhite);  // masked colour
    EXPECT_EQ(target.pixel(3, 3), clLime);
    EXPECT_EQ(target.pixel(10, 0), clBlue);
    EXPECT_EQ(target.pixel(20, 0), clWhite);  // masked by the mask bitmap
    EXPECT_EQ(target.pixel(21, 1), clBlack);
    EXPECT_EQ(target.pixel(30, 0), clWhite);

    // Disabled: the dark shape in the highlight colour one pixel down-right,
    // then in the shadow colour in place; the background shows elsewhere.
    target.Canvas()->Brush()->SetColor(clRed);
    target.Canvas()->FillRect({0, 0, 40, 12});
    list.Draw(target.Canvas(), 20, 0, 2, false);
    EXPECT_EQ(target.pixel(20, 0), clRed);
    EXPECT_EQ(target.pixel(21, 1), ColorToRGB(clBtnShadow));
    EXPECT_EQ(target.pixel(28, 8), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(target.pixel(29, 8), clRed);

    // A new size empties the list.
    list.SetWidth(16);
    EXPECT_EQ(list.Count(), 0);
}

TEST(JPEGImage, LoadsMeasuresAndDrawsScaled)
{
    // A 16 x 8 JPEG: left half red, right half blue, compressed here.
    {
        std::vector<unsigned char> file = makeJpeg(16, 8);
        std::ofstream out(tempPath("picture.jpg"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }

    TJPEGImage jpeg;
    EXPECT_TRUE(jpeg.Empty());
    jpeg.LoadFromFile(tempPath("picture.jpg"));
    std::remove(tempPath("picture.jpg").c_str());
    EXPECT_EQ(jpeg.Width(), 16);
    EXPECT_EQ(jpeg.Height(), 8);

    TBitmap target;
    target.SetSize(64, 32);
    target.Canvas()->StretchDraw({0, 0, 64, 32}, &jpeg);
    TColor left = target.pixel(8, 16), right = target.pixel(56, 16);
    EXPECT_GT(GetRValue(left), 200);
    EXPECT_LT(GetBValue(left), 60);
    EXPECT_GT(GetBValue(right), 200);
    EXPECT_LT(GetRValue(right), 60);

    // Not a JPEG: an error, and the picture stays.
    const char junk[] = "no es una imagen";
    try {
        jpeg.LoadFromBuffer(junk, sizeof junk);
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message().rfind("JPEG error #", 0), 0u) << e.Message();
    }
    EXPECT_EQ(jpeg.Width(), 16);
}

TEST(JPEGImage, PicturesTooLargeToHoldRaiseAtOnceAndKeepThePicture)
{
    TJPEGImage jpeg;
    std::vector<unsigned char> small = makeJpeg(16, 8);
    jpeg.LoadFromBuffer(small.data(), small.size());
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"crash-width-40000-null-row-store.jpg",
         "Image of 40000 x 1 pixels is too large (at most 32766 pixels on a side)"},
        {"crash-30000x30000-row-offset-int-overflow.jpg",
         "Image of 30000 x 30000 pixels is too large (at most 268435456 pixels)"},
        {"slow-20000x20000-301-bytes-1.5GB.jpg",
         "Image of 20000 x 20000 pixels is too large (at most 268435456 pixels)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const auto start = std::chrono::steady_clock::now();
        try {
            jpeg.LoadFromFile(reproPath(c.file));
            ADD_FAILURE() << "no exception";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        // Refused from the header, before any pixel is decoded.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_EQ(jpeg.Width(), 16);
    }
}

TEST(Graphic, PixelLimitIsSettableAndRefusesReadPicturesOnly)
{
    TPixelLimitGuard guard;
    EXPECT_EQ(MaxGraphicPixels(), 268435456);
    std::vector<unsigned char> jpegFile = makeJpeg(16, 8);
    std::vector<uint8_t> bmpFile = makeBmp(16, 1, {0, 0xFF0000}, std::vector<std::vector<uint8_t>>(8, {0xFF, 0xFF}));

    SetMaxGraphicPixels(127);
    TJPEGImage jpeg;
    TBitmap bitmap;
    EXPECT_THROW(jpeg.LoadFromBuffer(jpegFile.data(), jpegFile.size()), EInvalidGraphic);
    try {
        bitmap.LoadFromBuffer(bmpFile.data(), bmpFile.size());
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Image of 16 x 8 pixels is too large (at most 127 pixels)");
    }
    EXPECT_TRUE(jpeg.Empty());
    EXPECT_TRUE(bitmap.Empty());

    SetMaxGraphicPixels(128);
    jpeg.LoadFromBuffer(jpegFile.data(), jpegFile.size());
    bitmap.LoadFromBuffer(bmpFile.data(), bmpFile.size());
    EXPECT_EQ(jpeg.Width(), 16);
    EXPECT_EQ(bitmap.pixel(15, 7), clRed);

    // Sizes the program sets itself are not limited by it.
    bitmap.SetSize(100, 100);
    EXPECT_EQ(bitmap.Height(), 100);
}

TEST(Bitmap, SizesBeyondWhatASurfaceHoldsRaiseAndKeepThePicture)
{
    TBitmap bitmap;
    paintTwoHalves(bitmap);
    try {
        bitmap.SetSize(40000, 1);
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphicOperation& e) {
        EXPECT_EQ(e.Message(), "Image of 40000 x 1 pixels is too large (at most 32766 pixels on a side)");
    }
    EXPECT_THROW(bitmap.SetHeight(32768), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.SetSize(32768, 32768), EInvalidGraphicOperation);
    EXPECT_EQ(bitmap.Width(), 16);
    EXPECT_EQ(bitmap.Height(), 8);
    EXPECT_EQ(bitmap.pixel(3, 3), clLime);

    EXPECT_THROW(bitmap.SetSize(32767, 2), EInvalidGraphicOperation);
    bitmap.SetSize(32766, 2);
    EXPECT_EQ(bitmap.Width(), 32766);
    EXPECT_EQ(bitmap.pixel(3, 3), clNone);  // outside the two rows
    EXPECT_EQ(bitmap.pixel(32765, 1), clWhite);
}

TEST(ImageList, SizesBeyondWhatASurfaceHoldsRaiseAndKeepTheList)
{
    TImageList list;
    list.SetWidth(8);
    list.SetHeight(8);
    TBitmap strip;
    paintTwoHalves(strip);
    list.AddMasked(&strip, clFuchsia);
    EXPECT_THROW(list.SetWidth(40000), EInvalidGraphicOperation);
    EXPECT_THROW(list.SetHeight(40000), EInvalidGraphicOperation);
    EXPECT_EQ(list.Width(), 8);
    EXPECT_EQ(list.Height(), 8);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.AddMasked(&strip, clFuchsia), 2);
}

TEST(Bitmap, BitFieldMasksReadEveryChannelWhateverTheirShape)
{
    // Green's mask is bits 0 and 8; the pixel sets bit 8, so green is 2 of 3.
    TBitmap bitmap;
    bitmap.LoadFromFile(reproPath("wrong-bitfields-green-mask-split-reads-as-red.bmp"));
    EXPECT_EQ(bitmap.pixel(0, 0), static_cast<TColor>(RGB(0, 170, 0)));

    const struct {
        const char* name;
        uint32_t masks[3];
        uint32_t pixel;
        COLORREF expected;
    } cases[] = {
        {"8 bits each", {0xFF0000, 0xFF00, 0xFF}, 0x123456, RGB(0x12, 0x34, 0x56)},
        {"10 bits each", {0x3FF00000, 0xFFC00, 0x3FF}, (1023u << 20) | (512u << 10), RGB(255, 128, 0)},
        {"1 bit each", {4, 2, 1}, 5, RGB(255, 0, 255)},
        {"no blue mask", {0xFF0000, 0xFF00, 0}, 0xFFFFFF, RGB(255, 255, 0)},
        {"split green, both bits", {0xFF0000, 0x0101, 0}, 0x0101, RGB(0, 255, 0)},
        {"split green, low bit", {0xFF0000, 0x0101, 0}, 0x0001, RGB(0, 85, 0)},
        {"split red over the top bit", {0x80000001, 0xFF00, 0xFF0000}, 0x80000000, RGB(170, 0, 0)},
        {"gaps in every mask", {0xF0F00000, 0x000F0F00, 0x000000FF}, 0xF0000F0F, RGB(240, 15, 15)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> file = makeBitFieldBmp(c.masks, {c.pixel});
        bitmap.LoadFromBuffer(file.data(), file.size());
        EXPECT_EQ(bitmap.pixel(0, 0), static_cast<TColor>(c.expected));
    }
}

// Needs about 4 GB: run with VARN_LARGE_IMAGE_TESTS=1 in the environment.
TEST(Bitmap, RowsPastTwoGigabytesOfPixelsAreAddressedRight)
{
    if (!std::getenv("VARN_LARGE_IMAGE_TESTS"))
        GTEST_SKIP() << "set VARN_LARGE_IMAGE_TESTS=1 to run (about 4 GB of memory)";
    TPixelLimitGuard guard;
    SetMaxGraphicPixels(int64_t(1) << 30);
    // A 32766 x 16500 1-bit BMP: its last row lies past 2^31 bytes of pixels.
    const int width = 32766, height = 16500;
    std::vector<std::vector<uint8_t>> rows(height, std::vector<uint8_t>((width + 7) / 8, 0));
    rows.front()[0] = 0x80;                   // (0, 0)
    rows.back()[(width - 1) / 8] = 0x80 >> ((width - 1) % 8);  // (32765, 16499)
    std::vector<uint8_t> file = makeBmp(width, 1, {0x000000, 0xFF0000}, rows);
    rows.clear();
    TBitmap bitmap;
    bitmap.LoadFromBuffer(file.data(), file.size());
    file.clear();
    file.shrink_to_fit();
    EXPECT_EQ(bitmap.pixel(0, 0), clRed);
    EXPECT_EQ(bitmap.pixel(width - 1, height - 1), clRed);
    EXPECT_EQ(bitmap.pixel(width - 2, height - 1), clBlack);

    // Written bottom row first, each row padded to 98,300 bytes.
    std::vector<uint8_t> saved = bitmap.SaveToBuffer();
    const size_t stride = 98300;
    ASSERT_EQ(saved.size(), 54 + stride * height);
    const size_t last = 54 + size_t(width - 1) * 3;
    EXPECT_EQ(saved[last + 2], 0xFF);  // red of (32765, 16499)
    EXPECT_EQ(saved[54 + stride * (height - 1) + 2], 0xFF);  // red of (0, 0)
    EXPECT_EQ(saved[54 + stride * (height - 1) + 5], 0x00);
}
