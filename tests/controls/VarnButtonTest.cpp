// The graphic push button: looks while idle, hovered, pressed and disabled, glyph
// placement, the built-in glyphs and the click rules, through the headless harness.
#include "controls/VarnButton.h"
#include "controls/VarnButtonProperties.h"

#include "platform/Bitmap.h"
#include "platform/Forms.h"
#include "platform/Streaming.h"
#include "platform/win/BackingStore.h"
#include "support/UiHarness.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using varn::test::UiHarness;
using Events = std::vector<std::string>;

namespace {

COLORREF rgb(TColor colour) { return static_cast<COLORREF>(ColorToRGB(colour)); }
const COLORREF paper = rgb(clWhite);
const COLORREF hoverFill = rgb(0xFFB7B7);

struct ButtonScreen {
    UiHarness ui;
    TForm* form = ui.createForm(300, 200);

    ButtonScreen() { form->SetColor(clWhite); }

    TVarnButton* addButton(int left, int top)
    {
        auto* button = new TVarnButton(form);
        button->SetParent(form);
        button->SetLeft(left);
        button->SetTop(top);
        button->OnClick = [this](TObject*) { ui.record("click"); };
        return button;
    }
    COLORREF pixel(TControl* c, int x, int y) { return varn::windowPixel(form->Handle(), c->Left() + x, c->Top() + y); }
    // Bounding box of the pixels of colour inside the control.
    TRect find(TControl* c, COLORREF colour)
    {
        TRect box{c->Width(), c->Height(), -1, -1};
        for (int y = 0; y < c->Height(); ++y)
            for (int x = 0; x < c->Width(); ++x)
                if (pixel(c, x, y) == colour) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x + 1);
                    box.bottom = std::max(box.bottom, y + 1);
                }
        return box.right < 0 ? TRect{} : box;
    }
    bool outlineIs(TControl* c, COLORREF colour)
    {
        for (int x = 0; x < c->Width(); ++x)
            if (pixel(c, x, 0) != colour || pixel(c, x, c->Height() - 1) != colour)
                return false;
        for (int y = 0; y < c->Height(); ++y)
            if (pixel(c, 0, y) != colour || pixel(c, c->Width() - 1, y) != colour)
                return false;
        return true;
    }
};

}  // namespace

TEST(VarnButton, NewButtonIsFlatAndFramelessUntilHoveredThenBlueOnLilac)
{
    ButtonScreen s;
    TVarnButton* button = s.addButton(20, 20);
    button->SetColor(clWhite);
    s.ui.show(s.form);

    EXPECT_EQ(button->Width(), 20);
    EXPECT_EQ(button->Height(), 20);
    EXPECT_EQ(button->Mode(), sbmFlat);
    EXPECT_EQ(button->Cursor(), crHandPoint);
    EXPECT_EQ(button->ColorFrameInactive(), clNone);
    EXPECT_TRUE(s.outlineIs(button, paper));

    s.ui.moveTo(button, 10, 10);
    EXPECT_TRUE(button->Hot());
    EXPECT_TRUE(s.outlineIs(button, rgb(clBlue)));
    EXPECT_EQ(s.pixel(button, 1, 1), hoverFill);
    EXPECT_EQ(s.pixel(button, 18, 18), hoverFill);

    // An idle frame colour shows the frame without hovering.
    s.ui.moveTo(s.form, 200, 150);
    EXPECT_FALSE(button->Hot());
    button->setColors(3, clRed);
    button->setColors(7, clGreen);  // no such colour: ignored
    s.ui.pump();
    EXPECT_TRUE(s.outlineIs(button, rgb(clRed)));
    EXPECT_EQ(s.pixel(button, 1, 1), paper);
}

TEST(VarnButton, PressingMovesGlyphAndTextOnePixelAndOnlyAReleaseOverItClicks)
{
    ButtonScreen s;
    TVarnButton* button = s.addButton(20, 20);
    button->SetBounds(20, 20, 80, 24);
    button->ApplyStdImage(sbiOk);
    button->setText("Vale");
    s.ui.show(s.form);

    s.ui.moveTo(button, 40, 12);
    const TRect glyphHot = s.find(button, rgb(clBlack));
    ASSERT_NE(glyphHot, TRect{});
    s.ui.press(button, 40, 12);
    EXPECT_TRUE(button->Pressed());
    const TRect glyphPressed = s.find(button, rgb(clBlack));
    EXPECT_EQ(glyphPressed.left, glyphHot.left + 1);
    EXPECT_EQ(glyphPressed.top, glyphHot.top + 1);
    // The pressed flat look keeps the blue frame.
    EXPECT_TRUE(s.outlineIs(button, rgb(clBlue)));
    s.ui.release(button, 40, 12);
    EXPECT_EQ(s.ui.takeEvents(), Events{"click"});
    EXPECT_FALSE(button->Pressed());
    EXPECT_TRUE(button->Hot());

    // Pressed inside, released outside: no click; nor after coming back holding it.
    s.ui.press(button, 40, 12);
    s.ui.moveTo(s.form, 200, 150);
    s.ui.release(s.form, 200, 150);
    s.ui.press(button, 40, 12);
    s.ui.moveTo(s.form, 200, 150);
    s.ui.moveTo(button, 40, 12);
    s.ui.release(button, 40, 12);
    EXPECT_EQ(s.ui.takeEvents(), Events{});

    // A double click is no second click.
    s.ui.doubleClick(button, 40, 12);
    EXPECT_EQ(s.ui.takeEvents(), Events{"click"});
}

TEST(VarnButton, SoftAndRoundLooksDrawTheirEdgesAndChangeThemWhenPressed)
{
    ButtonScreen s;
    TVarnButton* soft = s.addButton(20, 20);
    soft->SetBounds(20, 20, 60, 24);
    soft->setMode(sbmSoft);
    TVarnButton* round = s.addButton(20, 60);
    round->SetBounds(20, 60, 60, 24);
    round->setMode(sbmRound);
    s.ui.show(s.form);

    // Soft: raised while idle (light above, dark below), sunken while pressed.
    const COLORREF idleTop = s.pixel(soft, 30, 0), idleBottom = s.pixel(soft, 30, 23);
    EXPECT_NE(idleTop, idleBottom);
    s.ui.press(soft, 30, 12);
    EXPECT_EQ(s.pixel(soft, 30, 0), idleBottom);
    EXPECT_EQ(s.pixel(soft, 30, 23), idleTop);
    s.ui.release(soft, 30, 12);

    // Round: blue outline one pixel up and left of a grey one, whatever the frame colour.
    round->setColors(0, clRed);
    s.ui.pump();
    EXPECT_EQ(s.pixel(round, 30, 0), rgb(clBlue));
    EXPECT_EQ(s.pixel(round, 30, 23), rgb(clGray));
    EXPECT_EQ(s.pixel(round, 30, 22), rgb(clBlue));
    s.ui.press(round, 30, 12);
    EXPECT_EQ(s.pixel(round, 30, 23), rgb(clBlue));  // pressed: the blue one reaches the bottom
    s.ui.release(round, 30, 12);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"click", "click"}));
}

TEST(VarnButton, DisabledButtonHasNoFrameGreyEmbossedTextAndTheSecondGlyphImage)
{
    ButtonScreen s;
    TVarnButton* button = s.addButton(20, 20);
    button->SetColor(clWhite);
    button->SetBounds(20, 20, 90, 24);
    button->setColors(3, clRed);
    button->ApplyStdImage(sbiCancel);
    button->setText("Cancelar");
    button->SetEnabled(false);
    s.ui.show(s.form);
    s.ui.moveTo(button, 10, 10);
    s.ui.click(button, 10, 10);

    EXPECT_EQ(s.ui.takeEvents(), Events{});
    EXPECT_TRUE(s.outlineIs(button, paper));
    // The glyph's disabled image: grey and white, no black; the text likewise.
    EXPECT_EQ(s.find(button, rgb(clBlack)), TRect{});
    EXPECT_NE(s.find(button, rgb(clGray)), TRect{});
    const TRect text = s.find(button, rgb(clGray));
    EXPECT_GT(text.right, 2 + 14 + 2 + 10);
    EXPECT_NE(s.find(button, rgb(clWhite)), TRect{});

    // With one image a disabled button shows no glyph.
    button->setText("");
    button->setGlyphCount(1);
    s.ui.pump();
    EXPECT_EQ(s.find(button, rgb(clGray)), TRect{});
}

TEST(VarnButton, GlyphOnlyButtonCentresTheGlyphButNeverNearerThanThePadding)
{
    ButtonScreen s;
    TVarnButton* wide = s.addButton(10, 10);
    wide->SetBounds(10, 10, 40, 30);
    wide->ApplyStdImage(sbiMinus);  // a 10 x 3 bar in a 14 x 13 image, from (2, 5)
    TVarnButton* narrow = s.addButton(10, 60);
    narrow->SetBounds(10, 60, 10, 9);
    narrow->ApplyStdImage(sbiMinus);
    TVarnButton* round = s.addButton(10, 100);
    round->SetBounds(10, 100, 12, 30);
    round->setMode(sbmRound);
    round->ApplyStdImage(sbiMinus);
    s.ui.show(s.form);

    // (40 - 14) / 2 = 13, (30 - 13) / 2 = 8.
    EXPECT_EQ(s.find(wide, rgb(clBlack)), TRect(13 + 2, 8 + 5, 13 + 12, 8 + 8));
    EXPECT_EQ(s.find(wide, rgb(0x008080)), TRect{});  // the olive background is transparent
    // Too small: the glyph starts at the padding, 2 from the left and the top.
    EXPECT_EQ(s.find(narrow, rgb(clBlack)).left, 2 + 2);
    EXPECT_EQ(s.find(narrow, rgb(clBlack)).top, 2 + 5);
    // The round look pads 6 pixels.
    EXPECT_EQ(s.find(round, rgb(clBlack)).left, 6 + 2);
}

TEST(VarnButton, StdImageLoadsThroughTheComponentTextKeepingTheName)
{
    ButtonScreen s;
    TVarnButton* button = s.addButton(10, 10);
    button->SetName("btOk");
    button->ApplyStdImage(sbiOk);
    EXPECT_EQ(button->Glyph()->Width(), 28);
    EXPECT_EQ(button->Glyph()->Height(), 13);
    EXPECT_EQ(button->GlyphCount(), 2);
    EXPECT_EQ(button->Name(), "btOk");

    // Every glyph's stored data has the byte count and size it states.
    const struct { TVarnButtonStdImages image; int width, height, bytes; } sizes[] = {
        {sbiCancel, 28, 13, 326}, {sbiOk, 28, 13, 326}, {sbiUp, 28, 13, 326}, {sbiMinus, 28, 13, 326},
        {sbiPlus, 28, 13, 326}, {sbiNext, 20, 13, 274}, {sbiPrior, 20, 13, 274}, {sbiFirst, 28, 13, 326},
        {sbiLast, 28, 13, 326}, {sbiRefresh, 28, 13, 326}, {sbiGear, 28, 13, 326}, {sbiDropDown, 28, 12, 310}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.image);
        EXPECT_EQ(std::string(VarnButtonStdImageData(size.image)).size(), 2u * (4 + size.bytes));
        button->ApplyStdImage(size.image);
        EXPECT_EQ(button->Glyph()->Width(), size.width);
        EXPECT_EQ(button->Glyph()->Height(), size.height);
    }
    EXPECT_STREQ(VarnButtonStdImageData(sbiNone), "");
    EXPECT_STREQ(VarnButtonStdImageData(13), "");
    button->ApplyStdImage(sbiNone);
    EXPECT_TRUE(button->Glyph()->Empty());
    EXPECT_EQ(button->GlyphCount(), 2);
    EXPECT_EQ(button->Name(), "btOk");
}

TEST(VarnButton, GlyphCountZeroDrawsNoGlyphInsteadOfDividingByZero)
{
    ButtonScreen s;
    TVarnButton* button = s.addButton(10, 10);
    button->SetBounds(10, 10, 60, 24);
    button->ApplyStdImage(sbiPlus);
    button->setGlyphCount(0);
    s.ui.show(s.form);
    s.ui.moveTo(button, 5, 5);
    EXPECT_EQ(s.find(button, rgb(clBlack)), TRect{});
    button->setText("Sin imagen");
    s.ui.pump();
    EXPECT_NE(s.find(button, rgb(clBlack)), TRect{});  // the text still shows
}

TEST(VarnButton, CStringThrownFromOnClickIsShownInAMessageBox)
{
    ButtonScreen s;
    TVarnButton* button = s.addButton(10, 10);
    button->OnClick = [](TObject*) { throw "No se pudo"; };
    s.ui.show(s.form);
    s.ui.click(button, 5, 5);
    ASSERT_EQ(s.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(s.ui.messageBoxes[0].text, "No se pudo");
    EXPECT_EQ(s.ui.messageBoxes[0].caption, "Tilulo");
    EXPECT_FALSE(button->Pressed());
}

TEST(VarnButton, StoredButtonReadsBackAsWritten)
{
    UiHarness ui;
    TForm* form = ui.createForm(200, 100);
    auto* button = new TVarnButton(form);
    button->SetParent(form);
    button->SetName("btStart");
    button->setText("Empezar");
    button->setMode(sbmRound);
    button->setAlignment(taCenter);
    button->setTextStyles(TFontStyles{fsBold});
    button->setColors(0, clRed);
    button->setColors(3, 0xFFB7B7);
    button->ApplyStdImage(sbiGear);
    const AnsiString text = WriteComponentText(button);
    EXPECT_NE(text.find("Mode = sbmRound"), AnsiString::npos) << text;
    EXPECT_NE(text.find("ColorTextActive = clNone"), AnsiString::npos) << text;
    EXPECT_NE(text.find("Glyph.Data = {"), AnsiString::npos) << text;

    auto* copy = dynamic_cast<TVarnButton*>(CreateComponentFromText(text, nullptr));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(WriteComponentText(copy), text);
    EXPECT_EQ(copy->Text(), "Empezar");
    EXPECT_EQ(copy->Caption(), "Empezar");
    EXPECT_EQ(copy->GlyphCount(), 2);
    EXPECT_EQ(copy->Glyph()->Width(), 28);
    EXPECT_EQ(copy->Cursor(), crHandPoint);
    delete copy;
}

// Each built-in glyph against its reference picture, reviewed by eye once; and
// the colours the pictures may use.
TEST(VarnButtonGlyphs, EveryBuiltInGlyphMatchesItsReferencePicture)
{
    UiHarness ui;
    TForm* form = ui.createForm(100, 100);
    auto* button = new TVarnButton(form);
    const char* names[] = {"", "cancel", "ok", "up", "minus", "plus", "next", "prior", "first", "last",
                           "refresh", "gear", "dropdown"};
    for (int image = sbiCancel; image <= sbiDropDown; ++image) {
        SCOPED_TRACE(names[image]);
        button->ApplyStdImage(static_cast<TVarnButtonStdImages>(image));
        TBitmap* glyph = button->Glyph();
        const std::string path = std::string(VARN_TEST_DATA_DIR) + "/glyphs/" + names[image] + ".png";
        if (std::getenv("VARN_WRITE_GLYPHS"))
            glyph->SaveToPngFile(path);
        cairo_surface_t* reference = cairo_image_surface_create_from_png(path.c_str());
        ASSERT_EQ(cairo_surface_status(reference), CAIRO_STATUS_SUCCESS) << path;
        ASSERT_EQ(cairo_image_surface_get_width(reference), glyph->Width());
        ASSERT_EQ(cairo_image_surface_get_height(reference), glyph->Height());
        int differing = 0;
        std::set<COLORREF> normal, disabled;
        const int half = glyph->Width() / 2;
        for (int y = 0; y < glyph->Height(); ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(
                cairo_image_surface_get_data(reference) + y * cairo_image_surface_get_stride(reference));
            for (int x = 0; x < glyph->Width(); ++x) {
                const uint32_t argb = row[x];
                const TColor expected = static_cast<TColor>(((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16));
                const TColor actual = glyph->pixel(x, y);
                differing += actual != expected;
                (x < half ? normal : disabled).insert(static_cast<COLORREF>(actual));
            }
        }
        cairo_surface_destroy(reference);
        EXPECT_EQ(differing, 0);

        const bool dropDown = image == sbiDropDown;
        const COLORREF back = rgb(dropDown ? TColor(0x00FF00) : TColor(0x008080));
        EXPECT_EQ(glyph->pixel(0, glyph->Height() - 1), static_cast<TColor>(back));
        EXPECT_EQ(normal, (std::set<COLORREF>{back, rgb(dropDown ? clGray : clBlack)}));
        EXPECT_EQ(disabled, (std::set<COLORREF>{back, rgb(dropDown ? clSilver : clGray), rgb(clWhite)}));
    }
    delete button;
}
