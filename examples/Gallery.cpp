// The gallery: every control of the library in one window, one tab each — the
// grid, edit boxes in every mode with their pickers and a calendar, buttons with
// every built-in glyph, frames, labels and scroll bars, the picture view and a
// rich-text note that prints.
// Page changes, clicks and committed values are printed on standard output, and
// once the window is up the centre of each tab is printed as "tab <caption> <x> <y>"
// (client coordinates) so that scripts can click them.
//   varn-gallery                      a real window on a desktop
//   varn-gallery --screenshot F [N]   headless rendering of page N (0) to the PNG file F
//   varn-gallery --print F            prints the note of the last page to the PDF file F
// Without a display it says so and writes gallery.png.
#include "ExampleMain.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef VARN_EXAMPLE_DATA
#define VARN_EXAMPLE_DATA "examples/data"
#endif

namespace {

// The library's texts are Windows-1252; the terminal wants UTF-8.
void say(const AnsiString& text)
{
    std::printf("%s\n", AnsiToUtf8(text).c_str());
    std::fflush(stdout);
}

class TGalleryForm : public TForm {
public:
    explicit TGalleryForm(TComponent* owner) : TForm(owner)
    {
        SetCaption("VarnControls: galer\xED" "a");
        SetColor(clWhite);
        SetClientWidth(660);
        SetClientHeight(420);

        tabs = new TVarnTabbed(this);
        tabs->SetParent(this);
        tabs->SetAlign(alClient);
        tabs->setBorderInternal(6);
        tabs->setButtonsPosition(vtBtUp);
        tabs->setTextStyles({fsBold});
        tabs->OnChange = [this](TObject*) { say("page " + tabs->ActivePage()->Caption()); };

        gridPage(page("Rejilla"));
        editPage(page("Edici\xF3n"));
        buttonPage(page("Botones"));
        framePage(page("Marcos"));
        picturePage(page("Imagen"));
        textPage(page("Texto"));
        tabs->setActiveIndex(0);
    }

    void showPage(int index) { tabs->setActiveIndex(index); }

    // The tabs are placed by the container's paint; call after the first one.
    void printTabs()
    {
        for (int i = 0; i < tabs->PageCount(); ++i) {
            TVarnPage* p = tabs->Pages(i);
            const int x = tabs->Left() + (p->tabRect.left + p->tabRect.right) / 2;
            const int y = tabs->Top() + (p->tabRect.top + p->tabRect.bottom) / 2;
            say("tab " + p->Caption() + " " + IntToStr(x) + " " + IntToStr(y));
        }
        // The grid's captions and its first row, for clicking them from outside.
        const TPoint origin = ClientToScreen({0, 0});
        for (int i = 0; i < grid->Columns()->Count(); ++i) {
            const TRect r = grid->Header()->CellRect(i);
            const TPoint p = grid->Header()->ClientToScreen({(r.left + r.right) / 2, r.bottom / 2});
            say("caption " + grid->Columns()->Items(i)->Caption() + " " + IntToStr(p.x - origin.x) + " " +
                IntToStr(p.y - origin.y));
        }
        const TPoint first = grid->Body()->ClientToScreen({40, grid->RowHeight() / 2});
        say("first row " + IntToStr(first.x - origin.x) + " " + IntToStr(first.y - origin.y));
    }

private:
    TVarnGrid* grid = nullptr;

    TVarnPage* page(const AnsiString& caption)
    {
        auto* p = new TVarnPage(this);
        p->SetCaption(caption);
        p->setOrder(tabs->PageCount() + 1);
        p->setTabControl(tabs);
        return p;
    }

    void gridPage(TVarnPage* parent)
    {
        auto* grid = new TVarnGrid(this);
        grid->SetParent(parent);
        grid->SetAlign(alClient);
        grid->SetEditable(true);
        grid->SetSortOnHeaderClick(true);
        grid->SetIncrementalSearch(true);
        this->grid = grid;
        struct {
            const char* field;
            const char* caption;
            VGDataType type;
            int width;
        } const columns[] = {
            {"code", "C\xF3" "digo", vgString, 70},   {"name", "Nombre", vgString, 150},
            {"date", "Alta", vgDate, 90},             {"active", "Activo", vgBoolean, 60},
            {"units", "Unidades", vgInteger, 80},     {"amount", "Importe", vgMoney, 100},
        };
        for (const auto& c : columns) {
            TVGColumn* column = grid->Columns()->Add();
            column->SetFieldName(c.field);
            column->SetCaption(c.caption);
            column->SetDataType(c.type);
            column->SetWidth(c.width);
            if (c.type == vgInteger || c.type == vgMoney)
                column->SetAlignment(taRightJustify);
        }
        const char* names[] = {"Mar\xED" "a L\xF3pez", "Jos\xE9 Garc\xED" "a", "\xC1ngela Ruiz",
                               "Iv\xE1n Mu\xF1oz", "Luc\xED" "a Pe\xF1" "a", "Tom\xE1s S\xE1" "ez"};
        TVarnRow row(grid);
        for (int i = 0; i < 300; ++i) {
            if (i % 50 == 0) {
                row.Append();
                row.SetUnicolumn(true);
                row.SetUnicolumnText("Clientes " + IntToStr(i + 1) + " a " + IntToStr(i + 50));
            }
            row.Append();
            row.SetString(0, "C" + IntToStr(1000 + i));
            row.SetString(1, names[i % 6]);
            row.SetDate(2, sDB_date{1 + i % 28, 1 + i % 12, 2000 + i % 25});
            row.SetString(3, i % 3 ? "true" : "false");
            row.SetInteger(4, (i * 37) % 500);
            row.SetFloat(5, (i * 7919 % 100000) / 100.0);
        }
        grid->SetRowIndex(1);
        grid->OnCellModified = [grid](int r, int c) {
            say("cell " + IntToStr(r) + "," + IntToStr(c) + " = " + grid->GetString(r, c));
        };
    }

    void editPage(TVarnPage* parent)
    {
        int top = 14;
        auto box = [&](const AnsiString& caption, sVarnEditMode mode) {
            auto* b = new TVarnEdit(this);
            b->SetParent(parent);
            b->SetBounds(100, top, 200, 19);
            top += 30;
            b->setMode(mode);
            b->setShowFrame(true);
            b->setLabel(caption);
            b->OnChange = [caption](TObject* sender) {
                AnsiString value = static_cast<TVarnEdit*>(sender)->getText();
                for (size_t at; (at = value.find("\r\n")) != AnsiString::npos;)
                    value.replace(at, 2, " / ");
                say(caption + ": " + value);
            };
            return b;
        };
        box("Nombre", sEditString)->setText("Mar\xED" "a L\xF3pez");
        TVarnEdit* date = box("Fecha", sEditDate);
        date->setDateNavigator(true);
        date->setDate({31, 1, 2006});
        box("Hora", sEditTime)->setText("09:30");
        TVarnEdit* list = box("Provincia", sEditList);
        list->add("M\xE1laga", "MA");
        list->add("Sevilla", "SE");
        list->add("C\xF3rdoba", "CO");
        list->setText("SE");
        box("Activo", sEditBoolean)->setText("true");
        box("Cantidad", sEditInteger)->setText("1234");
        box("Importe", sEditDouble)->setText("3,50");
        TVarnEdit* notes = box("Notas", sEditMemo);
        notes->SetHeight(60);
        notes->setText("Primera l\xEDnea\r\nSegunda l\xEDnea");

        auto* calendar = new TVarnCalendar(this);
        calendar->SetParent(parent);
        calendar->SetLeft(340);
        calendar->SetTop(14);
        calendar->Multiselect = true;
        calendar->OnChange = [calendar](TObject*) { say("calendar " + calendar->getDate().dateString()); };
    }

    void buttonPage(TVarnPage* parent)
    {
        const char* names[] = {"", "Cancelar", "Aceptar", "Subir", "Quitar", "A\xF1" "adir", "Siguiente",
                               "Anterior", "Primero", "\xDAltimo", "Refrescar", "Ajustes", "Desplegar"};
        const TVarnButtonMode looks[] = {sbmFlat, sbmSoft, sbmRound};
        for (int image = sbiCancel; image <= sbiDropDown; ++image) {
            const int column = (image - 1) / 4;
            const int row = (image - 1) % 4;
            auto* b = new TVarnButton(this);
            b->SetParent(parent);
            b->SetBounds(12 + column * 140, 14 + row * 34, 128, 26);
            b->setText(names[image]);
            b->ApplyStdImage(static_cast<TVarnButtonStdImages>(image));
            b->setMode(looks[column]);
            b->OnClick = [name = AnsiString(names[image])](TObject*) { say("clicked " + name); };
        }
        auto* disabled = new TVarnButton(this);
        disabled->SetParent(parent);
        disabled->SetBounds(12, 160, 128, 26);
        disabled->setText("Desactivado");
        disabled->ApplyStdImage(sbiGear);
        disabled->SetEnabled(false);

        auto* strip = new TVarnTabButtons(this);
        strip->SetParent(parent);
        strip->SetBounds(12, 210, 420, 20);
        TStringList items;
        for (const char* month : {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto",
                                  "Septiembre", "Octubre", "Noviembre", "Diciembre"})
            items.Add(month);
        strip->setItems(&items);
        strip->setActiveIndex(0);
        strip->setColorFrame(clGray);
        strip->OnChange = [strip](TObject*) { say("month " + strip->Items()->Strings(strip->ActiveIndex())); };
    }

    void framePage(TVarnPage* parent)
    {
        auto* group = new TVarnFrame(this);
        group->SetParent(parent);
        group->SetBounds(12, 12, 260, 120);
        group->SetText(" Datos del cliente ");
        group->SetTextVAlignment(tvaOver);
        group->SetTextStyles({fsBold});
        group->SetTextColor(clNavy);
        auto* city = new TVarnEdit(this);
        city->SetParent(group);
        city->SetBounds(80, 24, 160, 19);
        city->setLabel("Ciudad");
        city->setShowFrame(true);
        city->setText("M\xE1laga");
        auto* phone = new TVarnEdit(this);
        phone->SetParent(group);
        phone->SetBounds(80, 56, 160, 19);
        phone->setLabel("Tel\xE9" "fono");
        phone->setShowFrame(true);
        phone->setText("952 000 000");

        auto* side = new TVarnFrame(this);
        side->SetParent(parent);
        side->SetBounds(290, 12, 160, 120);
        side->SetText("Pedidos");
        side->SetTextDirection(ttdBottomToUp);
        side->SetParentColor(false);
        side->SetColor(static_cast<TColor>(RGB(235, 242, 250)));
        side->SetBorderWidth(2);

        int left = 12;
        for (auto [text, direction] : {std::pair{"Horizontal", ttdLeftToRight}, std::pair{"Hacia abajo", ttdUpToBottom},
                                       std::pair{"Hacia arriba", ttdBottomToUp}}) {
            auto* label = new TVarnLabel(this);
            label->SetParent(parent);
            label->SetLeft(left);
            label->SetTop(150);
            label->SetTextDirection(direction);
            label->SetCaption(text);
            left += direction == ttdLeftToRight ? 90 : 30;
        }

        auto* vertical = new TVarnScroll(this);
        vertical->SetParent(parent);
        vertical->SetBounds(480, 12, 18, 200);
        auto* horizontal = new TVarnScroll(this);
        horizontal->SetParent(parent);
        horizontal->SetKind(sbHorizontal);
        horizontal->SetBounds(200, 160, 250, 18);
        horizontal->SetPosition(40);
        horizontal->OnChange = [horizontal](TObject*) { say("scroll " + IntToStr(horizontal->Position())); };
    }

    void picturePage(TVarnPage* parent)
    {
        auto* picture = new TJPEGControl(this);
        picture->SetParent(parent);
        picture->SetAlign(alClient);
        picture->SetColor(static_cast<TColor>(RGB(64, 64, 64)));
        try {
            picture->SetFile(VARN_EXAMPLE_DATA "/campo.jpg");
        } catch (const Exception& e) {
            say("picture: " + e.Message());
        }
    }

    void textPage(TVarnPage* parent)
    {
        auto* bar = new TPanel(this);
        bar->SetParent(parent);
        bar->SetAlign(alBottom);
        bar->SetHeight(38);
        bar->SetBevelOuter(bvNone);
        bar->SetBorderWidth(6);
        bar->SetParentColor(true);
        note = new TVarnRichEdit(this);
        note->SetParent(parent);
        note->SetAlign(alClient);
        note->SetScrollBars(ssVertical);
        note->SetText(
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
            "{\\colortbl;\\red0\\green0\\blue140;\\red170\\green0\\blue0;}"
            "\\pard\\qc\\fs32\\b Pedido 2024-003\\par"
            "\\pard\\qc\\fs20\\b0\\i M\\'e1laga, 12 de marzo\\i0\\par\\pard\\par\\fs22 "
            "Cliente: {\\b Mar\\'eda L\\'f3pez}, c\\'f3digo {\\cf1 C1000}. El pedido lleg\\'f3 completo; "
            "la {\\i estanter\\'eda} tiene un {\\ul golpe en la esquina} y se cambia.\\par\\par"
            "\\pard\\li720\\fi-360 \\bullet\\tab Entregado: {\\b s\\'ed}\\par"
            "\\bullet\\tab Precio: {\\strike 120,00 \\'80} {\\cf2\\b 95,00 \\'80}\\par"
            "\\pard\\par\\qr\\i Firma del t\\'e9cnico\\par}");
        auto* print = new TVarnButton(this);
        print->SetParent(bar);
        print->SetWidth(120);
        print->SetAlign(alRight);
        print->setText("Imprimir");
        print->setMode(sbmSoft);
        print->ApplyStdImage(sbiOk);
        print->OnClick = [this](TObject*) { printNote("galeria.pdf"); };
    }

    TVarnTabbed* tabs = nullptr;
    TVarnRichEdit* note = nullptr;

public:
    void printNote(const AnsiString& file)
    {
        Printer()->SetFileName(file);
        note->Print("Pedido 2024-003");
        say("printed to " + file);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    Application->Initialize();
    TGalleryForm* form = nullptr;
    Application->CreateForm(form);
    if (argc == 3 && std::strcmp(argv[1], "--print") == 0) {
        form->Show();
        Application->ProcessMessages();
        form->printNote(argv[2]);
        return 0;
    }
    if (argc == 4)
        form->showPage(std::atoi(argv[3]));
    return runOrScreenshot(form, screenshotArgument(argc, argv), "gallery.png", [form] { form->printTabs(); });
}
