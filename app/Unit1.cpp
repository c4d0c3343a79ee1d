#include "app/Unit1.h"

#include "db/DBDate.h"
#include "grid/VarnGridProperties.h"
#include "platform/Streaming.h"

TForm1* Form1 = nullptr;

namespace {

void registerForm1()
{
    static const bool registered = [] {
        RegisterPublishedClass<TForm1>("TForm1", "TForm")
            .Field("grid", &TForm1::grid)
            .Handler("gridRowNeedData", &TForm1::gridRowNeedData);
        return true;
    }();
    (void)registered;
}

}  // namespace

TForm1::TForm1(TComponent* Owner) : TForm(Owner)
{
    registerForm1();
    ReadComponentText(Unit1FormText, this);

    sDB_date date{3, 3, 2006};
    const AnsiString text = "Con cien ca\xF1ones por banda, viento en popa a toda vela";
    grid_dataRow row(grid);

    row.Append();
    row.a = "row normal";
    row.b = 10;
    row.c = date;
    row.d = text;
    row.e = 1000.5;

    row.Append();
    row.a = "row normal";
    row.b = 11;
    row.c = date;
    row.d = text;
    row.e = 1100;

    row.Append();
    row.a = "numeric is Read-only";
    row.SetItemData(0, "RO");
    row.b = 12;
    row.c = date;
    row.d = text;
    row.e = 1200;

    row.Append();
    row.a = "row normal";
    row.b = 13;
    row.c = date;
    row.d = text;
    row.e = 1300;

    row.Append();
    row.a = "row normal";
    row.b = 14;
    row.c = date;
    row.d = text;
    row.e = 1400;

    row.Append();
    row.a = "row normal";
    row.b = 15;
    row.c = date;
    row.d = text;
    row.e = 1500.4;
}

// Painting asks for every row it draws and last for the current one, so the
// numeric column ends up read-only exactly while row "RO" is current.
void TForm1::gridRowNeedData(int row)
{
    grid->Columns()->Items(1)->SetReadOnly(grid->GetRowData(row) == "RO");
}
