#include "activity/nuclide_activity.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sorvane::activity {
namespace {

// Two lines at x = +-1 of a flat curve (eff 0.1) whose a0 and a1 have variances
// 1e-4 and 4e-4: cov(ln eff) = [[5e-4, -3e-4], [-3e-4, 5e-4]]. Line 1: 10000 +- 1 %
// counts, p = 0.5, so 200 Bq; line 2: 5200 +- 2 %, p = 0.25, so 208 Bq; 1000 s.
// Relative covariance R = [[6e-4, -3e-4], [-3e-4, 9e-4]]; by hand the weights are
// (b - c, a - c) / (a + b - 2c) = (12, 9) / 21, the mean 4272 / 21, its relative
// variance (ab - c^2) / (a + b - 2c) = 45e-8 / 21e-4, counting 468e-4/441 of it...
TEST(NuclideActivity, TwoCorrelatedLinesByHand) {
    EfficiencyCurve curve;
    curve.order = 2;
    curve.reference_energy_kev = 500;
    curve.coefficients = {std::log(0.1), 0, 0};
    curve.covariance = {1e-4, 0, 0, 0, 4e-4, 0, 0, 0, 0};
    curve.energy_min_kev = 100;
    curve.energy_max_kev = 2000;
    const std::vector<LineMeasurement> lines = {{500 * std::exp(1.0), 10000, 100, 0.5, 0},
                                                {500 / std::exp(1.0), 5200, 104, 0.25, 0}};
    CommonFactors common;
    common.live_time_s = 1000;
    std::vector<LineActivity> activities;
    for (const LineMeasurement& line : lines)
        activities.push_back(line_activity(line, curve, common));
    EXPECT_NEAR(activities[0].activity, 200.0, 1e-9);
    EXPECT_NEAR(activities[1].activity, 208.0, 1e-9);
    EXPECT_NEAR(activities[0].d_activity, 200.0 * std::sqrt(1e-4 + 5e-4), 1e-9);

    const NuclideActivity mean = combine_lines(activities, lines, curve, common);
    const double expected = 4272.0 / 21.0;
    EXPECT_NEAR(mean.activity, expected, 1e-9);
    EXPECT_NEAR(mean.d_activity, expected * std::sqrt(45e-8 / 21e-4), 1e-9);
    EXPECT_NEAR(mean.budget.counting, expected * expected * 468e-4 / 441, 1e-9);
    EXPECT_NEAR(mean.budget.efficiency, expected * expected * 477e-4 / 441, 1e-9);
    // chi^2 = r^T R^-1 r / mean^2 with R^-1 = [[9, 3], [3, 6]] 1e-4 / 45e-8.
    const double r1 = 200 - expected, r2 = 208 - expected;
    EXPECT_NEAR(mean.lines_chi2,
                (9 * r1 * r1 + 6 * r1 * r2 + 6 * r2 * r2) * 1e-4 / 45e-8 / (expected * expected),
                1e-9);
    EXPECT_EQ(mean.lines_used, 2);
}

TEST(NuclideActivity, CommonFactorsAndCorrectionsAddToTheBudgetOnly) {
    EfficiencyCurve curve;
    curve.order = 2;
    curve.reference_energy_kev = 500;
    curve.coefficients = {std::log(0.1), 0, 0};
    curve.covariance.assign(9, 0.0);
    curve.energy_min_kev = 100;
    curve.energy_max_kev = 2000;
    // A summing factor known to 3 %: a budget line of its own.
    const std::vector<LineMeasurement> lines = {{500, 10000, 100, 0.5, 0.01, 0.03}};
    CommonFactors common;
    common.live_time_s = 1000;
    common.decay = {0.5, 0.01};
    common.quantity = 2.0;
    common.d_quantity = 0.06;
    const NuclideActivity one =
        combine_lines({line_activity(lines[0], curve, common)}, lines, curve, common);
    EXPECT_NEAR(one.activity, 10000 / (1000 * 0.1 * 0.5 * 0.5 * 2.0), 1e-9);  // 200 Bq per unit
    const double a2 = one.activity * one.activity;
    EXPECT_NEAR(one.budget.counting / a2, 1e-4, 1e-12);
    EXPECT_NEAR(one.budget.emission / a2, 4e-4, 1e-12);
    EXPECT_NEAR(one.budget.half_life / a2, 1e-4, 1e-12);
    EXPECT_NEAR(one.budget.quantity / a2, 9e-4, 1e-12);
    EXPECT_NEAR(one.budget.corrections / a2, 9e-4, 1e-12);
    EXPECT_NEAR(one.budget.efficiency, 0.0, 1e-12);
    EXPECT_NEAR(one.d_activity * one.d_activity / a2, (1 + 4 + 1 + 9 + 9) * 1e-4, 1e-12);
    EXPECT_EQ(one.lines_chi2, 0.0);
}

}  // namespace
}  // namespace sorvane::activity

namespace sorvane::activity {
namespace {

// The chi^2 distribution's 95 % quantiles (standard tables): 3.841, 7.815, 11.070,
// 18.307, 43.773; the cube-root approximation is 2.5 % low at 1 dof.
TEST(Chi2Quantile, AgainstTheTable) {
    struct Case {
        int dof;
        double quantile;
        double tolerance;
    };
    const Case cases[] = {{1, 3.841, 0.03},
                          {3, 7.815, 0.01},
                          {5, 11.070, 0.01},
                          {10, 18.307, 0.005},
                          {30, 43.773, 0.002}};
    for (const Case& c : cases)
        EXPECT_NEAR(chi2_quantile(0.95, c.dof) / c.quantile, 1.0, c.tolerance) << c.dof;
}

// Lines of a flat, exact curve (eff 0.1), p = 0.5, 1000 s: A = N / 50 Bq, each line's
// counts 1 % uncertain, so the weights are equal and the mean is the plain mean.
TEST(ConsistentLines, LeftOutAndScaledByHand) {
    EfficiencyCurve curve;
    curve.order = 2;
    curve.reference_energy_kev = 500;
    curve.coefficients = {std::log(0.1), 0, 0};
    curve.covariance.assign(9, 0.0);
    curve.energy_min_kev = 100;
    curve.energy_max_kev = 2000;
    CommonFactors common;
    common.live_time_s = 1000;
    struct Case {
        const char* what;
        std::vector<double> activities;
        double mean;
        double d_mean;
        std::vector<double> excluded_kev;
        bool scaled;
    };
    const Case cases[] = {
        // 130 stands (130 - 110) / sqrt(1.21 - 0.403) = 22 from the mean of three: left
        // out; the two left agree: 100 +- 100 sqrt(1e-4 / 2).
        {"an outlier", {100, 100, 130}, 100, 100 * std::sqrt(0.5e-4), {300}, false},
        // Two lines, chi^2 = 8 / 1.0404 = 7.69 above 3.75: the counting variance
        // 102^2 1e-4 / 2 times 7.69 is 4, so 2.0.
        {"two lines that disagree", {100, 104}, 102, 2.0, {}, true},
        // chi^2 = 2 for 2 dof: consistent, 100 +- 100 sqrt(1e-4 / 3).
        {"three that agree", {99, 100, 101}, 100, 100 * std::sqrt(1e-4 / 3), {}, false},
    };
    for (const Case& c : cases) {
        std::vector<LineMeasurement> lines;
        std::vector<LineActivity> activities;
        for (std::size_t i = 0; i < c.activities.size(); ++i) {
            const double n = 50.0 * c.activities[i];
            lines.push_back({100.0 + 100.0 * i, n, 0.01 * n, 0.5, 0.0});
            activities.push_back(line_activity(lines.back(), curve, common));
        }
        const NuclideActivity mean = combine_consistent_lines(activities, lines, curve, common);
        ASSERT_TRUE(mean.valid) << c.what;
        EXPECT_NEAR(mean.activity, c.mean, 1e-9) << c.what;
        EXPECT_NEAR(mean.d_activity, c.d_mean, 1e-9) << c.what;
        EXPECT_EQ(mean.excluded_kev, c.excluded_kev) << c.what;
        EXPECT_EQ(mean.uncertainty_scale > 1.0, c.scaled) << c.what;
    }
}

}  // namespace
}  // namespace sorvane::activity
