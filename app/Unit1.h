// The test application's window: one grid filled with six rows through a
// typed row class, one column read-only on the row marked "RO".
#pragma once

#include "grid/VarnGrid.h"
#include "grid/VarnRow.h"
#include "platform/Forms.h"

	class grid_dataRow : public TVarnRow
	{
	public:
		grid_dataRow( TVarnGrid*grid ) : TVarnRow( grid ), a(this,0),b(this,1),c(this,2),d(this,3),e(this,4)
		{}
		TVarnDataCol_string   a;
		TVarnDataCol_integer  b;
		TVarnDataCol_date     c;
		TVarnDataCol_string   d;
		TVarnDataCol_float    e;
	};

class TForm1 : public TForm {
public:
    // Builds the form from its description (Unit1.form, built into the program),
    // then appends the six rows.
    explicit TForm1(TComponent* Owner);
    AnsiString ClassName() const override { return "TForm1"; }

    TVarnGrid* grid = nullptr;
    void gridRowNeedData(int row);
};

extern TForm1* Form1;

// The text of Unit1.form, as it was when the program was built.
extern const char* const Unit1FormText;
