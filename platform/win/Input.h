// Input entry points: one function per kind of user input, used by the SDL backend
// and by tests. Each builds the messages Win32 would build and posts them to the
// queue (never sends them), so the application's message event sees them first.
#pragma once

#include "platform/win/Types.h"

namespace varn {

enum class MouseButton { Left, Right, Middle };

// Positions are screen coordinates. A button or wheel event at a new position
// first posts the move there.
void inputMouseMove(int x, int y);
void inputMouseDown(MouseButton button, int x, int y);
void inputMouseUp(MouseButton button, int x, int y);
// delta: WHEEL_DELTA (120) per notch, positive away from the user.
void inputMouseWheel(int delta, int x, int y);
// Virtual-key codes (VK_*, 'A'..'Z', '0'..'9'). Shift, Ctrl and Alt are keys too:
// press VK_SHIFT, VK_CONTROL or VK_MENU around the key they modify.
void inputKeyDown(int virtualKey);
void inputKeyUp(int virtualKey);
// 8-bit text typed by the user; one WM_CHAR per character to the focused window.
void inputText(const AnsiString& text);

}  // namespace varn
