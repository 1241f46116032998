#include "pipeline/background_step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "contract/nuclide_settings.h"
#include "platform/real_platform.h"
#include "results/result_file.h"
#include "run_batch.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

ReportedPeak peak(double energy, double fwhm_kev, double area, double d_area) {
    ReportedPeak p;
    p.energy = energy;
    p.fwhm_kev = fwhm_kev;
    p.fit.area = area;
    p.fit.d_area = d_area;
    return p;
}

// Background rates taken off by hand: live time 1000 s, so 0.5 cps is 500 counts
// and 0.03 cps of uncertainty 30 counts, combined in quadrature with the area's.
TEST(SubtractBackground, EachBackgroundPeakTakesOffItsNearestPeakOnce) {
    SpectrumAnalysis analysis;
    analysis.peaks = {peak(351.9, 1.6, 10000.0, 120.0), peak(609.3, 2.0, 4000.0, 80.0),
                      peak(1460.8, 3.0, 300.0, 40.0), peak(1764.5, 0.4, 900.0, 35.0)};
    struct Case {
        const char* what;
        BackgroundPeak background;
        int peak;  // -1: none taken off
        double area;
        double d_area;
    };
    const Case cases[] = {
        {"at the peak", {351.9, 0.5, 0.03}, 0, 10000.0 - 500.0, std::hypot(120.0, 30.0)},
        {"within half the FWHM (1.0 keV)", {610.2, 0.5, 0.03}, 1, 3500.0, std::hypot(80.0, 30.0)},
        {"beyond half the FWHM", {610.4, 0.5, 0.03}, -1, 0.0, 0.0},
        {"within the 0.5 keV floor of a narrow peak",
         {1764.0, 0.2, 0.01},
         3,
         700.0,
         std::hypot(35.0, 10.0)},
        {"more than the peak: the net area is negative",
         {1460.8, 0.5, 0.03},
         2,
         -200.0,
         std::hypot(40.0, 30.0)},
    };
    for (const Case& c : cases) {
        BackgroundSpectrum background;
        background.peaks = {c.background};
        const BackgroundSubtraction net = subtract_background(analysis, 1000.0, background);
        ASSERT_EQ(net.taken.size(), c.peak < 0 ? 0u : 1u) << c.what;
        for (std::size_t p = 0; p < analysis.peaks.size(); ++p) {
            const bool taken = static_cast<int>(p) == c.peak;
            EXPECT_NEAR(net.analysis.peaks[p].fit.area, taken ? c.area : analysis.peaks[p].fit.area,
                        1e-9)
                << c.what << " peak " << p;
            EXPECT_NEAR(net.analysis.peaks[p].fit.d_area,
                        taken ? c.d_area : analysis.peaks[p].fit.d_area, 1e-9)
                << c.what << " peak " << p;
        }
    }
    // Two background peaks near one spectrum peak: the nearer takes it, the other none.
    BackgroundSpectrum two;
    two.peaks = {{351.5, 0.1, 0.0}, {351.8, 0.2, 0.0}};
    const BackgroundSubtraction net = subtract_background(analysis, 1000.0, two);
    ASSERT_EQ(net.taken.size(), 1u);
    EXPECT_NEAR(net.analysis.peaks[0].fit.area, 10000.0 - 100.0, 1e-9);
}

// A peak is the background's when its net area is below 3 of its standard
// deviations; one the background does not reach is never.
TEST(SubtractBackground, PeaksTheBackgroundExplains) {
    SpectrumAnalysis analysis;
    analysis.peaks = {peak(100.0, 1.0, 1000.0, 100.0), peak(200.0, 1.0, 1000.0, 100.0),
                      peak(300.0, 1.0, 700.0, 100.0), peak(400.0, 1.0, 10.0, 100.0)};
    BackgroundSpectrum background;  // 0 cps of uncertainty: the net keeps the peak's own
    background.peaks = {{100.0, 0.5, 0.0}, {200.0, 0.8, 0.0}, {300.0, 0.4, 0.0}};
    const BackgroundSubtraction net = subtract_background(analysis, 1000.0, background);
    // nets 500 (5 sigma), 200 (2 sigma), 300 (just 3 sigma); the last not taken at all
    EXPECT_EQ(background_only_peaks(net), std::vector<int>{1});
    // What a sum peak's prediction is compared with: the nets, the last peak untouched.
    std::vector<nuclides::PeakForMatch> gross(4, {0.0, 0.1, 0.0, 0.0, 2.0});
    for (std::size_t i = 0; i < gross.size(); ++i) gross[i].area = analysis.peaks[i].fit.area;
    const auto nets = net_areas(gross, net);
    const double expected[] = {500.0, 200.0, 300.0, 10.0};
    for (std::size_t i = 0; i < nets.size(); ++i) {
        EXPECT_NEAR(nets[i].area, expected[i], 1e-9) << i;
        EXPECT_NEAR(nets[i].d_area, i < 3 ? 100.0 : 0.0, 1e-9) << i;
    }
    EXPECT_EQ(background_only_message(std::vector<int>{1, 4}),
              "peaks 2, 5: the background spectrum explains them (net area below 3 standard "
              "deviations); no nuclide is identified from them");
}

// One spectrum analysed by the runtime with the settings naming a background.
ResultModel analysed_with_background(const std::string& name, const std::string& background) {
    TempFolder out;
    RealFileSystem fs;
    NuclideSettings settings;
    settings.identify = true;
    settings.background_spectrum = background;
    EXPECT_TRUE(fs.write_file(out.path() + std::string(nuclide_settings_file_name),
                              render_nuclide_settings(settings))
                    .ok());
    RunRequest request;
    request.system_dir = out.path();
    request.chn_dir = test_data_path("realdata/chn/");
    request.res_dir = out.path();
    request.base_names = {name};
    std::ostringstream log;
    EXPECT_EQ(run_batch(request, fs, log), run_all_analysed) << log.str();
    std::string text;
    EXPECT_TRUE(fs.read_file(out.path() + name + ".res", text).ok());
    return read_result(text);
}

std::string key_value(const ResultModel& result, const std::string& key) {
    for (const auto& [k, v] : result.nuclide_keys)
        if (k == key) return v;
    return {};
}

// A spectrum that is its own background: every peak loses exactly its own area.
TEST(BackgroundSpectrum, ASpectrumOfItselfTakesOffEveryPeakWhole) {
    const std::string cave = "1110C_NAA_cave_background_May_2017";
    const std::string path = test_data_path("realdata/chn/" + cave + ".CHN");
    const ResultModel result = analysed_with_background(cave, path);
    std::size_t positive = 0;
    for (const PeakRow& row : result.peaks.rows) {
        if (!(row.area.value_or(0.0) > 0.0)) continue;
        ++positive;
        ASSERT_TRUE(row.background_counts) << *row.energy;
        EXPECT_NEAR(*row.background_counts, *row.area, std::fabs(*row.area) * 1e-6);
        EXPECT_NEAR(*row.d_background_counts, *row.d_area, *row.d_area * 1e-6);
    }
    ASSERT_GT(positive, 10u);
    // Nothing is left of the sample's own: no nuclide is identified, every peak taken
    // off is named the background's.
    for (const NuclideRow& n : result.nuclides.rows)
        EXPECT_FALSE(n.identified.value_or(false)) << n.nuclide;
    for (const PeakRow& row : result.peaks.rows) {
        if (row.background_counts) {
            EXPECT_EQ(row.nuclide, "background") << *row.energy;
        }
    }
    const std::string n = std::to_string(positive);
    EXPECT_NE(key_value(result, "background").find(path + " (live time "), std::string::npos);
    EXPECT_NE(key_value(result, "background").find(n + " peaks; taken off " + n + " peaks)"),
              std::string::npos)
        << key_value(result, "background");
}

// The cave's pottery with the cave's background (realdata, same detector): K-40's
// rate in the background, times the pottery's live time, is taken off its K-40 peak.
TEST(BackgroundSpectrum, TheBackgroundsRateScalesToTheSamplesLiveTime) {
    const std::string cave = "1110C_NAA_cave_background_May_2017";
    const ResultModel background = analysed_with_background(cave, "");
    const ResultModel pottery = analysed_with_background(
        "1110C_NAA_cave_pottery", test_data_path("realdata/chn/" + cave + ".CHN"));
    const auto k40 = [](const ResultModel& r) -> const PeakRow* {
        for (const PeakRow& row : r.peaks.rows)
            if (std::fabs(row.energy.value_or(0.0) - 1460.8) < 1.0) return &row;
        return nullptr;
    };
    const PeakRow* in_background = k40(background);
    const PeakRow* in_pottery = k40(pottery);
    ASSERT_TRUE(in_background && in_pottery);
    const double scale = *pottery.spectrum.live_time / *background.spectrum.live_time;
    ASSERT_TRUE(in_pottery->background_counts);
    EXPECT_NEAR(*in_pottery->background_counts, *in_background->area * scale,
                *in_background->area * scale * 1e-6);
    EXPECT_NEAR(*in_pottery->d_background_counts, *in_background->d_area * scale,
                *in_background->d_area * scale * 1e-6);
}

TEST(BackgroundSpectrum, AMissingFileIsSaidAndNothingIsTakenOff) {
    const ResultModel result =
        analysed_with_background("1110C_NAA_cave_pottery", "/nowhere/background.chn");
    bool said = false;
    for (const std::string& message : result.messages)
        said = said ||
               message.rfind("cannot read the background spectrum /nowhere/background.chn", 0) == 0;
    EXPECT_TRUE(said);
    EXPECT_TRUE(key_value(result, "background").empty());
    for (const PeakRow& row : result.peaks.rows) EXPECT_FALSE(row.background_counts);
}

}  // namespace
}  // namespace sorvane
