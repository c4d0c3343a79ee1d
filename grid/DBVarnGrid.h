// TDBVarnGrid: a grid that fills itself from one table keyed by the text column
// "code", loads the record of the row the user enters, and writes each modified
// cell back at once with one UPDATE.
//
// Call flow: fill -> select -> bind columns -> per record: separator row?, Append,
// key into item data slot 0, updateRow -> PostRefresh (enters the old row again).
// Editing: the editor writes the cell -> doCellModified -> one UPDATE -> the
// record read back -> the row shows what the server holds.
#pragma once

#include "db/sDBTable.h"
#include "grid/VarnGrid.h"
#include "grid/VarnRow.h"

#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

// fld is always null; text carries the caption from one call to the next.
using TDBVGSeparatorEvent = std::function<void(void* fld, AnsiString& text)>;
// The text of a column whose field is not in the result.
using TDBVGFillFieldEvent = std::function<void(const AnsiString& fldName, AnsiString& text)>;
// Called after a row's cells are set; ds is always null.
using TDBVGFillRowEvent = std::function<void(TVarnRow& sRow, void* ds)>;

// The grid's table: an sDB_table that also lets the grid read the current
// record's field texts in place while filling.
class TDBVarnGridTable : public sDB_table {
public:
    using sDB_table::sDB_table;
    // The field's text in the current record, valid until the cursor moves;
    // empty for SQL NULL, no record or a field outside the result.
    std::string_view fieldView(int col);
    void clear() override;

private:
    MYSQL_ROW lengthsRow = nullptr;    // the record whose lengths are below
    unsigned long* lengths = nullptr;  // byte lengths of its fields
};

class TDBVarnGrid : public TVarnGrid {
public:
    explicit TDBVarnGrid(TComponent* AOwner);
    ~TDBVarnGrid() override;
    AnsiString ClassName() const override { return "TDBVarnGrid"; }

    AnsiString getSeparatorField() const { return FSeparatorField; }
    void setSeparatorField(const AnsiString& value) { FSeparatorField = value; }

    // (Re)loads every row from the table. Nothing happens at design time or
    // without a connection.
    void fill();
    // Sets the cells of the accessor's row from the table's current record.
    void updateRow();

    void doRowEnter() override;
    void doCellModified() override;

    TDBVGSeparatorEvent OnSeparator;
    TDBVGFillFieldEvent OnFillFieldSP;
    TDBVGFillRowEvent OnFillRow;

    AnsiString SQLTableName;  // the table read and updated; goes into SQL as it is
    AnsiString SQLWhere;      // condition without the word where; empty: every row
    AnsiString SQLOrderBy;    // ordering without the words order by; empty: the server's

    TDBVarnGridTable table;
    sDB_table* linkedTable = nullptr;    // not owned; loaded with the row's key
    sDB_connection* connection = nullptr;  // not owned

protected:
    TVarnRow dataRow;  // the accessor used while filling

private:
    // Result field of each column: -1 empty FieldName, -2 not in the result.
    static constexpr int noField = -1;
    static constexpr int missingField = -2;
    enum class RowWrite { Now, Deferred };
    void findFields();
    void bindColumns();
    void appendRow();
    // A key is given for a new row only: it goes into item data slot 0.
    void setCellsFromRecord(RowWrite write, std::optional<std::string_view> key);
    const AnsiString& dateText(const sDB_date& date);
    AnsiString fieldText(VGDataType type, int field);
    // The row's cells from the record just read back; false when the table has
    // no record with the row's key (the server could not be asked).
    bool showRecord(int row, const AnsiString& key);

    AnsiString FSeparatorField;
    std::vector<int> fieldOfColumn;  // by column position, for the table's current result
    int codeField = -1;              // the result's "code" field
    std::vector<AnsiString> cellTexts;  // scratch of setCellsFromRecord
    std::vector<std::pair<int, std::string_view>> boundTexts;  // the same, by column
    std::unordered_map<int, AnsiString> dateTexts;  // cell text by date, kept while filling
};
