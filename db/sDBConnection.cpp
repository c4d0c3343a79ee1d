#include "db/sDBConnection.h"

#include "db/sDBQuery.h"

#include <mysql.h>

sDB_connection* sDB_defaultConnection = nullptr;

namespace {

const char* orNull(const AnsiString& text)
{
    return text.empty() ? nullptr : text.c_str();
}

}

bool sDB_openConnection(sDB_connection& connection, const sDB_connectionParams& params)
{
    sDB_closeConnection(connection);
    MYSQL* mysql = mysql_init(nullptr);
    if (!mysql) {
        sDB_showMessage("mysql_init failed", "sDB_query error");
        return false;
    }
    mysql_options(mysql, MYSQL_SET_CHARSET_NAME, "latin1");
    if (!mysql_real_connect(mysql, orNull(params.host), params.user.c_str(), params.password.c_str(),
                            orNull(params.database), params.port, orNull(params.socket), 0)) {
        AnsiString error = mysql_error(mysql);
        mysql_close(mysql);
        sDB_showMessage(error, "sDB_query error");
        return false;
    }
    connection.mysql = mysql;
    return true;
}

void sDB_closeConnection(sDB_connection& connection)
{
    if (connection.mysql)
        mysql_close(connection.mysql);
    connection = sDB_connection();
}
