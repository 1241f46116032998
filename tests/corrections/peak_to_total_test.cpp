#include <gtest/gtest.h>

#include <cmath>

#include "corrections/peak_to_total.h"

namespace sorvane::corrections {
namespace {

// 1 keV per channel, `per_channel` counts in each of 1000 channels.
ChannelCounts flat_spectrum(double per_channel, double live_time) {
    ChannelCounts s;
    s.counts.assign(1000, per_channel);
    s.live_time_s = live_time;
    return s;
}

// Hand values: 10 counts per keV above a 40 keV cut give 9600, the flat continuum
// below it 10 * 40 = 400 more: total 10000, P/T 2500/10000. A background of 2 per keV
// counted twice as long takes 0.5 * (1920 + 80) = 1000 off. The uncertainty: peak
// 50 counts and the other 7100 counts, d = sqrt((7500/1e8)^2 2500 + (2500/1e8)^2 7100).
TEST(PeakToTotal, OnePointByHand) {
    const auto spectrum = flat_spectrum(10.0, 100.0);
    const auto background = flat_spectrum(2.0, 200.0);
    struct Case {
        const char* what;
        const ChannelCounts* background;
        std::vector<NetPeak> peaks;
        double energy, ratio, d_ratio;
    };
    const Case cases[] = {
        {"alone", nullptr, {{661.7, 2500.0, 50.0}}, 661.7, 0.25, 0.00430116},
        {"background off", &background, {{661.7, 2500.0, 50.0}}, 661.7, 2500.0 / 9000.0, -1},
        {"two peaks, weighted energy",
         nullptr,
         {{122.0, 2000.0, 0}, {136.0, 500.0, 0}},
         (122.0 * 2000 + 136.0 * 500) / 2500.0,
         0.25,
         -1},
    };
    for (const auto& c : cases) {
        const auto point = peak_to_total_point(spectrum, c.background, c.peaks, 40.0, "x");
        ASSERT_TRUE(point) << c.what;
        EXPECT_NEAR(point->energy_kev, c.energy, 1e-9) << c.what;
        EXPECT_NEAR(point->ratio, c.ratio, 1e-12) << c.what;
        if (c.d_ratio > 0) {
            EXPECT_NEAR(point->d_ratio, c.d_ratio, 1e-7) << c.what;
        }
    }
    EXPECT_FALSE(peak_to_total_point(spectrum, nullptr, {}, 40.0, "none"));
    EXPECT_FALSE(peak_to_total_point(spectrum, nullptr, {{600, 20000.0, 1}}, 40.0, "too big"));
}

// Points on PT = 0.2 (E/1000)^-0.6 come back exactly; beyond the last point the curve
// goes on in ln E with its slope there: 0.2 * 2^-0.6 at 2000 keV; below the first it
// reaches 1 (0.2 * 0.05^-0.6 = 1.21 at 50 keV) and stays there.
TEST(PeakToTotal, FitRecoversAPowerLaw) {
    std::vector<PeakToTotalPoint> points;
    for (double e : {100.0, 300.0, 600.0, 1000.0, 1500.0})
        points.push_back({"s", e, 0.2 * std::pow(e / 1000.0, -0.6), 0.002});
    const auto curve = fit_peak_to_total(points, 2);
    ASSERT_TRUE(curve);
    ASSERT_EQ(curve->coefficients.size(), 3u);
    EXPECT_NEAR(curve->coefficients[0], std::log(0.2), 1e-9);
    EXPECT_NEAR(curve->coefficients[1], -0.6, 1e-9);
    EXPECT_NEAR(curve->coefficients[2], 0.0, 1e-9);
    EXPECT_NEAR(peak_to_total_at(*curve, 300.0), 0.2 * std::pow(0.3, -0.6), 1e-9);
    EXPECT_NEAR(peak_to_total_at(*curve, 2000.0), 0.2 * std::pow(2.0, -0.6), 1e-9);
    // below the first point it rises on, but a peak never holds more than the total
    EXPECT_NEAR(peak_to_total_at(*curve, 80.0), 0.2 * std::pow(0.08, -0.6), 1e-9);
    EXPECT_EQ(peak_to_total_at(*curve, 50.0), 1.0);
    EXPECT_FALSE(fit_peak_to_total({points[0]}, 2));  // one point makes no curve
    const auto few = fit_peak_to_total({points[0], points[1], points[2]}, 2);
    ASSERT_TRUE(few);
    EXPECT_EQ(few->coefficients.size(), 2u);  // fewer than four points: a straight line
}

TEST(PeakToTotal, FileRoundTripAndBadFiles) {
    PeakToTotalCurve curve;
    curve.coefficients = {-1.5, -0.6};
    curve.energy_min_kev = 59.5;
    curve.energy_max_kev = 1115.5;
    curve.relative_uncertainty = 0.03;
    curve.points = {{"Cs137BIG", 661.657, 0.2512, 0.0021}};
    std::string problem;
    const auto back = read_peak_to_total(peak_to_total_text(curve), problem);
    ASSERT_TRUE(back) << problem;
    EXPECT_EQ(back->coefficients, curve.coefficients);
    EXPECT_EQ(back->energy_max_kev, 1115.5);
    ASSERT_EQ(back->points.size(), 1u);
    EXPECT_EQ(back->points[0].source, "Cs137BIG");
    EXPECT_EQ(back->points[0].ratio, 0.2512);
    struct Bad {
        const char* text;
        const char* problem;
    };
    const Bad bad[] = {
        {"order 4\n", "line 1: \"order 4\" is not understood"},
        {"order 1\nrange 1 2\ncoefficients 1 x\n",
         "line 3: \"coefficients 1 x\" is not understood"},
        {"order 1\nrange 1 2\ncoefficients 1\n", "the file needs an order line"},
        {"colour blue\n", "line 1: \"colour blue\" is not understood"},
    };
    for (const auto& b : bad) {
        std::string why;
        EXPECT_FALSE(read_peak_to_total(b.text, why)) << b.text;
        EXPECT_NE(why.find(b.problem), std::string::npos) << why;
    }
}

}  // namespace
}  // namespace sorvane::corrections
