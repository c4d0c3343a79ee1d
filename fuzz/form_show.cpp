// Form descriptions read, then shown and painted headless: every control a text can
// make is laid out, painted, resized, clicked and keyed. Reading errors are fine;
// anything that goes wrong after a successful read is a fault.
#include "support/FuzzForm.h"
#include "support/FuzzInput.h"
#include "support/Headless.h"

#include "platform/win/Input.h"
#include "platform/Streaming.h"

#include <vector>

using varn::fuzz::TFuzzForm;

namespace {

// A few rows in every grid, so that painting and keys have cells to work on.
void fillGrids(TFuzzForm* form)
{
    for (int i = 0; i < form->ComponentCount(); ++i) {
        auto* grid = dynamic_cast<TVarnGrid*>(form->Components(i));
        if (!grid)
            continue;
        const char* samples[] = {"text", "12", "03/03/2006", "1000,5", "Ca\xF1\xF3n", ""};
        for (int row = 0; row < 6; ++row) {
            grid->AddRow(row == 2 ? "RO" : "");
            for (int col = 0; col < grid->Columns()->Count(); ++col)
                grid->AddString(col, samples[(row + col) % 6]);
        }
    }
}

// Clicks the middle of every control that shows and sends it the keys of a short
// editing session; the handlers bound by the text run on the way.
bool visitControls(varn::fuzz::HeadlessSession& session, TFuzzForm* form)
{
    std::vector<TControl*> controls;
    for (int i = 0; i < form->ComponentCount() && controls.size() < 16; ++i)
        if (auto* control = dynamic_cast<TControl*>(form->Components(i)))
            controls.push_back(control);
    for (TControl* control : controls) {
        // An earlier click or key may have hidden or freed what follows.
        bool stillThere = false;
        for (int i = 0; i < form->ComponentCount(); ++i)
            stillThere |= form->Components(i) == control;
        if (!stillThere || !control->Visible())
            continue;
        TPoint centre = control->ClientToScreen({control->Width() / 2, control->Height() / 2});
        varn::inputMouseDown(varn::MouseButton::Left, centre.x, centre.y);
        varn::inputMouseUp(varn::MouseButton::Left, centre.x, centre.y);
        if (!session.pump())
            return false;
        for (int key : {VK_DOWN, VK_NEXT, VK_END, VK_RIGHT, VK_HOME, VK_RETURN, int('A'), VK_ESCAPE, VK_TAB}) {
            varn::inputKeyDown(key);
            varn::inputKeyUp(key);
        }
        varn::inputText("x1");
        if (!session.advance(500))
            return false;
    }
    return true;
}

bool isAlive(TForm* form)
{
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i) == form)
            return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    varn::fuzz::registerFuzzForm();
    const AnsiString text(reinterpret_cast<const char*>(data), size);
    varn::fuzz::HeadlessSession session;
    TFuzzForm* form = session.createForm<TFuzzForm>();
    try {
        ReadComponentText(text, form);
    } catch (const Exception& error) {
        varn::fuzz::refused(error);
        return 0;
    }
    fillGrids(form);
    form->Show();
    FUZZ_CHECK(session.pump());
    FUZZ_CHECK(visitControls(session, form));
    if (!isAlive(form))
        return 0;
    // Smaller and larger than written: layout and painting at other sizes.
    form->SetClientWidth(form->ClientWidth() / 2 + 1);
    form->SetClientHeight(form->ClientHeight() / 3 + 1);
    FUZZ_CHECK(session.pump());
    form->SetClientWidth(form->ClientWidth() * 3 + 40);
    form->SetClientHeight(form->ClientHeight() * 2 + 40);
    FUZZ_CHECK(session.pump());
    return 0;
}
