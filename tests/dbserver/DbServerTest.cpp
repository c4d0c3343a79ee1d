#include "DbServerTest.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>

void DbServerTest::SetUp()
{
    const char* socket = std::getenv("VARN_TEST_MYSQL_SOCKET");
    if (!socket || !*socket)
        GTEST_SKIP() << "VARN_TEST_MYSQL_SOCKET is not set: run through ctest, or start a server "
                        "with scripts/test-mysql";
    socketPath = socket;

    database = "t" + std::to_string(getpid()) + "_";
    for (char c : std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))
        if (database.size() < 60)
            database += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';

    adminMysql = mysql_init(nullptr);
    mysql_options(adminMysql, MYSQL_SET_CHARSET_NAME, "latin1");
    ASSERT_TRUE(mysql_real_connect(adminMysql, "localhost", "root", "pelukarimo", nullptr, 0,
                                   socketPath.c_str(), 0))
        << mysql_error(adminMysql);
    admin("DROP DATABASE IF EXISTS " + database);
    admin("CREATE DATABASE " + database + " CHARACTER SET latin1");
    admin("USE " + database);

    previousHandler = Application->SetMessageBoxHandler(
        [this](const AnsiString& text, const AnsiString& caption, int) {
            messages.push_back({text, caption});
            return 1;
        });
    sDB_defaultConnection = nullptr;
    sDB_connectionParams params;
    params.socket = socketPath;
    params.database = database;
    ASSERT_TRUE(sDB_openConnection(connection, params));
    takeSentStatements();
}

void DbServerTest::TearDown()
{
    sDB_defaultConnection = nullptr;
    sDB_closeConnection(connection);
    Application->SetMessageBoxHandler(previousHandler);
    if (adminMysql) {
        if (!database.empty())
            mysql_query(adminMysql, ("DROP DATABASE IF EXISTS " + database).c_str());
        mysql_close(adminMysql);
    }
}

void DbServerTest::admin(const std::string& sql)
{
    ASSERT_EQ(mysql_real_query(adminMysql, sql.data(), sql.size()), 0) << sql << ": " << mysql_error(adminMysql);
    if (MYSQL_RES* rows = mysql_store_result(adminMysql))
        mysql_free_result(rows);
}

std::vector<std::string> DbServerTest::adminColumn(const std::string& sql)
{
    std::vector<std::string> values;
    if (mysql_real_query(adminMysql, sql.data(), sql.size()) != 0) {
        ADD_FAILURE() << sql << ": " << mysql_error(adminMysql);
        return values;
    }
    MYSQL_RES* rows = mysql_store_result(adminMysql);
    if (!rows)
        return values;
    while (MYSQL_ROW row = mysql_fetch_row(rows)) {
        unsigned long* lengths = mysql_fetch_lengths(rows);
        values.push_back(row[0] ? std::string(row[0], lengths[0]) : "NULL");
    }
    mysql_free_result(rows);
    return values;
}

std::vector<std::string> DbServerTest::takeSentStatements()
{
    if (!connection.mysql)
        return {};
    std::vector<std::string> all = adminColumn(
        "select argument from mysql.general_log where command_type='Query' and thread_id=" +
        std::to_string(mysql_thread_id(connection.mysql)));
    std::vector<std::string> fresh(all.begin() + std::min(statementsSeen, all.size()), all.end());
    statementsSeen = all.size();
    return fresh;
}
