// Queries over a connection the application has opened: the whole result is
// kept in client memory, walked row by row and read as typed values. Errors are
// shown in message boxes and the layer carries on with an empty result or a
// default value; it never throws.
#pragma once

#include "db/DBDate.h"
#include "db/sDBConnection.h"
#include "platform/win/Types.h"

#include <cstdint>
#include <memory>

struct st_mysql_res;
typedef struct st_mysql_res MYSQL_RES;
typedef char** MYSQL_ROW;

// The layer's column type codes.
using sDB_type = int16_t;
constexpr sDB_type sDB_type_string = 100;
constexpr sDB_type sDB_type_integer = 200;
constexpr sDB_type sDB_type_floating = 300;
constexpr sDB_type sDB_type_date = 400;
constexpr sDB_type sDB_type_time = 410;
constexpr sDB_type sDB_type_date_time = 420;
constexpr sDB_type sDB_type_blob = 500;
constexpr sDB_type sDB_type_bool = 600;
constexpr sDB_type sDB_type_unknow = 700;

// "sDB_type_string" ...; "*desconocido*" for a code outside the list.
AnsiString sDB_typeName(int code);
// The type code of a MySQL field type (700 for a type the layer does not know).
sDB_type sDB_typeOfMysqlType(int mysqlType);
// "MYSQL_TYPE_TINY" ...; "*desconocido*" for a type outside the table.
AnsiString sDB_mysqlTypeName(int mysqlType);

struct sDB_FieldInfo {
    int32_t index = 0;  // column number, from 0
    AnsiString name;    // as the server reports it
    sDB_type type = 0;
    AnsiString table;   // the real source table, not an alias
    int32_t mysqlType = 0;
};

// A modal box with one OK button; every message of the layer goes through it.
void sDB_showMessage(const AnsiString& text, const AnsiString& caption);
// Sends a statement that returns no rows. Gives the affected-row count (low 32
// bits), or 0 after showing the server's error.
int32_t sDB_execute(sDB_connection* connection, const AnsiString& sql);
// The text escaped by the client library and put in single quotes.
AnsiString sDB_quote(sDB_connection* connection, const AnsiString& text);

class sDB_query {
public:
    sDB_query() = default;
    explicit sDB_query(sDB_connection* connection) : connection(connection) {}
    sDB_query(const sDB_query&) = delete;
    sDB_query& operator=(const sDB_query&) = delete;

    // Takes the default connection when the query has none; warns when there is
    // still none.
    virtual void checkConnection();
    virtual void onRecord() {}  // the cursor has landed on a row
    virtual void onPost() {}
    virtual void onClear() {}
    // Releases the result; counts become -1.
    virtual void clear();
    virtual ~sDB_query();

    void setConnection(sDB_connection* value) { connection = value; }
    sDB_connection* getConnection() const { return connection; }

    void exec(const AnsiString& sql);
    void first();
    void next();
    bool eof() const { return current < 0 || current > recordCount - 1; }
    int32_t getRecordCount() const { return recordCount; }
    int32_t getFieldCount() const { return fieldCount; }

    const sDB_FieldInfo& getFieldInfo(int i) const;
    int findField(const AnsiString& name, const AnsiString& table = AnsiString()) const;

    // The current row's text of a column; SQL NULL gives the empty text.
    AnsiString getValue(int col);

    AnsiString getString(int col);
    int32_t getInteger(int col);
    double getDouble(int col);
    sDB_date getDate(int col);
    sDB_time getTime(int col);

    // By name: a column that findField does not find gives the default silently.
    AnsiString getString(const AnsiString& name, const AnsiString& table = AnsiString());
    int32_t getInteger(const AnsiString& name, const AnsiString& table = AnsiString());
    double getDouble(const AnsiString& name, const AnsiString& table = AnsiString());
    sDB_date getDate(const AnsiString& name, const AnsiString& table = AnsiString());
    sDB_time getTime(const AnsiString& name, const AnsiString& table = AnsiString());

protected:
    bool hasConnection() const;

    MYSQL_RES* result = nullptr;               // the stored result; null when there is none
    MYSQL_ROW row = nullptr;                   // the current row
    int32_t recordCount = -1;                  // -1 when there is no result
    int32_t fieldCount = -1;
    int32_t current = -1;                      // -1 before the first row
    sDB_connection* connection = nullptr;      // not owned
    std::unique_ptr<sDB_FieldInfo[]> fields;   // fieldCount entries; null when there is no result

private:
    void fetchRow(int index);
    // The current row's value, or null for SQL NULL, no row or a column outside the result.
    const char* cell(int col) const;
    bool checkType(int col, sDB_type accepted, sDB_type alsoAccepted, const char* typeName) const;

    // A seek in a stored result walks its row list from the start, so the cursor
    // remembers where the library's own read position stands and steps on from
    // there when that is the row it wants.
    int32_t nextFetch = -1;         // row that a plain fetch would give; -1: unknown
    void* nextFetchOffset = nullptr;  // the library's read position after the last fetch
    unsigned long* lengths = nullptr;  // byte lengths of the current row, read on first need
};
