#include "DbServerTest.h"

#include "db/sDBTable.h"

#include <chrono>
#include <thread>

namespace {

const char* const lostLine = "se ha perdido la conexi\xF3n con el servidor";

bool mentions(const ShownMessage& message, const std::string& part)
{
    return message.text.find(part) != std::string::npos;
}

}  // namespace

class Connection : public DbServerTest {
protected:
    // Kills a connection's session on the server, as a restart or an administrator
    // would, and waits until it is gone.
    void killSession(MYSQL* mysql)
    {
        std::string id = std::to_string(mysql_thread_id(mysql));
        admin("kill connection " + id);
        for (int i = 0; i < 500; ++i) {
            if (adminColumn("select count(*) from information_schema.processlist where id=" + id) ==
                std::vector<std::string>{"0"})
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        FAIL() << "session " << id << " is still there";
    }
};

TEST_F(Connection, AStatementOnALostConnectionFailsAndTheNextOneReconnects)
{
    admin("create table T (code varchar(20) primary key, n varchar(20))");
    admin("insert into T values ('A1', 'old')");

    // Opened by the application with a character set other than the server's.
    MYSQL* raw = mysql_init(nullptr);
    mysql_options(raw, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    ASSERT_TRUE(mysql_real_connect(raw, "localhost", "root", "pelukarimo", database.c_str(), 0,
                                   socketPath.c_str(), 0));
    sDB_connection wide{raw};
    unsigned long firstSession = mysql_thread_id(raw);
    killSession(raw);
    sDB_query query(&wide);
    query.exec("select n from T");
    EXPECT_TRUE(query.eof());
    std::vector<ShownMessage> shown = takeMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "sDB_query error");
    EXPECT_TRUE(mentions(shown[0], lostLine)) << shown[0].text;

    query.exec("select n, @@character_set_client, database() from T");
    EXPECT_EQ(query.getString(0), "old");
    EXPECT_EQ(query.getString(1), "utf8mb4");
    EXPECT_EQ(query.getString(2), database);
    EXPECT_NE(mysql_thread_id(raw), firstSession);
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
    sDB_closeConnection(wide);

    // A record's UPDATE that fails is reported; reading the record back reconnects.
    sDB_table table(&connection);
    table.setTableName("T");
    ASSERT_TRUE(table.load("A1"));
    killSession(connection.mysql);
    table.setString("n", "new");
    table.post();
    shown = takeMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(mentions(shown[0], lostLine)) << shown[0].text;
    EXPECT_EQ(table.getCode(), "A1");
    EXPECT_EQ(table.getString("n"), "old");
    table.setString("n", "new");
    table.post();
    EXPECT_EQ(table.getString("n"), "new");
    EXPECT_EQ(adminColumn("select n from T"), std::vector<std::string>{"new"});
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}

TEST_F(Connection, AStatementOverTheServerPacketLimitIsRefusedAndTheConnectionLives)
{
    admin("create table T (code varchar(20) primary key, n longtext)");
    admin("insert into T values ('A1', 'old')");
    const size_t limit = std::stoul(adminColumn("select @@max_allowed_packet").at(0));
    const unsigned long session = mysql_thread_id(connection.mysql);
    const ShownMessage refused{"la sentencia ocupa " + std::to_string(limit - 1) +
                                   " bytes y el servidor admite como m\xE1ximo " + std::to_string(limit - 2) +
                                   " (max_allowed_packet " + std::to_string(limit) + "): no se ha enviado",
                               "sDB_query error"};

    // The largest statement the server takes, and one byte more.
    std::string largest = "select length('" + std::string(limit - 2 - 17, 'x') + "')";
    ASSERT_EQ(largest.size(), limit - 2);
    sDB_query query(&connection);
    query.exec(largest);
    EXPECT_EQ(query.getInteger(0), static_cast<int32_t>(limit - 19));
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
    query.exec(largest.insert(7, " "));
    EXPECT_TRUE(query.eof());
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{refused});

    sDB_table table(&connection);
    table.setTableName("T");
    ASSERT_TRUE(table.load("A1"));
    table.setString("n", std::string(limit, 'y'));
    table.post();
    std::vector<ShownMessage> shown = takeMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(mentions(shown[0], "(max_allowed_packet " + std::to_string(limit) + ")")) << shown[0].text.substr(0, 200);
    EXPECT_EQ(table.getString("n"), "old");
    EXPECT_EQ(sDB_execute(&connection, "update T set n='short'"), 1);
    EXPECT_EQ(mysql_thread_id(connection.mysql), session);
    EXPECT_EQ(takeMessages(), std::vector<ShownMessage>{});
}
