#include "pipeline/scatter_features.h"

#include <gtest/gtest.h>

#include <vector>

#include "pipeline/analyse_spectrum.h"

namespace sorvane {
namespace {

// Compton kinematics with m c^2 = 510.999 keV, worked by hand: for 1332.5 keV,
// 1 + 2 E / m c^2 = 6.21527, backscatter 214.39 keV, edge 1118.11 keV; for 661.7 keV,
// 3.58983, 184.33 and 477.37 keV.
TEST(ScatterFeatures, ComptonEnergies) {
    EXPECT_NEAR(backscatter_peak(1332.5), 214.39, 0.01);
    EXPECT_NEAR(compton_edge(1332.5), 1118.11, 0.01);
    EXPECT_NEAR(backscatter_peak(661.7), 184.33, 0.01);
    EXPECT_NEAR(compton_edge(661.7), 477.37, 0.01);
}

struct FeatureRow {
    double energy;
    double area;
    double chi2r;
    bool kept;
};

// Beside a line of 4e6 counts at 1332.5 keV: poorly fitted bumps at its edge and
// backscatter energies go; lines there fitted well or a little poorly (chi2r 2), a poorly fitted
// one far from both, and a bump of more than a hundredth of the line's area stay.
TEST(ScatterFeatures, OnlyFeaturesOfFarStrongerLinesGo) {
    const std::vector<FeatureRow> rows{{1332.5, 4e6, 2.0, true},     {1105.0, 9000.0, 5.0, false},
                                       {1125.0, 6000.0, 9.0, false}, {218.0, 6000.0, 5.8, false},
                                       {1120.3, 2000.0, 1.1, true},  {1100.0, 5000.0, 2.0, true},
                                       {700.0, 5000.0, 4.0, true},   {1110.0, 50000.0, 4.0, true}};
    std::vector<ReportedPeak> peaks;
    for (const auto& row : rows) {
        ReportedPeak peak;
        peak.energy = row.energy;
        peak.fit.area = row.area;
        peak.fit.reduced_deviance = row.chi2r;
        peaks.push_back(peak);
    }
    drop_scatter_features(peaks);
    std::vector<double> kept;
    for (const auto& peak : peaks) kept.push_back(peak.energy);
    std::vector<double> expected;
    for (const auto& row : rows)
        if (row.kept) expected.push_back(row.energy);
    EXPECT_EQ(kept, expected);
}

}  // namespace
}  // namespace sorvane
