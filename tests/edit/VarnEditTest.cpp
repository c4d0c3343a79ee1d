// The edit box driven through the headless harness: typing and leaving in every
// mode, Escape, the navigator and the drop-down zone, the memo's scroll bar, and
// the pixels of the frame, button, arrows and label.
#include "edit/VarnEditInterior.h"

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

struct EditScreen {
    UiHarness ui;
    TForm* form = ui.createForm(320, 200);
    TVarnEdit* box = nullptr;
    TVarnEdit* other = nullptr;  // takes the focus away

    explicit EditScreen(sVarnEditMode mode = sEditString, int height = 17)
    {
        box = new TVarnEdit(form);
        box->SetParent(form);
        box->SetBounds(100, 20, 121, height);
        box->setMode(mode);
        box->OnChange = [this](TObject*) { ui.record("change " + box->getText()); };
        other = new TVarnEdit(form);
        other->SetParent(form);
        other->SetBounds(100, 170, 121, 17);
        ui.show(form);
        leave();
    }
    // Tabbing in selects the whole text, so typing replaces it.
    void focus()
    {
        if (!box->Focused())
            other->SetFocus();
        ui.pump();
        ui.pressKey(VK_TAB);
    }
    void leave() { ui.click(other, 5, 5), ui.advance(1000); }
    // Focus, replace the text by typing, leave.
    void enter(const AnsiString& typed)
    {
        focus();
        ui.typeText(typed);
        leave();
    }
    COLORREF pixel(int x, int y) { return varn::windowPixel(box->Handle(), x, y); }
    COLORREF formPixel(int x, int y) { return varn::windowPixel(form->Handle(), x, y); }
    std::vector<AnsiString> shownMessages()
    {
        std::vector<AnsiString> texts;
        for (auto& m : ui.messageBoxes)
            texts.push_back(m.text);
        return texts;
    }
};

COLORREF rgb(TColor colour) { return static_cast<COLORREF>(ColorToRGB(colour)); }

}  // namespace

TEST(VarnEdit, IntegerModeKeepsDigitsOnlyAndNormalisesWhenLeft)
{
    EditScreen s(sEditInteger);
    s.enter("1 234");
    EXPECT_EQ(s.box->getText(), "1234");
    EXPECT_EQ(s.box->GetText(), "1234");
    s.enter("-007");
    EXPECT_EQ(s.box->getText(), "-7");
    s.enter("12a");  // the letter is refused as it is typed
    EXPECT_EQ(s.box->getText(), "12");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 1234", "change -7", "change 12"}));

    s.box->setText("12a");
    EXPECT_EQ(s.box->getText(), "0");
    s.box->setText("   ");  // empties the value, leaves the window text alone
    EXPECT_EQ(s.box->getText(), "");
    EXPECT_EQ(s.box->GetText(), "0");
}

TEST(VarnEdit, TimeModeReadsFixedPositionsAndKeepsTheTimeOnAnImpossibleOne)
{
    EditScreen s(sEditTime);  // focused and left once: 00:00 was shown, nothing changed
    s.enter("9:5");
    EXPECT_EQ(s.box->getText(), "09:00");
    EXPECT_EQ(s.box->GetText(), "09:00");
    s.enter("930");
    EXPECT_EQ(s.shownMessages(), (std::vector<AnsiString>{"Invalid argument to time encode."}));
    EXPECT_EQ(s.box->GetText(), "930");  // as typed
    EXPECT_EQ(s.box->getTime().hour, 9);
    EXPECT_EQ(s.box->getText(), "09:00");  // still readable
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 09:00"}));
}

TEST(VarnEdit, DecimalModeFormatsAndShowsTheConversionErrorWithoutLosingTheText)
{
    EditScreen s(sEditDouble);
    s.enter("3,5");
    EXPECT_EQ(s.box->getText(), "3,50");
    s.enter("1.234,5");
    EXPECT_EQ(s.shownMessages(), (std::vector<AnsiString>{"'1.234,5' is not a valid floating point value."}));
    EXPECT_EQ(s.box->GetText(), "1.234,5");
    EXPECT_EQ(s.box->getText(), "");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 3,50"}));

    s.box->setFormat("#,##0.00");
    s.box->setText("1234,5");
    EXPECT_EQ(s.box->getText(), "1.234,50");
}

TEST(VarnEdit, DateModeStoresDayFirstTextsAndBlanksEmptyIt)
{
    EditScreen s(sEditDate);
    s.box->setText("05/03/2006");
    EXPECT_TRUE(s.box->getDate() == (sDB_date{5, 3, 2006}));
    EXPECT_EQ(s.box->GetText(), "05/03/2006");
    s.box->setText("  ");
    EXPECT_TRUE(s.box->getDate().isNull());
    EXPECT_EQ(s.box->getText(), "");

    // Typing a digit in a combo mode changes nothing and fires nothing.
    s.box->setDate({5, 3, 2006});
    s.box->OnCombo = [&](TObject*) { s.ui.record("picker"); };
    s.focus();  // by the keyboard: a click would open the picker
    s.ui.typeText("7");
    s.ui.pressKey(VK_END);
    s.ui.pressKey(VK_BACK);  // a control character reaches the field once
    EXPECT_EQ(s.box->GetText(), "05/03/200");
    EXPECT_TRUE(s.box->getDate() == (sDB_date{5, 3, 2006}));
    s.ui.pressKey(VK_DOWN, {ssCtrl});
    EXPECT_EQ(s.ui.takeEvents(), (Events{"picker"}));
}

TEST(VarnEdit, BooleanSpaceCyclesTheItemsWithOneChangeEach)
{
    EditScreen s(sEditBoolean);
    ASSERT_EQ(s.box->getCount(), 2);
    s.box->setText("true");
    EXPECT_EQ(s.box->GetText(), "s\xED");
    s.focus();
    s.ui.typeText(" ");
    EXPECT_EQ(s.box->GetText(), "no");
    s.ui.typeText(" ");
    EXPECT_EQ(s.box->GetText(), "s\xED");
    s.ui.typeText("1");
    s.leave();
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change false", "change true"}));
}

TEST(VarnEdit, ListValueNotAmongTheItemsLeavesTheShownTextAndEmptiesTheValue)
{
    EditScreen s(sEditList);
    s.box->add("Madrid", "M");
    s.box->add("Sevilla", "SE");
    s.box->setText("SE");
    EXPECT_EQ(s.box->GetText(), "Sevilla");
    EXPECT_EQ(s.box->getItemIndex(), 1);
    s.box->setText("se");
    EXPECT_EQ(s.box->GetText(), "Sevilla");
    EXPECT_EQ(s.box->getText(), "");
    EXPECT_EQ(s.box->getItemIndex(), -1);
    EXPECT_THROW(s.box->setItemIndex(5), EStringListError);
}

TEST(VarnEdit, EscapeRestoresExactlyTheValueAtFocusInEveryFormat)
{
    EditScreen s(sEditString);
    s.box->setText("hola");
    s.focus();
    s.ui.typeText("adios");
    EXPECT_EQ(s.box->GetText(), "adios");
    s.ui.pressKey(VK_ESCAPE);
    EXPECT_EQ(s.box->GetText(), "hola");
    EXPECT_TRUE(s.box->IsAllSelected());
    s.leave();
    EXPECT_TRUE(s.ui.takeEvents().empty());  // restored: no change to tell

    // A year-first date comes back as the same date, not re-read day first.
    s.box->setMode(sEditDate);
    s.box->setFormat("YYYY/MM/DD");
    s.box->setDate({31, 1, 2006});
    s.box->setDateNavigator(true);
    s.box->setDateNavigatorKind(sDnkMonth);
    s.ui.pump();
    s.ui.click(s.box, s.box->ClientWidth() - 20, 8);  // forward: focuses and steps
    EXPECT_EQ(s.box->GetText(), "2006/02/28");
    s.ui.pressKey(VK_ESCAPE);
    EXPECT_TRUE(s.box->getDate() == (sDB_date{31, 1, 2006}));
    EXPECT_EQ(s.box->GetText(), "2006/01/31");
    s.leave();

    // A decimal shown with thousands marks comes back without being read again.
    s.box->setMode(sEditDouble);
    s.box->setFormat("#,##0.00");
    s.box->setText("1234,5");
    s.focus();
    s.ui.typeText("9");
    s.ui.pressKey(VK_ESCAPE);
    EXPECT_EQ(s.box->GetText(), "1.234,50");
    EXPECT_EQ(s.box->getText(), "1.234,50");
    s.leave();
    EXPECT_TRUE(s.ui.messageBoxes.empty());
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 2006/02/28"}));
}

TEST(VarnEdit, LeavingWithoutChangeFiresNothingAndKeyHandlersSeeEveryCharacter)
{
    EditScreen s(sEditString);
    s.box->setText("abc");
    s.focus();
    s.leave();
    EXPECT_TRUE(s.ui.takeEvents().empty());

    s.box->OnKeyPress = [&](TObject*, char& key) {
        s.ui.record(std::string("key ") + key);
        if (key == 'x')
            key = 'y';
    };
    s.box->OnKeyPressPost = [&](TObject*) { s.ui.record("post " + s.box->GetText()); };
    s.focus();
    s.ui.typeText("x");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"key x", "post y"}));
    EXPECT_TRUE(s.box->GetModified());
    // The window is made again for a style; the modified flag goes with it.
    s.box->setCharCase(ecUpperCase);
    s.ui.pump();
    EXPECT_TRUE(s.box->GetModified());
    s.leave();
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change y"}));
}

TEST(VarnEdit, ReadOnlyBoxKeepsItsValueWhateverIsTyped)
{
    EditScreen s(sEditInteger);
    s.box->setText("42");
    s.box->setReadOnly(true);
    s.focus();
    s.ui.typeText("7");
    s.ui.pressKey(VK_BACK);
    s.ui.pressKey(VK_ESCAPE);
    s.leave();
    EXPECT_EQ(s.box->GetText(), "42");
    EXPECT_EQ(s.box->getText(), "42");

    s.box->setMode(sEditBoolean);
    s.box->setText("true");
    s.focus();
    s.ui.typeText(" ");
    s.leave();
    EXPECT_EQ(s.box->GetText(), "s\xED");
    EXPECT_TRUE(s.ui.takeEvents().empty());
}

TEST(VarnEdit, NavigatorStepsByItsKindAndTheRestOfTheBoxOpensThePicker)
{
    EditScreen s(sEditDate);
    s.box->setDateNavigator(true);
    s.box->setDateNavigatorKind(sDnkMonth);
    s.box->setDate({31, 1, 2006});
    s.box->OnCombo = [&](TObject*) { s.ui.record("picker"); };
    const int w = s.box->ClientWidth();
    s.ui.click(s.box, w - 20, 8);
    EXPECT_EQ(s.box->GetText(), "28/02/2006");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 28/02/2006"}));
    s.ui.advance(1000);
    s.ui.click(s.box, w - 28, 8);
    EXPECT_TRUE(s.box->getDate() == (sDB_date{28, 1, 2006}));
    s.ui.advance(1000);
    s.ui.click(s.box, 10, 8);
    s.ui.advance(1000);
    s.ui.click(s.box, w - 4, 8);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 28/01/2006", "picker", "picker"}));

    // A picker that takes the focus keeps the box looking focused.
    s.box->OnCombo = [&](TObject*) {
        s.box->FPopupHandle = s.other->Handle();
        s.other->SetFocus();
        s.box->FPopupHandle = nullptr;
    };
    s.ui.advance(1000);
    s.ui.click(s.box, 10, 8);
    EXPECT_TRUE(s.other->Focused());
    EXPECT_TRUE(s.box->IsFocused());
    EXPECT_EQ(s.pixel(0, 0), rgb(clBlue));
    s.box->SetFocus();
    s.other->SetFocus();
    s.ui.pump();
    EXPECT_FALSE(s.box->IsFocused());

    // Read-only: no picker, but the navigator still steps.
    s.box->setReadOnly(true);
    s.box->setDateNavigatorKind(sDnkDay);
    s.ui.advance(1000);
    s.ui.click(s.box, 10, 8);
    s.ui.advance(1000);
    s.ui.click(s.box, w - 20, 8);
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change 29/01/2006"}));
}

TEST(VarnEdit, MemoScrollBarFollowsTheLinesAndTheWheel)
{
    EditScreen s(sEditMemo, 60);
    TVarnScroll* bar = s.box->ScrollBar();
    EXPECT_TRUE(bar->Visible());
    EXPECT_EQ(bar->Width(), 16);
    EXPECT_FALSE(bar->Enabled());
    const int visible = s.box->ClientHeight() / s.box->GetLineHeight();
    ASSERT_GE(visible, 3);
    s.focus();
    s.ui.typeText("uno");
    EXPECT_FALSE(bar->Enabled());
    const int lines = visible + 3;
    for (int i = 1; i < lines; ++i) {
        s.ui.pressKey(VK_RETURN);
        s.ui.typeText("linea");
    }
    EXPECT_TRUE(bar->Enabled());
    EXPECT_EQ(bar->Max(), lines - visible + 1);
    EXPECT_EQ(bar->Position(), static_cast<int>(SendMessage(s.box->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0)));
    EXPECT_EQ(bar->Position(), 3);  // the caret's line shows at the bottom
    s.ui.wheel(s.box, 20, 20, 1);   // up by 3 lines
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_EQ(SendMessage(s.box->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    s.ui.wheel(s.box, 20, 20, -1);
    EXPECT_EQ(bar->Position(), 3);
    EXPECT_EQ(SendMessage(s.box->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0), 3);
    // The bar's arrows scroll the text by a line, and the bar stays where the text
    // went: the last line cannot go higher than the bottom.
    auto hold = [&](int y) {  // the bar steps once per 50 ms held
        s.ui.press(bar, 8, y);
        s.ui.advance(50);
        s.ui.release(bar, 8, y);
        s.ui.advance(1000);
    };
    hold(bar->Height() - 4);
    EXPECT_EQ(bar->Position(), 3);
    hold(4);
    EXPECT_EQ(bar->Position(), 2);
    EXPECT_EQ(SendMessage(s.box->Handle(), EM_GETFIRSTVISIBLELINE, 0, 0), 2);
    s.leave();
    EXPECT_EQ(s.ui.events.size(), 1u);
}

TEST(VarnEdit, TextRectangleLeavesRoomForTheButtonNavigatorAndScrollBar)
{
    EditScreen s(sEditString);
    struct Case {
        sVarnEditMode mode;
        bool navigator;
        int room;
    };
    for (Case c : {Case{sEditString, false, 0}, Case{sEditInteger, true, 0}, Case{sEditList, false, 20},
                   Case{sEditBoolean, false, 20}, Case{sEditDate, false, 20}, Case{sEditDate, true, 26},
                   Case{sEditMemo, false, 22}}) {
        s.box->setDateNavigator(c.navigator);
        s.box->setMode(c.mode);
        s.ui.pump();
        EXPECT_EQ(s.box->EditRect().right, s.box->ClientWidth() - c.room) << int(c.mode);
        EXPECT_EQ(s.box->ScrollBar()->Visible(), c.mode == sEditMemo) << int(c.mode);
    }
    // A new font reaches the field and keeps the rectangle.
    s.form->Font()->SetHeight(-16);
    s.ui.pump();
    EXPECT_EQ(SendMessage(s.box->Handle(), WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(s.box->Font()->Handle()));
    EXPECT_EQ(s.box->Font()->Height(), -16);
    EXPECT_EQ(s.box->EditRect().right, s.box->ClientWidth() - 22);
}

TEST(VarnEdit, PaintsFrameInThreeStatesButtonTriangleAndNavigatorArrows)
{
    EditScreen s(sEditString);
    const int w = s.box->ClientWidth(), h = s.box->ClientHeight();
    EXPECT_EQ(s.pixel(0, h / 2), rgb(clWindow));  // no frame
    s.box->setShowFrame(true);
    s.ui.pump();
    EXPECT_EQ(s.pixel(0, h / 2), rgb(clGray));
    EXPECT_EQ(s.pixel(w - 1, 0), rgb(clGray));
    s.ui.moveTo(s.box, 50, 8);
    EXPECT_TRUE(s.box->MouseInside());
    EXPECT_EQ(s.pixel(w - 1, h - 1), RGB(183, 183, 255));
    s.ui.click(s.box, 50, 8);
    EXPECT_EQ(s.pixel(0, 0), rgb(clBlue));
    s.ui.moveTo(s.other, 5, 5);
    s.leave();
    EXPECT_EQ(s.pixel(0, 0), rgb(clGray));

    s.box->setMode(sEditDate);
    s.box->setDateNavigator(true);
    s.ui.pump();
    EXPECT_EQ(s.pixel(w - 16, h / 2), rgb(clGray));  // button outline
    EXPECT_EQ(s.pixel(w - 12, 2), RGB(235, 235, 235));
    // Triangle centred at w - 8: rows 8, 6, 4 and 2 pixels wide from h/2 - 2.
    const int x = w - 8, y = h / 2 - 2;
    for (int row = 0; row < 4; ++row) {
        const int half = 4 - row;
        EXPECT_EQ(s.pixel(x - half, y + row), rgb(clBlack)) << row;
        EXPECT_EQ(s.pixel(x + half - 1, y + row), rgb(clBlack)) << row;
        EXPECT_NE(s.pixel(x + half, y + row), rgb(clBlack)) << row;
        EXPECT_NE(s.pixel(x - half - 1, y + row), rgb(clBlack)) << row;
    }
    EXPECT_NE(s.pixel(x, y + 4), rgb(clBlack));
    // Navigator arrows: the right one at (w - 22, 6), the left one at (w - 29, 6).
    const char* right[5] = {"X..", "XX.", "XXX", "XX.", "X.."};
    const char* left[5] = {"..X", ".XX", "XXX", ".XX", "..X"};
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(s.pixel(w - 22 + c, 6 + r) == rgb(clBlack), right[r][c] == 'X') << r << "," << c;
            EXPECT_EQ(s.pixel(w - 29 + c, 6 + r) == rgb(clBlack), left[r][c] == 'X') << r << "," << c;
        }
    EXPECT_EQ(s.pixel(w - 24, 2), rgb(clGray));
    EXPECT_EQ(s.pixel(w - 32, 2), rgb(clGray));

    // Read-only: neither button nor arrows.
    s.box->setReadOnly(true);
    s.ui.pump();
    EXPECT_NE(s.pixel(x - 4, y), rgb(clBlack));
    EXPECT_NE(s.pixel(w - 22, 8), rgb(clBlack));
    EXPECT_NE(s.pixel(w - 12, 2), RGB(235, 235, 235));
}

TEST(VarnEdit, LabelIsDrawnOnTheParentFourPixelsLeftOfTheBox)
{
    EditScreen s(sEditString);
    // Nothing left of the box while the label is empty.
    auto inkLeftOfBox = [&](int from, int to) {
        int ink = 0;
        for (int y = s.box->Top(); y < s.box->Top() + s.box->Height(); ++y)
            for (int x = from; x < to; ++x)
                ink += s.formPixel(x, y) != rgb(s.form->Color());
        return ink;
    };
    EXPECT_EQ(inkLeftOfBox(0, s.box->Left()), 0);
    s.box->setLabelColor(clRed);
    s.box->setLabel("Nombre");
    s.ui.pump();
    EXPECT_GT(inkLeftOfBox(s.box->Left() - 40, s.box->Left() - 4), 0);
    EXPECT_EQ(inkLeftOfBox(s.box->Left() - 4, s.box->Left()), 0);
    // The rightmost ink is reddish and sits just left of the gap.
    int rightmost = -1;
    for (int x = s.box->Left() - 4; x >= 0 && rightmost < 0; --x)
        for (int y = s.box->Top(); y < s.box->Top() + s.box->Height(); ++y)
            if (s.formPixel(x, y) != rgb(s.form->Color())) {
                rightmost = x;
                EXPECT_GT(GetRValue(s.formPixel(x, y)), GetGValue(s.formPixel(x, y)));
                break;
            }
    EXPECT_GE(rightmost, s.box->Left() - 7);
    s.box->setLabel("");
    s.ui.pump();
    EXPECT_EQ(inkLeftOfBox(0, s.box->Left()), 0);
}
