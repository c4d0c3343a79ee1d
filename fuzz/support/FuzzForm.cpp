#include "support/FuzzForm.h"

#include "grid/VarnGridProperties.h"
#include "platform/Streaming.h"

namespace varn::fuzz {

void registerFuzzForm()
{
    static const bool registered = [] {
        RegisterPublishedClass<TFuzzForm>("TFuzzForm", "TForm")
            .Field("grid", &TFuzzForm::grid)
            .Field("panel", &TFuzzForm::panel)
            .Field("list", &TFuzzForm::list)
            .Handler("Notify", &TFuzzForm::Notify)
            .Handler("RowEvent", &TFuzzForm::RowEvent)
            .Handler("CellEvent", &TFuzzForm::CellEvent)
            .Handler("KeyEvent", &TFuzzForm::KeyEvent)
            .Handler("KeyEventEx", &TFuzzForm::KeyEventEx)
            .Handler("CharEvent", &TFuzzForm::CharEvent)
            .Handler("MouseEvent", &TFuzzForm::MouseEvent);
        return true;
    }();
    (void)registered;
}

}  // namespace varn::fuzz
