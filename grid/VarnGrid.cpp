#include "grid/VarnGrid.h"

#include "grid/VGEdit.h"
#include "grid/VGHead.h"
#include "grid/VGScrollBox.h"
#include "grid/VarnGridSort.h"
#include "utils/Cnvtools.h"

#include <algorithm>

namespace {

constexpr size_t slabRecords = 2048;  // about 96 KB a slab

// Sorts pointers by address: a radix sort on the bits in which they differ.
void sortByAddress(std::vector<void*>& pointers)
{
    auto address = [](const void* p) { return reinterpret_cast<uintptr_t>(p); };
    if (std::is_sorted(pointers.begin(), pointers.end(),
                       [&](const void* a, const void* b) { return address(a) < address(b); }))
        return;
    auto [low, high] = std::minmax_element(pointers.begin(), pointers.end(),
                                           [&](const void* a, const void* b) { return address(a) < address(b); });
    const uintptr_t base = address(*low);
    const uintptr_t span = (address(*high) - base) >> 4;  // records are 16-byte aligned at least
    constexpr int digitBits = 11;
    constexpr size_t buckets = size_t(1) << digitBits;
    std::vector<void*> sorted(pointers.size());
    std::vector<size_t> starts(buckets + 1);
    for (int shift = 0; shift < 64 && (span >> shift) != 0; shift += digitBits) {
        auto digit = [&](const void* p) { return ((address(p) - base) >> 4 >> shift) & (buckets - 1); };
        std::fill(starts.begin(), starts.end(), 0);
        for (const void* p : pointers)
            ++starts[digit(p) + 1];
        for (size_t b = 1; b <= buckets; ++b)
            starts[b] += starts[b - 1];
        for (void* p : pointers)
            sorted[starts[digit(p)]++] = p;
        pointers.swap(sorted);
    }
}

}  // namespace

TVGRowStore::~TVGRowStore() { Clear(); }

void* TVGRowStore::NewItem()
{
    void* slot = freeSlot;
    if (slot) {
        freeSlot = *static_cast<void**>(slot);
    } else {
        if (slabs.empty() || slabUsed == slabRecords) {
            slabs.push_back(std::make_unique_for_overwrite<std::byte[]>(slabRecords * sizeof(TVarnGrid_rowInfo)));
            slabUsed = 0;
        }
        slot = slabs.back().get() + slabUsed++ * sizeof(TVarnGrid_rowInfo);
    }
    return new (slot) TVarnGrid_rowInfo();
}

void TVGRowStore::DeleteItem(void* item)
{
    static_cast<TVarnGrid_rowInfo*>(item)->~TVarnGrid_rowInfo();
    *static_cast<void**>(item) = freeSlot;
    freeSlot = item;
}

void TVGRowStore::Clear()
{
    // After a sort the rows' order is random in memory, and freeing their texts
    // in that order costs many times more than freeing them in address order.
    std::vector<void*> byAddress;
    byAddress.swap(items);
    sortByAddress(byAddress);
    for (void* item : byAddress)
        static_cast<TVarnGrid_rowInfo*>(item)->~TVarnGrid_rowInfo();
    slabs.clear();
    slabUsed = 0;
    freeSlot = nullptr;
}

void TVGRowStore::Reorder(const std::vector<uint32_t>& order)
{
    if (order.size() != items.size())
        return;
    std::vector<void*> moved(items.size());
    for (size_t i = 0; i < order.size(); ++i)
        moved[i] = items[order[i]];
    items.swap(moved);
}

// ---- Construction --------------------------------------------------------------

TVarnGrid::TVarnGrid(TComponent* AOwner)
    : TCustomControl(AOwner),
      FColumns(std::make_unique<TVGColumnCollection>(this)),
      FAttrUnicolumn(std::make_unique<TFontAttr>()),
      FFontAttrs(std::make_unique<TFontAttrs>())
{
    SetParentColor(true);
    SetTabStop(true);
    SetBounds(0, 0, 100, 100);

    header = new TVGHead(this);
    header->SetParent(this);
    header->SetAlign(alTop);
    header->SetHeight(18);
    header->SetVisible(FShowHeader);
    header->SetColor(FColorHead);

    body = new TVGScrollBox(this);
    body->SetParent(this);
    body->SetAlign(alClient);

    if (!ComponentState().Contains(csDesigning)) {
        editor = new TVGEdit(this);
        editor->SetParent(this);
        editor->SetVisible(false);
    }
}

TVarnGrid::~TVarnGrid()
{
    varn::detail::forgetSortGrid(this);
    Destroying();
    // Columns first: their removal must not reach a layout whose children are gone.
    FColumns.reset();
    // The children refer to the grid: let them go while it is still whole.
    DestroyComponents();
    header = nullptr;
    body = nullptr;
    editor = nullptr;
}

void TVarnGrid::AfterConstruction()
{
    TCustomControl::AfterConstruction();
    SetColor(clWindow);
}

void TVarnGrid::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages)
        FImages = nullptr;
}

// ---- Rows ------------------------------------------------------------------------

void TVarnGrid::AddRow(const AnsiString& itemData)
{
    rows.Add()->setItemData(0, itemData);
    if (!FCol100x100.empty() && Visible())
        UpdateColumns();
    body->UpdateScrollLater();
}

void TVarnGrid::InsertAt(int index, const AnsiString& itemData)
{
    rows.Insert(index)->setItemData(0, itemData);
    body->UpdateScrollLater();
}

void TVarnGrid::Clear()
{
    RowIndex = -1;
    rowTop = -1;
    rows.Clear();
    body->UpdateScroll(true);
}

void TVarnGrid::DeleteRow(int index)
{
    rows.Get(index);  // an index out of range raises before any event
    if (index == RowIndex) {
        doRowExit(index);
        RowIndex = -1;
    }
    rows.Delete(index);
    body->UpdateScroll(true);
}

void TVarnGrid::SetString(int row, int col, const AnsiString& text)
{
    TVarnGrid_rowInfo* info = rows.Get(row);
    info->setCells(col, text);
    info->isNull[col] = false;
}

AnsiString TVarnGrid::GetString(int row, int col) const
{
    TVarnGrid_rowInfo* info = rows.Get(row);
    std::string_view text = info->cellView(col);
    return info->isNull[col] ? AnsiString() : AnsiString(text);
}

// ---- Current row and selection -----------------------------------------------------

void TVarnGrid::paintRowNow(int row)
{
    body->PaintRow(row);
}

void TVarnGrid::SetRowIndex(int index)
{
    if (index == RowIndex)
        return;
    // Past the end means the last row, and is compared above before this
    // clamping: asking past the end while on the last row re-enters it.
    if (index >= GetRowCount())
        index = GetRowCount() - 1;
    if (index < 0)
        index = -1;
    if (FMultiselect)
        ClearRowSelectedCount();  // leaves RowIndex -1: no exit event
    if (RowIndex != -1) {
        int old = RowIndex;
        // RowIndex is not moved when an earlier row is deleted, so it may
        // point past the end; such a row has no record to deselect.
        if (old < GetRowCount()) {
            rows.Get(old)->selected = false;
            paintRowNow(old);
        }
        doRowExit(old);
        // The exit handler may have removed rows: never enter one that is gone.
        if (index >= GetRowCount())
            index = GetRowCount() - 1;
    }
    RowIndex = index;
    if (RowIndex == -1)
        return;
    rowModified = false;
    rows.Get(RowIndex)->selected = true;
    paintRowNow(RowIndex);
    doRowEnter();
}

void TVarnGrid::SetRowSelected(int row, bool value)
{
    if (!FMultiselect)
        return;
    rows.Get(row)->selected = value;
    paintRowNow(row);
}

void TVarnGrid::ClearRowSelectedCount()
{
    for (int i = 0; i < GetRowCount(); ++i)
        rows.Get(i)->selected = false;
    RowIndex = -1;
    body->Invalidate();
}

int TVarnGrid::GetRowSelectedCount() const
{
    int count = 0;
    for (int i = 0; i < GetRowCount(); ++i)
        count += rows.Get(i)->selected;
    return count;
}

bool TVarnGrid::GetRowChecked(int row) const
{
    TVarnGrid_rowInfo* info = rows.Get(row);
    return !info->unicolumn && info->checkMark;
}

void TVarnGrid::SetRowChecked(int row, bool value)
{
    if (!FCheckBoxes)
        return;
    TVarnGrid_rowInfo* info = rows.Get(row);
    info->checkMark = info->unicolumn ? false : value;
    paintRowNow(row);
}

void TVarnGrid::RowCheckedClear()
{
    for (int i = 0; i < GetRowCount(); ++i)
        rows.Get(i)->checkMark = false;
    body->Invalidate();
}

int TVarnGrid::GetRowCheckedCount() const
{
    int count = 0;
    for (int i = 0; i < GetRowCount(); ++i)
        count += rows.Get(i)->checkMark;
    return count;
}

int TVarnGrid::FindRowByItemData(const AnsiString& text, int slot) const
{
    if (slot < 0 || slot >= VGItemDataCount)
        ListIndexError(slot);
    for (int i = 0; i < GetRowCount(); ++i) {
        if (rows.Get(i)->itemDataView(slot) == text)
            return i;
    }
    return -1;
}

bool TVarnGrid::SelectRowByItemData(const AnsiString& text, int slot)
{
    int found = FindRowByItemData(text, slot);
    if (found == -1)
        return false;
    SetRowIndex(found);
    EnsureRowVisible(found);
    return true;
}

// ---- Hooks ---------------------------------------------------------------------------

void TVarnGrid::doRowEnter()
{
    if (OnRowEnter)
        OnRowEnter(RowIndex);
}

void TVarnGrid::doRowExit(int row)
{
    if (row == -1)
        row = RowIndex;
    if (OnRowExit)
        OnRowExit(row, rowModified);
}

void TVarnGrid::doCellModified()
{
    if (OnCellModified)
        OnCellModified(RowIndex, colIndex);
}

// ---- Per-cell colours ------------------------------------------------------------------

// The colours text holds "col:colour" pieces joined by ",", one per column,
// in the order the columns were first given a colour.
TColor TVarnGrid::GetBackColor(int row, int col) const
{
    TVarnGrid_rowInfo* info = rows.Get(row);
    if (col < 0 || col >= VGCellCount)
        ListIndexError(col);
    AnsiString key = cnvIntToStr(col) + ":";
    nStringArray pieces;
    pieces.Split(info->colors(), ",");
    for (int i = 0; i < pieces.Count(); ++i) {
        const AnsiString& piece = pieces.Get(i);
        if (piece.starts_with(key))
            return cnvStrToIntDef(piece.substr(key.size()));
    }
    return clNone;
}

void TVarnGrid::SetBackColor(int row, int col, TColor color)
{
    TVarnGrid_rowInfo* info = rows.Get(row);
    if (col < 0 || col >= VGCellCount)
        ListIndexError(col);
    AnsiString key = cnvIntToStr(col) + ":";
    nStringArray pieces;
    pieces.Split(info->colors(), ",");
    int found = -1;
    for (int i = 0; i < pieces.Count() && found == -1; ++i) {
        if (pieces.Get(i).starts_with(key))
            found = i;
    }
    if (found != -1) {
        if (color == clNone)
            pieces.Delete(found);
        else
            pieces.Put(found, key + cnvIntToStr(color));
    } else if (color != clNone) {
        pieces.Add(key + cnvIntToStr(color));
    }
    info->setColors(pieces.Join(",", ""));
}

// ---- Columns ---------------------------------------------------------------------------

void TVarnGrid::SetCol100x100(const AnsiString& value)
{
    if (!value.empty() && !FindColumn(value))
        return;
    FCol100x100 = value;
    UpdateColumns();
}

void TVarnGrid::UpdateColumns()
{
    if (!HandleAllocated() || updatingColumns || ComponentState().Contains(csDestroying))
        return;
    updatingColumns = true;
    struct ClearMark {
        bool& mark;
        ~ClearMark() { mark = false; }
    } clearMark{updatingColumns};

    // A scroll bar that comes or goes with the new ranges changes the body's
    // width, and with it the filler column's room: then lay out once more.
    for (int pass = 0; pass < 2; ++pass) {
        int bodyWidth = body->GetClientSize(true);
        if (!FCol100x100.empty()) {
            int available = bodyWidth - 2;
            for (int i = 0; i < FColumns->Count(); ++i) {
                TVGColumn* column = FColumns->Items(i);
                if (column->FieldName() != FCol100x100)
                    available -= column->Width();
            }
            if (TVGColumn* filler = FindColumn(FCol100x100))
                filler->SetWidth(available);  // its change notice returns at the guard
        }
        totalWidth = 0;
        for (int i = 0; i < FColumns->Count(); ++i)
            totalWidth += FColumns->Items(i)->Width();
        header->SetTotalWidth(totalWidth);
        if (bodyWidth > totalWidth)
            header->SetScrollOffset(0);
        body->UpdateScroll(false);
        if (FCol100x100.empty() || body->GetClientSize(true) == bodyWidth)
            break;
    }
    OnUpdateColumns();
}

TVGColumn* TVarnGrid::FindColumn(const AnsiString& name) const
{
    int index = FindOrderColumn(name);
    return index == -1 ? nullptr : FColumns->Items(index);
}

int TVarnGrid::FindOrderColumn(const AnsiString& name) const
{
    AnsiString wanted = AnsiUpperCase(name);
    for (int i = 0; i < FColumns->Count(); ++i) {
        if (AnsiUpperCase(FColumns->Items(i)->FieldName()) == wanted)
            return i;
    }
    return -1;
}

// ---- Layout the data side needs --------------------------------------------------------------

int TVarnGrid::GetRowTop()
{
    if (rowTop < 0)
        rowTop = 0;
    return rowTop;
}

int TVarnGrid::GetNumOfEntireRows() const
{
    return FRowHeight > 0 ? body->GetClientSize(false) / FRowHeight : 0;
}

void TVarnGrid::SetRowTop(int value)
{
    int top = std::max(value, 0);
    int maxTop = GetRowCount() - GetNumOfEntireRows();
    if (top > maxTop && maxTop >= 0)
        top = maxTop;
    if (top == GetRowTop() || maxTop < 1)
        return;
    rowTop = top;
    body->UpdateScroll(true);
}

void TVarnGrid::EnsureRowVisible(int row)
{
    int top = GetRowTop();
    int entire = GetNumOfEntireRows();
    if (top <= row && row < top + entire)
        return;
    top = row < top ? row : row - entire + 1;
    if (GetRowCount() < top)
        top = GetRowCount() - entire;
    if (top < 0)
        top = 0;
    rowTop = top;
    body->UpdateScroll(false);
}

// ---- Editing ---------------------------------------------------------------------------------

bool TVarnGrid::getIsInEdit() const { return editor && editor->Visible(); }

void TVarnGrid::StartEdit()
{
    if (FEditable && editor)
        editor->BeginEditAt(0);
}

// ---- Properties ------------------------------------------------------------------------------

void TVarnGrid::SetBkColor(TColor value)
{
    FColorBk = value;
    SetColor(value);
    body->SetColor(value);
    Invalidate();
}

void TVarnGrid::SetHdColor(TColor value)
{
    FColorHead = value;
    header->SetColor(value);
    header->Invalidate();
}

void TVarnGrid::SetRowHeight(int value)
{
    FRowHeight = value;
    body->UpdateScroll(true);
}

void TVarnGrid::SetMultiselect(bool value)
{
    FMultiselect = value;
    if (value && FCheckBoxes)
        FCheckBoxes = false;
    ClearRowSelectedCount();
}

void TVarnGrid::SetCheckBoxes(bool value)
{
    FCheckBoxes = value;
    if (value && FMultiselect)
        FMultiselect = false;
    ClearRowSelectedCount();
    UpdateColumns();
}

void TVarnGrid::SetLabelWrap(bool value)
{
    FLabelWrap = value;
    UpdateColumns();
}

void TVarnGrid::SetShowHeader(bool value)
{
    FShowHeader = value;
    header->SetVisible(value);
}

void TVarnGrid::SetShowSelection(bool value)
{
    FShowSelection = value;
    body->Invalidate();
}

void TVarnGrid::SetChecksAreRadio(bool value)
{
    FCheckAreRadio = value;
    Invalidate();
}

void TVarnGrid::SetGridLines(bool value)
{
    FShowLines = value;
    body->Invalidate();
}

void TVarnGrid::SetImages(TCustomImageList* value)
{
    if (FImages)
        FImages->RemoveFreeNotification(this);
    FImages = value;
    if (FImages)
        FImages->FreeNotification(this);
    UpdateColumns();
}

// ---- Font attributes and skins -----------------------------------------------------------------

TFontAttr* TVarnGrid::ChooseCellAttr(int row, int col, TFontAttr* defaultAttr) const
{
    TVarnGrid_rowInfo* info = rows.Get(row);
    if (info->unicolumn)
        return FAttrUnicolumn.get();
    if (info->rowAttr != -1)
        return FFontAttrs->GetAttr(info->rowAttr);
    if (col < 0 || col >= VGCellCount)
        ListIndexError(col);
    if (info->cellAttr[col] != -1)
        return FFontAttrs->GetAttr(info->cellAttr[col]);
    return defaultAttr;
}

void TVarnGrid::SetSkinName(const AnsiString& value)
{
    FSkinName = value;
    if (AnsiUpperCase(value) != "STD")
        return;
    FAttrUnicolumn->SetColor(RGB(255, 128, 0));
    FAttrUnicolumn->SetColorSel(RGB(255, 217, 179));
    FAttrUnicolumn->SetStyles(FAttrUnicolumn->Styles() + TFontStyles{fsBold});
    SetBkColor(clWindow);
    FColorBkSel = RGB(128, 128, 255);
    FColorBkSelIn = RGB(176, 187, 177);
    SetHdColor(RGB(235, 235, 235));
    FColorText = clWindowText;
    FColorTextSel = clHighlightText;
}
