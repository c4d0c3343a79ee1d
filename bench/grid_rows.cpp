// The grid's row store at one million rows, each case next to a floor that does
// the same work without the grid:
//   Append   typed rows of five columns     vs  five converted texts per row in a std::vector
//   Sort     SortBy a string column          vs  std::sort of the same texts' collation keys
//   Sort     SortBy an integer column        vs  std::sort of the same values as ints
//   Find     FindColumnText with no match    vs  a loop folding and searching the same texts
// Run by hand: build/bench/bench_grid_rows
#include "db/DBDate.h"
#include "grid/VarnGrid.h"
#include "grid/VarnRow.h"
#include "platform/SysUtils.h"
#include "utils/Cnvtools.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

constexpr int rowCount = 1'000'000;

struct Values {
    AnsiString name;
    int number;
    sDB_date day;
    AnsiString city;
    double amount;
};

// The same pseudo-random rows on every run.
std::vector<Values> makeValues()
{
    static const char* cities[] = {"Madrid", "Logro\xF1o", "\xC1vila", "C\xE1" "ceres", "Le\xF3n",
                                   "Ja\xE9n", "Barcelona", "M\xE1laga", "A Coru\xF1" "a", "\xDA" "beda"};
    std::vector<Values> values(rowCount);
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (Values& v : values) {
        v.name = "Cliente " + cnvIntToStr(static_cast<int>(next() % 1'000'000));
        v.number = static_cast<int>(next() % 2'000'000) - 1'000'000;
        v.day = sDB_date{static_cast<int>(next() % 28) + 1, static_cast<int>(next() % 12) + 1,
                         1990 + static_cast<int>(next() % 30)};
        v.city = cities[next() % 10];
        v.amount = static_cast<double>(next() % 10'000'000) / 100.0;
    }
    return values;
}

const std::vector<Values>& values()
{
    static const std::vector<Values> data = makeValues();
    return data;
}

struct ClientRow : TVarnRow {
    TVarnDataCol_string name{this, 0};
    TVarnDataCol_integer number{this, 1};
    TVarnDataCol_date day{this, 2};
    TVarnDataCol_string city{this, 3};
    TVarnDataCol_float amount{this, 4};
    using TVarnRow::TVarnRow;
};

std::unique_ptr<TVarnGrid> makeGrid()
{
    auto grid = std::make_unique<TVarnGrid>(nullptr);
    const char* names[] = {"name", "number", "day", "city", "amount"};
    VGDataType types[] = {vgString, vgInteger, vgDate, vgString, vgFloat};
    for (int i = 0; i < 5; ++i) {
        TVGColumn* column = grid->Columns()->Add();
        column->SetFieldName(names[i]);
        column->SetDataType(types[i]);
    }
    return grid;
}

void fill(TVarnGrid& grid)
{
    ClientRow row(&grid);
    for (const Values& v : values()) {
        row.Append();
        row.name = v.name;
        row.number = v.number;
        row.day = v.day;
        row.city = v.city;
        row.amount = v.amount;
    }
}

using PlainRows = std::vector<std::array<AnsiString, 5>>;

void fillPlain(PlainRows& rows)
{
    for (const Values& v : values()) {
        std::array<AnsiString, 5>& row = rows.emplace_back();
        row[0] = v.name;
        row[1] = cnvIntToStr(v.number);
        row[2] = v.day.dateString();
        row[3] = v.city;
        row[4] = cnvDoubleToStr(v.amount, 2);
    }
}

// Heap in use, the large blocks that malloc maps directly included.
size_t heapInUse()
{
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void BM_AppendTypedRows(benchmark::State& state)
{
    values();
    double overhead = 0;
    for (auto _ : state) {
        size_t before = heapInUse();
        auto grid = makeGrid();
        fill(*grid);
        state.PauseTiming();
        size_t textBytes = 0;
        for (int r = 0; r < grid->GetRowCount(); ++r)
            for (int c = 0; c < 5; ++c)
                textBytes += grid->GetRowInfo(r)->cellView(c).size();
        overhead = (static_cast<double>(heapInUse() - before) - static_cast<double>(textBytes)) / rowCount;
        grid.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_row_over_texts"] = overhead;
}
BENCHMARK(BM_AppendTypedRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AppendFloor(benchmark::State& state)
{
    values();
    double overhead = 0;
    for (auto _ : state) {
        size_t before = heapInUse();
        PlainRows rows;
        fillPlain(rows);
        state.PauseTiming();
        size_t textBytes = 0;
        for (const auto& row : rows)
            for (const AnsiString& text : row)
                textBytes += text.size();
        overhead = (static_cast<double>(heapInUse() - before) - static_cast<double>(textBytes)) / rowCount;
        rows = {};
        state.ResumeTiming();
    }
    state.counters["bytes_per_row_over_texts"] = overhead;
}
BENCHMARK(BM_AppendFloor)->Unit(benchmark::kMillisecond)->Iterations(3);

void sortGrid(benchmark::State& state, const char* key)
{
    values();
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = makeGrid();
        fill(*grid);
        state.ResumeTiming();
        grid->SortBy(key);
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
}

void BM_SortByString(benchmark::State& state) { sortGrid(state, "name"); }
BENCHMARK(BM_SortByString)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortStringFloor(benchmark::State& state)
{
    values();
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<AnsiString> texts;
        for (const Values& v : values())
            texts.push_back(v.name);
        state.ResumeTiming();
        std::vector<std::string> keys;
        keys.reserve(texts.size());
        for (const AnsiString& text : texts)
            keys.push_back(AnsiSortKeyText(text));
        std::sort(keys.begin(), keys.end());
        benchmark::DoNotOptimize(keys.data());
    }
}
BENCHMARK(BM_SortStringFloor)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortByInteger(benchmark::State& state) { sortGrid(state, "number"); }
BENCHMARK(BM_SortByInteger)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortIntegerFloor(benchmark::State& state)
{
    values();
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<int> numbers;
        for (const Values& v : values())
            numbers.push_back(v.number);
        state.ResumeTiming();
        std::sort(numbers.begin(), numbers.end());
        benchmark::DoNotOptimize(numbers.data());
    }
}
BENCHMARK(BM_SortIntegerFloor)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FindColumnTextNoMatch(benchmark::State& state)
{
    auto grid = makeGrid();
    fill(*grid);
    grid->SetRowIndex(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(grid->FindColumnText("zz\xF1" "q", "0,3"));
}
BENCHMARK(BM_FindColumnTextNoMatch)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FindFloor(benchmark::State& state)
{
    PlainRows rows;
    fillPlain(rows);
    AnsiString needle = cnvRemoveAccents(AnsiUpperCase("zz\xF1" "q"));
    for (auto _ : state) {
        bool found = false;
        for (size_t r = 1; r < rows.size() && !found; ++r)
            for (int c : {0, 3})
                found = found || cnvRemoveAccents(AnsiUpperCase(rows[r][c])).find(needle) != AnsiString::npos;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_FindFloor)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
