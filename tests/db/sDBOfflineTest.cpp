// The query layer without a server: quoting, and a table used before any
// connection exists.
#include "db/sDBTable.h"
#include "platform/Forms.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
