#include "grid/VGRowInfo.h"

#include "platform/SysUtils.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace varn::detail {

namespace {

constexpr size_t blockHeader = 8;  // uint32 used + uint32 capacity
constexpr size_t minimumCapacity = 48;
constexpr unsigned char longLength = 255;

uint32_t readUint32(const char* at)
{
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void writeUint32(char* at, uint32_t value) { std::memcpy(at, &value, sizeof value); }

size_t headerSizeFor(size_t length) { return length < longLength ? 2 : 6; }

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
        writeUint32(block + 4, static_cast<uint32_t>(used));
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

TVGRowTexts::Found TVGRowTexts::find(int key) const
{
    if (!block)
        return {};
    const char* end = block + readUint32(block);
    char* at = block + blockHeader;
    while (at < end) {
        size_t length = static_cast<unsigned char>(at[1]);
        size_t header = 2;
        if (length == longLength) {
            length = readUint32(at + 2);
            header = 6;
        }
        if (static_cast<unsigned char>(at[0]) == key)
            return {at, header, length};
        at += header + length;
    }
    return {};
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
    size_t capacity = block ? readUint32(block + 4) : 0;
    if (needed <= capacity)
        return;
    size_t grown = std::max({needed, capacity + capacity / 2, minimumCapacity});
    char* larger = static_cast<char*>(std::realloc(block, grown));
    if (!larger)
        throw std::bad_alloc();
    if (!block)
        writeUint32(larger, blockHeader);
    block = larger;
    writeUint32(block + 4, static_cast<uint32_t>(grown));
}

void TVGRowTexts::set(int key, std::string_view text)
{
    Found found = find(key);
    if (found.entry && found.length == text.size()) {
        std::memmove(found.entry + found.headerSize, text.data(), text.size());
        return;
    }
    // text may point into this block: keep a copy while entries move.
    AnsiString copy(text);
    if (found.entry) {
        size_t used = readUint32(block);
        size_t entrySize = found.headerSize + found.length;
        char* after = found.entry + entrySize;
        std::memmove(found.entry, after, static_cast<size_t>(block + used - after));
        used -= entrySize;
        writeUint32(block, static_cast<uint32_t>(used));
        if (used == blockHeader) {
            std::free(block);
            block = nullptr;
        }
    }
    if (copy.empty())
        return;
    size_t used = block ? readUint32(block) : blockHeader;
    size_t entrySize = headerSizeFor(copy.size()) + copy.size();
    reserve(used + entrySize);
    writeEntry(block + used, key, copy);
    writeUint32(block, static_cast<uint32_t>(used + entrySize));
}

void TVGRowTexts::clear()
{
    std::free(block);
    block = nullptr;
}

void TVGRowTexts::addNew(std::span<const Entry> entries, std::span<const Entry> moreEntries)
{
    size_t used = block ? readUint32(block) : blockHeader;
    size_t needed = used;
    for (std::span<const Entry> part : {entries, moreEntries})
        for (const auto& [key, text] : part)
            if (!text.empty())
                needed += headerSizeFor(text.size()) + text.size();
    size_t capacity = block ? readUint32(block + 4) : 0;
    if (needed > capacity) {
        char* larger = static_cast<char*>(std::realloc(block, needed));
        if (!larger)
            throw std::bad_alloc();
        if (!block)
            writeUint32(larger, blockHeader);
        block = larger;
        writeUint32(block + 4, static_cast<uint32_t>(needed));
    }
    bool wasEmpty = used == blockHeader;
    for (std::span<const Entry> part : {entries, moreEntries}) {
        for (const auto& [key, text] : part) {
            if (text.empty())
                continue;
            if (!wasEmpty && find(key).entry) {
                set(key, text);
                continue;
            }
            used = readUint32(block);
            writeEntry(block + used, key, text);
            writeUint32(block, static_cast<uint32_t>(used + headerSizeFor(text.size()) + text.size()));
        }
    }
    if (block && readUint32(block) == blockHeader) {
        std::free(block);
        block = nullptr;
    }
}

size_t TVGRowTexts::heapBytes() const { return block ? readUint32(block + 4) : 0; }

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

TVarnGrid_rowInfo::TVarnGrid_rowInfo()
{
    isNull.set();
    std::fill(std::begin(cellAttr), std::end(cellAttr), int8_t(-1));
}

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
