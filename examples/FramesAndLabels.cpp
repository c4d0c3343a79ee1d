// Framed panels and labels: a group caption over a frame's top edge, frames
// with some sides off, and text written across, downwards and upwards. A click
// on a frame's text is printed on standard output.
//   varn-example-frames                    a real window on a desktop
//   varn-example-frames --screenshot F     headless rendering to the PNG file F
// Without a display it says so and writes frame-label.png.
#include "ExampleMain.h"

#include <cstdio>
#include <cstring>

namespace {

class TFramesForm : public TForm {
public:
    explicit TFramesForm(TComponent* owner) : TForm(owner)
    {
        SetCaption("Marcos y etiquetas");
        SetColor(clWhite);
        SetClientWidth(520);
        SetClientHeight(300);

        // A group of fields under a caption that interrupts the top line.
        TVarnFrame* client = frame(this, 12, 12, 250, 130, " Datos del cliente ");
        client->SetTextVAlignment(tvaOver);
        client->SetTextStyles({fsBold});
        client->SetTextColor(clNavy);
        client->SetColorFrame(clGray);
        field(client, 12, 24, "Nombre", "Mar\xED" "a L\xF3pez");
        field(client, 12, 52, "Ciudad", "M\xE1laga");
        field(client, 12, 80, "Tel\xE9" "fono", "952 000 000");

        // A side caption written upwards beside a list, and one written downwards.
        TVarnFrame* side = frame(this, 276, 12, 232, 130, "Pedidos");
        side->SetTextDirection(ttdBottomToUp);
        side->SetParentColor(false);
        side->SetColor(static_cast<TColor>(RGB(235, 242, 250)));
        side->SetTextStyles({fsBold});
        side->SetBorderWidth(2);
        auto* list = new TListBox(this);
        list->SetParent(side);
        list->SetBounds(26, 8, 194, 114);
        for (const char* item : {"2024-001  Mesa", "2024-002  Sillas (4)", "2024-003  L\xE1mpara",
                                 "2024-004  Estanter\xED" "a"})
            list->Items()->Add(item);
        TVarnFrame* down = frame(this, 12, 156, 40, 132, "Resumen");
        down->SetTextDirection(ttdUpToBottom);
        down->SetParentColor(false);
        down->SetColor(static_cast<TColor>(RGB(250, 240, 225)));

        // Frames with only some sides: a rule under a heading, and an open box.
        TVarnFrame* heading = frame(this, 64, 156, 200, 24, "Totales");
        heading->SetDrawLeft(false);
        heading->SetDrawRight(false);
        heading->SetDrawTop(false);
        heading->SetTextVAlignment(tvaCenter);
        TVarnFrame* open = frame(this, 64, 188, 200, 100, "Sin marco arriba: el texto centrado y ajustado a lo ancho");
        open->SetDrawTop(false);
        open->SetTextWrap(true);
        open->SetTextAlignment(taCenter);

        // Labels in the three directions.
        label(276, 160, "Etiqueta horizontal", ttdLeftToRight);
        label(276, 184, "Hacia abajo", ttdUpToBottom);
        label(300, 184, "Hacia arriba", ttdBottomToUp);
        TVarnLabel* centred = label(330, 184, "Centrada", ttdBottomToUp);
        centred->SetAutoSize(false);
        centred->SetBounds(330, 184, 40, 104);
        centred->SetAlignment(taCenter);
        centred->SetTextVAlignment(tvaCenter);
        centred->SetColor(static_cast<TColor>(RGB(255, 245, 200)));
        TVarnLabel* big = label(384, 184, "Grande", ttdUpToBottom);
        big->Font()->SetHeight(-22);
        big->Font()->SetStyle({fsBold});
        big->Font()->SetColor(clMaroon);
    }

private:
    TVarnFrame* frame(TWinControl* parent, int left, int top, int width, int height, const AnsiString& text)
    {
        auto* f = new TVarnFrame(this);
        f->SetParent(parent);
        f->SetBounds(left, top, width, height);
        f->SetText(text);
        f->OnTextClick = [](TObject* sender) {
            std::printf("text clicked: %s\n", static_cast<TVarnFrame*>(sender)->Text().c_str());
            std::fflush(stdout);
        };
        return f;
    }
    void field(TWinControl* parent, int left, int top, const AnsiString& caption, const AnsiString& value)
    {
        auto* name = new TLabel(this);
        name->SetParent(parent);
        name->SetBounds(left, top + 3, 60, 17);
        name->SetCaption(caption);
        auto* box = new TPanel(this);
        box->SetParent(parent);
        box->SetBounds(left + 70, top, 150, 22);
        box->SetBevelOuter(bvNone);
        box->SetBorderStyle(bsSingle);
        box->SetColor(clWindow);
        box->SetAlignment(taLeftJustify);
        box->SetCaption(" " + value);
    }
    TVarnLabel* label(int left, int top, const AnsiString& caption, TTextDirection direction)
    {
        auto* l = new TVarnLabel(this);
        l->SetParent(this);
        l->SetLeft(left);
        l->SetTop(top);
        l->SetTextDirection(direction);
        l->SetCaption(caption);
        return l;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    Application->Initialize();
    TFramesForm* form = nullptr;
    Application->CreateForm(form);
    return runOrScreenshot(form, screenshotArgument(argc, argv), "frame-label.png");
}
