#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "contract/nuclide_settings.h"
#include "nuclides/energy_recalibration.h"
#include "nuclides/identification.h"
#include "nuclides/line_library.h"
#include "pipeline/analyse_spectrum.h"
#include "platform/file_system.h"

namespace sorvane {

// What a run needs for identification, read once before its spectra and shared,
// unchanged, by all of them.
struct NuclideRun {
    bool active = false;  // a settings file asks for identification
    NuclideSettings settings;
    nuclides::LineLibrary library;
    std::vector<std::string> problems;  // of the settings file and the library, for every result
};

// Reads the settings file beside the control file and, when it turns identification
// on, the line library (the bundled one from the first of `bundled_folders` that holds
// it). Problems are written to `log` once. Inactive when there is no settings file.
NuclideRun load_nuclide_run(const FileSystem& fs, const std::string& system_dir,
                            const std::vector<std::string>& bundled_folders, std::ostream& log);

// Where the runtime looks for its bundled library: beside itself, in the installed
// share folder, and in the source tree it was built from.
std::vector<std::string> bundled_library_folders(const FileSystem& fs);

// One spectrum's identification.
struct NuclideFindings {
    nuclides::Recalibration recalibration;
    nuclides::Identification identification;
    std::vector<nuclides::PeakForMatch> peaks;  // under the scale matched with
    std::vector<std::string> messages;
    // False when the spectrum's calibration is none (0, 1, 0: what a file without
    // one leaves): then no line can be placed and nothing is identified.
    bool energy_calibrated = true;
};

// A nuclide whose found lines all lie at escape peaks (511 or 1022 keV below a line
// of at least 10 times the counts, from 1200 and 1600 keV up) is not identified from
// them: its peaks go back unexplained, and a message says so.
void drop_escape_only(nuclides::Identification& identification,
                      const std::vector<nuclides::PeakForMatch>& peaks,
                      std::vector<std::string>& messages);

// What a peak that the background spectrum explains is named in the result.
inline constexpr char background_peak_name[] = "background";

// Recalibrates the energy from the spectrum's peaks, matches them to the library and
// identifies the nuclides; the counts give the continuum a missing line would have
// had to rise above. A relative efficiency (energy in keV), when one is known, sharpens
// which missing lines should have been seen; outside its curve's range none is expected.
// The background_peaks (indices) are the background spectrum's lines: no nuclide is
// identified from them.
NuclideFindings find_nuclides(const NuclideRun& run, const SpectrumAnalysis& analysis,
                              std::span<const double> counts,
                              const analysis::AnalysisOptions& options,
                              std::function<double(double)> relative_efficiency = {},
                              std::pair<double, double> efficiency_range_kev = {0.0, 0.0},
                              std::span<const int> background_peaks = {});

}  // namespace sorvane
