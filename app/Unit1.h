// The test application's window: one grid filled with six rows through a
// typed row class, one column read-only on the row marked "RO".
#pragma once

#include "grid/VarnGrid.h"
#include "grid/VarnRow.h"
#include "platform/Forms.h"

// grid_dataRow, the row class of the grid: generated from Unit1.form by
// varn-rowcode while building.
#include "app/grid_dataRow.h"

class TForm1 : public TForm {
public:
    // Builds the form from its description (Unit1.form, built into the program),
    // then appends the six rows.
    explicit TForm1(TComponent* Owner);
    AnsiString ClassName() const override { return "TForm1"; }

    TVarnGrid* grid = nullptr;
    void gridRowNeedData(int row);
    // A double click edits the cell under the pointer, as a second click on the
    // current row does.
    void gridDblClick(TObject* Sender);
    // With echoCells, every cell the editor stores is written to standard output
    // as "cell <row>,<col> = <text>" (varn-demo sets it; its smoke test reads it).
    void gridCellModified(int row, int col);
    bool echoCells = false;
};

extern TForm1* Form1;

// The text of Unit1.form, as it was when the program was built.
extern const char* const Unit1FormText;
