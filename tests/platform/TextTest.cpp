#include "platform/SysUtils.h"

#include <gtest/gtest.h>

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

TEST_F(Text, Latin1AndUtf8ConvertAtTheEdges)
{
    AnsiString every;
    for (int b = 0; b < 256; ++b)
        every += static_cast<char>(b);
    const std::string utf8 = Latin1ToUtf8(every);
    EXPECT_EQ(utf8.size(), 128u + 2 * 128u);
    EXPECT_EQ(Utf8ToLatin1(utf8), every);
    EXPECT_EQ(Latin1ToUtf8("Ca\xF1\xF3n"), "Ca\xC3\xB1\xC3\xB3n");

    struct Case {
        std::string utf8;
        AnsiString latin1;
    };
    const Case cases[] = {
        {"\xE2\x82\xAC 5", "? 5"},            // the euro sign is outside Latin-1
        {"a\xF0\x9F\x98\x80z", "a?z"},        // so is anything beyond the BMP
        {"\x80x", "?x"},                      // stray continuation byte
        {"\xC3", "?"},                        // truncated at the end
        {"\xC3" "A", "?A"},                   // truncated before a plain character
        {"\xC0\x80", "??"},                   // overlong NUL
        {"\xE0\x80\x80", "?"},                // overlong three-byte form
        {"\xED\xA0\x80", "?"},                // a UTF-16 surrogate
        {"\xF5\x80\x80\x80", "????"},         // beyond U+10FFFF
        {"\xC3\xBF\xC2\xA0", "\xFF\xA0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf8ToLatin1(c.utf8), c.latin1) << c.utf8;
}

TEST_F(Text, CaseMappingCoversTheWholeLatin1Range)
{
    EXPECT_EQ(AnsiUpperCase("ca\xF1\xF3n s\xED"), "CA\xD1\xD3N S\xCD");
    EXPECT_EQ(AnsiLowerCase("CA\xD1\xD3N S\xCD"), "ca\xF1\xF3n s\xED");
    EXPECT_EQ(UpperCase("ca\xF1\xF3n"), "CA\xF1\xF3N");
    EXPECT_EQ(LowerCase("CA\xD1\xD3N"), "ca\xD1\xD3n");
    // No Latin-1 upper case: sharp s, y with diaeresis, micro sign; and the
    // multiplication and division signs are no letters.
    EXPECT_EQ(AnsiUpperCase("\xDF\xFF\xB5\xF7\xD7"), "\xDF\xFF\xB5\xF7\xD7");
    EXPECT_EQ(AnsiLowerCase("\xDF\xFF\xB5\xF7\xD7"), "\xDF\xFF\xB5\xF7\xD7");
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
