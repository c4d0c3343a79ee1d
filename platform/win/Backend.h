// What the window manager asks of the system that shows its windows: the headless
// backend for tests, SDL for live sessions. Only top-level windows reach a backend.
#pragma once

#include "platform/win/Messages.h"
#include "platform/win/Types.h"

#include <memory>
#include <optional>

namespace varn {

class Backend {
public:
    virtual ~Backend() = default;

    virtual TPoint screenSize() const = 0;  // x: width, y: height

    virtual void createWindow(HWND window) { (void)window; }
    virtual void destroyWindow(HWND window) { (void)window; }
    virtual void showWindow(HWND window, bool visible) { (void)window; (void)visible; }
    // The window rectangle in screen coordinates.
    virtual void moveWindow(HWND window, const TRect& screenRect) { (void)window; (void)screenRect; }
    // The window's backing store changed; show it.
    virtual void present(HWND window) { (void)window; }
    virtual void setCursor(int cursor) { (void)cursor; }

    // Feeds pending system events to the input functions without waiting.
    virtual void pollEvents() {}
    // Waits for system events (fed to the input functions) until the clock reaches
    // deadline, or without limit when there is none. Returns false when nothing can
    // ever arrive, so a message loop that would wait forever can stop instead.
    virtual bool waitEvents(std::optional<uint32_t> deadline) = 0;

    // The clipboard's text, 8-bit. Without a system clipboard the text stays in
    // the process.
    virtual AnsiString clipboardText() const { return clipboard; }
    virtual bool hasClipboardText() const { return !clipboard.empty(); }
    virtual void setClipboardText(const AnsiString& text) { clipboard = text; }

    // Shows a modal message box (MB_* flags) and answers with the ID* of the
    // button chosen; nullopt when the backend has no dialogs of its own.
    virtual std::optional<int> messageBox(const AnsiString& text, const AnsiString& caption, int flags)
    {
        (void)text; (void)caption; (void)flags;
        return std::nullopt;
    }

private:
    AnsiString clipboard;
};

// The backend in use; the headless one until another is installed.
Backend& backend();
// Installs a backend and returns the previous one. Install before creating windows.
std::unique_ptr<Backend> setBackend(std::unique_ptr<Backend> newBackend);
// Installs the backend of real windows when a display is there (and the library
// was built with one); answers whether it did. Application->Initialize calls it.
bool installLiveBackend();

}  // namespace varn
