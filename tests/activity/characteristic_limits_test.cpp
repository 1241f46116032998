#include "activity/characteristic_limits.h"

#include <gtest/gtest.h>

#include <cmath>

#include "activity/normal_distribution.h"

namespace sorvane::activity {
namespace {

TEST(NormalQuantile, KnownQuantilesTo1e9) {
    struct Case {
        double p;
        double quantile;
    };
    const Case cases[] = {
        {0.5, 0.0},
        {0.95, 1.6448536269514722},
        {0.975, 1.959963984540054},
        {0.025, -1.959963984540054},
        {1e-10, -6.361340902404056},
        {0.999999, 4.753424308817089},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(normal_quantile(c.p), c.quantile, 1e-9) << c.p;
        EXPECT_NEAR(normal_cdf(c.quantile), c.p, 1e-12) << c.p;
    }
}

// The worked numbers of ISO 11929 for one line: n_0 = 400, u(n_0) = 10, w = 0.01,
// u_rel(w) = 0.05; k = 1.645 exactly, then the exact quantile.
TEST(CharacteristicLimits, WorkedNumbers) {
    struct Case {
        double k;
        double threshold;
        double limit;
    };
    const Case cases[] = {{1.645, 0.36783, 0.76792}, {1.6448536269514722, 0.36780, 0.76785}};
    for (const Case& c : cases) {
        const LimitInput in{400.0, 10.0, 0.01, 0.05, c.k, c.k};
        EXPECT_NEAR(decision_threshold(in) / c.threshold, 1.0, 1e-4);
        ASSERT_TRUE(detection_limit(in).has_value());
        EXPECT_NEAR(*detection_limit(in) / c.limit, 1.0, 1e-4);
        EXPECT_NEAR(*detection_limit_closed_form(in) / c.limit, 1.0, 1e-4);
    }
}

TEST(CharacteristicLimits, CurrieWithoutUncertaintyOfTheFactor) {
    const LimitInput in{100.0, 0.0, 1.0, 0.0, 1.645, 1.645};
    EXPECT_NEAR(*detection_limit(in), 2.706025 + 3.29 * 10.0, 1e-9);
}

TEST(CharacteristicLimits, NoDetectionLimitWhenTheFactorIsTooUncertain) {
    const LimitInput in{400.0, 10.0, 0.01, 0.7, 1.645, 1.645};  // k u_rel = 1.15
    EXPECT_FALSE(detection_limit(in).has_value());
    EXPECT_FALSE(detection_limit_closed_form(in).has_value());
}

TEST(CoverageInterval, WorkedNumbers) {
    const CoverageInterval interval = coverage_interval(0.5, 0.2, 0.05);
    EXPECT_NEAR(interval.low / 0.12690, 1.0, 1e-4);
    EXPECT_NEAR(interval.high / 0.89253, 1.0, 1e-4);
    EXPECT_NEAR(interval.best_estimate / 0.503528, 1.0, 1e-4);
    EXPECT_NEAR(interval.d_best_estimate / 0.195509, 1.0, 1e-4);
}

TEST(CoverageInterval, LargeResultIsSymmetric) {
    const CoverageInterval interval = coverage_interval(100.0, 1.0, 0.05);
    EXPECT_NEAR(interval.low, 100.0 - 1.959963984540054, 1e-9);
    EXPECT_NEAR(interval.high, 100.0 + 1.959963984540054, 1e-9);
    EXPECT_NEAR(interval.best_estimate, 100.0, 1e-12);
}

}  // namespace
}  // namespace sorvane::activity

namespace sorvane::activity {
namespace {

// n_0 = 400, u(n_0) = 10, w = 0.01, u_rel(w) = 0.05: y = w (n_g - n_0) and
// u^2(y) = w^2 (n_g + u^2(n_0)) + y^2 u_rel^2.
TEST(PrimaryResult, ByHand) {
    struct Case {
        double gross;
        double value;
        double uncertainty;
    };
    const Case cases[] = {
        {500, 1.0, 0.25},                             // 1e-4 600 + 0.0025 = 0.0625
        {360, -0.4, std::sqrt(1e-4 * 460 + 0.0004)},  // below the background: negative
        {400, 0.0, 0.01 * std::sqrt(500.0)},
    };
    const LimitInput in{400.0, 10.0, 0.01, 0.05};
    for (const Case& c : cases) {
        const PrimaryResult r = primary_result(in, c.gross);
        EXPECT_NEAR(r.value, c.value, 1e-12) << c.gross;
        EXPECT_NEAR(r.uncertainty, c.uncertainty, 1e-12) << c.gross;
    }
}

}  // namespace
}  // namespace sorvane::activity
