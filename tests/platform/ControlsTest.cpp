// Controls, forms, the application loop and timers, driven through the harness.
#include "platform/Controls.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/win/Backend.h"
#include "platform/win/WindowManager.h"
#include "platform/win/backend/headless/HeadlessBackend.h"
#include "support/UiHarness.h"
#include "utils/AppMsgHandler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using varn::test::UiHarness;

std::string rectText(const TRect& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

class TBox : public TCustomControl {
public:
    TBox(TComponent* owner, UiHarness& ui, std::string name) : TCustomControl(owner), ui(ui), name(std::move(name))
    {
        SetName(this->name);
        SetTabStop(true);
        SetBounds(0, 0, 40, 20);
        OnEnter = [this](TObject*) { this->ui.record("enter " + this->name); };
        OnExit = [this](TObject*) { this->ui.record("exit " + this->name); };
        OnMouseEnter = [this](TObject*) { this->ui.record("mouse in " + this->name); };
        OnMouseLeave = [this](TObject*) { this->ui.record("mouse out " + this->name); };
    }
    int dialogCode = 0;
    int inset = 0;  // GetClientRect leaves this much on every side
    int paints = 0;

    TRect GetClientRect() override
    {
        TRect r = TCustomControl::GetClientRect();
        return {r.left + inset, r.top + inset, r.right - inset, r.bottom - inset};
    }

protected:
    void Paint() override { ++paints; }
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg == WM_GETDLGCODE) {
            Message.Result = dialogCode;
            return;
        }
        TCustomControl::Dispatch(Message);
    }
    void KeyDown(WORD& Key, TShiftState Shift) override
    {
        ui.record(name + " key " + std::to_string(Key));
        TCustomControl::KeyDown(Key, Shift);
    }
    void KeyPress(char& Key) override
    {
        if (Key != '\t')
            ui.record(name + " char " + std::string(1, Key));
    }

    UiHarness& ui;
    std::string name;
};

class TSpot : public TGraphicControl {
public:
    TSpot(TComponent* owner, UiHarness& ui) : TGraphicControl(owner), ui(ui)
    {
        SetBounds(50, 50, 40, 40);
        OnClick = [this](TObject*) { this->ui.record("spot click"); };
        OnMouseEnter = [this](TObject*) { this->ui.record("mouse in spot"); };
        OnMouseLeave = [this](TObject*) { this->ui.record("mouse out spot"); };
    }

protected:
    void MouseDown(TMouseButton, TShiftState, int X, int Y) override { ui.record("spot down " + std::to_string(X) + "," + std::to_string(Y)); }
    void MouseMove(TShiftState, int X, int Y) override { ui.record("spot move " + std::to_string(X) + "," + std::to_string(Y)); }
    void MouseUp(TMouseButton, TShiftState, int X, int Y) override { ui.record("spot up " + std::to_string(X) + "," + std::to_string(Y)); }

    UiHarness& ui;
};

TEST(Controls, AlignedChildrenAreLaidOutAndRelaidOutOnResize)
{
    UiHarness ui;
    TForm* form = ui.createForm(400, 300);
    form->SetBorderWidth(5);
    struct Case {
        const char* name;
        TAlign align;
        int top;  // initial position decides the order among equals
        int size;
    };
    const Case cases[] = {{"bottom", alBottom, 0, 25}, {"second", alTop, 100, 30}, {"first", alTop, 0, 20},
                          {"left", alLeft, 0, 40},     {"right", alRight, 0, 50},  {"client", alClient, 0, 10},
                          {"hidden", alTop, 0, 70}};
    std::map<std::string, TBox*> boxes;
    for (const Case& c : cases) {
        auto* box = new TBox(form, ui, c.name);
        box->SetBounds(0, c.top, c.size, c.size);
        if (std::string(c.name) == "hidden")
            box->SetVisible(false);
        box->SetAlign(c.align);
        box->SetParent(form);
        boxes[c.name] = box;
    }
    auto layout = [&] {
        std::map<std::string, std::string> result;
        for (auto& [name, box] : boxes)
            if (box->Visible())
                result[name] = rectText(box->BoundsRect());
        return result;
    };
    std::map<std::string, std::string> expected = {
        {"first", "5,5,395,25"},   {"second", "5,25,395,55"},  {"bottom", "5,270,395,295"},
        {"left", "5,55,45,270"},   {"right", "345,55,395,270"}, {"client", "45,55,345,270"}};
    EXPECT_EQ(layout(), expected);

    ui.show(form);
    form->SetClientWidth(500);
    form->SetClientHeight(400);
    ui.pump();
    expected = {{"first", "5,5,495,25"},  {"second", "5,25,495,55"},   {"bottom", "5,370,495,395"},
                {"left", "5,55,45,370"},  {"right", "445,55,495,370"}, {"client", "45,55,445,370"}};
    EXPECT_EQ(layout(), expected);
    // The windows follow the controls.
    RECT window;
    GetWindowRect(boxes["client"]->Handle(), &window);
    EXPECT_EQ(rectText(window), rectText({100 + 45, 100 + 55, 100 + 445, 100 + 370}));

    // Showing a hidden aligned control takes its strip; a GetClientRect override
    // narrows what its own children get.
    boxes["hidden"]->SetTop(60);  // below "second": it goes after it
    boxes["hidden"]->SetVisible(true);
    EXPECT_EQ(rectText(boxes["hidden"]->BoundsRect()), "5,55,495,125");
    // One that stops being aligned gives its strip back; moving it then moves no other.
    boxes["second"]->SetAlign(alNone);
    EXPECT_EQ(rectText(boxes["hidden"]->BoundsRect()), "5,25,495,95");
    EXPECT_EQ(rectText(boxes["left"]->BoundsRect()), "5,95,45,370");
    boxes["second"]->SetBounds(7, 300, 30, 30);
    EXPECT_EQ(rectText(boxes["second"]->BoundsRect()), "7,300,37,330");
    EXPECT_EQ(rectText(boxes["hidden"]->BoundsRect()), "5,25,495,95");
    TBox* client = boxes["client"];
    client->inset = 3;
    auto* inner = new TBox(form, ui, "inner");
    inner->SetAlign(alClient);
    inner->SetParent(client);
    EXPECT_EQ(rectText(inner->BoundsRect()), rectText({3, 3, client->Width() - 3, client->Height() - 3}));
}

TEST(Controls, TabMovesTheFocusInTabOrderSkippingWhatCannotTakeIt)
{
    UiHarness ui;
    TForm* form = ui.createForm(400, 300);
    auto* e1 = new TBox(form, ui, "e1");
    auto* e2 = new TBox(form, ui, "e2");
    auto* e3 = new TBox(form, ui, "e3");
    auto* e4 = new TBox(form, ui, "e4");
    auto* panel = new TBox(form, ui, "panel");
    auto* e5 = new TBox(form, ui, "e5");
    for (TBox* box : {e1, e2, e3, e4, panel})
        box->SetParent(form);
    e5->SetParent(panel);
    e2->SetTabStop(false);
    e3->SetEnabled(false);
    panel->SetTabStop(false);
    e4->SetTabOrder(0);
    EXPECT_EQ(e1->TabOrder(), 1);

    ui.show(form);
    EXPECT_TRUE(e4->Focused());  // activation focuses the first control in tab order
    EXPECT_EQ(form->ActiveControl(), e4);
    ui.events.clear();
    ui.pressKey(VK_TAB);
    ui.pressKey(VK_TAB);
    ui.pressKey(VK_TAB);
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"exit e4", "enter e1", "exit e1", "enter e5", "exit e5", "enter e4"}));
    ui.pressKey(VK_TAB, {ssShift});
    EXPECT_TRUE(e5->Focused());
    EXPECT_EQ(form->ActiveControl(), e5);
    EXPECT_THROW(e3->SetFocus(), EInvalidOperation);

    // What is typed after a Tab goes to the control the Tab focuses, even when it
    // was typed before the Tab was handled.
    ui.events.clear();
    varn::inputKeyDown(VK_TAB);
    varn::inputKeyUp(VK_TAB);
    varn::inputText("q");
    ui.pump();
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"exit e5", "enter e4", "e4 char q"}));
    ui.pressKey(VK_TAB, {ssShift});

    // A control that asks for Tab gets it as a key instead.
    e5->dialogCode = DLGC_WANTTAB;
    ui.events.clear();
    ui.pressKey(VK_TAB);
    EXPECT_EQ(ui.takeEvents(), std::vector<std::string>{"e5 key 9"});
    EXPECT_TRUE(e5->Focused());

    // A focused control that is destroyed runs none of its handlers on the way out.
    delete e5;
    ui.pump();
    EXPECT_TRUE(ui.events.empty());
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(form->ActiveControl(), nullptr);
}

TEST(Controls, GraphicControlGetsMouseFromItsParentAndKeepsItWhileAButtonIsHeld)
{
    UiHarness ui;
    TForm* form = ui.createForm(400, 300);
    auto* spot = new TSpot(form, ui);
    spot->SetParent(form);
    auto* box = new TBox(form, ui, "box");
    box->SetBounds(200, 50, 40, 40);
    box->SetParent(form);
    ui.show(form);
    ui.events.clear();

    ui.moveTo(box, 5, 5);
    ui.moveTo(spot, 10, 10);
    ui.press(spot, 10, 12);
    ui.moveTo(form, 300, 250);  // outside: the spot still has the mouse
    ui.release(form, 300, 250);
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"mouse in box", "spot move 10,10", "mouse out box",
                                                         "mouse in spot", "spot move 10,12", "spot down 10,12",
                                                         "spot move 250,200", "spot up 250,200", "mouse out spot"}));
    EXPECT_EQ(GetCapture(), nullptr);

    ui.click(spot, 1, 1);
    auto events = ui.takeEvents();
    EXPECT_NE(std::find(events.begin(), events.end(), "spot click"), events.end());
}

TEST(Controls, WheelGoesToTheFocusedControlAndClimbsUntilHandled)
{
    UiHarness ui;
    TForm* form = ui.createForm(400, 300);
    auto* outer = new TBox(form, ui, "outer");
    auto* inner = new TBox(form, ui, "inner");
    outer->SetBounds(10, 10, 200, 200);
    outer->SetParent(form);
    inner->SetParent(outer);
    bool innerTakes = false;
    inner->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool& handled) {
        ui.record("inner " + std::to_string(delta));
        handled = innerTakes;
    };
    outer->OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint at, bool& handled) {
        ui.record("outer " + std::to_string(delta) + " at " + std::to_string(at.x));
        handled = true;
    };
    ui.show(form);
    inner->SetFocus();
    ui.events.clear();
    ui.wheel(form, 300, 5, -1);
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"inner -120", "outer -120 at 400"}));
    innerTakes = true;
    ui.wheel(form, 300, 5, 2);
    EXPECT_EQ(ui.takeEvents(), std::vector<std::string>{"inner 240"});
}

// A window class of its own, as "EDIT" is: it records what reaches its procedure.
std::vector<std::string> classLog;

LRESULT recordingClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR)
        classLog.push_back(std::string("class char ") + static_cast<char>(wParam));
    if (message == WM_LBUTTONDBLCLK)
        classLog.push_back("class dblclk");
    if (message == WM_USER)
        return 42;
    return DefWindowProc(hwnd, message, wParam, lParam);
}

class TSubclassed : public TWinControl {
public:
    TSubclassed(TComponent* owner, UiHarness& ui) : TWinControl(owner), ui(ui)
    {
        SetBounds(10, 10, 100, 20);
        OnClick = [this](TObject*) { this->ui.record("click"); };
        OnDblClick = [this](TObject*) { this->ui.record("dblclick"); };
        OnMouseDown = [this](TObject*, TMouseButton, TShiftState shift, int, int) {
            this->ui.record(shift.Contains(ssDouble) ? "down double" : "down");
        };
        OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { this->ui.record("up"); };
        OnKeyPress = [](TObject*, char& key) {
            if (key == 'x')
                key = 0;  // swallowed before the class sees it
        };
    }

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TWinControl::CreateParams(Params);
        CreateSubClass(Params, "RecordingField");
    }

    UiHarness& ui;
};

TEST(Controls, WindowedControlBuildsOnARegisteredClass)
{
    UiHarness ui;
    WNDCLASS field;
    field.lpszClassName = "RecordingField";
    field.lpfnWndProc = recordingClassProc;
    RegisterClass(&field);
    classLog.clear();

    TForm* form = ui.createForm(200, 100);
    auto* control = new TSubclassed(form, ui);
    control->SetParent(form);
    ui.show(form);
    EXPECT_EQ(control->Perform(WM_USER, 0, 0), 42);  // unhandled: the class answers
    EXPECT_EQ(Screen->Width(), 1280);
    EXPECT_EQ(Screen->Height(), 1024);

    control->SetFocus();
    ui.typeText("axb");
    EXPECT_EQ(classLog, (std::vector<std::string>{"class char a", "class char b"}));

    // The class asks for double clicks because the control does.
    ui.events.clear();
    ui.doubleClick(control, 5, 5);
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"down", "click", "up", "dblclick", "down double", "up"}));
    EXPECT_EQ(classLog.back(), "class dblclk");
}

// Counts the windows made for it and the WM_USER messages its hook handler sees; it
// registers with the hook whenever its window is made, as components do.
class THookedPanel : public TCustomControl {
public:
    explicit THookedPanel(TComponent* owner) : TCustomControl(owner)
    {
        ControlStyle << csAcceptsControls;
        SetBounds(0, 0, 60, 40);
    }
    int windowsMade = 0;
    int hookCalls = 0;
    void onAppMessage(tagMSG& Msg, bool&)
    {
        if (Msg.message == WM_USER)
            ++hookCalls;
    }

protected:
    void CreateWnd() override
    {
        TCustomControl::CreateWnd();
        ++windowsMade;
        RegisterAppMsgHandler(this, AppMessageEvent(this, &THookedPanel::onAppMessage));
    }
};

std::vector<HWND> childWindows(TWinControl* control)
{
    std::vector<HWND> children = varn::detail::find(control->Handle())->children;
    std::sort(children.begin(), children.end());
    return children;
}

TEST(Controls, AHandleReadBeforeTheFormHasAWindowGivesExactlyOneWindow)
{
    UiHarness ui;
    TForm* form = ui.createForm(200, 100);
    auto* outer = new THookedPanel(form);
    outer->SetParent(form);
    auto* inner = new THookedPanel(form);
    inner->SetParent(outer);
    auto* hidden = new THookedPanel(form);
    hidden->SetParent(form);
    hidden->SetVisible(false);
    auto* plain = new TCustomControl(form);  // registered by the application, not by itself
    plain->SetParent(form);
    int plainCalls = 0;
    auto plainHandler = [&](tagMSG& Msg, bool&) { plainCalls += Msg.message == WM_USER; };

    // Every way of reading a handle early: the deepest control first, a hidden one,
    // and a registration with the hook.
    inner->HandleNeeded();
    HWND innerFirst = inner->Handle();
    HWND hiddenFirst = hidden->Handle();
    RegisterAppMsgHandler(plain, TAppMessageEvent{plain, plainHandler});
    HWND plainFirst = plain->Handle();
    HWND outerFirst = outer->Handle();
    ui.show(form);

    for (auto [control, first] : {std::pair<TWinControl*, HWND>{outer, outerFirst}, {inner, innerFirst},
                                  {hidden, hiddenFirst}, {plain, plainFirst}}) {
        EXPECT_EQ(control->Handle(), first);
        EXPECT_TRUE(IsWindow(first));
    }
    EXPECT_EQ(outer->windowsMade, 1);
    EXPECT_EQ(inner->windowsMade, 1);
    EXPECT_EQ(hidden->windowsMade, 1);
    std::vector<HWND> formChildren{outerFirst, hiddenFirst, plainFirst};
    std::sort(formChildren.begin(), formChildren.end());
    EXPECT_EQ(childWindows(form), formChildren);
    EXPECT_EQ(childWindows(outer), std::vector<HWND>{innerFirst});

    // Each handler runs once per message.
    PostMessage(form->Handle(), WM_USER, 0, 0);
    ui.pump();
    EXPECT_EQ(outer->hookCalls, 1);
    EXPECT_EQ(inner->hookCalls, 1);
    EXPECT_EQ(hidden->hookCalls, 1);
    EXPECT_EQ(plainCalls, 1);
}

class TRecordedForm : public TForm {
public:
    explicit TRecordedForm(TComponent* owner) : TForm(owner)
    {
        OnCreate = [this](TObject*) { log().push_back("create"); };
        OnActivate = [this](TObject*) { log().push_back("activate " + Name()); };
        OnDeactivate = [this](TObject*) { log().push_back("deactivate " + Name()); };
    }
    ~TRecordedForm() override { log().push_back("destroyed " + Name()); }
    static std::vector<std::string>& log()
    {
        static std::vector<std::string> entries;
        return entries;
    }
};

TEST(Forms, CreateShowActivateCloseAndRelease)
{
    UiHarness ui;
    TRecordedForm::log().clear();
    auto* main = ui.createForm<TRecordedForm>(400, 300);
    main->SetName("main");
    main->SetPosition(poScreenCenter);
    auto* second = ui.createForm<TRecordedForm>(200, 100);
    second->SetName("second");
    EXPECT_EQ(Application->MainForm(), main);
    ui.show(main);
    EXPECT_EQ(rectText(main->BoundsRect()), rectText({440, 362, 840, 662}));
    EXPECT_EQ(main->ClientWidth(), 400);
    ui.show(second);
    EXPECT_EQ(Screen->ActiveForm(), second);

    // A click on the other form activates it.
    ui.click(main, 5, 5);
    EXPECT_EQ(Screen->ActiveForm(), main);
    EXPECT_EQ(TRecordedForm::log(), (std::vector<std::string>{"create", "create", "activate main", "deactivate main",
                                                              "activate second", "deactivate second", "activate main"}));

    // caFree: the form goes once the queued messages are handled.
    TRecordedForm::log().clear();
    second->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
    second->Close();
    EXPECT_TRUE(TRecordedForm::log().empty());
    ui.pump();
    EXPECT_EQ(TRecordedForm::log(), std::vector<std::string>{"destroyed second"});

    // Closing the main form ends the application.
    main->Close();
    EXPECT_TRUE(Application->Terminated());
}

// The desktop draws the frame of captioned windows, dialogs included: the
// client area is the whole window, whatever the border style.
TEST(Forms, ClientSizeSetBeforeShowingIsKeptForEveryBorderStyle)
{
    UiHarness ui;
    for (TFormBorderStyle style : {bsDialog, bsSingle, bsSizeable, bsToolWindow, bsNone}) {
        auto* form = ui.createForm<TForm>(100, 100);
        form->SetBorderStyle(style);
        form->SetClientWidth(420);
        form->SetClientHeight(292);
        ui.show(form);
        EXPECT_EQ(form->ClientWidth(), 420) << "style " << style;
        EXPECT_EQ(form->ClientHeight(), 292) << "style " << style;
        EXPECT_EQ(form->Width(), 420) << "style " << style;
        delete form;
    }
}

TEST(Application, ExceptionInAHandlerIsShownAndTheLoopGoesOn)
{
    UiHarness ui;
    Application->Title = "Prueba";
    TForm* form = ui.createForm(200, 100);
    auto* box = new TBox(form, ui, "box");
    box->SetParent(form);
    box->OnClick = [](TObject*) { throw EConvertError("'x' is not a valid integer value"); };
    ui.show(form);
    ui.click(box, 5, 5);
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, "'x' is not a valid integer value.");
    EXPECT_EQ(ui.messageBoxes[0].caption, "Prueba");

    // The message event sees queued messages first; Handled keeps them from the window.
    int paintsBefore = box->paints;
    Application->OnMessage = [](tagMSG& msg, bool& handled) { handled = msg.message == WM_PAINT; };
    box->Invalidate();
    MSG msg;
    PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE);
    bool handled = false;
    Application->OnMessage(msg, handled);
    EXPECT_TRUE(handled);
    Application->OnMessage = nullptr;
    ui.pump();
    EXPECT_EQ(box->paints, paintsBefore + 1);
    Application->Title = "";
}

TEST(Application, CursorFollowsTheControlUnderTheMouseUnlessTheScreenCursorIsSet)
{
    UiHarness ui;
    auto& headless = dynamic_cast<varn::HeadlessBackend&>(varn::backend());
    TForm* form = ui.createForm(200, 100);
    auto* panel = new TBox(form, ui, "panel");
    panel->SetBounds(0, 0, 100, 100);
    panel->SetParent(form);
    auto* inner = new TBox(form, ui, "inner");
    inner->SetParent(panel);
    panel->SetCursor(crHandPoint);
    ui.show(form);
    ui.moveTo(inner, 1, 1);
    EXPECT_EQ(headless.shownCursor, crHandPoint);  // inherited from the parent
    inner->SetCursor(crIBeam);
    EXPECT_EQ(headless.shownCursor, crIBeam);
    Screen->SetCursor(crSizeWE);
    EXPECT_EQ(headless.shownCursor, crSizeWE);
    Screen->SetCursor(crDefault);
    ui.moveTo(form, 150, 50);
    EXPECT_EQ(headless.shownCursor, crDefault);
}

TEST(Application, RunShowsTheMainFormAndReturnsWhenItCloses)
{
    UiHarness ui;
    TForm* main = nullptr;
    Application->CreateForm(main);
    TTimer timer(nullptr);
    timer.SetInterval(100);
    int ticks = 0;
    timer.OnTimer = [&](TObject*) {
        if (++ticks == 3)
            main->Close();
    };
    Application->Run();
    EXPECT_EQ(ticks, 3);
    EXPECT_TRUE(main->Visible());
    EXPECT_EQ(Screen->ActiveForm(), main);
    delete main;
}

TEST(Timers, TimerFiresEveryIntervalWhileEnabled)
{
    UiHarness ui;
    TTimer timer(nullptr);
    int ticks = 0;
    timer.SetInterval(50);
    timer.OnTimer = [&](TObject*) { ++ticks; };
    ui.advance(49);
    EXPECT_EQ(ticks, 0);
    ui.advance(151);
    EXPECT_EQ(ticks, 4);
    timer.SetEnabled(false);
    ui.advance(500);
    EXPECT_EQ(ticks, 4);
    timer.SetEnabled(true);
    ui.advance(100);
    EXPECT_EQ(ticks, 6);
}

}  // namespace
