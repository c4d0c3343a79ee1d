// Sorting texts in locale order: collating inside the comparison (the baseline)
// against building one sort key per text first, as the grid does for its rows.
#include "platform/SysUtils.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

std::vector<AnsiString> sampleTexts(size_t count)
{
    static const char* const syllables[] = {"ca", "\xF1o", "ma", "RO", "n\xE1", "de", "Ll", "e", "s\xED", "za"};
    std::vector<AnsiString> texts;
    texts.reserve(count);
    unsigned seed = 12345;
    for (size_t i = 0; i < count; ++i) {
        AnsiString text;
        for (int part = 0; part < 4; ++part) {
            seed = seed * 1103515245 + 12345;
            text += syllables[(seed >> 16) % 10];
        }
        texts.push_back(text);
    }
    return texts;
}

void sortByCompareText(benchmark::State& state)
{
    const std::vector<AnsiString> texts = sampleTexts(state.range(0));
    for (auto _ : state) {
        std::vector<AnsiString> sorted = texts;
        std::sort(sorted.begin(), sorted.end(),
                  [](const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) < 0; });
        benchmark::DoNotOptimize(sorted.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void sortBySortKeys(benchmark::State& state)
{
    const std::vector<AnsiString> texts = sampleTexts(state.range(0));
    for (auto _ : state) {
        std::vector<std::string> keys;
        keys.reserve(texts.size());
        for (const AnsiString& text : texts)
            keys.push_back(AnsiSortKeyText(text));
        std::vector<int> order(texts.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
        benchmark::DoNotOptimize(order.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(sortByCompareText)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(sortBySortKeys)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
