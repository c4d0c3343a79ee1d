// Published properties of the frame and the label in declaration order. Lines
// is read but not written: Text already holds the same lines.
#include "controls/VarnFrameProperties.h"

#include "controls/VarnFrame.h"
#include "platform/Streaming.h"

namespace {

const TIdentList& vAlignmentIdents()
{
    static const TIdentList idents = {
        {"tvaTopJustify", tvaTopJustify}, {"tvaCenter", tvaCenter}, {"tvaBottomJustify", tvaBottomJustify},
        {"tvaOver", tvaOver}};
    return idents;
}

const TIdentList& directionIdents()
{
    static const TIdentList idents = {
        {"ttdLeftToRight", ttdLeftToRight}, {"ttdUpToBottom", ttdUpToBottom}, {"ttdBottomToUp", ttdBottomToUp}};
    return idents;
}

TPropValue ordinalValue(int64_t value) { return TPropValue{value, 0, {}}; }

void registerFrame()
{
    using F = TVarnFrame;
    RegisterPublishedClass<TVarnFrame>("TVarnFrame", "TCustomPanel")
        .Hide({"Alignment", "BevelInner", "BevelOuter", "BevelWidth", "BorderStyle", "FullRepaint", "Caption",
               "Cursor", "Enabled", "Font", "Hint", "ParentFont", "OnClick", "OnDblClick", "OnMouseDown",
               "OnMouseMove", "OnMouseUp", "OnMouseWheel", "OnMouseEnter", "OnMouseLeave", "OnResize", "OnEnter",
               "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"})
        .Colour("ColorFrame", &F::ColorFrame, &F::SetColorFrame, clBlack)
        .Colour("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
        .StoredIf([](F* f) { return !f->ParentColor(); })
        .Boolean("DrawLeft", &F::DrawLeft, &F::SetDrawLeft, true)
        .Boolean("DrawRight", &F::DrawRight, &F::SetDrawRight, true)
        .Boolean("DrawTop", &F::DrawTop, &F::SetDrawTop, true)
        .Boolean("DrawBottom", &F::DrawBottom, &F::SetDrawBottom, true)
        .Boolean("HideFrame", &F::HideFrame, &F::SetHideFrame, false)
        .Boolean("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
        .Kept("AutoSize", pkBoolean, ordinalValue(0), ordinalValue(0), &BooleanIdents())
        .Kept("DragCursor", pkInteger, ordinalValue(crDrag), ordinalValue(crDrag), &CursorIdents())
        .Kept("DragKind", pkEnumeration, ordinalValue(dkDrag), ordinalValue(dkDrag), &DragKindIdents())
        .Kept("DragMode", pkEnumeration, ordinalValue(dmManual), ordinalValue(dmManual), &DragModeIdents())
        .Enumeration("TextAlignment", &F::TextAlignment, &F::SetTextAlignment, AlignmentIdents(),
                     std::optional(taLeftJustify))
        .Enumeration("TextVAlignment", &F::TextVAlignment, &F::SetTextVAlignment, vAlignmentIdents(),
                     std::optional(tvaTopJustify))
        .Enumeration("TextDirection", &F::TextDirection, &F::SetTextDirection, directionIdents(),
                     std::optional(ttdLeftToRight))
        .String("Text", &F::Text, &F::SetText)
        .Colour("TextColor", &F::TextColor, &F::SetTextColor, clWindowText)
        .Set("TextStyles", &F::TextStyles, &F::SetTextStyles, FontStyleIdents(), std::optional(TFontStyles()))
        .Boolean("TextWrap", &F::TextWrap, &F::SetTextWrap, false)
        .Object<TStrings>("Lines", &F::Lines)
        .NotStored()
        .Event("OnTextClick", &F::OnTextClick)
        .Event("OnTextDoubleClick", &F::OnTextDoubleClick)
        .Event("OnDragDrop", &F::OnDragDrop)
        .Event("OnDragOver", &F::OnDragOver)
        .Event("OnStartDrag", &F::OnStartDrag)
        .Event("OnEndDrag", &F::OnEndDrag);
}

void registerLabel()
{
    using L = TVarnLabel;
    const TPropValue anchorsLeftTop = ordinalValue(TAnchors{akLeft, akTop}.ToInt());
    RegisterPublishedClass<TVarnLabel>("TVarnLabel", "TCustomLabel")
        .Hide({"ShowAccelChar", "Cursor", "Hint"})
        .Enumeration("TextVAlignment", &L::TextVAlignment, &L::SetTextVAlignment, vAlignmentIdents(),
                     std::optional(tvaTopJustify))
        .Enumeration("TextDirection", &L::TextDirection, &L::SetTextDirection, directionIdents(),
                     std::optional(ttdLeftToRight))
        .Kept("Anchors", pkSet, anchorsLeftTop, anchorsLeftTop, &AnchorIdents())
        .Kept("ParentBiDiMode", pkBoolean, ordinalValue(1), ordinalValue(1), &BooleanIdents())
        .Kept("ParentShowHint", pkBoolean, ordinalValue(1), ordinalValue(1), &BooleanIdents())
        .Kept("ShowHint", pkBoolean, ordinalValue(0), ordinalValue(0), &BooleanIdents());
}

}  // namespace

bool varn::detail::registerFrameClasses()
{
    static const bool done = [] {
        registerFrame();
        registerLabel();
        return true;
    }();
    return done;
}
