#include "DbServerTest.h"

#include "db/sDBTable.h"

#include <cmath>
#include <iterator>

namespace {

class CountingTable : public sDB_table {
public:
    using sDB_table::sDB_table;
    void onRecord() override { ++records; }
    int records = 0;
};

// Adds its assignments in onUpdateFields, as a derived table does.
class FieldsTable : public sDB_table {
public:
    using sDB_table::sDB_table;
    void onUpdateFields() override
    {
        setInteger("a", 7);
        setString("n", "Luis");
    }
};

}  // namespace

using Table = DbServerTest;

TEST_F(Table, LoadAndSelectFindRecords)
{
    admin("create table T (code varchar(20) primary key, a int, n varchar(20))");
    admin("insert into T values ('A1', 1, 'Ana'), ('B2', 2, 'Bea'), ('C3', 1, 'Ceci')");
    CountingTable table(&connection);
    table.setTableName("T");

    EXPECT_TRUE(table.load("B2"));
    EXPECT_EQ(table.getCode(), "B2");
    EXPECT_EQ(table.getString("n"), "Bea");
    EXPECT_EQ(table.records, 2);  // once inside exec, once more by load

    EXPECT_FALSE(table.load("Z9"));
    EXPECT_EQ(table.getCode(), "");
    EXPECT_TRUE(table.eof());

    EXPECT_EQ(table.select(), 3);
    EXPECT_EQ(table.getCode(), "");
    EXPECT_EQ(table.select("a=1", "n desc"), 2);
    EXPECT_EQ(table.getString("n"), "Ceci");
    EXPECT_EQ(table.getLastWhere(), "a=1");
    EXPECT_EQ(table.getLastOrderBy(), "n desc");

    table.load("A1");
    table.reload();
    EXPECT_EQ(table.getCode(), "A1");
    EXPECT_EQ(table.getLastWhere(), "");
    EXPECT_EQ(takeSentStatements(), (std::vector<std::string>{
                                        "select * from T where code='B2'",
                                        "select * from T where code='Z9'",
                                        "select * from T",
                                        "select * from T where a=1 order by n desc",
                                        "select * from T where code='A1'",
                                        "select * from T where code='A1'",
                                    }));
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(Table, PostSendsOneUpdateAndReadsTheRecordBack)
{
    admin("create table T (code varchar(20) primary key, p double, n varchar(20), a int, "
          "d date, t time)");
    admin("insert into T (code) values ('A1'), ('B2')");
    CountingTable table(&connection);
    table.setTableName("T");

    ASSERT_TRUE(table.load("A1"));
    takeSentStatements();
    table.setFloat("p", 12.5);
    table.setString("n", "Ana");
    table.records = 0;
    table.post();
    EXPECT_EQ(takeSentStatements(), (std::vector<std::string>{
                                        "update T set p=12.500000, n='Ana' where code='A1'",
                                        "select * from T where code='A1'",
                                    }));
    EXPECT_EQ(table.records, 2);
    EXPECT_EQ(table.getDouble("p"), 12.5);
    EXPECT_EQ(table.getString("n"), "Ana");

    table.setDate("d", sDB_date{5, 3, 2006});
    table.post();
    table.setTime("t", sDB_time{9, 5});
    table.post();
    EXPECT_EQ(takeSentStatements(), (std::vector<std::string>{
                                        "update T set d='2006/03/05' where code='A1'",
                                        "select * from T where code='A1'",
                                        "update T set t='09:05' where code='A1'",
                                        "select * from T where code='A1'",
                                    }));
    sDB_date date = table.getDate("d");
    EXPECT_EQ(date.year * 10000 + date.month * 100 + date.day, 20060305);
    EXPECT_EQ(table.getTime("t").minute, 5);

    FieldsTable derived(&connection);
    derived.setTableName("T");
    derived.load("B2");
    takeSentStatements();
    derived.post();
    EXPECT_EQ(takeSentStatements().at(0), "update T set a=7, n='Luis' where code='B2'");
    EXPECT_EQ(derived.getInteger("a"), 7);

    // Loading drops a statement that was being collected.
    table.setInteger("a", 99);
    table.load("A1");
    table.post();
    EXPECT_EQ(adminColumn("select a from T where code='A1'"), std::vector<std::string>{"NULL"});
    takeMessages();

    // After a selection there is no current record: the server refuses the statement.
    table.select();
    table.setInteger("a", 5);
    table.post();
    std::vector<ShownMessage> shown = takeMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "sDB_query error");
    EXPECT_EQ(adminColumn("select count(*) from T where a=5"), std::vector<std::string>{"0"});
}

TEST_F(Table, KeysAndValuesAreEscaped)
{
    admin("create table T (code varchar(40) primary key, n varchar(40))");
    admin("insert into T values ('plain', 'p'), ('other', 'o')");
    sDB_table table(&connection);
    table.setTableName("T");
    const AnsiString key = "x' or 'a'='a' -- \\";
    const AnsiString awkward("a'b\"c\\d\ne\rf\x1Ag\0h\xF1", 16);
    EXPECT_EQ(sDB_quote(nullptr, awkward), sDB_quote(&connection, awkward));

    EXPECT_FALSE(table.load(key));
    EXPECT_TRUE(table.eof());
    EXPECT_TRUE(table.insertRecord(key));
    EXPECT_EQ(table.getCode(), key);
    table.setString("n", "it's \\ -- here");
    table.post();
    EXPECT_EQ(table.getString("n"), "it's \\ -- here");
    EXPECT_EQ(adminColumn("select code from T order by code"),
              (std::vector<std::string>{"other", "plain", key}));

    EXPECT_FALSE(table.insertRecord(key));  // a duplicate key: the server's error is shown
    EXPECT_EQ(takeMessages().size(), 1u);

    EXPECT_TRUE(table.load(key));
    EXPECT_EQ(table.getRecordCount(), 1);
    EXPECT_TRUE(table.deleteRecord(key));
    EXPECT_EQ(table.getCode(), "");
    EXPECT_FALSE(table.deleteRecord(key));
    EXPECT_EQ(adminColumn("select code from T order by code"), (std::vector<std::string>{"other", "plain"}));
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(Table, Latin1TextsKeepEveryByte)
{
    admin("create table T (code varchar(20) primary key, n varchar(20))");
    sDB_table table(&connection);
    table.setTableName("T");
    const AnsiString key = "\xD1" "and\xFA";    // Ñandú
    const AnsiString value = "ca\xF1\xF3n";      // cañón

    ASSERT_TRUE(table.insertRecord(key));
    table.setString("n", value);
    table.post();
    ASSERT_TRUE(table.load(key));
    EXPECT_EQ(table.getString("n"), value);
    EXPECT_EQ(table.getString("code"), key);
    // Stored as those characters, not as their bytes reinterpreted.
    EXPECT_EQ(adminColumn("select hex(convert(n using utf8mb4)) from T"), std::vector<std::string>{"6361C3B1C3B36E"});
}

TEST_F(Table, NumbersAreWrittenSoTheServerReadsThemExactly)
{
    admin("create table T (code varchar(20) primary key, p double)");
    admin("insert into T (code) values ('A1')");
    sDB_table table(&connection);
    table.setTableName("T");
    ASSERT_TRUE(table.load("A1"));

    const double values[] = {12.5, -0.5, 1.5e81, -1.7976931348623157e308, 0.1 + 0.2, 1e15 + 0.5,
                             123456789.123456789, 1.2345678901234567e-7, 1e-7, 2.2250738585072014e-308,
                             5e-324, 1e22, 9007199254740993.0};
    for (double value : values) {
        table.setFloat("p", value);
        table.post();
        EXPECT_EQ(table.getDouble("p"), value) << value;
    }
    std::vector<std::string> sent = takeSentStatements();
    ASSERT_EQ(sent.size(), 2 * std::size(values) + 1);
    EXPECT_EQ(sent[1], "update T set p=12.500000 where code='A1'");  // six decimals when they hold the value
    EXPECT_EQ(sent[5], "update T set p=1.5e+81 where code='A1'");
    EXPECT_EQ(sent[9], "update T set p=0.30000000000000004 where code='A1'");
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(Table, NumbersThatAreNotFiniteAreRefusedAndNothingIsSent)
{
    // A column named inf would be copied by "p=inf", were the value written as a bare word.
    admin("create table T (code varchar(20) primary key, p double, inf double, n varchar(20))");
    admin("insert into T values ('A1', 1, 99, 'old')");
    sDB_table table(&connection);
    table.setTableName("T");
    ASSERT_TRUE(table.load("A1"));
    takeSentStatements();

    const std::pair<double, std::string> refused[] = {
        {HUGE_VAL, "infinito"}, {-HUGE_VAL, "-infinito"}, {std::nan(""), "NaN"}};
    for (const auto& [value, name] : refused) {
        table.setString("n", "new");
        table.setFloat("p", value);
        table.post();
        EXPECT_EQ(takeMessages(), (std::vector<ShownMessage>{
                                      {"el valor de p no es un n\xFAmero finito (" + name +
                                           "): no se guardan los cambios del registro",
                                       "sDB_query error"}}));
        EXPECT_EQ(takeSentStatements(), std::vector<std::string>{"select * from T where code='A1'"});
        EXPECT_EQ(table.getCode(), "A1");
    }
    EXPECT_EQ(adminColumn("select concat(p, ' ', n) from T"), std::vector<std::string>{"1 old"});

    // The refusal ends with the statement it spoiled.
    table.setFloat("p", 2.5);
    table.post();
    EXPECT_EQ(takeSentStatements().at(0), "update T set p=2.500000 where code='A1'");
    EXPECT_EQ(table.getDouble("p"), 2.5);
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(Table, ValuesTheServerChangesAreReported)
{
    admin("create table T (code varchar(20) primary key, n varchar(5), a tinyint, m decimal(10,2))");
    admin("insert into T (code) values ('A1')");
    sDB_table table(&connection);
    table.setTableName("T");
    ASSERT_TRUE(table.load("A1"));

    // Rounding to the column's decimals is what a money column is for: no message.
    table.setFloat("m", 12.345);
    table.post();
    EXPECT_EQ(table.getDouble("m"), 12.35);
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});

    // Without strict mode the server cuts and clips values with only a warning.
    sDB_execute(&connection, "set sql_mode=''");
    table.setString("n", "demasiado");
    table.setInteger("a", 1000);
    table.post();
    EXPECT_EQ(table.getString("n"), "demas");
    EXPECT_EQ(table.getInteger("a"), 127);
    EXPECT_EQ(takeMessages(), (std::vector<ShownMessage>{
                                  {"el servidor ha guardado un valor distinto del enviado:\n"
                                   "Data truncated for column 'n' at row 1\n"
                                   "Out of range value for column 'a' at row 1",
                                   "OJO"}}));
    sDB_execute(&connection, "update T set n='abcdefgh'");
    sDB_query query(&connection);
    query.exec("update T set a=-500");
    EXPECT_EQ(takeMessages().size(), 2u);
    EXPECT_EQ(adminColumn("select concat(n, a) from T"), std::vector<std::string>{"abcde-128"});
}

TEST_F(Table, DeletingAKeyTheServerCountsAsEqualDropsTheCurrentRecord)
{
    admin("create table T (code varchar(20) primary key, n int)");
    admin("insert into T values ('abc', 1), ('xyz', 2), ('def', 3)");
    sDB_table table(&connection);
    table.setTableName("T");

    // The column's collation ignores letter case and trailing blanks.
    ASSERT_TRUE(table.load("abc"));
    EXPECT_TRUE(table.deleteRecord("ABC"));
    EXPECT_EQ(table.getCode(), "");
    EXPECT_TRUE(table.eof());
    EXPECT_EQ(table.getRecordCount(), -1);
    ASSERT_TRUE(table.load("xyz"));
    EXPECT_TRUE(table.deleteRecord("XYZ "));
    EXPECT_EQ(table.getCode(), "");
    EXPECT_TRUE(table.eof());

    // Deleting another record keeps the current one.
    admin("insert into T values ('ghi', 4)");
    ASSERT_TRUE(table.load("def"));
    EXPECT_TRUE(table.deleteRecord("GHI"));
    EXPECT_EQ(table.getCode(), "def");
    EXPECT_EQ(table.getInteger("n"), 3);
    EXPECT_EQ(adminColumn("select code from T"), std::vector<std::string>{"def"});

    // Under a binary collation other bytes are another key.
    admin("create table B (code varchar(20) collate latin1_bin primary key, n int)");
    admin("insert into B values ('abc', 1), ('ABC', 2)");
    table.setTableName("B");
    ASSERT_TRUE(table.load("abc"));
    EXPECT_TRUE(table.deleteRecord("ABC"));
    EXPECT_EQ(table.getCode(), "abc");
    EXPECT_EQ(table.getInteger("n"), 1);
    EXPECT_FALSE(table.deleteRecord("ABC "));
    EXPECT_EQ(table.getCode(), "abc");
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}
