#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "app/cli.h"
#include "pipeline/analyse_spectrum.h"
#include "spectrum/chn_reader.h"
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

}  // namespace
}  // namespace sorvane
