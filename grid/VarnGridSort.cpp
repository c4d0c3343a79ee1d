// SortBy and FindColumnText.
//
// SortBy reads every key of every row once (collation keys for texts, numbers
// for dates, times, yes/no and integers), sorts row positions by those values
// and then moves the row pointers once. Collation keys order texts as
// AnsiCompareText does, so the order is the same as comparing the texts.
#include "db/DBDate.h"
#include "grid/VarnGrid.h"
#include "grid/VarnGridSort.h"
#include "grid/VGHead.h"
#include "grid/VGScrollBox.h"
#include "utils/Cnvtools.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace varn::detail {

nStringArray sortKeys;
TVarnGrid* sortGrid = nullptr;

void forgetSortGrid(TVarnGrid* grid)
{
    if (sortGrid == grid) {
        sortGrid = nullptr;
        sortKeys.Clear();
    }
}

namespace {

// The value of every row under one key.
struct KeyValues {
    bool isText = false;
    bool descending = false;       // the key orders from the largest value down
    bool wide = false;             // numbers past 32 bits: no radix sort
    std::vector<int64_t> numbers;  // one per row, when !isText
    std::string bytes;             // collation keys of all rows, when isText
    std::vector<uint32_t> offsets; // row i's key is bytes[offsets[i], offsets[i + 1])
    size_t common = 0;             // bytes that every key begins with

    // The key past the bytes all keys share: the part that orders.
    std::string_view text(uint32_t row) const
    {
        return std::string_view(bytes).substr(offsets[row] + common, offsets[row + 1] - offsets[row] - common);
    }
    void findCommonPrefix()
    {
        common = 0;
        if (offsets.size() < 2)
            return;
        std::string_view first = text(0);
        size_t shared = first.size();
        for (uint32_t row = 1; row + 1 < offsets.size() && shared > 0; ++row) {
            std::string_view key = text(row);
            size_t limit = std::min(shared, key.size());
            size_t i = 0;
            while (i < limit && key[i] == first[i])
                ++i;
            shared = i;
        }
        common = shared;
    }
    int compare(uint32_t a, uint32_t b) const
    {
        int result = !isText ? (numbers[a] < numbers[b] ? -1 : numbers[a] > numbers[b] ? 1 : 0)
                             : text(a).compare(text(b));
        return descending ? -result : result;
    }
    // Orders like compare() wherever two prefixes differ.
    uint64_t prefix(uint32_t row) const
    {
        uint64_t value = ascendingPrefix(row);
        return descending ? ~value : value;
    }
    uint64_t ascendingPrefix(uint32_t row) const
    {
        if (!isText)
            return static_cast<uint64_t>(numbers[row]) ^ (uint64_t(1) << 63);
        std::string_view key = text(row);
        unsigned char buffer[8] = {};
        std::memcpy(buffer, key.data(), std::min<size_t>(key.size(), 8));
        uint64_t value = 0;
        for (unsigned char byte : buffer)
            value = (value << 8) | byte;
        return value;
    }
};

// The decimal value of a cell, 0 when it is not an integer. Plain digit texts
// are read here; anything else goes through the full conversion.
int64_t integerValue(std::string_view text)
{
    size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    size_t digits = text.size() - start;
    if (digits > 0 && digits <= 9) {
        int64_t value = 0;
        size_t i = start;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
            value = value * 10 + (text[i] - '0');
        if (i == text.size())
            return start ? -value : value;
    }
    return cnvStrToIntDef(AnsiString(text));
}

class RowSorter {
public:
    // decimals: decimal and money columns compare by value; else they compare equal.
    RowSorter(TVarnGrid& grid, bool decimals) : grid(grid), decimals(decimals) {}

    // Returns false when no key compares anything. descending[k], where given,
    // turns key k round.
    bool readKeys(const nStringArray& keys, const std::vector<bool>& descending);
    std::vector<uint32_t> order() const;

private:
    std::vector<uint32_t> radixOrder() const;
    void readKey(const AnsiString& key);
    void readItemData(int slot);
    void readColumn(int column, VGDataType type);

    void readDecimals(int column, VGDataType type);

    TVarnGrid& grid;
    bool decimals;
    std::vector<KeyValues> values;
};

bool RowSorter::readKeys(const nStringArray& keys, const std::vector<bool>& descending)
{
    for (int k = 0; k < keys.Count(); ++k) {
        size_t before = values.size();
        readKey(keys.Get(k));
        if (values.size() > before && static_cast<size_t>(k) < descending.size())
            values.back().descending = descending[static_cast<size_t>(k)];
    }
    return !values.empty();
}

void RowSorter::readKey(const AnsiString& key)
{
    if (key.starts_with("#")) {
        int slot = key.size() > 1 ? key[1] - '0' : -1;
        if (slot < 0 || slot >= VGItemDataCount)
            ListIndexError(slot);
        readItemData(slot);
        return;
    }
    int column = grid.FindOrderColumn(key);
    // A key naming no column, or a column past the row's cells, compares equal.
    if (column == -1 || column >= VGCellCount)
        return;
    VGDataType type = grid.Columns()->Items(column)->DataType();
    if (type == vgFloat || type == vgMoney) {
        if (decimals)
            readDecimals(column, type);
        return;
    }
    readColumn(column, type);
}

// Decimal texts in the locale's form, money with thousands marks; 0 when not a
// number. Each double becomes an integer of the same order.
void RowSorter::readDecimals(int column, VGDataType type)
{
    KeyValues& key = values.emplace_back();
    key.wide = true;
    int count = grid.GetRowCount();
    key.numbers.resize(static_cast<size_t>(count));
    AnsiString cell;
    for (int row = 0; row < count; ++row) {
        cell.assign(grid.GetRowInfo(row)->cellView(column));
        double value = 0;
        if (type == vgFloat) {
            value = cnvStrToDoubleDef(cell);
        } else {
            try {
                value = cnvStrToDouble(cell);
            } catch (const EConvertError&) {
            }
        }
        if (value == 0)
            value = 0;  // -0 orders as 0
        int64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        key.numbers[static_cast<size_t>(row)] = bits ^ ((bits >> 63) & INT64_MAX);
    }
}

void RowSorter::readItemData(int slot)
{
    KeyValues& key = values.emplace_back();
    key.isText = true;
    int count = grid.GetRowCount();
    key.offsets.reserve(static_cast<size_t>(count) + 1);
    key.offsets.push_back(0);
    for (int row = 0; row < count; ++row) {
        key.bytes += AnsiSortKeyText(AnsiString(grid.GetRowInfo(row)->itemDataView(slot)));
        key.offsets.push_back(static_cast<uint32_t>(key.bytes.size()));
    }
    key.findCommonPrefix();
}

void RowSorter::readColumn(int column, VGDataType type)
{
    KeyValues& key = values.emplace_back();
    int count = grid.GetRowCount();
    if (type == vgString) {
        key.isText = true;
        key.offsets.reserve(static_cast<size_t>(count) + 1);
        key.offsets.push_back(0);
        AnsiString cell;
        for (int row = 0; row < count; ++row) {
            cell.assign(grid.GetRowInfo(row)->cellView(column));  // raw text, null flag ignored
            key.bytes += AnsiSortKeyText(cell);
            key.offsets.push_back(static_cast<uint32_t>(key.bytes.size()));
        }
        key.findCommonPrefix();
        return;
    }
    key.numbers.resize(static_cast<size_t>(count));
    AnsiString cell;
    for (int row = 0; row < count; ++row) {
        std::string_view text = grid.GetRowInfo(row)->cellView(column);
        int64_t& number = key.numbers[static_cast<size_t>(row)];
        switch (type) {
        case vgDate: {
            sDB_date date;
            date.setFromText(AnsiString(text));
            number = date.dayNumber();
            break;
        }
        case vgTime: {
            sDB_time time;
            time.setFromText(AnsiString(text));
            number = time.totalMinutes();
            break;
        }
        case vgBoolean:
            cell.assign(text);
            number = cnvStrToBool(cell) ? 1 : 0;
            break;
        default:
            number = integerValue(text);
            break;
        }
    }
}

// Stable radix sort of row positions by 32-bit keys, last key first, so the
// first key decides and later keys break its ties. Used when every key is a
// number: dates, times, yes/no and integers all fit 32 bits.
std::vector<uint32_t> RowSorter::radixOrder() const
{
    uint32_t count = static_cast<uint32_t>(grid.GetRowCount());
    std::vector<uint32_t> order(count);
    std::vector<uint32_t> scratch(count);
    for (uint32_t row = 0; row < count; ++row)
        order[row] = row;
    std::vector<uint32_t> biased(count);
    constexpr int bits = 11;
    constexpr uint32_t buckets = 1u << bits;
    std::vector<uint32_t> counts(buckets);
    for (auto key = values.rbegin(); key != values.rend(); ++key) {
        for (uint32_t row = 0; row < count; ++row)
            biased[row] = static_cast<uint32_t>(static_cast<int32_t>(key->numbers[row])) ^
                          (key->descending ? 0x7FFFFFFFu : 0x80000000u);
        for (int shift = 0; shift < 32; shift += bits) {
            std::fill(counts.begin(), counts.end(), 0);
            for (uint32_t row : order)
                ++counts[(biased[row] >> shift) & (buckets - 1)];
            uint32_t total = 0;
            for (uint32_t& slot : counts)
                total += std::exchange(slot, total);
            for (uint32_t row : order)
                scratch[counts[(biased[row] >> shift) & (buckets - 1)]++] = row;
            order.swap(scratch);
        }
    }
    return order;
}

std::vector<uint32_t> RowSorter::order() const
{
    bool allNumbers = std::none_of(values.begin(), values.end(), [](const KeyValues& key) { return key.isText || key.wide; });
    if (allNumbers)
        return radixOrder();

    struct Entry {
        uint64_t prefix;
        uint32_t row;
    };
    uint32_t count = static_cast<uint32_t>(grid.GetRowCount());
    std::vector<Entry> entries(count);
    for (uint32_t row = 0; row < count; ++row)
        entries[row] = {values[0].prefix(row), row};

    std::sort(entries.begin(), entries.end(), [this](const Entry& a, const Entry& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        for (const KeyValues& key : values) {
            if (int result = key.compare(a.row, b.row))
                return result < 0;
        }
        return false;
    });

    std::vector<uint32_t> result(count);
    for (uint32_t i = 0; i < count; ++i)
        result[i] = entries[i].row;
    return result;
}

// Upper-cases by the locale and folds accents, one byte at a time where that
// gives the same as folding the whole text (every letter of the code page
// whose upper case is one character).
class TextFolder {
public:
    TextFolder()
    {
        for (int c = 0; c < 256; ++c) {
            AnsiString upper = AnsiUpperCase(AnsiString(1, static_cast<char>(c)));
            single[c] = upper.size() == 1;
            map[c] = single[c] ? cnvRemoveAccent(upper[0]) : 0;
        }
    }

    void fold(std::string_view text, AnsiString& out) const
    {
        out.resize(text.size());
        char* folded = out.data();
        for (size_t i = 0; i < text.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            char m = map[c];
            if (m == 0 && c != 0 && !single[c]) {  // only character 0 folds to 0
                out = cnvRemoveAccents(AnsiUpperCase(AnsiString(text)));
                return;
            }
            folded[i] = m;
        }
    }

private:
    char map[256];
    bool single[256];
};

}  // namespace
}  // namespace varn::detail

void TVarnGrid::SortBy(const AnsiString& keys)
{
    // The header's arrows no longer tell the order.
    if (!headerSortKeys.empty()) {
        headerSortKeys.clear();
        header->Invalidate();
    }
    sortRows(keys, {}, false);
}

void TVarnGrid::SortBy(const AnsiString& keys, const std::vector<bool>& descending) { sortRows(keys, descending, true); }

void TVarnGrid::sortRows(const AnsiString& keys, const std::vector<bool>& descending, bool decimals)
{
    using namespace varn::detail;
    struct ForgetOnExit {
        ~ForgetOnExit()
        {
            sortGrid = nullptr;
            sortKeys.Clear();
        }
    } forget;
    sortKeys.Split(keys, ",");
    sortGrid = this;

    RowSorter sorter(*this, decimals);
    if (GetRowCount() > 1 && sorter.readKeys(sortKeys, descending))
        rows.Reorder(sorter.order());
    body->Invalidate();
}

bool TVarnGrid::FindColumnText(const AnsiString& text, const AnsiString& columns)
{
    nStringArray pieces;
    pieces.Split(columns, ",");
    std::vector<int> searched;
    for (int i = 0; i < pieces.Count(); ++i) {
        int column = cnvStrToIntDef(pieces.Get(i));
        if (column < 0 || column >= VGCellCount)
            ListIndexError(column);
        searched.push_back(column);
    }
    if (GetRowCount() == 0)
        return false;

    int first = 0;
    int examined = GetRowCount();
    if (RowIndex == -1) {
        SetRowIndex(0);
    } else if (RowIndex < GetRowCount()) {
        first = RowIndex + 1;
        examined = GetRowCount() - 1;  // every row but the current one
    }
    // else RowIndex points past the end (a row before it was deleted): look at every row once.
    int count = GetRowCount();  // the row-enter handler may have changed the rows
    examined = std::min(examined, count);

    varn::detail::TextFolder folder;
    AnsiString needle = cnvRemoveAccents(AnsiUpperCase(text));
    AnsiString folded;
    uint64_t wanted = 0;
    for (int column : searched)
        wanted |= uint64_t(1) << column;
    std::string_view views[VGCellCount];
    for (int k = 0; k < examined; ++k) {
        int row = (first + k) % count;
        TVarnGrid_rowInfo* info = rows.Get(row);
        // Every searched cell of the row in one pass over its texts.
        for (int column : searched)
            views[column] = {};
        info->cellViews(wanted, views);
        for (int column : searched) {
            if (info->isNull[column])
                folded.clear();
            else
                folder.fold(views[column], folded);
            if (folded.find(needle) != AnsiString::npos) {
                SetRowIndex(row);
                EnsureRowVisible(row);
                return true;
            }
        }
    }
    return false;
}
