#include "platform/win/backend/sdl/SdlKeys.h"

#include "platform/win/Windows.h"

namespace varn::detail {

namespace {

// Punctuation by its place on a US keyboard, the positions Win32's OEM codes name.
int virtualKeyFromScancode(SDL_Scancode scancode)
{
    switch (scancode) {
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_BACKSLASH: return VK_OEM_5;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    case SDL_SCANCODE_NONUSBACKSLASH: return VK_OEM_5;
    default: return 0;
    }
}

}  // namespace

int virtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return VK_F1 + (key - SDLK_F1);
    switch (key) {
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT: return VK_MENU;
    case SDLK_LGUI: return VK_LWIN;
    case SDLK_RGUI: return VK_RWIN;
    case SDLK_APPLICATION: return VK_APPS;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDLK_SCROLLLOCK: return VK_SCROLL;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_PRINTSCREEN: return VK_SNAPSHOT;
    case SDLK_HELP: return VK_HELP;
    case SDLK_KP_0: return VK_NUMPAD0;
    case SDLK_KP_1: return VK_NUMPAD1;
    case SDLK_KP_2: return VK_NUMPAD2;
    case SDLK_KP_3: return VK_NUMPAD3;
    case SDLK_KP_4: return VK_NUMPAD4;
    case SDLK_KP_5: return VK_NUMPAD5;
    case SDLK_KP_6: return VK_NUMPAD6;
    case SDLK_KP_7: return VK_NUMPAD7;
    case SDLK_KP_8: return VK_NUMPAD8;
    case SDLK_KP_9: return VK_NUMPAD9;
    case SDLK_KP_MULTIPLY: return VK_MULTIPLY;
    case SDLK_KP_PLUS: return VK_ADD;
    case SDLK_KP_MINUS: return VK_SUBTRACT;
    case SDLK_KP_PERIOD: return VK_DECIMAL;
    case SDLK_KP_DIVIDE: return VK_DIVIDE;
    case SDLK_SEMICOLON: return VK_OEM_1;
    case SDLK_EQUALS:
    case SDLK_PLUS: return VK_OEM_PLUS;
    case SDLK_COMMA: return VK_OEM_COMMA;
    case SDLK_MINUS: return VK_OEM_MINUS;
    case SDLK_PERIOD: return VK_OEM_PERIOD;
    case SDLK_SLASH: return VK_OEM_2;
    case SDLK_BACKQUOTE: return VK_OEM_3;
    case SDLK_LEFTBRACKET: return VK_OEM_4;
    case SDLK_BACKSLASH: return VK_OEM_5;
    case SDLK_RIGHTBRACKET: return VK_OEM_6;
    case SDLK_QUOTE: return VK_OEM_7;
    default: return virtualKeyFromScancode(scancode);
    }
}

bool isModifierKey(SDL_Keycode key)
{
    switch (key) {
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
    case SDLK_LCTRL:
    case SDLK_RCTRL:
    case SDLK_LALT:
    case SDLK_RALT: return true;
    default: return false;
    }
}

std::vector<KeyChange> modifierChanges(Uint16 sdlModifiers, bool heldShift, bool heldControl, bool heldAlt)
{
    std::vector<KeyChange> changes;
    auto sync = [&](Uint16 mask, bool held, int virtualKey) {
        bool down = (sdlModifiers & mask) != 0;
        if (down != held)
            changes.push_back({virtualKey, down});
    };
    sync(KMOD_SHIFT, heldShift, VK_SHIFT);
    sync(KMOD_CTRL, heldControl, VK_CONTROL);
    sync(KMOD_ALT, heldAlt, VK_MENU);
    return changes;
}

SDL_SystemCursor systemCursorFor(int cursor)
{
    switch (cursor) {
    case crCross: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case crIBeam: return SDL_SYSTEM_CURSOR_IBEAM;
    case crSizeNESW: return SDL_SYSTEM_CURSOR_SIZENESW;
    case crSizeNWSE: return SDL_SYSTEM_CURSOR_SIZENWSE;
    case crSizeNS:
    case crVSplit: return SDL_SYSTEM_CURSOR_SIZENS;
    case crSizeWE:
    case crHSplit: return SDL_SYSTEM_CURSOR_SIZEWE;
    case crSizeAll: return SDL_SYSTEM_CURSOR_SIZEALL;
    case crHourGlass: return SDL_SYSTEM_CURSOR_WAIT;
    case crAppStart: return SDL_SYSTEM_CURSOR_WAITARROW;
    case crNo:
    case crNoDrop: return SDL_SYSTEM_CURSOR_NO;
    case crHandPoint: return SDL_SYSTEM_CURSOR_HAND;
    default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}

std::vector<MessageBoxButton> messageBoxButtons(int flags)
{
    std::vector<MessageBoxButton> buttons;
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL: buttons = {{IDOK, "Aceptar", 0}, {IDCANCEL, "Cancelar", 0}}; break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{IDABORT, "Anular", 0}, {IDRETRY, "Reintentar", 0}, {IDIGNORE, "Omitir", 0}};
        break;
    case MB_YESNOCANCEL: buttons = {{IDYES, "S\xED", 0}, {IDNO, "No", 0}, {IDCANCEL, "Cancelar", 0}}; break;
    case MB_YESNO: buttons = {{IDYES, "S\xED", 0}, {IDNO, "No", 0}}; break;
    case MB_RETRYCANCEL: buttons = {{IDRETRY, "Reintentar", 0}, {IDCANCEL, "Cancelar", 0}}; break;
    default: buttons = {{IDOK, "Aceptar", 0}}; break;
    }
    size_t defaultIndex = static_cast<size_t>((flags & MB_DEFMASK) >> 8);
    if (defaultIndex >= buttons.size())
        defaultIndex = 0;
    buttons[defaultIndex].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    // Escape answers Cancel where there is one, OK on a lone OK, and nothing
    // in the boxes that must be answered (Yes/No, Abort/Retry/Ignore).
    int escapeId = messageBoxDismissAnswer(flags);
    for (auto& button : buttons)
        if (button.id == escapeId && (escapeId == IDCANCEL || escapeId == IDOK))
            button.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    return buttons;
}

int messageBoxDismissAnswer(int flags)
{
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL: return IDCANCEL;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDOK;
    }
}

Uint32 messageBoxKind(int flags)
{
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR: return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
    }
}

}  // namespace varn::detail
