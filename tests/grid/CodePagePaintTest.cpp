// Texts of the Western code page on screen: the pixels a grid cell and a label
// show for "12,50 €" against the same text in UTF-8 drawn straight through Pango.
#include "GridScreen.h"

#include "platform/Graphics.h"
#include "platform/StdCtrls.h"
#include "support/GlyphInk.h"

#include <gtest/gtest.h>

using namespace varn::test;

TEST(CodePagePaint, TheEuroSignInACellAndALabelIsTheGlyphPangoDraws)
{
    // The body draws with a canvas's default font (DejaVu Sans for MS Sans Serif);
    // the label with its form's, made larger here.
    const int cellPixels = -TFont().Height();
    const int labelPixels = 15;
    GridScreen s({150});
    s.form->Font()->SetName("Arial");
    s.form->Font()->SetHeight(-labelPixels);
    s.grid->SetTop(40);
    s.addRows(1);
    s.grid->SetString(0, 0, "12,50 \x80");
    auto* label = new TLabel(s.form);
    label->SetParent(s.form);
    label->SetBounds(10, 8, 150, 20);
    label->SetCaption("12,50 \x80");
    s.show();

    const char* utf8 = "12,50 \xE2\x82\xAC";
    const TRect cell = s.body()->GetCellRect(0, 0);
    expectSameInk(windowInk(s.body()->Handle(), cell, rgb(s.grid->ColorText()), rgb(s.grid->ColorBk())),
                  pangoInk(utf8, cellPixels), "grid cell");
    const TRect labelArea{label->Left(), label->Top(), label->Left() + label->Width(), label->Top() + label->Height()};
    expectSameInk(windowInk(s.form->Handle(), labelArea, rgb(label->Font()->Color()), rgb(s.form->Color())),
                  pangoInk(utf8, labelPixels), "label");

    // The comparison tells the glyph apart from what the control character U+0080 shows.
    const Ink euro = pangoInk(utf8, cellPixels);
    const Ink control = pangoInk("12,50 \xC2\x80", cellPixels);
    EXPECT_FALSE(control.width == euro.width && control.coverage == euro.coverage);
}
