// The grid's row store at one million rows of ten short texts (74 bytes of
// text a row), each case next to its floor measured in the same run:
//   append          AddRow and ten SetString     vs  a reserved std::vector<std::array<std::string, 10>>
//   find            FindColumnText over the ten  vs  folding each text through a table, then find
//                   columns, the hit in the last row
//   sort            SortBy a text column         vs  std::sort of the same texts' collation keys
//   teardown        destroying the grid after    vs  destroying it without the sort
//                   a SortBy
// Run by hand: build/bench/bench_grid_store; VARN_BENCH_ROWS=10000000 for ten
// million rows (about 2 GB).
#include "MedianReporter.h"

#include "grid/VarnGrid.h"
#include "platform/SysUtils.h"
#include "utils/Cnvtools.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <array>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int columns = 10;
const int rowCount = [] {
    const char* rows = std::getenv("VARN_BENCH_ROWS");
    return rows && std::atoi(rows) > 1 ? std::atoi(rows) : 1'000'000;
}();
const char* const needle = "zq\xF1x";

using PlainRow = std::array<std::string, columns>;

// The same rows on every run: every text of a row one after the other, cut
// at offsets; 74 bytes a row on average. The last row holds the searched text.
struct Source {
    std::string bytes;
    std::vector<uint32_t> starts;  // columns + 1 offsets per row

    std::string_view text(int row, int col) const
    {
        size_t at = size_t(row) * (columns + 1) + size_t(col);
        return std::string_view(bytes).substr(starts[at], starts[at + 1] - starts[at]);
    }
};

const Source& source()
{
    static const Source data = [] {
        static const char* const cities[] = {"Madrid", "Logro\xF1o", "\xC1vila", "Le\xF3n", "Ja\xE9n", "M\xE1laga"};
        Source s;
        uint32_t seed = 12345;
        auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
        for (int r = 0; r < rowCount; ++r) {
            for (int c = 0; c < columns; ++c) {
                s.starts.push_back(static_cast<uint32_t>(s.bytes.size()));
                if (r == rowCount - 1 && c == columns - 1) {
                    s.bytes += "x" + std::string(needle) + "123";
                    continue;
                }
                switch (c % 5) {
                case 0: s.bytes += "Cliente " + std::to_string(next() % 10000); break;
                case 1: s.bytes += std::to_string(next() % 10000); break;
                case 2: s.bytes += cities[next() % 6]; break;
                case 3: s.bytes += std::to_string(next() % 10000) + ",5"; break;
                default: s.bytes += std::to_string(1 + next() % 28) + "/0" + std::to_string(1 + next() % 9) + "/2024"; break;
                }
            }
            s.starts.push_back(static_cast<uint32_t>(s.bytes.size()));
        }
        return s;
    }();
    return data;
}

size_t heapInUse()
{
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

std::unique_ptr<TVarnGrid> makeGrid()
{
    auto grid = std::make_unique<TVarnGrid>(nullptr);
    for (int c = 0; c < columns; ++c)
        grid->Columns()->Add()->SetFieldName("c" + std::to_string(c));
    return grid;
}

void fill(TVarnGrid& grid)
{
    const Source& s = source();
    for (int r = 0; r < rowCount; ++r) {
        grid.AddRow();
        for (int c = 0; c < columns; ++c)
            grid.SetString(r, c, AnsiString(s.text(r, c)));
    }
}

void fillPlain(std::vector<PlainRow>& rows)
{
    const Source& s = source();
    rows.reserve(rowCount);
    for (int r = 0; r < rowCount; ++r) {
        PlainRow& row = rows.emplace_back();
        for (int c = 0; c < columns; ++c)
            row[size_t(c)] = s.text(r, c);
    }
}

double textBytesPerRow() { return double(source().bytes.size()) / rowCount; }

void append(benchmark::State& state)
{
    source();
    double perRow = 0;
    for (auto _ : state) {
        size_t before = heapInUse();
        auto grid = makeGrid();
        fill(*grid);
        state.PauseTiming();
        perRow = double(heapInUse() - before) / rowCount;
        grid.reset();
        state.ResumeTiming();
    }
    state.counters["heap_bytes_per_row"] = perRow;
    state.counters["text_bytes_per_row"] = textBytesPerRow();
}

void appendFloor(benchmark::State& state)
{
    source();
    double perRow = 0;
    for (auto _ : state) {
        size_t before = heapInUse();
        std::vector<PlainRow> rows;
        fillPlain(rows);
        state.PauseTiming();
        perRow = double(heapInUse() - before) / rowCount;
        rows = {};
        state.ResumeTiming();
    }
    state.counters["heap_bytes_per_row"] = perRow;
}

std::unique_ptr<TVarnGrid>& filledGrid()
{
    static std::unique_ptr<TVarnGrid> grid = [] {
        auto g = makeGrid();
        fill(*g);
        return g;
    }();
    return grid;
}

void find(benchmark::State& state)
{
    TVarnGrid& grid = *filledGrid();
    bool found = false;
    for (auto _ : state) {
        state.PauseTiming();
        grid.SetRowIndex(0);
        state.ResumeTiming();
        found = grid.FindColumnText(needle, "0,1,2,3,4,5,6,7,8,9");
        benchmark::DoNotOptimize(found);
    }
    if (!found || grid.GetRowIndex() != rowCount - 1)
        state.SkipWithError("the search missed the last row");
}

// Upper case and accents folded through a table, into a reused buffer: the
// least a case- and accent-blind search does per text.
void findFloor(benchmark::State& state)
{
    static std::vector<PlainRow> rows;
    if (rows.empty())
        fillPlain(rows);
    char map[256];
    for (int c = 0; c < 256; ++c)
        map[c] = cnvRemoveAccent(AnsiUpperCase(AnsiString(1, char(c)))[0]);
    std::string folded;
    std::string key = cnvRemoveAccents(AnsiUpperCase(needle));
    for (auto _ : state) {
        int hit = -1;
        for (size_t r = 1; r < rows.size() && hit < 0; ++r)
            for (const std::string& text : rows[r]) {
                folded.resize(text.size());
                for (size_t i = 0; i < text.size(); ++i)
                    folded[i] = map[static_cast<unsigned char>(text[i])];
                if (folded.find(key) != std::string::npos) {
                    hit = int(r);
                    break;
                }
            }
        benchmark::DoNotOptimize(hit);
    }
}

void sort(benchmark::State& state)
{
    source();
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = makeGrid();
        fill(*grid);
        state.ResumeTiming();
        grid->SortBy("c0");
        state.PauseTiming();
        if (AnsiSortKeyText(grid->GetString(0, 0)) > AnsiSortKeyText(grid->GetString(1, 0)))
            state.SkipWithError("not sorted");
        grid.reset();
        state.ResumeTiming();
    }
}

void sortFloor(benchmark::State& state)
{
    const Source& s = source();
    for (auto _ : state) {
        std::vector<std::string> keys;
        keys.reserve(size_t(rowCount));
        for (int r = 0; r < rowCount; ++r)
            keys.push_back(AnsiSortKeyText(AnsiString(s.text(r, 0))));
        std::sort(keys.begin(), keys.end());
        benchmark::DoNotOptimize(keys.data());
    }
}

void teardown(benchmark::State& state, bool sorted)
{
    source();
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = makeGrid();
        fill(*grid);
        if (sorted)
            grid->SortBy("c1");
        state.ResumeTiming();
        grid.reset();
    }
}

void teardownAfterSort(benchmark::State& state) { teardown(state, true); }
void teardownFloor(benchmark::State& state) { teardown(state, false); }

}  // namespace

int main(int argc, char** argv)
{
    auto each = [](benchmark::internal::Benchmark* b, int iterations) {
        b->Unit(benchmark::kMillisecond)
            ->Iterations(iterations)
            ->Repetitions(rowCount > 1'000'000 ? 3 : 5)
            ->ReportAggregatesOnly(true);
    };
    each(benchmark::RegisterBenchmark("append", append), 1);
    each(benchmark::RegisterBenchmark("appendFloor", appendFloor), 1);
    each(benchmark::RegisterBenchmark("find", find), 3);
    each(benchmark::RegisterBenchmark("findFloor", findFloor), 3);
    each(benchmark::RegisterBenchmark("sort", sort), 1);
    each(benchmark::RegisterBenchmark("sortFloor", sortFloor), 1);
    each(benchmark::RegisterBenchmark("teardownAfterSort", teardownAfterSort), 1);
    each(benchmark::RegisterBenchmark("teardownFloor", teardownFloor), 1);
    varn::bench::MedianReporter reporter;
    varn::bench::runInterleaved(argc, argv, reporter);

    // CPU time: the machine is shared, and waiting for it is no part of the work.
    auto real = [&](const char* name) { return reporter.medians[name].second; };
    if (real("appendFloor") > 0 && real("findFloor") > 0 && real("teardownFloor") > 0) {
        std::printf("\nmedian CPU times at %d rows, ms (ratio to the floor):\n", rowCount);
        std::printf("  append, 10 texts a row:       %.1f vs %.1f (%.2f, at most 1.0)\n", real("append"),
                    real("appendFloor"), real("append") / real("appendFloor"));
        std::printf("  find, hit in the last row:   %.1f vs %.1f (%.2f, at most 1.2)\n", real("find"),
                    real("findFloor"), real("find") / real("findFloor"));
        std::printf("  sort by a text column:       %.1f vs %.1f (%.2f)\n", real("sort"), real("sortFloor"),
                    real("sort") / real("sortFloor"));
        std::printf("  teardown after a sort:       %.1f vs %.1f (%.2f, at most 2)\n", real("teardownAfterSort"),
                    real("teardownFloor"), real("teardownAfterSort") / real("teardownFloor"));
        std::printf("  text %.1f bytes a row; heap per row: see heap_bytes_per_row (at most 170)\n",
                    textBytesPerRow());
    }
    return 0;
}
