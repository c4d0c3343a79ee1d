// Published properties of the page, the container and the tab strip in declaration
// order. A container's ActiveIndex is read before its pages exist and waits for
// them (and is written while it still waits); a strip's Items come after its ActiveIndex. TVarnTabbed.BorderInternal and
// TVarnTabButtons.ActiveIndex declare the value their constructors set (0 and -1),
// so that every value written reads back the same.
#include "controls/VarnTabbedProperties.h"

#include "controls/VarnButtonProperties.h"
#include "controls/VarnFrameProperties.h"
#include "controls/VarnTabbed.h"
#include "platform/Streaming.h"

namespace {

const TIdentList& positionIdents()
{
    static const TIdentList idents = {{"vtBtDown", vtBtDown}, {"vtBtUp", vtBtUp}};
    return idents;
}

template <int Index>
bool side(TVarnTabbed* t)
{
    return t->getDrawFrame(Index);
}

template <int Index>
void setSide(TVarnTabbed* t, bool value)
{
    t->setDrawFrame(Index, value);
}

void registerPage()
{
    using P = TVarnPage;
    RegisterPublishedClass<TVarnPage>("TVarnPage", "TCustomControl")
        .Hide({"Align", "Color", "Cursor", "Enabled", "Font", "Hint", "ParentColor", "ParentFont", "PopupMenu",
               "Visible", "TabOrder", "TabStop", "OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnMouseWheel", "OnMouseEnter", "OnMouseLeave", "OnResize", "OnEnter", "OnExit",
               "OnKeyDown", "OnKeyPress", "OnKeyUp"})
        .Boolean("TabVisible", &P::TabVisible, &P::setVisibleTab, true)
        .Integer("Order", &P::Order, &P::setOrder, 0);
}

void registerTabbed()
{
    using T = TVarnTabbed;
    RegisterPublishedClass<TVarnTabbed>("TVarnTabbed", "TCustomControl")
        .Hide({"BorderWidth", "Caption", "Cursor", "Enabled", "Font", "Hint", "ParentFont", "PopupMenu", "Visible",
               "OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnMouseWheel", "OnMouseEnter",
               "OnMouseLeave", "OnResize", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"})
        .Integer("BorderInternal", &T::BorderInternal, &T::setBorderInternal, 0)
        .Event("OnChange", &T::OnChange)
        .Event("OnCanChange", &T::OnCanChange)
        .Integer("TabHeight", &T::TabHeight, &T::setTabHeight, 18)
        .Integer("ActiveIndex", [](T* t) { return t->ActiveIndex() != -1 ? t->ActiveIndex() : t->PendingIndex(); },
                 &T::setActiveIndex, -1)
        .Colour("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
        .StoredIf([](T* t) { return !t->ParentColor(); })
        .Colour("ColorFrame", &T::ColorFrame, &T::setColorFrame, clGray)
        .Colour("ColorFont", &T::ColorFont, &T::setColorFont, clBlack)
        .Set("TextStyles", &T::TextStyles, &T::setTextStyles, FontStyleIdents(), std::optional(TFontStyles()))
        .Boolean("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
        .Boolean("HideButtons", &T::HideButtons, &T::setHideButtons, false)
        .Boolean("DrawLeft", side<0>, setSide<0>, true)
        .Boolean("DrawRight", side<1>, setSide<1>, true)
        .Boolean("DrawTop", side<2>, setSide<2>, true)
        .Boolean("DrawBottom", side<3>, setSide<3>, true)
        .Boolean("HideFrame", &T::HideFrame, &T::setHideFrame, false)
        .Enumeration("ButtonsPosition", &T::ButtonsPosition, &T::setButtonsPosition, positionIdents(),
                     std::optional(vtBtDown));
}

void registerTabButtons()
{
    using B = TVarnTabButtons;
    RegisterPublishedClass<TVarnTabButtons>("TVarnTabButtons", "TCustomControl")
        .Hide({"BorderWidth", "Caption", "Color", "Cursor", "Enabled", "Font", "Hint", "ParentColor", "ParentFont",
               "PopupMenu", "Visible", "TabOrder", "TabStop", "OnClick", "OnDblClick", "OnMouseDown",
               "OnMouseMove", "OnMouseUp", "OnMouseWheel", "OnMouseEnter", "OnMouseLeave", "OnResize", "OnEnter",
               "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"})
        .Enumeration("ButtonsPosition", &B::ButtonsPosition, &B::setBtPosition, positionIdents(),
                     std::optional(vtBtDown))
        .Integer("ActiveIndex", &B::ActiveIndex, &B::setActiveIndex, -1)
        .Object<TStrings>("Items", &B::Items)
        .Colour("ColorFrame", &B::ColorFrame, &B::setColorFrame, clBlack)
        .Colour("ColorFont", &B::ColorFont, &B::setColorFont, clBlack)
        .Set("TextStyles", &B::TextStyles, &B::setTextStyles, FontStyleIdents(), std::optional(TFontStyles()))
        .Event("OnChange", &B::OnChange);
}

}  // namespace

bool varn::detail::registerTabbedClasses()
{
    static const bool done = [] {
        registerPage();
        registerTabbed();
        registerTabButtons();
        return true;
    }();
    return done;
}
