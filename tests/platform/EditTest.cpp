// The single-line edit field (window class "EDIT", through TEdit) driven like a
// user would: typing, selection by keys and mouse, clipboard, undo, the limit,
// password, read-only and case conversion, with the notifications each edit sends
// and where the caret ends up.
#include "platform/Edit.h"

#include "platform/Bitmap.h"
#include "platform/Clipbrd.h"
#include "platform/Graphics.h"
#include "platform/Streaming.h"
#include "platform/win/BackingStore.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

using varn::test::UiHarness;
using Events = std::vector<std::string>;

std::string notificationName(WORD code)
{
    switch (code) {
    case EN_SETFOCUS: return "setfocus";
    case EN_KILLFOCUS: return "killfocus";
    case EN_CHANGE: return "change";
    case EN_UPDATE: return "update";
    case EN_MAXTEXT: return "maxtext";
    case EN_HSCROLL: return "hscroll";
    case EN_VSCROLL: return "vscroll";
    }
    return "code " + std::to_string(code);
}

// An edit that logs the field's notifications (reflected to it by the form).
class TLoggedEdit : public TEdit {
public:
    TLoggedEdit(TComponent* owner, UiHarness& ui) : TEdit(owner), ui(ui) {}

protected:
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg == CN_COMMAND && HIWORD(Message.WParam) != EN_UPDATE)
            ui.record(notificationName(HIWORD(Message.WParam)));
        TEdit::Dispatch(Message);
    }

    UiHarness& ui;
};

// The width of a text in the default font, measured apart from the field.
int textWidth(const AnsiString& text)
{
    static TBitmap* bitmap = [] {
        auto* b = new TBitmap;
        b->SetSize(1, 1);
        return b;
    }();
    TFont font;
    bitmap->Canvas()->SetFont(&font);
    return bitmap->Canvas()->TextWidth(text);
}

struct EditScreen {
    EditScreen()
    {
        form = ui.createForm(300, 100);
        edit = new TLoggedEdit(form, ui);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 200, 22);
        ui.show(form);
        edit->SetFocus();
        ui.pump();
        ui.takeEvents();
    }
    std::pair<int, int> selection()
    {
        DWORD start = 0, end = 0;
        SendMessage(edit->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {static_cast<int>(start), static_cast<int>(end)};
    }
    TPoint caret()
    {
        POINT at;
        GetCaretPos(&at);
        return at;
    }
    // Client x where the caret stands after `before`.
    int caretX(const AnsiString& before) { return formatLeft() + textWidth(before); }
    int formatLeft()
    {
        RECT r;
        SendMessage(edit->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
        return r.left;
    }
    COLORREF pixel(int x, int y) { return varn::windowPixel(edit->Handle(), x, y); }

    UiHarness ui;
    TForm* form = nullptr;
    TLoggedEdit* edit = nullptr;
};

}  // namespace

TEST(EditField, TypingInsertsAtTheCaretAndReportsEachChange)
{
    EditScreen s;
    s.ui.typeText("Hola");
    EXPECT_EQ(s.edit->Text(), "Hola");
    EXPECT_EQ(s.selection(), std::make_pair(4, 4));
    EXPECT_EQ(s.caret().x, s.caretX("Hola"));
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change", "change", "change", "change"}));
    EXPECT_TRUE(s.edit->Modified());

    // Home, then typing goes in front; Latin-1 letters as well.
    s.ui.pressKey(VK_HOME);
    EXPECT_EQ(s.caret().x, s.caretX(""));
    s.ui.typeText("\xA1");
    EXPECT_EQ(s.edit->Text(), "\xA1Hola");
    EXPECT_EQ(s.caret().x, s.caretX("\xA1"));

    // Backspace and Delete take one character each; at the ends they do nothing.
    s.ui.pressKey(VK_BACK);
    s.ui.pressKey(VK_BACK);
    EXPECT_EQ(s.edit->Text(), "Hola");
    s.ui.pressKey(VK_END);
    s.ui.pressKey(VK_DELETE);
    s.ui.pressKey(VK_LEFT);
    s.ui.pressKey(VK_DELETE);
    EXPECT_EQ(s.edit->Text(), "Hol");
    EXPECT_EQ(s.selection(), std::make_pair(3, 3));
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change", "change", "change"}));

    // Enter and Tab type nothing in a single line; control bytes are ignored.
    s.ui.typeText("\r\x01\x1B");
    EXPECT_EQ(s.edit->Text(), "Hol");
    EXPECT_EQ(s.ui.takeEvents(), Events{});
}

TEST(EditField, KeysMoveAndSelectByCharacterWordAndLine)
{
    EditScreen s;
    s.edit->SetText("uno dos, tres");
    s.ui.takeEvents();
    s.ui.pressKey(VK_HOME);
    s.ui.pressKey(VK_RIGHT, {ssCtrl});
    EXPECT_EQ(s.selection(), std::make_pair(4, 4)) << "to the start of the next word";
    s.ui.pressKey(VK_RIGHT, {ssCtrl});
    EXPECT_EQ(s.selection(), std::make_pair(7, 7)) << "punctuation is a word of its own";
    s.ui.pressKey(VK_RIGHT, {ssCtrl, ssShift});
    EXPECT_EQ(s.selection(), std::make_pair(7, 9));
    s.ui.pressKey(VK_RIGHT, {ssShift});
    EXPECT_EQ(s.edit->SelText(), ", t");
    s.ui.pressKey(VK_LEFT, {ssCtrl, ssShift});
    EXPECT_EQ(s.edit->SelText(), ", ");
    // An arrow without Shift drops the selection at its side.
    s.ui.pressKey(VK_LEFT);
    EXPECT_EQ(s.selection(), std::make_pair(7, 7));
    s.ui.pressKey(VK_END, {ssShift});
    EXPECT_EQ(s.edit->SelText(), ", tres");
    s.ui.pressKey(VK_HOME, {ssShift});
    EXPECT_EQ(s.edit->SelText(), "uno dos");
    EXPECT_EQ(s.caret().x, s.caretX(""));
    s.ui.pressKey('A', {ssCtrl});
    EXPECT_EQ(s.edit->SelText(), "uno dos, tres");

    // Typing over a selection replaces it; Ctrl+Backspace takes the word before.
    s.ui.typeText("cuatro cinco");
    EXPECT_EQ(s.edit->Text(), "cuatro cinco");
    s.ui.pressKey(VK_BACK, {ssCtrl});
    EXPECT_EQ(s.edit->Text(), "cuatro ");
    s.ui.pressKey(VK_LEFT, {ssCtrl});
    s.ui.pressKey(VK_DELETE, {ssCtrl});
    EXPECT_EQ(s.edit->Text(), "");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change", "change", "change", "change", "change", "change", "change",
                                         "change", "change", "change", "change", "change", "change", "change"}));
}

TEST(EditField, MouseSetsTheCaretSelectsByDragShiftClickAndDoubleClick)
{
    EditScreen s;
    s.edit->SetText("alfa beta gamma");
    const int y = 8;
    // A click lands on the nearest character boundary.
    s.ui.click(s.edit, s.caretX("alfa b") + 1, y);
    EXPECT_EQ(s.selection(), std::make_pair(6, 6));
    EXPECT_EQ(s.caret().x, s.caretX("alfa b"));
    s.ui.advance(600);  // no double click

    // Dragging selects from the press to the pointer, either way.
    s.ui.press(s.edit, s.caretX("alfa "), y);
    s.ui.moveTo(s.edit, s.caretX("alfa be"), y);
    EXPECT_EQ(s.edit->SelText(), "be");
    s.ui.moveTo(s.edit, s.caretX("al"), y);
    EXPECT_EQ(s.edit->SelText(), "fa ");
    s.ui.release(s.edit, s.caretX("al"), y);
    EXPECT_EQ(s.selection(), std::make_pair(2, 5));
    EXPECT_EQ(s.caret().x, s.caretX("al"));
    s.ui.advance(600);

    // Shift+click moves the selection's free end and keeps its anchor.
    s.ui.keyDown(VK_SHIFT);
    s.ui.click(s.edit, s.caretX("alfa beta g"), y);
    s.ui.keyUp(VK_SHIFT);
    EXPECT_EQ(s.edit->SelText(), "beta g");
    s.ui.advance(600);

    // A double click takes the word and the blank after it.
    s.ui.doubleClick(s.edit, s.caretX("alfa be"), y);
    EXPECT_EQ(s.edit->SelText(), "beta ");
    s.ui.advance(600);
    s.ui.doubleClick(s.edit, s.caretX("alfa beta ga"), y);
    EXPECT_EQ(s.edit->SelText(), "gamma");

    // A press outside the field, dragged off its right end, selects to the end.
    s.ui.advance(600);
    s.ui.press(s.edit, s.caretX(""), y);
    s.ui.moveTo(s.edit, 400, y);
    s.ui.release(s.edit, 400, y);
    EXPECT_EQ(s.edit->SelText(), "alfa beta gamma");
}

TEST(EditField, ClipboardRoundTripCutCopyPasteAndTheirKeys)
{
    EditScreen s;
    Clipboard()->SetAsText("");
    s.ui.typeText("copiar esto");
    s.ui.pressKey(VK_LEFT, {ssCtrl, ssShift});
    s.ui.pressKey('C', {ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(), "esto");
    s.ui.pressKey(VK_HOME);
    s.ui.pressKey('V', {ssCtrl});
    EXPECT_EQ(s.edit->Text(), "estocopiar esto");
    EXPECT_EQ(s.selection(), std::make_pair(4, 4));
    s.ui.pressKey(VK_END, {ssShift});
    s.ui.pressKey('X', {ssCtrl});
    EXPECT_EQ(s.edit->Text(), "esto");
    EXPECT_EQ(Clipboard()->AsText(), "copiar esto");
    s.ui.pressKey(VK_INSERT, {ssShift});
    EXPECT_EQ(s.edit->Text(), "estocopiar esto");
    s.ui.pressKey(VK_HOME, {ssShift});
    s.ui.pressKey(VK_DELETE, {ssShift});
    EXPECT_EQ(s.edit->Text(), "");
    EXPECT_EQ(Clipboard()->AsText(), "estocopiar esto");
    s.ui.takeEvents();

    // A single line takes the first line of what is pasted, up to a NUL too.
    Clipboard()->SetAsText("primera\r\nsegunda");
    s.edit->PasteFromClipboard();
    EXPECT_EQ(s.edit->Text(), "primera");
    Clipboard()->SetAsText(std::string("a\0b", 3));
    s.edit->PasteFromClipboard();
    EXPECT_EQ(s.edit->Text(), "primeraa");
    // Copying nothing leaves the clipboard alone.
    s.edit->SelectAll();
    s.edit->SetSelLength(0);
    s.edit->CopyToClipboard();
    EXPECT_EQ(Clipboard()->AsText(), std::string("a\0b", 3));
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change", "change"}));
}

TEST(EditField, UndoTakesBackTheLastTypedRunAndRedoesOnTheNextUndo)
{
    EditScreen s;
    s.edit->SetText("base");
    EXPECT_FALSE(s.edit->CanUndo()) << "setting the text empties the undo step";
    EXPECT_FALSE(s.edit->Modified());
    s.ui.pressKey(VK_END);
    s.ui.typeText(" uno");
    s.ui.pressKey(VK_BACK);
    s.ui.typeText("os");
    EXPECT_EQ(s.edit->Text(), "base unos");
    s.ui.takeEvents();
    s.ui.pressKey('Z', {ssCtrl});
    EXPECT_EQ(s.edit->Text(), "base");
    EXPECT_EQ(s.selection(), std::make_pair(4, 4));
    EXPECT_EQ(s.ui.takeEvents(), Events{"change"});
    // Undo again puts the run back, selected.
    s.edit->Undo();
    EXPECT_EQ(s.edit->Text(), "base unos");
    EXPECT_EQ(s.edit->SelText(), " unos");

    // Moving the caret starts a new step; Backspaces before the run join it.
    s.ui.pressKey(VK_HOME);
    s.ui.pressKey(VK_DELETE);
    s.ui.pressKey(VK_DELETE);
    EXPECT_EQ(s.edit->Text(), "se unos");
    s.ui.typeText("ca");
    s.ui.pressKey(VK_BACK);
    s.ui.pressKey(VK_BACK);
    s.ui.pressKey(VK_BACK);
    EXPECT_EQ(s.edit->Text(), "se unos");
    s.edit->Undo();
    EXPECT_EQ(s.edit->Text(), "base unos");

    // A paste is a step of its own; EM_EMPTYUNDOBUFFER forgets it.
    Clipboard()->SetAsText("X");
    s.edit->SetSelStart(3);
    s.ui.pressKey('V', {ssCtrl});
    EXPECT_TRUE(s.edit->CanUndo());
    s.edit->ClearUndo();
    EXPECT_FALSE(s.edit->CanUndo());
    s.ui.pressKey('Z', {ssCtrl});
    EXPECT_EQ(s.edit->Text(), "basXe unos");
}

TEST(EditField, LimitRefusesWhatDoesNotFitAndSaysMaxText)
{
    EditScreen s;
    s.edit->SetMaxLength(5);
    s.ui.typeText("abcdefg");
    EXPECT_EQ(s.edit->Text(), "abcde");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"change", "change", "change", "change", "change", "maxtext", "maxtext"}));
    // A paste longer than the room is cut to it; over a selection the room grows.
    s.ui.pressKey(VK_LEFT);
    s.ui.pressKey(VK_LEFT, {ssShift});
    Clipboard()->SetAsText("0123456789");
    s.ui.pressKey('V', {ssCtrl});
    EXPECT_EQ(s.edit->Text(), "abc0e");
    EXPECT_EQ(s.ui.takeEvents(), (Events{"maxtext", "change"}));
    // Text set by the program may pass the limit; typing then adds nothing.
    s.edit->SetText("0123456789");
    s.ui.takeEvents();
    s.ui.typeText("x");
    EXPECT_EQ(s.edit->Text(), "0123456789");
    EXPECT_EQ(s.ui.takeEvents(), Events{"maxtext"});
    // No limit at all with 0.
    s.edit->SetMaxLength(0);
    s.ui.typeText("x");
    EXPECT_EQ(s.edit->Text(), "x0123456789");
}

TEST(EditField, PasswordShowsStarsAndGivesNothingToTheClipboard)
{
    EditScreen s;
    s.edit->SetPasswordChar('*');
    s.ui.typeText("clave");
    EXPECT_EQ(s.edit->Text(), "clave");
    EXPECT_EQ(s.caret().x, s.caretX("*****"));
    Clipboard()->SetAsText("antes");
    s.edit->SelectAll();
    s.ui.pressKey('C', {ssCtrl});
    s.ui.pressKey('X', {ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(), "antes");
    EXPECT_EQ(s.edit->Text(), "clave");
    EXPECT_EQ(SendMessage(s.edit->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
    s.edit->SetPasswordChar(0);
    s.ui.pump();
    EXPECT_EQ(s.caret().x, s.caretX("clave"));
}

TEST(EditField, ReadOnlyMovesAndCopiesButNeverChanges)
{
    EditScreen s;
    s.edit->SetText("fijo");
    s.edit->SetReadOnly(true);
    s.ui.takeEvents();
    s.ui.pressKey(VK_END);
    s.ui.typeText("x");
    s.ui.pressKey(VK_BACK);
    s.ui.pressKey(VK_HOME, {ssShift});
    s.ui.pressKey(VK_DELETE);
    Clipboard()->SetAsText("otro");
    s.ui.pressKey('V', {ssCtrl});
    s.ui.pressKey('X', {ssCtrl});
    EXPECT_EQ(s.edit->Text(), "fijo");
    EXPECT_EQ(Clipboard()->AsText(), "otro");
    s.ui.pressKey('C', {ssCtrl});
    EXPECT_EQ(Clipboard()->AsText(), "fijo");
    EXPECT_EQ(s.ui.takeEvents(), Events{});
    EXPECT_FALSE(s.edit->Modified());
    // The program may still change it.
    s.edit->SetSelText("nuevo");
    EXPECT_EQ(s.edit->Text(), "nuevo");
}

TEST(EditField, CaseConversionAppliesToTypedPastedAndSetText)
{
    EditScreen s;
    s.edit->SetCharCase(ecUpperCase);
    s.ui.pump();
    s.edit->SetFocus();
    s.ui.typeText("a\xF1o \xE9");
    EXPECT_EQ(s.edit->Text(), "A\xD1O \xC9");
    Clipboard()->SetAsText("m\xE1s");
    s.ui.pressKey('V', {ssCtrl});
    EXPECT_EQ(s.edit->Text(), "A\xD1O \xC9M\xC1S");
    s.edit->SetCharCase(ecLowerCase);
    EXPECT_EQ(s.edit->Text(), "a\xF1o \xE9m\xE1s") << "the rebuilt window converts the text it is given";
    s.edit->SetText("\xC0 \xD7 \xDE");
    EXPECT_EQ(s.edit->Text(), "\xE0 \xD7 \xFE") << "the multiplication sign has no case";
    s.edit->SetCharCase(ecUpperCase);
    s.edit->SetText("\x9A\x9C\x9E\xFF \xDF");
    EXPECT_EQ(s.edit->Text(), "\x8A\x8C\x8E\x9F \xDF") << "the code page's pairs convert; sharp s has no capital";
}

TEST(EditField, SelectionRangesAreClampedAsTheDesktopFieldDoes)
{
    EditScreen s;
    s.edit->SetText("cinco");
    HWND h = s.edit->Handle();
    SendMessage(h, EM_SETSEL, 2, 100);
    EXPECT_EQ(s.selection(), std::make_pair(2, 5));
    SendMessage(h, EM_SETSEL, 0, -1);
    EXPECT_EQ(s.selection(), std::make_pair(0, 5));
    SendMessage(h, EM_SETSEL, 4, 1);
    EXPECT_EQ(s.selection(), std::make_pair(1, 4)) << "a backward selection reads from its low end";
    EXPECT_EQ(s.caret().x, s.caretX("c")) << "the caret is at its second position";
    SendMessage(h, EM_SETSEL, static_cast<WPARAM>(-1), 3);
    EXPECT_EQ(s.selection(), std::make_pair(1, 1)) << "a start of -1 drops the selection at the caret";
    SendMessage(h, EM_SETSEL, static_cast<WPARAM>(-5), -7);
    EXPECT_EQ(s.selection(), std::make_pair(5, 5)) << "negative positions are past the end";
    s.edit->SetSelStart(-3);
    EXPECT_EQ(s.selection(), std::make_pair(0, 0));
    s.edit->SetSelLength(99);
    EXPECT_EQ(s.edit->SelText(), "cinco");

    // Text with a NUL ends there; control bytes are kept and drawn as blanks.
    s.edit->SetText(std::string("ab\0cd", 5));
    EXPECT_EQ(s.edit->Text(), "ab");
    s.edit->SetText("a\tb\r\nc\x01");
    EXPECT_EQ(s.edit->Text(), "a\tb\r\nc\x01");
    EXPECT_EQ(SendMessage(h, EM_GETLINECOUNT, 0, 0), 1);
    SendMessage(h, EM_SETSEL, 0, -1);
    s.ui.pressKey(VK_RIGHT);
    EXPECT_EQ(s.selection(), std::make_pair(7, 7));
    s.ui.pump();
    // Odd messages answer without harm.
    EXPECT_EQ(SendMessage(h, EM_LINEINDEX, 5, 0), -1);
    EXPECT_EQ(SendMessage(h, EM_POSFROMCHAR, 99, 0), -1);
    char buffer[8] = {};
    WORD room = 3;
    std::memcpy(buffer, &room, sizeof room);
    EXPECT_EQ(SendMessage(h, EM_GETLINE, 0, reinterpret_cast<LPARAM>(buffer)), 3);
    EXPECT_EQ(std::string(buffer, 3), "a\tb");
    EXPECT_EQ(SendMessage(h, EM_GETLINE, 0, 0), 0);
}

TEST(EditField, CaretAndSelectionShowWhereTheyShould)
{
    EditScreen s;
    s.ui.typeText("mm  mm");
    const COLORREF window = static_cast<COLORREF>(ColorToRGB(clWindow));
    const COLORREF highlight = static_cast<COLORREF>(ColorToRGB(clHighlight));
    const int x = s.caretX("mm ");
    RECT format;
    SendMessage(s.edit->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int top = format.top;
    // The caret blinks: on after a move, off half a second later, on again.
    for (int i = 0; i < 3; ++i)
        s.ui.pressKey(VK_LEFT);
    auto caretColumnDark = [&](int cx) {
        for (int y = top; y < top + 14; ++y)
            if (s.pixel(cx, y) != 0)
                return false;
        return true;
    };
    EXPECT_EQ(s.caret().x, x);
    // Between the blanks the column is white but for the caret.
    EXPECT_TRUE(caretColumnDark(x));
    s.ui.advance(GetCaretBlinkTime());
    EXPECT_FALSE(caretColumnDark(x));
    s.ui.advance(GetCaretBlinkTime());
    EXPECT_TRUE(caretColumnDark(x));

    // A selection is filled with the highlight colour from its first character's
    // left edge to its last one's right edge.
    s.ui.pressKey(VK_RIGHT, {ssShift});
    const int right = s.caretX("mm  ");
    EXPECT_EQ(s.pixel(x, top + 1), highlight);
    EXPECT_EQ(s.pixel(right - 1, top + 1), highlight);
    EXPECT_EQ(s.pixel(right + 1, top + 1), window);
    EXPECT_EQ(s.pixel(x - 1, top + 1), window);
    // Without the focus the selection hides, and the caret goes.
    auto* other = new TEdit(s.form);
    other->SetParent(s.form);
    other->SetBounds(10, 50, 100, 22);
    other->SetFocus();
    s.ui.pump();
    EXPECT_EQ(s.pixel(x + 1, top + 1), window);
    EXPECT_FALSE(caretColumnDark(right));
    ASSERT_TRUE(varn::SaveWindowToPngFile(s.form->Handle(), ::testing::TempDir() + "EditField-paint.png"));
}

TEST(EditField, FocusNotificationsAndAutoSelectOnEntry)
{
    EditScreen s;
    s.edit->SetText("todo");
    auto* other = new TEdit(s.form);
    other->SetParent(s.form);
    other->SetBounds(10, 50, 100, 22);
    s.ui.takeEvents();
    s.ui.pressKey(VK_TAB);
    EXPECT_TRUE(other->Focused());
    s.ui.pressKey(VK_TAB, {ssShift});
    EXPECT_TRUE(s.edit->Focused());
    EXPECT_EQ(s.ui.takeEvents(), (Events{"killfocus", "setfocus"}));
    EXPECT_EQ(s.edit->SelText(), "todo") << "tabbing in selects the text";
}

TEST(EditField, LongTextScrollsSidewaysToKeepTheCaretInView)
{
    EditScreen s;
    s.ui.typeText(std::string(60, 'w'));
    HWND h = s.edit->Handle();
    RECT format;
    SendMessage(h, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_GT(SendMessage(h, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "the first characters scrolled out";
    EXPECT_GE(s.caret().x, format.left);
    EXPECT_LT(s.caret().x, format.right);
    s.ui.pressKey(VK_HOME);
    EXPECT_EQ(SendMessage(h, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_EQ(s.caret().x, format.left);
}

TEST(EditField, StoresItsPropertiesInFormDescriptions)
{
    UiHarness ui;
    TForm* form = ui.createForm(200, 100);
    ReadComponentText("object Form1: TForm\n"
                      "  object name: TEdit\n"
                      "    Left = 8\n    Top = 8\n    Width = 121\n    Height = 22\n"
                      "    CharCase = ecUpperCase\n    MaxLength = 10\n    PasswordChar = '#'\n"
                      "    ReadOnly = True\n    Text = 'Jos'#233\n"
                      "  end\n"
                      "end\n",
                      form);
    auto* edit = dynamic_cast<TEdit*>(form->FindComponent("name"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->CharCase(), ecUpperCase);
    EXPECT_EQ(edit->MaxLength(), 10);
    EXPECT_EQ(edit->PasswordChar(), '#');
    EXPECT_TRUE(edit->ReadOnly());
    EXPECT_EQ(edit->Text(), "Jos\xE9");
    AnsiString written = WriteComponentText(edit);
    EXPECT_NE(written.find("PasswordChar = '#'"), AnsiString::npos) << written;
    EXPECT_NE(written.find("Text = 'Jos'#233"), AnsiString::npos) << written;
    EXPECT_EQ(written.find("Caption"), AnsiString::npos) << written;
    EXPECT_EQ(written.find("AutoSelect"), AnsiString::npos) << written;
}

namespace {

// A control built on the edit field, as the edit box is: the field paints and
// takes the keys, the control narrows the text and paints a button on top.
class TFieldWithButton : public TWinControl {
public:
    explicit TFieldWithButton(TComponent* owner) : TWinControl(owner)
    {
        ControlStyle = {csClickEvents, csSetCaption, csDoubleClicks};
        FColor = clWindow;
        FTabStop = true;
        SetBounds(10, 10, 120, 20);
    }

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TWinControl::CreateParams(Params);
        CreateSubClass(Params, "EDIT");
        Params.Style |= WS_BORDER | ES_AUTOHSCROLL;
    }
    void CreateWnd() override
    {
        TWinControl::CreateWnd();
        RECT text{0, 0, ClientWidth() - 20, ClientHeight()};
        SendMessage(FHandle, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&text));
    }
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg == WM_PAINT) {
            DefaultHandler(Message);  // the field paints first
            HDC dc = GetDC(FHandle);
            TRect button{ClientWidth() - 16, 0, ClientWidth(), ClientHeight()};
            HBRUSH brush = CreateSolidBrush(RGB(235, 235, 235));
            FillRect(dc, &button, brush);
            DeleteObject(brush);
            ReleaseDC(FHandle, dc);
            return;
        }
        if (Message.Msg == WM_KEYDOWN && Message.WParam == VK_F2) {
            Perform(EM_SETSEL, 0, 0);  // a key of its own
            return;
        }
        TWinControl::Dispatch(Message);
    }
};

}  // namespace

TEST(EditField, AControlBuiltOnTheFieldPaintsOnTopAndKeepsTheTextInItsRectangle)
{
    UiHarness ui;
    TForm* form = ui.createForm(200, 60);
    auto* box = new TFieldWithButton(form);
    box->SetParent(form);
    ui.show(form);
    box->SetFocus();
    ui.typeText(std::string(30, 'W'));
    char buffer[64] = {};
    GetWindowText(box->Handle(), buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), std::string(30, 'W'));
    const COLORREF window = static_cast<COLORREF>(ColorToRGB(clWindow));
    const int width = box->ClientWidth();
    for (int x = width - 20; x < width - 16; ++x)
        for (int y = 0; y < box->ClientHeight(); ++y)
            EXPECT_EQ(varn::windowPixel(box->Handle(), x, y), window) << "no text right of the rectangle: " << x << "," << y;
    EXPECT_EQ(varn::windowPixel(box->Handle(), width - 8, 5), RGB(235, 235, 235));
    POINT caret;
    GetCaretPos(&caret);
    EXPECT_LE(caret.x, width - 20);
    ui.pressKey(VK_F2);
    DWORD start = 1, end = 1;
    SendMessage(box->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);
    ui.pressKey(VK_END);
    ui.pressKey(VK_BACK);
    GetWindowText(box->Handle(), buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), std::string(29, 'W'));
}

TEST(EditField, FontMarginsAndHideSelectionChangeTheField)
{
    EditScreen s;
    s.edit->SetText("Aa");
    // A bigger font makes the control taller (AutoSize) and its text wider.
    const int before = s.edit->Height();
    auto x = [&](int position) { return GET_X_LPARAM(SendMessage(s.edit->Handle(), EM_POSFROMCHAR, position, 0)); };
    const int narrow = x(2) - x(0);
    s.edit->Font()->SetHeight(-20);
    s.ui.pump();
    EXPECT_GT(s.edit->Height(), before);
    EXPECT_GT(x(2) - x(0), narrow);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessage(s.edit->Handle(), WM_GETFONT, 0, 0))->fontSpec.Height, -20);
    // Margins move the text.
    SendMessage(s.edit->Handle(), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(10, 4));
    EXPECT_EQ(SendMessage(s.edit->Handle(), EM_GETMARGINS, 0, 0), MAKELPARAM(10, 4));
    EXPECT_EQ(x(0), 10);
    // With HideSelection off the selection stays on show without the focus.
    s.edit->SetHideSelection(false);
    s.ui.pump();
    s.edit->SelectAll();
    auto* other = new TEdit(s.form);
    other->SetParent(s.form);
    other->SetBounds(10, 60, 100, 22);
    other->SetFocus();
    s.ui.pump();
    RECT format;
    SendMessage(s.edit->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(s.pixel(format.left, format.top + 1), static_cast<COLORREF>(ColorToRGB(clHighlight)));
    EXPECT_EQ(s.edit->Text(), "Aa") << "the rebuilt window kept the text";
}

TEST(EditField, AHeadlessMessageLoopDoesNotWaitForTheCaretToBlink)
{
    UiHarness ui;
    TForm* main = nullptr;
    Application->CreateForm(main);
    auto* edit = new TEdit(main);
    edit->SetParent(main);
    main->SetActiveControl(edit);
    Application->Run();  // returns: nothing but the blink is left to wait for
    EXPECT_TRUE(edit->Focused());
    delete main;
}
