#include "GridScreen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using varn::test::GridScreen;

namespace {

void names(GridScreen& s, const std::vector<std::string>& texts)
{
    for (const std::string& text : texts) {
        s.grid->AddRow();
        s.grid->AddString(0, text);
        s.grid->AddString(1, "x");
    }
}

}  // namespace

TEST(GridTypeAhead, TypedLettersFindTheNextRowStartingWithThemIgnoringAccentsAndCase)
{
    GridScreen s;
    names(s, {"Almer\xED" "a", "C\xF3rdoba", "C\xE1" "diz", "Burgos"});
    s.show();
    s.grid->SetFocus();
    s.grid->SetRowIndex(0);

    // Off by default: typing moves nothing.
    s.ui.typeText("b");
    EXPECT_EQ(s.grid->GetRowIndex(), 0);

    s.grid->SetIncrementalSearch(true);
    s.ui.typeText("c");
    EXPECT_EQ(s.grid->GetRowIndex(), 1);  // Córdoba
    s.ui.advance(900);
    s.ui.typeText("a");
    EXPECT_EQ(s.grid->GetRowIndex(), 2);  // "ca": Cádiz
    EXPECT_EQ(s.grid->TypedPrefix(), "ca");

    // After a pause a letter starts a new search, after the current row and round.
    s.ui.advance(1100);
    s.ui.typeText("B");
    EXPECT_EQ(s.grid->GetRowIndex(), 3);
    s.ui.advance(1100);
    s.ui.typeText("c");
    EXPECT_EQ(s.grid->GetRowIndex(), 1);
    // No match: the row stays.
    s.ui.typeText("x");
    EXPECT_EQ(s.grid->GetRowIndex(), 1);

    // With a header sort, the sort's first column is searched.
    s.grid->Columns()->Items(1)->SetFieldName("other");
    s.grid->SetString(0, 1, "zeta");
    s.grid->SortByHeader(1, false);
    s.ui.advance(1100);
    s.ui.typeText("z");
    EXPECT_EQ(s.grid->GetString(s.grid->GetRowIndex(), 0), "Almer\xED" "a");
}

TEST(GridAutoFit, ColumnFitsItsWidestShownTextPlusPaddingAndADoubleClickOnTheEdgeFits)
{
    GridScreen s({40, 80, 70});
    names(s, {"ab", "a much longer text", "abc"});
    for (int i = 0; i < 30; ++i)
        names(s, {"x"});
    names(s, {"a text far down that is longer than every other one"});
    s.show();
    TCanvas* canvas = s.body()->BodyCanvas();
    int padding = 2 * canvas->TextWidth(" ") + 1;

    int visible = s.grid->FittedWidth(0, false);
    EXPECT_EQ(visible, canvas->TextWidth("a much longer text") + padding);
    EXPECT_EQ(s.grid->FittedWidth(0, true), canvas->TextWidth("a text far down that is longer than every other one") + padding);
    // A caption wider than every cell decides.
    s.grid->Columns()->Items(1)->SetCaption("A caption wider than x");
    EXPECT_GT(s.grid->FittedWidth(1, false), canvas->TextWidth("x") + padding);

    // A double click on the first caption's right edge fits the column to the rows in view.
    int edge = s.grid->Header()->CellRect(0).right;
    s.ui.moveTo(s.grid->Header(), edge - 1, 9);
    s.ui.doubleClick(s.grid->Header(), edge - 1, 9);
    EXPECT_EQ(s.grid->Columns()->Items(0)->Width(), visible);
    // In the body of the caption it does not.
    s.grid->Columns()->Items(1)->SetWidth(30);
    s.ui.pump();
    int middle = (s.grid->Header()->CellRect(1).left + s.grid->Header()->CellRect(1).right) / 2;
    s.ui.moveTo(s.grid->Header(), middle, 9);
    s.ui.doubleClick(s.grid->Header(), middle, 9);
    EXPECT_EQ(s.grid->Columns()->Items(1)->Width(), 30);
}
