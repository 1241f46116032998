#include "analysis/analysis_options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "analyse_spectrum.h"
#include "synthetic.h"

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

// FWHM^2 = a + b ch through (200, 2.0) and (3000, 3.8): b = (14.44 - 4) / 2800.
TEST(Calibration, WidthLineThroughTheTwoPoints) {
    AnalysisOptions options;
    options.low = {200.0, 100.0, 2.0};
    options.high = {3000.0, 1500.0, 3.8};
    const auto width = width_calibration(options);
    EXPECT_NEAR(width.b, 10.44 / 2800.0, 1e-12);
    EXPECT_NEAR(width.a, 4.0 - 200.0 * 10.44 / 2800.0, 1e-12);
    EXPECT_NEAR(width.fwhm(3000.0), 3.8, 1e-12);
}

TEST(Calibration, WidthStaysPositive) {
    AnalysisOptions options;
    options.low = {200.0, 100.0, 3.0};
    options.high = {3000.0, 1500.0, 0.5};
    const auto width = width_calibration(options);
    EXPECT_GE(width.fwhm(8000.0), WidthCalibration::min_fwhm);
}

// Samples on FWHM^2 = 3.8 + 0.002 ch, from a start of 3.6 + 0.0021 ch.
TEST(Calibration, RefinementFollowsMeasuredWidths) {
    WidthCalibration start;
    start.a = 3.6;
    start.b = 0.0021;
    auto on_line = [](double ch) { return WidthSample{ch, std::sqrt(3.8 + 0.002 * ch), 0.01}; };
    const std::vector<WidthSample> samples{on_line(100.0), on_line(1100.0), on_line(2100.0),
                                           on_line(3100.0)};
    const auto refined = refine_width_calibration(start, samples, 0.0, 4095.0);
    EXPECT_TRUE(refined.refined);
    EXPECT_NEAR(refined.b, 0.002, 1e-9);
    EXPECT_NEAR(refined.a, 3.8, 1e-6);
    const auto kept = refine_width_calibration(start, std::span(samples).first(2), 0.0, 4095.0);
    EXPECT_FALSE(kept.refined);
}

// An unresolved doublet shows as a peak 10 % too wide: it does not move the line.
TEST(Calibration, RefinementLeavesOutWidenedPeaks) {
    WidthCalibration start;
    start.a = 3.8;
    start.b = 0.002;
    auto on_line = [](double ch, double factor) {
        return WidthSample{ch, factor * std::sqrt(3.8 + 0.002 * ch), 0.01};
    };
    const std::vector<WidthSample> samples{on_line(100.0, 1.0), on_line(1100.0, 1.1),
                                           on_line(2100.0, 1.0), on_line(2600.0, 1.1),
                                           on_line(3100.0, 1.0)};
    const auto refined = refine_width_calibration(start, samples, 0.0, 4095.0);
    EXPECT_NEAR(refined.a, 3.8, 1e-6);
    EXPECT_NEAR(refined.b, 0.002, 1e-9);
}

// The user's FWHM points may be far off (a calibration for another detector or
// gain): peaks 1.8 times as wide as it says still set the width.
TEST(Calibration, ACalibrationFarOffIsStillRefined) {
    WidthCalibration start;
    start.a = 3.8;
    start.b = 0.002;
    auto wide = [](double ch) { return WidthSample{ch, 1.8 * std::sqrt(3.8 + 0.002 * ch), 0.01}; };
    const std::vector<WidthSample> samples{wide(100.0), wide(1100.0), wide(2100.0), wide(3100.0)};
    const auto refined = refine_width_calibration(start, samples, 0.0, 4095.0);
    EXPECT_TRUE(refined.refined);
    EXPECT_NEAR(refined.a, 3.8 * 1.8 * 1.8, 1e-6);
    EXPECT_NEAR(refined.b, 0.002 * 1.8 * 1.8, 1e-9);
}

// Samples in a narrow part of the range give a common scale, not a new slope:
// widths 5 % above the start everywhere scale a and b by 1.05^2.
TEST(Calibration, BunchedSamplesOnlyScaleTheCalibration) {
    WidthCalibration start;
    start.a = 3.8;
    start.b = 0.002;
    auto wider = [](double ch) {
        return WidthSample{ch, 1.05 * std::sqrt(3.8 + 0.002 * ch), 0.01};
    };
    const std::vector<WidthSample> samples{wider(3000.0), wider(3200.0), wider(3400.0)};
    const auto refined = refine_width_calibration(start, samples, 0.0, 4095.0);
    EXPECT_TRUE(refined.refined);
    EXPECT_NEAR(refined.a, 3.8 * 1.05 * 1.05, 1e-9);
    EXPECT_NEAR(refined.b, 0.002 * 1.05 * 1.05, 1e-12);
}

// Three peaks on a flat continuum, the test spectrum of the option checks.
class OptionEffects : public ::testing::Test {
protected:
    OptionEffects()
        : counts(noise_free(4096, 50.0, {{300.0, 20000.0}, {1000.0, 5000.0}, {2000.0, 3000.0}})) {
        options.low = {200.0, 100.0, 2.0};
        options.high = {3000.0, 1500.0, 3.8};
    }
    SpectrumAnalysis run() const { return analyse_spectrum(counts, file_terms, options); }

    std::vector<double> counts;
    std::vector<float> file_terms{1.0f, 0.25f, 0.0f};
    AnalysisOptions options;
};

TEST_F(OptionEffects, DefaultsFindAllThreePeaks) {
    const auto result = run();
    ASSERT_EQ(result.peaks.size(), 3u);
    EXPECT_NEAR(result.peaks[1].fit.area, 5000.0, 5.0);
    EXPECT_NEAR(result.peaks[1].energy, 1.0 + 0.25 * result.peaks[1].fit.centroid, 1e-9);
}

TEST_F(OptionEffects, ManualCalAreaLimitsTheChannels) {
    options.cal_area_all = false;
    options.cal_area_from = 900.0;
    options.cal_area_to = 1100.0;
    const auto result = run();
    EXPECT_EQ(result.first, 900);
    EXPECT_EQ(result.last, 1100);
    ASSERT_EQ(result.peaks.size(), 1u);
    EXPECT_NEAR(result.peaks[0].fit.centroid, 1000.0, 0.01);
}

TEST_F(OptionEffects, EmptyCalAreaIsAMessage) {
    options.cal_area_all = false;
    options.cal_area_from = 900.0;
    options.cal_area_to = 900.0;
    const auto result = run();
    EXPECT_TRUE(result.peaks.empty());
    ASSERT_FALSE(result.messages.empty());
}

// Manual: the line through (200, 100 keV) and (3000, 1500 keV), 0.5 keV a channel.
TEST_F(OptionEffects, ManualEnergyCalibrationIsTheLineThroughThePoints) {
    options.energy_auto = false;
    const auto result = run();
    EXPECT_FALSE(result.energy.from_file);
    EXPECT_NEAR(result.energy.c0, 0.0, 1e-9);
    EXPECT_NEAR(result.energy.c1, 0.5, 1e-12);
    ASSERT_EQ(result.peaks.size(), 3u);
    EXPECT_NEAR(result.peaks[1].energy, 500.0, 0.01);
    EXPECT_NEAR(result.peaks[1].fwhm_kev, 0.5 * result.peaks[1].fit.fwhm, 1e-9);
}

TEST_F(OptionEffects, AutoEnergyCalibrationIsTheFilesOwn) {
    const auto result = run();
    EXPECT_TRUE(result.energy.from_file);
    EXPECT_NEAR(result.peaks[0].energy, 1.0 + 0.25 * 300.0, 0.01);
}

TEST_F(OptionEffects, ManualSearchFitsTheGivenChannelsOnly) {
    options.manual_search = true;
    options.manual_peaks = {1000.6};
    const auto result = run();
    ASSERT_EQ(result.peaks.size(), 1u);
    EXPECT_TRUE(result.peaks[0].fit.manual);
    EXPECT_NEAR(result.peaks[0].fit.centroid, 1000.0, 0.01);
    EXPECT_NEAR(result.peaks[0].fit.area, 5000.0, 5.0);
}

// A manual peak where there is none is still reported, with an area near zero.
TEST_F(OptionEffects, ManualPeaksAreAlwaysReported) {
    options.manual_search = true;
    options.manual_peaks = {1500.0};
    const auto result = run();
    ASSERT_EQ(result.peaks.size(), 1u);
    EXPECT_LT(result.peaks[0].fit.area, 3.0 * result.peaks[0].fit.d_area + 1.0);
}

// A peak of 200 counts on 300 a channel (about 5 standard deviations) is found
// at sensitivity 3, not at 8.
TEST_F(OptionEffects, SensitivityDecidesOnAWeakPeak) {
    counts = noise_free(4096, 300.0, {{1500.0, 200.0}});
    options.pkf_sens = 3.0;
    EXPECT_EQ(run().peaks.size(), 1u);
    options.pkf_sens = 8.0;
    EXPECT_EQ(run().peaks.size(), 0u);
}

TEST_F(OptionEffects, PureGaussianFitsNoTail) {
    counts = noise_free(4096, 50.0, {{1000.0, 100000.0, 1.2}});
    options.shape = PeakShape::gauss;
    auto result = run();
    ASSERT_FALSE(result.peaks.empty());
    EXPECT_FALSE(result.peaks[0].fit.tail_fitted);
    EXPECT_EQ(result.peaks[0].fit.tail, 0.0);
    options.shape = PeakShape::gauss_exp;
    result = run();
    ASSERT_EQ(result.peaks.size(), 1u);
    EXPECT_TRUE(result.peaks[0].fit.tail_fitted);
    EXPECT_NEAR(result.peaks[0].fit.tail, 1.2, 1e-3);
    EXPECT_NEAR(result.peaks[0].fit.area, 100000.0, 10.0);
}

// The step under a peak: a sharp edge at bkg_shape 10, a gentle slope at 0.1.
TEST_F(OptionEffects, BkgShapeShapesTheStep) {
    counts = noise_free(4096, 50.0, {{1000.0, 100000.0}});
    for (std::size_t ch = 0; ch < 1000; ++ch) counts[ch] += 40.0;
    options.shape = PeakShape::gauss;
    options.bkg_shape = 10.0;
    const auto sharp = run();
    options.bkg_shape = 0.1;
    const auto gentle = run();
    ASSERT_EQ(sharp.regions.size(), 1u);
    ASSERT_EQ(gentle.regions.size(), 1u);
    const auto& a = sharp.regions[0];
    const auto& b = gentle.regions[0];
    ASSERT_EQ(a.first, b.first);
    const auto at = [&](const RegionResult& r, int ch) {
        return r.background[static_cast<std::size_t>(ch - r.first)];
    };
    // Across two channels at the centroid the sharp step drops most of its height.
    EXPECT_GT(at(a, 999) - at(a, 1001), 20.0);
    EXPECT_LT(std::fabs(at(b, 999) - at(b, 1001)), 20.0);
}

TEST_F(OptionEffects, SmoothingWidthChangesTheSearchOnly) {
    options.smoothing_points = 7;
    const auto seven = run();
    options.smoothing_points = 5;
    const auto five = run();
    ASSERT_EQ(seven.peaks.size(), five.peaks.size());
    EXPECT_NEAR(seven.peaks[0].fit.area, five.peaks[0].fit.area, 1e-3);
}

}  // namespace
}  // namespace sorvane::analysis
