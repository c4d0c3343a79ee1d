#include "tools/rowcode/RowCodeTool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result runTool(std::vector<std::string> args)
{
    args.insert(args.begin(), "varn-rowcode");
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    std::ostringstream out, err;
    int status = varn::rowcode::run(static_cast<int>(argv.size()), argv.data(), out, err);
    return {status, out.str(), err.str()};
}

std::string formFile(const std::string& name, const std::string& text)
{
    auto path = std::filesystem::temp_directory_path() / ("varn-rowcode-test-" + name + ".form");
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

const std::string unit1 = VARN_SOURCE_DIR "/app/Unit1.form";

}  // namespace

TEST(RowCodeTool, PrintsTheRowClassOfTheTestFormsGrid)
{
    Result r = runTool({unit1, "grid"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "\tclass grid_dataRow : public TVarnRow\r\n"
              "\t{\r\n"
              "\tpublic:\r\n"
              "\t\tgrid_dataRow( TVarnGrid*grid ) : TVarnRow( grid ), a(this,0),b(this,1),c(this,2),d(this,3),e(this,4)\r\n"
              "\t\t{}\r\n"
              "\t\tTVarnDataCol_string   a;\r\n"
              "\t\tTVarnDataCol_integer  b;\r\n"
              "\t\tTVarnDataCol_date     c;\r\n"
              "\t\tTVarnDataCol_string   d;\r\n"
              "\t\tTVarnDataCol_float    e;\r\n"
              "\t};\r\n");
}

TEST(RowCodeTool, PrintsTheColumnTextWithColumnsOption)
{
    Result r = runTool({"--columns", unit1, "GRID"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("<TVGColumnCollection>\r\n<TVGColumn FieldName=\"a\" Alignment=\"0\" Caption=\"indication\" "
                          "Width=\"130\" ReadOnly=\"false\" DataType=\"0\" IsCombo=\"false\" Format=\"\" />\r\n",
                          0),
              0u);
    EXPECT_NE(r.out.find("<TVGColumn FieldName=\"c\" Alignment=\"0\" Caption=\"date\" Width=\"90\" ReadOnly=\"false\" "
                         "DataType=\"1\" IsCombo=\"false\" Format=\"MM/DD/YYYY\" />\r\n"),
              std::string::npos);
}

TEST(RowCodeTool, FailuresSayWhatIsWrongAndExitNonZero)
{
    const std::string grid = formFile("plain", "object F: TForm\n"
                                               "  object g: TVarnGrid\n"
                                               "    Columns = <item FieldName = 'x' end>\n"
                                               "  end\n"
                                               "  object b: TVarnScroll\n"
                                               "  end\n"
                                               "end\n");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"/nonexistent/form.form", "grid"}, 1, "cannot open /nonexistent/form.form"},
        {{formFile("broken", "object F: TForm\n  Caption = 'open\n"), "grid"}, 1, "not a form description: Line"},
        {{formFile("nested", "object F: TForm\n  object g: TVarnGrid\n"), "g"}, 1, "not a form description"},
        {{grid, "other"}, 1, "no component named 'other'"},
        {{grid, "b"}, 1, "'b' is a TVarnScroll, not a grid"},
        {{formFile("badtype", "object g: TVarnGrid\n  Columns = <item DataType = vgNope end>\nend\n"), "g"}, 1,
         "line 2: "},
        {{grid}, 2, "usage: varn-rowcode"},
        {{grid, "g", "extra"}, 2, "usage: varn-rowcode"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Result r = runTool(c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(runTool({grid, "g"}).status, 0);
}
