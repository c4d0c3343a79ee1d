#include "DbServerTest.h"

#include "db/sDBQuery.h"
#include "grid/VGScrollBox.h"
#include "grid/VarnGrid.h"
#include "platform/Graphics.h"
#include "support/GlyphInk.h"
#include "support/UiHarness.h"

namespace {

// Counts the rows the cursor lands on.
class CountingQuery : public sDB_query {
public:
    using sDB_query::sDB_query;
    void onRecord() override { ++records; }
    int records = 0;
};

const ShownMessage noConnection{"No se ha asignado conexi\xF3n\nTodo va a fallar", "OJO"};

}  // namespace

using Query = DbServerTest;

TEST_F(Query, EmptyResultsAndStatementsWithoutRows)
{
    admin("create table T (code varchar(10), n int)");
    CountingQuery query(&connection);

    query.exec("select * from T");
    EXPECT_EQ(query.getRecordCount(), 0);
    EXPECT_EQ(query.getFieldCount(), 2);
    EXPECT_TRUE(query.eof());
    EXPECT_EQ(query.records, 0);
    EXPECT_EQ(query.getString(0), "");
    EXPECT_EQ(query.getInteger(1), 0);
    EXPECT_EQ(query.getFieldInfo(1).name, "n");

    EXPECT_EQ(sDB_execute(&connection, "insert into T values ('a', 1), ('b', 2), ('c', 3)"), 3);
    query.exec("update T set n = n + 1");
    EXPECT_TRUE(query.eof());
    EXPECT_EQ(query.getRecordCount(), -1);
    EXPECT_EQ(query.getFieldCount(), -1);
    EXPECT_EQ(query.getFieldInfo(0).name, "");
    EXPECT_EQ(query.records, 0);
    EXPECT_EQ(adminColumn("select sum(n) from T"), std::vector<std::string>{"9"});

    // A statement that returns rows sent as a plain statement must not leave
    // its rows unread on the connection.
    sDB_execute(&connection, "select * from T");
    query.exec("select count(*) from T");
    EXPECT_EQ(query.getInteger(0), 3);
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(Query, TypedGettersFollowTheColumnTypes)
{
    admin("create table V (s varchar(20), i int, d decimal(10,2), f float, dt date, ts datetime, "
          "y year, t time, b blob, g double)");
    admin("insert into V values ('texto', -42, 12.75, -2.7, '2006-03-05', '2006-03-05 10:20:30', "
          "2006, '09:05:30', 'x\\0y', -1e20)");
    admin("insert into V values (null, null, null, null, null, null, null, null, null, null)");
    sDB_query query(&connection);
    query.exec("select * from V");
    ASSERT_EQ(query.getRecordCount(), 2);

    EXPECT_EQ(query.getString(0), "texto");
    EXPECT_EQ(query.getInteger(1), -42);
    EXPECT_EQ(query.getDouble(1), -42.0);
    EXPECT_EQ(query.getInteger(2), 12);
    EXPECT_EQ(query.getDouble(2), 12.75);
    EXPECT_EQ(query.getInteger(3), -2);
    EXPECT_NEAR(query.getDouble(3), -2.7, 1e-6);
    sDB_date date = query.getDate(4);
    EXPECT_EQ(date.day, 5);
    EXPECT_EQ(date.month, 3);
    EXPECT_EQ(date.year, 2006);
    EXPECT_TRUE(query.getDate(6).isNull());
    sDB_time time = query.getTime(7);
    EXPECT_EQ(time.hour, 9);
    EXPECT_EQ(time.minute, 5);
    EXPECT_EQ(query.getString(8), std::string("x\0y", 3));
    EXPECT_EQ(query.getInteger(9), INT32_MIN);  // held inside the 32-bit range
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});

    EXPECT_TRUE(query.getDate(5).isNull());
    EXPECT_EQ(query.getInteger(0), 0);
    EXPECT_EQ(query.getString(1), "");
    EXPECT_EQ(query.getTime(4).hour, 0);
    EXPECT_EQ(query.getDouble(4), 0.0);
    const AnsiString typeError = "error de tipo de datos";
    EXPECT_EQ(takeMessages(), (std::vector<ShownMessage>{
                                  {"la columna ts no es de tipo DATE", typeError},
                                  {"la columna s no es de tipo INTEGER", typeError},
                                  {"la columna i no es de tipo STRING", typeError},
                                  {"la columna dt no es de tipo TIME", typeError},
                                  {"la columna dt no es de tipo DOUBLE", typeError},
                              }));

    query.next();
    EXPECT_EQ(query.getValue(0), "");
    EXPECT_EQ(query.getString(0), "");
    EXPECT_EQ(query.getInteger(1), 0);
    EXPECT_EQ(query.getInteger(3), 0);
    EXPECT_TRUE(query.getDate(4).isNull());
    EXPECT_EQ(query.getTime(7).hour, 0);
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(Query, WideIntegersSaturateAndDecimalsReadInFull)
{
    admin("create table W (b bigint, u bigint unsigned, d decimal(12,2), h decimal(65,0))");
    admin("insert into W values (9223372036854775807, 18446744073709551615, 12.75, "
          "99999999999999999999999999999999999999999999999999999999999999999)");
    admin("insert into W values (4294967297, 4294967297, -12.75, -3000000000)");
    admin("insert into W values (-9223372036854775808, 2147483647, 0.05, -2147483648)");
    sDB_query query(&connection);
    query.exec("select * from W");
    ASSERT_EQ(query.getRecordCount(), 3);
    // The decimal columns still count as integers; only getDouble reads them in full.
    EXPECT_EQ(query.getFieldInfo(2).type, sDB_type_integer);

    EXPECT_EQ(query.getInteger(0), INT32_MAX);
    EXPECT_EQ(query.getInteger(1), INT32_MAX);
    EXPECT_EQ(query.getInteger(2), 12);
    EXPECT_EQ(query.getInteger(3), INT32_MAX);
    EXPECT_EQ(query.getDouble(0), 9223372036854775807.0);
    EXPECT_EQ(query.getDouble(1), 18446744073709551615.0);
    EXPECT_EQ(query.getDouble(2), 12.75);
    EXPECT_EQ(query.getDouble(3), 1e65);

    query.next();
    EXPECT_EQ(query.getInteger(0), INT32_MAX);  // not 1, the low 32 bits
    EXPECT_EQ(query.getInteger(2), -12);
    EXPECT_EQ(query.getInteger(3), INT32_MIN);
    EXPECT_EQ(query.getDouble(0), 4294967297.0);
    EXPECT_EQ(query.getDouble(2), -12.75);

    query.next();
    EXPECT_EQ(query.getInteger(0), INT32_MIN);
    EXPECT_EQ(query.getInteger(1), INT32_MAX);
    EXPECT_EQ(query.getInteger(3), INT32_MIN);
    EXPECT_EQ(query.getDouble(0), -9223372036854775808.0);

    // Cents add up instead of being dropped row by row.
    double total = 0;
    for (query.first(); !query.eof(); query.next())
        total += query.getDouble("d");
    EXPECT_NEAR(total, 0.05, 1e-9);
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(Query, CursorWalksTheRowsAndStaysOnTheLastPastTheEnd)
{
    admin("create table T (code varchar(10), n int)");
    admin("insert into T values ('a', 1), ('b', 2), ('c', 3)");
    CountingQuery query(&connection);
    query.exec("select code, n from T order by n");
    EXPECT_EQ(query.records, 1);

    std::string seen;
    for (; !query.eof(); query.next())
        seen += query.getString(0) + query.getValue(1);
    EXPECT_EQ(seen, "a1b2c3");
    EXPECT_EQ(query.records, 3);
    EXPECT_EQ(query.getString("code"), "c");
    EXPECT_EQ(query.getInteger("n"), 3);

    query.next();
    EXPECT_TRUE(query.eof());
    EXPECT_EQ(query.records, 3);
    EXPECT_EQ(query.getString(0), "c");

    query.first();
    EXPECT_FALSE(query.eof());
    EXPECT_EQ(query.getString(0), "a");
    query.next();
    EXPECT_EQ(query.getString(0), "b");

    EXPECT_EQ(query.getValue(2), "");
    EXPECT_EQ(query.getValue(-1), "");
    EXPECT_EQ(query.getInteger(2), 0);
    EXPECT_EQ(query.getFieldInfo(2).name, "");
    EXPECT_EQ(query.getInteger("missing"), 0);
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});

    query.clear();
    EXPECT_TRUE(query.eof());
    EXPECT_EQ(query.getRecordCount(), -1);
    EXPECT_EQ(query.getString(0), "");
}

TEST_F(Query, ProceduresThatReturnRowsLeaveTheConnectionUsable)
{
    admin("create table T (code varchar(10), n int)");
    admin("insert into T values ('a', 1), ('b', 2)");
    admin("create procedure twoSets() begin select code from T order by n; select 42; end");
    admin("create procedure failsLate() begin select 1; select * from NoSuchTable; end");
    sDB_query query(&connection);

    // The first set is the query's result; the others and the closing status are read and dropped.
    query.exec("call twoSets()");
    EXPECT_EQ(query.getRecordCount(), 2);
    EXPECT_EQ(query.getString(0), "a");
    query.exec("select count(*) from T");
    EXPECT_EQ(query.getInteger(0), 2);

    sDB_execute(&connection, "call twoSets()");
    EXPECT_EQ(sDB_execute(&connection, "update T set n = n + 1"), 2);
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});

    // An error in a later set is shown, and the connection still takes commands.
    query.exec("call failsLate()");
    std::vector<ShownMessage> shown = takeMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].text.find("NoSuchTable"), std::string::npos) << shown[0].text;
    sDB_execute(&connection, "call failsLate()");
    EXPECT_EQ(takeMessages().size(), 1u);
    query.exec("select sum(n) from T");
    EXPECT_EQ(query.getInteger(0), 5);
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(Query, FindFieldIgnoresCaseAndMatchesTheSourceTable)
{
    admin("create table TA (code varchar(10), name varchar(10))");
    admin("create table TB (code varchar(10), name varchar(10))");
    admin("insert into TA values ('k', 'from a')");
    admin("insert into TB values ('k', 'from b')");
    sDB_query query(&connection);
    query.exec("select a.name, b.name, a.code from TA a join TB b on a.code = b.code");

    EXPECT_EQ(query.getFieldInfo(1).table, "TB");
    EXPECT_EQ(query.findField("NAME"), 0);
    EXPECT_EQ(query.findField("Name", "TB"), 1);
    EXPECT_EQ(query.findField("name", "tb"), 1);
    EXPECT_EQ(query.findField("name", "TC"), -1);
    EXPECT_EQ(query.findField("nombre"), -1);
    EXPECT_EQ(query.getString("name", "TB"), "from b");
    EXPECT_EQ(query.getString("code", "TB"), "");
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(Query, ErrorsAreShownAndLeaveTheQueryCleared)
{
    admin("create table T (code varchar(10))");
    admin("insert into T values ('a')");
    sDB_query query(&connection);
    query.exec("select * from T");
    query.exec("select * from NoSuchTable");
    EXPECT_TRUE(query.eof());
    EXPECT_EQ(query.getRecordCount(), -1);
    std::vector<ShownMessage> shown = takeMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "sDB_query error");
    EXPECT_NE(shown[0].text.find("NoSuchTable"), std::string::npos) << shown[0].text;

    EXPECT_EQ(sDB_execute(&connection, "delete from NoSuchTable"), 0);
    EXPECT_EQ(takeMessages().at(0).caption, "sDB_query error");

    // Without a connection nothing is sent, each time one is needed.
    sDB_query lonely;
    lonely.exec("select * from T");
    lonely.exec("select * from T");
    EXPECT_TRUE(lonely.eof());
    EXPECT_EQ(sDB_execute(nullptr, "delete from T"), 0);
    EXPECT_EQ(takeMessages(), (std::vector<ShownMessage>{noConnection, noConnection, noConnection}));

    // The default connection serves a query that has none, and then stays its own.
    sDB_defaultConnection = &connection;
    lonely.exec("select * from T");
    sDB_defaultConnection = nullptr;
    EXPECT_EQ(lonely.getRecordCount(), 1);
    EXPECT_EQ(lonely.getConnection(), &connection);

    sDB_connection refused;
    sDB_connectionParams params;
    params.socket = socketPath;
    params.password = "wrong";
    EXPECT_FALSE(sDB_openConnection(refused, params));
    EXPECT_EQ(refused.mysql, nullptr);
    shown = takeMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "sDB_query error");
}

TEST_F(Query, DefaultParametersReachTheLayerSchema)
{
    sDB_connection defaults;
    sDB_connectionParams params;
    params.socket = socketPath;
    ASSERT_TRUE(sDB_openConnection(defaults, params));
    sDB_query query(&defaults);
    query.exec("select database(), @@character_set_connection");
    EXPECT_EQ(query.getString(0), "wbDoc_tarnel_v3");
    EXPECT_EQ(query.getString(1), "latin1");
    sDB_closeConnection(defaults);
    EXPECT_EQ(defaults.mysql, nullptr);
}

TEST_F(Query, EuroSignOfAnotherClientReadsAsTheCodePageByteAndShowsInTheGrid)
{
    // The server's latin1 is the Western code page: a UTF-8 euro sign from another
    // client is stored as 0x80.
    admin("create table P (id int, price varchar(20)) character set latin1");
    admin("insert into P values (1, _utf8mb4'12,50 \xE2\x82\xAC')");
    ASSERT_EQ(adminColumn("select hex(price) from P"), std::vector<std::string>{"31322C353020" "80"});

    sDB_query query(&connection);
    query.exec("select price from P where id = 1");
    ASSERT_EQ(query.getRecordCount(), 1);
    EXPECT_EQ(query.getString(0), "12,50 \x80");

    // And the other way: the layer's 0x80 is a euro sign for a UTF-8 client.
    EXPECT_EQ(sDB_execute(&connection, "insert into P values (2, 'Precio: 12,50 \x80')"), 1);
    EXPECT_EQ(adminColumn("select hex(convert(price using utf8mb4)) from P where id = 2"),
              std::vector<std::string>{"50726563696F3A2031322C353020" "E282AC"});

    varn::test::UiHarness ui;
    TForm* form = ui.createForm(200, 80);
    auto* grid = new TVarnGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 200, 60);
    grid->Columns()->Add()->SetWidth(150);
    grid->AddRow();
    grid->SetString(0, 0, query.getString(0));
    ui.show(form);
    const TRect cell = grid->Body()->GetCellRect(0, 0);
    varn::test::expectSameInk(varn::test::windowInk(grid->Body()->Handle(), cell, ColorToRGB(grid->ColorText()),
                                                    ColorToRGB(grid->ColorBk())),
                              varn::test::pangoInk("12,50 \xE2\x82\xAC", -TFont().Height()), "grid cell");
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}
