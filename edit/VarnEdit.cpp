// The edit box's value side and its input: modes, setText/getText, the edit
// cycle, keys, focus and the mouse. Painting is in VarnEditPaint.cpp.
//
//   WM_CHAR     -> onChar: combo modes step items or swallow; others filter by
//                  FAllowedChars, then OnKeyPress, beginEdit, field, processEndEdit(false)
//   WM_KEYDOWN  -> onKeyDown: Escape restores the focus-time value, Ctrl+Down opens
//                  the picker, other keys go to the field, then processEndEdit(false)
//   WM_KILLFOCUS-> processEndEdit(true): the stored text is normalised and OnChange
//                  fires once when the text changed
#include "edit/VarnEditInterior.h"

#include "controls/VarnScroll.h"
#include "platform/Bitmap.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "utils/Cnvtools.h"

#include <algorithm>

const AnsiString TVarnEdit::separatorMark = "#separator#";

namespace {

AnsiString withoutBlanks(AnsiString text)
{
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

// The lines joined by line breaks, without one after the last.
AnsiString joinLines(const TStrings* lines)
{
    AnsiString text;
    for (int i = 0; i < lines->Count(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += lines->Strings(i);
    }
    return text;
}

const char* allowedCharsOf(sVarnEditMode mode)
{
    switch (mode) {
    case sEditDate: return "01234567890/- ";
    case sEditTime: return "01234567890:";
    case sEditInteger: return "01234567890- ";
    case sEditDouble: return "01234567890-,. ";
    default: return "";
    }
}

}  // namespace

TVarnEdit::TVarnEdit(TComponent* AOwner)
    : TWinControl(AOwner),
      ComboTexts(std::make_unique<TStringList>()),
      ComboValues(std::make_unique<TStringList>()),
      FCanvas(std::make_unique<TControlCanvas>()),
      FLines(std::make_unique<TStringList>())
{
    ControlStyle = {csClickEvents, csSetCaption, csDoubleClicks, csFixedHeight};
    FWidth = 121;
    FHeight = 17;
    FTabStop = true;
    FParentColor = false;
    FParentFont = true;
    FColor = clWindow;
    FCursor = crIBeam;
    FCanvas->SetControl(this);
    FScrollBar = new TVarnScroll(this);
    FScrollBar->SetParent(this);
    configureScrollBar();
    FScrollBar->OnScroll = [this](TObject* Sender, TScrollCode code, int& position) {
        onScrollBar(Sender, code, position);
    };
}

TVarnEdit::~TVarnEdit()
{
    // A picker (open, or closed and waiting to be freed) goes while the box is still
    // whole: freeing its window activates the box's form, which looks at the box.
    for (int i = ComponentCount() - 1; i >= 0; --i)
        if (auto* picker = dynamic_cast<TXPopUpForm*>(Components(i)))
            delete picker;
}

void TVarnEdit::configureScrollBar()
{
    FScrollBar->SetVisible(false);
    FScrollBar->SetWidth(16);
    FScrollBar->SetButtonWidth(16);
    FScrollBar->SetScrollerWidth(16);
    FScrollBar->SetKind(sbVertical);
    FScrollBar->SetAlign(alRight);
}

// ---- Value ---------------------------------------------------------------------------

bool TVarnEdit::IsCombo() const { return Mode == sEditDate || Mode == sEditList || Mode == sEditBoolean; }

void TVarnEdit::setMode(sVarnEditMode m)
{
    Mode = m;
    if (m == sEditDate && Format.empty())
        Format = "DD/MM/YYYY";
    if (m == sEditTime && Format.empty())
        Format = "HH:MM";
    FAllowedChars = allowedCharsOf(m);
    if (m == sEditBoolean && ComboTexts->Count() == 0) {
        clear();
        add("no", "false");
        add("s\xED", "true");
    }
    SetCursor(IsCombo() ? crHandPoint : crIBeam);
    showScrollBarForMode();
    RecreateWnd();
    if (m == sEditMemo)
        Situa_ScrollBar();
    Invalidate();
}

void TVarnEdit::setFormat(const AnsiString& f)
{
    if (f == Format)
        return;
    Format = f;
    if (Mode == sEditDate)
        setShown(FDate.isNull() ? AnsiString() : FDate.formatString(Format));
    Invalidate();
}

void TVarnEdit::setText(const AnsiString& given)
{
    const AnsiString t = given;  // may be a reference into this box's own fields
    switch (Mode) {
    case sEditString:
    case sEditMemo: FTextValue = t; break;
    case sEditInteger: {
        FTextValue.clear();
        AnsiString s = withoutBlanks(t);
        if (s.empty())
            return;
        FTextValue = cnvIntToStr(StrToIntDef(s, 0));
        break;
    }
    case sEditDouble: {
        FTextValue.clear();
        AnsiString s = withoutBlanks(t);
        if (s.empty())
            return;
        double value = StrToFloat(s);
        FTextValue = Format.empty() ? cnvDoubleToStr(value, 2) : FormatFloat(Format, value);
        break;
    }
    case sEditDate: {
        AnsiString s = withoutBlanks(t);
        if (s.empty()) {
            FDate.clear();
            FTextValue.clear();
            return;
        }
        // Parsed into a copy: a text that gives no real date raises and leaves the
        // date as it was, so getText() keeps working.
        sDB_date parsed;
        parsed.setFromText(s);
        FTextValue = parsed.formatString(Format);
        FDate = parsed;
        break;
    }
    case sEditTime: {
        AnsiString s = withoutBlanks(t);
        if (s.empty()) {
            FTime.clear();
            FTextValue.clear();
            return;
        }
        sDB_time parsed;
        parsed.setFromText(s);
        FTextValue = parsed.formatString(Format);
        FTime = parsed;
        break;
    }
    case sEditList:
    case sEditBoolean: {
        FItemIndex = -1;
        int i = -1;  // exact and case-sensitive, first match
        for (int k = 0; k < ComboValues->Count() && i < 0; ++k)
            if (ComboValues->Strings(k) == t)
                i = k;
        if (i < 0)
            return;
        FItemIndex = i;
        setShown(ComboTexts->Strings(i));
        Invalidate();
        return;
    }
    }
    commonEnd();
}

void TVarnEdit::commonEnd()
{
    setShown(FTextValue);
    showScrollBarForMode();
    if (Mode == sEditMemo)
        Situa_ScrollBar();
    SetModified(false);
    Invalidate();
}

AnsiString TVarnEdit::getText() const
{
    switch (Mode) {
    case sEditDate: return FDate.isNull() ? AnsiString() : FDate.formatString(Format);
    case sEditTime: return FTime.formatString(Format);
    case sEditList:
    case sEditBoolean:
        if (FItemIndex >= 0 && FItemIndex < ComboValues->Count())
            return ComboValues->Strings(FItemIndex);
        return AnsiString();
    default: return FTextValue;
    }
}

AnsiString TVarnEdit::getTextVisible() const
{
    if (Mode == sEditList || Mode == sEditBoolean) {
        if (FItemIndex >= 0 && FItemIndex < ComboValues->Count())
            return ComboTexts->Strings(FItemIndex);
        return AnsiString();
    }
    return getText();
}

void TVarnEdit::setDate(sDB_date d)
{
    FDate = d;
    setShown(d.isNull() ? AnsiString() : d.formatString(Format));
    Invalidate();
}

void TVarnEdit::setTime(sDB_time t)
{
    FTime = t;
    setShown(t.formatString(Format));
    Invalidate();
}

void TVarnEdit::setItemIndex(int i)
{
    if (Mode != sEditList && Mode != sEditBoolean)
        return;
    beginEdit();
    setText(ComboValues->Strings(i));
}

void TVarnEdit::add(const AnsiString& text, const AnsiString& value)
{
    ComboTexts->Add(text);
    ComboValues->Add(value);
}

void TVarnEdit::clear()
{
    ComboTexts->Clear();
    ComboValues->Clear();
}

int TVarnEdit::getCount() const { return ComboTexts->Count(); }

void TVarnEdit::setComboTexts(TStrings* list) { ComboTexts->Assign(list); }
void TVarnEdit::setComboValues(TStrings* list) { ComboValues->Assign(list); }

void TVarnEdit::doChange()
{
    if (OnChange)
        OnChange(this);
}

void TVarnEdit::DefaultOnCombo(TObject* Sender)
{
    if (!IsCombo())
        return;
    if (OnCombo) {
        OnCombo(Sender);
        return;
    }
    TXPopUpForm* picker = nullptr;
    if (Mode == sEditDate)
        picker = new TXDatePopUpForm(this);
    else
        picker = new TXKeyPopForm(this);
    picker->AfterConstruction();  // the creation event places, hooks and fills it
    // While the focus moves into the picker the box keeps its focused look.
    FPopupHandle = picker->innerControl()->Handle();
    picker->Show();
    FPopupHandle = nullptr;
}

void TVarnEdit::processEndEdit(bool commit)
{
    if (ReadOnly || IsCombo())
        return;
    AnsiString text = shown();
    if (text != FTextValue) {
        FTextValue = text;
        SetModified(true);
        if (Mode == sEditMemo)
            Situa_ScrollBar();
        eventPostModified();
    }
    if (commit && GetModified()) {
        setText(text);
        doChange();
        SetModified(false);
    }
}

void TVarnEdit::restoreFocusValue()
{
    FTextValue = focusValue.textValue;
    switch (Mode) {
    case sEditDate: FDate = focusValue.date; break;
    case sEditTime: FTime = focusValue.time; break;
    case sEditList:
    case sEditBoolean: FItemIndex = focusValue.itemIndex; break;
    default: break;
    }
    setShown(getTextVisible());
    SetModified(false);
    if (Mode == sEditMemo)
        Situa_ScrollBar();
    Invalidate();
}

void TVarnEdit::setShown(const AnsiString& text)
{
    if (GetText() == text)
        return;
    TWinControl::SetText(text);
}

AnsiString TVarnEdit::GetText() const
{
    if (!FHandle)
        return FText;
    int count = GetWindowTextLength(FHandle);
    AnsiString text(static_cast<size_t>(count) + 1, '\0');
    count = GetWindowText(FHandle, text.data(), count + 1);
    text.resize(static_cast<size_t>(std::max(0, count)));
    return text;
}

// ---- Edit-field operations -----------------------------------------------------------

void TVarnEdit::Clear() { TWinControl::SetText(AnsiString()); }

void TVarnEdit::DoSetMaxLength(int n)
{
    if (FHandle)
        SendMessage(FHandle, EM_LIMITTEXT, static_cast<WPARAM>(std::max(0, n)), 0);
}

void TVarnEdit::CopyToClipboard()
{
    if (FHandle)
        SendMessage(FHandle, WM_COPY, 0, 0);
}

void TVarnEdit::CutToClipboard()
{
    if (FHandle)
        SendMessage(FHandle, WM_CUT, 0, 0);
}

void TVarnEdit::PasteFromClipboard()
{
    if (FHandle)
        SendMessage(FHandle, WM_PASTE, 0, 0);
}

void TVarnEdit::Undo()
{
    if (FHandle)
        SendMessage(FHandle, WM_UNDO, 0, 0);
}

void TVarnEdit::ClearUndo()
{
    if (FHandle)
        SendMessage(FHandle, EM_EMPTYUNDOBUFFER, 0, 0);
}

bool TVarnEdit::GetCanUndo() { return FHandle && SendMessage(FHandle, EM_CANUNDO, 0, 0) != 0; }

void TVarnEdit::SelectAll()
{
    if (FHandle)
        SendMessage(FHandle, EM_SETSEL, 0, -1);
}

void TVarnEdit::SelectNone()
{
    if (FHandle)
        SendMessage(FHandle, EM_SETSEL, 0, 0);
}

void TVarnEdit::ClearSelection()
{
    if (FHandle)
        SendMessage(FHandle, WM_CLEAR, 0, 0);
}

int TVarnEdit::SelStart()
{
    DWORD start = 0;
    if (FHandle)
        SendMessage(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return static_cast<int>(start);
}

int TVarnEdit::SelLength()
{
    DWORD start = 0, end = 0;
    if (FHandle)
        SendMessage(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

bool TVarnEdit::IsAllSelected()
{
    if (!FHandle)
        return false;
    DWORD start = 0, end = 0;
    SendMessage(FHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return start == 0 && static_cast<int>(end) == GetWindowTextLength(FHandle);
}

bool TVarnEdit::GetModified()
{
    if (!FHandle)
        return FModifiedSaved;
    return SendMessage(FHandle, EM_GETMODIFY, 0, 0) != 0;
}

void TVarnEdit::SetModified(bool Value)
{
    if (FHandle)
        SendMessage(FHandle, EM_SETMODIFY, Value, 0);
    else
        FModifiedSaved = Value;
}

int TVarnEdit::GetLineHeight()
{
    // Measured on a private bitmap: the box may have no window yet.
    static TBitmap* bitmap = [] {
        auto* b = new TBitmap;  // kept for the program
        b->SetSize(1, 1);
        return b;
    }();
    bitmap->Canvas()->SetFont(FFont.get());
    return bitmap->Canvas()->TextHeight("Xy");
}

// ---- Window --------------------------------------------------------------------------

void TVarnEdit::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "EDIT");
    // The frame that PaintSpecial draws is the box's border; see docs/decisions.md.
    if (Mode == sEditMemo)
        Params.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
    else
        Params.Style |= ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    if (ReadOnly)
        Params.Style |= ES_READONLY;
    if (CharCase == ecUpperCase)
        Params.Style |= ES_UPPERCASE;
    else if (CharCase == ecLowerCase)
        Params.Style |= ES_LOWERCASE;
    if (!HideSelection)
        Params.Style |= ES_NOHIDESEL;
    // OEMConvert is kept and streamed; the field's texts are Latin-1 throughout, so
    // there is no OEM code page to convert through.
}

void TVarnEdit::CreateWnd()
{
    TWinControl::CreateWnd();
    SendMessage(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 0);
    DoSetMaxLength(MaxLength);
    SendMessage(FHandle, EM_SETMODIFY, FModifiedSaved, 0);
    if (PasswordChar)
        SendMessage(FHandle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(PasswordChar), 0);
    SetCursor(IsCombo() ? crHandPoint : crIBeam);
    SetEditRect();
}

void TVarnEdit::DestroyWnd()
{
    if (FHandle) {
        FText = GetText();
        FModifiedSaved = SendMessage(FHandle, EM_GETMODIFY, 0, 0) != 0;
    }
    TWinControl::DestroyWnd();
}

void TVarnEdit::Loaded()
{
    TWinControl::Loaded();
    // Text is read before Mode, Format and the items: apply it again in the mode the
    // box ended in, so a stored date, time or item comes back. Lines read from a
    // description are the memo's text.
    AnsiString stored = FLines->Count() > 0 ? joinLines(FLines.get()) : FTextValue;
    if (!stored.empty() && stored != getText()) {
        try {
            setText(stored);
        } catch (const EConvertError&) {
            setShown(stored);  // kept as it was written, as if typed
        }
    }
    if (Mode == sEditMemo) {
        configureScrollBar();
        FScrollBar->SetVisible(true);
        if (FHandle)
            SendMessage(FHandle, EM_SETSEL, 0, 0);
        Situa_ScrollBar();
    } else {
        FScrollBar->SetVisible(false);
    }
    SetEditRect();
}

void TVarnEdit::Resize()
{
    TWinControl::Resize();
    SetEditRect();
}

void TVarnEdit::showScrollBarForMode()
{
    if (Mode == sEditMemo) {
        configureScrollBar();
        FScrollBar->SetVisible(true);
    } else {
        FScrollBar->SetVisible(false);
    }
}

void TVarnEdit::SetEditRect()
{
    TRect r{0, 0, ClientWidth(), ClientHeight()};
    switch (Mode) {
    case sEditMemo:
        showScrollBarForMode();
        r.right -= FScrollBar->Width() + 6;
        break;
    case sEditList:
    case sEditBoolean: r.right -= 20; break;
    case sEditDate: r.right -= DateNavigator ? 26 : 20; break;
    default: break;
    }
    if (Mode != sEditMemo)
        FScrollBar->SetVisible(false);
    editRect = r;
    if (FHandle)
        SendMessage(FHandle, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TVarnEdit::Situa_ScrollBar()
{
    if (Mode != sEditMemo)
        return;
    if (!FHandle || GetWindowTextLength(FHandle) == 0) {
        FScrollBar->SetEnabled(false);
        return;
    }
    int lines = static_cast<int>(SendMessage(FHandle, EM_GETLINECOUNT, 0, 0));
    int visible = ClientHeight() / std::max(1, GetLineHeight());
    if (lines < visible) {
        FScrollBar->SetEnabled(false);
        return;
    }
    FScrollBar->SetEnabled(true);
    FScrollBar->SetMin(0);
    FScrollBar->SetMax(lines - visible + 1);
    FScrollBar->SetPosition(static_cast<int>(SendMessage(FHandle, EM_GETFIRSTVISIBLELINE, 0, 0)));
}

void TVarnEdit::onScrollBar(TObject*, TScrollCode code, int& position)
{
    if (code != scPosition || !FHandle)
        return;
    SendMessage(FHandle, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), 0);
    // The bar's range reaches one line further than the field scrolls: the bar
    // shows where the field really went.
    position = static_cast<int>(SendMessage(FHandle, EM_GETFIRSTVISIBLELINE, 0, 0));
}

// ---- Messages ------------------------------------------------------------------------

void TVarnEdit::WndProc(TMessage& Message)
{
    if (ComponentState().Contains(csDestroying) || ComponentState().Contains(csDesigning)) {
        if (Message.Msg == WM_PAINT && ComponentState().Contains(csDesigning)) {
            onPaint(Message);
            return;
        }
        TWinControl::WndProc(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_PAINT: onPaint(Message); return;
    case WM_SETFOCUS: onSetFocus(Message); return;
    case WM_KILLFOCUS: onKillFocus(Message); return;
    case WM_CHAR:
        if (!ReadOnly) {
            onChar(Message);
            Situa_ScrollBar();
            return;
        }
        break;
    case WM_KEYDOWN:
        if (!ReadOnly) {
            onKeyDown(Message);
            Situa_ScrollBar();
            return;
        }
        break;
    case WM_KEYUP:
        TWinControl::WndProc(Message);
        Situa_ScrollBar();
        return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (onLeftButtonDown(Message))
            return;
        break;
    default: break;
    }
    TWinControl::WndProc(Message);
    if (Message.Msg == WM_CHAR || Message.Msg == WM_KEYDOWN)
        Situa_ScrollBar();
}

void TVarnEdit::onChar(TMessage& Message)
{
    auto ch = static_cast<unsigned char>(Message.WParam);
    if (IsCombo()) {
        if (ch == ' ') {
            int count = std::min(getCount(), ComboValues->Count());
            if ((Mode == sEditList || Mode == sEditBoolean) && count > 0) {
                int i = FItemIndex + 1;
                if (i >= count)
                    i = 0;
                setItemIndex(i);
                FTextValue = ComboValues->Strings(FItemIndex);
                SetModified(true);
                eventPostModified();
                doChange();
                SetModified(false);
            }
            return;
        }
        if (ch > ' ')
            return;
        // A control character (Backspace, Ctrl+C ...) goes once through the steps below.
    } else if (!FAllowedChars.empty() && ch >= ' ' && FAllowedChars.find(static_cast<char>(ch)) == AnsiString::npos) {
        return;
    }
    char key = static_cast<char>(ch);
    if (OnKeyPress)
        OnKeyPress(this, key);
    if (key != 0) {
        beginEdit();
        Message.WParam = static_cast<unsigned char>(key);
        DefaultHandler(Message);
        processEndEdit(false);
    }
    if (OnKeyPressPost)
        OnKeyPressPost(this);
}

void TVarnEdit::onKeyDown(TMessage& Message)
{
    auto key = static_cast<WORD>(Message.WParam);
    if (key == VK_ESCAPE) {
        restoreFocusValue();
        SelectAll();
        return;
    }
    if (key == VK_DOWN && IsCombo() && (GetKeyState(VK_CONTROL) & 0x8000)) {
        DefaultOnCombo(this);
        return;
    }
    beginEdit();
    TWinControl::WndProc(Message);
    processEndEdit(false);
}

void TVarnEdit::onSetFocus(TMessage& Message)
{
    TWinControl::WndProc(Message);
    if (!FHandle)
        return;
    FTextAtFocus = getText();
    setShown(getTextVisible());
    // The stored text follows what is now shown (a time box shows 00:00 before any
    // text was stored), so leaving without typing is no change.
    if (!IsCombo())
        FTextValue = shown();
    focusValue = {FTextValue, FDate, FTime, FItemIndex};
    SelectAll();
    FFocused = true;
    Invalidate();
}

void TVarnEdit::onKillFocus(TMessage& Message)
{
    auto next = reinterpret_cast<HWND>(Message.WParam);
    TWinControl::WndProc(Message);
    if (!FHandle)
        return;
    FFocused = FPopupHandle && next == FPopupHandle;
    Invalidate();
    try {
        processEndEdit(true);  // a text that does not convert raises here and stays as typed
    } catch (...) {
        SelectNone();
        throw;
    }
    SelectNone();
}

bool TVarnEdit::onLeftButtonDown(TMessage& Message)
{
    if (FHandle && GetFocus() != FHandle && CanFocus())
        SetFocus();
    if (!FHandle)
        return true;
    int x = GET_X_LPARAM(Message.LParam);
    int y = GET_Y_LPARAM(Message.LParam);
    int w = ClientWidth();
    int h = ClientHeight();
    if (Mode == sEditDate && DateNavigator && y >= 0 && y < h) {
        if (x >= w - 24 && x < w - 16) {
            stepDate(true);
            return true;
        }
        if (x >= w - 32 && x < w - 24) {
            stepDate(false);
            return true;
        }
    }
    if (IsCombo() && !ReadOnly) {
        DefaultOnCombo(this);
        return true;
    }
    return false;
}

void TVarnEdit::stepDate(bool forward)
{
    sDB_date d = getDate();
    switch (DateNavigatorKind) {
    case sDnkDay: forward ? d.nextDay() : d.prevDay(); break;
    case sDnkWeek: forward ? d.nextWeek() : d.prevWeek(); break;
    case sDnkMonth: forward ? d.nextMonth() : d.prevMonth(); break;
    case sDnkYear: forward ? d.nextYear() : d.prevYear(); break;
    }
    setDate(d);
    eventPostModified();
    doChange();
}

void TVarnEdit::CMFontChanged(TMessage& Message)
{
    TWinControl::CMFontChanged(Message);
    if (FHandle) {
        SendMessage(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Handle()), 1);
        SetEditRect();
    }
}

void TVarnEdit::CMMouseEnter(TMessage& Message)
{
    TWinControl::CMMouseEnter(Message);
    if (!FMouseInside) {
        FMouseInside = true;
        Invalidate();
    }
}

void TVarnEdit::CMMouseLeave(TMessage& Message)
{
    TWinControl::CMMouseLeave(Message);
    if (FMouseInside) {
        FMouseInside = false;
        Invalidate();
    }
}

void TVarnEdit::CMMouseWheel(TMessage& Message)
{
    if (Mode == sEditMemo && FScrollBar->Enabled()) {
        int delta = GET_WHEEL_DELTA_WPARAM(Message.WParam);
        FScrollBar->SetPosition(FScrollBar->Position() + (delta < 0 ? 3 : -3));
        Message.Result = 1;
        return;
    }
    TWinControl::CMMouseWheel(Message);
}

// ---- Published properties ------------------------------------------------------------

void TVarnEdit::setDateNavigator(bool v)
{
    if (v == DateNavigator)
        return;
    DateNavigator = v;
    SetEditRect();
    Invalidate();
}

void TVarnEdit::setDateNavigatorKind(sVarnEdit_dateNavigatorKind v)
{
    DateNavigatorKind = v;
    Invalidate();
}

TStrings* TVarnEdit::getLines()
{
    FLines->SetText(getText());
    return FLines.get();
}

void TVarnEdit::setLines(TStrings* lines) { setText(joinLines(lines)); }

void TVarnEdit::setCharCase(TEditCharCase v)
{
    if (v == CharCase)
        return;
    CharCase = v;
    RecreateWnd();
}

void TVarnEdit::setHideSelection(bool v)
{
    if (v == HideSelection)
        return;
    HideSelection = v;
    RecreateWnd();
}

void TVarnEdit::setMaxLength(int v)
{
    if (v == MaxLength)
        return;
    MaxLength = v;
    if (FHandle)
        DoSetMaxLength(v);
}

void TVarnEdit::setOEMConvert(bool v)
{
    if (v == OEMConvert)
        return;
    OEMConvert = v;
    RecreateWnd();
}

void TVarnEdit::setPasswordChar(char v)
{
    if (v == PasswordChar)
        return;
    PasswordChar = v;
    if (FHandle) {
        SendMessage(FHandle, EM_SETPASSWORDCHAR, static_cast<unsigned char>(v), 0);
        TWinControl::SetText(getText());
    }
}

void TVarnEdit::setReadOnly(bool v)
{
    if (v == ReadOnly)
        return;
    ReadOnly = v;
    if (FHandle)
        SendMessage(FHandle, EM_SETREADONLY, v, 0);
    Invalidate();
}

void TVarnEdit::setShowFrame(bool v)
{
    ShowFrame = v;
    Invalidate();
}

void TVarnEdit::setLabel(const AnsiString& v)
{
    Label = v;
    invalidateLabel();
}

void TVarnEdit::setLabelColor(TColor v)
{
    LabelColor = v;
    invalidateLabel();
}

// The parent repaints the strip left of the box (clearing a previous caption),
// then the box repaints and draws the caption again.
void TVarnEdit::invalidateLabel()
{
    if (FParent && FParent->HandleAllocated()) {
        TRect strip{0, FTop, FLeft, FTop + FHeight};
        InvalidateRect(FParent->Handle(), &strip, TRUE);
    }
    Invalidate();
}
