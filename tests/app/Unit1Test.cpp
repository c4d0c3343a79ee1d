#include "app/Unit1.h"

#include "grid/VGEdit.h"
#include "grid/VGScrollBox.h"
#include "platform/Streaming.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

namespace {

const AnsiString poem = "Con cien ca\xF1ones por banda, viento en popa a toda vela";

// Body y of the middle of a row while the top row is 0.
int rowY(int row) { return row * 15 + 7; }

bool numericReadOnly(TForm1* form) { return form->grid->Columns()->Items(1)->ReadOnly(); }

}  // namespace

TEST(Form1, BuildsTheDescribedFormFromTheBuiltInText)
{
    varn::test::UiHarness ui;
    auto* form = ui.createForm<TForm1>(606, 238);

    EXPECT_EQ(form->Name(), "Form1");
    EXPECT_EQ(form->Caption(), "Form1");
    EXPECT_EQ(form->BorderStyle(), bsDialog);
    EXPECT_EQ(form->Position(), poScreenCenter);
    EXPECT_EQ(form->Color(), clBtnFace);
    EXPECT_EQ(form->Font()->Name(), "MS Sans Serif");

    TVarnGrid* grid = form->grid;
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->Name(), "grid");
    EXPECT_EQ(grid->Owner(), form);
    EXPECT_EQ(grid->Parent(), form);
    EXPECT_EQ(grid->Align(), alClient);
    EXPECT_EQ(grid->BoundsRect(), TRect(0, 0, 606, 238));
    EXPECT_EQ(grid->RowHeight(), 15);
    EXPECT_TRUE(grid->Editable());
    EXPECT_EQ(GetEventHandlerName(grid, "OnRowNeedData"), "gridRowNeedData");

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
        SCOPED_TRACE(i);
        TVGColumn* c = grid->Columns()->Items(i);
        EXPECT_EQ(c->FieldName(), expected[i].field);
        EXPECT_EQ(c->Caption(), expected[i].caption);
        EXPECT_EQ(c->Width(), expected[i].width);
        EXPECT_EQ(c->DataType(), expected[i].type);
        EXPECT_EQ(c->Format(), expected[i].format);
        EXPECT_EQ(c->ReadOnly(), expected[i].readOnly);
        EXPECT_EQ(c->Alignment(), expected[i].alignment);
    }

    // The handler is the form's own: it reads the row's mark.
    grid->OnRowNeedData(0);
    EXPECT_FALSE(numericReadOnly(form));
    grid->OnRowNeedData(2);
    EXPECT_TRUE(numericReadOnly(form));
}

TEST(Form1, FillsSixTypedRowsWithoutCurrentRow)
{
    varn::test::UiHarness ui;
    auto* form = ui.createForm<TForm1>(606, 238);
    TVarnGrid* grid = form->grid;

    ASSERT_EQ(grid->GetRowCount(), 6);
    EXPECT_EQ(grid->GetRowIndex(), -1);
    const char* totals[] = {"1000,50", "1100,00", "1200,00", "1300,00", "1400,00", "1500,40"};
    for (int row = 0; row < 6; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(grid->GetString(row, 0), row == 2 ? "numeric is Read-only" : "row normal");
        EXPECT_EQ(grid->GetRowData(row), row == 2 ? "RO" : "");
        EXPECT_EQ(grid->GetString(row, 1), std::to_string(10 + row));
        EXPECT_EQ(grid->GetString(row, 2), "03/03/2006");
        EXPECT_EQ(grid->GetString(row, 3), poem);
        EXPECT_EQ(grid->GetString(row, 4), totals[row]);
    }

    // The typed row reads back what it wrote.
    grid_dataRow data(grid);
    data.Read(5);
    EXPECT_EQ(AnsiString(data.a), "row normal");
    EXPECT_EQ(int(data.b), 15);
    sDB_date date = data.c;
    EXPECT_EQ(date.day, 3);
    EXPECT_EQ(date.month, 3);
    EXPECT_EQ(date.year, 2006);
    EXPECT_DOUBLE_EQ(double(data.e), 1500.4);

    // The date column shows month first through its Format.
    EXPECT_EQ(grid->Body()->GetCellText(0, 2), " 03/03/2006");
}

TEST(Form1, DateColumnUsesTheLocaleSeparator)
{
    TFormatSettings saved = FormatSettings;
    FormatSettings.DateSeparator = '-';
    {
        varn::test::UiHarness ui;
        auto* form = ui.createForm<TForm1>(606, 238);
        EXPECT_EQ(form->grid->GetString(1, 2), "03-03-2006");
        EXPECT_EQ(form->grid->Body()->GetCellText(1, 2), " 03-03-2006");
    }
    FormatSettings = saved;
}

TEST(Form1, NumericColumnIsReadOnlyOnlyWhileTheMarkedRowIsCurrent)
{
    varn::test::UiHarness ui;
    auto* form = ui.createForm<TForm1>(606, 238);
    TVGScrollBox* body = form->grid->Body();

    // The description's ReadOnly holds until the first paint; the last row
    // painted without a current row is row 5.
    EXPECT_TRUE(numericReadOnly(form));
    ui.show(form);
    EXPECT_EQ(form->grid->GetRowIndex(), -1);
    EXPECT_FALSE(numericReadOnly(form));

    ui.click(body, 20, rowY(2));
    EXPECT_EQ(form->grid->GetRowIndex(), 2);
    EXPECT_TRUE(numericReadOnly(form));

    ui.click(body, 20, rowY(3));
    EXPECT_EQ(form->grid->GetRowIndex(), 3);
    EXPECT_FALSE(numericReadOnly(form));

    // Keys move the current row the same way.
    ui.pressKey(VK_UP);
    EXPECT_EQ(form->grid->GetRowIndex(), 2);
    EXPECT_TRUE(numericReadOnly(form));
    ui.pressKey(VK_DOWN);
    ui.pressKey(VK_DOWN);
    EXPECT_EQ(form->grid->GetRowIndex(), 4);
    EXPECT_FALSE(numericReadOnly(form));

    // A repaint of every row keeps the current row's answer.
    ui.click(body, 20, rowY(2));
    body->Invalidate();
    ui.pump();
    EXPECT_TRUE(numericReadOnly(form));
}

TEST(Form1, CellsAreEditedInPlaceExceptTheNumericOneOfTheMarkedRow)
{
    varn::test::UiHarness ui;
    auto* form = ui.createForm<TForm1>(606, 238);
    TVarnGrid* grid = form->grid;
    TVGScrollBox* body = grid->Body();
    ui.show(form);

    // A double click selects the row and edits the cell under the pointer.
    ui.doubleClick(body, 20, rowY(3));
    ASSERT_TRUE(grid->InEdit());
    ui.typeText("hola");
    ui.pressKey(VK_RETURN);
    EXPECT_EQ(grid->GetString(3, 0), "hola");
    EXPECT_EQ(grid->GetColIndex(), 1);  // numeric is editable on this row
    ui.typeText("42");
    ui.pressKey(VK_RETURN);
    EXPECT_EQ(grid->GetString(3, 1), "42");
    EXPECT_EQ(grid->GetColIndex(), 2);
    ui.pressKey(VK_ESCAPE);
    EXPECT_FALSE(grid->InEdit());

    // On the marked row the numeric column is skipped and cannot be clicked into.
    ui.advance(1000);
    ui.click(body, 20, rowY(2));
    ui.advance(1000);
    ui.click(body, 150, rowY(2));
    EXPECT_FALSE(grid->InEdit());
    ui.pressKey(VK_F2);
    EXPECT_EQ(grid->GetColIndex(), 0);
    ui.pressKey(VK_RETURN);
    EXPECT_EQ(grid->GetColIndex(), 2);
    EXPECT_EQ(grid->Editor()->GetText(), "03/03/2006");
    // From here Down reaches the numeric column of the next row, which is editable.
    ui.pressKey(VK_LEFT);
    EXPECT_EQ(grid->GetRowIndex(), 2);
    EXPECT_EQ(grid->GetColIndex(), 0);
    ui.pressKey(VK_RIGHT);
    ui.pressKey(VK_DOWN);
    EXPECT_EQ(grid->GetRowIndex(), 3);
    EXPECT_EQ(grid->GetString(2, 1), "12");
}
