// Scrolling a full-HD grid (10 columns, 1920 x 1080) by pages, next to the naive
// floor of one PangoLayout per cell drawing the same cells in the same run:
//   scrollNew/<rows>     every frame shows rows never painted before
//   floorNew             the naive frame of the same cells
//   repaint/<rows>       the same frame painted again
//   floorRepaint         the naive frame of that frame's cells
// scrollNew at 1,000 rows and at 1,000,000 (10,000,000 with VARN_BENCH_10M=1)
// should take the same time: painting does not depend on the row count.
// Run by hand: build/bench/bench_grid_scroll
#include "MedianReporter.h"
#include "NaiveCell.h"

#include "grid/VGScrollBox.h"
#include "grid/VarnGrid.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int columns = 10, rowHeight = 15, width = 1920, height = 1080, columnWidth = 190;

// Ten columns as a data-entry grid has them: some texts unique to the row
// (names, numbers, amounts, codes), some repeated (cities, states, yes/no).
AnsiString cellText(int row, int col)
{
    static const char* const cities[] = {"Madrid", "Logro\xF1o", "\xC1vila", "C\xE1" "ceres", "Le\xF3n",
                                         "Ja\xE9n", "Barcelona", "M\xE1laga", "A Coru\xF1" "a", "\xDA" "beda"};
    static const char* const states[] = {"pendiente", "cobrado", "anulado", "en curso", "devuelto"};
    unsigned mixed = static_cast<unsigned>(row) * 2654435761u;
    switch (col) {
    case 0: return "Cliente " + std::to_string(row);
    case 1: return std::to_string(mixed % 1000000);
    case 2: return std::to_string(1 + row % 28) + "/" + std::to_string(1 + row / 28 % 12) + "/" +
                   std::to_string(1990 + row / 336 % 30);
    case 3: return cities[mixed % 10];
    case 4: return std::to_string(mixed % 100000) + "," + std::to_string(10 + row % 90);
    case 5: return states[row % 5];
    case 6: return std::string("Ca\xF1\xF3n preferente ") + std::to_string(row % 40);
    case 7: return row % 3 ? "S\xED" : "No";
    case 8: return "F-" + std::to_string(row) + "-" + std::to_string(mixed % 97);
    default: return row % 7 ? "sin observaciones" : "revisar con el cliente";
    }
}

// One grid per row count, kept for the whole run.
struct Screen {
    TForm* form = nullptr;
    TVarnGrid* grid = nullptr;
    int pageRows = 0;
    int nextTop = 0;
};

Screen& screenFor(int rowCount)
{
    static std::map<int, std::unique_ptr<Screen>> screens;
    auto& slot = screens[rowCount];
    if (slot)
        return *slot;
    slot = std::make_unique<Screen>();
    Screen& s = *slot;
    Application->CreateForm(s.form);
    s.form->SetBounds(0, 0, width, height);
    s.form->SetClientWidth(width);
    s.form->SetClientHeight(height);
    s.grid = new TVarnGrid(s.form);
    s.grid->SetParent(s.form);
    s.grid->SetAlign(alClient);
    s.grid->SetRowHeight(rowHeight);
    for (int c = 0; c < columns; ++c) {
        TVGColumn* column = s.grid->Columns()->Add();
        column->SetFieldName("c" + std::to_string(c));
        column->SetCaption("Columna " + std::to_string(c));
        column->SetWidth(columnWidth);
    }
    for (int r = 0; r < rowCount; ++r) {
        s.grid->AddRow();
        for (int c = 0; c < columns; ++c)
            s.grid->SetString(r, c, cellText(r, c));
    }
    s.form->Show();
    Application->ProcessMessages();
    s.grid->SetRowIndex(0);
    s.pageRows = s.grid->GetNumOfEntireRows();
    return s;
}

void paintAt(Screen& s, int top)
{
    s.grid->SetRowTop(top);
    s.grid->Body()->Invalidate();
    s.grid->Body()->Update();
}

// Rows from the top of a page to the bottom of the frame, partly shown last one included.
int frameRows(const Screen& s) { return s.pageRows + 1; }

void scrollNew(benchmark::State& state)
{
    Screen& s = screenFor(static_cast<int>(state.range(0)));
    int count = s.grid->GetRowCount();
    for (auto _ : state) {
        // Wrapping round shows texts painted before; the row counts here leave
        // enough pages for every repetition at 1,000,000 rows and above.
        if (s.nextTop + s.pageRows >= count)
            s.nextTop = 0;
        paintAt(s, s.nextTop);
        s.nextTop += frameRows(s);
    }
    state.counters["cells"] = frameRows(s) * columns;
}

void repaint(benchmark::State& state)
{
    Screen& s = screenFor(static_cast<int>(state.range(0)));
    paintAt(s, 0);
    for (auto _ : state)
        paintAt(s, 0);
}

void naiveFrame(cairo_t* cr, int firstRow, int rows)
{
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            varn::bench::naiveCell(cr, c * columnWidth, 18 + r * rowHeight, columnWidth, rowHeight,
                                   AnsiToUtf8(" " + cellText(firstRow + r, c)));
}

void naive(benchmark::State& state, bool newRows)
{
    const int rows = screenFor(1'000'000).pageRows + 1;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    static int nextTop = 0;
    for (auto _ : state) {
        naiveFrame(cr, newRows ? nextTop : 0, rows);
        cairo_surface_flush(surface);
        if (newRows)
            nextTop = (nextTop + rows) % 900'000;
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

void floorNew(benchmark::State& state) { naive(state, true); }
void floorRepaint(benchmark::State& state) { naive(state, false); }

}  // namespace

int main(int argc, char** argv)
{
    auto each = [](benchmark::internal::Benchmark* b) {
        b->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true)->MinTime(0.3);
    };
    const bool tenMillion = std::getenv("VARN_BENCH_10M") && *std::getenv("VARN_BENCH_10M") == '1';
    auto* scrolling = benchmark::RegisterBenchmark("scrollNew", scrollNew)->Arg(1'000'000);
    auto* repainting = benchmark::RegisterBenchmark("repaint", repaint)->Arg(1000)->Arg(1'000'000);
    if (tenMillion) {
        scrolling->Arg(10'000'000);
        repainting->Arg(10'000'000);
    }
    each(scrolling);
    each(benchmark::RegisterBenchmark("floorNew", floorNew));
    each(repainting);
    each(benchmark::RegisterBenchmark("floorRepaint", floorRepaint));
    varn::bench::MedianReporter reporter;
    varn::bench::runInterleaved(argc, argv, reporter);

    // CPU time: the machine is shared, and waiting for it is no part of the work.
    auto real = [&](const char* name) { return reporter.medians[name].second; };
    double floorNewTime = real("floorNew"), floorSame = real("floorRepaint");
    if (floorNewTime > 0 && floorSame > 0) {
        std::printf("\nmedian CPU time a frame, ms (ratio to the naive frame of the same cells):\n");
        std::printf("  new rows, 1,000,000 rows:  %.2f (%.2f, at most 0.6)\n", real("scrollNew/1000000"),
                    real("scrollNew/1000000") / floorNewTime);
        if (tenMillion)
            std::printf("  new rows, 10,000,000 rows: %.2f (%.2f); repaint %.2f (%.2f x the 1,000-row frame)\n",
                        real("scrollNew/10000000"), real("scrollNew/10000000") / floorNewTime,
                        real("repaint/10000000"), real("repaint/10000000") / real("repaint/1000"));
        std::printf("  repaint, 1,000 rows:       %.2f (%.2f, at most 0.45)\n", real("repaint/1000"),
                    real("repaint/1000") / floorSame);
        std::printf("  repaint, 1,000,000 rows:   %.2f (%.2f; %.2f x the 1,000-row frame)\n",
                    real("repaint/1000000"), real("repaint/1000000") / floorSame,
                    real("repaint/1000000") / real("repaint/1000"));
        std::printf("  naive frame: new rows %.2f, same rows %.2f\n", floorNewTime, floorSame);
    }
    return 0;
}
