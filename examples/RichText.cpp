// The rich-text box: a formatted note that can be edited and printed. A click on
// "Imprimir" prints it to notas.pdf in the working directory.
//   varn-example-richtext                    a real window on a desktop
//   varn-example-richtext --screenshot F     headless rendering to the PNG file F
//   varn-example-richtext --print F          prints the note to the PDF file F
// Without a display it says so and writes rich-text.png.
#include "ExampleMain.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string noteRtf()
{
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}{\\f1\\fswiss Arial;}}"
        "{\\colortbl;\\red170\\green0\\blue0;\\red0\\green0\\blue140;\\red0\\green110\\blue0;}"
        "\\pard\\qc\\f1\\fs32\\b Informe de visita\\par"
        "\\pard\\qc\\f1\\fs20\\b0\\i M\\'e1laga, 12 de marzo\\par\\pard\\i0\\par"
        "\\f0\\fs24 El cliente {\\b Mar\\'eda L\\'f3pez} recibi\\'f3 el pedido {\\cf2 2024-003} completo. "
        "Se revisaron la {\\i l\\'e1mpara} y la {\\i estanter\\'eda}; la estanter\\'eda lleg\\'f3 con un "
        "{\\ul golpe en la esquina} y se acord\\'f3 cambiarla.\\par\\par"
        "\\pard\\li720\\fi-360 \\bullet\\tab Entregado: {\\cf3\\b s\\'ed}\\par"
        "\\bullet\\tab Pendiente: {\\cf1\\b cambio de la estanter\\'eda}\\par"
        "\\bullet\\tab Precio anterior: {\\strike 120,00 \\'80} nuevo: {\\b 95,00 \\'80}\\par"
        "\\pard\\par\\fs20 ";
    for (int i = 1; i <= 40; ++i)
        rtf += "Nota " + std::to_string(i) +
               ": el texto sigue para que el informe ocupe m\\'e1s de una p\\'e1gina al imprimirse, "
               "con m\\'e1rgenes de 700 twips en cada lado.\\par ";
    return rtf + "\\pard\\qr\\i Firma del t\\'e9cnico}";
}

class TNoteForm : public TForm {
public:
    explicit TNoteForm(TComponent* owner) : TForm(owner)
    {
        SetCaption("Texto con formato");
        SetClientWidth(480);
        SetClientHeight(360);
        note = new TVarnRichEdit(this);
        note->SetParent(this);
        note->SetBounds(8, 8, 464, 308);
        note->SetScrollBars(ssVertical);
        note->SetText(noteRtf());
        auto* print = new TPanel(this);
        print->SetParent(this);
        print->SetBounds(372, 324, 100, 28);
        print->SetCaption("Imprimir");
        print->OnClick = [this](TObject*) {
            Printer()->SetFileName("notas.pdf");
            note->Print("Informe de visita");
            std::printf("printed to notas.pdf\n");
            std::fflush(stdout);
        };
    }
    TVarnRichEdit* note = nullptr;
};

}  // namespace

int main(int argc, char** argv)
{
    Application->Initialize();
    TNoteForm* form = nullptr;
    Application->CreateForm(form);
    if (argc == 3 && std::strcmp(argv[1], "--print") == 0) {
        form->Show();
        Application->ProcessMessages();
        Printer()->SetFileName(argv[2]);
        form->note->Print("Informe de visita");
        return 0;
    }
    return runOrScreenshot(form, screenshotArgument(argc, argv), "rich-text.png");
}
