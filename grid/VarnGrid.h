// TVarnGrid: the data grid. This unit holds the grid's data side (row store,
// cells, item data, selection, check marks, current row, colours), its column
// operations, font attributes and skins, sorting and search.
//
// Call flow of a row move: SetRowIndex -> ClearRowSelectedCount (Multiselect)
// -> doRowExit(old) -> doRowEnter(); each hook fires its event when assigned.
#pragma once

#include "grid/FontAttr.h"
#include "grid/VGCsv.h"
#include "grid/VGColumn.h"
#include "grid/VGRowInfo.h"
#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/ImageList.h"
#include "platform/SysUtils.h"
#include "utils/BlockArray.h"

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <memory>
#include <vector>

class TVGHead;
class TVGScrollBox;
class TVGEdit;

using TVGRowEvent = std::function<void(int row)>;
using TVGRowExitEvent = std::function<void(int row, bool modified)>;
using TVGCellEvent = std::function<void(int row, int col)>;
using TVGPasteErrorEvent = std::function<void(int row, int col, const AnsiString& text)>;
using TVGKeyDownExEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift, bool& Handled)>;

// A column the grid is sorted by through its header, and in which direction.
struct TVGSortKey {
    int col = -1;
    bool descending = false;
};

// The row store: a block array of row records that the grid may also reorder
// as a whole (sorting computes the order first, then moves the pointers once).
// Records come from slabs of many records each and are freed with them.
class TVGRowStore : public nBlockArray<TVarnGrid_rowInfo> {
public:
    TVGRowStore() = default;
    TVGRowStore(const TVGRowStore&) = delete;
    TVGRowStore& operator=(const TVGRowStore&) = delete;
    ~TVGRowStore() override;

    // order[i] is the old position of the row that goes to position i.
    void Reorder(const std::vector<uint32_t>& order);
    // Removes every row. Rows are destroyed in the order of their memory, not
    // of the grid, so that this stays as quick after a sort as before one.
    void Clear();

protected:
    void* NewItem() override;
    void DeleteItem(void* item) override;

private:
    std::vector<std::unique_ptr<std::byte[]>> slabs;
    size_t slabUsed = 0;       // records handed out from the last slab
    void* freeSlot = nullptr;  // deleted records' slots, linked through their first bytes
};

// A text list that stands for one of the grid's computed text properties in form
// descriptions: the grid refills it whenever it is asked for, and a writer that
// replaced its lines hands them to onWritten when its update ends.
class TVGTextPropertyList : public TStringList {
public:
    std::function<void(TStrings* lines)> onWritten;
    // Replaces the lines without reporting them as written.
    void Refill(const AnsiString& text);

protected:
    void SetUpdateState(bool Updating) override;

private:
    bool refilling = false;
};

class TVarnGrid : public TCustomControl {
public:
    explicit TVarnGrid(TComponent* AOwner);
    ~TVarnGrid() override;
    AnsiString ClassName() const override { return "TVarnGrid"; }
    void AfterConstruction() override;

    // ---- Rows ----------------------------------------------------------------
    void AddRow() { AddRow(AnsiString()); }
    void AddRow(const AnsiString& itemData);
    // index 0..row count; RowIndex is not adjusted.
    void InsertAt(int index, const AnsiString& itemData);
    // Removes every row without any event.
    void Clear();
    void DeleteRow(int index);
    int GetRowCount() const { return rows.Count(); }
    // The row record itself, for callers and descendants that set flags the
    // grid never sets (imageIndex, noCheckBox, spanNext, cellAttr, rowAttr).
    TVarnGrid_rowInfo* GetRowInfo(int row) const { return rows.Get(row); }

    void SetString(int row, int col, const AnsiString& text);
    void AddString(int col, const AnsiString& text) { SetString(GetRowCount() - 1, col, text); }
    // The empty text for a null cell.
    AnsiString GetString(int row, int col) const;
    AnsiString GetRowData(int row) const { return rows.Get(row)->itemData(0); }
    void SetRowData(int row, const AnsiString& text) { rows.Get(row)->setItemData(0, text); }
    bool GetIsRowUnicolumn(int row) const { return rows.Get(row)->unicolumn; }

    // ---- Current row and selection -------------------------------------------
    int GetRowIndex() const { return RowIndex; }
    void SetRowIndex(int index);
    bool GetRowSelected(int row) const { return rows.Get(row)->selected; }
    void SetRowSelected(int row, bool value);
    void ClearRowSelectedCount();
    void RowSelectedClear() { ClearRowSelectedCount(); }
    int GetRowSelectedCount() const;
    bool GetRowChecked(int row) const;
    void SetRowChecked(int row, bool value);
    void RowCheckedClear();
    int GetRowCheckedCount() const;
    bool SelectRowByItemData(const AnsiString& text, int slot);
    int FindRowByItemData(const AnsiString& text, int slot) const;

    // Current column (-1 none), set by input handling and the editor.
    int GetColIndex() const { return colIndex; }
    void SetColIndex(int value) { colIndex = value; }
    // Set by the editor when a cell of the current row changed; cleared on entering a row.
    bool GetRowModified() const { return rowModified; }
    void SetRowModified(bool value) { rowModified = value; }

    // ---- Per-cell colours ----------------------------------------------------
    TColor GetBackColor(int row, int col) const;
    void SetBackColor(int row, int col, TColor color);

    // ---- Columns -------------------------------------------------------------
    TVGColumnCollection* Columns() const { return FColumns.get(); }
    void SetColumns(TVGColumnCollection* value) { FColumns->Assign(value); }
    const AnsiString& Col100x100() const { return FCol100x100; }
    void SetCol100x100(const AnsiString& value);
    void UpdateColumns();
    TVGColumn* FindColumn(const AnsiString& name) const;
    int FindOrderColumn(const AnsiString& name) const;
    int GetTotalWidth() const { return totalWidth; }

    // ---- Column text and row class ---------------------------------------------
    // The column text as a new list: opening tag, one line per column, closing tag.
    std::unique_ptr<TStringList> GenerateColData() const;
    // Rebuilds the columns from the list's text (field names, captions and widths)
    // when it differs from the current column text. A width that is not a decimal
    // integer raises EConvertError; the columns read before it stay.
    void SetColData(TStrings* list);
    // The source text of the row class <Name>_dataRow for the current columns.
    std::unique_ptr<TStringList> GenerateRowCode() const;
    AnsiString RowCodeText() const;
    // The published ColData and RowCode lists, kept by the grid for form
    // descriptions and refilled on every call.
    TStrings* ColDataList();
    TStrings* RowCodeList();

    // ---- Sorting and search ----------------------------------------------------
    // Comma-separated keys: field names, or "#n" for item-data slot n.
    void SortBy(const AnsiString& keys);
    // The same with a direction per key: descending[k] sorts key k from the
    // largest value down (keys past the vector sort ascending). Here decimal
    // and money columns compare by value; the form above treats them as equal.
    void SortBy(const AnsiString& keys, const std::vector<bool>& descending);
    // What a caption click does with SortOnHeaderClick: sorts by col (a second
    // click on the first key turns it round); adding keeps the keys and adds
    // col as the last one, or turns it round if it is one already. The current
    // row stays the same row.
    void SortByHeader(int col, bool adding);
    // The header's keys, first key first; emptied by a plain SortBy.
    const std::vector<TVGSortKey>& HeaderSortKeys() const { return headerSortKeys; }
    bool SortOnHeaderClick() const { return FSortOnHeaderClick; }
    void SetSortOnHeaderClick(bool value);

    // ---- Clipboard, type-ahead and column fitting ---------------------------------
    // The selected rows (Multiselect), else the current row, as tab-separated
    // text: cells as shown, CRLF after every line, a cell holding a tab, a quote
    // or a line break in quotes with its quotes doubled; with CopyCaptions a
    // first line of captions. Empty without rows to copy.
    AnsiString SelectionAsText() const;
    void CopyToClipboard();
    // Pastes tab-separated text into the cells from the current cell (or the
    // first column) of the current row on, each cell converted after its
    // column's type. A cell that does not convert, or falls on a read-only
    // column or a unicolumn row, keeps its value and is reported (OnPasteError,
    // else one message box). Rows past the last are added only with AutoAddRow.
    // Returns the number of cells not pasted.
    int PasteText(const AnsiString& text);
    void PasteFromClipboard();
    bool CopyCaptions() const { return FCopyCaptions; }
    void SetCopyCaptions(bool value) { FCopyCaptions = value; }
    // Typed characters search the first header key's column (else the first
    // column) for a row whose shown text starts with them.
    bool IncrementalSearch() const { return FIncrementalSearch; }
    void SetIncrementalSearch(bool value) { FIncrementalSearch = value; }
    // The text typed so far, and the search it drives (from the current row on).
    const AnsiString& TypedPrefix() const { return typedPrefix; }
    bool SearchTyped(char ch);
    // Sets col's width to its widest shown text (the rows in view, or every row)
    // or its caption, whichever is wider, plus the cell padding.
    void AutoFitColumn(int col, bool allRows);
    // The width AutoFitColumn gives col.
    int FittedWidth(int col, bool allRows);

    // ---- CSV files --------------------------------------------------------------------
    // Writes every row, one record per line with CRLF, quoted where a field
    // holds the separator, a quote or a line break. A null cell is an empty
    // field, an empty text "". Streams through a small buffer. A file that
    // cannot be written raises EVGCsvError with line 0.
    void SaveToCSV(std::ostream& out, const TVGCsvOptions& options = {}) const;
    void SaveToCSV(const AnsiString& fileName, const TVGCsvOptions& options = {}) const;
    // Adds the file's records as rows at the end (Clear first to replace),
    // fields by column position, each checked against its column's type.
    // All or nothing: on EVGCsvError the rows read so far are removed again.
    TVGCsvReport LoadFromCSV(std::istream& in, const TVGCsvOptions& options = {});
    TVGCsvReport LoadFromCSV(const AnsiString& fileName, const TVGCsvOptions& options = {});
    // Searches the listed columns ("3,1") of the rows after the current one.
    bool FindColumnText(const AnsiString& text, const AnsiString& columns);

    // ---- Layout and painting -------------------------------------------------
    int GetRowTop();
    void SetRowTop(int value);
    int GetNumOfEntireRows() const;
    // Height of the partly visible strip below the last entire row.
    int GetDiferenceRowHeight() const;
    void EnsureRowVisible(int row);
    void EnsureColVisible(int col);
    // Bracket a reload of all rows: the current row and the top row are found
    // again afterwards (by position, or by item data with ItemDataOnRefresh).
    void PreRefresh();
    void PostRefresh();
    // The grid or its in-cell editor has the focus: selected rows use ColorBkSel.
    bool asLogicFocus() const;

    // ---- Mouse and keyboard ---------------------------------------------------
    // Body row under a body y, or -1.
    int RowForY(int y);
    // Column whose edges hold x (an edge pixel belongs to the column on its left), or -1.
    int ColForX(int x) const;
    // Takes the grid's keys and left-button input out of the application queue.
    void DesvioMensajes(tagMSG& Msg, bool& Handled);
    void EventMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void EventMouseMove(TShiftState Shift, int X, int Y);
    void EventMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    void WndProc(TMessage& Message) override;

    // ---- Editing -----------------------------------------------------------------
    bool getIsInEdit() const;
    void StartEdit();

    // ---- Properties ----------------------------------------------------------
    TColor ColorBk() const { return FColorBk; }
    void SetBkColor(TColor value);
    TColor ColorBkSel() const { return FColorBkSel; }
    void SetColorBkSel(TColor value) { FColorBkSel = value; }
    TColor ColorBkSelIn() const { return FColorBkSelIn; }
    void SetColorBkSelIn(TColor value) { FColorBkSelIn = value; }
    TColor ColorHead() const { return FColorHead; }
    void SetHdColor(TColor value);
    TColor ColorText() const { return FColorText; }
    void SetColorText(TColor value) { FColorText = value; }
    TColor ColorTextSel() const { return FColorTextSel; }
    void SetColorTextSel(TColor value) { FColorTextSel = value; }
    int RowHeight() const { return FRowHeight; }
    void SetRowHeight(int value);
    bool Multiselect() const { return FMultiselect; }
    void SetMultiselect(bool value);
    bool LabelWrap() const { return FLabelWrap; }
    void SetLabelWrap(bool value);
    bool ShowHeader() const { return FShowHeader; }
    void SetShowHeader(bool value);
    bool ShowSelection() const { return FShowSelection; }
    void SetShowSelection(bool value);
    bool CheckBoxes() const { return FCheckBoxes; }
    void SetCheckBoxes(bool value);
    bool CheckAreRadio() const { return FCheckAreRadio; }
    void SetChecksAreRadio(bool value);
    bool ShowLines() const { return FShowLines; }
    void SetGridLines(bool value);
    bool Editable() const { return FEditable; }
    void SetEditable(bool value) { FEditable = value; }
    bool InEdit() const { return getIsInEdit(); }
    bool AutoAddRow() const { return FAutoAddRow; }
    void SetAutoAddRow(bool value) { FAutoAddRow = value; }
    TFontAttr* AttrUnicolumn() const { return FAttrUnicolumn.get(); }
    void SetAttrUnicolumn(TFontAttr* value) { FAttrUnicolumn->Assign(value); }
    const AnsiString& SkinName() const { return FSkinName; }
    void SetSkinName(const AnsiString& value);
    TFontAttrs* FontAttrs() const { return FFontAttrs.get(); }
    void SetFontAttrs(TFontAttrs* value) { FFontAttrs->Assign(value); }
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* value);
    bool ItemDataOnRefresh() const { return FItemDataOnRefresh; }
    void SetItemDataOnRefresh(bool value) { FItemDataOnRefresh = value; }

    // The attribute that paints a cell: unicolumn rows take AttrUnicolumn, then
    // the row's rowAttr, then the cell's cellAttr, else defaultAttr.
    TFontAttr* ChooseCellAttr(int row, int col, TFontAttr* defaultAttr) const;

    TVGHead* Header() const { return header; }
    TVGScrollBox* Body() const { return body; }
    TVGEdit* Editor() const { return editor; }

    // ---- Events --------------------------------------------------------------
    TNotifyEvent OnDblClick;
    TVGRowEvent OnRowEnter;
    TVGRowExitEvent OnRowExit;
    TVGRowEvent OnRowNeedData;
    TVGCellEvent OnCellModified;
    TVGRowEvent OnRowChecking;
    TNotifyEvent OnHeadChange;
    TVGKeyDownExEvent OnKeyDownEx;  // OnKeyDown comes from TWinControl
    TVGPasteErrorEvent OnPasteError;

    // ---- Hooks, in slot order --------------------------------------------------
    virtual void doRowEnter();
    // row -1 means the current row.
    virtual void doRowExit(int row);
    virtual void doCellModified();
    // Called at the end of every UpdateColumns that ran; nothing here.
    virtual void OnUpdateColumns() {}

protected:
    void CreateWnd() override;
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TVGRowStore rows;
    int RowIndex = -1;      // current row; -1 none
    int colIndex = -1;      // current column; -1 none
    int rowTop = -1;        // first row shown; -1 until first asked
    bool rowModified = false;
    int totalWidth = 0;     // sum of the column widths, kept by UpdateColumns
    bool updatingColumns = false;
    bool columnsReady = false;  // UpdateColumns ran on the first paint
    bool hasFocus = false;      // the grid's own focus flag
    bool buttonDown = false;    // left button pressed in the body, not yet released
    int savedRowIndex = -1;     // refresh bracket
    int savedRowTop = -1;
    AnsiString savedItemData;

private:
    friend class TVGEdit;  // follows the focus flag when an edit ends
    void paintRowNow(int row);
    void sortRows(const AnsiString& keys, const std::vector<bool>& descending, bool decimals);
    // Ctrl+C, Ctrl+Insert, Ctrl+V and Shift+Insert that no key handler consumed.
    void clipboardKey(WORD key, TShiftState shift);

    TColor FColorBk = clWindow;
    TColor FColorBkSel = clHighlight;
    TColor FColorBkSelIn = clInactiveCaption;
    TColor FColorHead = clBtnFace;
    TColor FColorText = clWindowText;
    TColor FColorTextSel = clHighlightText;
    int FRowHeight = 15;
    AnsiString FCol100x100;
    bool FMultiselect = false;
    bool FLabelWrap = true;
    bool FShowHeader = true;
    bool FShowSelection = true;
    bool FCheckBoxes = false;
    bool FCheckAreRadio = false;
    bool FShowLines = true;
    bool FEditable = false;
    bool FAutoAddRow = false;
    bool FItemDataOnRefresh = false;
    bool FSortOnHeaderClick = false;
    bool FCopyCaptions = false;
    bool FIncrementalSearch = false;
    std::vector<TVGSortKey> headerSortKeys;
    AnsiString typedPrefix;     // type-ahead text so far
    DWORD typedAt = 0;          // tick of its last character
    AnsiString FSkinName;
    TCustomImageList* FImages = nullptr;  // not owned

    std::unique_ptr<TVGColumnCollection> FColumns;
    std::unique_ptr<TFontAttr> FAttrUnicolumn;
    std::unique_ptr<TFontAttrs> FFontAttrs;
    TVGHead* header = nullptr;        // owned as a component
    TVGScrollBox* body = nullptr;     // owned as a component
    TVGEdit* editor = nullptr;        // owned as a component; none at design time
    std::unique_ptr<TVGTextPropertyList> colDataList;  // made on first use
    std::unique_ptr<TVGTextPropertyList> rowCodeList;  // made on first use
};
