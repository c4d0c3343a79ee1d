// The backend of live sessions: every top-level window is an SDL window showing
// the window's backing store; SDL's events become calls of the input functions.
//
//   message loop -> pollEvents/waitEvents -> SDL events -> inputMouse*/inputKey*/inputText
//                                                       -> activation, WM_CLOSE, moves, sizes
//   message loop (queue drained) -> present(window) -> backing store -> window surface
#pragma once

#include "platform/win/Backend.h"

#include <map>
#include <string>

struct SDL_Window;
struct SDL_Cursor;
union SDL_Event;

namespace varn {

class SdlBackend : public Backend {
public:
    // True when a display is named (DISPLAY or WAYLAND_DISPLAY) and SDL's video
    // starts on it. Leaves video started for the backend.
    static bool displayAvailable();

    SdlBackend();
    ~SdlBackend() override;

    TPoint screenSize() const override;
    void createWindow(HWND window) override;
    void destroyWindow(HWND window) override;
    void showWindow(HWND window, bool visible) override;
    void moveWindow(HWND window, const TRect& screenRect) override;
    void present(HWND window) override;
    void setCursor(int cursor) override;
    void pollEvents() override;
    bool waitEvents(std::optional<uint32_t> deadline) override;

    AnsiString clipboardText() const override;
    bool hasClipboardText() const override;
    void setClipboardText(const AnsiString& text) override;
    std::optional<int> messageBox(const AnsiString& text, const AnsiString& caption, int flags) override;

    // The SDL window that shows a top-level window; null for others.
    SDL_Window* sdlWindow(HWND window) const;

private:
    struct TopLevel {
        SDL_Window* sdl = nullptr;
        std::string title;         // UTF-8, as last given to SDL
        bool activates = true;     // false for pop-ups that never take the activation
    };

    TopLevel* byWindowId(uint32_t id, HWND* hwnd);
    void handle(const SDL_Event& event);
    void handleWindowEvent(HWND hwnd, TopLevel& top, const SDL_Event& event);
    void syncModifiers(uint16_t sdlModifiers);
    void endBatch();
    void syncTitles();
    // A pop-up that took the keyboard hands it back to its owner as it goes.
    void handBackKeyboard(HWND window, SDL_Window* sdl);
    TPoint toScreen(HWND hwnd, int x, int y) const;

    std::map<HWND, TopLevel> windows;
    std::map<int, SDL_Cursor*> cursors;  // by SDL_SystemCursor, made on first use
    int shownCursor = 0;
    TPoint mouse;                        // last pointer position, screen coordinates
    bool followingDesktop = false;       // a move or size came from the desktop: don't echo it
    bool focusLeft = false;              // a window lost the keyboard; deactivate unless one of ours has it
};

}  // namespace varn
