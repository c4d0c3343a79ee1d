// Integer and floating-point conversion: IntToStr, StrToInt and friends,
// StrToFloat, FloatToStr and the FormatFloat pattern language.
#include "platform/SysUtils.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A finite non-negative value as decimal digits: value = 0.d1d2d3... * 10^exponent.
struct DecimalDigits {
    std::string digits;  // significant digits, no leading or trailing zeros; empty for zero
    int exponent = 0;
};

// Doubles carry 15 reliable significant digits; rounding the rest away first
// makes 1.005 format as 1,01 and 0.1 + 0.2 as 0,3, as a reader expects.
constexpr int significantDigits = 15;

void stripTrailingZeros(DecimalDigits& number)
{
    while (!number.digits.empty() && number.digits.back() == '0')
        number.digits.pop_back();
    if (number.digits.empty())
        number.exponent = 0;
}

// 17 significant digits name every double exactly.
constexpr int exactDigits = 17;

DecimalDigits toDecimal(double value, int digits = significantDigits)
{
    DecimalDigits number;
    value = std::fabs(value);
    if (value == 0)
        return number;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, value);
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            number.digits += *p;
    }
    number.exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
    stripTrailingZeros(number);
    return number;
}

// True when the digits read back as a value beyond the largest double, as the
// largest doubles do when rounded to 15 digits (1.79769313486232E308).
bool overflows(const DecimalDigits& number)
{
    if (number.exponent < 309)
        return false;
    std::string text = "0." + number.digits + "e" + std::to_string(number.exponent);
    double value = 0;
    return std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc::result_out_of_range;
}

// Keeps the first `keep` digits, rounding half away from zero.
void roundDigits(DecimalDigits& number, int keep)
{
    if (keep >= static_cast<int>(number.digits.size()))
        return;
    if (keep < 0) {
        number = {};
        return;
    }
    bool up = number.digits[keep] >= '5';
    number.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && number.digits[i] == '9') {
            number.digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++number.digits[i];
        } else {
            number.digits.insert(number.digits.begin(), '1');
            ++number.exponent;
        }
    }
    stripTrailingZeros(number);
}

// Digit `index` (0 = first significant) or '0' outside the stored digits.
char digitAt(const DecimalDigits& number, int index)
{
    if (index < 0 || index >= static_cast<int>(number.digits.size()))
        return '0';
    return number.digits[index];
}

AnsiString nonFiniteText(double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

// Parses [blanks][sign](digits|$hex|0xhex); hex may use the full 32 bits.
bool parseInteger(const AnsiString& text, int& value)
{
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < n && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return false;
    long long magnitude = 0;
    const long long limit = base == 16 ? 0xFFFFFFFFLL : (negative ? 2147483648LL : 2147483647LL);
    for (; i < n; ++i) {
        char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return false;
    }
    if (base == 16) {
        // Hex texts name a 32-bit pattern: $FFFFFFFF is -1.
        uint32_t bits = static_cast<uint32_t>(magnitude);
        if (negative)
            bits = 0u - bits;
        value = static_cast<int32_t>(bits);
    } else {
        value = static_cast<int>(negative ? -magnitude : magnitude);
    }
    return true;
}

// Strict float syntax: [blanks][sign]digits[sep digits][(e|E)[sign]digits][blanks],
// at least one mantissa digit, the separator being the locale's decimal separator.
bool parseFloat(const AnsiString& text, double& value)
{
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    std::string normal;  // the same number in the form std::from_chars reads
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            normal += '-';
        ++i;
    }
    int mantissaDigits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        normal += text[i++];
        ++mantissaDigits;
    }
    if (i < n && text[i] == FormatSettings.DecimalSeparator) {
        normal += '.';
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            normal += text[i++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        normal += 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) {
            if (text[i] == '-')
                normal += '-';
            ++i;
        }
        int exponentDigits = 0;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            normal += text[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return false;
    }
    while (i < n && text[i] == ' ')
        ++i;
    if (i != n)
        return false;
    double result = 0;
    auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), result);
    if (end != normal.data() + normal.size())
        return false;
    if (error == std::errc::result_out_of_range) {
        // Underflow reads as zero; overflow is no valid value.
        const char* e = std::strchr(normal.c_str(), 'e');
        if (!e || e[1] != '-')
            return false;
        result = 0;
    } else if (error != std::errc()) {
        return false;
    }
    value = result;
    return true;
}

// ---- FormatFloat -----------------------------------------------------------

// Splits a pattern at ';' outside quotes into at most three sections.
std::vector<AnsiString> splitSections(const AnsiString& format)
{
    std::vector<AnsiString> sections(1);
    char quote = 0;
    for (char c : format) {
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';' && sections.size() < 3) {
            sections.emplace_back();
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

struct NumberLayout {
    int integerPlaceholders = 0;
    int forcedIntegerDigits = 0;  // placeholders from the first '0' to the point
    int decimalPlaceholders = 0;
    int forcedDecimals = 0;       // placeholders up to the last '0' after the point
    bool thousands = false;
    bool scientific = false;
    bool hasDecimalPoint = false;
};

NumberLayout scanLayout(const AnsiString& section)
{
    NumberLayout layout;
    int firstZero = -1;
    char quote = 0;
    for (size_t i = 0; i < section.size(); ++i) {
        char c = section[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        switch (c) {
        case '\'':
        case '"':
            quote = c;
            break;
        case '0':
        case '#':
            if (layout.hasDecimalPoint) {
                ++layout.decimalPlaceholders;
                if (c == '0')
                    layout.forcedDecimals = layout.decimalPlaceholders;
            } else {
                if (c == '0' && firstZero < 0)
                    firstZero = layout.integerPlaceholders;
                ++layout.integerPlaceholders;
            }
            break;
        case '.':
            layout.hasDecimalPoint = true;
            break;
        case ',':
            layout.thousands = true;
            break;
        case 'e':
        case 'E':
            if (i + 1 < section.size() && (section[i + 1] == '+' || section[i + 1] == '-')) {
                layout.scientific = true;
                i = section.size();  // what follows is the exponent and literals
            }
            break;
        default:
            break;
        }
    }
    if (firstZero >= 0)
        layout.forcedIntegerDigits = layout.integerPlaceholders - firstZero;
    return layout;
}

// Rounds the value as the layout shows it; empty digits mean it shows as zero.
DecimalDigits roundForLayout(double value, const NumberLayout& layout)
{
    DecimalDigits number = toDecimal(value);
    if (layout.scientific)
        roundDigits(number, std::max(1, layout.integerPlaceholders + layout.decimalPlaceholders));
    else
        roundDigits(number, number.exponent + layout.decimalPlaceholders);
    return number;
}

AnsiString renderSection(const AnsiString& section, const NumberLayout& layout, const DecimalDigits& number)
{
    std::string integerDigits;
    std::string fractionDigits;
    int exponent = 0;
    if (layout.scientific) {
        if (!number.digits.empty())
            exponent = number.exponent - layout.integerPlaceholders;
        for (int i = 0; i < layout.integerPlaceholders; ++i)
            integerDigits += digitAt(number, i);
        for (int i = 0; i < layout.decimalPlaceholders; ++i)
            fractionDigits += digitAt(number, layout.integerPlaceholders + i);
        size_t leadingZeros = 0;
        while (leadingZeros < integerDigits.size() && integerDigits[leadingZeros] == '0')
            ++leadingZeros;
        integerDigits.erase(0, leadingZeros);
    } else {
        for (int i = 0; i < number.exponent; ++i)
            integerDigits += digitAt(number, i);
        for (int i = 0; i < layout.decimalPlaceholders; ++i)
            fractionDigits += digitAt(number, number.exponent + i);
    }
    if (static_cast<int>(integerDigits.size()) < layout.forcedIntegerDigits)
        integerDigits.insert(0, layout.forcedIntegerDigits - integerDigits.size(), '0');
    while (static_cast<int>(fractionDigits.size()) > layout.forcedDecimals && fractionDigits.back() == '0')
        fractionDigits.pop_back();

    AnsiString out;
    const int integerCount = static_cast<int>(integerDigits.size());
    int integerEmitted = 0;
    auto emitIntegerDigitsUpTo = [&](int end) {
        for (; integerEmitted < end && integerEmitted < integerCount; ++integerEmitted) {
            out += integerDigits[integerEmitted];
            int remaining = integerCount - 1 - integerEmitted;
            if (layout.thousands && !layout.scientific && remaining > 0 && remaining % 3 == 0)
                out += FormatSettings.ThousandSeparator;
        }
    };

    int integerPlaceholder = 0;
    int decimalPlaceholder = 0;
    bool afterPoint = false;
    for (size_t i = 0; i < section.size(); ++i) {
        char c = section[i];
        switch (c) {
        case '\'':
        case '"': {
            size_t close = section.find(c, i + 1);
            if (close == AnsiString::npos)
                close = section.size();
            out.append(section, i + 1, close - i - 1);
            i = close;
            break;
        }
        case '0':
        case '#':
            if (afterPoint) {
                if (decimalPlaceholder < static_cast<int>(fractionDigits.size()))
                    out += fractionDigits[decimalPlaceholder];
                ++decimalPlaceholder;
            } else {
                // The first placeholder takes the digits that have no placeholder of their own.
                ++integerPlaceholder;
                emitIntegerDigitsUpTo(integerCount - (layout.integerPlaceholders - integerPlaceholder));
            }
            break;
        case '.':
            if (!afterPoint) {
                afterPoint = true;
                if (layout.integerPlaceholders == 0)
                    emitIntegerDigitsUpTo(integerCount);
                if (!fractionDigits.empty())
                    out += FormatSettings.DecimalSeparator;
            }
            break;
        case ',':
            break;
        case 'e':
        case 'E':
            if (layout.scientific && i + 1 < section.size() && (section[i + 1] == '+' || section[i + 1] == '-')) {
                bool alwaysSign = section[i + 1] == '+';
                i += 2;
                int minimumDigits = 0;
                while (i < section.size() && section[i] == '0' && minimumDigits < 4) {
                    ++minimumDigits;
                    ++i;
                }
                --i;
                out += c;
                if (exponent < 0)
                    out += '-';
                else if (alwaysSign)
                    out += '+';
                std::string digits = std::to_string(std::abs(exponent));
                if (static_cast<int>(digits.size()) < minimumDigits)
                    digits.insert(0, minimumDigits - digits.size(), '0');
                out += digits;
                afterPoint = true;  // digit placeholders after the exponent print nothing
                decimalPlaceholder = static_cast<int>(fractionDigits.size());
            } else {
                out += c;
            }
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

}  // namespace

AnsiString IntToStr(long long value)
{
    return std::to_string(value);
}

bool TryStrToInt(const AnsiString& text, int& value)
{
    return parseInteger(text, value);
}

int StrToInt(const AnsiString& text)
{
    int value = 0;
    if (!parseInteger(text, value))
        throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

int StrToIntDef(const AnsiString& text, int defaultValue)
{
    int value = 0;
    return parseInteger(text, value) ? value : defaultValue;
}

bool TryStrToFloat(const AnsiString& text, double& value)
{
    return parseFloat(text, value);
}

double StrToFloat(const AnsiString& text)
{
    double value = 0;
    if (!parseFloat(text, value))
        throw EConvertError("'" + text + "' is not a valid floating point value");
    return value;
}

double StrToFloatDef(const AnsiString& text, double defaultValue)
{
    double value = 0;
    return parseFloat(text, value) ? value : defaultValue;
}

AnsiString FloatToStr(double value)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    DecimalDigits number = toDecimal(value);
    if (overflows(number))
        number = toDecimal(value, exactDigits);  // what is written must read back
    if (number.digits.empty())
        return "0";
    AnsiString out = value < 0 ? "-" : "";
    const int digitCount = static_cast<int>(number.digits.size());
    if (number.exponent > significantDigits || number.exponent < -3) {
        out += number.digits[0];
        if (digitCount > 1) {
            out += FormatSettings.DecimalSeparator;
            out.append(number.digits, 1);
        }
        out += 'E';
        out += std::to_string(number.exponent - 1);
    } else if (number.exponent <= 0) {
        out += '0';
        out += FormatSettings.DecimalSeparator;
        out.append(-number.exponent, '0');
        out += number.digits;
    } else {
        for (int i = 0; i < number.exponent; ++i)
            out += digitAt(number, i);
        if (digitCount > number.exponent) {
            out += FormatSettings.DecimalSeparator;
            out.append(number.digits, number.exponent);
        }
    }
    return out;
}

// Sections "positive;negative;zero". A negative value formatted by the first
// section gets a leading '-'. A value that rounds to zero is formatted by the
// zero section (or the first) without a sign.
AnsiString FormatFloat(const AnsiString& format, double value)
{
    if (!std::isfinite(value) || format.empty())
        return FloatToStr(value);
    std::vector<AnsiString> sections = splitSections(format);
    auto usable = [&](size_t index) { return index < sections.size() && !sections[index].empty(); };

    size_t chosen = 0;
    if (value < 0 && usable(1))
        chosen = 1;
    else if (value == 0 && usable(2))
        chosen = 2;
    NumberLayout layout = scanLayout(sections[chosen]);
    DecimalDigits number = roundForLayout(value, layout);
    bool minus = value < 0 && chosen == 0;
    if (number.digits.empty() && value != 0) {
        minus = false;
        if (usable(2)) {
            chosen = 2;
            layout = scanLayout(sections[chosen]);
        } else {
            chosen = 0;
            layout = scanLayout(sections[chosen]);
        }
        number = {};
    }
    // Fixed notation past 18 integer digits would print digits the value
    // does not have; the general form is used instead.
    if (!layout.scientific && number.exponent > 18)
        return FloatToStr(value);
    AnsiString out = renderSection(sections[chosen], layout, number);
    return minus ? "-" + out : out;
}
