// Published properties of the calendar in streaming order: the two events,
// Multiselect, the framework's TabStop (true here), TabOrder, Align, PopupMenu,
// Visible and OnDblClick, then the nine colours. The bounds come first, as for
// every control.
#include "edit/VarnCalendarProperties.h"

#include "edit/VarnCalendar.h"
#include "platform/Menus.h"
#include "platform/Streaming.h"

namespace {

void registerCalendar()
{
    using C = TVarnCalendar;
    auto colour = [](int index) {
        return std::pair{[index](C* c) { return c->getXColor(index); },
                         [index](C* c, TColor v) { c->setXColor(index, v); }};
    };
    auto [getBackground, setBackground] = colour(0);
    auto [getTitleBack, setTitleBack] = colour(1);
    auto [getTitleText, setTitleText] = colour(2);
    auto [getDayNames, setDayNames] = colour(3);
    auto [getSelectedBack, setSelectedBack] = colour(4);
    auto [getSelectedText, setSelectedText] = colour(5);
    auto [getDayNormal, setDayNormal] = colour(6);
    auto [getDayNoMonth, setDayNoMonth] = colour(7);
    auto [getDayHoly, setDayHoly] = colour(8);

    RegisterPublishedClass<TVarnCalendar>("TVarnCalendar", "TCustomControl")
        .Hide({"Caption", "Color", "Cursor", "Enabled", "Font", "Hint", "ParentColor", "ParentFont", "BorderWidth",
               "OnClick", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnMouseWheel", "OnMouseEnter",
               "OnMouseLeave", "OnResize", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"})
        .Event("OnChange", &C::OnChange)
        .Event("OnGetHolidayInfo", &C::OnGetHolidayInfo)
        .Boolean("Multiselect", [](C* c) { return c->Multiselect; }, [](C* c, bool v) { c->Multiselect = v; },
                 false)
        .Boolean("TabStop", &C::TabStop, &C::SetTabStop, true)
        .Integer("TabOrder", &C::TabOrder, &C::SetTabOrder, -1)
        .Enumeration("Align", &C::Align, &C::SetAlign, AlignIdents(), std::optional(alNone))
        .Component<TPopupMenu>("PopupMenu", &C::PopupMenu, &C::SetPopupMenu)
        .Boolean("Visible", &C::Visible, &C::SetVisible, true)
        .Event("OnDblClick", &C::OnDblClick)
        .Colour("ColorBackground", getBackground, setBackground, clWindow)
        .Colour("ColorTitleBack", getTitleBack, setTitleBack, clSilver)
        .Colour("ColorTitleText", getTitleText, setTitleText, clWindowText)
        .Colour("ColorDayNames", getDayNames, setDayNames, clNavy)
        .Colour("ColorDaySelectedBack", getSelectedBack, setSelectedBack, clNavy)
        .Colour("ColorDaySelectedText", getSelectedText, setSelectedText, clWhite)
        .Colour("ColorDayNormal", getDayNormal, setDayNormal, clBlack)
        .Colour("ColorDayNoMonth", getDayNoMonth, setDayNoMonth, clSilver)
        .Colour("ColorDayHoly", getDayHoly, setDayHoly, RGB(196, 0, 0));
}

}  // namespace

bool varn::detail::registerCalendarClasses()
{
    static const bool done = [] {
        registerCalendar();
        return true;
    }();
    return done;
}
