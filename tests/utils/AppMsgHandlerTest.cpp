// The application message hook, driven through the real message loop.
#include "utils/AppMsgHandler.h"

#include "platform/Forms.h"
#include "platform/win/Input.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A control that registers with the hook whenever its window is created and logs
// what its handler and its window see.
class THookedBox : public TCustomControl {
public:
    THookedBox(TComponent* owner, varn::test::UiHarness& ui, std::string name) : TCustomControl(owner), ui(ui), name(std::move(name))
    {
        SetBounds(0, 0, 50, 20);
        SetTabStop(true);
    }

    using TCustomControl::RecreateWnd;

    UINT handles = 0;          // message this handler takes (Handled = true)
    bool tabToEnter = false;   // turns a Tab press addressed to this window into Enter
    int calls = 0;

    void onAppMessage(tagMSG& Msg, bool& Handled)
    {
        ++calls;
        if (Msg.message == WM_USER || Msg.message == WM_USER + 1 || Msg.message == WM_KEYDOWN)
            ui.record(name + " sees " + describe(Msg));
        if (tabToEnter && Msg.message == WM_KEYDOWN && Msg.hwnd == Handle() && Msg.wParam == VK_TAB)
            Msg.wParam = VK_RETURN;
        if (handles && Msg.message == handles)
            Handled = true;
    }

protected:
    void CreateWnd() override
    {
        TCustomControl::CreateWnd();
        RegisterAppMsgHandler(this, AppMessageEvent(this, &THookedBox::onAppMessage));
    }

    void WndProc(TMessage& Message) override
    {
        if (Message.Msg == WM_USER || Message.Msg == WM_USER + 1 || Message.Msg == WM_KEYDOWN) {
            tagMSG msg;
            msg.message = Message.Msg;
            msg.wParam = Message.WParam;
            ui.record(name + " gets " + describe(msg));
        }
        TCustomControl::WndProc(Message);
    }

private:
    static std::string describe(const tagMSG& msg)
    {
        if (msg.message == WM_KEYDOWN)
            return msg.wParam == VK_TAB ? "tab" : msg.wParam == VK_RETURN ? "enter" : "key";
        return msg.message == WM_USER ? "user" : "user+1";
    }

    varn::test::UiHarness& ui;
    std::string name;
};

// Must run before any registration in this process: the dispatcher is installed
// only by the first one.
TEST(AppMsgHandler, WithoutRegistrationsTheMessageEventIsLeftAsItWas)
{
    varn::test::UiHarness ui;
    bool seen = false;
    Application->OnMessage = [&](tagMSG&, bool&) { seen = true; };
    TForm* form = ui.createForm(200, 100);
    auto* box = new THookedBox(form, ui, "a");
    box->SetDesigning(true);  // a control in a form designer registers nothing
    box->SetParent(form);
    ui.show(form);
    EXPECT_TRUE(seen);
    ui.events.clear();
    PostMessage(box->Handle(), WM_USER, 0, 0);
    ui.pump();
    EXPECT_EQ(box->calls, 0);
    EXPECT_EQ(ui.events, std::vector<std::string>{"a gets user"});
    Application->OnMessage = nullptr;
}

TEST(AppMsgHandler, HandlersSeeEveryQueuedMessageInOrderAndTheFirstThatHandlesItStopsTheChain)
{
    varn::test::UiHarness ui;
    TForm* form = ui.createForm(200, 100);
    auto* a = new THookedBox(form, ui, "a");
    auto* b = new THookedBox(form, ui, "b");
    a->SetParent(form);
    b->SetParent(form);
    b->SetTop(30);
    ui.show(form);
    ui.events.clear();

    // Neither handles: both see it, whichever window it is for, then the window.
    PostMessage(b->Handle(), WM_USER, 0, 0);
    ui.pump();
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"a sees user", "b sees user", "b gets user"}));

    // A handles it: B is not called and the window never gets it.
    a->handles = WM_USER + 1;
    PostMessage(b->Handle(), WM_USER + 1, 0, 0);
    PostMessage(b->Handle(), WM_USER, 0, 0);
    ui.pump();
    EXPECT_EQ(ui.takeEvents(),
              (std::vector<std::string>{"a sees user+1", "a sees user", "b sees user", "b gets user"}));

    // Input counts too: a key press is seen before the focused window gets it.
    b->SetFocus();
    ui.pump();
    ui.events.clear();
    ui.pressKey('K');
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"a sees key", "b sees key", "b gets key"}));
}

TEST(AppMsgHandler, RewrittenMessageReachesLaterHandlersAndTheWindow)
{
    varn::test::UiHarness ui;
    TForm* form = ui.createForm(200, 100);
    auto* editor = new THookedBox(form, ui, "editor");
    auto* other = new THookedBox(form, ui, "other");
    auto* next = new THookedBox(form, ui, "next");
    editor->SetParent(form);
    other->SetParent(form);
    next->SetParent(form);
    editor->tabToEnter = true;
    ui.show(form);
    editor->SetFocus();
    ui.pump();
    ui.events.clear();

    // Tab to the editor's window becomes Enter: later handlers and the window see
    // Enter, and the focus does not move to the next control.
    ui.pressKey(VK_TAB);
    EXPECT_EQ(ui.takeEvents(),
              (std::vector<std::string>{"editor sees tab", "other sees enter", "next sees enter", "editor gets enter"}));
    EXPECT_TRUE(editor->Focused());

    // A Tab to another window stays a Tab and moves the focus on.
    next->SetFocus();
    ui.pump();
    ui.events.clear();
    ui.pressKey(VK_TAB);
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"editor sees tab", "other sees tab", "next sees tab"}));
    EXPECT_TRUE(editor->Focused());
}

TEST(AppMsgHandler, ControlWithARecreatedWindowIsCalledOncePerMessage)
{
    varn::test::UiHarness ui;
    TForm* form = ui.createForm(200, 100);
    auto* box = new THookedBox(form, ui, "box");
    box->SetParent(form);
    ui.show(form);
    HWND first = box->Handle();
    box->RecreateWnd();
    box->RecreateWnd();
    HWND third = box->Handle();
    EXPECT_NE(first, third);
    EXPECT_FALSE(IsWindow(first));
    ui.events.clear();
    PostMessage(third, WM_USER, 0, 0);
    ui.pump();
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"box sees user", "box gets user"}));
}

TEST(AppMsgHandler, DestroyedComponentIsNeverCalledAgain)
{
    varn::test::UiHarness ui;
    TForm* form = ui.createForm(200, 100);
    auto* gone = new THookedBox(form, ui, "gone");
    auto* stays = new THookedBox(form, ui, "stays");
    gone->SetParent(form);
    stays->SetParent(form);
    ui.show(form);
    // A handler bound to "gone" but registered for a window that outlives it.
    RegisterAppMsgHandlerWnd(form->Handle(), AppMessageEvent(gone, &THookedBox::onAppMessage));
    HWND goneWindow = gone->Handle();
    delete gone;
    EXPECT_FALSE(IsWindow(goneWindow));

    // New windows never take the old handle, so nothing can revive the entries.
    for (int i = 0; i < 3; ++i) {
        auto* fresh = new THookedBox(form, ui, "fresh" + std::to_string(i));
        fresh->SetParent(form);
        EXPECT_NE(fresh->Handle(), goneWindow);
        delete fresh;
    }
    ui.events.clear();
    PostMessage(stays->Handle(), WM_USER, 0, 0);
    ui.pump();
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"stays sees user", "stays gets user"}));

    // A handler that destroys a later handler's component during dispatch.
    auto* victim = new THookedBox(form, ui, "victim");
    victim->SetVisible(false);  // no window yet, so it registers after the killer
    victim->SetParent(form);
    auto* killer = stays;
    killer->handles = 0;
    RegisterAppMsgHandlerWnd(form->Handle(), TAppMessageEvent{killer, [&](tagMSG& Msg, bool&) {
        if (Msg.message == WM_USER + 1 && victim) {
            delete victim;
            victim = nullptr;
        }
    }});
    victim->HandleNeeded();
    ui.events.clear();
    PostMessage(form->Handle(), WM_USER + 1, 0, 0);
    ui.pump();
    EXPECT_EQ(ui.takeEvents(), std::vector<std::string>{"stays sees user+1"});
}

}  // namespace
