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

TFormatSettings::TFormatSettings()
{
    static const char* const longMonths[12] = {
        "enero", "febrero", "marzo", "abril", "mayo", "junio",
        "julio", "agosto", "septiembre", "octubre", "noviembre", "diciembre"};
    static const char* const shortMonths[12] = {
        "ene", "feb", "mar", "abr", "may", "jun", "jul", "ago", "sep", "oct", "nov", "dic"};
    static const char* const longDays[7] = {
        "domingo", "lunes", "martes", "mi\xE9rcoles", "jueves", "viernes", "s\xE1" "bado"};
    static const char* const shortDays[7] = {
        "dom", "lun", "mar", "mi\xE9", "jue", "vie", "s\xE1" "b"};
    for (int i = 0; i < 12; ++i) {
        LongMonthNames[i] = longMonths[i];
        ShortMonthNames[i] = shortMonths[i];
    }
    for (int i = 0; i < 7; ++i) {
        LongDayNames[i] = longDays[i];
        ShortDayNames[i] = shortDays[i];
    }
}

TFormatSettings FormatSettings;
