// Published properties of the edit box in streaming order after the framework's
// bounds, Cursor and Hint: TabStop, Font, ParentFont, Color, TabOrder, Align,
// Visible, Enabled, Text, the navigator, Lines, the field's styles, the events,
// Mode, Format, ShowFrame, the label and the two item lists. Text comes before
// Mode and Format, so a stored text is applied while the box is still in text mode.
#include "edit/VarnEditProperties.h"

#include "edit/VarnEditInterior.h"
#include "platform/Streaming.h"

namespace {

void registerEditBox()
{
    static const TIdentList modeIdents = {
        {"sEditString", sEditString}, {"sEditDate", sEditDate},       {"sEditTime", sEditTime},
        {"sEditList", sEditList},     {"sEditBoolean", sEditBoolean}, {"sEditInteger", sEditInteger},
        {"sEditDouble", sEditDouble}, {"sEditMemo", sEditMemo}};
    static const TIdentList navigatorIdents = {
        {"sDnkDay", sDnkDay}, {"sDnkWeek", sDnkWeek}, {"sDnkMonth", sDnkMonth}, {"sDnkYear", sDnkYear}};
    static const TIdentList charCaseIdents = {
        {"ecNormal", ecNormal}, {"ecUpperCase", ecUpperCase}, {"ecLowerCase", ecLowerCase}};

    using E = TVarnEdit;
    RegisterPublishedClass<TVarnEdit>("TVarnEdit", "TWinControl")
        .Hide({"Caption", "PopupMenu", "BorderWidth", "OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnMouseWheel", "OnMouseEnter", "OnMouseLeave", "OnResize", "OnEnter", "OnExit",
               "OnKeyDown", "OnKeyUp"})
        // The box points with a hand in the combo modes and an I-beam otherwise; only
        // another cursor is worth writing.
        .Integer("Cursor", &E::Cursor, &E::SetCursor, crDefault, &CursorIdents())
        .StoredIf([](E* e) { return e->Cursor() != (e->IsCombo() ? crHandPoint : crIBeam); })
        .Boolean("TabStop", &E::TabStop, &E::SetTabStop, true)
        .Colour("Color", &E::Color, &E::SetColor, clWindow)
        .Integer("TabOrder", &E::TabOrder, &E::SetTabOrder, -1)
        .String("Text", &E::getText, &E::setText)
        .Boolean("DateNavigator", &E::getDateNavigator, &E::setDateNavigator, false)
        .Enumeration("DateNavigatorKind", &E::getDateNavigatorKind, &E::setDateNavigatorKind, navigatorIdents,
                     std::optional(sDnkDay))
        // Text carries the value; Lines is read from descriptions but not written twice.
        .Object<TStrings>("Lines", &E::getLines)
        .NotStored()
        .Enumeration("CharCase", &E::getCharCase, &E::setCharCase, charCaseIdents, std::optional(ecNormal))
        .Boolean("HideSelection", &E::getHideSelection, &E::setHideSelection, true)
        .Integer("MaxLength", &E::getMaxLength, &E::setMaxLength, 0)
        .Boolean("OEMConvert", &E::getOEMConvert, &E::setOEMConvert, false)
        .String("PasswordChar",
                [](E* e) { return e->getPasswordChar() ? AnsiString(1, e->getPasswordChar()) : AnsiString(); },
                [](E* e, const AnsiString& v) { e->setPasswordChar(v.empty() ? '\0' : v[0]); })
        .Boolean("ParentColor", &E::ParentColor, &E::SetParentColor, false)
        .Boolean("ReadOnly", &E::getReadOnly, &E::setReadOnly, false)
        .Event("OnChange", &E::OnChange)
        .Event("OnPopClose", &E::OnPopClose)
        .Event("OnKeyPress", &TWinControl::OnKeyPress)
        .Event("OnKeyPressPost", &E::OnKeyPressPost)
        .Enumeration("Mode", &E::getMode, &E::setMode, modeIdents, std::optional(sEditString))
        .String("Format", &E::getFormat, &E::setFormat)
        .Boolean("ShowFrame", &E::getShowFrame, &E::setShowFrame, false)
        .String("Label", &E::getLabel, &E::setLabel)
        .Colour("LabelColor", &E::getLabelColor, &E::setLabelColor, 0)
        .Object<TStrings>("ComboTexts", &E::getComboTexts)
        .Object<TStrings>("ComboValues", &E::getComboValues);
}

}  // namespace

bool varn::detail::registerEditBoxClasses()
{
    static const bool done = [] {
        registerEditBox();
        return true;
    }();
    return done;
}
