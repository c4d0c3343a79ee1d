// The edit control over the window system's "EDIT" class: the control's
// properties become the field's styles and messages; the field's EN_CHANGE comes
// back (as CN_COMMAND from the parent) as OnChange.
#include "platform/Edit.h"

#include "platform/Bitmap.h"
#include "platform/Graphics.h"
#include "platform/Memo.h"
#include "platform/Streaming.h"

#include <algorithm>

namespace {

// Heights are measured on a private bitmap: an edit may be sized before its form
// has a window.
int fontLineHeight(TFont* font)
{
    static TBitmap* bitmap = [] {
        auto* b = new TBitmap;  // kept for the program, like the font cache it feeds
        b->SetSize(1, 1);
        return b;
    }();
    bitmap->Canvas()->SetFont(font);
    return bitmap->Canvas()->TextHeight("Ag");
}

AnsiString upToNul(const AnsiString& value) { return value.substr(0, value.find('\0')); }

}  // namespace

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner)
{
    // No csCaptureMouse: the field holds the mouse itself while it selects.
    ControlStyle = {csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
    FColor = clWindow;
    FTabStop = true;
    FWidth = 121;
    FHeight = 21;
    AdjustHeight();
}

HWND TCustomEdit::field()
{
    if (HandleAllocated())
        return FHandle;
    return FParent || FParentWindow ? Handle() : nullptr;
}

bool TCustomEdit::multiLine() { return FHandle && (GetWindowLongPtr(FHandle, GWL_STYLE) & ES_MULTILINE); }

void TCustomEdit::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "EDIT");
    Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    if (FBorderStyle == bsSingle)
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    if (FReadOnly)
        Params.Style |= ES_READONLY;
    if (FCharCase == ecUpperCase)
        Params.Style |= ES_UPPERCASE;
    else if (FCharCase == ecLowerCase)
        Params.Style |= ES_LOWERCASE;
    if (!FHideSelection)
        Params.Style |= ES_NOHIDESEL;
    if (FPasswordChar)
        Params.Style |= ES_PASSWORD;
}

void TCustomEdit::CreateWnd()
{
    TWinControl::CreateWnd();
    SendMessage(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
    SendMessage(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(std::max(0, FMaxLength)), 0);
    SendMessage(FHandle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(FPasswordChar), 0);
    SendMessage(FHandle, EM_SETMODIFY, FModified, 0);
}

// The text and the modified flag stay with the control until the next window.
void TCustomEdit::DestroyWnd()
{
    if (FHandle) {
        FText = GetText();
        FModified = SendMessage(FHandle, EM_GETMODIFY, 0, 0) != 0;
    }
    TWinControl::DestroyWnd();
}

void TCustomEdit::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        if (HIWORD(Message.WParam) == EN_CHANGE)
            Change();
        break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    default: TWinControl::Dispatch(Message);
    }
}

AnsiString TCustomEdit::GetText() const
{
    if (!FHandle)
        return FText;
    int count = GetWindowTextLength(FHandle);
    AnsiString text(static_cast<size_t>(count) + 1, '\0');
    count = GetWindowText(FHandle, text.data(), count + 1);
    text.resize(static_cast<size_t>(std::max(0, count)));
    return text;
}

void TCustomEdit::SetText(const AnsiString& Value)
{
    AnsiString text = upToNul(Value);
    if (GetText() == text)
        return;
    FText = text;
    if (FHandle)
        SetWindowText(FHandle, text.c_str());
    Perform(CM_TEXTCHANGED, 0, 0);
}

// A single-line field reports text set from outside with EN_CHANGE; a multi-line
// one, or a control without a window, does not, so the change is told here.
void TCustomEdit::CMTextChanged(TMessage&)
{
    if (!FHandle || multiLine())
        Change();
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::DoEnter()
{
    if (FAutoSelect && FHandle && !multiLine())
        SelectAll();
    TWinControl::DoEnter();
}

void TCustomEdit::CMFontChanged(TMessage& Message)
{
    TWinControl::CMFontChanged(Message);
    if (FHandle)
        SendMessage(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 1);
    AdjustHeight();
}

void TCustomEdit::AdjustHeight()
{
    if (!FAutoSize || ComponentState().Contains(csLoading))
        return;
    SetHeight(fontLineHeight(FFont.get()) + 8);
}

void TCustomEdit::SetAutoSize(bool Value)
{
    if (FAutoSize == Value)
        return;
    FAutoSize = Value;
    if (Value)
        ControlStyle << csFixedHeight;
    else
        ControlStyle >> csFixedHeight;
    AdjustHeight();
}

// ---- Selection ---------------------------------------------------------------------------

int TCustomEdit::SelStart()
{
    HWND h = field();
    DWORD start = 0;
    if (h)
        SendMessage(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int Value)
{
    if (HWND h = field())
        SendMessage(h, EM_SETSEL, static_cast<WPARAM>(std::max(0, Value)), std::max(0, Value));
}

int TCustomEdit::SelLength()
{
    HWND h = field();
    DWORD start = 0, end = 0;
    if (h)
        SendMessage(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int Value)
{
    HWND h = field();
    if (!h)
        return;
    DWORD start = 0;
    SendMessage(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    SendMessage(h, EM_SETSEL, start, static_cast<LPARAM>(start) + std::max(0, Value));
}

AnsiString TCustomEdit::SelText()
{
    HWND h = field();
    if (!h)
        return AnsiString();
    DWORD start = 0, end = 0;
    SendMessage(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return GetText().substr(start, end - start);
}

void TCustomEdit::SetSelText(const AnsiString& Value)
{
    if (HWND h = field())
        SendMessage(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(upToNul(Value).c_str()));
}

void TCustomEdit::SelectAll()
{
    if (HWND h = field())
        SendMessage(h, EM_SETSEL, 0, -1);
}

// ---- Properties --------------------------------------------------------------------------

void TCustomEdit::SetMaxLength(int Value)
{
    if (FMaxLength == Value)
        return;
    FMaxLength = Value;
    if (FHandle)
        SendMessage(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(std::max(0, Value)), 0);
}

void TCustomEdit::SetReadOnly(bool Value)
{
    if (FReadOnly == Value)
        return;
    FReadOnly = Value;
    if (FHandle)
        SendMessage(FHandle, EM_SETREADONLY, Value, 0);
}

void TCustomEdit::SetPasswordChar(char Value)
{
    if (FPasswordChar == Value)
        return;
    FPasswordChar = Value;
    if (FHandle)
        SendMessage(FHandle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(Value), 0);
}

void TCustomEdit::SetCharCase(TEditCharCase Value)
{
    if (FCharCase == Value)
        return;
    FCharCase = Value;
    RecreateWnd();
}

void TCustomEdit::SetHideSelection(bool Value)
{
    if (FHideSelection == Value)
        return;
    FHideSelection = Value;
    RecreateWnd();
}

void TCustomEdit::SetOEMConvert(bool Value)
{
    if (FOEMConvert == Value)
        return;
    FOEMConvert = Value;
    RecreateWnd();
}

void TCustomEdit::SetBorderStyle(TFormBorderStyle Value)
{
    if (FBorderStyle == Value)
        return;
    FBorderStyle = Value;
    RecreateWnd();
}

bool TCustomEdit::Modified()
{
    if (!FHandle)
        return FModified;
    return SendMessage(FHandle, EM_GETMODIFY, 0, 0) != 0;
}

void TCustomEdit::SetModified(bool Value)
{
    FModified = Value;
    if (FHandle)
        SendMessage(FHandle, EM_SETMODIFY, Value, 0);
}

// ---- Operations --------------------------------------------------------------------------

void TCustomEdit::Clear() { SetText(AnsiString()); }

void TCustomEdit::ClearSelection()
{
    if (HWND h = field())
        SendMessage(h, WM_CLEAR, 0, 0);
}

void TCustomEdit::CopyToClipboard()
{
    if (HWND h = field())
        SendMessage(h, WM_COPY, 0, 0);
}

void TCustomEdit::CutToClipboard()
{
    if (HWND h = field())
        SendMessage(h, WM_CUT, 0, 0);
}

void TCustomEdit::PasteFromClipboard()
{
    if (HWND h = field())
        SendMessage(h, WM_PASTE, 0, 0);
}

bool TCustomEdit::CanUndo() { return FHandle && SendMessage(FHandle, EM_CANUNDO, 0, 0) != 0; }

void TCustomEdit::Undo()
{
    if (FHandle)
        SendMessage(FHandle, WM_UNDO, 0, 0);
}

void TCustomEdit::ClearUndo()
{
    if (FHandle)
        SendMessage(FHandle, EM_EMPTYUNDOBUFFER, 0, 0);
}

namespace varn::detail {

void registerEditClasses()
{
    static const TIdentList charCaseIdents = {
        {"ecNormal", ecNormal}, {"ecUpperCase", ecUpperCase}, {"ecLowerCase", ecLowerCase}};
    using E = TCustomEdit;
    RegisterPublishedClass<TCustomEdit>("TCustomEdit", "TWinControl")
        .Hide({"Caption"})
        .Boolean("AutoSelect", &E::AutoSelect, &E::SetAutoSelect, true)
        .Boolean("AutoSize", &E::AutoSize, &E::SetAutoSize, true)
        .Enumeration("BorderStyle", &E::BorderStyle, &E::SetBorderStyle, ControlBorderStyleIdents(),
                     std::optional(bsSingle))
        .Enumeration("CharCase", &E::CharCase, &E::SetCharCase, charCaseIdents, std::optional(ecNormal))
        .Colour("Color", &TControl::Color, &TControl::SetColor, clWindow)
        .Boolean("HideSelection", &E::HideSelection, &E::SetHideSelection, true)
        .Integer("MaxLength", &E::MaxLength, &E::SetMaxLength, 0)
        .Boolean("OEMConvert", &E::OEMConvert, &E::SetOEMConvert, false)
        .String("PasswordChar",
                [](E* e) { return e->PasswordChar() ? AnsiString(1, e->PasswordChar()) : AnsiString(); },
                [](E* e, const AnsiString& v) { e->SetPasswordChar(v.empty() ? '\0' : v[0]); })
        .Boolean("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false)
        .Boolean("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
        .String("Text", [](E* e) { return e->GetText(); }, [](E* e, const AnsiString& v) { e->SetText(v); })
        .Event("OnChange", &E::OnChange);
    RegisterPublishedClass<TEdit>("TEdit", "TCustomEdit");
    registerMemoClasses();
}

}  // namespace varn::detail
