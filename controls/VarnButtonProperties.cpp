// Published properties of the button in declaration order. GlyphCount and
// NumGlyphs are one value, as are Text and Caption. The colours have no declared
// default: they are always written. The button keeps Color and Font to itself.
#include "controls/VarnButtonProperties.h"

#include "controls/VarnButton.h"
#include "platform/Streaming.h"

namespace {

const TIdentList& modeIdents()
{
    static const TIdentList idents = {{"sbmFlat", sbmFlat}, {"sbmSoft", sbmSoft}, {"sbmRound", sbmRound}};
    return idents;
}

template <int Index>
TColor colour(TVarnButton* b)
{
    return b->getColors(Index);
}

template <int Index>
void setColour(TVarnButton* b, TColor value)
{
    b->setColors(Index, value);
}

void registerButton()
{
    using B = TVarnButton;
    RegisterPublishedClass<TVarnButton>("TVarnButton", "TGraphicControl")
        .Hide({"Color", "Font", "Hint", "ParentColor", "ParentFont", "OnDblClick", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnMouseWheel", "OnMouseEnter", "OnMouseLeave", "OnResize"})
        .Integer("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault, &CursorIdents())
        .Object<TBitmap>("Glyph", &B::Glyph)
        .Integer("GlyphCount", &B::GlyphCount, &B::setGlyphCount, 1)
        .Integer("NumGlyphs", &B::GlyphCount, &B::setGlyphCount, 1)
        .String("Text", &B::Text, &B::setText)
        .String("Caption", &TControl::Caption, &TControl::SetCaption)
        .Boolean("WrapText", &B::WrapText, &B::setWrapText, false)
        .Enumeration("Mode", &B::Mode, &B::setMode, modeIdents(), std::optional(sbmFlat))
        .Colour("ColorFrame", colour<0>, setColour<0>, std::nullopt)
        .Colour("ColorFrameInactive", colour<3>, setColour<3>, std::nullopt)
        .Colour("ColorBack", colour<1>, setColour<1>, std::nullopt)
        .Colour("ColorText", colour<2>, setColour<2>, std::nullopt)
        .Colour("ColorTextActive", colour<4>, setColour<4>, std::nullopt)
        .Enumeration("Alignment", &B::Alignment, &B::setAlignment, AlignmentIdents(), std::optional(taLeftJustify))
        .Set("TextStyles", &B::TextStyles, &B::setTextStyles, FontStyleIdents(), std::optional(TFontStyles()));
}

}  // namespace

bool varn::detail::registerButtonClasses()
{
    static const bool done = [] {
        registerButton();
        return true;
    }();
    return done;
}
