#include "analysis/region_fit.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/synthetic.h"

namespace sorvane::analysis {
namespace {

using test::noise_free;
using test::TestPeak;

struct RegionRow {
    const char* name;
    std::vector<TestPeak> truth;
    double width_factor;         // true widths over the calibration's
    std::vector<double> starts;  // channels handed to the fit
    std::size_t members;         // peaks the fit keeps
    double total_area;           // their summed area
};

class RegionFit : public ::testing::TestWithParam<RegionRow> {};

// Noise-free counts on a continuum of 100 a channel; FWHM 2.83 channels at 1000.
// A lone line, a doublet 1.5 FWHM apart, a line 30 % wider than the calibration says,
// a strong line skewed by a fifth of its area 0.4 channels above it, and strong lines
// with a shoulder of 1/30 (0.7 FWHM below) or 1/24 (0.7 FWHM above) of their area,
// which no one sees as a line of its own: the fit keeps the lines a person sees, and
// the whole area.
TEST_P(RegionFit, KeepsTheLinesAndTheirArea) {
    const auto& row = GetParam();
    const auto counts = noise_free(2048, 100.0, row.truth, row.width_factor);
    Region region{980, 1030, {}};
    for (double channel : row.starts) region.peaks.push_back({channel, false});
    RegionSettings settings;
    settings.width = test::test_width_calibration();
    settings.shape = PeakShape::gauss;
    const RegionResult fit = fit_region(counts, region, settings);
    ASSERT_EQ(fit.peaks.size(), row.members);
    double area = 0.0;
    for (const auto& peak : fit.peaks) area += peak.area;
    EXPECT_NEAR(area / row.total_area, 1.0, 0.01);
    EXPECT_TRUE(fit.converged);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegionFit,
    ::testing::Values(
        RegionRow{"lone", {{1000.0, 50000.0}}, 1.0, {1000.0}, 1, 50000.0},
        RegionRow{
            "doublet", {{1000.0, 20000.0}, {1004.24, 20000.0}}, 1.0, {1000.0, 1004.0}, 2, 40000.0},
        RegionRow{"wider", {{1000.0, 200000.0}}, 1.3, {1000.0}, 1, 200000.0},
        RegionRow{"skewed", {{1000.0, 160000.0}, {1000.4, 40000.0}}, 1.0, {1000.0}, 1, 200000.0},
        RegionRow{"lowshoulder", {{1000.0, 190000.0}, {998.0, 6500.0}}, 1.0, {1000.0}, 1, 196500.0},
        RegionRow{
            "highshoulder", {{1000.0, 190000.0}, {1002.0, 8000.0}}, 1.0, {1000.0}, 1, 198000.0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sorvane::analysis
