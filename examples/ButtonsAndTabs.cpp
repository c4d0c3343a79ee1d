// Buttons and tabs: a tabbed container whose first page holds buttons in the three
// looks with every built-in glyph, and whose second page holds a tab strip that
// scrolls. Clicks and page changes are printed on standard output.
//   varn-example-buttons                    a real window on a desktop
//   varn-example-buttons --screenshot F [N] headless rendering of page N (0) to the PNG file F
// Without a display it says so and writes buttons-tabs.png.
#include "ExampleMain.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void say(const AnsiString& text)
{
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

class TButtonsForm : public TForm {
public:
    explicit TButtonsForm(TComponent* owner) : TForm(owner)
    {
        SetCaption("Botones y pesta\xF1" "as");
        SetColor(clWhite);
        SetClientWidth(520);
        SetClientHeight(300);

        tabs = new TVarnTabbed(this);
        tabs->SetParent(this);
        tabs->SetBounds(8, 8, 504, 284);
        tabs->setBorderInternal(6);
        tabs->setButtonsPosition(vtBtUp);
        tabs->setTextStyles({fsBold});
        tabs->OnChange = [this](TObject*) { say("page " + tabs->ActivePage()->Caption()); };
        tabs->OnCanChange = [](int page, bool& canChange) { canChange = page >= 0; };
        TVarnPage* buttons = page("Botones", 1);
        TVarnPage* strip = page("Pesta\xF1" "as", 2);
        page("Oculta", 3)->setVisibleTab(false);
        tabs->setActiveIndex(0);

        // The twelve built-in glyphs, in the three looks.
        const char* names[] = {"", "Cancelar", "Aceptar", "Subir", "Quitar", "A\xF1" "adir", "Siguiente",
                               "Anterior", "Primero", "\xDAltimo", "Refrescar", "Ajustes", "Desplegar"};
        for (int image = sbiCancel; image <= sbiDropDown; ++image) {
            const int column = (image - 1) / 6;
            const int row = (image - 1) % 6;
            TVarnButton* b = button(buttons, 8 + column * 124, 8 + row * 30, 116, names[image]);
            b->ApplyStdImage(static_cast<TVarnButtonStdImages>(image));
            b->setMode(column == 0 ? sbmFlat : sbmSoft);
        }
        TVarnButton* round = button(buttons, 256, 8, 116, "Redondo");
        round->setMode(sbmRound);
        round->ApplyStdImage(sbiOk);
        TVarnButton* framed = button(buttons, 256, 38, 116, "Con marco");
        framed->setColors(3, clBlue);
        framed->setAlignment(taCenter);
        framed->setTextStyles({fsBold});
        TVarnButton* disabled = button(buttons, 256, 68, 116, "Desactivado");
        disabled->ApplyStdImage(sbiGear);
        disabled->SetEnabled(false);
        TVarnButton* wrapped = button(buttons, 256, 98, 116, "Texto largo que se ajusta");
        wrapped->SetHeight(40);
        wrapped->setWrapText(true);
        // Glyph-only buttons, as a record navigator uses them.
        int left = 380;
        for (TVarnButtonStdImages image : {sbiFirst, sbiPrior, sbiNext, sbiLast}) {
            TVarnButton* glyphOnly = button(buttons, left, 8, image == sbiFirst || image == sbiLast ? 22 : 18, "");
            glyphOnly->ApplyStdImage(image);
            left += glyphOnly->Width() + 2;
        }

        auto* months = new TVarnTabButtons(this);
        months->SetParent(strip);
        months->SetBounds(8, 8, 320, 20);
        TStringList items;
        for (const char* month : {"Enero", "Febrero", "Marzo", "Abril", "Mayo", "Junio", "Julio", "Agosto",
                                  "Septiembre", "Octubre", "Noviembre", "Diciembre"})
            items.Add(month);
        months->setItems(&items);
        months->setActiveIndex(0);
        months->setColorFrame(clGray);
        months->OnChange = [months](TObject*) { say("month " + months->Items()->Strings(months->ActiveIndex())); };
        auto* above = new TVarnTabButtons(this);
        above->SetParent(strip);
        above->SetBounds(8, 60, 320, 20);
        items.Clear();
        for (const char* day : {"Lunes", "Martes", "Mi\xE9rcoles"})
            items.Add(day);
        above->setItems(&items);
        above->setBtPosition(vtBtUp);
        above->setActiveIndex(2);
        above->setColorFont(clNavy);
    }

    void showPage(int index) { tabs->setActiveIndex(index); }

private:
    TVarnPage* page(const AnsiString& caption, int order)
    {
        auto* p = new TVarnPage(this);
        p->SetCaption(caption);
        p->setOrder(order);
        p->setTabControl(tabs);
        return p;
    }
    TVarnButton* button(TWinControl* parent, int left, int top, int width, const AnsiString& text)
    {
        auto* b = new TVarnButton(this);
        b->SetParent(parent);
        b->SetBounds(left, top, width, 24);
        b->setText(text);
        b->OnClick = [text](TObject*) { say("clicked " + (text.empty() ? AnsiString("a glyph") : text)); };
        return b;
    }

    TVarnTabbed* tabs = nullptr;
};

}  // namespace

int main(int argc, char** argv)
{
    Application->Initialize();
    TButtonsForm* form = nullptr;
    Application->CreateForm(form);
    if (argc == 4)
        form->showPage(std::atoi(argv[3]));
    return runOrScreenshot(form, screenshotArgument(argc, argv), "buttons-tabs.png");
}
