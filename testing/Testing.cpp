#include <VarnControls/Testing.h>

#include "platform/SysUtils.h"
#include "platform/win/BackingStore.h"
#include "platform/win/Clock.h"
#include "platform/win/WindowManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cstdio>

namespace varn::test {

UiHarness::UiHarness()
{
    detail::resetForTests();
    Clock::useManual();
    Application->ResetTerminated();
    previousMessageBoxHandler = Application->SetMessageBoxHandler([this](const AnsiString& text, const AnsiString& caption, int flags) {
        messageBoxes.push_back({text, caption, flags});
        return messageBoxAnswer;
    });
}

namespace {
bool isAlive(TForm* form)
{
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i) == form)
            return true;
    return false;
}
}  // namespace

UiHarness::~UiHarness()
{
    if (::testing::Test::HasFailure())
        saveScreenshots();
    // Only forms that still exist: a test may have freed one (Release, delete).
    for (auto it = forms.rbegin(); it != forms.rend(); ++it)
        if (isAlive(*it))
            delete *it;
    detail::resetForTests();
    Application->ResetTerminated();
    Application->SetMessageBoxHandler(previousMessageBoxHandler);
    Clock::useReal();
}

// <Suite>.<Test>-<n>.png beside the test program (in the build tree, where CTest
// keeps its logs), never in the source tree a test may be started from.
void UiHarness::saveScreenshots()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::error_code error;
    std::filesystem::path directory = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "ui-test";
    std::string base = (directory / name).string();
    int n = 0;
    for (TForm* form : forms) {
        if (!isAlive(form) || !form->HandleAllocated() || !IsWindowVisible(form->Handle()))
            continue;
        std::string file = base + "-" + std::to_string(++n) + ".png";
        if (SaveWindowToPngFile(form->Handle(), Utf8ToAnsi(file)))  // the system's path is UTF-8
            std::fprintf(stderr, "window written to %s\n", file.c_str());
    }
}

COLORREF UiHarness::pixel(TControl* control, int x, int y)
{
    // A graphic control draws into its parent's window.
    while (control && !dynamic_cast<TWinControl*>(control)) {
        x += control->Left();
        y += control->Top();
        control = control->Parent();
    }
    auto* window = static_cast<TWinControl*>(control);
    if (!window || !window->HandleAllocated())
        return CLR_INVALID;
    return windowPixel(window->Handle(), x, y);
}

bool UiHarness::savePng(TWinControl* control, const AnsiString& fileName)
{
    return control->HandleAllocated() && SaveWindowToPngFile(control->Handle(), fileName);
}

void UiHarness::show(TForm* form)
{
    form->Show();
    pump();
}

void UiHarness::pump()
{
    // A handler that keeps posting would never let the queue go idle.
    for (int round = 0; round < 100000; ++round) {
        MSG msg;
        if (!PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE))
            return;
        Application->ProcessMessages();
    }
    ADD_FAILURE() << "the message queue never went idle";
}

void UiHarness::advance(unsigned ms)
{
    pump();
    uint32_t end = Clock::now() + ms;
    for (;;) {
        auto due = detail::nextTimerDue();
        uint32_t now = Clock::now();
        if (!due || static_cast<int32_t>(*due - end) > 0) {
            Clock::advance(end - now);
            pump();
            return;
        }
        if (static_cast<int32_t>(*due - now) > 0)
            Clock::advance(*due - now);
        pump();
    }
}

TPoint UiHarness::screenPoint(TControl* control, int x, int y) { return control->ClientToScreen({x, y}); }

void UiHarness::moveTo(TControl* control, int x, int y)
{
    TPoint p = screenPoint(control, x, y);
    moveToScreen(p.x, p.y);
}

void UiHarness::press(TControl* control, int x, int y, MouseButton button)
{
    TPoint p = screenPoint(control, x, y);
    pressScreen(p.x, p.y, button);
}

void UiHarness::release(TControl* control, int x, int y, MouseButton button)
{
    TPoint p = screenPoint(control, x, y);
    releaseScreen(p.x, p.y, button);
}

void UiHarness::click(TControl* control, int x, int y, MouseButton button)
{
    press(control, x, y, button);
    release(control, x, y, button);
}

void UiHarness::doubleClick(TControl* control, int x, int y)
{
    click(control, x, y);
    advance(50);
    click(control, x, y);
}

void UiHarness::wheel(TControl* control, int x, int y, int notches)
{
    TPoint p = screenPoint(control, x, y);
    inputMouseWheel(notches * 120, p.x, p.y);
    pump();
}

void UiHarness::moveToScreen(int x, int y)
{
    inputMouseMove(x, y);
    pump();
}

void UiHarness::pressScreen(int x, int y, MouseButton button)
{
    inputMouseDown(button, x, y);
    pump();
}

void UiHarness::releaseScreen(int x, int y, MouseButton button)
{
    inputMouseUp(button, x, y);
    pump();
}

void UiHarness::keyDown(int virtualKey)
{
    inputKeyDown(virtualKey);
    pump();
}

void UiHarness::keyUp(int virtualKey)
{
    inputKeyUp(virtualKey);
    pump();
}

void UiHarness::pressKey(int virtualKey, TShiftState modifiers)
{
    if (modifiers.Contains(ssShift))
        inputKeyDown(VK_SHIFT);
    if (modifiers.Contains(ssCtrl))
        inputKeyDown(VK_CONTROL);
    if (modifiers.Contains(ssAlt))
        inputKeyDown(VK_MENU);
    inputKeyDown(virtualKey);
    inputKeyUp(virtualKey);
    if (modifiers.Contains(ssAlt))
        inputKeyUp(VK_MENU);
    if (modifiers.Contains(ssCtrl))
        inputKeyUp(VK_CONTROL);
    if (modifiers.Contains(ssShift))
        inputKeyUp(VK_SHIFT);
    pump();
}

void UiHarness::typeText(const AnsiString& latin1)
{
    inputText(latin1);
    pump();
}

}  // namespace varn::test
