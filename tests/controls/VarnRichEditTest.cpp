// The rich-text box: formatted text on screen (pixels), plain text, editing with
// the keyboard and the clipboard, the field's messages, printing to PDF (checked
// with poppler's tools) and form descriptions.
#include "controls/VarnRichEdit.h"
#include "controls/VarnRichEditProperties.h"

#include "platform/Forms.h"
#include "platform/Printers.h"
#include "platform/Streaming.h"
#include "platform/win/Backend.h"
#include "platform/win/BackingStore.h"
#include "platform/win/RichEdit.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using varn::test::UiHarness;

namespace {

struct Ink {
    int count = 0;  // pixels that are not the background
    int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
    int reddish = 0;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
};

// What is drawn between two client rows of the box's window.
Ink inkBetween(HWND window, int fromY, int toY, int width)
{
    Ink ink;
    for (int y = fromY; y < toY; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF c = varn::windowPixel(window, x, y);
            int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
            if (r + g + b > 600)
                continue;
            ++ink.count;
            if (r > 180 && g < 90 && b < 90)
                ++ink.reddish;
            ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
        }
    return ink;
}

// Top of the line that holds a character, in client pixels.
int lineTop(TVarnRichEdit* box, int position)
{
    return HIWORD(static_cast<uintptr_t>(box->Perform(EM_POSFROMCHAR, static_cast<WPARAM>(position), 0)));
}

TVarnRichEdit* makeBox(UiHarness& ui, int width = 400, int height = 300)
{
    TForm* form = ui.createForm(width + 20, height + 20);
    auto* box = new TVarnRichEdit(form);
    box->SetParent(form);
    box->SetBounds(10, 10, width, height);
    ui.show(form);
    return box;
}

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

bool havePoppler() { return std::system("pdfinfo -v >/dev/null 2>&1") == 0; }

int pageCount(const std::string& pdf)
{
    std::smatch match;
    std::string info = run("pdfinfo '" + pdf + "'");
    std::regex pages("Pages:\\s+(\\d+)");
    return std::regex_search(info, match, pages) ? std::stoi(match[1]) : -1;
}

struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
    std::string text;
};

// Words of a PDF with their boxes in points, from pdftotext -bbox.
std::vector<Word> words(const std::string& pdf)
{
    std::string html = run("pdftotext -bbox '" + pdf + "' -");
    std::vector<Word> found;
    int page = 0;
    std::istringstream lines(html);
    std::string line;
    std::regex word("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>");
    while (std::getline(lines, line)) {
        if (line.find("<page ") != std::string::npos)
            ++page;
        std::smatch m;
        if (std::regex_search(line, m, word))
            found.push_back({page, std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), m[5]});
    }
    return found;
}

class TempDir {
public:
    TempDir() : path(std::filesystem::temp_directory_path() / ("varn-rich-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }

private:
    std::filesystem::path path;
};

}  // namespace

TEST(VarnRichEdit, ShowsBoldItalicColourAndSizeRunsAndAlignment)
{
    UiHarness ui;
    TVarnRichEdit* box = makeBox(ui);
    box->SetText("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}\\f0\\fs24 "
                 "mmmm\\par {\\b mmmm}\\par llll\\par {\\i llll}\\par {\\cf1 mmmm}\\par H\\par {\\fs48 H}\\par"
                 "\\qc HH\\par\\pard\\qr HH\\par\\pard\\li1440 HH}");
    ui.pump();
    EXPECT_EQ(box->GetText(), "mmmm\r\nmmmm\r\nllll\r\nllll\r\nmmmm\r\nH\r\nH\r\nHH\r\nHH\r\nHH");
    HWND window = box->Handle();
    const int lengths[] = {4, 4, 4, 4, 4, 1, 1, 2, 2, 2};
    std::vector<int> tops;
    int start = 0;
    for (int length : lengths) {
        tops.push_back(lineTop(box, start));
        start += length + 1;
    }
    tops.push_back(tops.back() + (tops[9] - tops[8]));
    auto paragraph = [&](int p) { return inkBetween(window, tops[static_cast<size_t>(p)], tops[static_cast<size_t>(p) + 1], 398); };

    Ink regular = paragraph(0), bold = paragraph(1);
    EXPECT_GT(bold.count, regular.count * 6 / 5) << "bold strokes are thicker";
    EXPECT_GT(bold.width(), regular.width());

    // An upright l has its ink at the same columns at top and bottom; an italic one leans right.
    auto lean = [&](int p) {
        Ink all = paragraph(p);
        Ink top = inkBetween(window, all.top, all.top + 2, 398), bottom = inkBetween(window, all.bottom - 1, all.bottom + 1, 398);
        return top.left - bottom.left;
    };
    EXPECT_LE(std::abs(lean(2)), 1);
    EXPECT_GE(lean(3), 2);

    EXPECT_EQ(regular.reddish, 0);
    EXPECT_GT(paragraph(4).reddish, paragraph(4).count / 3) << "the run is red";

    Ink small = paragraph(5), big = paragraph(6);
    EXPECT_NEAR(big.height(), 2 * small.height(), 2);
    EXPECT_GT(tops[7] - tops[6], tops[6] - tops[5]) << "the line is as high as its largest text";

    Ink left = paragraph(0), centred = paragraph(7), right = paragraph(8), indented = paragraph(9);
    EXPECT_LE(left.left, 3);
    EXPECT_NEAR((centred.left + centred.right) / 2.0, 199, 3);
    EXPECT_GE(right.right, 392);
    EXPECT_NEAR(indented.left, 1 + 96, 3) << "a left indent of an inch";
}

TEST(VarnRichEdit, PlainTextShowsAsTypedAndLongTextWrapsAndScrolls)
{
    UiHarness ui;
    TVarnRichEdit* box = makeBox(ui, 200, 80);
    box->SetText("x{\\rtf1\\b not rich}\r\n\\par stays");
    EXPECT_EQ(box->GetText(), "x{\\rtf1\\b not rich}\r\n\\par stays");

    std::string words;
    for (int i = 0; i < 60; ++i)
        words += "word" + std::to_string(i) + " ";
    box->SetText(words);
    ui.pump();
    const LRESULT lines = box->Perform(EM_GETLINECOUNT, 0, 0);
    EXPECT_GT(lines, 8) << "one paragraph wraps into many lines";
    Ink firstLine = inkBetween(box->Handle(), 0, 80, 200);
    EXPECT_LT(firstLine.right, 199);

    ui.click(box, 5, 5);
    ui.pressKey(VK_END, {ssCtrl});
    EXPECT_GT(box->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "the caret at the end is scrolled into view";
    const int caretTop = lineTop(box, static_cast<int>(words.size()));
    EXPECT_GE(caretTop, 0);
    EXPECT_LT(caretTop, 80);
    ui.pressKey(VK_HOME, {ssCtrl});
    EXPECT_EQ(box->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    ui.wheel(box, 20, 20, -2);
    EXPECT_GT(box->Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST(VarnRichEdit, TypingTakesTheFormatAroundTheCaretAndEditsLikeTheEditField)
{
    UiHarness ui;
    TVarnRichEdit* box = makeBox(ui);
    int changes = 0;
    box->OnChange = [&](TObject*) { ++changes; };
    box->SetText("{\\rtf1 plain {\\b bold}\\par second}");
    ui.click(box, 300, 5);  // right of the first line: the caret goes to its end
    EXPECT_EQ(box->SelStart(), 10);
    ui.typeText("er");
    ui.pressKey(VK_RETURN);
    ui.typeText("x");
    EXPECT_EQ(box->GetText(), "plain bolder\r\nx\r\nsecond");
    EXPECT_NE(box->RichText().find("\\b bolder\\par"), std::string::npos) << box->RichText();
    EXPECT_GT(changes, 0);

    ui.pressKey(VK_BACK);
    ui.pressKey(VK_BACK);
    EXPECT_EQ(box->GetText(), "plain bolder\r\nsecond");
    ui.pressKey(VK_LEFT, {ssCtrl});
    ui.pressKey(VK_RIGHT, {ssShift, ssCtrl});
    ui.pressKey('C', {ssCtrl});
    EXPECT_EQ(varn::backend().clipboardText(), "bolder");
    ui.pressKey('X', {ssCtrl});
    EXPECT_EQ(box->GetText(), "plain \r\nsecond");
    ui.pressKey('Z', {ssCtrl});
    EXPECT_EQ(box->GetText(), "plain bolder\r\nsecond");
    ui.pressKey(VK_HOME, {ssCtrl});
    ui.pressKey(VK_END, {ssShift});
    ui.pressKey('V', {ssCtrl});
    EXPECT_EQ(box->GetText(), "bolder\r\nsecond");

    box->SetReadOnly(true);
    ui.typeText("no");
    EXPECT_EQ(box->GetText(), "bolder\r\nsecond");

    // Dragging over the first line selects it, shown in the highlight colour.
    const int y = lineTop(box, 0) + 5;
    ui.press(box, 2, y);
    ui.moveTo(box, 300, y);
    ui.release(box, 300, y);
    EXPECT_EQ(box->SelStart(), 0);
    EXPECT_EQ(box->SelLength(), 6);
    int highlighted = 0;
    for (int row = lineTop(box, 0); row < y + 5; ++row)
        for (int x = 0; x < 100; ++x)
            highlighted += varn::windowPixel(box->Handle(), x, row) == GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_GT(highlighted, 200);
}

TEST(VarnRichEdit, EditsLayTheTextOutAsAFreshBoxWithTheSameTextDoes)
{
    UiHarness ui;
    TVarnRichEdit* box = makeBox(ui, 200, 300);
    box->SetText("{\\rtf1 one {\\fs40 big} line that wraps around the box\\par\\qc two\\par\\fs30 three\\par four}");
    ui.click(box, 2, 2);
    ui.pressKey(VK_END);
    ui.typeText("\r\rnew words that wrap at the edge of the box");
    ui.pressKey(VK_DOWN);
    ui.pressKey(VK_DOWN, {ssShift});
    ui.pressKey(VK_DELETE);
    ui.pressKey(VK_END, {ssCtrl});
    ui.pressKey(VK_BACK);
    const AnsiString rtf = box->RichText();
    TVarnRichEdit* fresh = makeBox(ui, 200, 300);
    fresh->SetText(rtf);
    ASSERT_EQ(fresh->GetText(), box->GetText());
    const int length = static_cast<int>(box->Perform(WM_GETTEXTLENGTH, 0, 0));
    for (int position = 0; position < length; ++position)
        ASSERT_EQ(box->Perform(EM_POSFROMCHAR, static_cast<WPARAM>(position), 0),
                  fresh->Perform(EM_POSFROMCHAR, static_cast<WPARAM>(position), 0)) << "at " << position;
    EXPECT_EQ(box->Perform(EM_GETLINECOUNT, 0, 0), fresh->Perform(EM_GETLINECOUNT, 0, 0));
}

TEST(VarnRichEdit, StreamsRtfAndPlainTextInAndOutAndCountsItsText)
{
    UiHarness ui;
    TVarnRichEdit* box = makeBox(ui);
    const std::string rtf = "{\\rtf1{\\colortbl;\\red0\\green128\\blue0;}\\qc a\\cf1 b\\par c}";
    struct Source {
        std::string data;
        size_t at = 0;
    } source{rtf, 0};
    EDITSTREAM in;
    in.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    in.pfnCallback = [](DWORD_PTR cookie, unsigned char* buffer, LONG count, LONG* done) -> DWORD {
        auto* s = reinterpret_cast<Source*>(cookie);
        *done = static_cast<LONG>(std::min<size_t>(static_cast<size_t>(std::min<LONG>(count, 3)), s->data.size() - s->at));
        std::copy_n(s->data.data() + s->at, *done, buffer);
        s->at += static_cast<size_t>(*done);
        return 0;
    };
    EXPECT_EQ(box->Perform(EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&in)), 4);
    EXPECT_EQ(box->GetText(), "ab\r\nc");

    GETTEXTLENGTHEX precise;
    precise.flags = GTL_PRECISE;
    EXPECT_EQ(box->Perform(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&precise), 0), 4);
    GETTEXTLENGTHEX crlf;
    crlf.flags = GTL_USECRLF | GTL_PRECISE;
    EXPECT_EQ(box->Perform(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&crlf), 0), 5);

    const std::string out = box->RichText();
    EXPECT_NE(out.find("\\red0\\green128\\blue0"), std::string::npos);
    EXPECT_NE(out.find("\\qc"), std::string::npos);
    TVarnRichEdit* other = makeBox(ui);
    other->SetText(out);
    EXPECT_EQ(other->RichText(), out) << "written RTF reads back to the same runs";

    // Plain text into the selection, and the selection out.
    box->Perform(EM_SETSEL, 1, 2);
    source = {"X\r\nY", 0};
    box->Perform(EM_STREAMIN, SF_TEXT | SFF_SELECTION, reinterpret_cast<LPARAM>(&in));
    EXPECT_EQ(box->GetText(), "aX\r\nY\r\nc");
    box->Perform(EM_SETSEL, 0, 3);
    std::string selected;
    EDITSTREAM outStream;
    outStream.dwCookie = reinterpret_cast<DWORD_PTR>(&selected);
    outStream.pfnCallback = [](DWORD_PTR cookie, unsigned char* buffer, LONG count, LONG* done) -> DWORD {
        reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<char*>(buffer), static_cast<size_t>(count));
        *done = count;
        return 0;
    };
    box->Perform(EM_STREAMOUT, SF_TEXT | SFF_SELECTION, reinterpret_cast<LPARAM>(&outStream));
    EXPECT_EQ(selected, "aX\r\n");

    // The whole text, in one message, keeps formatting across a new window.
    box->SetText("{\\rtf1 \\b keep}");
    box->SetScrollBars(ssVertical);
    EXPECT_NE(box->RichText().find("\\b keep"), std::string::npos);

    // Rich text given before the window exists is formatted by the window; the
    // window's font is the format only of text that has none.
    TForm* form = ui.createForm();
    auto* early = new TVarnRichEdit(form);
    early->SetText("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\fs30\\b early}");
    early->SetParent(form);
    early->Font()->SetHeight(-20);
    ui.show(form);
    EXPECT_EQ(early->GetText(), "early");
    EXPECT_NE(early->RichText().find("Arial;"), std::string::npos);
    EXPECT_NE(early->RichText().find("\\fs30\\b early"), std::string::npos) << early->RichText();
    early->SetText("plain");
    EXPECT_NE(early->RichText().find("\\fs30 plain"), std::string::npos) << "20 pixels are 15 points";
}

TEST(VarnRichEdit, FormatRangeRendersWhatFitsAndAnswersWhereTheNextPageBegins)
{
    UiHarness ui;
    TVarnRichEdit* box = makeBox(ui);
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    box->SetText(text);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 200);
    HDC dc = CreateSurfaceDC(surface);
    FORMATRANGE range;
    range.hdc = range.hdcTarget = dc;
    range.rc = {0, 0, 3000, 3000};  // twips: 200 by 200 pixels at 96 per inch
    range.chrg = {0, -1};
    const auto next = static_cast<LONG>(box->Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&range)));
    EXPECT_GT(next, 0);
    EXPECT_LT(next, 40 * 8);
    const auto measured = static_cast<LONG>(box->Perform(EM_FORMATRANGE, 0, reinterpret_cast<LPARAM>(&range)));
    EXPECT_EQ(measured, next) << "measuring gives the same break as rendering";
    range.chrg = {next, -1};
    const auto after = static_cast<LONG>(box->Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&range)));
    EXPECT_GT(after, next);
    // A page too small for one line still takes a line, so printing ends.
    range.rc = {0, 0, 3000, 15};
    range.chrg = {0, -1};
    EXPECT_GT(box->Perform(EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&range)), 0);
    EXPECT_EQ(box->Perform(EM_FORMATRANGE, 0, 0), 0);
    DeleteDC(dc);
    cairo_surface_destroy(surface);
}

TEST(VarnRichEdit, PrintingAnEmptyBoxGivesOnePageAndEndsTheJob)
{
    if (!havePoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    UiHarness ui;
    TempDir dir;
    TVarnRichEdit* box = makeBox(ui);
    Printer()->SetFileName(dir.file("empty.pdf"));
    box->Print("Empty");
    EXPECT_FALSE(Printer()->Printing());
    EXPECT_EQ(Printer()->PageNumber(), 1);
    EXPECT_EQ(pageCount(dir.file("empty.pdf")), 1);
    EXPECT_TRUE(std::regex_search(run("pdfinfo '" + dir.file("empty.pdf") + "'"), std::regex("Title:\\s+Empty")));
    Printer()->SetFileName("");
}

TEST(VarnRichEdit, ABoxNeverShownStillPrintsAndGivesItsText)
{
    if (!havePoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    UiHarness ui;
    TempDir dir;
    TForm* form = ui.createForm(300, 200);
    auto* box = new TVarnRichEdit(form);
    box->SetParent(form);
    box->SetBounds(10, 10, 280, 180);
    box->SetText("{\\rtf1 Hidden {\\b note}\\par}");
    EXPECT_NE(box->RichText().find("note"), AnsiString::npos);
    Printer()->SetFileName(dir.file("hidden.pdf"));
    box->Print("Hidden");
    Printer()->SetFileName("");
    std::vector<Word> found = words(dir.file("hidden.pdf"));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].text, "Hidden");
    EXPECT_EQ(found[1].text, "note");
}

TEST(VarnRichEdit, PrintingALongTextFillsAsManyPagesAsNeededWithinTheMargins)
{
    if (!havePoppler())
        GTEST_SKIP() << "poppler-utils are not installed";
    UiHarness ui;
    TempDir dir;
    TVarnRichEdit* box = makeBox(ui);
    std::string rtf = "{\\rtf1{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs24 ";
    for (int i = 0; i < 150; ++i)
        rtf += "Paragraph" + std::to_string(i) + " " + (i % 10 == 0 ? std::string(60, 'w') + " " : "") +
               "holds some words that wrap across the page when the line is long enough to reach the margin.\\par ";
    rtf += "\\qr TheEnd}";
    box->SetText(rtf);
    const std::string pdf = dir.file("long.pdf");
    Printer()->SetFileName(pdf);
    box->Print("Long text");
    Printer()->SetFileName("");

    const int pages = pageCount(pdf);
    EXPECT_GT(pages, 3);
    EXPECT_EQ(Printer()->PageNumber(), pages);
    std::vector<Word> found = words(pdf);
    ASSERT_FALSE(found.empty());
    const double margin = 700 / 20.0, pageWidth = 595.2756, pageHeight = 841.8898;
    std::vector<double> lowest(static_cast<size_t>(pages) + 1, 0);
    int next = 0;
    for (const Word& w : found) {
        EXPECT_GE(w.xMin, margin - 0.5) << w.text;
        EXPECT_LE(w.xMax, pageWidth - margin + 0.5) << w.text;
        EXPECT_GE(w.yMin, margin - 0.5) << w.text;
        EXPECT_LE(w.yMax, pageHeight - margin + 0.5) << w.text;
        lowest[static_cast<size_t>(w.page)] = std::max(lowest[static_cast<size_t>(w.page)], w.yMax);
        if (w.text == "Paragraph" + std::to_string(next))
            ++next;
    }
    EXPECT_EQ(next, 150) << "every paragraph is printed once, in order";
    EXPECT_EQ(found.back().text, "TheEnd");
    EXPECT_EQ(found.back().page, pages);
    EXPECT_NEAR(found.back().xMax, pageWidth - margin, 2) << "right aligned to the margin";
    // Every page but the last is full: the next line would not have fitted.
    for (int page = 1; page < pages; ++page)
        EXPECT_GT(lowest[static_cast<size_t>(page)], pageHeight - margin - 20) << "page " << page;
    EXPECT_NEAR(found.front().xMin, margin, 1);
    EXPECT_NEAR(found.front().yMin, margin, 5);
}

TEST(VarnRichEdit, PublishesItsPropertiesWithTheirDefaults)
{
    UiHarness ui;
    TForm* form = ui.createForm();
    auto* box = new TVarnRichEdit(form);
    box->SetName("notes");
    box->SetParent(form);
    box->SetBounds(8, 8, 200, 100);
    EXPECT_EQ(WriteComponentText(box), "object notes: TVarnRichEdit\n"
                                       "  Left = 8\n"
                                       "  Top = 8\n"
                                       "  Width = 200\n"
                                       "  Height = 100\n"
                                       "  TabOrder = 0\n"
                                       "end\n");
    box->SetScrollBars(ssVertical);
    box->SetReadOnly(true);
    box->SetBorderStyle(bsNone);
    box->SetAlign(alClient);
    box->SetTabStop(false);
    const AnsiString text = WriteComponentText(box);
    std::vector<std::string> names;
    for (const TPropInfo* p : FindClassInfo("TVarnRichEdit")->AllProperties())
        names.push_back(p->name);
    EXPECT_EQ(names, (std::vector<std::string>{"Tag", "Left", "Top", "Width", "Height", "Align", "Visible", "TabOrder",
                                               "BorderStyle", "ReadOnly", "TabStop", "ScrollBars"}));
    TComponent* read = CreateComponentFromText(text, form);
    auto* copy = dynamic_cast<TVarnRichEdit*>(read);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->ScrollBars(), ssVertical);
    EXPECT_TRUE(copy->ReadOnly());
    EXPECT_EQ(copy->BorderStyle(), bsNone);
    EXPECT_EQ(copy->Align(), alClient);
    EXPECT_FALSE(copy->TabStop());
}
