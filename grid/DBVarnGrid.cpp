#include "grid/DBVarnGrid.h"

#include "grid/VGScrollBox.h"
#include "platform/SysUtils.h"
#include "utils/Cnvtools.h"

#include <mysql.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace {

const char* const errorCaption = "sDB_query error";

// Fields that the table's getString reads without complaint.
bool isTextField(const sDB_FieldInfo& info)
{
    return info.type == sDB_type_string || info.type == sDB_type_blob;
}

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

// The texts of TVarnRow::SetFloat for a finite value (cnvDoubleToStr with two
// decimals, or cnvDoubleToMoney), written by to_chars, which rounds as printf does.
AnsiString floatText(double value, VGDataType type)
{
    if (!std::isfinite(value))
        return type == vgFloat ? cnvDoubleToStr(value, 2) : cnvDoubleToMoney(value);
    char buffer[400];
    // Hundredths as an integer when value * 100 is clearly off a half: then its
    // nearest integer is the rounding of the exact value too. Halves, and values
    // too large for the shortcut, go through to_chars.
    double hundredths = value * 100.0;
    if (std::fabs(hundredths) < 1e12) {
        double whole = std::nearbyint(hundredths);
        if (std::fabs(std::fabs(hundredths - whole) - 0.5) > 1e-3) {
            auto cents = static_cast<long long>(whole);
            char digitsText[24];
            auto [end, error] = std::to_chars(digitsText, digitsText + sizeof digitsText,
                                              static_cast<unsigned long long>(std::llabs(cents)) / 100);
            (void)error;
            size_t digits = static_cast<size_t>(end - digitsText);
            unsigned hundredthsPart = static_cast<unsigned>(std::llabs(cents) % 100);
            char* out = buffer;
            // As the two formatters do: printf writes the sign of a negative
            // value that rounds to zero, the money text only of one below zero.
            if (type == vgFloat ? std::signbit(value) : value < 0)
                *out++ = '-';
            for (size_t i = 0; i < digits; ++i) {
                if (type != vgFloat && i > 0 && (digits - i) % 3 == 0)
                    *out++ = '.';
                *out++ = digitsText[i];
            }
            *out++ = ',';
            *out++ = static_cast<char>('0' + hundredthsPart / 10);
            *out++ = static_cast<char>('0' + hundredthsPart % 10);
            return AnsiString(buffer, out);
        }
    }
    if (type == vgFloat) {
        auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
        (void)error;
        AnsiString text(buffer, end);
        text[text.size() - 3] = ',';
        return text;
    }
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed, 2);
    (void)error;
    size_t point = static_cast<size_t>(end - buffer) - 3;
    AnsiString text;
    text.reserve(point + point / 3 + 4);
    if (value < 0)
        text += '-';
    for (size_t i = 0; i < point; ++i) {
        if (i > 0 && (point - i) % 3 == 0)
            text += '.';
        text += buffer[i];
    }
    text += ',';
    text.append(buffer + point + 1, 2);
    return text;
}

// The table's getDate of a DATE field's YYYY-MM-DD text; the null date for
// anything else.
sDB_date parseDate(std::string_view text)
{
    sDB_date date;
    auto number = [&](size_t start, size_t count) {
        int value = 0;
        for (size_t i = start; i < start + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return date;
    int year = number(0, 4);
    int month = number(5, 2);
    int day = number(8, 2);
    if (year < 0 || month < 0 || day < 0)
        return date;
    date.year = year;
    date.month = month;
    date.day = day;
    return date;
}

}  // namespace

std::string_view TDBVarnGridTable::fieldView(int col)
{
    if (!row || col < 0 || col >= fieldCount || !row[col])
        return {};
    if (lengthsRow != row) {
        lengths = mysql_fetch_lengths(result);
        lengthsRow = row;
    }
    return lengths ? std::string_view(row[col], lengths[col]) : std::string_view(row[col]);
}

void TDBVarnGridTable::clear()
{
    // Each statement starts here: the lengths belong to the result going away.
    lengthsRow = nullptr;
    lengths = nullptr;
    sDB_table::clear();
}

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

    dateTexts.clear();
    rows.Reserve(std::max(table.getRecordCount(), 0));
    bool separators = !FSeparatorField.empty() && OnSeparator;
    AnsiString separatorText;  // kept from one separator to the next
    AnsiString lastSeparator;
    // An exception from a handler still shows the rows read so far.
    auto finish = [this] {
        dateTexts.clear();
        Body()->UpdateScroll(true);
        PostRefresh();
        table.clear();
    };
    try {
        for (; !table.eof(); table.next()) {
            if (separators && table.getString(FSeparatorField, AnsiString()) != lastSeparator) {
                OnSeparator(nullptr, separatorText);
                appendRow();
                dataRow.SetUnicolumn(true);
                dataRow.SetUnicolumnText(separatorText);
                lastSeparator = table.getString(FSeparatorField, AnsiString());
            }
            appendRow();
            // The key is read in place; the table's getString shows why a key
            // that is not text is empty.
            std::string_view key;
            AnsiString keyRead;
            if (codeField >= 0 && isTextField(table.getFieldInfo(codeField)))
                key = table.fieldView(codeField);
            else if (codeField >= 0)
                key = keyRead = table.getString(codeField);
            setCellsFromRecord(RowWrite::Deferred, key);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

// The accessor's Append without its per-row layout work: the scroll range and
// the repaint follow once the whole result is in.
void TDBVarnGrid::appendRow()
{
    dataRow.row = -2;
    rows.Add();  // every cell of a new row is null
    dataRow.OnRead();
}

void TDBVarnGrid::updateRow()
{
    // Called by the application too, on a record of any result.
    findFields();
    dateTexts.clear();
    setCellsFromRecord(RowWrite::Now, std::nullopt);
}

void TDBVarnGrid::setCellsFromRecord(RowWrite write, std::optional<std::string_view> key)
{
    TVGColumnCollection* columns = Columns();
    int count = std::min<int>(columns->Count(), static_cast<int>(fieldOfColumn.size()));
    TVarnGrid_rowInfo* record = GetRowInfo(dataRow.realRow());
    // The bound cells first, all at once on a new row (with its key): the
    // accessor's SetString for each, on the row record itself.
    cellTexts.resize(count);
    boundTexts.clear();
    for (int i = 0; i < count; ++i) {
        int field = fieldOfColumn[i];
        if (field < 0)
            continue;
        VGDataType type = columns->Items(i)->DataType();
        // Text goes in as the record holds it; other values as converted.
        if (type == vgString && isTextField(table.getFieldInfo(field))) {
            boundTexts.emplace_back(i, table.fieldView(field));
        } else {
            cellTexts[i] = fieldText(type, field);
            boundTexts.emplace_back(i, cellTexts[i]);
        }
        record->isNull[i] = false;
    }
    if (key) {
        record->setNewTexts(*key, boundTexts);
    } else {
        for (const auto& [col, text] : boundTexts)
            record->setCells(col, text);
    }
    for (int i = 0; i < count; ++i) {
        int field = fieldOfColumn[i];
        if (field == noField) {
            dataRow.SetString(i, AnsiString());
        } else if (field == missingField && OnFillFieldSP) {
            if (linkedTable)
                linkedTable->load(dataRow.GetItemData(0));
            AnsiString text;
            OnFillFieldSP(columns->Items(i)->FieldName(), text);
            dataRow.SetString(i, text);
        }
    }
    if (OnFillRow)
        OnFillRow(dataRow, nullptr);
    if (write == RowWrite::Now)
        dataRow.Write();
    else if (!dataRow.GetUnicolumn())
        dataRow.OnWrite();
}

// The cell text of a field of the current record for a column of this type.
// Fields of the expected type are read in place; any other goes through the
// table's getter of the type, which reports the mismatch.
AnsiString TDBVarnGrid::fieldText(VGDataType type, int field)
{
    const sDB_FieldInfo& info = table.getFieldInfo(field);
    std::string_view text = table.fieldView(field);
    if (type == vgString)
        return isTextField(info) ? AnsiString(text) : table.getString(field);
    // A NULL has no value to show: an empty cell, not a 0, a "false" or a
    // midnight that the field does not hold.
    if (text.empty())
        return AnsiString();
    switch (type) {
    case vgString:
        break;
    case vgDate:
        // A zero or impossible date has no text to show either: the cell stays
        // empty and filling goes on with the next record.
        return dateText(info.mysqlType == MYSQL_TYPE_DATE ? parseDate(text) : table.getDate(field));
    case vgTime:
        return table.getTime(field).toString();
    case vgBoolean: {
        // Written as the check box and GetBoolean read it.
        bool value = info.type == sDB_type_bool ? text.find_first_not_of('\0') != std::string_view::npos
                                                : table.getInteger(field) != 0;
        return cnvBoolToStr(value);
    }
    case vgInteger: {
        // The table's reading of a plain integer field's digits, held inside 32 bits.
        long long value = 0;
        if (info.type == sDB_type_integer && !isDecimalField(info)) {
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error == std::errc() && end == text.data() + text.size())
                return integerText(static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX)));
        }
        return integerText(table.getInteger(field));
    }
    case vgFloat:
    case vgMoney: {
        // The table's reading of a number field's text, in place.
        double value = 0;
        if (info.type == sDB_type_floating || info.type == sDB_type_integer) {
            auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
            if (error == std::errc() && end == text.data() + text.size())
                return floatText(value, type);
        }
        return floatText(table.getDouble(field), type);
    }
    }
    return AnsiString();
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

const AnsiString& TDBVarnGrid::dateText(const sDB_date& date)
{
    // Tables repeat their dates, and formatting one is slow: each is formatted
    // once per fill.
    int key = (date.year * 13 + date.month) * 32 + date.day;
    auto found = dateTexts.find(key);
    if (found != dateTexts.end())
        return found->second;
    AnsiString text;
    if (!date.isNull()) {
        try {
            text = date.dateString();
        } catch (const EConvertError&) {
        }
    }
    return dateTexts.emplace(key, text).first->second;
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
    if (field.empty()) {
        // A column without a field has nowhere to be written.
        TVarnGrid::doCellModified();
        return;
    }
    TVarnRow cell(this);
    cell.Read(row);
    AnsiString key = GetRowData(row);

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
