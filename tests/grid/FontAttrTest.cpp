#include "grid/VarnGrid.h"

#include <gtest/gtest.h>

TEST(FontAttrs, ApplyLeavesTheBackgroundAloneWithoutABackColour)
{
    TFontAttr attr;
    EXPECT_EQ(attr.Color(), clBlack);
    EXPECT_EQ(attr.ColorSel(), clBlack);
    EXPECT_EQ(attr.BackColor(), clNone);
    EXPECT_EQ(attr.BackColorSel(), clNone);

    TCanvas canvas;
    canvas.Brush()->SetColor(clYellow);
    canvas.Pen()->SetColor(clYellow);
    attr.SetStyles(TFontStyles{fsItalic});
    attr.SetColorSel(clRed);
    attr.SetBackColor(clBlue);
    attr.Apply(&canvas, true);
    EXPECT_EQ(canvas.Font()->Color(), clRed);
    EXPECT_EQ(canvas.Font()->Style(), TFontStyles{fsItalic});
    EXPECT_EQ(canvas.Brush()->Color(), clYellow);
    attr.Apply(&canvas, false);
    EXPECT_EQ(canvas.Font()->Color(), clBlack);
    EXPECT_EQ(canvas.Brush()->Color(), clBlue);
    EXPECT_EQ(canvas.Pen()->Color(), clBlue);

    TFontAttr copy;
    copy.Assign(&attr);
    EXPECT_EQ(copy.BackColor(), clBlue);
    EXPECT_EQ(copy.Styles(), TFontStyles{fsItalic});
    TFontAttrs attrs;
    copy.Assign(&attrs);  // not a TFontAttr: ignored
    EXPECT_EQ(copy.BackColor(), clBlue);
    EXPECT_THROW(attrs.GetAttr(5), EListError);
}

TEST(FontAttrs, CellsTakeUnicolumnThenRowThenCellAttribute)
{
    TVarnGrid grid(nullptr);
    TFontAttr fallback;
    for (int i = 0; i < 3; ++i)
        grid.AddRow();
    grid.GetRowInfo(0)->cellAttr[2] = 3;
    grid.GetRowInfo(1)->cellAttr[2] = 3;
    grid.GetRowInfo(1)->rowAttr = 1;
    grid.GetRowInfo(2)->rowAttr = 1;
    grid.GetRowInfo(2)->unicolumn = true;
    EXPECT_EQ(grid.ChooseCellAttr(0, 1, &fallback), &fallback);
    EXPECT_EQ(grid.ChooseCellAttr(0, 2, &fallback), grid.FontAttrs()->Attr3());
    EXPECT_EQ(grid.ChooseCellAttr(1, 2, &fallback), grid.FontAttrs()->Attr1());
    EXPECT_EQ(grid.ChooseCellAttr(2, 2, &fallback), grid.AttrUnicolumn());
}

TEST(FontAttrs, SkinStdSetsItsColoursWhateverTheLetterCase)
{
    TVarnGrid grid(nullptr);
    grid.SetSkinName("Other");
    EXPECT_EQ(grid.ColorBkSel(), clHighlight);
    grid.SetSkinName("std");
    grid.SetSkinName("Std");
    EXPECT_EQ(grid.SkinName(), "Std");
    EXPECT_EQ(grid.AttrUnicolumn()->Color(), 33023);
    EXPECT_EQ(grid.AttrUnicolumn()->ColorSel(), 11786751);
    EXPECT_EQ(grid.AttrUnicolumn()->Styles(), TFontStyles{fsBold});
    EXPECT_EQ(grid.ColorBkSel(), 16744576);
    EXPECT_EQ(grid.ColorBkSelIn(), 11647920);
    EXPECT_EQ(grid.ColorHead(), 15461355);
    grid.SetSkinName("");  // colours of the earlier skin stay
    EXPECT_EQ(grid.ColorHead(), 15461355);
}
