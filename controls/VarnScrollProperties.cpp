// Published properties of the scroll bar in declaration order. Kind comes before
// ButtonWidth (which is limited by the length along the bar), Max before Min and
// LargeChange before SmallChange, so that every state a bar can be in reads back
// as it was written. The colours, Min and Position have no declared default: they
// are always written.
#include "controls/VarnScrollProperties.h"

#include "controls/VarnScroll.h"
#include "platform/Streaming.h"

namespace {

const TIdentList& kindIdents()
{
    static const TIdentList idents = {{"sbHorizontal", sbHorizontal}, {"sbVertical", sbVertical}};
    return idents;
}

const TIdentList& areaIdents()
{
    static const TIdentList idents = {{"saBtnArrowDown", saBtnArrowDown}, {"saBtnArrowUp", saBtnArrowUp},
        {"saTrackDown", saTrackDown}, {"saTrackUp", saTrackUp}, {"saScroller", saScroller}, {"saNone", saNone}};
    return idents;
}

TPropValue ordinalValue(int64_t value) { return TPropValue{value, 0, {}}; }

void registerScroll()
{
    RegisterPublishedClass<TVarnScroll_base>("TVarnScroll_base", "TGraphicControl");

    using S = TVarnScroll;
    const TPropValue anchorsLeftTop = ordinalValue(TAnchors{akLeft, akTop}.ToInt());
    // The framework's Align, Enabled, PopupMenu, Visible, the bounds and the three
    // mouse events stay published; the rest of TControl's are not.
    RegisterPublishedClass<TVarnScroll>("TVarnScroll", "TVarnScroll_base")
        .Hide({"Caption", "Cursor", "Font", "Hint", "ParentColor", "ParentFont", "OnClick", "OnDblClick",
               "OnMouseWheel", "OnMouseEnter", "OnMouseLeave", "OnResize"})
        .Colour("Color", [](S* s) { return s->GetColors(0); }, [](S* s, TColor v) { s->SetColors(0, v); },
                std::nullopt)
        .Colour("ColorArrow", &S::ColorArrow, &S::SetColorArrow, std::nullopt)
        .Colour("ColorBorder", &S::ColorBorder, &S::SetColorBorder, std::nullopt)
        .Colour("ColorButton", &S::ColorButton, &S::SetColorButton, std::nullopt)
        .Enumeration("Kind", &S::Kind, &S::SetKind, kindIdents(), std::optional(sbVertical))
        .Integer("ButtonWidth", &S::ButtonWidth, &S::SetButtonWidth, 18)
        .Integer("ScrollerWidth", &S::ScrollerWidth, &S::SetScrollerWidth, 15)
        .Integer("Max", &S::Max, &S::SetMax, 100)
        .Integer("Min", &S::Min, &S::SetMin, std::nullopt)
        .Integer("LargeChange", &S::LargeChange, &S::SetLargeChange, 5)
        .Integer("SmallChange", &S::SmallChange, &S::SetSmallChange, 1)
        .Integer("Position", &S::Position, &S::SetPosition, std::nullopt)
        .Boolean("MouseInControl", &S::MouseInControl, nullptr, false)
        .ReadOnly()
        .Boolean("MouseIsDown", &S::MouseIsDown, nullptr, false)
        .ReadOnly()
        .Enumeration("MouseDownAt", &S::MouseDownAt, nullptr, areaIdents(), std::optional(saNone))
        .ReadOnly()
        .Kept("Anchors", pkSet, anchorsLeftTop, anchorsLeftTop, &AnchorIdents())
        .Kept("DragCursor", pkInteger, ordinalValue(crDrag), ordinalValue(crDrag), &CursorIdents())
        .Kept("DragKind", pkEnumeration, ordinalValue(dkDrag), ordinalValue(dkDrag), &DragKindIdents())
        .Kept("DragMode", pkEnumeration, ordinalValue(dmManual), ordinalValue(dmManual), &DragModeIdents())
        .Kept("ParentShowHint", pkBoolean, ordinalValue(1), ordinalValue(1), &BooleanIdents())
        .Kept("ShowHint", pkBoolean, ordinalValue(0), ordinalValue(0), &BooleanIdents())
        .Event("OnScroll", &S::OnScroll)
        .Event("OnChange", &S::OnChange)
        .Event("OnMouseIn", &S::OnMouseIn)
        .Event("OnMouseOut", &S::OnMouseOut)
        .Event("OnPaint", &S::OnPaint)
        .Event("OnContextPopup", &S::OnContextPopup)
        .Event("OnDragDrop", &S::OnDragDrop)
        .Event("OnDragOver", &S::OnDragOver)
        .Event("OnEndDock", &S::OnEndDock)
        .Event("OnEndDrag", &S::OnEndDrag)
        .Event("OnStartDock", &S::OnStartDock)
        .Event("OnStartDrag", &S::OnStartDrag);
}

}  // namespace

bool varn::detail::registerScrollClasses()
{
    static const bool done = [] {
        registerScroll();
        return true;
    }();
    return done;
}
