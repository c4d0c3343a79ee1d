// JPEG decoding: any bytes either raise the library's exception (not a JPEG, or too
// large) and leave the picture as it was, or give a picture that copies and draws, scaled, onto a bitmap.
#include "support/FuzzInput.h"

#include "platform/Bitmap.h"
#include "platform/JpegImage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TJPEGImage image;
    try {
        image.LoadFromBuffer(data, size);
    } catch (const Exception& error) {
        // A JPEG error, or a picture refused for its size.
        varn::fuzz::refused(error);
        FUZZ_CHECK(image.Empty() && !image.surface());
        return 0;
    }
    const int width = image.Width(), height = image.Height();
    FUZZ_CHECK(width > 0 && height > 0 && image.surface());

    TJPEGImage copy;
    copy.Assign(&image);
    FUZZ_CHECK(copy.Width() == width && copy.Height() == height);

    // A second, failing read keeps the picture.
    try {
        copy.LoadFromBuffer(data, size / 2);
    } catch (const Exception&) {
        FUZZ_CHECK(copy.Width() == width && copy.Height() == height);
    }

    TBitmap target;
    target.SetSize(40, 30);
    target.Canvas()->StretchDraw({0, 0, 40, 30}, &image);
    target.Canvas()->Draw(-5, -7, &image);
    target.Canvas()->StretchDraw({39, 29, 3, 1}, &image);
    return 0;
}
