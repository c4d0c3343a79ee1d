// The edit box in form descriptions.
#include "edit/VarnEditProperties.h"

#include "controls/VarnScroll.h"
#include "edit/VarnEditInterior.h"
#include "platform/Forms.h"
#include "platform/Streaming.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

namespace {

class TEditForm : public TForm {
public:
    using TForm::TForm;
    void boxChange(TObject*) { ++changes; }
    TVarnEdit* box = nullptr;
    int changes = 0;
};

void registerForm()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    RegisterPublishedClass<TEditForm>("TEditForm", "TForm")
        .Field("box", &TEditForm::box)
        .Handler("boxChange", &TEditForm::boxChange);
}

}  // namespace

TEST(VarnEditStreaming, WritesWhatDiffersFromTheDefaultsAndReadsItBack)
{
    registerForm();
    varn::test::UiHarness ui;
    auto* form = ui.createForm<TEditForm>();
    form->SetName("EditForm");
    auto* box = new TVarnEdit(form);
    box->SetName("box");
    box->SetParent(form);
    box->SetBounds(80, 16, 121, 17);
    // The box's section of the form's description; the scroll bar it holds is not written.
    auto boxText = [](TEditForm* f) {
        AnsiString all = WriteComponentText(f);
        auto start = all.find("  object box");
        return all.substr(start, all.find("\n  end\n", start) + 7 - start);
    };
    EXPECT_EQ(boxText(form), "  object box: TVarnEdit\n"
                             "    Left = 80\n"
                             "    Top = 16\n"
                             "    Width = 121\n"
                             "    Height = 17\n"
                             "    TabOrder = 0\n"
                             "  end\n");
    EXPECT_THROW(GetPropText(box, "Caption"), EReadError);

    box->setMode(sEditList);
    box->add("uno", "1");
    box->add("tres", "3");
    box->setText("3");
    box->setDateNavigator(true);
    box->setDateNavigatorKind(sDnkYear);
    box->setMaxLength(8);
    box->setShowFrame(true);
    box->setLabel("N\xFAmero");
    box->setLabelColor(clNavy);
    box->setReadOnly(true);
    SetEventHandler(box, "OnChange", "boxChange");
    const AnsiString text = boxText(form);
    EXPECT_EQ(text, "  object box: TVarnEdit\n"
                    "    Left = 80\n"
                    "    Top = 16\n"
                    "    Width = 121\n"
                    "    Height = 17\n"
                    "    TabOrder = 0\n"
                    "    Text = '3'\n"
                    "    DateNavigator = True\n"
                    "    DateNavigatorKind = sDnkYear\n"
                    "    MaxLength = 8\n"
                    "    ReadOnly = True\n"
                    "    OnChange = boxChange\n"
                    "    Mode = sEditList\n"
                    "    ShowFrame = True\n"
                    "    Label = 'N'#250'mero'\n"
                    "    LabelColor = clNavy\n"
                    "    ComboTexts.Strings = (\n"
                    "      'uno'\n"
                    "      'tres')\n"
                    "    ComboValues.Strings = (\n"
                    "      '1'\n"
                    "      '3')\n"
                    "  end\n");

    // Text is read before Mode and the items, and still selects its item.
    auto* copy = ui.createForm<TEditForm>();
    ReadComponentText(WriteComponentText(form), copy);
    ASSERT_NE(copy->box, nullptr);
    EXPECT_EQ(boxText(copy), text);
    EXPECT_EQ(copy->box->getCount(), 2);
    EXPECT_EQ(copy->box->getItemIndex(), 1);
    EXPECT_EQ(copy->box->GetText(), "tres");

    // A memo's Lines in a description become its text.
    auto* memoForm = ui.createForm<TEditForm>();
    ReadComponentText("object EditForm: TEditForm\n"
                      "  object box: TVarnEdit\n"
                      "    Mode = sEditMemo\n"
                      "    Lines.Strings = (\n"
                      "      'uno'\n"
                      "      'dos')\n"
                      "  end\n"
                      "end\n",
                      memoForm);
    ASSERT_NE(memoForm->box, nullptr);
    EXPECT_EQ(memoForm->box->getText(), "uno\r\ndos");
    EXPECT_TRUE(memoForm->box->ScrollBar()->Visible());
}
