#include "results/summing_calibration.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sorvane {
namespace {

// The true curve, a straight line in ln-ln that an order-2 fit holds exactly.
double true_efficiency(double energy) {
    return 0.05 * std::pow(energy / 500.0, -0.8);
}

// An invented nuclide whose every decay gives 600 keV then 1000 keV (levels 1600,
// 1000, 0), no conversion, no X-rays: each line's peak loses the decays in which the
// other photon deposits anything, so its factor is 1 - eps_t(other) = 1 - eps_p / PT.
corrections::Cascade two_photon_cascade() {
    corrections::DecayBranch branch;
    branch.mode = "decay mode B- (invented)";
    branch.levels = {{0.0, 0.0}, {1000.0, 0.0}, {1600.0, 1.0}};
    branch.gammas = {{1600.0, 1000.0, 600.0, 1.0}, {1000.0, 0.0, 1000.0, 1.0}};
    return {"Xx-2", {branch}, 0.0, "invented"};
}

// A standard of five single-photon lines on the true curve and the two lines of
// Xx-2 depressed by their factors under a flat peak-to-total ratio; 1 % each. In a jar
// on the end cap each loss is <r^2> times as large, r a cell's efficiency over the mean
// (the same at both energies without matter).
TEST(SummingCalibration, DepressedLinesGiveTheTrueCurveBack) {
    const auto jar = std::make_shared<const corrections::SampleCells>(
        corrections::Container{corrections::Container::Kind::cylinder, 6.0, 4.0},
        corrections::DetectorDisk{5.0, 1.0}, [](double) { return 0.0; });
    const auto r = jar->relative_efficiencies(600.0);
    double mean_square = 0.0;
    for (std::size_t i = 0; i < jar->size(); ++i) mean_square += jar->share(i) * r[i] * r[i];
    struct Case {
        double peak_to_total;
        double factor_600;   // 1 - 0.05 (1000/500)^-0.8 / PT
        double factor_1000;  // 1 - 0.05 (600/500)^-0.8 / PT
        std::shared_ptr<const corrections::SampleCells> cells;
    };
    const Case cases[] = {{0.25, 0.88513, 0.82714, nullptr},
                          {0.5, 0.94257, 0.91357, nullptr},
                          {0.25, 1.0 - 0.11487 * mean_square, 1.0 - 0.17286 * mean_square, jar}};
    for (const Case& c : cases) {
        SummingInputs summing;
        summing.cells = c.cells;
        summing.peak_to_total.coefficients = {std::log(c.peak_to_total)};
        summing.peak_to_total.energy_min_kev = 50.0;
        summing.peak_to_total.energy_max_kev = 2000.0;
        summing.peak_to_total.relative_uncertainty = 0.1;
        summing.cascades.cascades = {two_photon_cascade()};
        std::vector<activity::EfficiencyPoint> points;
        for (double e : {60.0, 122.0, 662.0, 835.0, 1116.0})
            points.push_back({"Aa-1", e, true_efficiency(e), 0.01 * true_efficiency(e)});
        const double depressed_600 = true_efficiency(600.0) * c.factor_600;
        const double depressed_1000 = true_efficiency(1000.0) * c.factor_1000;
        points.push_back({"Xx-2", 600.0, depressed_600, 0.01 * depressed_600});
        points.push_back({"Xx-2", 1000.0, depressed_1000, 0.01 * depressed_1000});

        const SummedFit out = fit_with_summing(points, 2, "std", summing);
        ASSERT_TRUE(out.fit.problem.empty()) << out.fit.problem;
        EXPECT_GE(out.rounds, 2);
        EXPECT_LE(out.rounds, summing_rounds);
        for (double e : {60.0, 600.0, 1000.0, 1116.0})
            EXPECT_NEAR(activity::evaluate_efficiency(out.fit.curve, e).efficiency,
                        true_efficiency(e), 1e-3 * true_efficiency(e))
                << c.peak_to_total << " " << e;
        ASSERT_EQ(out.points.size(), points.size());
        EXPECT_NEAR(out.points[5].factor, c.factor_600, 2e-4) << c.peak_to_total;
        EXPECT_NEAR(out.points[6].factor, c.factor_1000, 2e-4) << c.peak_to_total;
        EXPECT_FALSE(out.points[0].corrected);
        EXPECT_DOUBLE_EQ(out.points[0].factor, 1.0);
        ASSERT_EQ(out.uncorrected, std::vector<std::string>{"Aa-1"});
        // The factor's uncertainty comes from the total efficiency's 10 %: d f = 0.1 eps_t
        // = 0.1 (1 - f); it is added to the point's own in quadrature.
        const SummedPoint& p = out.points[6];
        EXPECT_NEAR(p.d_factor, 0.1 * (1.0 - c.factor_1000), 2e-4);
        EXPECT_NEAR(p.point.d_efficiency / p.point.efficiency,
                    std::hypot(0.01, p.d_factor / p.factor), 1e-9);
    }
}

}  // namespace
}  // namespace sorvane

namespace sorvane {
namespace {

// Beyond its points the curve goes on straight in ln-ln at its end slope, except that
// below them it never rises: eff = 0.05 (E / 500)^s from 100 to 2000 keV.
TEST(SummingCalibration, TheCurveCarriedBeyondItsPoints) {
    struct Case {
        const char* what;
        double slope, energy, expected;
    };
    const Case cases[] = {
        {"falling with energy, above", -0.8, 4000.0, 0.05 * std::pow(8.0, -0.8)},
        {"falling with energy, below: held", -0.8, 50.0, 0.05 * std::pow(0.2, -0.8)},
        {"rising with energy, below: falls on", 0.5, 50.0, 0.05 * std::pow(0.1, 0.5)},
        {"inside", -0.8, 300.0, 0.05 * std::pow(0.6, -0.8)},
    };
    for (const Case& c : cases) {
        activity::EfficiencyCurve curve;
        curve.order = 2;
        curve.reference_energy_kev = 500.0;
        curve.coefficients = {std::log(0.05), c.slope, 0.0};
        curve.covariance.assign(9, 0.0);
        curve.energy_min_kev = 100.0;
        curve.energy_max_kev = 2000.0;
        EXPECT_NEAR(extended_efficiency(curve, c.energy), c.expected, 1e-12) << c.what;
    }
}

}  // namespace
}  // namespace sorvane
