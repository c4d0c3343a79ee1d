#include "utils/Cnvtools.h"

#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Cnvtools, MoneyGroupsAfterRounding)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0,00"},
        {1234567.891, "1.234.567,89"},
        {-1234.5, "-1.234,50"},
        {123.456, "123,46"},
        {-0.001, "-0,00"},
        {999.999, "1.000,00"},  // rounds to four digits, then groups
        {999.994, "999,99"},
        {123456, "123.456,00"},
        {1000000, "1.000.000,00"},
        {-100000, "-100.000,00"},
        {12345678901.0, "12.345.678.901,00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cnvDoubleToMoney(c.value), c.text) << c.value;
}

TEST(Cnvtools, NonFiniteValuesHaveAPlainForm)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(cnvDoubleToMoney(inf), "inf");
    EXPECT_EQ(cnvDoubleToMoney(-inf), "-inf");
    EXPECT_EQ(cnvDoubleToMoney(nan), "nan");
    EXPECT_EQ(cnvDoubleToMoney(-nan), "nan");
    EXPECT_EQ(cnvDoubleToStr(inf, 2), "inf");
    EXPECT_EQ(cnvDoubleToStr(-inf, 0), "-inf");
    EXPECT_EQ(cnvDoubleToStr(nan, 2), "nan");
}

TEST(Cnvtools, NumberTexts)
{
    EXPECT_EQ(cnvIntToStr(-1234567), "-1234567");
    EXPECT_EQ(cnvIntToStr(0), "0");
    EXPECT_EQ(cnvUIntToStr(4000000000u), "4000000000");
    EXPECT_EQ(cnvDoubleToStr(3.14159, 2), "3,14");
    EXPECT_EQ(cnvDoubleToStr(1234.5, 2), "1234,50");
    EXPECT_EQ(cnvDoubleToStr(-2, 0), "-2");
    EXPECT_EQ(cnvDoubleToStr(2.675, 2), "2,67");  // binary value below 2.675, as printf gives it
}

TEST(Cnvtools, ReadingNumbers)
{
    EXPECT_DOUBLE_EQ(cnvStrToDouble(""), 0);
    EXPECT_DOUBLE_EQ(cnvStrToDouble("1.234,56"), 1234.56);
    EXPECT_DOUBLE_EQ(cnvStrToDouble("12,5"), 12.5);
    EXPECT_DOUBLE_EQ(cnvStrToDouble("1,234.56"), 1.23456);
    EXPECT_DOUBLE_EQ(cnvStrToDouble("-7"), -7);
    try {
        cnvStrToDouble("12,5,3");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'12,5,3' is not a valid floating point value");
    }
    EXPECT_THROW(cnvStrToDouble("abc"), EConvertError);

    // Follows the locale's decimal separator rather than assuming a comma.
    char saved = FormatSettings.DecimalSeparator;
    FormatSettings.DecimalSeparator = '.';
    EXPECT_DOUBLE_EQ(cnvStrToDouble("1.234,5"), 1234.5);
    FormatSettings.DecimalSeparator = saved;

    EXPECT_DOUBLE_EQ(cnvStrToDoubleDef("2,5"), 2.5);
    EXPECT_DOUBLE_EQ(cnvStrToDoubleDef("1.000"), 0);
    EXPECT_DOUBLE_EQ(cnvStrToDoubleDef("x"), 0);
    EXPECT_EQ(cnvStrToIntDef("42"), 42);
    EXPECT_EQ(cnvStrToIntDef("4x"), 0);
    EXPECT_EQ(cnvStrToIntDef(""), 0);
}

TEST(Cnvtools, TruthTexts)
{
    EXPECT_EQ(cnvBoolToStr(true), "true");
    EXPECT_EQ(cnvBoolToStr(false), "false");
    EXPECT_EQ(cnvBoolToSiNo(true), "S\xED");
    for (const char* yes : {"true", "TRUE", "si", "s", "S", "Yes", "s\xED", "S\xCD"})
        EXPECT_TRUE(cnvStrToBool(yes)) << yes;
    for (const char* no : {"", " S", "S ", "1", "no", "false", "y"})
        EXPECT_FALSE(cnvStrToBool(no)) << no;
}

TEST(Cnvtools, TextSurgery)
{
    EXPECT_EQ(cnvQuote(""), "\"\"");
    EXPECT_EQ(cnvQuote("a\"b"), "\"a\"b\"");

    AnsiString text = "a.b..c.";
    cnvRemoveChar('.', text);
    EXPECT_EQ(text, "abc");

    text = "<a><b>";
    cnvReplaceAll(">", ">\n", text);  // contains the pattern, still terminates
    EXPECT_EQ(text, "<a>\n<b>\n");
    text = "aaa";
    cnvReplaceAll("aa", "b", text);
    EXPECT_EQ(text, "ba");
    text = "xax";
    cnvReplaceAll("x", "xx", text);
    EXPECT_EQ(text, "xxaxx");
    text = "abc";
    cnvReplaceAll("abcd", "z", text);
    EXPECT_EQ(text, "abc");
    cnvReplaceAll("b", "", text);
    EXPECT_EQ(text, "ac");
    cnvReplaceAll("", "z", text);  // an empty pattern changes nothing
    EXPECT_EQ(text, "ac");
}

TEST(Cnvtools, AccentFoldingOverLatin1)
{
    EXPECT_EQ(cnvRemoveAccents("Canci\xF3n \xD1" "and\xFA"), "Cancion \xD1" "andu");

    const char* folded[] = {"\xC0\xC1\xC2\xC4", "A", "\xC8\xC9\xCA\xCB", "E", "\xCC\xCD\xCE\xCF", "I",
                            "\xD2\xD3\xD4\xD6", "O", "\xD9\xDA\xDB\xDC", "U", "\xE0\xE1\xE2\xE4", "a",
                            "\xE8\xE9\xEA\xEB", "e", "\xEC\xED\xEE\xEF", "i", "\xF2\xF3\xF4\xF6", "o",
                            "\xF9\xFA\xFB\xFC", "u"};
    int changed = 0;
    for (int code = 0; code < 256; ++code) {
        char c = static_cast<char>(code);
        char expected = c;
        for (size_t k = 0; k < std::size(folded); k += 2)
            if (AnsiString(folded[k]).find(c) != AnsiString::npos)
                expected = folded[k + 1][0];
        EXPECT_EQ(cnvRemoveAccent(c), expected) << "code " << code;
        changed += expected != c;
    }
    EXPECT_EQ(changed, 40);
}
