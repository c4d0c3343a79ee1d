// The published properties of the platform's classes, with the framework's declared
// defaults. Width, Height, Left and Top of controls, and the font's Charset, Color,
// Height, Name and Style have no declared default: they are always written.
#include "platform/Streaming.h"

#include "platform/Bitmap.h"
#include "platform/Controls.h"
#include "platform/Edit.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/ImageList.h"
#include "platform/Menus.h"
#include "platform/ListBox.h"
#include "platform/ScrollBox.h"
#include "platform/StdCtrls.h"

#include <cstring>

namespace {

const TIdentList& borderStyleIdents()
{
    static const TIdentList idents = {{"bsNone", bsNone},       {"bsSingle", bsSingle},
        {"bsSizeable", bsSizeable}, {"bsDialog", bsDialog},
        {"bsToolWindow", bsToolWindow}, {"bsSizeToolWin", bsSizeToolWin}};
    return idents;
}

const TIdentList& positionIdents()
{
    static const TIdentList idents = {{"poDesigned", poDesigned},           {"poDefault", poDefault},
        {"poDefaultPosOnly", poDefaultPosOnly}, {"poDefaultSizeOnly", poDefaultSizeOnly},
        {"poScreenCenter", poScreenCenter},     {"poDesktopCenter", poDesktopCenter},
        {"poMainFormCenter", poMainFormCenter}, {"poOwnerFormCenter", poOwnerFormCenter}};
    return idents;
}

const TIdentList& printScaleIdents()
{
    static const TIdentList idents = {{"poNone", 0}, {"poProportional", 1}, {"poPrintToFit", 2}};
    return idents;
}

const TIdentList& borderIconIdents()
{
    static const TIdentList idents = {{"biSystemMenu", 0}, {"biMinimize", 1}, {"biMaximize", 2}, {"biHelp", 3}};
    return idents;
}

const TIdentList& pitchIdents()
{
    static const TIdentList idents = {{"fpDefault", fpDefault}, {"fpVariable", fpVariable}, {"fpFixed", fpFixed}};
    return idents;
}

TPropValue ordinalValue(int64_t value)
{
    return TPropValue{value, 0, {}};
}

// Bitmap data as the framework stores it: a 32-bit little-endian byte count, then
// a BMP file of that many bytes. An empty bitmap stores nothing.
AnsiString bitmapData(TBitmap* bitmap)
{
    if (bitmap->Width() <= 0 || bitmap->Height() <= 0)
        return AnsiString();
    std::vector<uint8_t> file = bitmap->SaveToBuffer();
    AnsiString data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[static_cast<size_t>(i)] = static_cast<char>((file.size() >> (8 * i)) & 0xFF);
    data.append(reinterpret_cast<const char*>(file.data()), file.size());
    return data;
}

void setBitmapData(TBitmap* bitmap, const AnsiString& data)
{
    if (data.empty()) {
        bitmap->SetSize(0, 0);
        return;
    }
    if (data.size() < 4)
        throw EReadError("Bitmap image is not valid");
    uint32_t count = 0;
    for (int i = 3; i >= 0; --i)
        count = count << 8 | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
    if (count > data.size() - 4)
        throw EReadError("Bitmap image is not valid");
    bitmap->LoadFromBuffer(data.data() + 4, count);
}

void registerObjects()
{
    RegisterPublishedClass<TPersistent>("TPersistent", "");
    RegisterPublishedClass<TComponent>("TComponent", "TPersistent")
        .Integer("Tag", [](TComponent* c) { return c->Tag; }, [](TComponent* c, int v) { c->Tag = v; });
    RegisterPublishedClass<TStrings>("TStrings", "TPersistent").StringItems("Strings");
    RegisterPublishedClass<TStringList>("TStringList", "TStrings");
    RegisterPublishedClass<TCollection>("TCollection", "TPersistent");
    RegisterPublishedClass<TOwnedCollection>("TOwnedCollection", "TCollection");
    RegisterPublishedClass<TCollectionItem>("TCollectionItem", "TPersistent");
}

void registerGraphics()
{
    RegisterPublishedClass<TGraphicsObject>("TGraphicsObject", "TPersistent");
    RegisterPublishedClass<TFont>("TFont", "TGraphicsObject")
        .Integer("Charset", &TFont::Charset, &TFont::SetCharset, std::nullopt, &CharsetIdents())
        .Colour("Color", &TFont::Color, &TFont::SetColor, std::nullopt)
        .Integer("Height", &TFont::Height, &TFont::SetHeight, std::nullopt)
        .String("Name", &TFont::Name, &TFont::SetName, nullptr)
        .Enumeration("Pitch", &TFont::Pitch, &TFont::SetPitch, pitchIdents(), std::optional(fpDefault))
        .Integer("Size", &TFont::Size, &TFont::SetSize)
        .NotStored()
        .Set("Style", &TFont::Style, &TFont::SetStyle, FontStyleIdents(), std::optional<TFontStyles>());
    RegisterPublishedClass<TGraphic>("TGraphic", "TPersistent");
    RegisterPublishedClass<TBitmap>("TBitmap", "TGraphic").Binary("Data", bitmapData, setBitmapData);
    RegisterPublishedClass<TCustomImageList>("TCustomImageList", "TComponent");
}

void registerControls()
{
    RegisterPublishedClass<TControl>("TControl", "TComponent")
        .Integer("Left", &TControl::Left, &TControl::SetLeft, std::nullopt)
        .Integer("Top", &TControl::Top, &TControl::SetTop, std::nullopt)
        .Integer("Width", &TControl::Width, &TControl::SetWidth, std::nullopt)
        .Integer("Height", &TControl::Height, &TControl::SetHeight, std::nullopt)
        .Enumeration("Align", &TControl::Align, &TControl::SetAlign, AlignIdents(), std::optional(alNone))
        .String("Caption", &TControl::Caption, &TControl::SetCaption)
        .Colour("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
        .Integer("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault, &CursorIdents())
        .Boolean("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
        .Object<TFont>("Font", &TControl::Font)
        .StoredIf([](TControl* c) { return !c->ParentFont(); })
        .String("Hint", [](TControl* c) { return c->Hint; }, [](TControl* c, const AnsiString& v) { c->Hint = v; })
        .Boolean("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, false)
        .Boolean("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
        .Component<TPopupMenu>("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)
        .Boolean("Visible", &TControl::Visible, &TControl::SetVisible, true)
        .Event("OnClick", &TControl::OnClick)
        .Event("OnDblClick", &TControl::OnDblClick)
        .Event("OnMouseDown", &TControl::OnMouseDown)
        .Event("OnMouseMove", &TControl::OnMouseMove)
        .Event("OnMouseUp", &TControl::OnMouseUp)
        .Event("OnMouseWheel", &TControl::OnMouseWheel)
        .Event("OnMouseEnter", &TControl::OnMouseEnter)
        .Event("OnMouseLeave", &TControl::OnMouseLeave)
        .Event("OnResize", &TControl::OnResize);
    RegisterPublishedClass<TWinControl>("TWinControl", "TControl")
        .Integer("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth)
        .Integer("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder, -1)
        .Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false)
        .Event("OnEnter", &TWinControl::OnEnter)
        .Event("OnExit", &TWinControl::OnExit)
        .Event("OnKeyDown", &TWinControl::OnKeyDown)
        .Event("OnKeyPress", &TWinControl::OnKeyPress)
        .Event("OnKeyUp", &TWinControl::OnKeyUp);
    RegisterPublishedClass<TCustomControl>("TCustomControl", "TWinControl");
    RegisterPublishedClass<TGraphicControl>("TGraphicControl", "TControl");
    RegisterPublishedClass<TTimer>("TTimer", "TComponent")
        .Boolean("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
        .Integer("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000)
        .Event("OnTimer", &TTimer::OnTimer);
}

void registerForms()
{
    // A form stores its client size; Width and Height follow from it.
    RegisterPublishedClass<TForm>("TForm", "TWinControl")
        .Hide({"Align", "TabOrder", "TabStop"})
        .Integer("Width", &TControl::Width, &TControl::SetWidth, std::nullopt)
        .NotStored()
        .Integer("Height", &TControl::Height, &TControl::SetHeight, std::nullopt)
        .NotStored()
        .Kept("BorderIcons", pkSet, ordinalValue(7), ordinalValue(7), &borderIconIdents())
        .Enumeration("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle, borderStyleIdents(),
                     std::optional(bsSizeable))
        .Integer("ClientHeight", [](TForm* f) { return f->ClientHeight(); }, &TForm::SetClientHeight, std::nullopt)
        .Integer("ClientWidth", [](TForm* f) { return f->ClientWidth(); }, &TForm::SetClientWidth, std::nullopt)
        .Boolean("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, false)
        .Kept("OldCreateOrder", pkBoolean, ordinalValue(0), std::nullopt, &BooleanIdents())
        .Enumeration("Position", &TForm::Position, &TForm::SetPosition, positionIdents(), std::optional(poDesigned))
        .Kept("PrintScale", pkEnumeration, ordinalValue(1), ordinalValue(1), &printScaleIdents())
        .Kept("Scaled", pkBoolean, ordinalValue(1), ordinalValue(1), &BooleanIdents())
        .Boolean("Visible", &TControl::Visible, &TControl::SetVisible, false)
        .Event("OnActivate", &TForm::OnActivate)
        .Event("OnClose", &TForm::OnClose)
        .Event("OnCloseQuery", &TForm::OnCloseQuery)
        .Event("OnCreate", &TForm::OnCreate)
        .Event("OnDeactivate", &TForm::OnDeactivate)
        .Event("OnHide", &TForm::OnHide)
        .Event("OnShow", &TForm::OnShow)
        .Kept("PixelsPerInch", pkInteger, ordinalValue(96), std::nullopt)
        .Kept("TextHeight", pkInteger, ordinalValue(13), std::nullopt);
}

}  // namespace

namespace varn::detail {
void registerPlatformClasses();

void registerPlatformClasses()
{
    registerObjects();
    registerGraphics();
    registerControls();
    registerForms();
    registerMenuClasses();
    registerPanelAndLabelClasses();
    registerListBoxClasses();
    registerScrollBoxClasses();
    registerEditClasses();
}
}  // namespace varn::detail
