#include "contract/number_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sorvane {
namespace {

// Whole numbers take a short way; at its edges the value must be the one the
// decimal text names: 15 digits exactly, longer ones correctly rounded, the sign of
// a zero kept, a point or exponent read on.
TEST(NumberValue, WholeNumbersAtTheEdgesOfTheShortWay) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"999999999999999", 999999999999999.0},
        {"9007199254740993", 9007199254740992.0},  // 2^53 + 1 rounds to even
        {"12345678901234567890", 1.2345678901234567e19},
        {"-000000000000000000042", -42.0},
        {"1 000 000 000 000 000", 1e15},
        {"17.", 17.0},
        {"17e2", 1700.0},
        {"17D1", 170.0},
        {"17x3", 17.0},
    };
    for (const Case& c : cases) EXPECT_EQ(number_value(c.text), c.value) << c.text;
    EXPECT_TRUE(std::signbit(number_value("-0")));
    EXPECT_FALSE(std::signbit(number_value("0")));
}

}  // namespace
}  // namespace sorvane
