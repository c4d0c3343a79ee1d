// The framed panel and the label: frame lines, caption over the top edge, text
// directions, text clicks and focus, driven and read through the headless harness.
#include "controls/VarnFrame.h"

#include "edit/VarnEditInterior.h"

#include "platform/Bitmap.h"
#include "platform/Forms.h"
#include "platform/ListBox.h"
#include "platform/win/BackingStore.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using varn::test::UiHarness;
using Events = std::vector<std::string>;

namespace {

COLORREF rgb(TColor colour) { return static_cast<COLORREF>(ColorToRGB(colour)); }

struct FrameScreen {
    UiHarness ui;
    TForm* form = ui.createForm(400, 300);

    // A font whose lines are 13 pixels high.
    FrameScreen()
    {
        form->SetColor(clWhite);
        form->Font()->SetHeight(-10);
    }

    TVarnFrame* addFrame(int left, int top, int width, int height)
    {
        auto* frame = new TVarnFrame(form);
        frame->SetParent(form);
        frame->SetBounds(left, top, width, height);
        frame->SetColorFrame(clBlue);
        frame->SetTextColor(clRed);
        return frame;
    }
    TVarnLabel* addLabel(const AnsiString& caption, TTextDirection direction)
    {
        auto* label = new TVarnLabel(form);
        label->SetParent(form);
        label->SetLeft(20);
        label->SetTop(20);
        label->Font()->SetColor(clRed);
        label->SetTextDirection(direction);
        label->SetCaption(caption);
        return label;
    }
    // A pixel of a control in its own client coordinates (a label: on its parent).
    COLORREF pixel(TControl* control, int x, int y)
    {
        if (auto* windowed = dynamic_cast<TWinControl*>(control))
            return varn::windowPixel(windowed->Handle(), x, y);
        return varn::windowPixel(form->Handle(), control->Left() + x, control->Top() + y);
    }
    // Bounding box of the pixels in area that are not paper.
    TRect ink(TControl* control, const TRect& area, TColor paper)
    {
        TRect box{area.right, area.bottom, area.left - 1, area.top - 1};
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (pixel(control, x, y) != rgb(paper)) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x + 1);
                    box.bottom = std::max(box.bottom, y + 1);
                }
        return box.right < box.left ? TRect{} : box;
    }
    // The extent of a text in the form's font.
    TSize extent(const AnsiString& text)
    {
        TBitmap page;
        page.SetSize(1, 1);
        page.Canvas()->Font()->SetHeight(-10);
        return page.Canvas()->TextExtent(text);
    }
};

bool rowIs(FrameScreen& s, TControl* c, int y, int from, int to, COLORREF colour)
{
    for (int x = from; x < to; ++x)
        if (s.pixel(c, x, y) != colour)
            return false;
    return true;
}

bool columnIs(FrameScreen& s, TControl* c, int x, int from, int to, COLORREF colour)
{
    for (int y = from; y < to; ++y)
        if (s.pixel(c, x, y) != colour)
            return false;
    return true;
}

}  // namespace

TEST(VarnFrame, CaptionOverTheTopEdgeInterruptsTheLineAndLowersTheChildren)
{
    FrameScreen s;
    TVarnFrame* plain = s.addFrame(10, 10, 180, 100);
    TVarnFrame* over = s.addFrame(200, 10, 180, 100);
    over->SetText("Datos");
    over->SetTextVAlignment(tvaOver);
    for (TVarnFrame* frame : {plain, over}) {
        auto* child = new TPanel(s.form);
        child->SetParent(frame);
        child->SetAlign(alTop);
        child->SetHeight(20);
    }
    s.ui.show(s.form);

    const int textHeight = s.extent("Datos").cy;
    const int textWidth = s.extent("Datos").cx;
    ASSERT_EQ(textHeight, 13);
    const COLORREF blue = rgb(clBlue);
    const COLORREF white = rgb(clWhite);
    // The top line runs at half the text's height, except behind the caption,
    // which starts one pixel in; above it lies the background.
    EXPECT_EQ(over->textRect, TRect(1, 0, 179, 13));
    EXPECT_TRUE(rowIs(s, over, 6, 1 + textWidth, 180, blue));
    EXPECT_TRUE(rowIs(s, over, 5, 1 + textWidth, 180, white));
    int blueUnderCaption = 0;
    for (int x = 1; x < 1 + textWidth; ++x)
        blueUnderCaption += s.pixel(over, x, 6) == blue;
    EXPECT_EQ(blueUnderCaption, 0);
    EXPECT_NE(s.ink(over, {1, 0, 1 + textWidth, 13}, clWhite), TRect{});
    EXPECT_TRUE(columnIs(s, over, 0, 6, 100, blue));
    EXPECT_EQ(s.pixel(over, 0, 5), white);
    EXPECT_TRUE(rowIs(s, over, 99, 0, 180, blue));
    EXPECT_TRUE(rowIs(s, plain, 0, 0, 180, blue));

    // Children are laid out 10 pixels lower, and follow when the alignment changes.
    EXPECT_EQ(over->Controls(0)->Top(), plain->Controls(0)->Top() + 10);
    EXPECT_EQ(over->ClientRect().top, 10);
    over->SetTextVAlignment(tvaCenter);
    EXPECT_EQ(over->Controls(0)->Top(), plain->Controls(0)->Top());
}

TEST(VarnFrame, SidesSwitchOffOneByOneOrAllAtOnce)
{
    FrameScreen s;
    TVarnFrame* frame = s.addFrame(10, 10, 100, 60);
    frame->SetDrawTop(false);
    s.ui.show(s.form);
    const COLORREF blue = rgb(clBlue);
    const COLORREF white = rgb(clWhite);
    EXPECT_TRUE(rowIs(s, frame, 0, 1, 99, white));
    EXPECT_TRUE(columnIs(s, frame, 0, 0, 60, blue));
    EXPECT_TRUE(columnIs(s, frame, 99, 0, 60, blue));
    EXPECT_TRUE(rowIs(s, frame, 59, 0, 100, blue));
    EXPECT_EQ(s.pixel(frame, 50, 30), white);

    frame->setDrawFrame(1, false);
    frame->setDrawFrame(7, false);  // no such side: ignored
    s.ui.pump();
    EXPECT_FALSE(frame->DrawRight());
    EXPECT_TRUE(columnIs(s, frame, 99, 0, 59, white));

    frame->SetHideFrame(true);
    frame->SetDrawTop(true);
    frame->SetDrawRight(true);
    s.ui.pump();
    EXPECT_EQ(s.ink(frame, {0, 0, 100, 60}, clWhite), TRect{});
}

TEST(VarnFrame, OnlyClicksOnTheTextAreaFireTheTextEvents)
{
    FrameScreen s;
    TVarnFrame* frame = s.addFrame(10, 10, 160, 100);
    frame->SetText("Cliente");
    frame->OnTextClick = [&](TObject*) { s.ui.record("click"); };
    frame->OnTextDoubleClick = [&](TObject*) { s.ui.record("double"); };
    s.ui.show(s.form);
    EXPECT_EQ(frame->textRect, TRect(1, 1, 159, 99));

    s.ui.click(frame, 0, 50);   // the left line is outside the text area
    s.ui.click(frame, 159, 5);  // so is the right one
    EXPECT_TRUE(s.ui.takeEvents().empty());
    EXPECT_EQ(frame->clickPoint, TPoint(159, 5));
    s.ui.click(frame, 1, 1);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"click"}));
    EXPECT_EQ(frame->clickPoint, TPoint(1, 1));

    // Over the top edge only the caption strip counts.
    frame->SetTextVAlignment(tvaOver);
    s.ui.pump();
    s.ui.advance(1000);
    s.ui.click(frame, 80, 20);
    EXPECT_TRUE(s.ui.takeEvents().empty());
    s.ui.doubleClick(frame, 80, 5);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"click", "double", "click"}));
}

TEST(VarnFrame, FocusGoesToTheFirstChildThatTakesIt)
{
    FrameScreen s;
    TVarnFrame* frame = s.addFrame(10, 10, 200, 200);
    frame->SetTabStop(true);
    std::vector<TListBox*> boxes;
    for (int i = 0; i < 3; ++i) {
        auto* box = new TListBox(s.form);
        box->SetParent(frame);
        box->SetBounds(10, 10 + 50 * i, 100, 40);
        boxes.push_back(box);
    }
    boxes[0]->SetTabStop(false);
    auto* outside = new TListBox(s.form);
    outside->SetParent(s.form);
    outside->SetBounds(250, 10, 100, 40);
    s.ui.show(s.form);

    outside->SetFocus();
    frame->SetFocus();
    s.ui.pump();
    EXPECT_TRUE(boxes[1]->Focused());
    EXPECT_EQ(s.form->ActiveControl(), boxes[1]);
    // Tab onto the frame does the same.
    outside->SetFocus();
    s.ui.pressKey(VK_TAB);
    EXPECT_TRUE(boxes[1]->Focused());

    // A hidden child is passed over rather than raising.
    boxes[1]->SetVisible(false);
    outside->SetFocus();
    frame->SetFocus();
    s.ui.pump();
    EXPECT_TRUE(boxes[2]->Focused());

    // Without any, the frame keeps the focus itself.
    boxes[2]->SetTabStop(false);
    outside->SetFocus();
    frame->SetFocus();
    s.ui.pump();
    EXPECT_TRUE(frame->Focused());
}

TEST(VarnFrame, RepaintingTheFrameDrawsItsEditBoxesLabelsAgain)
{
    FrameScreen s;
    TVarnFrame* frame = s.addFrame(10, 10, 300, 100);
    frame->SetColor(clWhite);
    auto* box = new TVarnEdit(s.form);
    box->SetParent(frame);
    box->SetBounds(120, 20, 121, 17);
    box->setLabel("Nombre");
    box->setLabelColor(clRed);
    auto* unlabelled = new TVarnEdit(s.form);
    unlabelled->SetParent(frame);
    unlabelled->SetBounds(120, 60, 121, 17);
    s.ui.show(s.form);

    // Red ink left of each box, on the frame.
    auto redInk = [&](TVarnEdit* of) {
        int count = 0;
        for (int y = of->Top(); y < of->Top() + of->Height(); ++y)
            for (int x = 2; x < of->Left() - 1; ++x) {
                COLORREF c = s.pixel(frame, x, y);
                count += GetRValue(c) > 160 && GetGValue(c) < 120 && GetBValue(c) < 120;
            }
        return count;
    };
    ASSERT_GT(redInk(box), 5);
    // The frame alone paints again (its own fill covers the label): the label is back.
    frame->Invalidate();
    s.ui.pump();
    EXPECT_GT(redInk(box), 5);
    EXPECT_EQ(redInk(unlabelled), 0);
}

TEST(VarnFrame, RotatedTextStandsCentredAgainstTheLeftSide)
{
    FrameScreen s;
    TVarnFrame* up = s.addFrame(10, 10, 60, 150);
    up->SetText("Arriba");
    up->SetTextDirection(ttdBottomToUp);
    TVarnFrame* down = s.addFrame(100, 10, 60, 150);
    down->SetText("Arriba");
    down->SetTextDirection(ttdUpToBottom);
    down->SetBorderWidth(4);
    s.ui.show(s.form);

    const TSize size = s.extent("Arriba");
    const int top = (150 - size.cx) / 2;
    for (TVarnFrame* frame : {up, down}) {
        const int left = frame->BorderWidth();
        TRect ink = s.ink(frame, {1, 1, 59, 149}, clWhite);
        EXPECT_GE(ink.left, left) << frame->TextDirection();
        EXPECT_LE(ink.right, left + size.cy);
        EXPECT_GE(ink.top, top);
        EXPECT_LE(ink.bottom, top + size.cx);
        EXPECT_NEAR(ink.Height(), size.cx, 3);
        // The text leaves the left line whole.
        EXPECT_TRUE(columnIs(s, frame, 0, 0, 150, rgb(clBlue)));
    }
}

TEST(VarnFrame, LinesAndTextAreTheSameText)
{
    FrameScreen s;
    TVarnFrame* frame = s.addFrame(10, 10, 100, 60);
    frame->SetText("uno\r\ndos");
    ASSERT_EQ(frame->Lines()->Count(), 2);
    EXPECT_EQ(frame->Lines()->Strings(1), "dos");

    TStringList other;
    other.Add("tres");
    frame->SetLines(&other);
    EXPECT_EQ(frame->Text(), "tres");  // no line break after the last line
    frame->Lines()->Add("cuatro");
    EXPECT_EQ(frame->Text(), "tres\r\ncuatro");
}

TEST(VarnLabel, BottomToUpLabelTakesTheTurnedSizeAndStartsAtTheBottom)
{
    FrameScreen s;
    const AnsiString caption = "Clientes";
    const TSize size = s.extent(caption);
    ASSERT_EQ(size, (TSize{40, 13}));
    TVarnLabel* label = s.addLabel(caption, ttdBottomToUp);
    s.ui.show(s.form);
    EXPECT_EQ(label->Width(), 13);
    EXPECT_EQ(label->Height(), 40);
    // The text starts at (0, 40) and reads upwards: its letters fill the label.
    TRect ink = s.ink(label, {0, 0, 13, 40}, clWhite);
    EXPECT_GE(ink.left, 0);
    EXPECT_GE(ink.Height(), 36);
    EXPECT_GE(ink.bottom, 38);
    // The tops of the letters face left: the capital's stem is near x = 2.
    EXPECT_LE(ink.left, 3);
    EXPECT_TRUE(columnIs(s, s.form, 20 + 13, 20, 60, rgb(clWhite)));

    label->SetTextDirection(ttdLeftToRight);
    EXPECT_EQ(label->Width(), 40);
    EXPECT_EQ(label->Height(), 13);
}

TEST(VarnLabel, PaintsItsBackgroundEvenWhenTransparent)
{
    FrameScreen s;
    TVarnLabel* label = s.addLabel("Nota", ttdLeftToRight);
    label->SetAutoSize(false);
    label->SetBounds(20, 20, 80, 30);
    label->SetColor(clYellow);
    label->SetTransparent(true);
    s.ui.show(s.form);
    EXPECT_EQ(s.pixel(label, 79, 29), rgb(clYellow));
    EXPECT_EQ(s.pixel(label, 60, 2), rgb(clYellow));
}

// Text of each direction with each Alignment lands where the turned text should:
// along the text by Alignment, across it by TextVAlignment.
TEST(VarnLabel, EachDirectionPlacesItsTextByBothAlignments)
{
    FrameScreen s;
    const AnsiString caption = "Clientes";
    const TSize size = s.extent(caption);  // 40 x 13
    struct Case {
        TTextDirection direction;
        TAlignment alignment;
        TVAlignment vertical;
        TRect box;  // where the text cell lies in an 80 x 60 label
    };
    const std::vector<Case> cases = {
        {ttdLeftToRight, taLeftJustify, tvaTopJustify, {0, 0, 40, 13}},
        {ttdLeftToRight, taRightJustify, tvaBottomJustify, {40, 47, 80, 60}},
        {ttdLeftToRight, taCenter, tvaCenter, {20, 23, 60, 36}},
        {ttdUpToBottom, taLeftJustify, tvaTopJustify, {67, 0, 80, 40}},
        {ttdUpToBottom, taRightJustify, tvaBottomJustify, {0, 20, 13, 60}},
        {ttdUpToBottom, taCenter, tvaCenter, {33, 10, 46, 50}},
        {ttdBottomToUp, taLeftJustify, tvaTopJustify, {0, 20, 13, 60}},
        {ttdBottomToUp, taRightJustify, tvaBottomJustify, {67, 0, 80, 40}},
        {ttdBottomToUp, taCenter, tvaOver, {0, 10, 13, 50}},
    };
    ASSERT_EQ(size, (TSize{40, 13}));
    TVarnLabel* label = s.addLabel(caption, ttdLeftToRight);
    label->SetAutoSize(false);
    label->SetBounds(20, 20, 80, 60);
    s.ui.show(s.form);
    for (const Case& c : cases) {
        label->SetTextDirection(c.direction);
        label->SetAlignment(c.alignment);
        label->SetTextVAlignment(c.vertical);
        s.ui.pump();
        TRect ink = s.ink(label, {0, 0, 80, 60}, clWhite);
        SCOPED_TRACE(testing::Message() << "direction " << c.direction << " alignment " << c.alignment
                                        << " vertical " << c.vertical);
        EXPECT_GE(ink.left, c.box.left);
        EXPECT_GE(ink.top, c.box.top);
        EXPECT_LE(ink.right, c.box.right);
        EXPECT_LE(ink.bottom, c.box.bottom);
        // The ink covers most of the cell along the text.
        int along = c.direction == ttdLeftToRight ? ink.Width() : ink.Height();
        EXPECT_GE(along, 36);
        EXPECT_EQ(label->Width(), 80);  // AutoSize off: the size stays
    }
}
