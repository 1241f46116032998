#include "analysis/peak_search.h"

#include <gtest/gtest.h>

#include "analysis/smoothing.h"
#include "pipeline/analyse_spectrum.h"
#include "support/synthetic.h"

namespace sorvane::analysis {
namespace {

using test::noise_free;
using test::test_width_calibration;

TEST(Smoothing, WeightsAreTheQuadraticSavitzkyGolayOnes) {
    const auto five = savitzky_golay_weights(5);
    const std::vector<double> expected5{-3 / 35.0, 12 / 35.0, 17 / 35.0, 12 / 35.0, -3 / 35.0};
    ASSERT_EQ(five.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_DOUBLE_EQ(five[i], expected5[i]);
    const auto seven = savitzky_golay_weights(7);
    const std::vector<double> expected7{-2 / 21.0, 3 / 21.0, 6 / 21.0, 7 / 21.0,
                                        6 / 21.0,  3 / 21.0, -2 / 21.0};
    ASSERT_EQ(seven.size(), 7u);
    for (std::size_t i = 0; i < 7; ++i) EXPECT_DOUBLE_EQ(seven[i], expected7[i]);
}

// A quadratic passes through the quadratic smoothing unchanged.
TEST(Smoothing, KeepsAParabola) {
    std::vector<double> counts(20);
    for (std::size_t i = 0; i < counts.size(); ++i) counts[i] = 3.0 + 0.5 * i + 0.25 * i * i;
    for (int points : {5, 7}) {
        const auto smoothed = smooth(counts, points);
        for (std::size_t i = 3; i + 3 < counts.size(); ++i)
            EXPECT_NEAR(smoothed[i], counts[i], 1e-9);
    }
}

TEST(PeakSearch, FindsALonePeakAtItsChannel) {
    const auto counts = noise_free(1024, 100.0, {{500.3, 5000.0}});
    const auto found = search_peaks(counts, 0, 1023, test_width_calibration(), 5, 6.0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].channel, 500.3, 0.3);
    EXPECT_GT(found[0].significance, 6.0);
}

TEST(PeakSearch, FindsNothingOnAStraightContinuum) {
    std::vector<double> counts(1024);
    for (std::size_t i = 0; i < counts.size(); ++i) counts[i] = 500.0 - 0.3 * i;
    EXPECT_TRUE(search_peaks(counts, 0, 1023, test_width_calibration(), 5, 3.0).empty());
}

TEST(PeakSearch, FindsBothMembersOfADoubletTwoFwhmApart) {
    const double fwhm = test_width_calibration().fwhm(600.0);
    const auto counts = noise_free(1024, 100.0, {{600.0, 8000.0}, {600.0 + 2.0 * fwhm, 8000.0}});
    const auto found = search_peaks(counts, 0, 1023, test_width_calibration(), 5, 6.0);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_NEAR(found[0].channel, 600.0, 0.5);
    EXPECT_NEAR(found[1].channel, 600.0 + 2.0 * fwhm, 0.5);
}

TEST(PeakSearch, IgnoresChannelsOutsideTheRange) {
    const auto counts = noise_free(1024, 100.0, {{300.0, 5000.0}, {700.0, 5000.0}});
    const auto found = search_peaks(counts, 500, 1023, test_width_calibration(), 5, 6.0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].channel, 700.0, 0.3);
}

// A 1:4 doublet 1.2 FWHM apart shows as one candidate; the fit's look at its
// residuals finds the second member, and both areas come out right.
TEST(PeakAnalysis, ResolvesAHiddenDoubletMember) {
    const double fwhm = test_width_calibration().fwhm(1500.0);
    const double second = 1500.0 + 1.2 * fwhm;
    const auto counts = noise_free(4096, 50.0, {{1500.0, 20000.0}, {second, 5000.0}});
    AnalysisOptions options;
    options.low = {200.0, 100.0, 2.0};
    options.high = {3000.0, 1500.0, 3.8};
    const auto result = analyse_spectrum(counts, std::vector<float>{0.0f, 0.5f, 0.0f}, options);
    ASSERT_EQ(result.peaks.size(), 2u);
    EXPECT_NEAR(result.peaks[0].fit.centroid, 1500.0, 0.01);
    EXPECT_NEAR(result.peaks[0].fit.area, 20000.0, 20.0);
    EXPECT_NEAR(result.peaks[1].fit.centroid, second, 0.02);
    EXPECT_NEAR(result.peaks[1].fit.area, 5000.0, 20.0);
    EXPECT_TRUE(result.peaks[0].fit.multiplet);
    EXPECT_TRUE(result.peaks[1].fit.multiplet);
}

// FWHM points far from the detector's real widths (its peaks 2.5 times as wide):
// the fit still takes each peak's own width, and the areas come out right.
TEST(PeakAnalysis, PeaksMuchWiderThanTheFwhmPointsSayAreMeasuredWhole) {
    const std::vector<test::TestPeak> truth{
        {500.0, 20000.0}, {1500.0, 20000.0}, {2500.0, 20000.0}, {3500.0, 20000.0}};
    const auto counts = noise_free(4096, 20.0, truth, 2.5);
    AnalysisOptions options;
    options.low = {200.0, 100.0, 2.0};
    options.high = {3000.0, 1500.0, 3.8};
    const auto result = analyse_spectrum(counts, std::vector<float>{0.0f, 0.5f, 0.0f}, options);
    ASSERT_EQ(result.peaks.size(), truth.size());
    for (std::size_t i = 0; i < truth.size(); ++i) {
        const auto& fit = result.peaks[i].fit;
        EXPECT_NEAR(fit.centroid, truth[i].channel, 0.05) << i;
        EXPECT_NEAR(fit.area, truth[i].area, 0.01 * truth[i].area) << i;
        EXPECT_NEAR(fit.fwhm, 2.5 * test_width_calibration().fwhm(truth[i].channel),
                    0.02 * fit.fwhm)
            << i;
    }
}

}  // namespace
}  // namespace sorvane::analysis
