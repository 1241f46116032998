#include "contract/list_input.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(ListInput, NumbersSeparatedByBlanksCommasAndLineEnds) {
    ListInput in("00100 04095 \r\n 1,2\r\n\r\n  -3.5e1\r\n");
    EXPECT_EQ(in.read_number(), 100);
    EXPECT_EQ(in.read_number(), 4095);
    EXPECT_EQ(in.read_number(), 1);
    EXPECT_EQ(in.read_number(), 2);
    EXPECT_EQ(in.read_number(), -35);
    EXPECT_EQ(in.read_number(), std::nullopt);
    EXPECT_TRUE(in.at_end());
}

TEST(ListInput, AFieldThatIsNoNumberIsConsumedAndGivesNothing) {
    ListInput in("1 xx 3 4x 5\r\n");
    EXPECT_EQ(in.read_number(), 1);
    EXPECT_EQ(in.read_number(), std::nullopt);
    EXPECT_EQ(in.read_number(), 3);
    EXPECT_EQ(in.read_number(), std::nullopt);
    EXPECT_EQ(in.read_number(), 5);
}

TEST(ListInput, IntegersRoundHalvesToEvenAndRejectOverflow) {
    ListInput in("2.5 3.5 40000 -32768\r\n");
    EXPECT_EQ(in.read_int16(), 2);
    EXPECT_EQ(in.read_int16(), 4);
    EXPECT_EQ(in.read_int16(), std::nullopt);
    EXPECT_EQ(in.read_int16(), -32768);
}

TEST(ListInput, LinesEndAtCrCrLfOrLf) {
    ListInput in("one\r\ntwo\rthree\nfour");
    EXPECT_EQ(in.read_line(), "one");
    EXPECT_EQ(in.read_line(), "two");
    EXPECT_EQ(in.read_line(), "three");
    EXPECT_EQ(in.read_line(), "four");
    EXPECT_EQ(in.read_line(), std::nullopt);
}

TEST(ListInput, TextFieldsSplitAtCommasAndLoseSurroundingBlanks) {
    ListInput in("a, b\r\n  second line \r\n\"quoted, text\" rest, next\r\n");
    EXPECT_EQ(in.read_text(), "a");
    EXPECT_EQ(in.read_text(), "b");
    EXPECT_EQ(in.read_text(), "second line");
    EXPECT_EQ(in.read_text(), "quoted, text");
    EXPECT_EQ(in.read_text(), "next");
    EXPECT_EQ(in.read_text(), std::nullopt);
}

TEST(ListInput, DecimalLiterals) {
    EXPECT_EQ(decimal_literal("12"), 12);
    EXPECT_EQ(decimal_literal("-.5"), -0.5);
    EXPECT_EQ(decimal_literal("1D2"), 100);
    EXPECT_EQ(decimal_literal("1e"), std::nullopt);
    EXPECT_EQ(decimal_literal("abc"), std::nullopt);
    EXPECT_EQ(decimal_literal(""), std::nullopt);
    EXPECT_EQ(decimal_literal("1e999"), std::nullopt);
}

}  // namespace
}  // namespace sorvane
