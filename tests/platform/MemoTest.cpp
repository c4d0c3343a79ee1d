// The multi-line edit field (through TMemo, and bare as the window class "EDIT"):
// lines, wrapping, scrolling and the line messages, Lines, and the layout that
// an edit redoes only in part.
#include "platform/Memo.h"

#include "platform/Bitmap.h"
#include "platform/Clipbrd.h"
#include "platform/Graphics.h"
#include "platform/Streaming.h"
#include "platform/win/BackingStore.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

using varn::test::UiHarness;
using Events = std::vector<std::string>;

TCanvas* measuring()
{
    static TBitmap* bitmap = [] {
        auto* b = new TBitmap;
        b->SetSize(1, 1);
        return b;
    }();
    TFont font;
    bitmap->Canvas()->SetFont(&font);
    return bitmap->Canvas();
}
int textWidth(const AnsiString& text) { return measuring()->TextWidth(text); }
int lineHeight() { return measuring()->TextHeight("Ag"); }

class TLoggedMemo : public TMemo {
public:
    TLoggedMemo(TComponent* owner, UiHarness& ui) : TMemo(owner), ui(ui) {}

protected:
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg == CN_COMMAND) {
            WORD code = HIWORD(Message.WParam);
            if (code == EN_VSCROLL)
                ui.record("vscroll");
            if (code == EN_MAXTEXT)
                ui.record("maxtext");
        }
        TMemo::Dispatch(Message);
    }

    UiHarness& ui;
};

// A memo whose client area holds `rows` lines (plus the free pixel on top).
struct MemoScreen {
    explicit MemoScreen(int rows = 4, int width = 200)
    {
        form = ui.createForm(320, 240);
        memo = new TLoggedMemo(form, ui);
        memo->SetParent(form);
        memo->SetBounds(10, 10, width, rows * lineHeight() + 1 + 4);
        memo->OnChange = [this](TObject*) { ui.record("change"); };
        ui.show(form);
        memo->SetFocus();
        ui.pump();
        ui.takeEvents();
    }
    HWND h() { return memo->Handle(); }
    LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessage(h(), message, wParam, lParam); }
    int lineCount() { return static_cast<int>(send(EM_GETLINECOUNT)); }
    int firstVisible() { return static_cast<int>(send(EM_GETFIRSTVISIBLELINE)); }
    // The lines as the field shows them.
    std::vector<std::string> shownLines()
    {
        std::vector<std::string> result;
        AnsiString text = memo->Text();
        for (int i = 0; i < lineCount(); ++i) {
            auto start = static_cast<int>(send(EM_LINEINDEX, static_cast<WPARAM>(i)));
            auto length = static_cast<int>(send(EM_LINELENGTH, static_cast<WPARAM>(start)));
            result.push_back(text.substr(static_cast<size_t>(start), static_cast<size_t>(length)));
        }
        return result;
    }
    std::pair<int, int> selection()
    {
        DWORD start = 0, end = 0;
        send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {static_cast<int>(start), static_cast<int>(end)};
    }
    TRect format()
    {
        RECT r;
        send(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
        return r;
    }
    TPoint caret()
    {
        POINT at;
        GetCaretPos(&at);
        return at;
    }
    COLORREF pixel(int x, int y) { return varn::windowPixel(h(), x, y); }

    UiHarness ui;
    TForm* form = nullptr;
    TLoggedMemo* memo = nullptr;
};

}  // namespace

TEST(MemoField, EnterStartsLinesAndTheCaretFollowsThem)
{
    MemoScreen s;
    s.ui.typeText("uno\rdos\r");
    EXPECT_EQ(s.memo->Text(), "uno\r\ndos\r\n");
    EXPECT_EQ(s.lineCount(), 3);
    EXPECT_EQ(s.shownLines(), (std::vector<std::string>{"uno", "dos", ""}));
    const TRect f = s.format();
    EXPECT_EQ(s.caret(), (TPoint{f.left, f.top + 2 * lineHeight()}));
    EXPECT_EQ(s.memo->CaretPos(), (TPoint{0, 2}));
    EXPECT_EQ(s.ui.takeEvents(), Events(8, "change"));

    // Backspace at a line's start joins it to the line before: CR LF goes at once.
    s.ui.pressKey(VK_BACK);
    EXPECT_EQ(s.memo->Text(), "uno\r\ndos");
    s.ui.pressKey(VK_LEFT, {ssCtrl});
    s.ui.pressKey(VK_LEFT);
    EXPECT_EQ(s.selection(), std::make_pair(3, 3)) << "Left steps over the whole break";
    s.ui.pressKey(VK_DELETE);
    EXPECT_EQ(s.memo->Text(), "unodos");
    EXPECT_EQ(s.lineCount(), 1);

    // Up and Down keep the column the run of them started at.
    s.memo->SetText("abcdef\r\nab\r\nabcdef");
    s.ui.takeEvents();
    s.memo->SetSelStart(6);
    s.ui.pressKey(VK_DOWN);
    EXPECT_EQ(s.selection(), std::make_pair(10, 10));
    s.ui.pressKey(VK_DOWN);
    EXPECT_EQ(s.selection(), std::make_pair(18, 18));
    s.ui.pressKey(VK_UP, {ssShift});
    EXPECT_EQ(s.memo->SelText(), "\r\nabcdef");
    s.ui.pressKey(VK_HOME, {ssCtrl});
    EXPECT_EQ(s.selection(), std::make_pair(0, 0));
    s.ui.pressKey(VK_END, {ssCtrl, ssShift});
    EXPECT_EQ(s.memo->SelText(), s.memo->Text());
    // Setting the text of a memo is one change, told by the control.
    EXPECT_EQ(s.ui.takeEvents(), Events{});
    s.memo->SetText("otro");
    EXPECT_EQ(s.ui.takeEvents(), Events{"change"});
    // Tab moves to the next control unless the memo wants tabs.
    s.memo->SetWantTabs(true);
    s.ui.pressKey(VK_END);
    s.ui.pressKey(VK_TAB);
    EXPECT_EQ(s.memo->Text(), "otro\t");
    s.memo->SetWantReturns(false);
    s.ui.pressKey(VK_RETURN);
    EXPECT_EQ(s.memo->Text(), "otro\t");
}

TEST(MemoField, LongParagraphsWrapAtBlanksAndFollowTheWidth)
{
    MemoScreen s(6, 120);
    const AnsiString text = "uno dos tres cuatro cinco seis siete ocho nueve diez once";
    s.memo->SetText(text);
    std::vector<std::string> lines = s.shownLines();
    ASSERT_GT(lines.size(), 2u);
    const int room = s.format().Width();
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string visible = lines[i].substr(0, lines[i].find_last_not_of(' ') + 1);
        EXPECT_LE(textWidth(visible), room) << "line " << i << " '" << lines[i] << "'";
        if (i + 1 < lines.size()) {
            EXPECT_EQ(lines[i].back(), ' ') << "wrapped after a blank: '" << lines[i] << "'";
            // The next word would not have fitted.
            std::string next = lines[i + 1].substr(0, lines[i + 1].find(' '));
            EXPECT_GT(textWidth(visible + " " + next), room) << "line " << i;
        }
        joined += lines[i];
    }
    EXPECT_EQ(joined, text) << "wrapping adds and loses nothing";

    // A word longer than the line is cut where it stops fitting.
    s.memo->SetText(std::string(40, 'W'));
    lines = s.shownLines();
    ASSERT_GT(lines.size(), 1u);
    EXPECT_LE(textWidth(lines[0]), room);
    EXPECT_GT(textWidth(lines[0] + "W"), room);

    // Wider, fewer lines; without word wrap, one line that scrolls sideways.
    s.memo->SetText(text);
    int narrow = s.lineCount();
    s.memo->SetWidth(260);
    s.ui.pump();
    EXPECT_LT(s.lineCount(), narrow);
    s.memo->SetWordWrap(false);
    s.ui.pump();
    EXPECT_EQ(s.lineCount(), 1);
    EXPECT_EQ(s.memo->Text(), text);
}

TEST(MemoField, HomeAndEndOnAWrappedLineStayOnIt)
{
    MemoScreen s(6, 120);
    s.memo->SetText("uno dos tres cuatro cinco seis");
    ASSERT_GT(s.lineCount(), 1);
    const auto secondStart = static_cast<int>(s.send(EM_LINEINDEX, 1));
    const TRect f = s.format();
    s.memo->SetSelStart(2);
    s.ui.pressKey(VK_END);
    EXPECT_EQ(s.selection(), std::make_pair(secondStart, secondStart));
    EXPECT_EQ(s.caret().y, f.top) << "the caret stays at the end of the first line";
    EXPECT_GT(s.caret().x, f.left + textWidth("uno dos"));
    s.ui.typeText("X");
    EXPECT_EQ(s.memo->Text().substr(static_cast<size_t>(secondStart), 1), "X");
    s.ui.pressKey(VK_HOME);
    EXPECT_EQ(s.caret().x, f.left);
    EXPECT_EQ(s.send(EM_LINEFROMCHAR, static_cast<WPARAM>(-1)), s.send(EM_LINEFROMCHAR, static_cast<WPARAM>(secondStart)));
}

TEST(MemoField, ScrollsToTheCaretByLinesWheelAndPages)
{
    MemoScreen s(4);
    s.ui.typeText("1\r2\r3\r4\r5\r6");
    EXPECT_EQ(s.lineCount(), 6);
    EXPECT_EQ(s.firstVisible(), 2) << "typing past the bottom scrolls the caret's line into view";
    EXPECT_EQ(s.caret().y, s.format().top + 3 * lineHeight());
    EXPECT_EQ(s.ui.takeEvents().back(), "change");
    s.ui.pressKey(VK_HOME, {ssCtrl});
    EXPECT_EQ(s.firstVisible(), 0);
    EXPECT_EQ(s.ui.takeEvents(), Events{"vscroll"});
    s.ui.wheel(s.memo, 20, 10, -1);
    EXPECT_EQ(s.firstVisible(), 2) << "three lines a notch, no further than the last page";
    s.ui.wheel(s.memo, 20, 10, 1);
    EXPECT_EQ(s.firstVisible(), 0);
    s.ui.pressKey(VK_NEXT);
    EXPECT_EQ(s.firstVisible(), 2);
    EXPECT_EQ(s.selection(), std::make_pair(12, 12)) << "the caret went down a page too";
    s.send(EM_LINESCROLL, 0, -1);
    EXPECT_EQ(s.firstVisible(), 1);
    s.send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 9));
    EXPECT_EQ(s.firstVisible(), 2) << "clamped to the last page";
    s.send(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(s.firstVisible(), 0);
    s.send(EM_SCROLLCARET);
    EXPECT_EQ(s.firstVisible(), 1);
}

TEST(MemoField, ScrolledByOneLineShowsTheNextLineOnTop)
{
    MemoScreen s(4);
    s.memo->SetText("W\r\nWW\r\nWWW\r\nWWWW\r\nWWWWW");
    s.ui.pump();
    const COLORREF window = static_cast<COLORREF>(ColorToRGB(clWindow));
    const TRect f = s.format();
    // The rightmost inked pixel of each row of lines.
    auto inkRight = [&](int row) {
        int right = -1;
        for (int y = f.top + row * lineHeight(); y < f.top + (row + 1) * lineHeight(); ++y)
            for (int x = 0; x < f.right; ++x)
                if (s.pixel(x, y) != window)
                    right = std::max(right, x);
        return right;
    };
    auto near = [&](int right, int Ws) {
        int edge = f.left + textWidth(std::string(static_cast<size_t>(Ws), 'W'));
        return right <= edge + 1 && right >= edge - 3;
    };
    s.memo->SetFocus();
    s.send(EM_SETSEL, 0, 0);
    s.ui.advance(GetCaretBlinkTime());  // the caret blinks off
    EXPECT_TRUE(near(inkRight(0), 1)) << inkRight(0);
    EXPECT_TRUE(near(inkRight(3), 4)) << inkRight(3);
    s.send(EM_LINESCROLL, 0, 1);
    s.ui.pump();
    for (int row = 0; row < 4; ++row)
        EXPECT_TRUE(near(inkRight(row), row + 2)) << "row " << row << ": " << inkRight(row);
    ASSERT_TRUE(varn::SaveWindowToPngFile(s.form->Handle(), ::testing::TempDir() + "MemoField-scrolled.png"));
}

TEST(MemoField, DraggingBelowTheFieldScrollsAndSelectsOnTheTimer)
{
    MemoScreen s(4);
    s.memo->SetText("0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9");
    s.ui.pump();
    s.ui.press(s.memo, 1, 3);
    s.ui.moveTo(s.memo, 4, s.memo->ClientHeight() + 20);
    EXPECT_EQ(s.firstVisible(), 0);
    s.ui.advance(350);
    EXPECT_EQ(s.firstVisible(), 3) << "a line every 100 ms";
    EXPECT_EQ(s.memo->CaretPos().y, 0);
    EXPECT_EQ(s.selection().first, 0);
    EXPECT_EQ(s.send(EM_LINEFROMCHAR, static_cast<WPARAM>(s.selection().second)), 6) << "to the last line shown";
    s.ui.release(s.memo, 4, s.memo->ClientHeight() + 20);
    s.ui.advance(500);
    EXPECT_EQ(s.firstVisible(), 3) << "the release stops it";
}

TEST(MemoField, LinesReadAndEditTheText)
{
    MemoScreen s;
    TStrings* lines = s.memo->Lines();
    EXPECT_EQ(lines->Count(), 0);
    lines->Add("uno");
    lines->Add("dos");
    EXPECT_EQ(s.memo->Text(), "uno\r\ndos\r\n");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change", "change"}));
    lines->Insert(1, "medio");
    lines->Put(0, "UNO");
    lines->Delete(2);
    EXPECT_EQ(s.memo->Text(), "UNO\r\nmedio\r\n");
    EXPECT_EQ(lines->Count(), 2);
    EXPECT_EQ(lines->Strings(1), "medio");
    EXPECT_THROW(lines->Strings(2), EStringListError);
    s.ui.takeEvents();

    // Typing shows in Lines; a text without a final break ends in its last line.
    s.ui.pressKey(VK_END, {ssCtrl});
    s.ui.typeText("tres");
    EXPECT_EQ(lines->Count(), 3);
    EXPECT_EQ(lines->Strings(2), "tres");
    lines->Add("cuatro");
    EXPECT_EQ(s.memo->Text(), "UNO\r\nmedio\r\ntres\r\ncuatro");

    // Between BeginUpdate and EndUpdate the text changes once.
    s.ui.takeEvents();
    lines->BeginUpdate();
    lines->Clear();
    for (int i = 0; i < 50; ++i)
        lines->Add("l\xEDnea " + std::to_string(i));
    lines->EndUpdate();
    EXPECT_EQ(s.ui.takeEvents(), Events{"change"});
    EXPECT_EQ(lines->Count(), 50);
    EXPECT_EQ(lines->Strings(49), "l\xEDnea 49");
    lines->SetText("a\nb\rc");
    EXPECT_EQ(s.lineCount(), 3) << "LF and CR alone break lines as well";
    EXPECT_EQ(lines->Count(), 3);

    // Form descriptions store the lines.
    AnsiString written = WriteComponentText(s.memo);
    EXPECT_NE(written.find("Lines.Strings = ("), AnsiString::npos) << written;
    TForm* other = s.ui.createForm(200, 100);
    ReadComponentText("object F: TForm\n  object m: TMemo\n    Left = 0\n    Top = 0\n    Width = 100\n"
                      "    Height = 50\n    Lines.Strings = (\n      'x'\n      'y')\n    WordWrap = False\n  end\nend\n",
                      other);
    auto* read = dynamic_cast<TMemo*>(other->FindComponent("m"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->Text(), "x\r\ny\r\n");
    EXPECT_FALSE(read->WordWrap());
}

TEST(MemoField, LimitNeverSplitsALineBreak)
{
    MemoScreen s;
    s.memo->SetMaxLength(4);
    s.ui.typeText("abc\r");
    EXPECT_EQ(s.memo->Text(), "abc");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change", "change", "change", "maxtext"}));
    Clipboard()->SetAsText("\r\nzz");
    s.memo->SetSelStart(0);
    s.memo->PasteFromClipboard();
    EXPECT_EQ(s.memo->Text(), "abc");
    EXPECT_EQ(s.ui.takeEvents(), Events{"maxtext"});
}

// The layout an edit redoes in part must equal the layout of the whole text
// done afresh, whatever the edits: breaks of every kind, joined and split,
// wrapping, and text at both ends.
TEST(MemoField, LayoutAfterEditsEqualsAFreshLayout)
{
    MemoScreen s(6, 110);
    auto* fresh = new TMemo(s.form);
    fresh->SetParent(s.form);
    fresh->SetBounds(10, 150, 110, 60);
    s.ui.pump();
    ASSERT_EQ(fresh->ClientWidth(), s.memo->ClientWidth());
    auto layout = [](HWND h) {
        std::vector<std::pair<int, int>> result;
        auto count = static_cast<int>(SendMessage(h, EM_GETLINECOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            auto start = static_cast<int>(SendMessage(h, EM_LINEINDEX, static_cast<WPARAM>(i), 0));
            result.emplace_back(start, static_cast<int>(SendMessage(h, EM_LINELENGTH, static_cast<WPARAM>(start), 0)));
        }
        return result;
    };
    const std::vector<std::string> pieces = {"\r\n", "\n", "\r", " ", "  ", "palabra", "otra cosa m\xE1s larga ",
                                             "x", "\t", "WWWWWWWWWWWWWWWWWWWW", "fin.\r\n\r\n"};
    std::mt19937 random(12345);
    for (int step = 0; step < 300; ++step) {
        int length = static_cast<int>(s.memo->Text().size());
        int from = std::uniform_int_distribution<int>(0, length)(random);
        int to = std::min(length, from + std::uniform_int_distribution<int>(0, 6)(random));
        std::string insert = random() % 3 == 0 ? std::string() : pieces[random() % pieces.size()];
        std::string before = s.memo->Text();
        s.send(EM_SETSEL, static_cast<WPARAM>(from), to);
        if (random() % 4 == 0 && insert.size() == 1 && insert[0] != '\n')
            s.ui.typeText(insert == "\r" ? AnsiString("\r") : insert);
        else
            s.send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(insert.c_str()));
        fresh->SetText(s.memo->Text());
        ASSERT_EQ(layout(s.h()), layout(fresh->Handle()))
            << "after step " << step << ": [" << from << ", " << to << ") of " << ::testing::PrintToString(before)
            << " became " << ::testing::PrintToString(s.memo->Text());
        if (step % 50 == 49) {
            s.memo->Undo();
            fresh->SetText(s.memo->Text());
            ASSERT_EQ(layout(s.h()), layout(fresh->Handle())) << "after the undo at step " << step;
        }
    }
}

// The window class alone, with no control over it: it takes its colours from
// the window system's defaults, reports to any parent, and survives a parent
// that destroys it while it reports.
TEST(MemoField, TheBareWindowClassWorksWithoutTheFramework)
{
    UiHarness ui;
    TForm* form = ui.createForm(200, 100);
    ui.show(form);
    HWND field = CreateWindowEx(0, "EDIT", "inicial", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL,
                                10, 10, 150, 60, form->Handle(), reinterpret_cast<HANDLE>(7), nullptr, nullptr);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(CursorFromHandle(reinterpret_cast<HANDLE>(GetClassLongPtr(field, GCLP_HCURSOR))), crIBeam);
    EXPECT_EQ(SendMessage(field, WM_GETDLGCODE, 0, 0) & (DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTALLKEYS),
              DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTALLKEYS);
    SetFocus(field);
    SendMessage(field, EM_SETSEL, 7, 7);
    ui.typeText(" y m\xE1s");
    char buffer[64] = {};
    GetWindowText(field, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "inicial y m\xE1s");
    EXPECT_EQ(varn::windowPixel(field, 140, 40), GetSysColor(COLOR_WINDOW));
    SendMessage(field, EM_SETREADONLY, TRUE, 0);
    InvalidateRect(field, nullptr, TRUE);
    ui.pump();
    EXPECT_EQ(varn::windowPixel(field, 140, 40), GetSysColor(COLOR_BTNFACE)) << "read-only: a static field's colours";

    // A parent that destroys the field when told of a change.
    SendMessage(field, EM_SETREADONLY, FALSE, 0);
    static HWND doomed = nullptr;
    doomed = field;
    WNDPROC formProc = reinterpret_cast<WNDPROC>(GetWindowLongPtr(form->Handle(), GWLP_WNDPROC));
    static WNDPROC previous = nullptr;
    previous = formProc;
    SetWindowLongPtr(form->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_COMMAND && HIWORD(w) == EN_CHANGE && reinterpret_cast<HWND>(l) == doomed)
            DestroyWindow(doomed);
        return CallWindowProc(previous, h, m, w, l);
    }));
    ui.typeText("z");
    EXPECT_FALSE(IsWindow(field));
    SetWindowLongPtr(form->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(formProc));
}

TEST(MemoField, VerticalScrollBarFollowsTheLinesAndScrollsThem)
{
    MemoScreen s(4);
    s.memo->SetScrollBars(ssVertical);
    s.ui.pump();
    s.memo->SetFocus();
    SCROLLINFO info;
    info.fMask = SIF_ALL;
    s.ui.typeText("1\r2\r3");
    GetScrollInfo(s.h(), SB_VERT, &info);
    EXPECT_EQ(s.memo->ClientWidth(), s.memo->Width() - 4) << "no bar while the lines fit";
    s.ui.typeText("\r4\r5\r6\r7\r8");
    GetScrollInfo(s.h(), SB_VERT, &info);
    EXPECT_EQ(info.nMax, 7);
    EXPECT_EQ(info.nPage, 4u);
    EXPECT_EQ(info.nPos, 4);
    EXPECT_EQ(s.memo->ClientWidth(), s.memo->Width() - 4 - GetSystemMetrics(SM_CXVSCROLL));
    // A press on the bar's upper arrow scrolls a line up.
    RECT window;
    GetWindowRect(s.h(), &window);
    s.ui.pressScreen(window.right - 4, window.top + 5);
    s.ui.releaseScreen(window.right - 4, window.top + 5);
    EXPECT_EQ(s.firstVisible(), 3);
    GetScrollInfo(s.h(), SB_VERT, &info);
    EXPECT_EQ(info.nPos, 3);
    // Emptied, the bar goes again.
    s.memo->Clear();
    s.ui.pump();
    EXPECT_EQ(s.memo->ClientWidth(), s.memo->Width() - 4);
}
