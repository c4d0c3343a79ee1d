// Forms, the application object and the screen.
#pragma once

#include "platform/Controls.h"
#include "platform/win/Types.h"

#include <functional>
#include <vector>

// The application's message event: sees every queued message before it is
// translated and dispatched; setting Handled stops the dispatch.
using TMessageEvent = std::function<void(tagMSG& Msg, bool& Handled)>;
using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                 poMainFormCenter, poOwnerFormCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// ---- TForm -------------------------------------------------------------------------

class TForm : public TWinControl {
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;
    AnsiString ClassName() const override { return "TForm"; }

    // Fires OnCreate; Application->CreateForm calls it once the form is built.
    void AfterConstruction() override;

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    void SetClientWidth(int Value) override;
    void SetClientHeight(int Value) override;

    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* Control);
    // Gives Control the focus now when the form is active, else when it activates.
    void FocusControl(TWinControl* Control);
    // Called when a control of this form receives the focus.
    void SetFocusedControl(TWinControl* Control);
    bool Active() const { return FActive; }

    void Show();
    void Close();
    // Frees the form once the messages already queued for it are handled.
    void Release();
    void SetFocus() override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;
    virtual bool CloseQuery();
    virtual void Activate();
    virtual void Deactivate();
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void onActivate(TMessage& Message);
    void onDialogKey(TMessage& Message);
    void onSysChar(TMessage& Message);
    void placeOnScreen();

    TFormBorderStyle FBorderStyle = bsSizeable;
    TPosition FPosition = poDesigned;
    TWinControl* FActiveControl = nullptr;  // focused control, or the one to focus on activation
    bool FActive = false;
    bool created = false;  // OnCreate fired
};

using TCustomForm = TForm;

// The top-level form that holds Control, or null.
TForm* GetParentForm(TControl* Control);

// Whether the character VK is the accelerator that '&' marks in Str ("&&" is a plain
// '&'); letters compare without regard to case, accented ones included.
bool IsAccel(WORD VK, const AnsiString& Str);

// ---- TApplication -------------------------------------------------------------------

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;
    AnsiString ClassName() const override { return "TApplication"; }

    // Shows windows on the display when there is one (the live backend), else
    // keeps the headless backend. Call it before creating forms.
    void Initialize();
    // Creates a form owned by the application; the first one becomes MainForm.
    template <typename T>
    void CreateForm(T*& Reference)
    {
        Reference = new T(this);
        if (!FMainForm)
            FMainForm = Reference;
        Reference->AfterConstruction();
    }
    TForm* MainForm() const { return FMainForm; }
    // Shows the main form and handles messages until Terminate (or, headless,
    // until nothing can happen any more).
    void Run();
    // Handles every message waiting in the queue, then returns.
    void ProcessMessages();
    // Handles one message, or waits for one when the queue is empty.
    void HandleMessage();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    // Clears Terminated again (tests run several loops in one process).
    void ResetTerminated() { FTerminated = false; }

    AnsiString Title;
    TMessageEvent OnMessage;
    TNotifyEvent OnIdle;
    TExceptionEvent OnException;

    int MessageBox(const AnsiString& text, const AnsiString& caption, int flags);
    // Replaces the message-box handler and returns the previous one; an empty
    // handler restores the default.
    TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);
    void ShowException(const Exception& E);
    // Reports an exception that escaped a message handler: OnException when
    // assigned, else ShowException.
    void HandleException(TObject* Sender);

    // The control under the mouse, told of entering and leaving.
    TControl* MouseControl() const { return FMouseControl; }
    // Shows the cursor for the mouse over Control (the screen cursor when set).
    void showCursor(TControl* Control);
    void controlDestroyed(TControl* Control);
    void formDestroyed(TForm* Form);

private:
    bool ProcessMessage(MSG& Msg);
    bool IsKeyMsg(MSG& Msg);
    void updateMouseControl();

    TForm* FMainForm = nullptr;
    bool FTerminated = false;
    TControl* FMouseControl = nullptr;
};

extern TApplication* Application;

// ---- TScreen -------------------------------------------------------------------------

class TScreen : public TComponent {
public:
    TScreen() : TComponent(nullptr) {}
    AnsiString ClassName() const override { return "TScreen"; }

    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    int Width() const;
    int Height() const;
    TForm* ActiveForm() const { return FActiveForm; }
    int FormCount() const { return static_cast<int>(forms.size()); }
    TForm* Forms(int Index) const { return forms.at(static_cast<size_t>(Index)); }

private:
    TCursor FCursor = crDefault;
    TForm* FActiveForm = nullptr;
    std::vector<TForm*> forms;  // every existing form, in creation order

    friend class TForm;
};

extern TScreen* Screen;
