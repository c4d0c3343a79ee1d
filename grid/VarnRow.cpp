#include "grid/VarnRow.h"

#include "grid/VGScrollBox.h"
#include "grid/VarnGrid.h"
#include "utils/Cnvtools.h"

#include <algorithm>

VGException::VGException(TVarnGrid* grid, int col, VGDataType expected)
    : Exception(grid->Name() + " col=" + cnvIntToStr(col) + " Tipo de datos err\xF3neo " +
                cnvIntToStr(static_cast<int>(expected)))
{
}

int TVarnRow::realRow() const
{
    if (row == -2)
        return grid->GetRowCount() - 1;
    if (row == -1)
        return grid->GetRowIndex();
    return row;
}

void TVarnRow::Append()
{
    row = -2;
    grid->AddRow();  // a new row has every cell null
    OnRead();
}

void TVarnRow::Read(int index)
{
    row = index == -1 ? grid->GetRowIndex() : index;
    if (row >= 0 && row < grid->GetRowCount() && !grid->GetIsRowUnicolumn(row))
        OnRead();
}

void TVarnRow::Write()
{
    if (!grid->GetIsRowUnicolumn(realRow()))
        OnWrite();
    grid->Body()->Invalidate();
}

AnsiString TVarnRow::GetItemData(int slot) const { return grid->GetRowInfo(realRow())->itemData(slot); }

void TVarnRow::SetItemData(int slot, const AnsiString& text) { grid->GetRowInfo(realRow())->setItemData(slot, text); }

bool TVarnRow::GetUnicolumn() const
{
    int real = realRow();
    if (real < 0 || real >= grid->GetRowCount())
        return false;
    return grid->GetIsRowUnicolumn(real);
}

void TVarnRow::SetUnicolumn(bool value) { grid->GetRowInfo(realRow())->unicolumn = value; }

void TVarnRow::SetUnicolumnText(const AnsiString& text)
{
    int real = realRow();
    if (real >= 0 && real < grid->GetRowCount())
        grid->GetRowInfo(real)->setCells(0, text);
}

void TVarnRow::SetNull(int col, bool value)
{
    TVarnGrid_rowInfo* info = grid->GetRowInfo(realRow());
    if (col < 0 || col >= VGCellCount)
        ListIndexError(col);
    info->isNull[col] = value;
}

void TVarnRow::SetString(int col, const AnsiString& text)
{
    SetNull(col, false);
    grid->SetString(realRow(), col, text);
}

void TVarnRow::SetDate(int col, const sDB_date& value) { SetString(col, value.dateString()); }

void TVarnRow::SetTime(int col, const sDB_time& value) { SetString(col, value.toString()); }

void TVarnRow::SetInteger(int col, int value) { SetString(col, cnvIntToStr(value)); }

void TVarnRow::SetFloat(int col, double value)
{
    TVGColumnCollection* columns = grid->Columns();
    bool isFloat = col >= 0 && col < columns->Count() && columns->Items(col)->DataType() == vgFloat;
    SetString(col, isFloat ? cnvDoubleToStr(value, 2) : cnvDoubleToMoney(value));
}

void TVarnRow::checkType(int col, VGDataType expected) const
{
    if (grid->Columns()->Items(col)->DataType() != expected)
        throw VGException(grid, col, expected);
}

AnsiString TVarnRow::GetString(int col) const
{
    checkType(col, vgString);
    return grid->GetString(realRow(), col);
}

sDB_date TVarnRow::GetDate(int col) const
{
    checkType(col, vgDate);
    sDB_date date;
    date.setFromText(grid->GetString(realRow(), col));
    return date;
}

sDB_time TVarnRow::GetTime(int col) const
{
    checkType(col, vgTime);
    sDB_time time;
    time.setFromText(grid->GetString(realRow(), col));
    return time;
}

bool TVarnRow::GetBoolean(int col) const
{
    checkType(col, vgBoolean);
    return cnvStrToBool(grid->GetString(realRow(), col));
}

int TVarnRow::GetInteger(int col) const
{
    checkType(col, vgInteger);
    return cnvStrToIntDef(grid->GetString(realRow(), col));
}

double TVarnRow::GetFloat(int col) const
{
    checkType(col, vgFloat);
    AnsiString text = grid->GetString(realRow(), col);
    double value = cnvStrToDoubleDef(text);
    // SetFloat always writes a decimal comma; where the locale's separator is
    // another, read such a text with the comma taken as the separator.
    char separator = FormatSettings.DecimalSeparator;
    if (value == 0 && separator != ',' && text.find(',') != AnsiString::npos) {
        std::replace(text.begin(), text.end(), ',', separator);
        value = cnvStrToDoubleDef(text);
    }
    return value;
}

double TVarnRow::GetMoney(int col) const
{
    checkType(col, vgMoney);
    return cnvStrToDouble(grid->GetString(realRow(), col));
}

bool TVarnDataCol::isNull() const
{
    TVarnGrid_rowInfo* info = row->grid->GetRowInfo(row->realRow());
    if (col < 0 || col >= VGCellCount)
        ListIndexError(col);
    return info->isNull[col];
}

TVarnDataCol_string& TVarnDataCol_string::operator=(const AnsiString& value)
{
    row->SetNull(col, false);
    row->SetString(col, value);
    return *this;
}

TVarnDataCol_date& TVarnDataCol_date::operator=(const sDB_date& value)
{
    row->SetNull(col, false);
    row->SetDate(col, value);
    return *this;
}

TVarnDataCol_time& TVarnDataCol_time::operator=(const sDB_time& value)
{
    row->SetNull(col, false);
    row->SetTime(col, value);
    return *this;
}

TVarnDataCol_boolean& TVarnDataCol_boolean::operator=(bool value)
{
    row->SetNull(col, false);
    row->SetString(col, cnvBoolToStr(value));
    return *this;
}

TVarnDataCol_integer& TVarnDataCol_integer::operator=(int value)
{
    row->SetNull(col, false);
    row->SetInteger(col, value);
    return *this;
}

TVarnDataCol_float& TVarnDataCol_float::operator=(double value)
{
    row->SetNull(col, false);
    row->SetFloat(col, value);
    return *this;
}

double TVarnDataCol_float::get() const
{
    TVGColumnCollection* columns = row->grid->Columns();
    if (col >= 0 && col < columns->Count() && columns->Items(col)->DataType() == vgMoney)
        return row->GetMoney(col);
    return row->GetFloat(col);
}
