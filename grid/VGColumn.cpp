#include "grid/VGColumn.h"

#include "grid/VarnGrid.h"
#include "utils/Cnvtools.h"

TVGColumn::TVGColumn(TCollection* Collection)
    : TCollectionItem(Collection),
      FComboTexts(std::make_unique<TStringList>()),
      FComboValues(std::make_unique<TStringList>())
{
}

TVGColumn::~TVGColumn() = default;

void TVGColumn::AfterConstruction()
{
    FAlignment = taLeftJustify;
    FWidth = 50;
    FReadOnly = false;
    FDataType = vgString;
    FIsCombo = false;
}

void TVGColumn::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TVGColumn*>(Source);
    if (!source) {
        TCollectionItem::Assign(Source);
        return;
    }
    FFieldName = source->FFieldName;
    FAlignment = source->FAlignment;
    FCaption = source->FCaption;
    FWidth = source->FWidth;
    FReadOnly = source->FReadOnly;
    FDataType = source->FDataType;
    FIsCombo = source->FIsCombo;
    FFormat = source->FFormat;
    FCharCase = source->FCharCase;
    FComboTexts->Assign(source->FComboTexts.get());
    FComboValues->Assign(source->FComboValues.get());
}

AnsiString TVGColumn::GetDisplayName() const
{
    return FCaption.empty() ? TCollectionItem::GetDisplayName() : FCaption;
}

void TVGColumn::DoChange()
{
    if (auto* collection = dynamic_cast<TVGColumnCollection*>(Collection()))
        collection->Update(this);
}

void TVGColumn::SetAlignment(TAlignment value)
{
    FAlignment = value;
    DoChange();
}

void TVGColumn::SetCaption(const AnsiString& value)
{
    FCaption = value;
    DoChange();
}

void TVGColumn::SetWidth(int value)
{
    FWidth = value;
    DoChange();
}

void TVGColumn::SetReadOnly(bool value)
{
    FReadOnly = value;
    DoChange();
}

void TVGColumn::SetDataType(VGDataType value)
{
    if (value == FDataType)
        return;
    FDataType = value;
    FFormat.clear();
    clear();
    switch (value) {
    case vgDate:
        FFormat = "DD/MM/YYYY";
        break;
    case vgTime:
        FFormat = "HH:MM";
        break;
    case vgBoolean:
        add("no", "false");
        add("s\xED", "true");
        break;
    default:
        break;
    }
    DoChange();
}

void TVGColumn::SetIsCombo(bool value)
{
    FIsCombo = value;
    DoChange();
}

void TVGColumn::SetFormat(const AnsiString& value)
{
    FFormat = value;
    DoChange();
}

void TVGColumn::SetCharCase(TEditCharCase value)
{
    FCharCase = value;
    DoChange();
}

void TVGColumn::clear()
{
    FComboTexts->Clear();
    FComboValues->Clear();
}

void TVGColumn::add(const AnsiString& text, const AnsiString& value)
{
    FComboTexts->Add(text);
    FComboValues->Add(value);
}

AnsiString TVGColumn::getComboText(const AnsiString& value) const
{
    for (int i = 0; i < FComboValues->Count(); ++i) {
        if (FComboValues->Get(i) == value) {
            if (i >= FComboTexts->Count())
                ListIndexError(i);
            return FComboTexts->Get(i);
        }
    }
    return value;
}

TVarnGrid* TVGColumn::ownerGrid() const
{
    auto* collection = dynamic_cast<TVGColumnCollection*>(Collection());
    return collection ? collection->Grid() : nullptr;
}

bool TVGColumn::GetIsCol100x100() const
{
    TVarnGrid* grid = ownerGrid();
    return !FFieldName.empty() && grid && grid->Col100x100() == FFieldName;
}

void TVGColumn::SetIsCol100x100(bool value)
{
    TVarnGrid* grid = ownerGrid();
    if (FFieldName.empty() || !grid)
        return;
    grid->SetCol100x100(value ? FFieldName : AnsiString());
}

namespace {

// A value between double quotes. The three characters that would cut the value
// or break the tag apart are written as the entities the column-text reader
// turns back; every other character stays as it is.
AnsiString quotedValue(AnsiString value)
{
    cnvReplaceAll("\"", "&quot;", value);
    cnvReplaceAll("<", "&lt;", value);
    cnvReplaceAll(">", "&gt;", value);
    return cnvQuote(value);
}

}  // namespace

AnsiString TVGColumn::ToString() const
{
    return "<TVGColumn FieldName=" + quotedValue(FFieldName) +
           " Alignment=" + cnvQuote(cnvIntToStr(FAlignment)) +
           " Caption=" + quotedValue(FCaption) +
           " Width=" + cnvQuote(cnvIntToStr(FWidth)) +
           " ReadOnly=" + cnvQuote(cnvBoolToStr(FReadOnly)) +
           " DataType=" + cnvQuote(cnvIntToStr(FDataType)) +
           " IsCombo=" + cnvQuote(cnvBoolToStr(FIsCombo)) +
           " Format=" + quotedValue(FFormat) + " />\r\n";
}

TVGColumnCollection::TVGColumnCollection(TVarnGrid* grid)
    : TOwnedCollection(grid, ItemClassOf<TVGColumn>()), grid(grid)
{
}

void TVGColumnCollection::Update(TCollectionItem* Item)
{
    (void)Item;
    if (grid)
        grid->UpdateColumns();
}

AnsiString TVGColumnCollection::ToString() const
{
    AnsiString text = "<TVGColumnCollection>\r\n";
    for (int i = 0; i < Count(); ++i)
        text += Items(i)->ToString();
    return text + "</TVGColumnCollection>\r\n";
}
