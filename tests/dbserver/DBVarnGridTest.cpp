#include "DbServerTest.h"

#include "grid/DBVarnGrid.h"
#include "grid/VGScrollBox.h"
#include "utils/Cnvtools.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

class DBVarnGrid : public DbServerTest {
protected:
    void SetUp() override
    {
        DbServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        grid = std::make_unique<TDBVarnGrid>(nullptr);
        grid->SetName("grid");
        grid->connection = &connection;
        grid->SQLTableName = "T";
    }
    void TearDown() override
    {
        grid.reset();
        DbServerTest::TearDown();
    }

    TVGColumn* addColumn(const AnsiString& field, VGDataType type = vgString)
    {
        TVGColumn* column = grid->Columns()->Add();
        column->SetFieldName(field);
        column->SetDataType(type);
        return column;
    }
    // Every cell of every row; a separator row as "== text".
    Strings rows()
    {
        Strings all;
        for (int r = 0; r < grid->GetRowCount(); ++r) {
            if (grid->GetIsRowUnicolumn(r)) {
                all.push_back("== " + grid->GetRowInfo(r)->cells(0));
                continue;
            }
            std::string line = grid->GetRowData(r) + ":";
            for (int c = 0; c < grid->Columns()->Count(); ++c)
                line += " " + grid->GetString(r, c);
            all.push_back(line);
        }
        return all;
    }
    // What the editor does after the user typed a value into a cell.
    void edit(int row, int col, const AnsiString& text)
    {
        grid->SetRowIndex(row);
        grid->SetColIndex(col);
        grid->SetString(row, col, text);
        grid->SetRowModified(true);
        grid->doCellModified();
    }

    std::unique_ptr<TDBVarnGrid> grid;
};

}  // namespace

TEST_F(DBVarnGrid, FillBindsColumnsByFieldNameAndTypesThemFromTheFields)
{
    admin("create table T (code varchar(10) primary key, n varchar(20), a int, p double, m decimal(10,2), "
          "d date, t time, s datetime, b tinyint)");
    admin("insert into T values ('K1', 'Ana', 7, 2.5, 1234.5, '2024-02-29', '08:05:00', '2024-01-01 10:00:00', 1),"
          " ('K2', 'Bea', -3, 0, 0.25, '1999-12-31', '23:59:00', null, 0)");
    addColumn("n");
    addColumn("a");
    addColumn("p", vgMoney);
    addColumn("m", vgMoney);
    addColumn("d");
    addColumn("t");
    TVGColumn* stamp = addColumn("s", vgDate);
    addColumn("b", vgBoolean);
    TVGColumn* computed = addColumn("extra");
    TVGColumn* plain = addColumn("");
    Strings asked;
    grid->OnFillFieldSP = [&](const AnsiString& field, AnsiString& text) {
        asked.push_back(field);
        text = "sp" + cnvIntToStr(static_cast<int>(asked.size()));
    };
    Strings filled;
    grid->OnFillRow = [&](TVarnRow& row, void* ds) {
        EXPECT_EQ(ds, nullptr);
        filled.push_back(row.GetItemData(0));
        row.SetItemData(1, "seen");
    };
    grid->SQLWhere = "a <> 0";
    grid->SQLOrderBy = "code desc";
    grid->fill();

    EXPECT_EQ(takeSentStatements(), Strings{"select * from T where a <> 0 order by code desc"});
    std::vector<VGDataType> types;
    for (int c = 0; c < grid->Columns()->Count(); ++c)
        types.push_back(grid->Columns()->Items(c)->DataType());
    // DATETIME keeps the column's type, a check box stays one, DECIMAL keeps its cents.
    EXPECT_EQ(types, (std::vector<VGDataType>{vgString, vgInteger, vgFloat, vgMoney, vgDate, vgTime, vgDate,
                                              vgBoolean, vgString, vgString}));
    EXPECT_TRUE(computed->ReadOnly());
    EXPECT_FALSE(stamp->ReadOnly() || plain->ReadOnly());
    EXPECT_EQ(rows(), (Strings{"K2: Bea -3 0,00 0,25 31/12/1999 23:59  false sp1 ",
                               "K1: Ana 7 2,50 1.234,50 29/02/2024 08:05  true sp2 "}));
    EXPECT_EQ(asked, (Strings{"extra", "extra"}));
    EXPECT_EQ(filled, (Strings{"K2", "K1"}));
    EXPECT_EQ(grid->GetRowInfo(0)->itemData(1), "seen");
    EXPECT_FALSE(grid->GetRowInfo(0)->isNull[9]);  // an empty field name gives an empty cell
    // The DATETIME read as a date is refused (the NULL one has nothing to read), and the cell stays empty.
    EXPECT_EQ(takeMessages(), (std::vector<ShownMessage>{{"la columna s no es de tipo DATE", "error de tipo de datos"}}));
    EXPECT_EQ(grid->GetRowIndex(), -1);
    EXPECT_TRUE(grid->table.eof());  // the result is released once the grid holds the values
}

TEST_F(DBVarnGrid, NullsAndZeroDatesFillEmptyCellsAndFillReachesTheLastRecord)
{
    admin("set session sql_mode=''");
    admin("create table T (code varchar(10), d date, t time, n int, p double, b tinyint, s varchar(5))");
    admin("insert into T values ('a', '2020-05-01', '10:30', 0, 0, 0, ''), ('b', null, null, null, null, null, null),"
          " ('c', '0000-00-00', '00:00', 1, 1, 1, 'x'), ('d', '2020-00-10', null, null, 2, null, null),"
          " ('e', '2021-01-02', '07:00', 3, 3, 1, 'y')");
    addColumn("d");
    addColumn("t");
    addColumn("n");
    addColumn("p");
    addColumn("b", vgBoolean);
    addColumn("s");
    grid->SQLOrderBy = "code";
    grid->fill();
    EXPECT_EQ(rows(), (Strings{"a: 01/05/2020 10:30 0 0,00 false ", "b:      ", "c:  00:00 1 1,00 true x",
                               "d:    2,00  ", "e: 02/01/2021 07:00 3 3,00 true y"}));
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(DBVarnGrid, SeparatorRowsStartWhereTheSeparatorValueChanges)
{
    admin("create table T (code varchar(10), g varchar(10))");
    admin("insert into T values ('1', ''), ('2', 'A'), ('3', 'A'), ('4', 'B')");
    addColumn("g");
    grid->SQLOrderBy = "code";
    grid->setSeparatorField("g");
    grid->fill();
    EXPECT_EQ(rows(), (Strings{"1: ", "2: A", "3: A", "4: B"}));  // no OnSeparator, no separators

    Strings received;
    grid->OnSeparator = [&](void* fld, AnsiString& text) {
        EXPECT_EQ(fld, nullptr);
        received.push_back(text);
        text = "grupo " + cnvIntToStr(static_cast<int>(received.size()));
    };
    grid->fill();
    EXPECT_EQ(rows(), (Strings{"1: ", "== grupo 1", "2: A", "3: A", "== grupo 2", "4: B"}));
    EXPECT_EQ(received, (Strings{"", "grupo 1"}));  // each call gets the text the last one left
}

TEST_F(DBVarnGrid, EnteringARowLoadsItsRecordAndASeparatorLoadsNothing)
{
    admin("create table T (code varchar(10), g varchar(10), n varchar(10))");
    admin("create table L (code varchar(10), x int)");
    admin("insert into T values ('K1', 'A', 'uno'), ('K2', 'B', 'dos')");
    addColumn("n");
    grid->SQLOrderBy = "code";
    grid->setSeparatorField("g");
    grid->OnSeparator = [](void*, AnsiString& text) { text = "sep"; };
    sDB_table linked(&connection);
    linked.setTableName("L");
    grid->linkedTable = &linked;
    Strings entered;
    grid->OnRowEnter = [&](int row) { entered.push_back(std::to_string(row)); };
    grid->fill();
    takeSentStatements();

    grid->SetRowIndex(1);
    EXPECT_EQ(takeSentStatements(), (Strings{"select * from T where code='K1'", "select * from L where code='K1'"}));
    EXPECT_EQ(grid->table.getCode(), "K1");
    EXPECT_EQ(grid->table.getString("n"), "uno");
    grid->SetRowIndex(2);
    EXPECT_EQ(takeSentStatements(), Strings{});
    EXPECT_EQ(entered, (Strings{"1", "2"}));
}

TEST_F(DBVarnGrid, AnEditedCellIsOneUpdateAndTheRowShowsTheRecordReadBack)
{
    admin("create table T (code varchar(10), f int, ok tinyint, n varchar(20), d date, p decimal(10,2), "
          "u int default 0)");
    admin("create trigger up before update on T for each row set new.u = old.u + 1");
    admin("insert into T values ('K', 1, 0, 'x', '2020-01-02', 3.5, 0), ('J', 2, 1, 'y', null, 0, 0)");
    addColumn("f");
    addColumn("ok", vgBoolean);
    addColumn("n");
    addColumn("d");
    addColumn("p", vgMoney);
    addColumn("u");
    Strings modified;
    grid->OnCellModified = [&](int row, int col) { modified.push_back(std::to_string(row) + "," + std::to_string(col)); };
    grid->SQLOrderBy = "code desc";
    grid->fill();
    grid->SetRowIndex(0);
    takeSentStatements();

    edit(0, 0, "5");
    EXPECT_EQ(takeSentStatements(), (Strings{"update T set f=5 where code='K'", "select * from T where code='K'"}));
    // The trigger's count shows that the row was read back.
    EXPECT_EQ(rows()[0], "K: 5 false x 02/01/2020 3,50 1");
    edit(0, 1, "true");
    edit(0, 2, "O'Neil");
    edit(0, 3, "29/02/2024");
    edit(0, 4, "1.234,56");
    EXPECT_EQ(takeSentStatements(),
              (Strings{"update T set ok=1 where code='K'", "select * from T where code='K'",
                       "update T set n='O\\'Neil' where code='K'", "select * from T where code='K'",
                       "update T set d='2024/02/29' where code='K'", "select * from T where code='K'",
                       "update T set p=1234.560000 where code='K'", "select * from T where code='K'"}));
    edit(1, 1, "false");
    EXPECT_EQ(takeSentStatements(), (Strings{"select * from T where code='J'", "update T set ok=0 where code='J'",
                                             "select * from T where code='J'"}));
    EXPECT_EQ(adminColumn("select concat_ws('|', f, ok, n, d, p, u) from T order by code desc"),
              (Strings{"5|1|O'Neil|2024-02-29|1234.56|5", "2|0|y|0.00|1"}));
    EXPECT_EQ(rows(), (Strings{"K: 5 true O'Neil 29/02/2024 1.234,56 5", "J: 2 false y  0,00 1"}));
    EXPECT_EQ(modified, (Strings{"0,0", "0,1", "0,2", "0,3", "0,4", "1,1"}));

    // A fill enters the current row again and then releases the result: the
    // next edit reads the row's record before it writes.
    grid->fill();
    ASSERT_EQ(grid->GetRowIndex(), 1);
    takeSentStatements();
    edit(1, 0, "8");
    EXPECT_EQ(takeSentStatements(), (Strings{"select * from T where code='J'", "update T set f=8 where code='J'",
                                             "select * from T where code='J'"}));
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(DBVarnGrid, KeysAndValuesWithQuotesBackslashesAndLatin1RoundTripByteExact)
{
    admin("create table T (code varchar(20), n varchar(40))");
    const std::string key = "O'B\\r\xF1" "a\"";
    const std::string value = "a'b\\c \xE1\xE9\xED\xF3\xFA\xFC\xD1 \\' '' %_";
    admin("insert into T values ('" + std::string("O\\'B\\\\r\xF1" "a\"") + "', 'viejo')");
    addColumn("n");
    grid->fill();
    ASSERT_EQ(grid->GetRowData(0), key);
    grid->SetRowIndex(0);
    edit(0, 0, value);
    EXPECT_EQ(adminColumn("select n from T"), Strings{value});
    EXPECT_EQ(grid->GetString(0, 0), value);
    grid->fill();
    EXPECT_EQ(grid->GetString(0, 0), value);
    EXPECT_EQ(grid->GetRowData(0), key);
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(DBVarnGrid, AValueTheServerRefusesIsReportedAndTheCellShowsWhatTheServerHolds)
{
    admin("create table T (code varchar(10), n varchar(5), a tinyint)");
    admin("insert into T values ('K', 'corto', 7)");
    addColumn("n");
    addColumn("a");
    grid->fill();
    grid->SetRowIndex(0);
    sDB_execute(&connection, "set session sql_mode='STRICT_ALL_TABLES'");

    edit(0, 0, "demasiado largo");
    edit(0, 1, "300");
    std::vector<ShownMessage> shown = takeMessages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, "sDB_query error");
    EXPECT_NE(shown[0].text.find("Data too long"), std::string::npos) << shown[0].text;
    EXPECT_NE(shown[1].text.find("Out of range"), std::string::npos) << shown[1].text;
    EXPECT_EQ(rows(), Strings{"K: corto 7"});
    EXPECT_EQ(adminColumn("select concat(n, a) from T"), Strings{"corto7"});
}

TEST_F(DBVarnGrid, NothingHappensWithoutAConnectionOrAtDesignTime)
{
    admin("create table T (code varchar(10), n varchar(10))");
    admin("insert into T values ('K', 'x')");
    addColumn("n");
    grid->AddRow("mine");
    grid->connection = nullptr;
    grid->fill();
    grid->SetColIndex(0);
    grid->SetString(0, 0, "y");
    grid->doCellModified();
    grid->connection = &connection;
    grid->SetDesigning(true);
    grid->fill();
    EXPECT_EQ(rows(), Strings{"mine: y"});
    EXPECT_EQ(takeSentStatements(), Strings{});
}

// A server of its own, stopped between the fill and the edit.
TEST_F(DBVarnGrid, AServerStoppedBeforeAnEditGivesAClearErrorAndTheCellKeepsTheTypedValue)
{
    std::string script = std::string(VARN_SOURCE_DIR) + "/scripts/test-mysql";
    std::string dir = std::filesystem::temp_directory_path() / ("varn-dbvarngrid-" + std::to_string(getpid()));
    std::string socket = dir + "/s.sock";
    auto server = [&](const char* action) {
        return std::system((script + " " + action + " " + dir + " " + socket + " >/dev/null 2>&1").c_str());
    };
    ASSERT_EQ(server("start"), 0);
    sDB_connection own;
    sDB_connectionParams params;
    params.socket = socket;
    ASSERT_TRUE(sDB_openConnection(own, params));
    sDB_execute(&own, "create table T (code varchar(10), n varchar(10), a int)");
    sDB_execute(&own, "insert into T values ('K', 'antes', 1)");
    addColumn("n");
    addColumn("a");
    grid->connection = &own;
    grid->fill();
    grid->SetRowIndex(0);
    server("stop");

    edit(0, 0, "nuevo");
    std::vector<ShownMessage> shown = takeMessages();
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.back().text.find("la celda lo conserva"), std::string::npos) << shown.back().text;
    EXPECT_EQ(grid->GetString(0, 0), "nuevo");
    // Another try, with the server still gone: the record cannot be read, nothing
    // is sent, and the typed value stays.
    edit(0, 1, "5");
    shown = takeMessages();
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.back().text.find("no se ha guardado"), std::string::npos) << shown.back().text;
    EXPECT_EQ(rows(), Strings{"K: nuevo 5"});
    sDB_closeConnection(own);
}

TEST_F(DBVarnGrid, NumberCellsReadAsTheRowAccessorWritesThem)
{
    admin("create table T (code varchar(10), f double, m decimal(30,3))");
    const std::vector<double> values = {0, -0.0, 0.125, 0.375, 2.675, -0.001, -0.005, 1.005, 999.995, 1234567.5,
                                        -1234567.125, 0.1 + 0.2, 123456789012.345, 9.87654321e14, -7.5e17, 1e300,
                                        5e-324, 0.045, 99.99499999999};
    std::string sql = "insert into T values ";
    for (size_t i = 0; i < values.size(); ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", values[i]);
        std::string decimal = std::abs(values[i]) < 1e26 ? text : "0";
        sql += (i ? ", ('" : "('") + std::to_string(100 + i) + "', " + text + ", " + decimal + ")";
    }
    admin(sql);
    addColumn("f", vgMoney);
    addColumn("m", vgMoney);
    grid->SQLOrderBy = "code";
    grid->fill();
    Strings doubles = adminColumn("select f from T order by code");
    Strings decimals = adminColumn("select m from T order by code");
    ASSERT_EQ(grid->GetRowCount(), static_cast<int>(values.size()));
    for (int r = 0; r < grid->GetRowCount(); ++r) {
        SCOPED_TRACE(doubles[r] + " " + decimals[r]);
        EXPECT_EQ(grid->GetString(r, 0), cnvDoubleToStr(std::strtod(doubles[r].c_str(), nullptr), 2));
        EXPECT_EQ(grid->GetString(r, 1), cnvDoubleToMoney(std::strtod(decimals[r].c_str(), nullptr)));
    }
    EXPECT_EQ(grid->Columns()->Items(0)->DataType(), vgFloat);
}

TEST_F(DBVarnGrid, AHandlerThatThrowsLeavesTheRowsReadSoFarShownAndTheResultReleased)
{
    admin("create table T (code varchar(10), n varchar(10))");
    admin("insert into T values ('a', 'uno'), ('b', 'dos'), ('c', 'tres')");
    addColumn("n");
    grid->SQLOrderBy = "code";
    grid->OnFillRow = [](TVarnRow& row, void*) {
        if (row.GetItemData(0) == "b")
            throw Exception("no");
    };
    EXPECT_THROW(grid->fill(), Exception);
    EXPECT_EQ(rows(), (Strings{"a: uno", "b: dos"}));
    EXPECT_TRUE(grid->Body()->Visible());
    EXPECT_TRUE(grid->table.eof());
}

// The server refuses the connection for a while (its session killed, the account
// locked): the typed value stays, and committing it again once the server takes
// the connection back stores it.
TEST_F(DBVarnGrid, ATypedValueThatCouldNotBeSavedIsSavedByTheNextTry)
{
    admin("create table T (code varchar(10), n varchar(10))");
    admin("insert into T values ('K', 'antes')");
    std::string user = "g" + std::to_string(getpid());
    admin("drop user if exists '" + user + "'@'localhost'");
    admin("create user '" + user + "'@'localhost' identified by 'pw'");
    admin("grant all on " + database + ".* to '" + user + "'@'localhost'");
    sDB_connection own;
    sDB_connectionParams params;
    params.socket = socketPath;
    params.database = database;
    params.user = user;
    params.password = "pw";
    ASSERT_TRUE(sDB_openConnection(own, params));
    addColumn("n");
    grid->connection = &own;
    grid->fill();
    grid->SetRowIndex(0);

    admin("alter user '" + user + "'@'localhost' account lock");
    admin("kill " + std::to_string(mysql_thread_id(own.mysql)));
    edit(0, 0, "nuevo");
    std::vector<ShownMessage> shown = takeMessages();
    ASSERT_FALSE(shown.empty());
    EXPECT_NE(shown.back().text.find("la celda lo conserva"), std::string::npos) << shown.back().text;
    EXPECT_EQ(grid->GetString(0, 0), "nuevo");
    EXPECT_EQ(adminColumn("select n from T"), Strings{"antes"});

    admin("alter user '" + user + "'@'localhost' account unlock");
    edit(0, 0, "nuevo");
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
    EXPECT_EQ(adminColumn("select n from T"), Strings{"nuevo"});
    EXPECT_EQ(grid->GetString(0, 0), "nuevo");
    sDB_closeConnection(own);
    admin("drop user '" + user + "'@'localhost'");
}
