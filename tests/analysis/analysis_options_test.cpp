#include "analysis/analysis_options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "pipeline/analyse_spectrum.h"
#include "support/synthetic.h"

namespace sorvane::analysis {
namespace {

using test::noise_free;

struct CodeRow {
    OptionCodes codes;
    bool manual_search;
    int smoothing;
    PeakShape shape;
    bool plot;
    RawDataOutput raw;
    bool energy_auto;
    bool area_all;
};

class OptionCodeTable : public ::testing::TestWithParam<CodeRow> {};

// The codes as the front end stores them: element 2 uses 0 and 2, element 4 uses
// 1 (none), 0, 2, 4, elements 5 and 6 store 1 for the first button.
TEST_P(OptionCodeTable, ReadsEveryCode) {
    const auto row = GetParam();
    AnalysisOptions options;
    apply_option_codes(options, row.codes);
    EXPECT_EQ(options.manual_search, row.manual_search);
    EXPECT_EQ(options.smoothing_points, row.smoothing);
    EXPECT_EQ(options.shape, row.shape);
    EXPECT_EQ(options.plot, row.plot);
    EXPECT_EQ(options.raw_data, row.raw);
    EXPECT_EQ(options.energy_auto, row.energy_auto);
    EXPECT_EQ(options.cal_area_all, row.area_all);
    EXPECT_EQ(option_codes(options), row.codes);
}

INSTANTIATE_TEST_SUITE_P(Codes, OptionCodeTable,
                         ::testing::Values(CodeRow{{0, 0, 0, 0, 1, 1, 1},
                                                   false,
                                                   5,
                                                   PeakShape::gauss_exp,
                                                   false,
                                                   RawDataOutput::none,
                                                   true,
                                                   true},
                                           CodeRow{{1, 1, 2, 1, 0, 0, 0},
                                                   true,
                                                   7,
                                                   PeakShape::gauss,
                                                   true,
                                                   RawDataOutput::analysed_range,
                                                   false,
                                                   false},
                                           CodeRow{{0, 0, 0, 0, 2, 1, 0},
                                                   false,
                                                   5,
                                                   PeakShape::gauss_exp,
                                                   false,
                                                   RawDataOutput::all_channels,
                                                   true,
                                                   false},
                                           CodeRow{{0, 1, 0, 0, 4, 0, 1},
                                                   false,
                                                   7,
                                                   PeakShape::gauss_exp,
                                                   false,
                                                   RawDataOutput::csv,
                                                   false,
                                                   true}));

TEST(OptionCodes, ForcesTheRangesOfTheNumbers) {
    AnalysisOptions options;
    options.bkg_shape = 0.01;
    options.pkf_sens = 9.0;
    const auto forced = clamped(options);
    EXPECT_EQ(forced.bkg_shape, 0.1);
    EXPECT_EQ(forced.pkf_sens, 8.0);
}

}  // namespace
}  // namespace sorvane::analysis
