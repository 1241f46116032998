#include "contract/number_forms.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

struct FormCase {
    double value;
    const char* plain;
    const char* with_sign;
    const char* listed;
};

TEST(NumberForms, PlainSignedAndListedForms) {
    const FormCase cases[] = {
        {10, "10", " 10", " 10 "},
        {0.5, "0.5", " .5", " 0.5 "},
        {-0.5, "-0.5", "-.5", "-0.5 "},
        {0, "0", " 0", " 0 "},
        {100, "100", " 100", " 100 "},
        {4095, "4095", " 4095", " 4095 "},
        {2.6, "2.6", " 2.6", " 2.6 "},
        {0.1, "0.1", " .1", " 0.1 "},
        {123456.75, "123456.75", " 123456.75", " 123456.75 "},
        {0.0001, "0.0001", " .0001", " 0.0001 "},
        {1.0 / 3.0, "0.333333333333333", " .333333333333333", " 0.333333333333333 "},
        {2.0 / 3.0, "0.666666666666667", " .666666666666667", " 0.666666666666667 "},
    };
    for (const FormCase& c : cases) {
        EXPECT_EQ(plain_number_form(c.value), c.plain) << c.value;
        EXPECT_EQ(signed_number_form(c.value), c.with_sign) << c.value;
        EXPECT_EQ(list_print_form(c.value), c.listed) << c.value;
    }
}

TEST(NumberForms, MagnitudesBeyondFifteenDigitsUseAnExponent) {
    EXPECT_EQ(plain_number_form(1e15), "1E+15");
    EXPECT_EQ(plain_number_form(123456789012345.0), "123456789012345");
    EXPECT_EQ(plain_number_form(0.00001), "1E-05");
    EXPECT_EQ(signed_number_form(-2.5e20), "-2.5E+20");
}

// printf's "%.10g": ten significant digits, trailing zeros dropped, an exponent of
// at least two digits below 1e-4 and from 1e10 on.
TEST(NumberForms, TenDigitFormIsPrintfsTenSignificantDigits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.05, "0.05"},
        {0.1 + 0.2, "0.3"},
        {-2.5, "-2.5"},
        {100, "100"},
        {0, "0"},
        {1.0 / 3.0, "0.3333333333"},
        {0.0001, "0.0001"},
        {0.00001, "1e-05"},
        {1e-12, "1e-12"},
        {1234567890, "1234567890"},
        {12345678901, "1.23456789e+10"},
    };
    for (const auto& c : cases) EXPECT_EQ(ten_digit_form(c.value), c.text) << c.text;
}

struct PaddedCase {
    double value;
    int integer_digits;
    int decimals;
    const char* text;
};

TEST(NumberForms, ZeroPaddedPatternsRoundHalvesAwayFromZero) {
    const PaddedCase cases[] = {
        {100, 5, 0, "00100"},      {4095, 5, 0, "04095"},       {0, 5, 0, "00000"},
        {2.5, 5, 0, "00003"},      {3.5, 5, 0, "00004"},        {-2.5, 5, 0, "-00003"},
        {99.4, 5, 0, "00099"},     {123456, 5, 0, "123456"},    {200, 5, 2, "00200.00"},
        {2.6, 2, 2, "02.60"},      {3.5, 2, 2, "03.50"},        {0.125, 5, 2, "00000.13"},
        {0.375, 5, 2, "00000.38"}, {-0.125, 5, 2, "-00000.13"}, {110.5, 5, 2, "00110.50"},
        {-3, 5, 2, "-00003.00"},   {-0.001, 5, 2, "00000.00"},  {12.345678, 2, 2, "12.35"},
        {123.4, 1, 2, "123.40"},
    };
    for (const PaddedCase& c : cases) {
        EXPECT_EQ(zero_padded(c.value, c.integer_digits, c.decimals), c.text) << c.value;
    }
}

TEST(NumberForms, CodesAndPeakChannels) {
    EXPECT_EQ(two_digit_code(1), "01 ");
    EXPECT_EQ(two_digit_code(30), "30 ");
    EXPECT_EQ(two_digit_code(123), "123 ");
    EXPECT_EQ(two_digit_code(-1), "-01 ");
    EXPECT_EQ(peak_channel_form(123.4), " 123.40");
    EXPECT_EQ(peak_channel_form(100), " 100.00");
    EXPECT_EQ(peak_channel_form(0.5), " 0.50");
}

struct ParseCase {
    const char* text;
    double value;
};

TEST(NumberForms, LenientParseOfTypedText) {
    const ParseCase cases[] = {
        {"20", 20},         {" 1 2.5 ", 12.5}, {"abc", 0},    {"", 0},        {"-3", -3},
        {"7.5kg", 7.5},     {"1e2", 100},      {"1.5D1", 15}, {"12E", 12},    {".5", 0.5},
        {"1.2.3", 1.2},     {"\t4\n2", 42},    {"&H1F", 31},  {"&hFFFF", -1}, {"&O17", 15},
        {"&H10000", 65536}, {"1e999", 0},      {"+8", 8},     {"- 5", -5},
    };
    for (const ParseCase& c : cases) EXPECT_DOUBLE_EQ(lenient_number(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace sorvane
