#include "pipeline/peak_flags.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

#include "analysis/peak_shape.h"
#include "pipeline/analyse_spectrum.h"

namespace sorvane {
namespace {

struct FlagRow {
    double energy;  // keV, = channel here
    double area;
    double fwhm;  // channels; the calibration says 2
    bool converged;
    bool tail_at_limit;
    const char* flags;
    double high_tail = 0.0;  // k of a fitted high tail, 0 for none
};

ReportedPeak peak_of(const FlagRow& row) {
    ReportedPeak peak;
    peak.energy = row.energy;
    peak.d_energy = 0.05;
    peak.fwhm_kev = row.fwhm;
    peak.converged = row.converged;
    peak.fit.centroid = row.energy;
    peak.fit.area = row.area;
    peak.fit.d_area = std::sqrt(row.area);
    peak.fit.fwhm = row.fwhm;
    peak.fit.d_fwhm = 0.02;
    peak.fit.width_fixed = false;
    peak.fit.tail_fitted = row.tail_at_limit;
    peak.fit.tail = row.tail_at_limit ? analysis::max_tail : 0.0;
    peak.fit.high_tail_fitted = row.high_tail > 0.0;
    peak.fit.high_tail = row.high_tail;
    return peak;
}

// Strong lines of K-40, Tl-208 and Co-60 and what they explain: 2614.5 - 511 = 2103.5
// (single escape), 2614.5 - 1022 = 1592.5 (double escape), 1173.2 + 1332.5 = 2505.7
// (sum), 511.0 (annihilation); a line none of them explains, one 30 % wider than the
// calibration, one whose fit did not converge, one with its tail at the limit and
// two with a high tail, one of them at the limit.
TEST(PeakFlags, NameWhatAPeakMayBe) {
    const std::vector<FlagRow> rows{
        {511.0, 500.0, 2.0, true, false, "A"},
        {1173.2, 30000.0, 2.0, true, false, "-"},
        {1332.5, 30000.0, 2.0, true, false, "-"},
        {1460.8, 100000.0, 2.0, true, false, "-"},
        {1592.5, 800.0, 2.0, true, false, "F"},
        {1800.0, 900.0, 2.0, true, false, "-"},
        {1900.0, 900.0, 2.6, true, false, "B"},
        {2000.0, 900.0, 2.0, false, false, "N"},
        {2103.5, 1000.0, 2.0, true, false, "E"},
        {2300.0, 900.0, 2.0, true, true, "TL"},
        {2505.7, 300.0, 2.0, true, false, "S"},
        {2614.5, 50000.0, 2.0, true, false, "-"},
        {2700.0, 900.0, 2.0, true, false, "H", 1.5},
        {2800.0, 900.0, 2.0, true, false, "LH", analysis::min_tail},
    };
    std::vector<ReportedPeak> peaks;
    for (const auto& row : rows) peaks.push_back(peak_of(row));
    analysis::WidthCalibration width;  // FWHM 2 channels everywhere
    assign_flags(peaks, width);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(peaks[i].flags, rows[i].flags) << rows[i].energy;
    // Without an energy calibration the energies are channels: no line is named.
    assign_flags(peaks, width, false);
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(peaks[i].flags.find_first_of("AEFS"), std::string::npos) << rows[i].energy;
}

// The legend holds every letter a peak may carry, each once with its meaning.
TEST(PeakFlags, LegendHoldsEveryLetter) {
    std::string letters;
    for (const auto& flag : peak_flag_legend()) {
        letters += flag.letter;
        EXPECT_FALSE(flag.meaning.empty()) << flag.letter;
    }
    EXPECT_EQ(letters, "MDWTNBAEFSLH");
}

}  // namespace
}  // namespace sorvane
