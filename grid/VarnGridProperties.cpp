// Published properties of the grid's classes, in declaration order, with the
// declared defaults (the constructors' values, except TFontAttr::ColorSel, whose
// declared default clHighlightText differs from its initial clBlack on purpose:
// stored forms always carry ColorSel = clBlack).
#include "grid/VarnGridProperties.h"

#include "grid/FontAttr.h"
#include "grid/VGColumn.h"
#include "grid/VarnGrid.h"
#include "platform/ImageList.h"
#include "platform/Streaming.h"

namespace {

const TIdentList& dataTypeIdents()
{
    static const TIdentList idents = {{"vgString", vgString},   {"vgDate", vgDate},       {"vgTime", vgTime},
        {"vgBoolean", vgBoolean}, {"vgInteger", vgInteger}, {"vgFloat", vgFloat},
        {"vgMoney", vgMoney}};
    return idents;
}

const TIdentList& charCaseIdents()
{
    static const TIdentList idents = {{"ecNormal", ecNormal}, {"ecUpperCase", ecUpperCase}, {"ecLowerCase", ecLowerCase}};
    return idents;
}

const TIdentList& fontStyleIdents()
{
    static const TIdentList idents = {{"fsBold", 0}, {"fsItalic", 1}, {"fsUnderline", 2}, {"fsStrikeOut", 3}};
    return idents;
}

void registerFontAttrs()
{
    RegisterPublishedClass<TFontAttr>("TFontAttr", "TPersistent")
        .Colour("Color", &TFontAttr::Color, &TFontAttr::SetColor, 0)
        .Colour("ColorSel", &TFontAttr::ColorSel, &TFontAttr::SetColorSel, clHighlightText)
        .Colour("BackColor", &TFontAttr::BackColor, &TFontAttr::SetBackColor, clNone)
        .Colour("BackColorSel", &TFontAttr::BackColorSel, &TFontAttr::SetBackColorSel, clNone)
        .Set("Styles", &TFontAttr::Styles, &TFontAttr::SetStyles, fontStyleIdents(), std::optional(TFontStyles()));
    RegisterPublishedClass<TFontAttrs>("TFontAttrs", "TPersistent")
        .Object<TFontAttr>("Attr0", &TFontAttrs::Attr0)
        .Object<TFontAttr>("Attr1", &TFontAttrs::Attr1)
        .Object<TFontAttr>("Attr2", &TFontAttrs::Attr2)
        .Object<TFontAttr>("Attr3", &TFontAttrs::Attr3)
        .Object<TFontAttr>("Attr4", &TFontAttrs::Attr4);
}

void registerColumns()
{
    // DataType comes before Format and the combo lists: setting it clears them.
    RegisterPublishedClass<TVGColumn>("TVGColumn", "TCollectionItem")
        .String("FieldName", &TVGColumn::FieldName, &TVGColumn::SetFieldName)
        .Enumeration("Alignment", &TVGColumn::Alignment, &TVGColumn::SetAlignment, AlignmentIdents(),
                     std::optional(taLeftJustify))
        .String("Caption", &TVGColumn::Caption, &TVGColumn::SetCaption)
        .Integer("Width", &TVGColumn::Width, &TVGColumn::SetWidth, 50)
        .Boolean("ReadOnly", &TVGColumn::ReadOnly, &TVGColumn::SetReadOnly, false)
        .Enumeration("DataType", &TVGColumn::DataType, &TVGColumn::SetDataType, dataTypeIdents(),
                     std::optional(vgString))
        .Boolean("IsCombo", &TVGColumn::IsCombo, &TVGColumn::SetIsCombo, false)
        .String("Format", &TVGColumn::Format, &TVGColumn::SetFormat)
        .Enumeration("CharCase", &TVGColumn::CharCase, &TVGColumn::SetCharCase, charCaseIdents(),
                     std::optional(ecNormal))
        .Object<TStrings>("ComboTexts", &TVGColumn::ComboTexts)
        .Object<TStrings>("ComboValues", &TVGColumn::ComboValues)
        .Boolean("IsCol100x100", &TVGColumn::GetIsCol100x100, &TVGColumn::SetIsCol100x100, false)
        .NotStored();
    RegisterPublishedClass<TVGColumnCollection>("TVGColumnCollection", "TOwnedCollection");
}

void registerGrid()
{
    // The grid publishes Align, TabStop, TabOrder, Visible and OnKeyDown of the
    // framework's properties, besides the bounds; no font, colour or caption.
    RegisterPublishedClass<TVarnGrid>("TVarnGrid", "TCustomControl")
        .Hide({"Caption", "Color", "ParentColor", "Enabled", "Cursor", "Hint", "BorderWidth", "Font",
               "ParentFont", "OnClick", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnMouseWheel",
               "OnMouseEnter", "OnMouseLeave", "OnResize", "OnEnter", "OnExit", "OnKeyPress", "OnKeyUp"})
        .Colour("ColorBk", &TVarnGrid::ColorBk, &TVarnGrid::SetBkColor, clWindow)
        .Colour("ColorBkSel", &TVarnGrid::ColorBkSel, &TVarnGrid::SetColorBkSel, clHighlight)
        .Colour("ColorBkSelIn", &TVarnGrid::ColorBkSelIn, &TVarnGrid::SetColorBkSelIn, clInactiveCaption)
        .Colour("ColorHead", &TVarnGrid::ColorHead, &TVarnGrid::SetHdColor, clBtnFace)
        .Colour("ColorText", &TVarnGrid::ColorText, &TVarnGrid::SetColorText, clWindowText)
        .Colour("ColorTextSel", &TVarnGrid::ColorTextSel, &TVarnGrid::SetColorTextSel, clHighlightText)
        .Collection<TVGColumn>("Columns", &TVarnGrid::Columns)
        .Integer("RowHeight", &TVarnGrid::RowHeight, &TVarnGrid::SetRowHeight, 15)
        .String("Col100x100", &TVarnGrid::Col100x100, &TVarnGrid::SetCol100x100)
        .Boolean("Multiselect", &TVarnGrid::Multiselect, &TVarnGrid::SetMultiselect, false)
        .Boolean("LabelWrap", &TVarnGrid::LabelWrap, &TVarnGrid::SetLabelWrap, true)
        .Boolean("ShowHeader", &TVarnGrid::ShowHeader, &TVarnGrid::SetShowHeader, true)
        .Boolean("ShowSelection", &TVarnGrid::ShowSelection, &TVarnGrid::SetShowSelection, true)
        .Boolean("CheckBoxes", &TVarnGrid::CheckBoxes, &TVarnGrid::SetCheckBoxes, false)
        .Boolean("CheckAreRadio", &TVarnGrid::CheckAreRadio, &TVarnGrid::SetChecksAreRadio, false)
        .Boolean("ShowLines", &TVarnGrid::ShowLines, &TVarnGrid::SetGridLines, true)
        .Boolean("Editable", &TVarnGrid::Editable, &TVarnGrid::SetEditable, false)
        .Boolean("InEdit", &TVarnGrid::InEdit, nullptr, false)
        .ReadOnly()
        .Boolean("AutoAddRow", &TVarnGrid::AutoAddRow, &TVarnGrid::SetAutoAddRow, false)
        .Object<TFontAttr>("AttrUnicolumn", &TVarnGrid::AttrUnicolumn)
        .String("SkinName", &TVarnGrid::SkinName, &TVarnGrid::SetSkinName)
        .Object<TFontAttrs>("FontAttrs", &TVarnGrid::FontAttrs)
        .Component<TCustomImageList>("Images", &TVarnGrid::Images, &TVarnGrid::SetImages)
        .Boolean("ItemDataOnRefresh", &TVarnGrid::ItemDataOnRefresh, &TVarnGrid::SetItemDataOnRefresh, false)
        .Boolean("SortOnHeaderClick", &TVarnGrid::SortOnHeaderClick, &TVarnGrid::SetSortOnHeaderClick, false)
        .Boolean("IncrementalSearch", &TVarnGrid::IncrementalSearch, &TVarnGrid::SetIncrementalSearch, false)
        .Boolean("CopyCaptions", &TVarnGrid::CopyCaptions, &TVarnGrid::SetCopyCaptions, false)
        .Event("OnDblClick", &TVarnGrid::OnDblClick)
        .Event("OnRowEnter", &TVarnGrid::OnRowEnter)
        .Event("OnRowExit", &TVarnGrid::OnRowExit)
        .Event("OnRowNeedData", &TVarnGrid::OnRowNeedData)
        .Event("OnCellModified", &TVarnGrid::OnCellModified)
        .Event("OnRowChecking", &TVarnGrid::OnRowChecking)
        .Event("OnHeadChange", &TVarnGrid::OnHeadChange)
        .Event("OnKeyDownEx", &TVarnGrid::OnKeyDownEx)
        .Event("OnPasteError", &TVarnGrid::OnPasteError)
        // Computed texts, never written to a form: the row class source (read-only)
        // and the column text, whose writing rebuilds the columns.
        .Object<TStrings>("RowCode", &TVarnGrid::RowCodeList)
        .ReadOnly()
        .Object<TStrings>("ColData", &TVarnGrid::ColDataList)
        .NotStored();
}

}  // namespace

bool varn::detail::registerGridClasses()
{
    static const bool done = [] {
        registerFontAttrs();
        registerColumns();
        registerGrid();
        return true;
    }();
    return done;
}
