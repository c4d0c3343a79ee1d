#include "grid/FontAttr.h"

TFontAttr::TFontAttr() = default;

void TFontAttr::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TFontAttr*>(Source);
    if (!source)
        return;
    FColor = source->FColor;
    FColorSel = source->FColorSel;
    FStyles = source->FStyles;
    FBackColor = source->FBackColor;
    FBackColorSel = source->FBackColorSel;
}

void TFontAttr::Apply(TCanvas* canvas, bool selected) const
{
    canvas->Font()->SetStyle(FStyles);
    TColor text = selected ? FColorSel : FColor;
    TColor back = selected ? FBackColorSel : FBackColor;
    canvas->Font()->SetColor(text);
    if (back != clNone) {
        canvas->Brush()->SetColor(back);
        canvas->Pen()->SetColor(back);
    }
}

TFontAttrs::TFontAttrs()
{
    for (auto& attr : attrs)
        attr = std::make_unique<TFontAttr>();
}

void TFontAttrs::Assign(TPersistent* Source)
{
    auto* source = dynamic_cast<TFontAttrs*>(Source);
    if (!source) {
        TPersistent::Assign(Source);
        return;
    }
    for (int i = 0; i < Count; ++i)
        attrs[i]->Assign(source->attrs[i].get());
}

TFontAttr* TFontAttrs::GetAttr(int index) const
{
    if (index < 0 || index >= Count)
        ListIndexError(index);
    return attrs[index].get();
}
