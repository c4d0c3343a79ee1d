// The SDL backend: the pure mappings, and SDL events through the dummy video
// driver (no display needed) into the window manager.
#ifdef VARN_WITH_SDL

#include "platform/Forms.h"
#include "platform/win/BackingStore.h"
#include "platform/win/Windows.h"
#include "platform/win/backend/sdl/SdlBackend.h"
#include "platform/win/backend/sdl/SdlKeys.h"
#include "support/UiHarness.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

using namespace varn;
using namespace varn::detail;

TEST(SdlKeys, KeysMapToVirtualKeyCodes)
{
    struct Case {
        SDL_Keycode key;
        SDL_Scancode scancode;
        int expected;
    };
    const Case cases[] = {
        {SDLK_a, SDL_SCANCODE_A, 'A'},
        {SDLK_z, SDL_SCANCODE_Z, 'Z'},
        {SDLK_0, SDL_SCANCODE_0, '0'},
        {SDLK_9, SDL_SCANCODE_9, '9'},
        {SDLK_F1, SDL_SCANCODE_F1, VK_F1},
        {SDLK_F12, SDL_SCANCODE_F12, VK_F12},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, VK_RETURN},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, VK_RETURN},
        {SDLK_TAB, SDL_SCANCODE_TAB, VK_TAB},
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, VK_ESCAPE},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, VK_BACK},
        {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, VK_PRIOR},
        {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, VK_NEXT},
        {SDLK_HOME, SDL_SCANCODE_HOME, VK_HOME},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, VK_DELETE},
        {SDLK_UP, SDL_SCANCODE_UP, VK_UP},
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, VK_SHIFT},
        {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, VK_SHIFT},
        {SDLK_RCTRL, SDL_SCANCODE_RCTRL, VK_CONTROL},
        {SDLK_LALT, SDL_SCANCODE_LALT, VK_MENU},
        {SDLK_KP_7, SDL_SCANCODE_KP_7, VK_NUMPAD7},
        {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, VK_DECIMAL},
        {SDLK_COMMA, SDL_SCANCODE_COMMA, VK_OEM_COMMA},
        {SDLK_MINUS, SDL_SCANCODE_SLASH, VK_OEM_MINUS},        // the layout's key code wins
        {0xF1, SDL_SCANCODE_SEMICOLON, VK_OEM_1},              // a Spanish n-tilde key: by position
        {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0},
        {SDLK_VOLUMEUP, SDL_SCANCODE_VOLUMEUP, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(virtualKeyFromSdl(c.key, c.scancode), c.expected) << "key " << c.key;
    EXPECT_TRUE(isModifierKey(SDLK_RALT));
    EXPECT_FALSE(isModifierKey(SDLK_CAPSLOCK));
}

TEST(SdlKeys, ModifierStateIsBroughtInLine)
{
    EXPECT_TRUE(modifierChanges(KMOD_NONE, false, false, false).empty());
    EXPECT_TRUE(modifierChanges(KMOD_LSHIFT | KMOD_RCTRL, true, true, false).empty());
    // Shift pressed while another program had the keyboard; Alt released there.
    EXPECT_EQ(modifierChanges(KMOD_RSHIFT, false, false, true),
              (std::vector<KeyChange>{{VK_SHIFT, true}, {VK_MENU, false}}));
    // Lock keys are no modifiers.
    EXPECT_TRUE(modifierChanges(KMOD_CAPS | KMOD_NUM, false, false, false).empty());
}

TEST(SdlKeys, CursorsAndMessageBoxes)
{
    EXPECT_EQ(systemCursorFor(crDefault), SDL_SYSTEM_CURSOR_ARROW);
    EXPECT_EQ(systemCursorFor(crHSplit), SDL_SYSTEM_CURSOR_SIZEWE);
    EXPECT_EQ(systemCursorFor(crSizeWE), SDL_SYSTEM_CURSOR_SIZEWE);
    EXPECT_EQ(systemCursorFor(crHandPoint), SDL_SYSTEM_CURSOR_HAND);
    EXPECT_EQ(systemCursorFor(crIBeam), SDL_SYSTEM_CURSOR_IBEAM);
    EXPECT_EQ(systemCursorFor(7), SDL_SYSTEM_CURSOR_ARROW);  // an application's own cursor

    auto ids = [](int flags) {
        std::vector<int> out;
        for (const auto& button : messageBoxButtons(flags))
            out.push_back(button.id);
        return out;
    };
    auto flagsOf = [](int flags, int id) {
        for (const auto& button : messageBoxButtons(flags))
            if (button.id == id)
                return button.flags;
        return Uint32(0xFFFF);
    };
    const Uint32 enter = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    const Uint32 escape = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    EXPECT_EQ(ids(MB_OK | MB_ICONERROR), std::vector<int>{IDOK});
    EXPECT_EQ(flagsOf(MB_OK, IDOK), enter | escape);
    EXPECT_EQ(ids(MB_YESNOCANCEL), (std::vector<int>{IDYES, IDNO, IDCANCEL}));
    EXPECT_EQ(flagsOf(MB_YESNOCANCEL, IDCANCEL), escape);
    EXPECT_EQ(flagsOf(MB_YESNO | MB_DEFBUTTON2, IDNO), enter);
    EXPECT_EQ(flagsOf(MB_YESNO | MB_DEFBUTTON2, IDYES), 0u);
    EXPECT_EQ(flagsOf(MB_OKCANCEL | MB_DEFBUTTON3, IDOK), enter);  // no third button: the first
    EXPECT_EQ(messageBoxButtons(MB_YESNO)[0].caption, "S\xED");
    // A box that ends without an answer never says yes.
    EXPECT_EQ(messageBoxDismissAnswer(MB_YESNO), IDNO);
    EXPECT_EQ(messageBoxDismissAnswer(MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(messageBoxDismissAnswer(MB_OK), IDOK);
    EXPECT_EQ(messageBoxKind(MB_ICONWARNING), Uint32(SDL_MESSAGEBOX_WARNING));
    EXPECT_EQ(messageBoxKind(MB_ICONQUESTION), Uint32(SDL_MESSAGEBOX_INFORMATION));
}

namespace {

// Installs the SDL backend on the dummy video driver for one test.
class SdlBackendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Without a display SDL's fallback dialogs (an external program) cannot
        // show up on a developer's desktop and wait for an answer.
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
            if (const char* value = std::getenv(name))
                savedDisplay.emplace_back(name, value);
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        auto made = std::make_unique<SdlBackend>();
        sdl = made.get();
        previous = setBackend(std::move(made));
        ui = std::make_unique<test::UiHarness>();
    }
    void TearDown() override
    {
        ui.reset();
        setBackend(std::move(previous));
        unsetenv("SDL_VIDEODRIVER");
        for (const auto& [name, value] : savedDisplay)
            setenv(name.c_str(), value.c_str(), 1);
    }

    void push(SDL_Event event)
    {
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    }
    Uint32 idOf(TForm* form) { return SDL_GetWindowID(sdl->sdlWindow(form->Handle())); }

    SdlBackend* sdl = nullptr;
    std::unique_ptr<Backend> previous;
    std::unique_ptr<test::UiHarness> ui;
    std::vector<std::pair<std::string, std::string>> savedDisplay;
};

}  // namespace

TEST_F(SdlBackendTest, WindowsFollowTheFormsAndShowTheirBackingStore)
{
    TForm* form = ui->createForm(200, 120);
    form->SetCaption("Ca\xF1\xF3n");
    ui->show(form);
    SDL_Window* window = sdl->sdlWindow(form->Handle());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(std::string(SDL_GetWindowTitle(window)), "Ca\xC3\xB1\xC3\xB3n");
    int x, y, w, h;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{100, 100, 200, 120}));
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN);

    HDC dc = GetDC(form->Handle());
    TRect red{10, 10, 20, 20};
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &red, brush);
    DeleteObject(brush);
    ReleaseDC(form->Handle(), dc);
    sdl->present(form->Handle());
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    auto pixel = [&](int px, int py) {
        auto* row = static_cast<Uint8*>(surface->pixels) + py * surface->pitch;
        Uint32 value = reinterpret_cast<Uint32*>(row)[px];
        Uint8 r, g, b;
        SDL_GetRGB(value, surface->format, &r, &g, &b);
        return RGB(r, g, b);
    };
    EXPECT_EQ(pixel(15, 15), RGB(255, 0, 0));
    EXPECT_EQ(pixel(9, 15), windowPixel(form->Handle(), 9, 15));

    form->SetBounds(150, 160, 300, 200);
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ((std::vector<int>{x, y, w, h}), (std::vector<int>{150, 160, 300, 200}));

    form->SetBorderStyle(bsNone);  // recreates the window
    ui->show(form);
    EXPECT_TRUE(SDL_GetWindowFlags(sdl->sdlWindow(form->Handle())) & SDL_WINDOW_BORDERLESS);
}

TEST_F(SdlBackendTest, EventsBecomeInput)
{
    TForm* form = ui->createForm(200, 120);
    ui->show(form);
    std::vector<std::string> events;
    form->OnMouseDown = [&](TObject*, TMouseButton button, TShiftState, int x, int y) {
        events.push_back("down " + std::to_string(button) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    form->OnKeyDown = [&](TObject*, WORD& key, TShiftState shift) {
        events.push_back("key " + std::to_string(key) + (shift.Contains(ssShift) ? " shift" : ""));
    };
    form->OnKeyPress = [&](TObject*, char& key) { events.push_back(std::string("char ") + key); };
    form->OnDeactivate = [&](TObject*) { events.push_back("deactivate"); };
    form->OnClose = [&](TObject*, TCloseAction& action) {
        events.push_back("close");
        action = caNone;
    };

    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = idOf(form);
    event.button.button = SDL_BUTTON_RIGHT;
    event.button.x = 30;
    event.button.y = 20;
    push(event);
    event.type = SDL_MOUSEBUTTONUP;
    push(event);

    // Shift went down while another program had the keyboard: the A comes shifted.
    event = {};
    event.type = SDL_KEYDOWN;
    event.key.windowID = idOf(form);
    event.key.keysym.sym = SDLK_a;
    event.key.keysym.scancode = SDL_SCANCODE_A;
    event.key.keysym.mod = KMOD_LSHIFT;
    push(event);
    event.type = SDL_KEYUP;
    event.key.keysym.mod = KMOD_NONE;
    push(event);

    event = {};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = idOf(form);
    SDL_strlcpy(event.text.text, "\xC3\xB1", sizeof(event.text.text));  // n-tilde in UTF-8
    push(event);

    event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = idOf(form);
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    push(event);
    ui->pump();
    EXPECT_EQ(events, (std::vector<std::string>{"down 1 30,20", "key 16 shift", "key 65 shift", "char \xF1", "close"}));
    EXPECT_GE(GetAsyncKeyState(VK_SHIFT), 0);  // released with the A

    // The keyboard left for another program: the form deactivates.
    event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    push(event);
    ui->pump();
    EXPECT_EQ(events.back(), "deactivate");
    EXPECT_FALSE(form->Active());

    event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    push(event);
    ui->pump();
    EXPECT_TRUE(form->Active());
}

TEST_F(SdlBackendTest, PressesMadeWhileAMessageBoxIsUpAreDropped)
{
    TForm* form = ui->createForm(200, 120);
    ui->show(form);
    std::vector<std::string> events;
    form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { events.push_back("down"); };
    form->OnKeyUp = [&](TObject*, WORD& key, TShiftState) { events.push_back("up " + std::to_string(key)); };
    SDL_Event event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = idOf(form);
    event.button.button = SDL_BUTTON_LEFT;
    event.button.x = event.button.y = 10;
    push(event);
    event = {};
    event.type = SDL_KEYUP;
    event.key.windowID = idOf(form);
    event.key.keysym.sym = SDLK_RETURN;
    event.key.keysym.scancode = SDL_SCANCODE_RETURN;
    push(event);

    // The dummy driver has no dialogs: the box answers as if cancelled. (The
    // harness captures Application->MessageBox, so the backend is asked directly.)
    EXPECT_EQ(sdl->messageBox("\xBFSeguro?", "OJO", MB_YESNO), std::optional<int>(IDNO));
    ui->pump();
    EXPECT_EQ(events, std::vector<std::string>{"up 13"});
}

#endif  // VARN_WITH_SDL
