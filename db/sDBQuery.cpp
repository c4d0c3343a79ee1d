#include "db/sDBQuery.h"

#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "platform/win/Windows.h"

#include <errmsg.h>
#include <mysql.h>
#include <mysqld_error.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

struct TypeName {
    int code;
    const char* name;
};

constexpr TypeName typeNames[] = {
    {100, "sDB_type_string"}, {200, "sDB_type_integer"}, {300, "sDB_type_floating"},
    {400, "sDB_type_date"},   {410, "sDB_type_time"},    {420, "sDB_type_date_time"},
    {500, "sDB_type_blob"},   {600, "sDB_type_bool"},    {700, "sDB_type_unknow"},
};

struct MysqlType {
    int mysqlType;
    const char* name;
    sDB_type code;
};

// Searched from the top; the two decimal types count as integers.
constexpr MysqlType mysqlTypes[] = {
    {MYSQL_TYPE_TINY, "MYSQL_TYPE_TINY", 200},
    {MYSQL_TYPE_DECIMAL, "MYSQL_TYPE_DECIMAL", 200},
    {MYSQL_TYPE_SHORT, "MYSQL_TYPE_SHORT", 200},
    {MYSQL_TYPE_LONG, "MYSQL_TYPE_LONG", 200},
    {MYSQL_TYPE_LONGLONG, "MYSQL_TYPE_LONGLONG", 200},
    {MYSQL_TYPE_INT24, "MYSQL_TYPE_INT24", 200},
    {MYSQL_TYPE_NEWDECIMAL, "MYSQL_TYPE_NEWDECIMAL", 200},
    {MYSQL_TYPE_FLOAT, "MYSQL_TYPE_FLOAT", 300},
    {MYSQL_TYPE_DOUBLE, "MYSQL_TYPE_DOUBLE", 300},
    {MYSQL_TYPE_NULL, "MYSQL_TYPE_NULL", 700},
    {MYSQL_TYPE_TIMESTAMP, "MYSQL_TYPE_TIMESTAMP", 420},
    {MYSQL_TYPE_DATE, "MYSQL_TYPE_DATE", 400},
    {MYSQL_TYPE_TIME, "MYSQL_TYPE_TIME", 410},
    {MYSQL_TYPE_DATETIME, "MYSQL_TYPE_DATETIME", 420},
    {MYSQL_TYPE_YEAR, "MYSQL_TYPE_YEAR", 400},
    {MYSQL_TYPE_NEWDATE, "MYSQL_TYPE_NEWDATE", 400},
    {MYSQL_TYPE_VARCHAR, "MYSQL_TYPE_VARCHAR", 100},
    {MYSQL_TYPE_VAR_STRING, "MYSQL_TYPE_VAR_STRING", 100},
    {MYSQL_TYPE_STRING, "MYSQL_TYPE_STRING", 100},
    {MYSQL_TYPE_TINY_BLOB, "MYSQL_TYPE_TINY_BLOB", 500},
    {MYSQL_TYPE_MEDIUM_BLOB, "MYSQL_TYPE_MEDIUM_BLOB", 500},
    {MYSQL_TYPE_LONG_BLOB, "MYSQL_TYPE_LONG_BLOB", 500},
    {MYSQL_TYPE_BLOB, "MYSQL_TYPE_BLOB", 500},
    {MYSQL_TYPE_BIT, "MYSQL_TYPE_BIT", 600},
    {MYSQL_TYPE_ENUM, "MYSQL_TYPE_ENUM", 700},
    {MYSQL_TYPE_SET, "MYSQL_TYPE_SET", 700},
    {MYSQL_TYPE_GEOMETRY, "MYSQL_TYPE_GEOMETRY", 700},
};

const char* const unknownName = "*desconocido*";
const char* const errorCaption = "sDB_query error";
const char* const typeErrorCaption = "error de tipo de datos";

const sDB_FieldInfo emptyFieldInfo;

void showNoConnection()
{
    sDB_showMessage("No se ha asignado conexi\xF3n\nTodo va a fallar", "OJO");
}

// Errors after which the connection is gone: the server went away or closed
// the session (killed, or sent a packet over its limit).
bool losesConnection(unsigned error)
{
    return error == CR_SERVER_GONE_ERROR || error == CR_SERVER_LOST || error == CR_SERVER_LOST_EXTENDED ||
           error == ER_CONNECTION_KILLED || error == ER_NET_PACKET_TOO_LARGE || error == ER_NET_READ_ERROR ||
           error == ER_NET_ERROR_ON_WRITE;
}

// Shows the error of the last call on the connection; an error that lost the
// connection marks it to be opened again before the next statement.
void showServerError(sDB_connection& connection)
{
    AnsiString text = mysql_error(connection.mysql);
    if (losesConnection(mysql_errno(connection.mysql))) {
        connection.lost = true;
        text += "\nse ha perdido la conexi\xF3n con el servidor: se volver\xE1 a conectar antes de la "
                "pr\xF3xima sentencia";
    }
    sDB_showMessage(text, errorCaption);
}

// Opens a lost connection again through the client library, which keeps the
// host, user, database and character set it was first opened with.
bool reconnect(sDB_connection& connection)
{
    MYSQL* mysql = connection.mysql;
    my_bool wasOn = 0;
    my_bool on = 1;
    mysql_get_option(mysql, MYSQL_OPT_RECONNECT, &wasOn);
    mysql_options(mysql, MYSQL_OPT_RECONNECT, &on);
    bool failed = mysql_ping(mysql) != 0;
    mysql_options(mysql, MYSQL_OPT_RECONNECT, &wasOn);
    if (failed) {
        sDB_showMessage(AnsiString(mysql_error(mysql)) +
                            "\nno se ha podido volver a conectar con el servidor: la sentencia no se ha enviado",
                        errorCaption);
        return false;
    }
    connection.lost = false;
    return true;
}

// The server closes the connection on a statement of max_allowed_packet bytes
// or more (with the command byte it takes at most that less two): such a
// statement is refused before it is sent. Every server takes 1024 bytes; above
// that its limit is asked once per session.
bool fitsServerPacket(sDB_connection& connection, const AnsiString& sql)
{
    if (sql.size() + 2 <= 1024)
        return true;
    MYSQL* mysql = connection.mysql;
    unsigned long session = mysql_thread_id(mysql);
    if (connection.maxPacket == 0 || connection.maxPacketSession != session) {
        const char* const ask = "select @@max_allowed_packet";
        if (mysql_real_query(mysql, ask, std::strlen(ask)) != 0)
            return true;  // the statement itself then fails and says why
        MYSQL_RES* rows = mysql_store_result(mysql);
        MYSQL_ROW row = rows ? mysql_fetch_row(rows) : nullptr;
        connection.maxPacket = row && row[0] ? std::strtoul(row[0], nullptr, 10) : 0;
        connection.maxPacketSession = session;
        if (rows)
            mysql_free_result(rows);
        if (connection.maxPacket == 0)
            return true;
    }
    size_t largest = connection.maxPacket - 2;
    if (sql.size() <= largest)
        return true;
    sDB_showMessage("la sentencia ocupa " + std::to_string(sql.size()) + " bytes y el servidor admite como m\xE1ximo " +
                        std::to_string(largest) + " (max_allowed_packet " + std::to_string(connection.maxPacket) +
                        "): no se ha enviado",
                    errorCaption);
    return false;
}

// Sends one statement over an open connection after opening it again if a
// statement lost it. False, after showing why, when the server did not take it.
bool sendStatement(sDB_connection& connection, const AnsiString& sql)
{
    if (connection.lost && !reconnect(connection))
        return false;
    if (!fitsServerPacket(connection, sql))
        return false;
    if (mysql_real_query(connection.mysql, sql.data(), sql.size()) != 0) {
        showServerError(connection);
        return false;
    }
    return true;
}

// A CALL answers with one result per SELECT of the procedure and a closing
// status; the connection takes no other command until all have been read.
// Reads and drops those after the one the caller took; an error among them is shown.
void discardPendingResults(sDB_connection& connection)
{
    MYSQL* mysql = connection.mysql;
    while (mysql_more_results(mysql)) {
        int status = mysql_next_result(mysql);
        if (status != 0) {
            if (status > 0)
                showServerError(connection);
            return;
        }
        if (MYSQL_RES* rows = mysql_store_result(mysql))
            mysql_free_result(rows);
    }
}

// Warnings by which the server says that it stored something other than what a
// statement gave: cut, clipped, converted or defaulted values. Its notes (a
// decimal rounded to the column's scale) are not among them.
bool changesValue(unsigned code)
{
    switch (code) {
    case ER_BAD_NULL_ERROR:
    case ER_WARN_TOO_MANY_RECORDS:
    case ER_WARN_NULL_TO_NOTNULL:
    case ER_WARN_DATA_OUT_OF_RANGE:
    case WARN_DATA_TRUNCATED:
    case ER_TRUNCATED_WRONG_VALUE:
    case ER_INVALID_CHARACTER_STRING:
    case ER_TRUNCATED_WRONG_VALUE_FOR_FIELD:
    case ER_ILLEGAL_VALUE_FOR_TYPE:
    case ER_DATA_TOO_LONG:
    case ER_DATA_OVERFLOW:
    case ER_BAD_DATA:
        return true;
    default:
        return false;
    }
}

// After a statement that changed data: shows the server's warnings that mean a
// value was stored otherwise than it was sent.
void showChangedValues(sDB_connection& connection)
{
    MYSQL* mysql = connection.mysql;
    if (mysql_warning_count(mysql) == 0)
        return;
    const char* const sql = "SHOW WARNINGS";
    if (mysql_real_query(mysql, sql, std::strlen(sql)) != 0) {
        // The statement itself was done; only the next one needs to know.
        if (losesConnection(mysql_errno(mysql)))
            connection.lost = true;
        return;
    }
    MYSQL_RES* rows = mysql_store_result(mysql);
    if (!rows)
        return;
    AnsiString text;
    while (MYSQL_ROW row = mysql_fetch_row(rows)) {
        // Level, Code, Message
        if (row[0] && row[1] && row[2] && std::strcmp(row[0], "Warning") == 0 &&
            changesValue(static_cast<unsigned>(std::atoi(row[1]))))
            text += AnsiString("\n") + row[2];
    }
    mysql_free_result(rows);
    if (!text.empty())
        sDB_showMessage("el servidor ha guardado un valor distinto del enviado:" + text, "OJO");
}

// The C library's decimal reading, as atof does it but always with a decimal
// point, whatever locale the process runs in.
double readDouble(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    if (*text == '+')
        ++text;
    double value = 0.0;
    std::from_chars(text, text + std::strlen(text), value);
    return value;
}

// Truncation toward zero, held inside the 32-bit range.
int32_t truncateToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return INT32_MAX;
    if (value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

// atoi's reading (leading blanks, a sign, the digits up to the first other
// character; no digits give 0), held inside the 32-bit range: a BIGINT or a
// long DECIMAL holds more than atoi can give without overflowing.
int32_t readInteger(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    constexpr int64_t cap = int64_t(1) << 32;  // past either limit
    int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        magnitude = std::min(magnitude * 10 + (*text - '0'), cap);
    if (negative)
        return magnitude >= -int64_t(INT32_MIN) ? INT32_MIN : static_cast<int32_t>(-magnitude);
    return magnitude >= INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
}

int readNumber(const char* text, size_t start, size_t count)
{
    char copy[8] = {};
    size_t length = std::strlen(text);
    if (start < length)
        std::memcpy(copy, text + start, std::min(count, length - start));
    return std::atoi(copy);
}

// The client library's escaping for a single-byte character set such as latin1.
// Without a connection the library's own function cannot be used: it needs an
// initialised library and crashes otherwise.
AnsiString escapeWithoutConnection(const AnsiString& text)
{
    AnsiString escaped;
    escaped.reserve(text.size() * 2);
    for (char c : text) {
        switch (c) {
        case '\0': escaped += "\\0"; break;
        case '\n': escaped += "\\n"; break;
        case '\r': escaped += "\\r"; break;
        case '\x1A': escaped += "\\Z"; break;
        case '\\':
        case '\'':
        case '"': escaped += '\\'; escaped += c; break;
        default: escaped += c;
        }
    }
    return escaped;
}

}  // namespace

AnsiString sDB_typeName(int code)
{
    for (const TypeName& entry : typeNames)
        if (entry.code == code)
            return entry.name;
    return unknownName;
}

sDB_type sDB_typeOfMysqlType(int mysqlType)
{
    for (const MysqlType& entry : mysqlTypes)
        if (entry.mysqlType == mysqlType)
            return entry.code;
    return sDB_type_unknow;
}

AnsiString sDB_mysqlTypeName(int mysqlType)
{
    for (const MysqlType& entry : mysqlTypes)
        if (entry.mysqlType == mysqlType)
            return entry.name;
    return unknownName;
}

void sDB_showMessage(const AnsiString& text, const AnsiString& caption)
{
    Application->MessageBox(text, caption, MB_OK);
}

int32_t sDB_execute(sDB_connection* connection, const AnsiString& sql)
{
    if (!connection || !connection->mysql) {
        showNoConnection();
        return 0;
    }
    if (!sendStatement(*connection, sql))
        return 0;
    MYSQL* mysql = connection->mysql;
    // A statement that does return rows must have them read, or the connection
    // refuses the next command.
    if (mysql_field_count(mysql) != 0) {
        if (MYSQL_RES* rows = mysql_store_result(mysql))
            mysql_free_result(rows);
        else
            showServerError(*connection);
    }
    bool changesData = mysql_field_count(mysql) == 0;
    auto affected = static_cast<int32_t>(static_cast<uint32_t>(mysql_affected_rows(mysql)));
    discardPendingResults(*connection);
    if (changesData)
        showChangedValues(*connection);
    return affected;
}

AnsiString sDB_quote(sDB_connection* connection, const AnsiString& text)
{
    if (!connection || !connection->mysql)
        return "'" + escapeWithoutConnection(text) + "'";
    std::string buffer(text.size() * 2 + 1, '\0');
    unsigned long length = mysql_real_escape_string(connection->mysql, buffer.data(), text.data(), text.size());
    buffer.resize(length);
    return "'" + buffer + "'";
}

// ---- sDB_query --------------------------------------------------------------

sDB_query::~sDB_query()
{
    if (result)
        mysql_free_result(result);
}

bool sDB_query::hasConnection() const
{
    return connection && connection->mysql;
}

void sDB_query::checkConnection()
{
    if (!connection)
        connection = sDB_defaultConnection;
    if (!hasConnection())
        showNoConnection();
}

void sDB_query::clear()
{
    if (result)
        mysql_free_result(result);
    result = nullptr;
    row = nullptr;
    fields.reset();
    recordCount = -1;
    fieldCount = -1;
    current = -1;
    nextFetch = -1;
    nextFetchOffset = nullptr;
    lengths = nullptr;
}

void sDB_query::exec(const AnsiString& sql)
{
    clear();
    checkConnection();
    if (!hasConnection())
        return;
    if (!sendStatement(*connection, sql))
        return;
    MYSQL* mysql = connection->mysql;
    result = mysql_store_result(mysql);
    bool changesData = mysql_field_count(mysql) == 0;
    if (!result && !changesData)
        showServerError(*connection);  // no result is normal only for a statement without rows
    discardPendingResults(*connection);
    if (changesData)
        showChangedValues(*connection);
    if (!result)
        return;
    recordCount = static_cast<int32_t>(mysql_num_rows(result));
    fieldCount = static_cast<int32_t>(mysql_num_fields(result));
    fields = std::make_unique<sDB_FieldInfo[]>(fieldCount);
    for (int i = 0; i < fieldCount; ++i) {
        const MYSQL_FIELD* field = mysql_fetch_field_direct(result, i);
        sDB_FieldInfo& info = fields[i];
        info.index = i;
        info.name = field->name ? field->name : "";
        info.mysqlType = static_cast<unsigned char>(field->type);
        info.type = sDB_typeOfMysqlType(info.mysqlType);
        info.table = field->org_table ? field->org_table : "";
    }
    current = -1;
    if (recordCount > 0)
        first();
}

void sDB_query::fetchRow(int index)
{
    if (nextFetch != index || nextFetchOffset != mysql_row_tell(result))
        mysql_data_seek(result, index);
    row = mysql_fetch_row(result);
    lengths = nullptr;
    nextFetch = index + 1;
    nextFetchOffset = mysql_row_tell(result);
}

void sDB_query::first()
{
    if (recordCount <= 0)
        return;
    current = 0;
    fetchRow(0);
    onRecord();
}

void sDB_query::next()
{
    ++current;
    if (current <= recordCount - 1) {
        fetchRow(current);
        onRecord();
    }
}

const sDB_FieldInfo& sDB_query::getFieldInfo(int i) const
{
    if (!fields || i < 0 || i >= fieldCount)
        return emptyFieldInfo;
    return fields[i];
}

int sDB_query::findField(const AnsiString& name, const AnsiString& table) const
{
    if (!fields)
        return -1;
    AnsiString wantedName = AnsiUpperCase(name);
    AnsiString wantedTable = AnsiUpperCase(table);
    for (int i = 0; i < fieldCount; ++i) {
        if (AnsiUpperCase(fields[i].name) != wantedName)
            continue;
        if (table.empty() || AnsiUpperCase(fields[i].table) == wantedTable)
            return i;
    }
    return -1;
}

const char* sDB_query::cell(int col) const
{
    if (!row || col < 0 || col >= fieldCount)
        return nullptr;
    return row[col];
}

AnsiString sDB_query::getValue(int col)
{
    const char* text = cell(col);
    if (!text)
        return AnsiString();
    // Lengths rather than the terminator: a blob may hold zero bytes.
    if (!lengths)
        lengths = mysql_fetch_lengths(result);
    return lengths ? AnsiString(text, lengths[col]) : AnsiString(text);
}

bool sDB_query::checkType(int col, sDB_type accepted, sDB_type alsoAccepted, const char* typeName) const
{
    if (!fields || col < 0 || col >= fieldCount)
        return false;
    sDB_type type = fields[col].type;
    if (type == accepted || type == alsoAccepted)
        return true;
    sDB_showMessage("la columna " + fields[col].name + " no es de tipo " + typeName, typeErrorCaption);
    return false;
}

AnsiString sDB_query::getString(int col)
{
    if (!checkType(col, sDB_type_string, sDB_type_blob, "STRING"))
        return AnsiString();
    return getValue(col);
}

int32_t sDB_query::getInteger(int col)
{
    if (!checkType(col, sDB_type_integer, sDB_type_floating, "INTEGER"))
        return 0;
    if (fields[col].type == sDB_type_floating)
        return truncateToInt(getDouble(col));
    const char* text = cell(col);
    return text ? readInteger(text) : 0;
}

double sDB_query::getDouble(int col)
{
    if (!checkType(col, sDB_type_floating, sDB_type_integer, "DOUBLE"))
        return 0.0;
    // Integer columns are read as written too: a BIGINT beyond 32 bits and the
    // cents of a DECIMAL, which counts as an integer column, are kept.
    const char* text = cell(col);
    return text ? readDouble(text) : 0.0;
}

sDB_date sDB_query::getDate(int col)
{
    sDB_date date;
    if (!checkType(col, sDB_type_date, sDB_type_date, "DATE"))
        return date;
    const char* text = cell(col);
    // Only DATE has the YYYY-MM-DD form; YEAR and NEWDATE give the null date.
    if (text && *text && fields[col].mysqlType == MYSQL_TYPE_DATE) {
        date.year = readNumber(text, 0, 4);
        date.month = readNumber(text, 5, 2);
        date.day = readNumber(text, 8, 2);
    }
    return date;
}

sDB_time sDB_query::getTime(int col)
{
    sDB_time time;
    if (!checkType(col, sDB_type_time, sDB_type_time, "TIME"))
        return time;
    const char* text = cell(col);
    if (text && *text && fields[col].mysqlType == MYSQL_TYPE_TIME) {
        time.hour = readNumber(text, 0, 2);
        time.minute = readNumber(text, 3, 2);
    }
    return time;
}

AnsiString sDB_query::getString(const AnsiString& name, const AnsiString& table)
{
    int col = findField(name, table);
    return col >= 0 ? getString(col) : AnsiString();
}

int32_t sDB_query::getInteger(const AnsiString& name, const AnsiString& table)
{
    int col = findField(name, table);
    return col >= 0 ? getInteger(col) : 0;
}

double sDB_query::getDouble(const AnsiString& name, const AnsiString& table)
{
    int col = findField(name, table);
    return col >= 0 ? getDouble(col) : 0.0;
}

sDB_date sDB_query::getDate(const AnsiString& name, const AnsiString& table)
{
    int col = findField(name, table);
    return col >= 0 ? getDate(col) : sDB_date();
}

sDB_time sDB_query::getTime(const AnsiString& name, const AnsiString& table)
{
    int col = findField(name, table);
    return col >= 0 ? getTime(col) : sDB_time();
}
