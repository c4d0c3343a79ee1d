// Block arrays driven by the input against a std::vector model: every insert, delete,
// index error, sort, copy and move must leave the array holding what the model
// holds, each element at its own address for as long as it lives, and no element
// leaked or freed twice. The string list is checked the same way.
#include "support/FuzzInput.h"

#include "utils/BlockArray.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

using varn::fuzz::Input;

// An element that knows whether it is alive, so that a use after free, a leak or a
// double delete shows up as a failed check rather than by chance.
struct Element {
    static inline int live = 0;
    int value = 0;
    int id = 0;  // who it is, unchanged by copying between arrays
    bool alive = true;
    Element() { ++live; }
    Element(const Element& other) : value(other.value), id(other.id) { ++live; }
    Element& operator=(const Element&) = default;
    ~Element()
    {
        FUZZ_CHECK(alive);
        alive = false;
        --live;
    }
};

struct Model {
    int value;
    int id;
    const Element* address;  // null for copies whose address is not known yet
};

void checkSame(const nBlockArray<Element>& array, std::vector<Model>& model)
{
    FUZZ_CHECK(array.Count() == static_cast<int>(model.size()));
    for (int i = 0; i < array.Count(); ++i) {
        const Element* element = array.Get(i);
        FUZZ_CHECK(element->alive && element->value == model[i].value && element->id == model[i].id);
        if (model[i].address)
            FUZZ_CHECK(element == model[i].address);
        model[i].address = element;
    }
}

bool throwsListError(auto operation)
{
    try {
        operation();
    } catch (const EListError&) {
        return true;
    }
    return false;
}

void blockArrays(Input& input)
{
    nBlockArray<Element> array;
    std::vector<Model> model;
    int nextId = 0;
    for (int step = 0; step < 200 && !input.empty(); ++step) {
        const int count = array.Count();
        switch (input.range(0, 9)) {
        case 0: {
            Element* element = array.Add();
            element->value = input.range(0, 15);
            element->id = nextId++;
            model.push_back({element->value, element->id, element});
            break;
        }
        case 1: {
            const int index = input.range(-2, count + 2);
            if (index < 0 || index > count) {
                FUZZ_CHECK(throwsListError([&] { array.Insert(index); }));
                break;
            }
            Element* element = array.Insert(index);
            FUZZ_CHECK(element->value == 0);
            element->value = input.range(0, 15);
            element->id = nextId++;
            model.insert(model.begin() + index, {element->value, element->id, element});
            break;
        }
        case 2: {
            const int index = input.range(-2, count + 1);
            if (index < 0 || index >= count) {
                FUZZ_CHECK(throwsListError([&] { array.Delete(index); }));
                FUZZ_CHECK(throwsListError([&] { array.Get(index); }));
                break;
            }
            array.Delete(index);
            model.erase(model.begin() + index);
            break;
        }
        case 3:
            array.Clear();
            model.clear();
            break;
        case 4:
        case 5: {
            // A consistent order: by value, ties in any order.
            const bool descending = input.flag();
            array.Sort([descending](const void* a, const void* b) {
                int x = static_cast<const Element*>(a)->value, y = static_cast<const Element*>(b)->value;
                return descending ? y - x : x - y;
            });
            for (int i = 1; i < array.Count(); ++i)
                FUZZ_CHECK(descending ? array[i - 1].value >= array[i].value : array[i - 1].value <= array[i].value);
            // The same elements at the same addresses, only their order changed.
            std::map<int, const Element*> byId;
            for (const Model& m : model)
                byId[m.id] = m.address;
            model.clear();
            for (int i = 0; i < array.Count(); ++i) {
                FUZZ_CHECK(byId.count(array[i].id) && byId[array[i].id] == array.Get(i));
                model.push_back({array[i].value, array[i].id, array.Get(i)});
            }
            break;
        }
        case 6: {
            // A comparison that answers anything (inconsistent, "less" for equal
            // elements): the sort must still end, and only reorder the elements it has.
            std::vector<uint8_t> answers;
            for (int k = input.range(1, 16); k > 0; --k)
                answers.push_back(input.byte());
            size_t calls = 0;
            const size_t budget = 4 * size_t(count) * size_t(count) + 64;  // quicksort needs n*n/2 at worst
            struct Endless {};
            std::set<const void*> elements;
            for (int i = 0; i < count; ++i)
                elements.insert(array.Get(i));
            try {
                array.Sort([&](const void* a, const void* b) {
                    // Only the array's own elements are ever compared.
                    FUZZ_CHECK(elements.count(a) && elements.count(b));
                    if (++calls > budget)
                        throw Endless();
                    return int(answers[calls % answers.size()] % 3) - 1;
                });
            } catch (const Endless&) {
                std::fprintf(stderr, "sorting %d elements took more than %zu comparisons\n", count, budget);
                FUZZ_CHECK(!"a sort ends whatever the comparison answers");
            }
            std::vector<int> before, after;
            for (const Model& m : model)
                before.push_back(m.id);
            model.clear();
            for (int i = 0; i < array.Count(); ++i) {
                after.push_back(array[i].id);
                model.push_back({array[i].value, array[i].id, array.Get(i)});
            }
            std::sort(before.begin(), before.end());
            std::sort(after.begin(), after.end());
            FUZZ_CHECK(before == after);
            break;
        }
        case 7: {
            // Copies hold equal elements of their own; the original is untouched.
            auto unplaced = [&] {
                std::vector<Model> result = model;
                for (Model& m : result)
                    m.address = nullptr;
                return result;
            };
            nBlockArray<Element> copy(array);
            std::vector<Model> copyModel = unplaced();
            checkSame(copy, copyModel);
            for (int i = 0; i < copy.Count(); ++i)
                FUZZ_CHECK(copy.Get(i) != array.Get(i));
            nBlockArray<Element> assigned;
            assigned.Add()->value = 99;
            assigned = copy;
            std::vector<Model> assignedModel = unplaced();
            checkSame(assigned, assignedModel);
            if (input.flag()) {
                // Moving keeps the very elements of the copy.
                array = std::move(copy);
                model = copyModel;
            }
            break;
        }
        case 8: {
            nBlockArray<Element> moved(std::move(array));
            checkSame(moved, model);
            FUZZ_CHECK(array.Count() == 0);
            array = std::move(moved);
            break;
        }
        case 9: {
            const int index = input.range(-1, count);
            if (index < 0 || index >= count)
                FUZZ_CHECK(throwsListError([&] { array.Get(index); }));
            else
                FUZZ_CHECK(array[index].id == model[index].id);
            break;
        }
        }
        checkSame(array, model);
    }
}

void stringArrays(Input& input)
{
    nStringArray list;
    std::vector<AnsiString> model;
    const AnsiString delimiters = input.text(4);
    const AnsiString text = input.text(200);
    list.Split(text, delimiters);
    // n delimiters give n + 1 pieces that join back into the text.
    if (!text.empty()) {
        size_t cuts = std::count_if(text.begin(), text.end(), [&](char c) { return delimiters.find(c) != AnsiString::npos; });
        FUZZ_CHECK(list.Count() == static_cast<int>(cuts) + 1);
        if (delimiters.size() == 1)
            FUZZ_CHECK(list.Join(delimiters, "") == text);
    } else {
        FUZZ_CHECK(list.Count() == 0);
    }
    for (int i = 0; i < list.Count(); ++i)
        model.push_back(list.Get(i));

    for (int step = 0; step < 50 && !input.empty(); ++step) {
        const int count = list.Count();
        const int index = input.range(-1, count);
        const bool inside = index >= 0 && index < count;
        switch (input.range(0, 3)) {
        case 0: {
            AnsiString value = input.text(8);
            list.Add(value);
            model.push_back(value);
            break;
        }
        case 1: {
            AnsiString value = input.text(8);
            FUZZ_CHECK(throwsListError([&] { list.Put(index, value); }) == !inside);
            if (inside)
                model[index] = value;
            break;
        }
        case 2:
            FUZZ_CHECK(throwsListError([&] { list.Delete(index); }) == !inside);
            if (inside)
                model.erase(model.begin() + index);
            break;
        case 3:
            FUZZ_CHECK(throwsListError([&] { (void)list.Get(index); }) == !inside);
            break;
        }
        FUZZ_CHECK(list.Count() == static_cast<int>(model.size()));
        AnsiString joined;
        for (size_t i = 0; i < model.size(); ++i)
            joined += (i ? "|" : "") + ("'" + model[i] + "'");
        FUZZ_CHECK(list.Join("|", "'") == joined);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    const int liveBefore = Element::live;
    blockArrays(input);
    FUZZ_CHECK(Element::live == liveBefore);
    stringArrays(input);
    return 0;
}
