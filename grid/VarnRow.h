// Typed access to the grid's rows: TVarnRow converts typed values to and from
// cell texts, and row classes derived from it carry one TVarnDataCol_* member
// per column.
#pragma once

#include "db/DBDate.h"
#include "grid/VGColumn.h"
#include "platform/SysUtils.h"

class TVarnGrid;

// A column read as a type it is not: "<grid> col=<n> Tipo de datos erróneo <type>".
class VGException : public Exception {
public:
    VGException(TVarnGrid* grid, int col, VGDataType expected);
};

class TVarnRow {
public:
    explicit TVarnRow(TVarnGrid* grid) : grid(grid) {}
    virtual ~TVarnRow() = default;

    // Hooks for derived row classes, in slot order; nothing here.
    virtual void OnRead() {}
    virtual void OnWrite() {}

    // Adds a row at the end and selects it (row -2).
    void Append();
    // index -1 means the grid's current row.
    void Read(int index);
    void Write();

    AnsiString GetItemData(int slot) const;
    void SetItemData(int slot, const AnsiString& text);
    bool GetUnicolumn() const;
    void SetUnicolumn(bool value);
    void SetUnicolumnText(const AnsiString& text);
    void SetNull(int col, bool value);

    void SetString(int col, const AnsiString& text);
    void SetDate(int col, const sDB_date& value);
    void SetTime(int col, const sDB_time& value);
    void SetInteger(int col, int value);
    // Two decimals with a decimal comma; money columns also group thousands.
    void SetFloat(int col, double value);

    // Each getter raises VGException when the column is of another type.
    AnsiString GetString(int col) const;
    sDB_date GetDate(int col) const;
    sDB_time GetTime(int col) const;
    bool GetBoolean(int col) const;
    int GetInteger(int col) const;
    double GetFloat(int col) const;
    double GetMoney(int col) const;

    // The row the selector stands for: -2 the last row, -1 the current row.
    int realRow() const;

    int row = -2;
    TVarnGrid* grid;  // not owned

protected:
    void checkType(int col, VGDataType expected) const;
};

// Column accessors: assigning a value stores it in the row's cell (no longer
// null); reading goes through the row's getter of the same type.
class TVarnDataCol {
public:
    TVarnDataCol(TVarnRow* row, int col) : row(row), col(col) {}
    bool isNull() const;
    void setNull() { row->SetNull(col, true); }

    TVarnRow* row;  // not owned
    int col;
};

class TVarnDataCol_string : public TVarnDataCol {
public:
    using TVarnDataCol::TVarnDataCol;
    TVarnDataCol_string& operator=(const AnsiString& value);
    AnsiString get() const { return row->GetString(col); }
    operator AnsiString() const { return get(); }
};

class TVarnDataCol_date : public TVarnDataCol {
public:
    using TVarnDataCol::TVarnDataCol;
    TVarnDataCol_date& operator=(const sDB_date& value);
    sDB_date get() const { return row->GetDate(col); }
    operator sDB_date() const { return get(); }
};

class TVarnDataCol_time : public TVarnDataCol {
public:
    using TVarnDataCol::TVarnDataCol;
    TVarnDataCol_time& operator=(const sDB_time& value);
    sDB_time get() const { return row->GetTime(col); }
    operator sDB_time() const { return get(); }
};

// Stored as "true" / "false".
class TVarnDataCol_boolean : public TVarnDataCol {
public:
    using TVarnDataCol::TVarnDataCol;
    TVarnDataCol_boolean& operator=(bool value);
    bool get() const { return row->GetBoolean(col); }
    operator bool() const { return get(); }
};

class TVarnDataCol_integer : public TVarnDataCol {
public:
    using TVarnDataCol::TVarnDataCol;
    TVarnDataCol_integer& operator=(int value);
    int get() const { return row->GetInteger(col); }
    operator int() const { return get(); }
};

// Serves vgFloat and vgMoney columns; reads with the getter of the column's type.
class TVarnDataCol_float : public TVarnDataCol {
public:
    using TVarnDataCol::TVarnDataCol;
    TVarnDataCol_float& operator=(double value);
    double get() const;
    operator double() const { return get(); }
};
