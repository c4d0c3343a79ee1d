// A program outside the tree tests a form of its own with the installed harness.
#include <VarnControls.h>
#include <VarnControls/Testing.h>

#include <gtest/gtest.h>

TEST(ConsumerForm, TypedTextReachesTheFieldAndTheFormDraws)
{
    varn::test::UiHarness ui;
    TForm* form = ui.createForm(200, 60);
    auto* field = new TEdit(form);
    field->SetParent(form);
    field->SetBounds(10, 10, 150, 22);
    ui.show(form);
    ui.click(field, 5, 5);
    ui.typeText("abc");
    EXPECT_EQ(field->Text(), "abc");
    EXPECT_NE(ui.pixel(form, 190, 50), CLR_INVALID);
}
