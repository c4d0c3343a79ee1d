// A test fixture on the throwaway server: each test gets its own database, a
// layer connection to it, an administrative connection for setting up tables,
// and a record of every message box the layer shows.
#pragma once

#include "db/sDBConnection.h"
#include "platform/Forms.h"

#include <gtest/gtest.h>
#include <mysql.h>

#include <string>
#include <utility>
#include <vector>

struct ShownMessage {
    std::string text;
    std::string caption;
    friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

inline void PrintTo(const ShownMessage& message, std::ostream* out)
{
    *out << "[" << message.caption << "] " << message.text;
}

class DbServerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs a statement on the administrative connection; fails the test on error.
    void admin(const std::string& sql);
    // The first column of every row of a query on the administrative connection.
    std::vector<std::string> adminColumn(const std::string& sql);
    // The statements that the layer connection has sent since the last call.
    std::vector<std::string> takeSentStatements();
    std::vector<ShownMessage> takeMessages() { return std::exchange(messages, {}); }

    std::string socketPath;
    std::string database;
    sDB_connection connection;  // the layer's connection to `database`
    MYSQL* adminMysql = nullptr;
    std::vector<ShownMessage> messages;

private:
    TMessageBoxHandler previousHandler;
    size_t statementsSeen = 0;
};
