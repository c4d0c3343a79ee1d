// The list box driven like a user would: pixels of its rows, mouse and keys,
// its scroll bar, item changes, sorting and form descriptions.
#include "platform/ListBox.h"

#include "platform/Graphics.h"
#include "platform/Streaming.h"
#include "platform/win/BackingStore.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using varn::test::UiHarness;
using Events = std::vector<std::string>;

// A list of the given items on a form; its client area is 4 rows of the default
// 13-pixel height (plus the 2-pixel sunken border on each side).
struct ListScreen {
    explicit ListScreen(int itemCount, int rows = 4)
    {
        form = ui.createForm(240, 200);
        list = new TListBox(form);
        list->SetParent(form);
        list->SetBounds(10, 10, 120, rows * 13 + 4);
        for (int i = 0; i < itemCount; ++i)
            list->Items()->Add("item " + std::to_string(i));
        list->OnClick = [this](TObject*) { ui.record("click " + std::to_string(list->ItemIndex())); };
        list->OnDblClick = [this](TObject*) { ui.record("dblclick"); };
        ui.show(form);
    }
    COLORREF pixel(int x, int y) { return varn::windowPixel(list->Handle(), x, y); }
    // True when some pixel of the row's text area differs from the background.
    bool rowHasInk(int row, COLORREF background)
    {
        for (int y = row * 13; y < row * 13 + 13; ++y)
            for (int x = 2; x < 60; ++x)
                if (pixel(x, y) != background)
                    return true;
        return false;
    }
    std::vector<int> selected()
    {
        std::vector<int> result;
        for (int i = 0; i < list->Count(); ++i)
            if (list->Selected(i))
                result.push_back(i);
        return result;
    }

    UiHarness ui;
    TForm* form = nullptr;
    TListBox* list = nullptr;
};

COLORREF rgb(TColor color) { return static_cast<COLORREF>(ColorToRGB(color)); }

}  // namespace

TEST(ListBox, PaintsRowsSelectionFocusAndDisabledText)
{
    ListScreen s(3);
    ASSERT_EQ(s.list->ItemHeight(), 13);
    EXPECT_EQ(s.list->ClientHeight(), 52);
    const COLORREF window = rgb(clWindow);
    EXPECT_TRUE(s.rowHasInk(0, window));
    EXPECT_TRUE(s.rowHasInk(2, window));
    EXPECT_FALSE(s.rowHasInk(3, window)) << "nothing below the last item";
    // The shown form gave the list the focus: a dotted outline round the first row,
    // inside it 2 pixels of padding before the text.
    EXPECT_TRUE(s.list->Focused());
    EXPECT_NE(s.pixel(0, 0), window);
    for (int y = 1; y < 12; ++y)
        EXPECT_EQ(s.pixel(1, y), window) << "y " << y;

    s.list->SetItemIndex(1);
    s.ui.pump();
    const COLORREF highlight = rgb(clHighlight);
    EXPECT_EQ(s.pixel(100, 13), highlight);
    EXPECT_EQ(s.pixel(100, 25), highlight);
    EXPECT_EQ(s.pixel(100, 26), window);
    bool lightText = false;
    for (int x = 2; x < 60; ++x)
        for (int y = 13; y < 26; ++y)
            lightText = lightText || s.pixel(x, y) == rgb(clHighlightText);
    EXPECT_TRUE(lightText) << "selected text in clHighlightText";

    // The focus rectangle goes round the selected row while the list has the focus.
    auto dotted = [&](int y) { return s.pixel(0, y) != s.pixel(1, y); };
    EXPECT_TRUE(dotted(13));
    EXPECT_FALSE(dotted(0));
    ASSERT_TRUE(varn::SaveWindowToPngFile(s.form->Handle(), ::testing::TempDir() + "ListBox-paint.png"));
    auto* other = new TCustomControl(s.form);
    other->SetParent(s.form);
    other->SetBounds(150, 10, 20, 20);
    other->SetFocus();
    s.ui.pump();
    EXPECT_FALSE(dotted(13));
    EXPECT_EQ(s.pixel(0, 13), highlight);

    s.list->SetItemIndex(-1);
    s.list->SetEnabled(false);
    s.ui.pump();
    bool gray = false;
    for (int x = 2; x < 60; ++x)
        for (int y = 0; y < 13; ++y)
            gray = gray || s.pixel(x, y) == rgb(clGrayText);
    EXPECT_TRUE(gray) << "a disabled list writes in clGrayText";
}

TEST(ListBox, MouseSelectsFiresClickOnChangeAndDoubleClick)
{
    ListScreen s(3);
    s.ui.click(s.list, 30, 2 * 13 + 6);
    EXPECT_EQ(s.list->ItemIndex(), 2);
    EXPECT_TRUE(s.list->Focused());
    s.ui.advance(1000);
    s.ui.click(s.list, 30, 2 * 13 + 2);
    s.ui.advance(1000);
    s.ui.click(s.list, 30, 3 * 13 + 2);  // below the last item
    EXPECT_EQ(s.list->ItemIndex(), 2);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"click 2"}));

    s.ui.advance(1000);
    s.ui.doubleClick(s.list, 30, 6);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"click 0", "dblclick"}));

    EXPECT_EQ(s.list->ItemAtPos({5, 13}, true), 1);
    EXPECT_EQ(s.list->ItemAtPos({5, 45}, true), -1);
    EXPECT_EQ(s.list->ItemAtPos({5, 45}, false), 3);
    EXPECT_EQ(s.list->ItemAtPos({5, 60}, false), -1) << "outside the client area";
    EXPECT_EQ(s.list->ItemRect(1), (TRect{0, 13, s.list->ClientWidth(), 26}));
    EXPECT_EQ(s.list->ItemRect(7), (TRect{0, 0, 0, 0}));
}

TEST(ListBox, KeysMoveTheSelectionIntoView)
{
    ListScreen s(20);
    s.list->SetFocus();
    s.ui.pump();
    s.ui.pressKey(VK_DOWN);
    s.ui.pressKey(VK_DOWN);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"click 0", "click 1"}));
    s.ui.pressKey(VK_NEXT);
    EXPECT_EQ(s.list->ItemIndex(), 4);
    EXPECT_EQ(s.list->TopIndex(), 1) << "the item comes into view at the bottom";
    s.ui.pressKey(VK_END);
    EXPECT_EQ(s.list->TopIndex(), 16);
    s.ui.pressKey(VK_DOWN);  // no change, no click
    s.ui.pressKey(VK_HOME);
    EXPECT_EQ(s.list->TopIndex(), 0);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"click 4", "click 19", "click 0"}));

    // OnKeyDown comes first and may swallow the key.
    s.list->OnKeyDown = [](TObject*, WORD& key, TShiftState) {
        if (key == VK_DOWN)
            key = 0;
    };
    s.ui.pressKey(VK_DOWN);
    EXPECT_EQ(s.list->ItemIndex(), 0);
    EXPECT_TRUE(s.ui.takeEvents().empty());
}

TEST(ListBox, ScrollBarShowsOnlyWhenItemsDoNotFitAndScrolls)
{
    ListScreen s(4);
    EXPECT_EQ(s.list->ClientWidth(), 116) << "4 items fit: no bar";
    s.list->Items()->Add("item 4");
    s.list->Items()->Add("item 5");
    s.list->Items()->Add("item 6");
    s.ui.pump();
    EXPECT_EQ(s.list->ClientWidth(), 116 - GetSystemMetrics(SM_CXVSCROLL));
    SCROLLINFO info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(s.list->Handle(), SB_VERT, &info);
    EXPECT_EQ(info.nMax, 6);
    EXPECT_EQ(info.nPage, 4u);

    // A click on the bar's down arrow scrolls one item.
    TPoint corner = s.list->ClientToScreen({s.list->ClientWidth(), s.list->ClientHeight()});
    s.ui.pressScreen(corner.x + 5, corner.y - 3);
    s.ui.releaseScreen(corner.x + 5, corner.y - 3);
    EXPECT_EQ(s.list->TopIndex(), 1);
    EXPECT_EQ(info.nPos, 0);
    EXPECT_EQ(GetScrollPos(s.list->Handle(), SB_VERT), 1);
    s.list->Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(s.list->TopIndex(), 3) << "the last page stays full";

    // The wheel scrolls three items a notch.
    s.list->SetFocus();
    s.ui.wheel(s.list, 20, 20, 1);
    EXPECT_EQ(s.list->TopIndex(), 0);
    s.ui.wheel(s.list, 20, 20, -1);
    EXPECT_EQ(s.list->TopIndex(), 3);

    // Deleting items hides the bar again and keeps the top index in range.
    s.list->Items()->Delete(6);
    s.list->Items()->Delete(5);
    s.list->Items()->Delete(4);
    s.ui.pump();
    EXPECT_EQ(s.list->TopIndex(), 0);
    EXPECT_EQ(s.list->ClientWidth(), 116);
}

TEST(ListBox, DragFollowsThePointerAndScrollsPastTheEdge)
{
    ListScreen s(10);
    s.ui.press(s.list, 30, 6);
    s.ui.moveTo(s.list, 30, 2 * 13 + 6);
    EXPECT_EQ(s.list->ItemIndex(), 2);
    s.ui.moveTo(s.list, 30, 70);  // below the list, button held
    s.ui.advance(200);
    EXPECT_GT(s.list->TopIndex(), 0);
    EXPECT_EQ(s.list->ItemIndex(), s.list->TopIndex() + 3);
    s.ui.release(s.list, 30, 70);
    int top = s.list->TopIndex();
    s.ui.advance(200);
    EXPECT_EQ(s.list->TopIndex(), top) << "scrolling stops with the release";
    Events events = s.ui.takeEvents();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], "click 0");
    EXPECT_EQ(events[1], "click 2");
}

TEST(ListBox, MultiSelectWithCtrlAndShift)
{
    ListScreen s(6, 6);
    s.list->SetMultiSelect(true);
    EXPECT_EQ(s.list->SelCount(), 0);
    auto clickRow = [&](int row, std::vector<int> keys) {
        for (int k : keys)
            s.ui.keyDown(k);
        s.ui.click(s.list, 30, row * 13 + 6);
        for (int k : keys)
            s.ui.keyUp(k);
        s.ui.advance(1000);
    };
    clickRow(1, {});
    clickRow(3, {VK_CONTROL});
    EXPECT_EQ(s.selected(), (std::vector<int>{1, 3}));
    clickRow(5, {VK_SHIFT});
    EXPECT_EQ(s.selected(), (std::vector<int>{3, 4, 5})) << "from the anchor, the rest cleared";
    clickRow(0, {VK_CONTROL, VK_SHIFT});
    EXPECT_EQ(s.list->SelCount(), 6);
    clickRow(4, {VK_CONTROL});
    EXPECT_EQ(s.selected(), (std::vector<int>{0, 1, 2, 3, 5}));
    EXPECT_EQ(s.list->ItemIndex(), 4);

    s.ui.keyDown(VK_SHIFT);
    s.ui.pressKey(VK_UP);
    s.ui.pressKey(VK_UP);
    s.ui.keyUp(VK_SHIFT);
    EXPECT_EQ(s.selected(), (std::vector<int>{2, 3, 4}));
    EXPECT_THROW(s.list->Selected(6), EListError);

    // Without ExtendedSelect a click toggles one item and leaves the rest.
    s.list->SetExtendedSelect(false);
    clickRow(0, {});
    clickRow(3, {});
    EXPECT_EQ(s.selected(), (std::vector<int>{0, 2, 4}));

    s.list->SetMultiSelect(false);
    EXPECT_EQ(s.list->SelCount(), -1);
}

TEST(ListBox, ItemChangesKeepIndexesValid)
{
    ListScreen s(5);
    TStrings* items = s.list->Items();
    s.list->SetItemIndex(2);
    items->Insert(0, "new");
    EXPECT_EQ(s.list->ItemIndex(), 3);
    items->Delete(0);
    EXPECT_EQ(s.list->ItemIndex(), 2);
    items->Move(2, 4);
    EXPECT_EQ(s.list->ItemIndex(), 4) << "the selection goes with the moved item";
    items->Exchange(4, 1);
    EXPECT_EQ(s.list->ItemIndex(), 1);
    EXPECT_EQ(items->Strings(1), "item 2");
    items->Delete(1);
    EXPECT_EQ(s.list->ItemIndex(), -1);
    s.list->SetItemIndex(9);
    EXPECT_EQ(s.list->ItemIndex(), -1) << "out of range clears";

    s.list->SetMultiSelect(true);
    s.list->SetSelected(3, true);
    items->Insert(0, "first");
    EXPECT_EQ(s.selected(), (std::vector<int>{4}));

    s.list->SetItemIndex(4);
    s.list->SetTopIndex(3);
    s.list->Clear();
    EXPECT_EQ(s.list->ItemIndex(), -1);
    EXPECT_EQ(s.list->TopIndex(), 0);
    EXPECT_EQ(s.list->SelCount(), 0);
    s.ui.pump();

    s.list->SetItemHeight(0);
    s.list->SetStyle(lbOwnerDrawFixed);
    EXPECT_EQ(s.list->ItemHeight(), 16) << "a height below 1 is ignored";
}

TEST(ListBox, SortedKeepsSpanishOrderAndEveryLine)
{
    ListScreen s(0);
    for (const char* word : {"zorro", "\xF1u", "avi\xF3n", "nube", "\xC1vila", "\xE1rbol"})
        s.list->Items()->Add(word);
    s.list->SetItemIndex(0);  // "zorro"
    s.list->SetSorted(true);
    s.list->Items()->Add("oso");
    s.list->Items()->Add("nube");
    std::vector<AnsiString> order;
    for (int i = 0; i < s.list->Count(); ++i)
        order.push_back(s.list->Items()->Strings(i));
    EXPECT_EQ(order, (std::vector<AnsiString>{"\xE1rbol", "\xC1vila", "avi\xF3n", "nube", "nube", "\xF1u", "oso",
                                              "zorro"}));
    EXPECT_EQ(s.list->ItemIndex(), 7) << "the selection stays on its item";
}

TEST(ListBox, OwnerDrawGetsEachVisibleRow)
{
    ListScreen s(6);
    std::vector<std::string> drawn;
    s.list->SetStyle(lbOwnerDrawFixed);
    s.list->SetItemHeight(20);
    s.list->SetItemIndex(1);
    s.list->OnDrawItem = [&](TWinControl* control, int index, const TRect& rect, TOwnerDrawState state) {
        drawn.push_back(std::to_string(index) + ":" + std::to_string(rect.top) + "-" + std::to_string(rect.bottom) +
                        (state.Contains(odSelected) ? " selected" : ""));
        static_cast<TListBox*>(control)->Canvas()->FillRect(rect);
    };
    s.list->Invalidate();
    s.ui.pump();
    EXPECT_EQ(drawn, (std::vector<std::string>{"0:0-20", "1:20-40 selected", "2:40-60"}));
    EXPECT_EQ(s.pixel(50, 25), rgb(clHighlight)) << "the canvas brush is set for the state";
}

TEST(ListBox, FormDescriptionRoundTrip)
{
    UiHarness ui;
    TForm* form = ui.createForm(200, 150);
    form->SetName("Dialog");
    auto* list = new TListBox(form);
    list->SetName("cities");
    list->SetParent(form);
    list->SetBounds(8, 8, 100, 80);
    list->Items()->Add("M\xE1laga");
    list->Items()->Add("it's");
    list->SetMultiSelect(true);
    list->SetBorderStyle(bsNone);
    AnsiString text = WriteComponentText(form);
    EXPECT_NE(text.find("    BorderStyle = bsNone\n"), AnsiString::npos) << text;
    EXPECT_NE(text.find("    ItemHeight = 13\n    Items.Strings = (\n      'M'#225'laga'\n      'it''s')\n"
                        "    MultiSelect = True\n"),
              AnsiString::npos)
        << text;
    EXPECT_EQ(text.find("    Color ="), AnsiString::npos) << "clWindow is the declared default";
    EXPECT_EQ(text.find("TabStop"), AnsiString::npos);

    TForm* copy = ui.createForm(200, 150);
    ReadComponentText(text, copy);
    auto* read = dynamic_cast<TListBox*>(copy->FindComponent("cities"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Count(), 2);
    EXPECT_EQ(read->Items()->Strings(0), "M\xE1laga");
    EXPECT_TRUE(read->MultiSelect());
    EXPECT_EQ(read->BorderStyle(), bsNone);
    AnsiString rewritten = WriteComponentText(copy);
    EXPECT_EQ(rewritten.substr(rewritten.find('\n')), text.substr(text.find('\n')));
}
