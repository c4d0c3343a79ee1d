// A form description with N sibling panels on one form:
//   Read     ReadComponentText of the whole form (every panel is inserted into the
//            form's component list and its control list, and every earlier sibling
//            hears of it)
//   Delete   deleting the form with its N panels
// The form has no window, so only the component and control bookkeeping is measured.
// Run by hand: build/bench/bench_sibling_components
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/Streaming.h"
#include "platform/SysUtils.h"

#include <benchmark/benchmark.h>

namespace {

AnsiString formText(int panels)
{
    AnsiString text = "object Form1: TForm\n  Caption = 'Siblings'\n";
    for (int i = 0; i < panels; ++i) {
        text += "  object Panel" + IntToStr(i + 1) + ": TPanel\n";
        text += "    Left = " + IntToStr(i % 100 * 8) + "\n    Top = " + IntToStr(i / 100 * 8) + "\n";
        text += "    Width = 8\n    Height = 8\n  end\n";
    }
    return text + "end\n";
}

void Read(benchmark::State& state)
{
    const AnsiString text = formText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto* form = new TForm(nullptr);
        ReadComponentText(text, form);
        benchmark::DoNotOptimize(form->ComponentCount());
        state.PauseTiming();
        delete form;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void Delete(benchmark::State& state)
{
    const AnsiString text = formText(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto* form = new TForm(nullptr);
        ReadComponentText(text, form);
        state.ResumeTiming();
        delete form;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(Read)->Arg(1000)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(Delete)->Arg(1000)->Arg(4000)->Arg(8000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

BENCHMARK_MAIN();
