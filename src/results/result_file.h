#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/result_fields.h"
#include "results/result_model.h"

namespace sorvane {

// Reads a result file into the model the runtime wrote it from. Sections, keys and
// columns it does not know are skipped, so that files of later versions read; a
// key or column missing from an earlier version's file is none.
ResultModel read_result(std::string_view text);

// The energy calibration c0 c1 c2, or nothing when the result gives none or only
// the identity (channel = keV), which is no calibration at all.
struct EnergyTerms {
    double c0 = 0.0;
    double c1 = 1.0;
    double c2 = 0.0;
    double energy(double channel) const { return c0 + (c1 + c2 * channel) * channel; }
};
std::optional<EnergyTerms> energy_terms(const ResultModel& result);

// The energy calibration identification fitted to the matched library lines, with
// its residuals; nothing when the result holds none.
struct Recalibration {
    struct Residual {
        int peak = 0;
        double library_energy = 0.0;
        double residual_kev = 0.0;
    };
    EnergyTerms terms;
    int lines = 0;
    std::optional<double> rms_kev;
    std::vector<Residual> residuals;
};
std::optional<Recalibration> recalibration(const ResultModel& result);

// The nuclide a peak was assigned to (its row of [peaks]); empty for none.
std::string peak_nuclide(const ResultModel& result, std::size_t row);

// A peak's flag letters in words from the result's legend ("-" is no flag); a letter
// the legend does not explain is shown as itself.
std::string flags_in_words(const ResultModel& result, std::string_view letters);

}  // namespace sorvane
