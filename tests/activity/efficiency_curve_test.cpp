#include "activity/efficiency_curve.h"

#include <gtest/gtest.h>

#include <cmath>

#include "activity/standard_points.h"

namespace sorvane::activity {
namespace {

constexpr double reference = 400.0;

// Points exactly on ln(eff) = a0 + a1 x + a2 x^2 at x = -2, -1, 1, 2 (geometric mean
// of the energies = reference), each with 2 % uncertainty.
std::vector<EfficiencyPoint> quadratic_points() {
    std::vector<EfficiencyPoint> points;
    for (double x : {-2.0, -1.0, 1.0, 2.0}) {
        const double eff = std::exp(-3.0 - 0.8 * x + 0.1 * x * x);
        points.push_back({"X", reference * std::exp(x), eff, 0.02 * eff});
    }
    return points;
}

// By hand: weights 1/0.02^2; X^T X = [[4, 0, 10], [0, 10, 0], [10, 0, 34]], whose
// inverse is [[34, 0, -10], [0, 3.6, 0], [-10, 0, 4]] / 36.
TEST(EfficiencyFit, RecoversKnownCoefficientsAndCovariance) {
    const EfficiencyFit fit = fit_efficiency(quadratic_points(), 2, "mixed standard");
    ASSERT_EQ(fit.problem, "");
    const EfficiencyCurve& c = fit.curve;
    EXPECT_NEAR(c.reference_energy_kev, reference, 1e-9);
    const double expected_coefficients[] = {-3.0, -0.8, 0.1};
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(c.coefficients[k], expected_coefficients[k], 1e-12);
    const double s2 = 0.02 * 0.02 / 36.0;
    const double expected_covariance[] = {34 * s2, 0,        -10 * s2, 0,     3.6 * s2,
                                          0,       -10 * s2, 0,        4 * s2};
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(c.covariance[k], expected_covariance[k], 1e-15) << k;
    EXPECT_NEAR(c.chi2_reduced, 0.0, 1e-18);
    EXPECT_DOUBLE_EQ(c.energy_min_kev, reference * std::exp(-2.0));
    const EfficiencyValue at_reference = evaluate_efficiency(c, reference);
    EXPECT_NEAR(at_reference.efficiency, std::exp(-3.0), 1e-12);
    EXPECT_NEAR(at_reference.relative_uncertainty, std::sqrt(34 * s2), 1e-12);
    EXPECT_TRUE(at_reference.inside_range);
    EXPECT_FALSE(evaluate_efficiency(c, 3000.0).inside_range);
    // cov(ln eff) between x = 1 and x = -1: var a0 - var a1 + var a2 - 2 cov(a0, a2)... by hand
    // g1 = (1, 1, 1), g2 = (1, -1, 1): 34 - 3.6 + 4 - 20 = 14.4 times s2.
    EXPECT_NEAR(log_efficiency_covariance(c, reference * std::exp(1.0), reference / std::exp(1.0)),
                14.4 * s2, 1e-15);
}

TEST(EfficiencyFit, RefusesWhatCannotBeFitted) {
    struct Case {
        int order;
        std::size_t points;
        const char* problem;
    };
    const Case cases[] = {
        {1, 4, "the order of the curve must be 2 to 5, not 1"},
        {6, 4, "the order of the curve must be 2 to 5, not 6"},
        {3, 4,
         "a curve of order 3 needs at least 5 points with an efficiency and its uncertainty, not "
         "4"},
    };
    for (const Case& c : cases) {
        auto points = quadratic_points();
        points.resize(c.points);
        EXPECT_EQ(fit_efficiency(points, c.order, "s").problem, c.problem);
    }
}

// N = 10000 +- 1 %, A = 1000 Bq +- 2 %, p = 0.5 +- 2 %, 100 s, stable: eff = 0.2 +- 3 %.
TEST(StandardPoint, EfficiencyOfAStandardsLine) {
    StandardLine line;
    line.energy_kev = 661.657;
    line.net_area = 10000;
    line.d_area = 100;
    line.live_time_s = 100;
    line.real_time_s = 100;
    line.certified_activity_bq = 1000;
    line.d_certified_activity_bq = 20;
    line.emission_probability = 0.5;
    line.d_emission_probability = 0.01;
    const EfficiencyPoint point = standard_efficiency_point(line);
    EXPECT_NEAR(point.efficiency, 0.2, 1e-12);
    EXPECT_NEAR(point.d_efficiency, 0.006, 1e-12);
    line.half_life_s = 1000;
    line.start_after_certificate_s = 1000;  // half decayed: twice the efficiency
    line.real_time_s = 0;
    EXPECT_NEAR(standard_efficiency_point(line).efficiency, 0.4, 1e-12);
}

}  // namespace
}  // namespace sorvane::activity

namespace sorvane::activity {
namespace {

// Points of one nuclide whose certified activity (1 %) they all share: a common
// shift of ln eff is taken up by a_0 alone, so the fit gives the coefficients of the
// points without it and the covariance plus 1e-4 on a_0 only (generalised least
// squares with V = D + c^2 1 1', where the model holds a constant term).
TEST(EfficiencyFit, ASharedCertificateErrorStaysInTheLevel) {
    std::vector<EfficiencyPoint> own, shared;
    const double energies[] = {122, 245, 344, 779, 964, 1112, 1408};
    const double scatter[] = {0.01, -0.004, 0.003, -0.006, 0.002, 0.005, -0.003};
    for (int i = 0; i < 7; ++i) {
        const double eff = 0.05 * std::pow(energies[i] / 300.0, -0.8) * (1.0 + scatter[i]);
        own.push_back({"Eu-152", energies[i], eff, 0.005 * eff, 0.0});
        shared.push_back({"Eu-152", energies[i], eff, std::hypot(0.005, 0.01) * eff, 0.01});
    }
    const EfficiencyFit a = fit_efficiency(own, 3, "a");
    const EfficiencyFit b = fit_efficiency(shared, 3, "b");
    ASSERT_TRUE(a.problem.empty());
    ASSERT_TRUE(b.problem.empty());
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_NEAR(b.curve.coefficients[k], a.curve.coefficients[k], 1e-9) << k;
    for (std::size_t k = 0; k < 16; ++k)
        EXPECT_NEAR(b.curve.covariance[k], a.curve.covariance[k] + (k == 0 ? 1e-4 : 0.0), 1e-10)
            << k;
    EXPECT_NEAR(b.curve.chi2_reduced, a.curve.chi2_reduced, 1e-9);
}

// A mixed standard certified as one preparation: the 1 % its nuclides share moves
// every point together, so, as for one nuclide, the coefficients stay those of the
// points without it and a_0's variance grows by 1e-4 alone; left independent
// (standard_relative 0), the same points give a_0 a smaller variance.
TEST(EfficiencyFit, AStandardWideErrorStaysInTheLevelAcrossNuclides) {
    std::vector<EfficiencyPoint> own, standard, independent;
    const char* nuclides[] = {"Co-57", "Ce-139", "Hg-203", "Cs-137", "Mn-54", "Zn-65", "Y-88"};
    const double energies[] = {122, 166, 279, 662, 835, 1116, 1836};
    const double scatter[] = {0.01, -0.004, 0.003, -0.006, 0.002, 0.005, -0.003};
    for (int i = 0; i < 7; ++i) {
        const double eff = 0.05 * std::pow(energies[i] / 300.0, -0.8) * (1.0 + scatter[i]);
        const double d = std::hypot(0.005, 0.01) * eff;
        own.push_back({nuclides[i], energies[i], eff, 0.005 * eff, 0.0, 0.0});
        standard.push_back({nuclides[i], energies[i], eff, d, 0.01, 0.01});
        independent.push_back({nuclides[i], energies[i], eff, d, 0.01, 0.0});
    }
    const EfficiencyFit a = fit_efficiency(own, 3, "a");
    const EfficiencyFit b = fit_efficiency(standard, 3, "b");
    const EfficiencyFit c = fit_efficiency(independent, 3, "c");
    ASSERT_TRUE(a.problem.empty() && b.problem.empty() && c.problem.empty());
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_NEAR(b.curve.coefficients[k], a.curve.coefficients[k], 1e-9) << k;
    for (std::size_t k = 0; k < 16; ++k)
        EXPECT_NEAR(b.curve.covariance[k], a.curve.covariance[k] + (k == 0 ? 1e-4 : 0.0), 1e-10)
            << k;
    EXPECT_LT(c.curve.covariance[0], b.curve.covariance[0] - 5e-5);
}

}  // namespace
}  // namespace sorvane::activity
