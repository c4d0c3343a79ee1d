// Alt + a label's underlined letter moves the focus to the label's FocusControl.
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using varn::test::UiHarness;

// A focusable box that records entering, leaving and the characters it is given.
class TKeyBox : public TCustomControl {
public:
    TKeyBox(TForm* form, TWinControl* parent, UiHarness& ui, std::string name, int top)
        : TCustomControl(form), ui(ui), name(std::move(name))
    {
        SetParent(parent);
        SetTabStop(true);
        SetBounds(100, top, 60, 20);
        OnEnter = [this](TObject*) { this->ui.record("enter " + this->name); };
        OnExit = [this](TObject*) { this->ui.record("exit " + this->name); };
    }

protected:
    void KeyPress(char& Key) override { ui.record(name + " char " + std::string(1, Key)); }

    UiHarness& ui;
    std::string name;
};

TLabel* makeLabel(TForm* form, TWinControl* parent, const AnsiString& caption, TWinControl* focusControl, int top)
{
    auto* label = new TLabel(form);
    label->SetParent(parent);
    label->SetBounds(10, top, 80, 16);
    label->SetCaption(caption);
    label->SetFocusControl(focusControl);
    return label;
}

TEST(Accelerators, AltAndTheUnderlinedLetterFocusesTheLabelsControl)
{
    UiHarness ui;
    TForm* form = ui.createForm(300, 200);
    auto* first = new TKeyBox(form, form, ui, "first", 10);
    auto* name = new TKeyBox(form, form, ui, "name", 40);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(0, 80, 300, 60);
    auto* city = new TKeyBox(form, panel, ui, "city", 10);
    auto* tax = new TKeyBox(form, form, ui, "tax", 150);
    makeLabel(form, form, "&Name", name, 40);
    makeLabel(form, panel, "C&ity", city, 10);
    makeLabel(form, form, "&&Tax", tax, 150);  // "&&" is a plain '&', no accelerator
    ui.show(form);
    ASSERT_TRUE(first->Focused());
    ui.events.clear();

    ui.pressKey('N', {ssAlt});
    ui.pressKey('I', {ssAlt});  // the label inside the panel
    ui.pressKey('N', {ssAlt, ssShift});  // an upper-case character matches as well
    EXPECT_EQ(ui.takeEvents(),
              (std::vector<std::string>{"exit first", "enter name", "exit name", "enter city", "exit city", "enter name"}));
    EXPECT_EQ(form->ActiveControl(), name);

    // Unanswered Alt + letters, Alt alone and F10 change nothing and type nothing.
    ui.pressKey('T', {ssAlt});
    ui.pressKey('Q', {ssAlt});
    ui.pressKey('7', {ssAlt});
    ui.pressKey(VK_MENU);
    ui.pressKey(VK_F10);
    EXPECT_TRUE(ui.takeEvents().empty());
    EXPECT_TRUE(name->Focused());

    // Without Alt the letter is typed into the focused control.
    ui.pressKey('I');
    ui.typeText("i");
    EXPECT_EQ(ui.takeEvents(), std::vector<std::string>{"name char i"});
}

TEST(Accelerators, LabelAnswersOnlyWhenItsControlCanTakeTheFocus)
{
    UiHarness ui;
    TForm* form = ui.createForm(300, 200);
    auto* first = new TKeyBox(form, form, ui, "first", 10);
    auto* target = new TKeyBox(form, form, ui, "target", 40);
    auto* other = new TKeyBox(form, form, ui, "other", 70);
    TLabel* label = makeLabel(form, form, "&Go", target, 40);
    ui.show(form);
    ui.events.clear();

    target->SetEnabled(false);
    ui.pressKey('G', {ssAlt});
    target->SetEnabled(true);
    target->SetVisible(false);
    ui.pressKey('G', {ssAlt});
    target->SetVisible(true);
    label->SetShowAccelChar(false);
    ui.pressKey('G', {ssAlt});
    label->SetShowAccelChar(true);
    label->SetVisible(false);
    ui.pressKey('G', {ssAlt});
    label->SetVisible(true);
    label->SetFocusControl(nullptr);
    ui.pressKey('G', {ssAlt});
    EXPECT_TRUE(ui.takeEvents().empty());
    EXPECT_TRUE(first->Focused());

    // A label that cannot answer leaves the character to the next one.
    label->SetFocusControl(target);
    target->SetEnabled(false);
    makeLabel(form, form, "&Go on", other, 70);
    ui.pressKey('G', {ssAlt});
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"exit first", "enter other"}));

    // The control going away clears the label's reference: that label is done.
    delete other;
    first->SetFocus();
    ui.pump();
    ui.events.clear();
    ui.pressKey('G', {ssAlt});
    EXPECT_TRUE(ui.takeEvents().empty());
    target->SetEnabled(true);
    ui.pressKey('G', {ssAlt});
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"exit first", "enter target"}));
}

TEST(Accelerators, IsAccelFindsTheMarkedCharacterWithoutRegardToCase)
{
    struct Case {
        WORD key;
        AnsiString caption;
        bool expected;
    };
    const std::vector<Case> cases{
        {'n', "&Name", true},
        {'N', "&name", true},
        {'a', "&Name", false},
        {'t', "&&Tax", false},
        {'&', "A&&B", false},
        {'b', "A&&&B", true},
        {'c', "Fish && &Chips", true},
        {'x', "Box&", false},
        {0xF1, "&\xD1" "and\xFA", true},  // Latin-1 letters compare without case too
        {0xD1, "&\xF1" "and\xFA", true},
        {0x1F1, "&\xF1", false},  // not a Latin-1 character
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsAccel(c.key, c.caption), c.expected) << c.caption << " key " << c.key;
}

}  // namespace
