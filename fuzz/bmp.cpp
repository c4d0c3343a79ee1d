// BMP decoding: any bytes either raise the library's exception (the file is not valid,
// or too large) and leave the bitmap as it was, or give a picture that saves as a 24-bit BMP which reads back
// to the same pixels, and that draws, scaled and transparent, onto another bitmap.
#include "support/FuzzInput.h"

#include "platform/Bitmap.h"

#include <algorithm>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TBitmap bitmap;
    try {
        bitmap.LoadFromBuffer(data, size);
    } catch (const Exception& error) {
        // "Bitmap image is not valid", or a picture refused for its size.
        varn::fuzz::refused(error);
        FUZZ_CHECK(bitmap.Empty());
        return 0;
    }
    const int width = bitmap.Width(), height = bitmap.Height();
    FUZZ_CHECK(width > 0 && height > 0);

    const std::vector<uint8_t> saved = bitmap.SaveToBuffer();
    TBitmap copy;
    copy.LoadFromBuffer(saved.data(), saved.size());
    FUZZ_CHECK(copy.Width() == width && copy.Height() == height);
    FUZZ_CHECK(copy.PixelFormat() == pf24bit);
    // At most about 4096 pixels compared, spread over the whole picture.
    const int stepX = std::max(1, width / 64), stepY = std::max(1, height / 64);
    for (int y = 0; y < height; y += stepY)
        for (int x = 0; x < width; x += stepX)
            FUZZ_CHECK(copy.pixel(x, y) == bitmap.pixel(x, y));
    FUZZ_CHECK(bitmap.pixel(width - 1, height - 1) == copy.pixel(width - 1, height - 1));
    FUZZ_CHECK(bitmap.pixel(width, 0) == clNone && bitmap.pixel(0, -1) == clNone);

    TBitmap assigned;
    assigned.Assign(&bitmap);
    FUZZ_CHECK(assigned.Width() == width && assigned.Height() == height);
    FUZZ_CHECK(assigned.pixel(width / 2, height / 2) == bitmap.pixel(width / 2, height / 2));

    TBitmap target;
    target.SetSize(32, 24);
    target.Canvas()->StretchDraw({0, 0, 32, 24}, &bitmap);
    bitmap.SetTransparent(true);
    target.Canvas()->Draw(-3, 5, &bitmap);
    target.Canvas()->StretchDraw({30, 20, -10, 2}, &bitmap);
    return 0;
}
