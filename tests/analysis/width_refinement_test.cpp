#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/calibration.h"

namespace sorvane::analysis {
namespace {

// The detector's widths: FWHM^2 = 3.8 + 0.002 ch + c ch^2 (channels).
struct WidthRow {
    const char* name;
    WidthCalibration start;
    double curvature;  // c of the true widths
    bool outliers;     // add a Doppler-broadened line (x1.5) and a doublet (x1.15)
    double fitted_c;   // expected c of the fit
};

WidthCalibration line(double a, double b) {
    WidthCalibration w;
    w.a = a;
    w.b = b;
    return w;
}

class WidthRefinement : public ::testing::TestWithParam<WidthRow> {};

// From points half or twice the true widths, or of another slope (the window's
// defaults 2.6 ch at 200 and 3.5 at 4000 give 6.4711 + 0.0014447 ch), the fit finds
// the true line; lines far wider than their neighbours are left out; a curvature
// of 5e-7 (FWHM 4.3 instead of 3.4 channels at channel 3800) is taken in where eight
// peaks show it.
TEST_P(WidthRefinement, FindsTheDetectorsWidths) {
    const auto& row = GetParam();
    auto truth = [&](double ch) { return std::sqrt(3.8 + 0.002 * ch + row.curvature * ch * ch); };
    std::vector<WidthSample> samples;
    for (double ch : {300.0, 800.0, 1300.0, 1800.0, 2300.0, 2800.0, 3300.0, 3800.0})
        samples.push_back({ch, truth(ch), 0.002 * truth(ch)});
    if (row.outliers) {
        samples.push_back({1022.0, 1.5 * truth(1022.0), 0.01});
        samples.push_back({2500.0, 1.15 * truth(2500.0), 0.01});
    }
    const auto fitted = refine_width_calibration(row.start, samples, 0.0, 4095.0);
    EXPECT_TRUE(fitted.refined);
    EXPECT_NEAR(fitted.a, 3.8, 1e-6);
    EXPECT_NEAR(fitted.b, 0.002, 1e-9);
    EXPECT_NEAR(fitted.c, row.fitted_c, 1e-12);
    EXPECT_EQ(fitted.peaks_used, 8);
    EXPECT_GT(fitted.d_a, 0.0);
    EXPECT_GT(fitted.d_b, 0.0);
}

INSTANTIATE_TEST_SUITE_P(Starts, WidthRefinement,
                         ::testing::Values(WidthRow{"half", line(0.95, 0.0005), 0.0, true, 0.0},
                                           WidthRow{"twice", line(15.2, 0.008), 0.0, true, 0.0},
                                           WidthRow{"defaults", line(6.4711, 0.0014447), 0.0, true,
                                                    0.0},
                                           WidthRow{"curved", line(3.8, 0.002), 5e-7, false, 5e-7}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sorvane::analysis
