// TScrollBox and its TControlScrollBar objects, driven by the mouse on the
// window's standard scroll bars.
#include "platform/ScrollBox.h"
#include "platform/Streaming.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

namespace {

using varn::test::UiHarness;

// A windowed child to scroll.
class TBlock : public TCustomControl {
public:
    explicit TBlock(TComponent* owner) : TCustomControl(owner) {}
};

constexpr int edge = 2;       // the sunken client edge of bsSingle
constexpr int barSize = 17;   // thickness of a standard scroll bar

// A 200 x 100 box with a sunken edge (196 x 96 inside) holding one child.
struct Box {
    UiHarness ui;
    TForm* form = nullptr;
    TScrollBox* box = nullptr;
    TBlock* child = nullptr;

    explicit Box(TRect childBounds)
    {
        form = ui.createForm(400, 300);
        box = new TScrollBox(form);
        box->SetParent(form);
        box->SetBounds(10, 10, 200, 100);
        child = new TBlock(form);
        child->SetParent(box);
        child->SetBoundsRect(childBounds);
        ui.show(form);
    }
    RECT window()
    {
        RECT r{};
        GetWindowRect(box->Handle(), &r);
        return r;
    }
    // Screen x of the vertical bar's middle, and y of its arrows.
    int barX() { return window().right - edge - barSize / 2; }
    int upArrowY() { return window().top + edge + barSize / 2; }
    int downArrowY()
    {
        int bottom = window().bottom - edge - (box->HorzScrollBar()->IsScrollBarVisible() ? barSize : 0);
        return bottom - barSize / 2;
    }
    void clickScreen(int x, int y)
    {
        ui.pressScreen(x, y);
        ui.releaseScreen(x, y);
    }
    SCROLLINFO info(int bar)
    {
        SCROLLINFO si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        GetScrollInfo(box->Handle(), bar, &si);
        return si;
    }
};

TEST(ScrollBox, BarsShowOnlyWhenNeededAndEachNarrowsTheOther)
{
    Box b({0, 0, 150, 50});
    EXPECT_EQ(b.box->Width(), 200);
    EXPECT_FALSE(b.box->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_FALSE(b.box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(b.box->ClientWidth(), 196);
    EXPECT_EQ(b.box->ClientHeight(), 96);

    // Exactly the client size: still no bar.
    b.child->SetBounds(0, 0, 196, 96);
    b.ui.pump();
    EXPECT_FALSE(b.box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(b.box->ClientHeight(), 96);

    // Too tall: the vertical bar takes 17 pixels of width, so the child that
    // fitted across no longer does and the horizontal bar comes too.
    b.child->SetBounds(0, 0, 190, 120);
    b.ui.pump();
    EXPECT_TRUE(b.box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_TRUE(b.box->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(b.box->ClientWidth(), 196 - barSize);
    EXPECT_EQ(b.box->ClientHeight(), 96 - barSize);
    SCROLLINFO v = b.info(SB_VERT);
    EXPECT_EQ(v.nMin, 0);
    EXPECT_EQ(v.nMax, 119);
    EXPECT_EQ(v.nPage, 96u - barSize);
    EXPECT_EQ(b.info(SB_HORZ).nMax, 189);

    // Visible false hides a bar even when its range is too large.
    b.box->VertScrollBar()->SetVisible(false);
    EXPECT_FALSE(b.box->VertScrollBar()->IsScrollBarVisible());
    EXPECT_FALSE(b.box->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(b.box->ClientWidth(), 196);
    EXPECT_EQ(b.box->ClientHeight(), 96);

    // Without a border the whole control is client area.
    b.box->VertScrollBar()->SetVisible(true);
    b.child->SetBounds(0, 0, 20, 20);
    b.box->SetBorderStyle(bsNone);
    b.ui.pump();
    EXPECT_EQ(b.box->ClientWidth(), 200);
    EXPECT_EQ(b.box->ClientHeight(), 100);
}

TEST(ScrollBox, ArrowAndPageClicksScrollTheChildren)
{
    Box b({0, 0, 150, 400});  // vertical bar only: 179 x 96 inside
    TControlScrollBar* bar = b.box->VertScrollBar();
    ASSERT_TRUE(bar->IsScrollBarVisible());
    ASSERT_FALSE(b.box->HorzScrollBar()->IsScrollBarVisible());
    EXPECT_EQ(bar->Range(), 400);

    b.clickScreen(b.barX(), b.downArrowY());
    EXPECT_EQ(bar->Position(), 8);
    EXPECT_EQ(b.child->Top(), -8);
    bar->SetIncrement(20);
    b.clickScreen(b.barX(), b.downArrowY());
    EXPECT_EQ(bar->Position(), 28);
    // Just above the down arrow is track below the thumb: a page.
    b.clickScreen(b.barX(), b.downArrowY() - barSize);
    EXPECT_EQ(bar->Position(), 28 + 96);
    EXPECT_EQ(b.child->Top(), -124);
    b.clickScreen(b.barX(), b.upArrowY());
    EXPECT_EQ(bar->Position(), 104);
    EXPECT_EQ(b.info(SB_VERT).nPos, 104);
    // The wheel scrolls three lines a notch.
    b.box->SetFocus();
    b.ui.wheel(b.box, 50, 50, -1);
    EXPECT_EQ(bar->Position(), 164);

    // The position stays within 0 .. Range - client height, children too.
    bar->SetPosition(1000);
    EXPECT_EQ(bar->Position(), 400 - 96);
    EXPECT_EQ(b.child->Top(), -(400 - 96));
    bar->SetPosition(-5);
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(b.child->Top(), 0);

    // A shrinking range pulls the position back with it.
    bar->SetPosition(300);
    b.child->SetHeight(150);
    b.ui.pump();
    EXPECT_EQ(bar->Range(), 150);
    EXPECT_EQ(bar->Position(), 150 - 96);
    EXPECT_EQ(b.child->Top(), -(150 - 96));
}

TEST(ScrollBox, ThumbDragFollowsTrackingAndReachesPast16Bits)
{
    Box b({0, 0, 150, 40});
    TControlScrollBar* bar = b.box->VertScrollBar();
    bar->SetRange(300000);
    EXPECT_FALSE(b.box->AutoScroll()) << "setting a range takes the ranges over";
    ASSERT_TRUE(bar->IsScrollBarVisible());
    int thumbY = b.window().top + edge + barSize + 3;  // the thumb sits right under the up arrow
    int middleY = (b.window().top + b.window().bottom) / 2;

    EXPECT_FALSE(bar->Tracking());
    b.ui.pressScreen(b.barX(), thumbY);
    b.ui.moveToScreen(b.barX(), middleY);
    EXPECT_EQ(bar->Position(), 0) << "without Tracking the drag waits for the drop";
    EXPECT_EQ(b.child->Top(), 0);
    b.ui.releaseScreen(b.barX(), middleY);
    int dropped = bar->Position();
    EXPECT_GT(dropped, 65535);
    EXPECT_LT(dropped, 300000 - 96);
    EXPECT_EQ(b.child->Top(), -dropped);

    bar->SetPosition(0);
    bar->SetTracking(true);
    b.ui.pressScreen(b.barX(), thumbY);
    b.ui.moveToScreen(b.barX(), middleY);
    EXPECT_EQ(bar->Position(), dropped) << "with Tracking the children follow the thumb";
    EXPECT_EQ(b.child->Top(), -dropped);
    b.ui.releaseScreen(b.barX(), middleY);
    EXPECT_EQ(bar->Position(), dropped);
}

TEST(ScrollBox, AutoScrollRangesFollowTheChildren)
{
    Box b({50, 60, 150, 260});
    TControlScrollBar* horz = b.box->HorzScrollBar();
    TControlScrollBar* vert = b.box->VertScrollBar();
    EXPECT_EQ(horz->Range(), 150);
    EXPECT_EQ(vert->Range(), 260);
    vert->SetMargin(10);
    EXPECT_EQ(vert->Range(), 270);

    // A second child further out widens the range; scrolling does not change it.
    auto* second = new TBlock(b.form);
    second->SetParent(b.box);
    second->SetBounds(300, 0, 40, 40);
    b.ui.pump();
    EXPECT_EQ(horz->Range(), 340);
    vert->SetPosition(100);
    EXPECT_EQ(b.child->Top(), -40);
    EXPECT_EQ(vert->Range(), 270);

    // ScrollInView brings a child's far edge in, or its near edge when it is above.
    horz->SetPosition(0);
    b.box->ScrollInView(second);
    EXPECT_EQ(horz->Position(), 340 - b.box->ClientWidth());
    EXPECT_EQ(second->Left() + second->Width(), b.box->ClientWidth());
    b.box->ScrollInView(b.child);
    EXPECT_EQ(vert->Position(), 60);
    EXPECT_EQ(b.child->Top(), 0);

    // Without AutoScroll the ranges are the application's.
    b.box->SetAutoScroll(false);
    second->SetWidth(400);
    b.ui.pump();
    EXPECT_EQ(horz->Range(), 340);
    horz->SetRange(1000);
    EXPECT_EQ(horz->Range(), 1000);
    b.box->SetAutoScroll(true);
    EXPECT_EQ(horz->Range(), 700);
}

TEST(ScrollBox, FormDescriptionRoundTrip)
{
    UiHarness ui;
    TForm* form = ui.createForm(400, 300);
    auto* box = new TScrollBox(form);
    box->SetName("box");
    EXPECT_EQ(box->Width(), 185);
    EXPECT_EQ(box->Height(), 41);
    AnsiString plain = WriteComponentText(box);
    EXPECT_EQ(plain.find("ScrollBar"), AnsiString::npos) << plain;
    EXPECT_EQ(plain.find("BorderStyle"), AnsiString::npos) << plain;

    box->VertScrollBar()->SetRange(500);
    box->VertScrollBar()->SetTracking(true);
    box->HorzScrollBar()->SetStyle(ssHotTrack);
    box->SetBorderStyle(bsNone);
    AnsiString text = WriteComponentText(box);
    for (const char* line : {"  AutoScroll = False\n", "  HorzScrollBar.Style = ssHotTrack\n",
                             "  VertScrollBar.Range = 500\n", "  VertScrollBar.Tracking = True\n",
                             "  BorderStyle = bsNone\n"})
        EXPECT_NE(text.find(line), AnsiString::npos) << line << text;
    EXPECT_EQ(text.find("HorzScrollBar.Range"), AnsiString::npos) << text;

    auto* copy = dynamic_cast<TScrollBox*>(CreateComponentFromText(text, form));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->VertScrollBar()->Range(), 500);
    EXPECT_TRUE(copy->VertScrollBar()->Tracking());
    EXPECT_FALSE(copy->AutoScroll());
    EXPECT_EQ(copy->HorzScrollBar()->Style(), ssHotTrack);
    EXPECT_EQ(copy->BorderStyle(), bsNone);
    AnsiString rewritten = WriteComponentText(copy);
    EXPECT_EQ(rewritten.substr(rewritten.find('\n')), text.substr(text.find('\n')));
}

}  // namespace
