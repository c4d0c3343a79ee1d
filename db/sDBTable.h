// Records of one table keyed by the text column `code`: selected, loaded by
// key, updated field by field, inserted and deleted by key.
#pragma once

#include "db/sDBQuery.h"

class sDB_table : public sDB_query {
public:
    using sDB_query::sDB_query;

    // Drops the record, the collected UPDATE and the last selection, then the result.
    void clear() override;
    virtual AnsiString getCode();
    virtual void onExtra() {}
    // Called by post() once the statement head exists; a derived table adds its
    // assignments here with the setters.
    virtual void onUpdateFields() {}
    virtual void onPosted() {}

    void setTableName(const AnsiString& name) { tableName = name; }
    AnsiString getTableName() const { return tableName; }
    AnsiString getLastWhere() const { return lastWhere; }
    AnsiString getLastOrderBy() const { return lastOrderBy; }

    // Reads the record with this key; false (and no current record) when there is none.
    bool load(const AnsiString& key);
    void reload();
    // "select * from" the table, with the condition and the ordering when given
    // (both are SQL and go in as they are). Returns the number of rows.
    int32_t select(const AnsiString& where = AnsiString(), const AnsiString& orderBy = AnsiString());

    // Each adds one assignment to the UPDATE of the current record. setFloat
    // refuses infinities and NaN with a message, and post() then sends nothing.
    void setInteger(const AnsiString& field, int32_t value);
    void setFloat(const AnsiString& field, double value);
    void setString(const AnsiString& field, const AnsiString& value);
    void setDate(const AnsiString& field, const sDB_date& value);
    void setTime(const AnsiString& field, const sDB_time& value);
    // Sends the collected UPDATE for the current record, then reads it back.
    void post();

    // Adds a record with this key and makes it the current record. False when
    // the server refuses it (a duplicate key, for one).
    bool insertRecord(const AnsiString& key);
    // Removes the record with this key; false when there was none. Deleting the
    // current record, or a key the server counts as equal to it, clears the table.
    bool deleteRecord(const AnsiString& key);

protected:
    AnsiString tableName;    // put into statements as it is
    AnsiString code;         // key of the current record; empty when there is none
    AnsiString lastWhere;    // condition of the last select
    AnsiString lastOrderBy;  // ordering of the last select
    AnsiString updateSQL;    // the UPDATE being collected; empty when none is under way
    int32_t setCount = 0;    // assignments collected; decides where ", " goes

private:
    bool refused = false;    // a setter refused its value: post() drops the collected UPDATE

    enum class StartMode { Assignment, HeadOnly };
    void startAssignment(StartMode mode);
    void addAssignment(const AnsiString& field, const AnsiString& valueText);
    bool currentRecordExists();
};
