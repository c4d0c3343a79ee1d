// The clipboard and the message box reach whatever backend is installed.
#include "platform/Clipbrd.h"
#include "platform/Forms.h"
#include "platform/win/Backend.h"
#include "platform/win/Windows.h"
#include "platform/win/backend/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

using namespace varn;

namespace {

class DialogBackend : public HeadlessBackend {
public:
    std::optional<int> messageBox(const AnsiString& text, const AnsiString& caption, int flags) override
    {
        shown = caption + ": " + text;
        return (flags & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    }
    AnsiString shown;
};

}  // namespace

TEST(Clipboard, KeepsLatin1TextHeadless)
{
    TClipboard* clipboard = Clipboard();
    clipboard->Clear();
    EXPECT_FALSE(clipboard->HasFormat(CF_TEXT));
    clipboard->SetAsText("Ca\xF1\xF3n\r\nsegunda");
    EXPECT_TRUE(clipboard->HasFormat(CF_TEXT));
    EXPECT_EQ(clipboard->AsText(), "Ca\xF1\xF3n\r\nsegunda");
    clipboard->Clear();
    EXPECT_EQ(clipboard->AsText(), "");
}

TEST(Clipboard, MessageBoxGoesToTheHandlerElseToTheBackendsDialog)
{
    auto made = std::make_unique<DialogBackend>();
    DialogBackend* dialogs = made.get();
    std::unique_ptr<Backend> previous = setBackend(std::move(made));

    EXPECT_EQ(Application->MessageBox("\xBF" "Borrar?", "OJO", MB_YESNO), IDNO);
    EXPECT_EQ(dialogs->shown, "OJO: \xBF" "Borrar?");

    TMessageBoxHandler old = Application->SetMessageBoxHandler([](const AnsiString&, const AnsiString&, int) {
        return IDYES;
    });
    dialogs->shown.clear();
    EXPECT_EQ(Application->MessageBox("x", "y", MB_YESNO), IDYES);
    EXPECT_EQ(dialogs->shown, "");
    Application->SetMessageBoxHandler(old);
    setBackend(std::move(previous));
}
