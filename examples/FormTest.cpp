// An application's own test of one of its forms, written with the library's
// harness (<VarnControls/Testing.h>, target Varn::testing): the form runs on the
// headless screen, the test types and clicks as a user would and reads what the
// form shows. Build it as a GoogleTest program:
//   target_link_libraries(my_tests PRIVATE Varn::testing GTest::gtest_main)
#include <VarnControls.h>
#include <VarnControls/Testing.h>

#include <gtest/gtest.h>

namespace {

// The application's form: a name, an OK button that greets, and a panel that
// turns green once a name was accepted.
class TGreetForm : public TForm {
public:
    explicit TGreetForm(TComponent* owner) : TForm(owner)
    {
        name = new TEdit(this);
        name->SetParent(this);
        name->SetBounds(10, 10, 150, 22);
        ok = new TVarnButton(this);
        ok->SetParent(this);
        ok->SetBounds(170, 10, 60, 22);
        ok->SetCaption("OK");
        ok->OnClick = [this](TObject*) { accept(); };
        greeting = new TLabel(this);
        greeting->SetParent(this);
        greeting->SetBounds(10, 40, 220, 16);
        light = new TPanel(this);
        light->SetParent(this);
        light->SetBounds(10, 60, 20, 20);
        light->SetBevelOuter(bvNone);
        light->SetColor(clRed);
    }

    TEdit* name;
    TVarnButton* ok;
    TLabel* greeting;
    TPanel* light;

private:
    void accept()
    {
        if (name->Text().empty()) {
            Application->MessageBox("Type a name first", "Greeting", MB_OK);
            return;
        }
        greeting->SetCaption("Hello, " + name->Text());
        light->SetColor(clLime);
    }
};

TEST(GreetForm, OkGreetsTheTypedNameAndLightsGreen)
{
    varn::test::UiHarness ui;  // one per test: clean screen, manual clock
    auto* form = ui.createForm<TGreetForm>(240, 90);
    ui.show(form);

    ui.click(form->name, 5, 5);
    ui.typeText("Ana");
    ui.click(form->ok, 30, 11);

    EXPECT_EQ(form->greeting->Caption(), "Hello, Ana");
    EXPECT_EQ(ui.pixel(form->light, 10, 10), static_cast<COLORREF>(RGB(0, 255, 0)));
    EXPECT_TRUE(ui.messageBoxes.empty());
}

TEST(GreetForm, OkWithoutANameAsksForOneAndStaysRed)
{
    varn::test::UiHarness ui;
    auto* form = ui.createForm<TGreetForm>(240, 90);
    ui.show(form);

    ui.click(form->ok, 30, 11);

    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, "Type a name first");
    EXPECT_EQ(ui.pixel(form->light, 10, 10), static_cast<COLORREF>(RGB(255, 0, 0)));
    // Tab from the button goes back to the name field.
    ui.pressKey(VK_TAB);
    EXPECT_TRUE(form->name->Focused());
}

}  // namespace
