// The published properties of the panel and the label, with their declared defaults.
#include "platform/ExtCtrls.h"
#include "platform/StdCtrls.h"
#include "platform/Streaming.h"

namespace {

const TIdentList& bevelIdents()
{
    static const TIdentList idents = {
        {"bvNone", bvNone}, {"bvLowered", bvLowered}, {"bvRaised", bvRaised}, {"bvSpace", bvSpace}};
    return idents;
}

const TIdentList& layoutIdents()
{
    static const TIdentList idents = {{"tlTop", tlTop}, {"tlCenter", tlCenter}, {"tlBottom", tlBottom}};
    return idents;
}

}  // namespace

void varn::detail::registerPanelAndLabelClasses()
{
    RegisterPublishedClass<TCustomPanel>("TCustomPanel", "TCustomControl")
        .Enumeration("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment, AlignmentIdents(),
                     std::optional(taCenter))
        .Enumeration("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner, bevelIdents(),
                     std::optional(bvNone))
        .Enumeration("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter, bevelIdents(),
                     std::optional(bvRaised))
        .Integer("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth, 1)
        .Enumeration("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle,
                     ControlBorderStyleIdents(), std::optional(bsNone))
        .Boolean("FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint, true);
    RegisterPublishedClass<TPanel>("TPanel", "TCustomPanel");

    RegisterPublishedClass<TCustomLabel>("TCustomLabel", "TGraphicControl")
        .Enumeration("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment, AlignmentIdents(),
                     std::optional(taLeftJustify))
        .Boolean("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize, true)
        .Component<TWinControl>("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl)
        .Enumeration("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout, layoutIdents(),
                     std::optional(tlTop))
        .Boolean("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
        .Boolean("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, true)
        .Boolean("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false)
        .Boolean("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false);
    RegisterPublishedClass<TLabel>("TLabel", "TCustomLabel");
}
