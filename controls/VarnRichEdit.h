// TVarnRichEdit: a memo whose window is the window system's rich-text field. It
// shows RTF or plain text, takes its whole content in one call and prints it page
// by page through the printer object.
#pragma once

#include "platform/Memo.h"

class TVarnRichEdit : public TCustomMemo {
public:
    explicit TVarnRichEdit(TComponent* AOwner);
    AnsiString ClassName() const override { return "TVarnRichEdit"; }

    // Replaces the whole content: a text that begins with an RTF header is read as
    // rich text, any other as plain text.
    void SetText(const AnsiString& Value) override;
    // Prints the whole content with 700-twip margins on every side of each page.
    void Print(const AnsiString& Title);

    // The content as RTF.
    AnsiString RichText();

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;

private:
    AnsiString FKeptRtf;  // the content between a window and the next one
};
