// The frame and the label in form descriptions.
#include "controls/VarnFrameProperties.h"

#include "controls/VarnFrame.h"
#include "platform/Forms.h"
#include "platform/Streaming.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

namespace {

class TFrameForm : public TForm {
public:
    using TForm::TForm;
    void frameTextClick(TObject*) { ++clicks; }
    TVarnFrame* frame = nullptr;
    TVarnLabel* label = nullptr;
    int clicks = 0;
};

class VarnFrameStreaming : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            registered = true;
            RegisterPublishedClass<TFrameForm>("TFrameForm", "TForm")
                .Field("frame", &TFrameForm::frame)
                .Field("label", &TFrameForm::label)
                .Handler("frameTextClick", &TFrameForm::frameTextClick);
        }
    }
    varn::test::UiHarness ui;
};

}  // namespace

TEST_F(VarnFrameStreaming, WritesOnlyWhatDiffersFromTheDeclaredDefaults)
{
    TForm* form = ui.createForm();
    auto* frame = new TVarnFrame(form);
    frame->SetName("frame");
    frame->SetParent(form);
    frame->SetBounds(8, 8, 120, 60);
    auto* label = new TVarnLabel(form);
    label->SetName("label");
    label->SetParent(form);
    label->SetBounds(8, 80, 40, 13);
    EXPECT_EQ(WriteComponentText(frame), "object frame: TVarnFrame\n"
                                         "  Left = 8\n"
                                         "  Top = 8\n"
                                         "  Width = 120\n"
                                         "  Height = 60\n"
                                         "  TabOrder = 0\n"
                                         "end\n");
    EXPECT_EQ(WriteComponentText(label), "object label: TVarnLabel\n"
                                         "  Left = 8\n"
                                         "  Top = 80\n"
                                         "  Width = 40\n"
                                         "  Height = 13\n"
                                         "end\n");
    EXPECT_THROW(GetPropText(frame, "BevelOuter"), EReadError);
    EXPECT_THROW(GetPropText(label, "ShowAccelChar"), EReadError);
}

TEST_F(VarnFrameStreaming, ChangedPropertiesAndHandlersReadBack)
{
    auto* form = ui.createForm<TFrameForm>();
    form->SetName("FrameForm");
    auto* frame = new TVarnFrame(form);
    frame->SetName("frame");
    frame->SetParent(form);
    frame->SetColorFrame(clNavy);
    frame->SetParentColor(false);
    frame->SetColor(clCream);
    frame->SetDrawLeft(false);
    frame->SetDrawBottom(false);
    frame->SetHideFrame(true);
    frame->SetTextAlignment(taCenter);
    frame->SetTextVAlignment(tvaOver);
    frame->SetTextDirection(ttdBottomToUp);
    frame->SetText("Uno\r\nDos");
    frame->SetTextColor(clMaroon);
    frame->SetTextStyles({fsBold, fsItalic});
    frame->SetTextWrap(true);
    frame->SetBorderWidth(3);
    auto* label = new TVarnLabel(form);
    label->SetName("label");
    label->SetParent(frame);
    label->SetTextDirection(ttdUpToBottom);
    label->SetTextVAlignment(tvaCenter);
    label->SetCaption("Nota");
    SetEventHandler(frame, "OnTextClick", "frameTextClick");
    const AnsiString text = WriteComponentText(frame);
    EXPECT_NE(text.find("  TextStyles = [fsBold, fsItalic]\n"), AnsiString::npos) << text;
    EXPECT_NE(text.find("  Text = 'Uno'#13#10'Dos'\n"), AnsiString::npos) << text;
    EXPECT_EQ(text.find("Lines"), AnsiString::npos) << text;

    auto* copy = ui.createForm<TFrameForm>();
    ReadComponentText(WriteComponentText(form), copy);
    ASSERT_NE(copy->frame, nullptr);
    ASSERT_NE(copy->label, nullptr);
    EXPECT_EQ(WriteComponentText(copy->frame), text);
    EXPECT_EQ(copy->frame->Lines()->Count(), 2);
    EXPECT_EQ(copy->label->TextDirection(), ttdUpToBottom);
    copy->frame->OnTextClick(copy->frame);
    EXPECT_EQ(copy->clicks, 1);

    // Lines in a description set the text as well.
    auto* third = ui.createForm<TFrameForm>();
    ReadComponentText("object FrameForm: TFrameForm\n"
                      "  object frame: TVarnFrame\n"
                      "    Lines.Strings = (\n"
                      "      'a'\n"
                      "      'b')\n"
                      "  end\n"
                      "end\n",
                      third);
    ASSERT_NE(third->frame, nullptr);
    EXPECT_EQ(third->frame->Text(), "a\r\nb");
}
