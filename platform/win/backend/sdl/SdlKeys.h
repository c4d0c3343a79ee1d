// How SDL's input and dialog vocabulary maps to the window manager's: virtual-key
// codes, modifier state, system cursors and message-box buttons. Pure functions,
// so they are tested without a display.
#pragma once

#include "platform/win/Types.h"

#include <SDL_keyboard.h>
#include <SDL_messagebox.h>
#include <SDL_mouse.h>

#include <vector>

namespace varn::detail {

// The virtual-key code of an SDL key, or 0 for a key the framework has no code
// for. Letters, digits and the named keys follow the key code (so the keyboard
// layout decides, as it does for Win32's codes); punctuation that the layout
// gives a code outside ASCII falls back to the key's position on a US keyboard.
int virtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);

// True for Shift, Ctrl and Alt (either side): they are posted as VK_SHIFT,
// VK_CONTROL and VK_MENU.
bool isModifierKey(SDL_Keycode key);

struct KeyChange {
    int virtualKey;
    bool down;
    friend bool operator==(const KeyChange&, const KeyChange&) = default;
};

// The presses and releases of VK_SHIFT, VK_CONTROL and VK_MENU that bring the
// window manager's key state (held*) in line with SDL's modifier state, e.g.
// after Shift was released while another program had the keyboard.
std::vector<KeyChange> modifierChanges(Uint16 sdlModifiers, bool heldShift, bool heldControl, bool heldAlt);

// The system cursor that shows a TCursor value. crNone hides the pointer and is
// handled by the caller; unknown (application-defined) cursors show the arrow.
SDL_SystemCursor systemCursorFor(int cursor);

struct MessageBoxButton {
    int id;             // IDOK, IDCANCEL, IDYES ...
    AnsiString caption; // 8-bit
    Uint32 flags;       // SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT / ESCAPEKEY_DEFAULT
};

// The buttons, left to right, that MessageBox flags ask for (MB_OK,
// MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL, MB_RETRYCANCEL, MB_ABORTRETRYIGNORE),
// with the default button of MB_DEFBUTTON2/3 on Enter and the cancelling one
// on Escape.
std::vector<MessageBoxButton> messageBoxButtons(int flags);

// The answer when the dialog ends without a button (closed by the desktop, or
// it could not be shown): the cancelling answer, never a "yes".
int messageBoxDismissAnswer(int flags);

// SDL_MESSAGEBOX_ERROR / WARNING / INFORMATION for the MB_ICON* bits.
Uint32 messageBoxKind(int flags);

}  // namespace varn::detail
