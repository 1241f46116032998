#include "import/text_conventions.h"

#include <gtest/gtest.h>

#include "import/read_fault.h"

namespace sorvane {
namespace {

TEST(NumberValue, ReadsTheLeadingNumberIgnoringBlanks) {
    struct Case {
        std::string_view text;
        double value;
    };
    const Case cases[] = {
        {"12 34", 1234},  {"5, 17", 5},  {"  -1.5E2", -150}, {"1.5D+2", 150}, {"2.5d-1", 0.25},
        {"3e2x", 300},    {"12E", 12},   {"12E+", 12},       {"7Dx", 7},      {"abc", 0},
        {"", 0},          {".5", 0.5},   {"-.25 kg", -0.25}, {"1.2.3", 1.2},  {"\t7\n", 7},
        {"+3", 3},        {"- 4", -4},   {"--4", 0},         {"0.", 0},       {"1 7, 2533", 17},
        {"4096  ", 4096}, {"1E-400", 0}, {"Date 2001", 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(number_value(c.text), c.value) << '"' << c.text << '"';
}

TEST(NumberValue, ANumberTooLargeForADoubleIsAFault) {
    EXPECT_THROW(number_value("1E400"), ReadFault);
    EXPECT_THROW(number_value("-9D999"), ReadFault);
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    struct Case {
        double value;
        double rounded;
    };
    const Case cases[] = {{0.5, 0},   {1.5, 2},    {2.5, 2},    {-0.5, 0}, {-1.5, -2},
                          {-2.5, -2}, {2.4999, 2}, {2.5001, 3}, {7, 7},    {-7.6, -8}};
    for (const Case& c : cases) EXPECT_EQ(round_half_even(c.value), c.rounded) << c.value;
}

TEST(Rounding, IntegerConversionsCheckTheirRange) {
    EXPECT_EQ(round_to_int32(2147483647.4), 2147483647);
    EXPECT_EQ(round_to_int32(-2147483648.5), -2147483648);  // half to even stays in range
    EXPECT_THROW(round_to_int32(2147483647.5), ReadFault);
    EXPECT_THROW(round_to_int32(1e300), ReadFault);
    EXPECT_EQ(round_to_int16(32767.0), 32767);
    EXPECT_EQ(round_to_int16(-32768.5), -32768);
    EXPECT_THROW(round_to_int16(32767.5), ReadFault);
    EXPECT_THROW(round_to_int16(40000), ReadFault);
}

TEST(Lines, EndAtCarriageReturnsOnly) {
    struct Case {
        std::string_view bytes;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"a\r\nb\rc\nd", {"a", "b", "c\nd"}},
        {"a\r\n", {"a"}},
        {"a\r\n\r\n", {"a", ""}},
        {"", {}},
        {"\r", {""}},
        {"last", {"last"}},
    };
    for (const Case& c : cases) EXPECT_EQ(split_lines(c.bytes), c.lines) << c.bytes;
}

TEST(Lines, ReadingPastTheEndIsAFaultAndSearchesStartFromTheTop) {
    TextLines lines("#Spectrum\r\n4096\r\nx #SPECTRUM\r\n");
    EXPECT_EQ(lines.find_from_top("#spectrum"), "#Spectrum");
    EXPECT_EQ(lines.read_line(), "4096");
    lines.read_line();
    EXPECT_TRUE(lines.at_end());
    EXPECT_THROW(lines.read_line(), ReadFault);
    EXPECT_EQ(lines.find_from_top("#Spectrum"), "#Spectrum");
    EXPECT_EQ(lines.position(), 1u);
    EXPECT_FALSE(lines.find_from_top("#Energy"));
}

TEST(Columns, CountFromOneAndStopAtTheLineEnd) {
    EXPECT_EQ(columns("abcdef", 2, 3), "bcd");
    EXPECT_EQ(columns("abcdef", 5, 10), "ef");
    EXPECT_EQ(columns("abcdef", 7, 1), "");
    EXPECT_EQ(columns("abcdef", 40, 5), "");
    EXPECT_TRUE(contains_keyword("  #SPECTRUM", "#Spectrum"));
    EXPECT_FALSE(contains_keyword("#Spectru", "#Spectrum"));
    EXPECT_EQ(keyword_column("  #spectrum", "#Spectrum"), 3u);
    EXPECT_EQ(keyword_column("none", "#Spectrum"), 0u);
}

TEST(GetField, SplitsAtTheSeparatorWithBlankRunsCountedOnce) {
    struct Case {
        std::string_view line;
        std::string_view separator;
        int n;
        std::string_view field;
    };
    const Case cases[] = {
        {"A004  12  34", " ", 2, "12 "},  // the field's end moves to the run's last blank
        {"A004  12  34", " ", 3, "34"},
        {"A004  12  34", " ", 1, "A004 "},
        {" 5 6 ", " ", 2, "6"},
        {" 5 6 ", " ", 3, "5 6"},  // fewer fields: the whole trimmed line
        {"x,y", ",", 2, "y"},
        {"x,y", ",", 1, "x"},
        {"a,,b", ",", 3, "b"},  // only blanks run together
        {"17, 2533", " ", 2, "2533"},
        {"17,2533", " ", 2, "17,2533"},
        {"1 2 3", "", 2, "1 2 3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(get_field(c.line, c.separator, c.n), c.field) << '"' << c.line << "\" n=" << c.n;
    }
    EXPECT_EQ(number_value(get_field("A004  12  34", " ", 2)), 12);
}

TEST(Num2Month, GivesUpperCaseAbbreviations) {
    EXPECT_EQ(num2month(1), "JAN");
    EXPECT_EQ(num2month(3), "MAR");
    EXPECT_EQ(num2month(12), "DEC");
    EXPECT_EQ(num2month(0), "");
    EXPECT_EQ(num2month(13), "");
}

}  // namespace
}  // namespace sorvane
