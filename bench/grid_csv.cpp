// CSV files of one million rows of ten columns (four texts, a date, a time, a
// yes/no, an integer, a decimal and a money amount; some nulls, some quoted
// texts): SaveToCSV to a file and LoadFromCSV from it, in UTF-8 with the
// locale's forms. Reported: bytes per second of the file, and how much the
// heap grew while the file was written (the rows are the grid's; writing should
// add no more than its buffer). Target: at least 50 MB/s each way.
// Run by hand: build/bench/bench_grid_csv
#include "grid/VarnGrid.h"
#include "platform/SysUtils.h"
#include "utils/Cnvtools.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

constexpr int rowCount = 1'000'000;

std::unique_ptr<TVarnGrid> makeGrid()
{
    auto grid = std::make_unique<TVarnGrid>(nullptr);
    const VGDataType types[] = {vgString, vgString, vgString, vgString, vgDate,
                                vgTime,   vgBoolean, vgInteger, vgFloat, vgMoney};
    for (int i = 0; i < 10; ++i) {
        TVGColumn* column = grid->Columns()->Add();
        column->SetFieldName("f" + cnvIntToStr(i));
        column->SetCaption("Column " + cnvIntToStr(i));
        column->SetDataType(types[i]);
    }
    return grid;
}

void fill(TVarnGrid& grid)
{
    static const char* cities[] = {"Madrid", "Logro\xF1o", "\xC1vila", "C\xE1" "ceres", "Le\xF3n",
                                   "Ja\xE9n", "Barcelona", "M\xE1laga", "A Coru\xF1" "a", "\xDA" "beda"};
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    char date[16];
    char time[8];
    for (int row = 0; row < rowCount; ++row) {
        grid.AddRow();
        grid.AddString(0, "Cliente " + cnvIntToStr(static_cast<int>(next() % 1'000'000)));
        grid.AddString(1, cities[next() % 10]);
        if (row % 7 != 0)
            grid.AddString(2, "Calle Mayor " + cnvIntToStr(static_cast<int>(next() % 200)) + ", 2\xBA");
        grid.AddString(3, row % 13 == 0 ? AnsiString("dijo \"s\xED\"; luego no") : AnsiString("nota"));
        std::snprintf(date, sizeof date, "%02u/%02u/%04u", next() % 28 + 1, next() % 12 + 1, 1990 + next() % 30);
        grid.AddString(4, date);
        std::snprintf(time, sizeof time, "%02u:%02u", next() % 24, next() % 60);
        grid.AddString(5, time);
        grid.AddString(6, next() % 2 ? "true" : "false");
        grid.AddString(7, cnvIntToStr(static_cast<int>(next() % 2'000'000) - 1'000'000));
        grid.AddString(8, cnvDoubleToStr(static_cast<double>(next() % 100000) / 100.0, 2));
        grid.AddString(9, cnvDoubleToMoney(static_cast<double>(next() % 100'000'000) / 100.0));
    }
}

std::string fileName() { return (std::filesystem::temp_directory_path() / "varn-bench-grid.csv").string(); }

TVarnGrid& filledGrid()
{
    static std::unique_ptr<TVarnGrid> grid = [] {
        auto g = makeGrid();
        fill(*g);
        return g;
    }();
    return *grid;
}

void BM_SaveToCSV(benchmark::State& state)
{
    TVarnGrid& grid = filledGrid();
    size_t heapGrowth = 0;
    for (auto _ : state) {
        size_t before = mallinfo2().uordblks;
        std::ofstream out(fileName(), std::ios::binary | std::ios::trunc);
        grid.SaveToCSV(out);
        out.close();
        size_t after = mallinfo2().uordblks;
        heapGrowth = std::max(heapGrowth, after > before ? after - before : 0);
    }
    auto bytes = static_cast<int64_t>(std::filesystem::file_size(fileName()));
    state.SetBytesProcessed(bytes * state.iterations());
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["heap_growth_KB"] = static_cast<double>(heapGrowth) / 1024.0;
}
BENCHMARK(BM_SaveToCSV)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadFromCSV(benchmark::State& state)
{
    filledGrid();  // the file of the save benchmark, written again if it ran alone
    if (!std::filesystem::exists(fileName())) {
        std::ofstream out(fileName(), std::ios::binary);
        filledGrid().SaveToCSV(out);
    }
    auto bytes = static_cast<int64_t>(std::filesystem::file_size(fileName()));
    for (auto _ : state) {
        state.PauseTiming();
        auto grid = makeGrid();
        state.ResumeTiming();
        std::ifstream in(fileName(), std::ios::binary);
        TVGCsvReport report = grid->LoadFromCSV(in);
        if (report.rows != rowCount)
            state.SkipWithError("wrong row count");
        state.PauseTiming();
        grid.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(bytes * state.iterations());
}
BENCHMARK(BM_LoadFromCSV)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
