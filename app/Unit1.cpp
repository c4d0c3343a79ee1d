#include "app/Unit1.h"

#include "db/DBDate.h"
#include "grid/VGEdit.h"
#include "grid/VGScrollBox.h"
#include "grid/VarnGridProperties.h"
#include "platform/Streaming.h"

#include <cstdio>

TForm1* Form1 = nullptr;

namespace {

void registerForm1()
{
    static const bool registered = [] {
        RegisterPublishedClass<TForm1>("TForm1", "TForm")
            .Field("grid", &TForm1::grid)
            .Handler("gridRowNeedData", &TForm1::gridRowNeedData)
            .Handler("gridDblClick", &TForm1::gridDblClick)
            .Handler("gridCellModified", &TForm1::gridCellModified);
        return true;
    }();
    (void)registered;
}

}  // namespace

TForm1::TForm1(TComponent* Owner) : TForm(Owner)
{
    registerForm1();
    ReadComponentText(Unit1FormText, this);
    grid->OnDblClick = [this](TObject* Sender) { gridDblClick(Sender); };
    grid->OnCellModified = [this](int row, int col) { gridCellModified(row, col); };

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

void TForm1::gridDblClick(TObject*)
{
    if (!grid->Editable() || grid->InEdit())
        return;
    POINT screen{};
    GetCursorPos(&screen);
    TPoint at = grid->Body()->ScreenToClient(TPoint{screen.x, screen.y});
    if (grid->GetRowIndex() == -1 || grid->RowForY(at.y) != grid->GetRowIndex())
        return;
    int col = grid->ColForX(at.x);
    if (col != -1 && !grid->Columns()->Items(col)->ReadOnly())
        grid->Editor()->BeginEditAt(col);
}

void TForm1::gridCellModified(int row, int col)
{
    if (!echoCells)
        return;
    std::printf("cell %d,%d = %s\n", row, col, AnsiToUtf8(grid->GetString(row, col)).c_str());
    std::fflush(stdout);
}
