// The printer object: pages, geometry, the PDF it writes (read back with poppler's
// tools) and the errors of a job used out of order.
#include "platform/Printers.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::string run(const std::string& command)
{
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

std::string tempPdf(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()) + ".pdf")).string();
}

}  // namespace

TEST(Printer, PagesAreA4At600PixelsPerInchAndCanvasTextStaysText)
{
    TPrinter printer;
    EXPECT_EQ(printer.PageWidth(), 4961);
    EXPECT_EQ(printer.PageHeight(), 7016);
    const std::string path = tempPdf("printer-text");
    printer.SetFileName(path);
    printer.SetTitle("Informe");
    printer.BeginDoc();
    ASSERT_TRUE(printer.Printing());
    HDC dc = printer.Handle();
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 600);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 4961);
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 7016);
    TCanvas* canvas = printer.Canvas();
    canvas->Font()->SetSize(12);
    EXPECT_EQ(canvas->Font()->Height(), -100) << "points at the printer's resolution";
    canvas->TextOut(600, 600, "Primera p\xE1gina");
    printer.NewPage();
    EXPECT_EQ(printer.PageNumber(), 2);
    canvas->TextOut(600, 1200, "Segunda");
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(printer.OutputFileName(), path);

    if (std::system("pdfinfo -v >/dev/null 2>&1") != 0) {
        std::remove(path.c_str());
        GTEST_SKIP() << "poppler-utils are not installed";
    }
    const std::string info = run("pdfinfo '" + path + "'");
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    EXPECT_NE(info.find("Title:           Informe"), std::string::npos) << info;
    EXPECT_NE(info.find("595.276 x 841.89"), std::string::npos) << info;
    const std::string text = run("pdftotext -bbox '" + path + "' -");
    EXPECT_NE(text.find(">Primera</word>"), std::string::npos) << text;
    EXPECT_NE(text.find(">p\xC3\xA1gina</word>"), std::string::npos);
    // One inch from the left and top: 72 points.
    EXPECT_NE(text.find("xMin=\"72."), std::string::npos) << text;
    EXPECT_NE(text.find(">Segunda</word>"), std::string::npos);
    std::remove(path.c_str());
}

TEST(Printer, AJobUsedOutOfOrderOrUnwritableRaisesAndLeavesNoJobOpen)
{
    TPrinter printer;
    EXPECT_THROW(printer.NewPage(), EPrinter);
    EXPECT_THROW(printer.EndDoc(), EPrinter);
    printer.SetFileName("/nonexistent-folder/out.pdf");
    try {
        printer.BeginDoc();
        ADD_FAILURE() << "a file that cannot be written starts no job";
    } catch (const EPrinter& error) {
        EXPECT_NE(std::string(error.what()).find("/nonexistent-folder/out.pdf"), std::string::npos);
    }
    EXPECT_FALSE(printer.Printing());

    const std::string path = tempPdf("printer-abort");
    printer.SetFileName(path);
    printer.BeginDoc();
    EXPECT_THROW(printer.BeginDoc(), EPrinter);
    EXPECT_THROW(printer.SetPixelsPerInch(300), EPrinter);
    printer.Abort();
    EXPECT_FALSE(printer.Printing());
    EXPECT_TRUE(printer.Aborted());
    EXPECT_FALSE(std::filesystem::exists(path)) << "an aborted job leaves no file";

    // Without a file name the title names the file.
    const auto folder = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    printer.SetFileName("");
    printer.SetTitle("varn-title-" + std::to_string(::getpid()));
    printer.SetPixelsPerInch(300);
    printer.BeginDoc();
    EXPECT_EQ(GetDeviceCaps(printer.Handle(), HORZRES), 2480);
    printer.EndDoc();
    EXPECT_TRUE(std::filesystem::exists(printer.Title() + ".pdf"));
    std::filesystem::remove(printer.Title() + ".pdf");
    std::filesystem::current_path(folder);
}
