#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "app/cli.h"
#include "contract/nuclide_settings.h"
#include "pipeline/analyse_spectrum.h"
#include "platform/real_platform.h"
#include "run_batch.h"
#include "spectrum/chn_reader.h"
#include "support/cli_run.h"
#include "support/memory_file_system.h"
#include "support/test_files.h"

namespace sorvane {
namespace {

// The IEC "dummy" Co-60 spectrum (lines at 1173.2 and 1332.5 keV), converted as a
// user converts it and analysed with the default options.
SpectrumAnalysis analysed_co60() {
    MemoryFileSystem fs{MemoryFileSystem::Flavour::posix};
    fs.add_file("/in/co60.iec", test_data("realdata/iec/hpge_dummy_test_01.iec"));
    fs.add_folder("/out");
    std::ostringstream out, err;
    EXPECT_EQ(
        run_sorvanecli({"convert", "--type", "iec", "--out", "/out", "/in/co60.iec"}, fs, out, err),
        0)
        << out.str() << err.str();
    const auto decoded = decode_chn(fs.contents("/out/co60.chn").value_or(""));
    EXPECT_TRUE(decoded.file) << decoded.reason;
    if (!decoded.file) return {};
    std::vector<double> counts(decoded.file->counts.begin(), decoded.file->counts.end());
    return analyse_spectrum(counts, decoded.file->energy_calibration, {});
}

// By Compton kinematics (m c^2 = 511 keV) the lines' edges lie at 963.4 and 1118.1 keV
// and their backscatter at 209.8 and 214.4 keV: no peak is reported from 170 to 260
// keV nor from 900 to 1135 keV; the escapes of 1332.5 keV at 821.5 (E) and 310.5 keV
// (F) are named.
TEST(IecCo60, OnlyPeaksAreReported) {
    const auto result = analysed_co60();
    ASSERT_FALSE(result.peaks.empty());
    std::string escapes;
    for (const auto& peak : result.peaks) {
        EXPECT_FALSE(peak.energy > 170.0 && peak.energy < 260.0) << peak.energy;
        EXPECT_FALSE(peak.energy > 900.0 && peak.energy < 1135.0) << peak.energy;
        if (std::fabs(peak.energy - 821.5) < 2.0 && peak.flags.find('E') != std::string::npos)
            escapes += 'E';
        if (std::fabs(peak.energy - 310.5) < 2.0 && peak.flags.find('F') != std::string::npos)
            escapes += 'F';
    }
    EXPECT_EQ(escapes, "FE");
}

// A value of the result's [calibration] or the [nuclides] row of a nuclide.
std::string section_line(const std::string& text, const std::string& section,
                         const std::string& start) {
    std::istringstream in(text);
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') inside = line == section;
        if (inside && line.rfind(start, 0) == 0) return line;
    }
    return {};
}

// A table row with each run of spaces as one.
std::string single_spaced(const std::string& row) {
    std::istringstream words(row);
    std::string out;
    for (std::string word; words >> word;) out += (out.empty() ? "" : " ") + word;
    return out;
}

// The real samples 03 to 05 hold the counts of sample 01 (Co-60) with an all-zero
// calibration line, which the conversion stores as 0, 1, 0, and a channel-energy
// table in their header. Converted by "GO", whose raw-source side file names the IEC
// file, the runtime takes the calibration from that table: sample 03's two points give
// the line 7.0228247 + 0.79602547 ch (the CHN file's float terms print as below), and
// Co-60 is identified with both lines (the tables of 03 and 04 put 1173.2 keV a
// channel beside its peak and 1332.5 keV on it: the recalibration is fitted through
// both, not offset from one, which moved 1332.5 keV 0.8 keV off its line). Without
// the side file the spectrum has no calibration. The demo's RMS file, whose "#Energy"
// table the reader does not store, gets the least-squares quadratic through its five
// rows (0.29726486 + 0.66400877 ch - 3.6977725e-9 ch^2, worked with exact fractions).
TEST(IecCo60, CalibrationFromTheRawFilesChannelEnergyTable) {
    struct Case {
        const char* file;  // under the test data folder
        const char* type;
        bool named_source;
        const char* energy;  // the [calibration] line
        const char* energy_source;
        const char* co60;  // the start of its [nuclides] row, empty: not identified
        bool from_table;
        const char* named_raw = nullptr;  // the side file's raw path, when not the file's
    };
    const Case cases[] = {
        {"realdata/iec/hpge_dummy_test_03.iec", "iec", true, "energy = 7.0228248 0.79602545 0",
         "energy_source = raw_file_energy_table", "Co-60   yes        1.000 2/2", true},
        {"realdata/iec/hpge_dummy_test_04.iec", "iec", true,
         "energy = -3.9023609 0.81004399 -4.4785575e-06", "energy_source = raw_file_energy_table",
         "Co-60   yes        1.000 2/2", true},
        {"realdata/iec/hpge_dummy_test_05.iec", "iec", true,
         "energy = 0.43019596 0.79909962 6.9269515e-07", "energy_source = raw_file_energy_table",
         "Co-60   yes", true},
        {"realdata/iec/hpge_dummy_test_01.iec", "iec", true,
         "energy = -0.0155656 0.80000001 -2.9793901e-08", "energy_source = file", "Co-60   yes",
         false},
        {"realdata/iec/hpge_dummy_test_03.iec", "iec", false, "energy = 0 1 0",
         "energy_source = file", "", false},
        // A raw file that is gone: no calibration, and the result says why.
        {"realdata/iec/hpge_dummy_test_03.iec", "iec", true, "energy = 0 1 0",
         "energy_source = file", "", false, "/nonexistent/hpge_dummy_test_03.iec"},
        {"../../demo/rms_cs137_co60.rms", "rms", true,
         "energy = 0.29726484 0.6640088 -3.6977725e-09", "energy_source = raw_file_energy_table",
         "Co-60   yes", true},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        RealFileSystem fs;
        const std::string raw = test_data_path(c.file);
        const CliRun converted =
            run_cli(fs, {"convert", "--type", c.type, "--out", folder.path(), raw});
        ASSERT_EQ(converted.status, 0) << converted.err;
        std::string base = std::string(c.file).substr(std::string(c.file).rfind('/') + 1);
        base = base.substr(0, base.size() - 4);
        NuclideSettings settings;
        settings.identify = true;
        ASSERT_TRUE(fs.write_file(folder.path() + std::string(nuclide_settings_file_name),
                                  render_nuclide_settings(settings))
                        .ok());
        RunRequest request;
        request.system_dir = request.chn_dir = request.res_dir = folder.path();
        request.base_names = {base};
        const int code = std::string(c.type) == "iec" ? 10 : 9;
        const std::string named = c.named_raw ? c.named_raw : raw;
        if (c.named_source) request.sources = {{base, code, c.type, named}};
        std::ostringstream log;
        ASSERT_EQ(run_batch(request, fs, log), run_all_analysed) << log.str();
        std::string text;
        ASSERT_TRUE(fs.read_file(folder.path() + base + ".res", text).ok());
        EXPECT_EQ(section_line(text, "[calibration]", "energy ="), c.energy) << c.file;
        EXPECT_EQ(section_line(text, "[calibration]", "energy_source ="), c.energy_source)
            << c.file;
        const std::string co60 = section_line(text, "[nuclides]", "Co-60 ");
        if (std::string(c.co60).empty())
            EXPECT_EQ(co60.find(" yes "), std::string::npos) << c.file << "\n" << text;
        else  // the columns are as wide as the longest nuclide name of the table
            EXPECT_EQ(single_spaced(co60).substr(0, single_spaced(c.co60).size()),
                      single_spaced(c.co60))
                << c.file << "\n"
                << text;
        const bool said = text.find("energy calibration from the channel-energy table of " + raw) !=
                          std::string::npos;
        EXPECT_EQ(said, c.from_table) << c.file;
        const bool unreadable =
            text.find("its raw file " + named + " cannot be read") != std::string::npos;
        EXPECT_EQ(unreadable, c.named_raw != nullptr) << c.file << "\n" << text;
    }
}

}  // namespace
}  // namespace sorvane
