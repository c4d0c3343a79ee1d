// Font attributes: the colours and styles the grid puts on its canvas before
// drawing a cell, and the grid's set of five numbered attributes.
#pragma once

#include "platform/Classes.h"
#include "platform/Graphics.h"

#include <memory>

class TFontAttr : public TPersistent {
public:
    TFontAttr();
    AnsiString ClassName() const override { return "TFontAttr"; }

    // Copies the colours and styles of another TFontAttr; any other source is
    // ignored without error.
    void Assign(TPersistent* Source) override;

    // Puts the attribute on the canvas. A background of clNone leaves the brush
    // and pen as they are.
    void Apply(TCanvas* canvas, bool selected) const;

    TColor Color() const { return FColor; }
    void SetColor(TColor value) { FColor = value; }
    TColor ColorSel() const { return FColorSel; }
    void SetColorSel(TColor value) { FColorSel = value; }
    TColor BackColor() const { return FBackColor; }
    void SetBackColor(TColor value) { FBackColor = value; }
    TColor BackColorSel() const { return FBackColorSel; }
    void SetBackColorSel(TColor value) { FBackColorSel = value; }
    TFontStyles Styles() const { return FStyles; }
    void SetStyles(TFontStyles value) { FStyles = value; }

private:
    TColor FColor = clBlack;
    TColor FColorSel = clBlack;  // stored default is clHighlightText, so forms always carry it
    TColor FBackColor = clNone;
    TColor FBackColorSel = clNone;
    TFontStyles FStyles;
};

// The five attributes Attr0..Attr4 that rows and cells refer to by index.
class TFontAttrs : public TPersistent {
public:
    static constexpr int Count = 5;

    TFontAttrs();
    AnsiString ClassName() const override { return "TFontAttrs"; }
    void Assign(TPersistent* Source) override;

    // The caller keeps index within 0..4; outside it raises the list-index error.
    TFontAttr* GetAttr(int index) const;
    // Copies value into the owned attribute.
    void SetAttr(int index, TFontAttr* value) { GetAttr(index)->Assign(value); }

    TFontAttr* Attr0() const { return GetAttr(0); }
    TFontAttr* Attr1() const { return GetAttr(1); }
    TFontAttr* Attr2() const { return GetAttr(2); }
    TFontAttr* Attr3() const { return GetAttr(3); }
    TFontAttr* Attr4() const { return GetAttr(4); }
    void SetAttr0(TFontAttr* value) { SetAttr(0, value); }
    void SetAttr1(TFontAttr* value) { SetAttr(1, value); }
    void SetAttr2(TFontAttr* value) { SetAttr(2, value); }
    void SetAttr3(TFontAttr* value) { SetAttr(3, value); }
    void SetAttr4(TFontAttr* value) { SetAttr(4, value); }

private:
    std::unique_ptr<TFontAttr> attrs[Count];
};
