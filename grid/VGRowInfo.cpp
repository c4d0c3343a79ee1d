#include "grid/VGRowInfo.h"

#include "platform/SysUtils.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <new>

namespace varn::detail {

namespace {

// Block header: uint32 bytes used (header included), the capacity in three
// bytes (all ones: ask the allocator), the key of the last entry.
constexpr size_t blockHeader = 8;
constexpr size_t minimumCapacity = 40;
constexpr unsigned char longLength = 255;
constexpr uint32_t capacityUnknown = 0xFFFFFF;

uint32_t readUint32(const char* at)
{
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void writeUint32(char* at, uint32_t value) { std::memcpy(at, &value, sizeof value); }

size_t capacityOf(const char* block)
{
    auto byte = [block](int i) { return uint32_t(static_cast<unsigned char>(block[4 + i])); };
    uint32_t stored = byte(0) | byte(1) << 8 | byte(2) << 16;
    return stored == capacityUnknown ? malloc_usable_size(const_cast<char*>(block)) : stored;
}

void setCapacity(char* block, size_t capacity)
{
    uint32_t stored = static_cast<uint32_t>(std::min<size_t>(capacity, capacityUnknown));
    for (int i = 0; i < 3; ++i)
        block[4 + i] = static_cast<char>(stored >> (8 * i));
}

unsigned char lastKey(const char* block) { return static_cast<unsigned char>(block[7]); }
void setLastKey(char* block, int key) { block[7] = static_cast<char>(key); }

size_t headerSizeFor(size_t length) { return length < longLength ? 2 : 6; }

// The length of the entry at `at` and the size of its key-and-length header.
size_t entryLength(const char* at, size_t& header)
{
    size_t length = static_cast<unsigned char>(at[1]);
    header = 2;
    if (length == longLength) {
        length = readUint32(at + 2);
        header = 6;
    }
    return length;
}

void writeEntry(char* at, int key, std::string_view text)
{
    at[0] = static_cast<char>(key);
    if (text.size() < longLength) {
        at[1] = static_cast<char>(text.size());
        std::memcpy(at + 2, text.data(), text.size());
    } else {
        at[1] = static_cast<char>(longLength);
        writeUint32(at + 2, static_cast<uint32_t>(text.size()));
        std::memcpy(at + 6, text.data(), text.size());
    }
}

}  // namespace

TVGRowTexts::TVGRowTexts(const TVGRowTexts& other)
{
    if (other.block) {
        size_t used = readUint32(other.block);
        block = static_cast<char*>(std::malloc(used));
        if (!block)
            throw std::bad_alloc();
        std::memcpy(block, other.block, used);
        setCapacity(block, used);
    }
}

TVGRowTexts& TVGRowTexts::operator=(const TVGRowTexts& other)
{
    if (this != &other) {
        TVGRowTexts copy(other);
        std::swap(block, copy.block);
    }
    return *this;
}

TVGRowTexts& TVGRowTexts::operator=(TVGRowTexts&& other) noexcept
{
    if (this != &other) {
        std::free(block);
        block = other.block;
        other.block = nullptr;
    }
    return *this;
}

TVGRowTexts::~TVGRowTexts() { std::free(block); }

// Entries are kept in key order, so a walk stops at the first larger key and
// a key above the last one is known absent without a walk.
TVGRowTexts::Found TVGRowTexts::find(int key) const
{
    if (!block || key > lastKey(block))
        return {};
    const char* end = block + readUint32(block);
    char* at = block + blockHeader;
    while (at < end) {
        int entryKey = static_cast<unsigned char>(at[0]);
        size_t header;
        size_t length = entryLength(at, header);
        if (entryKey == key)
            return {at, header, length};
        if (entryKey > key)
            break;
        at += header + length;
    }
    return {};
}

void TVGRowTexts::getSome(uint64_t wanted, std::string_view* views) const
{
    if (!block || !wanted)
        return;
    const int highest = 63 - std::countl_zero(wanted);
    const char* end = block + readUint32(block);
    const char* at = block + blockHeader;
    while (at < end) {
        int key = static_cast<unsigned char>(at[0]);
        if (key > highest)
            break;
        size_t header;
        size_t length = entryLength(at, header);
        if (wanted >> key & 1)
            views[key] = std::string_view(at + header, length);
        at += header + length;
    }
}

std::string_view TVGRowTexts::get(int key) const
{
    Found found = find(key);
    if (!found.entry)
        return {};
    return {found.entry + found.headerSize, found.length};
}

void TVGRowTexts::reserve(size_t needed)
{
    size_t capacity = block ? capacityOf(block) : 0;
    if (needed <= capacity)
        return;
    // Rows are filled a cell at a time and a million of them may be kept: grow
    // to what is needed and take whatever the allocator rounded up, so that a
    // filled row wastes no more than that rounding.
    char* larger = static_cast<char*>(std::realloc(block, std::max(needed, minimumCapacity)));
    if (!larger)
        throw std::bad_alloc();
    if (!block)
        writeUint32(larger, blockHeader);
    block = larger;
    setCapacity(block, malloc_usable_size(block));
}

void TVGRowTexts::set(int key, std::string_view text)
{
    const size_t used = block ? readUint32(block) : blockHeader;
    // text may point into this block, which may move or shift: keep a copy then.
    AnsiString copy;
    if (block && text.data() >= block && text.data() < block + used) {
        copy.assign(text);
        text = copy;
    }
    // The place of key: its entry, or where it would go.
    size_t at = used;
    size_t oldSize = 0;
    int previousKey = -1;
    if (block && key <= lastKey(block)) {
        at = blockHeader;
        while (at < used) {
            int entryKey = static_cast<unsigned char>(block[at]);
            size_t header;
            size_t length = entryLength(block + at, header);
            if (entryKey == key) {
                if (length == text.size()) {
                    std::memcpy(block + at + header, text.data(), text.size());
                    return;
                }
                oldSize = header + length;
                break;
            }
            if (entryKey > key)
                break;
            previousKey = entryKey;
            at += header + length;
        }
    } else if (block) {
        previousKey = lastKey(block);
    }
    const size_t newSize = text.empty() ? 0 : headerSizeFor(text.size()) + text.size();
    if (newSize == 0 && oldSize == 0)
        return;
    const size_t newUsed = used - oldSize + newSize;
    if (newUsed == blockHeader) {
        clear();
        return;
    }
    reserve(newUsed);
    if (at + oldSize < used)  // entries after this one move
        std::memmove(block + at + newSize, block + at + oldSize, used - at - oldSize);
    if (newSize > 0)
        writeEntry(block + at, key, text);
    writeUint32(block, static_cast<uint32_t>(newUsed));
    if (at + newSize == newUsed)  // the entry, or the one before a removed last entry, now ends the block
        setLastKey(block, newSize > 0 ? key : previousKey);
}

void TVGRowTexts::clear()
{
    std::free(block);
    block = nullptr;
}

size_t TVGRowTexts::heapBytes() const { return block ? capacityOf(block) : 0; }

TVGCellAttrs::TVGCellAttrs(const TVGCellAttrs& other)
{
    if (other.values) {
        values = std::make_unique<int8_t[]>(VGCellCount);
        std::copy_n(other.values.get(), VGCellCount, values.get());
    }
}

TVGCellAttrs& TVGCellAttrs::operator=(const TVGCellAttrs& other)
{
    if (this != &other) {
        TVGCellAttrs copy(other);
        values.swap(copy.values);
    }
    return *this;
}

TVGCellAttrs::Ref& TVGCellAttrs::Ref::operator=(int value)
{
    if (!attrs.values) {
        if (value == -1)
            return *this;
        attrs.values = std::make_unique<int8_t[]>(VGCellCount);
        std::fill_n(attrs.values.get(), VGCellCount, int8_t(-1));
    }
    attrs.values[col] = static_cast<int8_t>(value);
    return *this;
}

// A row being filled holds no texts yet: the entries are put in key order (a
// later entry of a key wins) into one block of the size they need. A row that
// already holds texts, or more entries than a row has keys, take them one by one.
void TVGRowTexts::addNew(std::span<const Entry> entries, std::span<const Entry> moreEntries)
{
    constexpr size_t most = 64;
    if (block || entries.size() + moreEntries.size() > most) {
        for (std::span<const Entry> part : {entries, moreEntries})
            for (const auto& [key, text] : part)
                set(key, text);
        return;
    }
    struct Item {  // trivial, so that the array costs nothing to set up
        int key;
        const char* data;
        size_t size;
    };
    Item sorted[most];
    size_t count = 0;
    for (std::span<const Entry> part : {entries, moreEntries})
        for (const auto& [key, text] : part) {
            size_t at = count;
            while (at > 0 && sorted[at - 1].key > key)
                --at;
            if (at > 0 && sorted[at - 1].key == key) {
                sorted[at - 1] = {key, text.data(), text.size()};
                continue;
            }
            std::move_backward(sorted + at, sorted + count, sorted + count + 1);
            sorted[at] = {key, text.data(), text.size()};
            ++count;
        }
    size_t needed = blockHeader;
    int last = -1;
    for (size_t i = 0; i < count; ++i)
        if (sorted[i].size > 0) {
            needed += headerSizeFor(sorted[i].size) + sorted[i].size;
            last = sorted[i].key;
        }
    if (last < 0)
        return;
    block = static_cast<char*>(std::malloc(needed));
    if (!block)
        throw std::bad_alloc();
    size_t at = blockHeader;
    for (size_t i = 0; i < count; ++i)
        if (sorted[i].size > 0) {
            writeEntry(block + at, sorted[i].key, std::string_view(sorted[i].data, sorted[i].size));
            at += headerSizeFor(sorted[i].size) + sorted[i].size;
        }
    writeUint32(block, static_cast<uint32_t>(needed));
    setCapacity(block, needed);
    setLastKey(block, last);
}

}  // namespace varn::detail

namespace {

void checkCell(int col)
{
    if (col < 0 || col >= VGCellCount)
        ListIndexError(col);
}

void checkSlot(int slot)
{
    if (slot < 0 || slot >= VGItemDataCount)
        ListIndexError(slot);
}

}  // namespace

TVarnGrid_rowInfo::TVarnGrid_rowInfo() { isNull.set(); }

std::string_view TVarnGrid_rowInfo::cellView(int col) const
{
    checkCell(col);
    return texts.get(col);
}

void TVarnGrid_rowInfo::setCells(int col, std::string_view text)
{
    checkCell(col);
    texts.set(col, text);
}

void TVarnGrid_rowInfo::setNewTexts(std::string_view itemData0,
                                    std::span<const std::pair<int, std::string_view>> cellTexts)
{
    for (const auto& entry : cellTexts)
        checkCell(entry.first);
    const varn::detail::TVGRowTexts::Entry slot(VGCellCount, itemData0);
    texts.addNew(cellTexts, std::span(&slot, 1));
}

std::string_view TVarnGrid_rowInfo::itemDataView(int slot) const
{
    checkSlot(slot);
    return texts.get(VGCellCount + slot);
}

void TVarnGrid_rowInfo::setItemData(int slot, std::string_view text)
{
    checkSlot(slot);
    texts.set(VGCellCount + slot, text);
}
