// A grid on a shown form of the headless screen, with helpers that read its
// pixels and write down its row events.
#pragma once

#include "grid/VGHead.h"
#include "grid/VGScrollBox.h"
#include "grid/VarnGrid.h"
#include "support/UiHarness.h"

#include <string>

namespace varn::test {

struct GridScreen {
    UiHarness ui;
    TForm* form = nullptr;
    TVarnGrid* grid = nullptr;

    // A grid whose body is bodyWidth x bodyHeight (under an 18-pixel header),
    // with columns of the given widths named c0, c1 ...
    explicit GridScreen(std::initializer_list<int> widths = {60, 80, 70}, int bodyWidth = 300, int bodyHeight = 100)
    {
        form = ui.createForm(bodyWidth + 40, bodyHeight + 60);
        grid = new TVarnGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, bodyWidth, bodyHeight + 18);
        int i = 0;
        for (int width : widths) {
            TVGColumn* column = grid->Columns()->Add();
            column->SetFieldName("c" + std::to_string(i));
            column->SetCaption("C" + std::to_string(i));
            column->SetWidth(width);
            ++i;
        }
    }

    void show() { ui.show(form); }
    TVGScrollBox* body() { return grid->Body(); }
    void addRows(int count)
    {
        for (int i = 0; i < count; ++i) {
            grid->AddRow("r" + std::to_string(grid->GetRowCount()));
            grid->SetString(grid->GetRowCount() - 1, 0, "row " + std::to_string(grid->GetRowCount() - 1));
        }
    }
    void recordRowEvents()
    {
        grid->OnRowEnter = [this](int row) { ui.record("enter " + std::to_string(row)); };
        grid->OnRowExit = [this](int row, bool) { ui.record("exit " + std::to_string(row)); };
    }
    // A full repaint of the body, as a paint message does it.
    void repaint()
    {
        body()->Invalidate();
        ui.pump();
    }
    // RGB of a body or header pixel (client coordinates).
    COLORREF pixel(int x, int y) { return windowPixel(body(), x, y); }
    COLORREF headPixel(int x, int y) { return windowPixel(grid->Header(), x, y); }
    static COLORREF windowPixel(TWinControl* control, int x, int y)
    {
        HDC dc = GetDC(control->Handle());
        COLORREF color = GetPixel(dc, x, y);
        ReleaseDC(control->Handle(), dc);
        return color;
    }
    // Click in the body's client coordinates.
    void click(int x, int y) { ui.click(body(), x, y); }
};

inline COLORREF rgb(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)); }

}  // namespace varn::test
