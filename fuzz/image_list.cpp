// Image lists driven by the input: sizes, bitmaps with pixels from the input, added
// with masks or mask colours, deleted, drawn (enabled and embossed) and copied out.
// A model of the list's count and of a few pixels of every image checks the results.
#include "support/FuzzInput.h"

#include "platform/ImageList.h"

#include <algorithm>

namespace {

using varn::fuzz::Input;

const TColor maskColour = static_cast<TColor>(RGB(0, 128, 128));

// A bitmap of up to 64 x 16 pixels in four colours (white, black, red and the mask
// colour), so that keys match often; a mask is black and white only.
void makeBitmap(Input& input, TBitmap& bitmap, bool mask)
{
    const int width = input.range(0, 64), height = input.range(0, 16);
    bitmap.SetSize(width, height);
    const TColor palette[4] = {clWhite, clBlack, mask ? clWhite : clRed, mask ? clBlack : maskColour};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; x += 4) {
            uint8_t bits = input.byte();
            for (int k = 0; k < 4 && x + k < width; ++k)
                bitmap.Canvas()->SetPixels(x + k, y, palette[(bits >> (2 * k)) & 3]);
        }
}

// What GetBitmap must give for one pixel of an added piece: the source pixel, or
// white where it is transparent or outside the source.
TColor expectedPixel(TBitmap& image, TBitmap* mask, TColor key, int piece, int listWidth, int x, int y)
{
    int sx = piece * listWidth + x;
    if (sx >= image.Width() || y >= image.Height())
        return clWhite;
    TColor colour = image.pixel(sx, y);
    bool clear = colour == key;
    if (mask && sx < mask->Width() && y < mask->Height())
        clear = mask->pixel(sx, y) == clWhite;
    return clear ? clWhite : colour;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    int changes = 0;  // outlives the list, whose destructor may still report a change
    TImageList list(nullptr);
    list.OnChange = [&](TObject*) { ++changes; };
    int count = 0;
    TBitmap canvasBitmap;
    canvasBitmap.SetSize(48, 48);

    for (int step = 0; step < 64 && !input.empty(); ++step) {
        switch (input.range(0, 7)) {
        case 0: {
            // Any size a caller may set, within a total a test can afford.
            const bool setWidth = input.flag();
            const int value = input.range(-2, 65535);
            const int other = setWidth ? list.Height() : list.Width();
            if (int64_t(value) * other > (1 << 22))
                break;
            const int old = setWidth ? list.Width() : list.Height();
            try {
                if (setWidth)
                    list.SetWidth(value);
                else
                    list.SetHeight(value);
            } catch (const Exception&) {
                // A size refused: the list stays as it was.
                FUZZ_CHECK(list.Count() == count && (setWidth ? list.Width() : list.Height()) == old);
                break;
            }
            if (value > 0 && value != old)
                count = 0;  // a new size empties the list
            FUZZ_CHECK(list.Count() == count);
            FUZZ_CHECK((setWidth ? list.Width() : list.Height()) == (value > 0 ? value : old));
            break;
        }
        case 1:
        case 2: {
            TBitmap image, mask;
            makeBitmap(input, image, false);
            bool masked = input.flag();
            if (masked)
                makeBitmap(input, mask, true);
            TColor key = masked ? clNone : (input.flag() ? clDefault : maskColour);
            int before = changes;
            int first = -1;
            try {
                first = masked ? list.Add(&image, &mask) : list.AddMasked(&image, key);
            } catch (const Exception&) {
                // Pieces the list cannot hold (too large): nothing added.
                FUZZ_CHECK(list.Count() == count && changes == before);
                break;
            }
            if (image.Empty()) {
                FUZZ_CHECK(first == -1 && list.Count() == count && changes == before);
                break;
            }
            int pieces = std::max(1, image.Width() / list.Width());
            FUZZ_CHECK(first == count);
            count += pieces;
            FUZZ_CHECK(list.Count() == count && changes == before + 1);
            // The first piece read back at a few points.
            if (key == clDefault)
                key = image.TransparentColor();
            TBitmap out;
            FUZZ_CHECK(list.GetBitmap(first, &out));
            FUZZ_CHECK(out.Width() == list.Width() && out.Height() == list.Height());
            for (int k = 0; k < 4; ++k) {
                int x = input.range(0, list.Width() - 1), y = input.range(0, list.Height() - 1);
                FUZZ_CHECK(out.pixel(x, y) == expectedPixel(image, masked ? &mask : nullptr, key, 0, list.Width(), x, y));
            }
            break;
        }
        case 3: {
            int index = input.range(-2, count + 1);
            list.Delete(index);
            if (index >= 0 && index < count)
                --count;
            FUZZ_CHECK(list.Count() == count);
            break;
        }
        case 4:
        case 5: {
            int x = static_cast<int16_t>(input.u16()), y = static_cast<int16_t>(input.u16());
            list.Draw(canvasBitmap.Canvas(), x % 100, y % 100, input.range(-1, count), input.flag());
            break;
        }
        case 6: {
            TBitmap out;
            int index = input.range(-1, count);
            FUZZ_CHECK(list.GetBitmap(index, &out) == (index >= 0 && index < count));
            break;
        }
        case 7:
            list.Clear();
            count = 0;
            FUZZ_CHECK(list.Count() == 0);
            break;
        }
    }
    return 0;
}
