// Painting a grid's worth of cell texts (70 rows x 10 columns): DrawTextEx on a
// canvas, which reuses one layout and caches fonts, against the naive way of
// making a PangoLayout and font description per cell (the baseline).
#include "NaiveCell.h"

#include "platform/Bitmap.h"
#include "platform/SysUtils.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int rows = 70, columns = 10, cellWidth = 80, rowHeight = 16;

std::vector<AnsiString> cellTexts()
{
    static const char* const words[] = {"Garc\xED" "a", "1.234,56", "Ca\xF1\xF3n", "12/03/2024", "S\xED",
                                        "Cliente preferente con descuento", "Madrid", "0,00", "N\xBA 17", "Pendiente"};
    std::vector<AnsiString> texts;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            texts.push_back(AnsiString(words[(r * 7 + c) % 10]) + " " + std::to_string(r));
    return texts;
}

void naiveLayoutPerCell(benchmark::State& state)
{
    const std::vector<AnsiString> texts = cellTexts();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, columns * cellWidth, rows * rowHeight);
    cairo_t* cr = cairo_create(surface);
    for (auto _ : state) {
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                varn::bench::naiveCell(cr, c * cellWidth, r * rowHeight, cellWidth, rowHeight,
                                       AnsiToUtf8(texts[size_t(r * columns + c)]));
        cairo_surface_flush(surface);
    }
    state.SetItemsProcessed(state.iterations() * rows * columns);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

void drawTextOnCanvas(benchmark::State& state)
{
    const std::vector<AnsiString> texts = cellTexts();
    TBitmap bitmap;
    bitmap.SetSize(columns * cellWidth, rows * rowHeight);
    TCanvas* canvas = bitmap.Canvas();
    for (auto _ : state) {
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                TRect cell{c * cellWidth, r * rowHeight, (c + 1) * cellWidth, (r + 1) * rowHeight};
                canvas->Brush()->SetColor(r % 2 ? clWhite : clSilver);
                canvas->FillRect(cell);
                const AnsiString& text = texts[size_t(r * columns + c)];
                DrawTextEx(canvas->Handle(), text.c_str(), int(text.size()), &cell,
                           DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_END_ELLIPSIS, nullptr);
            }
        cairo_surface_flush(bitmap.surface());
    }
    state.SetItemsProcessed(state.iterations() * rows * columns);
}

}  // namespace

BENCHMARK(naiveLayoutPerCell)->Unit(benchmark::kMillisecond);
BENCHMARK(drawTextOnCanvas)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
