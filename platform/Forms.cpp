#include "platform/Forms.h"

#include "platform/SysUtils.h"
#include "platform/Windows.h"

#include <cstdio>

namespace {
TApplication theApplication;
}

TApplication* Application = &theApplication;

int TApplication::MessageBox(const AnsiString& text, const AnsiString& caption, int flags)
{
    if (messageBoxHandler)
        return messageBoxHandler(text, caption, flags);
    std::fprintf(stderr, "[%s] %s\n", Latin1ToUtf8(caption).c_str(), Latin1ToUtf8(text).c_str());
    return IDOK;
}

TMessageBoxHandler TApplication::SetMessageBoxHandler(TMessageBoxHandler handler)
{
    std::swap(messageBoxHandler, handler);
    return handler;
}
