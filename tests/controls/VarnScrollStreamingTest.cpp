// The scroll bar in form descriptions.
#include "controls/VarnScrollProperties.h"

#include "controls/VarnScroll.h"
#include "platform/Forms.h"
#include "platform/Streaming.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

namespace {

class TScrollForm : public TForm {
public:
    using TForm::TForm;
    void barScroll(TObject*, TScrollCode, int& pos) { scrolledTo = pos; }
    void barChange(TObject*) { ++changes; }
    TVarnScroll* bar = nullptr;
    int scrolledTo = -1;
    int changes = 0;
};

class VarnScrollStreaming : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            registered = true;
            RegisterPublishedClass<TScrollForm>("TScrollForm", "TForm")
                .Field("bar", &TScrollForm::bar)
                .Handler("barScroll", &TScrollForm::barScroll)
                .Handler("barChange", &TScrollForm::barChange);
        }
    }
    TVarnScroll* addBar(TForm* form)
    {
        auto* bar = new TVarnScroll(form);
        bar->SetName("bar");
        bar->SetParent(form);
        bar->SetBounds(10, 20, 18, 100);
        return bar;
    }
    varn::test::UiHarness ui;
};

}  // namespace

TEST_F(VarnScrollStreaming, WritesOnlyWhatDiffersFromTheDeclaredDefaults)
{
    TVarnScroll* bar = addBar(ui.createForm());
    EXPECT_EQ(WriteComponentText(bar), "object bar: TVarnScroll\n"
                                       "  Left = 10\n"
                                       "  Top = 20\n"
                                       "  Width = 18\n"
                                       "  Height = 100\n"
                                       "  Color = 15461355\n"
                                       "  ColorArrow = 5592405\n"
                                       "  ColorBorder = clGray\n"
                                       "  ColorButton = clSilver\n"
                                       "  Min = 0\n"
                                       "  Position = 0\n"
                                       "end\n");
    EXPECT_EQ(GetPropText(bar, "MouseDownAt"), "saNone");
    EXPECT_EQ(GetPropText(bar, "Anchors"), "[akLeft, akTop]");
    EXPECT_THROW(GetPropText(bar, "Caption"), EReadError);
}

// Every value a bar can hold reads back as written, whatever order the setters'
// checks would otherwise impose: a horizontal bar's button width is limited by its
// width, Min above the default Max, and SmallChange equal to LargeChange.
TEST_F(VarnScrollStreaming, ChangedPropertiesAndHandlersReadBack)
{
    auto* form = ui.createForm<TScrollForm>();
    form->SetName("ScrollForm");
    TVarnScroll* bar = addBar(form);
    bar->SetKind(sbHorizontal);
    bar->SetBounds(10, 20, 200, 18);
    bar->SetButtonWidth(30);
    bar->SetScrollerWidth(20);
    bar->SetMax(300);
    bar->SetMin(150);
    bar->SetSmallChange(3);
    bar->SetLargeChange(3);
    bar->SetPosition(170);
    bar->SetColorArrow(clRed);
    SetPropText(bar, "Anchors", "[akLeft, akBottom]");
    SetPropText(bar, "ShowHint", "True");
    SetEventHandler(bar, "OnScroll", "barScroll");
    SetEventHandler(bar, "OnChange", "barChange");
    const AnsiString text = WriteComponentText(bar);
    for (const char* line : {"Kind = sbHorizontal", "ButtonWidth = 30", "ScrollerWidth = 20", "Max = 300",
                             "Min = 150", "LargeChange = 3", "SmallChange = 3", "Position = 170", "ColorArrow = clRed",
                             "Anchors = [akLeft, akBottom]", "ShowHint = True", "OnScroll = barScroll"})
        EXPECT_NE(text.find(line), AnsiString::npos) << line;

    auto* copy = ui.createForm<TScrollForm>();
    ReadComponentText(WriteComponentText(form), copy);
    ASSERT_NE(copy->bar, nullptr);
    EXPECT_EQ(WriteComponentText(copy->bar), text);
    EXPECT_EQ(copy->bar->EffectiveButtonWidth(), 30);
    EXPECT_EQ(copy->bar->SmallChange(), 3);

    copy->bar->SetPosition(200);
    EXPECT_EQ(copy->scrolledTo, 200);
    EXPECT_EQ(copy->changes, 1);
    EXPECT_EQ(form->changes, 0);
}
