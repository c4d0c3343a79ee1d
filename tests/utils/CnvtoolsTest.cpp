#include "utils/Cnvtools.h"

#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <limits>

TEST(Cnvtools, MoneyRoundsFirstThenGroups)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0,00"}, {1234567.891, "1.234.567,89"}, {-1234.5, "-1.234,50"}, {123.456, "123,46"},
        {-0.001, "-0,00"}, {999.999, "1.000,00"}, {123456, "123.456,00"}, {1000000, "1.000.000,00"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(cnvDoubleToMoney(value), text) << value;

    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(cnvDoubleToMoney(-inf), "-inf");
    EXPECT_EQ(cnvDoubleToMoney(-nan), "nan");
    EXPECT_EQ(cnvDoubleToStr(inf, 2), "inf");
    EXPECT_EQ(cnvDoubleToStr(3.14159, 2), "3,14");
    EXPECT_EQ(cnvDoubleToStr(1234.5, 2), "1234,50");
    EXPECT_EQ(cnvDoubleToStr(-2, 0), "-2");
}

TEST(Cnvtools, ReadingNumbersAndTruth)
{
    EXPECT_DOUBLE_EQ(cnvStrToDouble(""), 0);
    EXPECT_DOUBLE_EQ(cnvStrToDouble("1.234,56"), 1234.56);
    EXPECT_DOUBLE_EQ(cnvStrToDouble("1,234.56"), 1.23456);
    try {
        cnvStrToDouble("12,5,3");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'12,5,3' is not a valid floating point value");
    }
    char saved = FormatSettings.DecimalSeparator;
    FormatSettings.DecimalSeparator = '.';
    EXPECT_DOUBLE_EQ(cnvStrToDouble("1.234,5"), 1234.5);
    FormatSettings.DecimalSeparator = saved;
    EXPECT_DOUBLE_EQ(cnvStrToDoubleDef("x"), 0);
    EXPECT_EQ(cnvStrToIntDef("4x"), 0);

    for (const char* yes : {"s", "Yes", "TRUE", "si", "s\xED"})
        EXPECT_TRUE(cnvStrToBool(yes)) << yes;
    for (const char* no : {"", " S", "1", "no"})
        EXPECT_FALSE(cnvStrToBool(no)) << no;
}

TEST(Cnvtools, ReplaceAllNeverLoops)
{
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"<a><b>", ">", ">\n", "<a>\n<b>\n"},  // the last character too
        {"aaa", "aa", "b", "ba"},
        {"xax", "x", "xx", "xxaxx"},
        {"abc", "abcd", "z", "abc"},
        {"abc", "", "z", "abc"},  // an empty pattern would otherwise never end
    };
    for (const auto& [before, pattern, replacement, after] : cases) {
        AnsiString text = before;
        cnvReplaceAll(pattern, replacement, text);
        EXPECT_EQ(text, after) << before << " " << pattern;
    }
    AnsiString text = "a.b..c.";
    cnvRemoveChar('.', text);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(cnvQuote(""), "\"\"");
}

TEST(Cnvtools, AccentFoldingOverTheCodePage)
{
    EXPECT_EQ(cnvRemoveAccents("Canci\xF3n \xD1" "and\xFA"), "Cancion \xD1" "andu");
    EXPECT_EQ(cnvRemoveAccents("\x8Aimon \x9E" "ivot \x9F\xFF \x8C\x9C"), "Simon zivot \x9F\xFF \x8C\x9C");
    const AnsiString accented = "\xC0\xC1\xC2\xC4\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD2\xD3\xD4\xD6\xD9\xDA\xDB\xDC"
                                "\xE0\xE1\xE2\xE4\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF2\xF3\xF4\xF6\xF9\xFA\xFB\xFC"
                                "\x8A\x9A\x8E\x9E";
    const AnsiString plain = "AAAAEEEEIIIIOOOOUUUUaaaaeeeeiiiioooouuuuSsZz";
    for (int code = 0; code < 256; ++code) {
        char c = static_cast<char>(code);
        size_t at = accented.find(c);
        EXPECT_EQ(cnvRemoveAccent(c), at == AnsiString::npos ? c : plain[at]) << "code " << code;
    }
}
