// The JPEG view: sizing to the picture, placement and pixels, reading files once,
// broken files, and form descriptions. Pictures are compressed here with libjpeg.
#include "controls/JPEGControl.h"
#include "controls/JPEGControlProperties.h"

#include "platform/Bitmap.h"
#include "platform/Forms.h"
#include "platform/Streaming.h"
#include "platform/win/BackingStore.h"
#include "support/JpegWriter.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// The message numbers of libjpeg, which the loader names in its errors.
#include <jpeglib.h>
#include <jerror.h>

using varn::test::UiHarness;

namespace {

const TColor darkRed = static_cast<TColor>(RGB(120, 0, 0));

// A JPEG of width × height: left of splitX in colour left, the rest in right.
std::vector<unsigned char> makeJpeg(int width, int height, TColor left, TColor right, int splitX)
{
    std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            TColor c = x < splitX ? left : right;
            unsigned char* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
            p[0] = GetRValue(c);
            p[1] = GetGValue(c);
            p[2] = GetBValue(c);
        }
    return varn::test::compressJpeg(width, height, rgb);
}

std::vector<unsigned char> makeJpeg(int width, int height, TColor colour)
{
    return makeJpeg(width, height, colour, colour, width);
}

// A picture of random pixels: almost all of its file is scan data, so that cutting
// or spoiling the file hits the pixels rather than the tables in front of them.
std::vector<unsigned char> makeNoisyJpeg(int width, int height)
{
    std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3);
    uint32_t seed = 12345;
    for (unsigned char& value : rgb) {
        seed = seed * 1103515245u + 12345u;
        value = static_cast<unsigned char>(seed >> 24);
    }
    return varn::test::compressJpeg(width, height, rgb);
}

std::string tempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / ("varn-jpegview-" + name)).string();
}

// Writes bytes to a temporary file that is removed when the test ends.
struct TempFile {
    std::string path;
    explicit TempFile(const std::string& name) : path(tempPath(name)) {}
    TempFile(const std::string& name, const std::vector<unsigned char>& bytes) : path(tempPath(name)) { write(bytes); }
    ~TempFile() { std::remove(path.c_str()); }
    void write(const std::vector<unsigned char>& bytes) const
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
};

// A reproducer file kept in tests/repro. A relative __FILE__ (ccache's base
// directory) is relative to the build folder of the tests, where the program is.
std::string reproPath(const char* name)
{
    std::filesystem::path source(__FILE__);
    if (source.is_relative())
        source = std::filesystem::canonical("/proc/self/exe").parent_path() / source;
    return (source.parent_path().parent_path() / "repro" / name).lexically_normal().string();
}

bool near(TColor actual, TColor expected)
{
    auto close = [](int a, int b) { return std::abs(a - b) <= 6; };
    return actual != clNone && close(GetRValue(actual), GetRValue(expected)) &&
           close(GetGValue(actual), GetGValue(expected)) && close(GetBValue(actual), GetBValue(expected));
}

struct JpegScreen {
    UiHarness ui;
    TForm* form = ui.createForm(400, 300);
    TJPEGControl* view = nullptr;

    JpegScreen(int width = 300, int height = 200)
    {
        view = new TJPEGControl(form);
        view->SetParent(form);
        view->SetBounds(20, 30, width, height);
        ui.show(form);
    }
    TColor pixel(int x, int y)
    {
        return static_cast<TColor>(varn::windowPixel(form->Handle(), view->Left() + x, view->Top() + y));
    }
    // Every pixel of the control is the background colour.
    bool showsNothing()
    {
        for (int y = 0; y < view->Height(); y += 7)
            for (int x = 0; x < view->Width(); x += 7)
                if (pixel(x, y) != darkRed)
                    return false;
        return true;
    }
};

}  // namespace

TEST(JPEGControl, ComputeSizeFitsWithinTheLimitButNeverBeyondTheNaturalSize)
{
    struct Case {
        const char* name;
        int pictureWidth, pictureHeight, minWidth, minHeight, width, height;
    };
    const Case cases[] = {
        {"width limit 200", 400, 300, 200, 0, 200, 150},
        {"width limit above the picture", 400, 300, 500, 0, 400, 300},
        {"width limit equal to the picture", 400, 300, 400, 0, 400, 300},
        {"height limit 200", 300, 400, 0, 200, 150, 200},
        {"height limit above the picture", 300, 400, 0, 500, 300, 400},
        {"height limit truncates the width", 100, 30, 0, 20, 66, 20},
        {"no limit: natural size", 400, 300, 0, 0, 400, 300},
    };
    JpegScreen s(50, 50);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFile file(std::string(c.name) + ".jpg", makeJpeg(c.pictureWidth, c.pictureHeight, clBlue));
        s.view->SetFile(file.path);
        s.view->SetMinWidth(c.minWidth);
        if (c.minHeight)
            s.view->SetMinHeight(c.minHeight);
        s.view->SetBounds(20, 30, 50, 50);
        s.view->ComputeSize();
        EXPECT_EQ(s.view->Width(), c.width);
        EXPECT_EQ(s.view->Height(), c.height);
        EXPECT_EQ(s.view->Left(), 20);
    }

    // Each limit clears the other; negative limits are ignored.
    s.view->SetMinWidth(200);
    s.view->SetMinHeight(100);
    EXPECT_EQ(s.view->MinWidth(), 0);
    EXPECT_EQ(s.view->MinHeight(), 100);
    s.view->SetMinWidth(150);
    EXPECT_EQ(s.view->MinWidth(), 150);
    EXPECT_EQ(s.view->MinHeight(), 0);
    s.view->SetMinHeight(-1);
    EXPECT_EQ(s.view->MinWidth(), 150);
    EXPECT_EQ(s.view->MinHeight(), 0);
}

TEST(JPEGControl, DrawsAPictureAtItsNaturalSizeCentredWhenSmallerAndCutWhenLarger)
{
    JpegScreen s(300, 200);
    EXPECT_EQ(s.view->Color(), darkRed);
    EXPECT_TRUE(s.showsNothing());

    TempFile small("small.jpg", makeJpeg(100, 100, clBlue));
    s.view->SetFile(small.path);
    s.ui.pump();
    EXPECT_TRUE(near(s.pixel(100, 50), clBlue));
    EXPECT_TRUE(near(s.pixel(199, 149), clBlue));
    EXPECT_TRUE(near(s.pixel(150, 100), clBlue));
    EXPECT_EQ(s.pixel(99, 50), darkRed);
    EXPECT_EQ(s.pixel(100, 49), darkRed);
    EXPECT_EQ(s.pixel(200, 149), darkRed);
    EXPECT_EQ(s.pixel(199, 150), darkRed);
    EXPECT_EQ(s.pixel(0, 0), darkRed);
    // GetColorAt reads the pixel painted there.
    EXPECT_EQ(s.view->GetColorAt(150, 100), s.pixel(150, 100));
    EXPECT_EQ(s.view->GetColorAt(10, 10), darkRed);
    EXPECT_EQ(s.view->GetColorAt(300, 10), clNone);
    EXPECT_EQ(s.view->GetColorAt(-1, 10), clNone);

    // 400 × 300, red up to x = 200: drawn unscaled from (0, 0) and cut at the
    // right and bottom. The margin of the earlier, smaller picture is gone.
    TempFile large("large.jpg", makeJpeg(400, 300, clRed, clLime, 200));
    s.view->SetFile(large.path);
    s.ui.pump();
    EXPECT_TRUE(near(s.pixel(0, 0), clRed));
    EXPECT_TRUE(near(s.pixel(195, 199), clRed));
    EXPECT_TRUE(near(s.pixel(205, 0), clLime));
    EXPECT_TRUE(near(s.pixel(299, 199), clLime));
}

TEST(JPEGControl, SetFileReadsTheFileOnceUntilCleared)
{
    JpegScreen s(300, 200);
    TempFile file("changing.jpg", makeJpeg(100, 100, clBlue));
    s.view->SetFile(file.path);
    file.write(makeJpeg(60, 40, clLime));

    s.view->SetFile(file.path);  // the same name: not read again
    s.ui.pump();
    EXPECT_EQ(s.view->PictureWidth(), 100);
    EXPECT_TRUE(near(s.view->GetColorAt(150, 100), clBlue));

    s.view->clear();
    s.ui.pump();
    EXPECT_EQ(s.view->FileName(), "");
    EXPECT_TRUE(s.showsNothing());

    s.view->SetFile(file.path);
    s.ui.pump();
    EXPECT_EQ(s.view->FileName(), file.path);
    EXPECT_EQ(s.view->PictureWidth(), 60);
    EXPECT_EQ(s.view->PictureHeight(), 40);
    EXPECT_TRUE(near(s.view->GetColorAt(120, 80), clLime));
    EXPECT_TRUE(near(s.view->GetColorAt(179, 119), clLime));
    EXPECT_EQ(s.view->GetColorAt(119, 80), darkRed);

    s.view->SetFile("");  // an empty name shows nothing
    s.ui.pump();
    EXPECT_TRUE(s.showsNothing());
}

// Each broken file raises an error that names it, after which the control shows
// nothing (not the picture before it) and the same name can be tried again.
TEST(JPEGControl, ABrokenFileGivesAnErrorNamingItAndAnEmptyControl)
{
    JpegScreen s(300, 200);
    TempFile goodFile("good.jpg", makeJpeg(100, 100, clBlue));
    const std::vector<unsigned char> noisy = makeNoisyJpeg(160, 160);
    auto cut = [&](size_t size) { return std::vector<unsigned char>(noisy.begin(), noisy.begin() + long(size)); };
    TempFile junk("junk.jpg", {'n', 'o', ' ', 'e', 's', ' ', 'J', 'P', 'E', 'G'});
    TempFile truncated("truncated.jpg", cut(noisy.size() * 3 / 4));  // within the pixels
    TempFile headerOnly("header-only.jpg", cut(20));
    TempFile empty("empty.jpg", {});
    // A marker in the middle of the pixel data, and a frame header whose height is
    // spoilt to 0. (Changed pixel bytes alone cannot be told from a real picture.)
    std::vector<unsigned char> markerInPixels = noisy;
    markerInPixels[noisy.size() / 2] = 0xFF;
    markerInPixels[noisy.size() / 2 + 1] = 0xC0;
    TempFile corrupted("corrupted.jpg", markerInPixels);
    std::vector<unsigned char> noHeight = noisy;
    for (size_t i = 0; i + 6 < noHeight.size(); ++i)
        if (noHeight[i] == 0xFF && noHeight[i + 1] == 0xC0) {
            noHeight[i + 5] = noHeight[i + 6] = 0;
            break;
        }
    TempFile zeroHeight("zero-height.jpg", noHeight);

    const std::string files[] = {junk.path,
                                 truncated.path,
                                 headerOnly.path,
                                 empty.path,
                                 corrupted.path,
                                 zeroHeight.path,
                                 tempPath("missing.jpg"),
                                 reproPath("crash-30000x30000-row-offset-int-overflow.jpg"),
                                 reproPath("crash-width-40000-null-row-store.jpg"),
                                 reproPath("slow-20000x20000-301-bytes-1.5GB.jpg")};
    for (const std::string& name : files) {
        SCOPED_TRACE(name);
        s.view->SetBounds(20, 30, 300, 200);
        s.view->SetFile(goodFile.path);
        s.ui.pump();
        ASSERT_TRUE(near(s.view->GetColorAt(150, 100), clBlue));
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                s.view->SetFile(name);
                ADD_FAILURE() << "no error";
            } catch (const Exception& e) {
                EXPECT_NE(e.Message().find(name), std::string::npos) << e.Message();
                EXPECT_TRUE(dynamic_cast<const EInvalidGraphic*>(&e) || dynamic_cast<const EFOpenError*>(&e))
                    << e.Message();
            }
            s.ui.pump();
            EXPECT_EQ(s.view->FileName(), "");
            EXPECT_EQ(s.view->PictureWidth(), 0);
            EXPECT_TRUE(s.showsNothing());
        }
        s.view->ComputeSize();  // nothing to size to
        EXPECT_EQ(s.view->Width(), 300);
    }
    try {
        s.view->SetFile(truncated.path);
        ADD_FAILURE() << "no error";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Cannot show '" + truncated.path + "': JPEG error #" + std::to_string(JWRN_JPEG_EOF) +
                                   ": Premature end of JPEG file");
    }
    // A file that lacks only its end marker still holds the whole picture.
    TempFile noEndMarker("no-end-marker.jpg", cut(noisy.size() - 2));
    s.view->SetFile(noEndMarker.path);
    EXPECT_EQ(s.view->PictureWidth(), 160);
}

TEST(JPEGControl, FormDescriptionsCarryItsPublishedProperties)
{
    UiHarness ui;
    TForm* form = ui.createForm();
    auto* view = new TJPEGControl(form);
    view->SetName("photo");
    view->SetParent(form);
    view->SetBounds(10, 20, 300, 200);
    EXPECT_EQ(WriteComponentText(view), "object photo: TJPEGControl\n"
                                        "  Left = 10\n"
                                        "  Top = 20\n"
                                        "  Width = 300\n"
                                        "  Height = 200\n"
                                        "  Color = 120\n"
                                        "end\n");
    EXPECT_THROW(GetPropText(view, "Caption"), EReadError);
    EXPECT_THROW(GetPropText(view, "TabStop"), EReadError);

    view->SetAlign(alClient);
    view->SetColor(clBlack);
    view->SetMinHeight(240);
    AnsiString text = WriteComponentText(view);
    EXPECT_NE(text.find("  Align = alClient\n  Color = clBlack\n  MinHeight = 240\n"), std::string::npos) << text;

    auto* copy = static_cast<TJPEGControl*>(CreateComponentFromText(
        "object copy: TJPEGControl\n  Width = 80\n  Color = clBlue\n  MinWidth = 64\nend\n", form));
    EXPECT_EQ(copy->Width(), 80);
    EXPECT_EQ(copy->Color(), clBlue);
    EXPECT_EQ(copy->MinWidth(), 64);
    EXPECT_EQ(copy->MinHeight(), 0);
}
