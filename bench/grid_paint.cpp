// A full repaint of a 1920 x 1080 grid (10 columns, 70 visible rows, texts of
// 10 to 30 characters) against the naive floor: plain Cairo and Pango drawing
// the same texts in the same rectangles with one layout per cell.
#include "NaiveCell.h"

#include "grid/VGScrollBox.h"
#include "grid/VarnGrid.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int columns = 10, visibleRows = 70, rowHeight = 15, rowCount = 500;
constexpr int width = 1920, columnWidth = 190, height = 18 + visibleRows * rowHeight + 12;

AnsiString cellText(int row, int col)
{
    static const char* const words[] = {"Garc\xED" "a", "Madrid", "Ca\xF1\xF3n", "pendiente", "cliente",
                                        "preferente", "1.234,56", "descuento", "N\xBA", "S\xED"};
    AnsiString text;
    size_t length = 10 + size_t(row * 7 + col * 13) % 21;  // 10..30 characters
    for (int k = 0; text.size() < length; ++k)
        text += AnsiString(words[(row + col + k) % 10]) + " ";
    text.resize(length);
    return text;
}

void naiveLayoutPerCell(benchmark::State& state)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    std::vector<std::string> texts;
    for (int r = 0; r <= visibleRows; ++r)
        for (int c = 0; c < columns; ++c)
            texts.push_back(AnsiToUtf8(" " + cellText(r, c)));
    for (auto _ : state) {
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        for (int r = 0; r <= visibleRows; ++r)
            for (int c = 0; c < columns; ++c)
                varn::bench::naiveCell(cr, c * columnWidth, r * rowHeight, columnWidth, rowHeight,
                                       texts[size_t(r * columns + c)]);
        cairo_surface_flush(surface);
    }
    state.SetItemsProcessed(state.iterations() * (visibleRows + 1) * columns);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

void gridRepaint(benchmark::State& state)
{
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetBounds(0, 0, width, height);
    form->SetClientWidth(width);
    form->SetClientHeight(height);
    auto* grid = new TVarnGrid(form);
    grid->SetParent(form);
    grid->SetAlign(alClient);
    for (int c = 0; c < columns; ++c) {
        TVGColumn* column = grid->Columns()->Add();
        column->SetFieldName("c" + std::to_string(c));
        column->SetCaption("Columna " + std::to_string(c));
        column->SetWidth(columnWidth);
    }
    for (int r = 0; r < rowCount; ++r) {
        grid->AddRow();
        for (int c = 0; c < columns; ++c)
            grid->SetString(r, c, cellText(r, c));
    }
    form->Show();
    Application->ProcessMessages();
    grid->SetRowIndex(3);
    TVGScrollBox* body = grid->Body();
    if (grid->GetNumOfEntireRows() < visibleRows)
        state.SkipWithError("fewer rows visible than wanted");
    long asked = 0;
    grid->OnRowNeedData = [&](int) { ++asked; };
    for (auto _ : state) {
        body->Invalidate();
        body->Update();
    }
    // Rows painted per repaint (71) plus the current row's request.
    state.counters["rowsAskedPerPaint"] = double(asked) / double(state.iterations());
    state.SetItemsProcessed(state.iterations() * (visibleRows + 1) * columns);
    delete form;
}

}  // namespace

BENCHMARK(naiveLayoutPerCell)->Unit(benchmark::kMillisecond);
BENCHMARK(gridRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
