// The parts of the query layer that need no server: type tables, quoting, and
// a table used before any connection exists.
#include "db/sDBTable.h"
#include "platform/Forms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(sDBTypes, TablesMapMysqlTypesAndNameCodes)
{
    EXPECT_EQ(sDB_typeOfMysqlType(0), sDB_type_integer);     // DECIMAL
    EXPECT_EQ(sDB_typeOfMysqlType(246), sDB_type_integer);   // NEWDECIMAL
    EXPECT_EQ(sDB_typeOfMysqlType(4), sDB_type_floating);
    EXPECT_EQ(sDB_typeOfMysqlType(7), sDB_type_date_time);   // TIMESTAMP
    EXPECT_EQ(sDB_typeOfMysqlType(13), sDB_type_date);       // YEAR
    EXPECT_EQ(sDB_typeOfMysqlType(15), sDB_type_string);
    EXPECT_EQ(sDB_typeOfMysqlType(16), sDB_type_bool);
    EXPECT_EQ(sDB_typeOfMysqlType(251), sDB_type_blob);
    EXPECT_EQ(sDB_typeOfMysqlType(247), sDB_type_unknow);   // ENUM
    EXPECT_EQ(sDB_typeOfMysqlType(17), sDB_type_unknow);    // not in the table
    EXPECT_EQ(sDB_typeName(420), "sDB_type_date_time");
    EXPECT_EQ(sDB_typeName(5), "*desconocido*");
    EXPECT_EQ(sDB_mysqlTypeName(255), "MYSQL_TYPE_GEOMETRY");
    EXPECT_EQ(sDB_mysqlTypeName(100), "*desconocido*");
}

TEST(sDBOffline, QuotingAndATableWithoutConnectionNeverCrash)
{
    EXPECT_EQ(sDB_quote(nullptr, "O'Brien \\ \"x\""), "'O\\'Brien \\\\ \\\"x\\\"'");
    EXPECT_EQ(sDB_quote(nullptr, ""), "''");

    std::vector<std::string> captions;
    TMessageBoxHandler previous = Application->SetMessageBoxHandler(
        [&](const AnsiString&, const AnsiString& caption, int) {
            captions.push_back(caption);
            return 1;
        });
    sDB_defaultConnection = nullptr;
    sDB_connection closed;  // a record whose handle was never opened counts as no connection
    sDB_table table(&closed);
    table.setTableName("T");
    EXPECT_FALSE(table.load("A1"));
    table.setString("n", "Ana");
    table.post();
    EXPECT_EQ(table.select(), -1);
    EXPECT_FALSE(table.insertRecord("A1"));
    EXPECT_FALSE(table.deleteRecord("A1"));
    EXPECT_EQ(sDB_execute(&closed, "delete from T"), 0);
    Application->SetMessageBoxHandler(previous);

    EXPECT_FALSE(captions.empty());
    for (const std::string& caption : captions)
        EXPECT_EQ(caption, "OJO");
}
