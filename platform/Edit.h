// TCustomEdit and TEdit: a line of text to type in, on the window system's
// standard edit field (window class "EDIT"). The control's window is the field;
// the field keeps the text, the selection, the undo step and the modified flag,
// and the control keeps what it needs to build the window again.
#pragma once

#include "platform/Controls.h"
#include "platform/Forms.h"

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
public:
    explicit TCustomEdit(TComponent* AOwner);
    AnsiString ClassName() const override { return "TCustomEdit"; }

    // The field's text; a NUL ends a text that is set.
    AnsiString GetText() const override;
    void SetText(const AnsiString& Value) override;
    AnsiString Text() const { return GetText(); }

    // The selection; positions are clamped into the text as the field does.
    int SelStart();
    void SetSelStart(int Value);
    int SelLength();
    void SetSelLength(int Value);
    AnsiString SelText();
    void SetSelText(const AnsiString& Value);  // replaces the selection, as typing would
    void SelectAll();

    // Characters the user may enter; 0: no limit.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // Shown in place of every character when not 0 (single-line fields only).
    char PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char Value);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);
    // Typed edits set it; setting the text clears it.
    bool Modified();
    void SetModified(bool Value);
    // Tabbing into a single-line field selects its text.
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }
    // The height follows the font: one line plus the border and a pixel or two.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    // The selection shows only while the field has the focus.
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    bool OEMConvert() const { return FOEMConvert; }
    void SetOEMConvert(bool Value);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);  // bsNone or bsSingle

    void Clear();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    bool CanUndo();
    void Undo();
    void ClearUndo();

    // After each change of the text: typed, pasted, undone or set.
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(TMessage& Message) override;
    void DoEnter() override;
    void CMFontChanged(TMessage& Message) override;
    virtual void CMTextChanged(TMessage& Message);
    virtual void Change();
    void AdjustHeight();
    // The field's window, made when the control has a parent; null otherwise.
    HWND field();
    bool multiLine();

    int FMaxLength = 0;
    bool FReadOnly = false;
    char FPasswordChar = 0;
    TEditCharCase FCharCase = ecNormal;
    bool FModified = false;  // the field's flag while there is no window
    bool FAutoSelect = true;
    bool FAutoSize = true;
    bool FHideSelection = true;
    bool FOEMConvert = false;
    TFormBorderStyle FBorderStyle = bsSingle;
};

class TEdit : public TCustomEdit {
public:
    explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
    AnsiString ClassName() const override { return "TEdit"; }
};

namespace varn::detail {
// Registers the edit and memo classes for form descriptions.
void registerEditClasses();
}
