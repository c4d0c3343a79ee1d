#include "platform/win/Charset.h"

#include <array>

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

char AnsiCharUpper(char c) { return caseTables.upper[byteOf(c)]; }

char AnsiCharLower(char c) { return caseTables.lower[byteOf(c)]; }
