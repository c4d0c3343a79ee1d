// The tabbed container, its pages and the stand-alone tab strip: page order, the
// waiting index, the change veto, tab clicks, the strip's place and frame, the
// arrow panel, and stored forms reading back what was written.
#include "controls/VarnTabbed.h"
#include "controls/VarnTabbedProperties.h"

#include "controls/VarnButton.h"
#include "controls/VarnFrame.h"
#include "platform/Forms.h"
#include "platform/Streaming.h"
#include "platform/win/BackingStore.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using varn::test::UiHarness;
using Events = std::vector<std::string>;

namespace {

COLORREF rgb(TColor colour) { return static_cast<COLORREF>(ColorToRGB(colour)); }

struct TabScreen {
    UiHarness ui;
    TForm* form = ui.createForm(400, 300);
    TVarnTabbed* tabbed = nullptr;

    TabScreen()
    {
        form->SetColor(clWhite);
        tabbed = new TVarnTabbed(form);
        tabbed->SetParent(form);
        tabbed->SetBounds(10, 10, 300, 200);
        tabbed->OnChange = [this](TObject*) { ui.record("change " + std::to_string(tabbed->ActiveIndex())); };
    }
    TVarnPage* addPage(const AnsiString& caption, int order = 0)
    {
        auto* page = new TVarnPage(form);
        page->SetCaption(caption);
        page->setOrder(order);
        page->setTabControl(tabbed);
        return page;
    }
    COLORREF pixel(int x, int y) { return varn::windowPixel(tabbed->Handle(), x, y); }
    TPoint centre(const TRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    void clickTab(TVarnPage* page)
    {
        TPoint at = centre(page->tabRect);
        ui.click(tabbed, at.x, at.y);
    }
    std::vector<AnsiString> captions()
    {
        std::vector<AnsiString> result;
        for (int i = 0; i < tabbed->PageCount(); ++i)
            result.push_back(tabbed->Pages(i)->Caption());
        return result;
    }
};

}  // namespace

TEST(VarnTabbed, IndexGivenBeforeAnyPageIsShownAtTheFirstPaint)
{
    TabScreen s;
    s.tabbed->setActiveIndex(2);
    EXPECT_EQ(s.tabbed->ActiveIndex(), -1);
    EXPECT_EQ(s.tabbed->PendingIndex(), 2);
    TVarnPage* pages[] = {s.addPage("Uno"), s.addPage("Dos"), s.addPage("Tres")};  // equal Order: as added
    s.ui.show(s.form);

    EXPECT_EQ(s.tabbed->ActiveIndex(), 2);
    EXPECT_FALSE(pages[0]->Visible());
    EXPECT_FALSE(pages[1]->Visible());
    EXPECT_TRUE(pages[2]->Visible());
    EXPECT_EQ(pages[2]->BoundsRect(), s.tabbed->ClientRect());
    EXPECT_EQ(s.ui.takeEvents(), Events{"change 2"});

    // An index that names no page waits no longer and leaves the container as it is.
    TabScreen t;
    t.tabbed->setActiveIndex(5);
    t.addPage("Uno");
    t.ui.show(t.form);
    EXPECT_EQ(t.tabbed->ActiveIndex(), -1);
    EXPECT_EQ(t.tabbed->PendingIndex(), -1);
}

TEST(VarnTabbed, TabsFollowOrderAndClicksSwitchPagesUnlessVetoed)
{
    TabScreen s;
    TVarnPage* three = s.addPage("Tres", 3);
    TVarnPage* one = s.addPage("Uno", 1);
    TVarnPage* two = s.addPage("Dos", 2);
    s.tabbed->setActiveIndex(0);
    s.ui.show(s.form);
    EXPECT_EQ(s.captions(), (std::vector<AnsiString>{"Uno", "Dos", "Tres"}));
    EXPECT_LT(one->tabRect.left, two->tabRect.left);
    EXPECT_LT(two->tabRect.left, three->tabRect.left);
    EXPECT_EQ(two->tabRect.left, one->tabRect.right - 1);  // adjacent tabs share a column
    EXPECT_EQ(s.ui.takeEvents(), Events{"change 0"});

    bool allow = false;
    s.tabbed->OnCanChange = [&](int page, bool& canChange) {
        s.ui.record("can leave " + std::to_string(page));
        canChange = allow;
    };
    s.clickTab(three);
    EXPECT_EQ(s.tabbed->ActiveIndex(), 0);
    EXPECT_TRUE(one->Visible());
    EXPECT_FALSE(three->Visible());
    EXPECT_EQ(s.ui.takeEvents(), Events{"can leave 0"});
    allow = true;
    s.clickTab(three);
    EXPECT_EQ(s.tabbed->ActiveIndex(), 2);
    EXPECT_TRUE(three->Visible());
    EXPECT_FALSE(one->Visible());
    EXPECT_EQ(s.ui.takeEvents(), (Events{"can leave 0", "change 2"}));

    // A new Order moves the tab; the active page stays active.
    one->setOrder(9);
    EXPECT_EQ(s.captions(), (std::vector<AnsiString>{"Dos", "Tres", "Uno"}));
    EXPECT_EQ(s.tabbed->ActivePage(), three);
}

TEST(VarnTabbed, HiddenTabCannotBeClickedButCanBeSelectedByIndex)
{
    TabScreen s;
    TVarnPage* one = s.addPage("Uno", 1);
    TVarnPage* hidden = s.addPage("Oculta", 2);
    TVarnPage* three = s.addPage("Tres", 3);
    hidden->setVisibleTab(false);
    s.tabbed->setActiveIndex(0);
    s.ui.show(s.form);
    s.ui.takeEvents();

    EXPECT_EQ(hidden->tabRect, TRect{});
    EXPECT_EQ(three->tabRect.left, one->tabRect.right - 1);
    // Where the hidden tab would be, the next one is.
    s.ui.click(s.tabbed, one->tabRect.right + 2, s.centre(one->tabRect).y);
    EXPECT_EQ(s.tabbed->ActivePage(), three);
    s.tabbed->setActiveIndex(1);
    EXPECT_EQ(s.tabbed->ActivePage(), hidden);
    EXPECT_TRUE(hidden->Visible());
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 2", "change 1"}));
}

TEST(VarnTabbed, PagesFillTheClientAreaThatStripFrameAndBorderLeave)
{
    TabScreen s;
    TVarnPage* page = s.addPage("Uno");
    s.tabbed->setActiveIndex(0);
    s.ui.show(s.form);
    const int W = 300, H = 200;
    EXPECT_EQ(s.tabbed->BorderInternal(), 0);
    EXPECT_EQ(page->BoundsRect(), TRect(1, 1, W - 1, H - 18 - 1 - 1));

    s.tabbed->setBorderInternal(3);
    s.tabbed->setButtonsPosition(vtBtUp);
    EXPECT_EQ(page->BoundsRect(), TRect(4, 18 + 4, W - 4, H - 1 - 4));

    s.tabbed->setHideButtons(true);
    EXPECT_EQ(page->BoundsRect(), TRect(4, 4, W - 4, H - 1 - 4));

    // Resizing the container keeps the page filling it.
    s.tabbed->SetBounds(10, 10, 200, 150);
    s.ui.pump();
    EXPECT_EQ(page->BoundsRect(), TRect(4, 4, 200 - 4, 150 - 1 - 4));
}

TEST(VarnTabbed, StripBelowOrAboveDrawsTabsFrameAndTheActiveMark)
{
    TabScreen s;
    s.tabbed->setColorFrame(clBlue);
    s.tabbed->setColorFont(clRed);
    s.tabbed->SetColor(clWhite);
    TVarnPage* one = s.addPage("Uno");
    TVarnPage* two = s.addPage("Dos");
    s.tabbed->setActiveIndex(0);
    s.tabbed->setBorderInternal(5);  // so that the page leaves the frame visible
    s.ui.show(s.form);
    const int W = 300, H = 200;
    const COLORREF blue = rgb(clBlue), red = rgb(clRed), white = rgb(clWhite);

    // Below: the frame box from y 0 to H - 19, the strip under it.
    const int bottom = H - 18 - 1;
    EXPECT_EQ(s.pixel(0, 50), blue);
    EXPECT_EQ(s.pixel(W - 1, 50), blue);
    EXPECT_EQ(s.pixel(150, 0), blue);
    EXPECT_EQ(s.pixel(150, bottom), blue);
    EXPECT_EQ(one->tabRect, TRect(0, bottom, one->tabRect.right, H - 1));
    // The active tab opens towards the page: its top row is background, its three
    // bottom rows carry the mark.
    EXPECT_EQ(s.pixel(5, bottom), white);
    EXPECT_EQ(s.pixel(5, H - 1), red);
    EXPECT_EQ(s.pixel(5, H - 2), red);
    EXPECT_EQ(s.pixel(5, H - 3), red);
    EXPECT_EQ(s.pixel(two->tabRect.left + 3, H - 3), blue);  // an inactive tab's outline
    EXPECT_EQ(s.pixel(two->tabRect.left + 3, H - 2), white);

    s.tabbed->setButtonsPosition(vtBtUp);
    s.ui.pump();
    EXPECT_EQ(one->tabRect, TRect(0, 0, one->tabRect.right, 19));
    EXPECT_EQ(s.pixel(5, 0), red);
    EXPECT_EQ(s.pixel(5, 2), red);
    EXPECT_EQ(s.pixel(5, 18), white);              // opened towards the pages
    EXPECT_EQ(s.pixel(two->tabRect.left + 3, 1), blue);  // an inactive tab's top
    EXPECT_EQ(s.pixel(150, 18), blue);            // the frame's top

    // Sides switch off one by one, or all with HideFrame.
    s.tabbed->setDrawFrame(0, false);
    s.ui.pump();
    EXPECT_EQ(s.pixel(0, 100), white);
    EXPECT_EQ(s.pixel(W - 1, 100), blue);
    s.tabbed->setHideFrame(true);
    s.ui.pump();
    EXPECT_EQ(s.pixel(W - 1, 100), white);
}

TEST(VarnTabbed, PagesLeavingTheContainerKeepTheActiveIndexValid)
{
    TabScreen s;
    TVarnPage* one = s.addPage("Uno", 1);
    TVarnPage* two = s.addPage("Dos", 2);
    TVarnPage* three = s.addPage("Tres", 3);
    s.tabbed->setActiveIndex(2);
    s.ui.show(s.form);
    delete one;
    EXPECT_EQ(s.tabbed->ActiveIndex(), 1);
    EXPECT_EQ(s.tabbed->ActivePage(), three);
    delete three;
    EXPECT_EQ(s.tabbed->ActivePage(), two);
    EXPECT_TRUE(two->Visible());
    s.ui.pump();

    // Moving a page to another container; destroying a container with its pages.
    auto* other = new TVarnTabbed(s.form);
    other->SetParent(s.form);
    two->setTabControl(other);
    EXPECT_EQ(s.tabbed->PageCount(), 0);
    EXPECT_EQ(s.tabbed->ActiveIndex(), -1);
    EXPECT_EQ(other->PageCount(), 1);
    EXPECT_EQ(two->Parent(), other);
    s.addPage("Cuatro");
    delete s.tabbed;
    s.ui.pump();
}

TEST(VarnTabbed, StoredContainerReadsBackWhatWasWritten)
{
    UiHarness ui;
    TForm* form = ui.createForm(300, 200);
    form->SetName("Form1");
    auto* tabbed = new TVarnTabbed(form);
    tabbed->SetName("tabs");
    tabbed->SetParent(form);
    tabbed->SetBounds(0, 0, 300, 200);
    tabbed->setBorderInternal(1);
    tabbed->setButtonsPosition(vtBtUp);
    for (int i = 0; i < 3; ++i) {
        auto* page = new TVarnPage(form);
        page->SetName("page" + std::to_string(i));
        page->SetCaption("P\xE1gina " + std::to_string(i));
        page->setOrder(3 - i);
        page->setTabControl(tabbed);
    }
    tabbed->setActiveIndex(1);
    auto* strip = new TVarnTabButtons(form);
    strip->SetName("strip");
    strip->SetParent(form);
    TStringList items;
    items.Add("Uno");
    items.Add("Dos");
    strip->setItems(&items);
    strip->setActiveIndex(0);
    const AnsiString text = WriteComponentText(form);
    EXPECT_NE(text.find("BorderInternal = 1"), AnsiString::npos) << text;
    EXPECT_NE(text.find("ActiveIndex = 0"), AnsiString::npos) << text;

    TForm* copy = ui.createForm(300, 200);
    ReadComponentText(text, copy);
    const AnsiString copyText = WriteComponentText(copy);
    EXPECT_EQ(copyText.substr(copyText.find('\n')), text.substr(text.find('\n')));
    auto* readTabs = dynamic_cast<TVarnTabbed*>(copy->FindComponent("tabs"));
    auto* readStrip = dynamic_cast<TVarnTabButtons*>(copy->FindComponent("strip"));
    ASSERT_TRUE(readTabs && readStrip);
    EXPECT_EQ(readTabs->BorderInternal(), 1);
    EXPECT_EQ(readTabs->PageCount(), 3);
    EXPECT_EQ(readTabs->Pages(0)->Caption(), "P\xE1gina 2");
    EXPECT_EQ(readStrip->ActiveIndex(), 0);
    EXPECT_EQ(readStrip->Items()->Count(), 2);
    ui.show(copy);
    EXPECT_EQ(readTabs->ActiveIndex(), 1);
    EXPECT_EQ(readTabs->ActivePage()->Name(), "page1");

    // The constructed values are not written and read back as such.
    auto* plainTabs = new TVarnTabbed(copy);
    auto* plainStrip = new TVarnTabButtons(copy);
    const AnsiString plainText = WriteComponentText(plainTabs) + WriteComponentText(plainStrip);
    EXPECT_EQ(plainText.find("BorderInternal"), AnsiString::npos);
    EXPECT_EQ(plainText.find("ActiveIndex"), AnsiString::npos);
    EXPECT_EQ(plainTabs->BorderInternal(), 0);
    EXPECT_EQ(plainStrip->ActiveIndex(), -1);
}

TEST(VarnTabButtons, ArrowPanelScrollsTheStripWhenTabsDoNotFit)
{
    UiHarness ui;
    TForm* form = ui.createForm(400, 100);
    auto* strip = new TVarnTabButtons(form);
    strip->SetParent(form);
    strip->SetBounds(10, 10, 200, 20);
    strip->OnChange = [&](TObject*) { ui.record("change " + std::to_string(strip->ActiveIndex())); };
    TStringList items;
    for (const char* text : {"Enero", "Febrero", "Marzo"})
        items.Add(text);
    strip->setItems(&items);
    EXPECT_EQ(strip->FirstShown(), 0);
    EXPECT_EQ(strip->ActiveIndex(), -1);
    ui.show(form);
    EXPECT_EQ(strip->FittingCount(), 3);
    EXPECT_FALSE(strip->ArrowPanel()->Visible());

    for (const char* text : {"Abril", "Mayo", "Junio", "Julio", "Agosto"})
        items.Add(text);
    strip->setItems(&items);
    ui.pump();
    EXPECT_LT(strip->FittingCount(), 8);
    EXPECT_TRUE(strip->ArrowPanel()->Visible());
    EXPECT_FALSE(strip->PriorButton()->Enabled());
    EXPECT_TRUE(strip->NextButton()->Enabled());
    // The prior button lies left of the next one, both at the right end.
    EXPECT_LT(strip->PriorButton()->Left(), strip->NextButton()->Left());
    EXPECT_EQ(strip->ArrowPanel()->BoundsRect().right, 200);

    ui.click(strip->NextButton(), 10, 10);
    EXPECT_EQ(strip->FirstShown(), 1);
    EXPECT_TRUE(strip->PriorButton()->Enabled());
    EXPECT_EQ(strip->TabRect(0), TRect{});
    EXPECT_EQ(strip->TabRect(1).left, 0);
    ui.click(strip->PriorButton(), 10, 10);
    EXPECT_EQ(strip->FirstShown(), 0);
    EXPECT_FALSE(strip->PriorButton()->Enabled());

    // A click on a tab selects it and reports, also when it was selected already.
    const TRect second = strip->TabRect(1);
    ui.click(strip, second.left + 5, 10);
    ui.click(strip, second.left + 5, 10);
    EXPECT_EQ(ui.takeEvents(), (Events{"change 1", "change 1"}));

    // The panel's frame follows the strip's base line.
    EXPECT_TRUE(strip->ArrowPanel()->DrawTop());
    EXPECT_FALSE(strip->ArrowPanel()->DrawBottom());
    strip->setBtPosition(vtBtUp);
    EXPECT_FALSE(strip->ArrowPanel()->DrawTop());
    EXPECT_TRUE(strip->ArrowPanel()->DrawBottom());
    EXPECT_FALSE(strip->ArrowPanel()->DrawLeft() || strip->ArrowPanel()->DrawRight());

    strip->setItems(nullptr);
    EXPECT_EQ(strip->ActiveIndex(), -1);
    EXPECT_EQ(strip->FirstShown(), -1);
    ui.pump();
}
