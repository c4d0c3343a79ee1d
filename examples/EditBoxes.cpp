// One edit box per mode, each with its caption label: text, date with the
// navigator, time, list, yes/no, integer, decimal and memo; a click on the date,
// list or yes/no box opens its picker. Every committed change is printed on
// standard output as "Caption: value".
//   varn-example-editboxes                    a real window on a desktop
//   varn-example-editboxes --screenshot F     headless rendering to the PNG file F
// Without a display it says so and writes edit-boxes.png.
#include "ExampleMain.h"

#include <cstdio>
#include <cstring>

namespace {

class TEditBoxesForm : public TForm {
public:
    explicit TEditBoxesForm(TComponent* owner) : TForm(owner)
    {
        SetCaption("VarnControls: cajas de edici\xF3n");
        SetClientWidth(340);
        SetClientHeight(330);

        box("Nombre", sEditString);
        TVarnEdit* date = box("Fecha", sEditDate);
        date->setDateNavigator(true);
        date->setDateNavigatorKind(sDnkMonth);
        date->setDate({31, 1, 2006});
        box("Hora", sEditTime);
        TVarnEdit* list = box("Provincia", sEditList, [](TVarnEdit* b) {
            b->add("M\xE1laga", "MA");
            b->add("Sevilla", "SE");
            b->add("C\xF3rdoba", "CO");
        });
        list->setText("MA");
        box("Activo", sEditBoolean)->setText("false");
        box("Cantidad", sEditInteger);
        box("Importe", sEditDouble);
        TVarnEdit* notes = box("Notas", sEditMemo);
        notes->SetHeight(64);
    }

private:
    template <typename Setup = void (*)(TVarnEdit*)>
    TVarnEdit* box(const AnsiString& caption, sVarnEditMode mode, Setup setup = [](TVarnEdit*) {})
    {
        auto* b = new TVarnEdit(this);
        b->SetParent(this);
        b->SetBounds(110, 16 + 30 * count++, 200, 19);
        setup(b);
        b->setMode(mode);
        b->setShowFrame(true);
        b->setLabel(caption);
        b->OnChange = [caption](TObject* sender) {
            AnsiString value = static_cast<TVarnEdit*>(sender)->getText();
            for (size_t at; (at = value.find("\r\n")) != AnsiString::npos;)
                value.replace(at, 2, " / ");
            std::printf("%s: %s\n", caption.c_str(), value.c_str());
            std::fflush(stdout);
        };
        return b;
    }
    int count = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    Application->Initialize();
    TEditBoxesForm* form = nullptr;
    Application->CreateForm(form);
    return runOrScreenshot(form, screenshotArgument(argc, argv), "edit-boxes.png");
}
