// The grid's column model: one TVGColumn per column, held in the grid's
// TVGColumnCollection. Every change of a column reaches the grid's UpdateColumns.
#pragma once

#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Edit.h"  // TEditCharCase

#include <cstdint>
#include <memory>

class TVarnGrid;

enum VGDataType : uint8_t { vgString, vgDate, vgTime, vgBoolean, vgInteger, vgFloat, vgMoney };

class TVGColumn : public TCollectionItem {
public:
    explicit TVGColumn(TCollection* Collection);
    ~TVGColumn() override;
    AnsiString ClassName() const override { return "TVGColumn"; }

    void AfterConstruction() override;
    // Copies every field and both combo lists without side effects or notices.
    void Assign(TPersistent* Source) override;
    AnsiString GetDisplayName() const override;

    // Reports a change to the collection, which leads to the grid's UpdateColumns.
    void DoChange();

    const AnsiString& FieldName() const { return FFieldName; }
    void SetFieldName(const AnsiString& value) { FFieldName = value; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& value);
    int Width() const { return FWidth; }
    void SetWidth(int value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    VGDataType DataType() const { return FDataType; }
    // A new type drops Format and the combo entries, then sets the type's own.
    void SetDataType(VGDataType value);
    bool IsCombo() const { return FIsCombo; }
    void SetIsCombo(bool value);
    const AnsiString& Format() const { return FFormat; }
    void SetFormat(const AnsiString& value);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase value);
    // Assigning copies the given list's content into the owned list.
    TStringList* ComboTexts() const { return FComboTexts.get(); }
    void SetComboTexts(TStrings* value) { FComboTexts->Assign(value); }
    TStringList* ComboValues() const { return FComboValues.get(); }
    void SetComboValues(TStrings* value) { FComboValues->Assign(value); }

    // Combo lists: ComboValues holds stored cell values, ComboTexts the text
    // shown for each, entry by entry.
    void clear();
    void add(const AnsiString& text, const AnsiString& value);
    int GetComboCount() const { return FComboTexts->Count(); }
    // The text shown for a stored value (exact match); the value itself when
    // it is not listed.
    AnsiString getComboText(const AnsiString& value) const;

    // True when this column is the one named by the grid's Col100x100.
    bool GetIsCol100x100() const;
    void SetIsCol100x100(bool value);

    // One tag line of the column text (field name, alignment, caption, width,
    // read-only, type, combo flag, format), ending in CR LF.
    AnsiString ToString() const;

private:
    TVarnGrid* ownerGrid() const;

    AnsiString FFieldName;
    TAlignment FAlignment = taLeftJustify;
    AnsiString FCaption;
    int FWidth = 50;
    bool FReadOnly = false;
    VGDataType FDataType = vgString;
    bool FIsCombo = false;
    AnsiString FFormat;
    TEditCharCase FCharCase = ecNormal;
    std::unique_ptr<TStringList> FComboTexts;
    std::unique_ptr<TStringList> FComboValues;
};

class TVGColumnCollection : public TOwnedCollection {
public:
    explicit TVGColumnCollection(TVarnGrid* grid);
    AnsiString ClassName() const override { return "TVGColumnCollection"; }

    TVGColumn* Add() { return static_cast<TVGColumn*>(TCollection::Add()); }
    TVGColumn* Items(int Index) const { return static_cast<TVGColumn*>(TCollection::Items(Index)); }
    TVarnGrid* Grid() const { return grid; }

    // Any change of any column: the grid recomputes its layout.
    void Update(TCollectionItem* Item) override;

    // The column text: the collection's opening tag, one line per column, the closing tag.
    AnsiString ToString() const;

private:
    TVarnGrid* grid;  // the owning grid, not owned
};
