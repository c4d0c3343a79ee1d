#include "db/sDBTable.h"

#include "platform/SysUtils.h"

#include <charconv>

namespace {

// "%f" with a decimal point whatever locale the process runs in.
AnsiString fixedSix(double value)
{
    char buffer[400];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    if (error != std::errc())
        return Sprintf("%f", value);
    return AnsiString(buffer, end);
}

}  // namespace

void sDB_table::clear()
{
    onClear();
    code.clear();
    updateSQL.clear();
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
    addAssignment(field, fixedSix(value));
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
    sDB_execute(connection, updateSQL);
    updateSQL.clear();
    setCount = 0;
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
    bool wasCurrent = !code.empty() && code == key;
    int32_t removed = sDB_execute(connection, "delete from " + getTableName() + " where code=" + sDB_quote(connection, key));
    if (wasCurrent && removed > 0)
        clear();
    return removed > 0;
}
