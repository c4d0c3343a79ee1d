// 8-bit text services: the code page's mapping to Unicode and UTF-8 at the
// edges, case mapping, trimming and locale collation through ICU.
#include "platform/SysUtils.h"

#include <unicode/ucol.h>

#include <iterator>
#include <memory>
#include <vector>

namespace {

unsigned char byteOf(char c)
{
    return static_cast<unsigned char>(c);
}



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
        c = AnsiCharUpper(c);
    return out;
}

AnsiString AnsiLowerCase(const AnsiString& text)
{
    AnsiString out = text;
    for (char& c : out)
        c = AnsiCharLower(c);
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
