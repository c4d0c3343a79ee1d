#include "GridScreen.h"

#include "platform/ImageList.h"
#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <vector>

using varn::test::GridScreen;
using varn::test::rgb;
using Events = std::vector<std::string>;

TEST(GridPaint, EntireRowsScrollRangeAndRowTop)
{
    GridScreen s;
    s.show();
    ASSERT_EQ(s.body()->GetClientSize(false), 100);
    EXPECT_EQ(s.grid->GetNumOfEntireRows(), 6);
    EXPECT_EQ(s.grid->GetDiferenceRowHeight(), 10);

    s.addRows(5);
    s.grid->SetRowTop(3);  // all rows fit: nothing moves
    EXPECT_EQ(s.grid->GetRowTop(), 0);

    s.addRows(15);
    EXPECT_EQ(s.body()->VertScrollBar()->Range(), 310);
    s.grid->SetRowTop(100);
    EXPECT_EQ(s.grid->GetRowTop(), 14);
    EXPECT_EQ(s.body()->VertScrollBar()->Position(), 14 * 15);
    s.grid->SetRowTop(-5);
    EXPECT_EQ(s.grid->GetRowTop(), 0);

}

TEST(GridPaint, AppendedRowsShowInWhatTheBodyReportsAtOnce)
{
    // Appending works the scroll ranges out once, later; whatever a program
    // reads straight after each row must already count it.
    GridScreen s;
    s.show();
    const int width = s.body()->ClientWidth();
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
    for (int rows = 1; rows <= 8; ++rows) {
        s.grid->AddRow();
        const bool bar = rows * 15 > 100;
        // Each read first in its own round, so that none relies on another.
        if (rows % 2) {
            EXPECT_EQ(s.body()->ClientWidth(), bar ? width - barWidth : width) << rows;
        }
        EXPECT_EQ(s.body()->VertScrollBar()->Range(), rows * 15 + 10) << rows;
        EXPECT_EQ(s.body()->VertScrollBar()->IsScrollBarVisible(), bar) << rows;
        EXPECT_EQ(s.body()->ClientWidth(), bar ? width - barWidth : width) << rows;
        EXPECT_EQ(s.body()->GetCellRect(rows - 1, 0).top, (rows - 1) * 15);
    }
    s.grid->InsertAt(0, "first");
    EXPECT_EQ(s.body()->VertScrollBar()->Range(), 9 * 15 + 10);

    // The window's own bar follows once the messages are handled, painted at its place.
    for (int i = 0; i < 20; ++i)
        s.grid->AddRow();
    s.ui.pump();
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    ASSERT_TRUE(GetScrollInfo(s.body()->Handle(), SB_VERT, &info));
    EXPECT_EQ(info.nMax, 29 * 15 + 10 - 1);
    EXPECT_EQ(static_cast<int>(info.nPage), 100);
    EXPECT_NE(s.ui.pixel(s.body(), width - barWidth / 2, 50), s.ui.pixel(s.body(), 10, 95));

    // A grid destroyed with its update still put off goes quietly, form and all.
    GridScreen gone;
    gone.show();
    gone.addRows(30);
    delete gone.form;
}

TEST(GridPaint, RowsAreAskedForOnlyWhenPaintedThenTheCurrentRowOnce)
{
    GridScreen s;
    s.addRows(20);
    s.show();
    std::vector<int> asked;
    s.grid->OnRowNeedData = [&](int row) { asked.push_back(row); };
    s.repaint();  // no current row: exactly the painted rows
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));

    s.grid->SetRowIndex(2);
    asked.clear();
    s.repaint();
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 2}));

    // A unicolumn row is never asked for, not even as the current row.
    s.grid->GetRowInfo(2)->unicolumn = true;
    asked.clear();
    s.repaint();
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 3, 4, 5, 6}));

    GridScreen big;
    for (int i = 0; i < 1000000; ++i)
        big.grid->AddRow();
    big.show();
    big.grid->SetRowTop(500000);
    big.grid->SetRowIndex(500003);
    int count = 0;
    big.grid->OnRowNeedData = [&](int) { ++count; };
    big.repaint();
    EXPECT_GT(count, 0);
    EXPECT_LE(count, big.grid->GetNumOfEntireRows() + 2);
}

TEST(GridPaint, CellTextFollowsTypeComboAndAlignment)
{
    GridScreen s({60, 60, 60, 60});
    s.addRows(1);
    TVGColumnCollection* columns = s.grid->Columns();
    columns->Items(0)->SetAlignment(taLeftJustify);
    columns->Items(1)->SetDataType(vgBoolean);
    columns->Items(1)->SetAlignment(taRightJustify);
    columns->Items(2)->SetDataType(vgDate);
    columns->Items(2)->SetAlignment(taCenter);
    columns->Items(3)->SetDataType(vgTime);
    s.grid->SetString(0, 1, "true");
    s.grid->SetString(0, 2, "5/3/2024");
    s.grid->SetString(0, 3, "9:05");
    EXPECT_EQ(s.body()->GetCellText(0, 0), " row 0");
    EXPECT_EQ(s.body()->GetCellText(0, 1), "s\xED ");
    EXPECT_EQ(s.body()->GetCellText(0, 2), "05/03/2024");
    EXPECT_EQ(s.body()->GetCellText(0, 3), " 09:05");

    // Unknown combo values, unreadable dates and times show the stored text.
    s.grid->SetString(0, 1, "maybe");
    s.grid->SetString(0, 2, "not a date");
    s.grid->SetString(0, 3, "25:99");
    EXPECT_EQ(s.body()->GetCellText(0, 1), "maybe ");
    EXPECT_EQ(s.body()->GetCellText(0, 2), "not a date");
    EXPECT_EQ(s.body()->GetCellText(0, 3), " 25:99");
    s.show();
    s.repaint();  // painting such cells does not fail

    s.grid->GetRowInfo(0)->unicolumn = true;
    EXPECT_EQ(s.body()->GetCellText(0, 0), " row 0");
    EXPECT_EQ(s.body()->GetCellText(0, 1), "");
}

TEST(GridPaint, CheckBoxImageAndTextAreaOfTheFirstColumn)
{
    GridScreen s;
    TImageList images(nullptr);
    TBitmap picture;
    picture.SetWidth(16);
    picture.SetHeight(16);
    picture.Canvas()->Brush()->SetColor(clRed);
    picture.Canvas()->FillRect({0, 0, 16, 16});
    picture.Canvas()->SetPixels(0, 15, clBlue);  // the transparent colour
    images.AddMasked(&picture, clBlue);
    s.grid->SetBkColor(clWhite);
    s.grid->SetCheckBoxes(true);
    s.grid->SetImages(&images);
    s.addRows(3);
    s.grid->GetRowInfo(1)->imageIndex = 0;
    s.grid->SetRowChecked(1, true);
    s.show();
    s.grid->SetRowIndex(1);
    s.repaint();

    TRect cell = s.body()->GetCellRect(1, 0);
    EXPECT_EQ(cell.left, 36);
    EXPECT_EQ(s.body()->GetCheckRect(1), (TRect{1, 16, 14, 29}));
    EXPECT_EQ(s.body()->GetImageRect(1).left, 18);

    // The check box square covers x 1..13; around it the body background.
    COLORREF white = rgb(clWhite);
    EXPECT_NE(s.pixel(1, 22), white);
    EXPECT_NE(s.pixel(13, 22), white);
    EXPECT_EQ(s.pixel(14, 22), white);
    // The image starts at x 18, its transparent corner shows the background.
    EXPECT_EQ(s.pixel(18, 15), rgb(clRed));
    EXPECT_EQ(s.pixel(33, 15), rgb(clRed));
    EXPECT_EQ(s.pixel(18, 15 + 15), white);
    // The selection colour starts with the text area (after the left grid line).
    EXPECT_EQ(s.pixel(35, 20), white);
    EXPECT_EQ(s.pixel(36, 20), rgb(clSilver));
    EXPECT_EQ(s.pixel(37, 20), rgb(clHighlight));
}

TEST(GridPaint, GridLinesAndSelectionColoursFollowTheFocus)
{
    GridScreen s;  // columns 60, 80, 70: edges 0, 60, 140, 210
    s.grid->SetBkColor(clWhite);
    s.addRows(4);
    auto* other = new TCustomControl(s.form);
    other->SetParent(s.form);
    other->SetBounds(0, 125, 20, 10);
    s.show();
    s.click(100, 20);  // row 1, with the focus
    ASSERT_EQ(s.grid->GetRowIndex(), 1);
    s.repaint();

    COLORREF silver = rgb(clSilver);
    // Row 0 (y 0..14): vertical lines at the cell edges from the top to bottom - 2,
    // the row line at bottom - 1 from x 0 to the last edge.
    for (int x : {0, 60, 140, 210}) {
        EXPECT_EQ(s.pixel(x, 0), silver) << x;
        EXPECT_EQ(s.pixel(x, 13), silver) << x;
    }
    EXPECT_EQ(s.pixel(100, 14), silver);
    EXPECT_EQ(s.pixel(210, 14), silver);
    EXPECT_EQ(s.pixel(211, 14), rgb(clWhite));
    EXPECT_EQ(s.pixel(55, 5), rgb(clWhite));

    // Selected row: ColorBkSel with the focus, ColorBkSelIn without.
    EXPECT_EQ(s.pixel(130, 20), rgb(clHighlight));
    other->SetFocus();
    s.ui.pump();
    EXPECT_EQ(s.pixel(130, 20), rgb(clInactiveCaption));
    s.grid->SetFocus();
    s.ui.pump();
    EXPECT_EQ(s.pixel(130, 20), rgb(clHighlight));

}

TEST(GridPaint, UnicolumnRowsAndSpannedCells)
{
    GridScreen s;
    s.grid->SetBkColor(clWhite);
    s.grid->AttrUnicolumn()->SetBackColor(clYellow);
    s.grid->FontAttrs()->Attr1()->SetBackColor(clLime);
    s.addRows(3);
    TVarnGrid_rowInfo* separator = s.grid->GetRowInfo(0);
    separator->unicolumn = true;
    TVarnGrid_rowInfo* spanned = s.grid->GetRowInfo(1);
    spanned->spanNext[0] = true;
    spanned->cellAttr[0] = 1;
    s.grid->SetString(1, 1, "hidden text");
    s.show();
    s.repaint();

    // The unicolumn row is one cell from the first edge to the last, in AttrUnicolumn.
    EXPECT_EQ(s.body()->GetCellRect(0, 1), (TRect{0, 0, 210, 15}));
    EXPECT_EQ(s.pixel(1, 2), rgb(clYellow));
    EXPECT_EQ(s.pixel(60, 2), rgb(clYellow));
    EXPECT_EQ(s.pixel(140, 2), rgb(clYellow));
    EXPECT_EQ(s.pixel(209, 2), rgb(clYellow));
    EXPECT_EQ(s.pixel(210, 2), rgb(clSilver));

    // Cell 0 of row 1 covers column 1; column 1's own text is not drawn.
    EXPECT_EQ(s.body()->GetCellRect(1, 0), (TRect{0, 15, 140, 30}));
    EXPECT_EQ(s.pixel(60, 17), rgb(clLime));
    EXPECT_EQ(s.pixel(139, 17), rgb(clLime));
    for (int x = 62; x < 138; ++x)
        ASSERT_EQ(s.pixel(x, 22), rgb(clLime)) << x;
}

TEST(GridPaint, HorizontalScrollMovesCellsAndCaptions)
{
    GridScreen s({70, 70, 70}, 150);
    s.grid->SetHdColor(clWhite);
    s.addRows(2);
    s.show();
    auto headRow = [&](int y) {
        std::vector<COLORREF> row;
        for (int x = 0; x < 150; ++x)
            row.push_back(s.headPixel(x, y));
        return row;
    };
    std::vector<std::vector<COLORREF>> before;
    for (int y = 0; y < 18; ++y)
        before.push_back(headRow(y));
    EXPECT_EQ(before[9][0], rgb(clSilver));
    EXPECT_EQ(before[9][70], rgb(clSilver));
    EXPECT_EQ(before[9][140], rgb(clSilver));

    s.body()->Perform(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 40), 0);
    s.ui.pump();
    EXPECT_EQ(s.body()->HorzOffset(), 40);
    EXPECT_EQ(s.body()->GetCellRect(0, 1).left, 30);
    // Captions and separator lines are drawn 40 pixels further left.
    for (int y = 0; y < 18; ++y) {
        std::vector<COLORREF> after = headRow(y);
        for (int x = 40; x < 150; ++x)
            ASSERT_EQ(after[x - 40], before[y][x]) << x << "," << y;
    }
}

TEST(GridPaint, ScrollMessagesAndEnsureColVisible)
{
    GridScreen s({100, 100, 100, 100}, 250);
    s.addRows(20);
    s.show();
    TVGScrollBox* body = s.body();
    auto vscroll = [&](int code, int thumb = 0) {
        body->Perform(WM_VSCROLL, MAKEWPARAM(code, thumb), 0);
        return s.grid->GetRowTop();
    };
    // Both scroll bars show: 233 x 83 pixels of rows, 5 entire rows.
    ASSERT_EQ(body->GetClientSize(true), 233);
    ASSERT_EQ(body->GetClientSize(false), 83);
    EXPECT_EQ(vscroll(SB_LINEDOWN), 1);
    EXPECT_EQ(vscroll(SB_PAGEDOWN), 7);  // 15 + 83 pixels: rounded up to whole rows
    EXPECT_EQ(vscroll(SB_THUMBTRACK, 31), 3);
    EXPECT_EQ(vscroll(SB_BOTTOM), 15);
    EXPECT_EQ(vscroll(SB_TOP), 0);

    // Column 3 (300..400) comes into view at the right edge, column 0 at the left.
    int w = body->GetClientSize(true);
    s.grid->EnsureColVisible(3);
    EXPECT_EQ(body->HorzOffset(), 400 - w);
    EXPECT_EQ(body->GetCellRect(0, 3).right, w);
    s.grid->EnsureColVisible(0);
    EXPECT_EQ(body->HorzOffset(), 0);
    body->Perform(WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    EXPECT_GT(body->HorzOffset(), 0);
    EXPECT_EQ(s.grid->ColForX(body->ColumnEdge(1)), 0);  // an edge belongs to the column on its left
    EXPECT_EQ(s.grid->ColForX(body->ColumnEdge(1) + 1), 1);
}

TEST(GridPaint, RefreshFindsTheCurrentRowAgain)
{
    GridScreen s;
    s.addRows(20);
    s.show();
    s.recordRowEvents();
    auto reload = [&](int rows) {
        s.grid->PreRefresh();
        EXPECT_FALSE(s.body()->Visible());
        s.grid->Clear();
        s.addRows(rows);
        s.grid->PostRefresh();
        EXPECT_TRUE(s.body()->Visible());
    };
    s.grid->SetRowTop(8);
    s.grid->SetRowIndex(10);
    s.ui.takeEvents();
    reload(20);
    EXPECT_EQ(s.grid->GetRowIndex(), 10);
    EXPECT_EQ(s.grid->GetRowTop(), 8);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"enter 10"}));
    reload(10);  // the saved position is gone: no current row
    EXPECT_EQ(s.grid->GetRowIndex(), -1);

    // By item data the row is found wherever it now is.
    s.grid->SetItemDataOnRefresh(true);
    s.grid->SetRowIndex(4);  // item data "r4"
    s.grid->PreRefresh();
    s.grid->Clear();
    s.grid->AddRow("new");
    s.addRows(6);  // "r1" .. "r6": r4 is now row 4 again, shifted by the new first row
    s.grid->PostRefresh();
    EXPECT_EQ(s.grid->GetRowData(s.grid->GetRowIndex()), "r4");
}

TEST(GridPaint, FillerColumnMakesRoomForTheVerticalScrollBar)
{
    GridScreen s;  // 60, 80, 70 in a 300-pixel body
    s.grid->SetCol100x100("c1");
    s.show();
    EXPECT_EQ(s.grid->Columns()->Items(1)->Width(), 300 - 2 - 60 - 70);
    s.addRows(7);  // one more than fits: the vertical bar appears
    EXPECT_EQ(s.body()->GetClientSize(true), 300 - 17);
    EXPECT_EQ(s.grid->Columns()->Items(1)->Width(), 300 - 17 - 2 - 60 - 70);
    EXPECT_EQ(s.body()->GetClientSize(false), 100);  // no horizontal bar
}

TEST(GridPaint, ThumbDragReachesRowsPastSixteenBitsOfPixels)
{
    GridScreen s({100, 100}, 250, 100);
    s.addRows(100000);  // 1,500,000 pixels of rows
    s.show();
    RECT bounds{};
    GetWindowRect(s.body()->Handle(), &bounds);
    // The vertical bar is the rightmost 17 pixels; its thumb sits right under the up arrow.
    int x = bounds.right - 9;
    s.ui.pressScreen(x, bounds.top + 20);
    s.ui.moveToScreen(x, (bounds.top + bounds.bottom) / 2);
    s.ui.releaseScreen(x, (bounds.top + bounds.bottom) / 2);
    s.ui.pump();
    // Half-way down the track is tens of thousands of rows, far past 65,535 / 15.
    EXPECT_GT(s.grid->GetRowTop(), 20000);
    EXPECT_LT(s.grid->GetRowTop(), 80000);
}

TEST(GridPaint, RowsRemovedByTheDataHandlerWhilePaintingLeaveTheBackgroundColour)
{
    GridScreen s;
    s.addRows(5);  // all fit: no scroll bar comes or goes
    s.grid->SetBkColor(clYellow);
    s.grid->FontAttrs()->GetAttr(1)->SetBackColor(clRed);
    for (int r = 0; r < 5; ++r)
        s.grid->GetRowInfo(r)->rowAttr = 1;
    s.show();
    s.repaint();
    ASSERT_EQ(s.pixel(100, 4 * 15 + 5), rgb(clRed));
    EXPECT_EQ(s.pixel(250, 5), rgb(clYellow));  // beside the columns
    EXPECT_EQ(s.pixel(100, 90), rgb(clYellow));  // below the rows

    s.grid->OnRowNeedData = [&](int row) {
        if (row == 2)
            while (s.grid->GetRowCount() > 3)
                s.grid->DeleteRow(s.grid->GetRowCount() - 1);
    };
    s.repaint();
    EXPECT_EQ(s.pixel(100, 2 * 15 + 5), rgb(clRed));
    for (int y : {3 * 15 + 5, 4 * 15 + 5, 90})
        EXPECT_EQ(s.pixel(100, y), rgb(clYellow)) << y;
}
