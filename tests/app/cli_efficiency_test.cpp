#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "activity/efficiency_file.h"
#include "support/cli_run.h"
#include "support/memory_file_system.h"

namespace sorvane {
namespace {

// An invented standard: five lines of four nuclides whose areas follow
// eff(E) = 0.05 (E / 500 keV)^-0.8 exactly, counted 10000 s live at the
// certificate's reference time; the library gives the nuclides half-lives of 1e6 y
// so that decay changes nothing at 1e-9.
struct Line {
    const char* nuclide;
    double energy;
    double probability_percent;
    double activity_bq;
};
constexpr Line lines[] = {
    {"Am-241", 59.5409, 36.0, 1000.0},  {"Cs-137", 661.657, 85.0, 2000.0},
    {"Y-88", 898.042, 94.0, 3000.0},    {"Co-60", 1173.228, 100.0, 1500.0},
    {"Co-60", 1332.492, 100.0, 1500.0}, {"Y-88", 1836.063, 99.0, 3000.0},
};
constexpr double live_s = 10000.0;

double true_efficiency(double energy) {
    return 0.05 * std::pow(energy / 500.0, -0.8);
}

std::string standard_result() {
    std::string peaks = "[peaks]\r\nno energy area d_area\r\n";
    std::string found =
        "[nuclide lines]\r\nnuclide energy probability peak recalibrated_energy difference "
        "status\r\n";
    int no = 1;
    for (const Line& l : lines) {
        const double area =
            true_efficiency(l.energy) * l.activity_bq * l.probability_percent / 100.0 * live_s;
        char text[200];
        std::snprintf(text, sizeof text, "%d %.4f %.6f %.6f\r\n", no, l.energy, area,
                      std::sqrt(area));
        peaks += text;
        std::snprintf(text, sizeof text, "%s %.4f %.2f %d %.4f 0.0 found\r\n", l.nuclide, l.energy,
                      l.probability_percent, no, l.energy);
        found += text;
        ++no;
    }
    return "[spectrum]\r\nstart = 2002-11-22 14:08:39\r\nlive_time = 10000\r\nreal_time = "
           "10000\r\n" +
           peaks + found;
}

std::string library_lines() {
    std::string text =
        "nuclide,energy_keV,energy_uncertainty_keV,emission_probability_percent,"
        "probability_uncertainty_percent,source_key\n";
    for (const Line& l : lines) {
        char row[160];
        std::snprintf(row, sizeof row, "%s,%.4f,0.001,%.2f,0,invented\n", l.nuclide, l.energy,
                      l.probability_percent);
        text += row;
    }
    return text;
}

constexpr const char* library_nuclides =
    "nuclide,half_life,half_life_unit,half_life_uncertainty,note\n"
    "Am-241,1e6,y,0,invented\nCs-137,1e6,y,0,invented\nY-88,1e6,y,0,invented\n"
    "Co-60,1e6,y,0,invented\n";

// The certified activities, 5.0 % at 99 % confidence as the Analytics certificates
// give them; the reference time is the spectrum's start (Eastern time, as theirs).
constexpr const char* certificate =
    "source,nuclide,value,unit,uncertainty,uncertainty_unit,uncertainty_kind,coverage,"
    "reference_datetime,spectra\n"
    "STD,Am-241,1000,Bq,5.0,%,total (expanded),99 % confidence,2002-11-22 14:08:39 EST,std\n"
    "STD,Cs-137,2000,Bq,5.0,%,total (expanded),99 % confidence,2002-11-22 14:08:39 EST,std\n"
    "STD,Y-88,3000,Bq,5.0,%,total (expanded),99 % confidence,2002-11-22 14:08:39 EST,std\n"
    "STD,Co-60,1500,Bq,5.0,%,total (expanded),99 % confidence,2002-11-22 14:08:39 EST,std\n"
    "OTHER,Co-60,10,Bq,1,%,,,2002-11-22 14:08,other\n";

class EfficiencyCommand : public ::testing::Test {
protected:
    MemoryFileSystem fs{MemoryFileSystem::Flavour::posix};
    void SetUp() override {
        fs.add_file("/work/std.res", standard_result());
        fs.add_file("/work/cert.csv", certificate);
        fs.add_file("/lib/gamma_lines.csv", library_lines());
        fs.add_file("/lib/nuclides.csv", library_nuclides);
    }
};

TEST_F(EfficiencyCommand, FitsTheStandardAndWritesTheEfficiencyFile) {
    const CliRun run =
        run_cli(fs, {"efficiency", "/work/std.res", "--certificate", "/work/cert.csv", "--out",
                     "/work/eff.txt", "--library", "/lib", "--order", "2"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    const auto written = fs.contents("/work/eff.txt");
    ASSERT_TRUE(written);
    const activity::EfficiencyFileRead read = activity::parse_efficiency_file(*written, "eff.txt");
    ASSERT_TRUE(read.curve) << (read.problems.empty() ? "" : read.problems[0]);
    EXPECT_EQ(read.curve->points, 6);
    EXPECT_EQ(read.curve->standard, "std");
    // The points lie on a straight line in ln-ln: the curve gives them back.
    for (double energy : {59.5409, 300.0, 1836.063})
        EXPECT_NEAR(activity::evaluate_efficiency(*read.curve, energy).efficiency,
                    true_efficiency(energy), true_efficiency(energy) * 1e-6)
            << energy;
    EXPECT_LT(read.curve->chi2_reduced, 1e-6);
    // Each point carries the certificate's 1.7 % (5.0 % / 3) beside its counting
    // statistics (the area's square root); the fit took it as common to a nuclide's lines.
    ASSERT_EQ(read.curve->fitted.size(), std::size(lines));
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        const activity::EfficiencyPoint& p = read.curve->fitted[i];
        const double area = true_efficiency(lines[i].energy) * lines[i].activity_bq *
                            lines[i].probability_percent / 100.0 * live_s;
        const double relative = std::hypot(1.0 / std::sqrt(area), 0.05 / 3.0);
        EXPECT_NEAR(p.d_efficiency / p.efficiency, relative, relative * 1e-4) << p.nuclide;
    }
    struct Said {
        const char* text;
    };
    const Said said[] = {
        {"Am-241: 1000 +- 16.7 Bq at 2002-11-22 14:08:39 EST (5.0 % total (expanded), 99 % "
         "confidence without k: k = 3 taken: standard uncertainty 1.7 %)"},
        {"are taken in one time zone"},
        {"reduced chi-square: 0.000 (3 degrees of freedom)"},
        {"  Co-60          1332.492"},
        {"efficiency file written: /work/eff.txt"},
    };
    for (const Said& s : said) EXPECT_NE(run.out.find(s.text), std::string::npos) << s.text;
    EXPECT_EQ(run.out.find("OTHER"), std::string::npos) << "another source's rows are not taken";
}

// With the nuclides' certificates shared by the whole standard, no curve value can be
// surer than the certificate's 1.7 % (5.0 % / 3); with them independent, four
// nuclides pin the curve's level more closely than any one of them.
TEST_F(EfficiencyCommand, ASharedCertificateBoundsTheCurvesUncertainty) {
    struct Case {
        bool shared;
        const char* said;
        bool at_least_the_certificate;
    };
    const Case cases[] = {
        {false, "the nuclides' are independent of each other", false},
        {true, "shared by every line of the standard (one preparation)", true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {
            "efficiency",    "/work/std.res", "--certificate", "/work/cert.csv", "--out",
            "/work/eff.txt", "--library",     "/lib",          "--order",        "2"};
        if (c.shared) args.push_back("--shared-certificate");
        const CliRun run = run_cli(fs, args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(c.said), std::string::npos) << run.out;
        const auto read = activity::parse_efficiency_file(*fs.contents("/work/eff.txt"), "e");
        ASSERT_TRUE(read.curve);
        for (double energy : {60.0, 500.0, 1800.0}) {
            const double u =
                activity::evaluate_efficiency(*read.curve, energy).relative_uncertainty;
            EXPECT_EQ(u >= 0.05 / 3.0 - 1e-12, c.at_least_the_certificate) << energy << " " << u;
        }
    }
}

TEST_F(EfficiencyCommand, RefusesWhatItCannotUse) {
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* err;
    };
    std::vector<Case> cases = {
        {{"efficiency", "/work/std.res", "--out", "/work/eff.txt"}, 2, "usage:"},
        {{"efficiency", "/work/std.res", "--certificate", "/work/none.csv", "--out", "/work/e"},
         1,
         "cannot read /work/none.csv"},
        {{"efficiency", "/work/std.res", "--certificate", "/work/cert.csv", "--out", "/work/e",
          "--source", "NOBODY", "--library", "/lib"},
         1,
         "/work/cert.csv: no row is of source \"NOBODY\""},
        {{"efficiency", "/work/std.res", "--certificate", "/work/cert.csv", "--out", "/work/e",
          "--library", "/empty"},
         1,
         "no line library found in /empty/"},
        {{"efficiency", "/work/std.res", "--certificate", "/work/cert.csv", "--out", "/work/e",
          "--library", "/lib", "--peak-to-total", "/work/none-pt.txt"},
         1,
         "cannot read /work/none-pt.txt"},
        {{"efficiency", "/work/std.res", "--certificate", "/work/cert.csv", "--out", "/work/e",
          "--geometry", "/work/sorvane.inf.nuclides"},
         2,
         "--geometry shapes the summing correction: give --peak-to-total too"},
        {{"efficiency", "/work/std.res", "--certificate", "/work/cert.csv", "--out", "/work/e",
          "--order", "two"},
         2,
         "--order needs a whole number"},
        {{"efficiency", "/work/std.res", "--certificate", "/work/cert.csv", "--out", "/work/e",
          "--library", "/lib", "--order", "5"},
         1,
         ""},  // six points do not determine a fifth-order curve with a degree to spare
    };
    // A jar whose standard's matter cannot be weighed: the library has cascades but
    // no attenuation table.
    fs.add_file("/lib/cascades.csv",
                "nuclide,kind,from_level_keV,to_level_keV,energy_keV,probability_percent,"
                "alpha_T,alpha_K,quantity\n"
                "Co-60,branch,,,,100,,,decay mode B- to 60NI\n"
                "Co-60,level,1332.508,,1332.508,0,,,feeding\n"
                "Co-60,level,2505.748,,2505.748,100,,,feeding\n"
                "Co-60,gamma,2505.748,1332.508,1173.228,99.85,0,0,gamma emission\n"
                "Co-60,gamma,1332.508,0,1332.492,99.98,0,0,gamma emission\n");
    fs.add_file("/work/pt.txt", "order 1\nrange 100 1000\ncoefficients -1.4 0\n");
    fs.add_file("/work/jar.nuclides",
                "[nuclides]\r\ncontainer = cylinder\r\ncontainer_diameter_cm = 5\r\n"
                "fill_height_cm = 5\r\ndetector_diameter_cm = 7\r\nstandard_density = 1.15\r\n"
                "standard_composition = water\r\n");
    cases.push_back({{"efficiency", "/work/std.res", "--certificate", "/work/cert.csv", "--out",
                      "/work/e", "--library", "/lib", "--peak-to-total", "/work/pt.txt",
                      "--geometry", "/work/jar.nuclides"},
                     1,
                     "gives the standard's matter, but the attenuation table cannot be read: "
                     "/lib/mass_attenuation.csv"});
    for (const Case& c : cases) {
        const CliRun run = run_cli(fs, c.args);
        EXPECT_EQ(run.status, c.status) << run.err << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err << run.out;
        EXPECT_FALSE(fs.file_exists("/work/e")) << "nothing written on failure";
    }
}

}  // namespace
}  // namespace sorvane
