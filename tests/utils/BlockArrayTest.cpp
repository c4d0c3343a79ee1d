#include "utils/BlockArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

int compareInts(const void* a, const void* b)
{
    return *static_cast<const int*>(a) - *static_cast<const int*>(b);
}

std::vector<int> values(const nBlockArray<int>& array)
{
    std::vector<int> result;
    for (int i = 0; i < array.Count(); ++i)
        result.push_back(*array.Get(i));
    return result;
}

// Counts live elements so leaks and double deletes show up.
struct Tracked {
    static inline int live = 0;
    int value = 0;
    Tracked() { ++live; }
    Tracked(const Tracked& other) : value(other.value) { ++live; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { --live; }
};

}  // namespace

TEST(BlockArray, InsertDeleteAndIndexErrors)
{
    nBlockArray<int> array;
    array.Clear();
    EXPECT_EQ(array.Count(), 0);

    *array.Insert(0) = 2;             // into an empty array
    *array.Insert(array.Count()) = 4;  // appends
    *array.Insert(1) = 3;
    *array.Insert(0) = 1;
    *array.Add() = 5;
    EXPECT_EQ(values(array), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(*array.Add(), 0);  // new elements are value-initialised
    array.Delete(5);

    array.Delete(0);
    array.Delete(array.Count() - 1);
    EXPECT_EQ(values(array), (std::vector<int>{2, 3, 4}));

    for (int bad : {-1, 3}) {
        EXPECT_THROW(array.Get(bad), EListError);
        EXPECT_THROW(array.Delete(bad), EListError);
    }
    EXPECT_THROW(array.Insert(-1), EListError);
    try {
        array.Insert(4);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (4)");
    }
    EXPECT_EQ(values(array), (std::vector<int>{2, 3, 4}));

    array.Clear();
    EXPECT_EQ(array.Count(), 0);
    EXPECT_EQ(array.Capacity(), 0);
}

TEST(BlockArray, CapacityGrowsOnlyWhenFull)
{
    nBlockArray<int> array;
    std::vector<int> seen{array.Capacity()};
    for (int i = 0; i < 200; ++i) {
        array.Add();
        if (array.Capacity() != seen.back())
            seen.push_back(array.Capacity());
    }
    // +4 up to 8, +16 up to 64, then a quarter.
    EXPECT_EQ(seen, (std::vector<int>{0, 4, 8, 12, 28, 44, 60, 76, 95, 118, 147, 183, 228}));
}

TEST(BlockArray, ElementAddressesSurviveInsertDeleteAndSort)
{
    nBlockArray<int> array;
    for (int v : {50, 10, 40, 30, 20})
        *array.Add() = v;
    int* forty = array.Get(2);
    int* ten = array.Get(1);

    *array.Insert(0) = 60;
    array.Delete(1);  // the 50
    EXPECT_EQ(array.Get(2), forty);

    array.Sort(compareInts);
    EXPECT_EQ(values(array), (std::vector<int>{10, 20, 30, 40, 60}));
    EXPECT_EQ(array.Get(0), ten);
    EXPECT_EQ(array.Get(3), forty);
    EXPECT_EQ(*forty, 40);
}

TEST(BlockArray, SortFollowsTheMiddlePivotPartition)
{
    // Equal keys expose the order the partition leaves them in: with the pivot
    // at (L+R)/2 and swaps of equal elements, 3 elements of key 1 tagged a,b,c
    // come out reversed.
    struct Item {
        int key;
        char tag;
    };
    nBlockArray<Item> array;
    for (Item item : {Item{1, 'a'}, Item{1, 'b'}, Item{1, 'c'}})
        *array.Add() = item;
    auto byKey = [](const void* a, const void* b) {
        return static_cast<const Item*>(a)->key - static_cast<const Item*>(b)->key;
    };
    array.Sort(byKey);
    std::string tags;
    for (int i = 0; i < array.Count(); ++i)
        tags += array.Get(i)->tag;
    EXPECT_EQ(tags, "cba");

    nBlockArray<Item> mixed;
    for (Item item : {Item{2, 'a'}, Item{1, 'b'}, Item{2, 'c'}, Item{1, 'd'}, Item{2, 'e'}})
        *mixed.Add() = item;
    mixed.Sort(byKey);
    tags.clear();
    for (int i = 0; i < mixed.Count(); ++i)
        tags += mixed.Get(i)->tag;
    EXPECT_EQ(tags, "dbeac");  // traced by hand through both partitions

    nBlockArray<int> empty;
    empty.Sort(compareInts);
    EXPECT_EQ(empty.Count(), 0);
}

TEST(BlockArray, SortsLargeArraysLikeStdSort)
{
    nBlockArray<int> array;
    std::vector<int> expected;
    unsigned seed = 12345;
    for (int i = 0; i < 5000; ++i) {
        seed = seed * 1103515245u + 12345u;
        int v = static_cast<int>((seed >> 16) % 1000);
        *array.Add() = v;
        expected.push_back(v);
    }
    std::sort(expected.begin(), expected.end());
    array.Sort([](const void* a, const void* b) { return compareInts(a, b); });
    EXPECT_EQ(values(array), expected);
}

TEST(BlockArray, OwnsItsElements)
{
    {
        sArray<Tracked> array;
        Tracked t;
        t.value = 7;
        array.Add(t);
        array.Add(array.Get(0));  // copying an element of the same array
        array.Add();
        EXPECT_EQ(array.Get(1).value, 7);
        EXPECT_EQ(Tracked::live, 4);

        sArray<Tracked> copy(array);
        EXPECT_EQ(Tracked::live, 7);
        EXPECT_NE(copy.nBlockArray<Tracked>::Get(0), array.nBlockArray<Tracked>::Get(0));
        copy = array;
        EXPECT_EQ(Tracked::live, 7);

        array.Delete(2);
        EXPECT_EQ(Tracked::live, 6);
    }
    EXPECT_EQ(Tracked::live, 0);  // destructors clear through the typed DeleteItem
}

TEST(StringArray, SplitCornerCases)
{
    nStringArray list;
    auto pieces = [&](const AnsiString& text, const AnsiString& delimiters) {
        list.Split(text, delimiters);
        std::vector<AnsiString> result;
        for (int i = 0; i < list.Count(); ++i)
            result.push_back(list.Get(i));
        return result;
    };
    using V = std::vector<AnsiString>;
    EXPECT_EQ(pieces("a,b", ","), (V{"a", "b"}));
    EXPECT_EQ(pieces("a,,b", ","), (V{"a", "", "b"}));
    EXPECT_EQ(pieces("a,", ","), (V{"a", ""}));
    EXPECT_EQ(pieces(",", ","), (V{"", ""}));
    EXPECT_EQ(pieces("x", ","), (V{"x"}));
    EXPECT_EQ(pieces("1:255,", ","), (V{"1:255", ""}));
    EXPECT_EQ(pieces("a;b,c", ",;"), (V{"a", "b", "c"}));
    EXPECT_EQ(pieces("", ","), V{});  // also drops the previous content
}

TEST(StringArray, JoinPutDelete)
{
    nStringArray list;
    EXPECT_EQ(list.Join(",", "'"), "");
    list.Add("a");
    list.Add("b");
    EXPECT_EQ(list.Join(",", ""), "a,b");
    EXPECT_EQ(list.Join(",", "'"), "'a','b'");

    list.Add("c");
    list.Put(1, "B");
    list.Put(0, list.Get(2));
    EXPECT_EQ(list.Join("|", ""), "c|B|c");
    list.Delete(0);
    EXPECT_EQ(list.Join("|", ""), "B|c");
    EXPECT_THROW(list.Put(2, "x"), EListError);
    EXPECT_THROW(list.Get(-1), EListError);
    EXPECT_THROW(list.Delete(2), EListError);
    EXPECT_EQ(list.Count(), 2);
}
