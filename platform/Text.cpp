// 8-bit text services: the code page's mapping to Unicode and UTF-8 at the
// edges, case mapping, trimming and locale collation through ICU.
#include "platform/SysUtils.h"

#include <unicode/ucol.h>

#include <array>
#include <iterator>
#include <memory>
#include <vector>

namespace {

unsigned char byteOf(char c)
{
    return static_cast<unsigned char>(c);
}

// The Unicode characters of bytes 0x80-0x9F in the Western code page; the
// five undefined bytes keep their own number. Every other byte is its own
// code point (Latin-1).
constexpr char16_t fromRange80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // € . ‚ ƒ „ … † ‡
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // ˆ ‰ Š ‹ Œ . Ž .
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // . ‘ ’ “ ” • – —
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // ˜ ™ š › œ . ž Ÿ
};

// Letter pairs for case mapping: ASCII, the Latin-1 letters from 0xC0 (the
// multiplication and division signs sit in the middle and are no letters), and
// the code page's Š Œ Ž Ÿ. ß, µ and ƒ have no upper case in the code page.
struct CaseTables {
    std::array<char, 256> upper;
    std::array<char, 256> lower;
};

constexpr CaseTables makeCaseTables()
{
    CaseTables tables{};
    for (int b = 0; b < 256; ++b) {
        tables.upper[b] = static_cast<char>(b);
        tables.lower[b] = static_cast<char>(b);
    }
    auto pair = [&tables](int upper, int lower) {
        tables.upper[lower] = static_cast<char>(upper);
        tables.lower[upper] = static_cast<char>(lower);
    };
    for (int b = 'A'; b <= 'Z'; ++b)
        pair(b, b + 0x20);
    for (int b = 0xC0; b <= 0xDE; ++b) {
        if (b != 0xD7)
            pair(b, b + 0x20);
    }
    pair(0x8A, 0x9A);  // Š š
    pair(0x8C, 0x9C);  // Œ œ
    pair(0x8E, 0x9E);  // Ž ž
    pair(0x9F, 0xFF);  // Ÿ ÿ
    return tables;
}

constexpr CaseTables caseTables = makeCaseTables();

// ---- Collation -------------------------------------------------------------

struct CollatorCloser {
    void operator()(UCollator* collator) const { ucol_close(collator); }
};
using CollatorPointer = std::unique_ptr<UCollator, CollatorCloser>;

// The collators for FormatSettings.CollationLocale, opened on first use and
// reopened only when the locale changes: opening one costs far more than a
// comparison, and sorting calls these a million times.
struct CollatorCache {
    AnsiString locale;
    bool opened = false;
    CollatorPointer caseless;  // secondary strength: accents count, case does not
    CollatorPointer exact;     // tertiary strength

    void refresh()
    {
        if (opened && locale == FormatSettings.CollationLocale)
            return;
        locale = FormatSettings.CollationLocale;
        opened = true;
        caseless = open(UCOL_SECONDARY);
        exact = open(UCOL_TERTIARY);
    }

    CollatorPointer open(UColAttributeValue strength)
    {
        UErrorCode status = U_ZERO_ERROR;
        CollatorPointer collator(ucol_open(locale.c_str(), &status));
        if (U_FAILURE(status))
            return nullptr;
        ucol_setStrength(collator.get(), strength);
        return collator;
    }
};

UCollator* collator(bool caseSensitive)
{
    thread_local CollatorCache cache;
    cache.refresh();
    return caseSensitive ? cache.exact.get() : cache.caseless.get();
}

// Every character of the code page lies in the BMP: one UTF-16 unit per byte.
class Utf16Text {
public:
    Utf16Text(const Utf16Text&) = delete;
    Utf16Text& operator=(const Utf16Text&) = delete;

    explicit Utf16Text(const AnsiString& text)
    {
        UChar* target = small;
        if (text.size() > std::size(small)) {
            large.resize(text.size());
            target = large.data();
        }
        for (size_t i = 0; i < text.size(); ++i)
            target[i] = static_cast<UChar>(AnsiCharToUnicode(text[i]));
        chars = target;
        length = static_cast<int32_t>(text.size());
    }

    const UChar* chars;
    int32_t length;

private:
    UChar small[256];
    std::vector<UChar> large;
};

int compareBytes(const AnsiString& a, const AnsiString& b)
{
    int result = a.compare(b);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

int collate(const AnsiString& a, const AnsiString& b, bool caseSensitive)
{
    UCollator* active = collator(caseSensitive);
    if (!active) {
        // Without a collator, fall back to the byte order of the case-folded texts.
        return caseSensitive ? compareBytes(a, b) : compareBytes(AnsiUpperCase(a), AnsiUpperCase(b));
    }
    const Utf16Text left(a);
    const Utf16Text right(b);
    switch (ucol_strcoll(active, left.chars, left.length, right.chars, right.length)) {
    case UCOL_LESS: return -1;
    case UCOL_GREATER: return 1;
    default: return 0;
    }
}

}  // namespace

char32_t AnsiCharToUnicode(char c)
{
    const unsigned char b = byteOf(c);
    return b >= 0x80 && b < 0xA0 ? fromRange80[b - 0x80] : b;
}

int UnicodeToAnsiChar(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (int i = 0; i < 32; ++i) {
        if (fromRange80[i] == codePoint)
            return 0x80 + i;
    }
    return -1;
}

AnsiString AnsiToUtf8(const AnsiString& text)
{
    AnsiString out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text) {
        const char32_t codePoint = AnsiCharToUnicode(c);
        if (codePoint < 0x80) {
            out += c;
        } else if (codePoint < 0x800) {
            out += static_cast<char>(0xC0 | (codePoint >> 6));
            out += static_cast<char>(0x80 | (codePoint & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (codePoint >> 12));
            out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (codePoint & 0x3F));
        }
    }
    return out;
}

AnsiString Utf8ToAnsi(const std::string& utf8)
{
    AnsiString out;
    out.reserve(utf8.size());
    size_t i = 0;
    const size_t n = utf8.size();
    while (i < n) {
        const unsigned char lead = byteOf(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        int length;
        char32_t codePoint;
        char32_t minimum;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2; codePoint = lead & 0x1F; minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3; codePoint = lead & 0x0F; minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4; codePoint = lead & 0x07; minimum = 0x10000;
        } else {
            out += '?';  // a stray continuation byte or an invalid lead
            ++i;
            continue;
        }
        int read = 1;
        while (read < length && i + read < n && (byteOf(utf8[i + read]) & 0xC0) == 0x80) {
            codePoint = (codePoint << 6) | (byteOf(utf8[i + read]) & 0x3F);
            ++read;
        }
        const bool valid = read == length && codePoint >= minimum && codePoint <= 0x10FFFF
                           && !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
        // A broken sequence becomes one '?' and reading resumes at the byte that broke it.
        const int byte = valid ? UnicodeToAnsiChar(codePoint) : -1;
        out += byte >= 0 ? static_cast<char>(byte) : '?';
        i += read;
    }
    return out;
}

AnsiString UpperCase(const AnsiString& text)
{
    AnsiString out = text;
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    }
    return out;
}

AnsiString LowerCase(const AnsiString& text)
{
    AnsiString out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 0x20);
    }
    return out;
}

AnsiString AnsiUpperCase(const AnsiString& text)
{
    AnsiString out = text;
    for (char& c : out)
        c = caseTables.upper[byteOf(c)];
    return out;
}

AnsiString AnsiLowerCase(const AnsiString& text)
{
    AnsiString out = text;
    for (char& c : out)
        c = caseTables.lower[byteOf(c)];
    return out;
}

AnsiString TrimLeft(const AnsiString& text)
{
    size_t start = 0;
    while (start < text.size() && byteOf(text[start]) <= ' ')
        ++start;
    return text.substr(start);
}

AnsiString TrimRight(const AnsiString& text)
{
    size_t end = text.size();
    while (end > 0 && byteOf(text[end - 1]) <= ' ')
        --end;
    return text.substr(0, end);
}

AnsiString Trim(const AnsiString& text)
{
    return TrimLeft(TrimRight(text));
}

int AnsiCompareText(const AnsiString& a, const AnsiString& b)
{
    return collate(a, b, false);
}

int AnsiCompareStr(const AnsiString& a, const AnsiString& b)
{
    return collate(a, b, true);
}

bool AnsiSameText(const AnsiString& a, const AnsiString& b)
{
    return AnsiCompareText(a, b) == 0;
}

std::string AnsiSortKeyText(const AnsiString& text)
{
    UCollator* active = collator(false);
    if (!active)
        return AnsiUpperCase(text);
    const Utf16Text source(text);
    std::string key(source.length * 2 + 16, '\0');
    int32_t size = ucol_getSortKey(active, source.chars, source.length, reinterpret_cast<uint8_t*>(key.data()),
                                   static_cast<int32_t>(key.size()));
    if (size > static_cast<int32_t>(key.size())) {
        key.resize(size);
        size = ucol_getSortKey(active, source.chars, source.length, reinterpret_cast<uint8_t*>(key.data()), size);
    }
    // The key ends with a zero byte; dropping it keeps the order (a prefix sorts first).
    key.resize(size > 0 ? size - 1 : 0);
    return key;
}
