#include "grid/VarnGridProperties.h"

#include "grid/VarnGrid.h"
#include "platform/Graphics.h"
#include "platform/Streaming.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The test application's form class as far as its description needs it.
class TGridTestForm : public TForm {
public:
    using TForm::TForm;
    void gridRowNeedData(int row) { rowsAsked.push_back(row); }
    TVarnGrid* grid = nullptr;
    std::vector<int> rowsAsked;
};

AnsiString formFile()
{
    return (std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "app" / "Unit1.form")
        .string();
}

class GridStreaming : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            registered = true;
            RegisterPublishedClass<TGridTestForm>("TGridTestForm", "TForm")
                .Field("grid", &TGridTestForm::grid)
                .Handler("gridRowNeedData", &TGridTestForm::gridRowNeedData);
        }
    }
    varn::test::UiHarness ui;
};

TEST_F(GridStreaming, TestFormLoadsAsDescribed)
{
    auto* form = ui.createForm<TGridTestForm>();
    ReadComponentFile(formFile(), form);

    EXPECT_EQ(form->Name(), "Form1");
    EXPECT_EQ(form->Caption(), "Form1");
    EXPECT_EQ(form->BorderStyle(), bsDialog);
    EXPECT_EQ(form->Position(), poScreenCenter);
    EXPECT_EQ(form->ClientWidth(), 606);
    EXPECT_EQ(form->ClientHeight(), 238);
    EXPECT_EQ(form->Color(), clBtnFace);
    EXPECT_EQ(form->Font()->Name(), "MS Sans Serif");
    EXPECT_EQ(form->Font()->Height(), -11);
    EXPECT_EQ(GetPropText(form, "PrintScale"), "poNone");

    TVarnGrid* grid = form->grid;
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->Parent(), form);
    EXPECT_EQ(grid->Align(), alClient);
    EXPECT_EQ(grid->BoundsRect(), TRect(0, 0, 606, 238));
    EXPECT_TRUE(grid->TabStop());
    EXPECT_EQ(grid->TabOrder(), 0);
    EXPECT_EQ(grid->RowHeight(), 15);
    EXPECT_TRUE(grid->Editable());
    EXPECT_EQ(grid->AttrUnicolumn()->ColorSel(), clBlack);

    struct Column {
        const char* field;
        const char* caption;
        int width;
        VGDataType type;
        const char* format;
        bool readOnly;
        TAlignment alignment;
    };
    const Column expected[] = {
        {"a", "indication", 130, vgString, "", false, taLeftJustify},
        {"b", "numeric", 50, vgInteger, "", true, taLeftJustify},
        {"c", "date", 90, vgDate, "MM/DD/YYYY", false, taLeftJustify},
        {"d", "some data", 223, vgString, "", false, taLeftJustify},
        {"e", "total", 80, vgFloat, "", false, taRightJustify},
    };
    ASSERT_EQ(grid->Columns()->Count(), 5);
    for (int i = 0; i < 5; ++i) {
        TVGColumn* c = grid->Columns()->Items(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(c->FieldName(), expected[i].field);
        EXPECT_EQ(c->Caption(), expected[i].caption);
        EXPECT_EQ(c->Width(), expected[i].width);
        EXPECT_EQ(c->DataType(), expected[i].type);
        EXPECT_EQ(c->Format(), expected[i].format);
        EXPECT_EQ(c->ReadOnly(), expected[i].readOnly);
        EXPECT_EQ(c->Alignment(), expected[i].alignment);
    }

    ASSERT_TRUE(grid->OnRowNeedData);
    grid->OnRowNeedData(2);
    EXPECT_EQ(form->rowsAsked, std::vector<int>{2});
}

TEST_F(GridStreaming, NewGridStoresOnlyTheColorSelOfItsAttributes)
{
    auto* form = ui.createForm<TGridTestForm>();
    auto* grid = new TVarnGrid(form);
    grid->SetName("grid");
    grid->SetParent(form);
    AnsiString text = WriteComponentText(form);
    AnsiString gridText = text.substr(text.find("  object grid: TVarnGrid\n"));
    EXPECT_EQ(gridText,
              "  object grid: TVarnGrid\n"
              "    Left = 0\n"
              "    Top = 0\n"
              "    Width = 100\n"
              "    Height = 100\n"
              "    TabOrder = 0\n"
              "    TabStop = True\n"
              "    AttrUnicolumn.ColorSel = clBlack\n"
              "    FontAttrs.Attr0.ColorSel = clBlack\n"
              "    FontAttrs.Attr1.ColorSel = clBlack\n"
              "    FontAttrs.Attr2.ColorSel = clBlack\n"
              "    FontAttrs.Attr3.ColorSel = clBlack\n"
              "    FontAttrs.Attr4.ColorSel = clBlack\n"
              "  end\n"
              "end\n");
}

TEST_F(GridStreaming, TestFormRoundTrips)
{
    auto* form = ui.createForm<TGridTestForm>();
    ReadComponentFile(formFile(), form);
    // Values that the test form leaves at their defaults travel too.
    TVGColumn* flag = form->grid->Columns()->Add();
    flag->SetFieldName("f");
    flag->SetDataType(vgBoolean);
    flag->ComboTexts()->Put(1, "s\xED!");
    form->grid->SetCol100x100("d");
    form->grid->FontAttrs()->Attr3()->SetStyles({fsBold, fsStrikeOut});
    form->grid->SetSkinName("STD");

    AnsiString written = WriteComponentText(form);
    auto* copy = ui.createForm<TGridTestForm>();
    ReadComponentText(written, copy);
    AnsiString rewritten = WriteComponentText(copy);
    EXPECT_EQ(rewritten.substr(rewritten.find('\n')), written.substr(written.find('\n')));

    TVarnGrid* grid = copy->grid;
    ASSERT_EQ(grid->Columns()->Count(), 6);
    TVGColumn* f = grid->Columns()->Items(5);
    EXPECT_EQ(f->DataType(), vgBoolean);
    EXPECT_EQ(f->getComboText("true"), "s\xED!") << "combo lists are read after the type that resets them";
    EXPECT_EQ(f->GetComboCount(), 2);
    EXPECT_EQ(grid->Col100x100(), "d") << "the columns are read before the column they name";
    EXPECT_EQ(grid->FontAttrs()->Attr3()->Styles(), (TFontStyles{fsBold, fsStrikeOut}));
    EXPECT_EQ(grid->SkinName(), "STD");
    EXPECT_EQ(grid->ColorBkSel(), form->grid->ColorBkSel());
    EXPECT_EQ(grid->AttrUnicolumn()->Styles(), TFontStyles{fsBold});
    EXPECT_EQ(GetEventHandlerName(grid, "OnRowNeedData"), "gridRowNeedData");
}

TEST_F(GridStreaming, ReadOnlyAndUnpublishedGridPropertiesAreRefused)
{
    auto* form = ui.createForm<TGridTestForm>();
    EXPECT_THROW(
        {
            try {
                ReadComponentText("object F: TGridTestForm\n  object grid: TVarnGrid\n    InEdit = True\n  end\nend\n",
                                  form);
            } catch (const EReadError& e) {
                EXPECT_EQ(e.Message(), "Line 3: Property 'InEdit' is read-only");
                throw;
            }
        },
        EReadError);
    EXPECT_THROW(ReadComponentText("object F: TGridTestForm\n  object grid: TVarnGrid\n    Color = clRed\n  end\nend\n",
                                   form),
                 EReadError);
    EXPECT_EQ(form->grid, nullptr);
    EXPECT_EQ(form->ComponentCount(), 0);
}

}  // namespace
