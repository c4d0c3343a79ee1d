#include "platform/win/backend/sdl/SdlBackend.h"

#include "platform/win/BackingStore.h"
#include "platform/win/Charset.h"
#include "platform/win/Clock.h"
#include "platform/win/Input.h"
#include "platform/win/WindowManager.h"
#include "platform/win/Windows.h"
#include "platform/win/backend/sdl/SdlKeys.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace varn {

namespace {

bool named(const char* variable)
{
    const char* value = std::getenv(variable);
    return value && *value;
}

// Hints that must be set before video starts.
void setHints()
{
    // Ctrl+C ends the program as usual instead of becoming an SDL_QUIT nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A click on an inactive window acts on it at once, as on Win32.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
}

bool isBorderless(const detail::Window& w) { return (w.style & WS_POPUP) && (w.style & WS_CAPTION) != WS_CAPTION; }

// Drop-downs and menus: borderless windows that belong to another window or ask
// not to be activated. The desktop neither frames nor focuses them.
bool isPopupMenu(const detail::Window& w)
{
    return isBorderless(w) && (w.owner || (w.exStyle & (WS_EX_NOACTIVATE | WS_EX_TOPMOST | WS_EX_TOOLWINDOW)));
}

Uint32 windowFlags(const detail::Window& w)
{
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (isPopupMenu(w))
        flags |= SDL_WINDOW_BORDERLESS | SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_ALWAYS_ON_TOP;
    else if (isBorderless(w))
        flags |= SDL_WINDOW_BORDERLESS;
    else if (w.exStyle & WS_EX_TOOLWINDOW)
        flags |= SDL_WINDOW_UTILITY;
    if (w.style & WS_THICKFRAME)
        flags |= SDL_WINDOW_RESIZABLE;
    return flags;
}

std::optional<MouseButton> mouseButton(Uint8 button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return MouseButton::Left;
    case SDL_BUTTON_RIGHT: return MouseButton::Right;
    case SDL_BUTTON_MIDDLE: return MouseButton::Middle;
    default: return std::nullopt;
    }
}

}  // namespace

bool SdlBackend::displayAvailable()
{
    if (!named("DISPLAY") && !named("WAYLAND_DISPLAY"))
        return false;
    setHints();
    return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

SdlBackend::SdlBackend()
{
    setHints();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        throw std::runtime_error(std::string("SDL: ") + SDL_GetError());
    SDL_StartTextInput();
}

SdlBackend::~SdlBackend()
{
    for (auto& [hwnd, top] : windows)
        SDL_DestroyWindow(top.sdl);
    for (auto& [id, cursor] : cursors)
        SDL_FreeCursor(cursor);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TPoint SdlBackend::screenSize() const
{
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(0, &bounds) != 0)
        return {1280, 1024};
    return {bounds.w, bounds.h};
}

void SdlBackend::createWindow(HWND window)
{
    const detail::Window* w = detail::find(window);
    if (!w || windows.count(window))
        return;
    TopLevel top;
    top.title = AnsiToUtf8(w->text);
    top.activates = !isPopupMenu(*w);
    top.sdl = SDL_CreateWindow(top.title.c_str(), w->rect.left, w->rect.top, std::max(1, w->rect.Width()),
                               std::max(1, w->rect.Height()), windowFlags(*w));
    if (!top.sdl)
        throw std::runtime_error(std::string("SDL: ") + SDL_GetError());
    SDL_SetWindowData(top.sdl, "hwnd", window);
    windows[window] = top;
}

void SdlBackend::destroyWindow(HWND window)
{
    auto it = windows.find(window);
    if (it == windows.end())
        return;
    SDL_Window* sdl = it->second.sdl;
    handBackKeyboard(window, sdl);
    SDL_DestroyWindow(sdl);
    windows.erase(it);
}

// On X11 a shown pop-up menu window takes the keyboard focus; when it goes the
// focus would go nowhere, and the keys with it.
void SdlBackend::handBackKeyboard(HWND window, SDL_Window* sdl)
{
    if (SDL_GetKeyboardFocus() != sdl)
        return;
    const detail::Window* w = detail::find(window);
    HWND owner = w && w->owner ? detail::topLevelOf(w->owner) : GetActiveWindow();
    auto to = windows.find(owner);
    if (to != windows.end() && to->first != window && IsWindowVisible(owner))
        SDL_SetWindowInputFocus(to->second.sdl);
}

void SdlBackend::showWindow(HWND window, bool visible)
{
    auto it = windows.find(window);
    if (it == windows.end())
        return;
    SDL_Window* sdl = it->second.sdl;
    if (!visible) {
        handBackKeyboard(window, sdl);
        SDL_HideWindow(sdl);
        return;
    }
    syncTitles();
    SDL_ShowWindow(sdl);
    if (it->second.activates)
        SDL_RaiseWindow(sdl);
    present(window);
}

void SdlBackend::moveWindow(HWND window, const TRect& screenRect)
{
    auto it = windows.find(window);
    if (it == windows.end() || followingDesktop)
        return;
    SDL_Window* sdl = it->second.sdl;
    SDL_SetWindowPosition(sdl, screenRect.left, screenRect.top);
    SDL_SetWindowSize(sdl, std::max(1, screenRect.Width()), std::max(1, screenRect.Height()));
}

// Copies the backing store onto the window's surface. Both hold 32-bit pixels;
// SDL converts when the window's format differs.
void SdlBackend::present(HWND window)
{
    auto it = windows.find(window);
    if (it == windows.end() || !IsWindowVisible(window))
        return;
    cairo_surface_t* store = backingStore(window);
    SDL_Surface* target = SDL_GetWindowSurface(it->second.sdl);
    if (!store || !target)
        return;
    cairo_surface_flush(store);
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        cairo_image_surface_get_data(store), cairo_image_surface_get_width(store),
        cairo_image_surface_get_height(store), 32, cairo_image_surface_get_stride(store), SDL_PIXELFORMAT_ARGB8888);
    if (!source)
        return;
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(it->second.sdl);
}

void SdlBackend::setCursor(int cursor)
{
    if (cursor == shownCursor)
        return;
    shownCursor = cursor;
    if (cursor == crNone) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    SDL_ShowCursor(SDL_ENABLE);
    SDL_SystemCursor id = detail::systemCursorFor(cursor);
    SDL_Cursor*& made = cursors[id];
    if (!made)
        made = SDL_CreateSystemCursor(id);
    if (made)
        SDL_SetCursor(made);
}

void SdlBackend::pollEvents()
{
    syncTitles();
    SDL_Event event;
    while (SDL_PollEvent(&event))
        handle(event);
    endBatch();
}

bool SdlBackend::waitEvents(std::optional<uint32_t> deadline)
{
    syncTitles();
    // Without windows and timers nothing can ever arrive.
    if (windows.empty() && !deadline)
        return false;
    SDL_Event event;
    int got;
    if (deadline) {
        auto remaining = static_cast<int32_t>(*deadline - Clock::now());
        got = SDL_WaitEventTimeout(&event, std::max(0, remaining));
    } else {
        got = SDL_WaitEvent(&event);
    }
    if (got) {
        handle(event);
        while (SDL_PollEvent(&event))
            handle(event);
    }
    endBatch();
    return true;
}

SdlBackend::TopLevel* SdlBackend::byWindowId(uint32_t id, HWND* hwnd)
{
    SDL_Window* sdl = SDL_GetWindowFromID(id);
    if (!sdl)
        return nullptr;
    auto window = static_cast<HWND>(SDL_GetWindowData(sdl, "hwnd"));
    auto it = windows.find(window);
    if (it == windows.end() || !detail::find(window))
        return nullptr;
    *hwnd = window;
    return &it->second;
}

SDL_Window* SdlBackend::sdlWindow(HWND window) const
{
    auto it = windows.find(window);
    return it == windows.end() ? nullptr : it->second.sdl;
}

TPoint SdlBackend::toScreen(HWND hwnd, int x, int y) const
{
    const detail::Window* w = detail::find(hwnd);
    return {w->rect.left + x, w->rect.top + y};
}

void SdlBackend::handle(const SDL_Event& event)
{
    HWND hwnd = nullptr;
    switch (event.type) {
    case SDL_MOUSEMOTION:
        if (byWindowId(event.motion.windowID, &hwnd)) {
            mouse = toScreen(hwnd, event.motion.x, event.motion.y);
            inputMouseMove(mouse.x, mouse.y);
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (byWindowId(event.button.windowID, &hwnd)) {
            std::optional<MouseButton> button = mouseButton(event.button.button);
            if (!button)
                break;
            mouse = toScreen(hwnd, event.button.x, event.button.y);
            if (event.type == SDL_MOUSEBUTTONDOWN)
                inputMouseDown(*button, mouse.x, mouse.y);
            else
                inputMouseUp(*button, mouse.x, mouse.y);
        }
        break;
    case SDL_MOUSEWHEEL:
        if (byWindowId(event.wheel.windowID, &hwnd) && event.wheel.y != 0) {
            int notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            inputMouseWheel(notches * WHEEL_DELTA, mouse.x, mouse.y);
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const SDL_Keysym& key = event.key.keysym;
        int virtualKey = detail::virtualKeyFromSdl(key.sym, key.scancode);
        if (!detail::isModifierKey(key.sym))
            syncModifiers(key.mod);
        if (!virtualKey)
            break;
        if (event.type == SDL_KEYDOWN)
            inputKeyDown(virtualKey);
        else
            inputKeyUp(virtualKey);
        break;
    }
    case SDL_TEXTINPUT:
        // Alt + a key is a command, not typing: its character comes as WM_SYSCHAR from
        // TranslateMessage. Ctrl + Alt (AltGr on some keyboards) still types.
        if (GetAsyncKeyState(VK_MENU) < 0 && GetAsyncKeyState(VK_CONTROL) >= 0)
            break;
        inputText(Utf8ToAnsi(event.text.text));
        break;
    case SDL_WINDOWEVENT:
        if (TopLevel* top = byWindowId(event.window.windowID, &hwnd))
            handleWindowEvent(hwnd, *top, event);
        break;
    default: break;
    }
}

void SdlBackend::handleWindowEvent(HWND hwnd, TopLevel& top, const SDL_Event& event)
{
    switch (event.window.event) {
    case SDL_WINDOWEVENT_CLOSE: PostMessage(hwnd, WM_CLOSE, 0, 0); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        focusLeft = false;
        if (top.activates && IsWindowEnabled(hwnd))
            SetActiveWindow(hwnd);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST: focusLeft = true; break;
    case SDL_WINDOWEVENT_MOVED:
        // The desktop placed the window (its frame, or the user dragged it).
        followingDesktop = true;
        SetWindowPos(hwnd, nullptr, event.window.data1, event.window.data2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        followingDesktop = false;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        followingDesktop = true;
        SetWindowPos(hwnd, nullptr, 0, 0, event.window.data1, event.window.data2,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        followingDesktop = false;
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case SDL_WINDOWEVENT_LEAVE: {
        // No motion follows once the pointer is outside every window of the
        // program: a move to where it went lets controls and scroll bars under
        // it know that it left.
        int x = 0;
        int y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        mouse = {x, y};
        inputMouseMove(x, y);
        break;
    }
    case SDL_WINDOWEVENT_EXPOSED:
        // The backing store holds the whole window; showing it again is enough.
        present(hwnd);
        break;
    default: break;
    }
}

void SdlBackend::syncModifiers(uint16_t sdlModifiers)
{
    for (const detail::KeyChange& change :
         detail::modifierChanges(sdlModifiers, GetAsyncKeyState(VK_SHIFT) < 0, GetAsyncKeyState(VK_CONTROL) < 0,
                                 GetAsyncKeyState(VK_MENU) < 0)) {
        if (change.down)
            inputKeyDown(change.virtualKey);
        else
            inputKeyUp(change.virtualKey);
    }
}

// The keyboard went to another program (not to another window of ours, whose
// focus event may come in the same batch): the active window deactivates.
void SdlBackend::endBatch()
{
    if (!focusLeft)
        return;
    focusLeft = false;
    SDL_Window* focused = SDL_GetKeyboardFocus();
    if (focused && windows.count(static_cast<HWND>(SDL_GetWindowData(focused, "hwnd"))))
        return;
    if (GetActiveWindow())
        SetActiveWindow(nullptr);
}

void SdlBackend::syncTitles()
{
    for (auto& [hwnd, top] : windows) {
        const detail::Window* w = detail::find(hwnd);
        if (!w)
            continue;
        std::string title = AnsiToUtf8(w->text);
        if (title != top.title) {
            top.title = title;
            SDL_SetWindowTitle(top.sdl, title.c_str());
        }
    }
}

AnsiString SdlBackend::clipboardText() const
{
    char* text = SDL_GetClipboardText();
    if (!text)
        return AnsiString();
    AnsiString ansi = Utf8ToAnsi(text);
    SDL_free(text);
    return ansi;
}

bool SdlBackend::hasClipboardText() const { return SDL_HasClipboardText() == SDL_TRUE; }

void SdlBackend::setClipboardText(const AnsiString& text) { SDL_SetClipboardText(AnsiToUtf8(text).c_str()); }

std::optional<int> SdlBackend::messageBox(const AnsiString& text, const AnsiString& caption, int flags)
{
    std::vector<detail::MessageBoxButton> buttons = detail::messageBoxButtons(flags);
    std::vector<std::string> captions;
    for (const auto& button : buttons)
        captions.push_back(AnsiToUtf8(button.caption));
    std::vector<SDL_MessageBoxButtonData> data;
    for (size_t i = 0; i < buttons.size(); ++i)
        data.push_back({buttons[i].flags, buttons[i].id, captions[i].c_str()});
    std::string title = AnsiToUtf8(caption);
    std::string message = AnsiToUtf8(text);

    SDL_MessageBoxData box{};
    box.flags = detail::messageBoxKind(flags) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
    auto active = windows.find(GetActiveWindow());
    box.window = active != windows.end() ? active->second.sdl : nullptr;
    box.title = title.c_str();
    box.message = message.c_str();
    box.numbuttons = static_cast<int>(data.size());
    box.buttons = data.data();

    int chosen = -1;
    int shown = SDL_ShowMessageBox(&box, &chosen);
    // The box is modal: presses and typing aimed at our windows while it was up
    // are dropped, releases and moves kept so the key and button state stays right.
    SDL_PumpEvents();
    for (Uint32 type : {SDL_KEYDOWN, SDL_TEXTEDITING, SDL_TEXTINPUT, SDL_MOUSEBUTTONDOWN, SDL_MOUSEWHEEL})
        SDL_FlushEvent(type);
    if (shown != 0) {
        // No dialog could be shown: say so where the program's output goes, and
        // answer as if the user had cancelled rather than agreed.
        std::fprintf(stderr, "[%s] %s (no dialog: %s)\n", title.c_str(), message.c_str(), SDL_GetError());
        return detail::messageBoxDismissAnswer(flags);
    }
    if (chosen < 0)
        return detail::messageBoxDismissAnswer(flags);
    return chosen;
}

}  // namespace varn
