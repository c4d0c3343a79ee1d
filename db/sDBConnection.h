// The database connection as the query layer sees it, and the one helper with
// which an application opens it.
#pragma once

#include "platform/win/Types.h"

// The client library's handle, declared here so that users of the layer do not
// need the client library's headers.
struct st_mysql;
typedef struct st_mysql MYSQL;

// Opened and closed by the application; the layer only reads the handle and
// never opens, closes or frees a connection.
struct sDB_connection {
    MYSQL* mysql = nullptr;  // null: not open
};

// Taken by every query that has no connection of its own; null at start.
extern sDB_connection* sDB_defaultConnection;

// What an opening uses unless told otherwise: the layer's default parameters.
struct sDB_connectionParams {
    AnsiString host = "localhost";  // the local machine
    AnsiString database = "wbDoc_tarnel_v3";
    AnsiString user = "root";
    AnsiString password = "pelukarimo";
    unsigned port = 0;  // 0: the client library's default
    AnsiString socket;  // empty: the client library's default
};

// Opens `connection` with the latin1 character set. A failure is shown as the
// layer shows server errors (caption "sDB_query error") and leaves the
// connection closed. An open connection is closed first.
bool sDB_openConnection(sDB_connection& connection, const sDB_connectionParams& params = {});
void sDB_closeConnection(sDB_connection& connection);
