// A dialog in a real window: a title panel, a search field over a list of cities,
// a panel of labels that shows the chosen city, a memo of notes on it, and a
// pop-up menu on the list that sorts, removes and restores its items. Each menu
// command, each search and the notes the user leaves are also printed on
// standard output. Without a display it says so and writes the dialog to
// example-dialog.png.
#include "ExampleMain.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

namespace {

struct City {
    const char* name;  // 8-bit text
    const char* region;
    int people;
};

const std::vector<City> allCities = {
    {"Madrid", "Comunidad de Madrid", 3416771}, {"Barcelona", "Catalu\xF1" "a", 1702547},
    {"Valencia", "Comunidad Valenciana", 825948}, {"Sevilla", "Andaluc\xED" "a", 684025},
    {"Zaragoza", "Arag\xF3n", 682513},           {"M\xE1laga", "Andaluc\xED" "a", 591637},
    {"Murcia", "Regi\xF3n de Murcia", 477755},   {"Palma", "Islas Baleares", 423350},
    {"Bilbao", "Pa\xEDs Vasco", 347342},          {"A Coru\xF1" "a", "Galicia", 249261},
    {"Las Palmas", "Canarias", 378517},          {"Alicante", "Comunidad Valenciana", 337304},
    {"C\xF3rdoba", "Andaluc\xED" "a", 319515},     {"Valladolid", "Castilla y Le\xF3n", 298412},
    {"Vigo", "Galicia", 295364},                 {"Gij\xF3n", "Asturias", 268313},
    {"Oviedo", "Asturias", 218544},              {"C\xE1" "ceres", "Extremadura", 96255},
};

class TDialogForm : public TForm {
public:
    explicit TDialogForm(TComponent* AOwner) : TForm(AOwner)
    {
        SetCaption("VarnControls - ciudades");
        SetBorderStyle(bsDialog);
        SetLeft(120);
        SetTop(90);
        SetClientWidth(420);
        SetClientHeight(380);

        TPanel* header = new TPanel(this);
        header->SetParent(this);
        header->SetAlign(alTop);
        header->SetHeight(48);
        header->SetBevelOuter(bvNone);
        header->SetColor(clWindow);
        TLabel* title = addLabel(header, 12, 7, "Ciudades de Espa\xF1" "a");
        title->Font()->SetHeight(-16);
        title->Font()->SetStyle(TFontStyles() << fsBold);
        addLabel(header, 12, 28, "Elija una ciudad. El clic derecho en la lista abre su men\xFA.")
            ->Font()->SetColor(clGrayText);

        TLabel* searchLabel = addLabel(this, 12, 64, "&Buscar");
        search = new TEdit(this);
        search->SetParent(this);
        search->SetBounds(60, 60, 120, 22);
        search->OnChange = [this](TObject*) { searchCity(); };
        searchLabel->SetFocusControl(search);

        list = new TListBox(this);
        list->SetParent(this);
        list->SetBounds(12, 88, 168, 160);
        list->OnClick = [this](TObject*) { showCity(); };

        TPanel* details = new TPanel(this);
        details->SetParent(this);
        details->SetBounds(192, 60, 216, 188);
        details->SetBevelOuter(bvLowered);
        addLabel(details, 12, 12, "Ciudad");
        addLabel(details, 12, 60, "Comunidad");
        addLabel(details, 12, 108, "Habitantes");
        nameValue = addValue(details, 12, 28);
        regionValue = addValue(details, 12, 76);
        peopleValue = addValue(details, 12, 124);

        TLabel* notesLabel = addLabel(this, 12, 258, "&Notas sobre la ciudad");
        notes = new TMemo(this);
        notes->SetParent(this);
        notes->SetBounds(12, 274, 396, 66);
        notes->OnExit = [this](TObject*) { reportNotes(); };
        notesLabel->SetFocusControl(notes);

        status = addLabel(this, 12, 348, "");
        status->SetAutoSize(false);
        status->SetBounds(12, 348, 396, 20);
        status->SetLayout(tlCenter);

        menu = new TPopupMenu(this);
        addItem("Ordenar por &nombre", [this] { sortBy(byName); });
        addItem("Ordenar por &habitantes", [this] { sortBy(byPeople); });
        addItem("-", nullptr);
        removeItem = addItem("&Quitar de la lista", [this] { removeCity(); });
        addItem("&Restaurar la lista", [this] { restore(); });
        menu->OnPopup = [this](TObject*) { removeItem->SetEnabled(list->ItemIndex() >= 0); };
        list->SetPopupMenu(menu);

        restore();
        list->SetItemIndex(0);
        showCity();
        SetActiveControl(list);
    }

private:
    enum SortKey { byName, byPeople };

    TLabel* addLabel(TWinControl* parent, int left, int top, const AnsiString& caption)
    {
        TLabel* label = new TLabel(this);
        label->SetParent(parent);
        label->SetLeft(left);
        label->SetTop(top);
        label->SetCaption(caption);
        label->SetTransparent(true);
        return label;
    }

    TLabel* addValue(TWinControl* parent, int left, int top)
    {
        TLabel* label = addLabel(parent, left, top, "");
        label->SetAutoSize(false);
        label->SetBounds(left, top, 190, 18);
        label->Font()->SetStyle(TFontStyles() << fsBold);
        return label;
    }

    TMenuItem* addItem(const AnsiString& caption, std::function<void()> command)
    {
        TMenuItem* item = new TMenuItem(menu);
        item->SetCaption(caption);
        if (command) {
            item->OnClick = [this, item, command](TObject*) {
                std::printf("menu: %s\n", AnsiToUtf8(StripHotkey(item->Caption())).c_str());
                std::fflush(stdout);
                command();
            };
        }
        menu->Items()->Add(item);
        return item;
    }

    static AnsiString StripHotkey(AnsiString text)
    {
        text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
        return text;
    }

    void fill()
    {
        list->Items()->BeginUpdate();
        list->Items()->Clear();
        for (const City& city : cities)
            list->Items()->Add(city.name);
        list->Items()->EndUpdate();
        setStatus(Sprintf("%d ciudades", static_cast<int>(cities.size())));
    }

    void showCity()
    {
        int index = list->ItemIndex();
        bool chosen = index >= 0 && index < static_cast<int>(cities.size());
        // The memo holds the notes of the city shown; they stay with it.
        if (!shownCity.empty())
            cityNotes[shownCity] = notes->Text();
        shownCity = chosen ? cities[index].name : "";
        notes->SetText(cityNotes[shownCity]);
        nameValue->SetCaption(chosen ? cities[index].name : "");
        regionValue->SetCaption(chosen ? cities[index].region : "");
        peopleValue->SetCaption(chosen ? FormatFloat("#,##0", cities[index].people) : "");
    }

    void setStatus(const AnsiString& text) { status->SetCaption(text); }

    // The first city whose name starts with the text typed becomes the chosen one.
    void searchCity()
    {
        AnsiString typed = search->Text();
        int found = -1;
        for (size_t i = 0; i < cities.size() && found < 0 && !typed.empty(); ++i)
            if (AnsiCompareText(AnsiString(cities[i].name).substr(0, typed.size()), typed) == 0)
                found = static_cast<int>(i);
        if (found >= 0) {
            list->SetItemIndex(found);
            showCity();
        }
        std::printf("buscar: %s -> %s\n", Latin1ToUtf8(typed).c_str(),
                    found >= 0 ? Latin1ToUtf8(cities[found].name).c_str() : "(ninguna)");
        std::fflush(stdout);
    }

    void reportNotes()
    {
        AnsiString joined;
        TStrings* lines = notes->Lines();
        for (int i = 0; i < lines->Count(); ++i)
            joined += (i ? " / " : "") + lines->Strings(i);
        std::printf("notas de %s: %s\n", Latin1ToUtf8(shownCity).c_str(), Latin1ToUtf8(joined).c_str());
        std::fflush(stdout);
    }

    void sortBy(SortKey key)
    {
        AnsiString current = list->ItemIndex() >= 0 ? AnsiString(cities[list->ItemIndex()].name) : AnsiString();
        std::stable_sort(cities.begin(), cities.end(), [key](const City& a, const City& b) {
            return key == byName ? AnsiCompareText(a.name, b.name) < 0 : a.people > b.people;
        });
        fill();
        list->SetItemIndex(list->Items()->IndexOf(current));
        showCity();
        setStatus(key == byName ? "Ordenadas por nombre" : "Ordenadas por habitantes");
    }

    void removeCity()
    {
        int index = list->ItemIndex();
        if (index < 0)
            return;
        AnsiString name = cities[index].name;
        cities.erase(cities.begin() + index);
        fill();
        list->SetItemIndex(std::min(index, static_cast<int>(cities.size()) - 1));
        showCity();
        setStatus("Quitada: " + name);
    }

    void restore()
    {
        cities = allCities;
        fill();
        list->SetItemIndex(0);
        showCity();
    }

    std::vector<City> cities;
    std::map<AnsiString, AnsiString> cityNotes;  // by city name
    AnsiString shownCity;                        // whose notes the memo holds
    TEdit* search = nullptr;
    TMemo* notes = nullptr;
    TListBox* list = nullptr;
    TLabel* nameValue = nullptr;
    TLabel* regionValue = nullptr;
    TLabel* peopleValue = nullptr;
    TLabel* status = nullptr;
    TPopupMenu* menu = nullptr;
    TMenuItem* removeItem = nullptr;
};

}  // namespace

int main()
{
    Application->Initialize();
    TDialogForm* form = nullptr;
    Application->CreateForm(form);
    return runOrScreenshot(form, nullptr, "example-dialog.png");
}
