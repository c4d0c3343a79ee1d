// Number parsing and formatting: StrToFloat and StrToInt on any text (their Try forms
// agree with them), FloatToStr of any double reads back, FormatFloat takes any
// pattern, and fixed patterns read back within the rounding they show.
#include "support/FuzzInput.h"

#include "platform/SysUtils.h"

#include <cmath>

namespace {

using varn::fuzz::Input;

// FormatSettings as they were before the input, whatever the input set.
struct SettingsGuard {
    TFormatSettings saved = FormatSettings;
    ~SettingsGuard() { FormatSettings = saved; }
};

// A value written with 15 significant digits reads back within their rounding.
bool closeEnough(double read, double value, double absolute = 0)
{
    return std::fabs(read - value) <= std::fabs(value) * 1e-14 + absolute;
}

void readsBack(const AnsiString& written, double value, double absolute = 0)
{
    double read = 0;
    if (!TryStrToFloat(written, read)) {
        std::fprintf(stderr, "%.17g written as '%s' does not read back\n", value, written.c_str());
        FUZZ_CHECK(!"written number reads back");
    }
    if (!closeEnough(read, value, absolute))
        std::fprintf(stderr, "%.17g written as '%s' reads back as %.17g\n", value, written.c_str(), read);
    FUZZ_CHECK(closeEnough(read, value, absolute));
}

AnsiString withoutThousands(AnsiString text)
{
    std::erase(text, FormatSettings.ThousandSeparator);
    return text;
}

void writeNumber(Input& input)
{
    const double value = input.bits();
    const AnsiString written = FloatToStr(value);
    if (std::isfinite(value))
        readsBack(written, value);
    else
        FUZZ_CHECK(written == (std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF"));

    (void)FormatFloat(input.text(40), value);
    if (std::isfinite(value) && std::fabs(value) < 1e15) {
        const int decimals = input.range(0, 20);
        const AnsiString fixed = "#,##0." + AnsiString(decimals, '0');
        readsBack(withoutThousands(FormatFloat(fixed, value)), value, 0.5000001 * std::pow(10.0, -decimals));
        readsBack(FormatFloat("0.00E+00", value), value, std::fabs(value) * 0.0050001);
    }
}

void readText(const AnsiString& text)
{
    double value = 0;
    const bool isFloat = TryStrToFloat(text, value);
    try {
        FUZZ_CHECK(StrToFloat(text) == value || std::isnan(value));
        FUZZ_CHECK(isFloat);
        FUZZ_CHECK(StrToFloatDef(text, -1) == value);
        FUZZ_CHECK(std::isfinite(value));
        readsBack(FloatToStr(value), value);
    } catch (const EConvertError&) {
        FUZZ_CHECK(!isFloat);
    }

    int integer = 0;
    const bool isInteger = TryStrToInt(text, integer);
    try {
        FUZZ_CHECK(StrToInt(text) == integer);
        FUZZ_CHECK(isInteger);
        FUZZ_CHECK(StrToInt(IntToStr(integer)) == integer);
    } catch (const EConvertError&) {
        FUZZ_CHECK(!isInteger);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SettingsGuard guard;
    Input input(data, size);
    // Either locale's marks, always distinct.
    if (input.flag()) {
        FormatSettings.DecimalSeparator = '.';
        FormatSettings.ThousandSeparator = ',';
    }
    writeNumber(input);
    readText(input.rest());
    return 0;
}
