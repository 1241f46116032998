#include <gtest/gtest.h>

#include <string>

#include "corrections/cascade_data.h"
#include "corrections/cascade_files.h"
#include "platform/real_platform.h"
#include "support/memory_file_system.h"

namespace sorvane::corrections {
namespace {

const std::string header =
    "nuclide,kind,from_level_keV,to_level_keV,energy_keV,probability_percent,alpha_T,source,"
    "probability_unc_percent,alpha_K,quantity,flag\n";

// A Co-60-like cascade in the shipped file's columns (numbers of the DDEP Co-60 rows).
const std::string two_step = header +
                             "X-1,branch,,,,100,,s,,,decay mode B- to 60NI,\n"
                             "X-1,level,1332.508,,1332.508,0.12,,s,0.03,,feeding,\n"
                             "X-1,level,2505.748,,2505.748,99.88,,s,0.03,,feeding,\n"
                             "X-1,gamma,1332.508,0,1332.492,99.9826,,s,0.0006,,gamma,\n"
                             "X-1,gamma,2505.748,1332.508,1173.228,99.85,,s,0.03,,gamma,\n"
                             "X-1,xray,,,7.47824,0.0065,,s,,,60NI K X-ray XKa1,\n"
                             "X-1,xray,,,,42.11,,s,,,omega_K of 60NI in percent,\n";

TEST(CascadeData, ReadsLevelsGammasAndXRays) {
    CascadeLibrary library;
    EXPECT_EQ(add_cascades(library, two_step, "lab.csv"), 1u);
    EXPECT_TRUE(library.problems.empty());
    const Cascade* cascade = library.find("X-1");
    ASSERT_NE(cascade, nullptr);
    ASSERT_EQ(cascade->branches.size(), 1u);
    const DecayBranch& branch = cascade->branches[0];
    ASSERT_EQ(branch.levels.size(), 3u);  // the ground state is added
    EXPECT_DOUBLE_EQ(branch.levels[0].energy_kev, 0.0);
    EXPECT_DOUBLE_EQ(branch.levels[2].feeding, 0.9988);
    ASSERT_EQ(branch.gammas.size(), 2u);
    EXPECT_DOUBLE_EQ(branch.gammas[1].photons, 0.9985);
    EXPECT_DOUBLE_EQ(branch.fluorescence_yield, 0.4211);
    ASSERT_EQ(branch.k_xrays.size(), 1u);
    EXPECT_EQ(branch.level_at(1332.52), 1u);
    EXPECT_EQ(branch.level_at(1333.0), 3u);
}

// Each bad row names the file and its line and is skipped; the good rows stay.
TEST(CascadeData, BadRowsAreNamedAndSkipped) {
    struct Case {
        const char* row;
        const char* why;
    };
    const Case cases[] = {
        {"X-1,gamma,2505.748,1332.508,1173.228,lots,,s,,,gamma,", "probability_percent \"lots\""},
        {"X-1,gamma,1332.508,2505.748,1173.228,1,,s,,,gamma,", "from_level_keV above"},
        {"X-1,gamma,2505.748,1332.508,1000,1,,s,,,gamma,", "more than 3 keV"},
        {"X-1,gamma,2505.748,1332.508,1173.2,1,-1,s,,,gamma,", "alpha_T and alpha_K"},
        {"X-1,level,,,,1,,s,,,feeding,", "needs from_level_keV"},
        {"X-1,branch,,,,1,,s,,,something else,", "must start with"},
        {"X-1,weird,,,,1,,s,,,x,", "kind \"weird\""},
        {"X-1,xray,,,,1,,s,,,K X-ray,", "an X-ray row needs"},
        {"X-1,gamma,1,0,1", "5 fields where the header has 12"},
        {"X-1,gamma,\"1,0,1", "a quote is not closed"},
    };
    for (const auto& c : cases) {
        CascadeLibrary library;
        add_cascades(library, two_step + c.row + "\n", "lab.csv");
        ASSERT_EQ(library.problems.size(), 1u) << c.row;
        EXPECT_NE(library.problems[0].find("lab.csv line 9: "), std::string::npos)
            << library.problems[0];
        EXPECT_NE(library.problems[0].find(c.why), std::string::npos) << library.problems[0];
        EXPECT_EQ(library.find("X-1")->branches[0].gammas.size(), 2u) << c.row;
    }
}

TEST(CascadeData, AMissingColumnReadsNothing) {
    CascadeLibrary library;
    EXPECT_EQ(add_cascades(library, "nuclide,kind\nX-1,level\n", "lab.csv"), 0u);
    ASSERT_EQ(library.problems.size(), 1u);
    EXPECT_EQ(library.problems[0],
              "lab.csv: no column \"from_level_keV\" in the header line; nothing read");
}

// A laboratory's file replaces a nuclide whole and adds its own; the shipped ones stay.
TEST(CascadeData, ALaterFileReplacesANuclide) {
    MemoryFileSystem fs(MemoryFileSystem::Flavour::posix);
    fs.add_file("/lib/cascades.csv", two_step);
    fs.add_file("/lab/mine.csv", header +
                                     "X-1,level,100,,100,100,,s,,,feeding,\n"
                                     "X-1,gamma,100,0,100,100,,s,,,gamma,\n"
                                     "Y-2,level,50,,50,100,,s,,,feeding,\n"
                                     "Y-2,level,60,,60,,,s,,,feeding left blank,\n");
    const auto library =
        load_cascades(fs, {"/lib/cascades.csv", "/lab/mine.csv", "/lab/missing.csv"});
    ASSERT_EQ(library.cascades.size(), 2u);
    EXPECT_EQ(library.find("X-1")->branches[0].gammas.size(), 1u);
    EXPECT_EQ(library.find("X-1")->file, "/lab/mine.csv");
    ASSERT_NE(library.find("Y-2"), nullptr);
    EXPECT_EQ(library.find("Y-2")->branches[0].levels.size(), 3u);
    ASSERT_EQ(library.problems.size(), 1u);
    EXPECT_NE(library.problems[0].find("/lab/missing.csv: cannot be read"), std::string::npos);
}

// The shipped file reads whole: nine nuclides; Eu-152's two daughters are branches
// of their own (72.1 % EC+B+, 27.9 % B-); Na-22's positron feeding of 1274.577 keV is
// 90.30 %; Bi-214 has 5 unplaced gammas (rows checked in the file).
TEST(CascadeData, TheShippedCascadesReadWhole) {
    RealFileSystem fs;
    const auto library = load_cascades(fs, {std::string(SORVANE_NUCLIDE_DATA) + "cascades.csv"});
    EXPECT_TRUE(library.problems.empty()) << library.problems.front();
    EXPECT_EQ(library.cascades.size(), 9u);
    const Cascade* eu = library.find("Eu-152");
    ASSERT_NE(eu, nullptr);
    ASSERT_EQ(eu->branches.size(), 2u);
    EXPECT_DOUBLE_EQ(eu->branches[0].fraction, 0.721);
    EXPECT_DOUBLE_EQ(eu->branches[1].fraction, 0.279);
    const Cascade* na = library.find("Na-22");
    ASSERT_NE(na, nullptr);
    const auto& branch = na->branches[0];
    const auto& level = branch.levels[branch.level_at(1274.577)];
    EXPECT_DOUBLE_EQ(level.positron_feeding, 0.903);
    EXPECT_DOUBLE_EQ(level.ec_feeding, 0.0964);
    EXPECT_DOUBLE_EQ(level.k_capture_fraction, 0.08903);
    EXPECT_DOUBLE_EQ(na->annihilation_photons, 1.807);
    const Cascade* bi = library.find("Bi-214");
    ASSERT_NE(bi, nullptr);
    ASSERT_EQ(bi->branches.size(), 2u);  // alpha (no levels) and B-
    EXPECT_TRUE(bi->branches[0].gammas.empty());
    EXPECT_EQ(bi->branches[1].unplaced_gammas, 5u);
}

}  // namespace
}  // namespace sorvane::corrections
