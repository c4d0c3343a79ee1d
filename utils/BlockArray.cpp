#include "utils/BlockArray.h"

// The pointer list grows only when full: by a quarter above 64 entries, by 16
// above 8, else by 4. Reserving before NewItem() leaves the array unchanged
// when either allocation fails.
void nBlockArray_base::reserveForOneMore()
{
    size_t capacity = items.capacity();
    if (items.size() < capacity)
        return;
    size_t delta = capacity > 64 ? capacity / 4 : capacity > 8 ? 16 : 4;
    items.reserve(capacity + delta);
}

void* nBlockArray_base::Add()
{
    reserveForOneMore();
    void* item = NewItem();
    items.push_back(item);
    return item;
}

void* nBlockArray_base::Insert(int i)
{
    checkIndex(i, Count() + 1);
    reserveForOneMore();
    void* item = NewItem();
    items.insert(items.begin() + i, item);
    return item;
}

void nBlockArray_base::Delete(int i)
{
    checkIndex(i, Count());
    DeleteItem(items[static_cast<size_t>(i)]);
    items.erase(items.begin() + i);
}

void nBlockArray_base::Clear()
{
    for (void* item : items)
        DeleteItem(item);
    // Release the storage too: a grid of a million rows gives it back here.
    std::vector<void*>().swap(items);
}

// ---- nStringArray -----------------------------------------------------------

const AnsiString& nStringArray::Get(int i) const
{
    if (i < 0 || i >= Count())
        ListIndexError(i);
    return list[static_cast<size_t>(i)];
}

void nStringArray::Put(int i, const AnsiString& text)
{
    if (i < 0 || i >= Count())
        ListIndexError(i);
    list[static_cast<size_t>(i)] = text;
}

void nStringArray::Delete(int i)
{
    if (i < 0 || i >= Count())
        ListIndexError(i);
    list.erase(list.begin() + i);
}

void nStringArray::Split(const AnsiString& text, const AnsiString& delimiters)
{
    list.clear();
    if (text.empty())
        return;
    size_t start = 0;
    for (size_t k = 0; k < text.size(); ++k) {
        if (delimiters.find(text[k]) != AnsiString::npos) {
            list.push_back(text.substr(start, k - start));
            start = k + 1;
        }
    }
    list.push_back(text.substr(start));
}

AnsiString nStringArray::Join(const AnsiString& separator, const AnsiString& quote) const
{
    AnsiString result;
    for (size_t k = 0; k < list.size(); ++k) {
        if (k > 0)
            result += separator;
        result += quote;
        result += list[k];
        result += quote;
    }
    return result;
}
