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
    double high_tail = 0.0;
};

class AreaConserved : public ::testing::TestWithParam<Conservation> {};

// Channel contents of a unit-area peak add up to 1 whatever the channel phase.
TEST_P(AreaConserved, ChannelContentsAddUpToOne) {
    const auto p = GetParam();
    double sum = 0.0;
    for (int ch = static_cast<int>(p.centroid) - 400; ch <= static_cast<int>(p.centroid) + 400;
         ++ch)
        sum += channel_fraction(ch, p.centroid, p.sigma, p.tail, p.high_tail);
    EXPECT_NEAR(sum, 1.0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, AreaConserved,
    ::testing::Values(Conservation{500.0, 1.0, 0.0}, Conservation{500.37, 0.6, 0.0},
                      Conservation{500.5, 2.5, 0.0}, Conservation{500.2, 1.5, 0.5},
                      Conservation{500.9, 1.5, 1.0}, Conservation{500.0, 0.9, 2.5},
                      Conservation{500.1, 1.2, 5.0}, Conservation{500.3, 1.5, 0.0, 0.5},
                      Conservation{500.6, 1.1, 1.2, 1.0}, Conservation{500.0, 2.0, 2.0, 3.0}));

// A high tail is a low tail mirrored: the content of channel n of a line at c with a
// high tail k is that of channel -n of a line at -c with a low tail k.
TEST(PeakShape, HighTailMirrorsTheLowTail) {
    const struct {
        double centroid, sigma, k;
    } cases[] = {{300.2, 1.4, 0.5}, {300.7, 2.2, 1.0}, {301.0, 0.9, 2.5}};
    for (const auto& c : cases)
        for (int ch = 280; ch <= 330; ++ch)
            EXPECT_NEAR(channel_fraction(ch, c.centroid, c.sigma, 0.0, c.k),
                        channel_fraction(-ch, -c.centroid, c.sigma, c.k), 1e-12)
                << "k " << c.k << " channel " << ch;
}

// Norms worked out by hand, k = 1 on both sides: each tail holds exp(-1/2) = 0.60653,
// the core sqrt(pi / 2) 2 erf(1 / sqrt 2) = 1.71125; half of the 2.92431 lies below c,
// and F(c + sigma) = 1 - 0.60653 / 2.92431 = 0.79259.
TEST(PeakShape, BothTailsHoldTheirHandWorkedShares) {
    EXPECT_NEAR(peak_cdf(50.0, 50.0, 2.0, 1.0, 1.0).value, 0.5, 1e-12);
    EXPECT_NEAR(peak_cdf(52.0, 50.0, 2.0, 1.0, 1.0).value, 0.79259, 1e-5);
    EXPECT_NEAR(peak_cdf(48.0, 50.0, 2.0, 1.0, 1.0).value, 1.0 - 0.79259, 1e-5);
}

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
    const struct {
        double low, high;
    } tails[] = {{0.0, 0.0}, {0.8, 0.0}, {2.0, 0.0}, {4.5, 0.0},
                 {0.0, 0.7}, {1.3, 1.9}, {3.0, 0.5}};
    for (const auto& [low, high] : tails) {
        const double h = 1e-6;
        auto value = [&](double c, double s, double kl, double kh, double x) {
            return peak_cdf(x, c, s, kl, kh).value;
        };
        for (double x : {40.0, 45.0, 47.3, 50.0, 51.0, 52.5, 55.0, 60.0}) {
            const auto at = peak_cdf(x, 50.0, 1.7, low, high);
            const double dc =
                (value(50.0 + h, 1.7, low, high, x) - value(50.0 - h, 1.7, low, high, x)) / (2 * h);
            const double ds =
                (value(50.0, 1.7 + h, low, high, x) - value(50.0, 1.7 - h, low, high, x)) / (2 * h);
            const double dk =
                low > 0.0
                    ? (value(50.0, 1.7, low + h, high, x) - value(50.0, 1.7, low - h, high, x)) /
                          (2 * h)
                    : 0.0;
            const double dkh =
                high > 0.0
                    ? (value(50.0, 1.7, low, high + h, x) - value(50.0, 1.7, low, high - h, x)) /
                          (2 * h)
                    : 0.0;
            const auto where = ::testing::Message() << "tails " << low << " " << high << " x " << x;
            EXPECT_NEAR(at.d_centroid, dc, 1e-7) << where;
            EXPECT_NEAR(at.d_sigma, ds, 1e-7) << where;
            EXPECT_NEAR(at.d_tail, dk, 1e-7) << where;
            EXPECT_NEAR(at.d_high_tail, dkh, 1e-7) << where;
            EXPECT_EQ(PeakProfile(50.0, 1.7, low, high).value(x), at.value) << where;
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
