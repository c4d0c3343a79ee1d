// The form class that the form-description targets read into: fields and handlers
// of the common event types, so that texts naming them bind as an application's do.
#pragma once

#include "grid/VarnGrid.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/ListBox.h"

namespace varn::fuzz {

class TFuzzForm : public TForm {
public:
    using TForm::TForm;
    AnsiString ClassName() const override { return "TFuzzForm"; }

    TVarnGrid* grid = nullptr;
    TPanel* panel = nullptr;
    TListBox* list = nullptr;

    void Notify(TObject*) { ++events; }
    void RowEvent(int) { ++events; }
    void CellEvent(int, int) { ++events; }
    void KeyEvent(TObject*, WORD&, TShiftState) { ++events; }
    void KeyEventEx(TObject*, WORD&, TShiftState, bool&) { ++events; }
    void CharEvent(TObject*, char&) { ++events; }
    void MouseEvent(TObject*, TMouseButton, TShiftState, int, int) { ++events; }
    int events = 0;
};

// Registers TFuzzForm and the grid's classes; safe to call for every input.
void registerFuzzForm();

}  // namespace varn::fuzz
