// The multi-mode edit box: one window of the standard edit field ("EDIT") that
// holds a typed value (text, date, time, keyed list, yes/no, integer, decimal or
// memo), with a painted frame, a drop-down button, a date navigator and a caption
// label drawn on the parent.
//
// Value side: setText/getText and the typed accessors turn texts into the value
// of the mode; typing only updates the stored text, and leaving the box commits
// it (processEndEdit(true)), which fires OnChange once per committed change.
// Window side: the field paints itself, PaintSpecial draws on top; the mouse on
// the navigator steps the date, elsewhere in a combo mode it opens the picker.
#pragma once

#include "db/DBDate.h"
#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Edit.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/ScrollBox.h"

#include <cstdint>
#include <functional>
#include <memory>

class TVarnScroll;

enum sVarnEditMode : uint8_t {
    sEditString,
    sEditDate,
    sEditTime,
    sEditList,
    sEditBoolean,
    sEditInteger,
    sEditDouble,
    sEditMemo
};

enum sVarnEdit_dateNavigatorKind : uint8_t { sDnkDay, sDnkWeek, sDnkMonth, sDnkYear };

class TVarnEdit : public TWinControl {
public:
    explicit TVarnEdit(TComponent* AOwner);
    ~TVarnEdit() override;
    AnsiString ClassName() const override { return "TVarnEdit"; }

    static const AnsiString separatorMark;  // "#separator#": a separator line in the key picker

    // ---- Value ----
    sVarnEditMode getMode() const { return Mode; }
    void setMode(sVarnEditMode m);
    AnsiString getFormat() const { return Format; }
    void setFormat(const AnsiString& f);
    // The value as text (the published Text); what setText stores depends on the mode.
    void setText(const AnsiString& t);
    AnsiString getText() const;
    // What the box shows for its value: the item's text in list and boolean mode.
    AnsiString getTextVisible() const;
    void setDate(sDB_date d);
    sDB_date getDate() const { return FDate; }
    void setTime(sDB_time t);
    sDB_time getTime() const { return FTime; }
    int getItemIndex() const { return FItemIndex; }
    void setItemIndex(int i);

    // Keyed items of list and boolean mode: shown text and stored value, same index.
    void add(const AnsiString& text, const AnsiString& value);
    void clear();
    int getCount() const;
    TStrings* getComboTexts() const { return ComboTexts.get(); }
    TStrings* getComboValues() const { return ComboValues.get(); }
    void setComboTexts(TStrings* list);
    void setComboValues(TStrings* list);

    bool IsCombo() const;
    // Opens the picker of the mode: OnCombo when assigned, else the built-in picker
    // (the date picker in date mode, the list picker in list and boolean mode).
    void DefaultOnCombo(TObject* Sender);
    // The edit-cycle step after each key and, with commit, when the focus leaves.
    void processEndEdit(bool commit);
    // Escape: the value the box had when it received the focus, exactly.
    void restoreFocusValue();

    // ---- Hooks, in slot order ----
    virtual void doChange();
    virtual void DoSetMaxLength(int n);
    virtual void eventPostModified() {}
    virtual void Clear();
    virtual void beginEdit() {}

    // ---- Edit-field operations ----
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();
    void ClearUndo();
    bool GetCanUndo();
    void SelectAll();
    void SelectNone();
    void ClearSelection();
    bool IsAllSelected();
    bool GetModified();
    void SetModified(bool Value);
    int GetLineHeight();
    int SelStart();
    int SelLength();
    // The shown text is the window text of the box.
    AnsiString GetText() const override;

    // ---- Window and painting ----
    void SetEditRect();
    void PaintSpecial();
    void printLabel();
    void Situa_ScrollBar();
    TVarnScroll* ScrollBar() const { return FScrollBar; }
    // The text rectangle handed to the field (client coordinates).
    TRect EditRect() const { return editRect; }
    bool MouseInside() const { return FMouseInside; }
    bool IsFocused() const { return FFocused; }

    // ---- Published properties ----
    bool getDateNavigator() const { return DateNavigator; }
    void setDateNavigator(bool v);
    sVarnEdit_dateNavigatorKind getDateNavigatorKind() const { return DateNavigatorKind; }
    void setDateNavigatorKind(sVarnEdit_dateNavigatorKind v);
    TStrings* getLines();
    void setLines(TStrings* lines);
    TEditCharCase getCharCase() const { return CharCase; }
    void setCharCase(TEditCharCase v);
    bool getHideSelection() const { return HideSelection; }
    void setHideSelection(bool v);
    int getMaxLength() const { return MaxLength; }
    void setMaxLength(int v);
    bool getOEMConvert() const { return OEMConvert; }
    void setOEMConvert(bool v);
    char getPasswordChar() const { return PasswordChar; }
    void setPasswordChar(char v);
    bool getReadOnly() const { return ReadOnly; }
    void setReadOnly(bool v);
    bool getShowFrame() const { return ShowFrame; }
    void setShowFrame(bool v);
    AnsiString getLabel() const { return Label; }
    void setLabel(const AnsiString& v);
    TColor getLabelColor() const { return LabelColor; }
    void setLabelColor(TColor v);

    bool sortItems = false;  // the key picker sorts the items by their texts
    HWND FPopupHandle = nullptr;  // the open picker's inner window while DefaultOnCombo shows it

    TNotifyEvent OnChange;
    TNotifyEvent OnPopClose;  // the picker closed
    TNotifyEvent OnKeyPressPost;
    // Replaces the built-in picker when assigned (tests and custom pickers).
    TNotifyEvent OnCombo;
    // OnKeyPress (Sender, Key by reference) is the framework's, inherited.

protected:
    void Loaded() override;
    void WndProc(TMessage& Message) override;
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Resize() override;
    void CMFontChanged(TMessage& Message) override;
    void CMMouseEnter(TMessage& Message) override;
    void CMMouseLeave(TMessage& Message) override;
    void CMMouseWheel(TMessage& Message) override;

    // Value fields.
    AnsiString FAllowedChars;  // characters typing accepts; empty: all
    sVarnEditMode Mode = sEditString;
    AnsiString Format;
    std::unique_ptr<TStringList> ComboTexts;
    std::unique_ptr<TStringList> ComboValues;
    int FItemIndex = -1;
    AnsiString FTextValue;   // the stored text
    AnsiString FTextAtFocus; // getText() when the focus came
    sDB_date FDate;
    sDB_time FTime;

    // Control fields.
    TVarnScroll* FScrollBar = nullptr;  // owned as a child component
    std::unique_ptr<TControlCanvas> FCanvas;
    int MaxLength = 0;
    char PasswordChar = 0;
    bool ReadOnly = false;
    bool HideSelection = true;
    bool OEMConvert = false;
    TEditCharCase CharCase = ecNormal;
    bool FModifiedSaved = false;
    bool FMouseInside = false;
    bool FFocused = false;
    bool ShowFrame = false;
    std::unique_ptr<TStringList> FLines;
    bool DateNavigator = false;
    sVarnEdit_dateNavigatorKind DateNavigatorKind = sDnkDay;
    AnsiString Label;
    TColor LabelColor = 0;

private:
    // The exact value at focus time, so Escape never re-reads a formatted text.
    struct FocusValue {
        AnsiString textValue;
        sDB_date date;
        sDB_time time;
        int itemIndex = -1;
    };

    void setShown(const AnsiString& text);
    AnsiString shown() const { return GetText(); }
    void commonEnd();
    void showScrollBarForMode();
    void configureScrollBar();
    void onChar(TMessage& Message);
    void onKeyDown(TMessage& Message);
    // Answers whether the press was taken (navigator step or picker).
    bool onLeftButtonDown(TMessage& Message);
    void onSetFocus(TMessage& Message);
    void onKillFocus(TMessage& Message);
    void onPaint(TMessage& Message);
    void stepDate(bool forward);
    void onScrollBar(TObject* Sender, TScrollCode code, int& position);
    TColor frameColour() const;
    void invalidateLabel();

    FocusValue focusValue;
    TRect editRect;
};

// ---- Pop-up pickers ---------------------------------------------------------------------
//
// The drop-downs that DefaultOnCombo opens: borderless top-level forms placed
// under the box, not modal. Enter and Escape reach them through the application
// message hook; a get-message hook of the thread swallows a button press outside
// the open picker (which activates the other window, and so closes the picker).
// Closing is always a posted WM_CLOSE, so it happens after the current message.
// The picker frees itself once closed; nothing in the box keeps a pointer to it.

class TVarnFrame;
class TVarnCalendar;
class TVarnGrid;

class TXPopUpForm : public TForm {
public:
    ~TXPopUpForm() override;
    AnsiString ClassName() const override { return "TXPopUpForm"; }

    // The control that takes the keys and the focus: the calendar or the grid.
    virtual TWinControl* innerControl() const = 0;
    // Posts the close request.
    void requestClose();
    // The picker open now, or null (one at a time).
    static TXPopUpForm* openPicker();

    // The application-hook handler: Enter applies the choice and closes, Escape closes.
    void EventAppMessage(tagMSG& Msg, bool& Handled);

    TVarnEdit* FEdit;    // the box that opened the picker, not owned
    TVarnFrame* FFrame;  // owned as a child component

protected:
    explicit TXPopUpForm(TVarnEdit* edit);
    // Steps of the creation event shared by both: under the box (above it when the
    // screen is too short), the window made, the hooks installed.
    void placeAndHook(int width, int height);
    // Enter: the current choice goes into the box.
    virtual void applyChoice() = 0;
    void Deactivate() override;
    void Dispatch(TMessage& Message) override;

private:
    // Runs once: OnPopClose, the hooks dropped, the shared state cleared, the form released.
    void closePicker();
    void unhook();

    bool closed = false;
};

// The date picker: a calendar whose every move fills the box.
class TXDatePopUpForm : public TXPopUpForm {
public:
    explicit TXDatePopUpForm(TVarnEdit* edit);
    AnsiString ClassName() const override { return "TXDatePopUpForm"; }
    TWinControl* innerControl() const override;

    TVarnCalendar* FCalendar;  // child of the frame

protected:
    void applyChoice() override;

private:
    void FormCreate(TObject* Sender);
    void CalendarChange(TObject* Sender);
    void CalendarDblClick(TObject* Sender);
};

// The list picker of list and boolean mode: the box's items in a one-column grid.
class TXKeyPopForm : public TXPopUpForm {
public:
    explicit TXKeyPopForm(TVarnEdit* edit);
    AnsiString ClassName() const override { return "TXKeyPopForm"; }
    TWinControl* innerControl() const override;

    TVarnGrid* FGrid;  // child of the frame

protected:
    void applyChoice() override;

private:
    void FormCreate(TObject* Sender);
    void GridDblClick(TObject* Sender);
};
