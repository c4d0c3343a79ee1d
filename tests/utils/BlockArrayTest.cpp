#include "utils/BlockArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <set>
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
        result.push_back(array[i]);
    return result;
}

struct Tagged {
    int key;
    char tag;
    static int byKey(const void* a, const void* b)
    {
        return static_cast<const Tagged*>(a)->key - static_cast<const Tagged*>(b)->key;
    }
};

// Counts live elements so that leaks and double deletes show up.
struct Tracked {
    static inline int live = 0;
    int value = 0;
    Tracked() { ++live; }
    Tracked(const Tracked& other) : value(other.value) { ++live; }
    Tracked& operator=(const Tracked&) = default;
    ~Tracked() { --live; }
};

}  // namespace

TEST(BlockArray, InsertDeleteAndIndexErrorsChangeNothing)
{
    nBlockArray<int> array;
    array.Clear();
    *array.Insert(0) = 2;  // into an empty array
    *array.Insert(array.Count()) = 4;
    *array.Insert(1) = 3;
    *array.Add() = 5;
    array.Delete(0);
    EXPECT_EQ(values(array), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(*array.Add(), 0);

    for (int bad : {-1, 4}) {
        EXPECT_THROW(array.Get(bad), EListError);
        EXPECT_THROW(array.Delete(bad), EListError);
    }
    EXPECT_THROW(array.Insert(-1), EListError);
    EXPECT_THROW(array.Insert(5), EListError);
    EXPECT_EQ(values(array), (std::vector<int>{3, 4, 5, 0}));

    std::vector<int> capacities{0};
    array.Clear();
    EXPECT_EQ(array.Capacity(), 0);
    for (int i = 0; i < 200; ++i)
        if (array.Add(), array.Capacity() != capacities.back())
            capacities.push_back(array.Capacity());
    EXPECT_EQ(capacities, (std::vector<int>{0, 4, 8, 12, 28, 44, 60, 76, 95, 118, 147, 183, 228}));
}

TEST(BlockArray, SortMovesPointersOnlyWithTheMiddlePivotPartition)
{
    nBlockArray<int> array;
    for (int v : {50, 10, 40, 30, 20})
        *array.Add() = v;
    int* forty = array.Get(2);
    int* ten = array.Get(1);
    *array.Insert(0) = 60;
    array.Delete(1);
    array.Sort(compareInts);
    EXPECT_EQ(values(array), (std::vector<int>{10, 20, 30, 40, 60}));
    EXPECT_EQ(array.Get(0), ten);
    EXPECT_EQ(array.Get(3), forty);

    // Equal keys show the exact order the partition leaves (traced by hand).
    auto tagsAfterSort = [](std::vector<Tagged> items) {
        nBlockArray<Tagged> tagged;
        for (const Tagged& item : items)
            *tagged.Add() = item;
        tagged.Sort(Tagged::byKey);
        std::string tags;
        for (int i = 0; i < tagged.Count(); ++i)
            tags += tagged[i].tag;
        return tags;
    };
    EXPECT_EQ(tagsAfterSort({{1, 'a'}, {1, 'b'}, {1, 'c'}}), "cba");
    EXPECT_EQ(tagsAfterSort({{2, 'a'}, {1, 'b'}, {2, 'c'}, {1, 'd'}, {2, 'e'}}), "dbeac");
    EXPECT_EQ(tagsAfterSort({}), "");

    array.Clear();
    for (int i = 0; i < 3000; ++i)
        *array.Add() = (i * 7919) % 1000;
    array.Sort([](const void* a, const void* b) { return compareInts(a, b); });
    for (int i = 1; i < array.Count(); ++i)
        ASSERT_LE(array[i - 1], array[i]) << i;
}

// Comparisons that callers can get wrong: none may make the sort touch anything
// but the array's own elements, and every element must still be there afterwards.
TEST(BlockArray, SortStaysInsideTheListWhateverTheComparisonAnswers)
{
    std::mt19937 random(12);
    const std::vector<std::pair<const char*, std::function<int(int, int)>>> comparisons = {
        {"always before", [](int, int) { return -1; }},
        {"always after", [](int, int) { return 1; }},
        {"always equal", [](int, int) { return 0; }},
        {"after when not less (true for equal)", [](int a, int b) { return a >= b ? 1 : 0; }},
        {"before when not greater", [](int a, int b) { return a <= b ? -1 : 0; }},
        {"reversed sign", [](int a, int b) { return a == b ? 1 : (a < b ? 1 : -1); }},
        {"random", [&](int, int) { return static_cast<int>(random() % 3) - 1; }},
    };
    for (const auto& [name, answer] : comparisons) {
        for (int count : {1, 2, 3, 5, 16, 17, 100, 1000}) {
            nBlockArray<int> array;
            std::set<const void*> elements;
            for (int i = 0; i < count; ++i) {
                int* item = array.Add();
                *item = static_cast<int>(random() % 4);
                elements.insert(item);
            }
            int strays = 0;
            array.Sort([&](const void* a, const void* b) {
                if (!elements.count(a) || !elements.count(b))
                    return ++strays, 0;
                return answer(*static_cast<const int*>(a), *static_cast<const int*>(b));
            });
            ASSERT_EQ(strays, 0) << name << ", " << count << " elements";
            std::set<const void*> after;
            for (int i = 0; i < array.Count(); ++i)
                after.insert(array.Get(i));
            ASSERT_EQ(after, elements) << name << ", " << count << " elements";
        }
    }

    // A sound comparison still sorts, duplicates and all.
    nBlockArray<int> array;
    std::vector<int> expected;
    for (int i = 0; i < 5000; ++i)
        expected.push_back(*array.Add() = static_cast<int>(random() % 5));
    std::sort(expected.begin(), expected.end());
    array.Sort(compareInts);
    EXPECT_EQ(values(array), expected);
}

TEST(BlockArray, OwnsAndCopiesItsElements)
{
    {
        sArray<Tracked> array;
        array.Add(Tracked{});
        array.Get(0).value = 7;
        array.Add(array.Get(0));  // an element of the same array
        EXPECT_EQ(array.Get(1).value, 7);
        sArray<Tracked> copy(array);
        copy = array;
        EXPECT_EQ(Tracked::live, 4);
        array.Delete(1);
        EXPECT_EQ(Tracked::live, 3);
    }
    EXPECT_EQ(Tracked::live, 0);  // the destructors clear through the typed DeleteItem
}

TEST(StringArray, SplitJoinAndPut)
{
    nStringArray list;
    const std::vector<std::pair<AnsiString, AnsiString>> cases = {
        {"a,b", "a|b"}, {"a,,b", "a||b"}, {"a,", "a|"}, {",", "|"}, {"x", "x"}, {"1:255,", "1:255|"},
    };
    for (const auto& [text, joined] : cases) {
        list.Split(text, ",");
        EXPECT_EQ(list.Join("|", ""), joined) << text;
    }
    EXPECT_EQ(list.Count(), 2);
    list.Split("", ",");
    EXPECT_EQ(list.Count(), 0);
    list.Split("a;b,c", ",;");
    EXPECT_EQ(list.Join(",", "'"), "'a','b','c'");

    list.Put(0, list.Get(2));
    list.Delete(2);
    EXPECT_EQ(list.Join(",", ""), "c,b");
    EXPECT_THROW(list.Put(2, "x"), EListError);
    EXPECT_THROW(list.Get(-1), EListError);
}
