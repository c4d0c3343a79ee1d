// The flat scroll bar: its setters, layout, drawing and mouse handling, driven
// through the headless harness.
#include "controls/VarnScroll.h"

#include "platform/Forms.h"
#include "platform/win/BackingStore.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using varn::test::UiHarness;
using Events = std::vector<std::string>;

namespace {

struct ScrollScreen {
    UiHarness ui;
    TForm* form = ui.createForm(300, 200);

    // A bar on the form whose position events go to the harness's log.
    TVarnScroll* addBar(TScrollBarKind kind = sbVertical)
    {
        auto* bar = new TVarnScroll(form);
        bar->SetParent(form);
        bar->SetKind(kind);
        if (kind == sbVertical)
            bar->SetBounds(10, 10, 18, 100);
        else
            bar->SetBounds(50, 150, 100, 18);
        bar->OnScroll = [this](TObject*, TScrollCode code, int& pos) {
            ui.record((code == scPosition ? "scroll " : "other code ") + std::to_string(pos));
        };
        bar->OnChange = [this, bar](TObject*) { ui.record("change " + std::to_string(bar->Position())); };
        return bar;
    }
    COLORREF pixel(TControl* bar, int x, int y)
    {
        return varn::windowPixel(form->Handle(), bar->Left() + x, bar->Top() + y);
    }
};

COLORREF rgb(TColor colour) { return static_cast<COLORREF>(ColorToRGB(colour)); }

}  // namespace

TEST(VarnScroll, SettersIgnoreValuesTheyCannotApply)
{
    ScrollScreen s;
    TVarnScroll* bar = s.addBar();
    EXPECT_EQ(bar->Color(), static_cast<TColor>(RGB(235, 235, 235)));

    bar->SetPosition(150);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"scroll 100", "change 100"}));
    bar->SetPosition(100);
    EXPECT_TRUE(s.ui.takeEvents().empty());

    bar->SetSmallChange(5);  // not below LargeChange 5
    bar->SetLargeChange(0);
    EXPECT_EQ(bar->SmallChange(), 1);
    EXPECT_EQ(bar->LargeChange(), 5);
    bar->SetMin(120);
    bar->SetMax(-1);
    EXPECT_EQ(bar->Min(), 0);
    EXPECT_EQ(bar->Max(), 100);
    bar->SetScrollerWidth(1);
    EXPECT_EQ(bar->ScrollerWidth(), 3);
    bar->SetButtonWidth(80);
    EXPECT_EQ(bar->ButtonWidth(), 50);
    bar->SetButtonWidth(-4);
    EXPECT_EQ(bar->ButtonWidth(), 0);

    // A lower Max pulls the position along, with its events.
    bar->SetMax(40);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"scroll 40", "change 40"}));

    // At design time a new kind turns the bar.
    bar->SetDesigning(true);
    bar->SetKind(sbHorizontal);
    EXPECT_EQ(bar->BoundsRect(), (TRect{10, 10, 110, 28}));
}

// Mends: the position never leaves Min..Max, neither through a raised Min (also
// while disabled) nor through an OnScroll handler that writes its ScrollPos.
TEST(VarnScroll, PositionStaysInsideTheRange)
{
    ScrollScreen s;
    TVarnScroll* bar = s.addBar();
    bar->SetPosition(50);
    s.ui.takeEvents();
    bar->SetMin(60);
    EXPECT_EQ(bar->Position(), 60);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"scroll 60", "change 60"}));

    bar->SetEnabled(false);  // falls to Min, then ignores positions
    EXPECT_EQ(s.ui.takeEvents(), (Events{}));
    bar->SetMin(10);
    bar->SetPosition(70);
    EXPECT_EQ(bar->Position(), 60);
    bar->SetMin(80);
    EXPECT_EQ(bar->Position(), 80);
    bar->SetEnabled(true);

    bar->OnScroll = [](TObject*, TScrollCode, int& pos) { pos = 1000; };
    bar->SetPosition(90);
    EXPECT_EQ(bar->Position(), 100);
    EXPECT_EQ(bar->AreaRect(saScroller), (TRect{0, 67, 18, 82}));
}

TEST(VarnScroll, AreasFollowSizeRangeAndPosition)
{
    struct Case {
        const char* name;
        TScrollBarKind kind;
        int width, height, min, max, position;
        TRect scroller;
    };
    const Case cases[] = {
        {"position 50", sbVertical, 18, 100, 0, 100, 50, {0, 42, 18, 57}},
        {"position at Max", sbVertical, 18, 100, 0, 100, 100, {0, 67, 18, 82}},
        {"empty range", sbVertical, 18, 100, 0, 0, 0, {0, 18, 18, 33}},
        {"Min 50 at Min", sbVertical, 18, 100, 50, 150, 50, {0, 18, 18, 33}},
        {"Min 50 half way", sbVertical, 18, 100, 50, 150, 100, {0, 42, 18, 57}},
        {"track shorter than the scroller", sbVertical, 18, 40, 0, 100, 50, {0, 18, 18, 22}},
        {"horizontal position 50", sbHorizontal, 100, 18, 0, 100, 50, {42, 0, 57, 18}},
        {"horizontal buttons take the whole bar", sbHorizontal, 30, 18, 0, 100, 100, {15, 0, 15, 18}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScrollScreen s;
        TVarnScroll* bar = s.addBar(c.kind);
        bar->SetBounds(0, 0, c.width, c.height);
        bar->SetMax(c.max);
        bar->SetMin(c.min);
        bar->SetPosition(c.position);
        EXPECT_EQ(bar->AreaRect(saScroller), c.scroller);
    }

}

TEST(VarnScroll, DrawsArrowsTrackAndScrollerInItsFourColours)
{
    ScrollScreen s;
    TVarnScroll* bar = s.addBar();
    TVarnScroll* across = s.addBar(sbHorizontal);
    for (TVarnScroll* b : {bar, across}) {
        b->SetColor(clYellow);
        b->SetColorArrow(clRed);
        b->SetColorBorder(clBlue);
        b->SetColorButton(clLime);
        b->SetPosition(50);
    }
    s.ui.show(s.form);
    const COLORREF track = rgb(clYellow), arrow = rgb(clRed), border = rgb(clBlue), button = rgb(clLime);

    EXPECT_EQ(s.pixel(bar, 0, 60), border);  // the outline around the track
    EXPECT_EQ(s.pixel(bar, 8, 35), track);
    EXPECT_EQ(s.pixel(bar, 8, 17), border);  // the up button's outline
    // The up arrow: apex (8, 6), base (4, 10)..(12, 10); the down arrow mirrors it.
    for (TPoint p : {TPoint{8, 6}, TPoint{4, 10}, TPoint{12, 10}, TPoint{4, 89}, TPoint{12, 89}, TPoint{8, 93}})
        EXPECT_EQ(s.pixel(bar, p.x, p.y), arrow) << p.x << "," << p.y;
    for (TPoint p : {TPoint{8, 5}, TPoint{3, 10}, TPoint{13, 10}, TPoint{8, 94}})
        EXPECT_EQ(s.pixel(bar, p.x, p.y), button) << p.x << "," << p.y;
    // The scroller 42..57 with grip lines at 46, 48, 50 and 52 from x 4 to 13.
    EXPECT_EQ(s.pixel(bar, 8, 42), border);
    EXPECT_EQ(s.pixel(bar, 8, 56), border);
    for (int y : {46, 48, 50, 52}) {
        EXPECT_EQ(s.pixel(bar, 4, y), border);
        EXPECT_EQ(s.pixel(bar, 13, y), border);
        EXPECT_EQ(s.pixel(bar, 14, y), button);
        EXPECT_EQ(s.pixel(bar, 8, y + 1), button);
    }
    // Horizontal: the same with x and y exchanged.
    for (TPoint p : {TPoint{6, 8}, TPoint{10, 4}, TPoint{10, 12}, TPoint{89, 4}, TPoint{89, 12}, TPoint{93, 8}})
        EXPECT_EQ(s.pixel(across, p.x, p.y), arrow) << p.x << "," << p.y;
    EXPECT_EQ(s.pixel(across, 5, 8), button);
    for (int x : {46, 48, 50, 52}) {
        EXPECT_EQ(s.pixel(across, x, 4), border);
        EXPECT_EQ(s.pixel(across, x, 14), button);
    }

    // Disabled, the position falls to 0 and no scroller is drawn.
    bar->SetEnabled(false);
    bar->SetPosition(50);
    s.ui.pump();
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(s.pixel(bar, 8, 20), track);
    EXPECT_EQ(s.pixel(bar, 8, 48), track);
}

TEST(VarnScroll, HoldingTheTrackStepsEvery50msUntilTheScrollerReachesThePointer)
{
    ScrollScreen s;
    TVarnScroll* bar = s.addBar();
    bar->OnMouseMove = [&](TObject*, TShiftState, int, int y) { s.ui.record("move " + std::to_string(y)); };
    s.ui.show(s.form);
    s.ui.moveTo(bar, 8, 60);
    s.ui.takeEvents();

    s.ui.press(bar, 8, 60);
    EXPECT_TRUE(bar->MouseIsDown());
    EXPECT_EQ(bar->MouseDownAt(), saTrackDown);
    EXPECT_TRUE(s.ui.takeEvents().empty());  // the first step waits one interval
    std::vector<int> positions;
    for (int tick = 0; tick < 14; ++tick) {
        s.ui.advance(50);
        positions.push_back(bar->Position());
    }
    EXPECT_EQ(positions, (std::vector<int>{5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 60, 60}));
    EXPECT_EQ(bar->AreaRect(saScroller), (TRect{0, 47, 18, 62}));
    Events events = s.ui.takeEvents();
    ASSERT_EQ(events.size(), 25u);  // twelve steps, then the stop moves the pointer once
    EXPECT_EQ((Events{events[0], events[1], events[24]}), (Events{"scroll 5", "change 5", "move 60"}));
    s.ui.release(bar, 8, 60);
    EXPECT_FALSE(bar->MouseIsDown());
    EXPECT_EQ(bar->MouseDownAt(), saNone);

    // A click released before the first interval makes no step.
    s.ui.press(bar, 8, 95);
    s.ui.advance(40);
    s.ui.release(bar, 8, 95);
    s.ui.advance(200);
    EXPECT_EQ(bar->Position(), 60);
    // Held, the down arrow steps by SmallChange until Max, then stops.
    bar->SetPosition(97);
    s.ui.press(bar, 8, 95);
    s.ui.advance(50);
    EXPECT_EQ(bar->Position(), 98);
    s.ui.advance(500);
    EXPECT_EQ(bar->Position(), 100);
    s.ui.release(bar, 8, 95);

    // Mend: a large step that carries the scroller past the pointer stops there
    // rather than running on to the end of the range.
    bar->SetPosition(0);
    bar->SetLargeChange(40);
    s.ui.press(bar, 8, 36);
    s.ui.advance(500);
    s.ui.release(bar, 8, 36);
    EXPECT_EQ(bar->Position(), 40);  // scroller 37..52, past the pointer at 36
}

TEST(VarnScroll, DraggingTheScrollerSetsThePositionWhereItIsDropped)
{
    ScrollScreen s;
    TVarnScroll* bar = s.addBar();
    bar->SetPosition(50);
    s.ui.show(s.form);
    s.ui.takeEvents();

    s.ui.press(bar, 8, 45);  // 3 pixels into the scroller at 42..57
    EXPECT_EQ(bar->MouseDownAt(), saScroller);
    s.ui.moveTo(bar, 8, 70);  // (70 - 21) * 100 / 49
    EXPECT_EQ(bar->Position(), 100);
    s.ui.moveTo(bar, 30, 33);  // beside the bar: only y counts
    EXPECT_EQ(bar->Position(), 24);
    s.ui.moveTo(bar, 8, -40);
    EXPECT_EQ(bar->Position(), 0);
    s.ui.advance(500);  // no repeat while dragging
    s.ui.release(bar, 8, -40);
    EXPECT_EQ(s.ui.takeEvents(),
              (Events{"scroll 100", "change 100", "scroll 24", "change 24", "scroll 0", "change 0"}));
    EXPECT_FALSE(bar->MouseIsDown());
}

TEST(VarnScroll, HorizontalBarMirrorsTheVerticalOne)
{
    ScrollScreen s;
    TVarnScroll* bar = s.addBar(sbHorizontal);
    s.ui.show(s.form);

    // The right arrow moves the scroller right, the left arrow back.
    s.ui.press(bar, 95, 8);
    s.ui.advance(100);
    s.ui.release(bar, 95, 8);
    EXPECT_EQ(bar->Position(), 2);
    s.ui.press(bar, 5, 8);
    s.ui.advance(50);
    s.ui.release(bar, 5, 8);
    EXPECT_EQ(bar->Position(), 1);

    // The track right of the scroller pages toward the pointer; left of it, back.
    s.ui.press(bar, 60, 8);
    s.ui.advance(1000);
    s.ui.release(bar, 60, 8);
    EXPECT_EQ(bar->Position(), 61);
    EXPECT_EQ(bar->AreaRect(saScroller), (TRect{47, 0, 62, 18}));
    s.ui.press(bar, 30, 8);
    s.ui.advance(1000);
    s.ui.release(bar, 30, 8);
    EXPECT_EQ(bar->Position(), 26);  // scroller 30..45

    // Dragging measures from the left button.
    s.ui.press(bar, 31, 8);
    s.ui.moveTo(bar, 68, 8);  // (68 - 19) * 100 / 49
    s.ui.release(bar, 68, 8);
    EXPECT_EQ(bar->Position(), 100);
}

TEST(VarnScroll, TellsOfTheMouseEnteringLeavingAndAskingForAMenu)
{
    ScrollScreen s;
    TVarnScroll* bar = s.addBar();
    bar->OnMouseIn = [&](TObject*) { s.ui.record("in"); };
    bar->OnMouseOut = [&](TObject*) { s.ui.record("out"); };
    bar->OnMouseMove = [&](TObject*, TShiftState, int x, int y) {
        s.ui.record("move " + std::to_string(x) + "," + std::to_string(y));
    };
    s.ui.show(s.form);
    s.ui.moveTo(bar, 5, 50);
    EXPECT_TRUE(bar->MouseInControl());
    s.ui.moveTo(bar, 40, 50);
    EXPECT_FALSE(bar->MouseInControl());
    // The framework tells of the entry after the move; leaving moves once more, at the last point.
    EXPECT_EQ(s.ui.takeEvents(), (Events{"move 5,50", "in", "move 5,50", "out"}));

    bar->OnContextPopup = [&](TObject*, TPoint at, bool& handled) {
        s.ui.record("menu " + std::to_string(at.x) + "," + std::to_string(at.y));
        handled = true;
    };
    s.ui.click(bar, 8, 50, varn::MouseButton::Right);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"move 8,50", "in", "menu 8,50"}));
}
