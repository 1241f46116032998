#include "analysis/calibration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/synthetic.h"

namespace sorvane::analysis {
namespace {

using test::noise_free;

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

}  // namespace
}  // namespace sorvane::analysis
