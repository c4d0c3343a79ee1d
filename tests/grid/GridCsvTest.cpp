#include "grid/VarnGrid.h"

#include "platform/Forms.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

namespace {

struct CsvGrid {
    varn::test::UiHarness ui;
    TForm* form = ui.createForm(300, 200);
    TVarnGrid* grid = nullptr;

    CsvGrid()
    {
        grid = new TVarnGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 280, 180);
        const VGDataType types[] = {vgString, vgDate, vgTime, vgBoolean, vgInteger, vgFloat, vgMoney};
        const char* captions[] = {"Name", "Born", "Starts", "Active", "Count", "Ratio", "Price"};
        for (int i = 0; i < 7; ++i) {
            TVGColumn* column = grid->Columns()->Add();
            column->SetFieldName("f" + std::to_string(i));
            column->SetCaption(captions[i]);
            column->SetDataType(types[i]);
        }
    }
    std::string save(const TVGCsvOptions& options = {})
    {
        std::ostringstream out;
        grid->SaveToCSV(out, options);
        return out.str();
    }
    TVGCsvReport load(const std::string& text, const TVGCsvOptions& options = {})
    {
        std::istringstream in(text);
        return grid->LoadFromCSV(in, options);
    }
};

void fillEveryKind(TVarnGrid* grid)
{
    auto row = [&](std::initializer_list<const char*> cells) {
        grid->AddRow();
        int col = 0;
        for (const char* cell : cells) {
            if (cell)  // nullptr leaves the cell null
                grid->AddString(col, cell);
            ++col;
        }
    };
    row({"Ana", "05/03/2006", "09:05", "true", "42", "1000,50", "1.234.567,50"});
    row({"semi;colon, comma", "29/02/2000", "23:59", "false", "-7", "0,25", "0,00"});
    row({"say \"hi\"", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr});
    row({"two\r\nlines\nand a lone\rCR", "01/01/1900", "00:00", "true", "0", "-3,10", "-12,00"});
    row({"", "31/12/2099", "12:30", "false", "2147483647", "1,00", "999,99"});  // an empty text, not null
    row({"Espa\xF1" "a \x80 \xFF", "15/08/1975", "18:00", "true", "1", "2,00", "3,00"});
}

}  // namespace

TEST(GridCsv, EveryColumnTypeRoundTripsByteForByteInEveryForm)
{
    for (bool iso : {false, true}) {
        for (TVGCsvEncoding encoding : {TVGCsvEncoding::Utf8, TVGCsvEncoding::Latin1}) {
            for (char separator : {'\0', ',', '\t'}) {
                SCOPED_TRACE(std::string("iso ") + (iso ? "yes" : "no") + " separator " + std::to_string(separator));
                TVGCsvOptions options;
                options.isoForms = iso;
                options.encoding = encoding;
                options.separator = separator;
                CsvGrid first;
                fillEveryKind(first.grid);
                std::string text = first.save(options);

                CsvGrid second;
                TVGCsvReport report = second.load(text, options);
                EXPECT_EQ(report.rows, 6);
                EXPECT_EQ(report.replacedCount, 0);
                ASSERT_EQ(second.grid->GetRowCount(), 6);
                for (int row = 0; row < 6; ++row) {
                    for (int col = 0; col < 7; ++col) {
                        EXPECT_EQ(second.grid->GetRowInfo(row)->isNull[col], first.grid->GetRowInfo(row)->isNull[col]) << row << "," << col;
                        EXPECT_EQ(second.grid->GetString(row, col), first.grid->GetString(row, col)) << row << "," << col;
                    }
                }
                EXPECT_EQ(second.save(options), text);
            }
        }
    }
}

TEST(GridCsv, WritesQuotedFieldsNullsAndTheChosenForms)
{
    CsvGrid g;
    fillEveryKind(g.grid);
    std::string text = g.save();  // the locale has a decimal comma: ';' separates
    EXPECT_EQ(text.substr(0, text.find("\r\n\"say")),
              "Name;Born;Starts;Active;Count;Ratio;Price\r\n"
              "Ana;05/03/2006;09:05;true;42;1000,50;1.234.567,50\r\n"
              "\"semi;colon, comma\";29/02/2000;23:59;false;-7;0,25;0,00");
    EXPECT_NE(text.find("\r\n\"say \"\"hi\"\"\";;;;;;\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"\";31/12/2099;"), std::string::npos);  // empty text, quoted
    EXPECT_NE(text.find("Espa\xC3\xB1" "a \xE2\x82\xAC \xC3\xBF;"), std::string::npos);  // UTF-8

    TVGCsvOptions iso;
    iso.isoForms = true;
    iso.separator = ',';
    iso.header = false;
    text = g.save(iso);
    EXPECT_EQ(text.substr(0, text.find("\r\n")), "Ana,2006-03-05,09:05,true,42,1000.50,1234567.50");
}

TEST(GridCsv, MalformedFilesAreRefusedWithTheLineAndAddNothing)
{
    struct Case {
        std::string text;
        int line;
        const char* says;
    };
    const Case cases[] = {
        {"H\r\nAna;01/01/2000\r\n\"open;02/01/2000\r\nmore\r\n", 3, "not closed"},
        {"H\r\nAna\r\nB\"ad;01/01/2000\r\n", 3, "quote inside"},
        {"H\r\n\"two\nlines\";01/01/2000\r\n\"x\"y;01/01/2000\r\n", 4, "after the closing quote"},
        {"H\r\nAna;31/02/2000\r\n", 2, "Born"},
        {"H\r\nAna;;;;many\r\n", 2, "Count"},
        {"H\r\n1;2;3;4;5;6;7;8\r\n", 2, "8 fields"},
        {"H\r\nEspa\xF1" "a\r\n", 2, "not UTF-8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CsvGrid g;
        g.grid->AddRow();
        g.grid->AddString(0, "kept");
        try {
            g.load(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const EVGCsvError& error) {
            EXPECT_EQ(error.Line(), c.line);
            EXPECT_NE(error.Message().find(c.says), AnsiString::npos) << error.Message();
            EXPECT_EQ(error.Message().rfind("line " + std::to_string(c.line) + ": ", 0), 0u) << error.Message();
        }
        ASSERT_EQ(g.grid->GetRowCount(), 1);
        EXPECT_EQ(g.grid->GetString(0, 0), "kept");
    }
}

TEST(GridCsv, CharactersOutsideTheCodePageAreReportedAndLatin1FilesReadAsTheyAre)
{
    CsvGrid g;
    // A byte-order mark, a Polish name, a Greek word in a quoted field over two lines.
    TVGCsvReport report = g.load("\xEF\xBB\xBFName\r\n\xC5\x81\xC3\xB3" "d\xC5\xBA\r\nplain\r\n\"\xCE\xB1\r\n\xE2\x82\xAC\"\r\n");
    ASSERT_EQ(g.grid->GetRowCount(), 3);
    EXPECT_EQ(g.grid->GetString(0, 0), "?\xF3" "d?");
    EXPECT_EQ(g.grid->GetString(2, 0), "?\r\n\x80");
    ASSERT_EQ(report.replacedCount, 2);
    EXPECT_EQ(report.replaced[0].line, 2);
    EXPECT_EQ(report.replaced[0].col, 0);
    EXPECT_EQ(report.replaced[1].line, 4);
    EXPECT_EQ(report.replaced[1].text, "?\r\n\x80");

    TVGCsvOptions latin1;
    latin1.encoding = TVGCsvEncoding::Latin1;
    latin1.header = false;
    g.grid->Clear();
    report = g.load("Espa\xF1" "a;15/08/1975\n", latin1);
    EXPECT_EQ(report.replacedCount, 0);
    EXPECT_EQ(g.grid->GetString(0, 0), "Espa\xF1" "a");
    EXPECT_EQ(g.grid->GetString(0, 1), "15/08/1975");
    EXPECT_TRUE(g.grid->GetRowInfo(0)->isNull[2]);

    // Dates and times in other forms the locale reads are stored in the grid's own.
    g.grid->Clear();
    g.load("Ana;1/2/2000;9:05\n", latin1);
    EXPECT_EQ(g.grid->GetString(0, 1), "01/02/2000");
    EXPECT_EQ(g.grid->GetString(0, 2), "09:05");

    // Files by name; a name that cannot be opened is refused.
    g.grid->Clear();
    g.load("Espa\xF1" "a;15/08/1975\n", latin1);
    std::string file = ::testing::TempDir() + "grid-csv-test.csv";
    g.grid->SaveToCSV(AnsiString(file), latin1);
    g.grid->Clear();
    EXPECT_EQ(g.grid->LoadFromCSV(AnsiString(file), latin1).rows, 1);
    EXPECT_EQ(g.grid->GetString(0, 0), "Espa\xF1" "a");
    std::remove(file.c_str());
    EXPECT_THROW(g.grid->LoadFromCSV(AnsiString("/nonexistent/dir/x.csv")), EVGCsvError);
}
