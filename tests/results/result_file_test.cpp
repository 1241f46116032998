#include "results/result_file.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

// Columns are found by the header's names, whatever their order and whatever
// columns a later or earlier version adds or lacks.
TEST(ResultModel, ReadsPeakColumnsByTheirNames) {
    struct Case {
        const char* peaks;
        const char* column;
        const char* expected;  // of the second row
    };
    const Case cases[] = {
        {"no channel area flags\r\n1 10.5 100 -\r\n2 20.25 200 MD\r\n", "area", "200"},
        {"area no flags channel\r\n100 1 - 10.5\r\n200 2 MD 20.25\r\n", "channel", "20.25"},
        {"no channel area new_column flags\r\n1 10 5 x T\r\n2 20 6 y W\r\n", "flags", "W"},
        {"no  channel   area\r\n1   10        5\r\n2   20        6\r\n", "area", "6"},
        {"no channel\r\n1 10\r\n2 20\r\n", "area", ""},
    };
    for (const Case& c : cases) {
        const ResultModel result = read_result(std::string("[peaks]\r\n") + c.peaks);
        ASSERT_EQ(result.peaks.rows.size(), 2u) << c.peaks;
        EXPECT_EQ(result.peaks.cell(1, c.column), c.expected) << c.peaks;
    }
}

TEST(ResultModel, SkipsSectionsItDoesNotKnow) {
    const ResultModel result = read_result(
        "[spectrum]\r\ninput = a.chn\r\n[nuclides]\r\ninput = wrong\r\nCs-137 661.657\r\n"
        "[peaks]\r\nno channel\r\n1 12\r\n[future]\r\n2 99\r\n[messages]\r\nfine\r\n");
    EXPECT_EQ(result.spectrum.input, "a.chn");
    EXPECT_EQ(value_of(result.nuclide_keys, "input"), "wrong");
    ASSERT_EQ(result.peaks.rows.size(), 1u);
    EXPECT_EQ(result.messages, std::vector<std::string>{"fine"});
}

// Flags in words come from the result's own legend; results older than the legend
// get the meanings of the four letters they used.
TEST(ResultModel, ShowsFlagsInWords) {
    struct Case {
        const char* legend;
        const char* flags;
        const char* expected;
    };
    const Case cases[] = {
        {"[flags]\r\nB = broader than a single line\r\nM = manual\r\n", "MB",
         "manual, broader than a single line"},
        {"[flags]\r\nA: the 511 keV annihilation line\r\n", "A", "the 511 keV annihilation line"},
        {"[flags]\r\nS sum of two strong lines\r\n", "SQ", "sum of two strong lines, Q"},
        {"", "DT", "member of a multiplet, tail fitted"},
        {"", "-", ""},
    };
    for (const Case& c : cases) {
        const ResultModel result = read_result(c.legend);
        EXPECT_EQ(flags_in_words(result, c.flags), c.expected) << c.legend;
    }
}

TEST(ResultModel, PlacesCountsAtTheirChannels) {
    const ResultModel result = read_result("[counts]\r\n0 5 6 7\r\n3 8\r\n6 1 2\r\n");
    EXPECT_TRUE(result.has_counts);
    EXPECT_EQ(result.counts, (std::vector<double>{5, 6, 7, 8, 0, 0, 1, 2}));
    EXPECT_FALSE(read_result("[peaks]\r\nno\r\n").has_counts);
}

TEST(ResultModel, ReadsRegionsWithTheirPeaks) {
    const ResultModel result = read_result(
        "[regions]\r\nregion = 10 30 5 -1 2\r\npeak = 20 1000 1.5 0 3 1.4\r\n"
        "peak = 24 50 1.6 2.5 0 1.4 1.8\r\nregion = 40 50 1 0 2\r\npeak = 45 10 2 0 0 2 -1\r\n");
    ASSERT_EQ(result.regions.size(), 2u);
    const auto& first = result.regions[0];
    EXPECT_EQ(first.first, 10);
    EXPECT_EQ(first.last, 30);
    EXPECT_EQ(first.slope, -1.0);
    ASSERT_EQ(first.peaks.size(), 2u);
    EXPECT_EQ(first.peaks[1].tail, 2.5);
    // The high tail is the seventh number; files written before it have six.
    EXPECT_EQ(first.peaks[0].high_tail, 0.0);
    EXPECT_EQ(first.peaks[1].high_tail, 1.8);
    ASSERT_EQ(result.regions[1].peaks.size(), 1u);
    EXPECT_EQ(result.regions[1].peaks[0].high_tail, 0.0);  // a negative k is none
}

// A damaged file cannot make the view draw without end: such regions are left out,
// and so are the peaks of a region left out and peaks without a width.
TEST(ResultModel, LeavesOutRegionsNoSpectrumHas) {
    const ResultModel result = read_result(
        "[regions]\r\nregion = 10 5 0 0 2\r\npeak = 7 10 1 0 0 1\r\n"
        "region = -3 5 0 0 2\r\nregion = 0 1e300 0 0 2\r\nregion = 0 70000 0 0 2\r\n"
        "region = 10 20 0 0 2\r\npeak = 15 10 0 0 0 1\r\npeak = 15 10 1 0 0 1\r\n");
    ASSERT_EQ(result.regions.size(), 1u);
    EXPECT_EQ(result.regions[0].first, 10);
    EXPECT_EQ(result.regions[0].peaks.size(), 1u);
}

// The identity (and a falling scale) is no energy calibration: the plot stays in channels.
TEST(ResultModel, TakesAnEnergyCalibrationOnlyWhenThereIsOne) {
    struct Case {
        const char* energy;
        bool calibrated;
        double at_100;
    };
    const Case cases[] = {
        {"0.5 0.35 1e-6", true, 0.5 + 35.0 + 0.01},
        {"0 1 0", false, 0},
        {"10 -0.5 0", false, 0},
        {"", false, 0},
    };
    for (const Case& c : cases) {
        const auto terms =
            energy_terms(read_result(std::string("[calibration]\r\nenergy = ") + c.energy));
        ASSERT_EQ(terms.has_value(), c.calibrated) << c.energy;
        if (terms) {
            EXPECT_DOUBLE_EQ(terms->energy(100), c.at_100);
        }
    }
}

}  // namespace
}  // namespace sorvane
