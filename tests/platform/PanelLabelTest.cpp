// Panels, labels, font and colour inheritance, and form backgrounds, checked on the
// pixels of the backing store.
#include "platform/Bitmap.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/StdCtrls.h"
#include "platform/Streaming.h"
#include "platform/win/BackingStore.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using varn::test::UiHarness;
using varn::windowPixel;

COLORREF rgb(TColor colour) { return static_cast<COLORREF>(ColorToRGB(colour)); }

// Pixel of a control at its own client coordinates (graphic controls through
// their parent's window).
COLORREF pixel(TControl* control, int x, int y)
{
    if (auto* windowed = dynamic_cast<TWinControl*>(control))
        return windowPixel(windowed->Handle(), x, y);
    return windowPixel(control->Parent()->Handle(), control->Left() + x, control->Top() + y);
}

bool dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 128; }

// The box around the dark (text) pixels of a control; empty when there are none.
TRect inkBox(TControl* control)
{
    TRect box{control->Width(), control->Height(), -1, -1};
    for (int y = 0; y < control->Height(); ++y)
        for (int x = 0; x < control->Width(); ++x)
            if (dark(pixel(control, x, y))) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
    return box;
}

std::vector<COLORREF> pixels(TControl* control)
{
    std::vector<COLORREF> all;
    for (int y = 0; y < control->Height(); ++y)
        for (int x = 0; x < control->Width(); ++x)
            all.push_back(pixel(control, x, y));
    return all;
}

TLabel* makeLabel(TWinControl* parent, const AnsiString& caption, int left = 10, int top = 10)
{
    auto* label = new TLabel(GetParentForm(parent));  // the form owns it, as when read
    label->SetParent(parent);
    label->SetLeft(left);
    label->SetTop(top);
    label->SetCaption(caption);
    return label;
}

TEST(Panel, BevelsBorderAndFaceLieWhereTheyAreSet)
{
    UiHarness ui;
    TForm* form = ui.createForm(300, 200);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    EXPECT_EQ(panel->Width(), 185);
    EXPECT_EQ(panel->Height(), 41);
    panel->SetBounds(10, 10, 100, 60);
    ui.show(form);
    const COLORREF light = rgb(clBtnHighlight), shade = rgb(clBtnShadow), face = rgb(clBtnFace);

    struct Case {
        const char* name;
        TBevelCut outer, inner;
        int bevelWidth, borderWidth;
        std::vector<std::pair<TPoint, COLORREF>> expected;
    };
    const Case cases[] = {
        {"raised", bvRaised, bvNone, 1, 0,
         {{{0, 0}, light}, {{98, 0}, light}, {{0, 58}, light}, {{99, 0}, shade}, {{0, 59}, shade},
          {{99, 59}, shade}, {{1, 1}, face}, {{98, 58}, face}}},
        {"lowered", bvLowered, bvNone, 1, 0, {{{0, 0}, shade}, {{0, 58}, shade}, {{99, 59}, light}, {{1, 1}, face}}},
        {"none", bvNone, bvNone, 1, 0, {{{0, 0}, face}, {{99, 59}, face}}},
        {"two wide, border, inner lowered", bvRaised, bvLowered, 2, 3,
         {{{0, 0}, light}, {{1, 1}, light}, {{98, 58}, shade}, {{2, 2}, face}, {{4, 4}, face}, {{5, 5}, shade},
          {{6, 6}, shade}, {{94, 54}, light}, {{7, 7}, face}}},
    };
    for (const Case& c : cases) {
        panel->SetBevelOuter(c.outer);
        panel->SetBevelInner(c.inner);
        panel->SetBevelWidth(c.bevelWidth);
        panel->SetBorderWidth(c.borderWidth);
        ui.pump();
        for (auto& [at, colour] : c.expected)
            EXPECT_EQ(pixel(panel, at.x, at.y), colour) << c.name << " at " << at.x << "," << at.y;
    }
}

TEST(Panel, CaptionIsAlignedAndCentredVertically)
{
    UiHarness ui;
    TForm* form = ui.createForm(300, 200);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 160, 50);
    panel->SetColor(clWhite);
    panel->SetCaption("Datos");
    ui.show(form);

    TRect centred = inkBox(panel);
    ASSERT_LT(centred.left, centred.right) << "no caption drawn";
    int top = centred.top, bottom = panel->Height() - centred.bottom;
    EXPECT_LE(std::abs(top - bottom), 4) << top << " above, " << bottom << " below";
    int left = centred.left, right = panel->Width() - centred.right;
    EXPECT_LE(std::abs(left - right), 2) << left << " left, " << right << " right";

    panel->SetAlignment(taLeftJustify);
    ui.pump();
    EXPECT_LE(inkBox(panel).left, 3);
    panel->SetAlignment(taRightJustify);
    ui.pump();
    EXPECT_GE(inkBox(panel).right, panel->Width() - 3);

    // The caption of a shown panel lives in its window; changing it repaints.
    panel->SetCaption("");
    ui.pump();
    EXPECT_EQ(inkBox(panel).right, -1);
}

TEST(Panel, ChildrenAlignInsideBevelsAndBorderWidth)
{
    UiHarness ui;
    TForm* form = ui.createForm(300, 200);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 120, 80);
    auto* child = new TPanel(form);
    child->SetParent(panel);
    child->SetAlign(alClient);
    EXPECT_EQ(child->BoundsRect(), (TRect{1, 1, 119, 79}));
    panel->SetBevelInner(bvLowered);
    panel->SetBevelWidth(2);
    panel->SetBorderWidth(3);
    EXPECT_EQ(child->BoundsRect(), (TRect{7, 7, 113, 73}));
    panel->SetBevelOuter(bvNone);
    EXPECT_EQ(child->BoundsRect(), (TRect{5, 5, 115, 75}));
    ui.show(form);
    EXPECT_EQ(child->BoundsRect(), (TRect{5, 5, 115, 75}));
}

TEST(Label, AutoSizeFitsTheTextAndKeepsTheAnchoredSide)
{
    UiHarness ui;
    TForm* form = ui.createForm(300, 200);
    TCanvas* measure = nullptr;
    TBitmap bitmap;
    bitmap.SetSize(1, 1);
    measure = bitmap.Canvas();
    measure->SetFont(form->Font());

    TLabel* label = makeLabel(form, "Nombre");
    EXPECT_EQ(label->Width(), measure->TextWidth("Nombre"));
    EXPECT_EQ(label->Height(), measure->TextHeight("Nombre"));
    label->SetCaption("");
    EXPECT_EQ(label->Width(), measure->TextWidth(" ")) << "an empty label keeps one line";
    EXPECT_EQ(label->Height(), measure->TextHeight(" "));

    TLabel* right = makeLabel(form, "abc", 100, 40);
    right->SetAlignment(taRightJustify);
    int rightEdge = right->Left() + right->Width();
    right->SetCaption("abcdefghij");
    EXPECT_EQ(right->Left() + right->Width(), rightEdge);
    EXPECT_GT(right->Width(), measure->TextWidth("abc"));

    TLabel* centre = makeLabel(form, "abc", 100, 70);
    centre->SetAlignment(taCenter);
    int middle = centre->Left() + centre->Width() / 2;
    centre->SetCaption("abcdefghijkl");
    EXPECT_LE(std::abs(centre->Left() + centre->Width() / 2 - middle), 1);

    TLabel* fixed = makeLabel(form, "abc", 10, 100);
    fixed->SetAutoSize(false);
    fixed->SetBounds(10, 100, 30, 30);
    fixed->SetCaption("a much longer caption");
    EXPECT_EQ(fixed->BoundsRect(), (TRect{10, 100, 40, 130}));

    // Word wrap: the width stays, the height takes every line.
    TLabel* wrapped = makeLabel(form, "uno dos tres cuatro cinco", 10, 140);
    int oneLine = wrapped->Height();
    wrapped->SetWordWrap(true);
    wrapped->SetWidth(40);
    EXPECT_EQ(wrapped->Width(), 40);
    EXPECT_GE(wrapped->Height(), 3 * oneLine);
    wrapped->SetWidth(400);
    EXPECT_EQ(wrapped->Height(), oneLine);
}

TEST(Label, LayoutTransparencyAndDisabledText)
{
    UiHarness ui;
    TForm* form = ui.createForm(300, 200);
    form->SetColor(clYellow);
    TLabel* label = makeLabel(form, "X");
    label->SetAutoSize(false);
    label->SetBounds(10, 10, 40, 60);
    label->SetColor(clWhite);
    ui.show(form);

    TRect top = inkBox(label);
    EXPECT_LE(top.top, 4);
    label->SetLayout(tlCenter);
    ui.pump();
    TRect centre = inkBox(label);
    EXPECT_LE(std::abs(centre.top - (60 - centre.bottom)), 4) << centre.top << " " << centre.bottom;
    label->SetLayout(tlBottom);
    ui.pump();
    EXPECT_GE(inkBox(label).bottom, 60 - 5);

    EXPECT_EQ(pixel(label, 1, 1), rgb(clWhite));
    label->SetTransparent(true);
    ui.pump();
    EXPECT_EQ(pixel(label, 1, 1), rgb(clYellow));
    EXPECT_TRUE(dark(pixel(label, inkBox(label).left, inkBox(label).bottom - 1)) || inkBox(label).right > 0);

    // Disabled text is grey: drawn, but nothing darker than clGrayText.
    label->SetTransparent(false);
    label->SetCaption("lll");
    label->SetEnabled(false);
    ui.pump();
    const COLORREF grey = rgb(clGrayText);
    int darkest = 3 * 255;
    for (COLORREF c : pixels(label))
        darkest = std::min(darkest, GetRValue(c) + GetGValue(c) + GetBValue(c));
    EXPECT_GE(darkest, GetRValue(grey) + GetGValue(grey) + GetBValue(grey));
    EXPECT_LT(darkest, 3 * 255 - 150);
}

TEST(Label, AcceleratorMarksAreUnderlinedOrDrawnAsTheyStand)
{
    UiHarness ui;
    TForm* form = ui.createForm(300, 200);
    form->SetColor(clWhite);
    TLabel* marked = makeLabel(form, "&Abc", 10, 10);
    TLabel* plain = makeLabel(form, "Abc", 10, 40);
    TLabel* literal = makeLabel(form, "&Abc", 10, 70);
    literal->SetShowAccelChar(false);
    TLabel* doubled = makeLabel(form, "A&&B", 10, 100);
    TLabel* doubledLiteral = makeLabel(form, "A&B", 10, 130);
    doubledLiteral->SetShowAccelChar(false);
    ui.show(form);

    EXPECT_EQ(marked->Width(), plain->Width()) << "the mark takes no room";
    EXPECT_GT(literal->Width(), plain->Width()) << "without accelerators '&' is drawn";
    EXPECT_EQ(doubled->Width(), doubledLiteral->Width());

    // The underline adds ink under the A and nowhere else.
    std::vector<COLORREF> withLine = pixels(marked), without = pixels(plain);
    ASSERT_EQ(withLine.size(), without.size());
    EXPECT_NE(withLine, without);
    int extraInk = 0;
    for (size_t i = 0; i < withLine.size(); ++i)
        extraInk += dark(withLine[i]) && !dark(without[i]);
    EXPECT_GT(extraInk, 2);
    EXPECT_EQ(pixels(doubled), pixels(doubledLiteral)) << "&& is a plain ampersand, not underlined";
}

TEST(ParentFont, ChildrenFollowTheParentFontUntilTheyGetTheirOwn)
{
    UiHarness ui;
    TForm* form = ui.createForm(300, 200);
    EXPECT_FALSE(form->ParentFont());
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    TLabel* label = makeLabel(panel, "Texto");
    EXPECT_TRUE(label->ParentFont());
    int smallHeight = label->Height();

    form->Font()->SetHeight(-24);
    form->Font()->SetColor(clRed);
    EXPECT_EQ(panel->Font()->Height(), -24);
    EXPECT_EQ(label->Font()->Height(), -24);
    EXPECT_EQ(label->Font()->Color(), clRed);
    EXPECT_TRUE(label->ParentFont());
    EXPECT_GT(label->Height(), smallHeight) << "an auto-sized label grows with its font";

    TFont own;
    own.SetName("Arial");
    own.SetHeight(-9);
    label->SetFont(&own);
    EXPECT_FALSE(label->ParentFont());
    form->Font()->SetHeight(-30);
    EXPECT_EQ(label->Font()->Height(), -9);
    EXPECT_EQ(label->Font()->Name(), "Arial");
    EXPECT_EQ(panel->Font()->Height(), -30);

    label->SetParentFont(true);
    EXPECT_EQ(label->Font()->Height(), -30);
    EXPECT_EQ(label->Font()->Name(), form->Font()->Name());

    // A control put on another parent takes that parent's font.
    auto* other = new TPanel(form);
    other->SetParent(form);
    other->Font()->SetHeight(-13);
    label->SetParent(other);
    EXPECT_EQ(label->Font()->Height(), -13);
}

TEST(Form, PaintsItsColourAndChildrenFollowParentColor)
{
    UiHarness ui;
    TForm* form = ui.createForm(200, 120);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(100, 10, 60, 40);
    TLabel* label = makeLabel(form, "Hola", 10, 80);
    ui.show(form);
    EXPECT_EQ(windowPixel(form->Handle(), 5, 5), rgb(clBtnFace));

    form->SetColor(clTeal);
    ui.pump();
    EXPECT_EQ(windowPixel(form->Handle(), 5, 5), rgb(clTeal));
    EXPECT_EQ(windowPixel(form->Handle(), 199, 119), rgb(clTeal));
    EXPECT_EQ(label->Color(), clTeal) << "a label takes its parent's colour";
    EXPECT_EQ(pixel(label, 0, 0), rgb(clTeal));
    EXPECT_EQ(panel->Color(), clBtnFace) << "a panel keeps its own";
    EXPECT_EQ(pixel(panel, 2, 2), rgb(clBtnFace));

    // What a hidden child uncovers shows the form again.
    panel->Hide();
    ui.pump();
    EXPECT_EQ(windowPixel(form->Handle(), 120, 20), rgb(clTeal));
}

class TPanelForm : public TForm {
public:
    using TForm::TForm;
    AnsiString ClassName() const override { return "TPanelForm"; }
};

TEST(PanelLabelStreaming, FormWithPanelAndLabelReadsBackAsWritten)
{
    RegisterPublishedClass<TPanelForm>("TPanelForm", "TForm");
    UiHarness ui;
    auto* form = ui.createForm<TPanelForm>(300, 200);
    form->SetName("PanelForm");
    auto* panel = new TPanel(form);
    panel->SetName("Panel1");
    panel->SetParent(form);
    panel->SetBounds(8, 8, 200, 90);
    panel->SetBevelOuter(bvLowered);
    panel->SetBorderWidth(2);
    panel->SetAlignment(taLeftJustify);
    panel->SetCaption("Datos");
    auto* target = new TPanel(form);
    target->SetName("Panel2");
    target->SetParent(panel);
    TLabel* label = makeLabel(panel, "Fe&cha");
    label->SetName("Label1");
    label->SetLayout(tlCenter);
    label->SetTransparent(true);
    label->SetFocusControl(target);
    label->Font()->SetStyle({fsBold});

    AnsiString text = WriteComponentText(form);
    EXPECT_EQ(text.find("BevelInner"), AnsiString::npos) << "defaults are left out\n" << text;
    EXPECT_EQ(text.find("AutoSize"), AnsiString::npos) << text;
    EXPECT_EQ(text.find("Panel1.Font"), AnsiString::npos) << text;
    EXPECT_NE(text.find("    BevelOuter = bvLowered\n"), AnsiString::npos) << text;
    EXPECT_NE(text.find("      FocusControl = Panel2\n"), AnsiString::npos) << text;
    EXPECT_NE(text.find("      Font.Style = [fsBold]\n"), AnsiString::npos) << text;
    EXPECT_NE(text.find("      ParentFont = False\n"), AnsiString::npos) << text;

    form->SetName("Written");  // the copy takes the written name
    auto* copy = ui.createForm<TPanelForm>(10, 10);
    ReadComponentText(text, copy);
    EXPECT_EQ(WriteComponentText(copy), text);
    auto* readLabel = dynamic_cast<TLabel*>(copy->FindComponent("Label1"));
    ASSERT_NE(readLabel, nullptr);
    EXPECT_EQ(readLabel->Parent(), copy->FindComponent("Panel1"));
    EXPECT_EQ(readLabel->FocusControl(), copy->FindComponent("Panel2"));
    EXPECT_EQ(readLabel->BoundsRect(), label->BoundsRect());
    EXPECT_FALSE(readLabel->ParentFont());

    delete target;
    EXPECT_EQ(label->FocusControl(), nullptr);
}

}  // namespace
