// TCustomMemo and TMemo: many lines of text on the window system's multi-line
// edit field. Lines is a string list that reads and edits the field's text.
#pragma once

#include "platform/Edit.h"

#include <memory>

class TMemoStrings;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// Lines are the text's lines as it is broken by CR LF, LF or CR (wrapping makes
// no lines of its own); a break at the very end starts no further line.
class TCustomMemo : public TCustomEdit {
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;
    AnsiString ClassName() const override { return "TCustomMemo"; }

    TStrings* Lines() const;
    void SetLines(TStrings* Value);  // copies Value's text
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    // Long lines wrap at the right edge; off, the text scrolls sideways instead.
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    // Enter starts a new line; off, the form may take it.
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    // Tab types a tab instead of moving to the next control.
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    // The caret as (column, line) of the lines shown.
    TPoint CaretPos();
    void SetCaretPos(const TPoint& Value);

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;
    void KeyPress(char& Key) override;

private:
    friend class TMemoStrings;
    std::unique_ptr<TMemoStrings> FLines;
    TScrollStyle FScrollBars = ssNone;
    bool FWordWrap = true;
    bool FWantReturns = true;
    bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
public:
    explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
    AnsiString ClassName() const override { return "TMemo"; }
};

namespace varn::detail {
void registerMemoClasses();
}
