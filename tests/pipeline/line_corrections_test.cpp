#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "corrections/self_attenuation.h"
#include "pipeline/line_corrections.h"
#include "support/memory_file_system.h"

namespace sorvane {
namespace {

std::string shipped(const char* name) {
    std::ifstream in(std::string(SORVANE_NUCLIDE_DATA) + name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// eps_p = 0.05 (E / 1000 keV)^-1 over 50-3000 keV, and a flat P/T of 0.25.
activity::EfficiencyCurve falling_curve() {
    activity::EfficiencyCurve curve;
    curve.order = 1;
    curve.reference_energy_kev = 1000.0;
    curve.coefficients = {std::log(0.05), -1.0};
    curve.covariance = {0.0, 0.0, 0.0, 0.0};
    curve.energy_min_kev = 50.0;
    curve.energy_max_kev = 3000.0;
    return curve;
}

const char* flat_pt =
    "order 1\nrange 100 1000\nrelative_uncertainty 0.05\ncoefficients -1.3862943611198906 0\n";

MemoryFileSystem files() {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_file("/lib/cascades.csv", shipped("cascades.csv"));
    fs.add_file("/lib/mass_attenuation.csv", shipped("mass_attenuation.csv"));
    fs.add_file("/sys/PT.txt", flat_pt);
    return fs;
}

// Co-60 1173.2 keV loses what the 1332.5 keV photon takes: 1 - eps_t(1332.5) with
// eps_t = 0.05 / 1.332492 / 0.25 = 0.150094 (within 1e-4: the weak branches); a
// nuclide without a cascade, and a line the cascade lacks, are left at 1.
TEST(LineCorrections, SummingFactorsFromTheCurveAndThePeakToTotal) {
    MemoryFileSystem fs = files();
    NuclideSettings settings;
    settings.summing_correction = true;
    settings.peak_to_total_file = "PT.txt";  // from the control file's folder
    const auto loaded = load_line_corrections(fs, "/sys/", "/lib/", settings, falling_curve());
    ASSERT_TRUE(loaded.problems.empty()) << loaded.problems.front();
    ASSERT_TRUE(loaded.correction);
    EXPECT_NE(loaded.description.find("cascade summing"), std::string::npos);
    const auto co = loaded.correction("Co-60", 1173.228);
    EXPECT_NEAR(co.summing, 1.0 - 0.05 / 1.332492 / 0.25, 1e-4);
    EXPECT_GT(co.d_summing, 0.0);
    EXPECT_EQ(co.attenuation, 1.0);
    EXPECT_EQ(loaded.correction("Cs-137", 661.657).summing, 1.0);
    EXPECT_EQ(loaded.correction("Co-60", 500.0).summing, 1.0);
    // Its sum peak: both photons in full, 0.9985 * 0.05 / 1.173228 * 0.05 / 1.332492 =
    // 1.5957e-3 counts per decay (within 1 %: the weak branches); its 1173.2 keV line
    // 0.9985 * 0.05 / 1.173228 * (1 - 0.150094) = 0.036165.
    const auto co60 = std::find_if(loaded.cascade_peaks.begin(), loaded.cascade_peaks.end(),
                                   [](const CascadePeaks& c) { return c.nuclide == "Co-60"; });
    ASSERT_NE(co60, loaded.cascade_peaks.end());
    const auto sum = std::find_if(co60->sums.begin(), co60->sums.end(), [](const ExpectedPeak& p) {
        return std::fabs(p.energy_kev - 2505.7) < 0.1;
    });
    ASSERT_NE(sum, co60->sums.end());
    EXPECT_NEAR(sum->counts_per_decay / 1.5957e-3, 1.0, 0.01);
    const auto line =
        std::find_if(co60->lines.begin(), co60->lines.end(),
                     [](const ExpectedPeak& p) { return std::fabs(p.energy_kev - 1173.2) < 0.1; });
    ASSERT_NE(line, co60->lines.end());
    EXPECT_NEAR(line->counts_per_decay / 0.036165, 1.0, 1e-3);
}

// In a jar on the end cap Co-60 1173.2 keV loses 1 - eps_t(1332.5) <r^2>, r a cell's
// efficiency over the sample's mean (without matter the same at both energies), more than
// with the mean efficiency; a Marinelli beaker keeps the mean's factor.
TEST(LineCorrections, SummingOverTheSampleVolume) {
    MemoryFileSystem fs = files();
    const double eps_t = 0.05 / 1.332492 / 0.25;
    NuclideSettings jar;
    jar.summing_correction = true;
    jar.peak_to_total_file = "PT.txt";
    jar.container_diameter_cm = 6;
    jar.fill_height_cm = 4;
    jar.detector_diameter_cm = 5;
    jar.detector_depth_cm = 1;
    NuclideSettings beaker = jar;
    beaker.container = "marinelli";
    beaker.well_diameter_cm = 5;
    beaker.well_height_cm = 3;
    const corrections::SampleCells cells({corrections::Container::Kind::cylinder, 6, 4}, {5, 1},
                                         [](double) { return 0.0; });
    const auto r = cells.relative_efficiencies(1173.2);
    double mean_square = 0.0;
    for (std::size_t i = 0; i < cells.size(); ++i) mean_square += cells.share(i) * r[i] * r[i];
    ASSERT_GT(mean_square, 1.05);  // the jar's near cells see the detector far better
    const struct {
        const char* what;
        NuclideSettings settings;
        double factor;
    } cases[] = {{"jar", jar, 1.0 - eps_t * mean_square}, {"Marinelli", beaker, 1.0 - eps_t}};
    for (const auto& c : cases) {
        const auto loaded =
            load_line_corrections(fs, "/sys/", "/lib/", c.settings, falling_curve());
        ASSERT_TRUE(loaded.correction) << c.what;
        EXPECT_NEAR(loaded.correction("Co-60", 1173.228).summing, c.factor, 1e-4) << c.what;
    }
    // Without the bundled attenuation table the jar's cells weigh geometry alone, as
    // for a sample of no given matter, and the run says why.
    MemoryFileSystem no_table(MemoryFileSystem::Flavour::posix);
    no_table.add_file("/lib/cascades.csv", shipped("cascades.csv"));
    no_table.add_file("/sys/PT.txt", flat_pt);
    const auto loaded = load_line_corrections(no_table, "/sys/", "/lib/", jar, falling_curve());
    ASSERT_TRUE(loaded.correction);
    EXPECT_NEAR(loaded.correction("Co-60", 1173.228).summing, 1.0 - eps_t * mean_square, 1e-4);
    ASSERT_EQ(loaded.problems.size(), 1u);
    EXPECT_NE(loaded.problems[0].find("/lib/mass_attenuation.csv"), std::string::npos)
        << loaded.problems[0];
}

TEST(LineCorrections, WhatCannotBeDoneIsSaidAndLeftOff) {
    MemoryFileSystem fs = files();
    struct Case {
        const char* what;
        NuclideSettings settings;
        const char* problem;  // empty: none
    };
    NuclideSettings no_pt;
    no_pt.summing_correction = true;
    NuclideSettings missing_pt = no_pt;
    missing_pt.peak_to_total_file = "/sys/none.txt";
    NuclideSettings no_container;
    no_container.attenuation_correction = true;
    NuclideSettings no_matter = no_container;
    no_matter.container_diameter_cm = 6;
    no_matter.fill_height_cm = 4;
    no_matter.detector_diameter_cm = 5;
    const Case cases[] = {
        {"off", NuclideSettings{}, ""},
        {"no P/T file", no_pt, "no peak_to_total_file"},
        {"P/T file missing", missing_pt, "/sys/none.txt: "},
        {"no container", no_container, "container_diameter_cm, fill_height_cm"},
        {"no matter", no_matter, "the sample needs a density above 0"},
    };
    for (const auto& c : cases) {
        const auto loaded =
            load_line_corrections(fs, "/sys/", "/lib/", c.settings, falling_curve());
        EXPECT_FALSE(loaded.correction) << c.what;
        EXPECT_EQ(loaded.description, "no cascade-summing or self-absorption correction") << c.what;
        if (std::string(c.problem).empty()) {
            EXPECT_TRUE(loaded.problems.empty()) << c.what;
        } else {
            ASSERT_FALSE(loaded.problems.empty()) << c.what;
            EXPECT_NE(loaded.problems.front().find(c.problem), std::string::npos)
                << loaded.problems.front();
        }
    }
}

// The same matter as sample and standard transfers nothing; a denser sample of it
// less than 1 at 122 keV, closer to 1 at 1332 keV.
TEST(LineCorrections, SelfAttenuationTransfer) {
    MemoryFileSystem fs = files();
    NuclideSettings settings;
    settings.attenuation_correction = true;
    settings.container_diameter_cm = 6;
    settings.fill_height_cm = 4;
    settings.detector_diameter_cm = 5;
    settings.detector_depth_cm = 1;
    settings.sample_density = 1.0;
    settings.sample_composition = "water";
    settings.standard_density = 1.0;
    settings.standard_composition = "H 11.19, O 88.81";
    auto loaded = load_line_corrections(fs, "/sys/", "/lib/", settings, falling_curve());
    ASSERT_TRUE(loaded.correction) << (loaded.problems.empty() ? "" : loaded.problems.front());
    EXPECT_NEAR(loaded.correction("Co-60", 1332.5).attenuation, 1.0, 1e-12);
    settings.sample_density = 1.6;
    loaded = load_line_corrections(fs, "/sys/", "/lib/", settings, falling_curve());
    const double low = loaded.correction("Eu-152", 121.78).attenuation;
    const double high = loaded.correction("Co-60", 1332.5).attenuation;
    EXPECT_LT(low, high);
    EXPECT_LT(high, 1.0);
}

}  // namespace
}  // namespace sorvane
