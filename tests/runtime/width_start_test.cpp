#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/peak_shape.h"
#include "analysis/width_start.h"
#include "support/synthetic.h"

namespace sorvane::analysis {
namespace {

// Noise-free channel-integrated Gaussians of one FWHM on a flat continuum.
std::vector<double> lines_of_width(int channels, double continuum, double fwhm,
                                   const std::vector<std::pair<double, double>>& lines) {
    std::vector<double> counts(static_cast<std::size_t>(channels), continuum);
    for (const auto& [channel, area] : lines)
        for (int ch = 0; ch < channels; ++ch)
            counts[static_cast<std::size_t>(ch)] +=
                area * channel_fraction(ch, channel, fwhm / fwhm_per_sigma, 0.0);
    return counts;
}

struct HalfHeightRow {
    const char* name;
    double fwhm;       // the line's true FWHM (channels)
    double centre;     // where it sits (a fraction of a channel moves the top)
    double tolerance;  // relative: a 2-channel line binned into channels reads coarsely
};

class HalfHeight : public ::testing::TestWithParam<HalfHeightRow> {};

// A lone line's width read at half height is its FWHM, closer the more channels it
// spans (linear interpolation between binned channels). By hand for FWHM 2 at 200.4:
// channels 199..202 hold 0.132, 0.402, 0.356, 0.091 of the area; half of the top is
// crossed at 199.26 and 201.58, a reading of 2.33 channels (16 % wide).
TEST_P(HalfHeight, ReadsTheLinesWidth) {
    const auto& row = GetParam();
    const auto counts = lines_of_width(400, 50.0, row.fwhm, {{row.centre, 20000.0}});
    const auto line = half_height_width(counts, row.centre);
    ASSERT_TRUE(line.has_value());
    EXPECT_NEAR(line->fwhm / row.fwhm, 1.0, row.tolerance);
    EXPECT_NEAR(line->feet, 50.0, 2.0);
    EXPECT_NEAR(line->top, std::round(row.centre), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Lines, HalfHeight,
                         ::testing::Values(HalfHeightRow{"two_channels_centred", 2.0, 200.0, 0.12},
                                           HalfHeightRow{"two_channels_off_centre", 2.0, 200.4,
                                                         0.20},
                                           HalfHeightRow{"four_channels", 4.0, 200.3, 0.05},
                                           HalfHeightRow{"eight_channels", 8.0, 200.0, 0.03},
                                           HalfHeightRow{"sixteen_channels", 16.0, 200.5, 0.02}),
                         [](const auto& info) { return std::string(info.param.name); });

struct NoLineRow {
    const char* name;
    std::vector<double> counts;
    double channel;
};

class NoLoneLine : public ::testing::TestWithParam<NoLineRow> {};

// Where no line stands clearly above its feet no width is read: a flat continuum, a
// bump of four standard deviations of its top, an equal pair one FWHM apart (the
// valley between them lies above half height, and each top leans to the other).
TEST_P(NoLoneLine, GivesNoWidth) {
    const auto& row = GetParam();
    EXPECT_FALSE(half_height_width(row.counts, row.channel).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Counts, NoLoneLine,
    ::testing::Values(NoLineRow{"flat", std::vector<double>(300, 100.0), 150.0},
                      // height 40 over 100: 4 sqrt(140) = 47 > 40
                      NoLineRow{"weak", lines_of_width(300, 100.0, 4.0, {{150.0, 170.0}}), 150.0},
                      NoLineRow{"equal_pair_one_fwhm_apart",
                                lines_of_width(300, 20.0, 4.0, {{148.0, 5000.0}, {152.0, 5000.0}}),
                                148.0}),
    [](const auto& info) { return std::string(info.param.name); });

// Equal pairs of FWHM 4, 1.5 and 2 FWHM apart: the valley between them falls to 0.42
// and 0.13 of the tops. Taken as a foot it would set the half level too high (0.6 of
// the top at 1.5 FWHM) and read the line narrow; each member is read on its outer
// side instead, where its neighbour adds less than 0.2 % of the top.
TEST(HalfHeightPair, EachMemberIsReadOnItsOuterSide) {
    for (double apart : {6.0, 8.0}) {
        const double low = 150.0 - apart / 2.0, high = 150.0 + apart / 2.0;
        const auto counts = lines_of_width(300, 20.0, 4.0, {{low, 5000.0}, {high, 5000.0}});
        for (double channel : {low, high}) {
            const auto line = half_height_width(counts, channel);
            ASSERT_TRUE(line.has_value()) << apart << " apart, at " << channel;
            EXPECT_NEAR(line->fwhm / 4.0, 1.0, 0.08) << apart << " apart, at " << channel;
            EXPECT_NEAR(line->feet, 20.0, 2.0) << apart << " apart, at " << channel;
        }
    }
}

struct StartRow {
    const char* name;
    double width_factor;   // true widths: this many times the test calibration
    double points_factor;  // the user's points: this many times the test calibration
};

class WidthStart : public ::testing::TestWithParam<StartRow> {};

// Eight strong lines and one equal pair: the start found from the spectrum lies
// within 10 % of the true widths (the half-height reading of binned lines is coarse),
// whatever the user's points, which only give the shape (here the true one).
TEST_P(WidthStart, FollowsTheSpectrumNotThePoints) {
    const auto& row = GetParam();
    std::vector<test::TestPeak> peaks;
    for (double ch : {300.0, 700.0, 1100.0, 1500.0, 1900.0, 2300.0, 2700.0, 3100.0})
        peaks.push_back({ch, 30000.0});
    peaks.push_back({3500.0, 20000.0});
    peaks.push_back({3500.0 + 3.5 * row.width_factor, 20000.0});
    const auto counts = test::noise_free(4096, 100.0, peaks, row.width_factor);
    WidthCalibration points = test::test_width_calibration();
    const double f2 = row.points_factor * row.points_factor;
    points.a *= f2;
    points.b *= f2;
    const auto start = width_from_spectrum(counts, 0, 4095, points, 5);
    ASSERT_TRUE(start.has_value());
    const auto truth = test::test_width_calibration();
    for (double ch : {300.0, 1900.0, 3100.0})
        EXPECT_NEAR(start->start.fwhm(ch) / (row.width_factor * truth.fwhm(ch)), 1.0, 0.10)
            << "at channel " << ch;
}

INSTANTIATE_TEST_SUITE_P(Detectors, WidthStart,
                         ::testing::Values(StartRow{"points_right", 1.0, 1.0},
                                           StartRow{"points_quarter", 1.0, 0.25},
                                           StartRow{"points_four_times", 1.0, 4.0},
                                           StartRow{"wide_detector_default_points", 2.5, 1.0},
                                           StartRow{"narrow_detector_wide_points", 0.6, 3.0}),
                         [](const auto& info) { return std::string(info.param.name); });

// Points of the same shape off by any factor give the very same start.
TEST(WidthStartScale, DoesNotDependOnThePointsScale) {
    std::vector<test::TestPeak> peaks;
    for (double ch : {400.0, 1200.0, 2000.0, 2800.0, 3600.0}) peaks.push_back({ch, 50000.0});
    const auto counts = test::noise_free(4096, 200.0, peaks);
    const auto shape = test::test_width_calibration();
    const auto reference = width_from_spectrum(counts, 0, 4095, shape, 5);
    ASSERT_TRUE(reference.has_value());
    for (double factor : {0.25, 0.5, 2.0, 4.0}) {
        WidthCalibration points = shape;
        points.a *= factor * factor;
        points.b *= factor * factor;
        const auto start = width_from_spectrum(counts, 0, 4095, points, 5);
        ASSERT_TRUE(start.has_value()) << factor;
        for (double ch : {400.0, 3600.0})
            EXPECT_NEAR(start->start.fwhm(ch), reference->start.fwhm(ch),
                        1e-9 * reference->start.fwhm(ch))
                << "points x" << factor;
    }
}

// Fewer than three lines give no start: the points stay the answer.
TEST(WidthStartScale, NeedsThreeLines) {
    const auto counts = test::noise_free(4096, 200.0, {{1000.0, 50000.0}, {3000.0, 50000.0}});
    EXPECT_FALSE(width_from_spectrum(counts, 0, 4095, test::test_width_calibration(), 5));
}

}  // namespace
}  // namespace sorvane::analysis
