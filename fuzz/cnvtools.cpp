// The conversion helpers: numbers written for cells read back within their rounding,
// text readers raise only EConvertError, and the text surgery agrees with a plain
// model of what it documents.
#include "support/FuzzInput.h"

#include "platform/SysUtils.h"
#include "utils/Cnvtools.h"

#include <algorithm>
#include <cmath>

namespace {

using varn::fuzz::Input;

// Reads a text the helpers wrote: it must be a number within tolerance of value.
void checkReadsBack(const AnsiString& written, double value, double tolerance)
{
    double read = 0;
    try {
        read = cnvStrToDouble(written);
    } catch (const EConvertError&) {
        std::fprintf(stderr, "%.17g written as '%s' does not read back\n", value, written.c_str());
        FUZZ_CHECK(!"written number reads back");
    }
    if (!(std::fabs(read - value) <= tolerance + std::fabs(value) * 1e-15))
        std::fprintf(stderr, "%.17g written as '%s' reads back as %.17g\n", value, written.c_str(), read);
    FUZZ_CHECK(std::fabs(read - value) <= tolerance + std::fabs(value) * 1e-15);
}

void numbers(Input& input)
{
    const double value = input.bits();
    const int decimals = input.range(-3, 40);
    const AnsiString fixed = cnvDoubleToStr(value, decimals);
    const AnsiString money = cnvDoubleToMoney(value);
    if (!std::isfinite(value)) {
        FUZZ_CHECK(fixed == money && (fixed == "nan" || fixed == "inf" || fixed == "-inf"));
        return;
    }
    // A negative precision is no precision: six decimals.
    checkReadsBack(fixed, value, 0.5000001 * std::pow(10.0, -(decimals < 0 ? 6 : decimals)));
    checkReadsBack(money, value, 0.0050001);
    // Groups of three digits between the marks, two decimals after the comma.
    const size_t comma = money.find(',');
    FUZZ_CHECK(comma != AnsiString::npos && money.size() - comma == 3);
    size_t digits = 0;
    for (size_t i = comma; i-- > 0 && money[i] != '-';) {
        if (money[i] == '.') {
            FUZZ_CHECK(digits == 3);
            digits = 0;
        } else {
            ++digits;
        }
    }
    FUZZ_CHECK(digits >= 1 && digits <= 3);

    const int integer = static_cast<int>(input.u32());
    FUZZ_CHECK(cnvStrToIntDef(cnvIntToStr(integer)) == integer);
}

void texts(Input& input)
{
    const AnsiString pattern = input.text(8);
    const AnsiString replacement = input.text(16);
    const AnsiString text = input.rest();

    try {
        (void)cnvStrToDouble(text);
    } catch (const EConvertError&) {
    }
    (void)cnvStrToDoubleDef(text);
    (void)cnvStrToIntDef(text);
    (void)cnvStrToBool(text);
    FUZZ_CHECK(cnvQuote(text) == "\"" + text + "\"");

    // Left to right, the inserted text never searched again.
    AnsiString model = text;
    if (!pattern.empty())
        for (size_t at = model.find(pattern); at != AnsiString::npos; at = model.find(pattern, at + replacement.size()))
            model.replace(at, pattern.size(), replacement);
    AnsiString replaced = text;
    cnvReplaceAll(pattern, replacement, replaced);
    FUZZ_CHECK(replaced == model);

    if (!pattern.empty()) {
        AnsiString removed = text;
        cnvRemoveChar(pattern[0], removed);
        FUZZ_CHECK(removed.find(pattern[0]) == AnsiString::npos);
        FUZZ_CHECK(removed.size() + std::count(text.begin(), text.end(), pattern[0]) == text.size());
    }

    // Only vowels, and S and Z with a caron, lose their accent.
    const AnsiString plain = cnvRemoveAccents(text);
    FUZZ_CHECK(plain.size() == text.size());
    FUZZ_CHECK(cnvRemoveAccents(plain) == plain);
    for (size_t i = 0; i < text.size(); ++i)
        FUZZ_CHECK(plain[i] == text[i] || AnsiString("AEIOUaeiouSsZz").find(plain[i]) != AnsiString::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input input(data, size);
    numbers(input);
    texts(input);
    return 0;
}
