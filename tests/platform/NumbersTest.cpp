#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Restores the locale settings that a test changes.
class Numbers : public ::testing::Test {
protected:
    void TearDown() override { FormatSettings = saved; }
    TFormatSettings saved = FormatSettings;
};

}  // namespace

TEST_F(Numbers, StrToIntAcceptsLeadingBlanksSignsAndHexOnly)
{
    struct Case {
        const char* text;
        int value;
    };
    const Case valid[] = {
        {"0", 0},           {" 12", 12},         {"-12", -12},       {"+7", 7},
        {"2147483647", 2147483647},              {"-2147483648", -2147483647 - 1},
        {"$FF", 255},       {"0x1f", 31},        {"x10", 16},        {"$FFFFFFFF", -1},
        {"-$10", -16},      {"007", 7},
    };
    for (const Case& c : valid) {
        int value = 0;
        EXPECT_TRUE(TryStrToInt(c.text, value)) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
    }
    const char* invalid[] = {"",   " ",    "12 ",  "2147483648", "-2147483649", "1.5", "12a",
                             "$",  "0x",   "-",    "$100000000", "1,000",       "- 1", "\t1"};
    for (const char* text : invalid) {
        int value = 99;
        EXPECT_FALSE(TryStrToInt(text, value)) << text;
        EXPECT_EQ(value, 99) << "a failed conversion must leave the value alone: " << text;
        EXPECT_EQ(StrToIntDef(text, -5), -5) << text;
        EXPECT_THROW(StrToInt(text), EConvertError) << text;
    }
    try {
        StrToInt("abc");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
    }
    EXPECT_EQ(IntToStr(-9000000000LL), "-9000000000");
}

TEST_F(Numbers, StrToFloatIsStrictAboutTheLocaleSeparators)
{
    struct Case {
        const char* text;
        double value;
    };
    const Case valid[] = {
        {"12,5", 12.5}, {" -0,25 ", -0.25}, {"1e3", 1000},  {"1,5E-2", 0.015}, {",5", 0.5},
        {"5,", 5},      {"+3", 3},          {"0", 0},       {"1E-400", 0},      {"-7E+2", -700},
    };
    for (const Case& c : valid) {
        double value = 0;
        EXPECT_TRUE(TryStrToFloat(c.text, value)) << c.text;
        EXPECT_DOUBLE_EQ(value, c.value) << c.text;
        EXPECT_DOUBLE_EQ(StrToFloat(c.text), c.value) << c.text;
    }
    const char* invalid[] = {"", " ", "1.234,5", "12,5,3", "1.5", "e5", ",", "1e", "1e+", "1 000", "1E400", "--1", "INF"};
    for (const char* text : invalid) {
        double value = 99;
        EXPECT_FALSE(TryStrToFloat(text, value)) << text;
        EXPECT_EQ(value, 99) << text;
        EXPECT_EQ(StrToFloatDef(text, -1.5), -1.5) << text;
    }
    try {
        StrToFloat("12,5,3");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'12,5,3' is not a valid floating point value");
    }

    FormatSettings.DecimalSeparator = '.';
    EXPECT_DOUBLE_EQ(StrToFloat("1.5"), 1.5);
    EXPECT_THROW(StrToFloat("1,5"), EConvertError);
}

TEST_F(Numbers, FloatToStrUsesFifteenDigitsAndTheGeneralForm)
{
    struct Case {
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"},
        {1.5, "1,5"},
        {-2.25, "-2,25"},
        {0.1 + 0.2, "0,3"},
        {1.0 / 3, "0,333333333333333"},
        {2.0 / 3, "0,666666666666667"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {-1.5e20, "-1,5E20"},
        {0.0001, "0,0001"},
        {0.00001, "1E-5"},
        {1.5e-10, "1,5E-10"},
        {100, "100"},
        {999999999999999.9, "1E15"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
        {std::nan(""), "NAN"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatToStr(c.value), c.text) << c.value;
    FormatSettings.DecimalSeparator = '.';
    EXPECT_EQ(FloatToStr(-0.5), "-0.5");
}

TEST_F(Numbers, EveryFiniteDoubleWrittenReadsBack)
{
    // At 15 digits the largest doubles round up past DBL_MAX (1,79769313486232E308);
    // they are written with 17 digits, which give the exact value back.
    EXPECT_EQ(FloatToStr(DBL_MAX), "1,7976931348623157E308");
    EXPECT_EQ(FloatToStr(-DBL_MAX), "-1,7976931348623157E308");
    EXPECT_EQ(FloatToStr(1.797693134862314e308), "1,79769313486231E308");

    std::vector<double> extremes = {DBL_MIN, -DBL_MIN, DBL_TRUE_MIN, -DBL_TRUE_MIN, DBL_MIN / 3, 1e-310,
                                    2.5e-320, DBL_EPSILON, 1e308, -1e308, 1.797693134862315e308};
    for (double x = DBL_MAX, below = 0; below < 2000; ++below, x = std::nextafter(x, 0.0)) {
        extremes.push_back(x);
        extremes.push_back(-x);
    }
    for (double x = DBL_MIN, step = 0; step < 200; ++step, x = std::nextafter(x, 0.0))
        extremes.push_back(x);
    for (const char separator : {',', '.'}) {
        FormatSettings.DecimalSeparator = separator;
        for (double x : extremes) {
            AnsiString text = FloatToStr(x);
            double back = 0;
            ASSERT_TRUE(TryStrToFloat(text, back)) << text;
            ASSERT_TRUE(std::isfinite(back)) << text;
            EXPECT_EQ(std::signbit(back), std::signbit(x)) << text;
            if (text.size() - (x < 0) == 22)  // the 17-digit form is exact
                EXPECT_EQ(back, x) << text;
            else  // 15 digits hold the value to within half a unit of the 15th digit
                EXPECT_LE(std::fabs(back - x), std::fabs(x) * 5e-15) << text;
        }
    }
    FormatSettings.DecimalSeparator = ',';
    EXPECT_EQ(StrToFloat(FloatToStr(DBL_TRUE_MIN)), DBL_TRUE_MIN);
    EXPECT_EQ(StrToFloat(FloatToStr(1e308)), 1e308);
}

TEST_F(Numbers, FormatFloatMatchesHandCheckedTable)
{
    struct Case {
        const char* format;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {"#,##0.00", 1234567.891, "1.234.567,89"},
        {"#,##0.00", -1234.5, "-1.234,50"},
        {"#,##0.00", 0, "0,00"},
        {"#,##0", 999999.6, "1.000.000"},
        {"#,##0", 100, "100"},
        {"#,##0", 1000, "1.000"},
        {"0.00", 0.125, "0,13"},
        {"0.00", 1.005, "1,01"},
        {"0.00", -0.001, "0,00"},
        {"0.0", 1e-20, "0,0"},
        {"#.##", 0.5, ",5"},
        {"0.##", 1, "1"},
        {"0.##", 1.256, "1,26"},
        {"#.0#", 1, "1,0"},
        {"000", 7, "007"},
        {"#", 0, ""},
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"000-000", 123456, "123-456"},
        {"0.00;(0.00)", -5, "(5,00)"},
        {"0.00;(0.00);'cero'", 0, "cero"},
        {"0.00;(0.00);'cero'", 0.001, "cero"},
        {"0.00;;'cero'", -3, "-3,00"},
        {"'Total: '#,##0.00' EUR'", 1500, "Total: 1.500,00 EUR"},
        {"\"a;b\" 0", 4, "a;b 4"},
        {"0.00E+00", 1234.5, "1,23E+03"},
        {"0.00E-00", 0.00012345, "1,23E-04"},
        {"0.00E-00", 12345, "1,23E04"},
        {"00.00E+00", 1234.5, "12,35E+02"},
        {"0.0E+0", 0, "0,0E+0"},
        {"#,##0.00", 1e25, "1E25"},
        {"", 1.5, "1,5"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.value), c.text) << c.format << " of " << c.value;

    FormatSettings.DecimalSeparator = '.';
    FormatSettings.ThousandSeparator = ',';
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1,234,567.89");
}
