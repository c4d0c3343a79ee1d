// The application object.
#pragma once

#include "platform/Types.h"

#include <functional>

// Where Application->MessageBox goes. A live session shows a modal dialog;
// headless the default prints to stderr and answers IDOK. Tests install their own
// handler to capture text and caption.
using TMessageBoxHandler = std::function<int(const AnsiString& text, const AnsiString& caption, int flags)>;

class TApplication {
public:
    int MessageBox(const AnsiString& text, const AnsiString& caption, int flags);

    // Replaces the message-box handler and returns the previous one; an empty
    // handler restores the default.
    TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);

private:
    TMessageBoxHandler messageBoxHandler;  // empty: the default (stderr, IDOK)
};

extern TApplication* Application;
