#include "results/plot_axes.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

std::vector<std::string> labels(const std::vector<Tick>& ticks) {
    std::vector<std::string> out;
    for (const Tick& t : ticks)
        if (t.major) out.push_back(t.label);
    return out;
}

TEST(PlotAxes, LinearTicksAreOneTwoOrFiveTimesAPowerOfTen) {
    struct Case {
        Range range;
        int wanted;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{0, 1000}, 5, {"0", "200", "400", "600", "800", "1000"}},
        {{13, 47}, 4, {"20", "30", "40"}},
        {{-0.3, 0.3}, 3, {"-0.2", "0.0", "0.2"}},
        {{1171.2, 1174.9}, 4, {"1172", "1173", "1174"}},
        {{5, 5}, 4, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(labels(linear_ticks(c.range, c.wanted)), c.expected) << c.range.low;
}

// Far from zero a tiny step cannot move the tick count on: the list still ends.
TEST(PlotAxes, LinearTicksEndFarFromZero) {
    EXPECT_LE(linear_ticks({1e15, 1e15 + 1e-3}, 4).size(), 15u);
}

TEST(PlotAxes, LogTicksSitAtDecades) {
    struct Case {
        Range range;
        std::vector<std::string> expected;
        std::size_t all;  // majors and minors
    };
    const Case cases[] = {
        {{0.5, 3000}, {"1", "10", "100", "1000"}, 4},
        {{1, 500}, {"1", "10", "100"}, 3 + 8 + 8 + 4},
        {{0.5, 1e9},
         {"1", "10", "100", "1000", "10000", "100000", "1000000", "1e7", "1e8", "1e9"},
         10},
        {{20, 80}, {}, 7},
    };
    for (const Case& c : cases) {
        const auto ticks = log_ticks(c.range);
        EXPECT_EQ(labels(ticks), c.expected) << c.range.high;
        EXPECT_EQ(ticks.size(), c.all) << c.range.high;
    }
}

TEST(PlotAxes, MapsDataToPixelsAndBack) {
    const PixelBox box{100, 20, 800, 400};
    const AxisMapping linear({0, 4000}, {0, 200}, false, box);
    EXPECT_DOUBLE_EQ(linear.px(1000), 300);
    EXPECT_DOUBLE_EQ(linear.py(50), 320);
    EXPECT_DOUBLE_EQ(linear.x_at(500), 2000);
    const AxisMapping log({0, 4000}, {1, 10000}, true, box);
    EXPECT_DOUBLE_EQ(log.py(100), 220);  // two of four decades up
    EXPECT_DOUBLE_EQ(log.py(0), log.py(log_floor));
    EXPECT_NEAR(log.count_at(120), 1000, 1e-9);
}

}  // namespace
}  // namespace sorvane
