#include "analysis/peak_shape.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sorvane::analysis {
namespace {

// Values of the standard normal distribution from tables.
TEST(PeakShape, GaussianCdfMatchesTheNormalTable) {
    EXPECT_NEAR(peak_cdf(100.0, 100.0, 2.0, 0.0).value, 0.5, 1e-15);
    EXPECT_NEAR(peak_cdf(102.0, 100.0, 2.0, 0.0).value, 0.8413447461, 1e-9);
    EXPECT_NEAR(peak_cdf(96.0, 100.0, 2.0, 0.0).value, 0.0227501319, 1e-9);
    // d F / d c at the centroid is -phi(0) / sigma.
    EXPECT_NEAR(peak_cdf(100.0, 100.0, 2.0, 0.0).d_centroid, -0.3989422804 / 2.0, 1e-9);
}

struct Conservation {
    double centroid;
    double sigma;
    double tail;
};

class AreaConserved : public ::testing::TestWithParam<Conservation> {};

// Channel contents of a unit-area peak add up to 1 whatever the channel phase.
TEST_P(AreaConserved, ChannelContentsAddUpToOne) {
    const auto p = GetParam();
    double sum = 0.0;
    for (int ch = static_cast<int>(p.centroid) - 400; ch <= static_cast<int>(p.centroid) + 60; ++ch)
        sum += channel_fraction(ch, p.centroid, p.sigma, p.tail);
    EXPECT_NEAR(sum, 1.0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, AreaConserved,
    ::testing::Values(Conservation{500.0, 1.0, 0.0}, Conservation{500.37, 0.6, 0.0},
                      Conservation{500.5, 2.5, 0.0}, Conservation{500.2, 1.5, 0.5},
                      Conservation{500.9, 1.5, 1.0}, Conservation{500.0, 0.9, 2.5},
                      Conservation{500.1, 1.2, 5.0}));

// The tail joins the Gaussian without a jump in value or slope at c - k sigma.
TEST(PeakShape, TailJoinsTheGaussianSmoothly) {
    const double c = 50.0, sigma = 2.0, k = 1.5;
    const double join = c - k * sigma;
    const auto below = peak_cdf(join - 1e-10, c, sigma, k);
    const auto above = peak_cdf(join + 1e-10, c, sigma, k);
    EXPECT_NEAR(below.value, above.value, 1e-9);
    EXPECT_NEAR(below.d_centroid, above.d_centroid, 1e-7);
}

// A tail moves counts to the low side: less than half the peak lies below c.
TEST(PeakShape, TailPutsMoreThanHalfBelowTheCentroid) {
    EXPECT_GT(peak_cdf(50.0, 50.0, 2.0, 1.0).value, 0.5);
    EXPECT_NEAR(peak_cdf(50.0, 50.0, 2.0, 5.0).value, 0.5, 1e-6);
}

TEST(PeakShape, DerivativesMatchFiniteDifferences) {
    for (double tail : {0.0, 0.8, 2.0, 4.5}) {
        const double h = 1e-6;
        for (double x : {40.0, 45.0, 47.3, 50.0, 52.5}) {
            const auto at = peak_cdf(x, 50.0, 1.7, tail);
            const double dc =
                (peak_cdf(x, 50.0 + h, 1.7, tail).value - peak_cdf(x, 50.0 - h, 1.7, tail).value) /
                (2 * h);
            const double ds =
                (peak_cdf(x, 50.0, 1.7 + h, tail).value - peak_cdf(x, 50.0, 1.7 - h, tail).value) /
                (2 * h);
            const double dk = tail > 0.0 ? (peak_cdf(x, 50.0, 1.7, tail + h).value -
                                            peak_cdf(x, 50.0, 1.7, tail - h).value) /
                                               (2 * h)
                                         : 0.0;
            EXPECT_NEAR(at.d_centroid, dc, 1e-7) << "tail " << tail << " x " << x;
            EXPECT_NEAR(at.d_sigma, ds, 1e-7) << "tail " << tail << " x " << x;
            EXPECT_NEAR(at.d_tail, dk, 1e-7) << "tail " << tail << " x " << x;
            EXPECT_EQ(PeakProfile(50.0, 1.7, tail).value(x), at.value);
        }
    }
}

// The step's mean over a channel: 1/2 where the channel is centred on c, near 0
// far below and near 1 far above; for small k it is the straight line
// 1/2 + k (x - c) / (pi sigma).
TEST(PeakShape, StepMeanHasItsLimits) {
    EXPECT_NEAR(step_mean(99.5, 100.5, 100.0, 2.0, 10.0).value, 0.5, 1e-12);
    EXPECT_LT(step_mean(49.5, 50.5, 100.0, 2.0, 10.0).value, 0.002);
    EXPECT_GT(step_mean(149.5, 150.5, 100.0, 2.0, 10.0).value, 0.998);
    EXPECT_NEAR(step_mean(101.5, 102.5, 100.0, 2.0, 0.001).value,
                0.5 + 0.001 * 2.0 / (std::acos(-1.0) * 2.0), 1e-9);
    const double h = 1e-6;
    const double dc = (step_mean(101.5, 102.5, 100.0 + h, 2.0, 1.0).value -
                       step_mean(101.5, 102.5, 100.0 - h, 2.0, 1.0).value) /
                      (2 * h);
    EXPECT_NEAR(step_mean(101.5, 102.5, 100.0, 2.0, 1.0).d_centroid, dc, 1e-8);
}

}  // namespace
}  // namespace sorvane::analysis
