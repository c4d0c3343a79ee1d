// A dialog in a real window: a list of cities in a grid under a caption line.
// Without a display it says so and writes the dialog to example-dialog.png.
#include <VarnControls.h>

#include "platform/Backend.h"
#include "platform/BackingStore.h"

#include <cstdio>

namespace {

struct City {
    const char* name;  // Latin-1
    const char* province;
    int people;
};

const City cities[] = {
    {"Madrid", "Madrid", 3416771},     {"Barcelona", "Barcelona", 1702547},
    {"Valencia", "Valencia", 825948},  {"Sevilla", "Sevilla", 684025},
    {"Zaragoza", "Zaragoza", 682513},  {"M\xE1laga", "M\xE1laga", 591637},
    {"Murcia", "Murcia", 477755},      {"A Coru\xF1" "a", "A Coru\xF1" "a", 249261},
    {"C\xE1" "ceres", "C\xE1" "ceres", 96255},
};

class TDialogForm : public TForm {
public:
    explicit TDialogForm(TComponent* AOwner) : TForm(AOwner)
    {
        SetCaption("VarnControls - ciudades");
        SetBorderStyle(bsDialog);
        SetBounds(120, 90, 380, 260);

        grid = new TVarnGrid(this);
        grid->SetParent(this);
        grid->SetBounds(12, 12, 356, 236);
        addColumn("nombre", "Ciudad", 120, vgString);
        addColumn("provincia", "Provincia", 120, vgString);
        addColumn("habitantes", "Habitantes", 96, vgInteger);
        for (const City& city : cities) {
            grid->AddRow(city.name);
            int row = grid->GetRowCount() - 1;
            grid->SetString(row, 0, city.name);
            grid->SetString(row, 1, city.province);
            grid->SetString(row, 2, FormatFloat("#,##0", city.people));
        }
        grid->SetRowIndex(0);
    }

private:
    void addColumn(const char* field, const char* caption, int width, VGDataType type)
    {
        TVGColumn* column = grid->Columns()->Add();
        column->SetFieldName(field);
        column->SetCaption(caption);
        column->SetWidth(width);
        column->SetDataType(type);
        if (type == vgInteger)
            column->SetAlignment(taRightJustify);
    }

    TVarnGrid* grid = nullptr;
};

}  // namespace

int main()
{
    Application->Initialize();
    TDialogForm* form = nullptr;
    Application->CreateForm(form);
    if (!varn::installLiveBackend()) {
        std::printf("No display: the dialog is written to example-dialog.png instead.\n");
        form->Show();
        Application->ProcessMessages();
        return varn::SaveWindowToPngFile(form->Handle(), "example-dialog.png") ? 0 : 1;
    }
    Application->Run();
    return 0;
}
