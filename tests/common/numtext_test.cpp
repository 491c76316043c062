#include "common/numtext.h"
#include "tests/support/recording_dialogs.h"
#include <cmath>
#include <limits>
#include <gtest/gtest.h>

using namespace numtext;

namespace {
struct Separator {
    explicit Separator(char c) : old(DecimalSeparator()) { SetDecimalSeparator(c); }
    ~Separator() { SetDecimalSeparator(old); }
    char old;
};
} // namespace

TEST(StrToFloat, CommaSeparator)
{
    Separator sep(',');
    struct Case {
        const char *text;
        bool ok;
        double value;
    } cases[] = {
        {"12,5", true, 12.5},     {"  -3 ", true, -3},     {"+0,25", true, 0.25},
        {",5", true, 0.5},        {"5,", true, 5},          {"1E3", true, 1000},
        {"1,5e-2", true, 0.015},  {"2e+2", true, 200},      {"0", true, 0},
        {"1e-400", true, 0},      {"12.5", false, 0},       {"", false, 0},
        {"   ", false, 0},        {",", false, 0},          {"1,2,3", false, 0},
        {"inf", false, 0},        {"nan", false, 0},        {"0x10", false, 0},
        {"1e400", false, 0},      {"1e", false, 0},         {"--1", false, 0},
        {"1 2", false, 0},        {"\t1", false, 0},        {"abc", false, 0},
        {"1e+", false, 0},        {"- 1", false, 0},
    };
    for (const auto &c : cases) {
        double v = -999;
        EXPECT_EQ(TryStrToFloat(QString::fromUtf8(c.text), v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(v, c.value) << c.text;
        } else {
            EXPECT_EQ(v, -999) << c.text; // a failure leaves the target alone
        }
    }
}

TEST(StrToFloat, PointSeparatorAndNul)
{
    Separator sep('.');
    EXPECT_DOUBLE_EQ(StrToFloat("12.5"), 12.5);
    EXPECT_THROW(StrToFloat("12,5"), EConvertError);
    QString withNul = QStringLiteral("7.25");
    withNul += QChar(0);
    withNul += QStringLiteral("junk");
    EXPECT_DOUBLE_EQ(StrToFloat(withNul), 7.25);
    try {
        StrToFloat("x1");
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "'x1' is not a valid floating point value");
    }
}

TEST(FloatToStr, GeneralFormatBothSeparators)
{
    struct Case {
        double value;
        const char *comma;
        const char *point;
    } cases[] = {
        {12.34, "12,34", "12.34"},
        {0, "0", "0"},
        {-5, "-5", "-5"},
        {0.1, "0,1", "0.1"},
        {1.0 / 3, "0,333333333333333", "0.333333333333333"},
        {2.0 / 3, "0,666666666666667", "0.666666666666667"},
        {1e20, "1E20", "1E20"},
        {1.5e-7, "1,5E-7", "1.5E-7"},
        {0.0001, "0,0001", "0.0001"},
        {0.00001, "1E-5", "1E-5"},
        {123456789012345.0, "123456789012345", "123456789012345"},
        {1e15, "1E15", "1E15"},
        {-0.5, "-0,5", "-0.5"},
        {65535, "65535", "65535"},
        {0.1 + 0.2, "0,3", "0.3"},
    };
    for (const auto &c : cases) {
        {
            Separator sep(',');
            EXPECT_EQ(FloatToStr(c.value), QString::fromLatin1(c.comma)) << c.comma;
        }
        {
            Separator sep('.');
            EXPECT_EQ(FloatToStr(c.value), QString::fromLatin1(c.point)) << c.point;
        }
    }
}

TEST(FloatToStr, RoundTripsThroughStrToFloat)
{
    for (char s : {',', '.'}) {
        Separator sep(s);
        for (double v : {12.34, -0.001, 1e-9, 3.25e12, 99999.5, -7.0, 1e300, 0.125}) {
            double back = StrToFloat(FloatToStr(v));
            EXPECT_NEAR(back, v, std::fabs(v) * 1e-14) << v;
        }
    }
}

// Where 15 digits round past the largest double the text would not read;
// there, and only there, the exact shortest digits are written. Everything
// else keeps the 15-digit text, denormals included.
TEST(FloatToStr, TheExtremesOfTheDoubleReadBack)
{
    using L = std::numeric_limits<double>;
    struct Case {
        double value;
        const char *comma;
        bool exact; // reads back as the same double
    } cases[] = {
        {L::max(), "1,7976931348623157E308", true},
        {L::lowest(), "-1,7976931348623157E308", true},
        {std::nextafter(L::max(), 0.0), "1,7976931348623155E308", true},
        {1.79769313486231e308, "1,79769313486231E308", true}, // 15 digits do
        {L::denorm_min(), "4,94065645841247E-324", true},
        {-L::denorm_min(), "-4,94065645841247E-324", true},
        {1.5e-315, "1,50000000019285E-315", true}, // the digits of the denormal itself
        {1.2345678e-316, "1,23456777736859E-316", true},
        // the smallest normal double keeps its 15 digits: they read back,
        // as a number within those digits
        {L::min(), "2,2250738585072E-308", false},
    };
    for (char s : {',', '.'}) {
        Separator sep(s);
        for (const auto &c : cases) {
            QString want = QString::fromLatin1(c.comma);
            if (s == '.')
                want.replace(u',', u'.');
            const QString text = FloatToStr(c.value);
            EXPECT_EQ(text, want) << c.comma;
            double back = 0;
            ASSERT_TRUE(TryStrToFloat(text, back)) << c.comma;
            EXPECT_TRUE(std::isfinite(back)) << c.comma;
            if (c.exact)
                EXPECT_EQ(back, c.value) << c.comma;
            else
                EXPECT_NEAR(back, c.value, std::fabs(c.value) * 1e-14) << c.comma;
            EXPECT_EQ(FloatToStr(back), text) << c.comma << ": the text is stable";
        }
    }
}

// Rounding works on the value's 18 significant decimal digits, so 1.005 (stored
// as 1.00499999...) rounds down while 0.125 (exact) rounds half up.
TEST(FormatFloat, Patterns)
{
    Separator sep(',');
    struct Case {
        const char *pattern;
        double value;
        const char *text;
    } cases[] = {
        {"0.#####", 0.25, "0,25"},   {"0.####", 2.5, "2,5"},     {"#0.###", 12.5, "12,5"},
        {"0.###", 100, "100"},       {"0.###", 0.0005, "0,001"}, {"0.###", 0.0004, "0"},
        {"0.###", -0.0004, "0"},     {"0.###", -2.25, "-2,25"},  {"#0.##", 1.005, "1"},
        {"#0.#", 99.96, "100"},      {"#0", 1234.5, "1235"},     {"#0", 0.4, "0"},
        {"#", 0, ""},                {"#.##", 0.5, ",5"},        {"0.00", 1, "1,00"},
        {"000", 7, "007"},           {"0.0", -0.04, "0,0"},      {"0.00;(0.00)", -1.5, "(1,50)"},
        {"0;-0;zero", 0, "zero"},    {"'x='0", 3, "x=3"},        {"0.00E+00", 12345, "1,23E+04"},
        {"0.###", 2.675, "2,675"},   {"0.##", 0.125, "0,13"},    {"#,##0", 1234567, "1\u00A0234\u00A0567"},
        {"0.###", 7.0000001, "7"},   {"0.####", 0.1, "0,1"},
        {"#.####E-0 ", 0.00012, "1,2E-4 "}, {"#.####E-0 ", 0, "0E0 "}, {"#.####E-0 ", 1e300, "1E300 "},
        {"#.####E-0 ", -2.5e6, "-2,5E6 "}, {"0.###", 1e20, "1E20"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatFloat(c.pattern, c.value), QString::fromUtf8(c.text)) << c.pattern << " " << c.value;
}

TEST(FormatFloat, PointSeparator)
{
    Separator sep('.');
    EXPECT_EQ(FormatFloat("0.###", 3.7), QStringLiteral("3.7"));
    EXPECT_EQ(FormatFloat("#,##0.0", 1234.56), QStringLiteral("1,234.6"));
}

TEST(StrToInt, Cases)
{
    struct Case {
        const char *text;
        bool ok;
        int value;
    } cases[] = {{"42", true, 42},     {" -7", true, -7},        {"+3", true, 3},
                 {"2147483647", true, 2147483647}, {"-2147483648", true, -2147483647 - 1},
                 {"2147483648", false, 0}, {"", false, 0},  {"1.5", false, 0}, {"1 ", false, 0}, {"-", false, 0}};
    for (const auto &c : cases) {
        int v = -1;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value);
        }
    }
    EXPECT_THROW(StrToInt("x"), EConvertError);
}
