// Published properties of the JPEG view, in declaration order: Align, OnMouseMove,
// OnMouseDown, Color, MinHeight, MinWidth, besides the bounds. Color has no declared
// default, so that the constructor's dark red and every other colour read back as
// written. The file shown is not published: the program sets it.
#include "controls/JPEGControlProperties.h"

#include "controls/JPEGControl.h"
#include "platform/Streaming.h"

namespace {

void registerJPEGControl()
{
    using J = TJPEGControl;
    RegisterPublishedClass<TJPEGControl>("TJPEGControl", "TCustomControl")
        .Hide({"Caption", "Cursor", "Enabled", "Font", "Hint", "ParentColor", "ParentFont", "PopupMenu", "Visible",
               "OnClick", "OnDblClick", "OnMouseUp", "OnMouseWheel", "OnMouseEnter", "OnMouseLeave", "OnResize",
               "BorderWidth", "TabOrder", "TabStop", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"})
        .Enumeration("Align", &TControl::Align, &TControl::SetAlign, AlignIdents(), std::optional(alNone))
        .Event("OnMouseMove", &TControl::OnMouseMove)
        .Event("OnMouseDown", &TControl::OnMouseDown)
        .Colour("Color", &TControl::Color, &TControl::SetColor, std::nullopt)
        .Integer("MinHeight", &J::MinHeight, &J::SetMinHeight, 0)
        .Integer("MinWidth", &J::MinWidth, &J::SetMinWidth, 0);
}

}  // namespace

bool varn::detail::registerJPEGControlClass()
{
    static const bool done = [] {
        registerJPEGControl();
        return true;
    }();
    return done;
}
