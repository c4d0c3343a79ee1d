// Ordered arrays of separately allocated elements, and a list of texts.
#pragma once

#include "platform/SysUtils.h"
#include "platform/win/Types.h"

#include <utility>
#include <vector>

// An ordered array of element blocks that the array itself creates and
// destroys. Only the pointers move on insert, delete and sort, so an element's
// address stays valid for as long as the element exists.
class nBlockArray_base {
public:
    nBlockArray_base() = default;
    nBlockArray_base(const nBlockArray_base&) = delete;
    nBlockArray_base& operator=(const nBlockArray_base&) = delete;
    // Derived destructors call Clear(): here the virtual DeleteItem() is
    // already the base one and would leak every element.
    virtual ~nBlockArray_base() = default;

    int Count() const { return static_cast<int>(items.size()); }
    int Capacity() const { return static_cast<int>(items.capacity()); }
    // Room for this many elements in all, for a caller that knows how many follow.
    void Reserve(int count)
    {
        if (count > Capacity())
            items.reserve(static_cast<size_t>(count));
    }

    // Throws EListError for an index outside 0..Count()-1.
    void* Get(int i) const
    {
        checkIndex(i, Count());
        return items[static_cast<size_t>(i)];
    }
    void* Add();
    // i == Count() appends.
    void* Insert(int i);
    void Delete(int i);
    void Clear();

    // Reorders the pointers only. compare(a, b) < 0 puts a before b. Not stable.
    void Sort(int (*compare)(const void* a, const void* b)) { sortPointers(compare); }
    template <typename Compare>
    void Sort(Compare compare) { sortPointers(compare); }

protected:
    virtual void DeleteItem(void* item) { (void)item; }
    virtual void* NewItem() { return nullptr; }

    nBlockArray_base(nBlockArray_base&& other) noexcept : items(std::move(other.items)) { other.items = {}; }
    void swapItems(nBlockArray_base& other) noexcept { items.swap(other.items); }

    static void checkIndex(int i, int count)
    {
        if (i < 0 || i >= count)
            ListIndexError(i);
    }

    std::vector<void*> items;  // element pointers in array order, all owned

private:
    void reserveForOneMore();
    template <typename Compare>
    void sortPointers(Compare& compare);
    template <typename Compare>
    void quickSort(int left, int right, Compare& compare);
};

template <typename T>
class nBlockArray : public nBlockArray_base {
public:
    nBlockArray() = default;
    nBlockArray(const nBlockArray& other) : nBlockArray_base() { copyFrom(other); }
    nBlockArray(nBlockArray&& other) noexcept : nBlockArray_base(std::move(other)) {}
    nBlockArray& operator=(const nBlockArray& other)
    {
        if (this != &other) {
            nBlockArray copy(other);
            swapItems(copy);
        }
        return *this;
    }
    nBlockArray& operator=(nBlockArray&& other) noexcept
    {
        if (this != &other) {
            Clear();
            swapItems(other);
        }
        return *this;
    }
    ~nBlockArray() override { Clear(); }

    T* Get(int i) const { return static_cast<T*>(nBlockArray_base::Get(i)); }
    T& operator[](int i) const { return *Get(i); }
    T* Add() { return static_cast<T*>(nBlockArray_base::Add()); }
    T* Insert(int i) { return static_cast<T*>(nBlockArray_base::Insert(i)); }

protected:
    void DeleteItem(void* item) override { delete static_cast<T*>(item); }
    void* NewItem() override { return new T(); }

private:
    void copyFrom(const nBlockArray& other)
    {
        items.reserve(other.items.size());
        try {
            for (void* item : other.items)
                items.push_back(new T(*static_cast<const T*>(item)));
        } catch (...) {
            Clear();
            throw;
        }
    }
};

// nBlockArray with value-style access: Add(value) appends a copy and Get(i)
// gives the element itself rather than a pointer to it.
template <typename T>
class sArray : public nBlockArray<T> {
public:
    using nBlockArray<T>::Add;

    T* Add(const T& value)
    {
        T* item = nBlockArray<T>::Add();  // elements never move, so value stays valid
        *item = value;
        return item;
    }
    T& Get(int i) const { return *nBlockArray<T>::Get(i); }
};

// An ordered list of texts (duplicates allowed) with splitting and joining.
class nStringArray {
public:
    int Count() const { return static_cast<int>(list.size()); }
    // Index errors raise EListError, as for the block arrays.
    const AnsiString& Get(int i) const;
    void Add(const AnsiString& text) { list.push_back(text); }
    void Put(int i, const AnsiString& text);
    void Delete(int i);
    void Clear() { list.clear(); }

    // Replaces the content by the pieces of text cut at every character of
    // delimiters. A non-empty text with n delimiters gives n+1 pieces; the
    // empty text gives none.
    void Split(const AnsiString& text, const AnsiString& delimiters);
    // separator between elements, each element between two quotes.
    AnsiString Join(const AnsiString& separator, const AnsiString& quote) const;

private:
    std::vector<AnsiString> list;
};

using sStringArray = nStringArray;

// ---- Sorting ----------------------------------------------------------------

template <typename Compare>
void nBlockArray_base::sortPointers(Compare& compare)
{
    if (!items.empty())
        quickSort(0, Count() - 1, compare);
}

// Quicksort on the pointer list: pivot in the middle of the range. With a
// consistent comparison the pivot stops both scans; the bounds on the scans keep
// a comparison that is not (one that calls equal elements unequal, or answers at
// random) inside the range, and each pass still leaves both parts smaller than
// the range, so the sort ends. The smaller part is sorted by recursion and the
// larger by the loop, which keeps the recursion depth below log2(Count()).
template <typename Compare>
void nBlockArray_base::quickSort(int left, int right, Compare& compare)
{
    void** list = items.data();
    while (left < right) {
        int i = left;
        int j = right;
        const void* pivot = list[(left + right) / 2];
        do {
            while (i < right && compare(static_cast<const void*>(list[i]), pivot) < 0)
                ++i;
            while (j > left && compare(static_cast<const void*>(list[j]), pivot) > 0)
                --j;
            if (i <= j) {
                std::swap(list[i], list[j]);
                ++i;
                --j;
            }
        } while (i <= j);
        // left..j and i..right are sorted apart; which goes first changes nothing.
        if (j - left < right - i) {
            if (left < j)
                quickSort(left, j, compare);
            left = i;
        } else {
            if (i < right)
                quickSort(i, right, compare);
            right = j;
        }
    }
}
