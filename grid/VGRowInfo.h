// The grid's row record and the packed text storage behind it.
#pragma once

#include "platform/win/Types.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <utility>

// A row holds cells for column positions 0..35 and item-data slots 0..9.
constexpr int VGCellCount = 36;
constexpr int VGItemDataCount = 10;

namespace varn::detail {

// All texts of one row in a single heap block: the cells, the item-data slots
// and the colour list, each under a small key. Only non-empty texts take room,
// so a row whose texts are all empty allocates nothing.
//
// Block layout: uint32 bytes used (header included), the capacity in three
// bytes, the last entry's key, then the entries in key order: key byte, length
// (one byte below 255, else 255 and four bytes), the text bytes.
class TVGRowTexts {
public:
    static constexpr int colorsKey = VGCellCount + VGItemDataCount;

    TVGRowTexts() = default;
    TVGRowTexts(const TVGRowTexts& other);
    TVGRowTexts(TVGRowTexts&& other) noexcept : block(other.block) { other.block = nullptr; }
    TVGRowTexts& operator=(const TVGRowTexts& other);
    TVGRowTexts& operator=(TVGRowTexts&& other) noexcept;
    ~TVGRowTexts();

    // The text under key, empty when there is none. Valid until the next change.
    std::string_view get(int key) const;
    // One pass over the block for several keys: views[key] := the text of each
    // key whose bit is set in wanted and that has one. Entries of other keys,
    // and of wanted keys without a text, are left as they were.
    void getSome(uint64_t wanted, std::string_view* views) const;
    // The empty text removes the entry.
    void set(int key, std::string_view text);
    void clear();
    // Heap bytes held (the block's capacity), for measuring.
    size_t heapBytes() const;
    // Where the block lives (nullptr without one), to free many rows in address order.
    const void* address() const { return block; }
    // Adds the texts of keys that hold none yet with one allocation, for a
    // caller that sets a whole new row; empty texts are left out, and a key
    // that already holds a text is set as set() does.
    using Entry = std::pair<int, std::string_view>;
    void addNew(std::span<const Entry> entries, std::span<const Entry> moreEntries = {});

private:
    struct Found {
        char* entry = nullptr;  // the entry's key byte, nullptr when absent
        size_t headerSize = 0;
        size_t length = 0;
    };
    Found find(int key) const;
    void reserve(size_t needed);

    char* block = nullptr;  // nullptr while every text is empty
};

// Font attribute per cell position (0..4; -1 none). The 36 values take room
// only once a cell gets an attribute; until then every cell reads -1.
class TVGCellAttrs {
public:
    // A cell's attribute as an assignable value.
    class Ref {
    public:
        Ref(TVGCellAttrs& attrs, int col) : attrs(attrs), col(col) {}
        operator int8_t() const { return static_cast<const TVGCellAttrs&>(attrs)[col]; }
        Ref& operator=(int value);
        Ref& operator=(const Ref& other) { return *this = static_cast<int>(static_cast<int8_t>(other)); }

    private:
        TVGCellAttrs& attrs;
        int col;
    };

    TVGCellAttrs() = default;
    TVGCellAttrs(const TVGCellAttrs& other);
    TVGCellAttrs(TVGCellAttrs&& other) noexcept = default;
    TVGCellAttrs& operator=(const TVGCellAttrs& other);
    TVGCellAttrs& operator=(TVGCellAttrs&& other) noexcept = default;

    // col in 0..35; unchecked, like the array it stands for.
    int8_t operator[](int col) const { return values ? values[col] : int8_t(-1); }
    Ref operator[](int col) { return Ref(*this, col); }

private:
    std::unique_ptr<int8_t[]> values;  // VGCellCount values; null while all are -1
};

}  // namespace varn::detail

// One row of the grid. Flags and numbers are plain fields; the texts (cells,
// item data, colour list) are reached through accessors named after them,
// because they share one packed block. Cell positions outside 0..35 and slots
// outside 0..9 raise the list-index error and change nothing.
struct TVarnGrid_rowInfo {
    bool selected = false;    // always true for the current row
    bool checkMark = false;
    bool unicolumn = false;   // one text (cell 0) across all columns
    bool noCheckBox = false;  // hides the row's check box
    int32_t imageIndex = -1;  // image from the grid's Images; -1 none
    int32_t rowAttr = -1;     // font attribute of the whole row; -1 none
    std::bitset<VGCellCount> spanNext;  // painting joins the cell with the next
    std::bitset<VGCellCount> isNull;    // cell has no value; all set on a new row
    varn::detail::TVGCellAttrs cellAttr;  // font attribute per cell (0..4); -1 none

    TVarnGrid_rowInfo();

    AnsiString cells(int col) const { return AnsiString(cellView(col)); }
    std::string_view cellView(int col) const;  // valid until the row's texts change
    // Stores the raw text; the null flag is the caller's (see TVarnGrid::SetString).
    void setCells(int col, std::string_view text);

    AnsiString itemData(int slot) const { return AnsiString(itemDataView(slot)); }
    std::string_view itemDataView(int slot) const;
    void setItemData(int slot, std::string_view text);

    // Per-cell background colours kept for callers: "col:colour" pieces joined by ",".
    AnsiString colors() const { return AnsiString(texts.get(varn::detail::TVGRowTexts::colorsKey)); }
    void setColors(std::string_view text) { texts.set(varn::detail::TVGRowTexts::colorsKey, text); }

    size_t textHeapBytes() const { return texts.heapBytes(); }
    const void* textAddress() const { return texts.address(); }
    // views[c] := the text of each cell c whose bit is set in cols, in one pass
    // over the row's texts; cells without a text are left as they were.
    void cellViews(uint64_t cols, std::string_view* views) const { texts.getSome(cols, views); }
    // The given cells and item data slot 0 of a row being filled, with one
    // allocation (see TVGRowTexts::addNew); null flags are the caller's.
    void setNewTexts(std::string_view itemData0, std::span<const std::pair<int, std::string_view>> cellTexts);

private:
    varn::detail::TVGRowTexts texts;
};

// The record is kept small: a grid may hold millions of them.
static_assert(sizeof(TVarnGrid_rowInfo) <= 48);
