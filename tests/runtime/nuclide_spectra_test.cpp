#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>

#include "contract/nuclide_settings.h"
#include "platform/real_platform.h"
#include "run_batch.h"
#include "support/cli_run.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// The result of one spectrum analysed with identification on (the default
// settings: the bundled library, a 0.5 keV floor).
std::string identified_result(const std::string& chn_dir, const std::string& name) {
    TempFolder out;
    RealFileSystem fs;
    NuclideSettings settings;
    settings.identify = true;
    EXPECT_TRUE(fs.write_file(out.path() + std::string(nuclide_settings_file_name),
                              render_nuclide_settings(settings))
                    .ok());
    RunRequest request;
    request.system_dir = out.path();
    request.chn_dir = chn_dir;
    request.res_dir = out.path();
    request.base_names = {name};
    std::ostringstream log;
    EXPECT_EQ(run_batch(request, fs, log), run_all_analysed) << log.str();
    std::string text;
    EXPECT_TRUE(fs.read_file(out.path() + name + ".res", text).ok());
    return text;
}

// The lines of a section, without its tag.
std::vector<std::string> section(const std::string& text, const std::string& tag) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[')
            inside = line == tag;
        else if (inside)
            lines.push_back(line);
    }
    return lines;
}

std::set<std::string> identified(const std::string& text) {
    std::set<std::string> names;
    for (const auto& line : section(text, "[nuclides]")) {
        std::istringstream fields(line);
        std::string name, yes;
        if (fields >> name >> yes && yes == "yes") names.insert(name);
    }
    return names;
}

struct RealCase {
    const char* name;
    std::vector<std::string> present;
};

// Natural background measured in a cave and at Mendocino: potassium and the members
// of both natural chains, whose strong lines (Pb-214 351.9, Bi-214 609.3, Ac-228
// 911.2, Pb-212 238.6, Tl-208 583.2 and 2614.5 keV) stand clear in these spectra.
TEST(NuclideSpectra, NaturalBackgroundShowsPotassiumAndBothChains) {
    const RealCase cases[] = {
        {"1110C_NAA_cave_background_May_2017",
         {"K-40", "Pb-214", "Bi-214", "Ac-228", "Pb-212", "Tl-208"}},
        {"Mendocino_07-10-13_Acq-10-10-13",
         {"K-40", "Pb-214", "Bi-214", "Ac-228", "Pb-212", "Tl-208"}},
    };
    for (const auto& c : cases) {
        const std::string text = identified_result(test_data_path("realdata/chn/"), c.name);
        const auto names = identified(text);
        for (const auto& nuclide : c.present)
            EXPECT_TRUE(names.count(nuclide)) << c.name << ": " << nuclide << "\n" << text;
        EXPECT_NE(text.find("chain = U-238 series:"), std::string::npos) << c.name;
        EXPECT_NE(text.find("chain = Th-232 series:"), std::string::npos) << c.name;
        // The scale is recalibrated from many lines, and potassium's line sits within
        // a few tenths of a keV of 1460.822 keV under it.
        EXPECT_NE(text.find("\r\nrecalibration_lines = "), std::string::npos) << c.name;
        bool potassium = false;
        for (const auto& line : section(text, "[nuclide lines]")) {
            std::istringstream fields(line);
            std::string name, energy, probability, peak, recalibrated, difference, status;
            fields >> name >> energy >> probability >> peak >> recalibrated >> difference >> status;
            if (name == "K-40" && status == "found")
                potassium = std::fabs(std::stod(difference)) < 0.3;
        }
        EXPECT_TRUE(potassium) << c.name;
    }
}

// The demo's Eu-152 spectrum, converted as a user converts it, shows Eu-152.
TEST(NuclideSpectra, DemoEuropiumIsEuropium) {
    TempFolder folder;
    RealFileSystem fs;
    const CliRun converted =
        run_cli(fs, {"convert", "--type", "iec", "--out", folder.path(),
                     std::string(SORVANE_TEST_DATA) + "/../../demo/iec_eu152.iec"});
    ASSERT_EQ(converted.status, 0) << converted.out << converted.err;
    const std::string text = identified_result(folder.path(), "iec_eu152");
    EXPECT_TRUE(identified(text).count("Eu-152")) << text;
}

}  // namespace
}  // namespace sorvane
