// The label: text drawn on its parent, sized to the text when AutoSize.
#pragma once

#include "platform/Classes.h"
#include "platform/Controls.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
public:
    explicit TCustomLabel(TComponent* AOwner);
    AnsiString ClassName() const override { return "TCustomLabel"; }

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    // '&' marks the next character as the accelerator (drawn underlined), "&&" is a
    // plain '&'. Off: the text is drawn as it stands.
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    // The control an accelerator of the label stands for; cleared when it goes away.
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

protected:
    void Paint() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;
    void CMFontChanged(TMessage& Message) override;
    // Alt + the label's accelerator focuses FocusControl; answers 1 when it did.
    virtual void CMDialogChar(TMessage& Message);
    // Resizes the label to its text when AutoSize (the anchored side stays).
    virtual void AdjustBounds();

private:
    // DrawText with the label's font and flags on dc; Flags may add DT_CALCRECT.
    void drawLabelText(HDC dc, TRect& rect, unsigned flags);
    unsigned textFlags() const;

    TAlignment FAlignment = taLeftJustify;
    bool FAutoSize = true;
    TTextLayout FLayout = tlTop;
    bool FTransparent = false;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
    bool adjusting = false;  // inside AdjustBounds: its own SetBounds is not a user's
};

class TLabel : public TCustomLabel {
public:
    using TCustomLabel::TCustomLabel;
    AnsiString ClassName() const override { return "TLabel"; }
};

namespace varn::detail {
// Registers the panel and label classes for form descriptions.
void registerPanelAndLabelClasses();
}
