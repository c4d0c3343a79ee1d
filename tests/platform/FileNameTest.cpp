// File names are 8-bit texts like any other; the system gets them as UTF-8.
#include "platform/Bitmap.h"
#include "platform/Forms.h"
#include "platform/JpegImage.h"
#include "platform/Streaming.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A scratch folder whose files the test names in 8-bit text and finds again by
// their UTF-8 names.
struct Folder {
    fs::path path = fs::temp_directory_path() / ("varn-names-" + std::to_string(getpid()));
    Folder() { fs::create_directories(path); }
    ~Folder() { fs::remove_all(path); }
    AnsiString ansi(const char* name) const { return Utf8ToAnsi(path.string()) + "/" + name; }
    fs::path utf8(const char* name) const { return path / name; }
};

}  // namespace

TEST(FileNames, ReachTheSystemAsUtf8)
{
    Folder folder;
    TBitmap bitmap;
    bitmap.SetSize(4, 2);
    bitmap.SaveToFile(folder.ansi("Canci\xF3n \x80.bmp"));
    EXPECT_TRUE(fs::exists(folder.utf8("Canci\xC3\xB3n \xE2\x82\xAC.bmp")));
    TBitmap copy;
    copy.LoadFromFile(folder.ansi("Canci\xF3n \x80.bmp"));
    EXPECT_EQ(copy.Width(), 4);

    bitmap.SaveToPngFile(folder.ansi("\x8A" "imon.png"));
    EXPECT_TRUE(fs::exists(folder.utf8("\xC5\xA0imon.png")));

    // The file is found, so the failure is the content's, not a missing file.
    std::ofstream(folder.utf8("\xC3\xB1u.jpg")) << "not a picture";
    TJPEGImage jpeg;
    EXPECT_THROW(jpeg.LoadFromFile(folder.ansi("\xF1u.jpg")), EInvalidGraphic);

    std::ofstream(folder.utf8("Precio \xE2\x82\xAC.form")) << "object F: TForm\n  Caption = 'Precio: 12,50 '#8364\nend\n";
    varn::test::UiHarness ui;
    TForm* form = ui.createForm();
    ReadComponentFile(folder.ansi("Precio \x80.form"), form);
    EXPECT_EQ(form->Caption(), "Precio: 12,50 \x80");
}
