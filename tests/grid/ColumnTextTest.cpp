#include "grid/VarnGrid.h"
#include "grid/VarnGridProperties.h"

#include "platform/Forms.h"
#include "platform/Streaming.h"
#include "support/UiHarness.h"
#include "platform/SysUtils.h"

#include <gtest/gtest.h>

namespace {

struct CountingGrid : TVarnGrid {
    using TVarnGrid::TVarnGrid;
    int updates = 0;
    void OnUpdateColumns() override { ++updates; }
};

TVGColumn* addColumn(TVarnGrid& grid, const AnsiString& field, VGDataType type)
{
    TVGColumn* column = grid.Columns()->Add();
    column->SetFieldName(field);
    column->SetDataType(type);
    return column;
}

// A grid with one column of every type, every alignment and both values of each flag.
void fillEveryKind(TVarnGrid& grid)
{
    const VGDataType types[] = {vgString, vgDate, vgTime, vgBoolean, vgInteger, vgFloat, vgMoney};
    const TAlignment alignments[] = {taLeftJustify, taRightJustify, taCenter};
    int i = 0;
    for (VGDataType type : types) {
        TVGColumn* column = addColumn(grid, "f" + IntToStr(i), type);
        column->SetCaption("Caption " + IntToStr(i));
        column->SetWidth(40 + i);
        column->SetAlignment(alignments[i % 3]);
        column->SetReadOnly(i % 2 == 0);
        column->SetIsCombo(i % 3 == 1);
        column->SetCharCase(ecUpperCase);
        ++i;
    }
}

AnsiString textOf(TStrings* list) { return list->Text(); }

}  // namespace

TEST(ColumnText, ColumnLineHoldsEveryShownAttributeInOrder)
{
    TVarnGrid grid(nullptr);
    TVGColumn* a = grid.Columns()->Add();
    a->SetFieldName("a");
    a->SetCaption("indication");
    a->SetWidth(130);
    EXPECT_EQ(a->ToString(),
              "<TVGColumn FieldName=\"a\" Alignment=\"0\" Caption=\"indication\" Width=\"130\" "
              "ReadOnly=\"false\" DataType=\"0\" IsCombo=\"false\" Format=\"\" />\r\n");
    EXPECT_EQ(textOf(grid.GenerateColData().get()),
              "<TVGColumnCollection>\r\n" + a->ToString() + "</TVGColumnCollection>\r\n");

    TVGColumn* e = addColumn(grid, "e", vgDate);
    e->SetAlignment(taCenter);
    e->SetReadOnly(true);
    e->SetIsCombo(true);
    EXPECT_EQ(e->ToString(),
              "<TVGColumn FieldName=\"e\" Alignment=\"2\" Caption=\"\" Width=\"50\" "
              "ReadOnly=\"true\" DataType=\"1\" IsCombo=\"true\" Format=\"DD/MM/YYYY\" />\r\n");
}

TEST(ColumnText, GridWithoutColumnsGivesOnlyTheCollectionTags)
{
    TVarnGrid grid(nullptr);
    auto list = grid.GenerateColData();
    ASSERT_EQ(list->Count(), 2);
    EXPECT_EQ(list->Strings(0), "<TVGColumnCollection>");
    EXPECT_EQ(list->Strings(1), "</TVGColumnCollection>");
}

TEST(ColumnText, WritingBackTheUnchangedTextKeepsEveryColumnAsItWas)
{
    CountingGrid grid(nullptr);
    fillEveryKind(grid);
    TVGColumn* first = grid.Columns()->Items(0);
    const AnsiString before = textOf(grid.GenerateColData().get());
    const int updates = grid.updates;

    grid.SetColData(grid.GenerateColData().get());

    EXPECT_EQ(grid.Columns()->Items(0), first);  // not rebuilt
    EXPECT_EQ(grid.updates, updates);
    EXPECT_EQ(grid.Columns()->Items(1)->DataType(), vgDate);
    EXPECT_EQ(grid.Columns()->Items(1)->Format(), "DD/MM/YYYY");
    EXPECT_EQ(grid.Columns()->Items(3)->GetComboCount(), 2);
    EXPECT_EQ(grid.Columns()->Items(0)->CharCase(), ecUpperCase);
    EXPECT_EQ(textOf(grid.GenerateColData().get()), before);
}

TEST(ColumnText, ChangedTextRebuildsAllColumnsFromNamesCaptionsAndWidthsOnly)
{
    CountingGrid grid(nullptr);
    fillEveryKind(grid);
    auto list = grid.GenerateColData();
    AnsiString line = list->Strings(2);
    line.replace(line.find("Caption 1"), 9, "Fecha");
    list->Put(2, line);
    grid.updates = 0;

    grid.SetColData(list.get());

    ASSERT_EQ(grid.Columns()->Count(), 7);
    EXPECT_EQ(grid.updates, 1);
    for (int i = 0; i < 7; ++i) {
        TVGColumn* column = grid.Columns()->Items(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(column->FieldName(), "f" + IntToStr(i));
        EXPECT_EQ(column->Caption(), i == 1 ? AnsiString("Fecha") : "Caption " + IntToStr(i));
        EXPECT_EQ(column->Width(), 40 + i);
        EXPECT_EQ(column->DataType(), vgString);
        EXPECT_EQ(column->Format(), "");
        EXPECT_EQ(column->Alignment(), taLeftJustify);
        EXPECT_FALSE(column->ReadOnly());
        EXPECT_FALSE(column->IsCombo());
        EXPECT_EQ(column->GetComboCount(), 0);
        EXPECT_EQ(column->CharCase(), ecNormal);
    }
}

TEST(ColumnText, OnlyTagsNamedExactlyTVGColumnBecomeColumns)
{
    TVarnGrid grid(nullptr);
    TStringList list;
    list.SetText("<TVGColumnCollection>\r\n"
                 "<tvgcolumn FieldName=\"x\" Caption=\"X\" Width=\"10\" />\r\n"
                 "<!-- comment -->\r\n"
                 "text\r\n"
                 "<TVGColumn fieldname=\"b\" CAPTION=\"B\" wIdTh=\"70\" />\r\n"
                 "</TVGColumnCollection>\r\n");
    grid.SetColData(&list);
    ASSERT_EQ(grid.Columns()->Count(), 1);
    EXPECT_EQ(grid.Columns()->Items(0)->FieldName(), "b");
    EXPECT_EQ(grid.Columns()->Items(0)->Caption(), "B");
    EXPECT_EQ(grid.Columns()->Items(0)->Width(), 70);
}

TEST(ColumnText, WidthThatIsNotAnIntegerStopsTheRebuildAfterTheColumnsBeforeIt)
{
    for (const char* width : {"wide", "", "12px"}) {
        SCOPED_TRACE(width);
        TVarnGrid grid(nullptr);
        addColumn(grid, "old", vgInteger);
        TStringList list;
        list.SetText(AnsiString("<TVGColumn FieldName=\"a\" Width=\"30\" />\r\n") +
                     "<TVGColumn FieldName=\"b\" Width=\"" + width + "\" />\r\n"
                     "<TVGColumn FieldName=\"c\" Width=\"40\" />\r\n");
        try {
            grid.SetColData(&list);
            ADD_FAILURE() << "no conversion error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(AnsiString(e.Message()), "'" + AnsiString(width) + "' is not a valid integer value");
        }
        // The failing column was added before its width was read.
        ASSERT_EQ(grid.Columns()->Count(), 2);
        EXPECT_EQ(grid.Columns()->Items(0)->FieldName(), "a");
        EXPECT_EQ(grid.Columns()->Items(0)->Width(), 30);
        EXPECT_EQ(grid.Columns()->Items(1)->FieldName(), "b");
    }
}

TEST(ColumnText, TextOfDefaultColumnsSurvivesARebuildByteForByte)
{
    // Quotes and angle brackets in values travel as entities, so they survive too.
    const AnsiString text = "<TVGColumnCollection>\r\n"
                            "<TVGColumn FieldName=\"code\" Alignment=\"0\" Caption=\"C&lt;&quot;d&quot;&gt;\" "
                            "Width=\"-3\" ReadOnly=\"false\" DataType=\"0\" IsCombo=\"false\" Format=\"\" />\r\n"
                            "<TVGColumn FieldName=\"n\xF1\" Alignment=\"0\" Caption=\"A\xF1o, & m\xE1s\" "
                            "Width=\"0\" ReadOnly=\"false\" DataType=\"0\" IsCombo=\"false\" Format=\"\" />\r\n"
                            "</TVGColumnCollection>\r\n";
    TVarnGrid grid(nullptr);
    TStringList list;
    list.SetText(text);
    grid.SetColData(&list);
    ASSERT_EQ(grid.Columns()->Count(), 2);
    EXPECT_EQ(grid.Columns()->Items(0)->Caption(), "C<\"d\">");
    EXPECT_EQ(textOf(grid.GenerateColData().get()), text);
}

TEST(ColumnText, FormDescriptionsNeverStoreTheTextsButCanSetTheColumnText)
{
    varn::test::UiHarness ui;
    auto* form = ui.createForm<TForm>();
    auto* owned = new TVarnGrid(form);
    owned->SetName("g");
    owned->SetParent(form);
    TVarnGrid& grid = *owned;
    addColumn(grid, "a", vgInteger);
    const AnsiString written = WriteComponentText(form);
    EXPECT_NE(written.find("FieldName = 'a'"), AnsiString::npos);
    EXPECT_EQ(written.find("ColData"), AnsiString::npos);
    EXPECT_EQ(written.find("RowCode"), AnsiString::npos);

    EXPECT_EQ(GetPropText(&grid, "ColData.Strings"),
              "('<TVGColumnCollection>' '<TVGColumn FieldName=\"a\" Alignment=\"0\" Caption=\"\" Width=\"50\" "
              "ReadOnly=\"false\" DataType=\"4\" IsCombo=\"false\" Format=\"\" />' '</TVGColumnCollection>')");
    SetPropText(&grid, "ColData", "('<TVGColumn FieldName=\"x\" Caption=\"X\" Width=\"75\" />')");
    ASSERT_EQ(grid.Columns()->Count(), 1);
    EXPECT_EQ(grid.Columns()->Items(0)->FieldName(), "x");
    EXPECT_EQ(grid.Columns()->Items(0)->Width(), 75);

    // Lines written into the row code are not kept.
    SetPropText(&grid, "RowCode", "('nonsense')");
    EXPECT_EQ(grid.RowCodeList()->Text(), grid.RowCodeText());
}
