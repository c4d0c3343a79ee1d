#include "utils/Cnvtools.h"

#include "platform/SysUtils.h"

#include <cmath>

namespace {

const int moneyDecimals = 2;

// The C library's words for the non-finite values, with "-nan" folded into "nan".
AnsiString nonFiniteText(double value)
{
    if (std::isnan(value))
        return "nan";
    return value < 0 ? "-inf" : "inf";
}

}  // namespace

AnsiString cnvIntToStr(int value)
{
    return Sprintf("%i", value);
}

AnsiString cnvUIntToStr(unsigned value)
{
    return Sprintf("%u", value);
}

AnsiString cnvLongToStr(long value)
{
    return Sprintf("%li", value);
}

AnsiString cnvDoubleToStr(double value, int decimals)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    AnsiString text = Sprintf("%0.*f", decimals, value);
    size_t point = text.find('.');
    if (point != AnsiString::npos)
        text[point] = ',';
    return text;
}

// The decimals are cut first, the grouping follows, so 999.999 gives 1.000,00.
AnsiString cnvDoubleToMoney(double value)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    AnsiString text = Sprintf("%0.*f", moneyDecimals, std::fabs(value));
    size_t point = text.find('.');
    text[point] = ',';
    // Mark groups of three digits leftward from the decimal comma.
    for (size_t digitsBefore = point; digitsBefore > 3; digitsBefore -= 3)
        text.insert(digitsBefore - 3, 1, '.');
    if (value < 0)
        text.insert(0, 1, '-');
    return text;
}

double cnvStrToDouble(const AnsiString& text)
{
    if (text.empty())
        return 0;
    AnsiString copy = text;
    cnvRemoveChar('.', copy);
    size_t comma = copy.find(',');
    if (comma != AnsiString::npos)
        copy[comma] = FormatSettings.DecimalSeparator;
    return StrToFloat(copy);
}

double cnvStrToDoubleDef(const AnsiString& text)
{
    return StrToFloatDef(text, 0);
}

int cnvStrToIntDef(const AnsiString& text)
{
    return StrToIntDef(text, 0);
}

AnsiString cnvBoolToStr(bool value)
{
    return value ? "true" : "false";
}

AnsiString cnvBoolToSiNo(bool value)
{
    return value ? "S\xED" : "No";
}

bool cnvStrToBool(const AnsiString& text)
{
    AnsiString upper = AnsiUpperCase(text);
    for (const char* word : {"TRUE", "SI", "S", "S\xCD", "YES"})
        if (upper == word)
            return true;
    return false;
}

AnsiString cnvQuote(const AnsiString& text)
{
    return "\"" + text + "\"";
}

void cnvRemoveChar(char c, AnsiString& text)
{
    std::erase(text, c);
}

void cnvReplaceAll(const AnsiString& pattern, const AnsiString& replacement, AnsiString& text)
{
    if (pattern.empty())
        return;
    size_t first = text.find(pattern);
    if (first == AnsiString::npos)
        return;
    // Building the result in one pass gives the same text as replacing in place
    // and continuing after the inserted replacement.
    AnsiString result(text, 0, first);
    size_t pos = first;
    while (pos < text.size()) {
        size_t next = text.find(pattern, pos);
        if (next == AnsiString::npos) {
            result.append(text, pos, AnsiString::npos);
            break;
        }
        result.append(text, pos, next - pos);
        result += replacement;
        pos = next + pattern.size();
    }
    text = std::move(result);
}

char cnvRemoveAccent(char c)
{
    // Rows of Latin-1 from 0xC0: each accented vowel maps to its base letter,
    // 0 keeps the character (tilde, ring, cedilla, other letters).
    static const char fromC0[64] = {
        'A', 'A', 'A', 0,   'A', 0,   0,   0,    // À Á Â Ã Ä Å Æ Ç
        'E', 'E', 'E', 'E', 'I', 'I', 'I', 'I',  // È É Ê Ë Ì Í Î Ï
        0,   0,   'O', 'O', 'O', 0,   'O', 0,    // Ð Ñ Ò Ó Ô Õ Ö ×
        0,   'U', 'U', 'U', 'U', 0,   0,   0,    // Ø Ù Ú Û Ü Ý Þ ß
        'a', 'a', 'a', 0,   'a', 0,   0,   0,    // à á â ã ä å æ ç
        'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',  // è é ê ë ì í î ï
        0,   0,   'o', 'o', 'o', 0,   'o', 0,    // ð ñ ò ó ô õ ö ÷
        0,   'u', 'u', 'u', 'u', 0,   0,   0,    // ø ù ú û ü ý þ ÿ
    };
    unsigned char code = static_cast<unsigned char>(c);
    if (code < 0xC0) {
        // The code page's letters with a caron, which Spanish collation takes as
        // accented S and Z.
        switch (code) {
        case 0x8A: return 'S';
        case 0x9A: return 's';
        case 0x8E: return 'Z';
        case 0x9E: return 'z';
        default: return c;
        }
    }
    char plain = fromC0[code - 0xC0];
    return plain ? plain : c;
}

AnsiString cnvRemoveAccents(const AnsiString& text)
{
    AnsiString result = text;
    for (char& c : result)
        c = cnvRemoveAccent(c);
    return result;
}
