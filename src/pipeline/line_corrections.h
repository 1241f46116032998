#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "activity/efficiency_curve.h"
#include "contract/nuclide_settings.h"
#include "corrections/mass_attenuation.h"
#include "corrections/self_attenuation.h"
#include "pipeline/sum_peaks.h"
#include "platform/file_system.h"

namespace sorvane {

// What a line's counts are divided by besides eps p t: its coincidence-summing factor
// (observed / alone) and the self-attenuation transfer of the sample against the
// standard. 1 where the correction is off or has nothing to say about the line.
struct LineCorrection {
    double summing = 1.0;
    double d_summing = 0.0;
    double attenuation = 1.0;
};

using LineCorrectionOf = std::function<LineCorrection(std::string_view nuclide, double energy_kev)>;

struct LoadedCorrections {
    LineCorrectionOf correction;  // empty when the settings ask for none
    std::string description;      // the result's "corrections" key
    // With the summing correction: each cascade's lines and sum peaks for this detector.
    std::vector<CascadePeaks> cascade_peaks;
    std::vector<std::string> problems;
};

// The bundled attenuation table of `bundled_folder`; nothing, with `problem`, when it
// cannot be read.
std::optional<corrections::AttenuationTable> read_bundled_attenuation(
    const FileSystem& fs, const std::string& bundled_folder, std::string& problem);

// The cells of the sized jar on the end cap that `settings` give, holding matter of
// `density` and `composition` (water, soil or elements by mass; geometry alone without
// them); nothing for a Marinelli beaker or an unsized container. The runtime fills it
// with the sample's matter, the standard's summing correction with the standard's.
std::shared_ptr<const corrections::SampleCells> jar_cells(
    const NuclideSettings& settings, double density, const std::string& composition,
    const std::optional<corrections::AttenuationTable>& table);

// The cells of the standard's jar that `settings` size, filled with the standard's
// matter, as a standard's summing correction takes them (nothing for no jar). When the
// settings give that matter but the bundled attenuation table cannot weigh it, nothing,
// and `table_problem` says why.
std::shared_ptr<const corrections::SampleCells> standard_jar_cells(
    const FileSystem& fs, const std::string& bundled_folder, const NuclideSettings& settings,
    std::string& table_problem);

// Reads what the settings' corrections need, once per run: the cascades (the bundled
// file in `bundled_folder` and the laboratory's), the peak-to-total curve, the
// sample's and the standard's matter and the container. The summing factors use the
// peak efficiency of `curve` (continued at its end slopes outside its range) and the total
// efficiency eps_p / PT, averaged over the sample's volume when the settings size a
// cylinder and the detector's disk (attenuated by the sample's matter when they give
// it); a correction that cannot be made is a problem and is left off.
LoadedCorrections load_line_corrections(const FileSystem& fs, const std::string& system_dir,
                                        const std::string& bundled_folder,
                                        const NuclideSettings& settings,
                                        const activity::EfficiencyCurve& curve);

}  // namespace sorvane
