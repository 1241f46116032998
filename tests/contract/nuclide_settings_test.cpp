#include "contract/nuclide_settings.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(NuclideSettings, WritesEveryKeyInOrderWithCrLf) {
    NuclideSettings settings;
    settings.identify = true;
    settings.library_files = {"/lab/own lines.csv", "", "C:\\lab\\more.csv"};
    settings.nuclides_of_interest = {"Cs-137", "K-40"};
    settings.reference_time = "2026-01-01 12:00:00";
    settings.sample_quantity = 0.25;
    settings.sample_unit = "kg";
    settings.write_report = true;
    settings.report_laboratory = "Radiation Lab";
    settings.report_coverage_factor = 2;
    EXPECT_EQ(render_nuclide_settings(settings),
              "[nuclides]\r\n"
              "identify = 1\r\n"
              "bundled_library = 1\r\n"
              "library = /lab/own lines.csv\r\n"
              "library = C:\\lab\\more.csv\r\n"
              "energy_tolerance_kev = 0.5\r\n"
              "nuclides_of_interest = Cs-137 K-40\r\n"
              "efficiency_file = \r\n"
              "reference_time = 2026-01-01 12:00:00\r\n"
              "sample_quantity = 0.25\r\n"
              "sample_unit = kg\r\n"
              "alpha = 0.05\r\n"
              "beta = 0.05\r\n"
              "coverage = 0.95\r\n"
              "always_report = \r\n"
              "write_report = 1\r\n"
              "report_laboratory = Radiation Lab\r\n"
              "report_address = \r\n"
              "report_accreditation = \r\n"
              "report_detector = \r\n"
              "report_geometry = \r\n"
              "report_sample_id = \r\n"
              "report_sample_description = \r\n"
              "report_coverage_factor = 2\r\n"
              "background_spectrum = \r\n");
    settings.library_files.erase(settings.library_files.begin() + 1);  // an empty path is no file
    EXPECT_EQ(parse_nuclide_settings(render_nuclide_settings(settings)).settings, settings);
}

// The close-geometry block is written only when a correction is on, after the rest.
TEST(NuclideSettings, TheCloseGeometryBlockWhenACorrectionIsOn) {
    NuclideSettings settings;
    EXPECT_EQ(render_nuclide_settings(settings).find("summing_correction"), std::string::npos);
    settings.summing_correction = true;
    settings.peak_to_total_file = "PT.txt";
    settings.container = "marinelli";
    settings.sample_density = 1.6;
    settings.sample_composition = "Ca 40, C 12, O 48";
    const std::string text = render_nuclide_settings(settings);
    EXPECT_NE(text.find("background_spectrum = \r\n"
                        "summing_correction = 1\r\n"
                        "peak_to_total_file = PT.txt\r\n"
                        "cascades_file = \r\n"
                        "attenuation_correction = 0\r\n"
                        "container = marinelli\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("sample_density = 1.6\r\nsample_composition = Ca 40, C 12, O 48\r\n"),
              std::string::npos);
    EXPECT_EQ(parse_nuclide_settings(text).settings, settings);
}

// The chains' equilibrium is written only when on, after always_report.
TEST(NuclideSettings, ChainsInEquilibriumOnlyWhenOn) {
    NuclideSettings settings;
    EXPECT_EQ(render_nuclide_settings(settings).find("chains_in_equilibrium"), std::string::npos);
    settings.chains_in_equilibrium = true;
    const std::string text = render_nuclide_settings(settings);
    EXPECT_NE(text.find("always_report = \r\nchains_in_equilibrium = 1\r\nwrite_report = 0\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(parse_nuclide_settings(text).settings, settings);
}

TEST(NuclideSettings, ABadValueKeepsTheDefaultAndNamesTheLine) {
    struct Case {
        const char* line;
        bool usable;
    };
    const Case cases[] = {
        {"alpha = 0.5", true},
        {"alpha = 0.51", false},
        {"report_coverage_factor = 2", true},
        {"report_coverage_factor = 0.5", false},
        {"alpha = 0,05", false},
        {"coverage = 1", false},
        {"beta = -0.1", false},
        {"identify = yes", false},
        {"sample_quantity = 0", true},
        {"energy_tolerance_kev = 0", false},
        {"colour = red", true},
        {"no equals sign", true},
        {"sample_density = 31", false},
        {"fill_height_cm = -1", false},
        {"summing_correction = 2", false},
    };
    for (const Case& c : cases) {
        const auto read = parse_nuclide_settings(std::string("[nuclides]\r\n") + c.line + "\r\n");
        EXPECT_EQ(read.problems.empty(), c.usable) << c.line;
        if (!c.usable) {
            EXPECT_EQ(read.settings, NuclideSettings{}) << c.line;
            EXPECT_EQ(read.problems.front().rfind("line 2: ", 0), 0u) << read.problems.front();
        }
    }
}

}  // namespace
}  // namespace sorvane
