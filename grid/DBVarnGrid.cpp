#include "grid/DBVarnGrid.h"

#include "platform/SysUtils.h"
#include "utils/Cnvtools.h"

#include <mysql.h>

#include <charconv>

namespace {

const char* const errorCaption = "sDB_query error";

bool isDecimalField(const sDB_FieldInfo& info)
{
    return info.mysqlType == MYSQL_TYPE_DECIMAL || info.mysqlType == MYSQL_TYPE_NEWDECIMAL;
}

// The column type that a field's type gives; the column's own when the field's
// type does not decide it.
VGDataType boundType(VGDataType current, const sDB_FieldInfo& info)
{
    switch (info.type) {
    case sDB_type_string:
        return vgString;
    case sDB_type_integer:
        // A check-box column stays one: as a number column it would lose its box.
        if (current == vgBoolean && !isDecimalField(info))
            return vgBoolean;
        // DECIMAL counts as an integer for the layer; as a number column it
        // would show, and write back, its value without the cents.
        if (isDecimalField(info))
            return current == vgMoney ? vgMoney : vgFloat;
        return vgInteger;
    case sDB_type_floating:
        return vgFloat;
    case sDB_type_date:
        return vgDate;
    case sDB_type_time:
        return vgTime;
    case sDB_type_bool:
        return current == vgBoolean ? vgBoolean : current;
    default:
        return current;
    }
}

// "%i" of an int, without going through a format string.
AnsiString integerText(int value)
{
    char buffer[16];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)error;
    return AnsiString(buffer, end);
}

}  // namespace

TDBVarnGrid::TDBVarnGrid(TComponent* AOwner) : TVarnGrid(AOwner), dataRow(this) {}

TDBVarnGrid::~TDBVarnGrid() = default;

// ---- Filling ---------------------------------------------------------------------------

void TDBVarnGrid::findFields()
{
    TVGColumnCollection* columns = Columns();
    fieldOfColumn.assign(columns->Count(), noField);
    for (int i = 0; i < columns->Count(); ++i) {
        const AnsiString& name = columns->Items(i)->FieldName();
        if (name.empty())
            continue;
        int field = table.findField(name, AnsiString());
        fieldOfColumn[i] = field >= 0 ? field : missingField;
    }
    codeField = table.findField("code", AnsiString());
}

void TDBVarnGrid::bindColumns()
{
    findFields();
    TVGColumnCollection* columns = Columns();
    for (int i = 0; i < columns->Count(); ++i) {
        TVGColumn* column = columns->Items(i);
        int field = fieldOfColumn[i];
        if (field == noField)
            continue;
        if (field == missingField) {
            column->SetReadOnly(true);
            continue;
        }
        VGDataType type = boundType(column->DataType(), table.getFieldInfo(field));
        if (type != column->DataType())
            column->SetDataType(type);
    }
}

void TDBVarnGrid::fill()
{
    if (ComponentState().Contains(csDesigning) || !connection)
        return;
    PreRefresh();
    Clear();
    table.setConnection(connection);
    table.clear();
    table.setTableName(SQLTableName);
    table.select(SQLWhere, SQLOrderBy);
    bindColumns();

    bool separators = !FSeparatorField.empty() && OnSeparator;
    AnsiString separatorText;  // kept from one separator to the next
    AnsiString lastSeparator;
    for (; !table.eof(); table.next()) {
        if (separators) {
            AnsiString value = table.getString(FSeparatorField, AnsiString());
            if (value != lastSeparator) {
                OnSeparator(nullptr, separatorText);
                dataRow.Append();
                dataRow.SetUnicolumn(true);
                dataRow.SetUnicolumnText(separatorText);
                dataRow.Write();
                lastSeparator = value;
            }
        }
        dataRow.Append();
        dataRow.SetItemData(0, codeField >= 0 ? table.getString(codeField) : AnsiString());
        setCellsFromRecord();
    }
    PostRefresh();
    table.clear();
}

void TDBVarnGrid::updateRow()
{
    // Called by the application too, on a record of any result.
    findFields();
    setCellsFromRecord();
}

void TDBVarnGrid::setCellsFromRecord()
{
    TVGColumnCollection* columns = Columns();
    int count = std::min<int>(columns->Count(), static_cast<int>(fieldOfColumn.size()));
    for (int i = 0; i < count; ++i) {
        TVGColumn* column = columns->Items(i);
        int field = fieldOfColumn[i];
        if (field == noField) {
            dataRow.SetString(i, AnsiString());
        } else if (field == missingField) {
            if (!OnFillFieldSP)
                continue;
            if (linkedTable)
                linkedTable->load(dataRow.GetItemData(0));
            AnsiString text;
            OnFillFieldSP(column->FieldName(), text);
            dataRow.SetString(i, text);
        } else {
            setCellFromField(i, column->DataType(), field);
        }
    }
    if (OnFillRow)
        OnFillRow(dataRow, nullptr);
    dataRow.Write();
}

void TDBVarnGrid::setCellFromField(int col, VGDataType type, int field)
{
    switch (type) {
    case vgString:
        dataRow.SetString(col, table.getString(field));
        break;
    case vgDate: {
        // A NULL, empty or zero date has no text to show: the cell stays empty
        // and filling goes on with the next record.
        sDB_date date = table.getDate(field);
        AnsiString text;
        if (!date.isNull()) {
            try {
                text = date.dateString();
            } catch (const EConvertError&) {
            }
        }
        dataRow.SetString(col, text);
        break;
    }
    case vgTime: {
        sDB_time time = table.getTime(field);
        dataRow.SetString(col, table.getValue(field).empty() ? AnsiString() : time.toString());
        break;
    }
    case vgBoolean: {
        // Written as the check box and GetBoolean read it.
        bool value = table.getFieldInfo(field).type == sDB_type_bool
                         ? table.getValue(field).find_first_not_of('\0') != AnsiString::npos
                         : table.getInteger(field) != 0;
        dataRow.SetString(col, cnvBoolToStr(value));
        break;
    }
    case vgInteger:
        dataRow.SetString(col, integerText(table.getInteger(field)));
        break;
    case vgFloat:
    case vgMoney:
        dataRow.SetFloat(col, table.getDouble(field));
        break;
    }
}

// ---- Row enter and cell changes -----------------------------------------------------------

void TDBVarnGrid::doRowEnter()
{
    dataRow.Read(-1);
    if (!dataRow.GetUnicolumn()) {
        AnsiString key = GetRowData(RowIndex);
        table.load(key);
        if (linkedTable)
            linkedTable->load(key);
    }
    TVarnGrid::doRowEnter();
}

bool TDBVarnGrid::showRecord(int row, const AnsiString& key)
{
    if (table.eof() || table.getCode() != key)
        return false;
    int saved = dataRow.row;
    dataRow.row = row;
    updateRow();
    dataRow.row = saved;
    return true;
}

void TDBVarnGrid::doCellModified()
{
    if (!connection)
        return;
    int row = RowIndex;
    int col = colIndex;
    TVGColumnCollection* columns = Columns();
    if (row < 0 || row >= GetRowCount() || col < 0 || col >= columns->Count() || GetIsRowUnicolumn(row)) {
        TVarnGrid::doCellModified();
        return;
    }
    TVGColumn* column = columns->Items(col);
    const AnsiString& field = column->FieldName();
    TVarnRow cell(this);
    cell.Read(row);
    AnsiString key = GetRowData(row);
    if (field.empty()) {
        TVarnGrid::doCellModified();
        return;
    }

    // The row's record is the one the UPDATE goes to. It is not there when the
    // row was entered before the last fill released the result, or when reading
    // it failed (the server was gone): it is read now, and without it nothing is
    // sent and the cell keeps the typed value for another try.
    table.setConnection(connection);
    table.setTableName(SQLTableName);
    if (table.eof() || table.getCode() != key)
        table.load(key);
    if (table.eof() || table.getCode() != key) {
        sDB_showMessage("no se ha podido leer el registro '" + key + "' de " + SQLTableName +
                            ": el valor de " + field + " no se ha guardado; la celda lo conserva para volver a "
                            "intentarlo",
                        errorCaption);
        TVarnGrid::doCellModified();
        return;
    }

    switch (column->DataType()) {
    case vgString:
        table.setString(field, cell.GetString(col));
        break;
    case vgDate:
        table.setDate(field, cell.GetDate(col));
        break;
    case vgTime:
        table.setTime(field, cell.GetTime(col));
        break;
    case vgBoolean:
        table.setInteger(field, cell.GetBoolean(col) ? 1 : 0);
        break;
    case vgInteger:
        table.setInteger(field, cell.GetInteger(col));
        break;
    case vgFloat:
        table.setFloat(field, cell.GetFloat(col));
        break;
    case vgMoney:
        table.setFloat(field, cell.GetMoney(col));
        break;
    }
    // Sends the UPDATE and reads the record again; a statement the server
    // refused has been reported by the table.
    table.post();
    if (linkedTable)
        linkedTable->load(cell.GetItemData(0));
    // The row shows what the server holds now, never a value it refused. When
    // the record cannot be read back the typed value stays for another try.
    if (!showRecord(row, key))
        sDB_showMessage("no se ha podido leer de nuevo el registro '" + key + "' de " + SQLTableName +
                            ": el valor de " + field + " puede no haberse guardado; la celda lo conserva para "
                            "volver a intentarlo",
                        errorCaption);
    TVarnGrid::doCellModified();
}
