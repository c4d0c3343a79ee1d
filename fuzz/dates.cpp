// Dates and times: FormatDateTime takes any pattern and any value (the locale's own
// formats and names from the input too), StrToDate and StrToTime take any text and
// agree with their Try forms, and a date or time written in the locale's short form
// reads back as itself.
#include "support/FuzzInput.h"

#include "platform/SysUtils.h"

#include <cmath>

namespace {

using varn::fuzz::Input;

struct SettingsGuard {
    TFormatSettings saved = FormatSettings;
    ~SettingsGuard() { FormatSettings = saved; }
};

// Short date formats that hold a four-digit year, so that a date reads back exactly.
const char* const roundTripFormats[] = {"dd/mm/yyyy", "d/m/yyyy", "mm/dd/yyyy", "yyyy/mm/dd", "yyyy-mm-dd",
                                        "dd.mm.yyyy", "m/d/yyyy"};

void roundTrip(Input& input)
{
    FormatSettings.ShortDateFormat = roundTripFormats[input.range(0, 6)];
    const int year = input.range(1, 9999), month = input.range(1, 12), day = input.range(1, 31);
    TDateTime date = 0;
    if (TryEncodeDate(year, month, day, date)) {
        int y, m, d;
        DecodeDate(date, y, m, d);
        FUZZ_CHECK(y == year && m == month && d == day);
        const AnsiString written = DateToStr(date);
        TDateTime read = 0;
        if (!TryStrToDate(written, read))
            std::fprintf(stderr, "%d-%d-%d written as '%s' does not read back\n", year, month, day, written.c_str());
        FUZZ_CHECK(read == date);
    }

    const int hour = input.range(0, 23), minute = input.range(0, 59), second = input.range(0, 59),
              msec = input.range(0, 999);
    const TDateTime time = EncodeTime(hour, minute, second, msec);
    int h, n, s, z;
    DecodeTime(time, h, n, s, z);
    FUZZ_CHECK(h == hour && n == minute && s == second && z == msec);
    const AnsiString written = FormatDateTime("hh:nn:ss", time) + FormatSettings.DecimalSeparator
                               + FormatDateTime("zzz", time);
    TDateTime read = 0;
    FUZZ_CHECK(TryStrToTime(written, read));
    DecodeTime(read, h, n, s, z);
    FUZZ_CHECK(h == hour && n == minute && s == second && z == msec);
    // Twelve-hour text reads back too.
    FUZZ_CHECK(TryStrToTime(FormatDateTime("h:nn am/pm", time), read));
    DecodeTime(read, h, n, s, z);
    FUZZ_CHECK(h == hour && n == minute);
}

void anyPattern(Input& input)
{
    const double value = input.flag() ? input.bits() : input.range(-700000, 3000000) + input.byte() / 256.0;
    FormatSettings.ShortDateFormat = input.text(16);
    FormatSettings.LongDateFormat = input.text(16);
    FormatSettings.LongTimeFormat = input.text(16);
    FormatSettings.ShortTimeFormat = input.text(16);
    FormatSettings.TimeAMString = input.text(4);
    FormatSettings.TimePMString = input.text(4);
    FormatSettings.LongMonthNames[input.range(0, 11)] = input.text(8);
    FormatSettings.ShortDayNames[input.range(0, 6)] = input.text(8);
    FormatSettings.DateSeparator = static_cast<char>(input.byte());
    FormatSettings.TimeSeparator = static_cast<char>(input.byte());
    const AnsiString pattern = input.text(64);
    (void)FormatDateTime(pattern, value);
    (void)DateTimeToStr(value);
    int y, m, d, h, n, s, z;
    DecodeDate(value, y, m, d);
    DecodeTime(value, h, n, s, z);
    FUZZ_CHECK(m >= 1 && m <= 12 && d >= 1 && d <= 31);
    FUZZ_CHECK(h >= 0 && h <= 23 && n >= 0 && n <= 59 && s >= 0 && s <= 59 && z >= 0 && z <= 999);
    FUZZ_CHECK(DayOfWeek(value) >= 1 && DayOfWeek(value) <= 7);

    const AnsiString text = input.rest();
    TDateTime read = 0;
    const bool isDate = TryStrToDate(text, read);
    try {
        FUZZ_CHECK(StrToDate(text) == read && isDate);
        DecodeDate(read, y, m, d);
        FUZZ_CHECK(y >= 1 && y <= 9999);
    } catch (const EConvertError&) {
        FUZZ_CHECK(!isDate);
    }
    const bool isTime = TryStrToTime(text, read);
    try {
        FUZZ_CHECK(StrToTime(text) == read && isTime);
        FUZZ_CHECK(read >= 0 && read < 1);
    } catch (const EConvertError&) {
        FUZZ_CHECK(!isTime);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SettingsGuard guard;
    Input input(data, size);
    roundTrip(input);
    FormatSettings = guard.saved;
    anyPattern(input);
    return 0;
}
