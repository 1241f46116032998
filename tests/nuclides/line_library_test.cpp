#include <gtest/gtest.h>

#include "nuclides/library_files.h"
#include "platform/real_platform.h"
#include "support/memory_file_system.h"

namespace sorvane::nuclides {
namespace {

constexpr std::string_view lines_header =
    "nuclide,energy_keV,energy_uncertainty_keV,emission_probability_percent,"
    "probability_uncertainty_percent,source_key\n";

struct BadRow {
    const char* row;
    const char* why;  // a word of the expected message
};

// Each bad row is skipped with a message naming the file and its line (line 3: the
// header and one good row come first); the good rows around it are kept.
TEST(LineLibrary, BadRowsAreNamedAndSkipped) {
    const BadRow table[] = {
        {"Co-60,abc,0.003,99.85,0.03,K", "energy"},
        {"Co-60,-5,0.003,99.85,0.03,K", "energy"},
        {"Co-60,1173.2,x,99.85,0.03,K", "uncertainty"},
        {"Co-60,1173.2,0.003,99.85,-1,K", "uncertainty"},
        {"Co-60,1173.2,0.003,,0.03,K", "probability"},
        {"Co-60,1173.2,0.003,250,0.03,K", "probability"},
        {"Co-60,1173.2,0.003,99.85,K", "fields"},
        {",1173.2,0.003,99.85,0.03,K", "name"},
        {"Co-60,\"1173.2,0.003,99.85,0.03,K", "quote"},
    };
    for (const auto& bad : table) {
        LineLibrary library;
        const std::string text = std::string(lines_header) +
                                 "Cs-137,661.6553,0.0030,85.01,0.20,K\n" + bad.row +
                                 "\nCo-60,1332.492,0.004,99.9826,0.0006,K\n";
        const LibraryIdentity identity = add_gamma_lines(library, text, "lab.csv");
        EXPECT_EQ(identity.lines, 2u) << bad.row;
        EXPECT_EQ(identity.nuclides, 2u) << bad.row;
        ASSERT_EQ(library.problems.size(), 1u) << bad.row;
        EXPECT_EQ(library.problems[0].rfind("lab.csv line 3: ", 0), 0u) << library.problems[0];
        EXPECT_NE(library.problems[0].find(bad.why), std::string::npos) << library.problems[0];
    }
}

// The annihilation entry has no probability and no half-life, and is valid.
TEST(LineLibrary, AnnihilationRowIsValid) {
    LineLibrary library;
    add_gamma_lines(library,
                    std::string(lines_header) + "Annihilation-511,510.99895,0.00000015,,,CODATA\n",
                    "a.csv");
    add_nuclide_facts(library,
                      "nuclide,half_life,half_life_unit,half_life_uncertainty,note\n"
                      "Annihilation-511,,,,\"SPECIAL ENTRY, not a nuclide\"\n",
                      "n.csv");
    EXPECT_TRUE(library.problems.empty());
    ASSERT_EQ(library.lines.size(), 1u);
    EXPECT_EQ(library.lines[0].probability, 0.0);
    ASSERT_NE(library.facts("Annihilation-511"), nullptr);
}

// The shipped library reads without a problem: 38 nuclides and the annihilation
// entry, the lead X-rays' special entry (its 5 lines without uncertainties, as
// xraylib gives them), 171 lines; the chains and the Tl-208 branching (35.93 % of
// Bi-212) come from the notes.
TEST(LineLibrary, TheShippedLibraryReadsWhole) {
    RealFileSystem fs;
    const LineLibrary library = load_line_library(fs, {}, SORVANE_NUCLIDE_DATA);
    EXPECT_TRUE(library.problems.empty()) << library.problems.front();
    ASSERT_EQ(library.files.size(), 1u);
    EXPECT_EQ(library.files[0].nuclides, 38u);
    EXPECT_EQ(library.files[0].lines, 171u);
    EXPECT_EQ(library.nuclides.size(), 40u);
    for (const char* name : {"Annihilation-511", "Pb-Xray", "Co-60"})
        EXPECT_EQ(library.special(name), std::string(name) != "Co-60") << name;
    const auto lead = library.lines_of("Pb-Xray");
    ASSERT_EQ(lead.size(), 5u);
    EXPECT_EQ(lead[1]->energy, 74.9693);
    EXPECT_EQ(lead[1]->d_energy, 0.0);
    EXPECT_EQ(lead[1]->probability, 49.60);
    const struct {
        const char* name;
        const char* chain;
    } chains[] = {{"U-238", "U-238 series"},
                  {"Ra-226", "U-238 series"},
                  {"Bi-214", "U-238 series"},
                  {"Th-232", "Th-232 series"},
                  {"Tl-208", "Th-232 series"},
                  {"K-40", ""},
                  {"U-235", ""}};
    for (const auto& c : chains) EXPECT_EQ(library.facts(c.name)->chain, c.chain) << c.name;
    EXPECT_EQ(library.facts("Tl-208")->fed_by, "Bi-212");
    EXPECT_DOUBLE_EQ(library.facts("Tl-208")->fed_fraction, 0.3593);
    // 30.018 years of 365.2422 days.
    EXPECT_NEAR(library.facts("Cs-137")->half_life_seconds(), 30.018 * 365.2422 * 86400, 1.0);
}

// A laboratory file adds its lines (and corrects a held one); its half-lives stand
// beside it as NAME.nuclides.csv. A missing file is a problem naming it.
TEST(LineLibrary, LaboratoryFilesAddLines) {
    MemoryFileSystem fs{MemoryFileSystem::Flavour::posix};
    fs.add_file("/lib/gamma_lines.csv",
                std::string(lines_header) + "Cs-137,661.6553,0.0030,85.01,0.20,K\n");
    fs.add_file("/lib/nuclides.csv",
                "nuclide,half_life,half_life_unit,half_life_uncertainty,note\n"
                "Cs-137,30.018,y,0.022,x\n");
    fs.add_file("/lab/own.csv", std::string(lines_header) +
                                    "Cs-137,661.6553,0.0030,85.10,0.20,LAB\n"
                                    "Ag-110m,657.76,0.01,95.6,0.2,LAB\n");
    fs.add_file("/lab/own.nuclides.csv",
                "nuclide,half_life,half_life_unit,half_life_uncertainty,note\n"
                "Ag-110m,249.78,d,0.02,lab\n");
    NuclideSettings settings;
    settings.library_files = {"/lab/own.csv", "/lab/missing.csv"};
    const LineLibrary library = load_line_library(fs, settings, "/lib/");
    ASSERT_EQ(library.lines.size(), 2u);
    EXPECT_EQ(library.lines[1].source, "LAB");  // the laboratory's Cs-137 row
    EXPECT_EQ(library.facts("Ag-110m")->half_life_unit, "d");
    ASSERT_EQ(library.files.size(), 2u);
    EXPECT_EQ(library.files[1].lines, 2u);
    ASSERT_EQ(library.problems.size(), 1u);
    EXPECT_NE(library.problems[0].find("/lab/missing.csv"), std::string::npos);
}

}  // namespace
}  // namespace sorvane::nuclides
