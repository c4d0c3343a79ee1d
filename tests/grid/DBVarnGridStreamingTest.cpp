#include "grid/DBVarnGridProperties.h"

#include "grid/DBVarnGrid.h"
#include "platform/Streaming.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class TDBVarnGridForm : public TForm {
public:
    using TForm::TForm;
    void gridSeparator(void*, AnsiString& text) { text = "sep"; }
    void gridFillField(const AnsiString& field, AnsiString& text) { text = "sp " + field; }
    void gridFillRow(TVarnRow& row, void*) { rowsFilled.push_back(row.row); }
    TDBVarnGrid* grid = nullptr;
    std::vector<int> rowsFilled;
};

class DBVarnGridStreaming : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            registered = true;
            RegisterPublishedClass<TDBVarnGridForm>("TDBVarnGridForm", "TForm")
                .Field("grid", &TDBVarnGridForm::grid)
                .Handler("gridSeparator", &TDBVarnGridForm::gridSeparator)
                .Handler("gridFillField", &TDBVarnGridForm::gridFillField)
                .Handler("gridFillRow", &TDBVarnGridForm::gridFillRow);
        }
    }
    varn::test::UiHarness ui;
};

}  // namespace

TEST_F(DBVarnGridStreaming, TheTextsAreAlwaysWrittenAndEverythingReadsBack)
{
    auto* form = ui.createForm<TDBVarnGridForm>();
    auto* grid = new TDBVarnGrid(form);
    grid->SetName("grid");
    grid->SetParent(form);
    AnsiString text = WriteComponentText(form);
    // No declared default: empty texts are written too, in declaration order.
    EXPECT_NE(text.find("    SeparatorField = ''\n"
                        "    SQLTableName = ''\n"
                        "    SQLWhere = ''\n"
                        "    SQLOrderBy = ''\n"),
              AnsiString::npos)
        << text;

    grid->setSeparatorField("grupo");
    grid->SQLTableName = "clientes";
    grid->SQLWhere = "saldo > 0 and nombre like 'A%'";
    grid->SQLOrderBy = "nombre";
    grid->Columns()->Add()->SetFieldName("nombre");
    SetEventHandler(grid, "OnSeparator", "gridSeparator");
    SetEventHandler(grid, "OnFillFieldSP", "gridFillField");
    SetEventHandler(grid, "OnFillRow", "gridFillRow");
    AnsiString written = WriteComponentText(form);

    auto* copy = ui.createForm<TDBVarnGridForm>();
    ReadComponentText(written, copy);
    TDBVarnGrid* read = copy->grid;
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->getSeparatorField(), "grupo");
    EXPECT_EQ(read->SQLTableName, "clientes");
    EXPECT_EQ(read->SQLWhere, "saldo > 0 and nombre like 'A%'");
    EXPECT_EQ(read->SQLOrderBy, "nombre");
    ASSERT_EQ(read->Columns()->Count(), 1);
    EXPECT_EQ(read->Columns()->Items(0)->FieldName(), "nombre");
    EXPECT_EQ(read->connection, nullptr);
    EXPECT_EQ(read->linkedTable, nullptr);
    AnsiString caption;
    ASSERT_TRUE(read->OnSeparator && read->OnFillFieldSP && read->OnFillRow);
    read->OnSeparator(nullptr, caption);
    EXPECT_EQ(caption, "sep");
    read->OnFillFieldSP("x", caption);
    EXPECT_EQ(caption, "sp x");
    AnsiString rewritten = WriteComponentText(copy);
    EXPECT_EQ(rewritten.substr(rewritten.find('\n')), written.substr(written.find('\n')));
}
