#include "db/sDBTable.h"

#include "platform/SysUtils.h"

#include <charconv>
#include <cmath>

namespace {

// A finite number as SQL text that the server reads back as this very double,
// with a decimal point whatever locale the process runs in. Six decimals, as
// statements have always had them, when those hold the whole value; otherwise
// the shortest text that reads back exactly, in exponent form where that is
// shorter. The server reads a fixed-point literal as an exact decimal of at
// most 65 digits (it clipped longer ones to 1e65), an exponent one as a double.
AnsiString numberText(double value)
{
    char buffer[64];
    if (std::fabs(value) < 1e15) {
        auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
        double readBack = 0.0;
        if (error == std::errc() && std::from_chars(buffer, end, readBack).ec == std::errc() && readBack == value)
            return AnsiString(buffer, end);
    }
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return AnsiString(buffer, error == std::errc() ? end : buffer);
}

}  // namespace

void sDB_table::clear()
{
    onClear();
    code.clear();
    updateSQL.clear();
    refused = false;
    lastOrderBy.clear();
    lastWhere.clear();
    sDB_query::clear();
}

AnsiString sDB_table::getCode()
{
    return code;
}

bool sDB_table::load(const AnsiString& key)
{
    checkConnection();
    lastWhere.clear();
    lastOrderBy.clear();
    updateSQL.clear();
    // The key is escaped: a quote in it must neither break the statement nor widen it.
    exec("select * from " + getTableName() + " where code=" + sDB_quote(connection, key));
    if (eof())
        return false;
    code = key;
    onRecord();
    return true;
}

void sDB_table::reload()
{
    if (!code.empty())
        load(AnsiString(code));
}

int32_t sDB_table::select(const AnsiString& where, const AnsiString& orderBy)
{
    checkConnection();
    AnsiString sql = "select * from " + getTableName();
    if (!where.empty())
        sql += " where " + where;
    if (!orderBy.empty())
        sql += " order by " + orderBy;
    exec(sql);
    code.clear();
    lastWhere = where;
    lastOrderBy = orderBy;
    if (!eof())
        onRecord();
    return getRecordCount();
}

void sDB_table::startAssignment(StartMode mode)
{
    if (!updateSQL.empty()) {
        if (mode == StartMode::HeadOnly)
            return;
        if (setCount > 0)
            updateSQL += ", ";
        ++setCount;
        return;
    }
    if (getCode().empty())
        return;
    checkConnection();
    updateSQL = "update " + getTableName() + " set ";
    setCount = mode == StartMode::HeadOnly ? 0 : 1;
}

void sDB_table::addAssignment(const AnsiString& field, const AnsiString& valueText)
{
    startAssignment(StartMode::Assignment);
    updateSQL += field + "=" + valueText;
}

void sDB_table::setInteger(const AnsiString& field, int32_t value)
{
    addAssignment(field, Sprintf("%i", value));
}

void sDB_table::setFloat(const AnsiString& field, double value)
{
    if (!std::isfinite(value)) {
        // Written as text these would be the bare words inf and nan, which the
        // server reads as column names. The record's other changes go with it:
        // an UPDATE without this one is not what the caller asked for.
        const char* name = std::isnan(value) ? "NaN" : value > 0 ? "infinito" : "-infinito";
        sDB_showMessage("el valor de " + field + " no es un n\xFAmero finito (" + name +
                            "): no se guardan los cambios del registro",
                        "sDB_query error");
        refused = true;
        return;
    }
    addAssignment(field, numberText(value));
}

void sDB_table::setString(const AnsiString& field, const AnsiString& value)
{
    addAssignment(field, sDB_quote(connection, value));
}

void sDB_table::setDate(const AnsiString& field, const sDB_date& value)
{
    addAssignment(field, sDB_quote(connection, value.toString()));
}

void sDB_table::setTime(const AnsiString& field, const sDB_time& value)
{
    addAssignment(field, sDB_quote(connection, value.toString()));
}

void sDB_table::post()
{
    startAssignment(StartMode::HeadOnly);
    onUpdateFields();
    onPost();
    if (!connection)
        checkConnection();
    updateSQL += " where code=" + sDB_quote(connection, getCode());
    if (!refused)
        sDB_execute(connection, updateSQL);
    updateSQL.clear();
    setCount = 0;
    refused = false;
    reload();
    onPosted();
}

bool sDB_table::insertRecord(const AnsiString& key)
{
    checkConnection();
    if (!hasConnection())
        return false;
    if (sDB_execute(connection, "insert into " + getTableName() + " set code=" + sDB_quote(connection, key)) <= 0)
        return false;
    return load(key);
}

bool sDB_table::deleteRecord(const AnsiString& key)
{
    checkConnection();
    if (!hasConnection())
        return false;
    int32_t removed = sDB_execute(connection, "delete from " + getTableName() + " where code=" + sDB_quote(connection, key));
    if (removed > 0 && !code.empty() && (code == key || !currentRecordExists()))
        clear();
    return removed > 0;
}

bool sDB_table::currentRecordExists()
{
    // Asked of the server: its collation decides which keys are equal (letter
    // case and trailing blanks often do not count), not a comparison of bytes.
    sDB_query probe(connection);
    probe.exec("select count(*) from " + getTableName() + " where code=" + sDB_quote(connection, code));
    return !probe.eof() && probe.getInteger(0) > 0;
}
