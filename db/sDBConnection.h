// The database connection as the query layer sees it, and the one helper with
// which an application opens it.
#pragma once

#include "platform/win/Types.h"

// The client library's handle, declared here so that users of the layer do not
// need the client library's headers.
struct st_mysql;
typedef struct st_mysql MYSQL;

// Opened and closed by the application; the layer never opens, closes or frees
// a connection. After a statement that lost it (a restarted server, a killed
// session) the layer has the client library open it again, once, before the
// next statement, with the parameters and character set it was opened with.
struct sDB_connection {
    MYSQL* mysql = nullptr;  // null: not open

    // Kept by the layer.
    bool lost = false;                 // a statement lost the connection; reopen before the next
    unsigned long maxPacket = 0;       // the server's max_allowed_packet; 0: not asked yet
    unsigned long maxPacketSession = 0;  // the session (thread id) maxPacket was asked on
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
