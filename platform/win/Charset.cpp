#include "platform/win/Charset.h"

namespace {

unsigned char byteOf(char c)
{
    return static_cast<unsigned char>(c);
}

}  // namespace

AnsiString Latin1ToUtf8(const AnsiString& latin1)
{
    AnsiString out;
    out.reserve(latin1.size() + latin1.size() / 4);
    for (char c : latin1) {
        const unsigned char b = byteOf(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

AnsiString Utf8ToLatin1(const std::string& utf8)
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
        out += valid && codePoint <= 0xFF ? static_cast<char>(codePoint) : '?';
        i += read;
    }
    return out;
}
