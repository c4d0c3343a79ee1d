#include "grid/VarnGrid.h"
#include "grid/VarnGridSort.h"
#include "grid/VarnRow.h"

#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A row class of the kind the code generator writes.
struct TestRow : TVarnRow {
    TVarnDataCol_string name{this, 0};
    TVarnDataCol_integer count{this, 1};
    TVarnDataCol_date day{this, 2};
    TVarnDataCol_time hour{this, 3};
    TVarnDataCol_boolean done{this, 4};
    TVarnDataCol_float price{this, 5};
    TVarnDataCol_float amount{this, 6};
    int reads = 0;

    using TVarnRow::TVarnRow;
    void OnRead() override { ++reads; }
};

void addColumns(TVarnGrid& grid)
{
    const char* names[] = {"name", "count", "day", "hour", "done", "price", "amount"};
    VGDataType types[] = {vgString, vgInteger, vgDate, vgTime, vgBoolean, vgFloat, vgMoney};
    for (int i = 0; i < 7; ++i) {
        TVGColumn* column = grid.Columns()->Add();
        column->SetFieldName(names[i]);
        column->SetDataType(types[i]);
    }
}

std::vector<AnsiString> column(TVarnGrid& grid, int col)
{
    std::vector<AnsiString> texts;
    for (int row = 0; row < grid.GetRowCount(); ++row)
        texts.push_back(grid.GetString(row, col));
    return texts;
}

struct DecimalPoint {
    char saved = FormatSettings.DecimalSeparator;
    explicit DecimalPoint(char separator) { FormatSettings.DecimalSeparator = separator; }
    ~DecimalPoint() { FormatSettings.DecimalSeparator = saved; }
};

}  // namespace

TEST(TypedRows, ValuesBecomeCellTextsAndReadBack)
{
    TVarnGrid grid(nullptr);
    addColumns(grid);
    TestRow row(&grid);
    row.Append();
    EXPECT_EQ(row.reads, 1);
    EXPECT_TRUE(row.name.isNull());
    row.name = "Ca\xF1\xF3n";
    row.count = -42;
    row.day = sDB_date{5, 3, 2006};
    row.hour = sDB_time{9, 5};
    row.done = true;
    row.price = 1000.5;
    row.amount = 1234567.5;
    EXPECT_FALSE(row.name.isNull());
    EXPECT_EQ(grid.GetString(0, 1), "-42");
    EXPECT_EQ(grid.GetString(0, 2), "05/03/2006");
    EXPECT_EQ(grid.GetString(0, 3), "09:05");
    EXPECT_EQ(grid.GetString(0, 4), "true");
    EXPECT_EQ(grid.GetString(0, 5), "1000,50");
    EXPECT_EQ(grid.GetString(0, 6), "1.234.567,50");

    EXPECT_EQ(AnsiString(row.name), "Ca\xF1\xF3n");
    EXPECT_EQ(int(row.count), -42);
    EXPECT_EQ(row.day.get().dayNumber(), (sDB_date{5, 3, 2006}).dayNumber());
    EXPECT_EQ(row.hour.get().totalMinutes(), 9 * 60 + 5);
    EXPECT_TRUE(row.done.get());
    EXPECT_DOUBLE_EQ(row.price.get(), 1000.5);
    EXPECT_DOUBLE_EQ(row.amount.get(), 1234567.5);  // money columns read with GetMoney
    {
        // The decimal comma SetFloat writes reads back under a decimal point too.
        DecimalPoint point('.');
        EXPECT_DOUBLE_EQ(row.GetFloat(5), 1000.5);
        grid.SetString(0, 5, "2.25");
        EXPECT_DOUBLE_EQ(row.GetFloat(5), 2.25);
    }
    grid.SetString(0, 1, "abc");
    EXPECT_EQ(row.GetInteger(1), 0);

    // -1 reads the current row; Read skips OnRead for rows that are not there.
    grid.SetRowIndex(0);
    row.Read(-1);
    EXPECT_EQ(row.reads, 2);
    row.Read(5);
    EXPECT_EQ(row.reads, 2);
    EXPECT_FALSE(row.GetUnicolumn());
    row.Read(0);
    row.SetUnicolumn(true);
    row.SetUnicolumnText("Totales");
    EXPECT_TRUE(row.GetUnicolumn());
    EXPECT_EQ(grid.GetRowInfo(0)->cells(0), "Totales");
}

TEST(TypedRows, ReadingAColumnAsAnotherTypeRaisesVGException)
{
    TVarnGrid grid(nullptr);
    grid.SetName("grid");
    addColumns(grid);
    TestRow row(&grid);
    row.Append();
    row.count = 12;
    try {
        row.GetString(1);
        FAIL() << "no exception";
    } catch (const VGException& e) {
        EXPECT_EQ(e.Message(), "grid col=1 Tipo de datos err\xF3neo 0");
    }
    try {
        row.GetInteger(0);
        FAIL() << "no exception";
    } catch (const VGException& e) {
        EXPECT_EQ(e.Message(), "grid col=0 Tipo de datos err\xF3neo 4");
    }
    EXPECT_THROW(row.GetFloat(6), VGException);
    EXPECT_THROW(row.GetMoney(5), VGException);
    EXPECT_THROW(row.GetBoolean(3), VGException);
    EXPECT_EQ(row.GetInteger(1), 12);
    EXPECT_THROW(row.GetString(7), EListError);  // no such column
    EXPECT_THROW(row.SetNull(36, true), EListError);
    EXPECT_THROW(row.SetItemData(10, "x"), EListError);
}

TEST(GridSort, EachTypeSortsByItsValue)
{
    TVarnGrid grid(nullptr);
    addColumns(grid);
    TestRow row(&grid);
    struct Data {
        const char* name;
        int count;
        sDB_date day;
        sDB_time hour;
        bool done;
    };
    Data data[] = {
        {"oso", 10, {15, 1, 2006}, {10, 0}, true},
        {"\xF1" "and\xFA", 9, {1, 2, 2005}, {9, 59}, false},
        {"Nube", -3, {31, 12, 2005}, {23, 1}, true},
        {"nata", 100, {2, 2, 2005}, {0, 30}, false},
    };
    for (const Data& d : data) {
        row.Append();
        row.name = d.name;
        row.count = d.count;
        row.day = d.day;
        row.hour = d.hour;
        row.done = d.done;
    }

    grid.SortBy("name");
    EXPECT_EQ(column(grid, 0), (std::vector<AnsiString>{"nata", "Nube", "\xF1" "and\xFA", "oso"}));
    grid.SortBy("count");
    EXPECT_EQ(column(grid, 1), (std::vector<AnsiString>{"-3", "9", "10", "100"}));
    grid.SortBy("DAY");
    EXPECT_EQ(column(grid, 2), (std::vector<AnsiString>{"01/02/2005", "02/02/2005", "31/12/2005", "15/01/2006"}));
    grid.SortBy("hour");
    EXPECT_EQ(column(grid, 3), (std::vector<AnsiString>{"00:30", "09:59", "10:00", "23:01"}));
    grid.SortBy("done,name");
    EXPECT_EQ(column(grid, 0), (std::vector<AnsiString>{"nata", "\xF1" "and\xFA", "Nube", "oso"}));
    grid.SortBy("done,count");  // numbers only: the later key breaks the first one's ties
    EXPECT_EQ(column(grid, 1), (std::vector<AnsiString>{"9", "100", "-3", "10"}));
    grid.SetString(0, 1, "abc");  // not a number: 0
    grid.SetString(1, 1, "-2147483648");
    grid.SortBy("count");
    EXPECT_EQ(column(grid, 1), (std::vector<AnsiString>{"-2147483648", "-3", "abc", "10"}));
    EXPECT_EQ(varn::detail::sortGrid, nullptr);
}

TEST(GridSort, ItemDataKeysIgnoreCaseAndTiesFallToTheNextKey)
{
    TVarnGrid grid(nullptr);
    addColumns(grid);
    grid.Columns()->Items(1)->SetFieldName("b");
    const char* slot1[] = {"beta", "ALFA", "Beta", "alfa"};
    const char* b[] = {"4", "3", "2", "1"};
    for (int i = 0; i < 4; ++i) {
        grid.AddRow();
        grid.GetRowInfo(i)->setItemData(1, slot1[i]);
        grid.SetString(i, 1, b[i]);
    }
    grid.SetRowIndex(1);
    grid.SortBy("#1,b");
    EXPECT_EQ(column(grid, 1), (std::vector<AnsiString>{"1", "3", "2", "4"}));
    EXPECT_EQ(grid.GetRowIndex(), 1);  // the number stays, the row under it changed

    // A bad item-data key raises before anything moves and leaves no sort state.
    EXPECT_THROW(grid.SortBy("b,#x"), EListError);
    EXPECT_EQ(column(grid, 1), (std::vector<AnsiString>{"1", "3", "2", "4"}));
    EXPECT_EQ(varn::detail::sortGrid, nullptr);
    EXPECT_EQ(varn::detail::sortKeys.Count(), 0);

    grid.SortBy("nothing");  // a key naming no column compares equal
    EXPECT_EQ(grid.GetRowCount(), 4);

    // Texts sharing a long beginning, one of them all beginning.
    const char* shared[] = {"Cliente 10", "cliente 2", "Cliente", "Cliente 1"};
    for (int i = 0; i < 4; ++i)
        grid.GetRowInfo(i)->setItemData(2, shared[i]);
    grid.SortBy("#2");
    std::vector<AnsiString> sorted;
    for (int i = 0; i < 4; ++i)
        sorted.push_back(grid.GetRowInfo(i)->itemData(2));
    EXPECT_EQ(sorted, (std::vector<AnsiString>{"Cliente", "Cliente 1", "Cliente 10", "cliente 2"}));
}

TEST(GridSearch, FindColumnTextWrapsSkipsTheCurrentRowAndFoldsAccents)
{
    TVarnGrid grid(nullptr);
    std::vector<int> entered;
    grid.OnRowEnter = [&](int row) { entered.push_back(row); };
    const char* texts[] = {"CANCI\xD3N", "otra", "canci\xF3n de cuna", "nada"};
    for (int i = 0; i < 4; ++i) {
        grid.AddRow();
        grid.SetString(i, 3, texts[i]);
    }

    // No current row: row 0 becomes current and is examined first.
    EXPECT_TRUE(grid.FindColumnText("cancion", "1,3"));
    EXPECT_EQ(grid.GetRowIndex(), 0);
    EXPECT_EQ(entered, (std::vector<int>{0}));
    EXPECT_TRUE(grid.FindColumnText("cancion", "3"));
    EXPECT_EQ(grid.GetRowIndex(), 2);
    EXPECT_TRUE(grid.FindColumnText("C\xC1NCION", "3"));  // wraps past the last row
    EXPECT_EQ(grid.GetRowIndex(), 0);

    // Only the current row holds "cuna": it is not examined, nothing moves.
    grid.SetRowIndex(2);
    entered.clear();
    EXPECT_FALSE(grid.FindColumnText("cuna", "3"));
    EXPECT_EQ(grid.GetRowIndex(), 2);
    EXPECT_TRUE(entered.empty());

    EXPECT_THROW(grid.FindColumnText("x", "3,36"), EListError);
    TVarnGrid empty(nullptr);
    EXPECT_FALSE(empty.FindColumnText("x", "0"));

    // RowIndex past the end after deleting an earlier row: every row is looked at once.
    grid.SetRowIndex(3);
    grid.DeleteRow(0);
    EXPECT_FALSE(grid.FindColumnText("zzz", "3"));
    EXPECT_TRUE(grid.FindColumnText("NADA", "3"));
    EXPECT_EQ(grid.GetRowIndex(), 2);
}

TEST(GridSearch, CodePageLettersSortAndSearchLikeTheirBaseLetters)
{
    TVarnGrid grid(nullptr);
    addColumns(grid);
    const char* names[] = {"Szabo", "\x8A" "IMON", "Sabio", "simon", "\x9C" "uvre", "\x9F" "ves"};
    for (int i = 0; i < 6; ++i) {
        grid.AddRow();
        grid.SetString(i, 0, names[i]);
    }
    // Spanish collation: Š is an accented S, placed after the plain letter.
    grid.SortBy("name");
    EXPECT_EQ(column(grid, 0), (std::vector<AnsiString>{"\x9C" "uvre", "Sabio", "simon", "\x8A" "IMON", "Szabo",
                                                        "\x9F" "ves"}));

    // Case and the caron are ignored: "šimon" finds ŠIMON and simon alike, ÿ finds Ÿ.
    grid.SetRowIndex(2);
    EXPECT_TRUE(grid.FindColumnText("\x9Aimon", "0"));
    EXPECT_EQ(grid.GetRowIndex(), 3);
    EXPECT_TRUE(grid.FindColumnText("SIMON", "0"));
    EXPECT_EQ(grid.GetRowIndex(), 2);
    EXPECT_TRUE(grid.FindColumnText("\xFF" "v", "0"));
    EXPECT_EQ(grid.GetRowIndex(), 5);
    EXPECT_TRUE(grid.FindColumnText("\x8C" "U", "0"));
    EXPECT_EQ(grid.GetRowIndex(), 0);
    EXPECT_FALSE(grid.FindColumnText("yv", "0")) << "the diaeresis on y is not folded, as on \xFF";
}
