#include "platform/SysUtils.h"

#include <cstdio>

void ListIndexError(int index)
{
    throw EListError(Sprintf("List index out of bounds (%d)", index));
}

AnsiString VSprintf(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0)
        return {};
    AnsiString result(static_cast<size_t>(length), '\0');
    std::vsnprintf(result.data(), result.size() + 1, format, args);
    return result;
}

AnsiString Sprintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AnsiString result = VSprintf(format, args);
    va_end(args);
    return result;
}
