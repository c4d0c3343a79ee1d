// VarnControls/Testing.h: headless UI testing for GoogleTest suites of the
// library and of programs built on it (target Varn::testing). Forms on the
// virtual screen, input through the platform's input functions, messages pumped
// through the application's message loop, time from the manual clock.
//
//   varn::test::UiHarness ui;                 // one per test: clean state, manual clock
//   auto* form = ui.createForm(400, 300);    // a TForm (or ui.createForm<TMyForm>())
//   auto* box = new TMyBox(form); box->SetParent(form);
//   ui.show(form);                           // shows, activates and pumps until idle
//   ui.click(box, 10, 5);                    // client coordinates of box
//   ui.pressKey(VK_TAB, {ssShift});          // Shift+Tab
//   ui.typeText("abc");
//   ui.advance(500);                         // 500 ms pass; timers fire on the way
//   ui.record("changed");                    // from event handlers; compare ui.events
//   ui.pixel(box, 3, 3);                     // RGB of a shown control's pixel
//   ui.savePng(form, "form.png");            // the window as drawn, as a PNG file
//
// Every input call pumps until the queue is idle afterwards, so the test sees the
// state after the application handled it. The destructor deletes the forms the
// harness created and forgets every remaining window, message, timer and hook; when
// the test has failed it first writes each shown form as <Suite>.<Test>-<n>.png
// beside the test program.
// Application->OnMessage is left alone (the message hook installs itself there for
// the whole program); a test that sets it puts it back.
#pragma once

#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/win/Gdi.h"
#include "platform/win/Input.h"

#include <string>
#include <utility>
#include <vector>

namespace varn::test {

struct ShownMessageBox {
    AnsiString text;
    AnsiString caption;
    int flags = 0;
};

class UiHarness {
public:
    UiHarness();
    ~UiHarness();
    UiHarness(const UiHarness&) = delete;
    UiHarness& operator=(const UiHarness&) = delete;

    // A form of the given client size at (100, 100), owned by the application and
    // deleted by the harness (unless the test deletes it first).
    template <typename T = TForm>
    T* createForm(int clientWidth = 400, int clientHeight = 300)
    {
        T* form = nullptr;
        Application->CreateForm(form);
        form->SetBounds(100, 100, clientWidth, clientHeight);
        form->SetClientWidth(clientWidth);
        form->SetClientHeight(clientHeight);
        forms.push_back(form);
        return form;
    }
    void show(TForm* form);

    // Mouse at a client point of a control (a graphic control counts) or at a
    // screen point. Button calls first move there.
    void moveTo(TControl* control, int x, int y);
    void press(TControl* control, int x, int y, MouseButton button = MouseButton::Left);
    void release(TControl* control, int x, int y, MouseButton button = MouseButton::Left);
    void click(TControl* control, int x, int y, MouseButton button = MouseButton::Left);
    void doubleClick(TControl* control, int x, int y);
    void wheel(TControl* control, int x, int y, int notches);  // positive: away from the user
    void moveToScreen(int x, int y);
    void pressScreen(int x, int y, MouseButton button = MouseButton::Left);
    void releaseScreen(int x, int y, MouseButton button = MouseButton::Left);

    // Keys by virtual-key code; pressKey holds the modifiers (ssShift, ssCtrl,
    // ssAlt) around one press and release.
    void keyDown(int virtualKey);
    void keyUp(int virtualKey);
    void pressKey(int virtualKey, TShiftState modifiers = {});
    void typeText(const AnsiString& latin1);

    // Lets ms of idle time pass: the clock stops at every timer that falls due on
    // the way and the messages are pumped there, as in a live session.
    void advance(unsigned ms);
    // Handles messages until the queue is idle (paints included).
    void pump();

    // What a shown control shows: the RGB of its client pixel (CLR_INVALID outside
    // the window), and its whole window written to a PNG file.
    COLORREF pixel(TControl* control, int x, int y);
    bool savePng(TWinControl* control, const AnsiString& fileName);

    // An ordered log that event handlers append to.
    void record(const std::string& event) { events.push_back(event); }
    std::vector<std::string> takeEvents() { return std::exchange(events, {}); }
    std::vector<std::string> events;

    // Message boxes shown through Application->MessageBox, answered with
    // messageBoxAnswer.
    std::vector<ShownMessageBox> messageBoxes;
    int messageBoxAnswer = 1;  // IDOK

private:
    TPoint screenPoint(TControl* control, int x, int y);
    void saveScreenshots();

    std::vector<TForm*> forms;
    TMessageBoxHandler previousMessageBoxHandler;
};

}  // namespace varn::test
