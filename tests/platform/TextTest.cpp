#include "platform/SysUtils.h"

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <algorithm>
#include <vector>

namespace {

class Text : public ::testing::Test {
protected:
    void TearDown() override { FormatSettings = saved; }
    TFormatSettings saved = FormatSettings;
};

int sign(int value)
{
    return (value > 0) - (value < 0);
}

}  // namespace

TEST_F(Text, EveryByteRoundTripsThroughUtf8InTheWesternCodePage)
{
    AnsiString every;
    for (int b = 0; b < 256; ++b)
        every += static_cast<char>(b);
    const std::string utf8 = AnsiToUtf8(every);
    EXPECT_EQ(Utf8ToAnsi(utf8), every);
    for (int b = 0; b < 256; ++b) {
        const AnsiString byte(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(byte)), byte) << b;
        EXPECT_EQ(UnicodeToAnsiChar(AnsiCharToUnicode(byte[0])), b) << b;
    }
    EXPECT_EQ(AnsiToUtf8("Ca\xF1\xF3n"), "Ca\xC3\xB1\xC3\xB3n");
    EXPECT_EQ(AnsiToUtf8("12,50 \x80"), "12,50 \xE2\x82\xAC");
    EXPECT_EQ(Latin1ToUtf8("\x80"), AnsiToUtf8("\x80")) << "the older names convert the same way";
    EXPECT_EQ(Utf8ToLatin1("\xE2\x82\xAC"), "\x80");

    // The code page's characters at 0x80-0x9F against ICU's converter; the five
    // bytes it leaves undefined are the Unicode characters of the same number.
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open("windows-1252", &status);
    ASSERT_TRUE(U_SUCCESS(status));
    for (int b = 0x80; b < 0xA0; ++b) {
        const char byte = static_cast<char>(b);
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
            EXPECT_EQ(AnsiCharToUnicode(byte), static_cast<char32_t>(b)) << b;
            continue;
        }
        UChar unit = 0;
        status = U_ZERO_ERROR;
        ucnv_toUChars(converter, &unit, 1, &byte, 1, &status);
        EXPECT_EQ(AnsiCharToUnicode(byte), static_cast<char32_t>(unit)) << b;
    }
    ucnv_close(converter);

    struct Case {
        std::string utf8;
        AnsiString ansi;
    };
    const Case cases[] = {
        {"\xE2\x82\xAC 5", "\x80 5"},         // the euro sign
        {"\xC5\xA0imon \xC5\x93 \xC5\xB8", "\x8Aimon \x9C \x9F"},
        {"\xE2\x80\x9CS\xC3\xAD\xE2\x80\x9D\xE2\x80\xA6", "\x93S\xED\x94\x85"},
        {"\xC2\x80\xC2\x9F", "??"},           // C1 controls the code page puts elsewhere
        {"\xC2\x81\xC2\x9D", "\x81\x9D"},     // ... but not the undefined bytes
        {"\xE2\x82\xBD", "?"},                 // the rouble sign is outside the code page
        {"a\xF0\x9F\x98\x80z", "a?z"},        // so is anything beyond the BMP
        {"\x80x", "?x"},                      // stray continuation byte
        {"\xC3", "?"},                        // truncated at the end
        {"\xC3" "A", "?A"},                   // truncated before a plain character
        {"\xE2\x82", "?"},                    // a truncated euro sign
        {"\xC0\x80", "??"},                   // overlong NUL
        {"\xE0\x80\x80", "?"},                // overlong three-byte form
        {"\xED\xA0\x80", "?"},                // a UTF-16 surrogate
        {"\xF5\x80\x80\x80", "????"},         // beyond U+10FFFF
        {"\xC3\xBF\xC2\xA0", "\xFF\xA0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToAnsi(c.utf8), c.ansi) << c.utf8;
}

TEST_F(Text, CaseMappingCoversEveryLetterOfTheCodePage)
{
    EXPECT_EQ(AnsiUpperCase("ca\xF1\xF3n s\xED"), "CA\xD1\xD3N S\xCD");
    EXPECT_EQ(AnsiLowerCase("CA\xD1\xD3N S\xCD"), "ca\xF1\xF3n s\xED");
    EXPECT_EQ(UpperCase("ca\xF1\xF3n"), "CA\xF1\xF3N");
    EXPECT_EQ(LowerCase("CA\xD1\xD3N"), "ca\xD1\xD3n");
    // The code page's own pairs: š Š, œ Œ, ž Ž, ÿ Ÿ.
    EXPECT_EQ(AnsiUpperCase("\x9A\x9C\x9E\xFF"), "\x8A\x8C\x8E\x9F");
    EXPECT_EQ(AnsiLowerCase("\x8A\x8C\x8E\x9F"), "\x9A\x9C\x9E\xFF");
    EXPECT_TRUE(AnsiSameText("\x8A" "imon", "\x9A" "IMON"));
    EXPECT_TRUE(AnsiSameText("\x9F", "\xFF"));
    // No upper case in the code page: sharp s, micro sign, f with hook; the
    // multiplication and division signs, the euro sign and the quotes are no letters.
    const AnsiString caseless = "\xDF\xB5\x83\xF7\xD7\x80\x93\x94\x81";
    EXPECT_EQ(AnsiUpperCase(caseless), caseless);
    EXPECT_EQ(AnsiLowerCase(caseless), caseless);
    for (int b = 0xC0; b <= 0xDE; ++b) {
        if (b == 0xD7)
            continue;
        const AnsiString upper(1, static_cast<char>(b));
        const AnsiString lower(1, static_cast<char>(b + 0x20));
        EXPECT_EQ(AnsiLowerCase(upper), lower) << b;
        EXPECT_EQ(AnsiUpperCase(lower), upper) << b;
        EXPECT_TRUE(AnsiSameText(upper, lower)) << b;
    }

    EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
    EXPECT_EQ(TrimLeft("  x "), "x ");
    EXPECT_EQ(TrimRight("  x \x01"), "  x");
    EXPECT_EQ(Trim(" \n "), "");
    EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0") << "a no-break space is a character, not a blank";
}

TEST_F(Text, SpanishCollationIgnoresCaseButNotAccents)
{
    std::vector<AnsiString> words = {"zapato", "\xD1" "and\xFA", "oso", "nube", "\xF1u", "Nadar", "Abeja",
                                     "\xE1" "baco", "abaco"};
    std::sort(words.begin(), words.end(), [](const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) < 0; });
    const std::vector<AnsiString> expected = {"abaco", "\xE1" "baco", "Abeja", "Nadar", "nube", "\xD1" "and\xFA",
                                              "\xF1u", "oso", "zapato"};
    EXPECT_EQ(words, expected);

    EXPECT_EQ(AnsiCompareText("ABC", "abc"), 0);
    EXPECT_TRUE(AnsiSameText("Ca\xD1\xD3N", "ca\xF1\xF3n"));
    EXPECT_FALSE(AnsiSameText("cancion", "canci\xF3n"));
    EXPECT_LT(AnsiCompareText("", "a"), 0);
    EXPECT_NE(AnsiCompareStr("a", "A"), 0);
    EXPECT_EQ(AnsiCompareStr("abc", "abc"), 0);
    EXPECT_GT(AnsiCompareText("\xF1u", "nz"), 0);

    // The sort key orders bytewise exactly as AnsiCompareText does, long texts included.
    std::vector<AnsiString> samples = expected;
    samples.insert(samples.end(), {"", "ABACO", "\xC1" "BACO", "n", "N", "\xF1", "a b", "ab", "a-b", "10", "9",
                                   AnsiString(600, 'x'), AnsiString(600, 'X') + "\xE1"});
    for (const AnsiString& a : samples) {
        for (const AnsiString& b : samples) {
            EXPECT_EQ(sign(AnsiSortKeyText(a).compare(AnsiSortKeyText(b))), sign(AnsiCompareText(a, b)))
                << a << " / " << b;
        }
    }

    // The collator follows a change of the collation locale: outside Spanish, ñ sorts with n.
    FormatSettings.CollationLocale = "en_US";
    EXPECT_LT(AnsiCompareText("\xF1u", "nz"), 0);
    EXPECT_LT(AnsiSortKeyText("\xF1u"), AnsiSortKeyText("nz"));
    FormatSettings.CollationLocale = "es_ES";
    EXPECT_GT(AnsiCompareText("\xF1u", "nz"), 0);
    EXPECT_GT(AnsiSortKeyText("\xF1u"), AnsiSortKeyText("nz"));
}

TEST_F(Text, CaronLettersSortWhereTheCollationLocalePutsThem)
{
    auto sorted = [](std::vector<AnsiString> words) {
        std::sort(words.begin(), words.end(),
                  [](const AnsiString& a, const AnsiString& b) { return AnsiCompareText(a, b) < 0; });
        return words;
    };
    auto sortedByKey = [](std::vector<AnsiString> words) {
        std::sort(words.begin(), words.end(),
                  [](const AnsiString& a, const AnsiString& b) { return AnsiSortKeyText(a) < AnsiSortKeyText(b); });
        return words;
    };
    const std::vector<AnsiString> words = {"Szabo", "\x8Aimon", "Tom\xE1s", "Simon", "Sabio", "\x8E" "eljko", "Zapata"};

    // Spanish: Š is an accented S, so Šimon follows Simon and comes before Szabo.
    const std::vector<AnsiString> spanish = {"Sabio", "Simon", "\x8Aimon", "Szabo", "Tom\xE1s", "Zapata",
                                             "\x8E" "eljko"};
    EXPECT_EQ(sorted(words), spanish);
    EXPECT_EQ(sortedByKey(words), spanish);
    EXPECT_NE(AnsiCompareText("\x8Aimon", "Simon"), 0) << "accents count at secondary strength";
    EXPECT_EQ(AnsiCompareText("\x8Aimon", "\x9AIMON"), 0);

    // Czech: Š and Ž are letters of their own, after S and Z.
    FormatSettings.CollationLocale = "cs_CZ";
    const std::vector<AnsiString> czech = {"Sabio", "Simon", "Szabo", "\x8Aimon", "Tom\xE1s", "Zapata",
                                           "\x8E" "eljko"};
    EXPECT_EQ(sorted(words), czech);
    EXPECT_EQ(sortedByKey(words), czech);
}
